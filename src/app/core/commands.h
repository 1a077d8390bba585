#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <span>

// The program's commands on every pin at once and on its windows, as one table: a command is
// one row, and every road to it (the tray's menu, a later start's "--pins WORD", and the program's
// own keys) reads the row. What each does is said once, by its id, where the program is
// (app::Desktop::Run).
namespace app {

enum class CommandId {
    ShowMainWindow,
    Paste,
    TogglePins,  // hides every pin, or shows them again
    HidePins,
    ShowPins,
    SolidPins,  // click-through off on every pin
    ShowPinList,
    Capture,
    CaptureLast,  // the rectangle of the last capture again, without the overlay
    ListPins,
    ShowPreferences,
    Quit,
};

// Where the tray's menu holds a command: before the boards, after them, or last.
enum class TrayPlace { None, BeforeBoards, AfterBoards, Last };

struct Command {
    CommandId id;
    const char* word;      // after --pins on a later start's command line; none when null
    const char* trayName;  // the tray item's object name
    TrayPlace tray;
    const char* text;        // its words in a menu, in Japanese; English through the translation
    bool checkable = false;  // a menu item that shows the state it toggles
    // Its name in preferences.json's "shortcuts", for a command a key of the program's own can
    // run; none when null.
    const char* keyName = nullptr;
};

std::span<const Command> Commands();
// The row of a key's name in preferences.json; null when no command has it.
const Command* CommandOfKeyName(const QString& name);
// The row of a --pins word; null when no command has it.
const Command* CommandOfWord(const QByteArray& word);
const Command& CommandOf(CommandId id);
// Its words in the language in use.
QString CommandText(const Command& command);
// Every --pins word, in the table's order.
QStringList PinsWords();

}  // namespace app
