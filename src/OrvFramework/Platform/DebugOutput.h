#pragma once
// Where trace text goes without a console or a network listener: the platform's debugger output.
//
// Contract: callable from any thread; text is UTF-8 and is passed on whole (one call, one write).
// Nothing here fails loudly: text nobody reads is lost, as a debugger's output is when none listens.
// Linux (Posix/DebugOutput.cpp): standard error, which a debugger or the terminal shows.
// Windows (Windows/DebugOutput.cpp): OutputDebugStringW.
#include <string_view>

namespace Orv::Platform {

void WriteDebuggerText(std::string_view utf8);

// Gives the process a console for its trace (the "-DEBUG_CONSOLE" option) with standard output,
// input and error attached, when it has none. False when the system gives none. On Linux the
// terminal's standard error already is that console.
bool OpenTraceConsole();

}  // namespace Orv::Platform
