#include "platform/core/file_path.h"

#include <iconv.h>

#include <QFile>
#include <QStringDecoder>
#include <QSysInfo>
#include <cerrno>

namespace platform {

namespace {

std::optional<QString> StrictUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

// Qt's own converters know only the Unicode encodings and Latin-1 unless Qt was built with ICU;
// glibc's iconv always has CP932, and refuses a byte sequence that is not valid in it.
std::optional<QString> StrictCp932(const QByteArray& bytes) {
    iconv_t converter = iconv_open("UTF-8", "CP932");
    // iconv_open reports failure as (iconv_t)-1.
    if (converter == iconv_t(-1)) return std::nullopt;  // NOLINT(performance-no-int-to-ptr)
    QByteArray in = bytes;
    QByteArray out(in.size() * 3 + 4, '\0');
    char* inPointer = in.data();
    size_t inLeft = size_t(in.size());
    char* outPointer = out.data();
    size_t outLeft = size_t(out.size());
    const size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
    iconv_close(converter);
    if (result == size_t(-1) || inLeft != 0) return std::nullopt;
    out.truncate(out.size() - qsizetype(outLeft));
    return QString::fromUtf8(out);
}

// Valid UTF-8 runs stay as they are; every byte outside them becomes "\xHH".
QString EscapedUtf8(const QByteArray& bytes) {
    QString text;
    qsizetype i = 0;
    while (i < bytes.size()) {
        // The longest valid UTF-8 prefix of what is left, at most one character at a time.
        bool matched = false;
        for (int length = 1; length <= 4 && i + length <= bytes.size(); ++length) {
            if (auto decoded = StrictUtf8(bytes.mid(i, length))) {
                text += *decoded;
                i += length;
                matched = true;
                break;
            }
        }
        if (!matched) {
            text += QStringLiteral("\\x%1").arg(uchar(bytes[i]), 2, 16, QLatin1Char('0'));
            ++i;
        }
    }
    return text;
}

}  // namespace

FilePath FilePath::FromText(const QString& text) {
    return FilePath(QFile::encodeName(text));
}

QString FilePath::DisplayText() const {
    return DisplayName(bytes_);
}

QByteArray FilePath::FileName() const {
    const qsizetype slash = bytes_.lastIndexOf('/');
    return slash < 0 ? bytes_ : bytes_.mid(slash + 1);
}

QList<FilePath> LocalFilesOfUriList(const QByteArray& uriList) {
    QList<FilePath> files;
    for (QByteArray line : uriList.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        if (!line.toLower().startsWith("file:")) continue;
        QByteArray rest = line.mid(5);
        // A query or fragment is no part of a file's name; a "?" or "#" in a name is encoded.
        for (const char end : {'?', '#'}) {
            const qsizetype at = rest.indexOf(end);
            if (at >= 0) rest.truncate(at);
        }
        if (rest.startsWith("//")) {
            const qsizetype slash = rest.indexOf('/', 2);
            if (slash < 0) continue;
            const QByteArray host = rest.mid(2, slash - 2).toLower();
            if (!host.isEmpty() && host != "localhost" &&
                host != QSysInfo::machineHostName().toUtf8().toLower()) {
                continue;
            }
            rest = rest.mid(slash);
        }
        const QByteArray path = QByteArray::fromPercentEncoding(rest);
        if (!path.startsWith('/') || path.contains('\0')) continue;
        files.append(FilePath(path));
    }
    return files;
}

FilePath FilePath::Folder() const {
    QByteArray path = bytes_;
    if (path.endsWith('/')) path.chop(1);
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return FilePath(QByteArray("."));
    return FilePath(slash == 0 ? QByteArray("/") : path.left(slash));
}

QString DisplayName(const QByteArray& bytes) {
    if (auto text = StrictUtf8(bytes)) return *text;
    if (auto text = StrictCp932(bytes)) return *text;
    return EscapedUtf8(bytes);
}

}  // namespace platform
