#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include "help/help.h"
#include "help/help_window.h"
#include "support/test_files.h"

namespace {

using help::HelpSection;

QList<QWidget*> HelpWindows() {
    QList<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("HelpWindow")) windows.append(widget);
    }
    return windows;
}

QTextBrowser* BrowserOf(QWidget* window) {
    return window->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));
}

// The vertical place in the document where the anchor `name` starts; -1 when it is nowhere.
qreal AnchorTop(QTextBrowser* browser, const QString& name) {
    QTextDocument* document = browser->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            if (fragment.fragment().charFormat().anchorNames().contains(name)) {
                return document->documentLayout()->blockBoundingRect(block).top();
            }
        }
    }
    return -1;
}

class HelpTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (QWidget* window : HelpWindows()) delete window;
    }

    // Where the help file, if any, is written: the current folder.
    test_support::InTemporaryFolder folder;
    QStringList handedToDesktop;
    bool desktopOpensIt = true;
    help::Help help{[this](const QString& path) {
        handedToDesktop.append(path);
        return desktopOpensIt;
    }};
};

struct ShownCase {
    const char* name;
    const char* helpFile;  // in the current folder; empty: none
    bool desktopOpensIt;
    bool expectHandedOver;
    bool expectManual;
};

class HelpCases : public HelpTest, public ::testing::WithParamInterface<ShownCase> {};

TEST_P(HelpCases, HandsAHelpFileToTheDesktopOrShowsTheManual) {
    const ShownCase& c = GetParam();
    if (*c.helpFile) test_support::WriteBytes(folder.Path(QString::fromUtf8(c.helpFile)), "help");
    desktopOpensIt = c.desktopOpensIt;

    help.Open(HelpSection::MainWindow);

    EXPECT_EQ(handedToDesktop.size(), c.expectHandedOver ? 1 : 0);
    const QList<QWidget*> windows = HelpWindows();
    if (!c.expectManual) {
        EXPECT_TRUE(windows.isEmpty());
        EXPECT_EQ(help.Window(), nullptr);
        return;
    }
    ASSERT_EQ(windows.size(), 1);
    EXPECT_EQ(windows[0], help.Window());
    EXPECT_TRUE(windows[0]->isVisible());
    EXPECT_EQ(windows[0]->windowTitle(), QStringLiteral("Velloraﾍﾙﾌﾟ"));
}

INSTANTIATE_TEST_SUITE_P(
    Help, HelpCases,
    ::testing::Values(ShownCase{"NoHelpFile", "", true, false, true},
                      ShownCase{"HelpFileOpened", "Orvik.HLP", true, true, false},
                      ShownCase{"HelpFileNothingOpens", "Orvik.HLP", false, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HelpTest, OneWindowOpensAtTheSectionOfTheWindowThatAsked) {
    struct Step {
        HelpSection section;
        const char* anchor;
    };
    for (const Step& step : {Step{HelpSection::DisplayWindow, "display-window"},
                             Step{HelpSection::MainWindow, "main-window"},
                             Step{HelpSection::DisplayWindow, "display-window"}}) {
        help.Open(step.section);
        ASSERT_EQ(HelpWindows().size(), 1) << step.anchor;
        QTextBrowser* browser = BrowserOf(help.Window());
        ASSERT_NE(browser, nullptr);
        EXPECT_EQ(browser->source().fragment(), QLatin1String(step.anchor));
        // The section's heading is at the top of the view, unless the document ends first.
        const qreal top = AnchorTop(browser, QLatin1String(step.anchor));
        ASSERT_GE(top, 0) << step.anchor;
        QScrollBar* scroll = browser->verticalScrollBar();
        EXPECT_TRUE(std::abs(scroll->value() - top) <= 2 || scroll->value() == scroll->maximum())
            << step.anchor << ": scrolled to " << scroll->value() << ", section at " << top;
        EXPECT_GT(scroll->value(), 0) << step.anchor;
    }
}

TEST_F(HelpTest, AWindowScrolledAwayGoesBackToTheSection) {
    help.Open(HelpSection::MainWindow);
    QTextBrowser* browser = BrowserOf(help.Window());
    const int sectionStart = browser->verticalScrollBar()->value();
    browser->verticalScrollBar()->setValue(0);
    help.Open(HelpSection::MainWindow);
    EXPECT_EQ(browser->verticalScrollBar()->value(), sectionStart);
    EXPECT_EQ(HelpWindows().size(), 1);
}

TEST_F(HelpTest, EveryLinkOfTheManualLeadsToAPlaceInIt) {
    help.Open(HelpSection::MainWindow);
    QTextDocument* document = BrowserOf(help.Window())->document();
    QSet<QString> names;
    QStringList links;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            for (const QString& name : format.anchorNames()) names.insert(name);
            if (format.isAnchor() && !format.anchorHref().isEmpty())
                links.append(format.anchorHref());
        }
    }
    EXPECT_GE(links.size(), 10);
    for (const QString& link : links) {
        ASSERT_TRUE(link.startsWith(QLatin1Char('#'))) << link.toStdString();
        EXPECT_TRUE(names.contains(link.mid(1))) << link.toStdString();
    }
    for (HelpSection section : {HelpSection::MainWindow, HelpSection::DisplayWindow}) {
        EXPECT_TRUE(names.contains(help::HelpWindow::AnchorOf(section)));
    }
}

// Help opens the manual of the language in use at a section: each manual has every section.
TEST_F(HelpTest, BothManualsHaveTheSameSections) {
    const auto sections = [](const char* resource) {
        QFile file{QString::fromLatin1(resource)};
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << resource;
        const QString html = QString::fromUtf8(file.readAll());
        QSet<QString> names;
        for (const auto& match :
             QRegularExpression(QStringLiteral("name=\"([^\"]+)\"")).globalMatch(html)) {
            names.insert(match.captured(1));
        }
        return names;
    };
    const QSet<QString> japanese = sections(":/manual/manual.html");
    EXPECT_GE(japanese.size(), 20);
    EXPECT_EQ(sections(":/manual/manual_en.html"), japanese);
}

TEST_F(HelpTest, ButtonsGoToTheContentsBackAndForward) {
    help.Open(HelpSection::DisplayWindow);
    QWidget* window = help.Window();
    QTextBrowser* browser = BrowserOf(window);
    auto* back = window->findChild<QPushButton*>(QStringLiteral("HelpBack"));
    auto* forward = window->findChild<QPushButton*>(QStringLiteral("HelpForward"));
    ASSERT_TRUE(back && forward);
    EXPECT_FALSE(back->isEnabled());

    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("HelpContents")),
                      Qt::LeftButton);
    EXPECT_EQ(browser->source().fragment(), QStringLiteral("contents"));
    ASSERT_TRUE(back->isEnabled());
    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_EQ(browser->source().fragment(), QStringLiteral("display-window"));
    ASSERT_TRUE(forward->isEnabled());
    QTest::mouseClick(forward, Qt::LeftButton);
    EXPECT_EQ(browser->source().fragment(), QStringLiteral("contents"));
}

TEST_F(HelpTest, ClosingTheWindowLetsTheNextCommandOpenAFreshOne) {
    help.Open(HelpSection::MainWindow);
    QTest::mouseClick(help.Window()->findChild<QPushButton*>(QStringLiteral("HelpClose")),
                      Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(help.Window(), nullptr);
    EXPECT_TRUE(HelpWindows().isEmpty());
    help.Open(HelpSection::DisplayWindow);
    ASSERT_NE(help.Window(), nullptr);
    EXPECT_TRUE(help.Window()->isVisible());
}

TEST(Help, TakesItsWindowAlongWhenItGoes) {
    test_support::InTemporaryFolder folder;
    {
        help::Help help([](const QString&) { return false; });
        help.Open(HelpSection::MainWindow);
        ASSERT_EQ(HelpWindows().size(), 1);
    }
    EXPECT_TRUE(HelpWindows().isEmpty());
}

}  // namespace
