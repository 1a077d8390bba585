#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QWidget;

namespace forms {

// A colour written &H00BBGGRR&, blue in the high byte.
QColor ColorFromBgr(unsigned bgr);

// The colours the windows' labels use.
inline constexpr unsigned kRed = 0x000000FF;
inline constexpr unsigned kBlue = 0x00FF0000;
inline constexpr unsigned kLightBlue = 0x00FF8080;
inline constexpr unsigned kBlack = 0x00000000;

struct LabelFont {
    const char* face;
    double points;
    bool bold;
    bool italic;
};

// A label with a transparent background, in the given font and colour, placed in twips.
QLabel* MakeLabel(QWidget* parent, const QString& objectName, const QString& caption, float left,
                  float top, float width, float height, const LabelFont& font, unsigned bgrColor);

}  // namespace forms
