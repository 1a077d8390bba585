#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <iostream>
#include <memory>

#include "e2e_files.h"
#include "x_session.h"

#ifndef VELLORA_PROGRAM
#error "VELLORA_PROGRAM must name the program under test"
#endif

namespace e2e {

// A test with its own X display, window manager and working folder. On failure the program's
// output, the window manager's log and the window tree are printed, and screenshots saved by
// the test are kept (their folder is named).
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QStringList missing = XSession::MissingTools();
        if (!missing.isEmpty())
            GTEST_SKIP() << "missing tools: " << missing.join(' ').toStdString();
        session = std::make_unique<XSession>(Screen());
        ASSERT_TRUE(session->Ok()) << session->Error().toStdString();
        ASSERT_TRUE(work.isValid());
    }

    void TearDown() override {
        if (!session) return;
        // In the sanitizer build the program reports its own faults on its output.
        const QString output = session->ProgramOutput();
        for (const char* report : {"runtime error:", "AddressSanitizer", "LeakSanitizer"}) {
            EXPECT_FALSE(output.contains(QLatin1String(report)))
                << "the program reported " << report;
        }
        if (HasFailure()) {
            std::cout << "--- program output ---\n"
                      << session->ProgramOutput().toStdString() << "--- visible windows ---\n";
            for (const WindowInfo& window : session->VisibleWindows()) {
                std::cout << QStringLiteral("  0x%1 \"%2\" %3\n")
                                 .arg(window.id, 0, 16)
                                 .arg(window.title, ToString(window.rect))
                                 .toStdString();
            }
            // A window the program mapped that never came up shows here rather than nowhere.
            std::cout << "--- named windows not mapped ---\n"
                      << session->UnmappedWindowsReport().toStdString()
                      << "--- the window manager's clients (_NET_CLIENT_LIST) ---\n"
                      << session->ClientListReport().toStdString() << "--- window manager log ---\n"
                      << session->WindowManagerLog().toStdString();
            if (!keptFolder.isEmpty())
                std::cout << "screenshots kept in " << keptFolder.toStdString() << "\n";
        }
        session.reset();
    }

    // The size of the test's screen.
    virtual QSize Screen() const { return QSize(1280, 1024); }

    QString Path(const QString& name) const { return work.filePath(name); }
    QString DataFile() const { return Path(QStringLiteral("zuzerid.dat")); }

    bool Start() { return session->StartProgram(QStringLiteral(VELLORA_PROGRAM), work.path()); }
    // Starts the program through a link of another name, as a packaged or wrapped program runs:
    // what the program calls itself must not depend on it.
    bool StartThroughLink(const QString& name) {
        const QString link = Path(name);
        return QFile::link(QStringLiteral(VELLORA_PROGRAM), link) &&
               session->StartProgram(link, work.path());
    }

    // The program's own class, for window-manager rules, on every window it maps.
    void ExpectProgramClass(WindowId id) const {
        EXPECT_EQ(
            session->Property(id, QStringLiteral("WM_CLASS")).value_or(QString()).toStdString(),
            "\"vellora\", \"Vellora\"")
            << session->Describe(id).toStdString();
    }

    // A pinned picture is no application window: it stays out of the taskbar, the pagers and
    // the window switchers (Alt+Tab), whatever the window manager did to its state.
    void ExpectPinnedWindowStates(WindowId id) const {
        const QStringList state = session->WmState(id).value_or(QStringList());
        for (const char* atom : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
            EXPECT_TRUE(state.contains(QLatin1String(atom)))
                << atom << " missing from _NET_WM_STATE = " << state.join(", ").toStdString();
        }
        ExpectProgramClass(id);
    }

    // Waits until the data file holds exactly `expected`; the last content read otherwise.
    QByteArray WaitForDataFile(const QByteArray& expected, int timeoutMs = 5000) const {
        QByteArray content;
        XSession::WaitUntil(
            [&] {
                content = ReadBytes(DataFile());
                return QFile::exists(DataFile()) && content == expected;
            },
            timeoutMs, 50);
        return content;
    }

    // Expects the data file to come to hold exactly `expected`, showing both texts if not.
    void ExpectDataFile(const QByteArray& expected, int timeoutMs = 5000) const {
        const QByteArray content = WaitForDataFile(expected, timeoutMs);
        EXPECT_EQ(Printable(content).toStdString(), Printable(expected).toStdString())
            << "the data file differs";
    }

    // Keeps a screenshot for the failure report in a folder that outlives the test.
    void Keep(const QImage& image, const QString& name) {
        if (keptFolder.isEmpty()) {
            keptFolder = QDir::tempPath() + QStringLiteral("/vellora-e2e-") +
                         QString::fromLatin1(
                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
            QDir().mkpath(keptFolder);
        }
        image.save(keptFolder + QLatin1Char('/') + name, "PNG");
    }

    std::unique_ptr<XSession> session;
    QTemporaryDir work;
    QString keptFolder;
};

}  // namespace e2e
