#include "app/desktop.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QTimer>

#include "app/autostart.h"
#include "app/launch.h"
#include "app/own_keys.h"
#include "app/program.h"
#include "app/single_instance.h"
#include "app/tray_icon.h"
#include "pasted_text/clipboard_text.h"
#include "pin_board/pin_board.h"
#include "pin_list/listing.h"
#include "preferences_window/preferences_window.h"
#include "text_recognition/tesseract_engine.h"

namespace app {

namespace {

// How long the tray menu is given to leave the screen before a capture from it.
constexpr int kMenuGoneMs = 150;

}  // namespace

Desktop::Desktop(Program& program, const Launch& launch, preferences::Preferences preferences)
    : program_(program), preferences_(std::move(preferences)) {
    // Listening before the restore: a start meanwhile waits for its answer rather than finding
    // nobody there.
    if (!launch.ServerPath().isEmpty()) {
        server_ = std::make_unique<InstanceServer>(
            [this](const instance::Request& request) { return Answer(request); });
        server_->Listen(launch.ServerPath());
    }
    if (const std::optional<QString> failure = program_.Start(launch.Picture())) {
        qWarning("vellora: %s: %s", qPrintable(launch.Picture().DisplayText()),
                 qPrintable(*failure));
    }
    tray_ = std::make_unique<TrayIcon>(program_.Board(), [this](CommandId id) {
        if (id != CommandId::Capture && id != CommandId::CaptureLast) {
            Run(id);
            return;
        }
        // The windows the menu covered repaint before the screen is frozen, or the capture
        // would hold the menu's ghost.
        QTimer::singleShot(kMenuGoneMs, tray_->Menu(),
                           [this, id] { Capture(id == CommandId::CaptureLast); });
    });
    ApplyPreferences();
    // A press carries out its command as the tray's menu does, without a menu to wait for.
    keys_ = std::make_unique<OwnKeys>([this](CommandId id) {
        if (id == CommandId::Capture || id == CommandId::CaptureLast) {
            Capture(id == CommandId::CaptureLast);
        } else {
            Run(id);
        }
    });
    keys_->Grab(preferences_);
    const QStringList taken = keys_->Taken();
    for (const QString& key : taken) {
        qWarning("vellora: the key %s is held by another program; Vellora goes without it",
                 qPrintable(key));
    }
    if (!taken.isEmpty()) tray_->TellKeysTaken(taken);
    if (launch.Preferences()) ShowPreferences();
    if (launch.Paste()) {
        if (const std::optional<QString> failure = program_.Paste()) {
            qWarning("vellora: --paste: %s", qPrintable(*failure));
            tray_->TellPasteFailed(
                pasted_text::HeldFormats(QGuiApplication::clipboard()->mimeData()));
        }
    }
    countdown_.setInterval(1000);
    QObject::connect(&countdown_, &QTimer::timeout, [this] {
        if (--secondsLeft_ > 0) {
            if (tray_) tray_->ShowCountdown(secondsLeft_);
            return;
        }
        countdown_.stop();
        Capture(lastRegionCounted_);
    });
    if (launch.Capture()) Capture(launch.LastRegion(), launch.CaptureDelay());
}

void Desktop::Capture(bool lastRegion, int delaySeconds) {
    if (program_.Capturing() || countdown_.isActive()) return;
    if (delaySeconds > 0) {
        secondsLeft_ = delaySeconds;
        lastRegionCounted_ = lastRegion;
        if (tray_) tray_->ShowCountdown(secondsLeft_);
        countdown_.start();
        return;
    }
    if (tray_) tray_->ShowIdle();
    // What keeps a capture from being made comes later than the start that asked for it: it
    // goes to standard error and the tray.
    program_.Capture(
        lastRegion,
        [this](const QString& failure) {
            qWarning("vellora: --capture: %s", qPrintable(failure));
            if (tray_) tray_->TellCaptureFailed(failure);
        },
        [](const QString& note) { qWarning("vellora: --capture: %s", qPrintable(note)); });
}

Desktop::~Desktop() = default;

instance::Reply Desktop::Answer(const instance::Request& request) {
    switch (request.kind) {
        case instance::Request::Kind::Show:
            return Run(CommandId::ShowMainWindow);
        case instance::Request::Kind::Open: {
            const std::optional<QString> failure = program_.OpenPicture(request.picture);
            return {!failure, failure.value_or(QString()), {}};
        }
        case instance::Request::Kind::Pins:
            return AnswerPins(request.pinsCommand);
        case instance::Request::Kind::Board:
            return AnswerBoard(QString::fromUtf8(request.board), request.pinsCommand);
        case instance::Request::Kind::Paste:
            return Run(CommandId::Paste);
        case instance::Request::Kind::Preferences:
            return Run(CommandId::ShowPreferences);
        case instance::Request::Kind::Capture:
        case instance::Request::Kind::CaptureLast:
            // Answered once the capture is under way, or counting down.
            Capture(request.kind == instance::Request::Kind::CaptureLast, request.delaySeconds);
            return {};
    }
    return {};
}

instance::Reply Desktop::AnswerBoard(const QString& board, const QByteArray& command) {
    pin_list::PinList& list = program_.Board().List();
    const bool hide = command == "hide" || (command == "toggle" && !list.BoardHidden(board));
    if (!hide && command != "show" && command != "toggle") {
        return {false,
                QStringLiteral("this Vellora does not know --board NAME %1")
                    .arg(QString::fromLatin1(command)),
                {}};
    }
    const std::optional<QString> failure = list.SetBoardHidden(board, hide);
    return {!failure, failure.value_or(QString()), {}};
}

instance::Reply Desktop::AnswerPins(const QByteArray& word) {
    const Command* command = CommandOfWord(word);
    if (!command) {
        return {false,
                QStringLiteral("this Vellora does not know --pins %1")
                    .arg(QString::fromLatin1(word.left(64))),
                {}};
    }
    if (command->id == CommandId::ListPins) {
        return {true, {}, pin_list::FormatListing(program_.Board().ListPins())};
    }
    return Run(command->id);
}

instance::Reply Desktop::Run(CommandId id) {
    pin_board::PinBoard& board = program_.Board();
    switch (id) {
        case CommandId::ShowMainWindow:
            program_.ShowMainWindow();
            break;
        case CommandId::Paste: {
            // The later start prints the reason; the tray tells whoever bound it to a key.
            const std::optional<QString> failure = program_.Paste();
            if (failure) qWarning("vellora: paste: %s", qPrintable(*failure));
            if (tray_) {
                tray_->TellPasted(
                    !failure, pasted_text::HeldFormats(QGuiApplication::clipboard()->mimeData()));
            }
            return {!failure, failure.value_or(QString()), {}};
        }
        case CommandId::TogglePins:
            return Run(board.AllHidden() ? CommandId::ShowPins : CommandId::HidePins);
        case CommandId::HidePins:
            board.HideAll();
            break;
        case CommandId::ShowPins:
            board.ShowAll();
            break;
        case CommandId::SolidPins:
            board.MakeAllSolid();
            break;
        case CommandId::ShowPinList:
            program_.ShowPinList();
            break;
        case CommandId::Capture:
            // Answered once the capture is under way, so that a key bound to it returns at once.
            Capture();
            break;
        case CommandId::CaptureLast:
            Capture(true);
            break;
        case CommandId::ListPins:
            break;
        case CommandId::ShowPreferences:
            ShowPreferences();
            break;
        case CommandId::Quit:
            program_.Quit();
            break;
    }
    return {};
}

void Desktop::ShowPreferences() {
    if (!preferencesWindow_) {
        QList<preferences_window::KeyRow> rows;
        for (const Command* command : OwnKeys::KeyCommands()) {
            rows.append({QLatin1String(command->keyName), CommandText(*command)});
        }
        preferences_window::Hooks hooks{[this] { PreferencesChanged(); },
                                        [] { return StartsAtLogin(); },
                                        [](bool on) { SetStartAtLogin(on); }};
        preferencesWindow_ = std::make_unique<preferences_window::PreferencesWindow>(
            preferences_, rows,
            preferences_window::InstalledLanguages(text_recognition::DefaultDataPath()),
            std::move(hooks));
        preferencesWindow_->ShowKeyNotes(keys_->Notes());
        preferencesWindow_->ShowKeysElsewhere(keys_->Elsewhere());
    }
    preferencesWindow_->show();
    preferencesWindow_->raise();
    preferencesWindow_->activateWindow();
}

void Desktop::PreferencesChanged() {
    const QString path = preferences::FilePath();
    if (const std::optional<QString> failure = preferences::Save(preferences_, path)) {
        qWarning("vellora: %s: %s", qPrintable(path), qPrintable(*failure));
    }
    keys_->Grab(preferences_);
    if (preferencesWindow_) preferencesWindow_->ShowKeyNotes(keys_->Notes());
    ApplyPreferences();
}

void Desktop::ApplyPreferences() {
    store::PinSettings settings;
    settings.keepAbove = preferences_.NewPinsAbove();
    settings.opacity = preferences_.NewPinsOpacity();
    program_.Board().SetNewPinSettings(settings);
    program_.SetCaptureChoices(preferences_.OutlineWindow(), preferences_.CopyFolder());
}

}  // namespace app
