// Requests to a server in this process: it answers on the main thread's event loop while each
// sender waits on a thread of its own.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstring>
#include <future>

#include "app/single_instance.h"

namespace {

app::Delivery Send(const QString& path) {
    auto sent = std::async(std::launch::async,
                           [&path] { return app::SendRequest(path, {}, QDeadlineTimer(5000)); });
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    return sent.get();
}

TEST(InstanceServer, AnswersALongListAfterTheTimeARequestHas) {
    QByteArray list;
    for (int i = 0; list.size() < 3 << 20; ++i) list += QByteArray::number(i) + '\n';
    app::InstanceServer server([&list](const app::instance::Request&) {
        QThread::msleep(2100);
        return app::instance::Reply{true, {}, list};
    });
    const QTemporaryDir folder;
    ASSERT_TRUE(server.Listen(folder.filePath(QStringLiteral("s"))));
    const app::Delivery delivery = Send(folder.filePath(QStringLiteral("s")));
    EXPECT_EQ(delivery.outcome, app::Delivery::Outcome::Answered);
    EXPECT_TRUE(delivery.reply.output == list);
}

int warnings = 0;

TEST(InstanceServer, KeepsListeningAfterRunningOutOfDescriptors) {
    const QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("s"));
    app::InstanceServer server(
        [](const app::instance::Request&) { return app::instance::Reply{}; });
    ASSERT_TRUE(server.Listen(path));
    sockaddr_un address{AF_UNIX, {}};
    std::strcpy(address.sun_path, QFile::encodeName(path).constData());
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const rlimit low{std::min<rlim_t>(saved.rlim_cur, 256), saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    // Connections up to the limit (past the socket's queue they are refused, as well): the
    // server has no descriptor left to accept them with.
    QList<int> held;
    for (int s; (s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0)) >= 0; held.append(s)) {
        (void)::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }
    warnings = 0;
    const QtMessageHandler before =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString&) {
            warnings += type == QtWarningMsg;
        });
    QTest::qWait(700);
    qInstallMessageHandler(before);
    for (const int s : held) ::close(s);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(Send(path).outcome, app::Delivery::Outcome::Answered);
}

}  // namespace
