#include "transition/ZoomFlipFilter.h"

#include <algorithm>
#include <new>

#include "raster/LibraryImageOps.h"
#include "raster/PixelOpEntries.h"
#include "raster/Surface.h"
#include "transition/BandTransitions.h"

namespace orrivel {

namespace {

constexpr int32_t kFullScale = 256;

// The picture at scale/256 of w × h, centred in the area.
Rect CentredPlace(int32_t scale, int32_t w, int32_t h) {
  const int32_t sw = int32_t(int64_t{scale} * w >> 8), sh = int32_t(int64_t{scale} * h >> 8);
  const int32_t x = (w - sw) / 2, y = (h - sh) / 2;
  return Rect{x, y, x + sw, y + sh};
}

// The record's destination band as the library's image: its row 0 is the
// band's first row. A place in the whole area moves by whole pixels into
// it, so each band draws exactly the pixels one whole-area draw would.
PixelOpImage BandOf(const TransitionApplyRecord& r) {
  PixelOpImage view = ViewForLibrary(r.destination);
  view.bits += ptrdiff_t(r.destY) * view.pitch + ptrdiff_t(r.destX) * 4;
  view.width = r.width;
  view.height = r.height;
  return view;
}

}  // namespace

TcpObject* ZoomFlipFilter::Create(int32_t) { return new (std::nothrow) ZoomFlipFilter(); }

int32_t ZoomFlipFilter::SetupV(const ObjectArgument& first, const ObjectArguments& rest) {
  if (const int32_t code = ReadTransitionHead(first, rest, &progress_.time.duration); code != kSetupDone)
    return code;
  mode_ = uint8_t(rest.Cell(1));
  smoothing_ = uint8_t(rest.Cell(2));
  int32_t width = 0, height = 0;
  if (!first.Object<TransitionTarget>()->GetPictureSize(&width, &height)) width = height = 0;
  switch (mode_) {
    case 0:
    case 2:
      maximum_ = uint32_t(std::max(width, 1));
      break;
    case 1:
    case 3:
      maximum_ = uint32_t(std::max(height, 1));
      break;
    case 6:
      maximum_ = kFullScale;
      break;
    default:
      maximum_ = 2 * kFullScale;
      break;
  }
  progress_.time.firstPending = true;
  return kSetupDone;
}

int32_t ZoomFlipFilter::Update(uint32_t now) {
  progress_.Update(now, maximum_);
  return 0;
}

int32_t ZoomFlipFilter::Apply(const TransitionApplyRecord& r) {
  if (r.width <= 0 || r.height <= 0) return 0;
  if (r.from == nullptr || r.to == nullptr ||
      !RectInsideImage(r.destination, r.destX, r.destY, r.width, r.height))
    return kApplyFailed;
  const int32_t w = r.from->GetWidth(), h = r.from->GetHeight();
  const int32_t code = mode_ <= 3 ? ApplyEdgeMode(r, w, h) : ApplyZoomMode(r, w, h);
  if (auto* surface = dynamic_cast<Surface*>(r.destination))
    surface->MarkDirty(Rect{r.destX, r.destY, r.destX + r.width, r.destY + r.height});
  return code;
}

int32_t ZoomFlipFilter::ApplyEdgeMode(const TransitionApplyRecord& r, int32_t w, int32_t h) {
  // The progress runs to the target's size; a from-picture of another size
  // is squeezed no further than its own.
  const bool across = mode_ == 0 || mode_ == 2;
  const int32_t p = int32_t(std::min<uint32_t>(progress_.value, uint32_t(across ? w : h)));
  Rect to, from;
  switch (mode_) {
    case 0:
      to = {0, 0, p, h};
      from = {p, 0, w, h};
      break;
    case 1:
      to = {0, 0, w, p};
      from = {0, p, w, h};
      break;
    case 2:
      to = {w - p, 0, w, h};
      from = {0, 0, w - p, h};
      break;
    default:
      to = {0, h - p, w, h};
      from = {0, 0, w, h - p};
      break;
  }
  if (const int32_t code = Draw(r, {r.to, to, 255}); code != 0) return code;
  return Draw(r, {r.from, from, 255});
}

int32_t ZoomFlipFilter::ApplyZoomMode(const TransitionApplyRecord& r, int32_t w, int32_t h) {
  const int32_t p = int32_t(progress_.value);
  if (mode_ == 6) {
    if (p < 255) {
      if (!RectInsideImage(r.from, r.fromX, r.fromY, r.width, r.height)) return kApplyFailed;
      CopyImageRect32(CurrentCopyKernel32(), r.destination, r.destX, r.destY, r.from,
                      Rect{r.fromX, r.fromY, r.fromX + r.width, r.fromY + r.height});
    }
    return Draw(r, {r.to, CentredPlace(p, w, h), p < 255 ? p : 255});
  }
  // Modes 4 and 5: the old picture shrinks into the centre, then the new
  // one grows out of it.
  const bool leaving = p <= kFullScale;
  const int32_t scale = leaving ? std::max(kFullScale - p, 1) : p - kFullScale;
  int32_t opacity = 255;
  if (mode_ == 5) {
    if (!progress_.changed) return 0;
    if (!progress_.firstFrame && scale != kFullScale) opacity = 8;
  }
  return Draw(r, {leaving ? r.from : r.to, CentredPlace(scale, w, h), opacity});
}

int32_t ZoomFlipFilter::Draw(const TransitionApplyRecord& r, const Placed& placed) const {
  if (placed.place.IsEmpty()) return 0;
  auto stretch = reinterpret_cast<PixelOpSpriteStretchFn>(LibraryEntry(kPixelOpSpriteStretch));
  if (stretch == nullptr) return kApplyFailed;
  const PixelOpImage band = BandOf(r), source = ViewForLibrary(placed.picture);
  const Rect place{placed.place.left - r.areaX, placed.place.top - r.areaY, placed.place.right - r.areaX,
                   placed.place.bottom - r.areaY};
  stretch(&band, &source, &place, 0, 0, nullptr, 0, smoothing_, placed.opacity, 0);
  return 0;
}

}  // namespace orrivel
