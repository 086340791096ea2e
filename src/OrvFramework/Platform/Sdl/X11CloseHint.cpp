#include "OrvFramework/Platform/Sdl/X11CloseHint.h"

#include <dlfcn.h>

// The X11 members of SDL's window information are declared only with this switch; SDL on this
// platform is built with its X11 driver, which is what the answer is checked against below.
#ifndef SDL_VIDEO_DRIVER_X11
#define SDL_VIDEO_DRIVER_X11 1
#endif
#include <SDL_syswm.h>

namespace Orv::Platform {

namespace {

// Xlib is taken from the copy SDL's X11 driver already loaded, so the program does not link it.
struct Xlib {
    using InternAtomFn = Atom (*)(Display*, const char*, Bool);
    using ChangePropertyFn = int (*)(Display*, Window, Atom, Atom, int, int, const unsigned char*, int);
    using DeletePropertyFn = int (*)(Display*, Window, Atom);
    using FlushFn = int (*)(Display*);
    InternAtomFn internAtom = nullptr;
    ChangePropertyFn changeProperty = nullptr;
    DeletePropertyFn deleteProperty = nullptr;
    FlushFn flush = nullptr;

    static const Xlib* Get() {
        static const Xlib lib = [] {
            Xlib x;
            void* handle = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
            if (handle == nullptr) return x;
            x.internAtom = reinterpret_cast<InternAtomFn>(dlsym(handle, "XInternAtom"));
            x.changeProperty = reinterpret_cast<ChangePropertyFn>(dlsym(handle, "XChangeProperty"));
            x.deleteProperty = reinterpret_cast<DeletePropertyFn>(dlsym(handle, "XDeleteProperty"));
            x.flush = reinterpret_cast<FlushFn>(dlsym(handle, "XFlush"));
            return x;
        }();
        return lib.internAtom && lib.changeProperty && lib.deleteProperty && lib.flush ? &lib : nullptr;
    }
};

// The Motif window manager hints: flags, functions, decorations, input mode, status.
constexpr long kHintsFunctions = 1L << 0;
constexpr long kFunctionAll = 1L << 0;  // with it, the other bits name what is taken away
constexpr long kFunctionClose = 1L << 5;

}  // namespace

bool SetWindowCloseOffered(SDL_Window* window, bool offered) {
    if (window == nullptr) return false;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    const Xlib* x = Xlib::Get();
    if (x == nullptr || info.info.x11.display == nullptr) return false;
    Display* display = info.info.x11.display;
    const Window xwindow = info.info.x11.window;
    const Atom hints = x->internAtom(display, "_MOTIF_WM_HINTS", False);
    if (offered) {
        x->deleteProperty(display, xwindow, hints);
    } else {
        const long value[5] = {kHintsFunctions, kFunctionAll | kFunctionClose, 0, 0, 0};
        x->changeProperty(display, xwindow, hints, hints, 32, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(value), 5);
    }
    x->flush(display);
    return true;
}

}  // namespace Orv::Platform
