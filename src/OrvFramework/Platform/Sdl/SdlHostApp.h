#pragma once
// The SDL backend's own entry points, for the backend's other files and its tests. Nothing outside
// Platform/Sdl/ includes this header.
#include <SDL.h>

#include <cstdint>

#include "OrvFramework/Platform/HostApp.h"

namespace Orv::Platform {

// Modifier flags from an SDL modifier mask.
unsigned ModifierFlagsFromSdl(std::uint16_t sdlMod);
// The framework button number of an SDL button (0 for the extra buttons).
int MouseButtonFromSdl(std::uint8_t sdlButton);
// The framework key code (KeyCodes.h) of an SDL key, 0 when the key has none.
int VirtualKeyFromSdl(SDL_Keycode key);

// Handles one SDL event as app's loop does (also for the loop's tests).
void DispatchSdlEvent(HostApp& app, const SDL_Event& event);

// Whether the window system's window behind `window` has been destroyed by someone else (another
// X client); the SDL window is then an empty shell.
bool IsNativeWindowDestroyed(SDL_Window* window);

}  // namespace Orv::Platform
