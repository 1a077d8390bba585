#include <gtest/gtest.h>

#include "platform/core/sequential_file.h"

namespace {

using platform::PrintZoneLine;
using platform::SequentialReader;
using Status = SequentialReader::Status;

TEST(PrintZones, EachItemAfterTheFirstStartsAtTheNextZone) {
    const struct {
        QByteArray first;
        qsizetype secondStartsAt;  // zero-based column of the second item
    } cases[] = {
        {"", 14},
        {"1", 14},
        {"1234567890123", 14},
        {"12345678901234", 28},
        {"123456789012345", 28},
        {QByteArray(28, 'x'), 42},
    };
    for (const auto& c : cases) {
        const QByteArray line = PrintZoneLine({c.first, "B"});
        EXPECT_EQ(line.indexOf('B'), c.secondStartsAt) << c.first.size();
        EXPECT_TRUE(line.endsWith("B\r\n"));
    }
}

TEST(PrintZones, GeometryLineStartsEachItemAtTheNextZone) {
    EXPECT_EQ(PrintZoneLine({"1200", "3400", "4500", "6000"}),
              QByteArray("1200          3400          4500          6000\r\n"));
    EXPECT_EQ(PrintZoneLine({"-300", "3400", "4500", "6000"}),
              QByteArray("-300          3400          4500          6000\r\n"));
    EXPECT_EQ(PrintZoneLine({"1200", "3400", "4500", "6000"}).size(), 46 + 2);
}

TEST(SequentialReader, ReadsNumbersAcrossBlanksCommasAndLineBreaks) {
    SequentialReader reader("  1200          -3400,4500\r\n\r\n 6E+2 , 1.5E-05\n7d1");
    const double expected[] = {1200, -3400, 4500, 600, 1.5e-5, 70};
    for (double value : expected) {
        const auto number = reader.ReadNumber();
        ASSERT_EQ(number.status, Status::Ok);
        EXPECT_DOUBLE_EQ(number.value, value);
    }
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(reader.ReadNumber().status, Status::EndOfData);
}

TEST(SequentialReader, RefusesWhatIsNotAPlainNumber) {
    const char* const tokens[] = {"NaN", "Inf", "-inf", "1e999", "12abc", "abc",
                                  "-",   ".",   "1e",   "0x10",  "1,5e"};
    for (const char* token : tokens) {
        double value = 0;
        EXPECT_FALSE(platform::ParseNumberField(QByteArray(token), &value)) << token;
    }
    double value = 0;
    EXPECT_TRUE(platform::ParseNumberField("+.5", &value));
    EXPECT_DOUBLE_EQ(value, 0.5);
}

TEST(SequentialReader, TextEndsAtCommaOrLineEndAndKeepsTheNextLineIntact) {
    const struct {
        QByteArray data;
        QByteArray text;
        QByteArray next;  // the following line's text
    } cases[] = {
        {"/a/b c.jpg\r\nNEXT\r\n", "/a/b c.jpg", "NEXT"},
        {"   /lead.jpg\r\nNEXT", "/lead.jpg", "NEXT"},
        {"/cut,here.jpg\r\nNEXT", "/cut", "NEXT"},
        {"\"/with,comma.jpg\"\r\nNEXT", "/with,comma.jpg", "NEXT"},
        {"\"/say \"\"hi\"\".jpg\"\nNEXT", "/say \"hi\".jpg", "NEXT"},
        {"\"/unclosed\r\nNEXT", "/unclosed", "NEXT"},
        {"\r\nNEXT", "", "NEXT"},
        {"/lf-only.jpg\nNEXT", "/lf-only.jpg", "NEXT"},
        {"/cr-only.jpg\rNEXT", "/cr-only.jpg", "NEXT"},
    };
    for (const auto& c : cases) {
        SequentialReader reader(c.data);
        const auto text = reader.ReadText();
        EXPECT_EQ(text.status, Status::Ok) << c.data.constData();
        EXPECT_EQ(text.bytes, c.text) << c.data.constData();
        EXPECT_EQ(reader.ReadText().bytes, c.next) << c.data.constData();
    }
}

TEST(SequentialReader, TrailingBlankLinesCountAsTheEnd) {
    SequentialReader reader("1\r\n\r\n  \r\n\t\n");
    EXPECT_FALSE(reader.AtEnd());
    EXPECT_EQ(reader.ReadNumber().status, Status::Ok);
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_TRUE(SequentialReader("").AtEnd());
}

}  // namespace
