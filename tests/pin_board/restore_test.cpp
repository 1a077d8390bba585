#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QScreen>
#include <QTimer>

#include "app/program.h"
#include "display_window/display_window.h"
#include "main_window/main_window.h"
#include "pin_board/pin_board.h"
#include "pin_list/listing.h"
#include "pinned_window/pinned_window.h"
#include "platform/core/thumbnail_rules.h"
#include "platform/gui/controls.h"
#include "platform/pictures/thumbnail_cache.h"
#include "support/program_fixture.h"

namespace {

using test_support::ReadBytes;
using test_support::WriteBytes;
using test_support::WriteJpeg;
using Restore = ProgramTest;

TEST_F(Restore, NoDataFileCreatesAnEmptyOneAndShowsTheMainWindow) {
    Start();
    EXPECT_TRUE(QFileInfo::exists("zuzerid.dat"));
    EXPECT_EQ(QFileInfo("zuzerid.dat").size(), 0);
    EXPECT_TRUE(MainWindowShown());
    EXPECT_TRUE(PinnedWindows().empty());
}

TEST_F(Restore, EmptyDataFileStaysEmptyAndShowsTheMainWindow) {
    StartWith("");
    EXPECT_EQ(ReadBytes("zuzerid.dat"), QByteArray());
    EXPECT_TRUE(MainWindowShown());
}

TEST_F(Restore, OneRecordIsPlacedExactlyAndTheMainWindowStaysAway) {
    const QByteArray data = Record("1200", "3400", "4500", "3000", P("a.jpg"));
    StartWith(data);
    const auto windows = PinnedWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0]->OuterPixels(), QRect(80, 227, 300, 200));
    EXPECT_EQ(windows[0]->geometry(), QRect(80, 227, 300, 200));  // no frame, no allowance
    EXPECT_EQ(PictureOf(windows[0])->geometry(), QRect(0, 0, 300, 200));
    EXPECT_EQ(Board().Entries()[0].path.Bytes(), P("a.jpg").toUtf8());
    EXPECT_FALSE(MainWindowShown());
    EXPECT_TRUE(ItemEnabled(&Main(), "hide"));
    EXPECT_EQ(ReadBytes("zuzerid.dat"), data);
}

TEST_F(Restore, RecordsThatCannotBeShownAreDroppedFromTheFile) {
    WriteBytes(P("text.jpg"), "not a picture");
    const QByteArray jpeg = ReadBytes(P("a.jpg"));
    WriteBytes(P("cut.jpg"), jpeg.chopped(10));
    const QByteArray waitingAlone = Record("15", "15", "150", "150", P("later/x.jpg"));
    const QByteArray waitingBetween = waitingAlone + Record("30", "30", "150", "150", P("a.jpg")) +
                                      Record("45", "45", "150", "150", P("later/y.jpg"));
    const struct {
        const char* name;
        QByteArray data;
        QByteArray kept;
        bool mainShown;
        int waiting = 0;  // kept records that wait for their folder
        int unread = 0;   // kept records that do not read
    } cases[] = {
        {"all missing",
         Record("0", "0", "150", "150", P("gone1.jpg")) +
             Record("0", "0", "150", "150", P("gone2.jpg")),
         "", true},
        {"second of three missing",
         Record("15", "15", "150", "150", P("a.jpg")) +
             Record("30", "30", "150", "150", P("gone.jpg")) +
             Record("45", "45", "150", "150", P("c.gif")),
         Record("15", "15", "150", "150", P("a.jpg")) +
             Record("45", "45", "150", "150", P("c.gif")),
         false},
        // What follows an empty path is not restored, and not lost either.
        {"empty path ends the restore",
         Record("15", "15", "150", "150", P("a.jpg")) +
             Record("30", "30", "150", "150", P("b.jpg")) +
             Record("45", "45", "150", "150", QByteArray()) +
             Record("60", "60", "150", "150", P("c.gif")),
         Record("15", "15", "150", "150", P("a.jpg")) +
             Record("30", "30", "150", "150", P("b.jpg")) +
             Record("45", "45", "150", "150", QByteArray()) +
             Record("60", "60", "150", "150", P("c.gif")),
         true, 0, 2},
        {"not pictures",
         Record("0", "0", "150", "150", P("text.jpg")) +
             Record("0", "0", "150", "150", P("cut.jpg")) +
             Record("0", "0", "150", "150", P("a.jpg")),
         Record("0", "0", "150", "150", P("a.jpg")), false},
        {"malformed records are passed over and kept as they were",
         QByteArray("0 x 150 150\r\n") + P("a.jpg").toUtf8() + "\r\n" +
             Record("0", "0", "0", "150", P("a.jpg")) +
             Record("NaN", "0", "150", "150", P("a.jpg")) +
             Record("1E+300", "0", "150", "150", P("a.jpg")) +
             Record("15", "0", "150", "150", P("b.jpg")),
         QByteArray("0 x 150 150\r\n") + P("a.jpg").toUtf8() + "\r\n" +
             Record("0", "0", "0", "150", P("a.jpg")) +
             Record("NaN", "0", "150", "150", P("a.jpg")) +
             Record("1E+300", "0", "150", "150", P("a.jpg")) +
             Record("15", "0", "150", "150", P("b.jpg")),
         false, 0, 4},
        {"a folder that is not there yet keeps its record, in its place, waiting", waitingBetween,
         waitingBetween, false, 2},
        {"waiting records alone are no picture placed", waitingAlone, waitingAlone, true, 1},
        {"a last record cut short ends the restore as the end of the file",
         Record("15", "0", "150", "150", P("b.jpg")) + "15 0 150\r\n",
         Record("15", "0", "150", "150", P("b.jpg")) + "15 0 150\r\n", false},
        {"rewritten in number text, trailing slash dropped, LF and blank lines read",
         QByteArray("1200.50 -300 1.5E+3 750.0\n") + P("a.jpg").toUtf8() + "/\n\n\n",
         Record("1200.5", "-300", "1500", "750", P("a.jpg")), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StartWith(c.data);
        EXPECT_EQ(ReadBytes("zuzerid.dat"), c.kept);
        EXPECT_EQ(MainWindowShown(), c.mainShown);
        EXPECT_EQ(int(PinnedWindows().size()),
                  int(c.kept.count("\r\n") / 2) - c.waiting - c.unread);
        EXPECT_EQ(Board().WaitingPins().size(), c.waiting);
    }
}

// Unread lines are no pins, and every save keeps them where they were; a picture pinned later
// goes before the lines from an empty path on, where the next start still reads it.
TEST_F(Restore, UnreadLinesKeepTheirPlaceInEverySave) {
    const QByteArray a = Record("0", "0", "1500", "1500", P("a.jpg"));
    const QByteArray b = Record("1500", "0", "1500", "1500", P("b.jpg"));
    const QByteArray damaged = "# my pins\r\n3600 300 3000 22x0\r\n" + P("c.jpg").toUtf8() + "\r\n";
    const QByteArray tail = Record("45", "45", "150", "150", QByteArray()) + "anything\r\n";
    StartWith(a + damaged + b + tail);
    EXPECT_EQ(Board().Count(), 2);
    EXPECT_EQ(Board().ListPins().size(), 2);
    EXPECT_TRUE(Board().UnreadNote().contains(QStringLiteral("3-5, 8-10")));
    Unpin(0, 0);
    Trigger(&Display(), "pin");
    EXPECT_EQ(ReadBytes("zuzerid.dat"), damaged + b + a + tail);
    Start();
    EXPECT_EQ(PinnedWindows().size(), 2u);
}

// A later start is answered during a long restore: what it asks between two pictures sees the
// whole list, and holds for the pictures still to come.
TEST_F(Restore, ACommandBetweenTwoPicturesSeesTheWholeListAndHolds) {
    WriteBytes("zuzerid.dat", Record("0", "0", "1500", "1500", P("a.jpg")) +
                                  Record("1500", "0", "1500", "1500", P("b.jpg")) +
                                  Record("3000", "0", "1500", "1500", P("c.jpg")));
    program = std::make_unique<app::Program>(QStringLiteral("zuzerid.dat"));
    program->SetQuitAction([] {});
    Board().SetRestoreEventsEvery(0);
    QList<pin_list::PinState> during;
    QTimer::singleShot(0, &Board(), [&] {
        for (const auto& pin : Board().ListPins()) during.append(pin.state);
        Board().HideAll();
    });
    program->Start();
    using enum pin_list::PinState;
    EXPECT_EQ(during, (QList{Shown, Restoring, Restoring}));
    EXPECT_EQ(Board().Count(), 3);
    EXPECT_TRUE(PinnedWindows().empty());
}

TEST(Listing, AFileStaysOneFieldOfItsLineWhateverItsBytes) {
    for (const auto& [path, field] : std::initializer_list<std::pair<QByteArray, QByteArray>>{
             {"/p/a b.jpg", "/p/a b.jpg"},
             {"/p/a\tb.jpg", "/p/a\\tb.jpg"},
             {"/p/a\nb.jpg", "/p/a\\nb.jpg"},
             {"/p/a\rb.jpg", "/p/a\\rb.jpg"},
             {QByteArray("/p/a\0b.jpg", 10), "/p/a\\0b.jpg"},
             {"/p/a\\tb.jpg", "/p/a\\\\tb.jpg"},
             {"/p/\x8e\xca\xff.jpg", "/p/\x8e\xca\xff.jpg"},  // not UTF-8: kept as it is
         }) {
        EXPECT_EQ(pin_list::FormatListing({{pin_list::PinState::Waiting,
                                            {platform::FilePath(path), {"1", "2", "3", "4"}}}}),
                  "waiting\t1\t2\t3\t4\t" + field + "\t\n")
            << field.data();
    }
}

TEST_F(Restore, AWaitingPictureIsPinnedOnceItsFolderAppearsAndCanBeForgotten) {
    const QByteArray a = Record("0", "0", "1500", "1500", P("a.jpg"));
    const QByteArray b = Record("1500", "0", "1500", "1500", P("later/b.jpg"));
    const QByteArray c = Record("3000", "0", "1500", "1500", P("later/c.jpg"));
    StartWith(a + b + c);
    const auto states = [this] {
        QList<pin_list::PinState> seen;
        for (const auto& pin : Board().ListPins()) seen.append(pin.state);
        return seen;
    };
    using pin_list::PinState;
    EXPECT_EQ(states(), (QList{PinState::Shown, PinState::Waiting, PinState::Waiting}));
    EXPECT_EQ(pin_list::FormatListing(Board().ListPins()).split('\n').value(1),
              "waiting\t1500\t0\t1500\t1500\t" + P("later/b.jpg").toUtf8() + "\t既定");

    // The folder comes with b's picture; c's file has not arrived yet and keeps waiting.
    ASSERT_TRUE(QDir().mkdir(P("later")));
    ASSERT_TRUE(QFile::copy(P("b.jpg"), P("later/b.jpg")));
    Board().LookForWaitingFolders();
    EXPECT_NE(PinnedAt(1500, 0), nullptr);
    EXPECT_EQ(states(), (QList{PinState::Shown, PinState::Shown, PinState::Waiting}));
    EXPECT_EQ(DataFile(), a + b + c);

    Board().HideAll();
    EXPECT_EQ(states(), (QList{PinState::Hidden, PinState::Hidden, PinState::Waiting}));
    EXPECT_EQ(DataFile(), a + b + c);
    Board().ShowAll();

    EXPECT_TRUE(Board().ForgetWaiting(Board().WaitingPins().at(0)));
    EXPECT_EQ(DataFile(), a + b);
    EXPECT_TRUE(Board().WaitingPins().isEmpty());
}

TEST_F(Restore, TheListKeepsStoredValuesWhileTheDisplayIsLimited) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // 10000 pixels to the right of every screen, and a window larger than X can hold.
    StartWith(Record("150000", "-450", "600000", "1500", P("a.jpg")) +
              Record("-450", "-300", "1500", "1500", P("b.jpg")));
    const auto windows = PinnedWindows();
    ASSERT_EQ(windows.size(), 2u);
    const QRect far = windows[0]->DisplayedOuterPixels();
    EXPECT_TRUE(screen.intersects(far));
    EXPECT_EQ(far.width(), 32767);
    EXPECT_EQ(windows[0]->OuterPixels(), QRect(10000, -30, 40000, 100));
    // Partly off the left and top edges: placed as stored.
    EXPECT_EQ(windows[1]->DisplayedOuterPixels(), QRect(-30, -20, 100, 100));
    const auto& entries = Board().Entries();
    EXPECT_EQ(entries[0].geometry, (std::array<QString, 4>{"150000", "-450", "600000", "1500"}));
    EXPECT_EQ(entries[1].geometry, (std::array<QString, 4>{"-450", "-300", "1500", "1500"}));
}

TEST_F(Restore, APinnedPictureKeepsNoMorePixelsThanItShows) {
    WriteJpeg(P("large.jpg"), {6000, 4000}, QColor(10, 90, 200));
    StartWith(Record("0", "0", "4500", "3000", P("large.jpg")) +
              Record("0", "0", "4500", "3000", P("large.jpg")));
    const auto windows = PinnedWindows();
    ASSERT_EQ(windows.size(), 2u);
    for (auto* window : windows) {
        const qreal ratio = window->devicePixelRatioF();
        const QSize pixels = window->Picture()->Pixels().size();
        EXPECT_LE(pixels.width(), qCeil(300 * ratio));
        EXPECT_LE(pixels.height(), qCeil(200 * ratio));
    }
    EXPECT_NE(windows[0]->Picture(), windows[1]->Picture());
}

TEST_F(Restore, ADataFileThatCannotBeReadLeavesItAloneAndShowsTheMainWindow) {
    QDir().mkdir("zuzerid.dat");  // a folder where the file should be
    Start();
    EXPECT_TRUE(QFileInfo("zuzerid.dat").isDir());
    EXPECT_TRUE(MainWindowShown());
    EXPECT_EQ(Board().Count(), 0);
}

TEST_F(Restore, AWarmThumbnailCacheRestoresExactlyWhatAColdOneDoes) {
    thumbnailFolder = folder.Path("cache/thumbnails");
    WriteJpeg(P("wide.jpg"), {1200, 800}, QColor(10, 90, 200));
    WriteJpeg(P("tall.jpg"), {800, 1200}, QColor(200, 90, 10));
    WriteBytes(P("cut.jpg"), ReadBytes(P("wide.jpg")).chopped(10));
    const QByteArray data = Record("0", "0", "4500", "3000", P("wide.jpg")) +
                            Record("4500", "0", "3000", "4500", P("tall.jpg")) +
                            Record("0", "3000", "4500", "3000", P("wide.jpg")) +
                            Record("0", "0", "1500", "1500", P("gone.jpg")) +
                            Record("0", "0", "1500", "1500", P("cut.jpg")) +
                            // Larger than the largest thumbnail: decoded as without a cache.
                            Record("0", "0", "18000", "12000", P("wide.jpg"));
    const auto snapshot = [this] {
        QStringList seen{QString::fromLatin1(DataFile()), MainWindowShown() ? "shown" : "hidden"};
        for (pinned_window::PinnedWindow* window : PinnedWindows()) {
            const QRect outer = window->geometry(), image = PictureOf(window)->geometry();
            const QSize pixels = window->Picture()->Pixels().size();
            seen << QStringLiteral("%1 %2 %3 %4 | %5 %6 | %7 %8")
                        .arg(outer.x())
                        .arg(outer.y())
                        .arg(outer.width())
                        .arg(outer.height())
                        .arg(image.width())
                        .arg(image.height())
                        .arg(pixels.width())
                        .arg(pixels.height());
        }
        return seen;
    };
    StartWith(data);
    const QStringList cold = snapshot();
    ASSERT_EQ(PinnedWindows().size(), 4u);
    program->Thumbnails()->Wait();
    QStringList thumbnails;
    for (QDirIterator it(thumbnailFolder, {"*.png"}, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();) {
        thumbnails << it.next();
    }
    ASSERT_EQ(thumbnails.size(), 2) << thumbnails.join(u' ').toStdString();
    // Another program's current thumbnail of the picture cut short: it is never shown.
    const platform::FilePath cut = PathOf("cut.jpg");
    const QString cutThumbnail =
        thumbnailFolder + "/x-large/" +
        QString::fromLatin1(platform::ThumbnailFileName(platform::ThumbnailUri(cut)));
    const platform::FileStamp cutStamp = *platform::StampOf(cut);
    ASSERT_TRUE(test_support::WritePngWithText(
        cutThumbnail, test_support::Filled({150, 100}, Qt::green),
        {{"Thumb::URI", QString::fromLatin1(platform::ThumbnailUri(cut))},
         {"Thumb::MTime", QString::number(cutStamp.mtime)}}));

    // Painted over in green, first with all the text this program wrote (the file is not read
    // again), then with only what every program writes (it is): the warm restore shows green
    // where it used them, and otherwise exactly what the cold one did.
    for (const bool ours : {true, false}) {
        SCOPED_TRACE(ours ? "this program's thumbnails" : "another program's");
        for (const QString& file : thumbnails) {
            QImage image(file, "png");
            QMap<QString, QString> text;
            for (const QString& key : image.textKeys()) {
                if (ours || key.startsWith("Thumb::")) text[key] = image.text(key);
            }
            image = test_support::Filled(image.size(), Qt::green);
            for (auto at = text.begin(); at != text.end(); ++at)
                image.setText(at.key(), at.value());
            ASSERT_TRUE(image.save(file, "png"));
        }
        StartWith(data);
        EXPECT_EQ(snapshot(), cold);
        const auto windows = PinnedWindows();
        ASSERT_EQ(windows.size(), 4u);
        for (size_t i = 0; i < windows.size(); ++i) {
            const QImage& pixels = windows[i]->Picture()->Pixels();
            const QRgb middle = pixels.pixel(pixels.width() / 2, pixels.height() / 2);
            EXPECT_EQ(qGreen(middle) > 200 && qRed(middle) < 60, i < 3) << i;
        }
        program->Thumbnails()->Wait();
    }
}

}  // namespace
