#include "transition/FragmentDrawer.h"

#include <algorithm>

#include "display/SurfacePixelOps.h"
#include "raster/CompositeKernels32.h"
#include "raster/KernelFlags.h"
#include "raster/Kernels32.h"
#include "raster/Surface.h"

namespace orrivel {

// The transitions never draw upside down.
constexpr bool kTopDown = false;

SurfaceFragmentDrawer::SurfaceFragmentDrawer(Surface* destination, Surface* source, bool alphaBlend)
    : destination_(destination), source_(source), alphaBlend_(alphaBlend) {
  if (destination == nullptr || source == nullptr || destination->GetBits() == nullptr ||
      source->GetBits() == nullptr || destination->GetBitsPerPixel() != 32 || source->GetBitsPerPixel() != 32) {
    return;
  }
  // The kernels the surface's copy and alpha blend pick for 32-bit pixels:
  // a keyed copy always takes the plain keyed kernel, the blend no key.
  const bool packed = MmxFlag();
  colorKey_ = source->GetColorKey();
  if (alphaBlend) {
    kernel_ = packed ? PieceKernel::kBlendPacked : PieceKernel::kBlend;
  } else if (colorKey_ != kNoColorKey) {
    kernel_ = PieceKernel::kCopyKeyed;
  } else {
    kernel_ = packed ? PieceKernel::kCopyPacked : PieceKernel::kCopy;
  }
  source->GetClipRect(&sourceClip_);
  destinationClip_ = *destination->GetClipRectPtr();
  destinationBits_ = destination->GetBits();
  sourceBits_ = source->GetBits();
  destinationPitch_ = destination->GetPitch();
  sourcePitch_ = source->GetPitch();
}

void SurfaceFragmentDrawer::DrawPieceRows(uint8_t* to, const uint8_t* from, int32_t width, int32_t height) const {
  const int toSkip = destinationPitch_ - width * 4, fromSkip = sourcePitch_ - width * 4;
  switch (kernel_) {
    case PieceKernel::kCopy:
      CopyPixels32(to, from, toSkip, fromSkip, width, height);
      break;
    case PieceKernel::kCopyPacked:
      CopyPixels32Packed(to, from, toSkip, fromSkip, width, height);
      break;
    case PieceKernel::kCopyKeyed:
      CopyPixels32Keyed(to, from, toSkip, fromSkip, width, height, colorKey_);
      break;
    case PieceKernel::kBlend:
      BlendByAlpha32(to, from, toSkip, fromSkip, width, height);
      break;
    case PieceKernel::kBlendPacked:
      BlendByAlpha32Mmx(to, from, toSkip, fromSkip, width, height);
      break;
    case PieceKernel::kNone:
      break;
  }
}

int SurfaceFragmentDrawer::Whole(int32_t x, int32_t y) {
  return alphaBlend_ ? destination_->AlphaBlend(source_, x, y, nullptr, kTopDown)
                     : destination_->Copy(source_, x, y, nullptr, kTopDown);
}

int SurfaceFragmentDrawer::Fragment(const Rect& source, int32_t x, int32_t y) {
  if (kernel_ != PieceKernel::kNone) {
    // The piece cut to the source's clip (the point moves with a cut left
    // or top edge), then to the destination's, in 64 bits.
    int64_t left = source.left, top = source.top, right = source.right, bottom = source.bottom;
    int64_t px = x, py = y;
    if (sourceClip_.left > left) px += sourceClip_.left - left, left = sourceClip_.left;
    if (sourceClip_.top > top) py += sourceClip_.top - top, top = sourceClip_.top;
    right = std::min<int64_t>(right, sourceClip_.right);
    bottom = std::min<int64_t>(bottom, sourceClip_.bottom);
    if (left >= right || top >= bottom) return 0;
    int64_t toLeft = px, toTop = py, toRight = px + (right - left), toBottom = py + (bottom - top);
    if (destinationClip_.left > toLeft) left += destinationClip_.left - toLeft, toLeft = destinationClip_.left;
    if (destinationClip_.top > toTop) top += destinationClip_.top - toTop, toTop = destinationClip_.top;
    if (toRight > destinationClip_.right) right -= toRight - destinationClip_.right, toRight = destinationClip_.right;
    if (toBottom > destinationClip_.bottom) {
      bottom -= toBottom - destinationClip_.bottom;
      toBottom = destinationClip_.bottom;
    }
    if (left >= right || top >= bottom || toLeft >= toRight || toTop >= toBottom) return 0;
    DrawPieceRows(destinationBits_ + toTop * destinationPitch_ + toLeft * 4, sourceBits_ + top * sourcePitch_ + left * 4,
                  int32_t(toRight - toLeft), int32_t(toBottom - toTop));
    destination_->MarkDirty(Rect{int32_t(toLeft), int32_t(toTop), int32_t(toRight), int32_t(toBottom)});
    return 0;
  }
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
