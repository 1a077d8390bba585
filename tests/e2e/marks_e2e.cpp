// Marks drawn on a real pin with the pointer and the keys, as another program sees them: on the
// screen, after a restart, and on the clipboard.
#include <signal.h>

#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QStandardPaths>

#include "e2e_test.h"

namespace e2e {
namespace {

const QString kPinned = QStringLiteral("Form3");
const QString kToolbar = QStringLiteral("vellora-marking");
// The marks' first colour.
constexpr QRgb kRed = 0xffe53935;
// The pin: 400 x 300 pixels at (100, 100), its picture at its own size.
const QRect kPin(100, 100, 400, 300);

bool Near(QRgb a, QRgb b, int tolerance = 40) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// Every pixel unlike its neighbours, so that a mosaic's squares can never match it.
QImage Noise() {
    QImage noise(kPin.size(), QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y) {
        for (int x = 0; x < noise.width(); ++x) {
            noise.setPixel(x, y, qRgb((x * 37 + y * 11) % 200 + 40, (x * 7 + y * 53) % 256, 255));
        }
    }
    return noise;
}

class MarksTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty()) {
            GTEST_SKIP() << "missing tools: xclip";
        }
        picture = Path(QStringLiteral("noise.png"));
        ASSERT_TRUE(Noise().save(picture));
        ASSERT_TRUE(WriteBytes(DataFile(), DataRecord({"1500", "1500", "6000", "4500"}, picture)));
    }
    // Chooses the item `fromEnd` places up from the end of the pin's menu (disabled items are
    // passed over by the keys).
    void ChooseFromMenu(int fromEnd) const {
        session->Click(kPin.center(), 3);
        XSession::WaitUntil([&] { return !session->VisiblePopups().isEmpty(); }, 5000);
        QStringList keys(fromEnd, QStringLiteral("Up"));
        session->Key(keys.join(u' ') + QStringLiteral(" Return"));
        XSession::WaitUntil([&] { return session->VisiblePopups().isEmpty(); }, 5000);
    }
    // Marks the pin: the tool's key, a drag in the picture's pixels, and Enter when `done`.
    void Mark(const QString& toolKey, QPoint from, QPoint to, int annotateFromEnd,
              bool done = true) const {
        ChooseFromMenu(annotateFromEnd);
        ASSERT_TRUE(session->WaitForWindow(kToolbar, 10000)) << "no marking mode";
        ASSERT_TRUE(session->Key(toolKey));
        ASSERT_TRUE(session->Drag(kPin.topLeft() + from, kPin.topLeft() + to));
        if (done) {
            ASSERT_TRUE(session->Key(QStringLiteral("Return")));
            ASSERT_TRUE(session->WaitForNoWindow(kToolbar, 10000)) << "the mode did not end";
        }
    }
    // What the marks folder holds, all files together.
    QByteArray MarksFiles() const {
        QByteArray all;
        const QDir folder(Path(QStringLiteral("marks")));
        for (const QString& name : folder.entryList(QDir::Files)) {
            all += ReadBytes(folder.filePath(name));
        }
        return all;
    }
    QImage Clipboard() const {
        return QImage::fromData(session->Run(QStringLiteral("xclip"),
                                             {"-o", "-selection", "clipboard", "-t", "image/png"},
                                             nullptr, 5000));
    }
    QImage CopiedOnceItHas(const std::function<bool(const QImage&)>& done) const {
        QImage copied;
        XSession::WaitUntil(
            [&] {
                copied = Clipboard();
                return !copied.isNull() && done(copied);
            },
            10000, 200);
        return copied;
    }
    bool RedOnScreenAt(QPoint inPicture) const {
        return XSession::WaitUntil(
            [&] { return Near(session->Screenshot().pixel(kPin.topLeft() + inPicture), kRed); },
            10000, 200);
    }

    QString picture;
};

// A rectangle dragged on the pin is there, exactly where it was dragged, in the chosen colour;
// after a kill while still marking and a restart too, with the picture's file untouched; and on
// the clipboard when the pin is copied, at the picture's own pixels.
TEST_F(MarksTest, ARectangleDrawnIsOnThePinAfterARestartAndOnTheClipboard) {
    const QByteArray before = ReadBytes(picture);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(session->WaitForWindow(kPinned, 20000));
    // From the end: "削除", "張り付けを解除", two text items, then "書き込む".
    Mark(QStringLiteral("r"), QPoint(50, 40), QPoint(250, 200), 5, false);
    EXPECT_TRUE(RedOnScreenAt(QPoint(50, 120)));
    EXPECT_TRUE(RedOnScreenAt(QPoint(150, 200)));
    EXPECT_FALSE(Near(session->Screenshot().pixel(kPin.topLeft() + QPoint(150, 120)), kRed));
    // Kept once the user pauses, the mode still on: a kill then loses nothing.
    ASSERT_TRUE(XSession::WaitUntil([&] { return MarksFiles().contains("rectangle"); }, 10000));
    ::kill(pid_t(session->ProgramPid()), SIGKILL);
    ASSERT_TRUE(XSession::WaitUntil([&] { return !session->ProgramRunning(); }, 10000));
    session->StopProgram();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(session->WaitForWindow(kPinned, 20000));
    EXPECT_TRUE(RedOnScreenAt(QPoint(50, 120)));
    EXPECT_EQ(ReadBytes(picture), before);

    // "画像をコピー": ten up from the end once the pin has marks.
    ChooseFromMenu(10);
    const QImage copied =
        CopiedOnceItHas([](const QImage& image) { return image.size() == kPin.size(); });
    ASSERT_EQ(copied.size(), kPin.size());
    EXPECT_TRUE(Near(copied.pixel(50, 120), kRed));
    EXPECT_EQ(copied.pixel(150, 120), Noise().pixel(150, 120));
}

// A mosaic over part of the pin, then a copy: the clipboard holds no pixel of what lay under it.
TEST_F(MarksTest, ACopyHoldsNoPixelOfWhatAMosaicCovers) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(session->WaitForWindow(kPinned, 20000));
    const QRect covered(60, 50, 200, 150);
    Mark(QStringLiteral("m"), covered.topLeft(), covered.bottomRight() + QPoint(1, 1), 5);
    ChooseFromMenu(10);
    const QImage noise = Noise();
    const QImage copied = CopiedOnceItHas([&](const QImage& image) {
        return image.size() == kPin.size() &&
               image.pixel(covered.center()) != noise.pixel(covered.center());
    });
    ASSERT_EQ(copied.size(), kPin.size());
    int same = 0;
    for (int y = covered.top(); y <= covered.bottom(); ++y) {
        for (int x = covered.left(); x <= covered.right(); ++x) {
            same += copied.pixel(x, y) == noise.pixel(x, y);
        }
    }
    EXPECT_LT(same, covered.width() * covered.height() / 100) << same << " pixels left";
    EXPECT_EQ(copied.pixel(10, 10), noise.pixel(10, 10));
}

}  // namespace
}  // namespace e2e
