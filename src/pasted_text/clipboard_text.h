#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>

class QMimeData;

// What the clipboard holds when it holds no picture: a page, a colour or plain text, read from
// the data by a table of formats in order of preference. No windows, no drawing.
namespace pasted_text {

enum class Kind { Page, Colour, Text };

struct ClipboardText {
    Kind kind = Kind::Text;
    QString text;   // what is kept for the pin: the plain text, or the colour's value as given
    QString html;   // a page's HTML
    QColor colour;  // a colour's
};

// The page, colour or text the data holds, if any; empty or blank text is none.
std::optional<ClipboardText> TextOfClipboard(const QMimeData* data);

// A colour written alone as #RGB, #RRGGBB, rgb(r, g, b) or hsl(h, s%, l%), blanks around it
// allowed; none for anything else.
std::optional<QColor> ColourOfText(const QString& given);

// Whether text reads as code: a tab, a line that starts with blanks, or a brace.
bool LooksLikeCode(const QString& text);

// The formats the data holds, for telling what could not be pinned: at most a few, the
// program's own internal ones left out.
QStringList HeldFormats(const QMimeData* data);

}  // namespace pasted_text
