#pragma once

// Starting the program at login, by an XDG Autostart desktop entry of its own.
namespace app {

// Writes the entry that starts this program with --user-data at login, or removes it; prints
// what it did and returns the exit status. Needs no display.
int SetStartAtLogin(bool on);
// Whether the entry is there.
bool StartsAtLogin();

}  // namespace app
