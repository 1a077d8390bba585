#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include "kill_lists.h"
#include "store/data_file.h"
#include "store/pin_settings.h"
#include "support/test_files.h"

namespace {

// A process that saves over and over is killed at random moments; each time the data file
// must be one of the lists written, whole, never a mixture or a truncated file, and every pin
// in it must find the settings it was saved with in the settings file beside it, never the
// defaults.
TEST(SaveAll, KilledAtAnyMomentLeavesTheOldFileOrTheNewOneAndEveryPinItsSettings) {
    QTemporaryDir folder;
    const QString dataFile = folder.filePath(QStringLiteral("zuzerid.dat"));
    const QString settingsFile = store::DataFolder(dataFile).PinSettingsFile();
    QList<QByteArray> written;
    for (int n = 0; n < kill_lists::kLists; ++n) {
        written.append(store::FormatRecords(kill_lists::ListNumber(n)));
    }
    ASSERT_TRUE(
        store::SaveListAndSettings(kill_lists::SettingsNumber(1), {}, store::DataFolder(dataFile))
            .ok);

    QSet<qsizetype> seen;
    QRandomGenerator random(20261207);
    constexpr int kKills = 200;
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess saver;
        saver.start(QStringLiteral(SAVE_LOOP_PROGRAM), {dataFile});
        // A busy machine may take longer to start the saver than the longest wait below.
        ASSERT_TRUE(saver.waitForReadyRead(30000)) << "the saver never began saving";
        QThread::usleep(random.bounded(1000, 15000));
        ::kill(pid_t(saver.processId()), SIGKILL);
        saver.waitForFinished();
        const QByteArray bytes = test_support::ReadBytes(dataFile);
        ASSERT_TRUE(written.contains(bytes)) << "after kill " << kill << ", " << bytes.size()
                                             << " bytes that are none of the lists written";
        const int n = int(written.indexOf(bytes));
        seen.insert(n);
        QList<store::PinSettings> expected;
        for (const auto& pin : kill_lists::SettingsNumber(n)) expected.append(pin.second);
        ASSERT_EQ(store::LoadPinSettings(settingsFile, kill_lists::ListNumber(n)), expected)
            << "after kill " << kill << ", pins of list " << n << " lost their settings";
        // It parses completely, as the next start will read it.
        const store::DataFileContents contents = store::ReadDataFile(bytes);
        EXPECT_EQ(contents.stop, store::ReadStop::EndOfData);
        EXPECT_TRUE(contents.unread.isEmpty());
        EXPECT_EQ(contents.records.size() * 2, bytes.count("\r\n"));
    }
    EXPECT_GT(seen.size(), 1) << "the kills never caught the saver at work";
}

}  // namespace
