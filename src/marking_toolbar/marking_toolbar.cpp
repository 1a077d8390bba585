#include "marking_toolbar/marking_toolbar.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QScreen>
#include <QToolButton>
#include <QUndoStack>
#include <array>

#include "marks/mark_editor.h"
#include "platform/core/screen_edges.h"

namespace marking_toolbar {

namespace {

using marks::Kind;
using marks::Tool;

struct ToolRow {
    Tool tool;
    const char* name;  // the button's object name
    const char* text;
    const char* key;
};

// The tools, in the bar's order, with the key that picks each (see the marking mode's keys).
const std::array kTools{
    ToolRow{marks::kSelect, "select", QT_TRANSLATE_NOOP("marking_toolbar", "選択"), "V"},
    ToolRow{Kind::Pen, "pen", QT_TRANSLATE_NOOP("marking_toolbar", "ペン"), "P"},
    ToolRow{Kind::Highlighter, "highlighter", QT_TRANSLATE_NOOP("marking_toolbar", "蛍光ペン"),
            "H"},
    ToolRow{Kind::Line, "line", QT_TRANSLATE_NOOP("marking_toolbar", "直線"), "L"},
    ToolRow{Kind::Arrow, "arrow", QT_TRANSLATE_NOOP("marking_toolbar", "矢印"), "A"},
    ToolRow{Kind::Rectangle, "rectangle", QT_TRANSLATE_NOOP("marking_toolbar", "四角形"), "R"},
    ToolRow{Kind::Ellipse, "ellipse", QT_TRANSLATE_NOOP("marking_toolbar", "楕円"), "E"},
    ToolRow{Kind::Text, "text", QT_TRANSLATE_NOOP("marking_toolbar", "文字"), "T"},
    ToolRow{Kind::Number, "number", QT_TRANSLATE_NOOP("marking_toolbar", "番号"), "N"},
    ToolRow{Kind::Mosaic, "mosaic", QT_TRANSLATE_NOOP("marking_toolbar", "モザイク"), "M"},
    ToolRow{Kind::Blur, "blur", QT_TRANSLATE_NOOP("marking_toolbar", "ぼかし"), "B"},
};

// The ready colours: red, yellow, green, blue, black and white.
constexpr std::array<QRgb, 6> kColors{0xffe53935, 0xfffdd835, 0xff43a047,
                                      0xff1e88e5, 0xff212121, 0xffffffff};
// Thin, medium and thick, in picture pixels.
constexpr std::array<int, 3> kWidths{2, 4, 8};

// A tool's button in the group: 0 selects, and each kind has its own after it.
int ButtonId(Tool tool) {
    return tool ? int(*tool) + 1 : 0;
}

QIcon Swatch(const QColor& color) {
    QPixmap pixels(16, 16);
    pixels.fill(color);
    QPainter painter(&pixels);
    painter.setPen(Qt::gray);
    painter.drawRect(pixels.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixels);
}

QIcon WidthIcon(int width) {
    QPixmap pixels(16, 16);
    pixels.fill(Qt::transparent);
    QPainter painter(&pixels);
    painter.setPen(QPen(Qt::black, std::min(width, 8), Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(3, 8, 13, 8);
    return QIcon(pixels);
}

}  // namespace

MarkingToolbar::MarkingToolbar(marks::Editor& editor, QUndoStack& history, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      editor_(editor),
      tools_(new QButtonGroup(this)) {
    setObjectName(QStringLiteral("MarkingToolbar"));
    // Never shown, as the bar has no title bar: window rules and tests find it by it.
    setWindowTitle(QStringLiteral("vellora-marking"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    AddTools();
    AddColors();
    AddWidths();
    AddHistory(history);
    ShowTool(editor_.CurrentTool());
}

void MarkingToolbar::AddTools() {
    for (const ToolRow& row : kTools) {
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("tool_%1").arg(QLatin1String(row.name)));
        button->setText(QCoreApplication::translate("marking_toolbar", row.text));
        button->setToolTip(QStringLiteral("%1 (%2)").arg(button->text(), QLatin1String(row.key)));
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
        tools_->addButton(button, ButtonId(row.tool));
        layout()->addWidget(button);
    }
    connect(tools_, &QButtonGroup::idClicked, this,
            [this](int id) { editor_.SetTool(id == 0 ? marks::kSelect : Tool(Kind(id - 1))); });
}

void MarkingToolbar::AddColors() {
    for (const QRgb rgb : kColors) {
        auto* button = new QToolButton(this);
        const QColor color = QColor::fromRgb(rgb);
        button->setObjectName(QStringLiteral("color_%1").arg(color.name().mid(1)));
        button->setIcon(Swatch(color));
        button->setToolTip(color.name());
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, color] { editor_.SetColor(color); });
        layout()->addWidget(button);
    }
    auto* otherColor = new QToolButton(this);
    otherColor->setObjectName(QStringLiteral("otherColor"));
    otherColor->setText(QStringLiteral("…"));
    otherColor->setToolTip(tr("ほかの色..."));
    otherColor->setFocusPolicy(Qt::NoFocus);
    connect(otherColor, &QToolButton::clicked, this, &MarkingToolbar::ChooseOtherColor);
    layout()->addWidget(otherColor);
}

void MarkingToolbar::AddWidths() {
    for (const int width : kWidths) {
        auto* button = new QToolButton(this);
        button->setObjectName(QStringLiteral("width_%1").arg(width));
        button->setIcon(WidthIcon(width));
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, width] { editor_.SetWidth(width); });
        layout()->addWidget(button);
    }
}

void MarkingToolbar::AddHistory(QUndoStack& history) {
    const auto add = [this](const char* name, const QString& text, bool enabled) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        button->setText(text);
        button->setEnabled(enabled);
        button->setFocusPolicy(Qt::NoFocus);
        layout()->addWidget(button);
        return button;
    };
    QToolButton* undo = add("undo", tr("元に戻す"), history.canUndo());
    QToolButton* redo = add("redo", tr("やり直す"), history.canRedo());
    connect(undo, &QToolButton::clicked, &history, &QUndoStack::undo);
    connect(redo, &QToolButton::clicked, &history, &QUndoStack::redo);
    connect(&history, &QUndoStack::canUndoChanged, undo, &QWidget::setEnabled);
    connect(&history, &QUndoStack::canRedoChanged, redo, &QWidget::setEnabled);
    connect(add("done", tr("完了"), true), &QToolButton::clicked, this,
            &MarkingToolbar::doneRequested);
}

void MarkingToolbar::ShowTool(Tool tool) {
    if (QAbstractButton* button = tools_->button(ButtonId(tool))) button->setChecked(true);
}

void MarkingToolbar::ChooseOtherColor() {
    // The desktop's own dialog where the platform has one.
    const QColor color = QColorDialog::getColor(editor_.Color(), this, tr("色の選択"));
    if (color.isValid()) editor_.SetColor(color);
}

void MarkingToolbar::PlaceBeside(const QRect& pinFrame) {
    adjustSize();
    const QScreen* screen = QGuiApplication::screenAt(pinFrame.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : pinFrame.adjusted(0, 0, 0, 200);
    move(platform::BesideRect(pinFrame, frameGeometry().size(), area, 4).topLeft());
}

}  // namespace marking_toolbar
