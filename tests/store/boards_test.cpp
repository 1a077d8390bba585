#include <gtest/gtest.h>

#include <functional>

#include "store/boards.h"

namespace {

using store::BoardList;
using store::kFirstBoard;

BoardList Three() {
    BoardList boards;
    boards.names = {kFirstBoard, QStringLiteral("作業"), QStringLiteral("趣味")};
    boards.hidden = {QStringLiteral("趣味")};
    boards.current = QStringLiteral("作業");
    return boards;
}

// Every rule of boards on one list of three: what it leaves, or that it refuses and leaves the
// list as it was.
TEST(BoardRules, EachRuleChangesTheListOrRefusesAndLeavesIt) {
    const struct {
        const char* what;
        std::function<std::optional<QString>(BoardList&)> rule;
        bool refused;
        QStringList names, hidden;
        const char* current;
    } cases[] = {
        {"make",
         [](BoardList& b) { return store::MakeBoard(b, QStringLiteral("旅")); },
         false,
         {kFirstBoard, "作業", "趣味", "旅"},
         {"趣味"},
         "作業"},
        {"make a name taken",
         [](BoardList& b) { return store::MakeBoard(b, QStringLiteral("作業")); },
         true,
         {},
         {},
         ""},
        {"make a blank name",
         [](BoardList& b) { return store::MakeBoard(b, QStringLiteral("  ")); },
         true,
         {},
         {},
         ""},
        {"rename the current and hidden",
         [](BoardList& b) {
             auto wrong = store::RenameBoard(b, QStringLiteral("作業"), QStringLiteral("仕事"));
             return wrong ? wrong
                          : store::RenameBoard(b, QStringLiteral("趣味"), QStringLiteral("遊び"));
         },
         false,
         {kFirstBoard, "仕事", "遊び"},
         {"遊び"},
         "仕事"},
        {"rename the first",
         [](BoardList& b) { return store::RenameBoard(b, kFirstBoard, "x"); },
         true,
         {},
         {},
         ""},
        {"rename one missing",
         [](BoardList& b) { return store::RenameBoard(b, "無い", "x"); },
         true,
         {},
         {},
         ""},
        {"delete the current",
         [](BoardList& b) { return store::DeleteBoard(b, QStringLiteral("作業")); },
         false,
         {kFirstBoard, "趣味"},
         {"趣味"},
         "既定"},
        {"delete the first",
         [](BoardList& b) { return store::DeleteBoard(b, kFirstBoard); },
         true,
         {},
         {},
         ""},
        {"show a hidden one: it takes new pins",
         [](BoardList& b) { return store::SetBoardHidden(b, QStringLiteral("趣味"), false); },
         false,
         {kFirstBoard, "作業", "趣味"},
         {},
         "趣味"},
        {"hide the current: it stays current",
         [](BoardList& b) { return store::SetBoardHidden(b, QStringLiteral("作業"), true); },
         false,
         {kFirstBoard, "作業", "趣味"},
         {"趣味", "作業"},
         "作業"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        BoardList boards = Three();
        const std::optional<QString> wrong = c.rule(boards);
        EXPECT_EQ(wrong.has_value(), c.refused);
        if (c.refused) {
            EXPECT_EQ(boards, Three());
            continue;
        }
        EXPECT_EQ(boards.names, c.names);
        EXPECT_EQ(boards.hidden, c.hidden);
        EXPECT_EQ(boards.current, QString::fromUtf8(c.current));
    }
}

TEST(BoardRules, NewPinsGoToTheCurrentBoardOrTheFirstShownOrNone) {
    BoardList boards = Three();
    EXPECT_EQ(store::TakingBoard(boards), QStringLiteral("作業"));
    boards.hidden.append(QStringLiteral("作業"));
    EXPECT_EQ(store::TakingBoard(boards), kFirstBoard);
    boards.hidden.append(kFirstBoard);
    EXPECT_EQ(store::TakingBoard(boards), std::nullopt);
}

}  // namespace
