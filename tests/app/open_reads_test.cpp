// One open of a large photo reads its file at most twice, whichever road it comes by: once to
// check it, once to decode it.
#include <QApplication>
#include <cstdio>

#include "app/program.h"
#include "display_window/display_window.h"
#include "support/program_fixture.h"
#include "support/test_files.h"

namespace {

class OpenReadsTest : public ProgramTest, public ::testing::WithParamInterface<bool> {};

TEST_P(OpenReadsTest, A24MegapixelPhotoIsReadAtMostTwice) {
    if (GetParam()) thumbnailFolder = folder.Path("thumbnails");
    test_support::WriteJpeg(P("big.jpg"), {6000, 4000});
    StartWith("");
    test_support::OpenCounter reads(P("big.jpg"));
    ASSERT_EQ(program->OpenPicture(PathOf("big.jpg")), std::nullopt);
    EXPECT_EQ(Display().ShownPath(), PathOf("big.jpg"));
    // Its first paint draws what was decoded for it.
    QApplication::processEvents();
    std::printf("reads of one open: %d\n", reads.Count());
    EXPECT_LE(reads.Count(), 2);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutThumbnails, OpenReadsTest, ::testing::Bool());

}  // namespace
