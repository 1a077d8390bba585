#include "app/own_keys.h"

#include <QDBusConnection>

#include "capture_window/screen_source.h"
#include "platform/portal/global_shortcuts.h"
#include "platform/x11/keys.h"

namespace app {

using platform::x11::GrabState;

OwnKeys::OwnKeys(std::function<void(CommandId)> run) : run_(std::move(run)) {
    if (capture_window::InWaylandSession()) {
        portal_ = std::make_unique<platform::GlobalShortcuts>(QDBusConnection::sessionBus());
        QObject::connect(portal_.get(), &platform::GlobalShortcuts::activated, portal_.get(),
                         [this](const QString& id) {
                             if (const Command* command = CommandOfKeyName(id)) run_(command->id);
                         });
        QObject::connect(portal_.get(), &platform::GlobalShortcuts::unavailable, portal_.get(),
                         [this](const QString& reason) {
                             portalMissing_ = true;
                             qWarning(
                                 "vellora: keys: %s; bind vellora --capture in the "
                                 "desktop's settings",
                                 qPrintable(reason));
                         });
    }
    grabs_ = std::make_unique<platform::x11::KeyGrabs>([this](int index) {
        const QList<const Command*> commands = KeyCommands();
        if (index >= 0 && index < commands.size()) run_(commands[index]->id);
    });
}

OwnKeys::~OwnKeys() = default;

QList<const Command*> OwnKeys::KeyCommands() {
    QList<const Command*> commands;
    for (const Command& command : Commands()) {
        if (command.keyName) commands.append(&command);
    }
    return commands;
}

void OwnKeys::Grab(const preferences::Preferences& preferences) {
    keys_.clear();
    for (const Command* command : KeyCommands()) {
        keys_.append(preferences.Key(QLatin1String(command->keyName)));
    }
    if (!portal_) {
        grabs_->Grab(std::vector<QKeySequence>(keys_.begin(), keys_.end()));
        return;
    }
    QList<platform::PortalShortcut> shortcuts;
    const QList<const Command*> commands = KeyCommands();
    for (qsizetype i = 0; i < commands.size(); ++i) {
        shortcuts.append({QLatin1String(commands[i]->keyName), CommandText(*commands[i]),
                          platform::PortalTrigger(keys_[i].toString(QKeySequence::PortableText))});
    }
    portal_->Bind(shortcuts);
}

QStringList OwnKeys::Notes() const {
    const QList<const Command*> commands = KeyCommands();
    const std::vector<GrabState>& states = grabs_->States();
    QStringList notes;
    for (qsizetype i = 0; i < qsizetype(states.size()) && i < keys_.size(); ++i) {
        switch (states[size_t(i)]) {
            case GrabState::Taken:
                notes.append(tr("ほかのプログラムが使っているキーです"));
                break;
            case GrabState::CannotGrab:
                notes.append(tr("このキーは使えません"));
                break;
            case GrabState::Twice: {
                const qsizetype first = keys_.indexOf(keys_[i]);
                notes.append(tr("「%1」と同じキーです").arg(CommandText(*commands[first])));
                break;
            }
            case GrabState::Held:
            case GrabState::None:
            case GrabState::NoX:
                notes.append(QString());
                break;
        }
    }
    return notes;
}

QStringList OwnKeys::Taken() const {
    const QList<const Command*> commands = KeyCommands();
    const std::vector<GrabState>& states = grabs_->States();
    QStringList taken;
    for (qsizetype i = 0; i < qsizetype(states.size()) && i < keys_.size(); ++i) {
        if (states[size_t(i)] != GrabState::Taken) continue;
        taken.append(QStringLiteral("%1 (%2)").arg(keys_[i].toString(QKeySequence::NativeText),
                                                   CommandText(*commands[i])));
    }
    return taken;
}

bool OwnKeys::Elsewhere() const {
    if (portal_) return portalMissing_;
    const std::vector<GrabState>& states = grabs_->States();
    return std::any_of(states.begin(), states.end(),
                       [](GrabState state) { return state == GrabState::NoX; });
}

}  // namespace app
