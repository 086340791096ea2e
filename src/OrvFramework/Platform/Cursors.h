#pragma once
// The framework's cursor names ("UI_CURSOR_ARROW", ...) and the standard pointer shapes that show
// them.
//
// Contract: the name table is the framework's (Cursors.cpp). A backend implements only
// SetSystemCursor: make `shape` the pointer's shape over the program's windows, on the
// user-interface thread; answer false (and leave the pointer as it was) when no display is open
// or the system has no such cursor. Cursors the backend creates are its own to keep and free.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Orv::Platform {

enum class CursorShape {
    Arrow,
    IBeam,
    Wait,
    WaitArrow,
    Crosshair,
    SizeAll,
    SizeNWSE,
    SizeNESW,
    SizeWE,
    SizeNS,
    Hand,
    No
};

// The shape of a framework cursor name; none for a name the framework does not know. Names compare
// case-sensitively, like every framework name. Names without a standard shape of their own (the
// magnifiers, rotate, drop move/copy) give the nearest one.
std::optional<CursorShape> CursorShapeForName(std::string_view name);
std::optional<CursorShape> CursorShapeForName(std::u16string_view name);

// Every framework cursor name, in the framework's order.
const std::vector<std::string_view>& FrameworkCursorNames();

// Makes the named cursor current. False for an unknown name or when the backend could not.
bool SetCursorByName(std::string_view name);

// Implemented by the backend (see above).
bool SetSystemCursor(CursorShape shape);

}  // namespace Orv::Platform
