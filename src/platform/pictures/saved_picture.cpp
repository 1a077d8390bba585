#include "platform/pictures/saved_picture.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <array>

namespace platform {

namespace {

struct Format {
    const char* suffix;
    const char* format;
};

// A new format is one row.
constexpr std::array kFormats{
    Format{"png", "png"},
    Format{"jpg", "jpeg"},
    Format{"jpeg", "jpeg"},
    Format{"webp", "webp"},
};

QByteArray FormatFor(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    for (const Format& row : kFormats) {
        if (suffix == QLatin1String(row.suffix)) return row.format;
    }
    return "png";
}

QString Failed(const QString& fileName, const QString& why) {
    return QCoreApplication::translate("platform", "%1 に保存できません: %2").arg(fileName, why);
}

}  // namespace

std::optional<QString> SavePicture(const QImage& picture, const QString& fileName) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) return Failed(fileName, file.errorString());
    QImageWriter writer(&file, FormatFor(fileName));
    // JPEG has no transparency: what is see-through becomes white, not black.
    QImage pixels = picture;
    if (writer.format() == "jpeg" && pixels.hasAlphaChannel()) {
        QImage flat(pixels.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, pixels);
        pixels = flat;
    }
    if (writer.format() != "png") writer.setQuality(92);
    if (!writer.write(pixels)) {
        file.cancelWriting();
        return Failed(fileName, writer.errorString());
    }
    if (!file.commit()) return Failed(fileName, file.errorString());
    return std::nullopt;
}

}  // namespace platform
