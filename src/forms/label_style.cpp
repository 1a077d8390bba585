#include "forms/label_style.h"

#include <QLabel>

#include "platform/controls.h"

namespace forms {

QColor ColorFromBgr(unsigned bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QLabel* MakeLabel(QWidget* parent, const QString& objectName, const QString& caption, float left,
                  float top, float width, float height, const LabelFont& font, unsigned bgrColor) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(objectName);
    label->setAutoFillBackground(false);  // the window shows through
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setFocusPolicy(Qt::NoFocus);
    QFont qfont(QString::fromUtf8(font.face));
    qfont.setPointSizeF(font.points);
    qfont.setBold(font.bold);
    qfont.setItalic(font.italic);
    label->setFont(qfont);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ColorFromBgr(bgrColor));
    label->setPalette(palette);
    platform::TwipsGeometry(label).Place(left, top, width, height);
    return label;
}

}  // namespace forms
