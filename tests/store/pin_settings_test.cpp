#include "store/pin_settings.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

using store::PictureEntry;
using store::PinSettings;
using Pins = QList<std::pair<PictureEntry, PinSettings>>;

PictureEntry Entry(const QByteArray& path, const char* left = "1200") {
    return {platform::FilePath(path), {left, "3400", "4500", "6000"}};
}

const PinSettings kDefaults;
const PinSettings kFaint{.opacity = 20, .clickThrough = true};
const PinSettings kAbove{.opacity = 80, .keepAbove = true, .allWorkspaces = true};
const PinSettings kAll{.opacity = 40,
                       .clickThrough = true,
                       .keepAbove = true,
                       .allWorkspaces = true,
                       .followFile = true,
                       .playAnimation = true};

TEST(PinSettings, EachRecordFindsWhatWasSavedForItsPathAndGeometryInOrderElseTheDefaults) {
    const QByteArray a = "/pics/a.jpg", b = "/写真/猫.gif";
    const struct {
        const char* name;
        Pins saved;
        QByteArray file;  // used instead of the saved pins when set
        QList<PictureEntry> records;
        QList<PinSettings> expected;
    } cases[] = {
        {"round trip",
         {{Entry(a), kFaint}, {Entry(b), kAll}},
         {},
         {Entry(a), Entry(b)},
         {kFaint, kAll}},
        {"records added or moved by hand",
         {{Entry(a), kFaint}, {Entry(b), kAbove}},
         {},
         {Entry("/pics/new.jpg"), Entry(a, "1201"), Entry(b)},
         {kDefaults, kDefaults, kAbove}},
        {"several pins of one picture, in order",
         {{Entry(a), kDefaults}, {Entry(a), kFaint}, {Entry(a, "0"), kAbove}, {Entry(a), kAll}},
         {},
         {Entry(a, "0"), Entry(a), Entry(a), Entry(a), Entry(a)},
         {kAbove, kDefaults, kFaint, kAll, kDefaults}},
        // Both names read as "caf\uFFFD.jpg" once decoded as UTF-8: only their bytes tell them
        // apart.
        {"names that are not UTF-8",
         {{Entry("/caf\xe9.jpg"), kFaint},
          {Entry("/caf\xe8.jpg"), kAll},
          {Entry("/\x8e\xca\x90^.jpg"), kAbove}},
         {},
         {Entry("/\x8e\xca\x90^.jpg"), Entry("/caf\xe8.jpg"), Entry("/caf\xe9.jpg")},
         {kAbove, kAll, kFaint}},
        {"garbage", {}, "\x89PNG\r\n\x1a\n{\"pins\":[", {Entry(a)}, {kDefaults}},
        {"JSON that holds no pins", {}, "[1, 2, 3]", {Entry(a)}, {kDefaults}},
        {"broken entries are passed over, odd values fall back",
         {},
         R"({"pins": [{"path": "/pics/a.jpg", "geometry": ["1200", "3400"], "opacity": 20},
                      {"path": "/pics/a.jpg", "geometry": ["1200", "3400", "4500", "6000"],
                       "opacity": 55, "clickThrough": "yes", "keepAbove": true}]})",
         {Entry(a)},
         {PinSettings{.keepAbove = true}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray file = c.file.isNull() ? store::FormatPinSettings(c.saved) : c.file;
        EXPECT_EQ(store::MatchPinSettings(file, c.records), c.expected) << file.toStdString();
    }
}

TEST(PinSettings, AreSavedBesideTheDataFileAndAMissingFileGivesTheDefaults) {
    QTemporaryDir folder;
    const QString fileName = store::PinSettingsFileName(folder.filePath(store::kDataFileName));
    EXPECT_EQ(fileName, folder.filePath(QStringLiteral("pin-settings.json")));
    EXPECT_EQ(store::LoadPinSettings(fileName, {Entry("/a.jpg")}), QList{kDefaults});
    ASSERT_TRUE(store::SavePinSettings({{Entry("/a.jpg"), kAbove}}, fileName).ok);
    EXPECT_EQ(store::LoadPinSettings(fileName, {Entry("/a.jpg")}), QList{kAbove});
}

}  // namespace
