#pragma once

#include <QJsonObject>
#include <QKeySequence>
#include <QString>
#include <optional>

// The user's preferences: the program's keys, its language, new pins and captures. They are the
// JSON object of preferences.json as it was read, so that a field this program does not know,
// or cannot read, is written back as it was; each preference is read from it with its default.
namespace preferences {

// "desktop" follows the desktop's language; "ja" and "en" choose one. LANGUAGE still wins.
enum class Language { Desktop, Japanese, English };

class Preferences {
public:
    // The key of a command by its id in "shortcuts" ("capture", "paste", ...): its default when
    // the file names none or a text QKeySequence cannot read; an empty text is no key.
    QKeySequence Key(const QString& command) const;
    void SetKey(const QString& command, const QKeySequence& key);

    preferences::Language UiLanguage() const;
    void SetUiLanguage(preferences::Language language);

    // Whether new pins are kept above other windows, and their opacity (percent, one of
    // store::kOpacitySteps).
    bool NewPinsAbove() const;
    void SetNewPinsAbove(bool above);
    int NewPinsOpacity() const;
    void SetNewPinsOpacity(int percent);

    // Whether a capture outlines the window under the pointer.
    bool OutlineWindow() const;
    void SetOutlineWindow(bool outline);
    // The folder captured pictures are also copied to; empty for none.
    QString CopyFolder() const;
    void SetCopyFolder(const QString& folder);

    // Tesseract's languages, joined by "+".
    QString RecognitionLanguages() const;
    void SetRecognitionLanguages(const QString& languages);

    const QJsonObject& Json() const { return json_; }
    static Preferences FromJson(QJsonObject json);

private:
    QJsonObject json_;
};

// The keys of capture and of paste when the file names none. F1 and F3: neither GNOME, KDE
// Plasma nor Xfce binds either alone by default.
QKeySequence DefaultKey(const QString& command);

// preferences.json in QStandardPaths::AppConfigLocation.
QString FilePath();

struct Loaded {
    Preferences preferences;
    std::optional<QString> note;  // why the defaults are used, for one line on standard error
};
Loaded Load(const QString& path);
// Why the file was not written, or nothing.
std::optional<QString> Save(const Preferences& preferences, const QString& path);

}  // namespace preferences
