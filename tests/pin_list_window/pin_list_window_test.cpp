#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "app/program.h"
#include "pin_board/pin_board.h"
#include "pin_list_window/pin_list_window.h"
#include "pinned_window/pinned_window.h"
#include "platform/pictures/thumbnail_cache.h"
#include "support/program_fixture.h"
#include "support/test_files.h"

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

    // Many at once only after a confirmation that says how many; a single pin without one.
    QString asked;
    bool answer = false;
    window.SetConfirm([&](const QString& question) { return asked = question, answer; });
    view->selectAll();
    button("delete")->click();
    EXPECT_TRUE(asked.contains(u'3')) << asked.toStdString();
    EXPECT_EQ(Board().Count(), 3);
    answer = true;
    view->selectionModel()->select(view->model()->index(0, 0), QItemSelectionModel::Deselect);
    button("delete")->click();
    EXPECT_EQ(DataFile(), Record("0", "0", "1500", "1500", P("a.jpg")));

    // The removed pins stay listed after the others, the newest first, and come back as they were.
    ASSERT_EQ(view->model()->rowCount(), 3);
    EXPECT_TRUE(view->model()->index(1, 0).data().toString().startsWith(QStringLiteral("c.jpg")));
    EXPECT_TRUE(view->model()->index(2, 0).data().toString().contains(QStringLiteral("削除済み")));
    // "最近削除した画像" shows them alone.
    auto* boards = window.findChild<QComboBox*>(QStringLiteral("boards"));
    boards->setCurrentIndex(boards->count() - 1);
    EXPECT_EQ(boards->currentText(), QStringLiteral("最近削除した画像"));
    EXPECT_EQ(view->model()->rowCount(), 2);
    boards->setCurrentIndex(0);
    view->selectionModel()->select(
        QItemSelection(view->model()->index(1, 0), view->model()->index(2, 0)),
        QItemSelectionModel::ClearAndSelect);
    button("restore")->click();
    EXPECT_EQ(view->model()->rowCount(), 3);
    for (const QByteArray& record : {Record("1500", "0", "1500", "1500", P("b.jpg")),
                                     Record("3000", "0", "1500", "1500", P("c.jpg"))}) {
        EXPECT_TRUE(DataFile().contains(record)) << record.data();
    }
    EXPECT_EQ(PinnedWindows().size(), 2u);  // and a.jpg stays hidden
}

TEST_F(PinListWindowTest, BoardsAreMadeFilledHiddenAndFound) {
    StartWith(Record("0", "0", "1500", "1500", P("a.jpg")) +
              Record("1500", "0", "1500", "1500", P("b.jpg")));
    auto& window = program->PinListWindow();
    auto* view = window.findChild<QListView*>(QStringLiteral("pins"));
    auto* boards = window.findChild<QComboBox*>(QStringLiteral("boards"));
    ASSERT_TRUE(view && boards);
    const auto button = [&window](const char* name) {
        return window.findChild<QPushButton*>(QLatin1String(name));
    };

    window.SetAskName([](const QString&, const QString&) { return QStringLiteral("仕事 & 2"); });
    button("newBoard")->click();
    EXPECT_EQ(boards->currentData().toString(), QStringLiteral("仕事 & 2"));
    EXPECT_EQ(view->model()->rowCount(), 0);

    boards->setCurrentIndex(0);  // every board
    view->selectionModel()->select(view->model()->index(1, 0), QItemSelectionModel::ClearAndSelect);
    QMenu* targets = button("move")->menu();
    emit targets->aboutToShow();
    const QList<QAction*> actions = targets->findChildren<QAction*>(QStringLiteral("moveTo"));
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[1]->text(), QStringLiteral("仕事 && 2"));
    actions[1]->trigger();

    boards->setCurrentIndex(boards->findData(QStringLiteral("仕事 & 2")));
    ASSERT_EQ(view->model()->rowCount(), 1);
    button("hideBoard")->click();
    ASSERT_EQ(PinnedWindows().size(), 1u);
    EXPECT_EQ(PinnedWindows()[0]->Left(), 0);
    EXPECT_TRUE(view->model()->index(0, 0).data().toString().contains(QStringLiteral("非表示")));

    // The search finds a picture by the text recognised in it, when there is some.
    boards->setCurrentIndex(0);
    window.SetTextLookup([this](const platform::FilePath& file) {
        return file.DisplayText() == P("b.jpg") ? QStringLiteral("Error 404") : QString();
    });
    window.findChild<QLineEdit*>(QStringLiteral("search"))->setText(QStringLiteral("error"));
    ASSERT_EQ(view->model()->rowCount(), 1);
    EXPECT_TRUE(view->model()->index(0, 0).data().toString().startsWith(QStringLiteral("b.jpg")));
}

TEST_F(PinListWindowTest, ThumbnailsKeepThePicturesShape) {
    thumbnailFolder = folder.Path("thumbnails");
    StartWith(Record("0", "0", "1500", "1000", P("a.jpg")) +
              Record("1500", "0", "1000", "1500", P("b.jpg")));
    program->Thumbnails()->Wait();  // the restore wrote them
    auto* view = program->PinListWindow().findChild<QListView*>(QStringLiteral("pins"));
    ASSERT_TRUE(view);
    const QSize shapes[] = {{64, 42}, {42, 64}};  // a.jpg 300 x 200, b.jpg 200 x 300
    for (int row = 0; row < 2; ++row) {
        const QVariant thumbnail = view->model()->index(row, 0).data(Qt::DecorationRole);
        EXPECT_EQ(thumbnail.value<QPixmap>().size(), shapes[row]) << row;
    }
    // A pin turned on its side shows so in its row.
    Board().List().ChangeSettings(Board().List().At(0).id,
                                  [](store::PinSettings& s) { s.transform.turns = 1; });
    EXPECT_EQ(view->model()->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().size(),
              shapes[1]);
}

// A pin made moments ago has no thumbnail in the cache yet: its row shows one all the same,
// once it is decoded, without a restart.
TEST_F(PinListWindowTest, ANewPinsRowGetsItsThumbnailWithoutARestart) {
    thumbnailFolder = folder.Path("thumbnails");
    StartWith({});
    const QImage pixels = test_support::Filled({120, 60}, Qt::blue);
    ASSERT_TRUE(pixels.save(P("captured.png")));
    pin_board::Placement placement;
    placement.path = PathOf("captured.png");
    // As a capture pins: the pixels on hand, with nothing said of where they came from.
    placement.picture =
        std::make_shared<platform::PictureData>(placement.path, pixels.size(), pixels);
    placement.rect = {0, 0, 1800, 900};
    Board().Pin(placement);
    auto* view = program->PinListWindow().findChild<QListView*>(QStringLiteral("pins"));
    ASSERT_TRUE(view);
    QSignalSpy arrived(view->model(), &QAbstractItemModel::dataChanged);
    view->model()->index(0, 0).data(Qt::DecorationRole);
    ASSERT_TRUE(arrived.wait(10000));
    EXPECT_EQ(view->model()->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().size(),
              QSize(64, 32));
}

}  // namespace
