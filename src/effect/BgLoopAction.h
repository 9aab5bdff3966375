#pragma once
// "bg_loop": scrolls the background of a layer through its work copy, once
// per period, a number of times or endlessly, wrapping the picture round
// without a seam.
#include <cstdint>

#include "effect/PeriodicBackgroundAction.h"

namespace orrivel {

class BgLoopAction : public PeriodicBackgroundAction {
 public:
  // Set-up results.
  static constexpr int32_t kBadArguments = 1;
  static constexpr int32_t kNoWorkCopy = 2;
  static constexpr int32_t kTooNarrow = 3;
  static constexpr int32_t kTooLow = 4;
  static constexpr int32_t kNotListed = 5;

  const char* GetName() const override { return "bg_loop"; }

  using LayerAction::SetupV;
  // Target: a BackgroundLayer. Cells: [0] direction
  // (0 leftwards, 1 rightwards, 2 upwards, 3 downwards; other values are
  // refused), [1] period ms (0 counts as 1), [2] loops (0 or less endless),
  // [3] enter low priority.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;
  // [0] 0 asks for the stop at the end of the current loop; 0.
  int32_t ControlV(const ObjectArguments& cells) override;

  int32_t LastOffset() const { return lastOffset_; }

 private:
  bool Horizontal() const { return direction_ < 2; }
  void Draw(uint32_t elapsed) override;

  uint8_t direction_ = 0;
  int32_t length_ = 0;
  int32_t lastOffset_ = -1;
};

}  // namespace orrivel
