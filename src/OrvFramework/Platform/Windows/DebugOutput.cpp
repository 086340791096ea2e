#include "OrvFramework/Platform/DebugOutput.h"

#include <cstdio>

#include "OrvFramework/Platform/Windows/WideText.h"

namespace Orv::Platform {

void WriteDebuggerText(std::string_view utf8) { OutputDebugStringW(Windows::ToWide(utf8).c_str()); }

bool OpenTraceConsole() {
    // A program started from a console prompt (or with its streams redirected) writes there.
    if (GetConsoleWindow() != nullptr) return true;
    // Refused with "access denied" when the process already has a console (one without a window
    // of its own, as Wine gives a program started from a terminal): the streams already reach it.
    if (!AllocConsole()) return GetLastError() == ERROR_ACCESS_DENIED;
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(output, &info)) {
        // 500 lines to scroll back through.
        info.dwSize.Y = 500;
        SetConsoleScreenBufferSize(output, info.dwSize);
    }
    FILE* stream = nullptr;
    const bool attached = freopen_s(&stream, "CONOUT$", "w", stdout) == 0 &&
                          freopen_s(&stream, "CONIN$", "r", stdin) == 0 &&
                          freopen_s(&stream, "CONOUT$", "w", stderr) == 0;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    return attached;
}

}  // namespace Orv::Platform
