// A window program for the end-to-end check of the pin state calls: a borderless "probe pin"
// window above a "probe below" window, changed by commands on standard input, one a line
// ("show", "opacity 0.6", "clickthrough 1", "above 0", "workspaces 1"), each answered "done" once
// applied. It reports the clicks and wheel turns each window gets ("pin press 3", "below wheel")
// and whether a compositing manager runs ("compositor 1").
#include <unistd.h>
#include <QApplication>
#include <QMouseEvent>
#include <QSocketNotifier>
#include <QWidget>
#include <cstdio>

#include "platform/x11_pin_state.h"

namespace {

void Say(const QByteArray& line) {
    std::fputs((line + '\n').constData(), stdout);
    std::fflush(stdout);
}

class Window : public QWidget {
public:
    Window(const char* name, QColor colour, QRect rect, Qt::WindowFlags flags)
        : QWidget(nullptr, flags), name_(name) {
        setWindowTitle(QStringLiteral("probe ") + QLatin1String(name));
        setPalette(QPalette(colour));
        setAutoFillBackground(true);
        setGeometry(rect);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        Say(name_ + " press " + QByteArray::number(int(event->button())));
    }
    void wheelEvent(QWheelEvent*) override { Say(name_ + " wheel"); }

private:
    QByteArray name_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Window below("below", Qt::blue, {40, 40, 400, 300}, Qt::Window | Qt::FramelessWindowHint);
    Window pin("pin", Qt::red, {100, 100, 200, 150}, Qt::Tool | Qt::FramelessWindowHint);
    below.show();

    platform::CompositorWatch watch;
    Say("compositor " + QByteArray::number(int(watch.Running())));
    QObject::connect(&watch, &platform::CompositorWatch::changed,
                     [](bool running) { Say("compositor " + QByteArray::number(int(running))); });

    QByteArray pending;
    QSocketNotifier notifier(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) app.quit();
        pending.append(buffer, qMax<ssize_t>(got, 0));
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1)) {
            const QByteArray line = pending.left(end).trimmed();
            const QList<QByteArray> words = line.split(' ');
            const bool on = words.value(1) == "1";
            if (words[0] == "show") pin.show();
            if (words[0] == "opacity") platform::SetOpacity(&pin, words.value(1).toDouble());
            if (words[0] == "clickthrough") platform::SetClickThrough(&pin, on);
            if (words[0] == "above") platform::SetKeepAbove(&pin, on);
            if (words[0] == "workspaces") platform::SetOnAllWorkspaces(&pin, on);
            Say("done " + line + " 0x" + QByteArray::number(pin.winId(), 16));
        }
    });
    return app.exec();
}
