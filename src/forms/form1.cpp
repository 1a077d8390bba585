#include "forms/form1.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include "forms/label_style.h"
#include "forms/menus.h"
#include "icon/program_icon.h"
#include "platform/file_lists.h"

namespace forms {

namespace {
constexpr LabelFont kTitleFont{"Times New Roman", 14.25, true, true};
constexpr LabelFont kVersionFont{"Times New Roman", 12, true, true};
}  // namespace

Form1::Form1() : FormWindow(platform::BorderStyle::FixedSingle) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vellora"));
    setWindowIcon(icon::ProgramIcon());
    CreateMenu();
    CreateControls();
    SetClientSize(3960, 2835);
    CenterOnScreen();
    ConnectHandlers();
}

void Form1::CreateControls() {
    QWidget* client = ClientArea();
    // Created back to front: a later sibling lies in front of an earlier one.
    Image1 = new platform::ImageBox(client);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->Place(2280, 600, 1215, 975);

    Label2 = MakeLabel(client, QStringLiteral("Label2"), QStringLiteral("Vellora"), 2160, 45, 1815,
                       375, kTitleFont, kLightBlue);
    Label3 = MakeLabel(client, QStringLiteral("Label3"), QStringLiteral("Vellora"), 2115, 45, 1815,
                       375, kTitleFont, kBlue);
    Label5 = MakeLabel(client, QStringLiteral("Label5"), QStringLiteral("ver 0.1"), 3240, 270, 690,
                       240, kVersionFont, kRed);

    Drive1 = new platform::DriveListBox(client);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->Place(135, 45, 1905, 300);
    Dir1 = new platform::DirListBox(client);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->Place(135, 405, 1890, 1140);
    File1 = new platform::FileListBox(client);
    File1->setObjectName(QStringLiteral("File1"));
    File1->SetPattern(QStringLiteral("*.jpg;*.gif"));
    File1->Place(135, 1575, 1890, 1170);

    Picture1 = new platform::PictureBox(client);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->Place(2280, 600, 735, 735);

    // Only the three browser lists take the focus, in this order.
    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);
}

void Form1::CreateMenu() {
    QMenu* menu = AddMenu(MenuBar(), "menu", QStringLiteral("ﾒﾆｭｰ"));
    non_disp = AddMenuItem(menu, "non_disp", QStringLiteral("非表示"));
    AddMenuItem(menu, "aa", {});
    end_vl = AddMenuItem(menu, "end_vl", QStringLiteral("終了"));

    QMenu* help = AddMenu(MenuBar(), "orvik_help", QStringLiteral("ﾍﾙﾌﾟ"));
    vl_help = AddMenuItem(help, "vl_help", QStringLiteral("Velloraﾍﾙﾌﾟ..."));
    vl_about = AddMenuItem(help, "vl_about", QStringLiteral("Velloraについて..."));
}

void Form1::SetShownWithHide(bool shown, bool hideEnabled) {
    SetShown(shown);
    non_disp->setEnabled(hideEnabled);
}

void Form1::ConnectHandlers() {
    connect(Drive1, &platform::DriveListBox::Change, this, [this] { Drive1_Change(); });
    connect(Dir1, &platform::DirListBox::Change, this, [this] { Dir1_Change(); });
    connect(File1, &platform::FileListBox::Click, this, [this] { File1_Click(); });
    connect(Image1, &platform::ImageBox::DoubleClicked, this, [this] { Image1_DblClick(); });
    connect(non_disp, &QAction::triggered, this, [this] { non_disp_Click(); });
    connect(end_vl, &QAction::triggered, this, [this] { end_vl_Click(); });
    connect(vl_help, &QAction::triggered, this, [this] { vl_help_Click(); });
    connect(vl_about, &QAction::triggered, this, [this] { vl_about_Click(); });
}

}  // namespace forms
