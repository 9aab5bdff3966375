// The background layers and sprite slots of the two sets. The effect
// commands live in TgsLayerEffects.cpp.
#include "frame/TgsLayerSets.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "base/Cp932.h"
#include "base/DecimalRange.h"
#include "base/TimerList.h"
#include "frame/BackgroundTintClass.h"
#include "frame/PictureColourModes.h"
#include "raster/LibraryImageOps.h"
#include "raster/Surface.h"
#include "resource/DcpManager.h"
#include "scene/CanvasDrawObject.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

namespace {

constexpr int32_t kAnchorX = 640;
constexpr int32_t kAnchorY = 720;
constexpr int32_t kLeftX = 320;
constexpr int32_t kRightX = 960;
constexpr size_t kImageNameBytes = 32;
constexpr int32_t kPivotAt = 5;  // any code past the corners: (x, y)

std::string_view FieldText(const char* field, size_t bytes) { return {field, strnlen(field, bytes)}; }

bool SameName(const char* field, std::string_view name) {
  return cp932::CompareNoCase(FieldText(field, kImageNameBytes), name) == 0;
}

std::string_view FileBaseName(std::string_view name) {
  const size_t slash = name.find_last_of("/\\");
  return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

// A fresh surface holding the named picture, or null.
std::shared_ptr<Surface> LoadPicture(std::string_view name) {
  auto picture = std::make_shared<Surface>();
  const std::string path(name);
  if (picture->LoadImage(path.c_str(), nullptr, 0, 0) != 0) return nullptr;
  return picture;
}

// A decimal text as a number; none reads as fallback.
// A decimal the script wrote, held to what its use takes; a text that is
// no number reads as 0, as it always has.
double DecimalText(const char* text, double fallback, const DecimalRange& range) {
  return text ? range.Read(text, 0.0) : fallback;
}

// Bit of the group in a group mask: 1 group 1, 2 group 0, 4 group 2.
uint32_t GroupBit(int32_t group) { return group == 1 ? 1u : (group == 2 ? 4u : 2u); }

}  // namespace

SpriteCanvas* TgsLayerDisplay::GetLayerCanvas() { return display_ ? display_->GetCanvas() : nullptr; }

TgsLayerSets::TgsLayerSets(TgsLayerEnvironment environment) : environment_(std::move(environment)) {
  for (int32_t set = 0; set < 2; ++set) displays_[set].Bind(environment_.displays[set]);
  displays_[kFront].SetSecondPage(&displays_[kBack]);
  for (int32_t group = 0; group < kGroupCount; ++group)
    for (int32_t set = 0; set < 2; ++set)
      for (uint32_t number = 0; number < GroupSlots(group); ++number)
        Slot(group, set, number).record.order = GroupBase(group) + number * kOrderStep;
}

TgsLayerSets::~TgsLayerSets() {
  // Actions draw into the canvases and pictures held here: they end first.
  for (EffectSlot& slot : effects_) ReleaseActionSlot(slot.holder);
  for (Layer& layer : layers_)
    for (ActionHolder* holder : {&layer.effect, &layer.quake, &layer.animation}) ReleaseActionSlot(*holder);
  for (auto& group : slots_)
    for (auto& set : group)
      for (SpriteSlot& slot : set) {
        ReleaseSpriteAction(slot);
        if (slot.sprite && slot.sprite->OwningList()) slot.sprite->OwningList()->Remove(slot.sprite.get());
      }
  for (int32_t set = 0; set < 2; ++set)
    if (SpriteCanvas* canvas = Canvas(set)) canvas->SetBackgroundValue(canvas->GetBackgroundValue(), 0);
}

SpriteCanvas* TgsLayerSets::Canvas(int32_t set) { return displays_[SetIndex(set)].GetLayerCanvas(); }

Surface* TgsLayerSets::GetScreenSurface() {
  SpriteCanvas* canvas = Canvas(kFront);
  return canvas ? canvas->GetTarget() : nullptr;
}

TgsLayerSets::SpriteSlot& TgsLayerSets::Slot(int32_t group, int32_t set, uint32_t number) {
  return slots_[size_t(GroupIndex(group))][size_t(SetIndex(set))][number];
}

TgsLayerSets::SpriteSlot& TgsLayerSets::SlotAt(size_t index) {
  static constexpr int32_t kSaveGroups[] = {1, 0, 2};
  for (int32_t group : kSaveGroups) {
    const size_t count = GroupSlots(group);
    if (index < 2 * count) return Slot(group, int32_t(index / count), uint32_t(index % count));
    index -= 2 * count;
  }
  return Slot(2, 1, GroupSlots(2) - 1);
}

// --- sharing -------------------------------------------------------------------

bool TgsLayerSets::LayerPictureShared(int32_t set) const {
  const Layer& mine = layers_[SetIndex(set)];
  const Layer& twin = layers_[1 - SetIndex(set)];
  return mine.picture && mine.picture == twin.picture;
}

bool TgsLayerSets::SlotPictureShared(int32_t group, int32_t set, uint32_t number) {
  SpriteSlot& mine = Slot(group, set, number);
  return mine.picture && mine.picture == Slot(group, 1 - SetIndex(set), number).picture;
}

bool TgsLayerSets::OwnLayerPicture(int32_t set) {
  if (!LayerPictureShared(set)) return true;
  Layer& layer = GetLayer(set);
  auto copy = std::make_shared<Surface>();
  if (copy->CreateLike(layer.picture.get(), 0) != 0) return false;
  layer.picture = std::move(copy);
  if (SpriteCanvas* canvas = Canvas(set); canvas && layer.record.captureMask == 0) {
    int32_t x = 0, y = 0;
    canvas->GetBackground(nullptr, &x, &y, nullptr, nullptr, nullptr);
    canvas->SetBackgroundImage(layer.picture.get(), x, y, 1);
  }
  return true;
}

bool TgsLayerSets::OwnSpritePicture(SpriteSlot& slot, SpriteSlot& twin) {
  if (!slot.picture || slot.picture != twin.picture) return true;
  auto copy = std::make_shared<Surface>();
  if (copy->CreateLike(slot.picture.get(), 0) != 0) return false;
  slot.picture = std::move(copy);
  if (slot.sprite) slot.sprite->ReplaceSurface(slot.picture.get());
  return true;
}

// --- background layers ----------------------------------------------------------

void TgsLayerSets::ShowLayerColour(int32_t set) {
  if (SpriteCanvas* canvas = Canvas(set)) canvas->SetBackgroundValue(GetLayer(set).record.colour, 1);
}

void TgsLayerSets::ShowLayerPicture(int32_t set) {
  Layer& layer = GetLayer(set);
  SpriteCanvas* canvas = Canvas(set);
  if (!canvas) return;
  if (!layer.picture) {
    ShowLayerColour(set);
    return;
  }
  canvas->StoreBackgroundValue(layer.record.colour);
  canvas->SetBackgroundImage(layer.picture.get(), layer.record.x, layer.record.y, 1);
}

void TgsLayerSets::RedrawLayer(int32_t set) {
  if (SpriteCanvas* canvas = Canvas(set)) canvas->MarkAllChanged();
}

int32_t TgsLayerSets::LoadLayerImage(std::string_view name, int32_t set) {
  ClearLayerActions(set, false);
  Layer& layer = GetLayer(set);
  LayerRecord& r = layer.record;
  if (!name.empty() && SameName(r.imageName, name) && !r.HasPendingChange()) return 0;
  if (r.captureMask) CaptureScreenToLayer(0, set);
  CopyNameField(r.imageName, sizeof r.imageName, name);
  r.tintClass = BackgroundTintClass(name, tintTable);
  r.colour = 0;
  r.captureMask = r.colourMode = r.mirror = r.flip = r.cinemaBars = r.pixelOpStrength = 0;
  r.ClearPlacement();
  layer.picture.reset();
  if (SpriteCanvas* canvas = Canvas(set)) canvas->ReleaseBackCopy();
  if (name.empty()) {
    ShowLayerColour(set);
    return 0;
  }
  layer.picture = LoadPicture(name);
  if (!layer.picture) {
    ShowLayerColour(set);
    return 1;
  }
  ShowLayerPicture(set);
  if (autoColourMode) ApplyLayerImageEffects(autoColourMode, false, false, false, set);
  return 0;
}

int32_t TgsLayerSets::ClearLayer(uint32_t colour, int32_t set) {
  ClearLayerActions(set, false);
  Layer& layer = GetLayer(set);
  if (layer.record.captureMask) CaptureScreenToLayer(0, set);
  LayerRecord& r = layer.record;
  std::memset(r.imageName, 0, sizeof r.imageName);
  r.tintClass = 0;
  r.captureMask = r.colourMode = r.mirror = r.flip = r.cinemaBars = r.pixelOpStrength = 0;
  r.ClearPlacement();
  r.colour = colour;
  layer.picture.reset();
  ShowLayerColour(set);
  return 0;
}

int32_t TgsLayerSets::SetLayerColour(uint32_t colour, int32_t set) {
  GetLayer(set).record.colour = colour;
  if (SpriteCanvas* canvas = Canvas(set)) canvas->StoreBackgroundValue(colour);
  return 0;
}

int32_t TgsLayerSets::ApplyLayerImageEffects(uint8_t colourMode, bool mirror, bool flip, bool cinemaBars,
                                             int32_t set) {
  ClearLayerActions(set, false);
  Layer& layer = GetLayer(set);
  LayerRecord& r = layer.record;
  if (!layer.picture) return 1;
  if (!ColourModeAllowed(r.colourMode, colourMode) || !OwnLayerPicture(set)) return 2;
  Surface* picture = layer.picture.get();
  if (!ApplyImageEffects(picture, r.colourMode, r.mirror, r.flip, colourMode, mirror, flip)) return 2;
  if (cinemaBars) {
    r.cinemaBars = 1;
    FillCinemaBars(picture);
  }
  RedrawLayer(set);
  return 0;
}

int32_t TgsLayerSets::ApplyLayerPixelOp(uint8_t strength, int32_t set) {
  ClearLayerActions(set, false);
  Layer& layer = GetLayer(set);
  if (!layer.picture) return 1;
  if (layer.record.cinemaBars || layer.record.pixelOpStrength) return 2;
  if (!OwnLayerPicture(set)) return 2;
  const uint8_t s = strength ? strength : 1;
  layer.record.pixelOpStrength = s;
  ApplyPixelOp13(layer.picture.get(), s, s, 0, 0);
  RedrawLayer(set);
  return 0;
}

int32_t TgsLayerSets::SetLayerPosition(int32_t x, int32_t y, int32_t set) {
  ClearLayerActions(set, false);
  LayerRecord& r = GetLayer(set).record;
  r.ClearZoomAndRotation();
  r.x = x;
  r.y = y;
  if (SpriteCanvas* canvas = Canvas(set)) {
    canvas->ReleaseBackCopy();
    canvas->SetBackgroundOffsets(x, y);
    canvas->MarkAllChanged();
  }
  return 0;
}

int32_t TgsLayerSets::CallLayerSlots(int32_t set, uint32_t groupMask, bool visible) {
  for (int32_t group = 0; group < kGroupCount; ++group) {
    if (!(groupMask & GroupBit(group))) continue;
    for (uint32_t number = 0; number < GroupSlots(group); ++number)
      if (ImageSprite* sprite = Slot(group, set, number).sprite.get()) sprite->SetVisible(visible ? 1 : 0);
  }
  return 0;
}

int32_t TgsLayerSets::CaptureScreenToLayer(uint8_t mask, int32_t set) {
  ClearLayerActions(set, false);
  Layer& layer = GetLayer(set);
  if (mask == layer.record.captureMask) return 1;
  SpriteCanvas* canvas = Canvas(set);
  const uint8_t previous = layer.record.captureMask;
  if (previous) {
    // Back to the live picture before anything is captured again.
    CallLayerSlots(set, previous, true);
    layer.capture.reset();
    layer.record.captureMask = 0;
    ShowLayerPicture(set);
  }
  if (mask == 0) return 0;
  if (!canvas || !canvas->GetTarget()) return 2;
  Surface* target = canvas->GetTarget();
  layer.capture = std::make_unique<Surface>();
  if (layer.capture->Create(target->GetWidth(), target->GetHeight(), 32, 0) != 0) {
    layer.capture.reset();
    return 2;
  }
  CallLayerSlots(set, ~uint32_t(mask) & 7u, false);
  const int rendered = canvas->RenderInto(layer.capture.get(), 0, 0, 0);
  CallLayerSlots(set, ~uint32_t(mask) & 7u, true);
  if (rendered != 0) {
    layer.capture.reset();
    return 2;
  }
  CallLayerSlots(set, mask, false);
  canvas->SetBackgroundImage(layer.capture.get(), 0, 0, 1);
  layer.record.captureMask = mask;
  return 0;
}

void TgsLayerSets::ApplyZoomRectangle(int32_t set, int32_t x, int32_t y, int32_t w, int32_t h) {
  LayerRecord& r = GetLayer(set).record;
  r.ClearPlacement();
  SpriteCanvas* canvas = Canvas(set);
  if (canvas && canvas->BackCopy()) {
    r.zoomLeft = x;
    r.zoomTop = y;
    r.zoomRight = x + w;
    r.zoomBottom = y + h;
  }
}

int32_t TgsLayerSets::SetLayerClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t set) {
  ClearLayerActions(set, false);
  SpriteCanvas* canvas = Canvas(set);
  if (!canvas || !canvas->GetTarget()) return 1;
  canvas->SetBackgroundOffsets(0, 0);
  const Rect source{x, y, x + w, y + h};
  Surface* target = canvas->GetTarget();
  const bool stretched = canvas->SetBackgroundStretch(0, 0, target->GetWidth(), target->GetHeight(), &source);
  ApplyZoomRectangle(set, x, y, w, h);
  return stretched || canvas->BackCopy() ? 0 : 1;
}

int32_t TgsLayerSets::SetLayerZoom(int32_t w1, int32_t w2, const char* w3, int32_t set) {
  ClearLayerActions(set, false);
  CallbackAssistFunc2 assist = environment_.actions ? environment_.actions->FindCallbackAssist2("bg_zoom") : nullptr;
  if (!assist) return -2;
  int32_t x = 0, y = 0, w = 0, h = 0;
  const ObjectArgument cells[] = {static_cast<LayerObject*>(&Display(set)), w1, w2, w3, &x, &y, &w, &h};
  if (const int32_t code = assist(ObjectArguments{cells, std::size(cells)}); code != 0) return code;
  GetLayer(set).record.zoomLeft = LayerRecord::kNoZoom;
  ApplyZoomRectangle(set, x, y, w, h);
  return 0;
}

int32_t TgsLayerSets::SetLayerRotation(int32_t angle, const char* scaleText, int32_t x, int32_t y, int32_t set) {
  ClearLayerActions(set, false);
  LayerRecord& r = GetLayer(set).record;
  r.ClearZoomAndRotation();
  const double scale = DecimalText(scaleText, 1.0, kScaleDecimals);
  SpriteCanvas* canvas = Canvas(set);
  if (!canvas) return 1;
  canvas->SetBackgroundOffsets(0, 0);
  canvas->SetBackgroundPivot(kPivotAt, x, y);
  const bool turned = canvas->SetBackgroundRotation(0, 0, angle, scale);
  r.x = x;
  r.y = y;
  r.rotationAngle = angle;
  r.rotationScale = canvas->BackCopy() ? float(scale) : 0.0f;
  return turned || canvas->BackCopy() ? 0 : 1;
}

// --- sprites -------------------------------------------------------------------------

TgsLayerSets::SpriteSlot* TgsLayerSets::FindSprite(int32_t number, int32_t set, int32_t group) {
  if (number < 0 || uint32_t(number) >= GroupSlots(GroupIndex(group))) return nullptr;
  return &Slot(group, set, uint32_t(number));
}

int32_t TgsLayerSets::CharacterIndexOf(std::string_view name) const {
  const std::string_view base = FileBaseName(name);
  const std::string_view code = base.substr(0, std::min<size_t>(3, base.size()));
  const size_t searched = std::min(characters.size(), kCharacterEntries);
  for (size_t i = 0; i < searched; ++i) {
    const std::string_view entry = std::string_view(characters[i]).substr(0, 3);
    if (!code.empty() && cp932::CompareNoCase(code, entry) == 0) return int32_t(i);
  }
  return SpriteSlotRecord::kUnlisted;
}

void TgsLayerSets::DropOutgoing(SpriteSlot& slot) {
  if (slot.outgoing && slot.outgoing->OwningList()) slot.outgoing->OwningList()->Remove(slot.outgoing.get());
  slot.outgoing.reset();
  slot.outgoingPicture.reset();
}

void TgsLayerSets::ReleaseSpriteAction(SpriteSlot& slot) {
  ReleaseActionSlot(slot.action);
  DropOutgoing(slot);
}

void TgsLayerSets::ReleaseSlot(SpriteSlot& slot) {
  ReleaseSpriteAction(slot);
  if (slot.sprite && slot.sprite->OwningList()) slot.sprite->OwningList()->Remove(slot.sprite.get());
  slot.sprite.reset();
  // The twin keeps its own reference to a shared picture.
  slot.picture.reset();
  const uint32_t order = slot.record.order;
  slot.record = SpriteSlotRecord{};
  slot.record.order = order;
}

int32_t TgsLayerSets::ClearSprite(int32_t number, int32_t set, int32_t group) {
  SpriteSlot* slot = FindSprite(number, set, group);
  if (!slot) return 1;
  StopTransition();
  if (slot->record.IsEmpty() && !slot->sprite) return -1;
  ReleaseSlot(*slot);
  return 0;
}

int32_t TgsLayerSets::ParseSpriteName(int32_t number, std::string_view name, int32_t set, int32_t group) {
  SpriteSlot* slot = FindSprite(number, set, group);
  if (!slot) return 1;
  if (name.empty()) return ClearSprite(number, set, group);
  StopTransition();
  if (SameName(slot->record.imageName, name) && slot->record.colourMode == 0 && slot->sprite) return 0;
  const int32_t x = slot->record.x, y = slot->record.y;
  ReleaseSlot(*slot);
  slot->record.x = x;
  slot->record.y = y;
  CopyNameField(slot->record.imageName, sizeof slot->record.imageName, name);
  cp932::ToUpperAscii(slot->record.imageName, sizeof slot->record.imageName);
  slot->record.characterIndex = CharacterIndexOf(name);
  if (const int32_t loaded = LoadSpriteImage(number, set, group, newSpriteOrder); loaded != 0) return loaded;
  uint8_t mode = autoColourMode;
  const uint32_t tint = GetLayer(set).record.tintClass;
  if (!mode && tintsOn && tint && slot->record.characterIndex < SpriteSlotRecord::kUnlisted)
    mode = uint8_t(tint + 4);
  if (mode) ApplySpriteImageEffects(number, mode, false, false, set, group);
  return 0;
}

void TgsLayerSets::PlaceSprite(SpriteSlot& slot) {
  if (slot.sprite) slot.sprite->SetPosition(slot.record.x - slot.record.baseX, slot.record.y - slot.record.baseY);
}

int32_t TgsLayerSets::LoadSpriteImage(int32_t number, int32_t set, int32_t group, uint8_t orderSetting) {
  SpriteSlot* slot = FindSprite(number, set, group);
  if (!slot) return 1;
  if (slot->sprite) {
    ReleaseSpriteAction(*slot);
    if (slot->sprite->OwningList()) slot->sprite->OwningList()->Remove(slot->sprite.get());
    slot->sprite.reset();
    slot->picture.reset();
  }
  if (orderSetting == 1 || orderSetting == 2) ReorderGroup(group, set, uint32_t(number), orderSetting == 2);
  SpriteCanvas* canvas = Canvas(set);
  slot->picture = LoadPicture(FieldText(slot->record.imageName, kImageNameBytes));
  auto sprite = std::make_unique<ImageSprite>();
  if (!canvas || !slot->picture) {
    ReleaseSlot(*slot);
    return 2;
  }
  SpriteSlotRecord& r = slot->record;
  r.baseX = kAnchorX - slot->picture->GetUserValue1();
  r.baseY = kAnchorY - slot->picture->GetUserValue2();
  if (sprite->SetImage(slot->picture.get(), nullptr, r.x - r.baseX, r.y - r.baseY) != 0 ||
      canvas->MainList().Add(sprite.get(), ListKey(r.order), 0) != 0) {
    ReleaseSlot(*slot);
    return 2;
  }
  sprite->SetOpacity(r.alpha);
  slot->sprite = std::move(sprite);
  return 0;
}

int32_t TgsLayerSets::ApplySpriteImageEffects(int32_t number, uint8_t colourMode, bool mirror, bool flip,
                                              int32_t set, int32_t group) {
  SpriteSlot* slot = FindSprite(number, set, group);
  if (!slot) return 1;
  if (!slot->picture || !slot->sprite) return 2;
  StopTransition();
  ReleaseSpriteAction(*slot);
  SpriteSlotRecord& r = slot->record;
  r.actionKind = SpriteSlotRecord::kNoAction;
  if (!ColourModeAllowed(r.colourMode, colourMode) ||
      !OwnSpritePicture(*slot, Slot(group, 1 - SetIndex(set), uint32_t(number))))
    return 2;
  if (!ApplyImageEffects(slot->picture.get(), r.colourMode, r.mirror, r.flip, colourMode, mirror, flip)) return 2;
  slot->sprite->InvalidateSourceRect(nullptr);
  return 0;
}

int32_t TgsLayerSets::SetSpriteState(int32_t number, uint8_t strength, int32_t set, int32_t group) {
  SpriteSlot* slot = FindSprite(number, set, group);
  if (!slot) return 1;
  if (!slot->picture || slot->record.pixelOpStrength) return 2;
  StopTransition();
  if (!OwnSpritePicture(*slot, Slot(group, 1 - SetIndex(set), uint32_t(number)))) return 2;
  const uint8_t s = strength ? strength : 1;
  slot->record.pixelOpStrength = s;
  ApplyPixelOp13(slot->picture.get(), s, s, 0, 0);
  if (slot->sprite) slot->sprite->InvalidateSourceRect(nullptr);
  return 0;
}

int32_t TgsLayerSets::MoveSprite(int32_t number, int32_t place, bool outside, int32_t set, int32_t group) {
  SpriteSlot* slot = FindSprite(number, set, group);
  if (!slot) return 1;
  StopTransition();
  ReleaseSpriteAction(*slot);
  SpriteSlotRecord& r = slot->record;
  r.actionKind = SpriteSlotRecord::kNoAction;
  const int32_t width = slot->picture ? slot->picture->GetWidth() : 0;
  r.y = kAnchorY;
  if (place <= 0) {
    r.x = kAnchorX;
    if (outside) r.y = kAnchorY + r.baseY;
  } else if (place == 1) {
    r.x = outside ? r.baseX - width : kLeftX;
  } else {
    r.x = outside ? r.baseX + kScreenWidth : kRightX;
  }
  PlaceSprite(*slot);
  return 0;
}

int32_t TgsLayerSets::SetSpritePosition(int32_t number, int32_t x, int32_t y, int32_t set, int32_t group) {
  SpriteSlot* slot = FindSprite(number, set, group);
  if (!slot) return 1;
  StopTransition();
  ReleaseSpriteAction(*slot);
  slot->record.actionKind = SpriteSlotRecord::kNoAction;
  slot->record.x = slot->record.baseX + x;
  slot->record.y = slot->record.baseY + y;
  PlaceSprite(*slot);
  return 0;
}

void TgsLayerSets::ReorderGroup(int32_t group, int32_t set, uint32_t number, bool toFront) {
  const uint32_t count = GroupSlots(GroupIndex(group));
  const uint32_t base = GroupBase(GroupIndex(group));
  SpriteSlot& moved = Slot(group, set, number);
  const uint32_t old = moved.record.order;
  for (uint32_t i = 0; i < count; ++i) {
    SpriteSlot& other = Slot(group, set, i);
    if (i == number) continue;
    if (!toFront && other.record.order < old) other.record.order += kOrderStep;
    if (toFront && other.record.order > old) other.record.order -= kOrderStep;
  }
  moved.record.order = toFront ? base + (count - 1) * kOrderStep : base;
  SpriteCanvas* canvas = Canvas(set);
  if (!canvas) return;
  for (uint32_t i = 0; i < count; ++i) {
    SpriteSlot& slot = Slot(group, set, i);
    if (slot.sprite && slot.sprite->OwningList()) canvas->MainList().SetOrder(slot.sprite.get(), ListKey(slot.record.order), 1);
  }
}

int32_t TgsLayerSets::MoveWithinGroup(int32_t number, int32_t set, int32_t group, bool endAction, bool toFront) {
  SpriteSlot* slot = FindSprite(number, set, group);
  if (!slot) return 1;
  StopTransition();
  if (endAction) {
    ReleaseSpriteAction(*slot);
    slot->record.actionKind = SpriteSlotRecord::kNoAction;
  }
  ReorderGroup(group, set, uint32_t(number), toFront);
  return 0;
}

int32_t TgsLayerSets::SendSpriteToBack(int32_t number, int32_t set, int32_t group, bool endAction) {
  return MoveWithinGroup(number, set, group, endAction, false);
}

int32_t TgsLayerSets::BringSpriteToFront(int32_t number, int32_t set, int32_t group, bool endAction) {
  return MoveWithinGroup(number, set, group, endAction, true);
}

int32_t TgsLayerSets::ClearSpriteGroup(int32_t set, int32_t group) {
  StopTransition();
  for (int32_t g = 0; g < kGroupCount; ++g) {
    if (group >= 0 && GroupIndex(group) != g) continue;
    for (uint32_t number = 0; number < GroupSlots(g); ++number) ReleaseSlot(Slot(g, set, number));
  }
  return 0;
}

// --- the two sets -----------------------------------------------------------------------

void TgsLayerSets::PrepareBackLayers() {
  Layer& front = layers_[kFront];
  Layer& back = layers_[kBack];
  ClearLayer(front.record.colour, kBack);
  ClearSpriteGroup(kBack, -1);
  if (front.picture) {
    ReleaseActionSlot(back.animation);
    const uint8_t ownMask = back.record.captureMask;
    back.record = front.record;
    back.record.captureMask = ownMask;
    back.record.animationState = 0;
    back.picture = front.picture;
    if (SpriteCanvas* canvas = Canvas(kBack)) {
      canvas->SetBackgroundImage(back.picture.get(), back.record.x, back.record.y, 1);
      const LayerRecord& r = back.record;
      if (r.HasZoom()) {
        const Rect source{r.zoomLeft, r.zoomTop, r.zoomRight, r.zoomBottom};
        if (Surface* target = canvas->GetTarget())
          canvas->SetBackgroundStretch(0, 0, target->GetWidth(), target->GetHeight(), &source);
      } else if (r.rotationScale != 0.0f) {
        canvas->SetBackgroundPivot(kPivotAt, r.x, r.y);
        canvas->SetBackgroundOffsets(0, 0);
        canvas->SetBackgroundRotation(0, 0, r.rotationAngle, r.rotationScale);
      }
    }
  }
  for (int32_t group = 0; group < kGroupCount; ++group)
    for (uint32_t number = 0; number < GroupSlots(group); ++number) CopySpriteFromTwin(group, number);
  if (front.record.captureMask) CallLayerSlots(kBack, front.record.captureMask, true);
}

int32_t TgsLayerSets::CopySpriteFromTwin(int32_t group, uint32_t number) {
  if (number >= GroupSlots(GroupIndex(group))) return 1;
  SpriteSlot& front = Slot(group, kFront, number);
  SpriteSlot& back = Slot(group, kBack, number);
  if (!front.sprite) {
    ReleaseSlot(back);
    back.record.order = front.record.order;
    return 0;
  }
  ReleaseSpriteAction(front);
  ReleaseSlot(back);
  SpriteCanvas* canvas = Canvas(kBack);
  auto sprite = std::make_unique<ImageSprite>();
  if (!canvas || sprite->CopyFrom(front.sprite.get()) != 0 ||
      canvas->MainList().Add(sprite.get(), ListKey(front.record.order), 0) != 0) {
    back.record.order = front.record.order;
    return 2;
  }
  back.picture = front.picture;
  back.sprite = std::move(sprite);
  back.record = front.record;
  return 0;
}

void TgsLayerSets::SwapLayerSetPointers() {
  std::swap(layers_[kFront], layers_[kBack]);
  for (EffectSlot& slot : effects_) SwapEffectSlotLayerSets(slot.record);
}

void TgsLayerSets::SwapLayerArrays() {
  for (auto& group : slots_) std::swap(group[kFront], group[kBack]);
}

}  // namespace orrivel
