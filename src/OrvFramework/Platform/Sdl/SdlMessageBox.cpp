#include "OrvFramework/Platform/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace Orv::Platform {

namespace {

bool HaveDisplay() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace

MessageBoxResult ShowStopMessageBox(const std::string& text, const std::string& caption) {
    // Without a display the toolkit would only fail after trying every driver; go to stderr at once.
    if (HaveDisplay() && SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr) == 0)
        return MessageBoxResult::Shown;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    return MessageBoxResult::WrittenToStderr;
}

}  // namespace Orv::Platform
