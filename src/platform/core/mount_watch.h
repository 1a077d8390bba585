#pragma once

#include <QObject>
#include <memory>

class QFile;
class QSocketNotifier;
class QTimer;

namespace platform {

// Says when folders that were missing may have appeared: at once when the mount table changes
// (a disk, a network share or a cloud folder mounted after login), and now and then besides,
// for folders that appear without a mount of their own. Quiet until switched on.
class MountWatch : public QObject {
    Q_OBJECT
public:
    explicit MountWatch(int lookAgainMs = 5000);
    ~MountWatch() override;

    void SetActive(bool active);
    bool IsActive() const;

signals:
    void mayHaveChanged();

private:
    void MountTableChanged();

    std::unique_ptr<QFile> mountTable_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QTimer> lookAgain_;
};

}  // namespace platform
