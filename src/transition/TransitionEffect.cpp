#include "transition/TransitionEffect.h"

#include <new>

#include "base/LowPriority.h"
#include "base/TickSource.h"
#include "base/TimerList.h"
#include "raster/Surface.h"
#include "raster/SurfaceDrawing.h"

namespace orrivel {

namespace {

constexpr int32_t kWholeClip = 65535;
constexpr int32_t kBand = 16;
constexpr uint16_t kHighestLevel = 510;

int32_t Low16(int32_t v) { return v & 0xFFFF; }

Rect ClipOf(Image* image) {
  Rect r;
  image->GetClipRect(&r);
  return r;
}

// Far placements stay far off instead of wrapping round onto the target.
Rect BoxOf(int32_t x, int32_t y, int32_t width, int32_t height) {
  return Rect{x, y, ClampedEdge(x, width), ClampedEdge(y, height)};
}

int32_t Ceil16(int32_t n) { return (n + kBand - 1) / kBand; }

}  // namespace

// --- holder ------------------------------------------------------------------------

uint32_t TransitionEffectHolder::Create(int32_t kind, uint32_t duration, Surface* target,
                                        Surface* source, int32_t a5, int32_t a6, int32_t a7,
                                        int32_t a8, int32_t a9, int32_t a10, int32_t a11,
                                        int32_t a12) {
  if (list_ == nullptr || target == nullptr || kind < 0 || kind >= kTransitionEffectKinds) return 0;
  auto* effect = new (std::nothrow) TransitionEffect();
  if (effect == nullptr) return 0;
  effect->kind_ = kind;
  effect->holder_ = this;
  if (effect->IsCopyKind()) {
    if (source == nullptr) {
      delete effect;
      return 0;
    }
    effect->x_ = a5 == kWholeClip ? 0 : a5;
    effect->y_ = a6;
    effect->blend_ = uint8_t(a7);
    effect->sourceRect_ = Low16(a8) == kWholeClip
                              ? ClipOf(source)
                              : BoxOf(Low16(a8), Low16(a9), Low16(a10), Low16(a11));
    effect->width_ = effect->sourceRect_.Width();
    effect->height_ = effect->sourceRect_.bottom - effect->sourceRect_.top;
  } else {
    effect->area_ = a5 == kWholeClip ? ClipOf(target) : BoxOf(a5, a6, Low16(a7), Low16(a8));
    effect->width_ = effect->area_.Width();
    effect->height_ = effect->area_.bottom - effect->area_.top;
    if (kind >= 8) {
      const int32_t mode = Low16(a9);
      if (mode == 1 || mode == 2) {
        effect->blend_ = uint8_t(mode);
        effect->level_ = uint16_t(a12);
      } else if (mode == 3) {
        effect->blend_ = 3;
        effect->level_ = uint16_t(a10);
      } else {
        effect->blend_ = 0;
        effect->level_ = mode == 0 || mode > 255 ? 128 : uint16_t(mode);
      }
      effect->red_ = uint8_t(a10);
      effect->green_ = uint8_t(a11);
      effect->blue_ = uint8_t(a12);
    }
  }
  effect->duration_ = duration == 0 ? 1 : duration;
  effect->start_ = CurrentTickMs();
  effect->target_.Reset(target);
  effect->source_.Reset(effect->IsCopyKind() ? source : nullptr);
  effect->target_.SetOnBroken([effect] { effect->orphaned_ = true; });
  effect->source_.SetOnBroken([effect] { effect->orphaned_ = true; });
  const uint32_t interval = kind <= 1 ? effect->duration_ / 256 : 0;
  if (list_->Add(effect, interval, interval, 0) != 0) {
    delete effect;
    return 0;
  }
  effect->EnterLowPriority();
  return effect->Handle();
}

TransitionEffect* TransitionEffectHolder::Find(uint32_t handle) const {
  if (list_ == nullptr || handle == 0 || !list_->Contains(handle)) return nullptr;
  for (TimedTask* task : list_->Tasks()) {
    if (task != nullptr && task->Handle() == handle && task->GetTypeId() == kTransitionEffectTypeId)
      return static_cast<TransitionEffect*>(task);
  }
  return nullptr;
}

bool TransitionEffectHolder::Accepts(uint32_t handle) const {
  const TransitionEffect* effect = Find(handle);
  return effect != nullptr && !effect->finished_ && !effect->IsFinished();
}

int32_t TransitionEffectHolder::CompleteIfAccepted(uint32_t handle) {
  if (list_ == nullptr) return 1;
  if (Accepts(handle)) {
    TransitionEffect* effect = Find(handle);
    effect->Step(effect->start_ + effect->duration_);
  }
  return 0;
}

int32_t TransitionEffectHolder::Cancel(uint32_t handle) {
  if (list_ == nullptr) return 1;
  if (Find(handle) != nullptr) list_->Stop(handle);
  return 0;
}

void TransitionEffectHolder::ForgetImage(const Image* image) {
  if (list_ == nullptr || image == nullptr) return;
  for (TimedTask* task : list_->Tasks()) {
    if (task == nullptr || task->GetTypeId() != kTransitionEffectTypeId) continue;
    auto* effect = static_cast<TransitionEffect*>(task);
    if (effect->target_.Get() == image || effect->source_.Get() == image) effect->orphaned_ = true;
  }
}

// --- effect ------------------------------------------------------------------------

TransitionEffect::~TransitionEffect() {
  if (lowPriority_ == 2) orrivel::LeaveLowPriority();
}

void TransitionEffect::EnterLowPriority() {
  if (lowPriority_ == 1 && HasEnterLowPriorityHook()) {
    orrivel::EnterLowPriority();
    lowPriority_ = 2;
  }
}

void TransitionEffect::Pause(uint32_t now) {
  if (PauseCount() == 0) pausedAt_ = now;
  TimedTask::Pause(now);
}

void TransitionEffect::Resume(uint32_t now) {
  const bool paused = PauseCount() > 0;
  TimedTask::Resume(now);
  // The time spent paused does not count towards the effect.
  if (paused && PauseCount() == 0) start_ += now - pausedAt_;
}

bool TransitionEffect::IsCopyKind() const { return (kind_ >= 2 && kind_ <= 7) || kind_ >= 14; }

bool TransitionEffect::UsesTwoCounts() const {
  return kind_ == 4 || kind_ == 7 || kind_ == 10 || kind_ == 13;
}

int32_t TransitionEffect::Units() const {
  switch (kind_) {
    case 2: case 5: case 8: case 11:
      return height_ / 2;
    case 3: case 6: case 9: case 12:
      return width_ / 2;
    case 14: case 15: case 16: case 17:
      return kBand;
    case 18: case 19:
      return Ceil16(width_) + kBand - 1;
    case 20: case 21:
      return Ceil16(height_) + kBand - 1;
    default:
      return 0;
  }
}

int32_t TransitionEffect::Step(uint32_t now) {
  if (finished_) return 1;
  if (orphaned_ || !target_) {
    finished_ = true;
    return 1;
  }
  const uint32_t elapsed = now - start_;
  const bool end = elapsed >= duration_;
  if (kind_ <= 1) {
    StepFade(now, end);
  } else if (UsesTwoCounts()) {
    StepTwoCounts(end ? height_ / 2 : int32_t(double(elapsed) * (height_ / 2) / duration_),
                  end ? width_ / 2 : int32_t(double(elapsed) * (width_ / 2) / duration_), end);
  } else {
    int32_t n = Units();
    if (!end) {
      n = kind_ >= 14 && kind_ <= 17 ? int32_t(uint32_t(elapsed * kBand) / duration_)
                                     : int32_t(double(elapsed) * n / duration_);
    }
    if (n > Units()) n = Units();
    if (n > progress_) {
      DrawUnits(progress_, n);
      progress_ = n;
    }
    if (end) DrawLeftovers();
  }
  if (!end) return 0;
  finished_ = true;
  return 1;
}

void TransitionEffect::StepFade(uint32_t now, bool end) {
  const uint32_t level = (now * 255u - start_ * 255u) / duration_;
  uint8_t d = uint8_t(level - uint32_t(progress_));
  if (end) {
    d = 255;
  } else if (d == 0) {
    return;
  }
  if (kind_ == 0)
    SubColor(target_.Get(), d, d, d, &area_);
  else
    AddColor(target_.Get(), d, d, d, &area_);
  if (holder_ != nullptr && holder_->Tap() != nullptr) holder_->Tap()->Drawn(area_);
  if (!end) progress_ += d;
}

void TransitionEffect::DrawUnits(int32_t from, int32_t to) {
  const int32_t w = width_, h = height_;
  for (int32_t k = from; k < to; ++k) {
    switch (kind_) {
      case 2: case 8:
        DrawRows(h / 2 - 1 - k, h / 2 - k);
        DrawRows(h / 2 + k, h / 2 + k + 1);
        break;
      case 3: case 9:
        DrawColumns(w / 2 - 1 - k, w / 2 - k);
        DrawColumns(w / 2 + k, w / 2 + k + 1);
        break;
      case 5: case 11:
        DrawRows(k, k + 1);
        DrawRows(h - 1 - k, h - k);
        break;
      case 6: case 12:
        DrawColumns(k, k + 1);
        DrawColumns(w - 1 - k, w - k);
        break;
      case 14:
        for (int32_t c = k; c < w; c += kBand) DrawColumns(c, c + 1);
        break;
      case 15:
        for (int32_t c = w - 1 - k; c >= 0; c -= kBand) DrawColumns(c, c + 1);
        break;
      case 16:
        for (int32_t r = k; r < h; r += kBand) DrawRows(r, r + 1);
        break;
      case 17:
        for (int32_t r = h - 1 - k; r >= 0; r -= kBand) DrawRows(r, r + 1);
        break;
      default: {
        // Staggered blinds: band i draws its line k - i at step k.
        const bool columns = kind_ == 18 || kind_ == 19;
        const bool fromEnd = kind_ == 19 || kind_ == 21;
        const int32_t extent = columns ? w : h;
        for (int32_t band = 0; band < Ceil16(extent); ++band) {
          const int32_t line = k - band;
          if (line < 0 || line >= kBand) continue;
          int32_t at = band * kBand + line;
          if (at >= extent) continue;
          if (fromEnd) at = extent - 1 - at;
          if (columns)
            DrawColumns(at, at + 1);
          else
            DrawRows(at, at + 1);
        }
      }
    }
  }
}

void TransitionEffect::StepTwoCounts(int32_t rows, int32_t columns, bool end) {
  const int32_t w = width_, h = height_;
  const int32_t r0 = progress_, c0 = columnsDrawn_;
  const int32_t r1 = rows > r0 ? rows : r0, c1 = columns > c0 ? columns : c0;
  if (kind_ == 4 || kind_ == 10) {
    // The rectangle grows from the centre: strips above and below across
    // its new width, strips left and right along its old height.
    const int32_t cx = w / 2, cy = h / 2;
    DrawFragment(cx - c1, cy - r1, cx + c1, cy - r0);
    DrawFragment(cx - c1, cy + r0, cx + c1, cy + r1);
    DrawFragment(cx - c1, cy - r0, cx - c0, cy + r0);
    DrawFragment(cx + c0, cy - r0, cx + c1, cy + r0);
  } else {
    // The frame closes: strips at the top and bottom across the columns
    // open before, at the sides along the rows still open after.
    DrawFragment(c0, r0, w - c0, r1);
    DrawFragment(c0, h - r1, w - c0, h - r0);
    DrawFragment(c0, r1, c1, h - r1);
    DrawFragment(w - c1, r1, w - c0, h - r1);
  }
  progress_ = r1;
  columnsDrawn_ = c1;
  if (!end) return;
  if (kind_ == 4 || kind_ == 10) {
    const int32_t evenRows = h / 2 * 2;
    if (h % 2 != 0) DrawRows(h - 1, h);
    if (w % 2 != 0) DrawFragment(w - 1, 0, w, evenRows);
  } else {
    DrawFragment(w / 2, h / 2, w - w / 2, h - h / 2);
  }
}

void TransitionEffect::DrawLeftovers() {
  const int32_t w = width_, h = height_;
  switch (kind_) {
    case 2: case 8:
      if (h % 2 != 0) DrawRows(h - 1, h);
      break;
    case 3: case 9:
      if (w % 2 != 0) DrawColumns(w - 1, w);
      break;
    case 5: case 11:
      if (h % 2 != 0) DrawRows(h / 2, h / 2 + 1);
      break;
    case 6: case 12:
      if (w % 2 != 0) DrawColumns(w / 2, w / 2 + 1);
      break;
    default:
      break;
  }
}

void TransitionEffect::DrawFragment(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (left >= right || top >= bottom) return;
  Rect drawn;
  if (IsCopyKind()) {
    const Rect fragment{sourceRect_.left + left, sourceRect_.top + top, sourceRect_.left + right,
                     sourceRect_.top + bottom};
    drawn = Rect{ClampedEdge(x_, left), ClampedEdge(y_, top), ClampedEdge(x_, right), ClampedEdge(y_, bottom)};
    if (blend_ != 0)
      target_->AlphaBlend(source_.Get(), drawn.left, drawn.top, &fragment, false);
    else
      target_->Copy(source_.Get(), drawn.left, drawn.top, &fragment, false);
  } else {
    drawn = Rect{ClampedEdge(area_.left, left), ClampedEdge(area_.top, top), ClampedEdge(area_.left, right),
                 ClampedEdge(area_.top, bottom)};
    switch (blend_) {
      case 0:
        FillAlpha(target_.Get(), red_, green_, blue_, uint8_t(level_), &drawn);
        break;
      case 1:
        AddColor(target_.Get(), red_, green_, blue_, &drawn);
        break;
      case 2:
        SubColor(target_.Get(), red_, green_, blue_, &drawn);
        break;
      default:
        if (level_ > kHighestLevel) return;
        target_->SetBrightness(level_, &drawn);
        break;
    }
  }
  if (holder_ != nullptr && holder_->Tap() != nullptr) holder_->Tap()->Drawn(drawn);
}

}  // namespace orrivel
