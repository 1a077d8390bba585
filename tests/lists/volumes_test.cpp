#include <gtest/gtest.h>

#include <QHash>
#include <QList>
#include <QStringList>

#include "platform/file_lists.h"

namespace {

using platform::Volume;

// One mountinfo line; `optional` stands for the variable run of tagged fields before "-".
QString Mount(const QString& mountPoint, const QString& type, const QString& device,
              const QString& optional = QStringLiteral("shared:1")) {
    static int id = 20;
    ++id;
    return QStringLiteral("%1 1 8:%1 / %2 rw,relatime %3 - %4 %5 rw\n")
        .arg(id)
        .arg(mountPoint, optional, type, device);
}

QStringList Describe(const QList<Volume>& volumes) {
    QStringList out;
    for (const Volume& v : volumes) out.append(v.mountPoint + QLatin1Char('|') + v.label);
    return out;
}

struct MountCase {
    const char* name;
    QString mountinfo;
    QStringList expected;  // "mount point|label", in list order
};

const QHash<QString, QString> kLabels = {
    {QStringLiteral("/dev/sdb1"), QStringLiteral("USB STICK")},
    {QStringLiteral("/dev/nvme0n1p2"), QStringLiteral("system")},
};

class VolumesFromMountInfoTest : public ::testing::TestWithParam<MountCase> {};

TEST_P(VolumesFromMountInfoTest, OffersTheBrowsableVolumes) {
    const MountCase& c = GetParam();
    const auto volumes = platform::VolumesFromMountInfo(
        c.mountinfo, [](const QString& device) { return kLabels.value(device); });
    EXPECT_EQ(Describe(volumes), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Mounts, VolumesFromMountInfoTest,
    ::testing::Values(
        MountCase{"Desktop",
                  Mount("/", "ext4", "/dev/sda2") + Mount("/proc", "proc", "proc", "") +
                      Mount("/sys", "sysfs", "sysfs") + Mount("/run", "tmpfs", "tmpfs") +
                      Mount("/sys/fs/cgroup", "cgroup2", "cgroup2") +
                      Mount("/home", "ext4", "/dev/sda3") +
                      Mount("/run/media/alice/STICK", "vfat", "/dev/sdb1", "shared:7 master:3") +
                      Mount("/media/bob/CAM", "exfat", "/dev/sdc1") +
                      Mount("/snap/core/123", "squashfs", "/dev/loop0") +
                      Mount("/mnt/data", "ext4", "/dev/sdd1") +
                      Mount("/mnt/scratch", "tmpfs", "tmpfs") + Mount("/srv", "ext4", "/dev/sde1") +
                      Mount("/boot/efi", "vfat", "/dev/sda1"),
                  {"/|", "/home|home", "/media/bob/CAM|CAM", "/mnt/data|data",
                   "/run/media/alice/STICK|USB STICK"}},
        MountCase{"HomeOnTheRootFileSystem",
                  Mount("/", "ext4", "/dev/nvme0n1p2") + Mount("/dev", "devtmpfs", "udev") +
                      Mount("/home/alice", "ext4", "/dev/sdf1"),
                  {"/|system"}},
        MountCase{"ContainerOverlayRoot",
                  Mount("/", "overlay", "overlay") + Mount("/mnt/layer", "overlay", "overlay"),
                  {"/|"}},
        MountCase{"EscapedBlanksInMountPoints",
                  Mount("/", "ext4", "/dev/sda2") +
                      Mount("/media/alice/My\\040Photos", "vfat", "/dev/sdg1") +
                      Mount("/mnt/back\\134slash", "ext4", "/dev/sdh1"),
                  {"/|", "/media/alice/My Photos|My Photos", "/mnt/back\\slash|back\\slash"}},
        MountCase{"LaterMountOnTheSamePointWins",
                  Mount("/", "ext4", "/dev/sda2") + Mount("/mnt/net", "autofs", "systemd-1") +
                      Mount("/mnt/net", "nfs4", "server:/export") +
                      Mount("/media/usb", "vfat", "/dev/sdb1") +
                      Mount("/media/usb", "tmpfs", "tmpfs"),
                  {"/|", "/mnt/net|net"}},
        MountCase{"RootMissingOrUnreadableText",
                  QStringLiteral("garbage\n\n12 1 8:1 / /media/x rw\n") +
                      Mount("/media/stick", "vfat", "/dev/sdb1"),
                  {"/|", "/media/stick|USB STICK"}},
        MountCase{"Empty", QString(), {"/|"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct IndexCase {
    const char* path;
    int expected;
};

class VolumeIndexForTest : public ::testing::TestWithParam<IndexCase> {};

TEST_P(VolumeIndexForTest, PicksTheLongestMountPointOnAFolderBoundary) {
    const QList<Volume> volumes = {
        {"/", {}}, {"/home", "home"}, {"/media/alice/USB", "USB"}, {"/media/alice/USB2", "USB2"}};
    EXPECT_EQ(platform::VolumeIndexFor(volumes, QString::fromUtf8(GetParam().path)),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, VolumeIndexForTest,
    ::testing::Values(IndexCase{"/", 0}, IndexCase{"/etc/fonts", 0}, IndexCase{"/home", 1},
                      IndexCase{"/home/alice/", 1}, IndexCase{"/homework", 0},
                      IndexCase{"/media/alice/USB/", 2}, IndexCase{"/media/alice/USB2/pics", 3},
                      IndexCase{"/media/alice/USBX", 0}, IndexCase{"/home/../media/alice/USB/a", 2},
                      IndexCase{"relative/path", -1}));

struct MatchCase {
    const char* name;
    QStringList names;
    const char* pattern;
    QStringList expected;
};

class MatchingFileNamesTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(MatchingFileNamesTest, FiltersAndSortsWithoutRegardToCase) {
    const MatchCase& c = GetParam();
    EXPECT_EQ(platform::MatchingFileNames(c.names, QString::fromUtf8(c.pattern)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, MatchingFileNamesTest,
    ::testing::Values(
        MatchCase{"Pictures",
                  {"c.jpg", "b.Gif", "x.jpeg", "y.png", "jpg", "a.jpg", "A.JPG", "photo.jpg.bak",
                   "new\nline.jpg", "carriage\r.gif", "gif.txt"},
                  "*.jpg;*.gif",
                  {"A.JPG", "a.jpg", "b.Gif", "c.jpg"}},
        MatchCase{"PatternCaseAndBlanksIgnored",
                  {"p.jpg", "q.GIF", "r.bmp"},
                  " *.JPG ; *.Gif ",
                  {"p.jpg", "q.GIF"}},
        MatchCase{"EveryFile", {"README", "b.txt", "a.b.c"}, "*.*", {"a.b.c", "b.txt", "README"}},
        MatchCase{"Wildcards", {"a_1.jpg", "ab_12.jpg", "b.jpg"}, "?_*.jpg", {"a_1.jpg"}},
        MatchCase{"NonAsciiCase",
                  {"Öl.jpg", "ärger.jpg", "Ärger.JPG"},
                  "*.jpg",
                  {"Ärger.JPG", "ärger.jpg", "Öl.jpg"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
