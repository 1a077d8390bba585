#pragma once

#include <QString>
#include <QStringList>

// The language the program speaks. Its texts are written in Japanese, and Japanese is what it
// shows without a translator; English comes from Qt's translation files built into the program.
namespace language {

enum class Language { Japanese, English };

// Japanese under a Japanese first UI language, under the C or POSIX locale and with no locale at
// all; English under any other. `uiLanguages` as QLocale::uiLanguages() gives them, the one the
// user prefers first.
Language LanguageFor(const QStringList& uiLanguages);

// The language the user chose in the preferences, for this run: called before Current() is
// first asked, it wins over the desktop's locale, but not over a LANGUAGE that is set.
void Choose(Language language);

// The language of this run, from QLocale::system().uiLanguages() (LANGUAGE, LC_ALL, LC_MESSAGES
// and LANG) or the choice, read once.
Language Current();

// Installs the English texts into the application object when the run's language is English;
// under Japanese nothing is loaded. Needs the application object.
void InstallTranslator();

// `text`, a source text of `context`, in the run's language: for what is said before the
// application object, without which tr() translates nothing, exists (the command line's help).
QString Translate(const char* context, const QString& text);

}  // namespace language
