#pragma once
// The game's default bindings, installed on its action map right after the
// map is made: the four directions on the arrow keys and the first
// joystick's stick, confirm (action 4) on Enter and the pad's Enter, cancel
// (action 5) on Escape.
#include <cstdint>

namespace orrivel {

class ActionMap;

// Returns how many of the eleven bindings were refused (the joystick ones
// are when no joystick was opened).
int32_t InstallDefaultBindings(ActionMap& map);

}  // namespace orrivel
