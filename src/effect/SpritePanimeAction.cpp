#include "effect/SpritePanimeAction.h"

#include <cmath>
#include <cstdarg>
#include <numbers>

#include "base/LowPriority.h"
#include "base/MathTables.h"
#include "base/SubtractiveRandom.h"
#include "base/TimerList.h"
#include "effect/AssistCells.h"
#include "effect/BuiltinEffects.h"
#include "raster/SpriteList.h"
#include "scene/ImageSprite.h"

namespace orrivel {
namespace {

uint32_t gOrderBefore = 0;
uint32_t gOrderAfter = 0;

constexpr int32_t kExplicitAnchor = -1;

int32_t Turns512(double turns) { return static_cast<int32_t>(std::trunc(turns * 512.0)); }

// A bounce of amplitude a and offset o at d = trunc(2a t): rises to its peak
// and back over the segment.
int32_t Bounce(int32_t amplitude, int32_t offset, double t) {
  if (amplitude == 0) return 0;
  const int32_t d = static_cast<int32_t>(std::trunc(2.0 * amplitude * t));
  if (d == 0) return 0;
  if (offset == 0) return d <= amplitude ? d : 2 * amplitude - d;
  if (d > -2 * offset) {
    const int32_t e = d + 2 * offset;
    return e <= offset + amplitude ? e : 2 * (offset + amplitude) - e;
  }
  if (d <= -offset) return -d;
  return d + 2 * offset;
}

// Progress of the cosine easing at p of 256 steps.
double CosineEase(uint32_t p) {
  const MathTables* tables = GetMathTables();
  if (tables != nullptr && tables->DoubleCosTable() != nullptr)
    return (1.0 + tables->DoubleCosTable()[(256u - p) & 511u]) / 2.0;
  return (1.0 - std::cos(std::numbers::pi * double(p) / 256.0)) / 2.0;
}

}  // namespace

void SetSpPanimeOrderValues(uint32_t before, uint32_t after) {
  gOrderBefore = before;
  gOrderAfter = after;
}
uint32_t SpPanimeOrderBefore() { return gOrderBefore; }
uint32_t SpPanimeOrderAfter() { return gOrderAfter; }

ImageSprite* ImageSpriteCell(const ObjectArguments& cells, std::size_t index) {
  Drawable* drawable = cells.Object<Drawable>(index);
  if (drawable == nullptr || drawable->GetKind() != 0) return nullptr;
  return dynamic_cast<ImageSprite*>(drawable);
}

bool SpritePanimeAction::LoadKeys(ImageSprite* sprite, const char* text, uint32_t segmentTime) {
  path_.SetDefaultSegmentTime(int32_t(segmentTime == 0 ? 1 : segmentTime));
  if (path_.Parse(text, sprite, nullptr) != 0) return false;
  ResetState(sprite, segmentTime);
  return true;
}

void SpritePanimeAction::ResetState(ImageSprite* sprite, uint32_t segmentTime) {
  sprite_ = sprite;
  Watch(sprite_);
  currentIndex_ = 1;
  previousKey_ = path_.Records()[0];
  segmentStart_ = 0;
  carry_ = 0;
  segmentDuration_ = segmentTime;
  orderBefore_ = gOrderBefore;
  orderAfter_ = gOrderAfter;
  curve_ = 0.0;
  useCurve_ = true;
  splineMode_ = false;
  moveStep_ = 25;
  swingStep_ = 50;
  centreX_ = path_.PivotX();
  centreY_ = path_.PivotY();
  if (MathTables* tables = GetMathTables()) tables->GetSinCosTable();
}

void SpritePanimeAction::PrepareSprite() {
  sprite_->SetAnchor(kExplicitAnchor, path_.InitialPivotX(), path_.InitialPivotY());
  const double factor = path_.LargestZoom();
  if (path_.RotationUsed() != 0) {
    sprite_->ReserveRotationBuffer(factor);
    rotationActive_ = true;
  } else if (path_.ZoomUsed() != 0) {
    const Rect& source = sprite_->GetSourceRect();
    sprite_->SetStretchSize(int32_t(std::trunc(source.Width() * factor)),
                            int32_t(std::trunc(source.Height() * factor)));
    rotationActive_ = true;
  } else {
    rotationActive_ = false;
  }
}

int32_t SpritePanimeAction::SetupV(TimerList* timerList, const ObjectArgument&, const ObjectArguments& cells) {
  ImageSprite* sprite = ImageSpriteCell(cells, 0);
  if (timerList == nullptr || sprite == nullptr) return kBadArguments;
  const uint32_t duration = uint32_t(cells.Cell(2));
  const bool loop = cells.Cell(3) != 0;
  if (!LoadKeys(sprite, TextOrNull(cells.Text(1)), duration)) return kBadKeyText;
  // A looping list whose entries after the first hold no key would run its
  // commands forever without reaching a segment.
  if (loop) {
    bool hasKey = false;
    for (int32_t i = 1; i < path_.RecordCount() && !hasKey; ++i)
      hasKey = path_.Records()[i].kind == PathRecord::kPoint;
    if (!hasKey) return kBadKeyText;
  }
  if (duration == 0) {
    // Shown at the end key before the path's flags are applied: no rotation.
    rotationActive_ = false;
    GoToEnd();
    return kShownAtEnd;
  }
  loop_ = loop;
  PrepareSprite();
  if (timerList->Add(this, 0, 0, 0) != 0) return kRefused;
  if (cells.Cell(4) != 0) EnterLowPriority();
  return 0;
}

int32_t SpritePanimeAction::ControlV(const ObjectArguments& cells) {
  if (cells.Cell(0) != 0) return 1;
  loop_ = false;
  return 0;
}

bool SpritePanimeAction::EndKey(PathRecord* out) const {
  const int32_t end = path_.LastPoint();
  if (end < 0 || end >= path_.RecordCount()) return false;
  *out = path_.Records()[end];
  out->value1 += endOffsetX_;
  out->value2 += endOffsetY_;
  return true;
}

int32_t SpritePanimeAction::QueryV(const ObjectArguments& cells) {
  if (path_.Records() == nullptr) return 1;
  PathRecord end;
  if (EndKey(&end)) {
    cells.WriteInt(0, end.value1);
    cells.WriteInt(1, end.value2);
    cells.WriteInt(2, int32_t(end.flag));
    cells.WriteFloat(4, float(end.zoom));
    cells.WriteFloat(5, float(end.rotation));
    cells.WriteFloat(8, rotationActive_ ? 1.0f : 0.0f);
  } else {
    cells.WriteInt(2, -1);
  }
  cells.WriteInt(3, int32_t(path_.EndMode()));
  cells.WriteInt(6, centreX_);
  cells.WriteInt(7, centreY_);
  return 0;
}

void SpritePanimeAction::RunCommand(const PathRecord& entry) {
  SpriteList* list = sprite_->OwningList();
  switch (entry.kind) {
    case PathRecord::kTime:
      segmentDuration_ = entry.value1 == 0 ? 1u : uint32_t(entry.value1);
      break;
    case PathRecord::kFrameRange: {
      SubtractiveRandom* random = OverlayEffectRandom();
      if (random == nullptr) break;
      const int64_t r = random->Next();
      // A range of 0 leaves the base time rather than dividing by it.
      const int64_t range = entry.value2;
      const int64_t ms = int64_t(entry.value1) + (range == 0 ? 0 : r % range);
      segmentDuration_ = uint32_t(ms) == 0 ? 1u : uint32_t(ms);
      break;
    }
    case PathRecord::kValue:
      useCurve_ = entry.flag != 0;
      curve_ = entry.zoom;
      break;
    case PathRecord::kEndMode1:
      if (list != nullptr) list->SetOrder(sprite_, orderBefore_, 0);
      break;
    case PathRecord::kEndMode2:
      if (list != nullptr) list->SetOrderAfterEqual(sprite_, orderAfter_, 0);
      break;
    case PathRecord::kSpline:
      if (path_.HasSpline()) splineMode_ = true;
      break;
    case PathRecord::kMarker:
      splineMode_ = false;
      break;
    case PathRecord::kMoveStep:
      moveStep_ = entry.value1;
      break;
    case PathRecord::kSwingStep:
      swingStep_ = entry.value1;
      break;
    case PathRecord::kPivot:
      sprite_->SetAnchor(kExplicitAnchor, entry.value1, entry.value2);
      break;
    default:
      break;
  }
}

bool SpritePanimeAction::AdvanceIndex() {
  ++currentIndex_;
  if (currentIndex_ < path_.RecordCount()) return true;
  if (loop_) {
    currentIndex_ = 1;
    return true;
  }
  GoToEnd();
  return false;
}

bool SpritePanimeAction::RunCommands(uint32_t now) {
  // A list without a key after the first is refused when looping, so this
  // ends within one pass.
  for (int32_t passed = 0; passed <= path_.RecordCount(); ++passed) {
    const PathRecord& entry = path_.Records()[currentIndex_];
    if (entry.kind == PathRecord::kPoint) {
      segmentStart_ = now - carry_;
      return true;
    }
    RunCommand(entry);
    if (!AdvanceIndex()) return false;
  }
  GoToEnd();
  return false;
}

double SpritePanimeAction::Progress(uint32_t elapsed) const {
  if (segmentDuration_ <= 1) return 1.0;
  if (useCurve_) {
    const double u = double(elapsed) / double(segmentDuration_);
    if (curve_ > 0) return std::pow(u, curve_);
    if (curve_ < 0) return 1.0 - std::pow(1.0 - u, -curve_);
    return u;
  }
  const uint32_t p = uint32_t((uint64_t(elapsed) * 256u) / segmentDuration_);
  return CosineEase(p);
}

int32_t SpritePanimeAction::Step(uint32_t now) {
  if (sprite_ == nullptr || path_.Records() == nullptr) return 1;
  for (;;) {
    if (segmentStart_ == 0 && !RunCommands(now)) return 1;
    const uint32_t elapsed = now - segmentStart_;
    if (elapsed < segmentDuration_) {
      ApplyKey(path_.Records()[currentIndex_], Progress(elapsed));
      return 0;
    }
    const PathRecord& reached = path_.Records()[currentIndex_];
    previousKey_ = reached;
    carry_ = elapsed - segmentDuration_;
    segmentStart_ = 0;
    if (!AdvanceIndex()) return 1;
  }
}

void SpritePanimeAction::ApplyKey(const PathRecord& key, double t) {
  const PathRecord& from = previousKey_;
  int32_t x = 0;
  int32_t y = 0;
  if (splineMode_) {
    path_.EvalCubicSegment(from, key, t, &x, &y);
  } else {
    x = static_cast<int32_t>(std::trunc(from.value1 + double(key.value1 - from.value1) * t));
    y = static_cast<int32_t>(std::trunc(from.value2 + double(key.value2 - from.value2) * t));
  }
  x += Bounce(key.swingWidth, key.swingShiftX, t);
  y += Bounce(key.swingHeight, key.swingShiftY, t);
  sprite_->SetPosition(x, y);
  sprite_->SetOpacity(uint8_t(from.flag + static_cast<int32_t>(std::trunc((int32_t(key.flag) - from.flag) * t))));
  if (rotationActive_) {
    const double scale = from.zoom + (key.zoom - from.zoom) * t;
    sprite_->SetRotation(Turns512(from.rotation + (key.rotation - from.rotation) * t), scale);
  }
}

void SpritePanimeAction::GoToEnd() {
  PathRecord end;
  if (sprite_ == nullptr || !EndKey(&end)) return;
  if (SpriteList* list = sprite_->OwningList()) {
    if (path_.EndMode() == 1) list->SetOrder(sprite_, orderBefore_, 0);
    if (path_.EndMode() == 2) list->SetOrderAfterEqual(sprite_, orderAfter_, 0);
  }
  sprite_->SetPosition(end.value1, end.value2);
  sprite_->SetOpacity(end.flag);
  if (rotationActive_) {
    sprite_->SetAnchor(kExplicitAnchor, centreX_, centreY_);
    sprite_->SetRotation(Turns512(end.rotation), end.zoom);
  }
}

int32_t ParseSpPanimeArgs(const ObjectArguments& cells) {
  if (cells.Cell(0) == 0) {
    SetSpPanimeOrderValues(uint32_t(cells.Cell(1)), uint32_t(cells.Cell(2)));
    return 0;
  }
  ImageSprite* sprite = ImageSpriteCell(cells, 1);
  if (sprite == nullptr) return 1;
  int32_t x = sprite->GetX();
  int32_t y = sprite->GetY();
  uint8_t alpha = sprite->GetOpacity();
  uint8_t orderMode = 0;
  double scale = 0.0;
  double angle = 0.0;
  int32_t anchorX = 0;
  int32_t anchorY = 0;
  const int code = SplinePath::Evaluate(TextOrNull(cells.Text(2)), &x, &y, sprite, nullptr, &alpha,
                                        &orderMode, &scale, &angle, &anchorX, &anchorY);
  if (code != 0) return code;
  sprite->SetPosition(x, y);
  sprite->SetOpacity(alpha);
  if (scale != 0.0 || angle != 0.0) {
    sprite->SetAnchor(kExplicitAnchor, anchorX, anchorY);
    sprite->SetRotation(Turns512(angle), scale == 0.0 ? sprite->GetScale() : scale);
  }
  cells.WriteInt(3, sprite->GetX());
  cells.WriteInt(4, sprite->GetY());
  cells.WriteInt(5, int32_t(alpha));
  cells.WriteInt(6, int32_t(orderMode));
  cells.WriteFloat(7, float(scale));
  cells.WriteFloat(8, float(angle));
  cells.WriteInt(9, anchorX);
  cells.WriteInt(10, anchorY);
  return 0;
}

int32_t ParseSpPanimeArgsVariadic(std::intptr_t first, ...) {
  va_list list;
  va_start(list, first);
  const int32_t result = ForwardWords<11>(&ParseSpPanimeArgs, first, list);
  va_end(list);
  return result;
}

LayerAction::Loss SpritePanimeAction::LosingSprite(const Drawable& sprite) const {
  return sprite_ != nullptr && static_cast<const Drawable*>(sprite_) == &sprite ? Loss::Whole : Loss::None;
}

void SpritePanimeAction::LetGoSprite(const Drawable& sprite) {
  if (sprite_ != nullptr && static_cast<const Drawable*>(sprite_) == &sprite) sprite_ = nullptr;
}

}  // namespace orrivel
