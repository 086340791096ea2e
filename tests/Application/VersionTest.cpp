#include "Application/Version.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace Orv;

TEST(Version, MissingInformationIsError902) {
    try {
        Version("", "1.0.0", "Korvo");
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(
            std::string(e.what()).rfind("Runtime Error : The application encountered problems during startup and will "
                                        "now close.  (Error code = 902) : Orv::Version::Version : ",
                                        0),
            0u)
            << e.what();
    }
    EXPECT_THROW(Version("Product", "", "Korvo"), std::runtime_error);
    EXPECT_NO_THROW(Version("Product", "2.0.0", ""));
}

TEST(Version, NumberedErrorTextWithAndWithoutStringTable) {
    EXPECT_EQ(NumberedErrorText(903),
              W("The application encountered problems during startup and will now close.  (Error "
                "code = 903)"));
    const String english = W("The application has encountered Error ID %d.  Please contact Orvane Technical Support.");
    EXPECT_EQ(NumberedErrorText(900, &english),
              W("The application has encountered Error ID 900.  Please contact Orvane Technical "
                "Support."));
    // A translated text may carry more conversions than the one number it gets.
    const String odd = W("100%% Fehler %d %s %d");
    EXPECT_EQ(NumberedErrorText(-1, &odd), W("100% Fehler -1 %s %d"));
}
