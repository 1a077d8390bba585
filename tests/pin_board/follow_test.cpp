// A pin that follows its file: every save is shown at the pin's width, whether the file is
// rewritten in place or replaced by a rename; what is not a picture leaves the pin as it was.
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <cstdio>

#include "pinned_window/pinned_window.h"
#include "support/board_fixture.h"

namespace {

using Follow = BoardTest;

enum class Write { InPlace, Rename, Delete, Garbage };
enum class Before { On, OnAndRestarted, OnAndOff };

TEST_F(Follow, EverySaveIsShownAndWhatIsNoPictureChangesNothing) {
    const struct {
        const char* name;
        Before before;
        // Each write with the height of its new picture, 300 pixels wide (0: not a picture).
        std::vector<std::pair<Write, int>> writes;
    } cases[] = {
        {"rewritten in place", Before::OnAndRestarted, {{Write::InPlace, 450}}},
        {"renamed over twice, then rewritten in place",
         Before::On,
         {{Write::Rename, 300}, {Write::Rename, 450}, {Write::InPlace, 200}}},
        {"deleted, then back", Before::On, {{Write::Delete, 0}, {Write::Rename, 300}}},
        {"replaced by garbage", Before::On, {{Write::Garbage, 0}}},
        {"turned off", Before::OnAndOff, {{Write::InPlace, 450}}},
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
            QContextMenuEvent open(QContextMenuEvent::Mouse, {2, 2}, pin->mapToGlobal(QPoint()));
            QApplication::sendEvent(pin, &open);
            Trigger(pin->findChild<QMenu*>(QStringLiteral("PinMenu")), "followFile");
        };
        toggle();
        if (c.before == Before::OnAndRestarted) StartWith(DataFile());
        if (c.before == Before::OnAndOff) toggle();
        for (const auto& [write, height] : c.writes) {
            pinned_window::PinnedWindow* pin = PinnedWindows().at(0);
            const platform::Picture before = pin->Picture();
            const QByteArray data = DataFile();
            const QColor color = QColor::fromHsv(height % 360, 255, 255);
            const QByteArray bytes =
                height ? test_support::JpegBytes(test_support::Filled({300, height}, color))
                       : "not a picture";
            if (write == Write::Rename) {
                test_support::WriteBytes(P("pics/f.new"), bytes);
                ASSERT_EQ(std::rename("pics/f.new", "pics/f.jpg"), 0);
            } else if (write == Write::Delete) {
                ASSERT_TRUE(QFile::remove(P("pics/f.jpg")));
            } else {
                QFile file(P("pics/f.jpg"));  // the same file, truncated and written again
                ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
                file.write(bytes);
            }
            if (!height || c.before == Before::OnAndOff) {
                QTest::qWait(300);
                EXPECT_EQ(pin->Picture(), before);
                EXPECT_EQ(DataFile(), data);
                continue;
            }
            EXPECT_TRUE(QTest::qWaitFor([&] { return pin->Picture() != before; }, 5000));
            const QImage& pixels = pin->Picture()->Pixels();
            EXPECT_NEAR(pixels.pixelColor(pixels.rect().center()).hue(), color.hue(), 8);
            EXPECT_EQ(DataFile(),
                      Record("0", "0", "4500", QString::number(height * 15), P("pics/f.jpg")));
        }
    }
}

}  // namespace
