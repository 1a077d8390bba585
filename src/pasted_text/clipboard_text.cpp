#include "pasted_text/clipboard_text.h"

#include <QMimeData>
#include <QRegularExpression>

namespace pasted_text {

namespace {

// Beyond this a clipboard is not text a person pins; what is drawn stops at a screen anyway.
constexpr qsizetype kMaxTextBytes = 64 * 1024 * 1024;

bool Blank(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
}

const QString kUtf8Text = QStringLiteral("text/plain;charset=utf-8");

bool HasText(const QMimeData& data) {
    return data.hasText() || data.hasFormat(kUtf8Text);
}

// The clipboard's own data on X11 offers UTF8_STRING as text/plain; data from elsewhere (a
// drop) may name its encoding.
QString PlainTextOf(const QMimeData& data) {
    if (data.hasText()) return data.text();
    return data.hasFormat(kUtf8Text) ? QString::fromUtf8(data.data(kUtf8Text)) : QString();
}

std::optional<ClipboardText> Page(const QMimeData& data) {
    if (!data.hasHtml()) return std::nullopt;
    const QByteArray raw = data.data(QStringLiteral("text/html"));
    if (raw.size() > kMaxTextBytes) return std::nullopt;
    const QString html = data.html();
    if (Blank(html)) return std::nullopt;
    // The text kept is the one its owner offered beside the page; without one the page's own
    // text is taken when it is drawn.
    return ClipboardText{Kind::Page, PlainTextOf(data), html, {}};
}

std::optional<ClipboardText> ColourData(const QMimeData& data) {
    if (!data.hasColor()) return std::nullopt;
    const QColor colour = qvariant_cast<QColor>(data.colorData());
    if (!colour.isValid()) return std::nullopt;
    return ClipboardText{Kind::Colour, colour.name(QColor::HexRgb), {}, colour};
}

std::optional<ClipboardText> ColourText(const QMimeData& data) {
    const QString text = PlainTextOf(data);
    if (text.size() > 64) return std::nullopt;
    const std::optional<QColor> colour = ColourOfText(text);
    if (!colour) return std::nullopt;
    return ClipboardText{Kind::Colour, text, {}, *colour};
}

std::optional<ClipboardText> Text(const QMimeData& data) {
    if (!HasText(data) || data.data(QStringLiteral("text/plain")).size() > kMaxTextBytes ||
        data.data(kUtf8Text).size() > kMaxTextBytes) {
        return std::nullopt;
    }
    QString text = PlainTextOf(data);
    if (Blank(text)) return std::nullopt;
    return ClipboardText{Kind::Text, std::move(text), {}, {}};
}

// Each way of reading the data, in order of preference: the first that gives one wins.
using Reader = std::optional<ClipboardText> (*)(const QMimeData&);
constexpr Reader kReaders[] = {Page, ColourData, ColourText, Text};

int Channel(const QString& number, int scale) {
    bool ok = false;
    if (number.endsWith(u'%')) {
        const double value = number.chopped(1).toDouble(&ok);
        return ok && value >= 0 && value <= 100 ? qRound(value * scale / 100.0) : -1;
    }
    const double value = number.toDouble(&ok);
    return ok && value >= 0 && value <= scale ? qRound(value) : -1;
}

}  // namespace

std::optional<ClipboardText> TextOfClipboard(const QMimeData* data) {
    if (!data) return std::nullopt;
    for (const Reader read : kReaders) {
        if (std::optional<ClipboardText> text = read(*data)) return text;
    }
    return std::nullopt;
}

std::optional<QColor> ColourOfText(const QString& given) {
    const QString text = given.trimmed().toLower();
    static const QRegularExpression hex(QStringLiteral("^#([0-9a-f]{3}|[0-9a-f]{6})$"));
    if (hex.match(text).hasMatch()) return QColor(text);
    // Commas or blanks between the numbers, as CSS allows both.
    static const QRegularExpression function(QStringLiteral(
        R"(^(rgb|hsl)\(\s*([0-9.]+%?)\s*[,\s]\s*([0-9.]+%?)\s*[,\s]\s*([0-9.]+%?)\s*\)$)"));
    const QRegularExpressionMatch match = function.match(text);
    if (!match.hasMatch()) return std::nullopt;
    if (match.captured(1) == u"rgb") {
        const int r = Channel(match.captured(2), 255), g = Channel(match.captured(3), 255),
                  b = Channel(match.captured(4), 255);
        if (r < 0 || g < 0 || b < 0) return std::nullopt;
        return QColor(r, g, b);
    }
    bool ok = false;
    const double hue = match.captured(2).toDouble(&ok);
    if (!ok || match.captured(2).endsWith(u'%') || !match.captured(3).endsWith(u'%') ||
        !match.captured(4).endsWith(u'%')) {
        return std::nullopt;
    }
    const int s = Channel(match.captured(3), 1000), l = Channel(match.captured(4), 1000);
    if (s < 0 || l < 0) return std::nullopt;
    return QColor::fromHslF(static_cast<float>(std::fmod(hue, 360.0) / 360.0),
                            static_cast<float>(s / 1000.0), static_cast<float>(l / 1000.0))
        .toRgb();
}

bool LooksLikeCode(const QString& text) {
    if (text.contains(u'\t') || text.contains(u'{') || text.contains(u'}')) return true;
    const QStringList lines = text.split(u'\n');
    return std::any_of(lines.cbegin(), lines.cend(), [](const QString& line) {
        return line.startsWith(QLatin1String("  ")) && !Blank(line);
    });
}

QStringList HeldFormats(const QMimeData* data) {
    QStringList held;
    if (!data) return held;
    for (const QString& format : data->formats()) {
        if (format.startsWith(QLatin1String("application/x-qt"))) continue;
        held.append(format);
        if (held.size() == 3) break;
    }
    return held;
}

}  // namespace pasted_text
