#pragma once

#include <QMargins>
#include <QRect>
#include <QWidget>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "platform/core/screen_edges.h"
#include "platform/core/twips.h"
#include "platform/gui/maximise_refusal.h"

class QMenuBar;
class QPainter;

// A top-level window whose Left, Top, Width and Height are read and set in twips. The program's
// own assignments raise OnResized synchronously, nested in the assignment; sizes the window
// manager or the user bring about raise it when they arrive.
namespace platform {

struct WindowReport;

// Whether the window manager and the user may change the window's size (Free) or not (Fixed);
// the program may always.
enum class Sizing { Fixed, Free };

class TwipsWindow : public QWidget, public TwipsSides<TwipsWindow> {
    Q_OBJECT
public:
    // A top-level window of Qt's `flags` (a frameless one is its contents alone: showing it
    // neither raises nor activates it).
    TwipsWindow(Qt::WindowFlags flags, Sizing sizing);
    ~TwipsWindow() override;

    // The window's rectangle in twips as the program sees it (see TopAllowancePixels): Left,
    // Top, Width, Height, their setters and SetRect, from TwipsSides.
    // The rectangle in logical pixels that Left/Top/Width/Height describe, as stored (not
    // limited to what the windowing system can hold).
    QRect OuterPixels() const { return outer_; }
    // What is actually asked of the windowing system: the stored rectangle limited to 16-bit
    // X geometry, and moved onto the nearest screen when it would lie on none.
    QRect DisplayedOuterPixels() const;

    bool Visible() const { return isVisible(); }
    // The Visible property: true shows the window as Show does, false hides it.
    void SetShown(bool shown);
    // Shows the window modelessly, without an owner.
    void Show();
    // Takes the window off the screen and back to its design state; see OnUnload.
    void Unload();
    bool Loaded() const { return loaded_; }

    // The client area below the menu bar, where controls are placed.
    QWidget* ClientArea() const { return client_; }
    QMenuBar* MenuBar();
    int MenuBarHeight() const;

    // A window whose height only the program may set: the user's drags change its width alone.
    void SetUserSizableHeight(bool sizable);
    // No window is in the taskbar; one that is not in the switchers either is left out of the
    // pagers and of Alt+Tab too.
    void SetInWindowSwitchers(bool listed) { inSwitchers_ = listed; }

    // For a window whose contents the program keeps and that never changes size: where the
    // window system allows (X11 with a true-colour visual), it keeps no backing store, a second
    // copy of every pixel for as long as it is open. DrawContents then draws it straight onto the
    // screen whenever the X server asks. Call it before the window is first shown.
    void DrawWithoutBackingStore() { withoutBackingStore_ = true; }
    // Whether it is drawn that way now, on screen.
    bool DrawsOnScreen() const { return screenDepth_.has_value(); }

    // The design size of the client area (below the menu bar), in twips.
    void SetClientSize(float widthTwips, float heightTwips);
    // Centres the window on the screen's available area.
    void CenterOnScreen();
    // The window opens where the platform puts a new window, at the size it has then, until the
    // program sets Left or Top; unloading it makes that so again. See DefaultPlacement.
    void OpenAtPlatformDefault() { platformDefault_ = true; }

    // The number of OnResized notifications raised so far; tests use it to see nesting.
    int ResizeCount() const { return resizeCount_; }

protected:
    // Pixels between the window's Top and the top of its Qt widget. Zero by default, so Top and
    // Height are those of the widget, menu bar included.
    virtual int TopAllowancePixels() const { return 0; }
    virtual void OnResized() {}
    virtual void OnFocusMovedToOtherWindow() {}
    // The controls go back to their design state when the window is unloaded.
    virtual void OnUnload() {}

    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The close command of the title bar; the default unloads the window.
    virtual void OnCloseCommand() { Unload(); }

    // Draws the whole window, in its logical pixels, for a window drawn on screen (see
    // DrawWithoutBackingStore). Its controls are not asked to paint themselves then.
    virtual void DrawContents(QPainter&) {}
    void paintEvent(QPaintEvent* event) override;
    // A window drawn on screen has no paint engine: Qt asks for one only then.
    QPaintEngine* paintEngine() const override { return nullptr; }

private:
    friend class FocusTracker;
    friend class TwipsSides<TwipsWindow>;
    QRect TwipsPixels() const { return outer_; }
    void SetTwipsPixels(const QRect& outer, bool moved);
    static int SizePixels(float twips) { return TwipsToPixels(twips); }
    void SetOuter(const QRect& outer, bool raiseResize);
    void PlaceAtPlatformDefault(const QMargins& frame);
    void KeepFrameInArea();
    void ApplyGeometry();
    void RequestGeometry(const QRect& target);
    // For a borderless window: tells the window manager which strips of `target` lie off the
    // screens, when that changed (see DeclarePartsOffScreen).
    void DeclareOffScreen(const QRect& target);
    void AdoptSystemGeometry();
    static void SystemReported(QWidget* window, const WindowReport& report);
    void LayoutClient();
    QRect WidgetRectFor(const QRect& outer) const;
    void RaiseResize();

    Sizing sizing_;
    QRect outer_;
    bool loaded_ = true;
    bool heightSizableByUser_ = true;
    bool inSwitchers_ = true;
    bool platformDefault_ = false;
    // Left or Top chosen since the window was loaded, by the program or by the placement.
    bool positionChosen_ = false;
    // Placed at the platform default by the latest Show: once mapped, the frame the window
    // manager drew is checked against the available area.
    bool checkFrameOnMap_ = false;
    int resizeCount_ = 0;
    bool withoutBackingStore_ = false;
    // The depth of the X window when it is drawn on screen (set together with WA_PaintOnScreen).
    std::optional<int> screenDepth_;
    QWidget* client_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    // Rectangles asked of the windowing system that have not come back yet: a configure event
    // that matches one of them is our own request arriving, not the user's doing.
    std::deque<QRect> pendingRequests_;
    std::optional<QMargins> declaredOffScreen_;
    // From showing until the window is on screen. While the window manager frames a window it
    // reports passing positions (the corner of a frame not yet placed); moves in that time are
    // not the user's.
    bool awaitingMap_ = false;
    // No window of the program is maximised or made full-screen: see MaximiseRefusal.
    class RefusalView;
    std::unique_ptr<RefusalView> refusalView_;
    std::unique_ptr<MaximiseRefusal> refusal_;
};

// Room left on each side of a window's rectangle for the frame of a window manager that has
// not said how wide its frame is. The display window's 600-twip allowance above its picture
// already holds a title bar of up to that height plus this.
inline constexpr int kFrameReservePixels = 8;

}  // namespace platform
