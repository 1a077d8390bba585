#pragma once

#include <QAbstractNativeEventFilter>
#include <QKeySequence>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

struct xcb_connection_t;
// xcb_key_symbols_t, as libxcb-keysyms names its struct.
struct _XCBKeySymbols;  // NOLINT(bugprone-reserved-identifier)

// Keys the program holds itself on X11: a key of QKeySequence's, grabbed on the root window
// whatever the state of Caps Lock and Num Lock, and grabbed again when the keyboard changes.
namespace platform::x11 {

// The X modifier bits (the core protocol's masks).
inline constexpr uint16_t kShiftMask = 1 << 0;
inline constexpr uint16_t kLockMask = 1 << 1;  // Caps Lock
inline constexpr uint16_t kControlMask = 1 << 2;
inline constexpr uint16_t kAltMask = 1 << 3;    // Mod1
inline constexpr uint16_t kSuperMask = 1 << 6;  // Mod4

// A key as the X server names it: a keysym and the modifiers held with it.
struct XKey {
    uint32_t keysym = 0;
    uint16_t modifiers = 0;
    bool operator==(const XKey&) const = default;
};

// Why a key cannot be grabbed, or none.
enum class KeyRefusal {
    None,
    Empty,         // no key
    Chord,         // more than one key in a row
    ModifierOnly,  // Shift, Ctrl, Caps Lock ... alone
    Typing,        // a key that types (a letter, a digit, a space) without Ctrl, Alt or Super:
                   // held by the program, it would no longer type anywhere
    Unknown,       // a key that has no keysym here
};

struct KeyOrRefusal {
    std::optional<XKey> key;
    KeyRefusal refusal = KeyRefusal::None;
};

// The X key of one key of QKeySequence's (its first and only key).
KeyOrRefusal XKeyOf(const QKeySequence& sequence);
// Back from the X key; empty for a keysym without a Qt key.
QKeySequence SequenceOf(const XKey& key);

// The modifier that Num Lock sets: the row of the modifier map (8 rows of `perModifier`
// keycodes, Shift first) that holds one of Num Lock's keycodes; 0 when none does.
uint16_t NumLockMask(std::span<const uint8_t> modifierMap, int perModifier,
                     std::span<const uint8_t> numLockCodes);
// `modifiers` with every combination of Caps Lock and Num Lock, each once.
std::vector<uint16_t> WithLocks(uint16_t modifiers, uint16_t numLockMask);

// What became of a key the program asked for.
enum class GrabState {
    Held,
    None,        // no key asked for
    Taken,       // another program holds it (the server refused the grab)
    CannotGrab,  // see KeyRefusal, or no key of this keyboard types it
    Twice,       // the key of an earlier one in the list
    NoX,         // not on X11
};

// The program's keys: grabbed on Qt's own connection, read through a native event filter (no
// polling), released when it goes.
class KeyGrabs : public QAbstractNativeEventFilter {
public:
    // `pressed` gets the index of the key in the list last grabbed.
    explicit KeyGrabs(std::function<void(int)> pressed);
    ~KeyGrabs() override;
    KeyGrabs(const KeyGrabs&) = delete;
    KeyGrabs& operator=(const KeyGrabs&) = delete;

    // Gives up the keys held and grabs these instead; a key listed twice is held for the first.
    std::vector<GrabState> Grab(const std::vector<QKeySequence>& keys);
    const std::vector<GrabState>& States() const { return states_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void GrabAll();
    void Release();
    uint16_t ReadNumLockMask() const;

    struct Held {
        uint8_t keycode;
        uint16_t modifiers;  // without the locks
        int index;
    };
    std::function<void(int)> pressed_;
    xcb_connection_t* connection_ = nullptr;
    _XCBKeySymbols* symbols_ = nullptr;
    uint32_t root_ = 0;
    uint16_t numLock_ = 0;
    std::vector<QKeySequence> keys_;
    std::vector<GrabState> states_;
    std::vector<Held> held_;
};

}  // namespace platform::x11
