#include "frame/TgsSystemMenu.h"

namespace orrivel {

namespace {

constexpr int32_t kScreenWidth = 1280;
constexpr int32_t kScreenHeight = 720;
constexpr int32_t kMenuWidth = 148;
constexpr int32_t kMenuHalfWidth = 74;
constexpr int32_t kMenuHeight = 330;
constexpr int32_t kItemPitch = 24;
constexpr int32_t kFirstItem = 43;
constexpr int32_t kOutside = -2;
constexpr int32_t kEdgeLeft = 4;
constexpr int32_t kEdgeTop = 8;
constexpr int32_t kGlideX = 63;
constexpr int32_t kGlideY = 12;

// Settings bytes.
constexpr size_t kShortQuickLoadNotice = 3;
constexpr size_t kQuitFade = 85;
constexpr size_t kConfirmPreviousChoice = 172;
constexpr size_t kConfirmQuickLoad = 173;
constexpr size_t kDefaultItem = 192;

// Items.
enum Item : int32_t {
  kAutoPlay = 0,
  kSkip = 1,
  kPreviousChoice = 2,
  kHistory = 3,
  kHideWindow = 4,
  kSaveScreen = 5,
  kLoadScreen = 6,
  kQuickSaveItem = 7,
  kQuickLoadItem = 8,
  kSettings = 9,
  kTitle = 10,
  kQuitItem = 11,
};

// Frame actions that enable items.
constexpr size_t kActionPreviousChoice = 2;
constexpr size_t kActionSkip = 5;
constexpr size_t kActionAuto = 6;
constexpr size_t kActionHistory = 7;

constexpr int32_t kSoundMenu = 1;
constexpr int32_t kSoundLoad = 0;
constexpr int32_t kShortNotice = 100;
constexpr int32_t kLongNotice = 850;

constexpr const char kSkipName[] = "次の選択肢までスキップ";
constexpr const char kAskPreviousChoice[] = "前の選択肢に戻ります。\nよろしいですか？";
constexpr const char kAskTitle[] = "タイトルに戻ります。\nよろしいですか？";
constexpr const char kAskQuit[] = "ゲームを終了します。\nよろしいですか？";
constexpr const char kAskLoad[] = "をロードしますか？";
constexpr const char kQuickSaved[] = "クイックセーブを実行しました";
constexpr const char kQuickSaveFailed[] = "クイックセーブに失敗しました";
constexpr const char kNoQuickSave[] = "クイックセーブデータは存在しません";
constexpr const char kDamagedQuickSave[] = "クイックセーブデータが壊れているためロードできません";
constexpr const char kQuickLoaded[] = "クイックロードを実行しました";

// One axis: the start moved into the screen; true when it had to be.
bool Clamp(int32_t& at, int32_t size, int32_t screen) {
  if (at < 0) {
    at = 0;
    return true;
  }
  if (at + size > screen) {
    at = screen - size;
    return true;
  }
  return false;
}

}  // namespace

SystemMenuPlacement PlaceSystemMenu(int32_t x, int32_t y, uint8_t defaultItem, int32_t pointerEdge) {
  SystemMenuPlacement out;
  out.keyboard = x == kScreenWidth - 1 && y == kScreenHeight - 1;
  const int32_t above = int32_t(defaultItem) * kItemPitch + kFirstItem;
  if (x >= 0 && y >= 0) {
    out.x = x - kMenuHalfWidth;
    out.y = y - above;
    const bool movedX = Clamp(out.x, kMenuWidth, kScreenWidth);
    const bool movedY = Clamp(out.y, kMenuHeight, kScreenHeight);
    out.moved = movedX || movedY;
  } else if (x == kOutside) {
    out.y = y - above;
    Clamp(out.y, kMenuHeight, kScreenHeight);
    out.x = pointerEdge == kEdgeLeft ? 0 : kScreenWidth - kMenuWidth;
    out.moved = true;
  } else if (y == kOutside) {
    out.x = x - kMenuHalfWidth;
    Clamp(out.x, kMenuWidth, kScreenWidth);
    out.y = pointerEdge == kEdgeTop ? 0 : kScreenHeight - kMenuHeight;
    out.moved = true;
  } else {
    out.x = kScreenWidth - kMenuWidth;
    out.y = 0;
    out.moved = true;
  }
  return out;
}

int32_t TgsSystemMenu::ActionOfResult(int32_t result) {
  switch (result) {
    case 8: return 5;
    case 9: return 6;
    case 10: return 7;
    case 11: return 9;
    case 12: return 3;
    case 13: return 4;
    default: return result >= 8 ? 8 : -1;
  }
}

void TgsSystemMenu::EnableItems() {
  const auto action = [&](size_t index) { return index < state_.actionEnabled.size() && state_.actionEnabled[index]; };
  const bool enabled[kItems] = {action(kActionAuto),    action(kActionSkip),     action(kActionPreviousChoice),
                                action(kActionHistory), true,                    state_.saveAllowed,
                                state_.loadAllowed,     state_.saveAllowed,      state_.loadAllowed,
                                state_.settingsAllowed, state_.titleAllowed,     true};
  for (int32_t item = 0; item < kItems; ++item) port_.SetItemEnabled(item, enabled[item]);
  port_.SetItemState(kAutoPlay, state_.autoPlay);
  if (enabled[kSkip]) port_.SetItemName(kSkip, kSkipName);
}

int32_t TgsSystemMenu::Show() {
  fade_ = false;
  shown_ = false;
  port_.OpenControls();
  const int32_t parts = port_.LoadItems();
  if (parts != kItems) {
    // Items are indexed 0 to 11: a layout of another count is refused
    // before any of them is used.
    port_.Log("SYS/SM_BG.GMP: " + std::to_string(parts) + " parts instead of 12; the system menu stays closed");
    port_.CloseControls();
    return kDismissed;
  }
  int32_t px = 0, py = 0;
  port_.PointerPosition(px, py);
  const uint8_t item = Setting(kDefaultItem) < kItems ? Setting(kDefaultItem) : 0;
  const SystemMenuPlacement at = PlaceSystemMenu(px, py, item, port_.PointerEdge());
  port_.PlaceBase(at.x, at.y);
  port_.PlaceItems(at.x, at.y);
  EnableItems();
  port_.PlaySound(kSoundMenu);
  shown_ = true;
  if (Setting(189) == 0) fade_ = port_.MakeFade();
  if (fade_) port_.FadeParts(true);
  if (at.keyboard) {
    port_.FocusItem(item);
  } else if (at.moved) {
    int32_t left = 0, top = 0;
    port_.ItemPosition(item, left, top);
    if (port_.GlidePointer(left + kGlideX, top + kGlideY, kGlideMs) == -1) return Close(kQuitting);
  }
  for (;;) {
    if (port_.Pump() == 0) return Close(kQuitting);
    const int32_t activated = port_.UpdateControls();
    if (activated >= 0) {
      if (activated >= kItems) {
        port_.ResetActivation();
        continue;
      }
      if (const int32_t result = Choose(activated); result != 0) return Close(result);
      continue;
    }
    if (port_.DismissPressed() || port_.LeftPressedOutside()) {
      port_.PlaySound(kSoundMenu);
      return Close(kDismissed);
    }
  }
}

int32_t TgsSystemMenu::Choose(int32_t item) {
  switch (item) {
    case kAutoPlay: return 9;
    case kSkip: return 8;
    case kHistory: return 10;
    case kHideWindow: return 11;
    case kSaveScreen: return 12;
    case kLoadScreen: return 13;
    case kSettings: return 16;
    case kPreviousChoice:
      if (Setting(kConfirmPreviousChoice)) {
        port_.PlaySound(kSoundMenu);
        if (const int32_t answer = Confirm(kAskPreviousChoice, false); answer != 1) return answer;
      }
      state_.pendingRequest = 3;
      return 5;
    case kTitle: {
      port_.PlaySound(kSoundMenu);
      if (const int32_t answer = Confirm(kAskTitle, false); answer != 1) return answer;
      state_.pendingRequest = 1;
      return 7;
    }
    case kQuickSaveItem: return QuickSave();
    case kQuickLoadItem: return QuickLoad();
    case kQuitItem: {
      port_.PlaySound(kSoundMenu);
      if (const int32_t answer = Confirm(kAskQuit, false); answer != 1) return answer;
      return Quit();
    }
    default: return 0;
  }
}

// 1 yes; otherwise the menu's ending: -2 quitting, -1 declined.
int32_t TgsSystemMenu::Confirm(const std::string& text, bool centred) {
  if (fade_) port_.FadeParts(false);
  shown_ = false;
  const int32_t answer = port_.Confirm(text, centred);
  if (answer == -1) return kQuitting;
  return answer == 1 ? 1 : kDismissed;
}

int32_t TgsSystemMenu::WaitFade() {
  while (fade_ && !port_.FadeFinished())
    if (port_.Pump() == 0) return -1;
  return 0;
}

int32_t TgsSystemMenu::QuickSave() {
  if (fade_) port_.FadeParts(false);
  shown_ = false;
  port_.Notice(port_.QuickSave() ? kQuickSaved : kQuickSaveFailed, kShortNotice);
  return WaitFade() == -1 ? kQuitting : kDismissed;
}

int32_t TgsSystemMenu::QuickLoad() {
  if (fade_) port_.FadeParts(false);
  shown_ = false;
  const auto missing = [this] {
    port_.Notice(port_.QuickSaveDamaged() ? kDamagedQuickSave : kNoQuickSave, kShortNotice);
    return WaitFade() == -1 ? kQuitting : kDismissed;
  };
  const bool confirm = Setting(kConfirmQuickLoad) != 0;
  if (confirm) {
    const std::optional<std::string> caption = port_.QuickSaveCaption();
    if (!caption) return missing();
    port_.PlaySound(kSoundMenu);
    const int32_t answer = port_.Confirm(*caption + kAskLoad, true);
    if (answer == -1) return kQuitting;
    if (answer < 1) return kDismissed;
  }
  const std::optional<std::string> file = port_.QuickSaveFileName();
  if (!file) return missing();
  port_.SetCurrentSaveFile(*file);
  if (!confirm) {
    port_.Notice(kQuickLoaded, Setting(kShortQuickLoadNotice) ? kShortNotice : kLongNotice);
    if (WaitFade() == -1) return kQuitting;
  } else {
    port_.Notice("", 0);
    port_.PlaySound(kSoundLoad);
  }
  state_.pendingRequest = 2;
  return 6;
}

int32_t TgsSystemMenu::Quit() {
  if (Setting(kQuitFade)) port_.QuitFade();
  port_.RequestQuit();
  return kQuitting;
}

int32_t TgsSystemMenu::Close(int32_t result) {
  if (result == kDismissed && fade_) {
    if (shown_) port_.FadeParts(false);
    shown_ = false;
    if (WaitFade() == -1) result = kQuitting;
  }
  // Every ending tidies up alike, so nothing is left when the program then
  // closes.
  if (fade_) port_.DeleteFade();
  fade_ = false;
  port_.CloseControls();
  if (result != kQuitting && state_.autoPlay) port_.RestartAutoTimer();
  port_.FreeBase();
  return result;
}

}  // namespace orrivel
