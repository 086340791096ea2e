#pragma once
// The framework's key codes are the classic virtual-key numbers (the "VKEY_" names of the skin and
// the controls); SDL key codes are translated to them here, one to one where a key exists on both.
#include <SDL_keycode.h>

namespace Orv::Platform {

// The virtual-key code of an SDL key, 0 when the key has none. Letters give their upper-case code
// ('A' is 0x41), the left and right Shift, Control and Alt keys give the shared codes 0x10 to 0x12,
// as key messages carry them.
int VirtualKeyFromSdl(SDL_Keycode key);

}  // namespace Orv::Platform
