#pragma once
// Launch options. There is no parser and no token list: each reader searches the one command-line
// text for the options that concern it, by the rules below.
#include <optional>
#include <string>
#include <string_view>

#include "OrvFramework/Utilities/Storage/String.h"

namespace Orv {

// Whether the option is on the command line; for a value option (a name ending in "=") also its
// value, else value is left empty.
//  - the name must be at least two characters and begin with "-";
//  - the name is looked for in an upper-cased copy of the line, only where an argument begins (the
//    start of the line, or after a blank outside double quotes), so a name inside a value or a
//    path is never an option; a flag's name must also end there at a blank, an "=" or the end
//    ("-SILENT" is not found in "-SILENT_IF_UPDATE_NOT_NEEDED");
//  - the first such occurrence is the only one looked at;
//  - a flag is present when the name is followed by a blank or the end of the text;
//  - a value option: a blank after "=" means absent; a double quote takes the text up to the next
//    double quote (without an end quote, the rest of the line, opening quote included); otherwise
//    the value runs to the next blank or the end (at the very end: present, empty). The value
//    keeps its case.
bool GetCommandLineOption(std::u16string_view commandLine, std::u16string_view name, String& value);

// What "-DEBUG_CONSOLE" on the command line asks for.
struct DebugConsoleRequest {
    enum class Action {
        None,           // no option
        Ignored,        // "-DEBUG_CONSOLE:" with a port field shorter than two characters
        OpenConsole,    // "-DEBUG_CONSOLE" without a port
        NetworkTarget,  // "-DEBUG_CONSOLE:PORT[:HOST]": send trace output there, no console
    };
    Action action = Action::None;
    int port = 0;
    // Upper-cased, as the whole line is before it is searched.
    std::optional<std::string> host;
};

DebugConsoleRequest ReadDebugConsoleOption(std::u16string_view commandLine);

// The one command-line text from argv: the arguments joined by blanks, the program path first. An
// argument holding a blank is quoted so that the option reader takes it whole and finds no option
// inside it: "-NAME=value" becomes -NAME="value", any other becomes "argument". An argument that
// holds a double quote of its own is taken as it is.
std::string JoinCommandLine(int argc, const char* const* argv);

}  // namespace Orv
