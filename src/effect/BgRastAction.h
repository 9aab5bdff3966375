#pragma once
// "bg_rast": bends a background layer with a horizontal sine wave that runs
// down the picture; each row of the work copy is the picture's row shifted
// by the sine of its place in the wave times the amplitude.
#include <cstdint>

#include "effect/BackgroundWaveAction.h"

namespace orrivel {

class BgRastAction : public BackgroundWaveAction {
 public:
  // The timer list refused the action.
  static constexpr int32_t kNotListed = 6;

  const char* GetName() const override { return "bg_rast"; }

  using LayerAction::SetupV;
  // Target: a BackgroundLayer. Cells: [0] amplitude in pixels, [1] lines per
  // wave (0 counts as 1), [2] period ms (0 counts as 1), [3] duration ms (0
  // endless), [4] fade-in ms, [5] fade-out ms, [6] fill uncovered pixels
  // with the background colour, [7] enter low priority.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;

  int32_t Amplitude() const { return amplitude_; }

 protected:
  int32_t MaximumLevel() const override { return amplitude_; }
  int32_t PhaseAt(uint32_t elapsed) const override;
  void Draw(int32_t phase, int32_t amplitude) override;
  bool CopyParameters(const BackgroundWaveAction& other) override;

 private:
  int32_t amplitude_ = 0;
  uint32_t wavelength_ = 1;
};

}  // namespace orrivel
