#pragma once
// The mouse read by polling the three buttons' states; the wheel is what
// the wheel messages gathered since the last poll. Position stays 0 (the
// application tracks the pointer from its own messages).
#include "base/MouseDevice.h"

namespace orrivel {

class ApiMouse : public MouseDevice {
 public:
  int32_t GetKind() const override { return kInputWindowsApi; }
  int32_t Poll() override;
};

}  // namespace orrivel
