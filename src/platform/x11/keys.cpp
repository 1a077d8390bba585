#include "platform/x11/keys.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <QCoreApplication>
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/x11/atoms.h"

namespace platform::x11 {

namespace {

// Keys other than letters, digits and function keys, beside their keysyms.
struct NamedKey {
    int qt;
    uint32_t keysym;
};
constexpr NamedKey kNamedKeys[] = {
    {Qt::Key_Escape, 0xff1b},     {Qt::Key_Tab, 0xff09},      {Qt::Key_Backspace, 0xff08},
    {Qt::Key_Return, 0xff0d},     {Qt::Key_Enter, 0xff8d},    {Qt::Key_Insert, 0xff63},
    {Qt::Key_Delete, 0xffff},     {Qt::Key_Pause, 0xff13},    {Qt::Key_Print, 0xff61},
    {Qt::Key_Home, 0xff50},       {Qt::Key_End, 0xff57},      {Qt::Key_Left, 0xff51},
    {Qt::Key_Up, 0xff52},         {Qt::Key_Right, 0xff53},    {Qt::Key_Down, 0xff54},
    {Qt::Key_PageUp, 0xff55},     {Qt::Key_PageDown, 0xff56}, {Qt::Key_Menu, 0xff67},
    {Qt::Key_ScrollLock, 0xff14},
};
constexpr uint32_t kF1 = 0xffbe;
constexpr uint32_t kNumLockKeysym = 0xff7f;

constexpr struct {
    Qt::KeyboardModifier qt;
    uint16_t x;
} kModifiers[] = {{Qt::ShiftModifier, kShiftMask},
                  {Qt::ControlModifier, kControlMask},
                  {Qt::AltModifier, kAltMask},
                  {Qt::MetaModifier, kSuperMask}};

bool IsModifierKey(int key) {
    switch (key) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_AltGr:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
            return true;
        default:
            return false;
    }
}

// The locks and the modifiers the program's keys never use, left out when a press is matched.
constexpr uint16_t kUsedModifiers = kShiftMask | kControlMask | kAltMask | kSuperMask;

using Reply = std::unique_ptr<void, decltype(&std::free)>;

}  // namespace

KeyOrRefusal XKeyOf(const QKeySequence& sequence) {
    if (sequence.isEmpty()) return {std::nullopt, KeyRefusal::Empty};
    if (sequence.count() > 1) return {std::nullopt, KeyRefusal::Chord};
    const QKeyCombination combination = sequence[0];
    const int key = combination.key();
    if (IsModifierKey(key)) return {std::nullopt, KeyRefusal::ModifierOnly};
    uint16_t modifiers = 0;
    for (const auto& m : kModifiers) {
        if (combination.keyboardModifiers() & m.qt) modifiers |= m.x;
    }
    if (combination.keyboardModifiers() & Qt::KeypadModifier) {
        return {std::nullopt, KeyRefusal::Unknown};
    }
    uint32_t keysym = 0;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35) {
        keysym = kF1 + uint32_t(key - Qt::Key_F1);
    } else if (key >= 0x20 && key <= 0xff) {
        // Latin-1 keysyms are the characters themselves; a letter's is the small one.
        keysym = uint32_t(key >= 'A' && key <= 'Z' ? key - 'A' + 'a' : key);
        if (!(modifiers & (kControlMask | kAltMask | kSuperMask))) {
            return {std::nullopt, KeyRefusal::Typing};
        }
    } else {
        const auto* named = std::find_if(std::begin(kNamedKeys), std::end(kNamedKeys),
                                         [key](const NamedKey& n) { return n.qt == key; });
        if (named == std::end(kNamedKeys)) return {std::nullopt, KeyRefusal::Unknown};
        keysym = named->keysym;
    }
    return {XKey{keysym, modifiers}, KeyRefusal::None};
}

QKeySequence SequenceOf(const XKey& key) {
    int qt = 0;
    if (key.keysym >= kF1 && key.keysym < kF1 + 35) {
        qt = Qt::Key_F1 + int(key.keysym - kF1);
    } else if (key.keysym >= 0x20 && key.keysym <= 0xff) {
        qt = int(key.keysym >= 'a' && key.keysym <= 'z' ? key.keysym - 'a' + 'A' : key.keysym);
    } else {
        const auto* named =
            std::find_if(std::begin(kNamedKeys), std::end(kNamedKeys),
                         [&key](const NamedKey& n) { return n.keysym == key.keysym; });
        if (named == std::end(kNamedKeys)) return {};
        qt = named->qt;
    }
    Qt::KeyboardModifiers modifiers;
    for (const auto& m : kModifiers) {
        if (key.modifiers & m.x) modifiers |= m.qt;
    }
    return QKeySequence(QKeyCombination(modifiers, Qt::Key(qt)));
}

uint16_t NumLockMask(std::span<const uint8_t> modifierMap, int perModifier,
                     std::span<const uint8_t> numLockCodes) {
    for (int row = 0; row < 8; ++row) {
        for (int i = 0; i < perModifier; ++i) {
            const size_t at = size_t(row) * size_t(perModifier) + size_t(i);
            if (at >= modifierMap.size() || modifierMap[at] == 0) continue;
            if (std::find(numLockCodes.begin(), numLockCodes.end(), modifierMap[at]) !=
                numLockCodes.end()) {
                return uint16_t(1 << row);
            }
        }
    }
    return 0;
}

std::vector<uint16_t> WithLocks(uint16_t modifiers, uint16_t numLockMask) {
    std::vector<uint16_t> all;
    for (const uint16_t locks :
         {uint16_t(0), kLockMask, numLockMask, uint16_t(kLockMask | numLockMask)}) {
        const auto with = uint16_t(modifiers | locks);
        if (std::find(all.begin(), all.end(), with) == all.end()) all.push_back(with);
    }
    return all;
}

KeyGrabs::KeyGrabs(std::function<void(int)> pressed) : pressed_(std::move(pressed)) {
    connection_ = Connection();
    if (!connection_) return;
    symbols_ = xcb_key_symbols_alloc(connection_);
    root_ = RootWindow(connection_);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

KeyGrabs::~KeyGrabs() {
    if (!connection_) return;
    Release();
    xcb_flush(connection_);
    xcb_key_symbols_free(symbols_);
}

std::vector<GrabState> KeyGrabs::Grab(const std::vector<QKeySequence>& keys) {
    keys_ = keys;
    if (connection_) {
        Release();
        GrabAll();
    } else {
        states_.assign(keys.size(), GrabState::NoX);
        for (size_t i = 0; i < keys.size(); ++i) {
            if (keys[i].isEmpty()) states_[i] = GrabState::None;
        }
    }
    return states_;
}

uint16_t KeyGrabs::ReadNumLockMask() const {
    std::unique_ptr<uint8_t[], decltype(&std::free)> codes(
        xcb_key_symbols_get_keycode(symbols_, kNumLockKeysym), &std::free);
    std::vector<uint8_t> numLock;
    for (const uint8_t* code = codes.get(); code && *code != 0; ++code) numLock.push_back(*code);
    std::unique_ptr<xcb_get_modifier_mapping_reply_t, decltype(&std::free)> map(
        xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr),
        &std::free);
    if (!map) return 0;
    const std::span<const uint8_t> rows(
        xcb_get_modifier_mapping_keycodes(map.get()),
        size_t(xcb_get_modifier_mapping_keycodes_length(map.get())));
    return NumLockMask(rows, map->keycodes_per_modifier, numLock);
}

void KeyGrabs::GrabAll() {
    numLock_ = ReadNumLockMask();
    states_.assign(keys_.size(), GrabState::None);
    struct Asked {
        size_t index;
        std::vector<Held> mine;
        std::vector<xcb_void_cookie_t> cookies;
    };
    // Every grab of every key is sent before the first answer is awaited: one round trip.
    std::vector<Asked> asked;
    for (size_t index = 0; index < keys_.size(); ++index) {
        const KeyOrRefusal x = XKeyOf(keys_[index]);
        if (!x.key) {
            states_[index] =
                x.refusal == KeyRefusal::Empty ? GrabState::None : GrabState::CannotGrab;
            continue;
        }
        const auto before = keys_.begin() + qsizetype(index);
        if (std::find(keys_.begin(), before, keys_[index]) != before) {
            states_[index] = GrabState::Twice;
            continue;
        }
        std::unique_ptr<uint8_t[], decltype(&std::free)> codes(
            xcb_key_symbols_get_keycode(symbols_, x.key->keysym), &std::free);
        Asked key{index, {}, {}};
        for (const uint8_t* code = codes.get(); code && *code != 0; ++code) {
            key.mine.push_back({*code, x.key->modifiers, int(index)});
            for (const uint16_t modifiers : WithLocks(x.key->modifiers, numLock_)) {
                key.cookies.push_back(xcb_grab_key_checked(connection_, 1, root_, modifiers, *code,
                                                           XCB_GRAB_MODE_ASYNC,
                                                           XCB_GRAB_MODE_ASYNC));
            }
        }
        if (key.mine.empty()) {
            states_[index] = GrabState::CannotGrab;
            continue;
        }
        asked.push_back(std::move(key));
    }
    for (const Asked& key : asked) {
        bool taken = false;
        for (const xcb_void_cookie_t cookie : key.cookies) {
            if (Reply error{xcb_request_check(connection_, cookie), &std::free}) taken = true;
        }
        if (taken) {
            // The combinations this program got are let go; the other client's stay its own.
            for (const Held& held : key.mine) {
                for (const uint16_t modifiers : WithLocks(held.modifiers, numLock_)) {
                    xcb_ungrab_key(connection_, held.keycode, root_, modifiers);
                }
            }
            states_[key.index] = GrabState::Taken;
            continue;
        }
        held_.insert(held_.end(), key.mine.begin(), key.mine.end());
        states_[key.index] = GrabState::Held;
    }
    xcb_flush(connection_);
}

void KeyGrabs::Release() {
    for (const Held& held : held_) {
        for (const uint16_t modifiers : WithLocks(held.modifiers, numLock_)) {
            xcb_ungrab_key(connection_, held.keycode, root_, modifiers);
        }
    }
    held_.clear();
}

bool KeyGrabs::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7f) {
        case XCB_KEY_PRESS: {
            const auto* press = reinterpret_cast<const xcb_key_press_event_t*>(event);
            if (press->root != root_ || press->event != root_) return false;
            const auto modifiers = uint16_t(press->state & kUsedModifiers);
            const auto found = std::find_if(held_.begin(), held_.end(), [&](const Held& h) {
                return h.keycode == press->detail && h.modifiers == modifiers;
            });
            if (found == held_.end()) return false;
            pressed_(found->index);
            return true;
        }
        case XCB_MAPPING_NOTIFY: {
            auto* mapping = reinterpret_cast<xcb_mapping_notify_event_t*>(event);
            if (mapping->request == XCB_MAPPING_POINTER) return false;
            xcb_refresh_keyboard_mapping(symbols_, mapping);
            Release();
            GrabAll();
            return false;  // Qt reads the new mapping too
        }
        default:
            return false;
    }
}

}  // namespace platform::x11
