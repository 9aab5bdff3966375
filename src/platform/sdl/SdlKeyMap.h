#pragma once
// The keys of SDL's keyboard (its scancodes, by position) in the engine's
// key codes and virtual keys. Plain integers here, so that callers outside
// the back end need no SDL declarations.
#include <cstdint>

namespace orrivel::platform {

// The key code of a scancode, or 0 for a key the engine does not know.
uint8_t KeyCodeFromSdlScancode(int32_t scancode);
// The scancode of a key code, or 0 (SDL's "unknown") when none.
int32_t SdlScancodeFromKeyCode(uint8_t code);
// The virtual key of a key event: letters and digits follow the layout (the
// keycode), every other key its position; 0 when the engine has none.
uint32_t VirtualKeyFromSdlKey(int32_t scancode, int32_t keycode);

}  // namespace orrivel::platform
