#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "platform/core/file_path.h"
#include "support/test_files.h"

namespace pin_board {
class PinBoard;
}
namespace pinned_window {
class PinnedWindow;
}
namespace platform {
class ImageBox;
}

// The pin board alone, started in a temporary folder that holds a.jpg (300 x 200), b.jpg
// (200 x 300), c.jpg (150 x 150) and c.gif (2 x 1). ProgramTest starts the whole program there
// instead.
class BoardTest : public ::testing::Test {
protected:
    BoardTest();
    ~BoardTest() override;
    void TearDown() override;

    // Starts (again) with these bytes as the data file.
    void StartWith(const QByteArray& data, const QString& dataFile = QStringLiteral("zuzerid.dat"));
    // Starts (again) on whatever the data file holds.
    void Start(const QString& dataFile = QStringLiteral("zuzerid.dat"));

    QString P(const char* name) const { return folder.Path(name); }
    platform::FilePath PathOf(const char* name) const;
    // One geometry field (0 Left .. 3 Height) of every listed pin, in list order.
    QStringList Column(int field) const;
    QByteArray DataFile() const;
    virtual pin_board::PinBoard& Board() const;
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
    QString dataFile;
    QString thumbnailFolder;  // the program's thumbnail cache; none when empty

private:
    // What Start makes and TearDown ends: here the board, restored.
    virtual void Launch();
    virtual void Stop();

    std::unique_ptr<pin_board::PinBoard> board_;
};

// One record of the data file: the geometry texts in 14-column print zones, then the path.
QByteArray Record(const QString& left, const QString& top, const QString& width,
                  const QString& height, const QString& path);
QByteArray Record(const QString& left, const QString& top, const QString& width,
                  const QString& height, const QByteArray& rawPath);
