#include "platform/x11/server_picture.h"

#include <xcb/render.h>
#include <xcb/xcb.h>

#include <QPainter>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>

#include "platform/x11/atoms.h"
#include "platform/x11/window.h"

namespace platform {

namespace {

using x11::Connection;

// Outside the rectangle being chosen the picture shows under black of this opacity.
constexpr uint16_t kDimAlpha = 96 * 257;

// RENDER's format for pictures of `depth` whose red, green and blue bytes lie where
// QImage::Format_RGB32 keeps them; 0 when the server has no RENDER or no such format.
xcb_render_pictformat_t RgbFormat(xcb_connection_t* connection, int depth) {
    const xcb_query_extension_reply_t* render = xcb_get_extension_data(connection, &xcb_render_id);
    if (!render || !render->present) return 0;
    std::unique_ptr<xcb_render_query_pict_formats_reply_t, decltype(&std::free)> reply(
        xcb_render_query_pict_formats_reply(connection, xcb_render_query_pict_formats(connection),
                                            nullptr),
        &std::free);
    if (!reply) return 0;
    for (auto formats = xcb_render_query_pict_formats_formats_iterator(reply.get()); formats.rem;
         xcb_render_pictforminfo_next(&formats)) {
        const xcb_render_pictforminfo_t& format = *formats.data;
        const xcb_render_directformat_t& bits = format.direct;
        if (format.type == XCB_RENDER_PICT_TYPE_DIRECT && format.depth == depth &&
            bits.red_shift == 16 && bits.red_mask == 0xff && bits.green_shift == 8 &&
            bits.green_mask == 0xff && bits.blue_shift == 0 && bits.blue_mask == 0xff) {
            return format.id;
        }
    }
    return 0;
}

// The root window's depth when its pixels are Format_RGB32's; 0 otherwise.
int RootDepth(xcb_connection_t* connection) {
    const xcb_screen_t* screen = x11::Screen(connection);
    if (!screen) return 0;
    const std::optional<int> depth = Rgb32VisualDepth(screen->root_visual);
    return depth && *depth == screen->root_depth ? *depth : 0;
}

}  // namespace

ServerPicture::ServerPicture(QSize size, int depth) : size_(size), depth_(depth) {}

ServerPicture::~ServerPicture() {
    // Gone with the connection, when Qt has closed it first.
    xcb_connection_t* connection = Connection();
    if (!connection) return;
    if (pixels_) xcb_free_pixmap(connection, pixels_);
    if (dimmed_) xcb_free_pixmap(connection, dimmed_);
    if (context_) xcb_free_gc(connection, context_);
    xcb_flush(connection);
}

std::shared_ptr<ServerPicture> ServerPicture::Create(QSize size) {
    xcb_connection_t* connection = Connection();
    const int depth = connection ? RootDepth(connection) : 0;
    if (!depth || size.isEmpty()) return nullptr;
    std::shared_ptr<ServerPicture> picture(new ServerPicture(size, depth));
    const xcb_window_t root = x11::RootWindow(connection);
    // Both asked for before the first answer is awaited: one round trip.
    const auto ask = [&] {
        const xcb_pixmap_t id = xcb_generate_id(connection);
        return std::pair(
            id, xcb_create_pixmap_checked(connection, uint8_t(depth), id, root,
                                          uint16_t(size.width()), uint16_t(size.height())));
    };
    const auto take = [&](std::pair<xcb_pixmap_t, xcb_void_cookie_t> asked, uint32_t* pixmap) {
        xcb_generic_error_t* error = xcb_request_check(connection, asked.second);
        if (!error) *pixmap = asked.first;
        std::free(error);
        return !error;
    };
    const auto pixels = ask(), dimmed = ask();
    const bool made = take(pixels, &picture->pixels_);
    if (!take(dimmed, &picture->dimmed_) || !made) return nullptr;
    // Copies from the root window take its children's pixels, as the user sees them; no
    // exposure events come back.
    picture->context_ = xcb_generate_id(connection);
    const uint32_t values[] = {XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS, 0};
    xcb_create_gc(connection, picture->context_, picture->pixels_,
                  XCB_GC_SUBWINDOW_MODE | XCB_GC_GRAPHICS_EXPOSURES, values);
    return picture;
}

void ServerPicture::MakeDimmed() const {
    xcb_connection_t* connection = Connection();
    xcb_copy_area(connection, pixels_, dimmed_, context_, 0, 0, 0, 0, uint16_t(size_.width()),
                  uint16_t(size_.height()));
    // Without RENDER the picture shows undimmed; the rectangle's edges still show the choice.
    const xcb_render_pictformat_t format = RgbFormat(connection, depth_);
    if (format) {
        const xcb_render_picture_t picture = xcb_generate_id(connection);
        xcb_render_create_picture(connection, picture, dimmed_, format, 0, nullptr);
        const xcb_render_color_t shade{0, 0, 0, kDimAlpha};
        const xcb_rectangle_t all{0, 0, uint16_t(size_.width()), uint16_t(size_.height())};
        xcb_render_fill_rectangles(connection, XCB_RENDER_PICT_OP_OVER, picture, shade, 1, &all);
        xcb_render_free_picture(connection, picture);
    }
    xcb_flush(connection);
}

std::shared_ptr<const ServerPicture> ServerPicture::FromRoot(const QRect& device) {
    const std::shared_ptr<ServerPicture> picture = Create(device.size());
    if (!picture) return nullptr;
    xcb_connection_t* connection = Connection();
    xcb_copy_area(connection, x11::RootWindow(connection), picture->pixels_, picture->context_,
                  int16_t(device.x()), int16_t(device.y()), 0, 0, uint16_t(device.width()),
                  uint16_t(device.height()));
    picture->MakeDimmed();
    return picture;
}

std::shared_ptr<const ServerPicture> ServerPicture::FromImage(const QImage& pixels) {
    const std::shared_ptr<ServerPicture> picture = Create(pixels.size());
    if (!picture) return nullptr;
    PutRgb32Pixels(picture->pixels_, picture->depth_, pixels.convertToFormat(QImage::Format_RGB32),
                   {});
    picture->MakeDimmed();
    return picture;
}

QImage ServerPicture::Read(const QRect& part) const {
    const QRect inside = part & QRect(QPoint(0, 0), size_);
    if (inside == part) return GetRgb32Pixels(pixels_, part);
    QImage whole(part.size(), QImage::Format_RGB32);
    whole.fill(Qt::black);
    if (inside.isEmpty()) return whole;
    const QImage read = GetRgb32Pixels(pixels_, inside);
    if (read.isNull()) return {};
    QPainter(&whole).drawImage(inside.topLeft() - part.topLeft(), read);
    return whole;
}

void ServerPicture::Show(const QWidget* window, const QRect& part, bool dimmed) const {
    xcb_connection_t* connection = Connection();
    const auto id = xcb_window_t(window->internalWinId());
    if (!connection || !id || part.isEmpty()) return;
    xcb_copy_area(connection, dimmed ? dimmed_ : pixels_, id, context_, int16_t(part.x()),
                  int16_t(part.y()), int16_t(part.x()), int16_t(part.y()), uint16_t(part.width()),
                  uint16_t(part.height()));
    xcb_flush(connection);
}

}  // namespace platform
