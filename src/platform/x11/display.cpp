#include "platform/x11/display.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>

namespace platform {

void ChooseWindowSystem() {
    if (std::getenv("QT_QPA_PLATFORM")) return;
    if (std::getenv("WAYLAND_DISPLAY") || std::getenv("DISPLAY")) {
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    }
}

bool DisplayReachable() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && std::string_view(platform) != "xcb") return true;
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

}  // namespace platform
