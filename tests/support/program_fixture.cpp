#include "support/program_fixture.h"

#include <QApplication>
#include <QTest>

#include "app/program.h"
#include "display_window/display_window.h"
#include "forms/form1.h"
#include "forms/form3.h"
#include "forms/forms.h"
#include "store/picture_list.h"

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
    forms::SetEndAction([this] { ended = true; });
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
    dataFile = file;
    program = std::make_unique<app::Program>(file, thumbnailFolder);
    program->Start();
}

platform::FilePath ProgramTest::PathOf(const char* name) const {
    return platform::FilePath::FromText(P(name));
}

QStringList ProgramTest::Column(int field) const {
    QStringList column;
    for (const auto& entry : Pictures().Entries()) column.append(entry.geometry.at(size_t(field)));
    return column;
}

QByteArray ProgramTest::DataFile() const {
    return test_support::ReadBytes("zuzerid.dat");
}

store::PictureList& ProgramTest::Pictures() const {
    return program->Pictures();
}

bool ProgramTest::MainWindowShown() const {
    return forms::TheForm1().isVisible();
}

std::vector<forms::Form3*> ProgramTest::PinnedWindows() const {
    std::vector<forms::Form3*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<forms::Form3*>(widget);
        if (window && window->isVisible()) windows.push_back(window);
    }
    const auto position = [this](forms::Form3* w) {
        return Pictures().Entries().indexOf(store::PictureEntry{w->Label2.Caption, w->entryTexts});
    };
    std::sort(windows.begin(), windows.end(),
              [&](auto* a, auto* b) { return position(a) < position(b); });
    return windows;
}

forms::Form3* ProgramTest::PinnedAt(int left, int top) const {
    for (forms::Form3* window : PinnedWindows()) {
        if (window->Left() == left && window->Top() == top) return window;
    }
    return nullptr;
}

display_window::DisplayWindow& ProgramTest::Display() const {
    return static_cast<display_window::DisplayWindow&>(forms::TheForm2());
}

void ProgramTest::DoubleClick(QWidget* widget) const {
    QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
}
