#include "effect/SpriteFadeAction.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "base/LowPriority.h"
#include "base/TimerList.h"
#include "raster/Drawable.h"

namespace orrivel {
namespace {

// t shaped by the exponent: a positive one starts slowly, a negative one
// ends slowly.
double ShapeProgress(double t, double curve) {
  if (curve > 0) return std::pow(t, curve);
  if (curve < 0) return 1.0 - std::pow(1.0 - t, -curve);
  return t;
}

int32_t Interpolate(int32_t from, int32_t to, double s) {
  return static_cast<int32_t>(std::trunc(double(from) + double(to - from) * s));
}

}  // namespace

SpriteFadeAction::~SpriteFadeAction() { Reset(); }

void SpriteFadeAction::EndRun() {
  if (!running_) return;
  running_ = false;
  if (lowPriorityPerRun_) LeaveLowPriority();
}

void SpriteFadeAction::Reset() {
  entries_.reset();
  entryCount_ = 0;
  EndRun();
}

int32_t SpriteFadeAction::SetupV(TimerList* timerList, const ObjectArgument&, const ObjectArguments& cells) {
  const int32_t count = cells.Cell(0);
  if (!timerList || count < 1) return 1;
  Reset();
  if (count > kMaxEntries) return -1;
  entries_.reset(new (std::nothrow) Entry[size_t(count)]);
  if (!entries_) return -1;
  entryCount_ = count;
  releaseWhenDone_ = cells.Cell(1) != 0;
  lowPriorityPerRun_ = cells.Cell(2) != 0 && GetLowPriority() == LowPriority::Requested && HasEnterLowPriorityHook();
  if (timerList->Add(this, 0, 0, 0) != 0) return 3;
  return 0;
}

int32_t SpriteFadeAction::ControlV(const ObjectArguments& cells) {
  const int32_t mode = cells.Cell(0);
  if (mode <= 0) {
    Complete();
    return 0;
  }
  const bool move = cells.Cell(5) != 0;
  return SetTarget(cells.Cell(1), cells.Object<Drawable>(2), mode == kControlFadeIn, uint32_t(cells.Cell(3)),
                   uint32_t(cells.Cell(4)), move, move ? cells.Cell(6) : 0, move ? cells.Cell(7) : 0,
                   move ? double(cells.Cell(8)) : 0.0);
}

int32_t SpriteFadeAction::QueryV(const ObjectArguments&) { return running_ ? 1 : 0; }

int32_t SpriteFadeAction::SetTarget(int32_t index, Drawable* target, bool fadeIn, uint32_t fullDuration,
                                    uint32_t delay, bool move, int32_t endX, int32_t endY, double curve) {
  if (index < 0 || index >= entryCount_ || !target) return 1;
  Entry& entry = entries_[size_t(index)];
  entry.target = target;
  Watch(target);
  if (target->IsVisible()) {
    entry.startAlpha = target->GetOpacity();
  } else {
    // Hidden until its fade starts, from nothing.
    entry.startAlpha = 0;
    target->SetOpacity(0);
  }
  entry.endAlpha = fadeIn ? 255 : 0;
  const uint32_t span = fadeIn ? 255u - entry.startAlpha : entry.startAlpha;
  const double full = fullDuration == 0 ? 1.0 : double(fullDuration);
  entry.duration = static_cast<uint32_t>(double(span) * (1.0 / 255.0) * full);
  entry.delay = delay;
  entry.move = move;
  entry.startTick = 0;
  if (move) {
    entry.startX = target->GetX();
    entry.startY = target->GetY();
    entry.endX = endX;
    entry.endY = endY;
    entry.curve = curve;
  }
  if (!running_) {
    running_ = true;
    // The hook itself: the base's own request stays pending and separate.
    if (lowPriorityPerRun_) orrivel::EnterLowPriority();
  }
  return 0;
}

bool SpriteFadeAction::StepEntry(Entry& entry, uint32_t now) {
  Drawable* target = entry.target;
  if (!target) return false;
  if (entry.startTick == 0) {
    // The first step only takes the clock.
    entry.startTick = now;
    if (entry.delay == 0) target->SetVisible(1);
    return true;
  }
  uint32_t elapsed = now - entry.startTick;
  if (entry.delay != 0) {
    if (elapsed <= entry.delay) return true;
    entry.startTick += entry.delay;
    elapsed -= entry.delay;
    entry.delay = 0;
    target->SetVisible(1);
  }
  elapsed = std::min(elapsed, entry.duration);
  const double t = entry.duration == 0 ? 1.0 : double(elapsed) / double(entry.duration);
  const int alpha = int(entry.startAlpha) + int(std::trunc((int(entry.endAlpha) - int(entry.startAlpha)) * t));
  target->SetOpacity(static_cast<uint8_t>(alpha));
  if (entry.move) {
    const double s = ShapeProgress(t, entry.curve);
    target->SetPosition(Interpolate(entry.startX, entry.endX, s), Interpolate(entry.startY, entry.endY, s));
  }
  if (elapsed == entry.duration) {
    if (entry.endAlpha == 0) {
      target->SetVisible(0);
      target->SetOpacity(255);
    }
    entry.target = nullptr;
  }
  return true;
}

int32_t SpriteFadeAction::Step(uint32_t now) {
  if (!running_) return 0;
  bool anyActive = false;
  for (int32_t i = 0; i < entryCount_; ++i) anyActive |= StepEntry(entries_[size_t(i)], now);
  if (anyActive) return 0;
  EndRun();
  return releaseWhenDone_ ? 1 : 0;
}

void SpriteFadeAction::Complete() {
  if (!running_) return;
  for (int32_t i = 0; i < entryCount_; ++i) {
    Entry& entry = entries_[size_t(i)];
    if (!entry.target) continue;
    entry.target->SetOpacity(255);
    if (entry.endAlpha == 0) entry.target->SetVisible(0);
    if (entry.move) entry.target->SetPosition(entry.endX, entry.endY);
    entry.target = nullptr;
  }
  EndRun();
}

LayerAction::Loss SpriteFadeAction::LosingSprite(const Drawable& sprite) const {
  for (int32_t i = 0; i < entryCount_; ++i) {
    if (entries_[size_t(i)].target == &sprite) return Loss::Part;
  }
  return Loss::None;
}

void SpriteFadeAction::LetGoSprite(const Drawable& sprite) {
  for (int32_t i = 0; i < entryCount_; ++i) {
    Entry& entry = entries_[size_t(i)];
    if (entry.target == &sprite) entry = Entry{};
  }
}

}  // namespace orrivel
