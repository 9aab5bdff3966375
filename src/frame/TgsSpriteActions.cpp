// The actions of single sprites: the cross-fade from one picture to
// another ("sp_cfade"), the path animation ("sp_panime"), the change to
// another picture along a path ("sp_change") and the figure's parts
// ("sp_parts"), with the end state an animation leaves applied at once when
// effects are off.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/Cp932.h"

#include "effect/LayerAction.h"
#include "effect/SpritePartsAction.h"
#include "frame/PictureColourModes.h"
#include "frame/TgsLayerSets.h"
#include "resource/DcpManager.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

namespace {

// A text, object or output handed on as what it is.
template <class T>
ObjectArgument Cell(T* pointer) {
  return ObjectArgument(pointer);
}

bool HasName(const char* name) { return name != nullptr && name[0] != '\0'; }

constexpr int32_t kAssistApplyKey = 1;

// A sprite's file name without its folder and extension.
std::string_view SpriteBaseName(std::string_view name) {
  if (const size_t slash = name.find_last_of("/\\"); slash != std::string_view::npos) name.remove_prefix(slash + 1);
  return name.substr(0, name.find('.'));
}

}  // namespace

int32_t TgsLayerSets::TakeOutAndLoad(SpriteSlot& slot, int32_t number, const char* name, int32_t place,
                                     int32_t set, int32_t group) {
  // The old sprite leaves the slot but stays on the canvas for the action;
  // it is held aside while the slot takes its new picture.
  ReleaseSpriteAction(slot);
  std::unique_ptr<ImageSprite> leavingSprite = std::move(slot.sprite);
  std::shared_ptr<Surface> leavingPicture = std::move(slot.picture);
  int32_t loaded = 0;
  if (HasName(name)) {
    loaded = ParseSpriteName(number, name, set, group);
    // Moved while the old sprite is held here: a move ends what the slot
    // runs, a sprite it was leaving included.
    if (loaded == 0 && place >= 0) MoveSprite(number, place, false, set, group);
  } else {
    const uint32_t order = slot.record.order;
    slot.record = SpriteSlotRecord{};
    slot.record.order = order;
  }
  slot.outgoing = std::move(leavingSprite);
  slot.outgoingPicture = std::move(leavingPicture);
  if (loaded != 0) DropOutgoing(slot);
  return loaded;
}

int32_t TgsLayerSets::StartSpCrossFade(int32_t number, const char* name, int32_t place, int32_t duration,
                                       int32_t set, int32_t group) {
  SpriteSlot* slot = FindSprite(number, set, group);
  if (!slot) return 1;
  StopTransition();
  if (!slot->sprite) {
    if (!HasName(name)) return 2;
    if (place < 0) place = 0;
  } else if (HasName(name) && place < 0 && slot->record.colourMode == 0 &&
             cp932::CompareNoCase(std::string_view(slot->record.imageName, strnlen(slot->record.imageName, 32)),
                                  name) == 0) {
    return 0;
  }
  if (TakeOutAndLoad(*slot, number, name, place, set, group) != 0) return 4;
  if (Skipping(2)) {
    DropOutgoing(*slot);
    return 0;
  }
  Drawable* incoming = slot->sprite.get();
  Drawable* leaving = slot->outgoing.get();
  const ObjectArgument cells[] = {Cell(incoming), Cell(leaving),
                                 std::intptr_t(ListKey(slot->record.order)), duration, 1};
  if (CreateLayerAction(slot->action, "sp_cfade", Display(set).Display(), ObjectArguments{cells, std::size(cells)}) !=
      0) {
    DropOutgoing(*slot);
    return 5;
  }
  return 0;
}

void TgsLayerSets::RecordPanimeEnd(SpriteSlot& slot, int32_t x, int32_t y, int32_t alpha, float scale, float angle,
                                   int32_t cx, int32_t cy) {
  SpriteSlotRecord& r = slot.record;
  r.x = r.baseX + x;
  r.y = r.baseY + y;
  if (alpha >= 0) r.alpha = uint8_t(alpha);
  r.zoom = scale == 1.0f ? 0.0f : scale;
  r.zoomAngle = int32_t(std::lround(angle));
  r.zoomCentreX = cx;
  r.zoomCentreY = cy;
}

int32_t TgsLayerSets::ControlSpPanime(int32_t number, int32_t set, int32_t group, const char* name) {
  SpriteSlot* slot = FindSprite(number, set, group);
  if (!slot || !slot->sprite) return 1;
  CallbackAssistFunc2 assist =
      environment_.actions ? environment_.actions->FindCallbackAssist2("sp_panime") : nullptr;
  if (!assist) return -2;
  int32_t x = 0, y = 0, alpha = -1, orderMode = 0, cx = 0, cy = 0;
  float scale = 1.0f, angle = 0.0f;
  Drawable* sprite = slot->sprite.get();
  const ObjectArgument cells[] = {kAssistApplyKey, Cell(sprite), Cell(name),     Cell(&x),  Cell(&y), Cell(&alpha),
                                 Cell(&orderMode), Cell(&scale), Cell(&angle), Cell(&cx), Cell(&cy)};
  if (const int32_t code = assist(ObjectArguments{cells, std::size(cells)}); code != 0) return code;
  RecordPanimeEnd(*slot, x, y, alpha, scale, angle, cx, cy);
  return 0;
}

int32_t TgsLayerSets::StartSpPanime(int32_t number, int32_t set, int32_t group, const char* name, int32_t speed,
                                    bool loop) {
  SpriteSlot* slot = FindSprite(number, set, group);
  if (!slot || !slot->sprite) return 2;
  if (!HasName(name) || std::strlen(name) >= sizeof slot->record.actionName) return 3;
  StopTransition();
  ReleaseSpriteAction(*slot);
  SpriteSlotRecord& r = slot->record;
  r.actionKind = SpriteSlotRecord::kNoAction;
  if (!LayerEffectsRun()) {
    const int32_t code = ControlSpPanime(number, set, group, name);
    return code ? code + 4 : 0;
  }
  Drawable* sprite = slot->sprite.get();
  const ObjectArgument cells[] = {Cell(sprite), Cell(name), speed, loop ? 1 : 0};
  if (CreateLayerAction(slot->action, "sp_panime", nullptr, ObjectArguments{cells, std::size(cells)}) != 0) return 4;
  RecordActionEnd(*slot);
  // Kept so that a load starts it again.
  r.actionKind = SpriteSlotRecord::kPanimeAction;
  r.actionWord = speed;
  CopyNameField(r.actionName, sizeof r.actionName, name);
  return 0;
}

void TgsLayerSets::RecordActionEnd(SpriteSlot& slot) {
  int32_t x = 0, y = 0, alpha = -1, orderMode = 0, cx = 0, cy = 0;
  float scale = 1.0f, angle = 0.0f, rotating = 0.0f;
  LayerAction* action = ActionOf(slot.action);
  if (!action) return;
  action->Query({Cell(&x), Cell(&y), Cell(&alpha), Cell(&orderMode), Cell(&scale), Cell(&angle), Cell(&cx), Cell(&cy),
                 Cell(&rotating)});
  RecordPanimeEnd(slot, x, y, alpha, rotating != 0.0f ? scale : 1.0f, angle, cx, cy);
}

int32_t TgsLayerSets::StartSpChange(int32_t number, const char* name, const char* keys, int32_t time, bool zoom,
                                    int32_t style, int32_t set, int32_t group) {
  SpriteSlot* slot = FindSprite(number, set, group);
  if (!slot || !HasName(name) || style < 0 || style > 2) return 1;
  if (!slot->sprite) return 2;
  SpriteSlotRecord& r = slot->record;
  const std::string_view current(r.imageName, strnlen(r.imageName, sizeof r.imageName));
  if (r.colourMode == 0 && cp932::CompareNoCase(current, name) == 0) return 3;
  // The cross-fading style takes its kind from the picture being left: a
  // small, middle or extra-large figure.
  int32_t mode = style;
  if (style == 2) {
    const std::string_view base = SpriteBaseName(current);
    const char last = base.empty() ? '\0' : char(std::toupper(static_cast<unsigned char>(base.back())));
    mode = last == 'S' ? 2 : last == 'M' ? 3 : last == 'X' ? 4 : 0;
  }
  StopTransition();
  if (TakeOutAndLoad(*slot, number, name, -1, set, group) != 0) return 4;
  if (!LayerEffectsRun()) {
    DropOutgoing(*slot);
    const int32_t code = ControlSpPanime(number, set, group, keys);
    return code ? code + 5 : 0;
  }
  Drawable* incoming = slot->sprite.get();
  Drawable* leaving = slot->outgoing.get();
  const ObjectArgument cells[] = {Cell(incoming), Cell(leaving), Cell(keys), mode, std::intptr_t(ListKey(r.order)),
                                 zoom ? 1 : 0,   time};
  if (CreateLayerAction(slot->action, "sp_change", nullptr, ObjectArguments{cells, std::size(cells)}) != 0) {
    DropOutgoing(*slot);
    return 5;
  }
  RecordActionEnd(*slot);
  return 0;
}

int32_t TgsLayerSets::LoadSpPartsTable(int32_t number, int32_t set, int32_t group, bool keep, int32_t word) {
  SpriteSlot* slot = FindSprite(number, set, group);
  if (!slot || !slot->picture || !slot->sprite) return 2;
  SpriteSlotRecord& r = slot->record;
  if (r.characterIndex < 0 || r.characterIndex >= SpriteSlotRecord::kUnlisted) return 3;
  StopTransition();
  ReleaseSpriteAction(*slot);
  r.actionKind = SpriteSlotRecord::kNoAction;
  // The table of the character; figures whose name ends in "X" have their own.
  const std::string_view base = SpriteBaseName(std::string_view(r.imageName, strnlen(r.imageName, sizeof r.imageName)));
  const int32_t table = r.characterIndex + (!base.empty() && (base.back() == 'X' || base.back() == 'x') ? 80 : 40);
  char tableName[32];
  std::snprintf(tableName, sizeof tableName, "SYS/CA0%02d.TXT", int(table));
  if (LayerEffectsRun()) {
    uint64_t bits = 0;
    const double scale = 1.0;
    std::memcpy(&bits, &scale, sizeof bits);
    const ObjectArgument cells[] = {Cell(tableName),
                                   r.x - r.baseX,
                                   r.y - r.baseY,
                                   std::intptr_t(ListKey(r.order)),
                                   0,
                                   std::intptr_t(uint32_t(bits)),
                                   std::intptr_t(uint32_t(bits >> 32))};
    if (CreateLayerAction(slot->action, "sp_parts", Display(set).Display(), ObjectArguments{cells, std::size(cells)}) !=
        0)
      return 4;
    // The figure's parts take the colour the frame gives new sprites.
    auto* parts = dynamic_cast<SpritePartsAction*>(ActionOf(slot->action));
    if (autoColourMode != 0 && parts) {
      for (int32_t i = 0; i < parts->PartCount(); ++i)
        ApplyPictureColourMode(&parts->GetPart(i)->surface, autoColourMode);
      if (SpriteCanvas* canvas = Canvas(set)) canvas->MarkAllChanged();
    }
  }
  if (keep) {
    r.actionKind = SpriteSlotRecord::kPartsAction;
    r.actionWord = word;
  }
  return 0;
}

}  // namespace orrivel
