// The timed reveal of a page drawn off-screen: a pixel wipe along the line
// boxes, one after the other, copying the page surface onto the window with
// a soft leading edge whose opacity falls over W pixels. The position comes
// from the elapsed time each frame, so a slow frame jumps ahead without
// drift; the edge touches at most four line segments a frame and saves only
// the window pixels it covers, to put them back the next frame.
#include <algorithm>

#include <utility>

#include "frame/MessageTextWindow.h"
#include "raster/BlendTables.h"
#include "raster/LibraryImageOps.h"
#include "scene/FrameStepper.h"

namespace orrivel {

namespace {

// The pixel-operation library's plain copy: operation 3 at full opacity.
constexpr int32_t kCopyOperation = 3;
constexpr int32_t kFullOpacity = 255;

uint32_t* PixelAt(Surface& surface, int32_t x, int32_t y) {
  return reinterpret_cast<uint32_t*>(surface.GetScanLine(y)) + x;
}

// The page pixel over the window pixel at coverage a (0-255).
uint32_t BlendEdgePixel(uint32_t window, uint32_t page, uint8_t a) {
  const uint8_t keep = uint8_t(255 - a);
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint8_t s = uint8_t(page >> shift), d = uint8_t(window >> shift);
    out |= uint32_t(uint8_t(ProductTable[s][a] + ProductTable[d][keep])) << shift;
  }
  return out | uint32_t(CompositeAlphaTable[a][uint8_t(window >> 24)]) << 24;
}

}  // namespace

int32_t MessageTextWindow::SetRevealEdge(int32_t width) {
  if (GetSurface().GetBits() == nullptr) return 1;
  const int32_t fh = FontHeightPx();
  if (width < fh) return 2;
  // The new ramp and strip are both made before either replaces the old
  // one, so a width that cannot be had leaves the old edge working.
  RampBuffer ramp;
  if (uint32_t(width) != ramp_.count) {
    // The ramp falls from full to nothing along the edge.
    if (RampBufferBuild(&ramp, uint32_t(width), 255, 0, 8) != 0) return 3;
  }
  const int32_t across = fh;
  const int32_t w = IsVertical() ? across : width, h = IsVertical() ? width : across;
  Surface strip;
  if (strip.Create(w, h, 32, 0) != 0) return 4;
  strip.FreeBuffers();
  // The strip is made again in the room just proved; should even that
  // fail, the ramp in use stays (a reveal makes its strip when it starts).
  if (edgeStrip_.Create(w, h, 32, 0) != 0) return 4;
  if (ramp.values != nullptr) {
    std::swap(ramp_.values, ramp.values);
    std::swap(ramp_.count, ramp.count);
    std::swap(ramp_.from, ramp.from);
    std::swap(ramp_.to, ramp.to);
    std::swap(ramp_.bits, ramp.bits);
  }
  return 0;
}

int32_t MessageTextWindow::LineExtentAlong(const LineBox& box) const {
  // After the measuring pass: right holds the width, bottom the height.
  return IsVertical() ? box.bottom : box.right;
}

void MessageTextWindow::PrepareReveal(const std::vector<LineBox>& boxes, int32_t offsetX, int32_t offsetY,
                                      uint32_t duration) {
  lines_.assign(boxes.begin(), boxes.end());
  lineCount_ = int32_t(boxes.size());
  pageOffsetX_ = offsetX, pageOffsetY_ = offsetY;
  revealDuration_ = duration;
  stripCount_ = 0;
  revealState_ = kRevealPrepared;
}

int32_t MessageTextWindow::Tick(uint32_t now) {
  if (revealState_ == kRevealPrepared) {
    StartReveal(now);
  } else if (revealState_ == kRevealRunning || revealState_ == kRevealFinish) {
    StepReveal(now);
  }
  if (cursorShown_ && selectedCursor_ < cursors_.size()) {
    FrameStepper& stepper = *cursors_[selectedCursor_]->stepper;
    stepper.Step(now);
    if (FrameStripState* strip = stepper.State()) {
      Rect area = strip->Area();
      WindowSprite().InvalidateSourceRect(&area);
    }
  }
  return 0;
}

void MessageTextWindow::StartReveal(uint32_t now) {
  const int32_t w = int32_t(ramp_.count);
  int32_t total = w, widest = 0;
  for (int32_t i = 0; i < lineCount_; ++i) {
    const LineBox& box = lines_[size_t(i)];
    total += LineExtentAlong(box);
    widest = std::max(widest, IsVertical() ? box.right : box.bottom);
  }
  if (w > 0 && widest > 0) {
    const int32_t sw = IsVertical() ? widest : w, sh = IsVertical() ? w : widest;
    if (edgeStrip_.GetWidth() != sw || edgeStrip_.GetHeight() != sh) edgeStrip_.Create(sw, sh, 32, 0);
  }
  revealTotal_ = total;
  revealLast_ = revealed_ = revealLine_ = revealProgress_ = stripCount_ = 0;
  revealStart_ = now;
  revealState_ = kRevealRunning;
}

void MessageTextWindow::StepReveal(uint32_t now) {
  const int32_t w = int32_t(ramp_.count);
  const uint32_t elapsed = now - revealStart_;
  if (elapsed < revealDuration_ && revealState_ != kRevealFinish) {
    const double fraction = double(uint64_t(elapsed)) / double(uint64_t(revealDuration_));
    const int32_t p = int32_t(fraction * double(uint64_t(uint32_t(revealTotal_))));
    // An unchanged position leaves the edge of the last frame standing.
    if (p == revealLast_) return;
    RestoreStrips();
    revealLast_ = p;
    if (p > w) RevealSpan(p - revealed_ - w, pageOffsetX_, pageOffsetY_);
    if (w > 0) DrawSoftEdge(p);
    return;
  }
  RestoreStrips();
  RevealSpan(revealTotal_ - revealed_ - w, pageOffsetX_, pageOffsetY_);
  EndReveal();
}

void MessageTextWindow::EndReveal() {
  revealState_ = kRevealNone;
  const int32_t pacing = pacing_ ? pacing_() : 0;
  if (cursorAfterText_ && (pacing == 0 || pacing == 1)) ShowCursor(true);
}

bool MessageTextWindow::FinishReveal() {
  if (revealState_ == kRevealPrepared) {
    Tick(0);
    revealState_ = kRevealFinish;
    Tick(0);
    return true;
  }
  if (revealState_ == kRevealRunning) {
    revealState_ = kRevealFinish;
    StepReveal(revealStart_);
    return true;
  }
  return false;
}

void MessageTextWindow::RestoreStrips() {
  int32_t along = 0;
  for (int32_t i = 0; i < stripCount_; ++i) {
    Rect& strip = strips_[i];
    const Rect source = IsVertical() ? Rect{0, along, strip.Width(), along + strip.Height()}
                                     : Rect{along, 0, along + strip.Width(), strip.Height()};
    GetSurface().Copy(&edgeStrip_, strip.left, strip.top, &source, false);
    WindowSprite().InvalidateSourceRect(&strip);
    along += IsVertical() ? strip.Height() : strip.Width();
  }
  stripCount_ = 0;
}

void MessageTextWindow::CopyPageRect(const Rect& pageRect) {
  if (pageRect.IsEmpty()) return;
  const int32_t x = pageRect.left + pageOffsetX_, y = pageRect.top + pageOffsetY_;
  if (DrawImageOp(&GetSurface(), &pageSurface_, kCopyOperation, kFullOpacity, 0, x, y, &pageRect) != 0) {
    // Without the library the engine's own copy does the same.
    GetSurface().Copy(&pageSurface_, x, y, &pageRect, false);
  }
  Rect placed{x, y, x + pageRect.Width(), y + pageRect.Height()};
  Rect clipped;
  if (IntersectRects(&clipped, placed, Rect{0, 0, GetWidth(), GetHeight()}))
    WindowSprite().InvalidateSourceRect(&clipped);
}

void MessageTextWindow::RevealSpan(int32_t amount, int32_t ox, int32_t oy) {
  revealed_ += amount;
  pageOffsetX_ = ox, pageOffsetY_ = oy;
  while (amount > 0 && revealLine_ < lineCount_) {
    const LineBox& box = lines_[size_t(revealLine_)];
    const int32_t extent = LineExtentAlong(box);
    const int32_t start = revealProgress_;
    int32_t length = amount;
    if (start + amount < extent) {
      revealProgress_ += amount;
      amount = 0;
    } else {
      length = extent - start;
      ++revealLine_;
      revealProgress_ = 0;
      amount -= length;
    }
    if (IsVertical()) CopyPageRect(Rect{box.left, box.top + start, box.left + box.right, box.top + start + length});
    else CopyPageRect(Rect{box.left + start, box.top, box.left + start + length, box.top + box.bottom});
  }
}

void MessageTextWindow::DrawSoftEdge(int32_t p) {
  const int32_t w = int32_t(ramp_.count);
  const uint8_t* ramp = ramp_.Bytes();
  if (ramp == nullptr || edgeStrip_.GetBits() == nullptr) return;
  int32_t remaining = std::min(w, p);
  int32_t rampIndex = w - remaining;
  int32_t line = revealLine_, progress = revealProgress_;
  int32_t stripAlong = 0;
  const Rect window{0, 0, GetWidth(), GetHeight()};
  while (remaining > 0 && line < lineCount_ && stripCount_ < kMaxEdgeStrips) {
    const LineBox& box = lines_[size_t(line)];
    const int32_t extent = LineExtentAlong(box);
    const int32_t length = std::min(remaining, extent - progress);
    // The segment on the page, then on the window.
    const Rect page = IsVertical()
                          ? Rect{box.left, box.top + progress, box.left + box.right, box.top + progress + length}
                          : Rect{box.left + progress, box.top, box.left + progress + length, box.top + box.bottom};
    const Rect placed{page.left + pageOffsetX_, page.top + pageOffsetY_, page.right + pageOffsetX_,
                      page.bottom + pageOffsetY_};
    Rect cut;
    const bool visible = IntersectRects(&cut, placed, window) &&
                         IntersectRects(&cut, cut,
                                        Rect{pageOffsetX_, pageOffsetY_, pageOffsetX_ + pageSurface_.GetWidth(),
                                             pageOffsetY_ + pageSurface_.GetHeight()});
    if (visible) {
      // Save what lies under it, side by side in the strip surface.
      const Rect source = cut;
      if (IsVertical()) edgeStrip_.Copy(&GetSurface(), 0, stripAlong, &source, false);
      else edgeStrip_.Copy(&GetSurface(), stripAlong, 0, &source, false);
      for (int32_t y = cut.top; y < cut.bottom; ++y) {
        uint32_t* out = PixelAt(GetSurface(), cut.left, y);
        const uint32_t* in = PixelAt(pageSurface_, cut.left - pageOffsetX_, y - pageOffsetY_);
        for (int32_t x = cut.left; x < cut.right; ++x, ++out, ++in) {
          const int32_t column = IsVertical() ? y - placed.top : x - placed.left;
          const uint8_t a = ProductTable[uint8_t(*in >> 24)][ramp[rampIndex + column]];
          *out = BlendEdgePixel(*out, *in, a);
        }
      }
      Rect dirty = cut;
      WindowSprite().InvalidateSourceRect(&dirty);
      strips_[stripCount_++] = cut;
      stripAlong += IsVertical() ? cut.Height() : cut.Width();
    }
    remaining -= length;
    rampIndex += length;
    progress += length;
    if (progress >= extent) {
      ++line;
      progress = 0;
    }
  }
}

}  // namespace orrivel
