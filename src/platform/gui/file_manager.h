#pragma once

class QImage;

// Handing a pinned picture to the rest of the desktop: its file shown in the file manager, the
// picture itself on the clipboard.
namespace platform {

class FilePath;

// Opens the file's folder in the file manager with the file selected, through the desktop's
// file manager interface on the session bus (org.freedesktop.FileManager1); where no file
// manager offers it, or it answers with an error, the folder alone is opened with xdg-open.
// Names that are not UTF-8 go as the percent-encoded bytes of their "file://" URI. Returns
// whether either was started; a relative path is taken from the current folder.
bool ShowInFileManager(const FilePath& file);

// Puts the picture on the clipboard, for other programs to paste.
void CopyPictureToClipboard(const QImage& picture);

}  // namespace platform
