// The preferences window over the preferences: each control changes them at once and tells the
// program, and the notes it is given stand beside their keys.
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QComboBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "preferences_window/preferences_window.h"

namespace {

using preferences_window::PreferencesWindow;

template <typename T>
T* Find(const QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

TEST(PreferencesWindow, EveryChangeIsMadeAtOnceAndTold) {
    preferences::Preferences chosen;
    int changes = 0;
    bool atLogin = false;
    PreferencesWindow window(
        chosen,
        {{QStringLiteral("capture"), QStringLiteral("画面の一部を張り付け")},
         {QStringLiteral("paste"), QStringLiteral("クリップボードの画像を開く")}},
        {QStringLiteral("eng"), QStringLiteral("jpn")},
        {[&] { ++changes; }, [&] { return atLogin; }, [&](bool on) { atLogin = on; }});
    EXPECT_EQ(window.windowTitle(), QStringLiteral("設定"));
    EXPECT_EQ(Find<QKeySequenceEdit>(window, "key_capture")->keySequence(),
              QKeySequence(Qt::Key_F1));

    Find<QKeySequenceEdit>(window, "key_capture")
        ->setKeySequence(QKeySequence(Qt::CTRL | Qt::Key_F9));
    EXPECT_EQ(chosen.Key(QStringLiteral("capture")), QKeySequence(Qt::CTRL | Qt::Key_F9));
    Find<QPushButton>(window, "key_clear_paste")->click();
    EXPECT_TRUE(chosen.Key(QStringLiteral("paste")).isEmpty());

    Find<QComboBox>(window, "language")->setCurrentIndex(2);
    EXPECT_EQ(chosen.UiLanguage(), preferences::Language::English);
    EXPECT_FALSE(Find<QLabel>(window, "language_later")->isHidden());
    Find<QCheckBox>(window, "autostart")->setChecked(true);
    EXPECT_TRUE(atLogin);
    Find<QCheckBox>(window, "new_pins_above")->setChecked(true);
    EXPECT_TRUE(chosen.NewPinsAbove());
    QComboBox* opacity = Find<QComboBox>(window, "new_pins_opacity");
    opacity->setCurrentIndex(opacity->findData(40));
    EXPECT_EQ(chosen.NewPinsOpacity(), 40);
    Find<QCheckBox>(window, "outline_window")->setChecked(false);
    EXPECT_FALSE(chosen.OutlineWindow());
    QListWidget* languages = Find<QListWidget>(window, "recognition_languages");
    languages->item(1)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(chosen.RecognitionLanguages(), QStringLiteral("eng"));
    EXPECT_EQ(changes, 7);

    window.ShowKeyNotes({QString(), QStringLiteral("ほかのプログラムが使っているキーです")});
    EXPECT_TRUE(Find<QLabel>(window, "key_note_capture")->text().isEmpty());
    EXPECT_EQ(Find<QLabel>(window, "key_note_paste")->text(),
              QStringLiteral("ほかのプログラムが使っているキーです"));
}

}  // namespace
