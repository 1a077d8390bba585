#include "about_box/about_box.h"

#include <QLabel>
#include <QPushButton>

#include "platform/gui/controls.h"
#include "platform/gui/labels.h"

namespace about_box {

namespace {
constexpr platform::LabelFont kGothic{"ＭＳ Ｐゴシック", 9.75, true, false};
constexpr platform::LabelFont kMincho{"ＭＳ Ｐ明朝", 12, true, false};
constexpr platform::LabelFont kTitle{"Times New Roman", 21.75, true, true};
}  // namespace

AboutBox::AboutBox()
    : TwipsWindow(
          Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint,
          platform::Sizing::Fixed) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowRole(QStringLiteral("vellora-about"));
    setWindowTitle(tr("Velloraについて"));
    QWidget* client = ClientArea();
    // Created back to front: the title's light-blue shadow lies behind it.
    platform::MakeLabel(client, QStringLiteral("titleShadow"), QStringLiteral("Vellora"), 360, 225,
                        2895, 645, kTitle, QColor(0x80, 0x80, 0xFF));
    platform::MakeLabel(client, QStringLiteral("title"), QStringLiteral("Vellora"), 315, 180, 2895,
                        780, kTitle, Qt::blue);
    platform::MakeLabel(client, QStringLiteral("contact"), tr("E-Mail：vellora@example.org"), 360,
                        1440, 3300, 285, kGothic, Qt::black);
    platform::MakeLabel(client, QStringLiteral("version"), QStringLiteral("Ver.0.1"), 2340, 720,
                        1005, 330, kMincho, Qt::red);
    platform::MakeLabel(client, QStringLiteral("copyright"),
                        QStringLiteral("Copyright (C) 2026 Vellora"), 360, 1125, 2445, 285, kGothic,
                        Qt::black);
    ok_ = new QPushButton(QStringLiteral("OK"), client);
    ok_->setObjectName(QStringLiteral("ok"));
    // Neither the default nor the cancel button: Enter and space press it while it has the focus
    // (a button presses on Enter only when it is auto-default), and Esc does nothing.
    ok_->setAutoDefault(true);
    ok_->setDefault(false);
    platform::TwipsGeometry(ok_).SetRect(2745, 1800, 735, 285);
    SetClientSize(3765, 2175);
    connect(ok_, &QPushButton::clicked, this, [this] { Unload(); });
}

void AboutBox::ShowAbout() {
    if (!isVisible()) CenterOnScreen();
    Show();
    ok_->setFocus(Qt::OtherFocusReason);
}

}  // namespace about_box
