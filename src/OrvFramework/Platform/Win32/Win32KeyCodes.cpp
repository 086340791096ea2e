// Win32 virtual keys are the framework's key codes where the framework has the key; the left and
// right forms of Shift, Control and Alt (which only GetKeyState reports) share one code.
#include "OrvFramework/Platform/KeyCodes.h"
#include "OrvFramework/Platform/Win32/Win32HostApp.h"

namespace Orv::Platform {

int VirtualKeyFromWin32(unsigned vk) {
    switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
        return Key::Shift;
    case VK_LCONTROL:
    case VK_RCONTROL:
        return Key::Control;
    case VK_LMENU:
    case VK_RMENU:
        return Key::Alt;
    default:
        break;
    }
    const auto in = [vk](int first, int last) {
        return vk >= static_cast<unsigned>(first) && vk <= static_cast<unsigned>(last);
    };
    if (in(Key::Backspace, Key::Tab) || vk == Key::Clear || vk == Key::Return || in(Key::Shift, Key::CapsLock) ||
        vk == Key::Escape || in(Key::Space, Key::Select) || in(Key::Execute, Key::Help) ||
        in(Key::Digit0, Key::Digit0 + 9) || in(Key::LetterA, Key::LetterA + 25) ||
        in(Key::LeftSystem, Key::Applications) || in(Key::Sleep, Key::F13 + 11) || in(Key::NumLock, Key::ScrollLock) ||
        in(Key::BrowserBack, Key::LaunchApp2) || in(Key::Semicolon, Key::Backquote) || in(Key::LeftBracket, Key::Quote))
        return static_cast<int>(vk);
    return 0;
}

}  // namespace Orv::Platform
