#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QDir>
#include <QFile>
#include <csignal>

#include <array>
#include "store/data_file.h"
#include "support/test_files.h"

namespace {

using store::ReadStop;
using test_support::InTemporaryFolder;
using test_support::ReadBytes;
using test_support::WriteBytes;

using Entries = QList<store::PictureEntry>;

store::PictureEntry Entry(const QByteArray& path, const char* left = "1", const char* top = "2",
                          const char* width = "3", const char* height = "4") {
    return {platform::FilePath(path), {left, top, width, height}};
}

QList<store::Record> ReadAll(const QByteArray& data) {
    return store::ReadDataFile(data).records;
}

TEST(DataFile, WritesTwoCrLfLinesPerEntryInListOrder) {
    const Entries list = {Entry("/pics/a.jpg", "1200", "3400", "4500", "6000"),
                          Entry("/pics/b.gif", "-300", "-45", "15", "30")};
    EXPECT_EQ(store::FormatRecords(list),
              QByteArray("1200          3400          4500          6000\r\n/pics/a.jpg\r\n"
                         "-300          -45           15            30\r\n/pics/b.gif\r\n"));
    EXPECT_EQ(store::FormatRecords({}), QByteArray());
}

TEST(DataFile, PathsRoundTripByteForByteAndRecordsAfterThemStayAligned) {
    const QByteArray paths[] = {
        "/写真/フォルダ/猫.jpg",
        "/pics/with space.jpg",
        "/pics/a,b,c.gif",
        "/pics/quote\"inside.jpg",
        "/pics/end,\".jpg",
        "/pics/\x8e\xca\x90^.jpg",  // Shift-JIS, as old archives leave names behind
        "/pics/caf\xe9.jpg",        // Latin-1
        "1 2 3 4",                  // reads as numbers unless quoted
    };
    Entries list;
    for (const QByteArray& path : paths) list.append(Entry(path));
    list.append(Entry("/after.jpg", "5", "6", "7", "8"));
    const auto records = ReadAll(store::FormatRecords(list));
    ASSERT_EQ(records.size(), std::size(paths) + 1);
    for (size_t i = 0; i < std::size(paths); ++i) EXPECT_EQ(records[i].path.Bytes(), paths[i]);
    EXPECT_EQ(records.back().path.Bytes(), QByteArray("/after.jpg"));
    EXPECT_EQ(records.back().height, 8);
}

TEST(DataFile, APathWithALineBreakIsNotWrittenAndCannotBreakLaterRecords) {
    const QByteArray bytes =
        store::FormatRecords({Entry("/bad\nname.jpg"), Entry("/good.jpg", "5", "6", "7", "8")});
    EXPECT_EQ(bytes, QByteArray("5             6             7             8\r\n/good.jpg\r\n"));
}

TEST(DataFile, ReadsTheWrittenLayoutAndItsVariantsAndSaysWhereItStopped) {
    const QByteArray digits(1 << 20, '7');
    const struct {
        const char* name;
        QByteArray data;
        int records;
        const char* unread;  // the unread lines, as DescribeUnread names them
        ReadStop stop;
        qsizetype stoppedAt;  // -1: the end of the data
    } cases[] = {
        {"empty", "", 0, "", ReadStop::EndOfData, -1},
        {"one record", "1200          3400          4500          3000\r\n/a.jpg\r\n", 1, "",
         ReadStop::EndOfData, -1},
        {"fractions and exponents",
         "1200.5  1500  4500.75  3000\r\n/a.jpg\r\n1.5E+3 -2.5e-1 1D2 +4\r\n/b.jpg\r\n", 2, "",
         ReadStop::EndOfData, -1},
        {"no final line break", "1 2 3 4\r\n/a.jpg", 1, "", ReadStop::EndOfData, -1},
        {"LF only", "1 2 3 4\n/a.jpg\n5 6 7 8\n/b.jpg\n", 2, "", ReadStop::EndOfData, -1},
        {"trailing blank lines", "1 2 3 4\r\n/a.jpg\r\n\r\n\r\n", 1, "", ReadStop::EndOfData, -1},
        {"commas between numbers", "1,2,3,4\r\n/a.jpg\r\n", 1, "", ReadStop::EndOfData, -1},
        {"cut inside the numbers", "1 2 3 4\r\n/a.jpg\r\n5 6\r\n", 1, "line 3", ReadStop::EndOfData,
         -1},
        {"cut before the path", "1 2 3 4\r\n", 0, "line 1", ReadStop::CutShort, 0},
        {"not a number", "1 x 3 4\r\n/a.jpg\r\n5 6 7 8\r\n/b.jpg\r\n", 1, "lines 1-2",
         ReadStop::EndOfData, -1},
        {"NaN and Inf", "NaN 2 3 4\r\n/a.jpg\r\n1 2 Inf 4\r\n/b.jpg\r\n", 0, "lines 1-4",
         ReadStop::EndOfData, -1},
        {"giant", "1E+300 2 3 4\r\n/a.jpg\r\n", 0, "lines 1-2", ReadStop::EndOfData, -1},
        // A save writes 15 significant digits: 2147483647.999999 would become 2147483648, so
        // it is refused now rather than lost at the next start.
        {"largest left", "2147483647.99999 2 3 4\r\n/a.jpg\r\n", 1, "", ReadStop::EndOfData, -1},
        {"left written as 2^31", "2147483647.999999 2 3 4\r\n/a.jpg\r\n", 0, "lines 1-2",
         ReadStop::EndOfData, -1},
        {"zero or negative size", "1 2 0 4\r\n/a.jpg\r\n1 2 3 -4\r\n/b.jpg\r\n", 0, "lines 1-4",
         ReadStop::EndOfData, -1},
        {"comma in an unquoted path", "1 2 3 4\r\n/a,b.jpg\r\n5 6 7 8\r\n/c.jpg\r\n", 2, "",
         ReadStop::EndOfData, -1},
        {"an empty path ends the reading",
         "1 2 3 4\r\n/a.jpg\r\n5 6 7 8\r\n\r\n9 10 11 12\r\n/c.jpg\r\n", 1, "lines 3-6",
         ReadStop::EmptyPath, 17},
        // A damaged record costs its own lines only: the next record reads, whatever the damage.
        {"last number damaged",
         "300 300 3000 2250\r\n/r/a.jpg\r\n3600 300 3000 22x0\r\n/r/b.jpg\r\n"
         "6900 300 3000 2250\r\n/r/c.jpg\r\n10200 300 3000 2250\r\n/r/e.jpg\r\n",
         3, "lines 3-4", ReadStop::EndOfData, -1},
        {"three numbers", "1 2 3\r\n/a b.jpg\r\n5 6 7 8\r\n/c d.jpg\r\n", 1, "lines 1-2",
         ReadStop::EndOfData, -1},
        {"five numbers", "1 2 3 4 5\r\n/a.jpg\r\n5 6 7 8\r\n/c.jpg\r\n", 1, "lines 1-2",
         ReadStop::EndOfData, -1},
        {"a comment", "# my pins\r\n1 2 3 4\r\n/a.jpg\r\n", 1, "line 1", ReadStop::EndOfData, -1},
        {"a path line lost", "1 2 3 4\r\n5 6 7 8\r\n/b.jpg\r\n", 1, "line 1", ReadStop::EndOfData,
         -1},
        {"a long line of digits", "1 2 3 4\r\n/a.jpg\r\n" + digits + "\r\n5 6 7 8\r\n/b.jpg\r\n", 2,
         "line 3", ReadStop::EndOfData, -1},
        {"lone CR line breaks", "x\r1 2 3 4\r/a.jpg\ry\r", 1, "lines 1, 4", ReadStop::EndOfData,
         -1},
    };
    for (const auto& c : cases) {
        const store::DataFileContents contents = store::ReadDataFile(c.data);
        EXPECT_EQ(contents.records.size(), c.records) << c.name;
        EXPECT_EQ(contents.unread.isEmpty() ? QString() : store::DescribeUnread(contents.unread),
                  QString::fromLatin1(c.unread))
            << c.name;
        EXPECT_EQ(contents.stop, c.stop) << c.name;
        EXPECT_EQ(contents.stoppedAt, c.stoppedAt < 0 ? c.data.size() : c.stoppedAt) << c.name;
    }
}

TEST(DataFile, UnreadLinesAreWrittenBackByteForByteInTheirPlace) {
    const QByteArray a = store::FormatRecords({Entry("/a.jpg")});
    const QByteArray c = store::FormatRecords({Entry("/c d.jpg", "5", "6", "7", "8")});
    const QByteArray data =
        "# my pins\r\n" + a + "3600 300 3000 22x0\r\n/b.jpg\r\n" + c + "1 2 3\n/tail.jpg";
    const store::DataFileContents contents = store::ReadDataFile(data);
    ASSERT_EQ(contents.records.size(), 2);
    EXPECT_EQ(store::FormatRecords(store::EntriesOf(contents)), data);
    // A picture pinned after unread lines that ended the file starts on a line of its own.
    QList<store::PictureEntry> more = store::EntriesOf(contents);
    more.append(Entry("/e.jpg"));
    EXPECT_EQ(store::ReadDataFile(store::FormatRecords(more)).records.size(), 3);
}

// Under a decimal-comma locale (this program's tests run again under de_DE.UTF-8) the numbers
// must read and write with a ".", or a restore would turn 1200.5 into 1200 and save that.
TEST(DataFile, NumbersReadTheSameInEveryLocale) {
    const auto records =
        ReadAll("1200.5 1500 4500.75 3000\r\n/a.jpg\r\n1.5E+3 1E-400 2 3\r\n/b.jpg\r\n");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ((std::array{records[0].left, records[0].top, records[0].width, records[0].height}),
              (std::array{1200.5, 1500.0, 4500.75, 3000.0}));
    EXPECT_EQ(records[1].left, 1500.0);
    EXPECT_EQ(records[1].top, 0.0);
}

TEST(SaveAll, RewritesTheWholeFileAndTwiceGivesTheSameBytes) {
    InTemporaryFolder folder;
    WriteBytes("zuzerid.dat", "old contents that must go\r\n");
    const Entries list = {Entry("/a.jpg"), Entry("/b.jpg", "5", "6", "7", "8"),
                          Entry("/c.jpg", "9", "10", "11", "12")};
    ASSERT_TRUE(store::SaveAll(list, "zuzerid.dat").ok);
    const QByteArray first = ReadBytes("zuzerid.dat");
    EXPECT_EQ(first.count("\r\n"), 6);
    ASSERT_TRUE(store::SaveAll(list, "zuzerid.dat").ok);
    EXPECT_EQ(ReadBytes("zuzerid.dat"), first);
    ASSERT_TRUE(store::SaveAll({}, "zuzerid.dat").ok);
    EXPECT_EQ(QFileInfo("zuzerid.dat").size(), 0);
}

// Root ignores permission bits, so a real write failure comes from a file-size limit.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(SaveAll, AFailedWriteKeepsThePreviousFile) {
    InTemporaryFolder folder;
    ASSERT_TRUE(store::SaveAll({Entry("/good.jpg")}, "zuzerid.dat").ok);
    const QByteArray before = ReadBytes("zuzerid.dat");

    Entries many;
    for (int i = 0; i < 20; ++i) many.append(Entry(QByteArray("/pic") + QByteArray::number(i)));
    {
        FileSizeLimit limit(40);
        const store::SaveResult result = store::SaveAll(many, "zuzerid.dat");
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.error.isEmpty()) << "the reason is told";
    }
    EXPECT_EQ(ReadBytes("zuzerid.dat"), before);
    EXPECT_EQ(QDir(".").entryList(QDir::Files), QStringList{"zuzerid.dat"});  // no leftovers
}

TEST(SaveAll, AFolderThatCannotBeWrittenReportsFailure) {
    EXPECT_FALSE(store::SaveAll({}, "/proc/zuzerid.dat").ok);
}

TEST(FileExists, ProbesWithoutReadingAndShortensATrailingSlash) {
    InTemporaryFolder folder;
    WriteBytes("empty.jpg", "");
    QDir().mkdir("folder");
    const QByteArray here = QFile::encodeName(QDir::currentPath());
    test_support::RenameToRawName("empty.jpg", here + "/caf\xe9.jpg");
    WriteBytes("empty.jpg", "");
    const struct {
        QByteArray path;
        bool exists;
        QByteArray afterwards;
    } cases[] = {
        {here + "/caf\xe9.jpg", true, here + "/caf\xe9.jpg"},
        {here + "/empty.jpg", true, here + "/empty.jpg"},
        {here + "/empty.jpg/", true, here + "/empty.jpg"},
        {here + "/missing.jpg", false, here + "/missing.jpg"},
        {here + "/folder", false, here + "/folder"},
        {"", false, ""},
        {"/", false, ""},
    };
    for (const auto& c : cases) {
        platform::FilePath path(c.path);
        EXPECT_EQ(store::FileExists(path), c.exists) << c.path.toStdString();
        EXPECT_EQ(path.Bytes(), c.afterwards) << c.path.toStdString();
    }
}

}  // namespace
