#include "window_test_support.h"

#include <QApplication>
#include <QTest>

#include "app/program.h"
#include "display_window/display_window.h"
#include "forms/form1.h"
#include "forms/form3.h"
#include "forms/forms.h"

QByteArray Record(const QString& left, const QString& top, const QString& width,
                  const QString& height, const QString& path) {
    QByteArray line = left.toLatin1();
    for (const QString& item : {top, width, height}) {
        line.append(14 - line.size() % 14, ' ');
        line.append(item.toLatin1());
    }
    return line + "\r\n" + path.toUtf8() + "\r\n";
}

void WindowsTest::SetUp() {
    test_support::WriteJpeg(folder.Path("a.jpg"), {300, 200}, Qt::red);
    test_support::WriteJpeg(folder.Path("b.jpg"), {200, 300}, Qt::green);
    test_support::WriteJpeg(folder.Path("c.jpg"), {150, 150}, Qt::blue);
    forms::SetEndAction([this] { ended = true; });
}

void WindowsTest::TearDown() {
    forms::DestroyAllForms();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void WindowsTest::StartWith(const QByteArray& data) {
    test_support::WriteBytes("zuzerid.dat", data);
    app::Start();
}

QByteArray WindowsTest::DataFile() const { return test_support::ReadBytes("zuzerid.dat"); }

std::vector<forms::Form3*> WindowsTest::PinnedWindows() const {
    std::vector<forms::Form3*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<forms::Form3*>(widget);
        if (window && window->isVisible()) windows.push_back(window);
    }
    const store::PictureList& list = forms::TheForm1().pictureList;
    const auto position = [&](forms::Form3* w) {
        return list.IndexOf(w->Label2.Caption, w->entryTexts[0], w->entryTexts[1],
                            w->entryTexts[2], w->entryTexts[3]);
    };
    std::sort(windows.begin(), windows.end(),
              [&](auto* a, auto* b) { return position(a) < position(b); });
    return windows;
}

forms::Form3* WindowsTest::PinnedAt(int left, int top) const {
    for (forms::Form3* window : PinnedWindows()) {
        if (window->Left() == left && window->Top() == top) return window;
    }
    return nullptr;
}

display_window::DisplayWindow& WindowsTest::Display() const {
    return static_cast<display_window::DisplayWindow&>(forms::TheForm2());
}

void WindowsTest::DoubleClick(QWidget* widget) const {
    QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
}
