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

TEST(GetCommandLineOption, FlagsMatchTheFirstOccurrenceWithoutCase) {
    EXPECT_TRUE(Has(u"updater -silent", u"-SILENT"));
    EXPECT_TRUE(Has(u"updater -SILENT -X", u"-SILENT"));
    EXPECT_FALSE(Has(u"updater -SILENT_IF_UPDATE_NOT_NEEDED", u"-SILENT"));
    EXPECT_TRUE(Has(u"updater -SILENT_IF_UPDATE_NOT_NEEDED", u"-SILENT_IF_UPDATE_NOT_NEEDED"));
    // Only the first occurrence counts, even when a later one would match.
    EXPECT_FALSE(Has(u"updater -SILENT_IF_UPDATE_NOT_NEEDED -SILENT", u"-SILENT"));
    // Nothing is asked of the character in front of the name.
    EXPECT_TRUE(Has(u"updater x-SILENT", u"-SILENT"));
    EXPECT_FALSE(Has(u"updater -SILENTLY", u"-SILENT"));
    EXPECT_FALSE(Has(u"updater -SILENT\t", u"-SILENT"));  // only U+0020 is a blank
    EXPECT_FALSE(Has(u"updater", u"-SILENT"));
    // A name must begin with "-" and have two characters.
    EXPECT_FALSE(Has(u"updater - SILENT", u"-"));
    EXPECT_FALSE(Has(u"updater SILENT", u"SILENT"));
}

TEST(GetCommandLineOption, ValuesKeepTheirCase) {
    EXPECT_EQ(ValueOf(u"u -FIRMWARE_IMAGE_NAME=MyImage.cyacd -SILENT", u"-FIRMWARE_IMAGE_NAME="),
              W("MyImage.cyacd"));
    EXPECT_EQ(ValueOf(u"u -firmware_update_version=1.2.3", u"-FIRMWARE_UPDATE_VERSION="), W("1.2.3"));
    EXPECT_EQ(ValueOf(u"u -ABSOLUTE_FIRMWARE_FILE_PATH=/opt/Fw/ünï.cyacd", u"-ABSOLUTE_FIRMWARE_FILE_PATH="),
              W("/opt/Fw/ünï.cyacd"));
}

TEST(GetCommandLineOption, BlankAfterTheEqualsSignMeansAbsent) {
    EXPECT_EQ(ValueOf(u"u -FIRMWARE_IMAGE_NAME= other.cyacd", u"-FIRMWARE_IMAGE_NAME="), std::nullopt);
    // At the very end of the text the value is empty and the option is present.
    EXPECT_EQ(ValueOf(u"u -FIRMWARE_IMAGE_NAME=", u"-FIRMWARE_IMAGE_NAME="), W(""));
}

TEST(GetCommandLineOption, QuotedValues) {
    EXPECT_EQ(ValueOf(u"u -ABSOLUTE_FIRMWARE_FILE_PATH=\"/home/a b/Fw 2.cyacd\" -SILENT",
                      u"-ABSOLUTE_FIRMWARE_FILE_PATH="),
              W("/home/a b/Fw 2.cyacd"));
    // Without a closing quote the value keeps the opening one and runs to the end.
    EXPECT_EQ(ValueOf(u"u -ABSOLUTE_FIRMWARE_FILE_PATH=\"/home/a b/x -SILENT", u"-ABSOLUTE_FIRMWARE_FILE_PATH="),
              W("\"/home/a b/x -SILENT"));
    EXPECT_EQ(ValueOf(u"u -FIRMWARE_IMAGE_NAME=\"\" x", u"-FIRMWARE_IMAGE_NAME="), W(""));
}

TEST(GetCommandLineOption, TimeEstimateWithLettersReadsAsZero) {
    const auto value = ValueOf(u"u -UPDATE_TIME_ESTIMATE=abc", u"-UPDATE_TIME_ESTIMATE=");
    ASSERT_TRUE(value);
    EXPECT_EQ(WToI(*value), 0);
    EXPECT_EQ(WToI(*ValueOf(u"u -UPDATE_TIME_ESTIMATE=12s", u"-UPDATE_TIME_ESTIMATE=")), 12);
}

using Action = DebugConsoleRequest::Action;

TEST(ReadDebugConsoleOption, ConsoleOrNetworkTarget) {
    EXPECT_EQ(ReadDebugConsoleOption(u"u -SILENT").action, Action::None);
    EXPECT_EQ(ReadDebugConsoleOption(u"u -DEBUG_CONSOLE").action, Action::OpenConsole);
    EXPECT_EQ(ReadDebugConsoleOption(u"u x-debug_consoleZ").action, Action::OpenConsole);
    // A one-digit port does nothing at all.
    EXPECT_EQ(ReadDebugConsoleOption(u"u -DEBUG_CONSOLE:5").action, Action::None);
    EXPECT_EQ(ReadDebugConsoleOption(u"u -DEBUG_CONSOLE:").action, Action::None);
    EXPECT_EQ(ReadDebugConsoleOption(u"u -DEBUG_CONSOLE:5:host").action, Action::None);

    const auto port = ReadDebugConsoleOption(u"u -DEBUG_CONSOLE:9000 -SILENT");
    EXPECT_EQ(port.action, Action::NetworkTarget);
    EXPECT_EQ(port.port, 9000);
    EXPECT_FALSE(port.host);

    const auto host = ReadDebugConsoleOption(u"u -debug_console:4711:trace.local -SILENT");
    EXPECT_EQ(host.action, Action::NetworkTarget);
    EXPECT_EQ(host.port, 4711);
    EXPECT_EQ(host.host, std::optional<std::string>("TRACE.LOCAL"));

    const auto noHost = ReadDebugConsoleOption(u"u -DEBUG_CONSOLE:4711:");
    EXPECT_EQ(noHost.port, 4711);
    EXPECT_FALSE(noHost.host);

    // A non-numeric port field of two characters still sets a target, with port 0 (atoi).
    EXPECT_EQ(ReadDebugConsoleOption(u"u -DEBUG_CONSOLE:ab").port, 0);
    EXPECT_EQ(ReadDebugConsoleOption(u"u -DEBUG_CONSOLE:ab").action, Action::NetworkTarget);
}

TEST(ReadDebugConsoleOption, PortFieldEndsAtTheBlank) {
    // A colon of a later argument does not stretch the port field across the blank.
    EXPECT_EQ(ReadDebugConsoleOption(u"u -DEBUG_CONSOLE:5 -X:Y").action, Action::None);
}

TEST(BuildCommandLine, JoinsArgumentsAndQuotesValuesWithBlanks) {
    const char* argv[] = {"/opt/My Tools/varnet-updater", "-SILENT",
                          "-ABSOLUTE_FIRMWARE_FILE_PATH=/home/me/Firmware Files/Varnet 1.0.2.cyacd",
                          "-FIRMWARE_IMAGE_NAME=plain.cyacd", "-ALREADY=\"a b\""};
    const String line = BuildCommandLine(5, argv);
    EXPECT_EQ(line, W("\"/opt/My Tools/varnet-updater\" -SILENT "
                      "-ABSOLUTE_FIRMWARE_FILE_PATH=\"/home/me/Firmware Files/Varnet 1.0.2.cyacd\" "
                      "-FIRMWARE_IMAGE_NAME=plain.cyacd -ALREADY=\"a b\""));

    String value;
    ASSERT_TRUE(GetCommandLineOption(line, u"-ABSOLUTE_FIRMWARE_FILE_PATH=", value));
    EXPECT_EQ(value, W("/home/me/Firmware Files/Varnet 1.0.2.cyacd"));
    EXPECT_TRUE(GetCommandLineOption(line, u"-SILENT", value));
    EXPECT_EQ(BuildCommandLine(0, nullptr), W(""));
}

}  // namespace
}  // namespace Orv
