#include "icon/program_icon.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>

// The icon has its own little font, so that it looks the same on every machine whatever fonts
// are installed. At its design size it is drawn pixel by pixel within the classic 16-colour
// palette; at every other size the same shapes are drawn as outlines scaled to that size, so
// that each size is sharp instead of an enlarged or shrunk copy of the design.
namespace icon {
namespace {

constexpr int kSize = kProgramIconDesignSize;

// The classic 16-colour palette, in its usual order.
enum Classic : std::int8_t {
    kBlack,
    kDarkRed,
    kDarkGreen,
    kOlive,
    kNavy,
    kPurple,
    kTeal,
    kSilver,
    kGrey,
    kRed,
    kGreen,
    kYellow,
    kBlue,
    kMagenta,
    kCyan,
    kWhite,
};
constexpr std::array<QRgb, 16> kClassicRgb = {
    0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080, 0xff008080, 0xffc0c0c0,
    0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00, 0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff,
};
constexpr std::int8_t kClear = -1;

using Canvas = std::array<std::array<std::int8_t, kSize>, kSize>;  // [y][x]

void Put(Canvas& canvas, int x, int y, std::int8_t colour) {
    if (x >= 0 && x < kSize && y >= 0 && y < kSize) canvas[y][x] = colour;
}

// The sheet: a portrait rectangle whose lower-right corner is folded over along a diagonal.
constexpr int kSheetLeft = 3, kSheetTop = 3, kSheetRight = 27, kSheetBottom = 29;
constexpr int kFold = 6;  // length of the fold's straight edges, outline included
constexpr int kFoldDiagonal = kSheetRight + kSheetBottom - (kFold - 1);  // x + y on the fold line

bool OnSheet(int x, int y) {
    return x >= kSheetLeft && x <= kSheetRight && y >= kSheetTop && y <= kSheetBottom &&
           x + y <= kFoldDiagonal;
}

bool OnFlap(int x, int y) {
    return x >= kSheetRight - (kFold - 1) && y >= kSheetBottom - (kFold - 1) &&
           x + y <= kFoldDiagonal;
}

void DrawSheet(Canvas& canvas) {
    // A one-pixel shadow down and to the right lifts the sheet off the desktop.
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if (OnSheet(x - 1, y - 1)) Put(canvas, x, y, kGrey);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            if (!OnSheet(x, y)) continue;
            const bool edge = !OnSheet(x - 1, y) || !OnSheet(x + 1, y) || !OnSheet(x, y - 1) ||
                              !OnSheet(x, y + 1);
            Put(canvas, x, y, edge ? kBlack : kWhite);
        }
    }
    // The folded-over flap lies on the sheet; its two straight edges are in grey so that the
    // sheet's own black outline still reads as one continuous line.
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            if (!OnFlap(x, y) || x + y == kFoldDiagonal) continue;
            const bool edge = !OnFlap(x - 1, y) || !OnFlap(x, y - 1);
            Put(canvas, x, y, edge ? kGrey : kSilver);
        }
    }
}

// The pins' top-left corners, and their size.
constexpr int kPinSize = 6;
constexpr std::array<std::array<int, 2>, 2> kPinCorners = {
    {{kSheetLeft - 1, kSheetTop - 2}, {kSheetRight - 4, kSheetTop - 2}}};

// A pin's round head seen from the front, lit from the upper left.
constexpr std::array<std::string_view, 6> kPin = {
    ".rrrr.", "rrrrrr", "rrWrrr", "rrrrrd", "rrrrdd", ".dddd.",
};

void DrawPin(Canvas& canvas, int left, int top) {
    for (int row = 0; row < static_cast<int>(kPin.size()); ++row) {
        for (int column = 0; column < static_cast<int>(kPin[row].size()); ++column) {
            switch (kPin[row][column]) {
                case 'r':
                    Put(canvas, left + column, top + row, kRed);
                    break;
                case 'd':
                    Put(canvas, left + column, top + row, kDarkRed);
                    break;
                case 'W':
                    Put(canvas, left + column, top + row, kWhite);
                    break;
                default:
                    break;
            }
        }
    }
}

// Just the letters of the short name, seven rows high: two rows of ascender over a five-row
// x-height, all on one baseline.
struct Glyph {
    char letter;
    std::array<std::string_view, 7> rows;
};
constexpr std::array<Glyph, 6> kFont = {{
    {'V', {"X...X", "X...X", "X...X", "X...X", ".X.X.", ".X.X.", "..X.."}},
    {'e', {".....", ".....", ".XXX.", "X...X", "XXXXX", "X....", ".XXXX"}},
    {'l', {"X.", "X.", "X.", "X.", "X.", "X.", ".X"}},
    {'o', {".....", ".....", ".XXX.", "X...X", "X...X", "X...X", ".XXX."}},
    {'r', {"....", "....", "X.XX", "XX..", "X...", "X...", "X..."}},
    {'a', {".....", ".....", ".XXX.", "....X", ".XXXX", "X...X", ".XXXX"}},
}};
constexpr int kLetterGap = 1;

const Glyph* FindGlyph(char letter) {
    for (const Glyph& glyph : kFont)
        if (glyph.letter == letter) return &glyph;
    return nullptr;
}

int TextWidth(std::string_view text) {
    int width = 0;
    for (char letter : text)
        if (const Glyph* glyph = FindGlyph(letter))
            width += static_cast<int>(glyph->rows[0].size()) + kLetterGap;
    return width > 0 ? width - kLetterGap : 0;
}

// The two lines of the name: their text, the top row of their letters and their colour.
struct NameLine {
    std::string_view text;
    int top;
    Classic colour;
};
constexpr std::array<NameLine, 2> kName = {{{"Vel", 8, kNavy}, {"lora", 16, kRed}}};

// The first column of a line of text centred between the sheet's side outlines.
int TextLeft(std::string_view text) {
    const int inside = kSheetRight - kSheetLeft - 1;
    return kSheetLeft + 1 + (inside - TextWidth(text) + 1) / 2;
}

void DrawText(Canvas& canvas, std::string_view text, int top, std::int8_t colour) {
    int left = TextLeft(text);
    for (char letter : text) {
        const Glyph* glyph = FindGlyph(letter);
        if (!glyph) continue;
        for (int row = 0; row < static_cast<int>(glyph->rows.size()); ++row)
            for (int column = 0; column < static_cast<int>(glyph->rows[row].size()); ++column)
                if (glyph->rows[row][column] == 'X') Put(canvas, left + column, top + row, colour);
        left += static_cast<int>(glyph->rows[0].size()) + kLetterGap;
    }
}

// An indexed image whose colour table holds only the classic colours the picture uses, in the
// palette's order, and a transparent entry last when the picture has clear pixels.
QImage ToIndexedImage(const Canvas& canvas) {
    std::array<bool, 16> used{};
    bool clear = false;
    for (const auto& row : canvas)
        for (std::int8_t colour : row) (colour == kClear ? clear : used[colour]) = true;

    QList<QRgb> table;
    std::array<int, 16> indexOf{};
    for (int colour = 0; colour < 16; ++colour) {
        if (!used[colour]) continue;
        indexOf[colour] = static_cast<int>(table.size());
        table.append(kClassicRgb[colour]);
    }
    const int clearIndex = static_cast<int>(table.size());
    if (clear) table.append(qRgba(0, 0, 0, 0));

    QImage image(kSize, kSize, QImage::Format_Indexed8);
    image.setColorTable(table);
    for (int y = 0; y < kSize; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < kSize; ++x) {
            const std::int8_t colour = canvas[y][x];
            line[x] = static_cast<uchar>(colour == kClear ? clearIndex : indexOf[colour]);
        }
    }
    return image;
}

QImage PixelDrawing() {
    Canvas canvas;
    for (auto& row : canvas) row.fill(kClear);
    DrawSheet(canvas);
    for (const auto& [left, top] : kPinCorners) DrawPin(canvas, left, top);
    for (const NameLine& line : kName) DrawText(canvas, line.text, line.top, line.colour);
    return ToIndexedImage(canvas);
}

// The same letters as strokes through the centres of their pixels, for the outline drawing: each
// point is a column and a row digit, strokes are separated by '|'.
struct StrokeGlyph {
    char letter;
    std::string_view strokes;
};
constexpr std::array<StrokeGlyph, 6> kStrokeFont = {{
    {'V', "00 03 26 43 40"},
    {'e', "04 44|44 43 32 12 03 05 16 46"},
    {'l', "00 05 16"},
    {'o', "12 32 43 45 36 16 05 03 12"},
    {'r', "02 06|04 22 32"},
    {'a', "12 32 43 46|44 14 05 16 46"},
}};

// A glyph's strokes as a path, in pixels of the design, its top-left cell at (left, top).
QPainterPath GlyphPath(char letter, int left, int top) {
    QPainterPath path;
    for (const StrokeGlyph& glyph : kStrokeFont) {
        if (glyph.letter != letter) continue;
        bool startStroke = true;
        for (std::size_t i = 0; i < glyph.strokes.size(); ++i) {
            const char c = glyph.strokes[i];
            if (c == '|') startStroke = true;
            if (c < '0' || c > '9' || i + 1 >= glyph.strokes.size()) continue;
            const QPointF point(left + (c - '0') + 0.5, top + (glyph.strokes[i + 1] - '0') + 0.5);
            ++i;
            if (startStroke) {
                path.moveTo(point);
                startStroke = false;
            } else {
                path.lineTo(point);
            }
        }
    }
    return path;
}

QColor Colour(Classic colour) {
    return QColor::fromRgb(kClassicRgb[colour]);
}

// The design drawn for `size` pixels. Straight edges fall on whole pixels so that they stay
// crisp; the pins and the letters are smoothed.
QImage OutlineDrawing(int size) {
    const double scale = double(size) / kSize;
    // A length of the design in whole pixels of this size.
    const auto snap = [scale](double designPixels) { return std::round(designPixels * scale); };
    const double line = std::max(1.0, snap(1));

    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    const double left = snap(kSheetLeft), top = snap(kSheetTop);
    const double right = snap(kSheetRight + 1), bottom = snap(kSheetBottom + 1);
    const double fold = snap(kFold);
    QPainterPath sheet;
    sheet.moveTo(left, top);
    sheet.lineTo(right, top);
    sheet.lineTo(right, bottom - fold);
    sheet.lineTo(right - fold, bottom);
    sheet.lineTo(left, bottom);
    sheet.closeSubpath();
    painter.fillPath(sheet.translated(line, line), Colour(kGrey));
    painter.fillPath(sheet, Colour(kWhite));

    // Outlines lie inside their shape: stroked twice as wide, with the outer half clipped away.
    const auto outlineInside = [&](const QPainterPath& shape, const QPainterPath& edges,
                                   Classic colour) {
        painter.save();
        painter.setClipPath(shape);
        painter.strokePath(
            edges, QPen(Colour(colour), 2 * line, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.restore();
    };
    QPainterPath flap;
    flap.moveTo(right - fold, bottom - fold);
    flap.lineTo(right, bottom - fold);
    flap.lineTo(right - fold, bottom);
    flap.closeSubpath();
    painter.fillPath(flap, Colour(kSilver));
    QPainterPath flapEdges;
    flapEdges.moveTo(right, bottom - fold);
    flapEdges.lineTo(right - fold, bottom - fold);
    flapEdges.lineTo(right - fold, bottom);
    outlineInside(flap, flapEdges, kGrey);
    outlineInside(sheet, sheet, kBlack);

    // Each pin: a dark red head, lit red from the upper left, with a white gleam.
    const double radius = kPinSize / 2.0 * scale;
    for (const auto& [pinLeft, pinTop] : kPinCorners) {
        const QPointF centre((pinLeft + kPinSize / 2.0) * scale, (pinTop + kPinSize / 2.0) * scale);
        QPainterPath head;
        head.addEllipse(centre, radius, radius);
        painter.fillPath(head, Colour(kDarkRed));
        painter.save();
        painter.setClipPath(head);
        const QPointF lit = centre - QPointF(0.5, 0.5) * scale;
        painter.setPen(Qt::NoPen);
        painter.setBrush(Colour(kRed));
        painter.drawEllipse(lit, radius - 0.5 * scale, radius - 0.5 * scale);
        painter.setBrush(Colour(kWhite));
        painter.drawEllipse(centre - QPointF(1.2, 1.2) * scale, 0.7 * scale, 0.7 * scale);
        painter.restore();
    }

    for (const NameLine& text : kName) {
        const int textLeft = TextLeft(text.text);
        if (size < kSize) {
            // Too small for letters: a line of the text's width across its lower five rows.
            const double x = snap(textLeft), y = snap(text.top + 2);
            const double width = snap(textLeft + TextWidth(text.text)) - x;
            painter.fillRect(QRectF(x, y, width, std::max(1.0, snap(2))), Colour(text.colour));
            continue;
        }
        QPainterPath letters;
        int letterLeft = textLeft;
        for (char letter : text.text) {
            letters.addPath(GlyphPath(letter, letterLeft, text.top));
            if (const Glyph* glyph = FindGlyph(letter))
                letterLeft += static_cast<int>(glyph->rows[0].size()) + kLetterGap;
        }
        painter.save();
        painter.scale(scale, scale);
        painter.strokePath(
            letters, QPen(Colour(text.colour), 1.15, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.restore();
    }
    return image;
}

}  // namespace

QImage ProgramIconImage(int size) {
    if (size <= 0) return {};
    return size == kSize ? PixelDrawing() : OutlineDrawing(size);
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, kSize, 48, 64})
        icon.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
    return icon;
}

}  // namespace icon
