#pragma once

#include <cstdint>
#include <vector>

// xcb names its connection type after the struct; declaring the struct is enough to pass it.
struct xcb_connection_t;
struct xcb_screen_t;

// Small helpers for talking to the X server beside Qt, on Qt's own connection.
namespace platform::x11 {

// Qt's connection to the X server; null off X11 (offscreen tests, Wayland).
xcb_connection_t* Connection();

// The atom of `name`, interned if need be; 0 (None) when the server does not answer.
uint32_t Atom(xcb_connection_t* connection, const char* name);

// The number of the X screen the program's windows go to (the one $DISPLAY names), the screen
// (null when the server lists none), and its root.
int ScreenNumber();
const xcb_screen_t* Screen(xcb_connection_t* connection);
uint32_t RootWindow(xcb_connection_t* connection);

// The 32-bit items of a window property of the given type; empty when unset.
std::vector<uint32_t> Property32(xcb_connection_t* connection, uint32_t window, uint32_t property,
                                 uint32_t type);

// Asks the window manager for a change to a mapped window: a client message of the given type
// with up to five 32-bit items, sent to the root window as the window-manager hints require.
void SendToWindowManager(xcb_connection_t* connection, uint32_t window, uint32_t type,
                         const std::vector<uint32_t>& data);

}  // namespace platform::x11
