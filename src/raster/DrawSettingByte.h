#pragma once
#include <cstdint>

namespace orrivel {

// The game's settings byte that start-up hands the drawing code, once the
// screen device is published; 1 until start-up sets it, as the game's
// settings default it.
void SetDrawSettingByte(uint8_t value);
uint8_t DrawSettingByte();

}  // namespace orrivel
