#pragma once

#include <QList>
#include <QPointF>
#include <QRect>
#include <QString>
#include <vector>

// Words recognised in a picture, and the pieces of them a user selects: no windows, no engine.
namespace text_recognition {

// What a word was read from: written text, or a code read whole.
enum class Code { None, QR, DataMatrix, Barcode };

struct Word {
    QString text;
    QRect box;     // in the picture's own pixels, upright
    int line = 0;  // the line it belongs to, numbered in reading order over the whole picture
    Code code = Code::None;  // a code's whole contents are one word on a line of its own
    bool operator==(const Word&) const = default;
};
// A picture's words in reading order: line by line, each line from its first word to its last.
using Words = std::vector<Word>;

// Words first..last (inclusive) as text to copy: the words of a line joined by a blank, except
// between Japanese characters, which are written without one; lines ended by a line break.
QString TextOf(const Words& words, qsizetype first, qsizetype last);
QString TextOf(const Words& words);
// The characters a user counts in the text: every code point but blanks and line breaks.
int CharacterCount(const QString& text);

// A run of words in reading order; empty when last < first.
struct WordRange {
    qsizetype first = 0;
    qsizetype last = -1;
    bool Empty() const { return last < first; }
    bool Contains(qsizetype index) const { return index >= first && index <= last; }
    bool operator==(const WordRange&) const = default;
};

// The word a point in the picture stands for in reading order: the word under it; else, on a
// line whose height holds it, the last word that starts left of it (the line's first word when
// none does); else the nearest word. -1 when there are no words.
qsizetype WordNear(const Words& words, QPointF point);
// The word whose box holds the point, or -1.
qsizetype WordAt(const Words& words, QPointF point);
// The words a drag from `from` to `to` selects: every word in reading order from the one the
// start stands for to the one the end stands for, whichever way the drag went.
WordRange DraggedRange(const Words& words, QPointF from, QPointF to);

}  // namespace text_recognition
