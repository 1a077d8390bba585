#include "app/core/instance_message.h"

#include <QList>
#include <QtEndian>
#include <algorithm>

namespace app::instance {

namespace {

constexpr char kProtocol[] = "vellora/1";
// The longest path a Linux system call takes, its terminating NUL included.
constexpr qsizetype kMaxPath = 4096;

QByteArray Join(const QList<QByteArray>& fields) {
    return fields.join('\0');
}

// The fields of a body of this protocol; nothing when it is of another protocol.
std::optional<QList<QByteArray>> Fields(const QByteArray& body, qsizetype limit) {
    if (body.isEmpty() || body.size() > limit) return std::nullopt;
    QList<QByteArray> fields = body.split('\0');
    if (fields.size() < 2 || fields.first() != kProtocol) return std::nullopt;
    fields.removeFirst();
    return fields;
}

// The requests that are one word alone.
constexpr struct {
    Request::Kind kind;
    const char* word;
} kWordRequests[] = {
    {Request::Kind::Show, "show"},
    {Request::Kind::Paste, "paste"},
    {Request::Kind::Capture, "capture"},
    {Request::Kind::CaptureLast, "capture-last"},
    {Request::Kind::Preferences, "preferences"},
};

// The kinds that may wait before they act.
bool Delayed(Request::Kind kind) {
    return kind == Request::Kind::Capture || kind == Request::Kind::CaptureLast;
}

// The seconds of a capture's wait: 1 to 60, in decimal digits.
std::optional<int> DelayOf(const QByteArray& field) {
    constexpr int kMostSeconds = 60;
    if (field.isEmpty() || field.size() > 2 ||
        !std::all_of(field.cbegin(), field.cend(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const int seconds = field.toInt();
    if (seconds < 1 || seconds > kMostSeconds) return std::nullopt;
    return seconds;
}

// The word of a --pins or --board command.
bool IsCommandWord(const QByteArray& command) {
    return !command.isEmpty() && command.size() <= 16 &&
           std::all_of(command.cbegin(), command.cend(),
                       [](char c) { return c >= 'a' && c <= 'z'; });
}

}  // namespace

QByteArray Frame(const QByteArray& body) {
    QByteArray frame(4, '\0');
    qToBigEndian(quint32(body.size()), frame.data());
    return frame + body;
}

std::optional<qsizetype> BodyLength(const QByteArray& header, qsizetype limit) {
    const qsizetype length = qFromBigEndian<quint32>(header.constData());
    if (length == 0 || length > limit) return std::nullopt;
    return length;
}

FrameState ReadFrame(const QByteArray& received, QByteArray* body) {
    if (received.size() < 4) return FrameState::Incomplete;
    const std::optional<qsizetype> length = BodyLength(received, kMaxRequestBody);
    if (!length) return FrameState::Invalid;
    const qsizetype total = 4 + *length;
    if (received.size() < total) return FrameState::Incomplete;
    if (received.size() > total) return FrameState::Invalid;
    *body = received.mid(4);
    return FrameState::Complete;
}

QByteArray EncodeRequest(const Request& request) {
    for (const auto& word : kWordRequests) {
        if (word.kind != request.kind) continue;
        if (Delayed(request.kind) && request.delaySeconds > 0) {
            return Join({kProtocol, word.word, QByteArray::number(request.delaySeconds)});
        }
        return Join({kProtocol, word.word});
    }
    switch (request.kind) {
        case Request::Kind::Open:
            return Join({kProtocol, "open", request.picture.Bytes()});
        case Request::Kind::Pins:
            return Join({kProtocol, "pins", request.pinsCommand});
        case Request::Kind::Board:
            return Join({kProtocol, "board", request.board, request.pinsCommand});
        default:
            return {};
    }
}

std::optional<Request> DecodeRequest(const QByteArray& body) {
    const std::optional<QList<QByteArray>> fields = Fields(body, kMaxRequestBody);
    if (!fields) return std::nullopt;
    for (const auto& word : kWordRequests) {
        if (*fields == QList<QByteArray>{word.word}) return Request{word.kind, {}, {}, {}};
        if (Delayed(word.kind) && fields->size() == 2 && fields->at(0) == word.word) {
            const std::optional<int> seconds = DelayOf(fields->at(1));
            if (!seconds) return std::nullopt;
            return Request{word.kind, {}, {}, {}, *seconds};
        }
    }
    if (fields->size() == 2 && fields->at(0) == "pins") {
        if (!IsCommandWord(fields->at(1))) return std::nullopt;
        return Request{Request::Kind::Pins, {}, fields->at(1), {}};
    }
    if (fields->size() == 3 && fields->at(0) == "board") {
        if (fields->at(1).isEmpty() || !IsCommandWord(fields->at(2))) return std::nullopt;
        return Request{Request::Kind::Board, {}, fields->at(2), fields->at(1)};
    }
    if (fields->size() != 2 || fields->at(0) != "open") return std::nullopt;
    const QByteArray& path = fields->at(1);
    // Absolute, since the running program's current folder is not the sender's.
    if (!path.startsWith('/') || path.size() >= kMaxPath) return std::nullopt;
    return Request{Request::Kind::Open, platform::FilePath(path), {}, {}};
}

QByteArray EncodeReply(const Reply& reply) {
    if (reply.ok && reply.output.isEmpty()) return Join({kProtocol, "ok"});
    if (reply.ok) return Join({kProtocol, "ok", reply.output});
    return Join({kProtocol, "failed", reply.reason.toUtf8()});
}

std::optional<Reply> DecodeReply(const QByteArray& body) {
    const std::optional<QList<QByteArray>> fields = Fields(body, kMaxReplyBody);
    if (!fields) return std::nullopt;
    if (*fields == QList<QByteArray>{"ok"}) return Reply{};
    if (fields->size() != 2) return std::nullopt;
    if (fields->at(0) == "ok") return Reply{true, {}, fields->at(1)};
    if (fields->at(0) != "failed") return std::nullopt;
    return Reply{false, QString::fromUtf8(fields->at(1)), {}};
}

}  // namespace app::instance
