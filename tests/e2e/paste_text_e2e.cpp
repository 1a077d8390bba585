// Text, a page and a colour that another program holds on the clipboard, pasted with vellora
// --paste: each opens in the display window as a picture in "pasted", with the text it was
// drawn from kept byte for byte.
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
        const char* name;
        const char* type;
        QByteArray bytes;
        QString kept;
    } rows[] = {
        {"text", "UTF8_STRING", "Pinned from xclip\n\tスペース and مرحبا\n",
         QStringLiteral("Pinned from xclip\n\tスペース and مرحبا\n")},
        {"page", "text/html", "<table><tr><td>Cell one</td><td>Cell two</td></tr></table>",
         QStringLiteral("Cell one\nCell two")},
        {"colour", "UTF8_STRING", "#ff8800", QStringLiteral("#ff8800")},
    };
    const QStringList data{QStringLiteral("--data-dir"), work.path()};
    ASSERT_TRUE(session->StartProgram(QStringLiteral(VELLORA_PROGRAM), work.path(), data));
    ASSERT_TRUE(session->WaitForWindow(QStringLiteral("vellora-main"), 20000));
    const auto files = [&](const char* folder) {
        return QDir(Path(QString::fromLatin1(folder))).entryList(QDir::Files, QDir::Time);
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString source = Path(QStringLiteral("source"));
        ASSERT_TRUE(WriteBytes(source, row.bytes));
        QProcess owner;
        owner.setProcessEnvironment(session->Environment());
        owner.start(QStringLiteral("xclip"), {"-quiet", "-selection", "clipboard", "-t",
                                              QString::fromLatin1(row.type), "-i", source});
        ASSERT_TRUE(owner.waitForStarted());
        const qsizetype before = files("pasted").size();
        const FinishedRun pasting = RunToEnd(QStringLiteral(VELLORA_PROGRAM), work.path(),
                                             data + QStringList{"--paste"}, session->Environment());
        EXPECT_TRUE(pasting.finished && pasting.exitCode == 0) << pasting.output.toStdString();
        EXPECT_TRUE(session->WaitForWindow(QStringLiteral("vellora-display"), 10000));
        ASSERT_TRUE(
            XSession::WaitUntil([&] { return files("pasted").size() == before + 1; }, 5000, 50));
        // Drawn within one screen, and its text kept as it was.
        const QImage picture(Path(QStringLiteral("pasted/") + files("pasted").first()));
        EXPECT_GT(picture.width(), 20);
        EXPECT_LE(picture.height(), session->ScreenSize().height());
        const QJsonObject kept =
            QJsonDocument::fromJson(
                ReadBytes(Path(QStringLiteral("kept-text/") + files("kept-text").first())))
                .object();
        EXPECT_EQ(kept.value(QLatin1String("text")).toString(), row.kept);
        owner.kill();
        owner.waitForFinished();
    }
}

}  // namespace
}  // namespace e2e
