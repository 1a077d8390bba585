#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "support/skip_status.h"
#include "support/test_locale.h"

// Window tests drive the real windows on Qt's offscreen platform.
int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    if (!test_support::TakeTestLocale()) return test_support::kSkippedExitCode;
    ::testing::InitGoogleTest(&argc, argv);
    return test_support::RunAllTestsReportingSkips();
}
