#include "store/pin_settings.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

using store::PictureEntry;
using store::PinSettings;

PictureEntry Entry(const QByteArray& path, const char* left = "1200") {
    return {platform::FilePath(path), {left, "3400", "4500", "6000"}};
}

const PinSettings kDefaults, kFaint{20, true}, kAbove{80, false, true, true};
const PinSettings kAll{40,        true,
                       true,      true,
                       true,      true,
                       QString(), "0123456789abcdef",
                       false,     {1, true, QRect(2, 3, 40, 50)}};

TEST(PinSettings, EachRecordFindsWhatWasSavedForItsPathAndGeometryInOrderElseTheDefaults) {
    const QByteArray a = "/pics/a.jpg", b = "/写真/猫.gif";
    // Both read as "caf\uFFFD.jpg" once decoded as UTF-8: only their bytes tell them apart.
    const QByteArray latin1 = "/caf\xe9.jpg", other = "/caf\xe8.jpg";
    const struct {
        const char* name;
        QList<std::pair<PictureEntry, PinSettings>> saved;
        QList<PictureEntry> records;
        QList<PinSettings> expected;
        QByteArray file;  // used instead of the saved pins when set
    } cases[] = {
        {"saved, added and moved by hand",
         {{Entry(a), kFaint}, {Entry(b), kAll}},
         {Entry("/new.jpg"), Entry(b), Entry(a, "1201"), Entry(a)},
         {kDefaults, kAll, kDefaults, kFaint},
         {}},
        {"several pins of one picture, in order",
         {{Entry(a), kDefaults}, {Entry(a), kFaint}, {Entry(a, "0"), kAbove}, {Entry(a), kAll}},
         {Entry(a, "0"), Entry(a), Entry(a), Entry(a), Entry(a)},
         {kAbove, kDefaults, kFaint, kAll, kDefaults},
         {}},
        {"names that are not UTF-8",
         {{Entry(latin1), kFaint}, {Entry(other), kAll}},
         {Entry(other), Entry(latin1)},
         {kAll, kFaint},
         {}},
        {"garbage", {}, {Entry(a)}, {kDefaults}, "\x89PNG\r\n\x1a\n{\"pins\":["},
        {"broken entries are passed over, odd values fall back",
         {},
         {Entry(a)},
         {PinSettings{.keepAbove = true}},
         R"({"pins": [{"path": "/pics/a.jpg", "geometry": ["1200", "3400"], "opacity": 20},
                      {"path": "/pics/a.jpg", "geometry": ["1200", "3400", "4500", "6000"],
                       "opacity": 55, "clickThrough": "yes", "keepAbove": true}]})"},
    };
    for (const auto& c : cases) {
        const QByteArray file = c.file.isNull() ? store::FormatPinSettings(c.saved) : c.file;
        EXPECT_EQ(store::MatchPinSettings(file, c.records), c.expected) << c.name << "\n"
                                                                        << file.toStdString();
    }
}

// A pin's transform is one field of its settings: older files have none, and a damaged part of
// it is dropped while the rest reads.
TEST(PinSettings, TheTransformReadsBackAndADamagedPartOfItIsDropped) {
    const struct {
        const char* name;
        const char* field;  // the "transform" value; null for none
        platform::PictureTransform expected;
    } cases[] = {
        {"written before there were transforms", nullptr, {}},
        {"every part",
         R"({"turns": 3, "mirrored": true, "crop": [1, 2, 30, 40]})",
         {3, true, QRect(1, 2, 30, 40)}},
        {"turns out of range", R"({"turns": 4, "mirrored": true})", {0, true, QRect()}},
        {"turns not whole", R"({"turns": 1.5, "crop": [1, 2, 3]})", {}},
        {"a crop of no area", R"({"turns": 1, "crop": [1, 2, 0, 5]})", {1, false, QRect()}},
        {"a crop off the picture's corner", R"({"crop": [-5, 2, 10, 5]})", {}},
        {"not an object", R"("right")", {}},
    };
    for (const auto& c : cases) {
        const QByteArray object =
            QByteArray(R"({"path": "/p.png", "geometry": ["1200", "3400", "4500", "6000"])") +
            (c.field ? QByteArray(R"(, "transform": )") + c.field : QByteArray()) + "}";
        const QByteArray file = R"({"pins": [)" + object + "]}";
        const PinSettings read = store::MatchPinSettings(file, {Entry("/p.png")}).value(0);
        EXPECT_EQ(read.transform, c.expected) << c.name;
        // Written again, it reads back the same.
        const QByteArray again = store::FormatPinSettings({{Entry("/p.png"), read}});
        EXPECT_EQ(store::MatchPinSettings(again, {Entry("/p.png")}).value(0), read) << c.name;
    }
}

TEST(PinSettings, AreSavedBesideTheDataFileAndAMissingFileGivesTheDefaults) {
    QTemporaryDir folder;
    const QString fileName =
        store::DataFolder(folder.filePath(store::kDataFileName)).PinSettingsFile();
    EXPECT_EQ(fileName, folder.filePath(QStringLiteral("pin-settings.json")));
    EXPECT_EQ(store::LoadPinSettings(fileName, {Entry("/a.jpg")}), QList{kDefaults});
    ASSERT_TRUE(store::SavePinSettings({{Entry("/a.jpg"), kAbove}}, fileName).ok);
    EXPECT_EQ(store::LoadPinSettings(fileName, {Entry("/a.jpg")}), QList{kAbove});
}

}  // namespace
