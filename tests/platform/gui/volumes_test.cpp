#include <gtest/gtest.h>

#include <QList>
#include <QStringList>

#include "platform/gui/file_lists.h"

namespace {

using platform::Volume;

QStringList Describe(const QList<Volume>& volumes) {
    QStringList out;
    for (const Volume& v : volumes) out.append(v.mountPoint + QLatin1Char('|') + v.label);
    return out;
}

struct MountCase {
    const char* name;
    QList<platform::Mount> mounts;
    QStringList expected;  // "mount point|label", in list order
};

class OfferedVolumesTest : public ::testing::TestWithParam<MountCase> {};

TEST_P(OfferedVolumesTest, OffersTheBrowsableVolumes) {
    EXPECT_EQ(Describe(platform::OfferedVolumes(GetParam().mounts)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Mounts, OfferedVolumesTest,
    ::testing::Values(
        MountCase{"Desktop",
                  {{"/", "ext4", ""},
                   {"/proc", "proc", ""},
                   {"/run", "tmpfs", ""},
                   {"/sys/fs/cgroup", "cgroup2", ""},
                   {"/home", "ext4", ""},
                   {"/run/media/alice/STICK", "vfat", "USB STICK"},
                   {"/media/bob/CAM", "exfat", ""},
                   {"/snap/core/123", "squashfs", ""},
                   {"/mnt/data", "ext4", ""},
                   {"/mnt/scratch", "tmpfs", ""},
                   {"/srv", "ext4", ""},
                   {"/boot/efi", "vfat", "EFI"}},
                  {"/|", "/home|home", "/media/bob/CAM|CAM", "/mnt/data|data",
                   "/run/media/alice/STICK|USB STICK"}},
        MountCase{"HomeOnTheRootFileSystem",
                  {{"/", "ext4", "system"}, {"/dev", "devtmpfs", ""}, {"/home/alice", "ext4", ""}},
                  {"/|system"}},
        MountCase{
            "ContainerOverlayRoot", {{"/", "overlay", ""}, {"/mnt/layer", "overlay", ""}}, {"/|"}},
        MountCase{"LaterMountOnTheSamePointWins",
                  {{"/", "ext4", ""},
                   {"/mnt/net", "autofs", ""},
                   {"/mnt/net", "nfs4", ""},
                   {"/media/usb", "vfat", ""},
                   {"/media/usb", "tmpfs", ""}},
                  {"/|", "/mnt/net|net"}},
        MountCase{
            "RootMissing", {{"/media/stick/", "vfat", "STICK"}}, {"/|", "/media/stick|STICK"}},
        MountCase{"Empty", {}, {"/|"}}),
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
    QList<QByteArray> names;
    const char* pattern;
    QList<QByteArray> expected;
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
                  {"Ärger.JPG", "ärger.jpg", "Öl.jpg"}},
        // Shift-JIS 写真 and Latin-1 café: listed, under their own bytes.
        MatchCase{"NamesThatAreNotUtf8",
                  {"\x8e\xca\x90^.JPG", "caf\xe9.gif", "\xff\xfe.png"},
                  "*.jpg;*.gif",
                  {"caf\xe9.gif", "\x8e\xca\x90^.JPG"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct DisplayCase {
    QByteArray bytes;
    QString shown;
};

TEST(DisplayName, Utf8ElseShiftJisElseEscapedBytes) {
    const DisplayCase cases[] = {
        {"猫.jpg", QStringLiteral("猫.jpg")},
        {"\x8e\xca\x90^.jpg", QStringLiteral("写真.jpg")},
        {"caf\xe9.jpg", QStringLiteral("caf\\xe9.jpg")},
        {"\xff\xfe猫", QStringLiteral("\\xff\\xfe猫")},
        {"", QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::DisplayName(c.bytes), c.shown) << c.bytes.toStdString();
}

}  // namespace
