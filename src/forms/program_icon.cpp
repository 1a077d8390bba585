#include "forms/program_icon.h"

#include <QIcon>
#include <QImage>

// Placeholder until the icon is drawn.
namespace forms {

QImage ProgramIconImage() {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::white);
    return image;
}

QIcon ProgramIcon() { return QIcon(QPixmap::fromImage(ProgramIconImage())); }

}  // namespace forms
