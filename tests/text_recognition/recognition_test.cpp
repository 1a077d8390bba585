#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(picture.save(path, "PNG"));
        return platform::FilePath::FromText(path);
    }

    // What the recognizer reports, once it has.
    static Recognition Recognised(TextRecognizer& recognizer, const platform::FilePath& path) {
        std::optional<Recognition> result;
        recognizer.Recognise(path, &recognizer, [&](const Recognition& r) { result = r; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 120'000));
        return result.value_or(Recognition{});
    }

    RecognizerSettings Settings(std::chrono::milliseconds idle = std::chrono::minutes(5)) {
        return {dir_.filePath(QStringLiteral("text")), DefaultDataPath(), idle};
    }

    QTemporaryDir dir_;
};

TEST_F(RecognitionTest, ReadsTheTextOfPicturesItDrew) {
    struct Case {
        const char* name;
        QImage picture;
        const char* truth;
        double maxErrorRate;
    };
    const QString english = QStringLiteral("The quick brown fox jumps over the lazy dog");
    const QString japanese = QStringLiteral("日本語の文字を認識します");
    const QString mixed = QStringLiteral("Vellora で文字を選択してコピー");
    const Case cases[] = {
        {"english", TextPicture({english}, QStringLiteral("Liberation Sans"), 24),
         "The quick brown fox jumps over the lazy dog", 0.05},
        {"japanese", TextPicture({japanese}, QStringLiteral("IPAGothic"), 32),
         "日本語の文字を認識します", 0.15},
        {"mixed", TextPicture({mixed}, QStringLiteral("IPAGothic"), 32),
         "Vellora で文字を選択してコピー", 0.15},
        {"blank", TextPicture({}, QStringLiteral("IPAGothic"), 24, QSize(640, 480)), "", 0},
        {"photo", test_support::PhotoWithoutText(QSize(640, 480)), "", 0},
    };
    TextRecognizer recognizer(Settings());
    for (const Case& c : cases) {
        const Recognition result =
            Recognised(recognizer, Save(QString::fromLatin1(c.name) + ".png", c.picture));
        EXPECT_FALSE(result.failure) << c.name;
        const QString read = TextOf(result.words);
        EXPECT_LE(test_support::CharacterErrorRate(QString::fromUtf8(c.truth), read),
                  c.maxErrorRate)
            << c.name << ": " << read.toStdString();
    }
    EXPECT_EQ(recognizer.EngineLoads(), 1);
}

TEST_F(RecognitionTest, KeepsWhatItReadUntilTheFileChanges) {
    const platform::FilePath file =
        Save("note.png", TextPicture({"first version"}, "Liberation Sans", 24));
    {
        TextRecognizer recognizer(Settings());
        // A second request while the first runs waits for it.
        int answers = 0;
        recognizer.Recognise(file, &recognizer, [&](const Recognition&) { ++answers; });
        const Recognition result = Recognised(recognizer, file);
        EXPECT_EQ(answers, 1);
        EXPECT_EQ(TextOf(result.words), "first version");
        EXPECT_EQ(recognizer.EngineRuns(), 1);
    }
    TextRecognizer recognizer(Settings(std::chrono::milliseconds(0)));
    EXPECT_EQ(TextOf(recognizer.CachedText(file).value_or(Words{})), "first version");
    EXPECT_EQ(TextOf(Recognised(recognizer, file).words), "first version");
    EXPECT_EQ(recognizer.EngineRuns(), 0);

    Save("note.png", TextPicture({"second version"}, "Liberation Sans", 24));
    EXPECT_FALSE(recognizer.CachedText(file));
    EXPECT_EQ(TextOf(Recognised(recognizer, file).words), "second version");
    EXPECT_EQ(recognizer.EngineRuns(), 1);

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

}  // namespace
}  // namespace text_recognition
