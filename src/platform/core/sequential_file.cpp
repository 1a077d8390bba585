#include "platform/core/sequential_file.h"

#include <charconv>
#include <cmath>
#include <string>

namespace platform {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

QByteArray PrintZoneLine(const QList<QByteArray>& items) {
    QByteArray line;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0) {
            // A comma always moves on to the next zone, even from a zone's first column.
            const qsizetype pad = kPrintZoneWidth - line.size() % kPrintZoneWidth;
            line.append(pad, ' ');
        }
        line.append(items[i]);
    }
    line.append("\r\n");
    return line;
}

bool ParseNumberField(const QByteArray& token, double* value) {
    // sign? digits* ("." digits*)? ([EeDd] sign? digits+)?, with at least one mantissa digit.
    qsizetype i = 0;
    const qsizetype n = token.size();
    if (i < n && (token[i] == '+' || token[i] == '-')) ++i;
    qsizetype mantissaDigits = 0;
    while (i < n && IsDigit(token[i])) ++i, ++mantissaDigits;
    if (i < n && token[i] == '.') {
        ++i;
        while (i < n && IsDigit(token[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return false;
    // The numeric text without its exponent letter variants: "D" marks a double-precision
    // exponent and reads like "E".
    std::string text(token.constData(), static_cast<size_t>(i));
    if (i < n && (token[i] == 'E' || token[i] == 'e' || token[i] == 'D' || token[i] == 'd')) {
        text.push_back('e');
        ++i;
        if (i < n && (token[i] == '+' || token[i] == '-')) text.push_back(token[i++]);
        qsizetype exponentDigits = 0;
        while (i < n && IsDigit(token[i])) text.push_back(token[i++]), ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    if (i != n) return false;
    // from_chars reads "." whatever the process locale says; strtod would stop at the "." under
    // a decimal-comma locale, which QApplication has switched to. It takes no leading "+".
    const char* first = text.data() + (text.front() == '+' ? 1 : 0);
    double parsed = 0.0;
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), parsed);
    if (end != text.data() + text.size()) return false;
    if (error == std::errc::result_out_of_range && text.find("e-") != std::string::npos) {
        parsed = text.front() == '-' ? -0.0 : 0.0;  // too small for a double: zero
    } else if (error != std::errc() || !std::isfinite(parsed)) {
        return false;  // too large for a double
    }
    *value = parsed;
    return true;
}

SequentialReader::SequentialReader(QByteArray data) : data_(std::move(data)) {}

bool SequentialReader::AtEnd() const {
    for (qsizetype i = pos_; i < data_.size(); ++i) {
        if (!IsBlank(data_[i]) && !IsLineBreak(data_[i])) return false;
    }
    return true;
}

bool SequentialReader::AtLineBreak() const {
    return pos_ < data_.size() && IsLineBreak(data_[pos_]);
}

void SequentialReader::ConsumeLineBreak() {
    // CR LF, or a lone LF or CR: files edited elsewhere may have either.
    if (pos_ < data_.size() && data_[pos_] == '\r') ++pos_;
    if (pos_ < data_.size() && data_[pos_] == '\n') ++pos_;
}

void SequentialReader::SkipBlanks() {
    while (pos_ < data_.size() && IsBlank(data_[pos_])) ++pos_;
}

void SequentialReader::SkipLine() {
    while (pos_ < data_.size() && !IsLineBreak(data_[pos_])) ++pos_;
    ConsumeLineBreak();
}

SequentialReader::Number SequentialReader::ReadNumber() {
    while (pos_ < data_.size() && (IsBlank(data_[pos_]) || IsLineBreak(data_[pos_]))) ++pos_;
    if (pos_ >= data_.size()) return {Status::EndOfData, 0.0};
    const qsizetype start = pos_;
    while (pos_ < data_.size() && !IsBlank(data_[pos_]) && !IsLineBreak(data_[pos_]) &&
           data_[pos_] != ',') {
        ++pos_;
    }
    const QByteArray token = data_.mid(start, pos_ - start);
    SkipBlanks();
    if (pos_ < data_.size() && data_[pos_] == ',') {
        ++pos_;
    } else if (AtLineBreak()) {
        ConsumeLineBreak();
    }
    Number number;
    number.status = ParseNumberField(token, &number.value) ? Status::Ok : Status::NotANumber;
    return number;
}

SequentialReader::Text SequentialReader::ReadText() {
    SkipBlanks();
    if (pos_ >= data_.size()) return {Status::EndOfData, {}};
    Text text{Status::Ok, {}};
    if (data_[pos_] == '"') {
        ++pos_;
        while (pos_ < data_.size() && !IsLineBreak(data_[pos_])) {
            if (data_[pos_] == '"') {
                if (pos_ + 1 < data_.size() && data_[pos_ + 1] == '"') {
                    text.bytes.append('"');
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                break;
            }
            text.bytes.append(data_[pos_++]);
        }
    } else {
        const qsizetype start = pos_;
        while (pos_ < data_.size() && !IsLineBreak(data_[pos_]) && data_[pos_] != ',') ++pos_;
        text.bytes = data_.mid(start, pos_ - start);
    }
    SkipLine();
    return text;
}

}  // namespace platform
