#pragma once
// The Win32 backend's own entry points, for the backend's other files and its tests. Nothing outside
// Platform/Win32/ includes this header.
#include "OrvFramework/Platform/HostApp.h"
// After our headers: windows.h maps FindWindow to FindWindowW, which would rename HostApp's member.
#include <windows.h>
#undef FindWindow

#include <string>

namespace Orv::Platform {

// The class of the window that carries the loop's wake-ups, timers and the session's end.
inline constexpr wchar_t kLoopWindowClass[] = L"OrvHostLoop";
// The class of host windows whose parameters name none.
inline constexpr wchar_t kDefaultHostWindowClass[] = L"OrvHostWindow";

// Modifier flags from the keyboard's state as the calling thread's current message saw it.
unsigned ModifierFlagsFromKeyState();
// The framework key code (KeyCodes.h) of a Win32 virtual key, 0 when the key has none.
int VirtualKeyFromWin32(unsigned virtualKey);

std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const wchar_t* text, std::size_t length);

// Whether this process may show windows: false, with the reason, on a window station nobody sees
// (a service, a task run without a logged-on user).
bool IsInteractiveWindowStation(std::string* reason);

// The handler a UI-thread host window's events go to now: the one registered under windowId with
// the current HostApp, or null (unregistered, no application).
IHostWindowEvents* RegisteredHandler(std::uint32_t windowId);

}  // namespace Orv::Platform
