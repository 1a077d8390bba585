#include "platform/x11/visibility.h"

#include <xcb/xcb.h>
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QWidget>

#include <cstdlib>
#include <memory>

#include "platform/x11/atoms.h"

namespace platform {

class ObscuredWatch::Filter : public QAbstractNativeEventFilter {
public:
    explicit Filter(ObscuredWatch* watch) : watch_(watch) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "xcb_generic_event_t" || window_ == XCB_WINDOW_NONE) return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_VISIBILITY_NOTIFY) {
            const auto* visibility = reinterpret_cast<const xcb_visibility_notify_event_t*>(event);
            if (visibility->window == window_) {
                watch_->Report(visibility->state == XCB_VISIBILITY_FULLY_OBSCURED);
            }
        } else if (type == XCB_UNMAP_NOTIFY) {
            // An unmapped window gets no reports; the next map brings a fresh one.
            if (reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window == window_) {
                watch_->Report(false);
            }
        }
        return false;
    }

    ObscuredWatch* watch_;
    xcb_window_t window_ = XCB_WINDOW_NONE;
};

ObscuredWatch::ObscuredWatch(QWidget* window)
    : QObject(window), window_(window), filter_(std::make_unique<Filter>(this)) {
    if (x11::Connection()) QCoreApplication::instance()->installNativeEventFilter(filter_.get());
}

ObscuredWatch::~ObscuredWatch() {
    if (QCoreApplication::instance()) {
        QCoreApplication::instance()->removeNativeEventFilter(filter_.get());
    }
}

void ObscuredWatch::Select() {
    xcb_connection_t* connection = x11::Connection();
    if (!connection) return;
    const auto window = xcb_window_t(window_->winId());
    filter_->window_ = window;
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window),
                                        nullptr),
        &std::free);
    if (!attributes) return;
    // The event mask is this client's own: add to what Qt chose, keep the rest.
    if (attributes->your_event_mask & XCB_EVENT_MASK_VISIBILITY_CHANGE) return;
    const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
    xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
}

void ObscuredWatch::Report(bool obscured) {
    if (obscured == obscured_) return;
    obscured_ = obscured;
    emit changed();
}

}  // namespace platform
