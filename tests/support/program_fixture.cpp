#include "support/program_fixture.h"

#include <QAction>
#include <QApplication>
#include <QTest>

#include "app/program.h"
#include "display_window/display_window.h"
#include "main_window/main_window.h"
#include "pin_board/pin_board.h"
#include "pinned_window/pinned_window.h"
#include "platform/gui/controls.h"

QByteArray Record(const QString& left, const QString& top, const QString& width,
                  const QString& height, const QByteArray& rawPath) {
    return test_support::DataRecord({left, top, width, height}, rawPath);
}

QByteArray Record(const QString& left, const QString& top, const QString& width,
                  const QString& height, const QString& path) {
    return Record(left, top, width, height, path.toUtf8());
}

ProgramTest::ProgramTest() {
    test_support::WriteJpeg(folder.Path("a.jpg"), {300, 200}, Qt::red);
    test_support::WriteJpeg(folder.Path("b.jpg"), {200, 300}, Qt::green);
    test_support::WriteJpeg(folder.Path("c.jpg"), {150, 150}, Qt::blue);
    test_support::WriteBytes(folder.Path("c.gif"), test_support::TinyGif());
}

ProgramTest::~ProgramTest() = default;

void ProgramTest::TearDown() {
    program.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void ProgramTest::StartWith(const QByteArray& data, const QString& file) {
    program.reset();
    test_support::WriteBytes(file, data);
    Start(file);
}

void ProgramTest::Start(const QString& file) {
    program.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    dataFile = file;
    program = std::make_unique<app::Program>(file, thumbnailFolder);
    program->SetQuitAction([this] { ended = true; });
    program->Start();
}

platform::FilePath ProgramTest::PathOf(const char* name) const {
    return platform::FilePath::FromText(P(name));
}

QStringList ProgramTest::Column(int field) const {
    QStringList column;
    const pin_list::PinList& list = Board().List();
    for (int row = 0; row < list.Count(); ++row) {
        column.append(list.At(row).entry.geometry.at(size_t(field)));
    }
    return column;
}

QByteArray ProgramTest::DataFile() const {
    return test_support::ReadBytes("zuzerid.dat");
}

pin_board::PinBoard& ProgramTest::Board() const {
    return program->Board();
}

main_window::MainWindow& ProgramTest::Main() const {
    return program->MainWindow();
}

display_window::DisplayWindow& ProgramTest::Display() const {
    return program->DisplayWindow();
}

bool ProgramTest::MainWindowShown() const {
    return Main().isVisible();
}

std::vector<pinned_window::PinnedWindow*> ProgramTest::PinnedWindows() const {
    std::vector<pinned_window::PinnedWindow*> windows;
    for (pinned_window::PinnedWindow* window : Board().Windows()) {
        if (window->isVisible()) windows.push_back(window);
    }
    return windows;
}

pinned_window::PinnedWindow* ProgramTest::PinnedAt(int left, int top) const {
    for (pinned_window::PinnedWindow* window : PinnedWindows()) {
        if (window->Left() == left && window->Top() == top) return window;
    }
    return nullptr;
}

platform::ImageBox* ProgramTest::PictureOf(QWidget* window) {
    auto* picture = window->findChild<platform::ImageBox*>(QStringLiteral("picture"));
    return picture ? picture : window->findChild<platform::ImageBox*>(QStringLiteral("preview"));
}

void ProgramTest::Trigger(QWidget* window, const char* item) {
    auto* action = window->findChild<QAction*>(QLatin1String(item));
    ASSERT_NE(action, nullptr) << item;
    action->trigger();
}

bool ProgramTest::ItemEnabled(QWidget* window, const char* item) {
    auto* action = window->findChild<QAction*>(QLatin1String(item));
    return action && action->isEnabled();
}

void ProgramTest::DoubleClick(QWidget* widget) {
    QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
}

void ProgramTest::Unpin(int left, int top) const {
    pinned_window::PinnedWindow* window = PinnedAt(left, top);
    ASSERT_NE(window, nullptr) << left << ", " << top;
    DoubleClick(PictureOf(window));
}
