#include "platform/gui/file_lists.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QScopedValueRollback>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>

namespace platform {
namespace {

// File systems that hold no user files: kernel interfaces, memory-backed scratch space and
// read-only package images. A volume of one of these is never offered, except "/" itself,
// which in a container is often an overlay.
bool IsPseudoFileSystem(const QByteArray& type) {
    static const QList<QByteArray> kPseudo =
        QByteArray(
            "proc sysfs tmpfs devtmpfs devpts securityfs debugfs tracefs pstore bpf mqueue "
            "hugetlbfs configfs fusectl autofs binfmt_misc efivarfs ramfs rpc_pipefs nsfs "
            "squashfs overlay selinuxfs nfsd fuse.gvfsd-fuse fuse.portal fuse.snapfuse")
            .split(' ');
    return type.startsWith("cgroup") || kPseudo.contains(type);
}

bool IsAtOrBelow(const QString& path, QLatin1String root) {
    return path == root || (path.startsWith(root) && path.size() > root.size() &&
                            path.at(root.size()) == QLatin1Char('/'));
}

// Where removable and extra volumes are mounted, besides a separate /home.
bool IsOfferedMountPoint(const QString& mountPoint) {
    return mountPoint == QLatin1String("/home") ||
           IsAtOrBelow(mountPoint, QLatin1String("/media")) ||
           IsAtOrBelow(mountPoint, QLatin1String("/run/media")) ||
           IsAtOrBelow(mountPoint, QLatin1String("/mnt"));
}

bool CaseInsensitiveLess(const QString& a, const QString& b) {
    const int byCase = QString::compare(a, b, Qt::CaseInsensitive);
    return byCase != 0 ? byCase < 0 : a < b;
}

// Names sorted as people read them, whatever their bytes.
void SortByDisplayName(QList<QByteArray>& names) {
    std::sort(names.begin(), names.end(), [](const QByteArray& a, const QByteArray& b) {
        return CaseInsensitiveLess(DisplayName(a), DisplayName(b));
    });
}

// "." and ".." removed and separators folded, on the bytes. Latin-1 maps each byte to one
// character and back, so QDir::cleanPath, which only looks at "/" and ".", keeps every other
// byte of the name as it was.
FilePath Cleaned(const FilePath& path) {
    return FilePath(QDir::cleanPath(QString::fromLatin1(path.Bytes())).toLatin1());
}

FilePath ResolveAgainst(const FilePath& base, const FilePath& path) {
    if (path.Bytes().startsWith('/')) return Cleaned(path);
    return Cleaned(base.Joined(path.Bytes()));
}

bool IsFolder(const FilePath& path) {
    struct stat status {};
    return ::stat(path.Bytes().constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;

// Draws each folder item shifted right by its depth, so the path reads as a staircase.
class IndentingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.adjust(Indent(option, index), 0, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(Indent(option, index), 0);
    }

private:
    static int Indent(const QStyleOptionViewItem& option, const QModelIndex& index) {
        return index.data(kLevelRole).toInt() * option.fontMetrics.averageCharWidth() * 2;
    }
};

}  // namespace

QList<Volume> OfferedVolumes(const QList<Mount>& mounts) {
    // Keyed by mount point: a later mount on the same point hides the earlier one.
    QMap<QString, Volume> chosen;
    chosen.insert(QStringLiteral("/"), Volume{QStringLiteral("/"), {}});
    for (const Mount& mount : mounts) {
        const QString mountPoint = QDir::cleanPath(mount.mountPoint);
        if (mountPoint == QLatin1String("/")) {
            chosen[mountPoint].label = mount.label;
            continue;
        }
        if (!IsOfferedMountPoint(mountPoint)) continue;
        if (IsPseudoFileSystem(mount.fileSystemType)) {
            chosen.remove(mountPoint);
            continue;
        }
        const QString label =
            mount.label.isEmpty() ? mountPoint.section(QLatin1Char('/'), -1) : mount.label;
        chosen.insert(mountPoint, Volume{mountPoint, label});
    }
    return chosen.values();
}

QList<Volume> BrowsableVolumes() {
    QList<Mount> mounts;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        mounts.append({volume.rootPath(), volume.fileSystemType(), volume.name()});
    }
    return OfferedVolumes(mounts);
}

QString VolumeText(const Volume& volume) {
    if (volume.label.isEmpty()) return volume.mountPoint + QStringLiteral("  ");
    return volume.mountPoint + QStringLiteral(" [") + volume.label + QLatin1Char(']');
}

int VolumeIndexFor(const QList<Volume>& volumes, const QString& path) {
    const QString cleaned = QDir::cleanPath(path);
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < volumes.size(); ++i) {
        const QString mountPoint = QDir::cleanPath(volumes[i].mountPoint);
        const bool holds =
            mountPoint == QLatin1String("/")
                ? cleaned.startsWith(QLatin1Char('/'))
                : cleaned == mountPoint || cleaned.startsWith(mountPoint + QLatin1Char('/'));
        if (holds && mountPoint.size() > bestLength) {
            best = i;
            bestLength = mountPoint.size();
        }
    }
    return best;
}

// ---- Drive list ----

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent), TwipsGeometry(this) {
    Refill(QDir::currentPath());
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index < 0 || index == shown_) return;
        shown_ = index;
        emit Change();
    });
}

QString DriveListBox::Drive() const {
    const int index = currentIndex();
    return index >= 0 && index < volumes_.size() ? volumes_[index].mountPoint : QStringLiteral("/");
}

void DriveListBox::ShowVolumeOf(const QString& path) {
    Select(VolumeIndexFor(volumes_, path));
}

QString DriveListBox::FolderToShowFor(const QString& mountPoint) const {
    QString current = QDir::currentPath();
    const int index = VolumeIndexFor(volumes_, current);
    if (index >= 0 && volumes_[index].mountPoint == QDir::cleanPath(mountPoint)) return current;
    return mountPoint;
}

// Volumes come and go (a stick plugged in after start), so the list is read again each time it
// drops down.
void DriveListBox::showPopup() {
    Refill(Drive());
    QComboBox::showPopup();
}

void DriveListBox::Refill(const QString& keepPath) {
    volumes_ = BrowsableVolumes();
    clear();
    for (const Volume& volume : volumes_) addItem(VolumeText(volume));
    Select(VolumeIndexFor(volumes_, keepPath));
}

void DriveListBox::Select(int index) {
    if (index < 0) return;
    setCurrentIndex(index);
    shown_ = index;
}

// ---- Folder list ----

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent), TwipsGeometry(this) {
    setItemDelegate(new IndentingDelegate(this));
    path_ = Cleaned(FilePath::FromText(QDir::currentPath()));
    Refill();
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const FilePath target(item->data(kPathRole).toByteArray());
        SetPath(target);  // refills the list, so `item` is gone after this
    });
}

bool DirListBox::SetPath(const FilePath& path) {
    if (path.IsEmpty()) return false;
    const FilePath target = ResolveAgainst(path_, path);
    // A folder the lists can show: it exists and its entries can be read.
    if (!IsFolder(target) || !ListFolder(target)) return false;
    path_ = target;
    Refill();
    emit Change();
    return true;
}

void DirListBox::Refill() {
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto add = [this](const QIcon& icon, const QByteArray& name, const FilePath& path,
                            int level) {
        auto* item = new QListWidgetItem(icon, DisplayName(name), this);
        item->setData(kPathRole, path.Bytes());
        item->setData(kLevelRole, level);
    };

    const QList<QByteArray> parts = path_.Bytes().split('/');
    FilePath sofar("/");
    add(open, "/", sofar, 0);
    int level = 0;
    for (const QByteArray& part : parts) {
        if (part.isEmpty()) continue;
        sofar = ResolveAgainst(sofar, FilePath(part));
        add(open, part, sofar, ++level);
    }
    const int currentRow = count() - 1;

    QList<QByteArray> below = ListFolder(path_).value_or(FolderEntries{}).folders;
    SortByDisplayName(below);
    for (const QByteArray& name : below) add(closed, name, path_.Joined(name), level + 1);

    setCurrentRow(currentRow);
    scrollToItem(item(currentRow));
}

// ---- File list ----

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent), TwipsGeometry(this) {
    path_ = Cleaned(FilePath::FromText(QDir::currentPath()));
    Refill();
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!quiet_ && row >= 0) emit Click();
    });
    // A click on the entry that is already selected does not move the selection, yet it is a
    // selection all the same.
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* clicked) {
        if (row(clicked) == rowBeforePress_) emit Click();
    });
}

void FileListBox::SetPattern(const QString& pattern) {
    pattern_ = pattern;
    Refill();
}

void FileListBox::SetPath(const FilePath& path) {
    path_ = ResolveAgainst(path_, path);
    Refill();
}

QByteArray FileListBox::List(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry ? entry->data(kPathRole).toByteArray() : QByteArray();
}

void FileListBox::Refill() {
    QScopedValueRollback<bool> quiet(quiet_, true);
    clear();
    const QList<QByteArray> names = ListFolder(path_).value_or(FolderEntries{}).files;
    for (const QByteArray& name : MatchingFileNames(names, pattern_)) {
        auto* item = new QListWidgetItem(DisplayName(name), this);
        item->setData(kPathRole, name);
    }
}

void FileListBox::mousePressEvent(QMouseEvent* event) {
    rowBeforePress_ = currentRow();
    QListWidget::mousePressEvent(event);
}

// Tabbing into the list makes its first entry current without selecting it; that is not the
// user choosing a file.
void FileListBox::focusInEvent(QFocusEvent* event) {
    QScopedValueRollback<bool> quiet(quiet_, true);
    QListWidget::focusInEvent(event);
}

// Written with opendir and readdir rather than QDir: QDir hands out names as text, and a name
// that is not UTF-8 comes back as other bytes that open nothing.
std::optional<FolderEntries> ListFolder(const FilePath& folder) {
    DIR* dir = ::opendir(folder.Bytes().constData());
    if (!dir) return std::nullopt;
    FolderEntries entries;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith('.')) continue;
        bool isFile = entry->d_type == DT_REG;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // What a link leads to, or what a file system that does not say holds.
            struct stat status {};
            if (::fstatat(::dirfd(dir), entry->d_name, &status, 0) == 0) {
                isFile = S_ISREG(status.st_mode);
                isFolder = S_ISDIR(status.st_mode);
            }
        }
        if (isFile) entries.files.append(name);
        if (isFolder) entries.folders.append(name);
    }
    ::closedir(dir);
    return entries;
}

QList<QByteArray> MatchingFileNames(const QList<QByteArray>& names, const QString& pattern) {
    QStringList patterns;
    for (const QString& part : pattern.split(QLatin1Char(';'))) {
        const QString trimmed = part.trimmed();
        if (trimmed.isEmpty()) continue;
        patterns.append(trimmed);
        // A pattern ending in ".*" also takes names without any extension, so "*.*" lists
        // every file.
        if (trimmed.endsWith(QLatin1String(".*"))) patterns.append(trimmed.chopped(2));
    }
    QList<QByteArray> matching;
    for (const QByteArray& name : names) {
        if (name.contains('\n') || name.contains('\r')) continue;
        if (QDir::match(patterns, DisplayName(name))) matching.append(name);
    }
    SortByDisplayName(matching);
    return matching;
}

}  // namespace platform
