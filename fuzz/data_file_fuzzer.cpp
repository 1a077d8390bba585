// The start-up's reading of the data file: one whole file in, the records out, as the restore
// reads them, then saved and read once more.
//
// Properties: reading always ends and says where; every record handed out has usable geometry
// and a path; and what the restore would save reads back as the same records, so that a
// start-up never loses or changes a picture that it restored.

#include <QByteArray>
#include <QList>
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "platform/number_text.h"
#include "store/data_file.h"

namespace {

// The records the restore would place, read by the program's own reader.
QList<store::Record> ReadRecords(const QByteArray& data) {
    const store::DataFileContents contents = store::ReadDataFile(data);
    FUZZ_CHECK(contents.stoppedAt >= 0 && contents.stoppedAt <= data.size());
    for (const store::Record& record : contents.records) {
        FUZZ_CHECK(store::IsUsableGeometry(record));
        FUZZ_CHECK(!record.path.IsEmpty());
    }
    return contents.records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QList<store::Record> records =
        ReadRecords(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));

    // The restore lists every record with its geometry as number text, then saves the list.
    QList<store::PictureEntry> list;
    for (const store::Record& record : records) list.append(store::EntryOf(record));
    const QList<store::Record> again = ReadRecords(store::FormatRecords(list));
    // A path holding a line break cannot be saved and is left out of the file; every other
    // path comes back byte for byte.
    qsizetype k = 0;
    for (const store::Record& record : records) {
        if (record.path.Bytes().contains('\r') || record.path.Bytes().contains('\n')) {
            continue;
        }
        FUZZ_CHECK(k < again.size());
        FUZZ_CHECK(again[k].path == record.path);
        FUZZ_CHECK(platform::NumberText(again[k].left) == platform::NumberText(record.left));
        FUZZ_CHECK(platform::NumberText(again[k].top) == platform::NumberText(record.top));
        FUZZ_CHECK(platform::NumberText(again[k].width) == platform::NumberText(record.width));
        FUZZ_CHECK(platform::NumberText(again[k].height) == platform::NumberText(record.height));
        ++k;
    }
    FUZZ_CHECK(k == again.size());
    return 0;
}
