#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QUrl>

#include "pasted_text/clipboard_text.h"
#include "text_recognition/recognised_text.h"

class QScreen;

// The picture a pin of text, a page or a colour shows, drawn with QTextDocument at the pixels
// of one screen, and where each of its words lies in it. Needs a QGuiApplication for the fonts,
// no windows.
namespace pasted_text {

// How text is drawn: the screen's pixels and height, and the desktop's palette and fonts.
struct Look {
    qreal devicePixelRatio = 1;
    int screenWidth = 1920;   // logical pixels: a wider page is cut there
    int screenHeight = 1080;  // logical pixels: a longer text stops there with an ellipsis line
    QColor paper = Qt::white;
    QColor ink = Qt::black;
    QFont proportional;
    QFont fixed;
};
// The desktop's look on the screen under the mouse pointer.
Look LookUnderPointer();

struct TextPicture {
    QImage picture;                 // at device pixels, with a margin
    text_recognition::Words words;  // as drawn, boxes in the picture's pixels
    QString text;                   // the text kept for the pin
    bool cut = false;               // the text went on beyond one screen
    // What a page referred to that is not carried in it (a network or local picture, a style
    // sheet): never fetched.
    QList<QUrl> refused;
};

TextPicture Draw(const ClipboardText& content, const Look& look);

}  // namespace pasted_text
