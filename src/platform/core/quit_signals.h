#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace platform {

// SIGTERM (what a logout sends) and SIGINT, turned into a signal of the event loop, so that the
// program ends as its own "quit" does: settled and saved. One object at a time; the signals'
// default actions come back when it goes.
class QuitSignals : public QObject {
    Q_OBJECT
public:
    QuitSignals();
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

signals:
    void received(int signal);

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace platform
