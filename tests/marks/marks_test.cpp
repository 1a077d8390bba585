#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "marks/mark_editor.h"
#include "marks/mark_painter.h"
#include "marks/mark_set.h"
#include "marks/marks_file.h"
#include "marks/marks_store.h"

namespace {

using marks::Kind;
using marks::Mark;

Mark Of(Kind kind, QPolygonF points, QString text = {}) {
    return Mark{.kind = kind,
                .points = std::move(points),
                .color = QColor(10, 20, 30, 200),
                .width = 3.5,
                .text = std::move(text)};
}

const Mark kBox = Of(Kind::Rectangle, {{10, 10}, {50, 40}});
const Mark kNumber = Of(Kind::Number, {{80, 80}});

TEST(MarksFile, EveryKindAndOddTextsReadBackAsWritten) {
    const QList<Mark> written{
        Of(Kind::Pen, {{1.25, 2}, {3, 4}, {5.5, 6.75}}),
        Of(Kind::Highlighter, {{0, 0}}),
        Of(Kind::Line, {{0, 0}, {100, 100}}),
        Of(Kind::Arrow, {{-5, 3}, {7, 9}}),
        kBox,
        Of(Kind::Ellipse, {{30, 20}, {10, 5}}),
        Of(Kind::Text, {{4, 4}}, QStringLiteral("二行の\n文字")),
        Of(Kind::Text, {{4, 4}}, QStringLiteral("مرحبا بالعالم")),
        Of(Kind::Text, {{4, 4}}, QStringLiteral("🎉 \"quoted\" \\ tab\t")),
        kNumber,
        Of(Kind::Mosaic, {{0, 0}, {20, 20}}),
        Of(Kind::Blur, {{5, 5}, {1, 1}}),
    };
    const marks::ReadMarks read = marks::ParseMarks(marks::FormatMarks(written));
    EXPECT_FALSE(read.damaged);
    EXPECT_EQ(read.marks, written);
}

TEST(MarksFile, ADamagedFileKeepsWhatReadsAndSaysSo) {
    const QByteArray good =
        R"({"kind":"rectangle","points":[10,10,50,40],"color":"#c80a141e","width":3.5})";
    const struct {
        const char* name;
        QByteArray bytes;
        qsizetype kept;
    } cases[] = {
        {"not JSON", "{\"marks\":[", 0},
        {"no list", "{\"marks\":3}", 0},
        {"empty", "", 0},
        {"unknown kind",
         "{\"marks\":[" + good + R"(,{"kind":"star","points":[1,1],"color":"#fff","width":1}]})",
         1},
        {"bad colour",
         "{\"marks\":[" + good + R"(,{"kind":"pen","points":[1,1],"color":"nope","width":1}]})", 1},
        {"odd coordinates",
         R"({"marks":[{"kind":"pen","points":[1,1,2],"color":"#fff","width":1}]})", 0},
        {"a shape with one point",
         R"({"marks":[{"kind":"rectangle","points":[1,1],"color":"#fff","width":1}]})", 0},
        {"a text with two",
         R"({"marks":[{"kind":"text","points":[1,1,2,2],"color":"#fff","width":1}]})", 0},
        {"no width", R"({"marks":[{"kind":"pen","points":[1,1],"color":"#fff"}]})", 0},
        {"a text number", R"({"marks":[{"kind":"pen","points":["1",1],"color":"#fff","width":1}]})",
         0},
    };
    for (const auto& c : cases) {
        const marks::ReadMarks read = marks::ParseMarks(c.bytes);
        EXPECT_TRUE(read.damaged) << c.name;
        EXPECT_EQ(read.marks.size(), c.kept) << c.name;
    }
}

TEST(MarkSet, EveryStepUndoesAndRedoesAndNumbersFollowTheirPlace) {
    const Mark moved = kBox.Moved({5, 5});
    Mark restyled = kBox;
    restyled.color = Qt::blue;
    const struct {
        const char* name;
        std::function<void(marks::MarkSet&)> step;
        QList<Mark> after;
    } cases[] = {
        {"make", [](marks::MarkSet& s) { s.Add(kNumber); }, {kBox, kNumber, kNumber, kNumber}},
        {"move", [&](marks::MarkSet& s) { s.Change(0, moved); }, {moved, kNumber, kNumber}},
        {"restyle",
         [&](marks::MarkSet& s) { s.Change(0, restyled); },
         {restyled, kNumber, kNumber}},
        {"delete", [](marks::MarkSet& s) { s.Remove(1); }, {kBox, kNumber}},
        {"clear", [](marks::MarkSet& s) { s.Clear(); }, {}},
    };
    for (const auto& c : cases) {
        marks::MarkSet set;
        set.Add(kBox);
        set.Add(kNumber);
        set.Add(kNumber);
        const QList<Mark> before = set.Marks();
        c.step(set);
        EXPECT_EQ(set.Marks(), c.after) << c.name;
        set.History().undo();
        EXPECT_EQ(set.Marks(), before) << c.name;
        set.History().redo();
        EXPECT_EQ(set.Marks(), c.after) << c.name;
    }
    // The number after one removed takes its place.
    const QList<Mark> numbered{kNumber, kBox, kNumber, kNumber};
    EXPECT_EQ(marks::Numbers(numbered), (QList<int>{1, 0, 2, 3}));
    EXPECT_EQ(marks::Numbers({kBox, kNumber, kNumber}), (QList<int>{0, 1, 2}));
}

// The pointer's gestures on an editor, in picture pixels.
struct Gesture {
    const char* name;
    marks::Tool tool;
    std::function<void(marks::Editor&)> act;
    QList<Mark> expected;  // the marks after, colour and width as the editor's
};

TEST(MarkEditor, GesturesMakeMoveResizeAndDeleteMarks) {
    const auto drag = [](QPointF from, QPointF to, bool shift = false) {
        return [=](marks::Editor& e) {
            e.Press(from, shift);
            e.Move((from + to) / 2, shift);
            e.Release(to, shift);
        };
    };
    const auto styled = [](Mark mark) {
        mark.color = QColor(0xe5, 0x39, 0x35);
        mark.width = 4;
        return mark;
    };
    const Mark box = styled(Of(Kind::Rectangle, {{10, 10}, {50, 40}}));
    const Gesture cases[] = {
        {"a rectangle dragged", Kind::Rectangle, drag({10, 10}, {50, 40}), {box}},
        {"a square with Shift",
         Kind::Rectangle,
         drag({10, 10}, {50, 20}, true),
         {styled(Of(Kind::Rectangle, {{10, 10}, {50, 50}}))}},
        {"a line at 45 degrees with Shift",
         Kind::Line,
         drag({0, 0}, {10, 9}, true),
         {styled(Of(
             Kind::Line,
             {{0, 0}, {std::hypot(10, 9) / std::sqrt(2.0), std::hypot(10, 9) / std::sqrt(2.0)}}))}},
        {"a click with a shape tool makes nothing", Kind::Ellipse, drag({5, 5}, {6, 6}), {}},
        {"numbers by clicks",
         Kind::Number,
         [&](marks::Editor& e) {
             drag({5, 5}, {5, 5})(e);
             drag({9, 9}, {9, 9})(e);
         },
         {styled(Of(Kind::Number, {{5, 5}})), styled(Of(Kind::Number, {{9, 9}}))}},
        {"a pen stroke keeps every point",
         Kind::Pen,
         drag({1, 1}, {9, 1}),
         {styled(Of(Kind::Pen, {{1, 1}, {5, 1}, {9, 1}}))}},
        {"selected and moved",
         Kind::Rectangle,
         [&](marks::Editor& e) {
             drag({10, 10}, {50, 40})(e);
             e.SetTool(marks::kSelect);
             drag({10, 25}, {20, 35})(e);
         },
         {styled(Of(Kind::Rectangle, {{20, 20}, {60, 50}}))}},
        {"resized by a corner",
         Kind::Rectangle,
         [&](marks::Editor& e) {
             drag({10, 10}, {50, 40})(e);
             e.SetTool(marks::kSelect);
             drag({10, 25}, {10, 25})(e);  // selects it
             drag({50, 40}, {70, 60})(e);
         },
         {styled(Of(Kind::Rectangle, {{10, 10}, {70, 60}}))}},
        {"recoloured while selected",
         Kind::Rectangle,
         [&](marks::Editor& e) {
             drag({10, 10}, {50, 40})(e);
             e.SetTool(marks::kSelect);
             drag({50, 25}, {50, 25})(e);
             e.SetColor(Qt::green);
         },
         {[&] {
             Mark green = box;
             green.color = Qt::green;
             return green;
         }()}},
        {"deleted while selected",
         Kind::Rectangle,
         [&](marks::Editor& e) {
             drag({10, 10}, {50, 40})(e);
             e.SetTool(marks::kSelect);
             drag({50, 25}, {50, 25})(e);
             e.DeleteSelected();
         },
         {}},
        {"a text, then emptied",
         Kind::Text,
         [](marks::Editor& e) {
             e.CommitText(-1, {3, 4}, QStringLiteral("abc"));
             e.CommitText(-1, {8, 8}, QStringLiteral("  "));
             e.CommitText(0, {3, 4}, QString());
         },
         {}},
    };
    for (const Gesture& c : cases) {
        marks::MarkSet set;
        marks::Editor editor(set);
        editor.SetSlop(3);
        editor.SetTool(c.tool);
        c.act(editor);
        ASSERT_EQ(set.Marks().size(), c.expected.size()) << c.name;
        for (qsizetype i = 0; i < c.expected.size(); ++i) {
            const Mark& got = set.Marks()[i];
            EXPECT_EQ(got.kind, c.expected[i].kind) << c.name;
            EXPECT_EQ(got.color, c.expected[i].color) << c.name;
            ASSERT_EQ(got.points.size(), c.expected[i].points.size()) << c.name;
            for (qsizetype p = 0; p < got.points.size(); ++p) {
                EXPECT_NEAR(got.points[p].x(), c.expected[i].points[p].x(), 1e-6) << c.name;
                EXPECT_NEAR(got.points[p].y(), c.expected[i].points[p].y(), 1e-6) << c.name;
            }
        }
    }
}

// A picture no mosaic may leak: every pixel differs from its neighbours.
QImage Noise(QSize size) {
    QImage noise(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            noise.setPixel(x, y, qRgb((x * 37 + y * 11) % 256, (x * 7 + y * 53) % 256, 255));
        }
    }
    return noise;
}

TEST(MarkPainter, AMosaicLeavesNoPixelOfWhatIsUnderIt) {
    const QImage picture = Noise({200, 120});
    const QRect box(17, 9, 101, 77);
    const QImage marked = marks::WithMarks(
        picture, {Of(Kind::Mosaic, {box.topLeft(), box.bottomRight() + QPoint(1, 1)})});
    int same = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x)
            same += marked.pixel(x, y) == picture.pixel(x, y);
    }
    // Averaged squares: a match with the original is a coincidence of a few pixels at most.
    EXPECT_LT(same, box.width() * box.height() / 100);
    EXPECT_EQ(marked.pixel(5, 5), picture.pixel(5, 5));
    EXPECT_EQ(marked.pixel(150, 100), picture.pixel(150, 100));
}

TEST(MarkPainter, MarksKeepTheirSpotAtEverySizeThePictureIsShownAt) {
    const QImage picture(400, 300, QImage::Format_RGB32);
    const Mark box{.kind = Kind::Rectangle,
                   .points = {{100, 60}, {300, 240}},
                   .color = Qt::red,
                   .width = 12,
                   .text = {}};
    for (const qreal scale : {0.25, 0.5, 1.0, 1.5, 3.0}) {
        QImage shown(QSize(qRound(400 * scale), qRound(300 * scale)), QImage::Format_RGB32);
        shown.fill(Qt::white);
        QImage pixels = picture.scaled(shown.size());
        pixels.fill(Qt::white);
        marks::CoverCache covers;
        QPainter painter(&shown);
        painter.scale(scale, scale);
        marks::PaintMarks(painter, {box}, marks::Canvas{pixels, QSizeF(400, 300)}, covers);
        painter.end();
        EXPECT_EQ(QColor(shown.pixel(qRound(100 * scale), qRound(150 * scale))), QColor(Qt::red))
            << scale;
        EXPECT_EQ(QColor(shown.pixel(qRound(200 * scale), qRound(150 * scale))), QColor(Qt::white))
            << scale;
    }
}

TEST(MarksStore, KeepsMarksInTheirFileAndSetsADamagedOneAside) {
    QTemporaryDir folder;
    QString key;
    {
        marks::MarksStore store(folder.path());
        key = store.Make();
        store.SetSaveDelay(0);
        store.Of(key)->Add(kBox);
        // Within the delay, with nothing else asked.
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(store.FileOf(key)); }, 2000));
        store.Of(key)->Add(kNumber);
    }  // kept when the store goes, the delay or not
    marks::MarksStore store(folder.path());
    EXPECT_EQ(store.Of(key)->Marks(), (QList<Mark>{kBox, kNumber}));

    const QString damaged = QStringLiteral("00000000000000aa");
    QFile file(store.FileOf(damaged));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{\"marks\":[" + marks::FormatMarks({kBox}).mid(10, -1).chopped(2) + ",7]}");
    file.close();
    EXPECT_EQ(store.Of(damaged)->Marks(), QList<Mark>{kBox});
    EXPECT_TRUE(QFile::exists(store.FileOf(damaged) + QStringLiteral(".damaged")));

    // A key from a settings file edited by hand names no file outside the folder.
    for (const char* bad : {"../../etc/passwd", "", "0123456789ABCDEF", "0123456789abcde"}) {
        EXPECT_EQ(store.Of(QLatin1String(bad)), nullptr) << bad;
    }
    // A file lost costs its pin the marks, nothing more.
    EXPECT_TRUE(store.Of(QStringLiteral("00000000000000bb"))->IsEmpty());
}

}  // namespace
