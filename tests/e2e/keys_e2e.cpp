// The keys the program holds itself: the capture key that preferences.json names, pressed with
// xdotool, opens the overlay, and a drag pins; a key another X client holds first is told on
// standard error, and the program runs on with the others.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <QDir>
#include <QFile>
#include <cstdlib>
#include <memory>

#include "e2e_test.h"
#include "program_runs.h"

namespace e2e {
namespace {

const QString kOverlay = QStringLiteral("画面の一部を張り付け");
const QString kPinned = QStringLiteral("Form3");

class KeysTest : public ProgramTest {
protected:
    void WritePreferences(const QByteArray& json) const {
        const QString folder = session->TempPath(QStringLiteral("config/Vellora"));
        ASSERT_TRUE(QDir().mkpath(folder));
        QFile file(folder + QStringLiteral("/preferences.json"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
    }
    void Start() const {
        ASSERT_TRUE(session->StartProgram(QStringLiteral(VELLORA_PROGRAM), work.path(),
                                          {QStringLiteral("--data-dir"), work.path()}));
        ASSERT_TRUE(session->WaitForWindow(QStringLiteral("Vellora"), 20000));
    }
    bool OverlayShown() const {
        const QList<WindowInfo> popups = session->VisiblePopups();
        return std::any_of(popups.begin(), popups.end(),
                           [](const WindowInfo& w) { return w.title == kOverlay; });
    }
    // The key pressed, the overlay waited for, a drag over it, and the pin that comes of it.
    void CaptureWithKey(const QString& key) const {
        const int pins = session->VisibleWindows(kPinned).size();
        ASSERT_TRUE(session->Key(key));
        ASSERT_TRUE(XSession::WaitUntil([&] { return OverlayShown(); }, 10000));
        ASSERT_TRUE(session->Drag({100, 100}, {221, 181}));
        EXPECT_TRUE(XSession::WaitUntil(
            [&] { return session->VisibleWindows(kPinned).size() == pins + 1; }, 10000));
    }
};

TEST_F(KeysTest, TheCaptureKeyOpensTheOverlayAndADragPins) {
    // Caps Lock on as well: the key is held whatever the locks.
    WritePreferences(R"({"shortcuts": {"capture": "Ctrl+Alt+K"}})");
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(CaptureWithKey(QStringLiteral("ctrl+alt+k")));
    ASSERT_TRUE(session->Key(QStringLiteral("Caps_Lock")));
    ASSERT_NO_FATAL_FAILURE(CaptureWithKey(QStringLiteral("ctrl+alt+k")));
}

// Another program holds the capture key: one line says so, and the paste key and the program
// are there as before.
TEST_F(KeysTest, AKeyHeldByAnotherClientIsToldAndTheProgramRunsOn) {
    const QByteArray display = session->Display().toLocal8Bit();
    xcb_connection_t* other = xcb_connect(display.constData(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(other));
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> holder(other,
                                                                              &xcb_disconnect);
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(other);
    std::unique_ptr<xcb_keycode_t[], decltype(&std::free)> codes(
        xcb_key_symbols_get_keycode(symbols, 'j'), &std::free);
    xcb_key_symbols_free(symbols);
    ASSERT_TRUE(codes && codes[0]);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
    const xcb_void_cookie_t grab =
        xcb_grab_key_checked(other, 1, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, codes[0],
                             XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    ASSERT_EQ(xcb_request_check(other, grab), nullptr);

    WritePreferences(R"({"shortcuts": {"capture": "Ctrl+Alt+J", "capture-last": "Ctrl+Alt+K"}})");
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_TRUE(XSession::WaitUntil(
        [&] { return session->ProgramOutput().contains(QLatin1String("held by another program")); },
        10000));
    EXPECT_EQ(session->ProgramOutput().count(QLatin1String("held by another program")), 1);
    // The last region's key, held by the program, still answers: nothing captured yet, said so.
    ASSERT_TRUE(session->Key(QStringLiteral("ctrl+alt+k")));
    EXPECT_TRUE(XSession::WaitUntil(
        [&] { return session->ProgramOutput().contains(QLatin1String("no region")); }, 10000));
    EXPECT_TRUE(session->WaitForWindow(QStringLiteral("Vellora"), 1000));
}

}  // namespace
}  // namespace e2e
