#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QThread>

#include <cstdio>

#include "pin_list/pin_list.h"
#include "store/data_file.h"
#include "store/removed_pins.h"
#include "support/test_files.h"

namespace {

// Starts the loop in the folder, lets it run a random moment once it says it has begun, and
// sends it `signal`; whether it ended, normally or by the signal.
::testing::AssertionResult RunAndSignal(const char* program, const QString& folder, int signal,
                                        QRandomGenerator& random, int fromUs, int toUs,
                                        QProcess::ExitStatus* status = nullptr) {
    QProcess loop;
    loop.start(QString::fromLocal8Bit(program), {folder});
    if (!loop.waitForReadyRead(30000)) return ::testing::AssertionFailure() << "it never began";
    QThread::usleep(random.bounded(fromUs, toUs));
    ::kill(pid_t(loop.processId()), signal);
    if (!loop.waitForFinished(30000)) return ::testing::AssertionFailure() << "it never ended";
    if (status) *status = loop.exitStatus();
    return ::testing::AssertionSuccess();
}

// A process that removes pins and puts them back is killed at random moments; each time every
// pin must be in the data file or in the removed list, and every file they name must be there.
// With a removed list that cannot be written, no pin leaves the data file at all.
TEST(RemovedPins, AKillAtAnyMomentLeavesEveryPinInTheDataFileOrTheRemovedList) {
    for (const bool unwritable : {false, true}) {
        SCOPED_TRACE(unwritable ? "the removed list unwritable" : "the removed list writable");
        test_support::InTemporaryFolder folder;
        const QString dataFile = folder.Path("zuzerid.dat");
        // A folder in the list's place: every save of it fails.
        ASSERT_TRUE(!unwritable || QDir().mkpath(store::DataFolder(dataFile).RemovedPinsFile()));
        ASSERT_TRUE(QDir().mkpath(folder.Path("pasted")));
        QSet<QByteArray> names;
        QByteArray data;
        for (int i = 0; i < 6; ++i) {
            const QByteArray name = "p" + QByteArray::number(i) + ".png";
            ASSERT_TRUE(test_support::WriteBytes(folder.Path("pasted/") + name, name));
            data += test_support::DataRecord({"15", QByteArray::number(i * 100), "1500", "1200"},
                                             folder.Path("pasted/").toUtf8() + name);
            names.insert(name);
        }
        ASSERT_TRUE(test_support::WriteBytes(dataFile, data));

        QRandomGenerator random(20261208);
        int removedSeen = 0;
        int bothSeen = 0;
        for (int kill = 0; kill < 200; ++kill) {
            ASSERT_TRUE(
                RunAndSignal(REMOVE_LOOP_PROGRAM, folder.Path("."), SIGKILL, random, 500, 10000))
                << "kill " << kill;

            QList<platform::FilePath> named;
            for (const store::Record& record :
                 store::ReadDataFile(test_support::ReadBytes(dataFile)).records) {
                named.append(record.path);
            }
            const QList<store::RemovedPin> removed =
                store::LoadRemovedPins(store::DataFolder(dataFile).RemovedPinsFile());
            removedSeen += int(removed.size());
            for (const store::RemovedPin& pin : removed) named.append(pin.entry.path);
            QSet<QByteArray> found;
            for (const platform::FilePath& path : named) {
                found.insert(path.FileName());
                EXPECT_TRUE(QFile::exists(QFile::decodeName(path.Bytes())))
                    << "after kill " << kill << ", " << path.Bytes().constData() << " is missing";
            }
            ASSERT_EQ(found, names) << "after kill " << kill << ", a pin is in neither file";
            // A kill between the two writes may leave a pin in both; the next start reads it as
            // pinned alone, so that putting it back cannot make a second pin.
            const pin_list::Stored stored = pin_list::LoadStored(store::DataFolder(dataFile));
            bothSeen += int(stored.alsoPinned.size());
            QSet<QByteArray> pinned;
            for (const store::PictureEntry& entry : stored.records)
                pinned.insert(entry.path.FileName());
            for (const store::RemovedPin& pin : stored.removed) {
                const platform::FilePath& was =
                    pin.movedFrom.IsEmpty() ? pin.entry.path : pin.movedFrom;
                ASSERT_FALSE(pinned.contains(was.FileName()))
                    << "after kill " << kill << ", " << pin.entry.path.Bytes().constData()
                    << " is pinned and removed";
            }
        }
        if (unwritable) {
            EXPECT_EQ(removedSeen, 0);
            EXPECT_EQ(store::ReadDataFile(test_support::ReadBytes(dataFile)).records.size(), 6);
            continue;
        }
        EXPECT_GT(removedSeen, 0) << "the kills never caught a pin in the removed list";
        std::printf("kills that left a pin in both files, read as pinned: %d of 200\n", bothSeen);
    }
}

// A picture unpinned while another pin is zoomed and saved is in the data file after a kill or a
// SIGTERM at any moment: every save writes the unpinned record as it was.
TEST(UnpinnedPins, AKillOrATermAtAnyMomentLeavesTheUnpinnedPictureInTheDataFile) {
    for (const int signal : {SIGKILL, SIGTERM}) {
        SCOPED_TRACE(signal == SIGKILL ? "SIGKILL" : "SIGTERM");
        test_support::InTemporaryFolder folder;
        const QString dataFile = folder.Path("zuzerid.dat");
        QByteArray data;
        for (const char* name : {"a.png", "b.png"}) {
            ASSERT_TRUE(test_support::WriteBytes(folder.Path(name), name));
            data +=
                test_support::DataRecord({"15", "30", "1500", "1200"}, folder.Path(name).toUtf8());
        }
        ASSERT_TRUE(test_support::WriteBytes(dataFile, data));
        QRandomGenerator random(20261209);
        for (int kill = 0; kill < 200; ++kill) {
            QProcess::ExitStatus status = QProcess::NormalExit;
            ASSERT_TRUE(RunAndSignal(UNPIN_LOOP_PROGRAM, folder.Path("."), signal, random, 200,
                                     5000, &status))
                << "kill " << kill;
            // SIGTERM ends it as quitting does, not by the signal.
            EXPECT_TRUE(signal != SIGTERM || status == QProcess::NormalExit) << "kill " << kill;
            QSet<QByteArray> names;
            for (const store::Record& record :
                 store::ReadDataFile(test_support::ReadBytes(dataFile)).records) {
                names.insert(record.path.FileName());
            }
            ASSERT_EQ(names, (QSet<QByteArray>{"a.png", "b.png"})) << "after kill " << kill;
        }
    }
}

}  // namespace
