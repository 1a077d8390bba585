#pragma once

#include <QByteArray>
#include <QList>

// A sequential text file: each line's items written in 14-column print zones (every item after
// the first starts at the next multiple of 14 columns), lines ended by CR LF, read back as
// numbers separated by blanks or commas and as text fields running to the end of the line.
namespace platform {

inline constexpr int kPrintZoneWidth = 14;

// One line of items, each after the first starting at the next print zone: an item of 13
// characters or fewer is padded to 14, one of exactly 14 gets 14 more spaces, one of 15 gets 13.
// Nothing follows the last item but CR LF.
QByteArray PrintZoneLine(const QList<QByteArray>& items);

class SequentialReader {
public:
    enum class Status { Ok, NotANumber, EndOfData };

    struct Number {
        Status status = Status::EndOfData;
        double value = 0.0;
    };
    struct Text {
        Status status = Status::EndOfData;
        QByteArray bytes;
    };

    explicit SequentialReader(QByteArray data);

    // True at the end of the data. Trailing blanks and empty lines count as the end, so a file
    // that ends in blank lines reads like one that does not.
    bool AtEnd() const;

    // Skips blanks and line breaks, then reads up to a blank, a comma or the end of the line. A
    // comma or the line break after the number is consumed. Only plain decimal numbers with an
    // optional sign, fraction and exponent count: "NaN", "Inf" and overflowing values do not.
    Number ReadNumber();

    // Skips blanks (not line breaks), then reads up to the first comma or the end of the line
    // and consumes the rest of the line, so that a cut at a comma cannot shift later records.
    // A field that starts with a double quote is read up to its closing quote ("" inside stands
    // for one quote), which is how texts holding a comma are written.
    Text ReadText();

    // Drops what is left of the current line, including its line break.
    void SkipLine();

    // How many bytes have been read so far.
    qsizetype Position() const { return pos_; }

private:
    bool AtLineBreak() const;
    void ConsumeLineBreak();
    void SkipBlanks();

    QByteArray data_;
    qsizetype pos_ = 0;
};

// Parses one numeric field as the reader does; exposed for the reader's tests.
bool ParseNumberField(const QByteArray& token, double* value);

}  // namespace platform
