#include "platform/x11/top_windows.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "platform/x11/atoms.h"

namespace platform {

namespace {

constexpr uint32_t kEveryWorkspace = 0xFFFFFFFF;

template <typename Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
Owned<Reply> Own(Reply* reply) {
    return Owned<Reply>(reply, &std::free);
}

// The 32-bit items of a property reply of `type`; empty for anything else.
std::vector<uint32_t> Items(xcb_get_property_reply_t* reply, xcb_atom_t type) {
    if (!reply || reply->format != 32 || reply->type != type) return {};
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
    return {data, data + xcb_get_property_value_length(reply) / 4};
}

// Left, right, top, bottom, as both extents properties give them. A width beyond any screen is
// a lie, taken as no extents at all.
std::optional<QMargins> Extents(const std::vector<uint32_t>& widths) {
    constexpr uint32_t kWidest = 0x7FFF;
    if (widths.size() != 4 ||
        std::any_of(widths.begin(), widths.end(), [](uint32_t w) { return w > kWidest; })) {
        return std::nullopt;
    }
    return QMargins(int(widths[0]), int(widths[2]), int(widths[1]), int(widths[3]));
}

struct Atoms {
    xcb_atom_t stacking, frame, shadows, state, hidden, desktop, current;
};

// Asks for everything about every window first and reads the answers after: one wait for the
// server instead of one for each question.
std::vector<TopWindowFacts> ReadFacts(xcb_connection_t* connection, xcb_window_t root,
                                      const std::vector<uint32_t>& windows, const Atoms& atoms,
                                      bool managed) {
    struct Asked {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t place;
        xcb_get_property_cookie_t frame, shadows, state, desktop;
    };
    std::vector<Asked> asked;
    asked.reserve(windows.size());
    for (const uint32_t window : windows) {
        const auto property = [&](xcb_atom_t name, xcb_atom_t type) {
            return xcb_get_property(connection, 0, window, name, type, 0, 16);
        };
        asked.push_back(
            {xcb_get_window_attributes(connection, window), xcb_get_geometry(connection, window),
             xcb_translate_coordinates(connection, window, root, 0, 0),
             property(atoms.frame, XCB_ATOM_CARDINAL), property(atoms.shadows, XCB_ATOM_CARDINAL),
             property(atoms.state, XCB_ATOM_ATOM), property(atoms.desktop, XCB_ATOM_CARDINAL)});
    }
    std::vector<TopWindowFacts> facts;
    facts.reserve(windows.size());
    for (size_t i = 0; i < windows.size(); ++i) {
        const Asked& a = asked[i];
        const auto attributes =
            Own(xcb_get_window_attributes_reply(connection, a.attributes, nullptr));
        const auto geometry = Own(xcb_get_geometry_reply(connection, a.geometry, nullptr));
        const auto place = Own(xcb_translate_coordinates_reply(connection, a.place, nullptr));
        const auto frame = Own(xcb_get_property_reply(connection, a.frame, nullptr));
        const auto shadows = Own(xcb_get_property_reply(connection, a.shadows, nullptr));
        const auto state = Own(xcb_get_property_reply(connection, a.state, nullptr));
        const auto desktop = Own(xcb_get_property_reply(connection, a.desktop, nullptr));
        // Gone meanwhile; without a window manager, menus and tooltips and input-only windows
        // are no one's window.
        if (!attributes || !geometry || !place) continue;
        if (!managed && (attributes->override_redirect ||
                         attributes->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT)) {
            continue;
        }
        TopWindowFacts window;
        window.id = windows[i];
        window.client = QRect(place->dst_x, place->dst_y, geometry->width, geometry->height);
        window.frame = Extents(Items(frame.get(), XCB_ATOM_CARDINAL));
        window.drawnShadows = Extents(Items(shadows.get(), XCB_ATOM_CARDINAL));
        window.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        const std::vector<uint32_t> states = Items(state.get(), XCB_ATOM_ATOM);
        window.hidden = atoms.hidden != XCB_ATOM_NONE &&
                        std::find(states.begin(), states.end(), atoms.hidden) != states.end();
        const std::vector<uint32_t> workspace = Items(desktop.get(), XCB_ATOM_CARDINAL);
        if (!workspace.empty()) window.workspace = workspace.front();
        facts.push_back(window);
    }
    return facts;
}

}  // namespace

std::vector<TopWindow> ShownWindows(const std::vector<TopWindowFacts>& facts,
                                    std::optional<uint32_t> current) {
    std::vector<TopWindow> shown;
    for (const TopWindowFacts& window : facts) {
        if (!window.viewable || window.hidden) continue;
        if (current && window.workspace && *window.workspace != kEveryWorkspace &&
            *window.workspace != *current) {
            continue;
        }
        const QRect client = window.client.marginsRemoved(window.drawnShadows.value_or(QMargins()));
        if (client.isEmpty()) continue;
        shown.push_back(
            {window.id, client.marginsAdded(window.frame.value_or(QMargins())), client});
    }
    return shown;
}

const TopWindow* TopmostAt(const std::vector<TopWindow>& windows, QPoint point) {
    const auto found = std::find_if(windows.rbegin(), windows.rend(), [point](const TopWindow& w) {
        return w.framed.contains(point);
    });
    return found == windows.rend() ? nullptr : &*found;
}

std::optional<std::vector<TopWindow>> ReadTopWindows() {
    xcb_connection_t* connection = x11::Connection();
    if (!connection) return std::nullopt;
    const xcb_window_t root = x11::RootWindow(connection);
    if (root == XCB_WINDOW_NONE) return std::nullopt;
    // Interned once: the program has one X connection.
    static const Atoms atoms{x11::Atom(connection, "_NET_CLIENT_LIST_STACKING"),
                             x11::Atom(connection, "_NET_FRAME_EXTENTS"),
                             x11::Atom(connection, "_GTK_FRAME_EXTENTS"),
                             x11::Atom(connection, "_NET_WM_STATE"),
                             x11::Atom(connection, "_NET_WM_STATE_HIDDEN"),
                             x11::Atom(connection, "_NET_WM_DESKTOP"),
                             x11::Atom(connection, "_NET_CURRENT_DESKTOP")};
    std::vector<uint32_t> windows =
        x11::Property32(connection, root, atoms.stacking, XCB_ATOM_WINDOW);
    const bool managed = !windows.empty();
    if (!managed) {
        // No window manager: the root's children, bottom-most first, as the server stacks them.
        const auto tree =
            Own(xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr));
        if (!tree) return std::nullopt;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        windows.assign(children, children + xcb_query_tree_children_length(tree.get()));
    }
    const std::vector<uint32_t> current =
        x11::Property32(connection, root, atoms.current, XCB_ATOM_CARDINAL);
    return ShownWindows(ReadFacts(connection, root, windows, atoms, managed),
                        current.empty() ? std::nullopt : std::optional(current.front()));
}

}  // namespace platform
