// A pin that follows its file: every save is shown at the pin's width, whether the file is
// rewritten in place or replaced by a rename; what is not a picture leaves the pin as it was.
#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <cstdio>
#include <optional>

#include "pin_board/pin_board.h"
#include "pinned_window/pinned_window.h"
#include "support/program_fixture.h"

namespace {

using test_support::JpegBytes;
using Follow = ProgramTest;

enum class Write { InPlace, Rename, Delete, Garbage };

struct Step {
    Write write;
    QSize size;          // of the new picture
    QColor color;        // of the new picture
    const char* height;  // the record's height afterwards, in twips; null: nothing changes
};

bool Shows(pinned_window::PinnedWindow* pin, QColor color) {
    const QImage& pixels = pin->Picture()->Pixels();
    const QColor middle = pixels.pixelColor(pixels.width() / 2, pixels.height() / 2);
    return qAbs(middle.red() - color.red()) + qAbs(middle.green() - color.green()) +
               qAbs(middle.blue() - color.blue()) <
           60;
}

TEST_F(Follow, EverySaveIsShownAndWhatIsNoPictureChangesNothing) {
    const struct {
        const char* name;
        bool restart = false;  // turned on, then the program started again
        bool turnOff = false;  // turned on, then off again
        std::vector<Step> steps;
    } cases[] = {
        {"rewritten in place", true, false, {{Write::InPlace, {200, 300}, Qt::green, "6750"}}},
        {"renamed over twice, then rewritten",
         false,
         false,
         {{Write::Rename, {150, 150}, Qt::blue, "4500"},
          {Write::Rename, {200, 300}, Qt::green, "6750"},
          {Write::InPlace, {300, 200}, Qt::red, "3000"}}},  // on the file that came last
        {"deleted, then back",
         false,
         false,
         {{Write::Delete, {}, {}, nullptr}, {Write::Rename, {150, 150}, Qt::blue, "4500"}}},
        {"replaced by garbage", false, false, {{Write::Garbage, {}, {}, nullptr}}},
        {"turned off", false, true, {{Write::InPlace, {200, 300}, Qt::green, nullptr}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Away from the data file, whose saves would wake the folder's watch.
        QDir().mkpath(P("pics"));
        test_support::WriteJpeg(P("pics/f.jpg"), {300, 200}, Qt::red);
        QFile::remove(P("pin-settings.json"));  // each case starts with the defaults
        StartWith(Record("0", "0", "4500", "3000", P("pics/f.jpg")));
        const auto toggle = [this] {
            pinned_window::PinnedWindow* pin = PinnedWindows().at(0);
            QContextMenuEvent open(QContextMenuEvent::Mouse, QPoint(2, 2),
                                   pin->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(pin, &open);
            auto* menu = pin->findChild<QMenu*>(QStringLiteral("PinMenu"));
            Trigger(menu, "followFile");
            menu->close();
        };
        toggle();
        EXPECT_TRUE(Board().Settings().at(0).followFile);
        if (c.restart) StartWith(DataFile());
        if (c.turnOff) toggle();
        for (const Step& step : c.steps) {
            pinned_window::PinnedWindow* pin = PinnedWindows().at(0);
            const platform::Picture before = pin->Picture();
            const QByteArray data = DataFile();
            const QByteArray bytes = step.write == Write::Garbage ? "not a picture"
                                     : step.size.isEmpty()
                                         ? QByteArray()
                                         : JpegBytes(test_support::Filled(step.size, step.color));
            if (step.write == Write::Rename) {
                test_support::WriteBytes(P("pics/f.jpg.new"), bytes);
                ASSERT_EQ(std::rename("pics/f.jpg.new", "pics/f.jpg"), 0);
            } else if (step.write == Write::Delete) {
                ASSERT_TRUE(QFile::remove(P("pics/f.jpg")));
            } else {
                QFile file(P("pics/f.jpg"));  // the same file, truncated and written again
                ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
                file.write(bytes);
            }
            if (!step.height) {
                QTest::qWait(300);
                EXPECT_EQ(pin->Picture(), before);
                EXPECT_EQ(DataFile(), data);
                continue;
            }
            EXPECT_TRUE(QTest::qWaitFor([&] { return Shows(pin, step.color); }, 5000));
            EXPECT_EQ(DataFile(), Record("0", "0", "4500", step.height, P("pics/f.jpg")));
            EXPECT_EQ(pin->Width(), 4500);
            EXPECT_EQ(pin->Height(), QByteArray(step.height).toFloat());
            EXPECT_TRUE(Board().Settings().at(0).followFile);
        }
    }
}

}  // namespace
