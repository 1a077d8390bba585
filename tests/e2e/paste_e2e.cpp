// A picture that another program holds on the clipboard, pasted with vellora --paste: it opens in
// the display window with the clipboard's pixels, its pin comes back after a restart, and
// deleting it removes its file in "pasted" and nothing else.
#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include "e2e_test.h"
#include "program_runs.h"

namespace e2e {
namespace {

const QString kPinned = QStringLiteral("Form3");
const QString kDisplay = QStringLiteral("画像表示 ");
const QSize kSize(240, 160);
const QRgb kQuarters[] = {qRgb(255, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};

QRect Quarter(const QRect& picture, int i) {
    const QSize half = picture.size() / 2;
    const QPoint at = picture.topLeft() + QPoint(i % 2 * half.width(), i / 2 * half.height());
    return QRect(at, half).adjusted(8, 8, -8, -8);
}

class PasteTest : public ProgramTest {
protected:
    QStringList Arguments(const QStringList& more = {}) const {
        return QStringList{QStringLiteral("--data-dir"), work.path()} + more;
    }
    // The picture's four quarters, in their colours, at `picture` on the screen.
    void ExpectPictureAt(const QRect& picture) {
        QImage screen;
        const bool shown = XSession::WaitUntil(
            [&] {
                screen = session->SettledScreenshot(picture);
                for (int i = 0; i < 4; ++i) {
                    if (!AreaIs(screen, Quarter(picture, i), kQuarters[i], 8)) return false;
                }
                return true;
            },
            10000, 200);
        EXPECT_TRUE(shown) << "the pasted picture is not at " << ToString(picture).toStdString();
    }
    QStringList Pasted() const {
        return QDir(Path(QStringLiteral("pasted"))).entryList(QDir::Files | QDir::System);
    }
};

TEST_F(PasteTest, APictureOnTheClipboardIsPastedPinnedRestoredAndDeleted) {
    if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty()) {
        GTEST_SKIP() << "missing tools: xclip";
    }
    QImage picture(kSize, QImage::Format_RGB32);
    for (int i = 0; i < 4; ++i) {
        for (int y = i / 2 * 80; y < i / 2 * 80 + 80; ++y) {
            for (int x = i % 2 * 120; x < i % 2 * 120 + 120; ++x)
                picture.setPixel(x, y, kQuarters[i]);
        }
    }
    const QString source = Path(QStringLiteral("source.png"));
    ASSERT_TRUE(picture.save(source));
    // xclip owns the clipboard, in the foreground, until it is ended.
    QProcess owner;
    owner.setProcessEnvironment(session->Environment());
    owner.start(
        QStringLiteral("xclip"),
        {QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
         QStringLiteral("-t"), QStringLiteral("image/png"), QStringLiteral("-i"), source});
    ASSERT_TRUE(owner.waitForStarted());

    ASSERT_TRUE(session->StartProgram(QStringLiteral(VELLORA_PROGRAM), work.path(), Arguments()));
    ASSERT_TRUE(session->WaitForWindow(QStringLiteral("Vellora"), 20000));
    const FinishedRun paste =
        RunToEnd(QStringLiteral(VELLORA_PROGRAM), work.path(),
                 Arguments({QStringLiteral("--paste")}), session->Environment());
    ASSERT_TRUE(paste.finished && paste.exitCode == 0) << paste.output.toStdString();
    const std::optional<WindowInfo> display = session->WaitForWindow(kDisplay, 10000);
    ASSERT_TRUE(display);
    ASSERT_EQ(Pasted().size(), 1);
    const QString file = Path(QStringLiteral("pasted/") + Pasted().first());
    EXPECT_EQ(QImage(file).convertToFormat(QImage::Format_RGB32), picture);
    // The picture fills the display window below its menu bar.
    const QRect shown(display->rect.left(), display->rect.bottom() + 1 - kSize.height(),
                      kSize.width(), kSize.height());
    ExpectPictureAt(shown);

    // Pinned by a double-click, and back after a restart.
    ASSERT_TRUE(session->DoubleClick(shown.center()));
    const QList<WindowInfo> pinned = session->WaitForWindows(kPinned, 1, 10000);
    ASSERT_EQ(pinned.size(), 1);
    EXPECT_TRUE(XSession::WaitUntil(
        [&] { return ReadBytes(DataFile()).contains(QFile::encodeName(file)); }, 5000, 50));
    owner.kill();
    owner.waitForFinished();
    session->StopProgram();
    ASSERT_TRUE(session->StartProgram(QStringLiteral(VELLORA_PROGRAM), work.path(), Arguments()));
    const QList<WindowInfo> pins = session->WaitForWindows(kPinned, 1, 20000);
    ASSERT_EQ(pins.size(), 1);
    EXPECT_EQ(ToString(pins.first().rect).toStdString(),
              ToString(pinned.first().rect).toStdString());
    ExpectPictureAt(pins.first().rect);

    // Unpinned, then deleted ("削除", the display window menu's second item).
    ASSERT_TRUE(session->DoubleClick(shown.center()));
    const std::optional<WindowInfo> again = session->WaitForWindow(kDisplay, 10000);
    ASSERT_TRUE(again);
    ASSERT_TRUE(session->TriggerMenuItem(
        QPoint(again->rect.left() + 15, (again->rect.top() + pins.first().rect.top()) / 2), 1));
    ExpectDataFile(QByteArray());
    EXPECT_TRUE(XSession::WaitUntil([&] { return Pasted().isEmpty(); }, 5000, 50))
        << Pasted().join(' ').toStdString();
    EXPECT_TRUE(QFileInfo::exists(source));
    EXPECT_TRUE(QFileInfo::exists(DataFile()));
}

}  // namespace
}  // namespace e2e
