#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QWheelEvent>

#include "about_box/about_box.h"
#include "app/program.h"
#include "display_window/display_window.h"
#include "main_window/main_window.h"
#include "pin_board/pin_board.h"
#include "pinned_window/pinned_window.h"
#include "platform/core/thumbnail_rules.h"
#include "platform/gui/controls.h"
#include "platform/pictures/thumbnail_cache.h"
#include "support/program_fixture.h"

namespace {

using PinUnpin = ProgramTest;

TEST_F(PinUnpin, UnpinningHandsThePictureBackAt600TwipsAboveAndPinningIsItsInverse) {
    StartWith(Record("1500", "1500", "3000", "2250", P("a.jpg")));
    pinned_window::PinnedWindow* pinned = PinnedAt(1500, 1500);
    ASSERT_NE(pinned, nullptr);
    const platform::Picture picture = pinned->Picture();
    DoubleClick(PictureOf(pinned));

    auto& display = Display();
    EXPECT_TRUE(display.isVisible());
    EXPECT_EQ(display.Left(), 1500);
    EXPECT_EQ(display.Top(), 900);
    EXPECT_EQ(display.Width(), 3000);
    EXPECT_EQ(display.Height(), 2850);
    EXPECT_EQ(display.ReferenceHeight(), 2250);
    EXPECT_EQ(display.ReferenceWidth(), 3000);
    EXPECT_EQ(PictureOf(&display)->Width(), 3000);
    EXPECT_EQ(PictureOf(&display)->Height(), 2250);
    EXPECT_EQ(PictureOf(&display)->GetPicture(), picture);  // the same object, not a new read
    EXPECT_EQ(display.ShownPath(), PathOf("a.jpg"));
    EXPECT_EQ(Board().Count(), 0);
    EXPECT_EQ(DataFile(), Record("1500", "1500", "3000", "2250", P("a.jpg")));  // not saved yet

    Trigger(&display, "pin");
    EXPECT_FALSE(display.isVisible());
    pinned_window::PinnedWindow* again = PinnedAt(1500, 1500);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Width(), 3000);
    EXPECT_EQ(again->Height(), 2250);
    EXPECT_EQ(again->PictureWidth(), 3000);
    EXPECT_EQ(again->PictureHeight(), 2250);
    EXPECT_EQ(again->Picture(), picture);
    EXPECT_EQ(DataFile(), Record("1500", "1500", "3000", "2250", P("a.jpg")));
}

TEST_F(PinUnpin, PinningFromWhereTheUserPutTheWindowRecordsThePinnedGeometry) {
    StartWith(Record("1500", "1500", "3000", "2250", P("a.jpg")));
    Unpin(1500, 1500);
    auto& display = Display();
    const struct {
        int left, top;
        const char *listLeft, *listTop;
    } places[] = {
        {-450, 300, "-450", "900"}, {300, -900, "300", "-300"}, {1500, 900, "1500", "1500"}};
    for (const auto& place : places) {
        display.SetLeft(place.left);
        display.SetTop(place.top);
        DoubleClick(PictureOf(&display));  // a double-click on the picture pins, as "張り付け" does
        ASSERT_EQ(Board().Count(), 1);
        EXPECT_EQ(Column(0)[0], place.listLeft);
        EXPECT_EQ(Column(1)[0], place.listTop);
        EXPECT_EQ(DataFile(), Record(place.listLeft, place.listTop, "3000", "2250", P("a.jpg")));
        pinned_window::PinnedWindow* pinned = PinnedWindows().at(0);
        EXPECT_EQ(pinned->Left(), place.left);
        DoubleClick(PictureOf(pinned));
        EXPECT_EQ(display.Left(), place.left);
        EXPECT_EQ(display.Top(), place.top);
    }
}

TEST_F(PinUnpin, UnpinningRemovesExactlyTheClickedWindowsEntryAnywhereInTheList) {
    QByteArray data;
    for (int i = 0; i < 14; ++i) {
        // Two windows of the same file at every place, so paths alone cannot tell them apart.
        data += Record(QString::number(i * 150), "0", "1500", "1500", P(i % 2 ? "b.jpg" : "a.jpg"));
    }
    StartWith(data);
    const struct {
        int left;
        int removedIndex;
    } unpins[] = {{150 * 12, 12}, {150 * 2, 2}, {150 * 13, 11}, {150 * 1, 1}};
    for (const auto& unpin : unpins) {
        QStringList lefts = Column(0);
        pinned_window::PinnedWindow* window = PinnedAt(unpin.left, 0);
        ASSERT_NE(window, nullptr) << unpin.left;
        DoubleClick(PictureOf(window));
        lefts.removeAt(unpin.removedIndex);
        EXPECT_EQ(Column(0), lefts) << unpin.left;
        Trigger(&Display(), "delete");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(PinnedAt(unpin.left, 0), nullptr);
    }
}

TEST_F(PinUnpin, UnpinningBOfABCKeepsAThenC) {
    StartWith(Record("0", "0", "1500", "1500", P("a.jpg")) +
              Record("1500", "0", "1500", "1500", P("b.jpg")) +
              Record("3000", "0", "1500", "1500", P("c.jpg")));
    Unpin(1500, 0);
    const pin_list::PinList& list = Board().List();
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.At(0).entry.path, PathOf("a.jpg"));
    EXPECT_EQ(list.At(1).entry.path, PathOf("c.jpg"));
    EXPECT_EQ(Column(0), (QStringList{"0", "3000"}));
    // Saved meanwhile for another pin's sake, the data file still names b until it is pinned
    // again or removed.
    Board().Save();
    EXPECT_EQ(Board().Entries().size(), 3);
    EXPECT_TRUE(DataFile().contains(P("b.jpg").toUtf8()));
}

TEST_F(PinUnpin, TheDoubleClickedWindowLivesUntilItsHandlerHasReturned) {
    StartWith(Record("0", "0", "1500", "1500", P("a.jpg")));
    QPointer<pinned_window::PinnedWindow> window = PinnedAt(0, 0);
    DoubleClick(PictureOf(window));
    EXPECT_FALSE(window.isNull());
    EXPECT_FALSE(window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(PinUnpin, OneDisplayGivesOnePinWhateverTheFocusDoes) {
    StartWith(Record("0", "0", "1500", "1500", P("a.jpg")) +
              Record("3000", "0", "1500", "1500", P("b.jpg")));
    Unpin(0, 0);
    auto& display = Display();
    display.activateWindow();
    QApplication::processEvents();
    // The focus moving to another window of the program pins; so does every later notice.
    pinned_window::PinnedWindow* other = PinnedAt(3000, 0);
    other->activateWindow();
    QApplication::processEvents();
    EXPECT_FALSE(display.isVisible());  // pinned by the focus moving to a pinned window
    display.Pin();
    Trigger(&display, "pin");
    Main().activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(Board().Count(), 2);
    EXPECT_EQ(PinnedWindows().size(), 2u);
    EXPECT_EQ(DataFile().count("\r\n"), 4);
}

TEST_F(PinUnpin, DeleteRewritesTheFileWithoutThePictureAndShowsTheMainWindowWhenNoneIsLeft) {
    const QByteArray a = Record("0", "0", "1500", "1500", P("a.jpg"));
    const QByteArray b = Record("3000", "0", "1500", "1500", P("b.jpg"));
    StartWith(a + b);
    main_window::MainWindow& main = Main();
    ASSERT_FALSE(main.isVisible());

    Unpin(0, 0);
    Trigger(&Display(), "delete");
    EXPECT_EQ(DataFile(), b);
    EXPECT_FALSE(main.isVisible());  // another picture is still pinned
    EXPECT_FALSE(Display().isVisible());

    Unpin(3000, 0);
    Trigger(&Display(), "delete");
    EXPECT_EQ(DataFile(), QByteArray());
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(ItemEnabled(&main, "hide"));
}

TEST_F(PinUnpin, AddPicturePinsThenShowsTheMainWindowWithHideEnabled) {
    StartWith(Record("0", "0", "1500", "1500", P("a.jpg")));
    main_window::MainWindow& main = Main();
    main.SetShownWithHideOffered(main.isVisible(), false);
    Unpin(0, 0);
    Trigger(&Display(), "addPicture");
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(ItemEnabled(&main, "hide"));
    EXPECT_EQ(Board().Count(), 1);
    EXPECT_EQ(PinnedWindows().size(), 1u);
}

TEST_F(PinUnpin, EndLeavesTheFileAsLastSavedAndPinsNothing) {
    const QByteArray data = Record("0", "0", "1500", "1500", P("a.jpg"));
    StartWith(data);
    Unpin(0, 0);
    Display().SetLeft(3000);
    Trigger(&Display(), "quit");
    EXPECT_TRUE(ended);
    EXPECT_EQ(DataFile(), data);
    EXPECT_TRUE(PinnedWindows().empty());
}

TEST_F(PinUnpin, HelpAndAboutPinTheDisplayedPictureFirst) {
    StartWith(Record("0", "0", "1500", "1500", P("a.jpg")));
    Unpin(0, 0);
    Trigger(&Display(), "about");
    EXPECT_FALSE(Display().isVisible());
    EXPECT_EQ(Board().Count(), 1);
    EXPECT_TRUE(program->AboutBox().isVisible());
    EXPECT_EQ(DataFile(), Record("0", "0", "1500", "1500", P("a.jpg")));
}

// Closing an unpinned picture leaves the list as "削除" does, so that the next start does not
// bring back what the screen no longer shows; its file stays.
TEST_F(PinUnpin, ClosingTheDisplayWindowWithNothingPinnedBringsBackTheMainWindow) {
    StartWith(Record("0", "0", "1500", "1500", P("a.jpg")));
    Unpin(0, 0);
    Display().close();
    EXPECT_FALSE(Display().isVisible());
    EXPECT_TRUE(Main().isVisible());
    EXPECT_EQ(DataFile(), QByteArray());
    EXPECT_TRUE(QFileInfo::exists(P("a.jpg")));
}

// A save that fails is told once, in a box of its own, until a save succeeds again; the
// pictures stay pinned either way.
TEST_F(PinUnpin, AFailedSaveIsToldOnceUntilASaveSucceeds) {
    QDir().mkdir("data");
    StartWith(Record("0", "0", "1500", "1500", P("a.jpg")), "data/zuzerid.dat");
    const auto boxes = [] {
        QList<QMessageBox*> shown;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box && box->objectName() == "SaveFailedMessage" && box->isVisible())
                shown.append(box);
        }
        return shown;
    };
    const struct {
        bool folderThere;
        bool told;
    } saves[] = {{false, true}, {false, false}, {true, false}, {false, true}};
    for (const auto& save : saves) {
        if (save.folderThere)
            QDir().mkdir("data");
        else
            QDir("data").removeRecursively();
        DoubleClick(PictureOf(PinnedWindows().at(0)));
        Trigger(&Display(), "pin");
        QCoreApplication::processEvents();
        const auto told = boxes();
        ASSERT_EQ(told.size(), save.told ? 1 : 0);
        if (save.told) {
            EXPECT_TRUE(told[0]->text().contains(QFileInfo("data/zuzerid.dat").absoluteFilePath()));
            EXPECT_EQ(told[0]->windowModality(), Qt::NonModal);
            told[0]->close();
        }
        EXPECT_EQ(PinnedWindows().size(), 1u) << "the picture stays pinned";
    }
    EXPECT_EQ(DataFile(), QByteArray());  // the folder went with the last failure
}

// Names that are not UTF-8 keep their exact bytes through unpinning and pinning again.
TEST_F(PinUnpin, ANameThatIsNotUtf8KeepsItsBytes) {
    const QByteArray raw = QFile::encodeName(folder.Path({})) + "/\x8e\xca\x90^.jpg";
    test_support::RenameToRawName(P("a.jpg"), raw);
    const QByteArray data = Record("0", "0", "1500", "1500", raw);
    StartWith(data);
    Unpin(0, 0);
    EXPECT_EQ(Display().ShownPath().Bytes(), raw);
    Trigger(&Display(), "pin");
    EXPECT_EQ(DataFile(), data);
}

// A photo stored on its side (EXIF orientation 6, its stored left half red, right half blue),
// shown with the screen's detail and pinned smaller: the pin's thumbnail is written upright, and
// the next restore is served from it without decoding the photo.
TEST_F(PinUnpin, PinningWritesTheThumbnailThatTheNextRestoreIsServedFrom) {
    thumbnailFolder = folder.Path("cache/thumbnails");
    QImage stored = test_support::Filled({1200, 800}, Qt::red);
    for (int y = 0; y < 800; ++y) {
        for (int x = 600; x < 1200; ++x) stored.setPixel(x, y, qRgb(0, 0, 255));
    }
    test_support::WriteBytes(P("turned.jpg"), test_support::JpegWithExif(stored, 6));
    StartWith("");
    ASSERT_EQ(program->OpenPicture(PathOf("turned.jpg")), std::nullopt);
    auto& display = Display();
    display.SetWidth(3000);  // about 200 x 300 pixels: the x-large class, 341 x 512, covers it
    ASSERT_EQ(PictureOf(&display)->width(), 200);
    const QSize decoded = PictureOf(&display)->GetPicture()->Pixels().size();
    ASSERT_GE(decoded.height(), 512) << "the display window keeps less detail than assumed";
    Trigger(&display, "pin");
    ASSERT_EQ(PinnedWindows().size(), 1u);
    program->Thumbnails()->Wait();

    const QString name = QString::fromLatin1(
        platform::ThumbnailFileName(platform::ThumbnailUri(PathOf("turned.jpg"))));
    // (The browser's preview and the display window's load wrote their own, of other classes.)
    EXPECT_EQ(QDir(thumbnailFolder + "/x-large").entryList(QDir::Files), QStringList{name});
    const QString file = thumbnailFolder + "/x-large/" + name;
    QImage thumbnail(file, "png");
    ASSERT_EQ(thumbnail.size(), QSize(341, 512));
    const auto isRed = [](QRgb p) { return qRed(p) > 200 && qBlue(p) < 60; };
    const auto isBlue = [](QRgb p) { return qBlue(p) > 200 && qRed(p) < 60; };
    // Turned a quarter clockwise: the stored left half is on top.
    EXPECT_TRUE(isRed(thumbnail.pixel(170, 100)));
    EXPECT_TRUE(isBlue(thumbnail.pixel(170, 400)));
    const platform::FileStamp stamp = *platform::StampOf(PathOf("turned.jpg"));
    EXPECT_EQ(thumbnail.text("Thumb::URI"),
              QString::fromLatin1(platform::ThumbnailUri(PathOf("turned.jpg"))));
    EXPECT_EQ(thumbnail.text("Thumb::MTime"), QString::number(stamp.mtime));
    EXPECT_EQ(thumbnail.text("X-Vellora-Checked"), "1");

    // Painted green, its text kept: a restore that shows green took it for the photo.
    QImage green = test_support::Filled(thumbnail.size(), Qt::green);
    for (const QString& key : thumbnail.textKeys()) green.setText(key, thumbnail.text(key));
    ASSERT_TRUE(green.save(file, "png"));
    StartWith(DataFile());
    ASSERT_EQ(PinnedWindows().size(), 1u);
    const QImage& pixels = PinnedWindows()[0]->Picture()->Pixels();
    ASSERT_EQ(pixels.size(), PictureOf(PinnedWindows()[0])->size());
    const QRgb middle = pixels.pixel(pixels.width() / 2, pixels.height() / 2);
    EXPECT_TRUE(qGreen(middle) > 200 && qRed(middle) < 60) << std::hex << middle;
}

// Whatever brings a new picture into the display window pins the one on show first: it is
// never discarded into the removed list while the user still sees it.
TEST_F(PinUnpin, APictureOnShowIsPinnedBeforeAnotherTakesItsPlace) {
    StartWith(Record("0", "0", "1500", "1500", P("a.jpg")) +
              Record("3000", "0", "1500", "1500", P("b.jpg")));
    const struct {
        const char* road;
        std::function<void()> bring;
    } roads[] = {
        {"back to the display window from the list",
         [&] { Board().Unpin(Board().List().At(0).id); }},
        {"opened from the browser", [&] { ASSERT_FALSE(program->OpenPicture(PathOf("c.jpg"))); }},
    };
    for (const auto& road : roads) {
        SCOPED_TRACE(road.road);
        Unpin(3000, 0);  // b on show
        road.bring();
        EXPECT_TRUE(Board().List().RemovedPins().isEmpty());
        EXPECT_TRUE(DataFile().contains(P("b.jpg").toUtf8()));
        bool bPinned = false;
        for (int row = 0; row < Board().List().Count(); ++row) {
            bPinned = bPinned || Board().List().At(row).entry.path == PathOf("b.jpg");
        }
        EXPECT_TRUE(bPinned);
        Trigger(&Display(), "pin");
        // Back as it was for the next road: a at 0, b at 3000.
        StartWith(Record("0", "0", "1500", "1500", P("a.jpg")) +
                  Record("3000", "0", "1500", "1500", P("b.jpg")));
    }
}

// The list gives a pin its board; a setting chosen later in the pin's menu never sends it back
// to another board, whichever road brought the pin to the screen.
TEST_F(PinUnpin, APinKeepsItsBoardWhenOneOfItsSettingsChanges) {
    StartWith(Record("0", "0", "1500", "1500", P("a.jpg")));
    pin_list::PinList& list = Board().List();
    ASSERT_FALSE(list.MakeBoard(QStringLiteral("作業")));
    ASSERT_FALSE(list.SetBoardHidden(QStringLiteral("作業"), false));  // it takes new pins
    const auto keepAbove = [](QWidget* pin) {
        QContextMenuEvent open(QContextMenuEvent::Mouse, QPoint(2, 2),
                               pin->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(pin, &open);
        auto* menu = pin->findChildren<QMenu*>(QStringLiteral("PinMenu")).constLast();
        Trigger(menu, "keepAbove");
        menu->close();
    };
    const struct {
        const char* road;
        std::function<void()> pin;
    } roads[] = {
        {"opened and pinned",
         [&] {
             ASSERT_FALSE(program->OpenPicture(PathOf("b.jpg")));
             Trigger(&Display(), "pin");
         }},
        {"pinned again after its board was hidden",
         [&] {
             ASSERT_FALSE(list.SetBoardHidden(store::kFirstBoard, true));
             Board().Unpin(list.At(0).id);
             Trigger(&Display(), "pin");
         }},
        {"put back from the removed list",
         [&] {
             list.Remove(list.At(list.Count() - 1).id);
             ASSERT_FALSE(Board().RestoreRemoved(int(list.RemovedPins().size()) - 1));
         }},
    };
    for (const auto& road : roads) {
        SCOPED_TRACE(road.road);
        road.pin();
        const pin_list::Pin& pin = list.At(list.Count() - 1);
        ASSERT_EQ(pin.settings.board, QStringLiteral("作業"));
        keepAbove(Board().Windows().constLast());
        EXPECT_TRUE(list.At(list.Count() - 1).settings.keepAbove);
        EXPECT_EQ(list.At(list.Count() - 1).settings.board, QStringLiteral("作業"));
        ASSERT_TRUE(list.SetBoardHidden(QStringLiteral("作業"), true) == std::nullopt);
        EXPECT_EQ(list.At(list.Count() - 1).state, pin_list::PinState::Hidden);
        ASSERT_TRUE(list.SetBoardHidden(QStringLiteral("作業"), false) == std::nullopt);
        keepAbove(Board().Windows().constLast());  // back as it was, for the next road
    }
}

// What the user chooses in a pin's menu is kept beside the data file, comes back at the next
// start, and stays with the picture through unpinning and pinning again.
TEST_F(PinUnpin, APinsMenuSettingsAreKeptAcrossRestartsAndUnpinning) {
    const QByteArray a = Record("0", "0", "1500", "1500", P("a.jpg"));
    const QByteArray b = Record("3000", "0", "1500", "1500", P("b.jpg"));
    StartWith(a + b);
    const auto choose = [](QWidget* pin, const char* item) {
        QContextMenuEvent open(QContextMenuEvent::Mouse, QPoint(2, 2),
                               pin->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(pin, &open);
        auto* menu = pin->findChild<QMenu*>(QStringLiteral("PinMenu"));
        ASSERT_NE(menu, nullptr);
        // Offscreen, as on an X server without a compositing manager, nothing draws opacity.
        EXPECT_FALSE(menu->findChild<QMenu*>(QStringLiteral("opacity"))->isEnabled());
        Trigger(menu, item);
        menu->close();
    };
    choose(PinnedAt(3000, 0), "keepAbove");
    choose(PinnedAt(3000, 0), "clickThrough");
    const auto settingsOfB = [this] { return Board().Settings().at(1); };
    EXPECT_TRUE(settingsOfB().keepAbove && settingsOfB().clickThrough);

    StartWith(a + b);
    EXPECT_TRUE(settingsOfB().keepAbove && settingsOfB().clickThrough);
    EXPECT_FALSE(Board().Settings().at(0).keepAbove);
    Unpin(3000, 0);
    Trigger(&Display(), "pin");
    EXPECT_TRUE(settingsOfB().keepAbove);

    Board().MakeAllSolid();
    EXPECT_FALSE(settingsOfB().clickThrough);
    StartWith(a + b);
    EXPECT_TRUE(settingsOfB().keepAbove && !settingsOfB().clickThrough);

    // "削除" in a pin's own menu: the list is saved without it.
    choose(PinnedAt(0, 0), "delete");
    EXPECT_EQ(DataFile(), b);
}

// A burst of wheel steps, part notches included, zooms the pin about the cursor, is redrawn from
// a decode of the file, and is saved once; a double-click still unpins it.
TEST_F(PinUnpin, AWheelBurstZoomsThePinSharpAndIsSavedOnce) {
    StartWith(Record("1500", "1500", "3000", "2250", P("a.jpg")));
    Board().SetZoomSaveDelay(50);
    int saves = 0;
    Board().SetSaveListener([&saves](const QString&, const store::SaveResult&) { ++saves; });
    pinned_window::PinnedWindow* pin = PinnedWindows().at(0);
    for (const int delta : {120, 120, 60, 60}) {  // the cursor on the top left corner
        QWheelEvent wheel(QPointF(0, 0), pin->mapToGlobal(QPointF(0, 0)), {}, {0, delta},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(pin, &wheel);
    }
    EXPECT_EQ(saves, 0);
    QTRY_COMPARE(saves, 1);
    QTest::qWait(150);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(DataFile(), Record("1500", "1500", "3990", "3000", P("a.jpg")));
    QTRY_VERIFY(pin->Picture()->Origin().has_value());  // the decode, not the stand-in
    EXPECT_EQ(pin->Picture()->Pixels().size(), QSize(266, 200));
    DoubleClick(PictureOf(pin));
    EXPECT_EQ(Board().Count(), 0);

    // A step made just before the program ends is saved as it ends.
    StartWith(Record("1500", "1500", "3000", "2250", P("a.jpg")));
    Board().SetZoomSaveDelay(60000);
    QWheelEvent wheel(QPointF(0, 0), PinnedWindows().at(0)->mapToGlobal(QPointF(0, 0)), {},
                      {0, 120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(PinnedWindows().at(0), &wheel);
    program.reset();
    EXPECT_EQ(DataFile(), Record("1500", "1500", "3300", "2475", P("a.jpg")));
}

}  // namespace
