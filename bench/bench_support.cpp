#include "bench_support.h"

#include <benchmark/benchmark.h>

#include "platform/core/number_text.h"
#include "platform/core/sequential_file.h"
#include "support/test_files.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace bench {

namespace {

// Bump when the generated content changes, so that stale caches are not reused.
constexpr int kGeneratorVersion = 1;
constexpr int kQuality = 85;

std::uint32_t NextRandom(std::uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// Smooth colour gradients, two broad waves and per-pixel noise: the mix keeps the JPEG encoder
// busy the way a photo does, so file sizes and decode times are in the range of real photos.
QImage PhotoLike(QSize size, int seed) {
    QImage image(size, QImage::Format_RGB32);
    const int w = size.width(), h = size.height();
    std::uint32_t random = 0x9E3779B9u ^ std::uint32_t(seed * 2654435761u);
    const auto channel = [&](int lo, int hi) { return lo + int(NextRandom(random) % (hi - lo)); };
    const int base[3] = {channel(30, 120), channel(30, 120), channel(30, 120)};
    const int acrossX[3] = {channel(-60, 90), channel(-60, 90), channel(-60, 90)};
    const int acrossY[3] = {channel(-60, 90), channel(-60, 90), channel(-60, 90)};
    const double waveX = 2 + seed % 5, waveY = 1.5 + seed % 3;
    std::vector<float> sx(static_cast<size_t>(w)), sy(static_cast<size_t>(h));
    for (int x = 0; x < w; ++x) sx[size_t(x)] = float(std::sin(x * waveX * 6.2832 / w + seed));
    for (int y = 0; y < h; ++y) sy[size_t(y)] = float(std::sin(y * waveY * 6.2832 / h));
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const double fy = double(y) / h;
        for (int x = 0; x < w; ++x) {
            const double fx = double(x) / w;
            const float wave = 40.0f * sx[size_t(x)] * sy[size_t(y)];
            const std::uint32_t noise = NextRandom(random);
            int rgb[3];
            for (int c = 0; c < 3; ++c) {
                const int n = int((noise >> (8 * c)) & 0x1F) - 16;
                const int v = int(base[c] + acrossX[c] * fx + acrossY[c] * fy + wave) + n;
                rgb[c] = std::clamp(v, 0, 255);
            }
            line[x] = qRgb(rgb[0], rgb[1], rgb[2]);
        }
    }
    return image;
}

// Written under a temporary name and renamed, so that a run that is interrupted, or two runs
// at once, never leave a half-written picture under the real name.
bool WriteAtomically(const QString& path, const QByteArray& bytes) {
    const QString temporary = path + QStringLiteral(".%1.part").arg(getpid());
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        QFile::remove(temporary);
        return false;
    }
    file.close();
    return std::rename(QFile::encodeName(temporary).constData(),
                       QFile::encodeName(path).constData()) == 0;
}

bool IsCached(const QString& path) {
    return QFileInfo(path).size() > 0;
}

}  // namespace

QString CacheFolder(QSize size) {
    return QStringLiteral("/tmp/vellora-bench-cache/v%1-%2x%3")
        .arg(kGeneratorVersion)
        .arg(size.width())
        .arg(size.height());
}

QStringList PhotoFiles(QSize size, int count) {
    const QString folder = CacheFolder(size);
    QDir().mkpath(folder);
    QStringList paths, missing;
    for (int k = 0; k < count; ++k) {
        paths << QStringLiteral("%1/photo_%2.jpg").arg(folder).arg(k);
        if (!IsCached(paths.back())) missing << paths.back();
    }
    if (missing.isEmpty()) return paths;
    std::fprintf(stderr, "generating %lld photo(s) of %dx%d in %s ...\n",
                 static_cast<long long>(missing.size()), size.width(), size.height(),
                 qPrintable(folder));
    // In a child, so that the parent's memory stays small for the children forked later.
    const ChildResult result = RunInChild([&](ChildTimes& times) {
        for (int k = 0; k < count; ++k) {
            if (IsCached(paths[k])) continue;
            if (!WriteAtomically(paths[k], test_support::JpegBytes(PhotoLike(size, k), kQuality))) {
                times.Fail("cannot write " + paths[k].toStdString());
                return;
            }
        }
        times.ok = true;
    });
    if (!result.times.ok) {
        std::fprintf(stderr, "photo generation failed: %s\n", result.times.error);
        return {};
    }
    return paths;
}

QString PhotoWithExifThumbnail(QSize size, QSize thumbnailSize) {
    QString path = QStringLiteral("%1/photo_0_thumbnail_%2x%3.jpg")
                       .arg(CacheFolder(size))
                       .arg(thumbnailSize.width())
                       .arg(thumbnailSize.height());
    const QStringList photos = PhotoFiles(size, 1);
    if (photos.isEmpty()) return {};
    if (IsCached(path)) return path;
    const ChildResult result = RunInChild([&](ChildTimes& times) {
        QFile source(photos[0]);
        if (!source.open(QIODevice::ReadOnly)) return times.Fail("cannot read the photo");
        QByteArray bytes = source.readAll();
        const QImage full = QImage::fromData(bytes, "JPEG");
        if (full.isNull()) return times.Fail("cannot decode the photo");
        test_support::Exif exif;
        exif.orientation = 1;
        exif.bigEndian = false;
        exif.thumbnail = test_support::JpegBytes(
            full.scaled(thumbnailSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), kQuality);
        bytes = test_support::InsertSegment(bytes, test_support::ExifSegment(exif));
        if (!WriteAtomically(path, bytes)) return times.Fail("cannot write " + path.toStdString());
        times.ok = true;
    });
    if (!result.times.ok) {
        std::fprintf(stderr, "thumbnail photo failed: %s\n", result.times.error);
        return {};
    }
    return path;
}

void ChildTimes::Fail(const std::string& why) {
    ok = false;
    std::snprintf(error, sizeof error, "%s", why.c_str());
}

ChildResult RunInChild(const std::function<void(ChildTimes&)>& work) {
    ChildResult result;
    int channel[2];
    if (pipe(channel) != 0) {
        result.times.Fail("pipe failed");
        return result;
    }
    // Output buffered in the parent would otherwise be written a second time by the child.
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0) {
        close(channel[0]);
        close(channel[1]);
        result.times.Fail("fork failed");
        return result;
    }
    if (pid == 0) {
        close(channel[0]);
        struct {
            ChildTimes times;
            double startMb;
        } report{};
        report.startMb = ResidentMb();
        work(report.times);
        const char* bytes = reinterpret_cast<const char*>(&report);
        size_t left = sizeof report;
        while (left > 0) {
            const ssize_t written = write(channel[1], bytes, left);
            if (written <= 0) break;
            bytes += written;
            left -= size_t(written);
        }
        _exit(report.times.ok ? 0 : 1);
    }
    close(channel[1]);
    struct {
        ChildTimes times;
        double startMb;
    } report{};
    char* bytes = reinterpret_cast<char*>(&report);
    size_t got = 0;
    while (got < sizeof report) {
        const ssize_t n = read(channel[0], bytes + got, sizeof report - got);
        if (n <= 0) break;
        got += size_t(n);
    }
    close(channel[0]);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    if (got != sizeof report) {
        result.times.Fail(WIFSIGNALED(status)
                              ? "the child died of signal " + std::to_string(WTERMSIG(status))
                              : std::string("the child reported nothing"));
        return result;
    }
    result.times = report.times;
    result.startMb = report.startMb;
    result.peakMb = double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
    return result;
}

namespace {

double StatmResidentMb(const char* path) {
    FILE* statm = std::fopen(path, "r");
    if (!statm) return 0;
    long size = 0, resident = 0;
    const int read = std::fscanf(statm, "%ld %ld", &size, &resident);
    std::fclose(statm);
    if (read != 2) return 0;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

}  // namespace

double ResidentMb() {
    return StatmResidentMb("/proc/self/statm");
}

double ResidentMb(long pid) {
    return StatmResidentMb(("/proc/" + std::to_string(pid) + "/statm").c_str());
}

double Median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::optional<std::string> EnterWithDataFile(const QString& folder, const QByteArray& dataFile) {
    if (!QDir::setCurrent(folder)) return "cannot enter the data folder";
    QFile file(QStringLiteral("zuzerid.dat"));
    if (!file.open(QIODevice::WriteOnly) || file.write(dataFile) != dataFile.size()) {
        return "cannot write the data file";
    }
    return std::nullopt;
}

int RunRegistered(int* argc, char** argv) {
    benchmark::Initialize(argc, argv);
    if (benchmark::ReportUnrecognizedArguments(*argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

bool TakeFlag(int* argc, char** argv, const char* flag) {
    bool found = false;
    int kept = 0;
    for (int i = 0; i < *argc; ++i) {
        if (i > 0 && std::strcmp(argv[i], flag) == 0) {
            found = true;
            continue;
        }
        argv[kept++] = argv[i];
    }
    *argc = kept;
    return found;
}

int& ApplicationArgc() {
    static int argc = 1;
    return argc;
}

char** ApplicationArgv() {
    static char name[] = "vellora_bench";
    static char* argv[] = {name, nullptr};
    return argv;
}

QByteArray DataFile(const QStringList& pictures, int records) {
    QByteArray bytes;
    for (int i = 0; i < records; ++i) {
        // Spread over a large desktop, a few overlapping, one partly off its left edge.
        const double left = (i % 10) * 1800.0 - (i == 7 ? 900.0 : 0.0);
        const int row = i / 10;
        const double top = row * 1350.0 + (i % 3) * 120.0;
        bytes += platform::PrintZoneLine({platform::NumberText(left).toLatin1(),
                                          platform::NumberText(top).toLatin1(),
                                          platform::NumberText(kPinnedWidthTwips).toLatin1(),
                                          platform::NumberText(kPinnedHeightTwips).toLatin1()});
        bytes += QFile::encodeName(pictures[i % pictures.size()]) + "\r\n";
    }
    return bytes;
}

void WarmUpImageReaders() {
    QImage tiny(8, 8, QImage::Format_RGB32);
    tiny.fill(Qt::gray);
    const QByteArray jpeg = test_support::JpegBytes(tiny);
    QBuffer buffer;
    buffer.setData(jpeg);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.read();
}

}  // namespace bench
