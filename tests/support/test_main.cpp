#include <gtest/gtest.h>

#include "support/skip_status.h"

// Tests without windows: GoogleTest's own main, with skips reported to ctest.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return test_support::RunAllTestsReportingSkips();
}
