#include "text_recognition/text_recognizer.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QBuffer>
#include <QImageReader>
#include <QThread>
#include <QTimer>

#include "platform/core/own_pictures.h"
#include "platform/core/whole_file.h"
#include "platform/pictures/picture.h"
#include "text_recognition/code_reader.h"
#include "text_recognition/tesseract_engine.h"

namespace text_recognition {

namespace {

// The file's picture at its full resolution, turned upright as it is shown.
// Where the words of a transformed picture are cached and awaited: the path with its transform.
platform::FilePath TransformedKey(const platform::FilePath& path,
                                  const platform::PictureTransform& transform) {
    if (transform.IsIdentity()) return path;
    const QRect& c = transform.crop;
    return platform::FilePath(path.Bytes() + QStringLiteral("\n%1 %2 %3 %4 %5 %6")
                                                 .arg(transform.turns)
                                                 .arg(int(transform.mirrored))
                                                 .arg(c.x())
                                                 .arg(c.y())
                                                 .arg(c.width())
                                                 .arg(c.height())
                                                 .toLatin1());
}

// Words of the upright picture where the transform shows them; those outside a crop go.
Words TransformedWords(const Words& words, QSize upright, const platform::PictureTransform& t) {
    const QRect crop = platform::CropWithin(t, upright);
    Words shown;
    for (const Word& word : words) {
        if (!crop.contains(word.box.center())) continue;
        Word moved = word;
        moved.box = platform::ShownFromUpright(t, upright, QRectF(word.box)).toAlignedRect();
        shown.push_back(std::move(moved));
    }
    return shown;
}

std::optional<QImage> ReadPicture(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    QImage picture = reader.read();
    if (picture.isNull()) return std::nullopt;
    return picture;
}

// Beside a busy thread of normal priority, a nice value of 5 gives the worker about a third of a
// core's share: the windows wake at once, and a recognition still goes on at speed.
constexpr int kWorkerNice = 5;

}  // namespace

TextRecognizer::TextRecognizer(RecognizerSettings settings, QObject* parent)
    : QObject(parent),
      settings_(std::move(settings)),
      languages_(LanguagesIn(settings_.dataPath, settings_.languages)),
      cache_(settings_.cacheFolder),
      kept_(settings_.keptFolder),
      thread_(new QThread(this)),
      worker_(new QObject),
      engine_(std::make_unique<TesseractEngine>()),
      idle_(new QTimer(this)) {
    thread_->setObjectName(QStringLiteral("text recognition"));
    worker_->moveToThread(thread_);
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    // The engine keeps every core busy while it reads a picture; at a lower priority it yields
    // them to the windows as soon as they have something to do, and still takes all the time
    // nothing else wants. The engine's own threads are made from this one and inherit it.
    // (Qt's thread priorities do nothing under Linux's normal policy, hence nice.)
    connect(thread_, &QThread::started, worker_,
            [] { ::setpriority(PRIO_PROCESS, ::gettid(), kWorkerNice); });
    thread_->start();
    idle_->setSingleShot(true);
    idle_->setInterval(settings_.idleUnload);
    connect(idle_, &QTimer::timeout, this, [this] {
        if (!running_.empty()) return;
        QMetaObject::invokeMethod(worker_, [this] {
            engine_->Unload();
            engineLoaded_ = false;
            QMetaObject::invokeMethod(this, &TextRecognizer::engineUnloaded, Qt::QueuedConnection);
        });
    });
}

TextRecognizer::~TextRecognizer() {
    stopping_ = true;
    // Texts given to Keep are written before the thread goes; a recognition still waiting
    // stops at once.
    QMetaObject::invokeMethod(
        worker_, [] {}, Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
}

void TextRecognizer::Recognise(const platform::FilePath& path, QObject* context,
                               std::function<void(const Recognition&)> done,
                               const platform::PictureTransform& transform) {
    idle_->stop();
    const QByteArray key = TransformedKey(path, transform).Bytes();
    auto [waiters, first] = running_.try_emplace(key);
    waiters->second.push_back({context, std::move(done)});
    if (!first) return;
    QMetaObject::invokeMethod(worker_, [this, path, transform, key] {
        Recognition result = Run(path, transform);
        QMetaObject::invokeMethod(
            this, [this, key, result = std::move(result)] { Finished(key, result); },
            Qt::QueuedConnection);
    });
}

Recognition TextRecognizer::Run(const platform::FilePath& path,
                                const platform::PictureTransform& transform) {
    // The identity before the read: a file that changes while it is read is kept under its
    // old identity, which no later look-up matches.
    const std::optional<FileIdentity> identity = IdentityOf(path);
    if (!identity) return {{}, QStringLiteral("the file cannot be read")};
    const std::optional<QByteArray> bytes = platform::ReadWholeFile(path);
    if (!bytes) return {{}, QStringLiteral("the file cannot be read")};
    // A picture the program drew from a text needs no engine: its text is known.
    if (std::optional<KeptText> kept = kept_.Find(*bytes)) {
        if (transform.IsIdentity()) return {std::move(kept->words), {}, std::move(kept->text)};
        // The text is still known; its words are where the pin shows them, and a crop keeps
        // only those inside it.
        const std::optional<QImage> picture = ReadPicture(*bytes);
        Words shown = picture ? TransformedWords(kept->words, picture->size(), transform) : Words();
        std::optional<QString> text =
            transform.crop.isNull() ? std::optional<QString>(std::move(kept->text)) : std::nullopt;
        return {std::move(shown), {}, std::move(text)};
    }
    // A transformed picture's words are kept apart from the file's own.
    const platform::FilePath cacheKey = TransformedKey(path, transform);
    if (std::optional<Words> kept = cache_.Find(cacheKey, *identity)) return {std::move(*kept), {}};
    if (!languages_) return {{}, QStringLiteral("no language data in %1").arg(settings_.dataPath)};
    std::optional<QImage> picture = ReadPicture(*bytes);
    if (!picture) return {{}, QStringLiteral("the file is not a picture that can be read")};
    if (!transform.IsIdentity()) {
        picture = platform::TransformedPixels(*picture, picture->size(), transform);
    }
    if (!engine_->Loaded()) {
        if (std::optional<QString> failure = engine_->Load(settings_.dataPath, *languages_)) {
            return {{}, failure};
        }
        engineLoaded_ = true;
        ++engineLoads_;
    }
    // The codes first, read whole; the engine then reads the rest without their modules.
    Words codes = ReadCodes(*picture);
    const Words text = engine_->Recognise(WithoutCodes(*picture, codes), &stopping_);
    if (stopping_) return {{}, QStringLiteral("stopped")};
    ++engineRuns_;
    Words words = CodesThenText(std::move(codes), text);
    cache_.Store(cacheKey, *identity, words);
    return {std::move(words), {}};
}

void TextRecognizer::Keep(const platform::FilePath& path, const QByteArray& picture,
                          const KeptText& kept) {
    // Known at once to the search; written on the worker, so that the pin is on the screen
    // without waiting for the disk, and before any recognition asked for later reads it.
    if (const std::optional<FileIdentity> identity = IdentityOf(path)) {
        known_[path.Bytes()] = {*identity, kept.text};
    }
    QMetaObject::invokeMethod(worker_, [this, path, picture, kept] {
        if (std::optional<QString> failure = kept_.Keep(picture, kept)) {
            qWarning("vellora: the text of %s is not kept: %s", qPrintable(path.DisplayText()),
                     qPrintable(*failure));
            return;
        }
        if (const std::optional<FileIdentity> identity = IdentityOf(path)) {
            cache_.Store(path, *identity, kept.words);
        }
        QMetaObject::invokeMethod(
            this, [this, file = path.Bytes()] { emit recognised(file); }, Qt::QueuedConnection);
    });
}

const std::optional<QString>& TextRecognizer::KeptTextOf(const platform::FilePath& path,
                                                         const FileIdentity& identity) const {
    auto found = known_.find(path.Bytes());
    if (found == known_.end() || found->second.identity != identity) {
        std::optional<QString> text;
        if (const std::optional<QByteArray> bytes = platform::ReadWholeFile(path)) {
            if (std::optional<KeptText> kept = kept_.Find(*bytes)) text = std::move(kept->text);
        }
        found = known_.insert_or_assign(path.Bytes(), KnownEntry{identity, std::move(text)}).first;
    }
    return found->second.text;
}

QString TextRecognizer::KnownText(const platform::FilePath& path,
                                  const QStringList& ownFolders) const {
    const std::optional<FileIdentity> identity = IdentityOf(path);
    if (!identity) return {};
    if (platform::IsInFolders(path, ownFolders)) {
        if (const std::optional<QString>& kept = KeptTextOf(path, *identity)) return *kept;
    }
    const std::optional<Words> words = cache_.Find(path, *identity);
    return words ? TextOf(*words) : QString();
}

bool TextRecognizer::HasKeptText(const platform::FilePath& path) const {
    if (!path.FileName().toLower().endsWith(".png")) return false;
    const std::optional<FileIdentity> identity = IdentityOf(path);
    return identity && KeptTextOf(path, *identity).has_value();
}

void TextRecognizer::Finished(const QByteArray& path, const Recognition& result) {
    const auto found = running_.find(path);
    if (found == running_.end()) return;
    const std::vector<Waiter> waiters = std::move(found->second);
    running_.erase(found);
    if (running_.empty()) idle_->start();
    // The file's own words: a transformed picture's are not what the search looks in.
    if (!result.failure && !path.contains('\n')) emit recognised(path);
    for (const Waiter& waiter : waiters) {
        if (waiter.context) waiter.done(result);
    }
}

std::optional<Words> TextRecognizer::CachedText(const platform::FilePath& path) const {
    return cache_.Find(path);
}

}  // namespace text_recognition
