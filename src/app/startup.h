#pragma once

namespace forms {
class Form1;
}
namespace platform {
class PictureDecodes;
class ThumbnailCache;
}  // namespace platform
namespace store {
class PictureList;
}

// Start-up: every picture recorded in the data file is put back on the desktop.
namespace app {

// The whole start-up, run before the main window is first shown: every record of the picture
// list's data file is put back on the desktop and listed, and the file is rewritten. Hides the
// main window when the file was read to its end and at least one picture came back, and says
// whether it did. Pictures are loaded through `thumbnails` when it is not null.
bool Form_Load(forms::Form1& form, store::PictureList& pictures,
               platform::ThumbnailCache* thumbnails = nullptr);

// Puts the record in the main window's cur_ fields back on the desktop in a pinned window and
// appends it to the picture list; false when the picture cannot be shown (nothing is listed).
// The picture comes from `decodes` (decoded ahead, or loaded now).
bool DispPic(forms::Form1& form, store::PictureList& pictures, platform::PictureDecodes& decodes);

}  // namespace app
