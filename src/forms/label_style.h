#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QWidget;

namespace forms {

// A colour written &H00BBGGRR&, blue in the high byte.
QColor ColorFromBgr(unsigned bgr);

struct LabelFont {
    const char* face;
    double points;
    bool bold;
    bool italic;
};

// A label with a transparent background, in the given font and colour, placed in twips.
QLabel* MakeLabel(QWidget* parent, const QString& objectName, const QString& caption,
                  float left, float top, float width, float height, const LabelFont& font,
                  unsigned bgrColor);

}  // namespace forms
