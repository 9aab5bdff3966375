#pragma once
// Blinks a text entry's caret: each step shows the caret sprite if it was
// hidden and hides it if it was shown, while blinking is on.
#include <cstdint>

#include "base/TimedTask.h"
#include "raster/Drawable.h"

namespace orrivel {

class CaretBlinkTask : public TimedTask {
 public:
  static constexpr uint32_t kPeriodMs = 500;

  explicit CaretBlinkTask(Drawable* caret) : caret_(caret) {}
  int32_t Step(uint32_t) override {
    if (blinking && caret_ != nullptr) caret_->SetVisible(caret_->IsVisible() ? 0 : 1);
    return 0;
  }
  void Stop() override { caret_ = nullptr; }

  bool blinking = true;

 private:
  Drawable* caret_;
};

}  // namespace orrivel
