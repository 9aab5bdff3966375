#include "effect/QuakeEffect.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/MathTables.h"
#include "base/SubtractiveRandom.h"
#include "base/TimerList.h"
#include "effect/BuiltinEffects.h"
#include "effect/OverlayTarget.h"
#include "raster/Rect.h"
#include "raster/Surface.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

int32_t Trunc(double value) { return static_cast<int32_t>(std::trunc(value)); }

double Fraction(SubtractiveRandom& random) { return double(random.Next()) * 1e-9; }

// sin(phase) in 16.16 from the published tables; the tables the game
// publishes and this fallback are built the same way.
int32_t SineOf(int32_t phase) {
  static const MathTables fallback;
  const MathTables* tables = GetMathTables();
  return (tables != nullptr ? tables : &fallback)->Sin(phase);
}

Surface* BackgroundPicture(const SpriteCanvas& canvas, int32_t* x, int32_t* y) {
  Surface* picture = nullptr;
  canvas.GetBackground(&picture, x, y, nullptr, nullptr, nullptr);
  return picture;
}

}  // namespace

// The timer list stops a quake (which restores the pages) before deleting
// it, except when the list itself goes at exit, when the pages may already
// be gone.
QuakeEffect::~QuakeEffect() = default;

int32_t QuakeEffect::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  if (OverlayEffectRandom() == nullptr) return kNotStarted;
  const OverlayPages pages = FindOverlayPages(target.Object<LayerHost>());
  if (timerList == nullptr || pages.host == nullptr || cells.count == 0 || pages.first == nullptr ||
      pages.second == nullptr)
    return kBadArguments;
  copyMode_ = cells.Cell(5) != 0;
  pages_[0] = Page{pages.first, cells.Cell(6) != 0, 0, 0};
  pages_[1] = Page{pages.second, cells.Cell(7) != 0, 0, 0};
  for (Page& page : pages_) BackgroundPicture(*page.canvas, &page.baseX, &page.baseY);
  if (copyMode_) {
    for (Page& page : pages_) {
      if (!page.shakes || page.canvas->CreateBackgroundCopy(1) == 0) continue;
      // A page left showing an empty copy would lose its background.
      ReleaseWorkCopies();
      return kNoWorkCopy;
    }
  }
  duration_ = uint32_t(cells.Cell(3));
  const int32_t swing = cells.Cell(0);
  swing_ = duration_ != 0 ? int32_t(uint32_t(swing) << 8) : (swing < 0 ? -swing : swing);
  amplitudeX_ = double(cells.Cell(1));
  amplitudeY_ = double(cells.Cell(2));
  endScale_ = DecimalCell(cells, 4, 0.0, kScaleDecimals);
  firstUpdate_ = true;
  stop_ = StopState::Running;
  restored_ = false;
  if (timerList->Add(this, 0, 0, 0) != 0) {
    ReleaseWorkCopies();
    return kNotStarted;
  }
  if (cells.Cell(8) != 0) EnterLowPriority();
  return 0;
}

int32_t QuakeEffect::ControlV(const ObjectArguments& cells) {
  if (cells.Cell(0) == 0 && stop_ == StopState::Running) stop_ = StopState::Requested;
  return 0;
}

int32_t QuakeEffect::Step(uint32_t now) {
  if (firstUpdate_) {
    firstUpdate_ = false;
    startTick_ = now;
    alternate_ = false;
  }
  uint32_t elapsed = now - startTick_;
  double scale = 1.0;
  int32_t phase = 0;
  if (duration_ != 0) {
    if (elapsed >= duration_) {
      Finish();
      return -1;
    }
    const double t = double(elapsed) / double(duration_);
    scale = 1.0 - (1.0 - endScale_) * t;
    if (swing_ != 0) phase = Trunc(double(swing_) * t);
  } else {
    if (swing_ == 0 && stop_ == StopState::Requested) stop_ = StopState::Stopping;
    if (swing_ != 0) {
      if (elapsed >= uint32_t(swing_)) {
        startTick_ = now;
        elapsed = uint32_t(swing_);
        if (stop_ == StopState::Requested) stop_ = StopState::Stopping;
      }
      phase = Trunc(double(elapsed) / double(swing_) * 511.0);
    }
    if (stop_ == StopState::Stopping) {
      Finish();
      return -1;
    }
  }
  int32_t dx = 0, dy = 0;
  if (swing_ != 0) {
    SwingShake(phase, scale, &dx, &dy);
  } else {
    SubtractiveRandom* random = OverlayEffectRandom();
    if (random != nullptr) RandomShake(*random, scale, &dx, &dy);
  }
  Apply(-dx, -dy);
  return 0;
}

void QuakeEffect::SwingShake(int32_t phase, double scale, int32_t* dx, int32_t* dy) const {
  const int64_t c = SineOf(phase);
  *dx = Trunc(double((int64_t{Trunc(amplitudeX_)} * c) >> 16) * scale);
  *dy = Trunc(double((int64_t{Trunc(amplitudeY_)} * c) >> 16) * scale);
}

void QuakeEffect::RandomShake(SubtractiveRandom& random, double scale, int32_t* dx, int32_t* dy) {
  const double r1 = Fraction(random);
  const double r2 = Fraction(random);
  const double ax = amplitudeX_, ay = amplitudeY_;
  // The smaller axis jitters about zero; the larger one jumps to one side
  // and to the other on alternate jolts.
  const int32_t jitterX = Trunc((r1 * ax - 0.5 * ax) * scale);
  const int32_t jitterY = Trunc((r2 * ay - 0.5 * ay) * scale);
  if (ax == ay) {
    *dx = jitterX;
    *dy = jitterY;
  } else if (ax < ay) {
    *dx = jitterX;
    *dy = alternate_ ? Trunc(r2 * ay * scale) : Trunc(-r2 * ay * scale);
  } else {
    *dx = alternate_ ? Trunc(r1 * ax * scale) : Trunc(-r1 * ax * scale);
    *dy = jitterY;
  }
  alternate_ = !alternate_;
}

void QuakeEffect::Apply(int32_t x, int32_t y) {
  offsetX_ = x;
  offsetY_ = y;
  for (Page& page : pages_)
    if (page.shakes) ApplyToPage(page, x, y);
}

void QuakeEffect::ApplyToPage(Page& page, int32_t x, int32_t y) {
  int32_t currentX = 0, currentY = 0;
  Surface* picture = BackgroundPicture(*page.canvas, &currentX, &currentY);
  if (picture == nullptr) return;
  const int32_t newX = page.baseX + x, newY = page.baseY + y;
  if (!copyMode_) {
    page.canvas->SetBackgroundOffsets(newX, newY);
    return;
  }
  if (Surface* copy = page.canvas->BackCopy())
    DrawShiftedPicture(*copy, *picture, newX, newY, page.canvas->GetBackgroundValue());
  page.canvas->MarkAllChanged();
}

void DrawShiftedPicture(Surface& copy, Surface& picture, int32_t x, int32_t y, uint32_t fill) {
  if (copy.GetBits() == nullptr) return;
  const int64_t width = copy.GetWidth(), height = copy.GetHeight();
  const Rect source{std::max(0, -x), std::max(0, -y), picture.GetWidth(), picture.GetHeight()};
  const int64_t left = std::clamp<int64_t>(x, 0, width), top = std::clamp<int64_t>(y, 0, height);
  const int64_t right = std::clamp<int64_t>(int64_t{x} + picture.GetWidth(), left, width);
  const int64_t bottom = std::clamp<int64_t>(int64_t{y} + picture.GetHeight(), top, height);
  if (left < right && top < bottom && source.left < source.right && source.top < source.bottom)
    copy.Copy(&picture, int32_t(left), int32_t(top), &source, false);
  const Rect bands[] = {
      {0, 0, int32_t(width), int32_t(top)},
      {0, int32_t(bottom), int32_t(width), int32_t(height)},
      {0, int32_t(top), int32_t(left), int32_t(bottom)},
      {int32_t(right), int32_t(top), int32_t(width), int32_t(bottom)},
  };
  for (const Rect& band : bands)
    if (band.left < band.right && band.top < band.bottom) copy.FillRect(fill, &band);
}

void QuakeEffect::ReleaseWorkCopies() {
  for (Page& page : pages_) {
    if (!page.shakes || page.canvas == nullptr || page.canvas->BackCopy() == nullptr) continue;
    page.canvas->ReleaseBackCopy();
    page.canvas->MarkAllChanged();
  }
}

void QuakeEffect::Finish() {
  if (restored_ || pages_[0].canvas == nullptr) return;
  restored_ = true;
  if (copyMode_) {
    ReleaseWorkCopies();
    copyMode_ = false;
  }
  for (Page& page : pages_) {
    if (!page.shakes) continue;
    int32_t x = 0, y = 0;
    if (BackgroundPicture(*page.canvas, &x, &y) == nullptr) continue;
    page.canvas->SetBackgroundOffsets(page.baseX, page.baseY);
  }
  offsetX_ = offsetY_ = 0;
}

}  // namespace orrivel
