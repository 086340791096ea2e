#include <gtest/gtest.h>

#include <cstdlib>

#include "OrvFramework/Platform/Locale.h"

namespace Orv::Platform {
namespace {

TEST(Locale, NamesToLanguageIdentifiers) {
    EXPECT_EQ(LanguageIdFromLocaleName("de_DE.UTF-8"), 0x0407u);
    EXPECT_EQ(LanguageIdFromLocaleName("de_AT"), 0x0C07u);
    EXPECT_EQ(LanguageIdFromLocaleName("zh_TW.UTF-8"), 0x0404u);
    EXPECT_EQ(LanguageIdFromLocaleName("zh_HK"), 0x0C04u);
    EXPECT_EQ(LanguageIdFromLocaleName("zh_CN.GB18030"), 0x0804u);
    EXPECT_EQ(LanguageIdFromLocaleName("ja_JP.eucJP"), 0x0411u);
    EXPECT_EQ(LanguageIdFromLocaleName("ko_KR"), 0x0412u);
    EXPECT_EQ(LanguageIdFromLocaleName("fr_CA.UTF-8@euro"), 0x0C0Cu);
    EXPECT_EQ(LanguageIdFromLocaleName("es_ES"), 0x0C0Au);
    EXPECT_EQ(LanguageIdFromLocaleName("it"), 0x0410u);     // no territory: the default one
    EXPECT_EQ(LanguageIdFromLocaleName("de_BE"), 0x0407u);  // unknown territory: likewise
    EXPECT_EQ(LanguageIdFromLocaleName("en_GB"), 0x0809u);
    for (const char* english : {"C", "POSIX", "C.UTF-8", "", "xx_YY", "_"})
        EXPECT_EQ(LanguageIdFromLocaleName(english), 0x0409u) << english;
}

TEST(Locale, EnvironmentOrder) {
    const char* saved[3] = {std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")};
    const std::string copies[3] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : "", saved[2] ? saved[2] : ""};
    setenv("LC_ALL", "", 1);
    setenv("LC_MESSAGES", "ja_JP.UTF-8", 1);
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(GetUserLanguageId(), 0x0411u);
    setenv("LC_ALL", "fr_FR", 1);
    EXPECT_EQ(GetUserLanguageId(), 0x040Cu);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    EXPECT_EQ(GetUserLanguageId(), 0x0407u);
    unsetenv("LANG");
    EXPECT_EQ(GetUserLanguageId(), 0x0409u);
    const char* names[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (int i = 0; i < 3; ++i)
        if (saved[i]) setenv(names[i], copies[i].c_str(), 1);
}

}  // namespace
}  // namespace Orv::Platform
