#include "support/program_fixture.h"

#include <QApplication>

#include "app/program.h"
#include "display_window/display_window.h"
#include "main_window/main_window.h"

ProgramTest::ProgramTest() = default;
ProgramTest::~ProgramTest() = default;

void ProgramTest::Launch() {
    program = std::make_unique<app::Program>(dataFile, thumbnailFolder);
    program->SetQuitAction([this] { ended = true; });
    program->Start();
}

void ProgramTest::Stop() {
    program.reset();
}

pin_board::PinBoard& ProgramTest::Board() const {
    return program->Board();
}

main_window::MainWindow& ProgramTest::Main() const {
    return program->MainWindow();
}

display_window::DisplayWindow& ProgramTest::Display() const {
    return program->DisplayWindow();
}

bool ProgramTest::MainWindowShown() const {
    return Main().isVisible();
}
