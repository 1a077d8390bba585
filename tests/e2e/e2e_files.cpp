#include "e2e_files.h"

namespace e2e {

QByteArray DataRecord(const QStringList& geometry, const QString& path) {
    return test_support::DataRecord(geometry, path.toUtf8());
}

QString Printable(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    text.replace(QLatin1String("\r"), QLatin1String("\\r"));
    text.replace(QLatin1String("\n"), QLatin1String("\\n\n"));
    return QLatin1Char('\n') + text;
}

}  // namespace e2e
