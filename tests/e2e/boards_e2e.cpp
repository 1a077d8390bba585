// Boards and the recently removed list on a real desktop: a board hidden and shown from the
// command line takes exactly its own pins away and brings them back where they were, and a
// hidden board and a removed pin outlive a restart, the pin coming back on its own pixels.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <algorithm>

#include "e2e_test.h"
#include "program_runs.h"

namespace e2e {
namespace {

const QString kPinned = QStringLiteral("vellora-pin");
const QString kList = QStringLiteral("vellora-pin-list");
const QString kWork = QStringLiteral("作業");

struct Pin {
    QString file;
    QRect pixels;
    QString board;
};

// Down the left of the screen, clear of where the list window is put; the middle one on "作業".
const QList<Pin> kPins = {{QStringLiteral("a.jpg"), {40, 40, 240, 160}, QStringLiteral("既定")},
                          {QStringLiteral("b.jpg"), {40, 260, 200, 150}, kWork},
                          {QStringLiteral("c.jpg"), {40, 470, 260, 180}, QStringLiteral("既定")}};

QStringList Twips(const QRect& pixels) {
    QStringList texts;
    for (int value : {pixels.x(), pixels.y(), pixels.width(), pixels.height()})
        texts << QString::number(value * 15);
    return texts;
}

class BoardsTest : public ProgramTest {
protected:
    // The data file, the pins' settings naming their boards, and both boards shown.
    void WriteFolder() {
        QByteArray data;
        QJsonArray settings;
        for (const Pin& pin : kPins) {
            ASSERT_TRUE(WriteJpeg(Path(pin.file), PatternImage(pin.pixels.size())));
            data += DataRecord(Twips(pin.pixels), Path(pin.file));
            const QByteArray path = QFile::encodeName(Path(pin.file)).toPercentEncoding("/");
            settings.append(QJsonObject{{"path", QString::fromLatin1(path)},
                                        {"geometry", QJsonArray::fromStringList(Twips(pin.pixels))},
                                        {"board", pin.board}});
        }
        const QJsonObject boards{{"boards", QJsonArray{QStringLiteral("既定"), kWork}},
                                 {"hidden", QJsonArray{}},
                                 {"current", QStringLiteral("既定")}};
        ASSERT_TRUE(WriteBytes(DataFile(), data));
        ASSERT_TRUE(WriteBytes(Path("pin-settings.json"),
                               QJsonDocument(QJsonObject{{"pins", settings}}).toJson()));
        ASSERT_TRUE(WriteBytes(Path("boards.json"), QJsonDocument(boards).toJson()));
    }
    QStringList Arguments(const QStringList& more) const {
        return QStringList{QStringLiteral("--data-dir"), work.path()} + more;
    }
    bool StartHere() {
        return session->StartProgram(QStringLiteral(VELLORA_PROGRAM), work.path(), Arguments({}));
    }
    // A later start that hands `arguments` to the running program.
    void Command(const QStringList& arguments, QString* output = nullptr) {
        const FinishedRun run = RunToEnd(QStringLiteral(VELLORA_PROGRAM), work.path(),
                                         Arguments(arguments), session->Environment());
        EXPECT_TRUE(run.finished && run.exitCode == 0) << run.output.toStdString();
        if (output) *output = run.output;
    }
    // Waits until exactly the pins `shown` (indexes into kPins) have a mapped window, each at
    // its place; says what is on the screen otherwise.
    ::testing::AssertionResult WaitShown(const QList<int>& shown) const {
        QList<QRect> want, have;
        for (int i : shown) want << kPins[i].pixels;
        const auto rects = [](QList<QRect> list) {
            std::sort(list.begin(), list.end(), [](const QRect& a, const QRect& b) {
                return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x());
            });
            return list;
        };
        if (XSession::WaitUntil(
                [&] {
                    have.clear();
                    for (const WindowInfo& window : session->VisibleWindows(kPinned))
                        have << window.rect;
                    return rects(have) == want;
                },
                10000)) {
            return ::testing::AssertionSuccess();
        }
        QString text;
        for (const QRect& rect : have) text += QLatin1Char(' ') + ToString(rect);
        return ::testing::AssertionFailure() << "pinned windows at" << text.toStdString();
    }
    // Expects the pins `shown` to show their pictures' own pixels at their places.
    void ExpectPixels(const QList<int>& shown) {
        QImage expected(Screen(), QImage::Format_RGB32);
        expected.fill(Qt::black);
        QPainter painter(&expected);
        for (const Pin& pin : kPins) painter.drawImage(pin.pixels, QImage(Path(pin.file)));
        painter.end();
        const auto differing = [&](const QImage& screen, int i) {
            return DifferingPixels(expected, screen, kPins[i].pixels, 8);
        };
        // A window is mapped before the program has painted it.
        QImage screen;
        XSession::WaitUntil(
            [&] {
                screen = session->SettledScreenshot(QRect(0, 0, 320, 680));
                return std::all_of(shown.begin(), shown.end(),
                                   [&](int i) { return differing(screen, i) == 0; });
            },
            10000, 200);
        for (int i : shown) {
            EXPECT_EQ(differing(screen, i), 0) << kPins[i].file.toStdString() << " shows otherwise";
        }
        if (HasFailure()) Keep(screen, QStringLiteral("screen.png"));
    }
    // Each pin's state as the running program lists it, in kPins' order.
    QStringList States() {
        QString listing;
        Command({QStringLiteral("--pins"), QStringLiteral("list")}, &listing);
        QStringList states;
        for (const Pin& pin : kPins) {
            QString state = QStringLiteral("absent");
            for (const QString& line : listing.split(QLatin1Char('\n'))) {
                const QStringList fields = line.split(QLatin1Char('\t'));
                if (fields.size() == 7 && fields[5] == Path(pin.file) && fields[6] == pin.board)
                    state = fields[0];
            }
            states << state;
        }
        return states;
    }
};

TEST_F(BoardsTest, ABoardHidesAndShowsExactlyItsOwnPins) {
    ASSERT_NO_FATAL_FAILURE(WriteFolder());
    ASSERT_TRUE(StartHere());
    ASSERT_TRUE(WaitShown({0, 1, 2}));
    const struct {
        const char* command;
        QList<int> shown;
    } steps[] = {{"hide", {0, 2}}, {"show", {0, 1, 2}}, {"toggle", {0, 2}}, {"toggle", {0, 1, 2}}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.command);
        Command({QStringLiteral("--board"), kWork, QLatin1String(step.command)});
        ASSERT_TRUE(WaitShown(step.shown));
    }
    ExpectPixels({0, 1, 2});
}

TEST_F(BoardsTest, AHiddenBoardAndARemovedPinOutliveARestart) {
    ASSERT_NO_FATAL_FAILURE(WriteFolder());
    ASSERT_TRUE(StartHere());
    ASSERT_TRUE(WaitShown({0, 1, 2}));
    Command({QStringLiteral("--board"), kWork, QStringLiteral("hide")});
    ASSERT_TRUE(WaitShown({0, 2}));
    // "削除", the last item of the pin's own menu.
    ASSERT_TRUE(session->Click(kPins[0].pixels.center(), 3));
    ASSERT_TRUE(XSession::WaitUntil([&] { return !session->VisiblePopups().isEmpty(); }, 5000));
    ASSERT_TRUE(session->Key(QStringLiteral("Up Return")));
    ASSERT_TRUE(WaitShown({2}));

    session->StopProgram();
    ASSERT_TRUE(StartHere());
    ASSERT_TRUE(WaitShown({2}));
    EXPECT_EQ(States().join(' ').toStdString(), "removed hidden shown");

    // In the list window the removed pin is the last row, and "元に戻す" the one button enabled
    // after the list once it is chosen.
    Command({QStringLiteral("--pins"), QStringLiteral("window")});
    const std::optional<WindowInfo> list = session->WaitForWindow(kList);
    ASSERT_TRUE(list);
    const QPoint away(400, 200);
    ASSERT_TRUE(session->MoveWindow(list->id, away));
    ASSERT_TRUE(XSession::WaitUntil(
        [&] { return session->ClientRect(list->id).value_or(QRect()).topLeft() == away; }, 5000));
    ASSERT_TRUE(session->Click(session->ClientRect(list->id)->center()));
    // A list without a current row takes the first key to the first row.
    ASSERT_TRUE(session->Key(QStringLiteral("End End Tab space")));
    ASSERT_TRUE(WaitShown({0, 2}));
    ExpectPixels({0, 2});
    EXPECT_EQ(States().join(' ').toStdString(), "shown hidden shown");
}

// A pin pinned while a second board takes new pins stays on that board when one of its settings
// changes in its menu, and goes with the board when the board is hidden.
TEST_F(BoardsTest, ANewPinKeepsItsBoardWhenItsMenuChangesASetting) {
    const QJsonObject boards{{"boards", QJsonArray{QStringLiteral("既定"), kWork}},
                             {"hidden", QJsonArray{}},
                             {"current", kWork}};
    ASSERT_TRUE(WriteBytes(Path("boards.json"), QJsonDocument(boards).toJson()));
    ASSERT_TRUE(WriteBytes(DataFile(), {}));
    for (const char* name : {"a.jpg", "b.jpg"}) {
        ASSERT_TRUE(WriteJpeg(Path(name), PatternImage({240, 160})));
    }
    ASSERT_TRUE(session->StartProgram(QStringLiteral(VELLORA_PROGRAM), work.path(),
                                      Arguments({Path("a.jpg")})));
    ASSERT_TRUE(session->WaitForWindow(QStringLiteral("画像表示 "), 20000));
    // Opening b pins a first; b's display window is moved off a's pin.
    Command({Path("b.jpg")});
    const std::optional<WindowInfo> pin = session->WaitForWindow(QStringLiteral("Form3"), 20000);
    ASSERT_TRUE(pin);
    const std::optional<WindowInfo> display = session->WaitForWindow(QStringLiteral("画像表示 "));
    ASSERT_TRUE(display);
    const QPoint away(700, 500);
    ASSERT_TRUE(session->MoveWindow(display->id, away));
    ASSERT_TRUE(XSession::WaitUntil(
        [&] { return session->ClientRect(display->id).value_or(QRect()).topLeft() == away; },
        5000));
    const auto boardOfA = [&] {
        QString listing;
        Command({QStringLiteral("--pins"), QStringLiteral("list")}, &listing);
        for (const QString& line : listing.split(QLatin1Char('\n'))) {
            const QStringList fields = line.split(QLatin1Char('\t'));
            if (fields.size() == 7 && fields[5] == Path("a.jpg")) return fields[6];
        }
        return QStringLiteral("(not listed)");
    };
    ASSERT_EQ(boardOfA().toStdString(), kWork.toStdString());
    // A click on a takes the focus from the display window, which pins b.
    ASSERT_TRUE(session->Click(pin->rect.center()));
    ASSERT_TRUE(XSession::WaitUntil(
        [&] { return session->VisibleWindows(QStringLiteral("Form3")).size() == 2; }, 5000));
    // "常に手前に表示", the thirteenth item from the menu's end once the disabled ones are passed.
    ASSERT_TRUE(session->Click(pin->rect.center(), 3));
    ASSERT_TRUE(XSession::WaitUntil([&] { return !session->VisiblePopups().isEmpty(); }, 5000));
    ASSERT_TRUE(session->Key(QStringLiteral("Up Up Up Up Up Up Up Up Up Up Up Up Up Return")));
    EXPECT_TRUE(XSession::WaitUntil(
        [&] { return ReadBytes(Path("pin-settings.json")).contains("\"keepAbove\": true"); },
        5000));
    EXPECT_EQ(boardOfA().toStdString(), kWork.toStdString());
    Command({QStringLiteral("--board"), kWork, QStringLiteral("hide")});
    EXPECT_TRUE(XSession::WaitUntil(
        [&] { return session->VisibleWindows(QStringLiteral("Form3")).isEmpty(); }, 5000));
}

}  // namespace
}  // namespace e2e
