#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <functional>

#include "about_box/about_box.h"
#include "app/program.h"
#include "app/save_failure_notice.h"
#include "app/tray_icon.h"
#include "help/help.h"
#include "language/language.h"
#include "main_window/main_window.h"
#include "pinned_window/pinned_window.h"
#include "support/program_fixture.h"

namespace {

// Hiragana, katakana, CJK ideographs and punctuation, and full- and half-width forms.
bool IsJapanese(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x3000 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x9FFF) ||
           (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF00 && u <= 0xFFEF);
}

// Every text a user can read on `object` and below it (menus and their items are children of
// their window or menu bar): captions, labels, items, tooltips and the help page.
void CollectTexts(const QObject* object, QStringList& texts) {
    for (const char* name : {"windowTitle", "text", "title", "toolTip", "statusTip", "whatsThis",
                             "iconText", "plainText", "placeholderText"}) {
        const QString text = object->property(name).toString();
        if (!text.isEmpty()) texts.append(object->objectName() + QStringLiteral(": ") + text);
    }
    for (const QObject* child : object->children()) CollectTexts(child, texts);
}

using Texts = ProgramTest;

TEST_F(Texts, EveryTextIsInTheRunsLanguage) {
    language::InstallTranslator();
    // A pin, a picture waiting for its folder and a damaged line: the pin's menu, the tray's
    // waiting list and the note on unread lines.
    StartWith(Record("0", "0", "1500", "1500", P("a.jpg")) +
              Record("15", "15", "150", "150", P("later/x.jpg")) + "3600 300 3000 22x0\n" +
              P("c.jpg").toUtf8() + "\n");
    app::TrayIcon tray(Board(), [](app::CommandId) {});
    app::SaveFailureNotice notice(QStringLiteral("zuzerid.dat"));
    // Each row opens one more place whose texts the user reads; a new window or menu is one row.
    const std::function<void()> open[] = {
        [&] { program->Help().Open(help::HelpSection::MainWindow); },
        [&] { program->AboutBox().ShowAbout(); },
        [&] { program->ShowPinList(); },
        [&] { Trigger(&Main(), "hide"); },
        [&] {  // the pin's own menu, opened by the right button
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), QPoint(2, 2));
            QApplication::sendEvent(PinnedWindows().at(0), &event);
        },
        [&] { tray.TellPasteFailed(); },
        [&] {
            notice.Saved(QStringLiteral("zuzerid.dat"), {false, QStringLiteral("disk full")});
        },
        [&] {
            notice.Saved(QStringLiteral("boards.json"), {false, QStringLiteral("disk full")});
        },
        [&] { Unpin(0, 0); },
    };
    QStringList texts;
    CollectTexts(tray.Menu(), texts);
    for (const auto& opening : open) {
        opening();
        QCoreApplication::processEvents();
        // Read at once: a window may go with the next step (the pin with its menu).
        for (const QWidget* window : QApplication::topLevelWidgets()) CollectTexts(window, texts);
    }
    texts.append(tray.IdleToolTip());

    const QString expected = qEnvironmentVariable("VELLORA_EXPECTED_LANGUAGE");
    ASSERT_FALSE(expected.isEmpty()) << "the test names the language its locale means";
    if (expected == QLatin1String("English")) {
        ASSERT_EQ(language::Current(), language::Language::English);
        for (const QString& text : texts) {
            EXPECT_FALSE(std::any_of(text.begin(), text.end(), IsJapanese)) << qPrintable(text);
        }
    } else {
        ASSERT_EQ(language::Current(), language::Language::Japanese);
        // Untranslated, byte for byte: a caption with its trailing blank, half-width katakana.
        for (const char* text : {"DisplayWindow: 画像表示 ", "tray_show: ﾒｲﾝｳｨﾝﾄﾞｳを表示",
                                 "tray_waiting: 接続待ちの画像", "delete: 削除"}) {
            EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;
        }
    }
    EXPECT_GT(texts.size(), 50);
}

}  // namespace
