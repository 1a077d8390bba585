#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "pin_list/pin_list.h"

// The pins as a later start lists them ("--pins list"), from the running program's list or from
// the files of a data folder no program runs for.
namespace pin_list {

// One line a pin: its state, its geometry texts, its file's bytes and its board, separated by
// tabs. A tab, newline, carriage return, NUL or backslash in the file or the board is written as
// \t, \n, \r, \0 or \\.
QByteArray FormatListing(const QList<PinListing>& pins);
// The pins the data file holds, for when no program runs for it: waiting where the folder is
// missing, else saved; then the recently removed ones. None when it cannot be read.
QList<PinListing> ListSavedPins(const QString& dataFile);

}  // namespace pin_list
