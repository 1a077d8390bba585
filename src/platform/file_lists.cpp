#include "platform/file_lists.h"

// Placeholder: filled in with the browser.
namespace platform {

QList<Volume> BrowsableVolumes() { return {{QStringLiteral("/"), {}}}; }
int VolumeIndexFor(const QList<Volume>&, const QString&) { return 0; }

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent), TwipsGeometry(this) {}
QString DriveListBox::Drive() const { return QStringLiteral("/"); }
void DriveListBox::ShowVolumeOf(const QString&) {}
QString DriveListBox::FolderToShowFor(const QString& mountPoint) const { return mountPoint; }

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent), TwipsGeometry(this) {}
bool DirListBox::SetPath(const QString& path) {
    path_ = path;
    emit Change();
    return true;
}
void DirListBox::Refill() {}

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent), TwipsGeometry(this) {}
void FileListBox::SetPattern(const QString& pattern) { pattern_ = pattern; }
void FileListBox::SetPath(const QString& path) { path_ = path; }
QString FileListBox::List(int index) const { return item(index) ? item(index)->text() : QString(); }
void FileListBox::Refill() {}

QStringList MatchingFileNames(const QStringList& names, const QString&) { return names; }

}  // namespace platform
