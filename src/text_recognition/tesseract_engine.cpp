#include "text_recognition/tesseract_engine.h"

#include <dlfcn.h>
#include <malloc.h>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include "text_recognition/prepared_picture.h"
#include "text_recognition/written_text.h"

#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

namespace text_recognition {
namespace {

// Below this mean confidence (0-100) a line is taken for what the engine reads into texture:
// noise and photos score lower still. At 50, lines of small Japanese text that the command line
// keeps were left out (16 px IPA Gothic: an error rate of 0.248 against its 0.131); at 30 every
// picture of the benchmark reads exactly as with the command line. A whole line is judged, as a
// single word the engine is unsure of in a line of text is as often right as not.
constexpr float kMinLineConfidence = 30.0F;

Words DropUnsureLines(Words words, const std::vector<float>& confidences) {
    Words kept;
    for (size_t start = 0; start < words.size();) {
        size_t end = start;
        float sum = 0;
        for (; end < words.size() && words[end].line == words[start].line; ++end) {
            sum += confidences[end];
        }
        if (sum / float(end - start) >= kMinLineConfidence) {
            std::move(words.begin() + qsizetype(start), words.begin() + qsizetype(end),
                      std::back_inserter(kept));
        }
        start = end;
    }
    return kept;
}

bool HasLanguage(const QString& dataPath, const char* language) {
    return QFileInfo(dataPath + QLatin1Char('/') + QLatin1String(language) +
                     QStringLiteral(".traineddata"))
        .isFile();
}

// Keeps the engine's parallel regions on the calling thread. Where Tesseract is built with
// OpenMP (Debian's is), each region wakes a team of threads that spin at its barriers; beside
// other busy programs, and at this worker's lower priority, a starved member keeps the rest
// spinning. A 1920x1080 screenshot read in 65 s that way on two busy cores, and in 16.5 s on one
// thread. The setting belongs to the calling thread's regions alone. It is looked up rather than
// linked: a Tesseract built without OpenMP has no such symbol, and none is needed then.
void OneThreadForTheEngine() {
    using SetMaxActiveLevels = void (*)(int);
    static const auto set =
        reinterpret_cast<SetMaxActiveLevels>(::dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"));
    if (set) set(0);
}

}  // namespace

QString DefaultDataPath() {
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    return prefix.isEmpty() ? QStringLiteral("/usr/share/tesseract-ocr/5/tessdata") : prefix;
}

std::optional<QString> LanguagesIn(const QString& dataPath) {
    if (!HasLanguage(dataPath, "jpn") || !HasLanguage(dataPath, "eng")) return std::nullopt;
    return HasLanguage(dataPath, "jpn_vert") ? QStringLiteral("jpn+eng+jpn_vert")
                                             : QStringLiteral("jpn+eng");
}

std::optional<QString> LanguagesIn(const QString& dataPath, const QString& chosen) {
    const QStringList names = chosen.split(u'+', Qt::SkipEmptyParts);
    const bool installed =
        !names.isEmpty() && std::all_of(names.begin(), names.end(), [&](const QString& name) {
            return HasLanguage(dataPath, name.toLatin1().constData());
        });
    if (!installed || chosen == QLatin1String("jpn+eng")) return LanguagesIn(dataPath);
    return chosen;
}

TesseractEngine::TesseractEngine() = default;

TesseractEngine::~TesseractEngine() {
    Unload();
}

std::optional<QString> TesseractEngine::Load(const QString& dataPath, const QString& languages) {
    if (api_) return std::nullopt;
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    const QByteArray path = QFile::encodeName(dataPath);
    const QByteArray names = languages.toLatin1();
    if (api->Init(path.constData(), names.constData(), tesseract::OEM_DEFAULT) != 0) {
        return QStringLiteral("Tesseract could not load %1 from %2").arg(languages, dataPath);
    }
    // The command line's layout analysis: the whole page, columns and blocks found.
    api->SetPageSegMode(tesseract::PSM_AUTO);
    api_ = std::move(api);
    return std::nullopt;
}

void TesseractEngine::Unload() {
    if (!api_) return;
    api_->End();
    api_.reset();
    // The dictionaries stay in a cache of Tesseract's own, shared by its engines, until cleared.
    tesseract::TessBaseAPI::ClearPersistentCache();
    // The engine's tables were many small blocks: hand the freed pages back to the system.
    malloc_trim(0);
}

Words TesseractEngine::Recognise(const QImage& picture, const std::atomic<bool>* cancel) {
    Words words;
    if (!api_ || picture.isNull()) return words;
    // Freed, the enlarged picture with it, when this ends: the engine lets go of it in Clear.
    const PreparedPicture prepared(picture);
    if (!prepared.Prepared()) return words;
    OneThreadForTheEngine();
    api_->SetImage(prepared.Prepared());
    // The resolution the file states, as the command line takes it, grown with the picture;
    // none leaves the engine's own estimate.
    if (const double dpi = picture.dotsPerMeterX() * 0.0254; dpi >= 1) {
        api_->SetSourceResolution(int(std::lround(dpi * prepared.Scale())));
    }
    tesseract::ETEXT_DESC monitor;
    monitor.cancel = [](void* flag, int) {
        return flag && static_cast<const std::atomic<bool>*>(flag)->load();
    };
    monitor.cancel_this = const_cast<std::atomic<bool>*>(cancel);
    if (api_->Recognize(&monitor) != 0) {
        api_->Clear();
        return words;
    }
    std::unique_ptr<tesseract::ResultIterator> it(api_->GetIterator());
    std::vector<float> confidences;  // of each word in `words`
    int line = -1;
    if (it) {
        do {
            if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE)) ++line;
            const std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_WORD));
            const QString word = QString::fromUtf8(text.get()).trimmed();
            int left = 0;
            int top = 0;
            int right = 0;
            int bottom = 0;
            if (word.isEmpty() ||
                !it->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom)) {
                continue;
            }
            words.push_back(
                {word, prepared.ToPicture(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1))),
                 std::max(line, 0)});
            confidences.push_back(it->Confidence(tesseract::RIL_WORD));
        } while (it->Next(tesseract::RIL_WORD));
    }
    api_->Clear();
    return Written(DropUnsureLines(std::move(words), confidences));
}

}  // namespace text_recognition
