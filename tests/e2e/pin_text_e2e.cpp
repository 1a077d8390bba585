// The text of a pin, copied from its menu in the running program, as another program reads the
// clipboard.
#include <signal.h>
#include <sys/stat.h>

#include <QCryptographicHash>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include "e2e_test.h"
#include "program_runs.h"

namespace e2e {
namespace {

const QString kPinned = QStringLiteral("Form3");
const QString kList = QStringLiteral("vellora-pin-list");

class PinTextTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty()) {
            GTEST_SKIP() << "xclip or ImageMagick is missing";
        }
        if (!QFile::exists(QStringLiteral("/usr/share/tesseract-ocr/5/tessdata/jpn.traineddata"))) {
            GTEST_SKIP() << "no Japanese language data";
        }
    }
    // Draws a note of one line and lists it in the data file: 600 x 120 pixels at (150, 150).
    void ListNote(const QString& picture);
    // Starts the program, copies the pin's text from its menu, and waits for the clipboard to
    // hold the note's line; what it held last.
    QString CopyTextFromThePin();
};

void PinTextTest::ListNote(const QString& picture) {
    bool ok = false;
    const QString font = QString::fromUtf8(session->Run(
        QStringLiteral("fc-match"),
        {QStringLiteral("-f"), QStringLiteral("%{file}"), QStringLiteral("Liberation Sans")}));
    session->Run(QStringLiteral("convert"),
                 {"-size", "600x120", "xc:white", "-font", font, "-pointsize", "36", "-fill",
                  "black", "-annotate", "+30+75", "Pinned notes stay here", picture},
                 &ok, 20000);
    ASSERT_TRUE(ok) << "ImageMagick drew no picture";
    ASSERT_TRUE(WriteBytes(DataFile(), DataRecord({"2250", "2250", "9000", "1800"}, picture)));
}

QString PinTextTest::CopyTextFromThePin() {
    if (!Start()) return QStringLiteral("(the program did not start)");
    const std::optional<WindowInfo> pin = session->WaitForWindow(kPinned, 20000);
    if (!pin) return QStringLiteral("(no pin)");
    // "文字を認識してコピー" is the fourth item from the menu's end.
    session->Click(pin->rect.center(), 3);
    XSession::WaitUntil([&] { return !session->VisiblePopups().isEmpty(); }, 5000);
    session->Key(QStringLiteral("Up Up Up Up Return"));
    QString clipboard;
    XSession::WaitUntil(
        [&] {
            clipboard = QString::fromUtf8(session->Run(
                QStringLiteral("xclip"), {"-o", "-selection", "clipboard"}, nullptr, 2000));
            return clipboard == QStringLiteral("Pinned notes stay here");
        },
        60000, 250);
    return clipboard;
}

TEST_F(PinTextTest, TheRecognisedTextReachesTheClipboard) {
    ListNote(Path(QStringLiteral("note.png")));
    EXPECT_EQ(CopyTextFromThePin().toStdString(), "Pinned notes stay here");
    // The pin is still pinned.
    EXPECT_EQ(session->VisibleWindows(kPinned).size(), 1);
}

// The text cache and the thumbnails are the program's own files, whose names anyone can work
// out from the picture's path: whatever stands in their place is left alone, never blocks, and
// counts as no cache. The list window and its search still answer, and the program still ends.
TEST_F(PinTextTest, ALinkOrAFifoInTheCachesPlaceIsLeftAloneAndNeverBlocks) {
    const struct {
        const char* what;
        bool fifo;
    } cases[] = {{"links to a file outside", false}, {"a FIFO", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString picture = Path(QStringLiteral("note.png"));
        ListNote(picture);
        const QString original = Path(QStringLiteral("outside.txt"));
        ASSERT_TRUE(WriteBytes(original, "the user's own file"));
        const QByteArray sha1 =
            QCryptographicHash::hash(QFile::encodeName(picture), QCryptographicHash::Sha1).toHex();
        QStringList owned = {Path(QStringLiteral("text/%1.json").arg(QLatin1String(sha1)))};
        const QByteArray md5 = QCryptographicHash::hash(QUrl::fromLocalFile(picture).toEncoded(),
                                                        QCryptographicHash::Md5)
                                   .toHex();
        for (const char* size : {"normal", "large", "x-large", "xx-large"}) {
            owned.append(session->TempPath(QStringLiteral("cache/thumbnails/%1/%2.png")
                                               .arg(QLatin1String(size), QLatin1String(md5))));
        }
        for (const QString& cacheEntry : owned) {
            ASSERT_TRUE(QDir().mkpath(QFileInfo(cacheEntry).path()));
            QFile::remove(cacheEntry);
            if (c.fifo) {
                ASSERT_EQ(::mkfifo(QFile::encodeName(cacheEntry).constData(), 0600), 0);
            } else {
                ASSERT_TRUE(QFile::link(original, cacheEntry));
            }
        }

        EXPECT_EQ(CopyTextFromThePin().toStdString(), "Pinned notes stay here");
        const FinishedRun window =
            RunToEnd(QStringLiteral(VELLORA_PROGRAM), work.path(),
                     {QStringLiteral("--pins"), QStringLiteral("window")}, session->Environment());
        EXPECT_TRUE(window.finished && window.exitCode == 0) << window.output.toStdString();
        const std::optional<WindowInfo> list = session->WaitForWindow(kList, 10000);
        ASSERT_TRUE(list);
        ASSERT_TRUE(session->Click(session->ClientRect(list->id).value_or(list->rect).center()));
        ASSERT_TRUE(session->Key(QStringLiteral("Tab n o t e s")));
        // The search answered: the program takes the next command at once.
        const FinishedRun listing =
            RunToEnd(QStringLiteral(VELLORA_PROGRAM), work.path(),
                     {QStringLiteral("--pins"), QStringLiteral("list")}, session->Environment());
        EXPECT_TRUE(listing.finished && listing.exitCode == 0) << listing.output.toStdString();

        EXPECT_EQ(ReadBytes(original), "the user's own file");
        for (const QString& file : owned) {
            struct stat status {};
            ASSERT_EQ(::lstat(QFile::encodeName(file).constData(), &status), 0)
                << file.toStdString();
            EXPECT_TRUE(c.fifo ? S_ISFIFO(status.st_mode) : S_ISLNK(status.st_mode))
                << file.toStdString();
        }
        // It ends as "終了" does, its worker thread never stuck in an open.
        ::kill(pid_t(session->ProgramPid()), SIGTERM);
        EXPECT_TRUE(XSession::WaitUntil([&] { return !session->ProgramRunning(); }, 10000));
        for (const QString& file : owned) QFile::remove(file);
    }
}

}  // namespace
}  // namespace e2e
