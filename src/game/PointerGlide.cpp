#include "game/PointerGlide.h"

#include <algorithm>

#include "scene/ControlHost.h"

namespace orrivel {

int32_t GlidePointer(ControlHost& host, int32_t x, int32_t y, uint32_t ms, const std::function<uint32_t()>& now,
                     const std::function<int()>& pump) {
  int32_t px = 0, py = 0;
  host.GetPointerPos(&px, &py);
  const int32_t span = int32_t(std::max<uint32_t>(ms, 1));
  const uint32_t start = now();
  for (;;) {
    const int32_t elapsed = int32_t(std::min<uint32_t>(now() - start, uint32_t(span)));
    host.SetPointerPos(px + (x - px) * elapsed / span, py + (y - py) * elapsed / span);
    if (elapsed >= span) return 0;
    if (!pump || pump() == 0) return -1;
  }
}

}  // namespace orrivel
