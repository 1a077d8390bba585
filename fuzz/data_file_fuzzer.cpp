// The start-up's reading of the data file: one whole file in, the records out, as the restore
// reads them, then saved and read once more.
//
// Properties: reading always ends and says where; every record handed out has usable geometry
// and a path; and what the restore would save reads back as the same records with every line
// it could not read kept, so that a start-up never loses or changes a picture that it restored,
// nor one it could not.

#include <QByteArray>
#include <QList>
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "platform/core/number_text.h"
#include "store/data_file.h"

namespace {

// The records the restore would place, read by the program's own reader.
QList<store::Record> ReadRecords(const store::DataFileContents& contents) {
    FUZZ_CHECK(contents.stoppedAt >= 0);
    for (const store::Record& record : contents.records) {
        FUZZ_CHECK(store::IsUsableGeometry(record));
        FUZZ_CHECK(!record.path.IsEmpty());
    }
    return contents.records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const store::DataFileContents contents =
        store::ReadDataFile(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QList<store::Record> records = ReadRecords(contents);

    // The restore lists every record with its geometry as number text, and the lines it could
    // not read as they were, then saves the list: every record that read whole reads back, byte
    // for byte in its path, and every unread line is still there.
    const QByteArray saved = store::FormatRecords(store::EntriesOf(contents));
    const store::DataFileContents again = store::ReadDataFile(saved);
    const QList<store::Record> reread = ReadRecords(again);
    FUZZ_CHECK(reread.size() == records.size());
    for (qsizetype k = 0; k < records.size(); ++k) {
        FUZZ_CHECK(reread[k].path == records[k].path);
        FUZZ_CHECK(platform::NumberText(reread[k].left) == platform::NumberText(records[k].left));
        FUZZ_CHECK(platform::NumberText(reread[k].top) == platform::NumberText(records[k].top));
        FUZZ_CHECK(platform::NumberText(reread[k].width) == platform::NumberText(records[k].width));
        FUZZ_CHECK(platform::NumberText(reread[k].height) ==
                   platform::NumberText(records[k].height));
    }
    for (const store::UnreadLines& lines : contents.unread) FUZZ_CHECK(saved.contains(lines.bytes));
    FUZZ_CHECK(again.stop == contents.stop);
    return 0;
}
