#include "base/ApiMouse.h"

#include "platform/InputSource.h"

namespace orrivel {

int32_t ApiMouse::Poll() {
  uint32_t held = platform::CurrentInputSource().MouseButtons();
  State& state = WriteRecord();
  state = State{};
  state.buttons[0] = (held & 1) ? 0x80 : 0;
  state.buttons[1] = (held & 2) ? 0x80 : 0;
  state.buttons[2] = (held & 4) ? 0x80 : 0;
  state.wheel = pendingWheel_;
  pendingWheel_ = 0;
  FlipRecords();
  return 0;
}

}  // namespace orrivel
