#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Shared pieces of the benchmark programs: photo-like test pictures cached on disk, and running
// one measured case in a child process so that its peak memory can be read on its own.
namespace bench {

// Where generated pictures are kept between runs; generating ten 24-megapixel photos takes
// longer than the measurements themselves.
QString CacheFolder(QSize size);

// Paths of `count` distinct photo-like JPEGs of `size` (gradients, broad waves and pixel
// noise, so that they compress like photos rather than to almost nothing), quality 85.
// Generated on first use in a child process, then reused.
QStringList PhotoFiles(QSize size, int count);

// The same photo as PhotoFiles(size, 1)[0], with an EXIF block that carries a JPEG thumbnail
// of `thumbnailSize` in its second image directory, as cameras write it.
QString PhotoWithExifThumbnail(QSize size, QSize thumbnailSize);

// What one child process reports back. Times are measured inside the child around the work
// itself, so process creation and set-up do not count.
struct ChildTimes {
    static constexpr int kSlots = 5;
    double seconds[kSlots] = {};
    double megabytes[kSlots] = {};
    bool ok = false;
    char error[160] = {};

    void Fail(const std::string& why);
};

struct ChildResult {
    ChildTimes times;
    double startMb = 0;  // resident memory when the child began its work
    double peakMb = 0;   // the child's peak resident memory (ru_maxrss from wait4)
    double AddedMb() const { return peakMb - startMb; }
};

// Forks, runs `work` in the child, and waits for it. The child never returns into the caller:
// it leaves with _exit, so nothing of the benchmark library runs twice.
ChildResult RunInChild(const std::function<void(ChildTimes&)>& work);

// Monotonic seconds, for the timing inside children.
double Now();

// The median of the samples (the mean of the middle two for an even count); 0 for none.
double Median(std::vector<double> samples);

// The process's resident memory now, in MiB.
double ResidentMb();
// Another process's resident memory now, in MiB; 0 when it cannot be read.
double ResidentMb(long pid);

// Removes `flag` from the command line; true when it was there. The benchmark library rejects
// flags it does not know, so the programs' own flags are taken out before it sees them.
bool TakeFlag(int* argc, char** argv, const char* flag);

// The command line a child's QApplication is made with; it must outlive the application.
int& ApplicationArgc();
char** ApplicationArgv();

// Every pinned record of the data files below is shown at 400 x 300 pixels.
constexpr double kPinnedWidthTwips = 6000;
constexpr double kPinnedHeightTwips = 4500;

// The program's data file with `records` pinned records, cycling through `pictures`: spread
// over about 1500 x 1150 pixels of desktop, many overlapping, one partly off its left edge.
QByteArray DataFile(const QStringList& pictures, int records);

// Makes `folder` the current folder and writes `dataFile` there as "zuzerid.dat", the name the
// restore children give the program; the reason when either fails.
std::optional<std::string> EnterWithDataFile(const QString& folder, const QByteArray& dataFile);

// Runs the benchmarks registered so far with the rest of the command line, as a benchmark
// program's main ends; its exit status.
int RunRegistered(int* argc, char** argv);

// Loads Qt's JPEG plug-in in the parent, so that every child starts with it already loaded
// and no case pays for it.
void WarmUpImageReaders();

}  // namespace bench
