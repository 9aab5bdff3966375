#include "transition/FragmentDrawer.h"

#include "display/SurfacePixelOps.h"
#include "raster/Surface.h"

namespace orrivel {

// The transitions never draw upside down.
constexpr bool kTopDown = false;

int SurfaceFragmentDrawer::Whole(int32_t x, int32_t y) {
  return alphaBlend_ ? destination_->AlphaBlend(source_, x, y, nullptr, kTopDown)
                     : destination_->Copy(source_, x, y, nullptr, kTopDown);
}

int SurfaceFragmentDrawer::Fragment(const Rect& source, int32_t x, int32_t y) {
  return alphaBlend_ ? destination_->AlphaBlend(source_, x, y, &source, kTopDown)
                     : destination_->Copy(source_, x, y, &source, kTopDown);
}

int SurfaceFragmentDrawer::StretchedFragment(const Rect& source, int32_t x, int32_t y, const Size& size) {
  return alphaBlend_ ? destination_->StretchAlphaBlend(source_, &size, x, y, &source, kTopDown)
                     : destination_->StretchCopy(source_, &size, x, y, &source, kTopDown);
}

int BlitFragmentDrawer::Whole(int32_t x, int32_t y) {
  return BltFastClipped(destination_, source_, x, y, &sourceClip_, &clip_, colorKey_);
}

int BlitFragmentDrawer::Fragment(const Rect& source, int32_t x, int32_t y) {
  return BltFastClipped(destination_, source_, x, y, &source, &clip_, colorKey_);
}

int BlitFragmentDrawer::StretchedFragment(const Rect& source, int32_t x, int32_t y, const Size& size) {
  return BltClipped(destination_, source_, &size, x, y, &source, &clip_, colorKey_);
}

}  // namespace orrivel
