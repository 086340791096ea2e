#include "OrvFramework/Platform/MessageBox.h"

#include <cstdio>

#include "OrvFramework/Platform/Win32/Win32HostApp.h"

namespace Orv::Platform {

MessageBoxResult ShowStopMessageBox(const std::string& text, const std::string& caption) {
    // A box on a window station nobody sees would wait for a click that never comes.
    if (IsInteractiveWindowStation(nullptr) &&
        MessageBoxW(nullptr, WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(),
                    MB_OK | MB_ICONSTOP | MB_TASKMODAL | MB_SETFOREGROUND) != 0)
        return MessageBoxResult::Shown;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    return MessageBoxResult::WrittenToStderr;
}

}  // namespace Orv::Platform
