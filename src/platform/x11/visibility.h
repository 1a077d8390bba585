#pragma once

#include <QObject>
#include <memory>

class QWidget;

namespace platform {

// Whether the X server reports a window entirely covered by other windows (VisibilityNotify).
// Qt does not ask for these reports, and a covered window gets no expose event of any kind: Qt
// keeps calling it exposed. The reports mean something only without a compositing manager:
// with one, windows are drawn off screen and the server reports them all unobscured. Always
// false off X11.
class ObscuredWatch : public QObject {
    Q_OBJECT
public:
    // Watches `window`, a top-level widget, which also owns the watch.
    explicit ObscuredWatch(QWidget* window);
    ~ObscuredWatch() override;

    // Asks the X server for the window's reports. Call it before each map: Qt sets the native
    // window's event mask anew when it changes the window's flags or re-creates it. A report
    // comes with each map.
    void Select();
    bool FullyObscured() const { return obscured_; }

signals:
    void changed();

private:
    class Filter;
    friend class Filter;
    void Report(bool obscured);

    QWidget* window_;
    std::unique_ptr<Filter> filter_;
    bool obscured_ = false;
};

}  // namespace platform
