#include <gtest/gtest.h>

#include <clocale>

#include "support/skip_status.h"
#include "support/test_locale.h"

// Tests without windows run in the environment's locale, as the program does, with skips
// reported to ctest.
int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    if (!test_support::TakeTestLocale()) return test_support::kSkippedExitCode;
    ::testing::InitGoogleTest(&argc, argv);
    return test_support::RunAllTestsReportingSkips();
}
