#include "display/SurfaceImage.h"
#include "display/SurfacePixelOps.h"
#include "raster/PixelFormat.h"
#include "raster/Surface.h"
#include "raster/SurfaceDrawing.h"
#include "transition/ModeFragments.h"

namespace orrivel {
namespace {

// Results of the blit-surface paths beyond those of the pixel operations.
constexpr int kLockFailed = 3;
constexpr int kUnlockFailed = 4;
// The cross-fade has no partial frames on blit surfaces.
constexpr int kNoBlitCrossFade = -1;

bool OnSurfaces(const TransitionFrame& frame) {
  return (frame.backend == BackendCopy || frame.backend == BackendAlphaBlend) &&
         frame.destinationSurface != nullptr && frame.sourceSurface != nullptr;
}

// The three bytes of a blend factor word (blue low, then green, then red).
uint32_t GreyFactor(int32_t weight) { return uint32_t(weight) * 0x010101u; }

// The whole source in place; the effect that follows works on what landed.
void DrawWholeSource(const TransitionFrame& frame) {
  frame.draw->Fragment(Rect{0, 0, frame.width, frame.height}, frame.x, frame.y);
}

Rect PlacedArea(const TransitionFrame& frame) {
  return Rect{frame.x, frame.y, Placed(frame.x, frame.width), Placed(frame.y, frame.height)};
}

// Locks the whole target surface, runs the effect on its pixels and
// unlocks it. A display-surface source names its own pixel format;
// otherwise the locked surface's format is classified.
template <typename Effect>
int OnLockedTarget(const TransitionFrame& frame, Effect effect) {
  platform::SurfaceLock lock;
  if (frame.target->Lock(nullptr, &lock) != platform::kSurfaceOk) return kLockFailed;
  const auto* surfaceImage = frame.source->GetKind() == kImageKindSurfaceImage
                                 ? dynamic_cast<const SurfaceImage*>(frame.source)
                                 : nullptr;
  const uint32_t format = surfaceImage != nullptr
                              ? surfaceImage->FormatCode()
                              : GetSurfacePixelFormat(nullptr, nullptr, &lock.format);
  Rect clip = frame.clip;
  const int result = effect(format, lock.bits, lock.pitch, &clip);
  if (frame.target->Unlock() != platform::kSurfaceOk) return kUnlockFailed;
  return result;
}

// The whole source, then blocks of one colour over it: 64 pixels at the
// start, one smaller every four steps, 1 (no change) from 252 on.
int DrawMosaic(const TransitionFrame& frame, uint8_t anchor) {
  const int32_t block = ((255 - frame.progress) >> 2) + 1;
  DrawWholeSource(frame);
  Rect area = PlacedArea(frame);
  if (OnSurfaces(frame)) return Mosaic(frame.destinationSurface, block, anchor, &area);
  if (frame.backend != BackendDirectDraw) return 0;
  return OnLockedTarget(frame, [&](uint32_t format, uint8_t* bits, int32_t pitch, Rect* clip) {
    return MosaicSurfaceRect(format, bits, pitch, &area, clip, block, anchor);
  });
}

}  // namespace

int TransitionCrossFade(const TransitionFrame& frame) {
  if (frame.backend == BackendDirectDraw) return kNoBlitCrossFade;
  if (!OnSurfaces(frame)) return 0;
  // The weights add up to 255; at progress 1 the source weighs nothing.
  if (frame.backend == BackendCopy) {
    return frame.destinationSurface->BlendModulated(frame.sourceSurface, GreyFactor(256 - frame.progress),
                                                    GreyFactor(frame.progress - 1), frame.x, frame.y, nullptr);
  }
  return DrawAlphaBlend(frame.destinationSurface, 0, frame.sourceSurface, uint8_t(frame.progress - 1), frame.x,
                        frame.y, nullptr);
}

int TransitionMosaicCentred(const TransitionFrame& frame) { return DrawMosaic(frame, 0); }
int TransitionMosaicCorner(const TransitionFrame& frame) { return DrawMosaic(frame, 1); }

// Every partial frame is the source's negative; progress plays no part.
int TransitionNegativeFlash(const TransitionFrame& frame) {
  DrawWholeSource(frame);
  Rect area = PlacedArea(frame);
  if (OnSurfaces(frame)) return Negate(frame.destinationSurface, 0, &area);
  if (frame.backend != BackendDirectDraw) return 0;
  return OnLockedTarget(frame, [&](uint32_t format, uint8_t* bits, int32_t pitch, Rect* clip) {
    return NegateSurfaceRect(0, format, bits, pitch, &area, clip);
  });
}

}  // namespace orrivel
