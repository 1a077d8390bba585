#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/core/file_path.h"
#include "platform/core/picture_transform.h"
#include "text_recognition/kept_text.h"
#include "text_recognition/recognised_text.h"
#include "text_recognition/text_cache.h"

class QThread;
class QTimer;

namespace text_recognition {

class TesseractEngine;

struct RecognizerSettings {
    // Where recognised words are kept (see TextCache).
    QString cacheFolder;
    // Tesseract's language data (see DefaultDataPath).
    QString dataPath;
    // The engine is unloaded once no request has come for this long.
    std::chrono::milliseconds idleUnload = std::chrono::minutes(5);
    // Where the texts that pins were drawn from are kept (see KeptTexts); none are without one.
    QString keptFolder = {};
    // The languages the user chose (see LanguagesIn); the default ones when empty.
    QString languages = {};
};

struct Recognition {
    Words words;
    std::optional<QString> failure;  // why the picture could not be read or recognised
    // The text the picture was drawn from, where the program drew it: given back as it is.
    std::optional<QString> keptText = std::nullopt;
};

// Recognises the text of picture files on a worker thread of its own, one picture at a time,
// through Tesseract's C++ API, never a child process. The engine is loaded on the first request
// and unloaded when none has come for a while. Results are kept in a TextCache: a file already
// recognised, and unchanged since, is read from there without the engine.
class TextRecognizer : public QObject {
    Q_OBJECT
public:
    explicit TextRecognizer(RecognizerSettings settings, QObject* parent = nullptr);
    // Stops a recognition that is running and waits for the worker thread to end.
    ~TextRecognizer() override;
    TextRecognizer(const TextRecognizer&) = delete;
    TextRecognizer& operator=(const TextRecognizer&) = delete;

    // Whether the language data for Japanese and English is installed.
    bool Available() const { return languages_.has_value(); }

    // Recognises the file, read whole at its full resolution, and calls `done` on this object's
    // thread unless `context` went first. A request for a file whose recognition is running
    // waits for that one and gets its result. With a transform, the picture is read as a pin
    // shows it (turned text reads upright), and the words' boxes are in its pixels so.
    void Recognise(const platform::FilePath& path, QObject* context,
                   std::function<void(const Recognition&)> done,
                   const platform::PictureTransform& transform = {});

    // The words recognised earlier in the file as it is now, if any; runs no recognition.
    std::optional<Words> CachedText(const platform::FilePath& path) const;
    // The text a search finds the file by: the text it was drawn from when the program drew
    // it, else its words recognised earlier; empty when neither is known. Reads and hashes a
    // file in one of `ownFolders` once for each state of it.
    QString KnownText(const platform::FilePath& path, const QStringList& ownFolders) const;
    // Whether the file is a PNG the program drew from a text it keeps (see Keep), which
    // Recognise gives back without the language data. Reads and hashes the file once for each
    // state of it.
    bool HasKeptText(const platform::FilePath& path) const;

    // Keeps the text that the picture file at `path`, whose bytes are `picture`, was drawn
    // from, with where its words are drawn: recognition then gives these back, and the search
    // finds it at once. The files are written on the worker thread, before any recognition
    // asked for later; a failure goes to standard error.
    void Keep(const platform::FilePath& path, const QByteArray& picture, const KeptText& kept);

    bool EngineLoaded() const { return engineLoaded_.load(); }
    // How often the engine was loaded, and how many pictures it recognised; tests count them.
    int EngineLoads() const { return engineLoads_.load(); }
    int EngineRuns() const { return engineRuns_.load(); }

signals:
    // The file's words are known, as CachedText now gives them.
    void recognised(const QByteArray& file);
    // The engine went after its idle time.
    void engineUnloaded();

private:
    struct Waiter {
        QPointer<QObject> context;
        std::function<void(const Recognition&)> done;
    };
    // On the worker thread.
    Recognition Run(const platform::FilePath& path, const platform::PictureTransform& transform);
    // The text the file in this state was drawn from, read and hashed once for each state.
    const std::optional<QString>& KeptTextOf(const platform::FilePath& path,
                                             const FileIdentity& identity) const;
    void Finished(const QByteArray& path, const Recognition& result);

    RecognizerSettings settings_;
    std::optional<QString> languages_;
    TextCache cache_;
    KeptTexts kept_;
    struct KnownEntry {
        FileIdentity identity;
        std::optional<QString> text;  // none: the program did not draw it
    };
    mutable std::map<QByteArray, KnownEntry> known_;  // KnownText's, by path
    QThread* thread_;
    QObject* worker_;  // lives on thread_; its engine is only touched there
    std::unique_ptr<TesseractEngine> engine_;
    QTimer* idle_;
    std::map<QByteArray, std::vector<Waiter>> running_;
    std::atomic<bool> stopping_ = false;
    std::atomic<bool> engineLoaded_ = false;
    std::atomic<int> engineLoads_ = 0;
    std::atomic<int> engineRuns_ = 0;
};

}  // namespace text_recognition
