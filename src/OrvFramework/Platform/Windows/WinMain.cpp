// The Windows entry point: a window program (no console of its own) started with UTF-16 arguments,
// handed to the program as UTF-8. A program started from a console, or with its output redirected,
// keeps writing its messages there.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "OrvFramework/Platform/EntryPoint.h"

namespace {

std::string ToUtf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size - 1));
    return out;
}

// A window program has no standard streams unless its parent passed them; one started from a
// console prompt gets that console's, so that --help and silent runs still say what they did.
void AttachParentConsole() {
    if (GetStdHandle(STD_ERROR_HANDLE) != nullptr) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    FILE* stream = nullptr;
    freopen_s(&stream, "CONOUT$", "w", stdout);
    freopen_s(&stream, "CONOUT$", "w", stderr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    AttachParentConsole();
    std::vector<std::string> arguments;
    for (int i = 0; i < __argc; ++i) arguments.push_back(ToUtf8(__wargv[i]));
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return Orv::Platform::ProgramMain(static_cast<int>(arguments.size()), argv.data());
}
