// The text of a pin, copied from its menu in the running program, as another program reads the
// clipboard.
#include <QStandardPaths>

#include "e2e_test.h"

namespace e2e {
namespace {

const QString kPinned = QStringLiteral("Form3");

using PinTextTest = ProgramTest;

TEST_F(PinTextTest, TheRecognisedTextReachesTheClipboard) {
    if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty()) {
        GTEST_SKIP() << "xclip or ImageMagick is missing";
    }
    if (!QFile::exists(QStringLiteral("/usr/share/tesseract-ocr/5/tessdata/jpn.traineddata"))) {
        GTEST_SKIP() << "no Japanese language data";
    }
    bool ok = false;
    const QString font = QString::fromUtf8(session->Run(
        QStringLiteral("fc-match"),
        {QStringLiteral("-f"), QStringLiteral("%{file}"), QStringLiteral("Liberation Sans")}));
    const QString picture = Path(QStringLiteral("note.png"));
    session->Run(QStringLiteral("convert"),
                 {"-size", "600x120", "xc:white", "-font", font, "-pointsize", "36", "-fill",
                  "black", "-annotate", "+30+75", "Pinned notes stay here", picture},
                 &ok, 20000);
    ASSERT_TRUE(ok) << "ImageMagick drew no picture";
    // 600 x 120 pixels at (150, 150).
    ASSERT_TRUE(WriteBytes(DataFile(), DataRecord({"2250", "2250", "9000", "1800"}, picture)));
    ASSERT_TRUE(Start());
    const std::optional<WindowInfo> pin = session->WaitForWindow(kPinned, 20000);
    ASSERT_TRUE(pin.has_value());

    // "文字を認識してコピー" is the fourth item from the menu's end.
    ASSERT_TRUE(session->Click(pin->rect.center(), 3));
    ASSERT_TRUE(XSession::WaitUntil([&] { return !session->VisiblePopups().isEmpty(); }, 5000));
    ASSERT_TRUE(session->Key(QStringLiteral("Up Up Up Up Return")));
    QString clipboard;
    EXPECT_TRUE(XSession::WaitUntil(
        [&] {
            clipboard = QString::fromUtf8(session->Run(
                QStringLiteral("xclip"), {"-o", "-selection", "clipboard"}, nullptr, 2000));
            return clipboard == QStringLiteral("Pinned notes stay here");
        },
        60000, 250))
        << "clipboard: " << clipboard.toStdString();
    // The pin is still pinned.
    EXPECT_EQ(session->VisibleWindows(kPinned).size(), 1);
}

}  // namespace
}  // namespace e2e
