#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include "platform/core/quit_signals.h"

namespace {

// A logout's SIGTERM and Ctrl+C's SIGINT reach the event loop as a request to quit, instead of
// ending the process unsaved.
TEST(QuitSignals, TermAndIntArriveInTheEventLoop) {
    int argc = 1;
    char name[] = "quit_signals_test";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    platform::QuitSignals quit;
    QSignalSpy received(&quit, &platform::QuitSignals::received);
    for (const int number : {SIGTERM, SIGINT}) {
        ASSERT_EQ(::raise(number), 0);
        ASSERT_TRUE(received.wait(5000)) << number;
        EXPECT_EQ(received.takeFirst().at(0).toInt(), number);
    }
}

}  // namespace
