#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <span>

// The picture formats this program opens, one row each: what Qt's reader calls it, its name in
// texts, the file name extensions it goes by, its MIME type, whether the browser lists it, how a
// file of it is seen to reach its end, and whether it can hold transparency. The browser's and
// the drop's filters, the command line's help and the decoder's checks all read this table; the
// desktop entry, the metainfo and the README are held to it by a test.
namespace platform {

// Whether a picture of the format is opaque.
enum class Opacity {
    Opaque,      // never holds transparency (JPEG)
    FromHeader,  // the header says (PNG's colour type or tRNS chunk, WebP's alpha, BMP's masks)
    Never,       // counted as transparent whatever it holds: a GIF is decoded whole anyway
};

struct PictureFormat {
    const char* reader;      // Qt's name for the format ("jpeg")
    const char* name;        // in texts ("JPEG")
    const char* extensions;  // without the dot, ';' between them ("jpg")
    const char* mimeType;
    bool browserLists;  // listed by the browser; the others come from outside it only
    bool (*reachesEnd)(const QByteArray& data);
    Opacity opacity;
};

std::span<const PictureFormat> PictureFormats();
// The row for Qt's name of a format; null for a format this program does not open.
const PictureFormat* PictureFormatOfReader(const QByteArray& reader);

// "*.jpg;*.gif": the file name pattern of the formats the browser lists (`browserLists`) or of
// those that come from outside it.
QString PicturePattern(bool browserLists);
// "JPEG, GIF, PNG, WebP and BMP" (`conjunction` "and"): every format's name as a sentence lists
// them, or only those the browser lists or those it does not (`browserLists`).
QString PictureFormatNames(const QString& conjunction,
                           std::optional<bool> browserLists = std::nullopt);
// "JPEG・GIF・PNG・WebP・BMP": the same as a Japanese sentence lists them.
QString PictureFormatNamesJapanese();
// ".jpg or .gif": the extensions of the formats the browser lists or of the others, as a
// sentence offers them.
QString PictureExtensionChoice(bool browserLists);

// Whether the data reaches the end of its picture (a cut-short download does not): each walks the
// file's structure to where the format says the picture ends.
// The JPEG end-of-image marker, past the entropy-coded data.
bool JpegReachesEnd(const QByteArray& data);
// The GIF trailer byte, past every block.
bool GifReachesEnd(const QByteArray& data);
// The PNG end chunk, every chunk from the header on with its checksum intact.
bool PngReachesEnd(const QByteArray& data);
// The length a WebP file's RIFF header gives.
bool WebpReachesEnd(const QByteArray& data);
// The length a BMP file's header gives, and its pixels' start.
bool BmpReachesEnd(const QByteArray& data);

}  // namespace platform
