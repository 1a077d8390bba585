#include "app/autostart.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <climits>
#include <cstdio>
#include <optional>

#include "app/core/desktop_entry.h"

namespace app {

namespace {

const QString kEntryName = QStringLiteral("org.vellora.Vellora.desktop");

void Say(FILE* stream, const QString& text) {
    std::fputs(qPrintable(QStringLiteral("vellora: ") + text + QLatin1Char('\n')), stream);
}

QString EntryPath() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config.isEmpty() ? QString() : config + QStringLiteral("/autostart/") + kEntryName;
}

// The running executable, as the kernel names it; nothing when that name is not UTF-8, which a
// desktop entry cannot hold.
std::optional<QString> ExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || length >= ssize_t(sizeof buffer)) return std::nullopt;
    const QByteArray bytes(buffer, length);
    const QString path = QString::fromUtf8(bytes);
    if (path.toUtf8() != bytes) return std::nullopt;
    return path;
}

QByteArray EntryText(const QString& exec) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Vellora\n"
               "Comment=Puts the pinned pictures back on the desktop\n"
               "Comment[ja]=張り付けた画像をデスクトップに戻します\n"
               "Exec=%1\n"
               "Icon=org.vellora.Vellora\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n")
        .arg(exec)
        .toUtf8();
}

std::optional<QString> Write(const QString& path, const QByteArray& text) {
    if (!QDir().mkpath(QFileInfo(path).path())) return QStringLiteral("cannot create its folder");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    // commit() alone does not notice a write that failed part-way.
    if (file.write(text) != text.size() || !file.flush()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit()) return file.errorString();
    return std::nullopt;
}

}  // namespace

bool StartsAtLogin() {
    const QString path = EntryPath();
    return !path.isEmpty() && QFile::exists(path);
}

int SetStartAtLogin(bool on) {
    const QString path = EntryPath();
    if (path.isEmpty()) {
        Say(stderr, QStringLiteral("no configuration folder ($XDG_CONFIG_HOME or $HOME)"));
        return 1;
    }
    if (!on) {
        if (!QFile::exists(path)) {
            Say(stdout, QStringLiteral("Vellora was not set to start at login (%1 does not exist)")
                            .arg(path));
            return 0;
        }
        if (!QFile::remove(path)) {
            Say(stderr, QStringLiteral("cannot remove %1").arg(path));
            return 1;
        }
        Say(stdout, QStringLiteral("Vellora no longer starts at login: removed %1").arg(path));
        return 0;
    }
    const std::optional<QString> program = ExecutablePath();
    const QString exec =
        program ? DesktopEntryExec({*program, QStringLiteral("--user-data")}) : QString();
    if (exec.isEmpty()) {
        Say(stderr, QStringLiteral("the program's own path cannot be written in a desktop entry"));
        return 1;
    }
    if (const std::optional<QString> error = Write(path, EntryText(exec))) {
        Say(stderr, QStringLiteral("cannot write %1: %2").arg(path, *error));
        return 1;
    }
    Say(stdout, QStringLiteral("Vellora starts at login: wrote %1").arg(path));
    return 0;
}

}  // namespace app
