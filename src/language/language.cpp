#include "language/language.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>
#include <optional>

namespace language {

namespace {

// Built in by qt_add_translations (see CMakeLists.txt).
constexpr auto kEnglishTexts = ":/i18n/vellora_en.qm";

// The English texts, loaded on first use; null under Japanese or when they cannot be read.
QTranslator* EnglishTexts() {
    static QTranslator* const texts = []() -> QTranslator* {
        if (Current() != Language::English) return nullptr;
        auto* loaded = new QTranslator();
        if (loaded->load(QString::fromLatin1(kEnglishTexts))) return loaded;
        qWarning("vellora: the English texts %s cannot be read; the texts stay Japanese",
                 kEnglishTexts);
        delete loaded;
        return nullptr;
    }();
    return texts;
}

}  // namespace

Language LanguageFor(const QStringList& uiLanguages) {
    if (uiLanguages.isEmpty()) return Language::Japanese;
    const QString& first = uiLanguages.first();
    if (first.isEmpty() || first == QLatin1String("C") || first == QLatin1String("POSIX")) {
        return Language::Japanese;
    }
    return QLocale(first).language() == QLocale::Japanese ? Language::Japanese : Language::English;
}

namespace {

std::optional<Language>& Chosen() {
    static std::optional<Language> chosen;
    return chosen;
}

}  // namespace

void Choose(Language language) {
    Chosen() = language;
}

Language Current() {
    static const Language current = [] {
        if (Chosen() && qEnvironmentVariableIsEmpty("LANGUAGE")) return *Chosen();
        return LanguageFor(QLocale::system().uiLanguages());
    }();
    return current;
}

void InstallTranslator() {
    if (QTranslator* texts = EnglishTexts()) QCoreApplication::installTranslator(texts);
}

QString Translate(const char* context, const QString& text) {
    if (const QTranslator* texts = EnglishTexts()) {
        QString translated = texts->translate(context, text.toUtf8().constData());
        if (!translated.isEmpty()) return translated;
    }
    return text;
}

}  // namespace language
