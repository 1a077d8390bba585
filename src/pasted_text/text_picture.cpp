#include "pasted_text/text_picture.h"

#include <QAbstractTextDocumentLayout>
#include <QCursor>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>

namespace pasted_text {

namespace {

constexpr qreal kMargin = 12;
// A line a person reads comfortably.
constexpr int kLineCharacters = 80;
// The swatch of a colour, in logical pixels.
constexpr qreal kSwatch = 96;
// A data picture in a page larger than this is left out.
constexpr qsizetype kMaxDataBytes = 32 * 1024 * 1024;
const QString kEllipsis = QStringLiteral("…");

// A document that takes only what a page carries in itself: a data: URL's picture. Anything it
// would fetch, over the network or from a file, is refused and noted.
class OfflineDocument : public QTextDocument {
public:
    QList<QUrl> refused;

protected:
    QVariant loadResource(int type, const QUrl& url) override {
        if (url.scheme() != QLatin1String("data") || type != QTextDocument::ImageResource) {
            refused.append(url);
            return {};
        }
        // data:[<type>][;base64],<payload>
        const QByteArray whole = url.toEncoded(QUrl::FullyEncoded);
        const qsizetype comma = whole.indexOf(',');
        if (comma < 0 || whole.size() > kMaxDataBytes) return {};
        const QByteArray header = whole.mid(5, comma - 5);
        const QByteArray payload = QByteArray::fromPercentEncoding(whole.mid(comma + 1));
        const QImage image = QImage::fromData(
            header.endsWith(";base64") ? QByteArray::fromBase64(payload) : payload);
        if (image.isNull()) return {};
        return image;
    }
};

bool OwnWord(QChar c) {
    const QChar::Script script = c.script();
    return script == QChar::Script_Han || script == QChar::Script_Hiragana ||
           script == QChar::Script_Katakana;
}

// Where each word of the laid-out document lies, in logical pixels from the document's origin,
// for lines ending above `bottom`: runs of letters between blanks, each Japanese character a
// word of its own.
text_recognition::Words WordsOf(const QTextDocument& document, qreal bottom) {
    text_recognition::Words words;
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    int lineNumber = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* text = block.layout();
        if (!text) continue;
        const QRectF at = layout->blockBoundingRect(block);
        const QString letters = block.text();
        for (int i = 0; i < text->lineCount(); ++i) {
            const QTextLine line = text->lineAt(i);
            const qreal top = at.top() + line.y();
            if (top + line.height() > bottom) return words;
            const int end = line.textStart() + line.textLength();
            bool any = false;
            for (int start = line.textStart(); start < end;) {
                const QChar c = letters.at(start);
                if (c.isSpace() || c == QChar::ObjectReplacementCharacter) {
                    ++start;
                    continue;
                }
                int stop = start + 1;
                if (!OwnWord(c)) {
                    while (stop < end && !letters.at(stop).isSpace() &&
                           !OwnWord(letters.at(stop)) &&
                           letters.at(stop) != QChar::ObjectReplacementCharacter) {
                        ++stop;
                    }
                }
                const qreal x1 = line.cursorToX(start), x2 = line.cursorToX(stop);
                const QRectF box(at.left() + std::min(x1, x2), top, std::abs(x2 - x1),
                                 line.height());
                words.push_back({letters.mid(start, stop - start), box.toAlignedRect(), lineNumber,
                                 text_recognition::Code::None});
                any = true;
                start = stop;
            }
            if (any) ++lineNumber;
        }
    }
    return words;
}

// Whether every line of the document starts at its left edge, wherever its right edge is.
bool LeftAligned(const QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const Qt::Alignment alignment = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        const bool rightToLeft = block.textDirection() == Qt::RightToLeft;
        if (rightToLeft || (alignment != 0 && alignment != Qt::AlignLeft &&
                            alignment != Qt::AlignLeading && alignment != Qt::AlignAbsolute)) {
            return false;
        }
    }
    return true;
}

// The bottom of the last line that ends above `limit`.
qreal CutAbove(const QTextDocument& document, qreal limit) {
    qreal cut = 0;
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* text = block.layout();
        if (!text) continue;
        const QRectF at = layout->blockBoundingRect(block);
        for (int i = 0; i < text->lineCount(); ++i) {
            const qreal bottom = at.top() + text->lineAt(i).y() + text->lineAt(i).height();
            if (bottom <= limit) cut = std::max(cut, bottom);
        }
    }
    return cut;
}

// The first lines and characters of `text` that can fill one screen; the rest is never laid
// out, however long the text.
QString Fitting(const QString& text, int lines) {
    const qsizetype characters = qsizetype(lines) * kLineCharacters * 2;
    qsizetype end = 0;
    for (int line = 0; end < text.size() && end < characters && line < lines; ++end) {
        if (text.at(end) == u'\n') ++line;
    }
    return text.left(end);
}

// The document drawn onto a picture at the look's pixels: cut at one screen with an ellipsis
// line, and its words beside it.
TextPicture Render(OfflineDocument& document, const Look& look, bool cut, const QFont& font) {
    const QFontMetricsF metrics(font);
    const qreal wrap = metrics.averageCharWidth() * kLineCharacters;
    document.setDocumentMargin(0);
    document.setTextWidth(wrap);
    // Narrower text keeps its own width; right-to-left or centred lines go to its edge, not the
    // wrap's, which takes a second layout (a long page's costs tens of milliseconds).
    const qreal width =
        std::min<qreal>(std::ceil(document.idealWidth()), look.screenWidth - 2 * kMargin);
    if (width < wrap && !LeftAligned(document)) document.setTextWidth(std::max<qreal>(width, 1));
    const qreal body = look.screenHeight - 2 * kMargin;
    qreal height = document.size().height();
    if (height > body) cut = true;
    qreal shown = height;
    if (cut) shown = CutAbove(document, body - metrics.lineSpacing());
    const qreal full = shown + (cut ? metrics.lineSpacing() : 0);

    const qreal dpr = look.devicePixelRatio;
    const QSize pixels(static_cast<int>(std::ceil((width + 2 * kMargin) * dpr)),
                       static_cast<int>(std::ceil((full + 2 * kMargin) * dpr)));
    TextPicture drawn;
    drawn.picture = QImage(pixels, QImage::Format_RGB32);
    drawn.picture.fill(look.paper);
    {
        QPainter painter(&drawn.picture);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(dpr, dpr);
        painter.translate(kMargin, kMargin);
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette.setColor(QPalette::Text, look.ink);
        context.clip = QRectF(0, 0, width, shown);
        painter.setClipRect(context.clip);
        document.documentLayout()->draw(&painter, context);
        if (cut) {
            painter.setClipping(false);
            painter.setFont(font);
            painter.setPen(look.ink);
            painter.drawText(QRectF(0, shown, width, metrics.lineSpacing()),
                             Qt::AlignLeft | Qt::AlignVCenter, kEllipsis);
        }
    }
    drawn.words = WordsOf(document, shown);
    for (text_recognition::Word& word : drawn.words) {
        const QRectF box = QRectF(word.box).translated(kMargin, kMargin);
        word.box = QRectF(box.topLeft() * dpr, box.size() * dpr).toAlignedRect();
    }
    drawn.cut = cut;
    drawn.refused = document.refused;
    return drawn;
}

TextPicture DrawText(const QString& text, const Look& look) {
    const QFontMetricsF proportional(look.proportional);
    const int lines = static_cast<int>(look.screenHeight / proportional.lineSpacing()) + 2;
    const QString fitting = Fitting(text, lines);
    const QFont font = LooksLikeCode(fitting) ? look.fixed : look.proportional;
    OfflineDocument document;
    document.setDefaultFont(font);
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(QFontMetricsF(font).horizontalAdvance(u' ') * 8);
    document.setDefaultTextOption(option);
    document.setPlainText(fitting);
    TextPicture drawn = Render(document, look, fitting.size() < text.size(), font);
    drawn.text = text;
    return drawn;
}

TextPicture DrawPage(const ClipboardText& page, const Look& look) {
    OfflineDocument document;
    document.setDefaultFont(look.proportional);
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    document.setHtml(page.html);
    QString text = page.text.isEmpty() ? document.toPlainText().trimmed() : page.text;
    // What lies beyond one screen is never laid out: every block takes a line at least, or a
    // table cell's share of one.
    constexpr int kCellsInALine = 16;
    const int lines =
        static_cast<int>(look.screenHeight / QFontMetricsF(look.proportional).lineSpacing()) + 2;
    const QTextBlock last = document.findBlockByNumber(lines * kCellsInALine);
    const bool cut = last.isValid();
    if (cut) {
        QTextCursor tail(last);
        tail.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        tail.removeSelectedText();
    }
    TextPicture drawn = Render(document, look, cut, look.proportional);
    drawn.text = std::move(text);
    return drawn;
}

TextPicture DrawColour(const ClipboardText& colour, const Look& look) {
    const QFontMetricsF metrics(look.fixed);
    const QString value = colour.text.trimmed();
    const qreal width = std::max(kSwatch, metrics.horizontalAdvance(value));
    const qreal dpr = look.devicePixelRatio;
    const QSizeF logical(width + 2 * kMargin, kSwatch + metrics.lineSpacing() + 3 * kMargin);
    TextPicture drawn;
    drawn.picture = QImage((logical * dpr).toSize(), QImage::Format_RGB32);
    drawn.picture.fill(look.paper);
    const QRectF swatch(kMargin, kMargin, width, kSwatch);
    const QRectF under(kMargin, 2 * kMargin + kSwatch, metrics.horizontalAdvance(value),
                       metrics.lineSpacing());
    {
        QPainter painter(&drawn.picture);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(dpr, dpr);
        painter.fillRect(swatch, QColor(colour.colour.rgb()));
        // A swatch of the paper's own colour still shows where it ends.
        painter.setPen(look.ink);
        painter.drawRect(swatch.adjusted(0, 0, -1 / dpr, -1 / dpr));
        painter.setFont(look.fixed);
        painter.drawText(under, Qt::AlignLeft | Qt::AlignVCenter, value);
    }
    const QRectF box(under.topLeft() * dpr, under.size() * dpr);
    drawn.words = {{value, box.toAlignedRect(), 0, text_recognition::Code::None}};
    drawn.text = colour.text;
    return drawn;
}

}  // namespace

Look LookUnderPointer() {
    Look look;
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        look.devicePixelRatio = screen->devicePixelRatio();
        look.screenWidth = screen->geometry().width();
        look.screenHeight = screen->geometry().height();
    }
    // The desktop's palette, light or dark as it is set, as the platform theme gives it.
    const QPalette palette = QGuiApplication::palette();
    look.paper = palette.color(QPalette::Base);
    look.ink = palette.color(QPalette::Text);
    look.proportional = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    look.fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return look;
}

TextPicture Draw(const ClipboardText& content, const Look& look) {
    switch (content.kind) {
        case Kind::Page:
            return DrawPage(content, look);
        case Kind::Colour:
            return DrawColour(content, look);
        case Kind::Text:
            break;
    }
    return DrawText(content.text, look);
}

}  // namespace pasted_text
