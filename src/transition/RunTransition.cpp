#include "transition/RunTransition.h"

#include <optional>

#include "raster/Surface.h"
#include "transition/TransitionModes.h"
#include "transition/TransitionScreen.h"

namespace orrivel {

namespace {

constexpr int32_t kWholeProgress = 256;

bool IsDisplaySurfaceKind(uint8_t kind) {
  return kind == kImageKindSurfaceImage || kind == kImageKindDdSurface;
}

// The back end for the pair of images; false when the pair is refused.
bool ChooseBackend(Image* destination, Image* source, int32_t blend, TransitionScreen* screen,
                   int32_t* backend) {
  if (source == nullptr) return false;
  const uint8_t sourceKind = source->GetKind();
  if (screen != nullptr) {
    *backend = BackendDirectDraw;
    return IsDisplaySurfaceKind(sourceKind);
  }
  if (destination == nullptr) return false;
  const uint8_t destinationKind = destination->GetKind();
  if (destinationKind == kImageKindDib && sourceKind == kImageKindDib) {
    // Device-independent images have no blit surface to hand back end 2.
    *backend = blend == BackendDirectDraw ? kBackendNone : blend;
    return true;
  }
  *backend = BackendDirectDraw;
  return destinationKind == kImageKindSurfaceImage && IsDisplaySurfaceKind(sourceKind);
}

// Fills the back end's part of the frame; false when its target is missing.
bool SetUpBlitTarget(TransitionFrame* frame) {
  if (frame->screen != nullptr) {
    frame->target = frame->screen->BackSurface();
    frame->clip = frame->screen->ContentRect();
  } else if (frame->destination != nullptr) {
    frame->target = frame->destination->GetDisplaySurface();
    frame->destination->GetClipRect(&frame->clip);
  }
  if (frame->target == nullptr) return false;
  frame->sourceBlit = frame->source->GetDisplaySurface();
  frame->colorKey = int32_t(frame->source->GetColorKey());
  return true;
}

}  // namespace

int RunTransitionRoutine(uint32_t mode, Image* destination, Image* source, int32_t progress,
                         int32_t x, int32_t y, int32_t backend, TransitionScreen* screen,
                         FragmentTap* tap) {
  if (progress <= 0) return 0;
  if (mode >= kTransitionModeCount) return -1;
  if (source == nullptr) return 1;
  TransitionFrame frame;
  frame.destination = destination;
  frame.source = source;
  frame.progress = progress;
  frame.x = x;
  frame.y = y;
  frame.backend = backend;
  frame.screen = screen;
  frame.width = source->GetWidth();
  frame.height = source->GetHeight();

  std::optional<SurfaceFragmentDrawer> surfaces;
  std::optional<BlitFragmentDrawer> blits;
  NullFragmentDrawer nothing;
  FragmentDrawer* drawer = &nothing;
  const bool known = backend == BackendCopy || backend == BackendAlphaBlend || backend == BackendDirectDraw;
  if (backend == BackendDirectDraw) {
    if (!SetUpBlitTarget(&frame)) return 1;
    drawer = &blits.emplace(frame.target, frame.clip, frame.sourceBlit, *source->GetClipRectPtr(),
                            frame.colorKey);
  } else if (known) {
    // Every caller hands these back ends surfaces; a bare device-independent
    // image has no drawing operations.
    frame.destinationSurface = dynamic_cast<Surface*>(destination);
    frame.sourceSurface = dynamic_cast<Surface*>(source);
    if (frame.destinationSurface == nullptr || frame.sourceSurface == nullptr) return 1;
    drawer = &surfaces.emplace(frame.destinationSurface, frame.sourceSurface, backend == BackendAlphaBlend);
  }
  if (tap != nullptr) {
    tap->Attach(drawer);
    drawer = tap;
    frame.watched = true;
  }
  frame.draw = drawer;
  if (progress >= kWholeProgress) {
    if (known) return drawer->Whole(x, y);
    // A back end that draws nothing has no whole picture to draw, so the
    // partial frame runs as at any other progress and takes its random
    // numbers. The modes are written for progress up to 256; beyond it they
    // take the same numbers, so the frame is held there.
    frame.progress = kWholeProgress;
  }
  return GetTransitionMode(mode).partialFrame(frame);
}

int RunTransition(uint32_t mode, Image* destination, Image* source, int32_t progress, int32_t x,
                  int32_t y, int32_t blend, TransitionScreen* screen, FragmentTap* tap) {
  int32_t backend = kBackendNone;
  if (!ChooseBackend(destination, source, blend, screen, &backend)) return 1;
  if (mode >= kTransitionModeCount) return -1;
  const int result = RunTransitionRoutine(mode, destination, source, progress, x, y, backend, screen, tap);
  // Two device-independent images with a blend that names no back end: the
  // partial frame still runs (the library's random numbers advance as on
  // every back end), but nothing is drawn and the answer is 0 whatever the
  // mode would have said without its tables.
  const bool draws = backend == BackendCopy || backend == BackendAlphaBlend || backend == BackendDirectDraw;
  return draws ? result : 0;
}

}  // namespace orrivel
