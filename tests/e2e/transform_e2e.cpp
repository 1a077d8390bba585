// A real pin turned and cropped from its menu, as another program sees it.
#include <QImage>
#include <QStandardPaths>

#include "e2e_test.h"

namespace e2e {
namespace {

const QString kPinned = QStringLiteral("Form3");
// The pin: 400 x 300 pixels at (100, 100), its picture at its own size.
const QRect kPin(100, 100, 400, 300);
// Up from the menu's end to "変形", the disabled items passed over: "削除", "張り付けを解除",
// the two text items, "書き込む", "フォルダを開く", "名前を付けて保存...", "画像をコピー".
constexpr int kTransformFromEnd = 9;

// No two pixels alike and no symmetry, so that any turn, flip or shift shows.
QImage Asymmetric() {
    QImage picture(kPin.size(), QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            picture.setPixel(x, y, qRgb(x * 255 / 400, y * 255 / 300, (x / 25 + y / 15) * 9 % 256));
        }
    }
    return picture;
}

class TransformTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty()) {
            GTEST_SKIP() << "missing tools: convert (ImageMagick)";
        }
        picture = Path(QStringLiteral("asymmetric.png"));
        ASSERT_TRUE(Asymmetric().save(picture));
        ASSERT_TRUE(WriteBytes(DataFile(), DataRecord({"1500", "1500", "6000", "4500"}, picture)));
    }
    // Chooses the `down`th item of the pin's "変形" submenu (0 for its first), the pointer at
    // `on` on the pin.
    void ChooseTransform(QPoint on, int down) const {
        session->Click(on, 3);
        XSession::WaitUntil([&] { return !session->VisiblePopups().isEmpty(); }, 5000);
        QStringList keys(kTransformFromEnd, QStringLiteral("Up"));
        keys.append(QStringLiteral("Right"));
        for (int i = 0; i < down; ++i) keys.append(QStringLiteral("Down"));
        keys.append(QStringLiteral("Return"));
        session->Key(keys.join(u' '));
        XSession::WaitUntil([&] { return session->VisiblePopups().isEmpty(); }, 5000);
    }
    std::optional<QRect> PinRect() const {
        const QList<WindowInfo> pins = session->VisibleWindows(kPinned);
        if (pins.size() != 1) return std::nullopt;
        return pins.front().rect;
    }
    bool PinBecomes(const QRect& rect) const {
        return XSession::WaitUntil([&] { return PinRect() == rect; }, 10000);
    }
    // The screen under `rect` once it has settled.
    QImage OnScreen(const QRect& rect) const { return session->SettledScreenshot(rect).copy(rect); }

    QString picture;
};

// Turned right from its menu, the pin is the picture as ImageMagick turns it, about the same
// centre; a restart gives the same, and the file is unchanged byte for byte. A crop then dragged
// with the pointer and kept with Enter leaves the pin's window the part kept, not moved by a
// pixel.
TEST_F(TransformTest, ATurnedPinIsThePictureTurnedAndACropKeepsItsPlace) {
    const QByteArray before = ReadBytes(picture);
    bool ok = false;
    session->Run(QStringLiteral("convert"),
                 {picture, QStringLiteral("-rotate"), QStringLiteral("90"), Path("turned.png")},
                 &ok);
    ASSERT_TRUE(ok);
    const QImage turned = QImage(Path("turned.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(turned.size(), kPin.size().transposed());
    ASSERT_TRUE(Start());
    ASSERT_TRUE(session->WaitForWindow(kPinned, 20000));
    ASSERT_TRUE(PinBecomes(kPin));
    ChooseTransform(kPin.center(), 0);
    const QRect rect(150, 50, 300, 400);
    ASSERT_TRUE(PinBecomes(rect)) << ToString(PinRect().value_or(QRect())).toStdString();
    EXPECT_EQ(DifferingPixels(OnScreen(rect), turned, turned.rect()), 0);

    session->StopProgram();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(session->WaitForWindow(kPinned, 20000));
    ASSERT_TRUE(PinBecomes(rect)) << ToString(PinRect().value_or(QRect())).toStdString();
    EXPECT_EQ(DifferingPixels(OnScreen(rect), turned, turned.rect()), 0);
    EXPECT_EQ(ReadBytes(picture), before);

    // "切り抜き": after the three turns, the two flips and the separator.
    ChooseTransform(rect.center(), 5);
    const QRect kept(200, 150, 160, 120);
    ASSERT_TRUE(session->Drag(kept.topLeft(), kept.bottomRight() + QPoint(1, 1)));
    ASSERT_TRUE(session->Key(QStringLiteral("Return")));
    ASSERT_TRUE(PinBecomes(kept)) << ToString(PinRect().value_or(QRect())).toStdString();
    EXPECT_EQ(DifferingPixels(OnScreen(kept), turned.copy(kept.translated(-rect.topLeft())),
                              QRect(QPoint(0, 0), kept.size())),
              0);
}

}  // namespace
}  // namespace e2e
