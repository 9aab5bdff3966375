// The player's actions while a page or a choice waits: quick save and
// load with the F1-F5 quick slots, back to the previous choice, the save
// and load screens, skip and auto play, the text history, the settings,
// hiding the window, the system menu and back to the title. The waits call
// RunPlayerAction once a frame: with a fired bar button (its action) or
// with -1, when the keys and the action inputs choose.
#include <array>
#include <string>
#include <utility>

#include "base/ActionMap.h"
#include "base/InputDevice.h"
#include "frame/MessageTextWindow.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "frame/TgsSystemMenu.h"
#include "scene/ControlHost.h"
#include "script/ScriptHost.h"

namespace orrivel {

namespace {

// Settings bytes read here.
constexpr size_t kSettingAlwaysSkip = 3;
constexpr size_t kSettingSkipReadOnly = 5;
constexpr size_t kSettingHideOnRequest = 10;
constexpr size_t kSettingBarNearBottom = 11;
constexpr size_t kSettingRightButton = 149;
constexpr size_t kSettingAutoEndsOnRightButton = 151;
constexpr size_t kSettingSwapSkipKey = 130;
constexpr size_t kSettingConfirmPreviousChoice = 172;
constexpr size_t kSettingConfirmQuickLoad = 173;
constexpr size_t kSettingNoFades = 189;

// Key codes of the keyboard device.
constexpr uint8_t kKeyLeftCtrl = 0x1D, kKeyRightCtrl = 0x9D;
constexpr uint8_t kKeyLeftShift = 0x2A, kKeyRightShift = 0x36;
constexpr uint8_t kKeyLeftAlt = 0x38, kKeyRightAlt = 0xB8;
constexpr uint8_t kKeyF1 = 0x3B;
constexpr int32_t kQuickSlots = 5;
// F1 to F5 name the quick slots 5 down to 1.
constexpr std::array<const char*, kQuickSlots> kQuickSlotLabels = {"５", "４", "３", "２", "１"};

constexpr uint8_t kMouseLeft = 0, kMouseRight = 1;
constexpr uint32_t kFirstPlayerInput = 6;
constexpr uint32_t kPlayerInputs = 14;
constexpr uint32_t kActionDecide = 4, kActionCancel = 5, kActionHide = 11;
constexpr uint32_t kSettingsFadeMs = 100;
constexpr uint32_t kNoticeMs = 100;
constexpr uint32_t kLoadNoticeMs = 850;
constexpr uint8_t kWindowHideRequest = 2;

// The action of each input from action 6 on.
constexpr std::array<int32_t, kPlayerInputs> kInputActions = {6, 3, 4, 0, 1, 9, 10, 8, 7, 5, 2, 11, -1, -1};

// Action results.
constexpr int32_t kNothing = 0, kDone = -1, kFailed = -2, kHistoryShown = 2, kSkipOn = 3, kSkipOff = 4,
                  kBackToChoice = 5, kLoaded = 6, kBackToTitle = 7;
// Pending frame results.
constexpr int32_t kPendingTitle = 1, kPendingLoad = 2, kPendingPreviousChoice = 3;

// The game's save and load screen, a system script. Its mode and its
// answer pass through retTgsExp: 1 save, 0 load on the way in; 2 (a save
// was chosen, the game is to load it) on the way out.
constexpr char kSaveLoadScript[] = "SaveLoad";
constexpr uint32_t kSaveLoadSave = 1, kSaveLoadLoad = 0, kSaveLoadChoseSave = 2;

// The game's two settings screens, system scripts too. retTgsExp holds 0
// on the way in and 1 on the way out when the text settings changed (the
// shown page is then laid out again).
constexpr const char* kConfigScripts[2] = {"Config1", "Config2"};
constexpr uint32_t kConfigTextChanged = 1;

// The text with its "%s" replaced by the slot's label (UTF-8).
std::string SlotText(const char* format, int32_t slot) {
  std::string text = format;
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, kQuickSlotLabels[size_t(slot)]);
  return text;
}

}  // namespace

int32_t TgsFrame::ActionOfInput(int32_t index) {
  return index >= 0 && index < int32_t(kPlayerInputs) ? kInputActions[size_t(index)] : -1;
}

void TgsFrame::Notice(const std::string& utf8, uint32_t ms) const {
  if (environment_.player.notice) environment_.player.notice(utf8, ms);
  else Log(utf8);
}

int32_t TgsFrame::Confirm(const std::string& utf8) const {
  // Without the box the question counts as declined.
  return environment_.player.confirm ? environment_.player.confirm(utf8) : 0;
}

int32_t TgsFrame::RunPlayerAction(int32_t action) {
  ControlHost* controls = environment_.controls;
  const InputDevice* keys = controls ? controls->GetKeyboard() : nullptr;
  const InputDevice* pointer = controls ? controls->GetPointerDevice() : nullptr;
  const ActionMap* actions = controls ? controls->GetActionMap() : nullptr;
  bool automatic = false;
  if (action < 0) {
    const uint8_t windowState = environment_.player.windowState ? environment_.player.windowState() : 0;
    if (windowState == kWindowHideRequest && Setting(kSettingHideOnRequest)) {
      action = 9;
      automatic = true;
    } else {
      if (autoMode_ && pointer && pointer->IsPressed(kMouseRight) && Setting(kSettingAutoEndsOnRightButton) &&
          Setting(kSettingRightButton) != 3)
        SetAutoMode(false);
      const int32_t input = actions ? actions->FindPressedAction(kFirstPlayerInput, kPlayerInputs) : -1;
      int32_t index = input >= 0 ? input - int32_t(kFirstPlayerInput) : -1;
      const bool alt = keys && (keys->IsDown(kKeyLeftAlt) || keys->IsDown(kKeyRightAlt));
      if (index < 0 && keys && !alt) {
        for (int32_t f = 0; f < kQuickSlots; ++f) {
          if (!keys->IsPressed(uint8_t(kKeyF1 + f))) continue;
          const bool modifier = Setting(kSettingSwapSkipKey)
                                    ? keys->IsDown(kKeyLeftShift) || keys->IsDown(kKeyRightShift)
                                    : keys->IsDown(kKeyLeftCtrl) || keys->IsDown(kKeyRightCtrl);
          index = modifier ? 3 : 4;
          quickSlot_ = f;
          break;
        }
      }
      action = ActionOfInput(index);
      if (action < 0) return kNothing;
    }
  }
  if (action > 11) return kNothing;
  if (action < 10 && ButtonState(uint32_t(action)) == MessageWindowState::kDisabled) return kNothing;

  const int32_t slot = std::exchange(quickSlot_, -1);
  switch (action) {
    case 0:
      quickSlot_ = slot;
      return QuickSaveAction();
    case 1:
      quickSlot_ = slot;
      return QuickLoadAction();
    case 2:
      return ConfirmedRequest("前の選択肢に戻ります。\nよろしいですか？", Setting(kSettingConfirmPreviousChoice),
                              kPendingPreviousChoice, kBackToChoice);
    case 3:
    case 4:
      return SaveLoadAction(action == 3);
    case 5:
      PlayClickSound(kClickChannel);
      skipByKey_ = !skipByKey_;
      windowState_->SetBarButtonState(kSkipToChoice,
                                      skipByKey_ ? MessageWindowState::kHeld : MessageWindowState::kEnabled);
      return skipByKey_ ? kSkipOn : kSkipOff;
    case 6:
      PlayClickSound(kClickChannel);
      SetAutoMode(!autoMode_);
      return kDone;
    case 7: {
      SuspendClock();
      const int32_t shown = ShowTextHistory();
      ResumeClock();
      return shown < 0 ? kFailed : kHistoryShown;
    }
    case 8:
      return SettingsAction();
    case 9:
      return HideWindowAction(automatic);
    case 10:
      return SystemMenuAction();
    default:
      if (!GateOpen(environment_.player.titleAllowed)) return kNothing;
      return ConfirmedRequest("タイトルに戻ります。\nよろしいですか？", true, kPendingTitle, kBackToTitle);
  }
}

int32_t TgsFrame::ConfirmedRequest(const char* utf8, bool ask, int32_t request, int32_t result) {
  if (ask) {
    const int32_t answer = Confirm(utf8);
    if (answer < 0) return kFailed;
    if (answer != 1) return kDone;
  }
  pendingResult_ = request;
  return result;
}

int32_t TgsFrame::QuickSaveAction() {
  const int32_t slot = std::exchange(quickSlot_, -1);
  const bool saved = environment_.player.quickSave && environment_.player.quickSave(slot);
  if (!saved) Notice("クイックセーブに失敗しました", kNoticeMs);
  else if (slot < 0) Notice("クイックセーブを実行しました", kNoticeMs);
  else Notice(SlotText("スロット%sにセーブしました", slot), kNoticeMs);
  return kDone;
}

int32_t TgsFrame::QuickLoadAction() {
  const int32_t slot = std::exchange(quickSlot_, -1);
  const int32_t choice = environment_.player.selectQuickLoad ? environment_.player.selectQuickLoad(slot)
                                                             : TgsPlayerServices::kQuickLoadMissing;
  if (choice == TgsPlayerServices::kQuickLoadDamaged) {
    // A damaged save is found out before the story is left: it says so,
    // and the page goes on waiting.
    Notice(slot < 0 ? "クイックセーブデータが壊れているためロードできません"
                    : SlotText("スロット%sのデータが壊れているためロードできません", slot),
           kNoticeMs);
    return kDone;
  }
  if (choice != TgsPlayerServices::kQuickLoadChosen) {
    // A missing quick save only says so; the page goes on waiting.
    Notice(slot < 0 ? "クイックセーブデータは存在しません" : SlotText("スロット%sにデータは存在しません", slot),
           kNoticeMs);
    return kDone;
  }
  if (Setting(kSettingConfirmQuickLoad)) {
    const std::string caption = slot < 0 ? "クイックセーブ" : SlotText("スロット%s", slot);
    const int32_t answer = Confirm(caption + "をロードしますか？");
    if (answer < 0) return kFailed;
    if (answer != 1) return kDone;
  } else {
    Notice(slot < 0 ? "クイックロードを実行しました" : SlotText("スロット%sからロードしました", slot),
           Setting(kSettingAlwaysSkip) ? kNoticeMs : kLoadNoticeMs);
  }
  pendingResult_ = kPendingLoad;
  return kLoaded;
}

int32_t TgsFrame::RunSaveLoadScreen(bool save) {
  // A game without a save and load screen of its own: it closes at once.
  ScriptHost* host = environment_.host;
  if (host == nullptr || !host->HasSceneFile(kSaveLoadScript)) return 0;
  // The screen finds its mode in retTgsExp and leaves its answer there.
  const uint32_t exchange = RetTgsExpAddress();
  if (exchange != 0) Space().Write32(exchange, save ? kSaveLoadSave : kSaveLoadLoad);
  if (RunSystemScript(kSaveLoadScript) != 0) return -1;
  uint32_t answer = 0;
  if (exchange != 0) Space().Read32(exchange, answer);
  return !save && answer == kSaveLoadChoseSave ? 1 : 0;
}

int32_t TgsFrame::SaveLoadAction(bool save) {
  SuspendClock();
  const int32_t screen = RunSaveLoadScreen(save);
  ResumeClock();
  if (screen < 0) return kFailed;
  if (screen == 1) {
    // The chosen save is read whole before the story is left for it: one
    // that cannot be loaded is told, and the page goes on waiting.
    const int32_t choice = environment_.player.checkChosenLoad ? environment_.player.checkChosenLoad()
                                                               : TgsPlayerServices::kQuickLoadChosen;
    if (choice == TgsPlayerServices::kQuickLoadDamaged) {
      Notice("セーブデータが壊れているためロードできません", kNoticeMs);
      return kDone;
    }
    if (choice != TgsPlayerServices::kQuickLoadChosen) {
      Notice("セーブデータは存在しません", kNoticeMs);
      return kDone;
    }
    pendingResult_ = kPendingLoad;
    return kLoaded;
  }
  return kDone;
}

int32_t TgsFrame::RunSettingsScreen(bool& skipReadChanged) {
  ScriptHost* host = environment_.host;
  const char* script = kConfigScripts[optionWords_[kOptionSettingsScreen] != 0 ? 1 : 0];
  if (host == nullptr || !host->HasSceneFile(script)) {
    // A game without the screen gets the program's own settings sheet.
    return environment_.player.settingsScreen ? environment_.player.settingsScreen(skipReadChanged) : 0;
  }
  const uint8_t skipReadBefore = Setting(kSettingSkipReadOnly);
  const uint32_t exchange = RetTgsExpAddress();
  if (exchange != 0) Space().Write32(exchange, 0);
  if (RunSystemScript(script) != 0) return -1;
  skipReadChanged = Setting(kSettingSkipReadOnly) != skipReadBefore;
  uint32_t answer = 0;
  if (exchange != 0) Space().Read32(exchange, answer);
  return answer == kConfigTextChanged ? 1 : 0;
}

int32_t TgsFrame::SettingsAction() {
  SuspendClock();
  const bool fades = !Setting(kSettingNoFades);
  int32_t result = kDone;
  if (fades) {
    if (windowState_->FadeMessageWindow(false, kSettingsFadeMs, true) < 0) result = kFailed;
  } else {
    windowState_->ShowMessageWindow(false, true);
  }
  bool skipReadChanged = false;
  const int32_t screen = RunSettingsScreen(skipReadChanged);
  if (screen < 0) result = kFailed;
  if (screen == 1) windowState_->RebuildPage();
  if (skipReadChanged) {
    CancelSkipMode();
    SetButtonEnabled(kSkipToChoice, !Setting(kSettingSkipReadOnly) || alreadyRead_);
  }
  if (fades) {
    if (windowState_->FadeMessageWindow(true, kSettingsFadeMs, true) < 0) result = kFailed;
  } else {
    windowState_->ShowMessageWindow(true, true);
  }
  ResumeClock();
  return result;
}

int32_t TgsFrame::HideWindowAction(bool automatic) {
  if (!automatic) PlayClickSound(kClickChannel);
  windowState_->ShowMessageWindow(false, true);
  ControlHost* controls = environment_.controls;
  for (;;) {
    if (!PumpOneFrame()) return kFailed;
    if (automatic) {
      if (!environment_.player.windowState || environment_.player.windowState() != kWindowHideRequest) break;
      continue;
    }
    const InputDevice* pointer = controls ? controls->GetPointerDevice() : nullptr;
    const ActionMap* actions = controls ? controls->GetActionMap() : nullptr;
    if (pointer && (pointer->IsPressed(kMouseLeft) || pointer->IsPressed(kMouseRight))) break;
    if (actions && (actions->IsPressed(kActionDecide) || actions->IsPressed(kActionCancel) ||
                    actions->IsPressed(kActionHide)))
      break;
  }
  voicePacing_ = 0;
  CancelSkipMode();
  windowState_->ShowMessageWindow(true, false);
  // The bar comes back by the bottom-zone rule at the next pointer move.
  pointerX_ = pointerY_ = -1;
  if (!Setting(kSettingBarNearBottom)) windowState_->SetBarVisible(true, false);
  else TrackPointer();
  return kDone;
}

int32_t TgsFrame::ShowSystemMenu() {
  TgsSystemMenuState state;
  for (uint32_t i = 0; i < kBarButtons; ++i) state.actionEnabled[i] = buttons_[i] != MessageWindowState::kDisabled;
  state.titleAllowed = GateOpen(environment_.player.titleAllowed);
  state.settingsAllowed = GateOpen(environment_.player.settingsAllowed);
  const int32_t result = ShowSystemMenu(state);
  if (state.pendingRequest != 0) pendingResult_ = state.pendingRequest;
  return result;
}

int32_t TgsFrame::SystemMenuAction() {
  SuspendClock();
  const int32_t result = ShowSystemMenu();
  ResumeClock();
  if (result == TgsSystemMenu::kQuitting) return kFailed;
  if (result >= 8) return RunPlayerAction(TgsSystemMenu::ActionOfResult(result));
  return result;
}

}  // namespace orrivel
