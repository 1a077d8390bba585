#include <gtest/gtest.h>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include "preferences/preferences.h"

namespace {

using preferences::Preferences;

QString Write(const QTemporaryDir& dir, const QByteArray& bytes) {
    QString path = dir.filePath(QStringLiteral("preferences.json"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

// What the user changes comes back from the file, each key as QKeySequence's portable text.
TEST(Preferences, WrittenAndReadBack) {
    QTemporaryDir dir;
    Preferences chosen;
    chosen.SetKey(QStringLiteral("capture"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F5));
    chosen.SetKey(QStringLiteral("paste"), QKeySequence());
    chosen.SetKey(QStringLiteral("pin-list"), QKeySequence(Qt::META | Qt::Key_P));
    chosen.SetUiLanguage(preferences::Language::English);
    chosen.SetNewPinsAbove(true);
    chosen.SetNewPinsOpacity(60);
    chosen.SetOutlineWindow(false);
    chosen.SetCopyFolder(QStringLiteral("/home/u/Pictures"));
    chosen.SetRecognitionLanguages(QStringLiteral("eng"));
    const QString path = dir.filePath(QStringLiteral("sub/preferences.json"));
    ASSERT_FALSE(preferences::Save(chosen, path));

    const preferences::Loaded loaded = preferences::Load(path);
    EXPECT_FALSE(loaded.note);
    const Preferences& read = loaded.preferences;
    EXPECT_EQ(read.Key(QStringLiteral("capture")).toString(), QStringLiteral("Ctrl+Shift+F5"));
    EXPECT_TRUE(read.Key(QStringLiteral("paste")).isEmpty());
    EXPECT_EQ(read.Key(QStringLiteral("pin-list")).toString(), QStringLiteral("Meta+P"));
    EXPECT_EQ(read.UiLanguage(), preferences::Language::English);
    EXPECT_TRUE(read.NewPinsAbove());
    EXPECT_EQ(read.NewPinsOpacity(), 60);
    EXPECT_FALSE(read.OutlineWindow());
    EXPECT_EQ(read.CopyFolder(), QStringLiteral("/home/u/Pictures"));
    EXPECT_EQ(read.RecognitionLanguages(), QStringLiteral("eng"));
    EXPECT_EQ(
        read.Json().value(QStringLiteral("shortcuts")).toObject().value(QStringLiteral("paste")),
        QStringLiteral(""));
}

// A missing or damaged file gives the defaults with a line saying why; fields it cannot read,
// and fields it does not know, are written back as they were.
TEST(Preferences, DamagedAndUnknownFieldsKept) {
    QTemporaryDir dir;
    const struct {
        QByteArray bytes;  // empty: no file
        bool noted;
    } files[] = {{{}, true}, {"{not json", true}, {"[1, 2]", true}, {"{}", false}};
    for (const auto& f : files) {
        const QString path =
            f.bytes.isEmpty() ? dir.filePath(QStringLiteral("none.json")) : Write(dir, f.bytes);
        const preferences::Loaded loaded = preferences::Load(path);
        EXPECT_EQ(bool(loaded.note), f.noted) << f.bytes.constData();
        EXPECT_EQ(loaded.preferences.Key(QStringLiteral("capture")), QKeySequence(Qt::Key_F1));
        EXPECT_EQ(loaded.preferences.Key(QStringLiteral("paste")), QKeySequence(Qt::Key_F3));
        EXPECT_TRUE(loaded.preferences.Key(QStringLiteral("hide-all")).isEmpty());
        EXPECT_EQ(loaded.preferences.RecognitionLanguages(), QStringLiteral("jpn+eng"));
        EXPECT_FALSE(loaded.preferences.NewPinsAbove());
        EXPECT_EQ(loaded.preferences.NewPinsOpacity(), 100);
    }

    const QString path = Write(dir, R"({"shortcuts": {"capture": 7, "paste": "Ctrl+Nonsense",
        "later-command": "F9"}, "new-pins-opacity": 55, "language": "fr",
        "outline-window": "yes", "colour": "blue"})");
    preferences::Loaded loaded = preferences::Load(path);
    EXPECT_EQ(loaded.preferences.Key(QStringLiteral("capture")), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(loaded.preferences.Key(QStringLiteral("paste")), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(loaded.preferences.NewPinsOpacity(), 100);
    EXPECT_EQ(loaded.preferences.UiLanguage(), preferences::Language::Desktop);
    EXPECT_TRUE(loaded.preferences.OutlineWindow());
    loaded.preferences.SetKey(QStringLiteral("pin-list"), QKeySequence(Qt::Key_F8));
    ASSERT_FALSE(preferences::Save(loaded.preferences, path));
    const QJsonObject written = preferences::Load(path).preferences.Json();
    const QJsonObject shortcuts = written.value(QStringLiteral("shortcuts")).toObject();
    EXPECT_EQ(shortcuts.value(QStringLiteral("capture")), 7);
    EXPECT_EQ(shortcuts.value(QStringLiteral("paste")), QStringLiteral("Ctrl+Nonsense"));
    EXPECT_EQ(shortcuts.value(QStringLiteral("later-command")), QStringLiteral("F9"));
    EXPECT_EQ(shortcuts.value(QStringLiteral("pin-list")), QStringLiteral("F8"));
    EXPECT_EQ(written.value(QStringLiteral("new-pins-opacity")), 55);
    EXPECT_EQ(written.value(QStringLiteral("language")), QStringLiteral("fr"));
    EXPECT_EQ(written.value(QStringLiteral("outline-window")), QStringLiteral("yes"));
    EXPECT_EQ(written.value(QStringLiteral("colour")), QStringLiteral("blue"));
}

}  // namespace
