#include "support/board_fixture.h"

#include <QAction>
#include <QApplication>
#include <QTest>

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

BoardTest::BoardTest() {
    test_support::WriteJpeg(folder.Path("a.jpg"), {300, 200}, Qt::red);
    test_support::WriteJpeg(folder.Path("b.jpg"), {200, 300}, Qt::green);
    test_support::WriteJpeg(folder.Path("c.jpg"), {150, 150}, Qt::blue);
    test_support::WriteBytes(folder.Path("c.gif"), test_support::TinyGif());
}

BoardTest::~BoardTest() = default;

void BoardTest::TearDown() {
    Stop();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BoardTest::StartWith(const QByteArray& data, const QString& file) {
    Stop();
    test_support::WriteBytes(file, data);
    Start(file);
}

void BoardTest::Start(const QString& file) {
    Stop();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    dataFile = file;
    Launch();
}

void BoardTest::Launch() {
    board_ = std::make_unique<pin_board::PinBoard>(dataFile, nullptr);
    board_->Restore();
}

void BoardTest::Stop() {
    board_.reset();
}

pin_board::PinBoard& BoardTest::Board() const {
    return *board_;
}

platform::FilePath BoardTest::PathOf(const char* name) const {
    return platform::FilePath::FromText(P(name));
}

QStringList BoardTest::Column(int field) const {
    QStringList column;
    const pin_list::PinList& list = Board().List();
    for (int row = 0; row < list.Count(); ++row) {
        column.append(list.At(row).entry.geometry.at(size_t(field)));
    }
    return column;
}

QByteArray BoardTest::DataFile() const {
    return test_support::ReadBytes("zuzerid.dat");
}

std::vector<pinned_window::PinnedWindow*> BoardTest::PinnedWindows() const {
    std::vector<pinned_window::PinnedWindow*> windows;
    for (pinned_window::PinnedWindow* window : Board().Windows()) {
        if (window->isVisible()) windows.push_back(window);
    }
    return windows;
}

pinned_window::PinnedWindow* BoardTest::PinnedAt(int left, int top) const {
    for (pinned_window::PinnedWindow* window : PinnedWindows()) {
        if (window->Left() == left && window->Top() == top) return window;
    }
    return nullptr;
}

platform::ImageBox* BoardTest::PictureOf(QWidget* window) {
    auto* picture = window->findChild<platform::ImageBox*>(QStringLiteral("picture"));
    return picture ? picture : window->findChild<platform::ImageBox*>(QStringLiteral("preview"));
}

void BoardTest::Trigger(QWidget* window, const char* item) {
    auto* action = window->findChild<QAction*>(QLatin1String(item));
    ASSERT_NE(action, nullptr) << item;
    action->trigger();
}

bool BoardTest::ItemEnabled(QWidget* window, const char* item) {
    auto* action = window->findChild<QAction*>(QLatin1String(item));
    return action && action->isEnabled();
}

void BoardTest::DoubleClick(QWidget* widget) {
    QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
}

void BoardTest::Unpin(int left, int top) const {
    pinned_window::PinnedWindow* window = PinnedAt(left, top);
    ASSERT_NE(window, nullptr) << left << ", " << top;
    DoubleClick(PictureOf(window));
}
