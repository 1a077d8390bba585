#include <gtest/gtest.h>

#include "platform/x11/keys.h"

namespace {

using platform::x11::KeyRefusal;
using platform::x11::XKey;
namespace x = platform::x11;

// QKeySequence's portable texts, as preferences.json keeps them, to the X key grabbed and back.
TEST(Keys, TextsToKeysymsAndModifiersAndBack) {
    const struct {
        const char* text;
        XKey key;
    } cases[] = {
        {"F1", {0xffbe, 0}},
        {"F3", {0xffc0, 0}},
        {"Shift+F12", {0xffc9, x::kShiftMask}},
        {"Ctrl+Alt+A", {'a', x::kControlMask | x::kAltMask}},
        {"Meta+Shift+S", {'s', x::kSuperMask | x::kShiftMask}},
        {"Ctrl+1", {'1', x::kControlMask}},
        {"Ctrl+Space", {' ', x::kControlMask}},
        {"Print", {0xff61, 0}},
        {"Shift+Print", {0xff61, x::kShiftMask}},
        {"Ctrl+PgUp", {0xff55, x::kControlMask}},
        {"Alt+Esc", {0xff1b, x::kAltMask}},
        {"Ctrl+Del", {0xffff, x::kControlMask}},
    };
    for (const auto& c : cases) {
        const QKeySequence sequence = QKeySequence::fromString(QLatin1String(c.text));
        const x::KeyOrRefusal found = x::XKeyOf(sequence);
        ASSERT_TRUE(found.key) << c.text;
        EXPECT_EQ(*found.key, c.key) << c.text;
        EXPECT_EQ(x::SequenceOf(c.key), sequence) << c.text;
    }
}

// Keys that are not grabbed, and why: grabbed, a letter alone would no longer type anywhere.
TEST(Keys, KeysThatCannotBeGrabbed) {
    const struct {
        QKeySequence key;
        KeyRefusal refusal;
    } cases[] = {
        {QKeySequence(), KeyRefusal::Empty},
        {QKeySequence::fromString(QStringLiteral("Ctrl+K, Ctrl+C")), KeyRefusal::Chord},
        {QKeySequence(Qt::Key_Shift), KeyRefusal::ModifierOnly},
        {QKeySequence(Qt::Key_CapsLock), KeyRefusal::ModifierOnly},
        {QKeySequence(Qt::Key_A), KeyRefusal::Typing},
        {QKeySequence(Qt::SHIFT | Qt::Key_A), KeyRefusal::Typing},
        {QKeySequence(Qt::Key_Space), KeyRefusal::Typing},
        {QKeySequence(Qt::Key_VolumeUp), KeyRefusal::Unknown},
        {QKeySequence(Qt::KeypadModifier | Qt::Key_5), KeyRefusal::Unknown},
    };
    for (const auto& c : cases) {
        const x::KeyOrRefusal found = x::XKeyOf(c.key);
        EXPECT_FALSE(found.key) << c.key.toString().toStdString();
        EXPECT_EQ(found.refusal, c.refusal) << c.key.toString().toStdString();
    }
}

// Each key is grabbed with Caps Lock and Num Lock in every state, Num Lock's modifier read from
// the modifier map; a map without Num Lock leaves Caps Lock's two.
TEST(Keys, CapsLockAndNumLockVariants) {
    // Shift, Lock, Control, Mod1 ... Mod5, two keycodes each; Num Lock (77) on Mod2 here.
    const uint8_t map[] = {50, 62, 66, 0, 37, 105, 64, 108, 77, 0, 0, 0, 133, 134, 92, 0};
    const uint8_t numLock[] = {77};
    EXPECT_EQ(x::NumLockMask(map, 2, numLock), 1 << 4);
    const uint8_t onMod3[] = {50, 62, 66, 0, 37, 105, 64, 108, 0, 0, 77, 0, 133, 134, 92, 0};
    EXPECT_EQ(x::NumLockMask(onMod3, 2, numLock), 1 << 5);
    EXPECT_EQ(x::NumLockMask(map, 2, {}), 0);

    const uint16_t ctrl = x::kControlMask;
    EXPECT_EQ(
        x::WithLocks(ctrl, 1 << 4),
        (std::vector<uint16_t>{ctrl, ctrl | x::kLockMask, ctrl | 16, ctrl | x::kLockMask | 16}));
    EXPECT_EQ(x::WithLocks(0, 0), (std::vector<uint16_t>{0, x::kLockMask}));
}

}  // namespace
