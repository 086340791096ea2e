#pragma once
// The framework's cursor names ("UI_CURSOR_ARROW", ...) and the system cursors that show them.
#include <SDL.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Orv::Platform {

// The system cursor for a framework cursor name; none for a name the framework does not know.
// Names compare case-sensitively, like every framework name. Cursors the system lacks (the
// magnifiers, rotate, drop move/copy) fall back to the nearest standard shape.
std::optional<SDL_SystemCursor> SystemCursorForName(std::string_view name);
std::optional<SDL_SystemCursor> SystemCursorForName(std::u16string_view name);

// Every framework cursor name, in the framework's order.
const std::vector<std::string_view>& FrameworkCursorNames();

// Makes the named cursor current; the cursors are created once and kept. False for an unknown
// name or when no display is open (the cursor then stays as it was).
bool SetCursorByName(std::string_view name);

}  // namespace Orv::Platform
