#include "text_recognition/recognised_text.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace text_recognition {
namespace {

// Japanese text has no blanks between words: kana, kanji and the full-width forms.
bool IsJapanese(char32_t c) {
    const QChar::Script script = QChar::script(c);
    return script == QChar::Script_Han || script == QChar::Script_Hiragana ||
           script == QChar::Script_Katakana || (c >= 0x3000 && c <= 0x303F) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}

char32_t FirstOf(const QString& text) {
    const QList<uint> ucs = text.toUcs4();
    return ucs.isEmpty() ? 0 : ucs.front();
}

char32_t LastOf(const QString& text) {
    const QList<uint> ucs = text.toUcs4();
    return ucs.isEmpty() ? 0 : ucs.back();
}

double DistanceTo(const QRect& box, QPointF point) {
    const double dx = std::max({box.left() - point.x(), 0.0, point.x() - box.right()});
    const double dy = std::max({box.top() - point.y(), 0.0, point.y() - box.bottom()});
    return std::hypot(dx, dy);
}

}  // namespace

QString TextOf(const Words& words, qsizetype first, qsizetype last) {
    QString text;
    first = std::max<qsizetype>(first, 0);
    last = std::min<qsizetype>(last, qsizetype(words.size()) - 1);
    for (qsizetype i = first; i <= last; ++i) {
        const Word& word = words[size_t(i)];
        if (i > first) {
            const Word& before = words[size_t(i - 1)];
            if (before.line != word.line) {
                text += QLatin1Char('\n');
            } else if (!IsJapanese(LastOf(before.text)) || !IsJapanese(FirstOf(word.text))) {
                text += QLatin1Char(' ');
            }
        }
        text += word.text;
    }
    return text;
}

QString TextOf(const Words& words) {
    return TextOf(words, 0, qsizetype(words.size()) - 1);
}

int CharacterCount(const QString& text) {
    const QList<uint> ucs = text.toUcs4();
    return int(
        std::count_if(ucs.begin(), ucs.end(), [](uint c) { return !QChar::isSpace(char32_t(c)); }));
}

qsizetype WordAt(const Words& words, QPointF point) {
    for (size_t i = 0; i < words.size(); ++i) {
        if (QRectF(words[i].box).contains(point)) return qsizetype(i);
    }
    return -1;
}

qsizetype WordNear(const Words& words, QPointF point) {
    if (words.empty()) return -1;
    if (const qsizetype under = WordAt(words, point); under >= 0) return under;
    // Words of a line are consecutive: walk each line's run once.
    for (size_t start = 0; start < words.size();) {
        size_t end = start;
        int top = words[start].box.top();
        int bottom = words[start].box.bottom();
        while (end < words.size() && words[end].line == words[start].line) {
            top = std::min(top, words[end].box.top());
            bottom = std::max(bottom, words[end].box.bottom());
            ++end;
        }
        if (point.y() >= top && point.y() <= bottom + 1) {
            size_t chosen = start;
            for (size_t i = start; i < end; ++i) {
                if (words[i].box.left() <= point.x()) chosen = i;
            }
            return qsizetype(chosen);
        }
        start = end;
    }
    qsizetype nearest = 0;
    double best = std::numeric_limits<double>::max();
    for (size_t i = 0; i < words.size(); ++i) {
        const double distance = DistanceTo(words[i].box, point);
        if (distance < best) {
            best = distance;
            nearest = qsizetype(i);
        }
    }
    return nearest;
}

WordRange DraggedRange(const Words& words, QPointF from, QPointF to) {
    const qsizetype a = WordNear(words, from);
    const qsizetype b = WordNear(words, to);
    if (a < 0 || b < 0) return {};
    return {std::min(a, b), std::max(a, b)};
}

}  // namespace text_recognition
