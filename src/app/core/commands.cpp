#include "app/core/commands.h"

#include <QCoreApplication>
#include <algorithm>

namespace app {

namespace {

constexpr Command kCommands[] = {
    {CommandId::ShowMainWindow, nullptr, "tray_show", TrayPlace::BeforeBoards,
     QT_TRANSLATE_NOOP("app::Commands", "ﾒｲﾝｳｨﾝﾄﾞｳを表示")},
    {CommandId::Paste, nullptr, "tray_paste", TrayPlace::BeforeBoards,
     QT_TRANSLATE_NOOP("app::Commands", "クリップボードの画像を開く"), false, "paste"},
    {CommandId::TogglePins, "toggle", "tray_hide_pins", TrayPlace::BeforeBoards,
     QT_TRANSLATE_NOOP("app::Commands", "張り付けた画像を隠す"), true, "hide-all"},
    {CommandId::HidePins, "hide", nullptr, TrayPlace::None, nullptr},
    {CommandId::ShowPins, "show", nullptr, TrayPlace::None, nullptr},
    {CommandId::SolidPins, "solid", "tray_solid", TrayPlace::BeforeBoards,
     QT_TRANSLATE_NOOP("app::Commands", "すべての画像のクリック透過を解除")},
    {CommandId::ShowPinList, "window", "tray_pin_list", TrayPlace::AfterBoards,
     QT_TRANSLATE_NOOP("app::Commands", "張り付けた画像の一覧"), false, "pin-list"},
    {CommandId::Capture, nullptr, "tray_capture", TrayPlace::AfterBoards,
     QT_TRANSLATE_NOOP("app::Commands", "画面の一部を張り付け"), false, "capture"},
    {CommandId::CaptureLast, nullptr, "tray_capture_last", TrayPlace::AfterBoards,
     QT_TRANSLATE_NOOP("app::Commands", "前回の範囲を張り付け"), false, "capture-last"},
    {CommandId::ListPins, "list", nullptr, TrayPlace::None, nullptr},
    {CommandId::ShowPreferences, nullptr, "tray_preferences", TrayPlace::Last,
     QT_TRANSLATE_NOOP("app::Commands", "設定")},
    {CommandId::Quit, nullptr, "tray_end", TrayPlace::Last,
     QT_TRANSLATE_NOOP("app::Commands", "終了")},
};

}  // namespace

std::span<const Command> Commands() {
    return kCommands;
}

const Command* CommandOfWord(const QByteArray& word) {
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&word](const Command& c) { return c.word && word == c.word; });
    return found == std::end(kCommands) ? nullptr : found;
}

const Command* CommandOfKeyName(const QString& name) {
    const auto found =
        std::find_if(std::begin(kCommands), std::end(kCommands),
                     [&name](const Command& c) { return c.keyName && name == c.keyName; });
    return found == std::end(kCommands) ? nullptr : found;
}

const Command& CommandOf(CommandId id) {
    return *std::find_if(std::begin(kCommands), std::end(kCommands),
                         [id](const Command& c) { return c.id == id; });
}

QString CommandText(const Command& command) {
    return command.text ? QCoreApplication::translate("app::Commands", command.text) : QString();
}

QStringList PinsWords() {
    QStringList words;
    for (const Command& command : kCommands) {
        if (command.word) words.append(QLatin1String(command.word));
    }
    return words;
}

}  // namespace app
