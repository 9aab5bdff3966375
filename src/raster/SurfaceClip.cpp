// Clip set-up of the blits: which source pixels land where, and the stepping
// of stretched and filtered blits.
#include <algorithm>
#include <cstdint>

#include "raster/Surface.h"

namespace orrivel {

namespace {

// A rectangle in 64 bits while it is being cut, so that far-off positions
// cannot wrap.
struct WideRect {
  int64_t left, top, right, bottom;
  bool Empty() const { return left >= right || top >= bottom; }
  Rect Narrow() const {
    return Rect{int32_t(left), int32_t(top), int32_t(right), int32_t(bottom)};
  }
};

WideRect Widen(const Rect& r) { return WideRect{r.left, r.top, r.right, r.bottom}; }

int64_t CutBefore(int64_t edge, int64_t clipEdge) { return clipEdge > edge ? clipEdge - edge : 0; }
int64_t CutAfter(int64_t edge, int64_t clipEdge) { return edge > clipEdge ? edge - clipEdge : 0; }

// Continues the stepping of a stretched walk past `skipped` destination
// pixels: returns the source pixels passed over and leaves the error where
// the unclipped walk has it at that point, so a clipped blit reads the very
// source pixels the unclipped one would.
int64_t SkipStretched(int64_t skipped, int64_t step, int64_t remainder, int64_t denominator,
                      int64_t* error) {
  const int64_t total = *error + skipped * remainder;
  const int64_t carries = total >= 0 ? total / denominator + 1 : 0;
  *error = total - carries * denominator;
  return skipped * step + carries;
}

}  // namespace

int Surface::ClipBlit(Surface* source, int32_t x, int32_t y, const Rect* sourceRect,
                      const Size* size, StretchStep* step, const Rect* destClip, bool flip) {
  return ClipBlitImpl(source, x, y, sourceRect, size, step, destClip, false, flip);
}

int Surface::ClipBlitMirrored(Surface* source, int32_t x, int32_t y, const Rect* sourceRect,
                              const Size* size, StretchStep* step, const Rect* destClip,
                              bool flip) {
  return ClipBlitImpl(source, x, y, sourceRect, size, step, destClip, true, flip);
}

int Surface::ClipBlitImpl(Surface* source, int32_t x, int32_t y, const Rect* sourceRect,
                          const Size* size, StretchStep* step, const Rect* destClip, bool mirror,
                          bool flip) {
  if (source == nullptr && sourceRect == nullptr) return 1;
  if (size != nullptr && step == nullptr) return 2;

  // 1. The source rectangle, narrowed to the source's clip: every pixel
  // left keeps the place it would have been drawn at.
  int64_t px = x, py = y;
  WideRect src;
  if (sourceRect != nullptr) {
    src = Widen(*sourceRect);
    if (source != nullptr) {
      Rect sc;
      source->GetClipRect(&sc);
      const int64_t cl = CutBefore(src.left, sc.left), cr = CutAfter(src.right, sc.right);
      const int64_t ct = CutBefore(src.top, sc.top), cb = CutAfter(src.bottom, sc.bottom);
      src.left += cl;
      src.right -= cr;
      src.top += ct;
      src.bottom -= cb;
      px += mirror ? cr : cl;
      py += flip ? cb : ct;
    }
  } else {
    Rect sc;
    source->GetClipRect(&sc);
    src = Widen(sc);
  }
  blitSource_ = src.Empty() ? Rect{} : src.Narrow();
  if (src.Empty()) return -1;

  // 2. The destination clip.
  Rect clip = clipRect_;
  if (destClip != nullptr && !IntersectRects(&clip, *destClip, clipRect_)) return -1;

  if (size == nullptr) {
    // 3. Unscaled: each side cut at the destination comes off the source
    // side that lands there.
    WideRect dst{px, py, px + (src.right - src.left), py + (src.bottom - src.top)};
    const int64_t cl = CutBefore(dst.left, clip.left), cr = CutAfter(dst.right, clip.right);
    const int64_t ct = CutBefore(dst.top, clip.top), cb = CutAfter(dst.bottom, clip.bottom);
    dst.left += cl;
    dst.right -= cr;
    dst.top += ct;
    dst.bottom -= cb;
    (mirror ? src.right : src.left) += mirror ? -cl : cl;
    (mirror ? src.left : src.right) += mirror ? cr : -cr;
    (flip ? src.bottom : src.top) += flip ? -ct : ct;
    (flip ? src.top : src.bottom) += flip ? cb : -cb;
    if (src.Empty() || dst.Empty()) return -1;
    blitSource_ = src.Narrow();
    blitDest_ = dst.Narrow();
    return 0;
  }

  // 4. Scaled.
  const int64_t dw = size->width, dh = size->height;
  if (dw <= 0 || dh <= 0) return -1;
  const int64_t sw = src.right - src.left, sh = src.bottom - src.top;
  const int64_t xStep = sw / dw, xRemainder = sw % dw;
  const int64_t yStep = sh / dh, yRemainder = sh % dh;
  // Errors start one below -denominator, so that a carry comes only once
  // the error has passed 0.
  int64_t xError = -dw - 1, yError = -dh - 1;
  WideRect dst{px, py, px + dw, py + dh};
  if (const int64_t cut = CutBefore(dst.left, clip.left); cut > 0) {
    const int64_t skipped = SkipStretched(cut, xStep, xRemainder, dw, &xError);
    (mirror ? src.right : src.left) += mirror ? -skipped : skipped;
    dst.left += cut;
  }
  if (const int64_t cut = CutBefore(dst.top, clip.top); cut > 0) {
    const int64_t skipped = SkipStretched(cut, yStep, yRemainder, dh, &yError);
    (flip ? src.bottom : src.top) += flip ? -skipped : skipped;
    dst.top += cut;
  }
  dst.right = std::min<int64_t>(dst.right, clip.right);
  dst.bottom = std::min<int64_t>(dst.bottom, clip.bottom);
  if (src.Empty() || dst.Empty()) return -1;
  blitSource_ = src.Narrow();
  blitDest_ = dst.Narrow();
  *step = StretchStep{int32_t(xError), int32_t(xRemainder), int32_t(dw), int32_t(xStep),
                      int32_t(yError), int32_t(yRemainder), int32_t(dh), int32_t(yStep)};
  return 0;
}

bool Surface::SetupStretch(Rect* dest, Rect* source, const Rect& sourceClip, const Rect& destClip,
                           ScaleStep* step) {
  Rect& a = *source;
  Rect& b = *dest;
  if (a.left > a.right || a.top > a.bottom) return false;
  if (a.Width() == 0 || a.Height() == 0 || b.Width() <= 0 || b.Height() <= 0) return false;
  *step = ScaleStep{};

  // One axis: a0/a1 the source edges, b0/b1 the destination edges.
  auto axis = [](int32_t& a0, int32_t& a1, int32_t& b0, int32_t& b1, int32_t clipA0,
                 int32_t clipA1, int32_t clipB0, int32_t clipB1, uint64_t* increment,
                 uint32_t* fraction) {
    const uint64_t aSize = uint64_t(int64_t(a1) - a0), bSize = uint64_t(int64_t(b1) - b0);
    *increment = (aSize << 32) / bSize;
    if (clipA0 > a0) {
      b0 += int32_t((uint64_t(int64_t(clipA0) - a0) * bSize) / aSize);
      a0 = clipA0;
    }
    if (clipB0 > b0) {
      const uint64_t t = uint64_t(int64_t(clipB0) - b0) * *increment;
      a0 += int32_t(t >> 32);
      *fraction = uint32_t(t);
      b0 = clipB0;
    }
    if (clipA1 < a1) {
      b1 -= int32_t((uint64_t(int64_t(a1) - clipA1) * bSize) / aSize) + 1;
      a1 = clipA1;
    }
    if (clipB1 < b1) {
      a1 -= int32_t((uint64_t(int64_t(b1) - clipB1) * *increment) >> 32);
      b1 = clipB1;
    }
  };
  axis(a.top, a.bottom, b.top, b.bottom, sourceClip.top, sourceClip.bottom, destClip.top,
       destClip.bottom, &step->yIncrement, &step->yFraction);
  if (b.top >= b.bottom) return false;
  axis(a.left, a.right, b.left, b.right, sourceClip.left, sourceClip.right, destClip.left,
       destClip.right, &step->xIncrement, &step->xFraction);
  return b.left < b.right;
}

}  // namespace orrivel
