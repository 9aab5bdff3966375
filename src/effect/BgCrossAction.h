#pragma once
// "bg_cross": fades the background of a layer into the background of its
// second page and back once per period, a number of times or endlessly. One
// of the two pictures can be frozen as it was at set-up.
#include <cstdint>
#include <memory>

#include "effect/PeriodicBackgroundAction.h"

namespace orrivel {

class BgCrossAction : public PeriodicBackgroundAction {
 public:
  // Set-up results.
  static constexpr int32_t kBadArguments = 1;
  static constexpr int32_t kNoSecondPage = 3;
  static constexpr int32_t kSizesDiffer = 4;
  static constexpr int32_t kNoWorkCopy = 5;
  static constexpr int32_t kNotListed = 6;
  // Modes: both pictures live, the second frozen, the first frozen.
  static constexpr uint8_t kBothLive = 0;
  static constexpr uint8_t kSecondFrozen = 1;
  static constexpr uint8_t kFirstFrozen = 2;

  BgCrossAction();
  ~BgCrossAction() override;

  const char* GetName() const override { return "bg_cross"; }

  using LayerAction::SetupV;
  // Target: a BackgroundLayer with a second page whose picture has the same
  // size (pictures are blended in 32 bits; others stay unblended). Cells: [0] period ms (0 counts as 1), [1] cycles (0 or
  // less endless), [2] mode 0 to 2, [3] exchange the roles of the pages,
  // [4] enter low priority.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;
  // Any request asks for the stop at the end of the current cycle; 0.
  int32_t ControlV(const ObjectArguments& cells) override;

  int32_t LastLevel() const { return lastLevel_; }

  // Either page's canvas.
  Loss LosingCanvas(const SpriteCanvas& canvas) const override;
  void LetGoCanvas(const SpriteCanvas& canvas) override;

 private:
  void Draw(uint32_t elapsed) override;

  SpriteCanvas* second_ = nullptr;
  std::unique_ptr<Surface> snapshot_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  uint8_t mode_ = kBothLive;
  int32_t lastLevel_ = 0;
};

}  // namespace orrivel
