#pragma once

#include <QString>

#include "text_recognition/recognised_text.h"

// The engine's words made into text as a person writes it: no windows, no engine.
namespace text_recognition {

// Whether a blank stands between two words of one line: always between Latin words, never
// between Japanese characters and punctuation, and between Japanese and Latin only where the
// picture shows a gap.
bool BlankBetween(const Word& before, const Word& after);

// The words of one line that no blank parts joined into one run, so that a drag selects them
// as text; an address the engine broke apart or misread mended where that is certain.
Words Written(Words words);

// The text with the URLs and e-mail addresses in it mended where the mending is certain: a
// scheme's blank or lone slash ("http: //", "http:/ /") and a comma read for a dot inside a
// host name. What could be meant as written stays as read.
QString MendedAddresses(const QString& text);

}  // namespace text_recognition
