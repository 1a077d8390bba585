#include "e2e_files.h"

namespace e2e {

QByteArray DataRecord(const QStringList& geometry, const QString& path) {
    QByteArray line;
    for (int i = 0; i < geometry.size(); ++i) {
        const QByteArray text = geometry[i].toUtf8();
        line += text;
        // A print zone is 14 columns; the next item starts at the next zone boundary.
        if (i + 1 < geometry.size()) line += QByteArray(14 - text.size() % 14, ' ');
    }
    return line + "\r\n" + path.toUtf8() + "\r\n";
}

QString Printable(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    text.replace(QLatin1String("\r"), QLatin1String("\\r"));
    text.replace(QLatin1String("\n"), QLatin1String("\\n\n"));
    return QLatin1Char('\n') + text;
}

}  // namespace e2e
