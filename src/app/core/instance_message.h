#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "platform/core/file_path.h"

// What a later start of the program says to the one already running for the same data folder,
// and what that one answers. One request and one reply per connection, each framed by its
// length: a 32-bit big-endian byte count, then the body. A body is fields separated by NUL
// bytes (a file name never holds one), the first being the protocol's name and version.
namespace app::instance {

// Requests: ["vellora/1", "show"] brings the main window back; ["vellora/1", "open", PATH]
// opens the picture at PATH (absolute) as the browser does; ["vellora/1", "pins", COMMAND]
// does one of the --pins commands; ["vellora/1", "paste"] opens the clipboard's picture;
// ["vellora/1", "capture"] starts a capture of a part of the screen, ["vellora/1",
// "capture-last"] takes the last captured rectangle again, either followed by the seconds to
// wait before the screen freezes (1 to 60) when there are any;
// ["vellora/1", "board", NAME, COMMAND] shows or hides the board NAME (UTF-8);
// ["vellora/1", "preferences"] opens the preferences window.
struct Request {
    enum class Kind { Show, Open, Pins, Paste, Capture, CaptureLast, Board, Preferences };
    Kind kind = Kind::Show;
    platform::FilePath picture;       // Open only
    QByteArray pinsCommand;           // Pins and Board: an ASCII word
    QByteArray board = QByteArray();  // Board only: the board's name in UTF-8
    int delaySeconds = 0;             // Capture and CaptureLast
    bool operator==(const Request&) const = default;
};

// Replies: ["vellora/1", "ok"] or ["vellora/1", "ok", OUTPUT] with what the command prints, as
// bytes; or ["vellora/1", "failed", REASON] with REASON in UTF-8.
struct Reply {
    bool ok = true;
    QString reason;
    QByteArray output;
    bool operator==(const Reply&) const = default;
};

// The longest request body the running program takes; the longest request, an open with its
// path, is 4 KiB.
inline constexpr qsizetype kMaxRequestBody = 1 << 20;
// The longest reply body a later start takes: what the frame's length can say. The longest
// reply is the list of every pin; a data file is read up to 1 GiB, and a list line is at most
// about twice its record's size once its file is escaped.
inline constexpr qsizetype kMaxReplyBody = 0xFFFF'FFFF;

QByteArray Frame(const QByteArray& body);

// The body length that a frame's first four bytes say; nothing for an empty frame or one longer
// than `limit`.
std::optional<qsizetype> BodyLength(const QByteArray& header, qsizetype limit);

// What the bytes of a request received so far on a connection hold.
enum class FrameState {
    Incomplete,  // wait for more
    Complete,    // exactly one frame: `body` is set
    Invalid,     // an empty or oversized frame, or bytes after it: drop the connection
};
FrameState ReadFrame(const QByteArray& received, QByteArray* body);

QByteArray EncodeRequest(const Request& request);
// Nothing for a body that is not exactly one well-formed request.
std::optional<Request> DecodeRequest(const QByteArray& body);

QByteArray EncodeReply(const Reply& reply);
std::optional<Reply> DecodeReply(const QByteArray& body);

}  // namespace app::instance
