#include "forms/program_icon.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

// The icon is drawn pixel by pixel, with its own little font, so that it looks the same on every
// machine whatever fonts are installed, and stays within the classic 16-colour palette.
namespace forms {
namespace {

constexpr int kSize = 32;

// The classic 16-colour palette, in its usual order.
enum Classic : std::int8_t {
    kBlack, kDarkRed, kDarkGreen, kOlive, kNavy, kPurple, kTeal, kSilver,
    kGrey, kRed, kGreen, kYellow, kBlue, kMagenta, kCyan, kWhite,
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
    return x >= kSheetRight - (kFold - 1) && y >= kSheetBottom - (kFold - 1) && x + y <= kFoldDiagonal;
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

// A pin's round head seen from the front, lit from the upper left.
constexpr std::array<std::string_view, 6> kPin = {
    ".rrrr.",
    "rrrrrr",
    "rrWrrr",
    "rrrrrd",
    "rrrrdd",
    ".dddd.",
};

void DrawPin(Canvas& canvas, int left, int top) {
    for (int row = 0; row < static_cast<int>(kPin.size()); ++row) {
        for (int column = 0; column < static_cast<int>(kPin[row].size()); ++column) {
            switch (kPin[row][column]) {
                case 'r': Put(canvas, left + column, top + row, kRed); break;
                case 'd': Put(canvas, left + column, top + row, kDarkRed); break;
                case 'W': Put(canvas, left + column, top + row, kWhite); break;
                default: break;
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
        if (const Glyph* glyph = FindGlyph(letter)) width += static_cast<int>(glyph->rows[0].size()) + kLetterGap;
    return width > 0 ? width - kLetterGap : 0;
}

// Centres the text between the sheet's side outlines, its top row at `top`.
void DrawText(Canvas& canvas, std::string_view text, int top, std::int8_t colour) {
    const int inside = kSheetRight - kSheetLeft - 1;
    int left = kSheetLeft + 1 + (inside - TextWidth(text) + 1) / 2;
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

}  // namespace

QImage ProgramIconImage() {
    Canvas canvas;
    for (auto& row : canvas) row.fill(kClear);
    DrawSheet(canvas);
    DrawPin(canvas, kSheetLeft - 1, kSheetTop - 2);
    DrawPin(canvas, kSheetRight - 4, kSheetTop - 2);
    DrawText(canvas, "Vel", 8, kNavy);
    DrawText(canvas, "lora", 16, kRed);
    return ToIndexedImage(canvas);
}

QIcon ProgramIcon() {
    const QImage image = ProgramIconImage();
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(image));
    // Desktops ask for other sizes too: the small one is smoothed so that it stays legible, the
    // large one is an exact doubling that keeps the pixels crisp.
    icon.addPixmap(QPixmap::fromImage(image.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    icon.addPixmap(QPixmap::fromImage(image.scaled(64, 64, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    return icon;
}

}  // namespace forms
