// A picture that another program holds on the clipboard, pasted with vellora --paste: it opens in
// the display window with the clipboard's pixels, its pin comes back after a restart, unpinning
// keeps its file in "pasted", and deleting it removes that file and nothing else.
#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>

#include "e2e_test.h"
#include "program_runs.h"

namespace e2e {
namespace {

using PasteTest = ProgramTest;

TEST_F(PasteTest, APictureOnTheClipboardIsPastedPinnedRestoredAndDeleted) {
    if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty()) {
        GTEST_SKIP() << "missing tools: xclip";
    }
    const QString display = QStringLiteral("vellora-display"),
                  pinned = QStringLiteral("vellora-pin");
    // Left half red, right half blue: the halves are told apart on the screen.
    QImage picture(240, 160, QImage::Format_RGB32);
    picture.fill(qRgb(255, 0, 0));
    QPainter(&picture).fillRect(120, 0, 120, 160, QColor(0, 0, 255));
    const auto expectPictureAt = [&](const QRect& rect) {
        const QRect left = rect.adjusted(8, 8, -rect.width() / 2 - 8, -8);
        EXPECT_TRUE(XSession::WaitUntil(
            [&] {
                const QImage screen = session->SettledScreenshot(rect);
                return AreaIs(screen, left, qRgb(255, 0, 0), 8) &&
                       AreaIs(screen, left.translated(rect.width() / 2, 0), qRgb(0, 0, 255), 8);
            },
            10000, 200))
            << "the pasted picture is not at " << ToString(rect).toStdString();
    };
    const auto pasted = [&] { return QDir(Path(QStringLiteral("pasted"))).entryList(QDir::Files); };
    const QStringList data{QStringLiteral("--data-dir"), work.path()};
    ASSERT_TRUE(session->StartProgram(QStringLiteral(VELLORA_PROGRAM), work.path(), data));
    ASSERT_TRUE(session->WaitForWindow(QStringLiteral("vellora-main"), 20000));
    const auto paste = [&] {
        return RunToEnd(QStringLiteral(VELLORA_PROGRAM), work.path(), data + QStringList{"--paste"},
                        session->Environment());
    };
    // Nothing on the clipboard: nothing changes, and the start says so.
    const FinishedRun empty = paste();
    EXPECT_TRUE(empty.finished && empty.exitCode == 1) << empty.output.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("pasted"))));
    EXPECT_TRUE(session->VisibleWindows(display).isEmpty());

    const QString source = Path(QStringLiteral("source.png"));
    ASSERT_TRUE(picture.save(source));
    // xclip owns the clipboard, in the foreground, until it is ended.
    QProcess owner;
    owner.setProcessEnvironment(session->Environment());
    owner.start(QStringLiteral("xclip"),
                {"-quiet", "-selection", "clipboard", "-t", "image/png", "-i", source});
    ASSERT_TRUE(owner.waitForStarted());
    const FinishedRun pasting = paste();
    ASSERT_TRUE(pasting.finished && pasting.exitCode == 0) << pasting.output.toStdString();
    const std::optional<WindowInfo> shown = session->WaitForWindow(display, 10000);
    ASSERT_TRUE(shown);
    ASSERT_EQ(pasted().size(), 1);
    const QString file = Path(QStringLiteral("pasted/") + pasted().first());
    EXPECT_EQ(QImage(file).convertToFormat(QImage::Format_RGB32), picture);
    const QRect below(shown->rect.left(), shown->rect.bottom() - 159, 240, 160);
    expectPictureAt(below);

    // Pinned by a double-click, and back after a restart.
    ASSERT_TRUE(session->DoubleClick(below.center()));
    const QList<WindowInfo> pins = session->WaitForWindows(pinned, 1, 10000);
    ASSERT_EQ(pins.size(), 1);
    EXPECT_TRUE(XSession::WaitUntil(
        [&] { return ReadBytes(DataFile()).contains(QFile::encodeName(file)); }, 5000, 50));
    session->StopProgram();
    ASSERT_TRUE(session->StartProgram(QStringLiteral(VELLORA_PROGRAM), work.path(), data));
    const QList<WindowInfo> restored = session->WaitForWindows(pinned, 1, 20000);
    ASSERT_EQ(restored.size(), 1);
    EXPECT_EQ(ToString(restored.first().rect).toStdString(),
              ToString(pins.first().rect).toStdString());
    expectPictureAt(restored.first().rect);

    // Unpinned, which keeps the file, then deleted ("削除", the menu's second item).
    ASSERT_TRUE(session->DoubleClick(restored.first().rect.center()));
    const std::optional<WindowInfo> again = session->WaitForWindow(display, 10000);
    ASSERT_TRUE(again);
    EXPECT_EQ(pasted().size(), 1);
    ASSERT_TRUE(session->TriggerMenuItem(
        QPoint(again->rect.left() + 15, (again->rect.top() + restored.first().rect.top()) / 2), 1));
    ExpectDataFile(QByteArray());
    EXPECT_TRUE(XSession::WaitUntil([&] { return pasted().isEmpty(); }, 5000, 50));
    EXPECT_TRUE(QFileInfo::exists(source) && QFileInfo::exists(DataFile()));
    owner.kill();
    owner.waitForFinished();
}

}  // namespace
}  // namespace e2e
