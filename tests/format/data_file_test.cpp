#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <csignal>
#include <sys/resource.h>

#include "store/data_file.h"
#include "store/picture_list.h"
#include "support/test_files.h"

namespace {

using store::RecordReader;
using Result = RecordReader::Result;
using test_support::InTemporaryFolder;
using test_support::ReadBytes;
using test_support::WriteBytes;

store::PictureList ListOf(std::initializer_list<std::array<const char*, 5>> entries) {
    store::PictureList list;
    for (const auto& e : entries) {
        list.AddItem(QString::fromUtf8(e[4]), e[0], e[1], e[2], e[3]);
    }
    return list;
}

std::vector<store::Record> ReadAll(const QByteArray& data, std::vector<Result>* results = nullptr) {
    RecordReader reader(data);
    std::vector<store::Record> records;
    while (!reader.AtEnd()) {
        store::Record record;
        const Result result = reader.Read(&record);
        if (results) results->push_back(result);
        if (result == Result::CutShort) break;
        if (result == Result::Record) records.push_back(record);
    }
    return records;
}

TEST(DataFile, WritesTwoCrLfLinesPerEntryInListOrder) {
    const auto list = ListOf({{"1200", "3400", "4500", "6000", "/pics/a.jpg"},
                              {"-300", "-45", "15", "30", "/pics/b.gif"}});
    EXPECT_EQ(store::FormatRecords(list),
              QByteArray("1200          3400          4500          6000\r\n/pics/a.jpg\r\n"
                         "-300          -45           15            30\r\n/pics/b.gif\r\n"));
    EXPECT_EQ(store::FormatRecords(store::PictureList()), QByteArray());
}

TEST(DataFile, PathsRoundTripWholeAndRecordsAfterThemStayAligned) {
    const char* const paths[] = {
        "/写真/フォルダ/猫.jpg", "/pics/with space.jpg", "/pics/a,b,c.gif",
        "/pics/quote\"inside.jpg", "/pics/end,\".jpg",
    };
    store::PictureList list;
    for (const char* path : paths) list.AddItem(QString::fromUtf8(path), "1", "2", "3", "4");
    list.AddItem("/after.jpg", "5", "6", "7", "8");
    const auto records = ReadAll(store::FormatRecords(list));
    ASSERT_EQ(records.size(), std::size(paths) + 1);
    for (size_t i = 0; i < std::size(paths); ++i) {
        EXPECT_EQ(records[i].path, QString::fromUtf8(paths[i]));
    }
    EXPECT_EQ(records.back().path, QStringLiteral("/after.jpg"));
    EXPECT_EQ(records.back().height, 8);
}

TEST(DataFile, APathWithALineBreakIsNotWrittenAndCannotBreakLaterRecords) {
    store::PictureList list;
    list.AddItem("/bad\nname.jpg", "1", "2", "3", "4");
    list.AddItem("/good.jpg", "5", "6", "7", "8");
    const QByteArray bytes = store::FormatRecords(list);
    EXPECT_EQ(bytes, QByteArray("5             6             7             8\r\n/good.jpg\r\n"));
}

TEST(DataFile, ReadsTheClassicLayoutAndItsVariants) {
    const struct {
        const char* name;
        QByteArray data;
        std::vector<Result> results;
        int records;
    } cases[] = {
        {"empty", "", {}, 0},
        {"one record", "1200          3400          4500          3000\r\n/a.jpg\r\n",
         {Result::Record}, 1},
        {"no final line break", "1 2 3 4\r\n/a.jpg", {Result::Record}, 1},
        {"LF only", "1 2 3 4\n/a.jpg\n5 6 7 8\n/b.jpg\n", {Result::Record, Result::Record}, 2},
        {"trailing blank lines", "1 2 3 4\r\n/a.jpg\r\n\r\n\r\n", {Result::Record}, 1},
        {"commas between numbers", "1,2,3,4\r\n/a.jpg\r\n", {Result::Record}, 1},
        {"cut inside the numbers", "1 2 3 4\r\n/a.jpg\r\n5 6\r\n",
         {Result::Record, Result::CutShort}, 1},
        {"cut before the path", "1 2 3 4\r\n", {Result::CutShort}, 0},
        {"not a number", "1 x 3 4\r\n/a.jpg\r\n5 6 7 8\r\n/b.jpg\r\n",
         {Result::Malformed, Result::Record}, 1},
        {"NaN and Inf", "NaN 2 3 4\r\n/a.jpg\r\n1 2 Inf 4\r\n/b.jpg\r\n",
         {Result::Malformed, Result::Malformed}, 0},
        {"giant", "1E+300 2 3 4\r\n/a.jpg\r\n", {Result::Malformed}, 0},
        // A save writes 15 significant digits: 2147483647.999999 would become 2147483648, so
        // it is refused now rather than lost at the next start.
        {"largest left", "2147483647.99999 2 3 4\r\n/a.jpg\r\n", {Result::Record}, 1},
        {"left written as 2^31", "2147483647.999999 2 3 4\r\n/a.jpg\r\n", {Result::Malformed},
         0},
        {"zero or negative size", "1 2 0 4\r\n/a.jpg\r\n1 2 3 -4\r\n/b.jpg\r\n",
         {Result::Malformed, Result::Malformed}, 0},
        {"comma in an unquoted path", "1 2 3 4\r\n/a,b.jpg\r\n5 6 7 8\r\n/c.jpg\r\n",
         {Result::Record, Result::Record}, 2},
    };
    for (const auto& c : cases) {
        std::vector<Result> results;
        const auto records = ReadAll(c.data, &results);
        EXPECT_EQ(results, c.results) << c.name;
        EXPECT_EQ(int(records.size()), c.records) << c.name;
    }
}

TEST(DataFile, EmptyPathReadsAsAnEmptyText) {
    const auto records = ReadAll("1 2 3 4\r\n\r\n5 6 7 8\r\n/b.jpg\r\n");
    ASSERT_GE(records.size(), 1u);
    EXPECT_TRUE(records[0].path.isEmpty());
}

TEST(SaveAll, RewritesTheWholeFileAndTwiceGivesTheSameBytes) {
    InTemporaryFolder folder;
    WriteBytes("zuzerid.dat", "old contents that must go\r\n");
    const auto list = ListOf({{"1", "2", "3", "4", "/a.jpg"}, {"5", "6", "7", "8", "/b.jpg"},
                              {"9", "10", "11", "12", "/c.jpg"}});
    ASSERT_TRUE(store::SaveAll(list));
    const QByteArray first = ReadBytes("zuzerid.dat");
    EXPECT_EQ(first.count("\r\n"), 6);
    ASSERT_TRUE(store::SaveAll(list));
    EXPECT_EQ(ReadBytes("zuzerid.dat"), first);
    ASSERT_TRUE(store::SaveAll(store::PictureList()));
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
    const auto good = ListOf({{"1", "2", "3", "4", "/good.jpg"}});
    ASSERT_TRUE(store::SaveAll(good));
    const QByteArray before = ReadBytes("zuzerid.dat");

    store::PictureList many;
    for (int i = 0; i < 20; ++i) many.AddItem(QStringLiteral("/pic%1.jpg").arg(i), "1", "2", "3", "4");
    {
        FileSizeLimit limit(40);
        EXPECT_FALSE(store::SaveAll(many));
    }
    EXPECT_EQ(ReadBytes("zuzerid.dat"), before);
    EXPECT_EQ(QDir(".").entryList(QDir::Files), QStringList{"zuzerid.dat"});  // no leftovers
}

TEST(SaveAll, AFolderThatCannotBeWrittenReportsFailure) {
    EXPECT_FALSE(store::SaveAll(store::PictureList(), "/proc/zuzerid.dat"));
}

TEST(FileExists, ProbesWithoutReadingAndShortensATrailingSlash) {
    InTemporaryFolder folder;
    WriteBytes("empty.jpg", "");
    QDir().mkdir("folder");
    const QString here = QDir::currentPath();
    const struct {
        QString path;
        bool exists;
        QString afterwards;
    } cases[] = {
        {here + "/empty.jpg", true, here + "/empty.jpg"},
        {here + "/empty.jpg/", true, here + "/empty.jpg"},
        {here + "/missing.jpg", false, here + "/missing.jpg"},
        {here + "/folder", false, here + "/folder"},
        {"", false, ""},
        {"/", false, ""},
    };
    for (const auto& c : cases) {
        QString path = c.path;
        EXPECT_EQ(store::FileExists(path), c.exists) << c.path.toStdString();
        EXPECT_EQ(path, c.afterwards) << c.path.toStdString();
    }
}

}  // namespace
