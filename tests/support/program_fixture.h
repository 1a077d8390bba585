#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "platform/core/file_path.h"
#include "support/test_files.h"

namespace app {
class Program;
}
namespace display_window {
class DisplayWindow;
}
namespace main_window {
class MainWindow;
}
namespace pin_board {
class PinBoard;
}
namespace pinned_window {
class PinnedWindow;
}
namespace platform {
class ImageBox;
}

// The program started in a temporary folder that holds a.jpg (300 x 200), b.jpg (200 x 300),
// c.jpg (150 x 150) and c.gif (2 x 1); "終了" only sets `ended`.
class ProgramTest : public ::testing::Test {
protected:
    ProgramTest();
    ~ProgramTest() override;
    void TearDown() override;

    // Starts the program (again) with these bytes as its data file.
    void StartWith(const QByteArray& data, const QString& dataFile = QStringLiteral("zuzerid.dat"));
    // Starts the program (again) on whatever the data file holds.
    void Start(const QString& dataFile = QStringLiteral("zuzerid.dat"));

    QString P(const char* name) const { return folder.Path(name); }
    platform::FilePath PathOf(const char* name) const;
    // One geometry field (0 Left .. 3 Height) of every listed pin, in list order.
    QStringList Column(int field) const;
    QByteArray DataFile() const;
    pin_board::PinBoard& Board() const;
    main_window::MainWindow& Main() const;
    display_window::DisplayWindow& Display() const;
    bool MainWindowShown() const;
    std::vector<pinned_window::PinnedWindow*> PinnedWindows() const;  // shown, in list order
    pinned_window::PinnedWindow* PinnedAt(int left, int top) const;
    // The picture a window shows (its child "picture", or the main window's "preview").
    static platform::ImageBox* PictureOf(QWidget* window);
    // Chooses the menu item of that object name in the window's menus.
    static void Trigger(QWidget* window, const char* item);
    static bool ItemEnabled(QWidget* window, const char* item);
    static void DoubleClick(QWidget* widget);
    // Unpins the pin at that place, as a double-click on it does.
    void Unpin(int left, int top) const;

    test_support::InTemporaryFolder folder;
    std::unique_ptr<app::Program> program;
    QString dataFile;
    QString thumbnailFolder;  // the program's thumbnail cache; none when empty
    bool ended = false;
};

// One record of the data file: the geometry texts in 14-column print zones, then the path.
QByteArray Record(const QString& left, const QString& top, const QString& width,
                  const QString& height, const QString& path);
QByteArray Record(const QString& left, const QString& top, const QString& width,
                  const QString& height, const QByteArray& rawPath);
