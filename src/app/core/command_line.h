#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "platform/core/file_path.h"

// The program's command line, read from the bytes of argv without a window or a display.
namespace app {

// Where the data file "zuzerid.dat" is kept.
enum class DataPlace {
    CurrentFolder,  // neither option: the folder the program was started in
    UserData,       // --user-data: $XDG_DATA_HOME/vellora
    Folder,         // --data-dir DIR
};

struct CommandLine {
    enum class Action {
        Run,
        Help,
        Version,
        AutostartOn,
        AutostartOff,
        Pins,
        Paste,
        Capture,
        Board,
        Preferences,
        Usage
    };
    Action action = Action::Run;
    DataPlace place = DataPlace::CurrentFolder;
    QString dataDir;  // --data-dir, made absolute
    // The picture arguments, absolute and with "." and ".." taken out, as the file names' bytes.
    QList<platform::FilePath> pictures;
    QString error;  // what is wrong with the command line, for Action::Usage
    // For Action::Pins: what to do with every pin of the running program ("list", "hide",
    // "show", "toggle", "solid"); for Action::Board, with the pins of `board` ("show", "hide",
    // "toggle").
    QString pinsCommand;
    QString board;  // --board
    // For Action::Capture: "--capture last", the last captured rectangle again; and --delay,
    // the seconds before the screen freezes.
    bool lastRegion = false;
    int delaySeconds = 0;
};

// `arguments` are argv's bytes, the program's name first; relative picture names are taken
// from `currentFolder`.
CommandLine ParseCommandLine(const QList<QByteArray>& arguments, const QByteArray& currentFolder);

// The most seconds --delay takes.
inline constexpr int kMaxCaptureDelay = 60;

// The commands --board takes.
QStringList BoardCommands();

// What --help prints.
QString HelpText();

}  // namespace app
