#pragma once

#include <QByteArray>
#include <QList>

#include "marks/mark.h"

// A pin's marks as a file: a JSON object whose "marks" hold one object each, in drawing order.
namespace marks {

QByteArray FormatMarks(const QList<Mark>& marks);

struct ReadMarks {
    QList<Mark> marks;     // every mark that reads
    bool damaged = false;  // the bytes are not a marks file, or some mark in it does not read
};
ReadMarks ParseMarks(const QByteArray& bytes);

}  // namespace marks
