#pragma once

class QString;

namespace platform {

// The general conversion of a number to text used for geometry in the picture list and the
// data file: no leading blank, "-" for negatives, "." always, no trailing zeros, exponent form
// ("1E+15", "1.5E-05") beyond the type's significant digits: 7 for single precision, 15 for
// double precision. Minus zero gives "0".
QString NumberText(float value);
QString NumberText(double value);

}  // namespace platform
