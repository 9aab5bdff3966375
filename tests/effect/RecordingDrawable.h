#pragma once
// A drawable that records its alpha, visibility and position, for the
// actions' step-by-step tests. It draws nothing.
#include <cstdint>

#include "raster/Drawable.h"

namespace orrivel::testing {

class RecordingDrawable : public Drawable {
 public:
  RecordingDrawable(uint8_t alpha, bool visible, int32_t x = 0, int32_t y = 0) {
    opacity_ = alpha;
    visible_ = visible ? 1 : 0;
    x_ = x;
    y_ = y;
  }
  int32_t GetWidth() const override { return 10; }
  int32_t GetHeight() const override { return 10; }
  bool SetPosition(int32_t x, int32_t y) override {
    if (x == x_ && y == y_) return false;
    x_ = x;
    y_ = y;
    SetChanged(1);
    return true;
  }
  bool MoveBy(int32_t dx, int32_t dy) override { return SetPosition(x_ + dx, y_ + dy); }
  bool SetDisplaySize(int32_t, int32_t) override { return false; }
  bool InvalidateSourceRect(Rect*) override { return false; }
  bool HitTest(int32_t, int32_t, uint8_t) override { return false; }
  bool Overlaps(const Drawable*) const override { return false; }
  const Rect* GetBoundsPtr() const override { return &bounds_; }
  Rect* GetBounds(Rect* out) const override {
    *out = bounds_;
    return out;
  }
  int DrawTo(Surface*, Rect*) override { return 0; }
  int Draw(Surface*, const Rect&) override { return 0; }

 private:
  Rect bounds_{};
};

}  // namespace orrivel::testing
