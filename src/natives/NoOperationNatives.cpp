#include "natives/NativeBinder.h"

namespace orrivel {

// One native for every number the game keeps as "nothing": it reads no cell
// and answers 0 whatever the scripts pass.
void BindNoOperationNatives(NativeBinder& binder) {
  constexpr uint32_t kNop = 34;  // binds every number that shares it
  binder.Bind(kNop, [](NativeArgs&) { return 0u; });
}

}  // namespace orrivel
