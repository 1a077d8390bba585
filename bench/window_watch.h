#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <functional>

// What the benchmarks on a real X server wait for: windows painted, and the event loop run until
// something holds.
namespace bench {

// Notes which top-level windows have had a paint event, for themselves or any widget in them,
// without any help from the program: the application's event filter sees every event delivered.
class PaintWatch : public QObject {
public:
    bool Painted(const QWidget* window) const { return painted_.contains(window); }
    void Forget() { painted_.clear(); }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Paint && object->isWidgetType()) {
            painted_.insert(static_cast<QWidget*>(object)->window());
        }
        return false;
    }

private:
    QSet<const QWidget*> painted_;
};

// Runs the event loop, sleeping between events, until `done` holds or the time is up.
inline bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    QTimer wake;  // wakes the wait for events now and then, to look at the deadline
    wake.start(20);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace bench
