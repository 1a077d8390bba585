#include "platform/file_lists.h"

#include <dirent.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>

namespace platform {
namespace {

// File systems that hold no user files: kernel interfaces, memory-backed scratch space and
// read-only package images. A volume of one of these is never offered, except "/" itself,
// which in a container is often an overlay.
bool IsPseudoFileSystem(const QString& type) {
    static const QStringList kPseudo =
        QStringLiteral(
            "proc sysfs tmpfs devtmpfs devpts securityfs debugfs tracefs pstore bpf mqueue "
            "hugetlbfs configfs fusectl autofs binfmt_misc efivarfs ramfs rpc_pipefs nsfs squashfs "
            "overlay selinuxfs nfsd fuse.gvfsd-fuse fuse.portal fuse.snapfuse")
            .split(QLatin1Char(' '));
    return type.startsWith(QLatin1String("cgroup")) || kPseudo.contains(type);
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

// The kernel writes blanks, tabs, line breaks and backslashes in mountinfo fields as three-digit
// octal escapes ("\040").
QString DecodeMountField(const QString& field) {
    const QByteArray in = field.toUtf8();
    QByteArray out;
    out.reserve(in.size());
    const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 3 < in.size() && isOctal(in[i + 1]) && isOctal(in[i + 2]) &&
            isOctal(in[i + 3])) {
            out += char(((in[i + 1] - '0') << 6) | ((in[i + 2] - '0') << 3) | (in[i + 3] - '0'));
            i += 3;
        } else {
            out += in[i];
        }
    }
    return QString::fromUtf8(out);
}

// udev writes unsafe characters of a label as "\xHH" in the names under /dev/disk/by-label.
QString DecodeUdevName(const QString& name) {
    const QByteArray in = QFile::encodeName(name);
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        bool ok = false;
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            const int value = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out += char(value);
                i += 3;
                continue;
            }
        }
        out += in[i];
    }
    return QString::fromUtf8(out);
}

QString LastPathPart(const QString& path) {
    return path.section(QLatin1Char('/'), -1);
}

bool CaseInsensitiveLess(const QString& a, const QString& b) {
    const int byCase = QString::compare(a, b, Qt::CaseInsensitive);
    return byCase != 0 ? byCase < 0 : a < b;
}

// "*" is any run of characters, "?" any one; both sides are already case-folded.
bool WildcardMatches(QStringView pattern, QStringView name) {
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype star = -1;
    qsizetype resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == QLatin1Char('?') || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            star = p++;
            resume = n;
        } else if (star >= 0) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*')) ++p;
    return p == pattern.size();
}

// A pattern ending in ".*" also takes names without any extension, so "*.*" lists every file.
bool PatternMatches(const QString& pattern, const QString& foldedName) {
    return WildcardMatches(pattern, foldedName) ||
           (pattern.endsWith(QLatin1String(".*")) &&
            WildcardMatches(pattern.chopped(2), foldedName));
}

// A folder the lists can show: it exists, may be entered and its entries can be read.
bool IsListableFolder(const QString& path) {
    const QFileInfo info(path);
    if (!info.isDir() || !info.isExecutable()) return false;
    DIR* dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir) return false;
    ::closedir(dir);
    return true;
}

QString ResolveAgainst(const QString& base, const QString& path) {
    return QDir::cleanPath(QDir(base).absoluteFilePath(path));
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

QList<Volume> VolumesFromMountInfo(const QString& mountinfo, const DeviceLabelLookup& labelOf) {
    const auto labelFor = [&labelOf](const QString& device) {
        return labelOf && !device.isEmpty() ? labelOf(device) : QString();
    };
    // Keyed by mount point: a later mount on the same point hides the earlier one.
    QMap<QString, Volume> chosen;
    chosen.insert(QStringLiteral("/"), Volume{QStringLiteral("/"), {}});
    const QStringList lines = mountinfo.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        // id parent major:minor root mount-point options [optional...] - type source super-options
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const qsizetype separator = fields.indexOf(QStringLiteral("-"), 6);
        if (fields.size() < 6 || separator < 0 || separator + 1 >= fields.size()) continue;
        const QString mountPoint = QDir::cleanPath(DecodeMountField(fields[4]));
        const QString& type = fields[separator + 1];
        const QString device =
            separator + 2 < fields.size() ? DecodeMountField(fields[separator + 2]) : QString();
        if (mountPoint == QLatin1String("/")) {
            chosen[mountPoint].label = labelFor(device);
            continue;
        }
        if (!IsOfferedMountPoint(mountPoint)) continue;
        if (IsPseudoFileSystem(type)) {
            chosen.remove(mountPoint);
            continue;
        }
        QString label = labelFor(device);
        if (label.isEmpty()) label = LastPathPart(mountPoint);
        chosen.insert(mountPoint, Volume{mountPoint, label});
    }
    return chosen.values();
}

QList<Volume> BrowsableVolumes() {
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly)) return {Volume{QStringLiteral("/"), {}}};
    const QString mountinfo = QString::fromUtf8(file.readAll());

    // The label links point at the device nodes; compare those with symbolic links resolved, as
    // a volume may be mounted through /dev/mapper or /dev/disk aliases.
    QHash<QString, QString> labelByDevice;
    const QDir byLabel(QStringLiteral("/dev/disk/by-label"));
    const QFileInfoList links =
        byLabel.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& link : links) {
        const QString device = link.canonicalFilePath();
        if (!device.isEmpty()) labelByDevice.insert(device, DecodeUdevName(link.fileName()));
    }
    return VolumesFromMountInfo(mountinfo, [&labelByDevice](const QString& device) {
        if (labelByDevice.isEmpty()) return QString();
        const QString resolved = QFileInfo(device).canonicalFilePath();
        return labelByDevice.value(resolved.isEmpty() ? device : resolved);
    });
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
    const QString current = QDir::currentPath();
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
    path_ = QDir::cleanPath(QDir::currentPath());
    Refill();
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const QString target = item->data(kPathRole).toString();
        SetPath(target);  // refills the list, so `item` is gone after this
    });
}

bool DirListBox::SetPath(const QString& path) {
    if (path.isEmpty()) return false;
    const QString target = ResolveAgainst(path_, path);
    if (!IsListableFolder(target)) return false;
    path_ = target;
    Refill();
    emit Change();
    return true;
}

void DirListBox::Refill() {
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const auto add = [this](const QIcon& icon, const QString& text, const QString& path,
                            int level) {
        auto* item = new QListWidgetItem(icon, text, this);
        item->setData(kPathRole, path);
        item->setData(kLevelRole, level);
    };

    const QStringList parts = path_.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString sofar = QStringLiteral("/");
    add(open, sofar, sofar, 0);
    for (int level = 0; level < parts.size(); ++level) {
        sofar = ResolveAgainst(sofar, parts[level]);
        add(open, parts[level], sofar, level + 1);
    }
    const int currentRow = count() - 1;

    QStringList below = QDir(path_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    std::sort(below.begin(), below.end(), CaseInsensitiveLess);
    for (const QString& name : below)
        add(closed, name, ResolveAgainst(path_, name), int(parts.size()) + 1);

    setCurrentRow(currentRow);
    scrollToItem(item(currentRow));
}

// ---- File list ----

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent), TwipsGeometry(this) {
    path_ = QDir::cleanPath(QDir::currentPath());
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

void FileListBox::SetPath(const QString& path) {
    path_ = ResolveAgainst(path_, path);
    Refill();
}

QString FileListBox::List(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry ? entry->text() : QString();
}

void FileListBox::Refill() {
    QScopedValueRollback<bool> quiet(quiet_, true);
    clear();
    QStringList names;
    const QFileInfoList entries = QDir(path_).entryInfoList(QDir::Files, QDir::Unsorted);
    for (const QFileInfo& entry : entries) {
        if (entry.isFile()) names.append(entry.fileName());
    }
    addItems(MatchingFileNames(names, pattern_));
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

QStringList MatchingFileNames(const QStringList& names, const QString& pattern) {
    QStringList patterns;
    for (const QString& part : pattern.split(QLatin1Char(';'))) {
        const QString trimmed = part.trimmed();
        if (!trimmed.isEmpty()) patterns.append(trimmed.toCaseFolded());
    }
    QStringList matching;
    for (const QString& name : names) {
        if (name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r'))) continue;
        const QString folded = name.toCaseFolded();
        if (std::any_of(patterns.cbegin(), patterns.cend(),
                        [&folded](const QString& p) { return PatternMatches(p, folded); })) {
            matching.append(name);
        }
    }
    std::sort(matching.begin(), matching.end(), CaseInsensitiveLess);
    return matching;
}

}  // namespace platform
