#pragma once

#include <gtest/gtest.h>

namespace test_support {

// The exit status by which a test program tells ctest that it skipped itself; every test here
// has it as its SKIP_RETURN_CODE (tests/CMakeLists.txt, tests/e2e/CMakeLists.txt).
inline constexpr int kSkippedExitCode = 77;

// Runs the selected tests. A program whose tests all skipped themselves (a tool or a window
// manager missing) would pass with status 0; it exits with kSkippedExitCode instead, so that
// ctest lists it as skipped and not as passed. A failure, or any test that ran, keeps the
// ordinary status.
inline int RunAllTestsReportingSkips() {
    const int result = RUN_ALL_TESTS();
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    const bool allSkipped =
        unit.test_to_run_count() > 0 && unit.skipped_test_count() == unit.test_to_run_count();
    return result == 0 && allSkipped ? kSkippedExitCode : result;
}

}  // namespace test_support
