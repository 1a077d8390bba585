#include "platform/core/mount_watch.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

namespace platform {

MountWatch::MountWatch(int lookAgainMs) : lookAgain_(std::make_unique<QTimer>()) {
    lookAgain_->setInterval(lookAgainMs);
    connect(lookAgain_.get(), &QTimer::timeout, this, &MountWatch::mayHaveChanged);
}

MountWatch::~MountWatch() = default;

bool MountWatch::IsActive() const {
    return lookAgain_->isActive();
}

void MountWatch::SetActive(bool active) {
    if (active == IsActive()) return;
    if (!active) {
        lookAgain_->stop();
        notifier_.reset();
        mountTable_.reset();
        return;
    }
    lookAgain_->start();
    // The kernel marks the mount table's descriptor exceptional (POLLPRI) after every mount and
    // unmount in this process's namespace.
    mountTable_ = std::make_unique<QFile>(QStringLiteral("/proc/self/mountinfo"));
    if (!mountTable_->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        mountTable_.reset();
        return;
    }
    mountTable_->readAll();
    notifier_ =
        std::make_unique<QSocketNotifier>(mountTable_->handle(), QSocketNotifier::Exception);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { MountTableChanged(); });
}

void MountWatch::MountTableChanged() {
    // Read to the end again, as the change is reported once per reading of the table.
    mountTable_->seek(0);
    mountTable_->readAll();
    emit mayHaveChanged();
}

}  // namespace platform
