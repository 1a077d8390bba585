#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A file name as the file system holds it: bytes. Linux file names need not be UTF-8 (archives
// from other systems leave Shift-JIS or Latin-1 names behind), and a name that went through a
// QString comes back as other bytes, naming no file. Paths stay bytes from the folder listing
// through the picture list to the data file; only what is shown to the user is text.
namespace platform {

class FilePath {
public:
    FilePath() = default;
    explicit FilePath(QByteArray bytes) : bytes_(std::move(bytes)) {}
    // A path typed or produced as text (mount points, the current folder): its UTF-8 bytes.
    static FilePath FromText(const QString& text);

    const QByteArray& Bytes() const { return bytes_; }
    bool IsEmpty() const { return bytes_.isEmpty(); }

    // The path for people to read: UTF-8 where it is valid, else Shift-JIS (CP932) where that
    // decodes cleanly, else UTF-8 with each undecodable byte written as "\xHH".
    QString DisplayText() const;

    // This path, "/", and `name`: the separator is inserted whatever the path ends in.
    FilePath Joined(const QByteArray& name) const { return FilePath(bytes_ + '/' + name); }
    // The last part of the path, after the last "/".
    QByteArray FileName() const;
    // The folder that holds the file: the path before the last "/", a final "/" dropped first;
    // "/" for a file at the root, "." (the current folder) for a name without a "/".
    FilePath Folder() const;

    bool EndsWith(char c) const { return bytes_.endsWith(c); }
    void Chop(qsizetype n) { bytes_.chop(n); }

    bool operator==(const FilePath&) const = default;

private:
    QByteArray bytes_;
};

// A name's bytes as text for people to read, by the rule of FilePath::DisplayText.
QString DisplayName(const QByteArray& bytes);

// The local files a text/uri-list names (what a file manager drags), in its order: "file:"
// URIs without a host or with this machine's, their paths as the bytes the percent-encoding
// spells, so that names that are not UTF-8 arrive intact. Comments, other schemes and
// malformed entries are left out.
QList<FilePath> LocalFilesOfUriList(const QByteArray& uriList);

}  // namespace platform
