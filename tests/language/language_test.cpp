#include <gtest/gtest.h>

#include "language/language.h"

namespace {

using language::Language;

TEST(Language, FollowsTheFirstUiLanguage) {
    const struct {
        QStringList uiLanguages;
        Language expected;
    } rows[] = {
        {{}, Language::Japanese},  // no locale at all
        {{"C"}, Language::Japanese},
        {{"POSIX"}, Language::Japanese},
        {{""}, Language::Japanese},
        {{"ja-JP", "ja-Jpan-JP", "ja"}, Language::Japanese},
        {{"ja"}, Language::Japanese},
        {{"ja", "en"}, Language::Japanese},  // LANGUAGE=ja:en
        {{"en-US", "en-Latn-US", "en"}, Language::English},
        {{"en-GB"}, Language::English},
        {{"de-DE", "de-Latn-DE", "de"}, Language::English},
        {{"zh-CN"}, Language::English},
        {{"en", "ja-JP"}, Language::English},  // LANGUAGE=en under a Japanese locale
    };
    for (const auto& row : rows) {
        EXPECT_EQ(language::LanguageFor(row.uiLanguages), row.expected)
            << qPrintable(row.uiLanguages.join(u','));
    }
}

}  // namespace
