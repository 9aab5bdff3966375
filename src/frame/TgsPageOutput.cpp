// What the frame does between drawing a page and reading on: the page's
// voice, the wait for the player (a click, the skip input, the auto-play
// time or the end of a voice), the choice wait with its buttons, the
// pointer and the frame's clock around modal screens, and the history
// rows. Every wait pumps frames through the game and serves the player's
// actions meanwhile (the player actions file).
#include <algorithm>
#include <utility>

#include "base/ActionMap.h"
#include "base/Application.h"
#include "base/CursorMoveTask.h"
#include "base/InputDevice.h"
#include "base/TickSource.h"
#include "base/TimerList.h"
#include "frame/MessageTextWindow.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "scene/ButtonControl.h"
#include "scene/CanvasDrawObject.h"
#include "scene/ControlFactory.h"
#include "scene/ControlHost.h"
#include "scene/HotSpotControl.h"
#include "scene/SpriteCanvas.h"
#include "sound/SoundManager.h"
#include "text/OutlineFont.h"

namespace orrivel {

namespace {

// Settings bytes read here.
constexpr size_t kSettingHideMenuAfterPage = 7;
constexpr size_t kSettingBarNearBottom = 11;
constexpr size_t kSettingAutoSave = 12;
constexpr size_t kSettingChoiceSnapshot = 13;
constexpr size_t kSettingKeepSkipAfterChoice = 6;
constexpr size_t kSettingAutoPerChar = 31;
constexpr size_t kSettingAutoBase = 32;  // u32
constexpr size_t kSettingChoiceSound = 85;
constexpr size_t kSettingVoicesOn = 86;
constexpr size_t kSettingStopVoiceAtPageEnd = 108;
constexpr size_t kSettingVoicePaced = 112;
constexpr size_t kSettingSkipReadOnly = 131;
constexpr size_t kSettingClickEndsWaits = 191;

constexpr int32_t kVoiceChannel = 6;
constexpr int32_t kChoiceSoundChannel = 0;
constexpr uint16_t kPacingTimer = 1;
constexpr uint8_t kMouseLeft = 0;
constexpr uint32_t kActionUp = 0;
constexpr uint32_t kActionDown = 1;
constexpr uint32_t kActionDecide = 4;
constexpr uint32_t kActionNextPage = 19;
// The bar shows while the pointer is at or below this line (settings byte
// 11).
constexpr int32_t kBarZoneTop = 687;
// Fired controls with these tags and more are the choices.
constexpr int32_t kChoiceTagBase = 20;
constexpr uint32_t kChoiceFadeMs = 400;
// The choice buttons: centred over the message window, one under another.
constexpr int32_t kChoiceGroup = 1001;
constexpr int32_t kChoiceWidth = 640;
constexpr int32_t kChoiceHeight = 48;
constexpr int32_t kChoiceGap = 16;
constexpr int32_t kChoiceAreaBottom = 480;
constexpr int32_t kChoiceOrder = 10100;
constexpr uint32_t kCursorGlideMs = 140;

uint32_t SettingU32(const TgsFrame& frame, size_t at) {
  return uint32_t(frame.Setting(at)) | uint32_t(frame.Setting(at + 1)) << 8 | uint32_t(frame.Setting(at + 2)) << 16 |
         uint32_t(frame.Setting(at + 3)) << 24;
}

}  // namespace

// --- input --------------------------------------------------------------------------------------

bool TgsFrame::SkipInputHeld() const {
  // With settings byte 131 the key skips read text only.
  if (Setting(kSettingSkipReadOnly) && !alreadyRead_) return false;
  return SkipKeyHeld();
}

bool TgsFrame::AdvancePressed() const {
  if (!environment_.controls) return false;
  const InputDevice* pointer = environment_.controls->GetPointerDevice();
  if (pointer && pointer->IsPressed(kMouseLeft)) return true;
  const ActionMap* actions = environment_.controls->GetActionMap();
  return actions && (actions->IsPressed(kActionDecide) || actions->IsPressed(kActionNextPage));
}

bool TgsFrame::ChannelPlaying(int32_t channel) const {
  SoundManager* sounds = GetSoundManager();
  return sounds != nullptr && sounds->IsChannelPlaying(channel);
}

void TgsFrame::PlayClickSound(int32_t channel) const {
  if (SoundManager* sounds = GetSoundManager()) sounds->PlayChannel(channel, false);
}

bool TgsFrame::TrackPointer() {
  if (!environment_.controls) return false;
  int32_t x = -1, y = -1;
  environment_.controls->GetPointerPos(&x, &y);
  if (x == pointerX_ && y == pointerY_) return false;
  pointerX_ = x;
  pointerY_ = y;
  windowState_->RestoreMenuState();
  if (Setting(kSettingBarNearBottom) && y < kBarZoneTop) {
    if (windowState_->BarVisible()) windowState_->SetBarVisible(false, true);
  } else if (!windowState_->BarVisible()) {
    windowState_->SetBarVisible(true, true);
  }
  return true;
}

int32_t TgsFrame::ServeChoiceKeys() {
  ControlHost* controls = environment_.controls;
  const ActionMap* actions = controls ? controls->GetActionMap() : nullptr;
  if (choiceButtons_.empty() || actions == nullptr) return kGoOn;
  const int32_t count = int32_t(choiceButtons_.size());
  const auto hovered = std::find(choiceButtons_.begin(), choiceButtons_.end(), controls->GetHovered());
  const int32_t current = hovered != choiceButtons_.end() ? int32_t(hovered - choiceButtons_.begin()) : -1;
  if (current >= 0 && actions->IsPressed(kActionDecide)) return kChoiceTagBase + current;
  const bool up = actions->IsPressed(kActionUp);
  if (!up && !actions->IsPressed(kActionDown)) return kGoOn;
  // One step on from the choice under the pointer (round the list), else
  // from the first (Down) or the last (Up); disabled choices are passed
  // over. The pointer goes onto the choice, which shows it as hovered.
  int32_t at = current >= 0 ? current : (up ? count : -1);
  for (int32_t tried = 0; tried < count; ++tried) {
    at = ((up ? at - 1 : at + 1) % count + count) % count;
    ButtonControl* button = choiceButtons_[size_t(at)];
    if (!button->IsEnabled()) continue;
    controls->SetPointerPos(button->GetX() + button->GetWidth() / 2, button->GetY() + button->GetHeight() / 2);
    break;
  }
  return -1;
}

int32_t TgsFrame::ServeOneFrame() {
  if (!PumpOneFrame()) return -2;
  TrackPointer();
  // Up and Down go through the choices as through a list, and the decide
  // input (Enter, or the player's key for it) takes the one shown.
  if (const int32_t keyed = ServeChoiceKeys(); keyed != kGoOn) return keyed;
  int32_t update = ControlHost::kUpdateIdle;
  if (environment_.controls) update = environment_.controls->Update(CurrentTickMs() - clockOffset_);
  const int32_t tag = environment_.player.takeFiredTag ? environment_.player.takeFiredTag() : -1;
  if (tag >= 0) return tag;
  // A control that took the click (a bar button being pressed) is not a
  // page advance; the full-screen hot spot is.
  if (update == ControlHost::kUpdateButtons && environment_.controls->GetHovered() != static_cast<Control*>(hotSpot_))
    return -1;
  return kGoOn;
}

int32_t TgsFrame::MoveCursorAndWait(int32_t x, int32_t y) {
  windowState_->RestoreMenuState();
  TimerList* list = environment_.systemTimers ? environment_.systemTimers() : nullptr;
  Application* app = CurrentApplication();
  if (list == nullptr || app == nullptr) return 0;
  if (CursorMoveTask::Start(list, app, x, y, kCursorGlideMs, 0.0, CursorMoveTask::kJumpWhileActive) != 0) return 0;
  // The glide just started is the list's only running one; it clears the
  // slot when it ends.
  TimedTask* glide = nullptr;
  for (TimedTask* task : list->Tasks())
    if (task != nullptr && task->GetTypeId() == CursorMoveTask::kTypeId && !task->IsFinished()) glide = task;
  if (glide == nullptr) return 0;
  glide->SetOwnerSlot(&glide);
  const int32_t waited = windowState_->WaitDisplayTask(&glide, list, false);
  // A glide that outlives the wait (the program closing) forgets the slot.
  if (glide != nullptr) glide->SetOwnerSlot(nullptr);
  return waited < 0 ? -1 : 0;
}

// --- the frame's clock ------------------------------------------------------------------------

void TgsFrame::SuspendClock() {
  windowState_->RestoreMenuState();
  suspendTick_ = CurrentTickMs();
  timers_.PauseAll();
}

void TgsFrame::ResumeClock() {
  clockOffset_ += CurrentTickMs() - suspendTick_;
  timers_.ResumeAll();
  pointerX_ = pointerY_ = -1;
  if (environment_.controls) environment_.controls->ResetInput();
  CancelSkipMode();
}

void TgsFrame::SetAutoMode(bool on) {
  if (MessageTextWindow* window = windowState_->Window(0)) window->SelectCursor(on ? 1 : 0);
  autoMode_ = on;
  windowState_->SetBarButtonState(kAutoPlay, on ? MessageWindowState::kHeld : MessageWindowState::kEnabled);
  timers_.Start(kPacingTimer);
}

// --- the page -------------------------------------------------------------------------------------

int32_t TgsFrame::OutputPage(const TgsOperationCall& call) { return OutputPage(call.Int(0), call.Int(1) != 0); }

int32_t TgsFrame::OutputPage(int32_t waitMode, bool withPage) {
  if (timers_.Count() == 0) timers_.Create(2);
  MessageTextWindow* window = windowState_->Window(0);
  std::string cue;
  if (withPage) {
    cue = std::exchange(pendingVoice_, std::string());
    pageShown_ = true;
    windowState_->SetWindowVisible(true, 0);
  }
  // A voiced page keeps the scene it is spoken in for the history, unless
  // the page was asked to leave no trace once.
  if (!std::exchange(suppressOnce_, false) && !cue.empty() && history_.Capacity() > 0)
    RecordSceneInHistory();
  windowState_->SetBarButtonState(kHistory, history_.Count() > 1 ? MessageWindowState::kEnabled
                                                                  : MessageWindowState::kDisabled);
  if (!windowState_->BarVisible() && !Setting(kSettingBarNearBottom)) windowState_->SetBarVisible(true, false);

  bool skipping = SkipInputHeld() || skipByKey_ || skipBySetting_;
  if (skipping) {
    if (window) window->FinishReveal();
    if (waitMode == 0) {
      if (!PumpOneFrame()) return -1;
    } else {
      const int32_t served = ServeOneFrame();
      if (served == -2) return -1;
      const int32_t result = served == kGoOn ? RunPlayerAction(-1) : served >= 0 ? RunPlayerAction(served) : -1;
      if (result >= 5 || (result == 1 && pendingResult_ != 0)) return std::exchange(pendingResult_, 0);
      if (result < -1) return -1;
      bool stop = false;
      if (result == 0 && served == kGoOn && AdvancePressed()) {
        CancelSkipMode();
        stop = true;
      }
      if (environment_.player.modalState && environment_.player.modalState()) CancelSkipMode();
      skipping = !stop && (SkipInputHeld() || skipByKey_ || skipBySetting_);
    }
  }

  if (!skipping) {
    if (!cue.empty() && Setting(kSettingVoicesOn) && StartPageVoice(cue) >= -1 && Setting(kSettingVoicePaced)) {
      // A voice-paced page is heard with the window put away; the next page
      // (or the hide action) brings it back.
      voicePacing_ = 1;
      windowState_->ShowMessageWindow(false, false);
      if (window) window->FinishReveal();
    }
    bool revealEnded = !withPage || window == nullptr || window->RevealState() == 0;
    if (revealEnded) timers_.Start(kPacingTimer);
    for (;;) {
      const int32_t served = ServeOneFrame();
      if (served == -2) return -1;
      const int32_t result = served == kGoOn ? RunPlayerAction(-1) : served >= 0 ? RunPlayerAction(served) : -1;
      bool leave = false;
      if (result == 0) {
        const bool skip = SkipInputHeld();
        const bool advance = served == kGoOn && (AdvancePressed() || skip);
        if (withPage && window && !revealEnded && window->RevealState() == 0) {
          revealEnded = true;
          timers_.Start(kPacingTimer);
        }
        if (advance) {
          if (!revealEnded) {
            // The first click completes the page; the next one leaves it.
            window->FinishReveal();
            revealEnded = true;
            timers_.Start(kPacingTimer);
          } else if (!(Setting(kSettingClickEndsWaits) && windowState_->EndWindowActions())) {
            leave = true;
            skipping = skip;
          }
        }
      } else if (result == 1 && pendingResult_ != 0) {
        return std::exchange(pendingResult_, 0);
      } else if (result == 1 || result == 2) {
        restartAuto_ = true;
      } else if (result == 3) {
        leave = true;
        skipping = true;
      } else if (result >= 5) {
        return std::exchange(pendingResult_, 0);
      } else if (result < -1) {
        return -1;
      }
      if (!leave && revealEnded) {
        const bool modal = environment_.player.modalState && environment_.player.modalState();
        if (voicePacing_ == 1) {
          if (!ChannelPlaying(kVoiceChannel)) {
            voicePacing_ = 2;
            timers_.Start(kPacingTimer);
          }
        } else if (voicePacing_ == 2) {
          leave = timers_.Elapsed(kPacingTimer) > SettingU32(*this, kSettingAutoBase);
        } else if (autoMode_) {
          if (std::exchange(restartAuto_, false) || modal) {
            timers_.Start(kPacingTimer);
          } else {
            const uint64_t characters = window ? uint64_t(std::max(window->CharacterCount(), 0)) : 0;
            const uint64_t wait = Setting(kSettingAutoPerChar) * characters + SettingU32(*this, kSettingAutoBase);
            leave = timers_.Elapsed(kPacingTimer) > wait && !ChannelPlaying(kVoiceChannel);
          }
        }
      }
      if (leave || waitMode == 0) break;
    }
    if (withPage) {
      EndPageVoice(waitMode != 0);
      voicePacing_ = 0;
    }
    const bool modal = environment_.player.modalState && environment_.player.modalState();
    const bool windowAsked = environment_.player.windowState && environment_.player.windowState();
    if (!skipping && waitMode != 0 && Setting(kSettingHideMenuAfterPage) && !modal && !windowAsked)
      windowState_->SwitchMenuStateOff();
    if (waitMode != 0) {
      if (window) window->ShowCursor(false);
      RestorePageFonts();
    }
  }
  pageShown_ = false;
  MarkMessageRead(messageId_);
  return 0;
}

// --- the choice wait ----------------------------------------------------------------------------

int32_t TgsFrame::ShowChoiceButtons() {
  ReleaseChoiceButtons();
  ControlFactory* factory = environment_.factory;
  SpriteCanvas* canvas = canvas_.object ? canvas_.object->GetCanvas() : nullptr;
  OutlineFont* font = GetFont(kPageFont1);
  // A frame without a screen still offers its choices (by their tags).
  if (!factory || !canvas || !font) return 0;
  // The choices stand with the window they fade with.
  const ControlFactoryScope scope(*factory, canvas, kChoiceGroup);
  const auto& items = choices_.Items();
  const int32_t count = int32_t(items.size());
  const int32_t height = count * kChoiceHeight + (count - 1) * kChoiceGap;
  int32_t y = std::max(0, (kChoiceAreaBottom - height) / 2);
  const int32_t x = (int32_t(kScreenWidth) - kChoiceWidth) / 2;
  std::vector<Drawable*> sprites;
  int32_t result = 0;
  for (int32_t i = 0; i < count; ++i, y += kChoiceHeight + kChoiceGap) {
    ButtonControl* button = nullptr;
    if (factory->CreateTextButton(&button, x, y, kChoiceWidth, kChoiceHeight, true, items[size_t(i)].text.c_str(),
                                  font, kChoiceOrder) != 0) {
      result = -1;
      break;
    }
    button->SetTag(kChoiceTagBase + i);
    button->SetEnabled(items[size_t(i)].enabled);
    // Before the full-screen hot spot, which would take their clicks.
    if (environment_.controls) environment_.controls->AddControl(button, 0);
    choiceButtons_.push_back(button);
    sprites.push_back(&button->Sprite());
  }
  windowState_->SetChoiceSprites(std::move(sprites));
  return result;
}

void TgsFrame::ReleaseChoiceButtons() {
  windowState_->SetChoiceSprites({});
  if (environment_.controls)
    for (ButtonControl* button : choiceButtons_) environment_.controls->RemoveControl(button);
  if (!choiceButtons_.empty() && environment_.factory) environment_.factory->DeleteByGroup(kChoiceGroup, false);
  choiceButtons_.clear();
}

void TgsFrame::FadeOutOtherChoices(uint32_t taken) {
  std::vector<Drawable*> others;
  for (size_t i = 0; i < choiceButtons_.size(); ++i) {
    choiceButtons_[i]->SetEnabled(i == taken);
    if (i != taken) others.push_back(&choiceButtons_[i]->Sprite());
  }
  if (others.empty() || skipByKey_ || skipBySetting_) return;
  const uint32_t start = CurrentTickMs();
  for (;;) {
    const uint32_t elapsed = std::min(CurrentTickMs() - start, kChoiceFadeMs);
    for (Drawable* sprite : others) sprite->SetOpacity(uint8_t(255 - elapsed * 255 / kChoiceFadeMs));
    if (elapsed >= kChoiceFadeMs || !PumpOneFrame()) break;
  }
}

int32_t TgsFrame::TakeChoiceAt(uint32_t index, bool skipWas) {
  if (index >= choices_.Count() || !choices_.Items()[index].enabled) return kGoOn;
  if (Setting(kSettingChoiceSound)) PlayClickSound(kChoiceSoundChannel);
  TakeChoice(index);
  FadeOutOtherChoices(index);
  if (Setting(kSettingChoiceSnapshot) && environment_.player.snapshotState && environment_.player.snapshotState())
    windowState_->SetBarButtonState(kPreviousChoice, MessageWindowState::kEnabled);
  RecordChoiceTaken(int32_t(index));
  if (Setting(kSettingStopVoiceAtPageEnd))
    if (SoundManager* sounds = GetSoundManager()) sounds->StopChannel(kVoiceChannel);
  skipByKey_ = skipWas && Setting(kSettingKeepSkipAfterChoice);
  windowState_->SetBarButtonState(kSkipToChoice, skipByKey_ ? MessageWindowState::kHeld : MessageWindowState::kEnabled);
  windowState_->SetBarButtonState(kAutoPlay, autoMode_ ? MessageWindowState::kHeld : MessageWindowState::kEnabled);
  ReleaseChoiceButtons();
  choices_.Clear();
  choiceCount_ = 0;
  if (MessageTextWindow* window = windowState_->Window(0)) window->SetVisible(windowState_->Record().visible);
  RestorePageFonts();
  MarkMessageRead(messageId_);
  return 0;
}

int32_t TgsFrame::WaitChoice(const TgsOperationCall&) { return WaitChoice(); }

int32_t TgsFrame::WaitChoice() {
  const bool skipWas = skipByKey_;
  skipByKey_ = false;
  windowState_->SetBarButtonState(kSkipToChoice, MessageWindowState::kDisabled);
  windowState_->SetBarButtonState(kAutoPlay, MessageWindowState::kDisabled);
  windowState_->SetBarButtonState(kHistory, history_.Count() > 1 ? MessageWindowState::kEnabled
                                                                  : MessageWindowState::kDisabled);
  if (ShowChoiceButtons() != 0) {
    ReleaseChoiceButtons();
    return -1;
  }
  windowState_->ShowMessageWindow(true, !Setting(kSettingBarNearBottom));
  if (std::exchange(suppressOnce_, false) == false && ButtonState(kSave) != MessageWindowState::kDisabled &&
      Setting(kSettingAutoSave) && environment_.player.autoSave)
    environment_.player.autoSave();
  if (MessageTextWindow* window = windowState_->Window(0)) window->ShowCursor(false);
  for (;;) {
    const int32_t served = ServeOneFrame();
    if (served == -2) {
      ReleaseChoiceButtons();
      return -1;
    }
    // "Nothing fired" is a large value too: it is not a choice's tag but
    // the turn of the player's actions.
    if (served >= kChoiceTagBase && served != kGoOn) {
      if (TakeChoiceAt(uint32_t(served - kChoiceTagBase), skipWas) == 0) return 0;
      continue;
    }
    const int32_t result = served == kGoOn ? RunPlayerAction(-1) : served >= 0 ? RunPlayerAction(served) : -1;
    if (result >= 5 || (result == 1 && pendingResult_ != 0)) {
      ReleaseChoiceButtons();
      return std::exchange(pendingResult_, 0);
    }
    if (result < -1) {
      ReleaseChoiceButtons();
      return -1;
    }
  }
}

// --- the history rows ---------------------------------------------------------------------------

int32_t TgsFrame::AddHistoryPage(const TgsOperationCall& call) {
  return RecordPageInHistory(std::span<const uint8_t>(page_.Data(), page_.Size()), speakerName_, voiceName_,
                             uint8_t(call.Int(0)));
}

int32_t TgsFrame::AddHistoryChoices(const TgsOperationCall&) {
  std::vector<std::pair<std::string, bool>> shown;
  for (const TgsChoice& choice : choices_.Items()) shown.emplace_back(choice.text, choice.enabled);
  return RecordChoicesInHistory(shown);
}

}  // namespace orrivel
