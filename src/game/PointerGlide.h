#pragma once
// The game's pointer glide: the pointer moves in a straight line from where
// it is to a point over a time, one step a frame, while the frame pump
// keeps the game running; the last step lands on the point.
#include <cstdint>
#include <functional>

namespace orrivel {

class ControlHost;

// 0 arrived; -1 the program is closing (the pump said so).
int32_t GlidePointer(ControlHost& host, int32_t x, int32_t y, uint32_t ms, const std::function<uint32_t()>& now,
                     const std::function<int()>& pump);

}  // namespace orrivel
