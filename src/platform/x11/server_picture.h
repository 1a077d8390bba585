#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <memory>

class QWidget;

namespace platform {

// A picture kept in the X server, as it is and dimmed, for a window to show without its pixels
// crossing the connection: the screen frozen for a capture. Copying the root window into a
// pixmap costs the server one copy in its own memory, where fetching the frame and sending it
// back to be shown costs two trips of every pixel through the socket. Freed with the object.
class ServerPicture {
public:
    // The root window's pixels of `device` (the X screen's device pixels), copied at once.
    static std::shared_ptr<const ServerPicture> FromRoot(const QRect& device);
    // `pixels` sent to the server once.
    static std::shared_ptr<const ServerPicture> FromImage(const QImage& pixels);
    // Either is null off X11, where the root window's visual is not 8-bit RGB in 32-bit pixels,
    // or when the server has no memory for it.

    ~ServerPicture();
    ServerPicture(const ServerPicture&) = delete;
    ServerPicture& operator=(const ServerPicture&) = delete;

    QSize Size() const { return size_; }
    // The root window's depth, which a window showing the picture must have.
    int Depth() const { return depth_; }
    // The pixels of `part`, in the picture's own coordinates, fetched from the server; what lies
    // outside the picture is black. Null when the server does not answer.
    QImage Read(const QRect& part) const;
    // Copies `part` of the picture, dimmed or as it is, onto the same place of `window`, whose
    // native X window has the picture's depth.
    void Show(const QWidget* window, const QRect& part, bool dimmed) const;

private:
    ServerPicture(QSize size, int depth);
    // An empty picture of `size` at the root window's depth, its pixmaps made; null off X11,
    // for another root visual, or when the server refuses the pixmaps.
    static std::shared_ptr<ServerPicture> Create(QSize size);
    // Copies the picture into its dimmed twin and darkens that.
    void MakeDimmed() const;

    QSize size_;
    int depth_ = 0;
    uint32_t pixels_ = 0, dimmed_ = 0, context_ = 0;
};

}  // namespace platform
