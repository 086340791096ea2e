#pragma once
// Launch options. There is no parser and no token list: each reader searches the one command-line
// text for the options that concern it, by the rules below.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

// Whether the option is on the command line; for a value option (a name ending in "=") also its
// value, else value is left empty.
//  - the name must be at least two characters and begin with "-";
//  - the first occurrence of the name in an upper-cased copy of the line is the only one looked
//    at; nothing is required of the character before it;
//  - a flag is present when the name is followed by a blank or the end of the text;
//  - a value option: a blank after "=" means absent; a double quote takes the text up to the next
//    double quote (without an end quote, the rest of the line, opening quote included); otherwise
//    the value runs to the next blank or the end (at the very end: present, empty). The value
//    keeps its case.
bool GetCommandLineOption(std::u16string_view commandLine, std::u16string_view name, String& value);

// What "-DEBUG_CONSOLE" on the command line asks for.
struct DebugConsoleRequest {
    enum class Action {
        None,           // no option, or a port field shorter than two characters
        OpenConsole,    // "-DEBUG_CONSOLE" without a port
        NetworkTarget,  // "-DEBUG_CONSOLE:PORT[:HOST]": send trace output there, no console
    };
    Action action = Action::None;
    int port = 0;
    // Upper-cased, as the whole line is before it is searched.
    std::optional<std::string> host;
};

DebugConsoleRequest ReadDebugConsoleOption(std::u16string_view commandLine);

// The one command-line text from argv: the program path first (in double quotes when it holds a
// blank), then the arguments joined by blanks; an argument "-NAME=value" whose value holds a blank
// is written -NAME="value" so that the option reader takes the whole value.
String BuildCommandLine(std::span<const char* const> argv);
inline String BuildCommandLine(int argc, const char* const* argv) {
    return BuildCommandLine(std::span<const char* const>(argv, argc < 0 ? 0 : static_cast<std::size_t>(argc)));
}

}  // namespace Orv
