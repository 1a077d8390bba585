#pragma once

#include <QObject>
#include <memory>

class QWidget;

// What the user can change on a pinned window while it is shown, told to the X server and the
// window manager directly so that the window is never re-mapped: changing Qt's window flags on a
// shown window hides it and maps it again. Each does nothing off X11.
//
// Each takes effect on the native window the widget has now (creating it when it has none):
// after anything that re-creates it (a change of window flags), apply them again.
namespace platform {

// Whether a compositing manager runs on the program's X screen (it owns the selection
// _NET_WM_CM_S<screen>). Without one, opacity is ignored and windows are drawn opaque.
bool CompositorRunning();

// Tells when a compositing manager starts or stops, as the X server reports a new owner of its
// selection (XFixes), without polling.
class CompositorWatch : public QObject {
    Q_OBJECT

public:
    explicit CompositorWatch(QObject* parent = nullptr);
    ~CompositorWatch() override;

    bool Running() const { return running_; }

signals:
    void changed(bool running);

private:
    class Filter;
    void Update();

    std::unique_ptr<Filter> filter_;
    bool running_ = false;
};

// The window's opacity, 0 to 1 (1 is opaque): Qt's QWidget::setWindowOpacity, which on X11 sets
// _NET_WM_WINDOW_OPACITY for the compositing manager to blend the window; the program's pixels
// are not touched. Qt keeps the value and sets it again on a re-created native window.
void SetOpacity(QWidget* window, double opacity);

// Clicks, the wheel and every button go to whatever is below the window (on: an empty input
// shape, on the window and on the frame the window manager keeps it in, now and whenever the
// window is put into a new frame), or to the window again (off: the whole window, whatever its
// size). Keyboard focus is not affected.
void SetClickThrough(QWidget* window, bool on);

// Keeps the window above the others (_NET_WM_STATE_ABOVE). Before the window is shown this
// writes the state for the window manager to read when it maps the window (the window manager
// owns the state while the window is mapped, so call it again before every show); on a shown
// window it asks the window manager.
void SetKeepAbove(QWidget* window, bool on);

// Shows the window on every workspace (_NET_WM_DESKTOP 0xFFFFFFFF), or, when turned off, on the
// workspace shown now only. Before the window is shown, as SetKeepAbove.
void SetOnAllWorkspaces(QWidget* window, bool on);

}  // namespace platform
