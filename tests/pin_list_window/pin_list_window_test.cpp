#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include "app/program.h"
#include "pin_board/pin_board.h"
#include "pin_list_window/pin_list_window.h"
#include "pinned_window/pinned_window.h"
#include "support/program_fixture.h"

namespace {

using PinListWindowTest = ProgramTest;

TEST_F(PinListWindowTest, ListsSearchesAndActsOnTheSelection) {
    StartWith(Record("0", "0", "1500", "1500", P("a.jpg")) +
              Record("1500", "0", "1500", "1500", P("b.jpg")) +
              Record("3000", "0", "1500", "1500", P("c.jpg")));
    program->ShowPinList();
    auto& window = program->PinListWindow();
    auto* view = window.findChild<QListView*>(QStringLiteral("pins"));
    auto* search = window.findChild<QLineEdit*>(QStringLiteral("search"));
    ASSERT_TRUE(view && search);
    EXPECT_EQ(view->model()->rowCount(), 3);

    const struct {
        const char* text;
        int rows;
    } searches[] = {{"b.jp", 1}, {"B.JPG", 1}, {"nothing", 0}, {"", 3}};
    for (const auto& s : searches) {
        search->setText(QString::fromLatin1(s.text));
        EXPECT_EQ(view->model()->rowCount(), s.rows) << s.text;
    }

    const auto button = [&window](const char* name) {
        return window.findChild<QPushButton*>(QLatin1String(name));
    };
    view->selectAll();
    button("hide")->click();
    EXPECT_TRUE(PinnedWindows().empty());
    view->selectionModel()->select(view->model()->index(1, 0), QItemSelectionModel::ClearAndSelect);
    button("show")->click();
    ASSERT_EQ(PinnedWindows().size(), 1u);
    EXPECT_EQ(PinnedWindows()[0]->Left(), 1500);
    EXPECT_TRUE(view->model()->index(1, 0).data().toString().contains(QStringLiteral("表示中")));

    // Many at once only after a confirmation; a single pin without one.
    int asked = 0;
    bool answer = false;
    window.SetConfirm([&](int count) { return asked = count, answer; });
    view->selectAll();
    button("delete")->click();
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(Board().Count(), 3);
    answer = true;
    view->selectionModel()->select(view->model()->index(0, 0), QItemSelectionModel::Deselect);
    button("delete")->click();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(DataFile(), Record("0", "0", "1500", "1500", P("a.jpg")));
    EXPECT_EQ(view->model()->rowCount(), 1);
}

}  // namespace
