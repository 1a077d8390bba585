// Measuring and loading a picture from a file's bytes, as the browser and the restore do:
// JPEG (EXIF orientation and thumbnail included) and GIF through Qt's readers and libexif.
//
// Properties: whatever the bytes, the answer is an error value or a picture; a checked picture
// has a size, and every decode of it gives exactly the size DecodeSizeFor promises.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QtGlobal>
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "platform/pictures/picture.h"

namespace {

// Large pictures decode correctly but slowly. As the decoders' own fuzzers do, only pictures
// up to this size are decoded here, so that each run stays short; the checks run for all.
constexpr qint64 kMaxDecodedHere = 1024 * 1024;

void Discard(QtMsgType, const QMessageLogContext&, const QString&) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Damaged pictures make the decoders warn on every run; the output would only slow it.
    qInstallMessageHandler(Discard);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Read in place, without the terminating zero a copy would add, so that a read one byte
    // past the end is caught.
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const platform::PictureBytes checked = platform::CheckPicture(bytes);
    FUZZ_CHECK(checked.pixels.isNull());
    if (checked.error != platform::PictureError::None) {
        FUZZ_CHECK(checked.natural.isEmpty());
        return 0;
    }
    const QSize natural = checked.natural;
    FUZZ_CHECK(!natural.isEmpty());
    if (qint64(natural.width()) * natural.height() > kMaxDecodedHere) return 0;
    // A preview-sized decode (where a photo's EXIF thumbnail may serve), then the natural size.
    const QSize preview(qMax(1, natural.width() / 4), qMax(1, natural.height() / 4));
    for (const QSize wanted : {preview, QSize()}) {
        const platform::PictureBytes decoded = platform::DecodePicture(bytes, wanted);
        if (decoded.error != platform::PictureError::None) {
            FUZZ_CHECK(decoded.pixels.isNull());
            continue;
        }
        FUZZ_CHECK(decoded.natural == natural);
        FUZZ_CHECK(decoded.pixels.size() == platform::DecodeSizeFor(natural, wanted));
    }
    return 0;
}
