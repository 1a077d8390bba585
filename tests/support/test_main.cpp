#include <gtest/gtest.h>

#include <clocale>

#include "support/test_locale.h"

// Tests without windows run in the environment's locale, as the program does.
int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    if (!test_support::TakeTestLocale()) return test_support::kSkipped;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
