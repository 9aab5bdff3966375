// The frame's state between the screen and a save: the live layers,
// sprites, effects, page and choices gathered into the records a save
// carries, and, after a load, the screen rebuilt from those records in the
// order that lets each step find what it builds on (sprites before the
// layers that capture them, layers before the effects that run on them).
#include <cstdio>
#include <functional>

#include "base/BitArray.h"
#include "frame/MessageTextWindow.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "frame/TgsLayerSets.h"
#include "frame/TgsScreenTransitions.h"
#include "scene/ImageSprite.h"

namespace orrivel {

namespace {

// Settings bytes: the extra skip switch (no closing fade when set) and the
// bar shown only near the bottom edge.
constexpr size_t kSettingAlwaysSkip = 3;
constexpr size_t kSettingBarNearEdge = 11;
// The frame keeps the state of each choice for going back to it.
constexpr size_t kSettingChoiceSnapshot = 13;
constexpr uint32_t kReapplyFadeMs = 500;
// The five setting bytes of the scalars.
enum LayerSetting : size_t { kRuleMirror, kRuleFlip, kBgTints, kAutoColour, kSpriteOrder };
constexpr int32_t kPivotAt = 5;  // a rotation centre given as (x, y)
constexpr int32_t kRequestPlay = 1;

using Kind = EffectSlotRecord::Kind;

// Where a slot's record stands in the save: group 1, the main group, then
// group 2, each with its front slots before its back slots.
size_t SavedSlotIndex(int32_t group, int32_t set, uint32_t number) {
  const size_t first = group == 1 ? 0 : (group == 0 ? 2 * TgsLayerSets::GroupSlots(1) : 2 * (3 + 5));
  return first + size_t(set) * TgsLayerSets::GroupSlots(group) + number;
}

}  // namespace

void TgsFrame::ClearLayerSets(TgsLayerSets& sets) {
  // An effect ended here is gone for good: a save taken later copies these
  // records, and must not carry the ended effect's words or name.
  for (uint32_t slot = 0; slot < TgsLayerSets::kEffectSlots; ++slot) {
    sets.EndEffectSlot(slot, true);
    sets.GetEffectSlot(slot).record.Clear();
  }
  for (int32_t set : {TgsLayerSets::kFront, TgsLayerSets::kBack}) {
    sets.StopQuake(set);
    sets.ClearSpriteGroup(set, -1);
    sets.SetLayerAnimation(nullptr, 0, 0, set);
    sets.ClearLayer(0, set);
  }
}

namespace {

// One sprite slot. True when a restarted action keeps the screen
// moving (so no closing fade is needed).
bool RestoreSprite(TgsLayerSets& sets, int32_t group, int32_t set, uint32_t number, const SpriteSlotRecord& saved) {
  TgsLayerSets::SpriteSlot& slot = *sets.FindSprite(int32_t(number), set, group);
  // The picture's own effects are applied again below, from a clean load.
  slot.record = saved;
  slot.record.colourMode = slot.record.mirror = slot.record.flip = slot.record.pixelOpStrength = 0;
  slot.record.actionKind = SpriteSlotRecord::kNoAction;
  if (saved.IsEmpty()) return false;
  const int32_t n = int32_t(number);
  if (sets.LoadSpriteImage(n, set, group, 0) != 0 || !slot.sprite) return false;
  if (saved.colourMode || saved.mirror || saved.flip)
    sets.ApplySpriteImageEffects(n, saved.colourMode, saved.mirror, saved.flip, set, group);
  if (saved.pixelOpStrength) sets.SetSpriteState(n, saved.pixelOpStrength, set, group);
  if (saved.zoom != 0.0f) {
    slot.sprite->SetAnchor(kPivotAt, saved.zoomCentreX, saved.zoomCentreY);
    slot.sprite->SetRotation(saved.zoomAngle, saved.zoom);
  }
  slot.sprite->InvalidateSourceRect(nullptr);
  if (saved.actionKind == SpriteSlotRecord::kPanimeAction) {
    sets.StartSpPanime(n, set, group, saved.actionName, saved.actionWord, false);
    return true;
  }
  if (saved.actionKind == SpriteSlotRecord::kPartsAction) {
    sets.LoadSpPartsTable(n, set, group, true, saved.actionWord);
    return true;
  }
  return false;
}

// One layer. True when what it shows makes the closing fade
// needless (a black front without sprites, a playing front animation).
bool RestoreLayer(TgsLayerSets& sets, int32_t set, const LayerRecord& saved, bool frontSprite) {
  bool keepsFadeAway = false;
  const bool animated = saved.animationName[0] != '\0';
  if (animated) {
    if (saved.animationSequence < 0)
      sets.SetLayerMovie(saved.animationName, set);
    else
      sets.SetLayerAnimation(saved.animationName, saved.animationSequence, saved.animationFrame, set);
  }
  if (!saved.HasPicture()) {
    if (!animated) {
      sets.ClearLayer(saved.colour, set);
      keepsFadeAway = set == TgsLayerSets::kFront && saved.colour == 0 && !frontSprite;
    }
  } else {
    sets.LoadLayerImage(saved.imageName, set);
    sets.SetLayerColour(saved.colour, set);
  }
  if (animated && saved.animationState != 0) {
    sets.ControlLayerAnimation(set, kRequestPlay, 0, 0);
    keepsFadeAway = keepsFadeAway || set == TgsLayerSets::kFront;
  }
  if (saved.pixelOpStrength) sets.ApplyLayerPixelOp(saved.pixelOpStrength, set);
  if (saved.colourMode || saved.mirror || saved.flip || saved.cinemaBars)
    sets.ApplyLayerImageEffects(saved.colourMode, saved.mirror, saved.flip, saved.cinemaBars, set);
  if (saved.captureMask) sets.CaptureScreenToLayer(saved.captureMask, set);
  if (saved.HasZoom()) {
    sets.SetLayerClip(saved.zoomLeft, saved.zoomTop, saved.zoomRight - saved.zoomLeft,
                      saved.zoomBottom - saved.zoomTop, set);
  } else if (saved.rotationScale != 0.0f) {
    char scale[32];
    std::snprintf(scale, sizeof scale, "%.9g", double(saved.rotationScale));
    sets.SetLayerRotation(saved.rotationAngle, scale, saved.x, saved.y, set);
  } else if (saved.x || saved.y) {
    sets.SetLayerPosition(saved.x, saved.y, set);
  }
  // What only the record knows (the tint worked out when the save was
  // made, the animation's state words) comes back as it was.
  LayerRecord& live = sets.GetLayer(set).record;
  live.tintClass = saved.tintClass;
  live.animationState = saved.animationState;
  live.animationSequence = saved.animationSequence;
  live.animationFrame = saved.animationFrame;
  return keepsFadeAway;
}

// One effect slot started again from its record, as the command
// that wrote it did. True when the effect makes the closing fade needless.
bool RestoreEffectSlot(TgsLayerSets& sets, int32_t slot, const EffectSlotRecord& r) {
  const int32_t* p = r.p;
  const char* name = r.name[0] ? r.name : nullptr;
  switch (r.kind) {
    case Kind::kNoise:
      sets.StartNoise(slot, p[0], p[1], p[2]);
      return p[1] != 0;
    case Kind::kBgPanime:
      sets.StartBgPanime(p[0], name, p[1], p[2], p[3], slot);
      return p[0] == 0;
    case Kind::kQuake:
      sets.StartQuake(p[0], p[1], p[2], -slot, 0, p[3], p[4], p[5], TgsLayerSets::kFront, 0);
      return p[4] != 0;
    case Kind::kBgRast:
    case Kind::kBgHaze10:
    case Kind::kBgHaze20:
      sets.StartBgDistortion(p[0], r.kind - Kind::kBgRast, p[1], p[2], p[3], -slot, p[4], 0, p[5]);
      return p[0] == 0;
    case Kind::kBgLoop:
      sets.StartBgLoop(p[0], p[1], p[2], -slot);
      return p[0] == 0;
    case Kind::kSpMovie:
      sets.StartSpMovie(name, slot, p[0], p[1], p[2], p[3], p[4]);
      return p[0] == 0;
    case Kind::kSpParts:
      sets.StartSpParts(name, p[0], p[3], slot, p[1], p[2], p[4]);
      return (p[3] == 2 && p[1] != 0) || p[3] == 0;
    case Kind::kBgCross:
      sets.StartBgCross(p[0], -slot, p[1], p[2]);
      return p[2] == 0;
    default:
      if (r.kind < Kind::kPaper) return false;
      // Weather kinds past the four known ones fail as the command would.
      sets.StartWeather(slot, r.kind - Kind::kPaper, p[0], p[3], name, p[1], p[2]);
      return p[1] != 0;
  }
}

}  // namespace

TgsFrameRecords TgsFrame::RecordsForSave() const {
  TgsFrameRecords records = records_;
  // A frame without a screen has nothing live to add.
  if (reapplyPending_ || !setUp_) return records;
  records.resumePoint = messageId_;
  records.caption = saveCaption_;
  if (layers_) {
    TgsLayerSets& sets = *layers_;
    records.layerSettings[kBgTints] = sets.tintsOn ? 1 : 0;
    records.layerSettings[kAutoColour] = sets.autoColourMode;
    records.layerSettings[kSpriteOrder] = sets.newSpriteOrder;
    for (int32_t set : {TgsLayerSets::kFront, TgsLayerSets::kBack}) records.layers[size_t(set)] = sets.GetLayer(set).record;
    for (size_t i = 0; i < records.sprites.size(); ++i) records.sprites[i] = sets.SlotAt(i).record;
    for (size_t i = 0; i < records.effectSlots.size(); ++i) records.effectSlots[i] = sets.GetEffectSlot(i).record;
  }
  if (transitions_) {
    records.layerSettings[kRuleMirror] = transitions_->RuleMirror() ? 1 : 0;
    records.layerSettings[kRuleFlip] = transitions_->RuleFlip() ? 1 : 0;
    const TgsScreenTransitions::QuakeRecord& quake = transitions_->Quake();
    records.quakeFilter = {quake.kind, quake.amplitude, quake.x, quake.y, quake.fill, quake.wholeMode};
  }
  records.windowEntry = windowState_->CurrentWindow();
  records.pageStateFlag = pageShown_ ? 1 : 0;
  records.pageStateWord = pageVoiceIndex_;
  records.choiceListShown = choiceWait_ && choices_.Count() > 0 ? 1 : 0;
  records.window = {};
  if (records.choiceListShown) {
    records.window.layoutWord = choices_.Base();
    uint32_t value = 0;
    for (const TgsChoice& choice : choices_.Items()) records.window.choices.push_back({value++, choice.enabled, choice.text});
  }
  if (const MessageTextWindow* window = CurrentWindow(); window && window->HasPageText()) {
    const std::string_view page = window->PageText();
    records.window.pageText.assign(page.begin(), page.end());
    records.window.firstName = window->SpeakerName();
    records.window.secondName = window->VoiceCue();
  }
  return records;
}

void TgsFrame::CommitLoadedRecords(TgsFrameRecords&& loaded) {
  records_ = std::move(loaded);
  messageId_ = records_.resumePoint;
  saveCaption_ = records_.caption;
  pageShown_ = records_.pageStateFlag != 0;
  pageVoiceIndex_ = records_.pageStateWord;
  reapplyPending_ = true;
}

void TgsFrame::SetWindowZoom(float zoom, int32_t angle, int32_t centreX, int32_t centreY) {
  records_.windowZoom = zoom;
  records_.windowAngle = angle;
  records_.windowCentreX = centreX;
  records_.windowCentreY = centreY;
  ApplyWindowZoom();
}

void TgsFrame::ApplyWindowZoom() {
  MessageTextWindow* window = windowState_->Window(0);
  if (!window) return;
  ImageSprite& sprite = window->WindowSprite();
  if (records_.windowZoom == 0.0f) {
    // The identity lets the turned copy go.
    if (sprite.IsRotated()) sprite.SetRotation(0, 1.0);
    return;
  }
  // The centre is a point of the screen; the sprite turns about a point of
  // its own picture.
  sprite.SetAnchor(kPivotAt, records_.windowCentreX - sprite.GetX(), records_.windowCentreY - sprite.GetY());
  sprite.SetRotation(records_.windowAngle, records_.windowZoom);
}

void TgsFrame::ReapplyWindowContents() {
  const TgsWindowContents& saved = records_.window;
  const bool choices = records_.choiceListShown && !saved.choices.empty();
  if (choices) {
    BitArray* flags = nullptr;
    const int32_t entry = CurrentEntryIndex();
    if (entry >= 0 && size_t(entry) < ScriptTable().entries.size()) flags = &ScriptTable().entries[size_t(entry)].b;
    choices_.Reset(flags, saved.layoutWord, uint32_t(optionWords_[0]));
    for (const TgsSavedChoice& choice : saved.choices) choices_.Add(choice.text, choice.enabled);
    choiceCount_ = uint32_t(choices_.Count());
    // The choice taken after the load is written into the history's entry
    // of this list, when that entry is the newest.
    historyChoice_.reset();
    const TextHistoryEntry* last = history_.GetEntry(history_.Count() - 1);
    if (last && last->kind == TextHistoryEntry::kChoices) historyChoice_ = last->serial;
  }
  // The voice a page of the frame had pending is never the loaded page's.
  pendingVoice_.clear();
  MessageTextWindow* window = CurrentWindow();
  if (window && !saved.pageText.empty()) {
    window->SetPageText(reinterpret_cast<const char*>(saved.pageText.data()), saved.pageText.size());
    window->SetNames(saved.firstName.c_str(), saved.secondName.c_str());
    window->ShowPage(true);
    if (records_.pageStateFlag) {
      // The page's voice plays again when the resumed run shows the page.
      if (records_.pageStateWord == 0) pendingVoice_ = window->VoiceCue();
      // The click-wait cursor comes back on a page that waited for a click.
      if (records_.windowEntry == 0 && !records_.choiceListShown) window->ShowCursor(true);
    }
  }
  if (records_.windowZoom != 0.0f) ApplyWindowZoom();
}

int32_t TgsFrame::ReapplyState() {
  reapplyPending_ = false;
  bool fade = Setting(kSettingAlwaysSkip) == 0;
  const TgsFrameRecords& saved = records_;
  if (layers_) {
    TgsLayerSets& sets = *layers_;
    // Loading a picture must not colour it on its own: the saved modes
    // are applied again as they were.
    sets.autoColourMode = 0;
    ClearLayerSets(sets);
    bool frontSprite = false;
    for (int32_t group : {0, 1, 2})
      for (int32_t set : {TgsLayerSets::kFront, TgsLayerSets::kBack})
        for (uint32_t number = 0; number < TgsLayerSets::GroupSlots(group); ++number) {
          const SpriteSlotRecord& slot = saved.sprites[SavedSlotIndex(group, set, number)];
          if (RestoreSprite(sets, group, set, number, slot)) fade = false;
          if (set == TgsLayerSets::kFront && sets.FindSprite(int32_t(number), set, group)->sprite) frontSprite = true;
        }
    for (int32_t set : {TgsLayerSets::kFront, TgsLayerSets::kBack})
      if (RestoreLayer(sets, set, saved.layers[size_t(set)], frontSprite)) fade = false;
    for (int32_t slot = 0; slot < int32_t(TgsLayerSets::kEffectSlots); ++slot)
      if (RestoreEffectSlot(sets, slot, saved.effectSlots[size_t(slot)])) fade = false;
    sets.tintsOn = saved.layerSettings[kBgTints] != 0;
    sets.autoColourMode = saved.layerSettings[kAutoColour];
    sets.newSpriteOrder = saved.layerSettings[kSpriteOrder];
    bgTintsOn_ = sets.tintsOn;
  }
  // The looping sounds of channels 8-11 play again, which sets their loop
  // flags again.
  ReplayLoopSounds();
  if (transitions_) {
    transitions_->SetRuleMirror(saved.layerSettings[kRuleMirror] != 0);
    transitions_->SetRuleFlip(saved.layerSettings[kRuleFlip] != 0);
    const auto& q = saved.quakeFilter;
    transitions_->SetQuake({q[0], q[1], q[2], q[3], q[4], q[5]});
    if (q[0] == 1 && transitions_->RestartQuakeFilter() == 0) fade = false;
  }
  // Going back to the previous choice stays possible when the save brought
  // the state of that choice with it.
  if (Setting(kSettingChoiceSnapshot) && environment_.player.hasSnapshot && environment_.player.hasSnapshot())
    windowState_->SetBarButtonState(kPreviousChoice, MessageWindowState::kEnabled);
  ReapplyWindowContents();
  // The saved music fades in with the screen, or starts at once when the
  // screen does not fade; the bar shows unless it only appears near the
  // bottom edge.
  ReplayMusic(fade);
  if (Setting(kSettingBarNearEdge) == 0) windowState_->SetBarVisible(true, false);
  if (!fade || !transitions_) return 0;
  // A notice given with the load (its confirmation box's) waits out the
  // fade instead of running under it.
  const std::function<void(bool)>& holdNotice = environment_.player.holdNotice;
  if (holdNotice) holdNotice(true);
  const int32_t faded = transitions_->CrossFadeScreen(kReapplyFadeMs, 0, 0);
  if (holdNotice) holdNotice(false);
  return faded == -1 ? -1 : 0;
}

}  // namespace orrivel
