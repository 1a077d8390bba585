// The text of a pin: copied from its menu, selected on the pin itself, and where the language
// data is missing offered only for a pin drawn from a text.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <array>
#include <initializer_list>

#include "app/program.h"
#include "display_window/display_window.h"
#include "pin_list_window/pin_list_window.h"
#include "pinned_window/pinned_window.h"
#include "pinned_window/text_selection.h"
#include "platform/gui/controls.h"
#include "support/program_fixture.h"
#include "support/text_pictures.h"
#include "text_recognition/tesseract_engine.h"
#include "text_recognition/text_recognizer.h"

namespace {

class PinTextTest : public ProgramTest {
protected:
    // The pin of two lines of English, shown at half the picture's size.
    pinned_window::PinnedWindow* PinOfText() {
        const QImage picture = test_support::TextPicture({"alpha beta gamma", "delta epsilon"},
                                                         QStringLiteral("Liberation Sans"), 28);
        picture.save(P("text.png"));
        natural_ = picture.size();
        file_ = PathOf("text.png");
        StartWith(Record("0", "0", QString::number(natural_.width() * 15 / 2),
                         QString::number(natural_.height() * 15 / 2), P("text.png")));
        return PinnedWindows().at(0);
    }
    // Chooses the item in a newly opened menu of the pin; whether it was enabled.
    static bool Choose(pinned_window::PinnedWindow* pin, const char* item) {
        QContextMenuEvent open(QContextMenuEvent::Mouse, {2, 2}, pin->mapToGlobal(QPoint()));
        QApplication::sendEvent(pin, &open);
        QMenu* menu = pin->findChildren<QMenu*>(QStringLiteral("PinMenu")).constLast();
        const bool enabled = ItemEnabled(menu, item);
        if (enabled) Trigger(menu, item);
        menu->close();
        return enabled;
    }
    // The middle of the word as recognised, on the selection layer.
    QPoint Middle(const QWidget* layer, const QString& word) const {
        const text_recognition::Words words =
            program->TextRecognizer().CachedText(file_).value_or(text_recognition::Words{});
        for (const auto& w : words) {
            if (w.text == word) {
                return {w.box.center().x() * layer->width() / natural_.width(),
                        w.box.center().y() * layer->height() / natural_.height()};
            }
        }
        ADD_FAILURE() << "not read: " << word.toStdString();
        return {};
    }
    // The pin of the text, pasted and pinned; null when it did not come.
    pinned_window::PinnedWindow* PinOfPaste(const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        EXPECT_EQ(program->Paste(), std::nullopt);
        Display().Pin();
        if (PinnedWindows().size() != 1) return nullptr;
        pinned_window::PinnedWindow* pin = PinnedWindows().at(0);
        file_ = pin->Picture()->Path();
        natural_ = pin->Picture()->NaturalSize();
        return pin;
    }
    // What "文字を認識してコピー" puts on the clipboard.
    static QString CopiedText(pinned_window::PinnedWindow* pin) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        const bool copied = Choose(pin, "copyText") &&
                            QTest::qWaitFor([&] { return !clipboard->text().isEmpty(); }, 60'000);
        return copied ? clipboard->text() : QString();
    }
    // Drags over the layer from word to word, each pair giving what it selects.
    void ExpectDrags(pinned_window::TextSelection* layer,
                     std::initializer_list<std::array<const char*, 3>> drags) const {
        for (const auto& [from, to, selected] : drags) {
            QTest::mousePress(layer, Qt::LeftButton, {}, Middle(layer, from));
            QTest::mouseMove(layer, Middle(layer, to));
            QTest::mouseRelease(layer, Qt::LeftButton, {}, Middle(layer, to));
            EXPECT_EQ(layer->SelectedText(), selected) << from << " to " << to;
        }
    }
    QSize natural_;
    platform::FilePath file_;
};

TEST_F(PinTextTest, CopiesAndSelectsTheWordsOfThePin) {
    if (!text_recognition::LanguagesIn(text_recognition::DefaultDataPath())) GTEST_SKIP();
    QClipboard* clipboard = QGuiApplication::clipboard();
    pinned_window::PinnedWindow* pin = PinOfText();
    EXPECT_EQ(CopiedText(pin), "alpha beta gamma\ndelta epsilon");

    ASSERT_TRUE(Choose(pin, "selectText"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pin->Selection() != nullptr; }, 60'000));
    pinned_window::TextSelection* layer = pin->Selection();
    ExpectDrags(layer, {{"beta", "delta", "beta gamma\ndelta"},
                        {"epsilon", "gamma", "gamma\ndelta epsilon"},
                        {"beta", "beta", "beta"}});
    // A double-click selects a word and leaves the pin pinned.
    QTest::mouseDClick(layer, Qt::LeftButton, {}, Middle(layer, "delta"));
    EXPECT_EQ(layer->SelectedText(), "delta");
    QTest::keyClick(layer, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(layer, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), "alpha beta gamma\ndelta epsilon");
    QTest::keyClick(layer, Qt::Key_Escape);
    EXPECT_EQ(pin->Selection(), nullptr);
    // The plain pin again: a double-click unpins.
    DoubleClick(PictureOf(pin));
    EXPECT_TRUE(PinnedWindows().empty());
}

// Text on its side reads once the pin is turned upright.
TEST_F(PinTextTest, ATurnedPinIsReadAsItIsShown) {
    if (!text_recognition::LanguagesIn(text_recognition::DefaultDataPath())) GTEST_SKIP();
    const QImage text =
        test_support::TextPicture({"alpha beta gamma"}, QStringLiteral("Liberation Sans"), 28);
    ASSERT_TRUE(text.transformed(QTransform().rotate(270)).save(P("side.png")));
    StartWith(Record("0", "0", QString::number(text.height() * 15),
                     QString::number(text.width() * 15), P("side.png")));
    ASSERT_TRUE(Choose(PinnedWindows().at(0), "turnRight"));
    EXPECT_EQ(CopiedText(PinnedWindows().at(0)), "alpha beta gamma");
}

TEST_F(PinTextTest, APastedTextIsAPinThatGivesItsTextBackAsItWas) {
    if (!text_recognition::LanguagesIn(text_recognition::DefaultDataPath())) GTEST_SKIP();
    StartWith({});
    const QString text = QStringLiteral("name\tsize\n  индекс {}\nمرحبا 東京\n");
    pinned_window::PinnedWindow* pin = PinOfPaste(text);
    ASSERT_TRUE(pin);
    EXPECT_TRUE(pin->Picture()->Path().DisplayText().startsWith(P("pasted/")));
    EXPECT_EQ(CopiedText(pin), text);
    EXPECT_EQ(program->TextRecognizer().EngineRuns(), 0);
    // The list's search finds it by its text.
    program->ShowPinList();
    auto* view = program->PinListWindow().findChild<QListView*>(QStringLiteral("pins"));
    auto* search = program->PinListWindow().findChild<QLineEdit*>(QStringLiteral("search"));
    ASSERT_TRUE(view && search);
    search->setText(QStringLiteral("индекс"));
    EXPECT_EQ(view->model()->rowCount(), 1);
    // What cannot be pinned is named.
    auto* other = new QMimeData;
    other->setData(QStringLiteral("application/x-other"), "x");
    QGuiApplication::clipboard()->setMimeData(other);
    EXPECT_EQ(program->Paste(),
              QStringLiteral("the clipboard holds application/x-other, which cannot be pinned"));
}

TEST_F(PinTextTest, APastedTextIsCopiedAndSelectedWithoutLanguageData) {
    qputenv("TESSDATA_PREFIX", QFile::encodeName(P("no-data")));
    StartWith({});
    qunsetenv("TESSDATA_PREFIX");
    ASSERT_FALSE(program->TextRecognizer().Available());
    const QString text = QStringLiteral("alpha beta gamma\ndelta  epsilon\n");
    pinned_window::PinnedWindow* pin = PinOfPaste(text);
    ASSERT_TRUE(pin);
    EXPECT_EQ(CopiedText(pin), text);
    ASSERT_TRUE(Choose(pin, "selectText"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pin->Selection() != nullptr; }, 10'000));
    ExpectDrags(pin->Selection(), {{"beta", "delta", "beta gamma\ndelta"},
                                   {"epsilon", "gamma", "gamma\ndelta epsilon"}});
}

TEST_F(PinTextTest, WithoutLanguageDataTheItemsAreDisabled) {
    qputenv("TESSDATA_PREFIX", QFile::encodeName(P("no-data")));
    pinned_window::PinnedWindow* pin = PinOfText();
    qunsetenv("TESSDATA_PREFIX");
    EXPECT_FALSE(Choose(pin, "copyText"));
    EXPECT_FALSE(Choose(pin, "selectText"));
}

}  // namespace
