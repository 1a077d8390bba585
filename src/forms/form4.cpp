#include "forms/form4.h"

#include <QLabel>
#include <QPushButton>

#include "forms/label_style.h"
#include "platform/controls.h"

namespace forms {

namespace {
constexpr LabelFont kGothic{"ＭＳ Ｐゴシック", 9.75, true, false};
constexpr LabelFont kMincho{"ＭＳ Ｐ明朝", 12, true, false};
constexpr LabelFont kTitle{"Times New Roman", 21.75, true, true};
}  // namespace

Form4::Form4() : FormWindow(platform::BorderStyle::FixedToolWindow) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Velloraについて"));
    QWidget* client = ClientArea();
    // Created back to front.
    Label3 = MakeLabel(client, QStringLiteral("Label3"), QStringLiteral("Vellora"), 360, 225, 2895,
                       645, kTitle, kLightBlue);
    Label2 = MakeLabel(client, QStringLiteral("Label2"), QStringLiteral("Vellora"), 315, 180, 2895,
                       780, kTitle, kBlue);
    Label1 =
        MakeLabel(client, QStringLiteral("Label1"), QStringLiteral("E-Mail：vellora@example.org"),
                  360, 1440, 3300, 285, kGothic, kBlack);
    Label4 = MakeLabel(client, QStringLiteral("Label4"), QStringLiteral("Ver.0.1"), 2340, 720, 1005,
                       330, kMincho, kRed);
    Label5 =
        MakeLabel(client, QStringLiteral("Label5"), QStringLiteral("Copyright (C) 2026 Vellora"),
                  360, 1125, 2445, 285, kGothic, kBlack);
    Command1 = new QPushButton(QStringLiteral("OK"), client);
    Command1->setObjectName(QStringLiteral("Command1"));
    // Neither the default nor the cancel button: Enter and space press it while it has the focus
    // (a button presses on Enter only when it is auto-default), and Esc does nothing.
    Command1->setAutoDefault(true);
    Command1->setDefault(false);
    platform::TwipsGeometry(Command1).Place(2745, 1800, 735, 285);
    SetClientSize(3765, 2175);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void Form4::ShowAbout() {
    if (!isVisible()) CenterOnScreen();
    Show();
    Command1->setFocus(Qt::OtherFocusReason);
}

void Form4::Command1_Click() {
    Unload();
}

}  // namespace forms
