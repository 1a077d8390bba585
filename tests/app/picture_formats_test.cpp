// The desktop entry, the metainfo and the README name the formats of the table, and the help
// text is built from it as the README shows it.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include "app/core/command_line.h"
#include "platform/core/picture_formats.h"

namespace {

QString SourceFile(const char* name) {
    QFile file(QStringLiteral(VELLORA_SOURCE_DIR "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return QString::fromUtf8(file.readAll());
}

QStringList MimeTypes() {
    QStringList types;
    for (const platform::PictureFormat& format : platform::PictureFormats()) {
        types.append(QLatin1String(format.mimeType));
    }
    return types;
}

// The texts between `before` and `after`, wherever they stand.
QStringList Between(const QString& text, const QString& before, const QString& after) {
    QStringList found;
    const QRegularExpression pattern(QRegularExpression::escape(before) + QStringLiteral("(.*?)") +
                                         QRegularExpression::escape(after),
                                     QRegularExpression::DotMatchesEverythingOption);
    for (const QRegularExpressionMatch& match : pattern.globalMatch(text)) {
        found.append(match.captured(1));
    }
    return found;
}

TEST(PictureFormats, DesktopEntryAndMetainfoOfferEveryFormat) {
    const QString entry = SourceFile("desktop/org.vellora.Vellora.desktop");
    EXPECT_EQ(Between(entry, QStringLiteral("\nMimeType="), QStringLiteral(";\n")),
              QStringList{MimeTypes().join(u';')});
    const QString metainfo = SourceFile("desktop/org.vellora.Vellora.metainfo.xml");
    EXPECT_EQ(Between(metainfo, QStringLiteral("<mediatype>"), QStringLiteral("</mediatype>")),
              MimeTypes());
}

TEST(PictureFormats, TheReadmeListsEveryFormatAndShowsTheHelpAsPrinted) {
    const QString readme = SourceFile("README.md");
    const QString intro = QStringLiteral(
                              "Vellora pins pictures onto the desktop: %1 pictures from its "
                              "browser, %2 pictures from outside it")
                              .arg(platform::PictureFormatNames(QStringLiteral("and"), true),
                                   platform::PictureFormatNames(QStringLiteral("and"), false));
    EXPECT_TRUE(readme.simplified().contains(intro)) << intro.toStdString();
    const QString openWith = QStringLiteral("Vellora opens %1 pictures")
                                 .arg(platform::PictureFormatNames(QStringLiteral("and")));
    EXPECT_TRUE(readme.simplified().contains(openWith)) << openWith.toStdString();
    EXPECT_EQ(Between(readme, QStringLiteral("`vellora --help` prints:\n\n```text\n"),
                      QStringLiteral("```")),
              QStringList{app::HelpText()});
}

}  // namespace
