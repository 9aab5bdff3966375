#pragma once
// Where the frame keeps a running layer action: the action's timer-list
// handle. Handles are generation-tagged, so a handle kept after its action
// ended is simply no longer known to the list and reads as empty; no
// action ever writes back into the holder.
#include <cstdint>

namespace orrivel {

struct ActionHolder {
  uint32_t handle = 0;
  bool Empty() const { return handle == 0; }
  void Clear() { handle = 0; }
};

}  // namespace orrivel
