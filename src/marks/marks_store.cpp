#include "marks/marks_store.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include "marks/marks_file.h"
#include "platform/core/file_path.h"
#include "platform/core/whole_file.h"

namespace marks {

namespace {

// Far more than any pin's marks: a file beyond it is not read into memory.
constexpr qint64 kMaxMarksFileBytes = qint64(64) << 20;

}  // namespace

MarksStore::MarksStore(QString folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {
    saveTimer_.setSingleShot(true);
    saveTimer_.setInterval(500);
    connect(&saveTimer_, &QTimer::timeout, this, &MarksStore::SaveNow);
}

MarksStore::~MarksStore() {
    SaveNow();
}

QString MarksStore::Make() {
    QString key;
    do {
        key =
            QString::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, u'0');
    } while (sets_.contains(key) || QFile::exists(FileOf(key)));
    Keep(key, {});
    Changed(key);
    return key;
}

bool MarksStore::IsKey(const QString& key) {
    static const QRegularExpression pattern(QStringLiteral("^[0-9a-f]{16}$"));
    return pattern.match(key).hasMatch();
}

QString MarksStore::FileOf(const QString& key) const {
    return folder_ + u'/' + key + QStringLiteral(".json");
}

MarkSet* MarksStore::Loaded(const QString& key) const {
    return sets_.value(key).get();
}

MarkSet* MarksStore::Of(const QString& key) {
    if (!IsKey(key)) return nullptr;
    if (MarkSet* loaded = Loaded(key)) return loaded;
    const QString file = FileOf(key);
    const platform::FilePath path = platform::FilePath::FromText(file);
    QList<Mark> marks;
    const platform::WholeFile read =
        platform::ReadFile(path, kMaxMarksFileBytes, platform::Links::Refuse);
    if (read.bytes) {
        const ReadMarks parsed = ParseMarks(*read.bytes);
        marks = parsed.marks;
        if (parsed.damaged) {
            // Kept aside for whoever wants to look, and never read again: the next save writes
            // what did read.
            const QString aside = file + QStringLiteral(".damaged");
            QFile::remove(aside);
            const bool kept = QFile::rename(file, aside);
            qWarning("vellora: the marks in %s are damaged: %lld of them kept%s", qPrintable(file),
                     static_cast<long long>(marks.size()),
                     kept ? qPrintable(QStringLiteral(", the file is now ") + aside) : "");
            unsaved_.insert(key);
            saveTimer_.start();
        }
    } else {
        qWarning("vellora: the marks in %s cannot be read: %s; the pin is shown without them",
                 qPrintable(file), qPrintable(platform::DescribeReadError(read.error)));
    }
    return Keep(key, std::move(marks));
}

MarkSet* MarksStore::Keep(const QString& key, QList<Mark> marks) {
    auto set = std::make_shared<MarkSet>(std::move(marks));
    connect(set.get(), &MarkSet::changed, this, [this, key](const QRectF& dirty) {
        Changed(key);
        emit changed(key, dirty);
    });
    sets_.insert(key, set);
    return set.get();
}

void MarksStore::Changed(const QString& key) {
    unsaved_.insert(key);
    // Not restarted by later changes: a change is on disk within the delay, however busy the
    // user keeps marking.
    if (!saveTimer_.isActive()) saveTimer_.start();
}

void MarksStore::SaveNow() {
    saveTimer_.stop();
    if (unsaved_.isEmpty()) return;
    QDir().mkpath(folder_);
    const QSet<QString> keys = std::exchange(unsaved_, {});
    for (const QString& key : keys) {
        const MarkSet* set = Loaded(key);
        if (!set) continue;
        const platform::WriteResult written = platform::WriteOwnFile(
            platform::FilePath::FromText(FileOf(key)), FormatMarks(set->Marks()));
        if (!written.ok) {
            // Tried again with the next change, or when the program ends.
            unsaved_.insert(key);
            qWarning("vellora: the marks cannot be saved in %s: %s", qPrintable(FileOf(key)),
                     qPrintable(written.error));
        }
    }
}

void MarksStore::Forget(const QString& key) {
    if (!IsKey(key)) return;
    sets_.remove(key);
    unsaved_.remove(key);
    if (platform::IsRealFolder(platform::FilePath::FromText(folder_))) QFile::remove(FileOf(key));
}

}  // namespace marks
