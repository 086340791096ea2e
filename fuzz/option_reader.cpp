// Feeds arbitrary bytes, read as UTF-8, as a command line to every option reader; and, as one
// argument value, through the command line the application rebuilds from argv, which must hand the
// whole value back to the option reader and find no option inside it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "OrvFramework/Utilities/Storage/CommandLineOption.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static constexpr std::u16string_view kNames[] = {
        u"-FIRMWARE_UPDATE_VERSION=",
        u"-ALWAYS_UPDATE",
        u"-UPDATE_TIME_ESTIMATE=",
        u"-ABSOLUTE_FIRMWARE_FILE_PATH=",
        u"-FIRMWARE_IMAGE_NAME=",
        u"-SILENT",
        u"-SILENT_IF_UPDATE_NOT_NEEDED",
        u"-START_UPDATE_AUTOMATICALLY",
        u"-DEBUG_CONSOLE",
        u"-DEVICE_VID=",
        u"-DEVICE_PID=",
        u"-DEVICE_BOOTLOADER_PID=",
    };
    const Orv::String line = Orv::W(std::string_view(reinterpret_cast<const char*>(data), size));
    for (std::u16string_view name : kNames) {
        Orv::String value;
        const bool present = Orv::GetCommandLineOption(line, name, value);
        // A value is never longer than the line, and an absent option has none.
        if (value.size() > line.size() || (!present && !value.empty())) __builtin_trap();
        if (name.back() == u'=') (void)Orv::WToI(value);
    }
    const Orv::DebugConsoleRequest request = Orv::ReadDebugConsoleOption(line);
    if (request.action != Orv::DebugConsoleRequest::Action::NetworkTarget && (request.port != 0 || request.host))
        __builtin_trap();

    // A path without quotes of its own, blanks or not, is read back whole from the rebuilt line (an
    // empty one is followed by a blank, which reads as "not given").
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!text.empty() && text.find('"') == std::string_view::npos && text.find('\0') == std::string_view::npos) {
        const std::string argument = "-ABSOLUTE_FIRMWARE_FILE_PATH=" + std::string(text);
        const char* argv[] = {"/usr/lib/varnet/varnet-updater", argument.c_str(), "-SILENT"};
        const Orv::String rebuilt = Orv::W(Orv::JoinCommandLine(3, argv));
        Orv::String value;
        if (!Orv::GetCommandLineOption(rebuilt, u"-ABSOLUTE_FIRMWARE_FILE_PATH=", value) || value != Orv::W(text))
            __builtin_trap();
        // Nor does anything inside the path read as an option of its own.
        const char* alone[] = {"/usr/lib/varnet/varnet-updater", argument.c_str()};
        const Orv::String single = Orv::W(Orv::JoinCommandLine(2, alone));
        if (Orv::GetCommandLineOption(single, u"-SILENT", value) ||
            Orv::ReadDebugConsoleOption(single).action != Orv::DebugConsoleRequest::Action::None)
            __builtin_trap();
    }
    return 0;
}
