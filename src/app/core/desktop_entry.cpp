#include "app/core/desktop_entry.h"

#include <algorithm>

namespace app {

QString DesktopEntryExec(const QStringList& command) {
    static const QString kReserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QStringList arguments;
    for (const QString& argument : command) {
        for (const QChar c : argument) {
            if (c.category() == QChar::Other_Control) return {};
        }
        QString text = argument;
        if (std::any_of(text.begin(), text.end(), [](QChar c) { return kReserved.contains(c); })) {
            QString quoted;
            for (const QChar c : text) {
                if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                    c == QLatin1Char('\\')) {
                    quoted += QLatin1Char('\\');
                }
                quoted += c;
            }
            text = QLatin1Char('"') + quoted + QLatin1Char('"');
        }
        text.replace(QLatin1Char('%'), QStringLiteral("%%"));
        arguments.append(text);
    }
    // The string type's own escape comes on top of the quoting.
    return arguments.join(QLatin1Char(' ')).replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
}

}  // namespace app
