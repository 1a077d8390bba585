#include "platform/gui/labels.h"

#include <QFont>
#include <QLabel>

#include "platform/gui/controls.h"

namespace platform {

QLabel* MakeLabel(QWidget* parent, const QString& objectName, const QString& caption, float left,
                  float top, float width, float height, const LabelFont& font, QColor color) {
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
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    TwipsGeometry(label).SetRect(left, top, width, height);
    return label;
}

void InstallFontSubstitutes() {
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                QStringLiteral("Noto Sans CJK JP")});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"),
                               {QStringLiteral("IPAPMincho"), QStringLiteral("IPAMincho"),
                                QStringLiteral("Noto Serif CJK JP")});
    QFont::insertSubstitutions(
        QStringLiteral("Times New Roman"),
        {QStringLiteral("Liberation Serif"), QStringLiteral("Nimbus Roman")});
}

}  // namespace platform
