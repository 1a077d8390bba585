#include "preferences/preferences.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QStandardPaths>
#include <algorithm>
#include <array>

#include "platform/core/file_path.h"
#include "platform/core/whole_file.h"
#include "store/pin_settings.h"

namespace preferences {

namespace {

const QString kShortcuts = QStringLiteral("shortcuts");
const QString kLanguage = QStringLiteral("language");
const QString kNewPinsAbove = QStringLiteral("new-pins-above");
const QString kNewPinsOpacity = QStringLiteral("new-pins-opacity");
const QString kOutlineWindow = QStringLiteral("outline-window");
const QString kCopyFolder = QStringLiteral("copy-folder");
const QString kRecognitionLanguages = QStringLiteral("recognition-languages");

constexpr int kMaxOpacity = 100;

constexpr std::array<const char*, 3> kLanguageWords = {"desktop", "ja", "en"};

bool BoolOr(const QJsonObject& json, const QString& name, bool otherwise) {
    const QJsonValue value = json.value(name);
    return value.isBool() ? value.toBool() : otherwise;
}

QString StringOr(const QJsonObject& json, const QString& name, const QString& otherwise) {
    const QJsonValue value = json.value(name);
    return value.isString() ? value.toString() : otherwise;
}

}  // namespace

QKeySequence DefaultKey(const QString& command) {
    if (command == QLatin1String("capture")) return QKeySequence(Qt::Key_F1);
    if (command == QLatin1String("paste")) return QKeySequence(Qt::Key_F3);
    return {};
}

QKeySequence Preferences::Key(const QString& command) const {
    const QJsonValue value = json_.value(kShortcuts).toObject().value(command);
    if (!value.isString()) return DefaultKey(command);
    const QString text = value.toString();
    if (text.isEmpty()) return {};
    const QKeySequence key = QKeySequence::fromString(text, QKeySequence::PortableText);
    // A text QKeySequence cannot read becomes an unknown key, not a key of its own.
    if (key.isEmpty() || key[0].key() == Qt::Key_unknown) return DefaultKey(command);
    return key;
}

void Preferences::SetKey(const QString& command, const QKeySequence& key) {
    // A damaged "shortcuts" field that is not an object is replaced by the first key set.
    QJsonObject shortcuts = json_.value(kShortcuts).toObject();
    shortcuts.insert(command, key.toString(QKeySequence::PortableText));
    json_.insert(kShortcuts, shortcuts);
}

Language Preferences::UiLanguage() const {
    const QString word = StringOr(json_, kLanguage, QString());
    for (size_t i = 0; i < kLanguageWords.size(); ++i) {
        if (word == QLatin1String(kLanguageWords[i])) return Language(i);
    }
    return Language::Desktop;
}

void Preferences::SetUiLanguage(preferences::Language language) {
    json_.insert(kLanguage, QLatin1String(kLanguageWords[size_t(language)]));
}

bool Preferences::NewPinsAbove() const {
    return BoolOr(json_, kNewPinsAbove, false);
}

void Preferences::SetNewPinsAbove(bool above) {
    json_.insert(kNewPinsAbove, above);
}

int Preferences::NewPinsOpacity() const {
    const QJsonValue value = json_.value(kNewPinsOpacity);
    if (!value.isDouble()) return kMaxOpacity;
    const int percent = value.toInt(-1);
    const auto* step =
        std::find(std::begin(store::kOpacitySteps), std::end(store::kOpacitySteps), percent);
    return step != std::end(store::kOpacitySteps) ? percent : kMaxOpacity;
}

void Preferences::SetNewPinsOpacity(int percent) {
    json_.insert(kNewPinsOpacity, percent);
}

bool Preferences::OutlineWindow() const {
    return BoolOr(json_, kOutlineWindow, true);
}

void Preferences::SetOutlineWindow(bool outline) {
    json_.insert(kOutlineWindow, outline);
}

QString Preferences::CopyFolder() const {
    return StringOr(json_, kCopyFolder, QString());
}

void Preferences::SetCopyFolder(const QString& folder) {
    json_.insert(kCopyFolder, folder);
}

QString Preferences::RecognitionLanguages() const {
    const QString languages = StringOr(json_, kRecognitionLanguages, QString());
    return languages.isEmpty() ? QStringLiteral("jpn+eng") : languages;
}

void Preferences::SetRecognitionLanguages(const QString& languages) {
    json_.insert(kRecognitionLanguages, languages);
}

Preferences Preferences::FromJson(QJsonObject json) {
    Preferences preferences;
    preferences.json_ = std::move(json);
    return preferences;
}

QString FilePath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/preferences.json");
}

Loaded Load(const QString& path) {
    const platform::WholeFile file = platform::ReadFile(platform::FilePath::FromText(path));
    if (!file.bytes) {
        return {{},
                QStringLiteral("%1: %2; the defaults are used")
                    .arg(path, platform::DescribeReadError(file.error))};
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(*file.bytes, &error);
    if (!document.isObject()) {
        // Kept as it is until a preference changes: the user may still mend it.
        return {{},
                QStringLiteral("%1: not a JSON object (%2); the defaults are used")
                    .arg(path, error.error == QJsonParseError::NoError ? QStringLiteral("")
                                                                       : error.errorString())};
    }
    return {Preferences::FromJson(document.object()), std::nullopt};
}

std::optional<QString> Save(const Preferences& preferences, const QString& path) {
    if (!QDir().mkpath(QFileInfo(path).path())) {
        return QStringLiteral("cannot create the folder of %1").arg(path);
    }
    const platform::WriteResult written =
        platform::WriteWholeFile(path, QJsonDocument(preferences.Json()).toJson());
    if (!written.ok) return written.error;
    return std::nullopt;
}

}  // namespace preferences
