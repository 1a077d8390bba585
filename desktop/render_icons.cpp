// Writes the program's icon at each size asked for into a hicolor icon theme folder:
//   render_icons OUTPUT_FOLDER NAME SIZE...
// gives OUTPUT_FOLDER/hicolor/SIZExSIZE/apps/NAME.png for each SIZE.
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>
#include <QString>

#include <cstdio>

#include "icon/program_icon.h"

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: render_icons OUTPUT_FOLDER NAME SIZE...\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        bool isNumber = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&isNumber);
        if (!isNumber || size <= 0 || size > 1024) {
            std::fprintf(stderr, "render_icons: not an icon size: %s\n", argv[i]);
            return 2;
        }
        const QString folder =
            QStringLiteral("%1/hicolor/%2x%2/apps").arg(root, QString::number(size));
        const QString path = QStringLiteral("%1/%2.png").arg(folder, name);
        QSaveFile file(path);
        QImageWriter writer(&file, "png");
        const bool written = QDir().mkpath(folder) && file.open(QIODevice::WriteOnly) &&
                             writer.write(icon::ProgramIconImage(size)) && file.flush() &&
                             file.commit();
        if (!written) {
            std::fprintf(stderr, "render_icons: cannot write %s: %s\n", qPrintable(path),
                         qPrintable(file.errorString()));
            return 1;
        }
    }
    return 0;
}
