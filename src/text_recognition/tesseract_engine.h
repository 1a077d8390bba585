#pragma once

#include <QImage>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>

#include "text_recognition/recognised_text.h"

namespace tesseract {
class TessBaseAPI;
}

// Tesseract through its C++ API: one engine, loaded with Japanese and English together, used
// from one thread at a time.
namespace text_recognition {

// Where Tesseract's language data lies: $TESSDATA_PREFIX when set (Tesseract's own variable),
// else the folder of Debian's tesseract-ocr-* data packages.
QString DefaultDataPath();
// The languages the folder's data allows, as Tesseract names them: "jpn+eng", with "+jpn_vert"
// where vertical Japanese is installed too; none when Japanese or English is missing.
std::optional<QString> LanguagesIn(const QString& dataPath);
// The languages the user chose ("jpn+eng", "eng", ...) when the folder holds each one's data;
// the default ones otherwise, and for the default choice "jpn+eng" itself.
std::optional<QString> LanguagesIn(const QString& dataPath, const QString& chosen);

class TesseractEngine {
public:
    TesseractEngine();
    ~TesseractEngine();
    TesseractEngine(const TesseractEngine&) = delete;
    TesseractEngine& operator=(const TesseractEngine&) = delete;

    // Loads the languages' data; why that failed, if it did.
    std::optional<QString> Load(const QString& dataPath, const QString& languages);
    bool Loaded() const { return api_ != nullptr; }
    // Frees the engine and its data; the next Load reads them again.
    void Unload();

    // The picture's words in reading order, boxes in its pixels, read from the picture as
    // PreparedPicture makes it and written as Written joins them. A line the engine is not sure
    // of (what it reads in noise or photos) is left out. Stops early once `cancel` is set.
    Words Recognise(const QImage& picture, const std::atomic<bool>* cancel = nullptr);

private:
    std::unique_ptr<tesseract::TessBaseAPI> api_;
};

}  // namespace text_recognition
