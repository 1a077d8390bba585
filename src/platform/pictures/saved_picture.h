#pragma once

#include <QImage>
#include <QString>
#include <optional>

namespace platform {

// Writes the picture into `fileName` whole (through QSaveFile: a failed write leaves what was
// there), as PNG, JPEG or WebP by the name's suffix, PNG for any other. Why not, in words for
// people, when it was not written.
std::optional<QString> SavePicture(const QImage& picture, const QString& fileName);

}  // namespace platform
