#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <functional>
#include <memory>

#include "app/core/instance_message.h"

class QLocalSocket;
class QLockFile;
class QSocketNotifier;
class QTimer;

// One running program per data folder: it holds a lock file in the folder for its whole run
// and answers later starts for the same folder on a local socket, which only the same user can
// reach. A later start hands its request over and ends.
namespace app {

// Where the program that holds a data folder listens: a socket in the user's runtime folder
// ($XDG_RUNTIME_DIR), named after the folder's canonical path, so that starts for different
// folders never meet.
QString ServerPathFor(const QByteArray& canonicalFolder);

class InstanceLock {
public:
    enum class Claim {
        Held,           // this program is the folder's one instance
        HeldElsewhere,  // a running program holds the folder
        Unavailable,    // no lock can be made there (a read-only folder): nothing to guard
    };

    explicit InstanceLock(const QString& folder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock unless a running program holds it; a lock whose program has ended (a
    // crash, kill -9) is taken over.
    Claim TryClaim();
    QString FileName() const;

private:
    std::unique_ptr<QLockFile> lock_;
};

// How a request handed to the running program went.
struct Delivery {
    enum class Outcome {
        Answered,      // `reply` holds its answer
        NotListening,  // nobody listens (yet, or any more)
        NoAnswer,      // it took the connection but gave no well-formed reply in time
    };
    Outcome outcome = Outcome::NoAnswer;
    instance::Reply reply;
};

// Sends `request` to the program listening at `serverPath` and waits for its reply until
// `deadline`. Needs an application object for its socket, not an event loop.
Delivery SendRequest(const QString& serverPath, const instance::Request& request,
                     const QDeadlineTimer& deadline);

// The running program's side: takes requests from later starts of the same user, each with a
// size limit and a time limit, passes the well-formed ones to the handler and sends back its
// reply. Anything malformed is dropped unanswered.
class InstanceServer {
public:
    using Handler = std::function<instance::Reply(const instance::Request&)>;

    explicit InstanceServer(Handler handler);
    ~InstanceServer();
    InstanceServer(const InstanceServer&) = delete;
    InstanceServer& operator=(const InstanceServer&) = delete;

    // Listens at `path`, replacing a socket left there by an ended program; false (with a
    // warning) when that fails.
    bool Listen(const QString& path);

private:
    void Accept();
    void Receive(QLocalSocket* socket, QTimer* limit);

    Handler handler_;
    QString path_;
    int listener_ = -1;  // the listening socket, once Listen succeeded
    // Tells of new connections, and is the parent of the open ones.
    std::unique_ptr<QSocketNotifier> notifier_;
    bool resting_ = false;  // out of descriptors, accepting again after a rest
};

}  // namespace app
