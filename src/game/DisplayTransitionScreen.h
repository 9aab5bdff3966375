#pragma once
// The display device as the transition library sees it: its current back
// surface (a screen-mode switch makes a new one, so it is asked each time)
// and its content rectangle.
#include "display/DisplayScreenDevice.h"
#include "transition/TransitionScreen.h"

namespace orrivel {

class DisplayTransitionScreen final : public TransitionScreen {
 public:
  explicit DisplayTransitionScreen(const DisplayScreenDevice& device) : device_(device) {}
  platform::SoftSurface* BackSurface() const override { return device_.BackSurface(); }
  Rect ContentRect() const override { return Rect{0, 0, device_.contentWidth, device_.contentHeight}; }

 private:
  const DisplayScreenDevice& device_;
};

}  // namespace orrivel
