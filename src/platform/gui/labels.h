#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QWidget;

namespace platform {

struct LabelFont {
    const char* face;
    double points;
    bool bold;
    bool italic;
};

// A label with a transparent background, in the given font and colour, placed in twips.
QLabel* MakeLabel(QWidget* parent, const QString& objectName, const QString& caption, float left,
                  float top, float width, float height, const LabelFont& font, QColor color);

// Japanese and Windows face names mapped onto fonts Linux has, of the same kind.
void InstallFontSubstitutes();

}  // namespace platform
