#pragma once

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace test_support {

// Some tests run a second time under the locale VELLORA_TEST_LOCALE names (a decimal-comma
// one), as the program runs once QApplication has called setlocale(LC_ALL, ""). False, after
// saying why, when that locale is not installed: the run is then skipped, not passed.
inline bool TakeTestLocale() {
    const char* wanted = std::getenv("VELLORA_TEST_LOCALE");
    if (!wanted) return true;
    if (std::setlocale(LC_ALL, wanted)) return true;
    std::printf("locale %s is not installed: skipped\n", wanted);
    return false;
}

}  // namespace test_support
