#pragma once

#include <QString>
#include <QStringList>

#include "platform/core/file_path.h"

namespace store {

// Every file and folder the program keeps beside the data file, named in this one place, always
// as absolute paths so that a list written in one run names the same files in the next, from
// whatever folder it starts.
//
// The data file and the lists beside it are the user's: any of them may be a link to a regular
// file elsewhere. The folders hold files the program makes; one that is a symbolic link is the
// user's, and nothing in it is ever moved or deleted (see IsOwnFolder).
class DataFolder {
public:
    explicit DataFolder(const QString& dataFile);

    // The data file as given, and the folder that holds it, absolute.
    const QString& DataFile() const { return dataFile_; }
    const QString& Path() const { return folder_; }

    // The user's lists.
    QString PinSettingsFile() const { return Beside(QStringLiteral("pin-settings.json")); }
    QString BoardsFile() const { return Beside(QStringLiteral("boards.json")); }
    QString RemovedPinsFile() const { return Beside(QStringLiteral("removed-pins.json")); }
    // The rectangle the last capture took, for "--capture last".
    QString LastRegionFile() const { return Beside(QStringLiteral("last-region.txt")); }
    // The program's folders: pictures taken from the clipboard or a drop, and from the screen;
    // the files of removed pins while they can be put back; recognised text; marks.
    QString PastedFolder() const { return Beside(QStringLiteral("pasted")); }
    QString CapturedFolder() const { return Beside(QStringLiteral("captured")); }
    QString RemovedFolder() const { return Beside(QStringLiteral("removed")); }
    QString TextFolder() const { return Beside(QStringLiteral("text")); }
    // The marks drawn on pins, a file for each marked pin.
    QString MarksFolder() const { return Beside(QStringLiteral("marks")); }
    // The texts that pins of pasted text were drawn from, by their pictures.
    QString KeptTextFolder() const { return Beside(QStringLiteral("kept-text")); }
    // The folders of the pictures the program makes itself: these alone may be moved or
    // deleted, and only while no pin names them.
    QStringList OwnPictureFolders() const { return {PastedFolder(), CapturedFolder()}; }

    // A path from one of the lists, relative ones read against the folder.
    platform::FilePath Resolved(const platform::FilePath& path) const;

private:
    QString Beside(const QString& name) const { return folder_ + u'/' + name; }

    QString dataFile_;
    QString folder_;
};

// Whether `folder` is one of the program's own there: a real folder (or none yet), not a
// symbolic link to one. A linked folder is the user's.
bool IsOwnFolder(const QString& folder);

}  // namespace store
