#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

// Pictures of known text that recognition tests and benchmarks draw for themselves, and how far
// a reading is from that text. Drawing needs a QGuiApplication and the fonts named.
namespace test_support {

// Black lines of text on white in `family` at `pixelSize`, from the top left with a margin;
// the picture is just large enough unless `size` is given.
QImage TextPicture(const QStringList& lines, const QString& family, int pixelSize, QSize size = {});
// A photo without text: soft colour gradients and pixel noise.
QImage PhotoWithoutText(QSize size);
// The edit distance between the texts, blanks left out, over the truth's length.
double CharacterErrorRate(const QString& truth, const QString& read);

}  // namespace test_support
