#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "support/test_files.h"

// Pictures and data files that the end-to-end tests write for the program to read.
namespace e2e {

// Pictures and files are written by the shared test support.
using test_support::PatternImage;
using test_support::ReadBytes;
using test_support::WriteBytes;
using test_support::WriteGif;
using test_support::WriteJpeg;

// One record of the data file with a path given as text (test_support::DataRecord).
QByteArray DataRecord(const QStringList& geometry, const QString& path);
// The bytes with CR and LF shown, for failure messages.
QString Printable(const QByteArray& bytes);

}  // namespace e2e
