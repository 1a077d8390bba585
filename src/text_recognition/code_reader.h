#pragma once

#include <QImage>
#include <QString>

#include "text_recognition/recognised_text.h"

// QR codes, Data Matrix codes and the common barcodes (EAN, UPC, Code 128) in a picture, read
// with ZXing: each code's contents one word on a line of its own, its box around its outline.
namespace text_recognition {

// The picture's codes, top to bottom, lines numbered from 0.
Words ReadCodes(const QImage& picture);
// The words recognised in a picture whose codes are `codes`: the codes first, then the text,
// its lines numbered on after theirs.
Words CodesThenText(Words codes, const Words& text);
// The picture with each code's box painted over in white, so that the engine does not read
// its modules as letters.
QImage WithoutCodes(const QImage& picture, const Words& codes);
// The note after a code's contents alone were copied, naming its kind.
QString CopiedNote(Code code);

}  // namespace text_recognition
