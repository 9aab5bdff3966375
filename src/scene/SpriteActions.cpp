#include "scene/SpriteActions.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "base/LowPriority.h"
#include "base/TimerList.h"
#include "display/SceneObject.h"
#include "raster/SpriteList.h"
#include "scene/ImageSprite.h"
#include "scene/SplinePath.h"
#include "scene/SpriteCanvas.h"
#include "script/ParamReader.h"

namespace orrivel {

namespace {

bool IsLeadByte(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The "(" of the text, two-byte characters skipped whole.
int32_t CountOpenings(const char* text) {
  int32_t count = 0;
  for (const char* p = text; *p != 0; ++p) {
    if (IsLeadByte(uint8_t(*p))) {
      if (p[1] == 0) break;
      ++p;
    } else if (*p == '(') {
      ++count;
    }
  }
  return count;
}

// An integer that really has a digit: a lone sign or "0x" is no number.
bool ReadWholeInt(ParamReader& reader, int32_t& out) {
  reader.SkipSeparators();
  const char* before = reader.Position();
  if (reader.ReadInt(out) != ParamReader::kOk) return false;
  const char* after = reader.Position();
  return after > before && std::isxdigit(uint8_t(after[-1])) != 0;
}

// A decimal word of at most 31 characters that is a number and nothing else.
bool ReadDecimalWord(ParamReader& reader, double& out) {
  reader.SkipSeparators();
  char word[33];
  if (reader.ReadWord(word, sizeof word) != ParamReader::kOk) return false;
  reader.SkipWord();
  const char* p = word;
  return ParsePathReal(p, out) && *p == 0;
}

// A drawable that shows frames of its own (the kind query that answers
// false for an image sprite).
bool ShowsOwnFrames(const ImageSprite& sprite) { return sprite.GetKind() != 0; }

int32_t Truncate(double v) { return int32_t(std::trunc(v)); }

double Lerp(double a, double b, double t) { return a + (b - a) * t; }

uint8_t LerpOpacity(uint8_t a, uint8_t b, double t) {
  return uint8_t(int(a) + Truncate((int(b) - int(a)) * t));
}

}  // namespace

// --- common ----------------------------------------------------------------------------

SpriteAction::SpriteAction(int32_t baseTypeId, uint32_t timePerSegment, uint32_t startDelay,
                           uint8_t visibleWhileRunning, double easing, uint8_t repeat,
                           uint8_t lowPriority)
    : timePerSegment_(timePerSegment),
      startDelay_(startDelay),
      visibleWhileRunning_(visibleWhileRunning),
      easing_(easing),
      repeat_(repeat),
      lowPriority_(lowPriority),
      baseTypeId_(baseTypeId) {}

SpriteAction::~SpriteAction() {
  if (lowPriority_ == 2) LeaveLowPriority();
}

int32_t SpriteAction::GetTypeId() const {
  if (!onSprite_) return baseTypeId_;
  // 12000 + k: 12003 + 2k off the overlay list, 12004 + 2k on it.
  return 12003 + 2 * (baseTypeId_ - 12000) + (inOverlay_ ? 1 : 0);
}

int SpriteAction::LoadText(const char* text, bool scaleAsWord, int32_t minimumKeys) {
  if (running_) return kRunning;
  if (text == nullptr) return 1;
  const int32_t count = CountOpenings(text);
  if (count == 0 || count < minimumKeys) return 2;
  std::vector<Key> keys(size_t(count) + 1);
  ParamReader reader(text);
  for (int32_t i = 1; i <= count; ++i) {
    Key& key = keys[size_t(i)];
    int32_t a = 0;
    int32_t opacity = 0;
    if (!ReadWholeInt(reader, a)) return 2;
    if (scaleAsWord) {
      if (!ReadDecimalWord(reader, key.b)) return 2;
    } else {
      int32_t b = 0;
      if (!ReadWholeInt(reader, b)) return 2;
      key.b = b;
    }
    if (!ReadWholeInt(reader, opacity)) return 2;
    key.a = a;
    key.opacity = uint8_t(opacity);
  }
  keys_ = std::move(keys);
  return 0;
}

int SpriteAction::SetKeyTriples(int32_t count, const int32_t* triples, int32_t minimumKeys) {
  if (running_) return kRunning;
  if (count <= 0 || triples == nullptr || count < minimumKeys) return 1;
  std::vector<Key> keys(size_t(count) + 1);
  for (int32_t i = 0; i < count; ++i) {
    Key& key = keys[size_t(i) + 1];
    key.a = triples[3 * i];
    key.b = triples[3 * i + 1];
    key.opacity = uint8_t(triples[3 * i + 2]);
  }
  keys_ = std::move(keys);
  return 0;
}

void SpriteAction::AimAt(ImageSprite* sprite, SceneObject* object) {
  sprite_.Reset(sprite);
  object_.Reset(object);
  onSprite_ = sprite != nullptr;
  sprite_.SetOnBroken([this] { running_ = false; });
  object_.SetOnBroken([this] { running_ = false; });
}

int SpriteAction::StartOn(TimerList* list, ImageSprite* sprite, SceneObject* object) {
  if (running_) return kRunning;
  if (list == nullptr || keys_.size() < 2 || (sprite == nullptr && object == nullptr)) return 1;
  AimAt(sprite, sprite != nullptr ? nullptr : object);
  inOverlay_ = false;
  if (sprite_ != nullptr) {
    SpriteList* owner = sprite_->OwningList();
    auto* canvas = owner != nullptr ? dynamic_cast<SpriteCanvas*>(owner->Owner()) : nullptr;
    inOverlay_ = canvas != nullptr && canvas->OverlayList() == owner;
  }
  if (!TakeStartValue()) {
    AimAt(nullptr, nullptr);
    return 2;
  }
  total_ = uint32_t(keys_.size() - 1) * timePerSegment_;
  if (timePerSegment_ == 0) {
    ApplyLast();
    return kJumpedToEnd;
  }
  Prepare();
  if (list->Add(this, 0, 0, 0) != 0) return 2;
  clockTaken_ = false;
  delayPassed_ = false;
  delay_ = startDelay_;
  running_ = true;
  if (lowPriority_ == 1 && repeat_ == 0 && HasEnterLowPriorityHook()) {
    EnterLowPriority();
    lowPriority_ = 2;
  }
  return 0;
}

uint32_t SpriteAction::EasedTime(uint32_t elapsed) const {
  if (easing_ == 0.0 || total_ == 0) return elapsed;
  const double total = double(total_);
  const double share = double(elapsed) / total;
  if (easing_ > 0.0) return uint32_t(std::trunc(total * std::pow(share, easing_)));
  return uint32_t(std::trunc(total * (1.0 - std::pow(1.0 - share, -easing_))));
}

int32_t SpriteAction::Step(uint32_t now) {
  if (!running_) return 1;
  if (!clockTaken_) {
    clockTaken_ = true;
    timeBase_ = now;
  }
  if (!delayPassed_) {
    if (now - timeBase_ < delay_) return 0;
    timeBase_ = now;
    delay_ = 0;
    delayPassed_ = true;
    if (visibleWhileRunning_ != 0) SetTargetVisible(true);
  }
  uint32_t elapsed = now - timeBase_;
  if (elapsed >= total_) {
    if (repeat_ == 0) {
      Finish();
      return 1;
    }
    timeBase_ += elapsed;
    elapsed = 0;
  }
  const uint32_t time = std::min(EasedTime(elapsed), total_ - 1);
  const uint32_t segment = time / timePerSegment_;
  const double t = double(time - segment * timePerSegment_) / double(timePerSegment_);
  ApplySegment(int32_t(segment), t);
  if (opacityOption_ != 0) {
    ApplyOpacity(LerpOpacity(keys_[segment].opacity, keys_[segment + 1].opacity, t));
  }
  return 0;
}

void SpriteAction::Finish() {
  ApplyLast();
  if (visibleWhileRunning_ != 0) SetTargetVisible(false);
  running_ = false;
}

bool SpriteAction::AimsAt(const Drawable* sprite) const {
  return sprite != nullptr && sprite_ != nullptr && static_cast<const Drawable*>(sprite_.Get()) == sprite;
}

namespace {

template <class Target>
void StopActionsAimedAt(TimerList& list, const Target* target) {
  if (target == nullptr) return;
  // Handles first: stopping never removes entries, but keep the walk plain.
  std::vector<uint32_t> handles;
  for (TimedTask* task : list.Tasks()) {
    auto* action = dynamic_cast<SpriteAction*>(task);
    if (action != nullptr && action->AimsAt(target)) handles.push_back(action->Handle());
  }
  for (uint32_t handle : handles) list.Stop(handle);
}

}  // namespace

void StopSpriteActionsAimedAt(TimerList& list, const Drawable* sprite) { StopActionsAimedAt(list, sprite); }
void StopSpriteActionsAimedAt(TimerList& list, const SceneObject* object) { StopActionsAimedAt(list, object); }

void SpriteAction::Pause(uint32_t now) {
  if (PauseCount() == 0) pausedAt_ = now;
  TimedTask::Pause(now);
}

void SpriteAction::Resume(uint32_t now) {
  const bool last = PauseCount() == 1;
  TimedTask::Resume(now);
  if (last && clockTaken_) timeBase_ += now - pausedAt_;
}

void SpriteAction::ApplyOpacity(uint8_t opacity) {
  if (sprite_ != nullptr) {
    sprite_->SetOpacity(opacity);
  } else if (object_ != nullptr) {
    object_->SetAlpha(opacity);
  }
}

void SpriteAction::SetTargetVisible(bool visible) {
  if (sprite_ != nullptr) {
    sprite_->SetVisible(visible ? 1 : 0);
  } else if (object_ != nullptr) {
    object_->SetVisible(visible);
  }
}

// --- path --------------------------------------------------------------------------------

SpritePathAction::SpritePathAction(uint32_t timePerSegment, uint32_t startDelay,
                                   uint8_t visibleWhileRunning, double easing, uint8_t targetOption,
                                   uint8_t spline, uint8_t repeat, uint8_t lowPriority)
    : SpriteAction(12000, timePerSegment, startDelay, visibleWhileRunning, easing, repeat, lowPriority),
      targetOption_(targetOption),
      spline_(spline) {}

int SpritePathAction::Load(const char* text) { return LoadText(text, false, spline_ != 0 ? 2 : 1); }

int SpritePathAction::SetKeys(int32_t count, const int32_t* triples) {
  return SetKeyTriples(count, triples, spline_ != 0 ? 2 : 1);
}

int SpritePathAction::Start(TimerList* list, ImageSprite* sprite) {
  if (running_) return kRunning;
  if (sprite != nullptr && targetOption_ != 0 && targetOption_ != 1 && ShowsOwnFrames(*sprite)) {
    return list == nullptr || keys_.empty() ? 1 : 2;
  }
  return StartOn(list, sprite, nullptr);
}

int SpritePathAction::StartWith(TimerList* list, SceneObject* object) {
  return StartOn(list, nullptr, object);
}

bool SpritePathAction::TakeStartValue() {
  Key& start = keys_[0];
  if (sprite_ != nullptr) {
    if (targetOption_ == 1 || targetOption_ == 0) {
      start.a = sprite_->GetX();
      start.b = sprite_->GetY();
    } else {
      start.a = sprite_->GetSourceOffsetX();
      start.b = sprite_->GetSourceOffsetY();
    }
    opacityOption_ = 1;
    start.opacity = sprite_->GetOpacity();
    return true;
  }
  const int kind = object_->GetKind();
  if (kind == 9 || kind == 10) return false;
  int32_t x = 0;
  int32_t y = 0;
  object_->GetPosition(&x, &y);
  start.a = x;
  start.b = y;
  uint8_t alpha = 255;
  opacityOption_ = kind >= 4 && kind <= 8 && object_->GetAlpha(&alpha) ? 1 : 0;
  start.opacity = alpha;
  return true;
}

void SpritePathAction::Prepare() {
  splineX_.clear();
  splineY_.clear();
  if (spline_ == 0 || targetOption_ == 0) return;
  const size_t n = keys_.size();
  auto solve = [&](bool first) {
    std::vector<double> m(n, 0.0);
    if (n < 3) return m;
    auto p = [&](size_t i) { return first ? keys_[i].a : keys_[i].b; };
    std::vector<double> diagonal(n, 0.0), right(n, 0.0);
    for (size_t i = 1; i + 1 < n; ++i) {
      right[i] = (p(i + 1) - p(i)) - (p(i) - p(i - 1));
      diagonal[i] = 4.0;
      if (i > 1) {
        const double factor = 1.0 / diagonal[i - 1];
        diagonal[i] = 4.0 - factor;
        right[i] -= factor * right[i - 1];
      }
    }
    for (size_t i = n - 2; i >= 1; --i) m[i] = (right[i] - m[i + 1]) / diagonal[i];
    return m;
  };
  splineX_ = solve(true);
  splineY_ = solve(false);
}

double SpritePathAction::Spline(const std::vector<double>& m, bool first, int32_t i, double t) const {
  const double p0 = first ? keys_[size_t(i)].a : keys_[size_t(i)].b;
  const double p1 = first ? keys_[size_t(i) + 1].a : keys_[size_t(i) + 1].b;
  const double mi = m[size_t(i)];
  const double mj = m[size_t(i) + 1];
  return p0 + t * ((p1 - p0) - 2.0 * mi - mj) + 3.0 * mi * t * t + (mj - mi) * t * t * t;
}

void SpritePathAction::ApplySegment(int32_t i, double t) {
  if (targetOption_ == 0) return;
  if (!splineX_.empty()) {
    MoveTo(Spline(splineX_, true, i, t), Spline(splineY_, false, i, t));
    return;
  }
  const Key& a = keys_[size_t(i)];
  const Key& b = keys_[size_t(i) + 1];
  MoveTo(Lerp(a.a, b.a, t), Lerp(a.b, b.b, t));
}

void SpritePathAction::MoveTo(double x, double y) {
  if (targetOption_ == 0) return;
  if (sprite_ != nullptr) {
    if (targetOption_ == 1) {
      sprite_->SetPosition(Truncate(x), Truncate(y));
    } else {
      sprite_->SetSourceOffset(Truncate(x), Truncate(y));
    }
  } else if (object_ != nullptr) {
    object_->SetPosition(Truncate(x), Truncate(y));
  }
}

void SpritePathAction::ApplyLast() {
  const Key& last = keys_.back();
  MoveTo(last.a, last.b);
  if (opacityOption_ != 0) ApplyOpacity(last.opacity);
}

// --- size --------------------------------------------------------------------------------

SpriteSizeAction::SpriteSizeAction(uint32_t timePerSegment, uint32_t startDelay,
                                   uint8_t visibleWhileRunning, double easing,
                                   uint8_t horizontalAlign, uint8_t verticalAlign, uint8_t fixedBase,
                                   uint8_t opacity, uint8_t repeat, uint8_t lowPriority)
    : SpriteAction(12001, timePerSegment, startDelay, visibleWhileRunning, easing, repeat, lowPriority),
      horizontalAlign_(horizontalAlign),
      verticalAlign_(verticalAlign),
      fixedBase_(fixedBase) {
  opacityOption_ = opacity;
}

int SpriteSizeAction::Load(const char* text) { return LoadText(text, false, 1); }

int SpriteSizeAction::SetKeys(int32_t count, const int32_t* triples) {
  return SetKeyTriples(count, triples, 1);
}

int SpriteSizeAction::Start(TimerList* list, ImageSprite* sprite) { return StartOn(list, sprite, nullptr); }

bool SpriteSizeAction::TakeStartValue() {
  Rect bounds;
  sprite_->GetBounds(&bounds);
  keys_[0].a = bounds.Width();
  keys_[0].b = bounds.Height();
  keys_[0].opacity = sprite_->GetOpacity();
  startX_ = sprite_->GetX();
  startY_ = sprite_->GetY();
  shiftX_ = shiftY_ = 0;
  return true;
}

void SpriteSizeAction::Prepare() {
  if (ShowsOwnFrames(*sprite_)) return;
  int32_t largestWidth = 0;
  int32_t largestHeight = 0;
  for (const Key& key : keys_) {
    largestWidth = std::max(largestWidth, Truncate(key.a));
    largestHeight = std::max(largestHeight, Truncate(key.b));
  }
  sprite_->SetStretchSize(largestWidth, largestHeight);
}

void SpriteSizeAction::Resize(double widthValue, double heightValue) {
  const int32_t width = Truncate(widthValue);
  const int32_t height = Truncate(heightValue);
  const int32_t w0 = Truncate(keys_[0].a);
  const int32_t h0 = Truncate(keys_[0].b);
  const auto shift = [](uint8_t align, int32_t start, int32_t now) {
    if (align == 1) return (start - now) >> 1;
    if (align == 2) return start - now;
    return 0;
  };
  const int32_t baseX = fixedBase_ != 0 ? startX_ : sprite_->GetX() - shiftX_;
  const int32_t baseY = fixedBase_ != 0 ? startY_ : sprite_->GetY() - shiftY_;
  shiftX_ = shift(horizontalAlign_, w0, width);
  shiftY_ = shift(verticalAlign_, h0, height);
  sprite_->SetDisplaySize(width, height);
  sprite_->SetPosition(baseX + shiftX_, baseY + shiftY_);
}

void SpriteSizeAction::ApplySegment(int32_t i, double t) {
  const Key& a = keys_[size_t(i)];
  const Key& b = keys_[size_t(i) + 1];
  Resize(Lerp(a.a, b.a, t), Lerp(a.b, b.b, t));
}

void SpriteSizeAction::ApplyLast() {
  Resize(keys_.back().a, keys_.back().b);
  if (opacityOption_ != 0) ApplyOpacity(keys_.back().opacity);
}

// --- rotate ------------------------------------------------------------------------------

SpriteRotateAction::SpriteRotateAction(uint32_t timePerSegment, uint32_t startDelay,
                                       uint8_t visibleWhileRunning, double easing,
                                       uint8_t scaleOption, uint8_t opacity, uint8_t repeat,
                                       uint8_t lowPriority)
    : SpriteAction(12002, timePerSegment, startDelay, visibleWhileRunning, easing, repeat, lowPriority),
      scaleOption_(scaleOption) {
  opacityOption_ = opacity;
}

int SpriteRotateAction::Load(const char* text) { return LoadText(text, true, 1); }

int SpriteRotateAction::Start(TimerList* list, ImageSprite* sprite) {
  if (running_) return kRunning;
  if (sprite != nullptr && ShowsOwnFrames(*sprite)) return list == nullptr || keys_.empty() ? 1 : 2;
  return StartOn(list, sprite, nullptr);
}

bool SpriteRotateAction::TakeStartValue() {
  keys_[0].a = sprite_->GetAngle();
  keys_[0].b = sprite_->GetScale();
  keys_[0].opacity = sprite_->GetOpacity();
  return true;
}

void SpriteRotateAction::Prepare() {
  double largest = keys_[0].b;
  if (scaleOption_ != 0 && keys_.size() > 2) {
    for (const Key& key : keys_) largest = std::max(largest, key.b);
  }
  sprite_->ReserveRotationBuffer(largest);
}

void SpriteRotateAction::ApplySegment(int32_t i, double t) {
  const Key& a = keys_[size_t(i)];
  const Key& b = keys_[size_t(i) + 1];
  const double scale = scaleOption_ != 0 ? Lerp(a.b, b.b, t) : keys_[0].b;
  sprite_->SetRotation(Truncate(Lerp(a.a, b.a, t)), scale);
}

void SpriteRotateAction::ApplyLast() {
  const Key& last = keys_.back();
  sprite_->SetRotation(Truncate(last.a), scaleOption_ != 0 ? last.b : keys_[0].b);
  if (opacityOption_ != 0) ApplyOpacity(last.opacity);
}

}  // namespace orrivel
