#include "forms/form2.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "forms/menus.h"
#include "platform/twips.h"

namespace forms {

Form2::Form2() : FormWindow(platform::BorderStyle::SizableToolWindow) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("画像表示 "));
    CreateMenu();
    CreateControls();
    SetClientSize(4680, 3195);
    OpenAtPlatformDefault();
    ConnectHandlers();
}

void Form2::CreateControls() {
    QWidget* client = ClientArea();
    Image1 = new platform::ImageBox(client);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->Place(0, 0, 2895, 2175);
    Picture1 = new platform::PictureBox(client);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->Place(0, 0, 2055, 1455);
}

void Form2::CreateMenu() {
    QMenu* menu = AddMenu(MenuBar(), "orvik", QStringLiteral("ﾒﾆｭｰ"));
    hari = AddMenuItem(menu, "hari", QStringLiteral("張り付け"));
    del_pos = AddMenuItem(menu, "del_pos", QStringLiteral("削除"));
    disp_vl = AddMenuItem(menu, "disp_vl", QStringLiteral("画像追加..."));
    AddMenuItem(menu, "aaa", {});
    vl_end = AddMenuItem(menu, "vl_end", QStringLiteral("終了"));

    QMenu* help = AddMenu(MenuBar(), "vl_help", QStringLiteral("ﾍﾙﾌﾟ"));
    orvik_hlp = AddMenuItem(help, "orvik_hlp", QStringLiteral("Velloraﾍﾙﾌﾟ..."));
    vl_ab = AddMenuItem(help, "vl_ab", QStringLiteral("Velloraについて..."));
}

void Form2::ConnectHandlers() {
    connect(Image1, &platform::ImageBox::DoubleClicked, this, [this] { Image1_DblClick(); });
    connect(hari, &QAction::triggered, this, [this] { hari_Click(); });
    connect(del_pos, &QAction::triggered, this, [this] { del_pos_Click(); });
    connect(disp_vl, &QAction::triggered, this, [this] { disp_vl_Click(); });
    connect(vl_end, &QAction::triggered, this, [this] { vl_end_Click(); });
    connect(orvik_hlp, &QAction::triggered, this, [this] { orvik_hlp_Click(); });
    connect(vl_ab, &QAction::triggered, this, [this] { vl_ab_Click(); });
}

int Form2::TopAllowancePixels() const {
    // The picture starts 600 twips below Top: whatever of that the menu bar does not take lies
    // above the window's client area, where the window manager draws the title bar.
    return platform::TwipsToPixels(kAllowance) - MenuBarHeight();
}

void Form2::OnUnload() {
    // Back to the design state; the picture is let go so that its memory is freed.
    Image1->SetPicture(nullptr);
    Picture1->SetPicture(nullptr);
    Label1.Caption = {};
}

}  // namespace forms
