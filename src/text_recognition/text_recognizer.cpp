#include "text_recognition/text_recognizer.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QBuffer>
#include <QImageReader>
#include <QThread>
#include <QTimer>

#include "platform/core/own_pictures.h"
#include "platform/core/whole_file.h"
#include "text_recognition/code_reader.h"
#include "text_recognition/tesseract_engine.h"

namespace text_recognition {

namespace {

// The file's picture at its full resolution, turned upright as it is shown.
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
                               std::function<void(const Recognition&)> done) {
    idle_->stop();
    auto [waiters, first] = running_.try_emplace(path.Bytes());
    waiters->second.push_back({context, std::move(done)});
    if (!first) return;
    QMetaObject::invokeMethod(worker_, [this, path] {
        Recognition result = Run(path);
        QMetaObject::invokeMethod(
            this, [this, key = path.Bytes(), result = std::move(result)] { Finished(key, result); },
            Qt::QueuedConnection);
    });
}

Recognition TextRecognizer::Run(const platform::FilePath& path) {
    // The identity before the read: a file that changes while it is read is kept under its
    // old identity, which no later look-up matches.
    const std::optional<FileIdentity> identity = IdentityOf(path);
    if (!identity) return {{}, QStringLiteral("the file cannot be read")};
    const std::optional<QByteArray> bytes = platform::ReadWholeFile(path);
    if (!bytes) return {{}, QStringLiteral("the file cannot be read")};
    // A picture the program drew from a text needs no engine: its text is known.
    if (std::optional<KeptText> kept = kept_.Find(*bytes)) {
        return {std::move(kept->words), {}, std::move(kept->text)};
    }
    if (std::optional<Words> kept = cache_.Find(path, *identity)) return {std::move(*kept), {}};
    if (!languages_) return {{}, QStringLiteral("no language data in %1").arg(settings_.dataPath)};
    const std::optional<QImage> picture = ReadPicture(*bytes);
    if (!picture) return {{}, QStringLiteral("the file is not a picture that can be read")};
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
    cache_.Store(path, *identity, words);
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

QString TextRecognizer::KnownText(const platform::FilePath& path,
                                  const QStringList& ownFolders) const {
    const std::optional<FileIdentity> identity = IdentityOf(path);
    if (!identity) return {};
    if (platform::IsInFolders(path, ownFolders)) {
        auto found = known_.find(path.Bytes());
        if (found == known_.end() || found->second.identity != *identity) {
            std::optional<KeptText> kept;
            if (const std::optional<QByteArray> bytes = platform::ReadWholeFile(path)) {
                kept = kept_.Find(*bytes);
            }
            found = known_
                        .insert_or_assign(
                            path.Bytes(),
                            KnownEntry{*identity, kept ? std::optional(kept->text) : std::nullopt})
                        .first;
        }
        if (found->second.text) return *found->second.text;
    }
    const std::optional<Words> words = cache_.Find(path, *identity);
    return words ? TextOf(*words) : QString();
}

void TextRecognizer::Finished(const QByteArray& path, const Recognition& result) {
    const auto found = running_.find(path);
    if (found == running_.end()) return;
    const std::vector<Waiter> waiters = std::move(found->second);
    running_.erase(found);
    if (running_.empty()) idle_->start();
    if (!result.failure) emit recognised(path);
    for (const Waiter& waiter : waiters) {
        if (waiter.context) waiter.done(result);
    }
}

std::optional<Words> TextRecognizer::CachedText(const platform::FilePath& path) const {
    return cache_.Find(path);
}

}  // namespace text_recognition
