#pragma once
// Tells the window manager whether a window offers its close button. SDL has no call for this; on
// X11 the Motif hints, which the common window managers honour, take the close function away. On
// other video drivers, or without a window manager that reads the hints, nothing changes.
#include <SDL.h>

namespace Orv::Platform {

// False when the platform gives no way to say it (the close request then still arrives and is
// answered by the application).
bool SetWindowCloseOffered(SDL_Window* window, bool offered);

}  // namespace Orv::Platform
