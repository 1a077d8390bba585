#include "app/core/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include "app/core/commands.h"
#include "language/language.h"
#include "platform/core/picture_formats.h"

namespace app {

namespace {

// Each byte as the character of the same number, so that a name goes through the parser and
// comes back as the same bytes whatever its encoding; option names are ASCII and match as they
// are.
QString AsLatin1(const QByteArray& bytes) {
    return QString::fromLatin1(bytes);
}

platform::FilePath AbsoluteCleaned(const QByteArray& name, const QByteArray& currentFolder) {
    const QByteArray absolute = name.startsWith('/') ? name : currentFolder + '/' + name;
    return platform::FilePath(QDir::cleanPath(AsLatin1(absolute)).toLatin1());
}

// The context of the command line's texts.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(app::CommandLine)
};

CommandLine Usage(const QString& error) {
    CommandLine line;
    line.action = CommandLine::Action::Usage;
    line.error = error;
    return line;
}

}  // namespace

CommandLine ParseCommandLine(const QList<QByteArray>& arguments, const QByteArray& currentFolder) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, {});
    const QCommandLineOption version(QStringLiteral("version"), {});
    const QCommandLineOption userData(QStringLiteral("user-data"), {});
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), {}, QStringLiteral("DIR"));
    const QCommandLineOption autostart(QStringLiteral("autostart"), {}, QStringLiteral("on|off"));
    const QCommandLineOption pins(QStringLiteral("pins"), {}, QStringLiteral("COMMAND"));
    const QCommandLineOption paste(QStringLiteral("paste"), {});
    const QCommandLineOption capture(QStringLiteral("capture"), {});
    const QCommandLineOption board(QStringLiteral("board"), {}, QStringLiteral("NAME"));
    const QCommandLineOption delay(QStringLiteral("delay"), {}, QStringLiteral("SECONDS"));
    const QCommandLineOption preferences(QStringLiteral("preferences"), {});
    parser.addOptions({help, version, userData, dataDir, autostart, pins, paste, capture, board,
                       delay, preferences});

    QStringList texts;
    for (const QByteArray& argument : arguments) texts.append(AsLatin1(argument));
    if (texts.isEmpty()) texts.append(QStringLiteral("vellora"));
    if (!parser.parse(texts)) return Usage(parser.errorText());

    CommandLine line;
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Help;
        return line;
    }
    if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
        return line;
    }
    if (parser.isSet(userData) && parser.isSet(dataDir)) {
        return Usage(QStringLiteral("--user-data and --data-dir name two data folders; give one"));
    }
    if (parser.isSet(userData)) line.place = DataPlace::UserData;
    if (parser.isSet(dataDir)) {
        const QByteArray given = parser.value(dataDir).toLatin1();
        if (given.isEmpty()) return Usage(QStringLiteral("--data-dir needs a folder"));
        const QByteArray bytes = AbsoluteCleaned(given, currentFolder).Bytes();
        line.dataDir = QString::fromUtf8(bytes);
        // The data file's name is kept as text, which holds only a UTF-8 folder name exactly.
        if (line.dataDir.toUtf8() != bytes) {
            return Usage(QStringLiteral("--data-dir needs a folder whose name is UTF-8"));
        }
        line.place = DataPlace::Folder;
    }
    if (parser.isSet(board)) {
        // NAME show|hide|toggle: the word stands where a picture would.
        const QStringList words = parser.positionalArguments();
        if (words.size() != 1 || !BoardCommands().contains(words.first())) {
            return Usage(
                QStringLiteral("--board NAME takes one of: %1").arg(BoardCommands().join(u' ')));
        }
        if (parser.isSet(autostart) || parser.isSet(pins) || parser.isSet(paste) ||
            parser.isSet(capture)) {
            return Usage(QStringLiteral(
                "--board takes no --pins, no --paste, no --capture and no --autostart"));
        }
        line.board = QString::fromUtf8(parser.value(board).toLatin1());
        if (line.board.isEmpty()) return Usage(QStringLiteral("--board needs a board's name"));
        line.action = CommandLine::Action::Board;
        line.pinsCommand = words.first();
        return line;
    }
    if (parser.isSet(delay) && !parser.isSet(capture)) {
        return Usage(QStringLiteral("--delay goes with --capture"));
    }
    // "--capture last": the word stands where a picture would.
    const bool lastRegion = parser.isSet(capture) &&
                            parser.positionalArguments() == QStringList{QStringLiteral("last")};
    for (const QString& text : lastRegion ? QStringList() : parser.positionalArguments()) {
        const QByteArray name = text.toLatin1();
        if (name.isEmpty()) return Usage(QStringLiteral("an empty picture name"));
        line.pictures.append(AbsoluteCleaned(name, currentFolder));
    }
    if (parser.isSet(autostart)) {
        const QString value = parser.value(autostart);
        if (value != QLatin1String("on") && value != QLatin1String("off")) {
            return Usage(QStringLiteral("--autostart takes \"on\" or \"off\""));
        }
        if (line.place != DataPlace::CurrentFolder || !line.pictures.isEmpty()) {
            return Usage(
                QStringLiteral("--autostart takes no data folder and no picture: the program "
                               "started at login uses --user-data"));
        }
        line.action = value == QLatin1String("on") ? CommandLine::Action::AutostartOn
                                                   : CommandLine::Action::AutostartOff;
    }
    if (parser.isSet(pins)) {
        const QString command = parser.value(pins);
        if (!PinsWords().contains(command)) {
            return Usage(QStringLiteral("--pins takes one of: %1").arg(PinsWords().join(u' ')));
        }
        if (parser.isSet(autostart) || !line.pictures.isEmpty()) {
            return Usage(QStringLiteral("--pins takes no picture and no --autostart"));
        }
        line.action = CommandLine::Action::Pins;
        line.pinsCommand = command;
    }
    if (parser.isSet(paste)) {
        if (parser.isSet(autostart) || parser.isSet(pins) || !line.pictures.isEmpty()) {
            return Usage(QStringLiteral("--paste takes no picture, no --pins and no --autostart"));
        }
        line.action = CommandLine::Action::Paste;
    }
    if (parser.isSet(preferences)) {
        if (parser.isSet(autostart) || parser.isSet(pins) || parser.isSet(paste) ||
            parser.isSet(capture) || !line.pictures.isEmpty()) {
            return Usage(QStringLiteral("--preferences takes no other command and no picture"));
        }
        line.action = CommandLine::Action::Preferences;
    }
    if (parser.isSet(capture)) {
        if (parser.isSet(autostart) || parser.isSet(pins) || parser.isSet(paste) ||
            !line.pictures.isEmpty()) {
            return Usage(QStringLiteral(
                "--capture takes no picture, no --paste, no --pins and no --autostart"));
        }
        line.action = CommandLine::Action::Capture;
        line.lastRegion = lastRegion;
        if (parser.isSet(delay)) {
            bool whole = false;
            line.delaySeconds = parser.value(delay).toInt(&whole);
            if (!whole || line.delaySeconds < 0 || line.delaySeconds > kMaxCaptureDelay) {
                return Usage(QStringLiteral("--delay takes whole seconds from 0 to %1")
                                 .arg(kMaxCaptureDelay));
            }
        }
    }
    return line;
}

QStringList BoardCommands() {
    return {QStringLiteral("show"), QStringLiteral("hide"), QStringLiteral("toggle")};
}

QString HelpText() {
    // The formats come from their table: %1 and %2 name them all, %3 and %4 give the extensions
    // of the browser's formats and of the others.
    // In an English run its English lines alone, looked up here, as tr() finds no translator
    // before the application object exists.
    const QString source = Texts::tr(
        "Usage: vellora [--user-data | --data-dir DIR] [PICTURE...]\n"
        "       vellora --autostart on|off\n"
        "       vellora [--user-data | --data-dir DIR] --pins "
        "list|hide|show|toggle|solid|window\n"
        "       vellora [--user-data | --data-dir DIR] --paste\n"
        "       vellora [--user-data | --data-dir DIR] --capture [last] [--delay SECONDS]\n"
        "       vellora [--user-data | --data-dir DIR] --board NAME show|hide|toggle\n"
        "       vellora [--user-data | --data-dir DIR] --preferences\n"
        "使い方: vellora [--user-data | --data-dir ﾌｫﾙﾀﾞ] [画像...]\n"
        "\n"
        "Vellora pins %1 pictures onto the desktop.\n"
        "Vellora は %2 の画像をデスクトップに張り付けます。\n"
        "\n"
        "Where the data file \"zuzerid.dat\" is kept / データファイルの場所:\n"
        "  --user-data      $XDG_DATA_HOME/vellora (~/.local/share/vellora), created when\n"
        "                   missing; the desktop menu and start at login use it.\n"
        "                   ユーザーのデータフォルダ (無ければ作成)。\n"
        "  --data-dir DIR   the folder DIR, created when missing.\n"
        "                   指定したフォルダ (無ければ作成)。\n"
        "  (neither)        the current folder, where the program was started.\n"
        "                   どちらも無いときは現在のフォルダ。\n"
        "\n"
        "One Vellora runs for each data folder. Starting it again for the same folder\n"
        "brings the running one's main window back, or opens PICTURE in it, and ends.\n"
        "同じデータフォルダで再び起動すると、動いている Vellora のﾒｲﾝｳｨﾝﾄﾞｳを表示するか\n"
        "画像を開いて終了します。\n"
        "\n"
        "  PICTURE          a %3 file: opened in the display window as if chosen\n"
        "                   in the browser and double-clicked; a %4 file\n"
        "                   opens there directly. Only the first is opened.\n"
        "                   画像を画像表示ｳｨﾝﾄﾞｳで開きます (最初の 1 つだけ)。\n"
        "  --paste          the clipboard's picture: written as a PNG file into \"pasted\"\n"
        "                   in the data folder (a copied file is opened where it is) and\n"
        "                   opened in the display window, ready to pin.\n"
        "                   クリップボードの画像を画像表示ｳｨﾝﾄﾞｳで開きます。\n"
        "  --capture        a part of the screen, dragged with the mouse over the frozen\n"
        "                   desktop: pinned exactly where it was and kept as a PNG file\n"
        "                   in \"captured\" in the data folder. Esc cancels. A click\n"
        "                   takes the window under the pointer; Tab and the wheel step\n"
        "                   to its client area and the monitor; C copies the colour.\n"
        "                   画面の一部を張り付けます (Esc で取り消し)。\n"
        "  --capture last   the rectangle of the last capture again, without the\n"
        "                   overlay, as much of it as the monitors show now.\n"
        "                   前回の範囲をもう一度張り付けます。\n"
        "  --preferences    the preferences window (keys, language, new pins, ...),\n"
        "                   opened in the running Vellora or in a new one.\n"
        "                   設定ウィンドウを開きます。\n"
        "  --delay SECONDS  with --capture: the screen freezes that many seconds\n"
        "                   later (0 to 60).\n"
        "                   指定した秒数の後に画面を止めます。\n"
        "  --pins list      every pinned picture, one a line: its state (shown, hidden,\n"
        "                   waiting for its folder to appear, or saved when no Vellora\n"
        "                   runs), its place and size in twips, and its file.\n"
        "                   A last field names the pin's board; pins in the recently\n"
        "                   removed list come last, as removed.\n"
        "                   張り付けた画像の一覧 (状態・位置・大きさ・ファイル・ボード)。\n"
        "  --pins hide|show|toggle\n"
        "                   hide or show every pinned picture of the running Vellora;\n"
        "                   nothing is saved, and the next start shows them all.\n"
        "                   動いている Vellora の張り付けた画像をすべて隠す / 表示する。\n"
        "  --pins solid     let every pinned picture take clicks again (the way back\n"
        "                   from click-through).\n"
        "                   すべての画像のクリック透過を解除する。\n"
        "  --pins window    the running Vellora's window that lists every pin.\n"
        "                   張り付けた画像の一覧のウィンドウを開く。\n"
        "  --board NAME show|hide|toggle\n"
        "                   show or hide every pin of the board NAME of the running\n"
        "                   Vellora; a hidden board stays hidden at the next start.\n"
        "                   ボードの画像をまとめて表示する / 隠す。\n"
        "  --autostart on   start with --user-data at login ($XDG_CONFIG_HOME/autostart).\n"
        "  --autostart off  no longer start at login.\n"
        "                   ログイン時に起動する / しない。\n"
        "  --version        the version / バージョン\n"
        "  -h, --help       this text / このヘルプ\n");
    const QString text = language::Translate("app::CommandLine", source);
    const QString names = platform::PictureFormatNames(QStringLiteral("and"));
    const QString browsed = platform::PictureExtensionChoice(true);
    const QString others = platform::PictureExtensionChoice(false);
    // The English text has no Japanese line, and so no %2.
    if (!text.contains(QLatin1String("%2"))) return text.arg(names, browsed, others);
    return text.arg(names, platform::PictureFormatNamesJapanese(), browsed, others);
}

}  // namespace app
