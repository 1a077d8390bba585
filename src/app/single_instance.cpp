#include "app/single_instance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <variant>

namespace app {

namespace {

// A sender has this long to deliver its request once connected.
constexpr int kReceiveTimeMs = 2000;
// Once answered, it has this long to take each part of the reply, however long the whole.
constexpr int kWriteStallMs = 10000;
// How long accepting rests when the program is out of descriptors: the connections wait in the
// socket's queue meanwhile.
constexpr int kAcceptRestMs = 200;

// Whether the process at the other end of the socket runs as this program's user. The socket
// file is the user's own already; this holds even where the runtime folder is shared.
bool FromThisUser(qintptr descriptor) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) {
        return false;
    }
    return credentials.uid == ::geteuid();
}

QString ErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Binds a listening socket at `path` that only this user can connect to: it is made in a folder
// of the user's own and moved to its place once its permissions are set, so nobody can reach
// it in between. The move replaces a socket left there by an ended program. A descriptor, or
// why not.
std::variant<int, QString> ListenAt(const QString& path) {
    const QTemporaryDir folder(path + QStringLiteral("-XXXXXX"));
    if (!folder.isValid()) return folder.errorString();
    const QByteArray made = QFile::encodeName(folder.filePath(QStringLiteral("s")));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (made.size() >= qsizetype(sizeof address.sun_path)) {
        return QStringLiteral("the name is too long for a socket");
    }
    std::memcpy(address.sun_path, made.constData(), size_t(made.size()));
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (descriptor < 0) return ErrorText(errno);
    if (::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(descriptor, SOMAXCONN) != 0 || ::chmod(made.constData(), S_IRWXU) != 0 ||
        ::rename(made.constData(), QFile::encodeName(path).constData()) != 0) {
        const int error = errno;
        ::close(descriptor);
        return ErrorText(error);
    }
    return descriptor;
}

}  // namespace

QString ServerPathFor(const QByteArray& canonicalFolder) {
    const QByteArray hash =
        QCryptographicHash::hash(canonicalFolder, QCryptographicHash::Sha256).toHex().left(24);
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime + QStringLiteral("/vellora-") + QString::fromLatin1(hash) +
           QStringLiteral(".socket");
}

InstanceLock::InstanceLock(const QString& folder)
    : lock_(std::make_unique<QLockFile>(folder + QStringLiteral("/.vellora.lock"))) {
    // Held for the whole run: never stale by age, only when its program has ended.
    lock_->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

InstanceLock::Claim InstanceLock::TryClaim() {
    // No waiting here: the caller alternates claiming and handing over until one succeeds.
    if (lock_->tryLock(0)) return Claim::Held;
    return lock_->error() == QLockFile::LockFailedError ? Claim::HeldElsewhere : Claim::Unavailable;
}

QString InstanceLock::FileName() const {
    return lock_->fileName();
}

Delivery SendRequest(const QString& serverPath, const instance::Request& request,
                     const QDeadlineTimer& deadline) {
    QLocalSocket socket;
    socket.connectToServer(serverPath);
    if (!socket.waitForConnected(int(deadline.remainingTime()))) {
        const auto error = socket.error();
        const bool absent = error == QLocalSocket::ServerNotFoundError ||
                            error == QLocalSocket::ConnectionRefusedError;
        return {absent ? Delivery::Outcome::NotListening : Delivery::Outcome::NoAnswer, {}};
    }
    socket.write(instance::Frame(instance::EncodeRequest(request)));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(deadline.remainingTime()))) return {};
    }
    // The length, then the body as it comes: a long list is taken in once, never looked through
    // again, and each read asks only for what has arrived.
    std::optional<qsizetype> length;
    QByteArray body;
    for (;;) {
        if (!length && socket.bytesAvailable() >= 4) {
            length = instance::BodyLength(socket.read(4), instance::kMaxReplyBody);
            if (!length) return {};
        }
        if (length) {
            body += socket.read(qMin(*length - body.size(), socket.bytesAvailable()));
            if (body.size() == *length) {
                // Bytes after the reply: not this program's answer.
                if (socket.bytesAvailable() > 0) return {};
                const std::optional<instance::Reply> reply = instance::DecodeReply(body);
                if (!reply) return {};
                return {Delivery::Outcome::Answered, *reply};
            }
        }
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime()))) {
            return {};
        }
    }
}

InstanceServer::InstanceServer(Handler handler) : handler_(std::move(handler)) {}

InstanceServer::~InstanceServer() {
    if (!notifier_) return;
    // The connections go with it.
    notifier_.reset();
    ::close(listener_);
    // A later start then finds nobody listening and takes the folder over.
    QFile::remove(path_);
}

bool InstanceServer::Listen(const QString& path) {
    // The caller holds the folder's lock, so a socket already there was left by an ended program.
    const std::variant<int, QString> listener = ListenAt(path);
    if (const QString* error = std::get_if<QString>(&listener)) {
        qWarning("vellora: later starts cannot reach this one: %s: %s", qPrintable(path),
                 qPrintable(*error));
        return false;
    }
    path_ = path;
    listener_ = std::get<int>(listener);
    notifier_ = std::make_unique<QSocketNotifier>(listener_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { Accept(); });
    return true;
}

// Accepted here rather than by QLocalServer: Qt 6.4's closes itself, and removes its socket, on
// the first accept that fails, as it does when the program is out of descriptors; every later
// start would then find nobody listening until the program is restarted.
void InstanceServer::Accept() {
    for (;;) {
        const int descriptor = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (descriptor < 0 && (errno == EINTR || errno == ECONNABORTED)) continue;
        if (descriptor < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        if (descriptor < 0) {
            // Out of descriptors (EMFILE, ENFILE) or memory: rest rather than spin on a queue
            // that stays readable, and say so once, not for each try.
            if (!resting_) {
                qWarning("vellora: later starts wait: cannot take their connections now: %s",
                         qPrintable(ErrorText(errno)));
            }
            resting_ = true;
            notifier_->setEnabled(false);
            QTimer::singleShot(kAcceptRestMs, notifier_.get(),
                               [this] { notifier_->setEnabled(true); });
            return;
        }
        resting_ = false;
        if (!FromThisUser(descriptor)) {
            ::close(descriptor);
            continue;
        }
        auto* socket = new QLocalSocket(notifier_.get());
        if (!socket->setSocketDescriptor(descriptor)) {
            // Qt leaves a descriptor it refuses open.
            delete socket;
            ::close(descriptor);
            continue;
        }
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // One frame at most, and one byte more to see that the sender went past it.
        socket->setReadBufferSize(4 + instance::kMaxRequestBody + 1);
        auto* limit = new QTimer(socket);
        limit->setSingleShot(true);
        QObject::connect(limit, &QTimer::timeout, socket, &QLocalSocket::abort);
        limit->start(kReceiveTimeMs);
        QObject::connect(socket, &QLocalSocket::readyRead, socket,
                         [this, socket, limit] { Receive(socket, limit); });
        Receive(socket, limit);
    }
}

void InstanceServer::Receive(QLocalSocket* socket, QTimer* limit) {
    if (socket->property("answered").toBool()) return;
    QByteArray body;
    const instance::FrameState state =
        instance::ReadFrame(socket->peek(socket->bytesAvailable()), &body);
    if (state == instance::FrameState::Incomplete) return;
    const std::optional<instance::Request> request =
        state == instance::FrameState::Complete ? instance::DecodeRequest(body) : std::nullopt;
    if (!request) {
        socket->abort();
        return;
    }
    socket->readAll();
    socket->setProperty("answered", true);
    const instance::Reply reply = handler_(*request);
    // The request's time limit is spent; a long reply is cut off only when the sender stops
    // taking it.
    limit->start(kWriteStallMs);
    QObject::connect(socket, &QLocalSocket::bytesWritten, limit,
                     [limit] { limit->start(kWriteStallMs); });
    socket->write(instance::Frame(instance::EncodeReply(reply)));
    socket->disconnectFromServer();
}

}  // namespace app
