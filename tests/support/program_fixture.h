#pragma once

#include <memory>

#include "support/board_fixture.h"

namespace app {
class Program;
}
namespace display_window {
class DisplayWindow;
}
namespace main_window {
class MainWindow;
}

// The whole program started in the board fixture's temporary folder; "終了" only sets `ended`.
class ProgramTest : public BoardTest {
protected:
    ProgramTest();
    ~ProgramTest() override;

    pin_board::PinBoard& Board() const override;
    main_window::MainWindow& Main() const;
    display_window::DisplayWindow& Display() const;
    bool MainWindowShown() const;

    std::unique_ptr<app::Program> program;
    bool ended = false;

private:
    void Launch() override;
    void Stop() override;
};
