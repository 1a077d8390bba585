#pragma once

class QIcon;
class QImage;

namespace forms {

// The program's icon: a white sheet with two red pins at its top corners and a folded
// lower-right corner, the short name on it in two lines, dark blue over red; 32 x 32, 16 colours.
QImage ProgramIconImage();
QIcon ProgramIcon();

}  // namespace forms
