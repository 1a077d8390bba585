#pragma once

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>
#include <vector>

#include "support/test_files.h"

namespace forms {
class Form3;
}
namespace display_window {
class DisplayWindow;
}

// A started program in a temporary folder, with pictures to pin.
class WindowsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program with these records in the data file.
    void StartWith(const QByteArray& data);
    QString P(const char* name) const { return folder.Path(name); }
    QByteArray DataFile() const;
    std::vector<forms::Form3*> PinnedWindows() const;  // in picture-list order
    forms::Form3* PinnedAt(int left, int top) const;
    display_window::DisplayWindow& Display() const;
    void DoubleClick(QWidget* widget) const;

    test_support::InTemporaryFolder folder;
    bool ended = false;
};

QByteArray Record(const QString& left, const QString& top, const QString& width,
                  const QString& height, const QString& path);
