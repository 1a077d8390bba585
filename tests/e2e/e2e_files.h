#pragma once

#include <QByteArray>
#include <QImage>
#include <QRgb>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

// Pictures and data files that the end-to-end tests write for the program to read.
namespace e2e {

// A picture in which every small block has its own colour, so that a copy shifted by any
// number of pixels is told apart from the original.
QImage PatternImage(QSize size);
bool WriteJpeg(const QString& path, const QImage& image, int quality = 95);
// A GIF of up to four colours; `indexAt` gives each pixel's palette index.
bool WriteGif(const QString& path, QSize size, const QList<QRgb>& palette,
              const std::function<int(int x, int y)>& indexAt);

// One record of the data file: the four geometry texts in 14-column print zones, then the
// path, each line ended by CR LF.
QByteArray DataRecord(const QStringList& geometry, const QString& path);
bool WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);
// The bytes with CR and LF shown, for failure messages.
QString Printable(const QByteArray& bytes);

}  // namespace e2e
