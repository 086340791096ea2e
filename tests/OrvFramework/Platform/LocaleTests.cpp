#include <gtest/gtest.h>

#include "OrvFramework/Platform/Locale.h"
#include "Support/ScopedEnvironment.h"

namespace Orv::Platform {
namespace {

TEST(Locale, NamesToLanguageIdentifiers) {
    EXPECT_EQ(LanguageIdFromLocaleName("de_DE.UTF-8"), 0x0407u);
    EXPECT_EQ(LanguageIdFromLocaleName("de_AT"), 0x0C07u);
    EXPECT_EQ(LanguageIdFromLocaleName("zh_TW.UTF-8"), 0x0404u);
    EXPECT_EQ(LanguageIdFromLocaleName("zh_HK"), 0x0C04u);
    EXPECT_EQ(LanguageIdFromLocaleName("zh_CN.GB18030"), 0x0804u);
    EXPECT_EQ(LanguageIdFromLocaleName("fr_CA.UTF-8@euro"), 0x0C0Cu);
    EXPECT_EQ(LanguageIdFromLocaleName("it"), 0x0410u);     // no territory: the default one
    EXPECT_EQ(LanguageIdFromLocaleName("de_BE"), 0x0407u);  // unknown territory: likewise
    for (const char* english : {"C", "POSIX", "C.UTF-8", "", "xx_YY", "_"})
        EXPECT_EQ(LanguageIdFromLocaleName(english), 0x0409u) << english;
}

// The POSIX backend reads the locale variables; Windows asks for the user's interface language.
#ifndef _WIN32
TEST(Locale, EnvironmentOrder) {
    ScopedEnvironment env;
    env.Set("LC_ALL", "").Set("LC_MESSAGES", "ja_JP.UTF-8").Set("LANG", "de_DE.UTF-8");
    EXPECT_EQ(GetUserLanguageId(), 0x0411u);
    env.Set("LC_ALL", "fr_FR");
    EXPECT_EQ(GetUserLanguageId(), 0x040Cu);
    env.Set("LC_ALL", nullptr).Set("LC_MESSAGES", nullptr);
    EXPECT_EQ(GetUserLanguageId(), 0x0407u);
    env.Set("LANG", nullptr);
    EXPECT_EQ(GetUserLanguageId(), 0x0409u);
}
#endif

}  // namespace
}  // namespace Orv::Platform
