#pragma once
// The framework's key codes: the classic virtual-key numbers that the skin's "VKEY_" names and the
// controls use. A backend translates its window system's keys to these, one to one where a key
// exists on both, and answers 0 for a key that has none. Letters and digits are their upper-case
// ASCII codes ('A' is 0x41, '0' is 0x30); the left and right Shift, Control and Alt keys share one
// code each, as key messages carry them.
namespace Orv::Platform::Key {

inline constexpr int Backspace = 0x08;
inline constexpr int Tab = 0x09;
inline constexpr int Clear = 0x0C;
inline constexpr int Return = 0x0D;
inline constexpr int Shift = 0x10;
inline constexpr int Control = 0x11;
inline constexpr int Alt = 0x12;
inline constexpr int Pause = 0x13;
inline constexpr int CapsLock = 0x14;
inline constexpr int Escape = 0x1B;
inline constexpr int Space = 0x20;
inline constexpr int PageUp = 0x21;
inline constexpr int PageDown = 0x22;
inline constexpr int End = 0x23;
inline constexpr int Home = 0x24;
inline constexpr int Left = 0x25;
inline constexpr int Up = 0x26;
inline constexpr int Right = 0x27;
inline constexpr int Down = 0x28;
inline constexpr int Select = 0x29;
inline constexpr int Execute = 0x2B;
inline constexpr int PrintScreen = 0x2C;
inline constexpr int Insert = 0x2D;
inline constexpr int Delete = 0x2E;
inline constexpr int Help = 0x2F;
inline constexpr int Digit0 = 0x30;   // to 0x39
inline constexpr int LetterA = 0x41;  // to 0x5A
inline constexpr int LeftSystem = 0x5B;
inline constexpr int RightSystem = 0x5C;
inline constexpr int Applications = 0x5D;
inline constexpr int Sleep = 0x5F;
inline constexpr int Numpad0 = 0x60;  // to 0x69
inline constexpr int Multiply = 0x6A;
inline constexpr int Add = 0x6B;
inline constexpr int Separator = 0x6C;
inline constexpr int Subtract = 0x6D;
inline constexpr int Decimal = 0x6E;
inline constexpr int Divide = 0x6F;
inline constexpr int F1 = 0x70;   // to F12 = 0x7B
inline constexpr int F13 = 0x7C;  // to F24 = 0x87
inline constexpr int NumLock = 0x90;
inline constexpr int ScrollLock = 0x91;
inline constexpr int BrowserBack = 0xA6;
inline constexpr int BrowserForward = 0xA7;
inline constexpr int BrowserRefresh = 0xA8;
inline constexpr int BrowserStop = 0xA9;
inline constexpr int BrowserSearch = 0xAA;
inline constexpr int BrowserFavorites = 0xAB;
inline constexpr int BrowserHome = 0xAC;
inline constexpr int VolumeMute = 0xAD;
inline constexpr int VolumeDown = 0xAE;
inline constexpr int VolumeUp = 0xAF;
inline constexpr int MediaNext = 0xB0;
inline constexpr int MediaPrevious = 0xB1;
inline constexpr int MediaStop = 0xB2;
inline constexpr int MediaPlayPause = 0xB3;
inline constexpr int LaunchMail = 0xB4;
inline constexpr int LaunchMediaSelect = 0xB5;
inline constexpr int LaunchApp1 = 0xB6;
inline constexpr int LaunchApp2 = 0xB7;
inline constexpr int Semicolon = 0xBA;
inline constexpr int Plus = 0xBB;
inline constexpr int Comma = 0xBC;
inline constexpr int Minus = 0xBD;
inline constexpr int Period = 0xBE;
inline constexpr int Slash = 0xBF;
inline constexpr int Backquote = 0xC0;
inline constexpr int LeftBracket = 0xDB;
inline constexpr int Backslash = 0xDC;
inline constexpr int RightBracket = 0xDD;
inline constexpr int Quote = 0xDE;

}  // namespace Orv::Platform::Key
