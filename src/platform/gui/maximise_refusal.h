#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QSize>
#include <functional>
#include <optional>
#include <vector>

class QTimer;

namespace platform {

// No window of the program is maximised or made full-screen (the display window's height follows
// its width and would leave the screen). A window manager that offers it anyway reports the state
// and the new size in either order: the window goes back to where it was before the first of
// those changes. From the moment the state or a size it imposed is seen until the window manager
// reports the state gone and the window back at that rectangle, nothing it sends is taken as the
// user's. The sizes seen while a state was held are kept: the window manager may still apply one
// of them after it has given the state up, and that is refused too.
class MaximiseRefusal : public QObject {
public:
    // What the refusal reads of its window and asks of it.
    class Window {
    public:
        virtual ~Window() = default;
        virtual bool Visible() const = 0;
        // Maximised (along either axis) or full-screen, as the window system has it now.
        virtual bool InSizeState() const = 0;
        // The window's rectangle as the program keeps it, and putting it back at one.
        virtual QRect Outer() const = 0;
        virtual void PutBack(const QRect& outer) = 0;
        // The client rectangle as Qt has it, as the window system has it now, and as the
        // program's own rectangle makes it.
        virtual QRect Client() const = 0;
        virtual QRect ClientOnServer() const = 0;
        virtual QRect WantedClient() const = 0;
        // Asks the window system to drop the size states.
        virtual void DropSizeStates() = 0;
        // Asks again for the wanted client rectangle.
        virtual void AskForWanted() = 0;
        virtual QList<QSize> ScreenSizes() const = 0;
    };

    // `clockMs` counts milliseconds (QElapsedTimer's by default); tests pass their own.
    explicit MaximiseRefusal(Window& window, QObject* parent, std::function<qint64()> clockMs = {});

    // A move (`resized` false) or resize the window system made. True when it is refused: the
    // window keeps its rectangle. Otherwise it is noted, and the window takes it as the user's.
    bool Refuses(bool resized);
    // Qt reported the window's state changed.
    void StateChanged();
    // The window system reported the state and size of the window (see WatchStateAndGeometry).
    void Reported(QSize sizeInState, bool stateChanged);
    bool Refusing() const { return target_.has_value(); }

private:
    bool ImposedBySystem(bool resized) const;
    bool WithinOneAction() const;
    void Refuse(bool sizeMayHaveComeFirst);
    void Review(bool stateChanged);
    void ReviewLater(bool stateChanged);
    void Retry();
    void RememberImposedSize(QSize size);
    void End();

    Window& window_;
    std::function<qint64()> clockMs_;
    // The window's rectangle before the latest run of changes the window system made, and when
    // the latest of them came.
    QRect beforeSystemChange_;
    std::optional<qint64> lastSystemChange_;
    std::optional<QRect> target_;
    std::vector<QSize> imposedSizes_;
    // Asks again, in case a request was lost; see Retry.
    QTimer* retry_ = nullptr;
    int retries_ = 0;
};

}  // namespace platform
