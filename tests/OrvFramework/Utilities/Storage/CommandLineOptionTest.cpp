#include <gtest/gtest.h>

#include <optional>
#include <tuple>

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

// A flag is found only where an argument begins, and only when a blank (U+0020) or the end follows it.
TEST(GetCommandLineOption, FindsFlagsOnlyWhereAnArgumentBegins) {
    const std::tuple<const char16_t*, const char16_t*, bool> cases[] = {
        // Case is ignored; the first qualifying occurrence counts.
        {u"updater -silent", u"-SILENT", true},
        {u"updater -SILENT_IF_UPDATE_NOT_NEEDED", u"-SILENT", false},
        {u"updater -SILENT_IF_UPDATE_NOT_NEEDED", u"-SILENT_IF_UPDATE_NOT_NEEDED", true},
        // A longer name in front no longer hides the flag behind it.
        {u"updater -SILENT_IF_UPDATE_NOT_NEEDED -SILENT", u"-SILENT", true},
        // Inside a word, a value or a quoted path the name is no option.
        {u"updater x-SILENT", u"-SILENT", false},
        {u"updater -X=a-SILENT", u"-SILENT", false},
        {u"updater -ABSOLUTE_FIRMWARE_FILE_PATH=\"/x/a -SILENT b/f.cyacd\"", u"-SILENT", false},
        {u"\"/opt/a -SILENT b/updater\" -ALWAYS_UPDATE", u"-SILENT", false},
        {u"u -ABSOLUTE_FIRMWARE_FILE_PATH=\"/x/a -SILENT b/f.cyacd\" -SILENT", u"-SILENT", true},
        // An unterminated quote runs to the end: nothing after it begins an argument.
        {u"u -ABSOLUTE_FIRMWARE_FILE_PATH=\"/x/a -SILENT", u"-SILENT", false},
        {u"updater -SILENTLY", u"-SILENT", false},
        {u"updater -SILENT=1 -SILENT", u"-SILENT", false},
        {u"updater -SILENT\t", u"-SILENT", false},
        // A name must begin with "-" and have two characters.
        {u"updater - SILENT", u"-", false},
        {u"updater SILENT", u"SILENT", false}};
    for (const auto& [line, name, present] : cases) EXPECT_EQ(Has(line, name), present) << Utf16ToUtf8(line);
}

// A value option is found where an argument begins, never inside another value; its value keeps its case.
TEST(GetCommandLineOption, ReadsTheValue) {
    const std::tuple<const char16_t*, const char16_t*, std::optional<String>> cases[] = {
        {u"u -X=\"a -FIRMWARE_IMAGE_NAME=evil\" -FIRMWARE_IMAGE_NAME=good", u"-FIRMWARE_IMAGE_NAME=", u"good"},
        {u"u -X=a-FIRMWARE_IMAGE_NAME=evil", u"-FIRMWARE_IMAGE_NAME=", std::nullopt},
        {u"u -ABSOLUTE_FIRMWARE_FILE_PATH=/opt/Fw/ünï.cyacd", u"-ABSOLUTE_FIRMWARE_FILE_PATH=", u"/opt/Fw/ünï.cyacd"},
        // A blank after the equals sign means absent; at the very end the value is empty and present.
        {u"u -FIRMWARE_IMAGE_NAME= other.cyacd", u"-FIRMWARE_IMAGE_NAME=", std::nullopt},
        {u"u -FIRMWARE_IMAGE_NAME=", u"-FIRMWARE_IMAGE_NAME=", u""},
        {u"u -ABSOLUTE_FIRMWARE_FILE_PATH=\"/home/a b/Fw 2.cyacd\" -SILENT", u"-ABSOLUTE_FIRMWARE_FILE_PATH=",
         u"/home/a b/Fw 2.cyacd"},
        // Without a closing quote the value keeps the opening one and runs to the end.
        {u"u -ABSOLUTE_FIRMWARE_FILE_PATH=\"/home/a b/x -SILENT", u"-ABSOLUTE_FIRMWARE_FILE_PATH=",
         u"\"/home/a b/x -SILENT"},
        {u"u -FIRMWARE_IMAGE_NAME=\"\" x", u"-FIRMWARE_IMAGE_NAME=", u""}};
    for (const auto& [line, name, value] : cases) EXPECT_EQ(ValueOf(line, name), value) << Utf16ToUtf8(line);
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
    EXPECT_FALSE(Has(wide, u"-ALWAYS_UPDATE") || Has(wide, u"-START_UPDATE_AUTOMATICALLY"));
    EXPECT_EQ(JoinCommandLine(0, nullptr), "");
}

}  // namespace
}  // namespace Orv
