#include <SDL.h>

#include <array>
#include <mutex>

#include "OrvFramework/Platform/Cursors.h"

namespace Orv::Platform {

namespace {

SDL_SystemCursor ToSdl(CursorShape shape) {
    switch (shape) {
    case CursorShape::Arrow:
        return SDL_SYSTEM_CURSOR_ARROW;
    case CursorShape::IBeam:
        return SDL_SYSTEM_CURSOR_IBEAM;
    case CursorShape::Wait:
        return SDL_SYSTEM_CURSOR_WAIT;
    case CursorShape::WaitArrow:
        return SDL_SYSTEM_CURSOR_WAITARROW;
    case CursorShape::Crosshair:
        return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case CursorShape::SizeAll:
        return SDL_SYSTEM_CURSOR_SIZEALL;
    case CursorShape::SizeNWSE:
        return SDL_SYSTEM_CURSOR_SIZENWSE;
    case CursorShape::SizeNESW:
        return SDL_SYSTEM_CURSOR_SIZENESW;
    case CursorShape::SizeWE:
        return SDL_SYSTEM_CURSOR_SIZEWE;
    case CursorShape::SizeNS:
        return SDL_SYSTEM_CURSOR_SIZENS;
    case CursorShape::Hand:
        return SDL_SYSTEM_CURSOR_HAND;
    case CursorShape::No:
        return SDL_SYSTEM_CURSOR_NO;
    }
    return SDL_SYSTEM_CURSOR_ARROW;
}

}  // namespace

bool SetSystemCursor(CursorShape shape) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    // SDL cursors live as long as the display connection; created on first use, never freed.
    static std::mutex lock;
    static std::array<SDL_Cursor*, SDL_NUM_SYSTEM_CURSORS> created{};
    std::lock_guard guard(lock);
    const SDL_SystemCursor id = ToSdl(shape);
    SDL_Cursor*& slot = created[static_cast<std::size_t>(id)];
    if (!slot) slot = SDL_CreateSystemCursor(id);
    if (!slot) return false;
    SDL_SetCursor(slot);
    return true;
}

}  // namespace Orv::Platform
