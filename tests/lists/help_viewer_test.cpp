#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QWidget>

#include "platform/help_viewer.h"
#include "support/test_files.h"

namespace {

using test_support::InTemporaryFolder;
using test_support::WriteBytes;

QList<QMessageBox*> HelpMessages() {
    QList<QMessageBox*> boxes;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box && box->objectName() == QLatin1String("HelpMessage")) boxes.append(box);
    }
    return boxes;
}

class WinHelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetHelpOpenerForTests([this](const QString& path) {
            opened_.append(path);
            return openerSucceeds_;
        });
    }
    void TearDown() override {
        platform::SetHelpOpenerForTests({});
        for (QMessageBox* box : HelpMessages()) box->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    InTemporaryFolder folder_;
    QWidget owner_;
    QStringList opened_;
    bool openerSucceeds_ = true;
};

struct HelpCase {
    const char* name;
    const char* fileOnDisk;  // written to the current folder; empty: none
    bool openerSucceeds;
    bool expectOpened;
    const char* expectedMessage;  // empty: no message box
};

class WinHelpCases : public WinHelpTest, public ::testing::WithParamInterface<HelpCase> {};

TEST_P(WinHelpCases, OpensTheFileOrSaysWhyNot) {
    const HelpCase& c = GetParam();
    if (*c.fileOnDisk) WriteBytes(folder_.Path(QString::fromUtf8(c.fileOnDisk)), "help");
    openerSucceeds_ = c.openerSucceeds;

    const bool started =
        platform::WinHelp(&owner_, QStringLiteral("Orvik.HLP"), platform::kHelpContents, 0);

    EXPECT_EQ(started, c.expectOpened);
    if (*c.fileOnDisk) {
        ASSERT_EQ(opened_.size(), 1);
        EXPECT_TRUE(QFileInfo(opened_[0]).isAbsolute());
        EXPECT_EQ(QFileInfo(opened_[0]).canonicalFilePath(),
                  QFileInfo(folder_.Path(QString::fromUtf8(c.fileOnDisk))).canonicalFilePath());
    } else {
        EXPECT_TRUE(opened_.isEmpty());
    }
    const auto boxes = HelpMessages();
    if (!*c.expectedMessage) {
        EXPECT_TRUE(boxes.isEmpty());
        return;
    }
    ASSERT_EQ(boxes.size(), 1);
    QMessageBox* box = boxes[0];
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(box->windowModality(), Qt::NonModal);
    EXPECT_EQ(box->parentWidget(), &owner_);
    EXPECT_TRUE(box->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Velloraﾍﾙﾌﾟ"));
    EXPECT_EQ(box->text(), QString::fromUtf8(c.expectedMessage));
}

INSTANTIATE_TEST_SUITE_P(
    Help, WinHelpCases,
    ::testing::Values(HelpCase{"Missing", "", true, false,
                               "ヘルプファイル \"Orvik.HLP\" が見つかりません。"},
                      HelpCase{"Present", "Orvik.HLP", true, true, ""},
                      HelpCase{"PresentInAnotherLetterCase", "orvik.hlp", true, true, ""},
                      HelpCase{"NothingOpensIt", "Orvik.HLP", false, false,
                               "ヘルプファイル \"Orvik.HLP\" を開けません。"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
