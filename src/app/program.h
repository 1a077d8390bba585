#pragma once

// The program as a whole: its windows' behaviour wired together, then the start-up.
namespace app {

// Supplies the behaviour behind the four windows; tests call it too.
void InstallWindows();

// Creates the main window, runs the start-up, and shows the main window unless the start-up
// hid it. Does not enter the event loop.
void Start();

}  // namespace app
