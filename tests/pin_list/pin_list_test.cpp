#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <functional>

#include "pin_list/listing.h"
#include "pin_list/pin_list.h"
#include "pin_list/pin_list_model.h"
#include "support/test_files.h"

namespace {

using pin_list::Geometry;
using pin_list::PinList;
using pin_list::PinState;
using test_support::DataRecord;
using test_support::ReadBytes;
using test_support::WriteBytes;

// The pins of a data file with no windows: a stand-in places every pin whose file exists and
// whose name does not say "bad".
class PinListTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(Path("pics")));
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "bad.jpg"}) {
            ASSERT_TRUE(WriteBytes(Path("pics/") + name, "x"));
        }
    }
    QString Path(const QString& name) const { return folder_.Path(name); }
    QByteArray Pic(const char* name) const { return Path("pics/").toUtf8() + name; }
    QByteArray Rec(const char* name, const char* left = "15", const char* top = "30") const {
        return DataRecord({left, top, "1500", "1200"}, Pic(name));
    }
    QString DataFile() const { return Path("zuzerid.dat"); }
    QByteArray Saved() const { return ReadBytes(DataFile()); }

    PinList& Restored(const QByteArray& data) {
        EXPECT_TRUE(WriteBytes(DataFile(), data));
        list_ = std::make_unique<PinList>(DataFile());
        EXPECT_TRUE(list_->Load());
        list_->PlaceRestoring(
            [](pin_list::Pin& pin) { return !pin.entry.path.Bytes().contains("bad"); });
        return *list_;
    }
    pin_list::PinId IdOf(const char* name) const {
        for (int row = 0; row < list_->Count(); ++row) {
            if (list_->At(row).entry.path.Bytes().endsWith(name)) return list_->At(row).id;
        }
        return 0;
    }
    QByteArray States() const {
        QByteArray states;
        for (const pin_list::PinListing& pin : list_->Listing()) {
            if (pin.state == PinState::Removed) continue;
            states += pin_list::FormatListing({pin}).split('\t').first() + ' ';
        }
        return states.trimmed();
    }

    test_support::InTemporaryFolder folder_;
    std::unique_ptr<PinList> list_;
};

TEST_F(PinListTest, EachCommandChangesTheListAndSavesByTheSaveRule) {
    const struct {
        const char* name;
        std::function<void(PinListTest&, PinList&)> act;
        std::function<QByteArray(const PinListTest&)> file;  // the data file afterwards
        const char* states;
    } cases[] = {
        {"restore drops what cannot be placed and keeps the rest in order", [](auto&, auto&) {},
         [](const auto& t) { return t.Rec("a.jpg") + t.Rec("c.jpg"); }, "shown shown"},
        {"pin adds last and saves",
         [](auto&, PinList& list) {
             list.Add(platform::FilePath(QByteArray("/x/b.jpg")), {30, 45, 150, 120}, {});
         },
         [](const auto& t) {
             return t.Rec("a.jpg") + t.Rec("c.jpg") +
                    DataRecord({"30", "45", "150", "120"}, "/x/b.jpg");
         },
         "shown shown shown"},
        {"unpin takes the pin out of the rows, and any save still writes its record",
         [](PinListTest& t, PinList& list) {
             EXPECT_TRUE(list.Unpin(t.IdOf("a.jpg")));
             EXPECT_TRUE(list.Remove(t.IdOf("c.jpg")).ok);
         },
         [](const auto& t) { return t.Rec("a.jpg"); }, ""},
        {"an unpinned pin pinned again is listed anew, last",
         [](PinListTest& t, PinList& list) {
             const pin_list::PinId id = t.IdOf("a.jpg");
             list.Unpin(id);
             list.Forget(id);
             list.Add(platform::FilePath(t.Pic("a.jpg")), {30, 45, 150, 120}, {});
         },
         [](const auto& t) {
             return t.Rec("c.jpg") + DataRecord({"30", "45", "150", "120"}, t.Pic("a.jpg"));
         },
         "shown shown"},
        {"delete takes the pin out and saves",
         [](PinListTest& t, PinList& list) { EXPECT_TRUE(list.Remove(t.IdOf("c.jpg")).ok); },
         [](const auto& t) { return t.Rec("a.jpg"); }, "shown"},
        {"a zoom changes only the texts of values that moved, saved when asked",
         [](PinListTest& t, PinList& list) {
             list.SetGeometry(t.IdOf("a.jpg"), {15, 30, 3000, 2400});
             list.Save();
         },
         [](const auto& t) {
             return DataRecord({"15", "30", "3000", "2400"}, t.Pic("a.jpg")) + t.Rec("c.jpg");
         },
         "shown shown"},
        {"hide and show change states and save nothing",
         [](PinListTest& t, PinList& list) {
             ASSERT_TRUE(QFile::remove(t.DataFile()));
             list.HideAll();
             EXPECT_EQ(t.States(), "hidden hidden");
             list.ShowAll();
         },
         [](const auto&) { return QByteArray(); }, "shown shown"},
        {"a pin pinned while all are hidden is shown, and saved",
         [](auto&, PinList& list) {
             list.HideAll();
             list.Add(platform::FilePath(QByteArray("/x/b.jpg")), {30, 45, 150, 120}, {},
                      PinState::Shown);
         },
         [](const auto& t) {
             return t.Rec("a.jpg") + t.Rec("c.jpg") +
                    DataRecord({"30", "45", "150", "120"}, "/x/b.jpg");
         },
         "hidden hidden shown"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PinList& list = Restored(Rec("a.jpg") + Rec("bad.jpg") + Rec("c.jpg"));
        c.act(*this, list);
        EXPECT_EQ(Saved(), c.file(*this)) << Saved().constData();
        EXPECT_EQ(States(), c.states);
    }
}

TEST_F(PinListTest, AWaitingPinKeepsItsPlaceIsPlacedWhenItsFolderAppearsOrIsForgotten) {
    const QByteArray late = DataRecord({"1", "2", "3", "4"}, Path("late/d.jpg").toUtf8());
    PinList& list = Restored(Rec("a.jpg") + late + Rec("c.jpg"));
    EXPECT_EQ(States(), "shown waiting shown");
    EXPECT_EQ(Saved(), Rec("a.jpg") + late + Rec("c.jpg"));
    EXPECT_FALSE(list.PlaceWaiting([](pin_list::Pin&) { return true; }));  // no folder yet

    ASSERT_TRUE(QDir().mkpath(Path("late")));
    ASSERT_TRUE(WriteBytes(Path("late/d.jpg"), "x"));
    int tries = 0;
    const auto refuse = [&tries](pin_list::Pin&) { return ++tries, false; };
    EXPECT_FALSE(list.PlaceWaiting(refuse));
    EXPECT_FALSE(list.PlaceWaiting(refuse));  // the same file is not tried again
    EXPECT_EQ(tries, 1);
    EXPECT_EQ(States(), "shown waiting shown");

    const pin_list::PinId waiting = list.At(1).id;
    EXPECT_TRUE(list.Remove(waiting).ok);  // forgotten
    EXPECT_EQ(Saved(), Rec("a.jpg") + Rec("c.jpg"));
}

TEST_F(PinListTest, SettingsAreMatchedOnceAndTravelWithThePin) {
    PinList& list = Restored(Rec("a.jpg") + Rec("c.jpg"));
    store::PinSettings half;
    half.opacity = 60;
    list.SetSettings(list.At(1).id, half);
    list.SetGeometry(list.At(1).id, {45, 30, 1500, 1200});  // the key texts change
    list.Save();

    PinList& again = Restored(Saved());
    ASSERT_EQ(again.Count(), 2);
    half.board = store::kFirstBoard;  // a pin saved without a board is on the first
    EXPECT_EQ(again.At(0).settings, store::PinSettings{.board = store::kFirstBoard});
    EXPECT_EQ(again.At(1).settings, half);
}

// Run again under de_DE.UTF-8 (pin_list_test_de_DE): a decimal comma in the locale must not
// change a single byte of the file.
TEST_F(PinListTest, WhatIsRestoredIsWrittenBackByteForByte) {
    const QByteArray here = QFile::encodeName(Path("pics"));
    const struct {
        const char* name;
        QByteArray data;
    } cases[] = {
        {"fractions", DataRecord({"1200.5", "-300.25", "4500.75", "3000.5"}, Pic("a.jpg"))},
        {"exponents", DataRecord({"2.5E-05", "-1.25E-06", "1500", "1500"}, Pic("b.jpg"))},
        {"names that are not UTF-8",
         DataRecord({"0", "0", "4500", "3000"}, here + "/\x8e\xca\x90^.jpg") +
             DataRecord({"1", "0", "3000", "4500"}, here + "/caf\xe9.jpg")},
        {"the same file twice", Rec("a.jpg") + Rec("a.jpg", "1500", "0")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PinList& list = Restored(c.data);
        EXPECT_EQ(list.Count(), c.data.count("\r\n") / 2);
        EXPECT_EQ(Saved(), c.data);
    }
}

TEST_F(PinListTest, TheModelFollowsTheListRowByRow) {
    PinList& list = Restored(Rec("a.jpg") + "a note\r\n" + Rec("c.jpg"));
    pin_list::PinListModel model(list);
    ASSERT_EQ(model.rowCount(), 2);  // the note is no row
    EXPECT_EQ(model.index(1).data().toString(), "c.jpg");
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    list.Add(platform::FilePath(Pic("b.jpg")), {1, 2, 3, 4}, {});
    list.SetGeometry(list.At(1).id, {9, 9, 9, 9});
    list.Unpin(list.At(0).id);
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 2);
    ASSERT_EQ(removed.size(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 0);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 1);
    EXPECT_EQ(model.index(0).data(pin_list::PinListModel::FolderRole).toString(), Path("pics"));
    EXPECT_EQ(list.Entries()[1].unreadLines, "a note\r\n");  // still in its place
}

TEST_F(PinListTest, ABoardIsShownAndHiddenAsASetAndStaysHiddenAfterARestart) {
    PinList& list = Restored(Rec("a.jpg") + Rec("b.jpg") + Rec("c.jpg"));
    EXPECT_EQ(list.MakeBoard("work"), std::nullopt);
    EXPECT_NE(list.MakeBoard("work"), std::nullopt);
    for (const char* name : {"a.jpg", "c.jpg"}) {
        store::PinSettings settings = list.Find(IdOf(name))->settings;
        settings.board = "work";
        list.SetSettings(IdOf(name), settings);
    }
    EXPECT_EQ(list.SetBoardHidden("work", true), std::nullopt);
    EXPECT_EQ(States(), "hidden shown hidden");
    list.ShowAll();  // showing every pin for the session leaves a hidden board hidden
    EXPECT_EQ(States(), "hidden shown hidden");

    PinList& again = Restored(Saved());
    EXPECT_EQ(States(), "hidden shown hidden");
    EXPECT_EQ(again.Boards().names, QStringList({store::kFirstBoard, "work"}));
    EXPECT_EQ(again.RenameBoard("work", "home"), std::nullopt);
    EXPECT_EQ(again.SetBoardHidden("home", false), std::nullopt);
    EXPECT_EQ(States(), "shown shown shown");
    again.Add(platform::FilePath(Pic("b.jpg")), {1, 2, 3, 4}, {});  // the board shown last takes it
    EXPECT_EQ(again.At(3).settings.board, "home");
    EXPECT_EQ(again.DeleteBoard("home"), std::nullopt);
    EXPECT_NE(again.DeleteBoard(store::kFirstBoard), std::nullopt);
    EXPECT_EQ(Restored(Saved()).At(0).settings.board, store::kFirstBoard);
}

TEST_F(PinListTest, ARemovedPinComesBackExactlyAndOnlyOurOwnFilesWaitInRemoved) {
    const struct {
        const char* name;
        const char* folder;  // of the picture, beside the data file
        bool unpinnedFirst;
        bool moved;
    } cases[] = {
        {"a pasted picture deleted from its menu", "pasted", false, true},
        {"a captured picture closed after unpinning", "captured", true, true},
        {"a picture of the user's", "pics", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(QDir().mkpath(Path(c.folder)));
        const QString picture = Path(c.folder) + "/p.png";
        ASSERT_TRUE(WriteBytes(picture, "pixels"));
        const QByteArray pinned = DataRecord({"15", "30", "1500", "1200"}, picture.toUtf8());
        PinList& list = Restored(Rec("a.jpg") + pinned);
        store::PinSettings faint = list.At(1).settings;
        faint.opacity = 40;
        list.SetSettings(list.At(1).id, faint);
        if (c.unpinnedFirst) {
            const pin_list::PinId id = list.At(1).id;
            list.Unpin(id);
            EXPECT_TRUE(list.Remove(id).ok);
        } else {
            EXPECT_TRUE(list.Remove(list.At(1).id).ok);
        }
        EXPECT_EQ(Saved(), Rec("a.jpg"));
        EXPECT_EQ(QFile::exists(picture), !c.moved);
        EXPECT_EQ(QFile::exists(Path("removed/p.png")), c.moved);

        PinList& again = Restored(Saved());  // the removed list survives a restart
        ASSERT_EQ(again.RemovedPins().size(), 1);
        EXPECT_TRUE(again.RestoreRemoved(0, [](pin_list::Pin&) { return true; }).id);
        EXPECT_EQ(Saved(), Rec("a.jpg") + pinned);
        EXPECT_EQ(again.At(1).settings, faint);
        EXPECT_TRUE(QFile::exists(picture));
        EXPECT_FALSE(QFile::exists(Path("removed/p.png")));
        EXPECT_TRUE(again.RemovedPins().isEmpty());
    }
}

TEST_F(PinListTest, RemovedPinsLeaveByAgeOrCountAndTheirFilesGoOnlyThen) {
    ASSERT_TRUE(QDir().mkpath(Path("pasted")));
    QByteArray data;
    for (int i = 0; i < store::kRemovedKeptCount + 1; ++i) data += Rec("a.jpg");
    ASSERT_TRUE(WriteBytes(Path("pasted/old.png"), "x"));
    data = DataRecord({"1", "2", "3", "4"}, Path("pasted/old.png").toUtf8()) + data;
    PinList& list = Restored(data);
    QDateTime now = QDateTime::currentDateTimeUtc();
    list.SetClock([&now] { return now; });
    list.Remove(list.At(0).id);
    now = now.addDays(1);
    for (int i = 0; i < store::kRemovedKeptCount - 1; ++i) list.Remove(list.At(0).id);
    EXPECT_EQ(list.RemovedPins().size(), store::kRemovedKeptCount);
    EXPECT_TRUE(QFile::exists(Path("removed/old.png")));
    list.Remove(list.At(0).id);  // one too many: the oldest leaves, and its file
    EXPECT_EQ(list.RemovedPins().size(), store::kRemovedKeptCount);
    EXPECT_FALSE(QFile::exists(Path("removed/old.png")));
    now = now.addDays(store::kRemovedKeptDays + 1);
    list.Remove(list.At(0).id);
    EXPECT_EQ(list.RemovedPins().size(), 1);

    EXPECT_TRUE(
        WriteBytes(store::DataFolder(DataFile()).RemovedPinsFile(), "{\"removed\": [{\"pa"));
    EXPECT_TRUE(Restored(Rec("a.jpg")).RemovedPins().isEmpty());  // damaged: an empty list
    EXPECT_EQ(Saved(), Rec("a.jpg"));
}

TEST_F(PinListTest, TheListingEndsEachLineWithTheBoardAndListsRemovedPins) {
    PinList& list = Restored(Rec("a.jpg") + Rec("c.jpg"));
    list.Remove(list.At(1).id);
    EXPECT_EQ(pin_list::FormatListing(pin_list::ListSavedPins(DataFile())),
              "saved\t15\t30\t1500\t1200\t" + Pic("a.jpg") + "\t既定\n" +
                  "removed\t15\t30\t1500\t1200\t" + Pic("c.jpg") + "\t既定\n");
}

// The data file names what the user can get back, whatever fails or stands in a folder's place.
TEST_F(PinListTest, NoPinIsLostAndNoFileOfTheUsersMovedWhateverTheFolderHolds) {
    const struct {
        const char* name;
        std::function<void(PinListTest&)> arrange;  // before the start
        const char* removedFiles;                   // files in "removed" after the delete
        bool pictureStays;                          // in "pasted", where it was
        bool removedListed;
    } cases[] = {
        {"as usual", [](auto&) {}, "p.png", false, true},
        {"the removed list unwritable: the pin stays",
         [](PinListTest& t) { ASSERT_TRUE(QDir().mkpath(t.Path("removed-pins.json"))); }, "", true,
         false},
        {"\"removed\" a link: the user's, nothing moved into it",
         [](PinListTest& t) {
             ASSERT_TRUE(QDir().mkpath(t.Path("elsewhere")));
             ASSERT_TRUE(QFile::link(t.Path("elsewhere"), t.Path("removed")));
         },
         "", true, true},
        {"\"pasted\" a link to the user's pictures: not ours",
         [](PinListTest& t) {
             ASSERT_TRUE(QDir(t.Path("pasted")).removeRecursively());
             ASSERT_TRUE(QDir().mkpath(t.Path("mine")));
             ASSERT_TRUE(WriteBytes(t.Path("mine/p.png"), "pixels"));
             ASSERT_TRUE(QFile::link(t.Path("mine"), t.Path("pasted")));
         },
         "", true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Each case in a data folder of its own making: links go first, never followed.
        const QDir root(Path("."));
        for (const QFileInfo& entry : root.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                         QDir::Hidden | QDir::System)) {
            if (entry.isSymLink() || !entry.isDir()) {
                ASSERT_TRUE(QFile::remove(entry.absoluteFilePath()));
            } else {
                ASSERT_TRUE(QDir(entry.absoluteFilePath()).removeRecursively());
            }
        }
        SetUp();
        ASSERT_TRUE(QDir().mkpath(Path("pasted")));
        ASSERT_TRUE(WriteBytes(Path("pasted/p.png"), "pixels"));
        c.arrange(*this);
        const QByteArray pinned =
            DataRecord({"15", "30", "1500", "1200"}, Path("pasted/p.png").toUtf8());
        PinList& list = Restored(Rec("a.jpg") + pinned);
        QStringList failed;
        list.SetSaveListener([&failed](const QString& file, const store::SaveResult& result) {
            if (!result.ok) failed.append(QFileInfo(file).fileName());
        });
        const store::SaveResult result = list.Remove(list.At(1).id);
        EXPECT_EQ(result.ok, c.removedListed);
        EXPECT_EQ(Saved(), c.removedListed ? Rec("a.jpg") : Rec("a.jpg") + pinned);
        EXPECT_EQ(failed, c.removedListed ? QStringList() : QStringList{"removed-pins.json"});
        EXPECT_EQ(QFile::exists(Path("pasted/p.png")), c.pictureStays);
        EXPECT_EQ(QDir(Path("removed")).entryList(QDir::Files).join(' '), c.removedFiles);
        // Long past, a restart expires the entry: only a file of our own "removed" goes.
        PinList& later = Restored(Saved());
        later.SetClock(
            [] { return QDateTime::currentDateTimeUtc().addDays(store::kRemovedKeptDays + 1); });
        later.Remove(later.At(0).id);
        EXPECT_FALSE(QFileInfo::exists(Path("removed/p.png")));
        EXPECT_EQ(QFile::exists(Path("pasted/p.png")), c.pictureStays);
        EXPECT_EQ(QFile::exists(Path("mine/p.png")), QFileInfo::exists(Path("mine")));
    }
}

TEST_F(PinListTest, ARemovedListIsReadAgainstTheDataFolderAndNeverNamesAPinnedRecord) {
    ASSERT_TRUE(QDir().mkpath(Path("removed")));
    ASSERT_TRUE(WriteBytes(Path("removed/r.png"), "pixels"));
    const auto entry = [](const QByteArray& path, const char* left, const QByteArray& from) {
        return "{\"path\": \"" + path + "\", \"geometry\": [\"" + left +
               "\", \"30\", \"1500\", \"1200\"], \"movedFrom\": \"" + from +
               "\", \"removedAt\": \"" +
               QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8() + "\"}";
    };
    // Relative, as an older run wrote it; one that is pinned too (a kill between the two
    // writes); one whose folder lies outside the data folder (a hand edit).
    ASSERT_TRUE(WriteBytes(
        store::DataFolder(DataFile()).RemovedPinsFile(),
        "{\"removed\": [" + entry("removed/r.png", "15", "pasted/r.png") + ", " +
            entry(Pic("a.jpg"), "15", "") + ", " +
            entry(Path("removed/r.png").toUtf8(), "99", Path("nowhere/deep/r.png").toUtf8()) +
            "]}"));
    PinList& list = Restored(Rec("a.jpg"));
    ASSERT_EQ(list.RemovedPins().size(), 2);
    EXPECT_EQ(list.RemovedPins()[0].entry.path.Bytes(), Path("removed/r.png").toUtf8());
    EXPECT_EQ(list.RemovedPins()[0].movedFrom.Bytes(), Path("pasted/r.png").toUtf8());
    const PinList::Restored outside = list.RestoreRemoved(1, [](pin_list::Pin&) { return true; });
    EXPECT_FALSE(outside.id);
    EXPECT_FALSE(outside.failure.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Path("nowhere")));
    EXPECT_TRUE(list.RestoreRemoved(0, [](pin_list::Pin&) { return true; }).id);
    EXPECT_TRUE(QFile::exists(Path("pasted/r.png")));
    // The file is gone: said, not silently nothing.
    ASSERT_TRUE(QFile::remove(Path("removed/r.png")));
    EXPECT_FALSE(list.RestoreRemoved(0, [](pin_list::Pin&) { return true; }).failure.isEmpty());
}

TEST_F(PinListTest, BoardsNamedByPinsAloneAreListedWithOneWrite) {
    QByteArray data;
    QByteArray settings = "{\"pins\": [";
    for (int i = 0; i < 300; ++i) {
        const QByteArray left = QByteArray::number(i);
        data += DataRecord({left, "30", "1500", "1200"}, Pic("a.jpg"));
        if (i > 0) settings += ", ";
        settings += "{\"path\": \"" + Pic("a.jpg") + "\", \"geometry\": [\"" + left +
                    "\", \"30\", \"1500\", \"1200\"], \"board\": \"b" + left + "\"}";
    }
    ASSERT_TRUE(WriteBytes(store::DataFolder(DataFile()).PinSettingsFile(), settings + "]}"));
    ASSERT_TRUE(WriteBytes(DataFile(), data));
    PinList list(DataFile());
    int boardWrites = 0;
    list.SetSaveListener([&boardWrites](const QString& file, const store::SaveResult&) {
        boardWrites += file.endsWith(QLatin1String("boards.json"));
    });
    ASSERT_TRUE(list.Load());
    EXPECT_EQ(boardWrites, 1);
    EXPECT_EQ(list.Boards().names.size(), 301);
    EXPECT_EQ(store::LoadBoards(store::DataFolder(DataFile()).BoardsFile()).names.size(), 301);
}

}  // namespace
