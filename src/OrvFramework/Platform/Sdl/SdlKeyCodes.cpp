#include "OrvFramework/Platform/KeyCodes.h"
#include "OrvFramework/Platform/Sdl/SdlHostApp.h"

namespace Orv::Platform {

int VirtualKeyFromSdl(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return Key::LetterA + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return Key::Digit0 + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return Key::F1 + (key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24) return Key::F13 + (key - SDLK_F13);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return Key::Numpad0 + 1 + (key - SDLK_KP_1);
    switch (key) {
    case SDLK_BACKSPACE:
        return Key::Backspace;
    case SDLK_TAB:
        return Key::Tab;
    case SDLK_CLEAR:
        return Key::Clear;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return Key::Return;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return Key::Shift;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return Key::Control;
    case SDLK_LALT:
    case SDLK_RALT:
        return Key::Alt;
    case SDLK_PAUSE:
        return Key::Pause;
    case SDLK_CAPSLOCK:
        return Key::CapsLock;
    case SDLK_ESCAPE:
        return Key::Escape;
    case SDLK_SPACE:
        return Key::Space;
    case SDLK_PAGEUP:
        return Key::PageUp;
    case SDLK_PAGEDOWN:
        return Key::PageDown;
    case SDLK_END:
        return Key::End;
    case SDLK_HOME:
        return Key::Home;
    case SDLK_LEFT:
        return Key::Left;
    case SDLK_UP:
        return Key::Up;
    case SDLK_RIGHT:
        return Key::Right;
    case SDLK_DOWN:
        return Key::Down;
    case SDLK_SELECT:
        return Key::Select;
    case SDLK_EXECUTE:
        return Key::Execute;
    case SDLK_PRINTSCREEN:
        return Key::PrintScreen;
    case SDLK_INSERT:
        return Key::Insert;
    case SDLK_DELETE:
        return Key::Delete;
    case SDLK_HELP:
        return Key::Help;
    case SDLK_LGUI:
        return Key::LeftSystem;
    case SDLK_RGUI:
        return Key::RightSystem;
    case SDLK_APPLICATION:
        return Key::Applications;
    case SDLK_SLEEP:
        return Key::Sleep;
    case SDLK_KP_0:
        return Key::Numpad0;
    case SDLK_KP_MULTIPLY:
        return Key::Multiply;
    case SDLK_KP_PLUS:
        return Key::Add;
    case SDLK_KP_COMMA:
        return Key::Separator;
    case SDLK_KP_MINUS:
        return Key::Subtract;
    case SDLK_KP_PERIOD:
    case SDLK_KP_DECIMAL:
        return Key::Decimal;
    case SDLK_KP_DIVIDE:
        return Key::Divide;
    case SDLK_NUMLOCKCLEAR:
        return Key::NumLock;
    case SDLK_SCROLLLOCK:
        return Key::ScrollLock;
    case SDLK_AC_BACK:
        return Key::BrowserBack;
    case SDLK_AC_FORWARD:
        return Key::BrowserForward;
    case SDLK_AC_REFRESH:
        return Key::BrowserRefresh;
    case SDLK_AC_STOP:
        return Key::BrowserStop;
    case SDLK_AC_SEARCH:
        return Key::BrowserSearch;
    case SDLK_AC_BOOKMARKS:
        return Key::BrowserFavorites;
    case SDLK_AC_HOME:
        return Key::BrowserHome;
    case SDLK_MUTE:
    case SDLK_AUDIOMUTE:
        return Key::VolumeMute;
    case SDLK_VOLUMEDOWN:
        return Key::VolumeDown;
    case SDLK_VOLUMEUP:
        return Key::VolumeUp;
    case SDLK_AUDIONEXT:
        return Key::MediaNext;
    case SDLK_AUDIOPREV:
        return Key::MediaPrevious;
    case SDLK_AUDIOSTOP:
        return Key::MediaStop;
    case SDLK_AUDIOPLAY:
        return Key::MediaPlayPause;
    case SDLK_MAIL:
        return Key::LaunchMail;
    case SDLK_MEDIASELECT:
        return Key::LaunchMediaSelect;
    case SDLK_COMPUTER:
        return Key::LaunchApp1;
    case SDLK_CALCULATOR:
        return Key::LaunchApp2;
    case SDLK_SEMICOLON:
        return Key::Semicolon;
    case SDLK_EQUALS:
        return Key::Plus;
    case SDLK_COMMA:
        return Key::Comma;
    case SDLK_MINUS:
        return Key::Minus;
    case SDLK_PERIOD:
        return Key::Period;
    case SDLK_SLASH:
        return Key::Slash;
    case SDLK_BACKQUOTE:
        return Key::Backquote;
    case SDLK_LEFTBRACKET:
        return Key::LeftBracket;
    case SDLK_BACKSLASH:
        return Key::Backslash;
    case SDLK_RIGHTBRACKET:
        return Key::RightBracket;
    case SDLK_QUOTE:
        return Key::Quote;
    default:
        return 0;
    }
}

}  // namespace Orv::Platform
