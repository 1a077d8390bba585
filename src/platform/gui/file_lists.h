#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <optional>

#include "platform/core/file_path.h"
#include "platform/gui/controls.h"

// The three coupled browser lists: volumes, folders and picture files. None of them changes the
// process's current directory.
namespace platform {

// One mounted volume a user browses.
struct Volume {
    QString mountPoint;  // "/", "/home", "/media/alice/USB"
    QString label;       // what the list shows beside the mount point; may be empty
};

// One mounted file system as the system lists it.
struct Mount {
    QString mountPoint;
    QByteArray fileSystemType;  // "ext4", "tmpfs", ...
    QString label;              // the file system's own label; may be empty
};

// The volumes to offer among `mounts`: the root file system, a separate /home, and removable or
// extra volumes under /media, /run/media and /mnt; pseudo file systems are left out. Sorted by
// mount point, "/" first and always present. A later mount on the same point hides an earlier
// one. A volume without a label is labelled with the last part of its mount point; "/" then has
// no label.
QList<Volume> OfferedVolumes(const QList<Mount>& mounts);

// The offered volumes among those mounted now.
QList<Volume> BrowsableVolumes();

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
    void Refill(const QString& keepPath);
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
    const FilePath& Path() const { return path_; }
    // Shows `path` (relative paths are taken from the folder shown) and raises Change. A folder
    // that cannot be read changes nothing: false.
    bool SetPath(const FilePath& path);

signals:
    void Change();

private:
    void Refill();
    FilePath path_;
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
    const FilePath& Path() const { return path_; }
    void SetPath(const FilePath& path);
    int ListIndex() const { return currentRow(); }
    int ListCount() const { return count(); }
    // The name of entry `index` as the file system holds it; empty outside the list.
    QByteArray List(int index) const;

signals:
    // The user selected a file (click, or moving the selection with the keyboard).
    void Click();

private:
    void Refill();
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    FilePath path_;
    QString pattern_ = QStringLiteral("*.*");
    bool quiet_ = false;  // refilling, or Qt moving the current row on its own
    int rowBeforePress_ = -1;
};

// What a folder holds, names as the file system's bytes, hidden entries ("." first) left out.
struct FolderEntries {
    QList<QByteArray> files;    // regular files, symbolic links to them included
    QList<QByteArray> folders;  // folders, symbolic links to them included
};
// Lists the folder; nothing when it cannot be read.
std::optional<FolderEntries> ListFolder(const FilePath& folder);

// The names of `names` that match one of the ";"-separated wildcard patterns, case ignored,
// sorted case-insensitively by the names people see, names with a line break left out.
QList<QByteArray> MatchingFileNames(const QList<QByteArray>& names, const QString& pattern);

}  // namespace platform
