#include "platform/languagenames.h"

#include <gtest/gtest.h>

using platform::languageName;

TEST(LanguageName, NamesLanguageAndCountry) {
    EXPECT_EQ(languageName(0x0409), QStringLiteral("English (United States)"));
    EXPECT_EQ(languageName(0x0809), QStringLiteral("English (United Kingdom)"));
    EXPECT_EQ(languageName(0x0407), QStringLiteral("German (Germany)"));
    EXPECT_EQ(languageName(0x040C), QStringLiteral("French (France)"));
    EXPECT_EQ(languageName(0x0411), QStringLiteral("Japanese (Japan)"));
    EXPECT_EQ(languageName(0x0804), QStringLiteral("Chinese (PRC)"));
    EXPECT_EQ(languageName(0x0000), QStringLiteral("Language Neutral"));
}

TEST(LanguageName, NeutralIdentifiersNameTheLanguageAlone) {
    EXPECT_EQ(languageName(0x0009), QStringLiteral("English"));
    EXPECT_EQ(languageName(0x0007), QStringLiteral("German"));
    EXPECT_EQ(languageName(0x001A), QStringLiteral("Croatian"));
}

TEST(LanguageName, UndefinedIdentifiersHaveNoName) {
    EXPECT_TRUE(languageName(0x03FF).isEmpty());
    EXPECT_TRUE(languageName(0xFC09).isEmpty());
    EXPECT_TRUE(languageName(0x0013 | 0x7C00).isEmpty());
}
