#include "text_recognition/written_text.h"

#include <QRegularExpression>
#include <algorithm>

namespace text_recognition {
namespace {

// A gap of a quarter of the text's height is a blank: Japanese characters and the Latin ones
// beside them stand a tenth apart, and a blank in any font of the benchmark is a third wide.
constexpr double kBlankShare = 0.25;

// Kana, kanji, Japanese punctuation and the full-width forms.
bool IsJapanese(char32_t c) {
    const QChar::Script script = QChar::script(c);
    return script == QChar::Script_Han || script == QChar::Script_Hiragana ||
           script == QChar::Script_Katakana || (c >= 0x3000 && c <= 0x303F) ||
           (c >= 0x30FB && c <= 0x30FC) || (c >= 0xFF00 && c <= 0xFFEF);
}

bool StartsJapanese(const QString& text) {
    const QList<uint> ucs = text.toUcs4();
    return !ucs.isEmpty() && IsJapanese(ucs.front());
}

bool EndsJapanese(const QString& text) {
    const QList<uint> ucs = text.toUcs4();
    return !ucs.isEmpty() && IsJapanese(ucs.back());
}

// Host names hold letters, digits and hyphens between dots, never a comma: each comma between
// two labels is a misread dot, as long as the name still ends in a top-level name of letters.
// Only when a dot comes before the last comma can that comma end the address in a sentence
// ("see example.com,then"), and that is left as read.
QString MendedHost(const QString& host) {
    static const QRegularExpression shape(QStringLiteral("^[A-Za-z0-9-]+([.,][A-Za-z0-9-]+)+$"));
    static const QRegularExpression topLevel(QStringLiteral("[.,][A-Za-z]{2,}$"));
    if (!host.contains(QLatin1Char(',')) || !shape.match(host).hasMatch() ||
        !topLevel.match(host).hasMatch()) {
        return host;
    }
    const qsizetype lastComma = host.lastIndexOf(QLatin1Char(','));
    const qsizetype lastDot = host.lastIndexOf(QLatin1Char('.'));
    if (lastDot >= 0 && lastDot < lastComma) return host;
    QString mended = host;
    return mended.replace(QLatin1Char(','), QLatin1Char('.'));
}

// Merges `after` into `before`: their texts, joined as written, and the box over both.
void Join(Word& before, const Word& after, bool blank) {
    if (blank) before.text += QLatin1Char(' ');
    before.text += after.text;
    before.box = before.box.united(after.box);
}

}  // namespace

bool BlankBetween(const Word& before, const Word& after) {
    const bool japaneseBefore = EndsJapanese(before.text);
    const bool japaneseAfter = StartsJapanese(after.text);
    if (japaneseBefore && japaneseAfter) return false;
    if (!japaneseBefore && !japaneseAfter) return true;
    const int gap = after.box.left() - before.box.right() - 1;
    const int height = std::max(before.box.height(), after.box.height());
    return gap >= kBlankShare * height;
}

QString MendedAddresses(const QString& text) {
    // "http: //", "http:/ /", "https : //": the blank the engine saw in a scheme's slashes.
    static const QRegularExpression brokenScheme(
        QStringLiteral("\\b(https?|ftp) ?: ?/ ?/(?=[A-Za-z0-9])"));
    static const QRegularExpression url(QStringLiteral("\\b(?:https?|ftp)://([A-Za-z0-9.,-]+)"));
    static const QRegularExpression mail(
        QStringLiteral("\\b[A-Za-z0-9._%+-]+@([A-Za-z0-9.,-]+[A-Za-z0-9])"));
    QString mended = text;
    mended.replace(brokenScheme, QStringLiteral("\\1://"));
    for (const QRegularExpression* address : {&url, &mail}) {
        // Hosts keep their length, so the matches found before the mending still stand.
        for (const QRegularExpressionMatch& match : address->globalMatch(mended)) {
            mended.replace(match.capturedStart(1), match.capturedLength(1),
                           MendedHost(match.captured(1)));
        }
    }
    return mended;
}

Words Written(Words words) {
    Words written;
    for (Word& word : words) {
        if (!written.empty() && written.back().line == word.line) {
            Word& before = written.back();
            const bool blank = BlankBetween(before, word);
            // A scheme the engine parted from its slashes joins them again, blank and all, for
            // the mending below to take the blank out.
            static const QRegularExpression scheme(QStringLiteral("^(https?|ftp):/?$"));
            if (!blank ||
                (scheme.match(before.text).hasMatch() && word.text.startsWith(QLatin1Char('/')))) {
                Join(before, word, blank);
                continue;
            }
        }
        written.push_back(std::move(word));
    }
    for (Word& word : written) word.text = MendedAddresses(word.text);
    return written;
}

}  // namespace text_recognition
