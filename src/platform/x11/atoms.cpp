#include "platform/x11/atoms.h"

#include <xcb/xcb.h>
#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace platform::x11 {

xcb_connection_t* Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

uint32_t Atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : uint32_t(XCB_ATOM_NONE);
}

int ScreenNumber() {
    // Qt connects to the display $DISPLAY names, and puts its windows on that display's screen.
    char* host = nullptr;
    int display = 0, screen = 0;
    if (!xcb_parse_display(nullptr, &host, &display, &screen)) return 0;
    std::free(host);
    return screen;
}

const xcb_screen_t* Screen(xcb_connection_t* connection) {
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = ScreenNumber(); i > 0 && screens.rem > 1; --i) xcb_screen_next(&screens);
    return screens.rem ? screens.data : nullptr;
}

uint32_t RootWindow(xcb_connection_t* connection) {
    const xcb_screen_t* screen = Screen(connection);
    return screen ? screen->root : uint32_t(XCB_WINDOW_NONE);
}

std::vector<uint32_t> Property32(xcb_connection_t* connection, uint32_t window, uint32_t property,
                                 uint32_t type) {
    std::vector<uint32_t> items;
    xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, property, type, 0, 1024);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (reply && reply->format == 32 && reply->type == type) {
        const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
        items.assign(data, data + xcb_get_property_value_length(reply.get()) / 4);
    }
    return items;
}

void SendToWindowManager(xcb_connection_t* connection, uint32_t window, uint32_t type,
                         const std::vector<uint32_t>& data) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = type;
    std::copy_n(data.begin(), std::min<size_t>(data.size(), 5), message.data.data32);
    xcb_send_event(connection, 0, RootWindow(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}

}  // namespace platform::x11
