#include <gtest/gtest.h>

#include "OrvFramework/Utilities/Storage/CommandLineOption.h"

namespace Orv {
namespace {

bool Has(std::u16string_view line, std::u16string_view name) {
    String value;
    return GetCommandLineOption(line, name, value);
}

std::optional<String> ValueOf(std::u16string_view line, std::u16string_view name) {
    String value = W("stale");
    if (!GetCommandLineOption(line, name, value)) {
        EXPECT_TRUE(value.empty());
        return std::nullopt;
    }
    return value;
}

struct FlagCase {
    const char16_t* line;
    const char16_t* name;
    bool present;
};

class FlagReading : public ::testing::TestWithParam<FlagCase> {};

TEST_P(FlagReading, FindsNamesOnlyWhereAnArgumentBegins) {
    EXPECT_EQ(Has(GetParam().line, GetParam().name), GetParam().present) << "line: " << Utf16ToUtf8(GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FlagReading,
    ::testing::Values(
        // Case is ignored; the first qualifying occurrence counts.
        FlagCase{u"updater -silent", u"-SILENT", true}, FlagCase{u"updater -SILENT -X", u"-SILENT", true},
        FlagCase{u"-SILENT", u"-SILENT", true}, FlagCase{u"updater -SILENT_IF_UPDATE_NOT_NEEDED", u"-SILENT", false},
        FlagCase{u"updater -SILENT_IF_UPDATE_NOT_NEEDED", u"-SILENT_IF_UPDATE_NOT_NEEDED", true},
        // A longer name in front no longer hides the flag behind it.
        FlagCase{u"updater -SILENT_IF_UPDATE_NOT_NEEDED -SILENT", u"-SILENT", true},
        FlagCase{u"updater -SILENT -SILENT_IF_UPDATE_NOT_NEEDED", u"-SILENT_IF_UPDATE_NOT_NEEDED", true},
        // Inside a word, a value or a quoted path the name is no option.
        FlagCase{u"updater x-SILENT", u"-SILENT", false}, FlagCase{u"updater -X=a-SILENT", u"-SILENT", false},
        FlagCase{u"updater -ABSOLUTE_FIRMWARE_FILE_PATH=\"/x/a -SILENT b/f.cyacd\"", u"-SILENT", false},
        FlagCase{u"\"/opt/a -SILENT b/updater\" -ALWAYS_UPDATE", u"-SILENT", false},
        FlagCase{u"u -ABSOLUTE_FIRMWARE_FILE_PATH=\"/x/a -SILENT b/f.cyacd\" -SILENT", u"-SILENT", true},
        // An unterminated quote runs to the end: nothing after it begins an argument.
        FlagCase{u"u -ABSOLUTE_FIRMWARE_FILE_PATH=\"/x/a -SILENT", u"-SILENT", false},
        // The flag itself must be followed by a blank or the end.
        FlagCase{u"updater -SILENTLY", u"-SILENT", false}, FlagCase{u"updater -SILENT=1 -SILENT", u"-SILENT", false},
        FlagCase{u"updater -SILENT\t", u"-SILENT", false},  // only U+0020 is a blank
        FlagCase{u"updater", u"-SILENT", false},
        // A name must begin with "-" and have two characters.
        FlagCase{u"updater - SILENT", u"-", false}, FlagCase{u"updater SILENT", u"SILENT", false}));

// A value option is found where an argument begins, never inside another value; its value keeps its case.
struct ValueCase {
    const char16_t* line;
    const char16_t* name;
    std::optional<const char16_t*> value;
};

class ValueReading : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ValueReading, ReadsTheValue) {
    const auto value = ValueOf(GetParam().line, GetParam().name);
    ASSERT_EQ(value.has_value(), GetParam().value.has_value()) << "line: " << Utf16ToUtf8(GetParam().line);
    if (value) {
        EXPECT_EQ(*value, String(*GetParam().value));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ValueReading,
    ::testing::Values(
        ValueCase{u"u -X=\"a -FIRMWARE_IMAGE_NAME=evil\" -FIRMWARE_IMAGE_NAME=good", u"-FIRMWARE_IMAGE_NAME=", u"good"},
        ValueCase{u"u -X=a-FIRMWARE_IMAGE_NAME=evil", u"-FIRMWARE_IMAGE_NAME=", std::nullopt},
        ValueCase{u"u -FIRMWARE_IMAGE_NAME=MyImage.cyacd -SILENT", u"-FIRMWARE_IMAGE_NAME=", u"MyImage.cyacd"},
        ValueCase{u"u -firmware_update_version=1.2.3", u"-FIRMWARE_UPDATE_VERSION=", u"1.2.3"},
        ValueCase{u"u -ABSOLUTE_FIRMWARE_FILE_PATH=/opt/Fw/ünï.cyacd", u"-ABSOLUTE_FIRMWARE_FILE_PATH=",
                  u"/opt/Fw/ünï.cyacd"},
        // A blank after the equals sign means absent; at the very end the value is empty and present.
        ValueCase{u"u -FIRMWARE_IMAGE_NAME= other.cyacd", u"-FIRMWARE_IMAGE_NAME=", std::nullopt},
        ValueCase{u"u -FIRMWARE_IMAGE_NAME=", u"-FIRMWARE_IMAGE_NAME=", u""},
        ValueCase{u"u -ABSOLUTE_FIRMWARE_FILE_PATH=\"/home/a b/Fw 2.cyacd\" -SILENT", u"-ABSOLUTE_FIRMWARE_FILE_PATH=",
                  u"/home/a b/Fw 2.cyacd"},
        // Without a closing quote the value keeps the opening one and runs to the end.
        ValueCase{u"u -ABSOLUTE_FIRMWARE_FILE_PATH=\"/home/a b/x -SILENT", u"-ABSOLUTE_FIRMWARE_FILE_PATH=",
                  u"\"/home/a b/x -SILENT"},
        ValueCase{u"u -FIRMWARE_IMAGE_NAME=\"\" x", u"-FIRMWARE_IMAGE_NAME=", u""}));

TEST(GetCommandLineOption, TimeEstimateWithLettersReadsAsZero) {
    EXPECT_EQ(WToI(*ValueOf(u"u -UPDATE_TIME_ESTIMATE=abc", u"-UPDATE_TIME_ESTIMATE=")), 0);
    EXPECT_EQ(WToI(*ValueOf(u"u -UPDATE_TIME_ESTIMATE=12s", u"-UPDATE_TIME_ESTIMATE=")), 12);
}

TEST(JoinCommandLine, QuotesWhatHoldsABlankSoThatOptionsReadBack) {
    const char* argv[] = {"/opt/My Tools/varnet-updater",
                          "-SILENT",
                          "-ABSOLUTE_FIRMWARE_FILE_PATH=/home/me/a -ALWAYS_UPDATE b/Varnet 1.0.2.cyacd",
                          "-FIRMWARE_IMAGE_NAME=plain.cyacd",
                          "loose -START_UPDATE_AUTOMATICALLY word",
                          "-ALREADY=\"a b\""};
    const std::string line = JoinCommandLine(6, argv);
    EXPECT_EQ(line,
              "\"/opt/My Tools/varnet-updater\" -SILENT "
              "-ABSOLUTE_FIRMWARE_FILE_PATH=\"/home/me/a -ALWAYS_UPDATE b/Varnet 1.0.2.cyacd\" "
              "-FIRMWARE_IMAGE_NAME=plain.cyacd \"loose -START_UPDATE_AUTOMATICALLY word\" -ALREADY=\"a b\"");

    const String wide(Utf8ToUtf16(line));
    EXPECT_EQ(ValueOf(wide, u"-ABSOLUTE_FIRMWARE_FILE_PATH="), W("/home/me/a -ALWAYS_UPDATE b/Varnet 1.0.2.cyacd"));
    EXPECT_TRUE(Has(wide, u"-SILENT"));
    EXPECT_FALSE(Has(wide, u"-ALWAYS_UPDATE"));
    EXPECT_FALSE(Has(wide, u"-START_UPDATE_AUTOMATICALLY"));
    EXPECT_EQ(JoinCommandLine(0, nullptr), "");
}

}  // namespace
}  // namespace Orv
