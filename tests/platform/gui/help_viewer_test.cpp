#include <gtest/gtest.h>

#include <QFileInfo>
#include <QStringList>

#include "platform/gui/help_viewer.h"
#include "support/test_files.h"

namespace {

using test_support::InTemporaryFolder;
using test_support::WriteBytes;

struct HelpCase {
    const char* name;
    const char* fileOnDisk;  // written to the current folder; empty: none
    bool openerSucceeds;
    bool expectStarted;
};

class HelpFileCases : public ::testing::TestWithParam<HelpCase> {};

TEST_P(HelpFileCases, HandsTheFileFoundToTheOpener) {
    const HelpCase& c = GetParam();
    InTemporaryFolder folder;
    if (*c.fileOnDisk) WriteBytes(folder.Path(QString::fromUtf8(c.fileOnDisk)), "help");
    QStringList opened;
    const platform::FileOpener opener = [&](const QString& path) {
        opened.append(path);
        return c.openerSucceeds;
    };

    const bool started = platform::OpenHelpFile(opener, QStringLiteral("Orvik.HLP"));

    EXPECT_EQ(started, c.expectStarted);
    if (!*c.fileOnDisk) {
        EXPECT_TRUE(opened.isEmpty());
        return;
    }
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(QFileInfo(opened[0]).isAbsolute());
    EXPECT_EQ(QFileInfo(opened[0]).canonicalFilePath(),
              QFileInfo(folder.Path(QString::fromUtf8(c.fileOnDisk))).canonicalFilePath());
}

INSTANTIATE_TEST_SUITE_P(Help, HelpFileCases,
                         ::testing::Values(HelpCase{"Missing", "", true, false},
                                           HelpCase{"Present", "Orvik.HLP", true, true},
                                           HelpCase{"PresentInAnotherLetterCase", "orvik.hlp", true,
                                                    true},
                                           HelpCase{"NothingOpensIt", "Orvik.HLP", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OpenHelpFile, WithoutAnOpenerStartsNothing) {
    InTemporaryFolder folder;
    WriteBytes(folder.Path(QStringLiteral("Orvik.HLP")), "help");
    EXPECT_FALSE(platform::OpenHelpFile({}, QStringLiteral("Orvik.HLP")));
}

}  // namespace
