// A window program for the end-to-end check of the pin state calls: a borderless "probe pin"
// window above a "probe below" window, changed by commands on standard input, one a line
// ("show", "opacity 0.6", "clickthrough 1", "above 0", "workspaces 1"), each answered "done ..."
// once applied. It reports the presses and wheel turns each window gets ("pin press 2",
// "below wheel") and whether a compositing manager runs ("compositor 1").
#include <unistd.h>
#include <QApplication>
#include <QMouseEvent>
#include <QSocketNotifier>
#include <QWidget>
#include <cstdio>

#include "platform/x11/pin_state.h"

namespace {

void Say(const QByteArray& line) {
    std::fputs((line + '\n').constData(), stdout);
    std::fflush(stdout);
}

class Window : public QWidget {
public:
    Window(const char* name, QColor colour, QRect rect, Qt::WindowFlags flags)
        : QWidget(nullptr, flags | Qt::FramelessWindowHint), name_(name) {
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
    Window below("below", Qt::blue, {40, 40, 400, 300}, Qt::Window);
    Window pin("pin", Qt::red, {100, 100, 200, 150}, Qt::Tool);
    below.show();
    platform::CompositorWatch watch;
    const auto sayCompositor = [](bool on) { Say("compositor " + QByteArray::number(int(on))); };
    sayCompositor(watch.Running());
    QObject::connect(&watch, &platform::CompositorWatch::changed, sayCompositor);

    QByteArray input;
    QSocketNotifier notifier(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) return QCoreApplication::quit();
        input.append(buffer, got);
        for (qsizetype end; (end = input.indexOf('\n')) >= 0; input.remove(0, end + 1)) {
            const QList<QByteArray> words = input.left(end).split(' ');
            const QByteArray value = words.value(1);
            if (words[0] == "show") pin.show();
            if (words[0] == "opacity") platform::SetOpacity(&pin, value.toDouble());
            if (words[0] == "clickthrough") platform::SetClickThrough(&pin, value == "1");
            if (words[0] == "above") platform::SetKeepAbove(&pin, value == "1");
            if (words[0] == "workspaces") platform::SetOnAllWorkspaces(&pin, value == "1");
            Say("done " + input.left(end));
        }
    });
    return QApplication::exec();
}
