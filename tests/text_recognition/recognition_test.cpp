#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "support/test_files.h"
#include "support/text_pictures.h"
#include "text_recognition/tesseract_engine.h"
#include "text_recognition/text_recognizer.h"

namespace text_recognition {
namespace {

using test_support::TextPicture;

class RecognitionTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!LanguagesIn(DefaultDataPath())) GTEST_SKIP() << "no jpn and eng data";
    }
    platform::FilePath Save(const QString& name, const QImage& picture) {
        EXPECT_TRUE(picture.save(dir_.filePath(name), "PNG"));
        return platform::FilePath::FromText(dir_.filePath(name));
    }
    // The recognizer's answer, once it has come.
    static Recognition Recognised(TextRecognizer& recognizer, const platform::FilePath& path) {
        std::optional<Recognition> result;
        recognizer.Recognise(path, &recognizer, [&](const Recognition& r) { result = r; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 120'000));
        return result.value_or(Recognition{});
    }
    RecognizerSettings Settings(std::chrono::milliseconds idle = std::chrono::minutes(5)) {
        return {dir_.filePath(QStringLiteral("text")), DefaultDataPath(), idle,
                dir_.filePath(QStringLiteral("kept-text"))};
    }

    QTemporaryDir dir_;
};

TEST_F(RecognitionTest, ReadsTheTextOfPicturesItDrew) {
    const auto dark = [](QImage picture) {
        picture.invertPixels();
        return picture;
    };
    const struct {
        const char* truth;
        QImage picture;
        double maxErrorRate;
    } cases[] = {
        {"The quick brown fox jumps over the lazy dog",
         TextPicture({"The quick brown fox jumps over the lazy dog"}, "Liberation Sans", 24), 0.05},
        {"日本語の文字を認識します", TextPicture({"日本語の文字を認識します"}, "IPAGothic", 32),
         0.15},
        {"Vellora で文字を選択", TextPicture({"Vellora で文字を選択"}, "IPAGothic", 32), 0.15},
        {"Pinned pictures stay on the desktop.",
         TextPicture({"Pinned pictures stay on the desktop."}, "DejaVu Sans", 11), 0.03},
        {"日本語と英語の文字を読み取ります。",
         dark(TextPicture({"日本語と英語の文字を読み取ります。"}, "IPAGothic", 12)), 0.06},
        {"設定は画像ごとに保存されます。",
         TextPicture({"設定は画像ごとに保存されます。"}, "Noto Sans CJK JP", 11), 0.07},
        {"", TextPicture({}, "IPAGothic", 24, QSize(640, 480)), 0},  // blank
        {"", test_support::PhotoWithoutText(QSize(640, 480)), 0},
    };
    TextRecognizer recognizer(Settings());
    int n = 0;
    for (const auto& c : cases) {
        const QString read =
            TextOf(Recognised(recognizer, Save(QString::number(++n), c.picture)).words);
        EXPECT_LE(test_support::CharacterErrorRate(QString::fromUtf8(c.truth), read),
                  c.maxErrorRate)
            << c.truth << " read as " << read.toStdString();
        // Where the truth has no blank, neither has the text read: none inside Japanese.
        EXPECT_FALSE(!QString::fromUtf8(c.truth).contains(' ') && read.contains(' ')) << c.truth;
    }
    EXPECT_EQ(recognizer.EngineLoads(), 1);
}

TEST_F(RecognitionTest, KeepsWhatItReadUntilTheFileChanges) {
    const platform::FilePath file =
        Save("note.png", TextPicture({"first version"}, "Liberation Sans", 24));
    {
        TextRecognizer recognizer(Settings());
        int answers = 0;  // a second request while the first runs waits for it
        recognizer.Recognise(file, &recognizer, [&](const Recognition&) { ++answers; });
        EXPECT_EQ(TextOf(Recognised(recognizer, file).words), "first version");
        EXPECT_EQ(answers, 1);
        EXPECT_EQ(recognizer.EngineRuns(), 1);
    }
    TextRecognizer recognizer(Settings(std::chrono::milliseconds(0)));
    EXPECT_EQ(TextOf(recognizer.CachedText(file).value_or(Words{})), "first version");
    EXPECT_EQ(TextOf(Recognised(recognizer, file).words), "first version");
    EXPECT_EQ(recognizer.EngineRuns(), 0);

    Save("note.png", TextPicture({"second version"}, "Liberation Sans", 24));
    EXPECT_FALSE(recognizer.CachedText(file));
    EXPECT_EQ(TextOf(Recognised(recognizer, file).words), "second version");

    QFile damaged(TextCache(Settings().cacheFolder).FileFor(file));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("{\"version\":1,\"words\":[[\"x\"");
    damaged.close();
    EXPECT_FALSE(recognizer.CachedText(file));
    EXPECT_EQ(TextOf(Recognised(recognizer, file).words), "second version");
    EXPECT_EQ(recognizer.EngineRuns(), 2);
    // Idle, the engine goes.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !recognizer.EngineLoaded(); }, 10'000));
}

TEST_F(RecognitionTest, ReadsACodeFirstThenTheTextBesideIt) {
    if (QStandardPaths::findExecutable(QStringLiteral("qrencode")).isEmpty()) GTEST_SKIP();
    const QString code = dir_.filePath(QStringLiteral("code.png"));
    QProcess::execute(QStringLiteral("qrencode"),
                      {QStringLiteral("-s"), QStringLiteral("6"), QStringLiteral("-o"), code,
                       QStringLiteral("https://example.org/ticket/42")});
    QImage picture =
        TextPicture({"Show this code at the gate"}, "Liberation Sans", 24, QSize(900, 400));
    QPainter(&picture).drawImage(QPoint(40, 120), QImage(code));
    TextRecognizer recognizer(Settings());
    const Recognition both = Recognised(recognizer, Save(QStringLiteral("both.png"), picture));
    ASSERT_FALSE(both.words.empty());
    EXPECT_EQ(both.words[0].text, QStringLiteral("https://example.org/ticket/42"));
    EXPECT_EQ(both.words[0].code, Code::QR);
    const Words text(both.words.begin() + 1, both.words.end());
    EXPECT_LE(test_support::CharacterErrorRate(QStringLiteral("Show this code at the gate"),
                                               TextOf(text)),
              0.05)
        << TextOf(text).toStdString();
}

TEST_F(RecognitionTest, GivesBackTheTextAPinWasDrawnFromUnderAnyName) {
    const QImage picture = TextPicture({"tab\there"}, "DejaVu Sans Mono", 20);
    const platform::FilePath file = Save(QStringLiteral("pasted.png"), picture);
    const QString kept = QStringLiteral("tab\there\n  \u200fمرحبا\n");
    TextRecognizer recognizer(Settings());
    recognizer.Keep(file, test_support::ReadBytes(file.DisplayText()), {kept, {}});
    // The same picture under another name, as a removed pin's is, still has it.
    ASSERT_TRUE(QFile::copy(file.DisplayText(), dir_.filePath(QStringLiteral("removed.png"))));
    const platform::FilePath moved = platform::FilePath::FromText(dir_.filePath("removed.png"));
    EXPECT_EQ(Recognised(recognizer, moved).keptText, kept);
    EXPECT_EQ(recognizer.KnownText(moved, {dir_.path()}), kept);
    EXPECT_EQ(recognizer.EngineRuns(), 0);
    EXPECT_FALSE(
        Recognised(recognizer, Save(QStringLiteral("other.png"), picture.mirrored())).keptText);
}

}  // namespace
}  // namespace text_recognition
