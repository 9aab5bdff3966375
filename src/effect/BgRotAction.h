#pragma once
// "bg_rot": eases the turn of a background layer (the canvas's rotation:
// centre, angle, scale) from where it is to a target over a duration and
// leaves it there; a stop through the timer list jumps to the target.
#include <cstdint>

#include "effect/EasedBackgroundAction.h"

namespace orrivel {

class BgRotAction : public EasedBackgroundAction {
 public:
  static constexpr int32_t kBadArguments = 1;
  static constexpr int32_t kNoPicture = 2;

  struct Turn {
    int32_t x = 0, y = 0;
    int32_t angle = 0;  // 512ths of a turn
    double scale = 1.0;
  };

  const char* GetName() const override { return "bg_rot"; }

  using LayerAction::SetupV;
  // Target: a BackgroundLayer. Cells: [0] centre x, [1] centre y, [2]
  // angle in 512ths of a turn, [3] scale as decimal text (null 1.0; 0 is
  // refused), [4] curve as decimal text (null 0.0), [5] duration ms.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;

  const Turn& StartTurn() const { return start_; }
  const Turn& TargetTurn() const { return target_; }

 protected:
  void ApplyEnd() override { Apply(target_); }
  void ApplyEased(uint32_t eased) override;

 private:
  void Apply(const Turn& turn);

  Turn start_;
  Turn target_;
};

}  // namespace orrivel
