// One program per data folder on a real desktop: a later start for the same folder hands over
// to the running one (its main window back, or a picture opened in it) and ends; a folder left
// locked by a killed program is taken over; different folders run side by side; a running
// program that does not answer is reported. The tray icon, where there is a tray, brings the
// main window back and ends the program. Start at login writes its entry without a display.
#include <unistd.h>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <memory>

#include "e2e_test.h"
#include "program_runs.h"

namespace e2e {
namespace {

// The main window by its caption, the same in every language, which the tray icon's window shares.
const QString kMain = QStringLiteral("Vellora");
const QString kPinned = QStringLiteral("vellora-pin");
const QString kDisplay = QStringLiteral("vellora-display");

QImage Filled(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

class InstanceTest : public ProgramTest {
protected:
    // The window the window manager gave the focus to.
    WindowId ActiveWindow() const {
        const QByteArray root =
            session->Run(QStringLiteral("xprop"),
                         {QStringLiteral("-root"), QStringLiteral("_NET_ACTIVE_WINDOW")});
        return root.mid(root.indexOf('#') + 1).trimmed().toULongLong(nullptr, 16);
    }
    // Every run names its data folder: the test's working folder.
    QStringList Arguments(const QStringList& more = {}) const {
        return QStringList{QStringLiteral("--data-dir"), work.path()} + more;
    }
    bool StartFirst(const QStringList& more = {}) {
        return session->StartProgram(QStringLiteral(VELLORA_PROGRAM), work.path(), Arguments(more));
    }
    FinishedRun StartAgain(const QStringList& more = {}) {
        return RunToEnd(QStringLiteral(VELLORA_PROGRAM), work.path(), Arguments(more),
                        session->Environment());
    }
    // Two pinned pictures in the data file, and the main window out of sight once they are back.
    QByteArray StartWithTwoPinned() {
        EXPECT_TRUE(WriteJpeg(Path("red.jpg"), Filled({300, 200}, qRgb(255, 0, 0))));
        EXPECT_TRUE(WriteJpeg(Path("blue.jpg"), Filled({200, 100}, qRgb(0, 0, 255))));
        QByteArray data = DataRecord({"1500", "1500", "4500", "3000"}, Path("red.jpg")) +
                          DataRecord({"9000", "6000", "3000", "1500"}, Path("blue.jpg"));
        EXPECT_TRUE(WriteBytes(DataFile(), data));
        EXPECT_TRUE(StartFirst());
        EXPECT_EQ(session->WaitForWindows(kPinned, 2, 20000).size(), 2);
        ExpectDataFile(data);
        return data;
    }
    static void ExpectClean(const FinishedRun& run) {
        EXPECT_FALSE(HasSanitizerReport(run.output)) << run.output.toStdString();
    }
};

TEST_F(InstanceTest, ASecondStartShowsTheRunningMainWindowAndChangesNothing) {
    const QByteArray data = StartWithTwoPinned();
    QThread::msleep(500);
    ASSERT_TRUE(session->VisibleWindows(kMain).isEmpty()) << "the restore left the main window up";
    const QDateTime written = QFileInfo(DataFile()).lastModified();

    QElapsedTimer clock;
    clock.start();
    ProgramRun second(QStringLiteral(VELLORA_PROGRAM), work.path(), Arguments(),
                      session->Environment());
    ASSERT_TRUE(second.Started());
    const bool mapped =
        XSession::WaitUntil([&] { return !session->VisibleWindows(kMain).isEmpty(); }, 10000, 5);
    const qint64 latency = clock.elapsed();
    const FinishedRun run = second.Finish();
    std::printf(
        "hand-over: second start to main window mapped: %lld ms (second start ended "
        "after %lld ms)\n",
        static_cast<long long>(latency), static_cast<long long>(run.elapsedMs));
    ASSERT_TRUE(run.finished) << run.output.toStdString();
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    ExpectClean(run);
    ASSERT_TRUE(mapped) << "the main window did not come back";

    QThread::msleep(700);
    const std::optional<WindowInfo> main = session->WaitForWindow(kMain);
    ASSERT_TRUE(main);
    EXPECT_EQ(ActiveWindow(), main->id) << "the main window did not get the focus";
    EXPECT_EQ(session->VisibleWindows(kMain).size(), 1);
    EXPECT_EQ(session->VisibleWindows(kPinned).size(), 2);
    EXPECT_TRUE(session->ProgramRunning());
    EXPECT_EQ(ReadBytes(DataFile()), data);
    EXPECT_EQ(QFileInfo(DataFile()).lastModified(), written) << "the data file was written again";

    // Buried under another program's window, it comes to the front again.
    ASSERT_TRUE(
        session->OpenForeignWindow(QStringLiteral("other"), main->rect.adjusted(-20, -40, 20, 20)));
    ASSERT_TRUE(XSession::WaitUntil([&] { return ActiveWindow() != main->id; }, 5000));
    EXPECT_EQ(StartAgain().exitCode, 0);
    EXPECT_TRUE(XSession::WaitUntil([&] { return ActiveWindow() == main->id; }, 5000))
        << "the main window did not get the focus back";
}

TEST_F(InstanceTest, PicturesOpenAtTheirSizeAtStartAndInTheRunningProgram) {
    ASSERT_TRUE(WriteJpeg(Path("red.jpg"), Filled({300, 200}, qRgb(255, 0, 0))));
    const QByteArray pinned = DataRecord({"1500", "1500", "4500", "3000"}, Path("red.jpg"));
    ASSERT_TRUE(WriteBytes(DataFile(), pinned));
    // 296 x 196 pixels measure 300 x 200 with the measuring box's border; 196 x 146, 200 x 150.
    ASSERT_TRUE(WriteJpeg(Path("photo.jpg"), PatternImage({296, 196})));
    ASSERT_TRUE(QDir(work.path()).mkdir(QStringLiteral("sub")));
    ASSERT_TRUE(WriteJpeg(Path("sub/other.jpg"), PatternImage({196, 146})));
    // A Shift-JIS name, which only the bytes of argv carry.
    const QByteArray shiftJis = QFile::encodeName(work.path()) + "/\x8e\xca\x90^.jpg";
    ASSERT_TRUE(WriteJpeg(Path("sjis.jpg"), PatternImage({96, 76})));
    ASSERT_EQ(::rename(QFile::encodeName(Path("sjis.jpg")).constData(), shiftJis.constData()), 0);
    // QTemporaryDir removes files by their names as text, which miss this one.
    struct RemovedAtEnd {
        QByteArray path;
        ~RemovedAtEnd() { ::unlink(path.constData()); }
    } const removeLater{shiftJis};
    ASSERT_TRUE(WriteBytes(Path("notes.jpg"), "not a picture"));

    // At start: after the restore, relative to the current folder.
    ASSERT_TRUE(StartFirst({QStringLiteral("photo.jpg")}));
    const std::optional<WindowInfo> first = session->WaitForWindow(kDisplay, 20000);
    ASSERT_TRUE(first) << session->ProgramOutput().toStdString();
    EXPECT_EQ(first->rect.width(), 300);
    const int menuBar = first->rect.height() - 200;
    EXPECT_EQ(session->VisibleWindows(kPinned).size(), 1);
    EXPECT_TRUE(session->VisibleWindows(kMain).isEmpty());
    ExpectDataFile(pinned);

    // In the running program: the picture on show is pinned where it is first.
    QElapsedTimer clock;
    clock.start();
    const FinishedRun run = StartAgain({Path("sub/other.jpg")});
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    ExpectClean(run);
    const QList<WindowInfo> both = session->WaitForWindows(kPinned, 2);
    ASSERT_EQ(both.size(), 2);
    ASSERT_TRUE(XSession::WaitUntil(
        [&] {
            const QList<WindowInfo> display = session->VisibleWindows(kDisplay);
            return display.size() == 1 && display[0].rect.size() == QSize(200, 150 + menuBar);
        },
        10000, 5))
        << "the display window does not show the second picture at its size";
    std::printf("hand-over: second start to the display window at the new size: %lld ms\n",
                static_cast<long long>(clock.elapsed()));
    const QRect photo(first->rect.topLeft() + QPoint(0, menuBar), QSize(300, 200));
    ExpectDataFile(pinned + DataRecord({QString::number(photo.left() * 15),
                                        QString::number(photo.top() * 15), "4500", "3000"},
                                       Path("photo.jpg")));

    // A name that is not UTF-8 arrives as its bytes (through a shell, since QProcess passes
    // text).
    const FinishedRun raw = RunToEnd(QStringLiteral("/bin/sh"), work.path(),
                                     {QStringLiteral("-c"),
                                      QStringLiteral("exec \"$0\" --data-dir \"$1\" \"$(printf "
                                                     "'\\216\\312\\220^.jpg')\""),
                                      QStringLiteral(VELLORA_PROGRAM), work.path()},
                                     session->Environment());
    EXPECT_EQ(raw.exitCode, 0) << raw.output.toStdString();
    EXPECT_TRUE(XSession::WaitUntil(
        [&] {
            const QList<WindowInfo> display = session->VisibleWindows(kDisplay);
            return display.size() == 1 && display[0].rect.size() == QSize(100, 80 + menuBar);
        },
        10000))
        << "the Shift-JIS named picture did not open";
    EXPECT_EQ(session->WaitForWindows(kPinned, 3).size(), 3);
    const QByteArray withOther = ReadBytes(DataFile());
    EXPECT_TRUE(withOther.contains(QFile::encodeName(Path("sub/other.jpg"))));

    // Not a picture: said on the command line; nothing opens and nothing is pinned.
    for (const QString& bad :
         {QStringLiteral("notes.jpg"), QStringLiteral("missing.jpg"), QStringLiteral("red.png")}) {
        const FinishedRun refused = StartAgain({bad});
        EXPECT_EQ(refused.exitCode, 1) << bad.toStdString();
        EXPECT_TRUE(refused.output.contains(bad)) << refused.output.toStdString();
        ExpectClean(refused);
    }
    QThread::msleep(500);
    EXPECT_EQ(session->VisibleWindows(kPinned).size(), 3);
    EXPECT_EQ(session->VisibleWindows(kDisplay).size(), 1);
    EXPECT_EQ(ReadBytes(DataFile()), withOther);
}

// --pins goes to the running program: it lists every pin, and hides and shows them all without
// a save; with no program running the list comes from the data file.
TEST_F(InstanceTest, PinsCommandsListHideAndShowEveryPin) {
    const QByteArray data = StartWithTwoPinned();
    const FinishedRun list = StartAgain({QStringLiteral("--pins"), QStringLiteral("list")});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_TRUE(list.output.contains(QStringLiteral("shown\t1500\t1500\t4500\t3000\t") +
                                     Path(QStringLiteral("red.jpg"))))
        << list.output.toStdString();

    EXPECT_EQ(StartAgain({QStringLiteral("--pins"), QStringLiteral("hide")}).exitCode, 0);
    EXPECT_TRUE(session->WaitForNoWindow(kPinned, 5000));
    EXPECT_TRUE(StartAgain({QStringLiteral("--pins"), QStringLiteral("list")})
                    .output.startsWith(QStringLiteral("hidden\t")));
    EXPECT_EQ(StartAgain({QStringLiteral("--pins"), QStringLiteral("toggle")}).exitCode, 0);
    EXPECT_EQ(session->WaitForWindows(kPinned, 2, 5000).size(), 2);
    ExpectDataFile(data);

    session->StopProgram();
    const FinishedRun saved = StartAgain({QStringLiteral("--pins"), QStringLiteral("list")});
    EXPECT_EQ(saved.exitCode, 0);
    EXPECT_EQ(saved.output.count(QStringLiteral("saved\t")), 2) << saved.output.toStdString();
    EXPECT_EQ(StartAgain({QStringLiteral("--pins"), QStringLiteral("hide")}).exitCode, 1);
}

TEST_F(InstanceTest, AStartAfterKillNineTakesTheFolderOver) {
    ASSERT_TRUE(StartFirst());
    ASSERT_TRUE(session->WaitForWindow(kMain, 20000));
    ASSERT_TRUE(QFile::exists(Path(".vellora.lock")));
    ASSERT_EQ(::kill(pid_t(session->ProgramPid()), SIGKILL), 0);
    ASSERT_TRUE(XSession::WaitUntil([&] { return !session->ProgramRunning(); }, 5000));
    ASSERT_TRUE(session->WaitForNoWindow(kMain));
    // The lock file and the socket stay behind.
    EXPECT_TRUE(QFile::exists(Path(".vellora.lock")));

    ASSERT_TRUE(StartFirst());
    EXPECT_TRUE(session->WaitForWindow(kMain, 20000)) << session->ProgramOutput().toStdString();
    EXPECT_TRUE(session->ProgramRunning());
    // It holds the folder: the next start hands over to it.
    const FinishedRun run = StartAgain();
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_TRUE(session->ProgramRunning());
    EXPECT_EQ(session->VisibleWindows(kMain).size(), 1);
}

TEST_F(InstanceTest, DifferentDataFoldersRunSideBySide) {
    ASSERT_TRUE(StartFirst());
    ASSERT_TRUE(session->WaitForWindow(kMain, 20000));
    // The user's data folder, beside the working one.
    QProcessEnvironment environment = session->Environment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), Path("xdg"));
    const QStringList userData{QStringLiteral("--user-data")};
    ProgramRun beside(QStringLiteral(VELLORA_PROGRAM), work.path(), userData, environment);
    ASSERT_TRUE(beside.Started());
    EXPECT_EQ(session->WaitForWindows(kMain, 2, 20000).size(), 2) << beside.Output().toStdString();
    EXPECT_TRUE(QFile::exists(Path("xdg/vellora/zuzerid.dat")));
    EXPECT_EQ(QFileInfo(Path("xdg/vellora")).permissions() & 0x0077, 0)
        << "the folder is not private";
    EXPECT_TRUE(beside.Running());
    EXPECT_TRUE(session->ProgramRunning());

    // A start for either folder goes to that folder's program and ends.
    const FinishedRun again =
        RunToEnd(QStringLiteral(VELLORA_PROGRAM), work.path(), userData, environment);
    EXPECT_EQ(again.exitCode, 0) << again.output.toStdString();
    EXPECT_EQ(StartAgain().exitCode, 0);
    EXPECT_EQ(session->VisibleWindows(kMain).size(), 2);
    EXPECT_TRUE(beside.Running());
    EXPECT_FALSE(HasSanitizerReport(beside.Output())) << beside.Output().toStdString();
}

TEST_F(InstanceTest, AProgramThatDoesNotAnswerIsReportedAndItsFolderLeftAlone) {
    const QByteArray data = StartWithTwoPinned();
    const pid_t pid = pid_t(session->ProgramPid());
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    const FinishedRun run = StartAgain();
    ::kill(pid, SIGCONT);
    ASSERT_TRUE(run.finished);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.output.contains(QStringLiteral("does not answer"))) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QFileInfo(work.path()).canonicalFilePath()))
        << run.output.toStdString();
    EXPECT_EQ(run.output.trimmed().count(QLatin1Char('\n')), 0) << "more than one line";
    EXPECT_EQ(ReadBytes(DataFile()), data);
    EXPECT_EQ(session->VisibleWindows(kPinned).size(), 2);
}

TEST_F(InstanceTest, TheTrayIconBringsTheMainWindowBackAndItsMenuEndsTheProgram) {
    if (QStandardPaths::findExecutable(QStringLiteral("trayer")).isEmpty()) {
        GTEST_SKIP() << "trayer (a system tray) is not installed";
    }
    const QByteArray data = StartWithTwoPinned();
    // The tray comes after the program, as a panel may at login.
    ProgramRun tray(QStringLiteral("trayer"), work.path(),
                    {"--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "100",
                     "--height", "24"},
                    session->Environment());
    // The icon is a window of the program's, 16 to 32 pixels wide, embedded in the tray (so
    // not one the window manager manages); the main window is larger.
    const auto icons = [&](bool wantIcon) {
        QList<WindowInfo> found;
        const QList<WindowInfo> windows =
            wantIcon ? session->NamedWindows() : session->VisibleWindows(kMain);
        for (const WindowInfo& window : windows) {
            const bool small = window.rect.width() >= 16 && window.rect.width() <= 32;
            if (window.title == kMain && small == wantIcon) found << window;
        }
        return found;
    };
    ASSERT_TRUE(XSession::WaitUntil([&] { return icons(true).size() == 1; }, 15000))
        << "no tray icon";
    const QPoint icon = icons(true)[0].rect.center();
    ASSERT_TRUE(icons(false).isEmpty());

    ASSERT_TRUE(session->Click(icon));
    ASSERT_TRUE(XSession::WaitUntil([&] { return icons(false).size() == 1; }, 5000))
        << "a click on the tray icon did not bring the main window back";

    // Its menu's last item, "終了", ends the program as the main window's does.
    session->Run(QStringLiteral("xdotool"),
                 {"mousemove", QString::number(icon.x()), QString::number(icon.y()), "click", "3"});
    ASSERT_TRUE(XSession::WaitUntil([&] { return !session->VisiblePopups().isEmpty(); }, 5000));
    ASSERT_TRUE(session->Key(QStringLiteral("Up Return")));
    EXPECT_TRUE(XSession::WaitUntil([&] { return !session->ProgramRunning(); }, 5000));
    EXPECT_EQ(ReadBytes(DataFile()), data);
    EXPECT_FALSE(QFile::exists(Path(".vellora.lock")));
}

// Start at login: without a display, and without opening a window.
TEST(StartAtLogin, OnWritesTheEntryAndOffRemovesIt) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    const QString entry = config.filePath(QStringLiteral("autostart/org.vellora.Vellora.desktop"));
    const QString program = QFileInfo(QStringLiteral(VELLORA_PROGRAM)).canonicalFilePath();

    const FinishedRun on = RunToEnd(program, config.path(), {"--autostart", "on"}, environment);
    EXPECT_EQ(on.exitCode, 0) << on.output.toStdString();
    EXPECT_TRUE(on.output.contains(entry)) << on.output.toStdString();
    const QString text = QString::fromUtf8(ReadBytes(entry));
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\n"))) << text.toStdString();
    EXPECT_TRUE(
        text.contains(QStringLiteral("\nExec=") + program + QStringLiteral(" --user-data\n")))
        << text.toStdString();
    EXPECT_FALSE(HasSanitizerReport(on.output));

    const FinishedRun off = RunToEnd(program, config.path(), {"--autostart", "off"}, environment);
    EXPECT_EQ(off.exitCode, 0) << off.output.toStdString();
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(HasSanitizerReport(off.output));
}

}  // namespace
}  // namespace e2e
