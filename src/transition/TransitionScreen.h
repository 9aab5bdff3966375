#pragma once
// What the transition library reads of the screen device: the back surface
// it draws into and the content rectangle that clips every fragment. A screen
// that presents without a back surface answers null, and every frame above
// progress 0 then fails with 1.
#include "base/ScreenDevice.h"
#include "platform/SoftSurface.h"
#include "raster/Rect.h"

namespace orrivel {

class TransitionScreen {
 public:
  virtual ~TransitionScreen() = default;
  virtual platform::SoftSurface* BackSurface() const = 0;
  // (0, 0, content width, content height).
  virtual Rect ContentRect() const = 0;
};

// The screen as the transition library sees it until the display device
// offers its back surface itself: the device's content size with a back
// surface handed in (null for a screen that presents without one).
class ScreenStandIn final : public TransitionScreen {
 public:
  ScreenStandIn(const ScreenDevice& device, platform::SoftSurface* backSurface)
      : device_(device), backSurface_(backSurface) {}
  platform::SoftSurface* BackSurface() const override { return backSurface_; }
  Rect ContentRect() const override { return Rect{0, 0, device_.contentWidth, device_.contentHeight}; }

 private:
  const ScreenDevice& device_;
  platform::SoftSurface* backSurface_;
};

}  // namespace orrivel
