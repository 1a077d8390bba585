#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/controls.h"

// The three coupled browser lists: volumes, folders and picture files. None of them changes the
// process's current directory.
namespace platform {

// One mounted volume a user browses.
struct Volume {
    QString mountPoint;  // "/", "/home", "/media/alice/USB"
    QString label;       // what the list shows beside the mount point; may be empty
};

// The volumes to offer: the root file system, a separate /home, and removable or extra volumes
// under /media, /run/media and /mnt; pseudo file systems are left out.
QList<Volume> BrowsableVolumes();

// The label of the device a volume is mounted from ("/dev/sdb1"); empty when it has none.
using DeviceLabelLookup = std::function<QString(const QString& device)>;

// The volumes to offer among the mounts listed in `mountinfo` (the text of
// /proc/self/mountinfo), sorted by mount point, "/" first and always present. A volume without a
// device label is labelled with the last part of its mount point; "/" then has no label.
QList<Volume> VolumesFromMountInfo(const QString& mountinfo, const DeviceLabelLookup& labelOf = {});

// What the drive list shows for a volume: "/media/alice/USB [USB]".
QString VolumeText(const Volume& volume);

// The volume (from `volumes`) whose mount point holds `path`: the longest matching mount point.
int VolumeIndexFor(const QList<Volume>& volumes, const QString& path);

// The drive list. Drive() is the chosen volume's mount point; choosing another one raises Change.
class DriveListBox : public QComboBox, public TwipsGeometry {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent);
    QString Drive() const;
    // Selects the volume that holds `path` without raising Change.
    void ShowVolumeOf(const QString& path);
    // The folder to show for a volume: the current folder for the volume that holds it, the
    // volume's root otherwise.
    QString FolderToShowFor(const QString& mountPoint) const;

signals:
    void Change();

private:
    void showPopup() override;
    void Refill(const QString& keepMountPoint);
    void Select(int index);
    QList<Volume> volumes_;
    int shown_ = -1;
};

// The folder list: the folders on the path to the current folder, then those directly below it.
// Opening one (double-click or Enter) makes it the current folder and raises Change, as does
// setting Path.
class DirListBox : public QListWidget, public TwipsGeometry {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent);
    QString Path() const { return path_; }
    // Shows `path` and raises Change. A folder that cannot be read changes nothing: false.
    bool SetPath(const QString& path);

signals:
    void Change();

private:
    void Refill();
    QString path_;
};

// The file list: the names in Path that match Pattern ("*.jpg;*.gif"), letter case ignored,
// sorted without regard to case. Names holding a line break are not listed.
class FileListBox : public QListWidget, public TwipsGeometry {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent);
    void SetPattern(const QString& pattern);
    QString Pattern() const { return pattern_; }
    // The folder shown; it ends in "/" only at the root.
    QString Path() const { return path_; }
    void SetPath(const QString& path);
    int ListIndex() const { return currentRow(); }
    int ListCount() const { return count(); }
    QString List(int index) const;

signals:
    // The user selected a file (click, or moving the selection with the keyboard).
    void Click();

private:
    void Refill();
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    QString path_;
    QString pattern_ = QStringLiteral("*.*");
    bool quiet_ = false;  // refilling, or Qt moving the current row on its own
    int rowBeforePress_ = -1;
};

// The names of `names` that match one of the ";"-separated wildcard patterns, case ignored,
// sorted case-insensitively, names with a line break left out.
QStringList MatchingFileNames(const QStringList& names, const QString& pattern);

}  // namespace platform
