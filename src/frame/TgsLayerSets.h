#pragma once
// The frame's two layer sets: the front set, on screen, and the back set
// that scripts prepare before a transition exchanges them. Each set has a
// background layer (a LayerRecord with its picture) and eleven sprite slots
// in three groups; the frame also has three effect slots. The records hold
// what the script asked for and are kept up to date before anything on the
// screen changes, so that a saved state can be applied again.
//
// Pictures shown by both twins (a back set prepared as a copy of the front)
// are one shared surface: the set that changes a shared picture first takes
// its own copy, and clearing one twin never frees what the other shows.
//
// Running actions are held by their timer-list handles (ActionHolder); an
// action that ends by itself leaves a handle the timer list no longer knows,
// which reads as empty.
//
// Results: 0 done, 1 bad argument or nothing loaded, 2 refused or failed,
// -1 the program is closing, unless an operation says otherwise.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "effect/LayerHost.h"
#include "effect/LayerObject.h"
#include "frame/ActionHolder.h"
#include "frame/EffectSlotRecord.h"
#include "frame/LayerRecord.h"
#include "frame/SpriteSlotRecord.h"
#include "resource/LadAnimation.h"
#include "resource/plugin/ObjectArguments.h"

namespace orrivel {

class CanvasDrawObject;
class DcpManager;
struct ZoomRect;
class ImageSprite;
class LayerAction;
class SpriteCanvas;
class Surface;
class TimerList;

// What the layer sets take from the frame around them. Empty hooks read as
// "no": effects off, not skipping, pump closing.
struct TgsLayerEnvironment {
  // The displays of the front (0) and back (1) sets.
  std::array<CanvasDrawObject*, 2> displays{};
  // The object timer list and the layer-action registry.
  TimerList* timers = nullptr;
  DcpManager* actions = nullptr;
  // One frame of the game; 0 when the program closes.
  std::function<int()> pumpFrame;
  // The frame's skip test with the mask, together with its skip bytes.
  std::function<bool(uint32_t mask)> skipping;
  // The effects switch of the settings.
  std::function<bool()> effectsOn;
  // The application's no-low-priority switch.
  std::function<bool()> lowPriorityOff;
  // Stops a running screen transition (every layer change does first).
  std::function<void()> stopTransition;
};

// A blur command's words after its layer. The zoom form turns and zooms
// about (x, y); the path form (path set) zooms about a point travelling
// along the point list.
struct BgBlurCommand {
  int32_t x = 640, y = 360;
  const char* path = nullptr;
  bool smooth = false;
  const char* startZoom = nullptr;
  const char* endZoom = nullptr;
  const char* startAngle = nullptr;
  const char* endAngle = nullptr;
  int32_t duration = 1000;
  int32_t opacity = 0;
  const char* curve = nullptr;
  // A picture file drawn instead of the background.
  const char* picture = nullptr;
  bool upsideDown = false, leftRight = false;
  // Draws into the background picture itself rather than a work copy.
  bool direct = false;
  int32_t blendMode = 0;
  int32_t delay = 0;
  // The layer keeps the blur's end transform; the command waits for it.
  bool keepEnd = false, wait = false, skippable = false;
};

// A set's display as the background actions and their assists see it.
class TgsLayerDisplay final : public LayerObject, public BackgroundLayer {
 public:
  static constexpr int kKind = 9;
  void Bind(CanvasDrawObject* display) { display_ = display; }
  CanvasDrawObject* Display() const { return display_; }
  int GetObjectKind() const override { return kKind; }
  BackgroundLayer* GetBackgroundLayer() override { return this; }
  SpriteCanvas* GetLayerCanvas() override;
  SpriteCanvas* GetSecondPageCanvas() override { return secondPage_ ? secondPage_->GetLayerCanvas() : nullptr; }
  void SetSecondPage(TgsLayerDisplay* other) { secondPage_ = other; }

 private:
  CanvasDrawObject* display_ = nullptr;
  TgsLayerDisplay* secondPage_ = nullptr;
};

class TgsLayerSets : private LayerHost {
 public:
  static constexpr int32_t kScreenWidth = 1280;
  static constexpr int32_t kScreenHeight = 720;
  static constexpr int32_t kFront = 0;
  static constexpr int32_t kBack = 1;
  static constexpr size_t kEffectSlots = 3;
  static constexpr size_t kCharacterEntries = 75;
  static constexpr size_t kSpriteSlots = 22;
  // Sprite groups: 1 behind, 0 between, 2 in front.
  static constexpr int32_t kGroupCount = 3;
  static constexpr uint32_t GroupSlots(int32_t group) { return group == 0 ? 5 : 3; }
  static constexpr uint32_t GroupBase(int32_t group) { return group == 1 ? 10000 : (group == 2 ? 30000 : 20000); }
  static constexpr uint32_t kOrderStep = 100;
  // The canvas list paints higher keys first, so a sprite's key counts
  // down from this as its order counts up: a later group, or a slot brought
  // to the front, is drawn over the others, and every sprite stays behind
  // the message window's pictures (lower keys).
  static constexpr uint32_t kListKeyTop = 100000;
  static constexpr uint32_t ListKey(uint32_t order) { return order < kListKeyTop ? kListKeyTop - order : 0; }
  static constexpr uint32_t kNoiseOrder = 19900;
  static constexpr uint32_t kWeatherOrder = 19950;
  static constexpr uint32_t kWeatherSpread = 600;

  struct Layer {
    LayerRecord record;
    std::shared_ptr<Surface> picture;
    std::unique_ptr<Surface> capture;
    ActionHolder effect;
    ActionHolder quake;
    ActionHolder animation;
    // The LAD file a "bg_anime" plays; it outlives the action.
    std::unique_ptr<LadAnimation> lad;
  };
  struct SpriteSlot {
    SpriteSlotRecord record;
    std::shared_ptr<Surface> picture;
    std::unique_ptr<ImageSprite> sprite;
    ActionHolder action;
    // The sprite a cross-fade is leaving, kept until its action is done.
    std::unique_ptr<ImageSprite> outgoing;
    std::shared_ptr<Surface> outgoingPicture;
  };
  struct EffectSlot {
    EffectSlotRecord record;
    ActionHolder holder;
  };

  explicit TgsLayerSets(TgsLayerEnvironment environment);
  ~TgsLayerSets() override;
  TgsLayerSets(const TgsLayerSets&) = delete;
  TgsLayerSets& operator=(const TgsLayerSets&) = delete;

  TgsLayerEnvironment& Environment() { return environment_; }
  // Frame settings the operations read.
  uint8_t autoColourMode = 0;
  uint8_t newSpriteOrder = 0;
  bool tintsOn = false;
  std::vector<int32_t> tintTable;
  // Speaker codes; a sprite's character index is the first entry whose
  // first three characters match its file name's.
  std::vector<std::string> characters;

  Layer& GetLayer(int32_t set) { return layers_[SetIndex(set)]; }
  static int32_t SetIndex(int32_t set) { return set != 0 ? 1 : 0; }
  EffectSlot& GetEffectSlot(size_t slot) { return effects_[slot]; }
  TgsLayerDisplay& Display(int32_t set) { return displays_[SetIndex(set)]; }
  SpriteCanvas* Canvas(int32_t set);
  // The 22 slots in save order: group 1 (front, back), group 0, group 2.
  SpriteSlot& SlotAt(size_t index);
  // The group argument: 1 and 2 as they are, any other value group 0.
  static int32_t GroupIndex(int32_t group) { return group == 1 || group == 2 ? group : 0; }

  // --- background layers ----------------------------------------------------
  int32_t LoadLayerImage(std::string_view name, int32_t set);
  int32_t ClearLayer(uint32_t colour, int32_t set);
  int32_t SetLayerColour(uint32_t colour, int32_t set);
  int32_t ApplyLayerImageEffects(uint8_t colourMode, bool mirror, bool flip, bool cinemaBars, int32_t set);
  int32_t ApplyLayerPixelOp(uint8_t strength, int32_t set);
  int32_t SetLayerPosition(int32_t x, int32_t y, int32_t set);
  int32_t CallLayerSlots(int32_t set, uint32_t groupMask, bool visible);
  int32_t CaptureScreenToLayer(uint8_t mask, int32_t set);
  int32_t SetLayerClip(int32_t x, int32_t y, int32_t w, int32_t h, int32_t set);
  int32_t SetLayerZoom(int32_t w1, int32_t w2, const char* w3, int32_t set);
  int32_t SetLayerRotation(int32_t angle, const char* scale, int32_t x, int32_t y, int32_t set);

  // --- layer animations -----------------------------------------------------
  int32_t SetLayerAnimation(const char* name, int32_t sequence, int32_t word, int32_t set);
  int32_t SetLayerMovie(const char* name, int32_t set);
  int32_t ControlLayerAnimation(int32_t set, int32_t request, int32_t a, int32_t b);
  int32_t WaitLayerAnimationFrame(int32_t set);
  int32_t WaitLayerAnimation(int32_t set, bool skippable);

  // --- sprites --------------------------------------------------------------
  SpriteSlot* FindSprite(int32_t number, int32_t set, int32_t group);
  int32_t ParseSpriteName(int32_t number, std::string_view name, int32_t set, int32_t group);
  int32_t LoadSpriteImage(int32_t number, int32_t set, int32_t group, uint8_t orderSetting);
  int32_t ClearSprite(int32_t number, int32_t set, int32_t group);
  int32_t ApplySpriteImageEffects(int32_t number, uint8_t colourMode, bool mirror, bool flip, int32_t set,
                                  int32_t group);
  int32_t SetSpriteState(int32_t number, uint8_t strength, int32_t set, int32_t group);
  int32_t MoveSprite(int32_t number, int32_t place, bool outside, int32_t set, int32_t group);
  int32_t SetSpritePosition(int32_t number, int32_t x, int32_t y, int32_t set, int32_t group);
  int32_t SendSpriteToBack(int32_t number, int32_t set, int32_t group, bool endAction);
  int32_t BringSpriteToFront(int32_t number, int32_t set, int32_t group, bool endAction);
  int32_t ClearSpriteGroup(int32_t set, int32_t group);
  // The character index of a file name: 0-74, or 75 when unlisted.
  int32_t CharacterIndexOf(std::string_view name) const;

  // --- the two sets -----------------------------------------------------------
  // The back set becomes a copy of the front, sharing its pictures.
  void PrepareBackLayers();
  int32_t CopySpriteFromTwin(int32_t group, uint32_t number);
  // Exchange the layer records (with the effect slots' set words) and the
  // halves of each sprite group.
  void SwapLayerSetPointers();
  void SwapLayerArrays();

  // --- actions ----------------------------------------------------------------
  // 0 created; 1 no such action; 2 its set-up refused.
  int32_t CreateLayerAction(ActionHolder& holder, std::string_view name, const ObjectArgument& target, const ObjectArguments& cells);
  void ReleaseActionSlot(ActionHolder& holder);
  bool HolderRunning(const ActionHolder& holder) const;
  LayerAction* ActionOf(const ActionHolder& holder) const;
  // 0 ended, 1 skipped (removed), -1 closing.
  int32_t WaitForAction(ActionHolder& holder, bool skippable);
  void ClearLayerActions(int32_t set, bool stopAnimation);
  int32_t ControlEffectSlot(uint32_t slot, int32_t a, int32_t b);
  int32_t EndEffectSlot(uint32_t slot, bool immediate);

  int32_t StartBgZoom(int32_t set, int32_t w1, int32_t w2, const char* w3, const char* w4, int32_t w5);
  int32_t StartBgRot(int32_t set, int32_t angle, const char* scale, int32_t x, int32_t y, const char* curve,
                     int32_t duration);
  int32_t StartBgPanime(int32_t set, const char* name, int32_t word, int32_t flag1, int32_t flag2, int32_t slot);
  int32_t ControlBgPanime(const char* name, int32_t set);
  // The blur commands; a zoom form without a point list, else a path form.
  int32_t StartBgBlur(int32_t set, const BgBlurCommand& command);
  // Shows the end of a blur at (x, y) with the zoom and angle texts (none:
  // 1.0 and 0.0) at once.
  int32_t ChangeBgBlur(int32_t set, int32_t x, int32_t y, const char* zoom, const char* angle);
  // The blur's assist entry; its rectangle (no turn) or its zoom and angle
  // go into the layer record. -2 without the assist.
  int32_t CallBgBlurAssist(int32_t set, int32_t x, int32_t y, double zoom, double angle);
  int32_t StartNoise(int32_t slot, int32_t a, int32_t b, int32_t c);
  int32_t StartQuake(int32_t amplitude, int32_t w1, int32_t w2, int32_t target, int32_t w3, int32_t f1, int32_t f2,
                     int32_t f3, int32_t set, int32_t f4);
  int32_t WaitQuake(int32_t set, bool skippable);
  int32_t StopQuake(int32_t set);
  int32_t StartBgDistortion(int32_t set, int32_t mode, int32_t w1, int32_t w2, int32_t w3, int32_t target,
                            int32_t w4, int32_t w5, int32_t byte);
  int32_t StartBgLoop(int32_t set, int32_t byte, int32_t word, int32_t target);
  int32_t StartBgCross(int32_t word, int32_t target, int32_t byte1, int32_t byte2);
  int32_t StartSpMovie(const char* name, int32_t slot, int32_t set, int32_t byte, int32_t w1, int32_t w2,
                       int32_t w3);
  int32_t StartSpParts(const char* name, int32_t word, int32_t set, int32_t slot, int32_t byte1, int32_t byte2,
                       int32_t byte3);
  int32_t StartWeather(int32_t slot, int32_t kind, int32_t count, int32_t byte1, const char* name, int32_t byte2,
                       int32_t byte3);
  int32_t StartSpCrossFade(int32_t number, const char* name, int32_t place, int32_t duration, int32_t set,
                           int32_t group);
  int32_t StartSpPanime(int32_t number, int32_t set, int32_t group, const char* name, int32_t speed, bool loop);
  int32_t ControlSpPanime(int32_t number, int32_t set, int32_t group, const char* name);
  // The sprite changes to name along the key text; style 0-2 (2 refined by
  // the current picture's last letter).
  int32_t StartSpChange(int32_t number, const char* name, const char* keys, int32_t time, bool zoom, int32_t style,
                        int32_t set, int32_t group);
  // The parts table of the sprite's character; with keep the slot records
  // it (with the word) to start again after a load.
  int32_t LoadSpPartsTable(int32_t number, int32_t set, int32_t group, bool keep, int32_t word);
  int32_t WaitSpriteAction(int32_t number, int32_t set, int32_t group, bool skippable);
  int32_t StopSpriteAction(int32_t number, int32_t set, int32_t group, bool immediate);

 private:
  // LayerHost, for the overlay effects.
  Surface* GetScreenSurface() override;
  SpriteCanvas* GetFirstPage() override { return Canvas(kFront); }
  BackgroundLayer* GetSecondPageObject() override { return &displays_[kBack]; }

  SpriteSlot& Slot(int32_t group, int32_t set, uint32_t number);
  bool EffectsOn() const { return environment_.effectsOn && environment_.effectsOn(); }
  bool Skipping(uint32_t mask) const { return environment_.skipping && environment_.skipping(mask); }
  // The layer forms need the effects switch and no skipping.
  bool LayerEffectsRun() const { return EffectsOn() && !Skipping(2); }
  void StopTransition() const {
    if (environment_.stopTransition) environment_.stopTransition();
  }
  // The twin set's layer or slot shows the same surface.
  bool LayerPictureShared(int32_t set) const;
  bool SlotPictureShared(int32_t group, int32_t set, uint32_t number);
  // Gives the set its own copy of a shared picture; false without memory.
  bool OwnLayerPicture(int32_t set);
  bool OwnSpritePicture(SpriteSlot& slot, SpriteSlot& twin);
  void ShowLayerPicture(int32_t set);
  void ShowLayerColour(int32_t set);
  void RedrawLayer(int32_t set);
  void ReleaseSlot(SpriteSlot& slot);
  // Ends the slot's action, then drops a sprite a cross-fade was leaving.
  void ReleaseSpriteAction(SpriteSlot& slot);
  void DropOutgoing(SpriteSlot& slot);
  // The anchor, alpha and zoom a finished "sp_panime" leaves, into the record.
  // The end state the slot's running key action reports, into the record.
  void RecordActionEnd(SpriteSlot& slot);
  // Takes the slot's sprite and picture out (kept as outgoing) and loads
  // name into it, put at place unless that is negative: ParseSpriteName's
  // result, the old ones dropped on failure.
  int32_t TakeOutAndLoad(SpriteSlot& slot, int32_t number, const char* name, int32_t place, int32_t set,
                         int32_t group);
  // The layer record keeps the end of a blur about (cx, cy): the stretched
  // rectangle without a turn, else the centre, zoom and angle.
  void RecordBlurEnd(int32_t set, int32_t cx, int32_t cy, const ZoomRect& rect, double zoom, int32_t angle);
  void RecordPanimeEnd(SpriteSlot& slot, int32_t x, int32_t y, int32_t alpha, float scale, float angle, int32_t cx,
                       int32_t cy);
  void PlaceSprite(SpriteSlot& slot);
  void ReorderGroup(int32_t group, int32_t set, uint32_t number, bool toFront);
  int32_t MoveWithinGroup(int32_t number, int32_t set, int32_t group, bool endAction, bool toFront);
  // A rectangle (x, y, x + w, y + h) stretched over the screen as the
  // layer's zoom; dropped (left -1) when the canvas keeps no copy.
  void ApplyZoomRectangle(int32_t set, int32_t x, int32_t y, int32_t w, int32_t h);
  int32_t EffectTarget(int32_t target, ActionHolder*& holder, EffectSlot*& slot, int32_t set);
  void WriteEffectRecord(EffectSlot* slot, int32_t kind, std::initializer_list<int32_t> words, const char* name);

  TgsLayerEnvironment environment_;
  std::array<TgsLayerDisplay, 2> displays_;
  std::array<Layer, 2> layers_;
  // [group][set][number]
  std::array<std::array<std::array<SpriteSlot, 5>, 2>, kGroupCount> slots_;
  std::array<EffectSlot, kEffectSlots> effects_;
};

}  // namespace orrivel
