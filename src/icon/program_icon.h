#pragma once

class QIcon;
class QImage;

namespace icon {

// The size at which the icon was designed pixel by pixel.
inline constexpr int kProgramIconDesignSize = 32;

// The program's icon: a white sheet with two red pins at its top corners and a folded
// lower-right corner, the short name on it in two lines, dark blue over red. At the design size
// it is that pixel drawing in 16 colours; at any other size the same design drawn for that size.
// Needs no QGuiApplication, so that build tools can draw it.
QImage ProgramIconImage(int size = kProgramIconDesignSize);

// The icon in the sizes window managers ask for.
QIcon ProgramIcon();

}  // namespace icon
