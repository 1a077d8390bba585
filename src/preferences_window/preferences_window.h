#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "preferences/preferences.h"

class QKeySequenceEdit;
class QLabel;

namespace preferences_window {

// A command a key can run: its id in "shortcuts" and its words.
struct KeyRow {
    QString command;
    QString text;
};

// What the window asks of the program.
struct Hooks {
    std::function<void()> changed;  // a preference changed: save it and apply it
    std::function<bool()> startsAtLogin;
    std::function<void(bool)> setStartAtLogin;
};

// An ordinary window with a taskbar entry, over the preferences it changes: every change is
// made in them at once and told through `changed`.
class PreferencesWindow : public QWidget {
    Q_OBJECT

public:
    // `languages`: the text recognition languages to choose from.
    PreferencesWindow(preferences::Preferences& preferences, QList<KeyRow> rows,
                      QStringList languages, Hooks hooks);

    // What is wrong with each row's key, in words, in the rows' order; empty where nothing is.
    void ShowKeyNotes(const QStringList& notes);
    // Where the program cannot hold keys itself: says how to bind them in the desktop instead.
    void ShowKeysElsewhere(bool elsewhere);

private:
    QWidget* CreateKeys();
    QWidget* CreateGeneral();
    QWidget* CreatePinsAndCapture();
    QWidget* CreateRecognition();
    void Changed();

    preferences::Preferences& preferences_;
    QList<KeyRow> rows_;
    QStringList languages_;
    Hooks hooks_;
    QList<QKeySequenceEdit*> edits_;
    QList<QLabel*> notes_;
    QLabel* elsewhere_ = nullptr;
};

// The Tesseract languages installed in `dataPath`, by their names ("eng", "jpn", ...), sorted.
QStringList InstalledLanguages(const QString& dataPath);

}  // namespace preferences_window
