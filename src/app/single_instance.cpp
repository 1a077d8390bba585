#include "app/single_instance.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>

namespace app {

namespace {

// A sender has this long to deliver its request once connected.
constexpr int kReceiveTimeMs = 2000;

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
    QByteArray received;
    for (;;) {
        received += socket.read(4 + instance::kMaxBody + 1 - received.size());
        QByteArray body;
        const instance::FrameState state = instance::ReadFrame(received, &body);
        if (state == instance::FrameState::Invalid) return {};
        if (state == instance::FrameState::Complete) {
            const std::optional<instance::Reply> reply = instance::DecodeReply(body);
            if (!reply) return {};
            return {Delivery::Outcome::Answered, *reply};
        }
        if (deadline.hasExpired()) return {};
        if (!socket.waitForReadyRead(int(deadline.remainingTime())) &&
            socket.bytesAvailable() == 0) {
            return {};
        }
    }
}

InstanceServer::InstanceServer(Handler handler)
    : handler_(std::move(handler)), server_(std::make_unique<QLocalServer>()) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(),
                     [this] { Accept(); });
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::Listen(const QString& path) {
    // The caller holds the folder's lock, so a socket already there was left by an ended program.
    QLocalServer::removeServer(path);
    if (server_->listen(path)) return true;
    qWarning("vellora: later starts cannot reach this one: %s: %s", qPrintable(path),
             qPrintable(server_->errorString()));
    return false;
}

void InstanceServer::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!FromThisUser(socket->socketDescriptor())) {
            socket->abort();
            continue;
        }
        // One frame at most, and one byte more to see that the sender went past it.
        socket->setReadBufferSize(4 + instance::kMaxBody + 1);
        QObject::connect(socket, &QLocalSocket::readyRead, socket,
                         [this, socket] { Receive(socket); });
        QTimer::singleShot(kReceiveTimeMs, socket, [socket] { socket->abort(); });
        Receive(socket);
    }
}

void InstanceServer::Receive(QLocalSocket* socket) {
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
    socket->write(instance::Frame(instance::EncodeReply(reply)));
    // Written now, so that the time limit cannot cut the reply off.
    socket->flush();
    socket->disconnectFromServer();
}

}  // namespace app
