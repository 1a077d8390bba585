#include "platform/core/number_text.h"

#include <QString>

namespace platform {

namespace {

QString GeneralText(double value, int significantDigits) {
    if (value == 0.0) return QStringLiteral("0");  // also turns -0 into "0"
    // QString::number ignores the locale, so the separator is always ".", and its 'G' format
    // writes a signed exponent of at least two digits ("1E+15", "1.5E-05").
    return QString::number(value, 'G', significantDigits);
}

}  // namespace

QString NumberText(float value) {
    return GeneralText(static_cast<double>(value), 7);
}

QString NumberText(double value) {
    return GeneralText(value, 15);
}

}  // namespace platform
