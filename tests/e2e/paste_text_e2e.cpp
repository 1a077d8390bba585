// Text, a page and a colour held on the clipboard by xclip, pasted with vellora --paste: each
// opens as a picture in "pasted" within one screen, its text kept byte for byte.
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include "e2e_test.h"
#include "program_runs.h"

namespace e2e {
namespace {

using PasteTextTest = ProgramTest;

TEST_F(PasteTextTest, TextAPageAndAColourOnTheClipboardArePasted) {
    if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty()) {
        GTEST_SKIP() << "missing tools: xclip";
    }
    const struct {
        const char *type, *bytes, *kept;
    } rows[] = {
        {"UTF8_STRING", "Pinned from xclip\n\tスペース and مرحبا\n", nullptr},
        {"text/html", "<table><tr><td>Cell one</td><td>Cell 2</td></tr></table>",
         "Cell one\nCell 2"},
        {"UTF8_STRING", "#ff8800", nullptr},
    };
    const QStringList data{QStringLiteral("--data-dir"), work.path()};
    ASSERT_TRUE(session->StartProgram(QStringLiteral(VELLORA_PROGRAM), work.path(), data));
    ASSERT_TRUE(session->WaitForWindow(QStringLiteral("vellora-main"), 20000));
    const auto newest = [&](const char* folder, qsizetype count) {
        const QDir dir(Path(QString::fromLatin1(folder)));
        const QStringList files = dir.entryList(QDir::Files, QDir::Time);
        return files.size() == count ? dir.filePath(files.first()) : QString();
    };
    qsizetype count = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes);
        ASSERT_TRUE(WriteBytes(Path(QStringLiteral("source")), row.bytes));
        QProcess owner;
        owner.setProcessEnvironment(session->Environment());
        owner.start(QStringLiteral("xclip"), {"-quiet", "-selection", "clipboard", "-t", row.type,
                                              "-i", Path(QStringLiteral("source"))});
        ASSERT_TRUE(owner.waitForStarted());
        ++count;
        const FinishedRun pasting = RunToEnd(QStringLiteral(VELLORA_PROGRAM), work.path(),
                                             data + QStringList{"--paste"}, session->Environment());
        EXPECT_TRUE(pasting.finished && pasting.exitCode == 0) << pasting.output.toStdString();
        EXPECT_TRUE(session->WaitForWindow(QStringLiteral("vellora-display"), 10000));
        ASSERT_TRUE(XSession::WaitUntil(
            [&] {
                return !newest("pasted", count).isEmpty() && !newest("kept-text", count).isEmpty();
            },
            5000, 50));
        const QImage picture(newest("pasted", count));
        EXPECT_LE(picture.height(), session->ScreenSize().height());
        const QJsonObject kept =
            QJsonDocument::fromJson(ReadBytes(newest("kept-text", count))).object();
        EXPECT_EQ(kept.value(QLatin1String("text")).toString(),
                  QString::fromUtf8(row.kept ? row.kept : row.bytes));
        owner.kill();
        owner.waitForFinished();
    }
}

}  // namespace
}  // namespace e2e
