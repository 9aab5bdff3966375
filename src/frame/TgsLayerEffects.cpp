// The layer effects of the frame: where each running action is held, which
// name each command asks for, what the effect slots record so that a load
// starts the effect again, and the end state applied at once when effects
// are off or text is skipped.
#include <cmath>
#include <cstring>
#include <iterator>
#include <vector>

#include "base/DecimalRange.h"
#include "base/TimerList.h"
#include "effect/BgBlurAction.h"
#include "effect/EasedBackgroundAction.h"
#include "effect/LayerActionLife.h"
#include "frame/TgsLayerSets.h"
#include "resource/DcpManager.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

namespace {

using Kind = EffectSlotRecord::Kind;

// A text, object or output handed on as what it is.
template <class T>
ObjectArgument Cell(T* pointer) {
  return ObjectArgument(pointer);
}

ObjectArguments Cells(std::initializer_list<ObjectArgument> cells) { return ObjectArguments{cells.begin(), cells.size()}; }

bool HasName(const char* name) { return name != nullptr && name[0] != '\0'; }

bool FitsRecord(const char* name) { return std::strlen(name) < EffectSlotRecord::kNameBytes; }

// Effect slots are named 0 to 2.
bool SlotInRange(int32_t slot) { return slot >= 0 && slot < int32_t(TgsLayerSets::kEffectSlots); }

// A decimal the script wrote, held to what its use takes; a text that is
// no number reads as 0, as it always has.
double DecimalText(const char* text, double fallback, const DecimalRange& range) {
  return text ? range.Read(text, 0.0) : fallback;
}

// Turns are 512 steps round; only whole turns leave the picture upright.
constexpr uint32_t kBlurAngleMask = 511;

// A double handed to an action as two cells, low word first.
struct DoubleCells {
  int32_t low = 0, high = 0;
  explicit DoubleCells(double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    low = int32_t(uint32_t(bits));
    high = int32_t(uint32_t(bits >> 32));
  }
};

}  // namespace

// --- holders -----------------------------------------------------------------------

int32_t TgsLayerSets::CreateLayerAction(ActionHolder& holder, std::string_view name, const ObjectArgument& target,
                                        const ObjectArguments& cells) {
  if (!environment_.actions || !environment_.timers) return kActionUnknown;
  TimedTask* made = nullptr;
  const bool lowPriorityOff = environment_.lowPriorityOff && environment_.lowPriorityOff();
  const int code =
      ::orrivel::CreateLayerAction(*environment_.actions, &made, name, environment_.timers, target, cells, lowPriorityOff);
  if (code != kActionCreated) return code == kActionUnknown ? 1 : 2;
  // The holder keeps the handle; the action never writes back into it.
  made->SetOwnerSlot(nullptr);
  ReleaseActionSlot(holder);
  holder.handle = made->Handle();
  return 0;
}

LayerAction* TgsLayerSets::ActionOf(const ActionHolder& holder) const {
  if (holder.Empty() || !environment_.timers) return nullptr;
  for (TimedTask* task : environment_.timers->Tasks())
    if (task && task->Handle() == holder.handle && !task->IsFinished()) return dynamic_cast<LayerAction*>(task);
  return nullptr;
}

bool TgsLayerSets::HolderRunning(const ActionHolder& holder) const { return ActionOf(holder) != nullptr; }

void TgsLayerSets::ReleaseActionSlot(ActionHolder& holder) {
  if (holder.Empty()) return;
  // Stopping through the list finishes the action in its end state.
  if (environment_.timers) environment_.timers->Stop(holder.handle);
  holder.Clear();
}

int32_t TgsLayerSets::WaitForAction(ActionHolder& holder, bool skippable) {
  if (!HolderRunning(holder)) {
    holder.Clear();
    return 0;
  }
  for (;;) {
    if (!environment_.pumpFrame || environment_.pumpFrame() == 0) return -1;
    if (!HolderRunning(holder)) {
      holder.Clear();
      return 0;
    }
    if (skippable && Skipping(3)) {
      ReleaseActionSlot(holder);
      return 1;
    }
  }
}

void TgsLayerSets::ClearLayerActions(int32_t set, bool stopAnimation) {
  StopTransition();
  Layer& layer = GetLayer(set);
  ReleaseActionSlot(layer.effect);
  for (EffectSlot& slot : effects_) {
    const int32_t kind = slot.record.kind;
    const bool onThisSet = (kind == Kind::kBgPanime || (kind >= Kind::kBgRast && kind <= Kind::kBgLoop)) &&
                           slot.record.p[0] == SetIndex(set);
    if (onThisSet || kind == Kind::kBgCross || kind < 0) {
      slot.record.kind = Kind::kNone;
      ReleaseActionSlot(slot.holder);
    }
  }
  if (stopAnimation && layer.record.animationState == 1) {
    if (LayerAction* animation = ActionOf(layer.animation)) animation->Control({4, 0, 0});
    layer.record.animationState = 0;
  }
}

int32_t TgsLayerSets::ControlEffectSlot(uint32_t slot, int32_t a, int32_t b) {
  if (slot >= kEffectSlots) return 1;
  EffectSlot& effect = effects_[slot];
  LayerAction* action = ActionOf(effect.holder);
  if (!action) return 1;
  const int32_t kind = effect.record.kind;
  if (kind == Kind::kNoise)
    action->Control({a, b});
  else if (kind == Kind::kSpParts || kind >= Kind::kPaper)
    action->Control({1, a, b});
  else
    return 2;
  effect.record.p[1] = a;
  effect.record.p[2] = b;
  return 0;
}

int32_t TgsLayerSets::EndEffectSlot(uint32_t slot, bool immediate) {
  if (slot >= kEffectSlots) return 1;
  EffectSlot& effect = effects_[slot];
  const int32_t old = effect.record.kind;
  effect.record.kind = Kind::kNone;
  const bool graceful = old > Kind::kQuake || (old == Kind::kQuake && effect.record.p[0] != 0);
  if (!immediate && graceful) {
    LayerAction* action = ActionOf(effect.holder);
    if (!action) {
      effect.holder.Clear();
      return 1;
    }
    return action->Control({0});
  }
  ReleaseActionSlot(effect.holder);
  return 0;
}

int32_t TgsLayerSets::EffectTarget(int32_t target, ActionHolder*& holder, EffectSlot*& slot, int32_t set) {
  slot = nullptr;
  if (target > 0) {
    ClearLayerActions(set, false);
    holder = &GetLayer(set).effect;
    return 0;
  }
  if (!SlotInRange(-target)) return 1;
  slot = &effects_[size_t(-target)];
  slot->record.kind = Kind::kNone;
  ReleaseActionSlot(slot->holder);
  holder = &slot->holder;
  return 0;
}

void TgsLayerSets::WriteEffectRecord(EffectSlot* slot, int32_t kind, std::initializer_list<int32_t> words,
                                     const char* name) {
  if (!slot) return;
  slot->record.Clear();
  slot->record.kind = kind;
  size_t i = 0;
  for (int32_t word : words)
    if (i < 6) slot->record.p[i++] = word;
  if (name) slot->record.SetName(name);
}

// --- background layer effects ------------------------------------------------------------

int32_t TgsLayerSets::StartBgZoom(int32_t set, int32_t w1, int32_t w2, const char* w3, const char* w4, int32_t w5) {
  ClearLayerActions(set, false);
  if (!LayerEffectsRun()) return SetLayerZoom(w1, w2, w3, set);
  Layer& layer = GetLayer(set);
  BackgroundLayer* target = &Display(set);
  if (CreateLayerAction(layer.effect, "bg_zoom", target, Cells({w1, w2, Cell(w3), Cell(w4), w5})) != 0) return 1;
  int32_t x = 0, y = 0, w = 0, h = 0;
  if (LayerAction* action = ActionOf(layer.effect)) action->Query({Cell(&x), Cell(&y), Cell(&w), Cell(&h)});
  LayerRecord& r = layer.record;
  r.ClearPlacement();
  r.zoomLeft = x;
  r.zoomTop = y;
  r.zoomRight = x + w;
  r.zoomBottom = y + h;
  return 0;
}

int32_t TgsLayerSets::StartBgRot(int32_t set, int32_t angle, const char* scale, int32_t x, int32_t y,
                                 const char* curve, int32_t duration) {
  ClearLayerActions(set, false);
  if (!LayerEffectsRun()) return SetLayerRotation(angle, scale, x, y, set);
  Layer& layer = GetLayer(set);
  BackgroundLayer* target = &Display(set);
  if (CreateLayerAction(layer.effect, "bg_rot", target, Cells({x, y, angle, Cell(scale), Cell(curve), duration})) != 0)
    return 1;
  LayerRecord& r = layer.record;
  r.ClearZoomAndRotation();
  r.x = x;
  r.y = y;
  r.rotationAngle = angle;
  r.rotationScale = float(DecimalText(scale, 1.0, kScaleDecimals));
  return 0;
}

int32_t TgsLayerSets::ControlBgPanime(const char* name, int32_t set) {
  CallbackAssistFunc2 assist =
      environment_.actions ? environment_.actions->FindCallbackAssist2("bg_panime") : nullptr;
  if (!assist) return -2;
  int32_t x = 0, y = 0;
  LayerObject* object = &Display(set);
  if (const int32_t code = assist(Cells({Cell(object), Cell(name), Cell(&x), Cell(&y)})); code != 0) return code;
  LayerRecord& r = GetLayer(set).record;
  r.ClearZoomAndRotation();
  r.x = x;
  r.y = y;
  return 0;
}

// --- the blur -------------------------------------------------------------------------------

void TgsLayerSets::RecordBlurEnd(int32_t set, int32_t cx, int32_t cy, const ZoomRect& rect, double zoom,
                                 int32_t angle) {
  LayerRecord& r = GetLayer(set).record;
  r.ClearPlacement();
  // A turn moved so that the centre stays put is the turn about the
  // centre: kept as the rotation a layer records (centre, zoom, angle). A
  // zoom without one is the part of the picture stretched over the screen.
  if ((uint32_t(angle) & kBlurAngleMask) != 0) {
    r.x = cx;
    r.y = cy;
    r.rotationScale = float(zoom);
    r.rotationAngle = angle;
    return;
  }
  r.zoomLeft = rect.x;
  r.zoomTop = rect.y;
  r.zoomRight = rect.x + rect.w;
  r.zoomBottom = rect.y + rect.h;
}

int32_t TgsLayerSets::CallBgBlurAssist(int32_t set, int32_t x, int32_t y, double zoom, double angle) {
  CallbackAssistFunc2 assist = environment_.actions ? environment_.actions->FindCallbackAssist2("bg_blur") : nullptr;
  if (!assist) return -2;
  int32_t rx = 0, ry = 0, rw = 0, rh = 0;
  LayerObject* object = &Display(set);
  const DoubleCells zoomCells(zoom), angleCells(angle);
  if (const int32_t code = assist(Cells({Cell(object), x, y, zoomCells.low, zoomCells.high, angleCells.low,
                                         angleCells.high, Cell(&rx), Cell(&ry), Cell(&rw), Cell(&rh)}));
      code != 0)
    return code;
  RecordBlurEnd(set, x, y, ZoomRect{rx, ry, rw, rh}, zoom, TruncToInt32(angle));
  return 0;
}

int32_t TgsLayerSets::ChangeBgBlur(int32_t set, int32_t x, int32_t y, const char* zoom, const char* angle) {
  ClearLayerActions(set, false);
  return CallBgBlurAssist(set, x, y, DecimalText(zoom, 1.0, kScaleDecimals), DecimalText(angle, 0.0, kInt32Decimals));
}

int32_t TgsLayerSets::StartBgBlur(int32_t set, const BgBlurCommand& c) {
  ClearLayerActions(set, false);
  std::vector<BlurPoint> points;
  if (c.path && ParseBlurPointList(c.path, &points) < 1) return 2;
  if (!LayerEffectsRun()) {
    if (!c.keepEnd) return 0;
    if (!c.path) return ChangeBgBlur(set, c.x, c.y, c.endZoom, c.endAngle);
    const BlurPoint& last = points.back();
    return CallBgBlurAssist(set, int32_t(std::lround(last.x)), int32_t(std::lround(last.y)), last.scale, 0.0);
  }
  Layer& layer = GetLayer(set);
  // The blur draws from the picture as it is: a zoom or turn the layer kept
  // from before gives way to it (the blur would find the canvas's copy taken).
  if (SpriteCanvas* canvas = Canvas(set); canvas && canvas->BackCopy()) {
    canvas->ReleaseBackCopy();
    canvas->MarkAllChanged();
  }
  layer.record.ClearZoomAndRotation();
  BackgroundLayer* target = &Display(set);
  const ObjectArgument common[] = {c.duration, c.opacity,  Cell(c.curve), Cell(c.picture), c.upsideDown,
                                  c.leftRight, c.direct, c.blendMode,    c.delay,          c.keepEnd};
  std::vector<ObjectArgument> cells;
  if (c.path)
    cells = {Cell(c.path), c.smooth};
  else
    cells = {0, c.x, c.y, Cell(c.startZoom), Cell(c.startAngle), Cell(c.endZoom), Cell(c.endAngle)};
  cells.insert(cells.end(), std::begin(common), std::end(common));
  if (CreateLayerAction(layer.effect, "bg_blur", target, ObjectArguments{cells.data(), cells.size()}) != 0) return 1;
  if (c.keepEnd) {
    // What the blur leaves when it ends, known now so that a save taken
    // while it runs shows the end.
    const BlurPoint end = c.path ? points.back()
                                 : BlurPoint{double(c.x), double(c.y), DecimalText(c.endZoom, 1.0, kScaleDecimals)};
    const int32_t angle = c.path ? 0 : TruncToInt32(DecimalText(c.endAngle, 0.0, kInt32Decimals));
    const int32_t x = c.path ? int32_t(std::lround(end.x)) : c.x;
    const int32_t y = c.path ? int32_t(std::lround(end.y)) : c.y;
    ZoomRect rect;
    if (ComputeScaledRect(Canvas(set), x, y, end.scale, angle, &rect) == 0)
      RecordBlurEnd(set, x, y, rect, end.scale, angle);
  }
  if (c.wait && WaitForAction(layer.effect, c.skippable) < 0) return -1;
  return 0;
}

int32_t TgsLayerSets::StartBgPanime(int32_t set, const char* name, int32_t word, int32_t flag1, int32_t flag2,
                                    int32_t slot) {
  if (!HasName(name) || slot >= int32_t(kEffectSlots)) return 1;
  if (slot >= 0 && !FitsRecord(name)) return 2;
  ActionHolder* holder = nullptr;
  EffectSlot* effect = nullptr;
  if (EffectTarget(slot < 0 ? 1 : -slot, holder, effect, set) != 0) return 1;
  const bool run = effect ? EffectsOn() : LayerEffectsRun();
  const int32_t setWord = SetIndex(set);
  if (!run) {
    WriteEffectRecord(effect, Kind::kBgPanime, {setWord, word, flag1, flag2}, name);
    const int32_t code = ControlBgPanime(name, set);
    return code ? code + 4 : 0;
  }
  BackgroundLayer* target = &Display(set);
  if (CreateLayerAction(*holder, "bg_panime", target, Cells({Cell(name), word, flag1, flag2})) != 0) return 3;
  int32_t x = 0, y = 0;
  if (LayerAction* action = ActionOf(*holder)) action->Query({Cell(&x), Cell(&y)});
  LayerRecord& r = GetLayer(set).record;
  r.ClearZoomAndRotation();
  r.x = x;
  r.y = y;
  WriteEffectRecord(effect, Kind::kBgPanime, {setWord, word, flag1, flag2}, name);
  return 0;
}

int32_t TgsLayerSets::StartBgDistortion(int32_t set, int32_t mode, int32_t w1, int32_t w2, int32_t w3,
                                        int32_t target, int32_t w4, int32_t w5, int32_t byte) {
  if (mode < 0 || mode > 3) return 1;
  if (mode == 3) {
    // Moves the running distortion into an effect slot.
    const int32_t to = target < 0 ? -target : target;
    if (!SlotInRange(to)) return 1;
    Layer& layer = GetLayer(set);
    LayerAction* running = ActionOf(layer.effect);
    const bool layerHolds = running && (std::strcmp(running->GetName(), "bg_rast") == 0 ||
                                        std::strcmp(running->GetName(), "bg_haze") == 0);
    if (layerHolds) {
      EffectSlot& slot = effects_[size_t(to)];
      ReleaseActionSlot(slot.holder);
      slot.holder = layer.effect;
      layer.effect.Clear();
      WriteEffectRecord(&slot, std::strcmp(running->GetName(), "bg_rast") == 0 ? Kind::kBgRast : Kind::kBgHaze10,
                        {SetIndex(set), w1, w2, w3, w4, byte}, nullptr);
      return 0;
    }
    for (size_t i = 0; i < kEffectSlots; ++i) {
      EffectSlot& from = effects_[i];
      if (from.record.kind < Kind::kBgRast || from.record.kind > Kind::kBgHaze20 || !HolderRunning(from.holder))
        continue;
      if (int32_t(i) == to) return 5;
      EffectSlot& slot = effects_[size_t(to)];
      ReleaseActionSlot(slot.holder);
      slot.record = from.record;
      slot.holder = from.holder;
      from.record.Clear();
      from.holder.Clear();
      return 0;
    }
    return 4;
  }
  ActionHolder* holder = nullptr;
  EffectSlot* effect = nullptr;
  if (EffectTarget(target, holder, effect, set) != 0) return 1;
  const int32_t kind = Kind::kBgRast + mode;
  if (EffectsOn()) {
    BackgroundLayer* layerTarget = &Display(set);
    static constexpr const char* kHazeProfiles[] = {"(1,0,10)", "(1,0,20)"};
    const int32_t made =
        mode == 0 ? CreateLayerAction(*holder, "bg_rast", layerTarget, Cells({w1, w2, w3, w4, w5, 0, byte}))
                  : CreateLayerAction(*holder, "bg_haze", layerTarget,
                                      Cells({Cell(kHazeProfiles[mode - 1]), w1, w2, w3, w4, w5, byte}));
    if (made != 0) return mode == 0 ? 2 : 3;
  }
  WriteEffectRecord(effect, kind, {SetIndex(set), w1, w2, w3, w4, byte}, nullptr);
  return 0;
}

int32_t TgsLayerSets::StartBgLoop(int32_t set, int32_t byte, int32_t word, int32_t target) {
  ActionHolder* holder = nullptr;
  EffectSlot* effect = nullptr;
  if (target > 0) {
    ClearLayerActions(set, false);
    holder = &GetLayer(kFront).effect;
  } else if (EffectTarget(target, holder, effect, set) != 0) {
    return 1;
  }
  if (EffectsOn()) {
    BackgroundLayer* layerTarget = &Display(set);
    if (CreateLayerAction(*holder, "bg_loop", layerTarget, Cells({byte, word, target > 0 ? target : 0, target > 0})) !=
        0)
      return 2;
  }
  WriteEffectRecord(effect, Kind::kBgLoop, {SetIndex(set), byte, word}, nullptr);
  return 0;
}

int32_t TgsLayerSets::StartBgCross(int32_t word, int32_t target, int32_t byte1, int32_t byte2) {
  ActionHolder* holder = nullptr;
  EffectSlot* effect = nullptr;
  if (target > 0) {
    ClearLayerActions(kFront, false);
    holder = &GetLayer(kFront).effect;
  } else if (EffectTarget(target, holder, effect, kFront) != 0) {
    return 1;
  }
  if (EffectsOn()) {
    BackgroundLayer* layerTarget = &Display(kFront);
    if (CreateLayerAction(*holder, "bg_cross", layerTarget, Cells({word, 0, byte1, byte2})) != 0) return 2;
  }
  WriteEffectRecord(effect, Kind::kBgCross, {word, byte1, byte2}, nullptr);
  return 0;
}

// --- overlay effects -----------------------------------------------------------------------

int32_t TgsLayerSets::StartNoise(int32_t slot, int32_t a, int32_t b, int32_t c) {
  ActionHolder* holder = nullptr;
  EffectSlot* effect = nullptr;
  if (!SlotInRange(slot)) return 1;
  EffectTarget(-slot, holder, effect, kFront);
  if (EffectsOn()) {
    LayerHost* host = this;
    if (CreateLayerAction(*holder, "noise", host, Cells({a, int32_t(kNoiseOrder), b, c})) != 0) return 2;
  }
  WriteEffectRecord(effect, Kind::kNoise, {a, b, c}, nullptr);
  return 0;
}

int32_t TgsLayerSets::StartQuake(int32_t amplitude, int32_t w1, int32_t w2, int32_t target, int32_t w3, int32_t f1,
                                 int32_t f2, int32_t f3, int32_t set, int32_t f4) {
  ActionHolder* holder = nullptr;
  EffectSlot* effect = nullptr;
  if (target > 0) {
    holder = &GetLayer(set).quake;
    ReleaseActionSlot(*holder);
  } else if (EffectTarget(target, holder, effect, set) != 0) {
    return 1;
  }
  if (EffectsOn()) {
    LayerHost* host = this;
    if (CreateLayerAction(*holder, "quake", host, Cells({amplitude, w1, w2, w3, 0, f1, f2, f3, f4})) != 0) return 2;
  }
  WriteEffectRecord(effect, Kind::kQuake, {amplitude, w1, w2, f1, f2, f3}, nullptr);
  return 0;
}

int32_t TgsLayerSets::WaitQuake(int32_t set, bool skippable) { return WaitForAction(GetLayer(set).quake, skippable); }

int32_t TgsLayerSets::StopQuake(int32_t set) {
  ReleaseActionSlot(GetLayer(set).quake);
  return 0;
}

int32_t TgsLayerSets::StartWeather(int32_t slot, int32_t kind, int32_t count, int32_t byte1, const char* name,
                                   int32_t byte2, int32_t byte3) {
  static constexpr const char* kNames[] = {"paper", "light", "snow", "rain"};
  if (kind < 0 || kind > 3 || !SlotInRange(slot) || (name && !FitsRecord(name))) return 1;
  ActionHolder* holder = nullptr;
  EffectSlot* effect = nullptr;
  EffectTarget(-slot, holder, effect, kFront);
  if (EffectsOn()) {
    LayerHost* host = this;
    if (CreateLayerAction(*holder, kNames[kind], host,
                          Cells({count, int32_t(kWeatherOrder), int32_t(kWeatherSpread), byte1, Cell(name), byte2,
                                 byte3})) != 0)
      return 2;
  }
  WriteEffectRecord(effect, Kind::kPaper + kind, {count, byte2, byte3, byte1}, name);
  return 0;
}

// --- sprite and parts on a layer ---------------------------------------------------------------

int32_t TgsLayerSets::StartSpMovie(const char* name, int32_t slot, int32_t set, int32_t byte, int32_t w1, int32_t w2,
                                   int32_t w3) {
  if (!HasName(name) || slot >= int32_t(kEffectSlots)) return 1;
  if (!FitsRecord(name)) return 2;
  ActionHolder* holder = nullptr;
  EffectSlot* effect = nullptr;
  if (EffectTarget(slot < 0 ? 1 : -slot, holder, effect, set) != 0) return 1;
  if (CreateLayerAction(*holder, "sp_movie", Display(set).Display(), Cells({Cell(name), byte, w1, w2, w3})) != 0)
    return 3;
  WriteEffectRecord(effect, Kind::kSpMovie, {SetIndex(set), byte, w1, w2, w3}, name);
  return 0;
}

int32_t TgsLayerSets::StartSpParts(const char* name, int32_t word, int32_t set, int32_t slot, int32_t byte1,
                                   int32_t byte2, int32_t byte3) {
  if (!HasName(name) || slot >= int32_t(kEffectSlots)) return 1;
  if (slot >= 0 && !FitsRecord(name)) return 3;
  if (slot < 0 && byte2 != 0) return 2;
  // Layer 2 stands for the front set, and the record keeps the 2.
  const int32_t setWord = set == 2 ? 2 : SetIndex(set);
  const int32_t used = set == 2 ? kFront : SetIndex(set);
  ActionHolder* holder = nullptr;
  EffectSlot* effect = nullptr;
  if (EffectTarget(slot < 0 ? 1 : -slot, holder, effect, used) != 0) return 1;
  const bool run = effect ? EffectsOn() : LayerEffectsRun();
  if (run) {
    const DoubleCells scale(1.0);
    // Layer 2 shows the figure on the front display and on the back one
    // paired with it, each by its own byte (the bytes the slot record
    // exchanges when the sets do); any other layer on its own display.
    const int32_t bothDisplays = set == 2 ? 1 : 0;
    if (CreateLayerAction(*holder, "sp_parts", Display(used).Display(),
                          Cells({Cell(name), 0, 0, word, byte3, scale.low, scale.high, 0, 0, bothDisplays, byte1,
                                 byte2})) != 0)
      return 4;
  }
  WriteEffectRecord(effect, Kind::kSpParts, {word, byte1, byte2, setWord, byte3}, name);
  return 0;
}

// --- sprite actions ------------------------------------------------------------------------------

int32_t TgsLayerSets::WaitSpriteAction(int32_t number, int32_t set, int32_t group, bool skippable) {
  SpriteSlot* slot = FindSprite(number, set, group);
  if (!slot) return 3;
  if (!HolderRunning(slot->action)) {
    slot->action.Clear();
    return 0;
  }
  if (slot->record.actionKind != SpriteSlotRecord::kNoAction) {
    // An endless action would never end the wait.
    ReleaseSpriteAction(*slot);
    return 2;
  }
  return WaitForAction(slot->action, skippable);
}

int32_t TgsLayerSets::StopSpriteAction(int32_t number, int32_t set, int32_t group, bool immediate) {
  SpriteSlot* slot = FindSprite(number, set, group);
  if (!slot) return 1;
  if (slot->record.actionKind == SpriteSlotRecord::kPanimeAction && !immediate) {
    if (LayerAction* action = ActionOf(slot->action)) {
      slot->record.actionKind = SpriteSlotRecord::kNoAction;
      return action->Control({0});
    }
  }
  ReleaseSpriteAction(*slot);
  slot->record.actionKind = SpriteSlotRecord::kNoAction;
  return 0;
}

}  // namespace orrivel
