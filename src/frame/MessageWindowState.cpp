#include "frame/MessageWindowState.h"

#include <algorithm>

#include "base/TimedTask.h"
#include "base/TimerList.h"
#include "effect/SpriteFadeAction.h"
#include "frame/MessageTextWindow.h"
#include "frame/TgsFrame.h"
#include "raster/SpriteList.h"
#include "resource/plugin/ObjectArguments.h"
#include "scene/ButtonControl.h"
#include "scene/ControlHost.h"
#include "scene/ImageSprite.h"
#include "text/OutlineFont.h"

namespace orrivel {

namespace {

// Settings bytes read here.
constexpr size_t kAlwaysSkip = 3;
constexpr size_t kBarNearBottom = 11;
constexpr size_t kClickEndsWaits = 191;
constexpr size_t kUnreadAtOnce = 24, kUnreadSpeed = 25, kReadAtOnce = 26, kReadSpeed = 27, kSkipRead = 28;

constexpr int32_t kMargin = 32, kMarginTop = 36, kNameMargin = 7;
constexpr char kNamePicture[] = "SYS/MS_NAME.ELG";
constexpr int32_t kNameWidth = 240, kNameHeight = 40;
// The two click-wait cursors: frames of 200 ms, placed after the text.
constexpr ClickWaitFrames kCursorFrames[2] = {{4, 200}, {6, 200}};

}  // namespace

MessageWindowState::MessageWindowState(TgsFrame& frame) : frame_(frame) {}

MessageWindowState::~MessageWindowState() { ReleaseWindows(); }

// --- the windows of a run ----------------------------------------------------------------

int32_t MessageWindowState::BuildWindows(SpriteList* list, uint32_t order, int32_t barY) {
  ReleaseWindows();
  OutlineFont* font = frame_.GetFont(TgsFrame::kPageFont1);
  if (list == nullptr || font == nullptr) return 2;
  const int32_t top = barY - kWindowHeight;
  namePlate_ = std::make_unique<WindowControl>();
  namePlate_->LoadFrameImages(kNamePicture, nullptr, nullptr, 0, 0, 0, 0, 0, 0);
  if (namePlate_->Create(list, int32_t(order) + 1, kNameWidth, kNameHeight, kNameX, top - kNameLift, font, nullptr,
                         0) == 0) {
    namePlate_->SetMargins(kNameMargin, kNameMargin, kNameMargin, kNameMargin, true);
    namePlate_->SetVisible(false);
  } else {
    namePlate_.reset();
  }
  window_ = std::make_unique<MessageTextWindow>();
  // The window draws the frame picture under its text itself, so that the
  // text and its reveal land on it; the picture's own sprite stays hidden.
  if (Surface* picture = frame_.FramePicture()) {
    window_->SetFrameImages(picture, 0, 0, 0, 0, 0, 0);
    if (ImageSprite* sprite = frame_.FrameSprite()) sprite->SetVisible(0);
  }
  if (window_->Create(list, int32_t(order) + 1, TgsFrame::kScreenWidth, kWindowHeight, kWindowX, top, font,
                      frame_.GetFont(TgsFrame::kPageFont2), 0) != 0) {
    window_.reset();
    namePlate_.reset();
    return 2;
  }
  window_->SetMargins(kMargin, kMarginTop, kMargin, kMargin / 2, true);
  window_->SetRubyEnabled(true);
  window_->SetNameWindow(namePlate_.get());
  window_->SetIndentChars(nullptr);
  window_->SetCursorAfterText(true);
  window_->SetRevealEdge(kRevealEdge);
  window_->SetCommandRunner([this](const uint8_t* record, size_t available, size_t& taken) {
    return frame_.ReplayPageCommand(record, available, taken);
  });
  window_->SetPacingSource([this] { return frame_.GetWaitState(); });
  window_->SetColourRestorer([this] { frame_.RestorePageFonts(); });
  for (uint32_t i = 0; i < 2; ++i)
    if (Surface* strip = frame_.CursorSurface(i)) window_->AddCursor(strip, &kCursorFrames[i], strip->GetHeight(), true);
  window_->SetVisible(false);
  records_[0] = WindowRecord{};
  current_ = 0;
  if (ControlHost* controls = frame_.Environment().controls) controls->AddControl(window_.get(), -1);
  return 0;
}

void MessageWindowState::EndBarFade() {
  if (barFadeSlot_ == nullptr) return;
  static_cast<SpriteFadeAction*>(barFadeSlot_)->Complete();
  TimerList* timers = frame_.Environment().systemTimers ? frame_.Environment().systemTimers() : nullptr;
  if (timers != nullptr) timers->Stop(barFadeSlot_->Handle());
  if (barFadeSlot_ != nullptr) barFadeSlot_->SetOwnerSlot(nullptr);
  barFadeSlot_ = nullptr;
}

void MessageWindowState::LeaveCanvas() {
  EndBarFade();
  if (window_) window_->LeaveSpriteList();
  if (namePlate_) namePlate_->LeaveSpriteList();
  choiceSprites_.clear();
}

void MessageWindowState::ReleaseWindows() {
  // The bar's sprites go with the run: the fade ends first.
  EndBarFade();
  if (window_) {
    if (ControlHost* controls = frame_.Environment().controls) controls->RemoveControl(window_.get());
    window_->SetNameWindow(nullptr);
  }
  window_.reset();
  namePlate_.reset();
  choiceSprites_.clear();
  records_[0] = WindowRecord{};
  barVisible_ = false;
}

// --- the page ------------------------------------------------------------------------------

int32_t MessageWindowState::TakePage(std::span<const uint8_t> page, const std::string& speaker,
                                     const std::string& voice) {
  MessageTextWindow* window = Window(current_);
  if (window == nullptr) return 1;
  const int32_t mode = GetPageDisplayMode();
  window->SetTimePerChar(uint32_t(mode));
  window->SetPageText(reinterpret_cast<const char*>(page.data()), page.size());
  window->SetNames(speaker.c_str(), voice.c_str());
  const int32_t shown = window->ShowPage(true);
  if (shown == MessageTextWindow::kStopRequested) stopRequested_ = true;
  return shown;
}

int32_t MessageWindowState::RebuildPage() {
  MessageTextWindow* window = Window(current_);
  if (window == nullptr) return 1;
  window->ShowCursor(false);
  window->FinishReveal();
  return window->ShowPage(true);
}

// --- skip tests and waits --------------------------------------------------------------------

bool MessageWindowState::InSkipMode() const { return frame_.SkipByKey() || frame_.SkipBySetting(); }

bool MessageWindowState::ShouldSkip(uint32_t mask) const {
  if (!frame_.InputEnabled()) return false;
  if ((mask & kSkipClick) && frame_.Setting(kClickEndsWaits) && frame_.ClickPressed()) return true;
  if ((mask & kSkipKey) && (frame_.Setting(kAlwaysSkip) || frame_.SkipKeyHeld())) return true;
  return false;
}

bool MessageWindowState::Pump() { return frame_.PumpOneFrame(); }

int32_t MessageWindowState::TimedWait(uint32_t ms, bool skippable) { return frame_.TimedWait(ms, skippable); }

int32_t MessageWindowState::FixedWait(uint32_t ms) { return frame_.FixedWait(ms); }

int32_t MessageWindowState::WaitDisplayTask(TimedTask** slot, TimerList* list, bool skippable) {
  if (slot == nullptr || *slot == nullptr || list == nullptr) return 0;
  while (*slot != nullptr && list->Contains((*slot)->Handle())) {
    if (skippable && (ShouldSkip(kSkipClick | kSkipKey) || InSkipMode())) {
      // Stopping clears the owner's slot.
      list->Stop((*slot)->Handle());
      *slot = nullptr;
      return 1;
    }
    if (!Pump()) return -1;
  }
  *slot = nullptr;
  return 0;
}

int32_t MessageWindowState::GetPageDisplayMode() {
  frame_.SetSkipBySetting(false);
  if (frame_.AlreadyRead()) {
    int32_t mode = frame_.Setting(kReadAtOnce) ? 0 : std::max<int32_t>(frame_.Setting(kReadSpeed), 1);
    if (frame_.Setting(kSkipRead)) {
      mode = 0;
      frame_.SetSkipBySetting(true);
    }
    return mode;
  }
  return frame_.Setting(kUnreadAtOnce) ? 0 : std::max<int32_t>(frame_.Setting(kUnreadSpeed), 1);
}

// --- visibility ---------------------------------------------------------------------------------

int32_t MessageWindowState::SetWindowVisible(bool visible, int32_t window) {
  if (window > 0) return 1;
  if (window < -1) window = 0;
  if (window == -1) window = current_;
  if (MessageTextWindow* w = Window(window)) w->SetVisible(visible);
  records_[0].visible = visible;
  return 0;
}

int32_t MessageWindowState::ClearMessageWindow(int32_t window) {
  if (window > 0) return 1;
  const bool makeCurrent = window < -1;
  if (window < 0) window = makeCurrent ? 0 : current_;
  if (MessageTextWindow* w = Window(window)) {
    w->Clear(true);
    w->ClearPageText();
    if (w->IsVisible()) w->SetVisible(false);
  }
  ReleaseWindowActions(window);
  WindowRecord& record = records_[0];
  record.visible = false;
  if (makeCurrent) current_ = 0;
  return 0;
}

int32_t MessageWindowState::ReleaseWindowActions(int32_t entry) {
  const size_t index = size_t(entry < 0 ? current_ : entry);
  if (index >= records_.size()) return 1;
  StopWindowActions(index);
  return 0;
}

bool MessageWindowState::EndWindowActions() { return StopWindowActions(0); }

bool MessageWindowState::StopWindowActions(size_t index) {
  TimerList* timers = frame_.Environment().objectTimers;
  bool stopped = false;
  for (TimedTask*& slot : records_[index].actions) {
    // A task clears its slot when it ends, so a filled slot holds a live one.
    TimedTask* task = std::exchange(slot, nullptr);
    if (task == nullptr) continue;
    task->SetOwnerSlot(nullptr);
    if (timers != nullptr && timers->Contains(task->Handle())) {
      timers->Stop(task->Handle());
      stopped = true;
    }
  }
  return stopped;
}

void MessageWindowState::ShowMessageWindow(bool visible, bool withBar) {
  if (MessageTextWindow* w = Window(0)) w->SetVisible(visible);
  records_[0].visible = visible;
  if (frame_.ChoiceWaiting())
    for (Drawable* sprite : choiceSprites_) sprite->SetVisible(visible ? 1 : 0);
  if (withBar && (!frame_.Setting(kBarNearBottom) || !visible)) SetBarVisible(visible, false);
}

std::vector<Drawable*> MessageWindowState::FadeTargets(bool withBar) const {
  std::vector<Drawable*> targets;
  if (window_) targets.push_back(&window_->WindowSprite());
  if (namePlate_ && namePlate_->IsVisible()) targets.push_back(&namePlate_->WindowSprite());
  if (frame_.ChoiceWaiting()) targets.insert(targets.end(), choiceSprites_.begin(), choiceSprites_.end());
  if (withBar) {
    for (uint32_t b = 0; b < kBarButtons; ++b)
      if (ButtonControl* button = frame_.BarButtonControl(b)) targets.push_back(&button->Sprite());
    if (ImageSprite* bar = frame_.BarSprite()) targets.push_back(bar);
  }
  return targets;
}

int32_t MessageWindowState::FadeMessageWindow(bool show, uint32_t ms, bool withBar) {
  if (ShouldSkip(kSkipKey) || InSkipMode()) {
    ShowMessageWindow(show, false);
    if (withBar) SetBarVisible(show, false);
    return 0;
  }
  if (show) {
    ShowMessageWindow(true, false);
    if (withBar) SetBarVisible(true, false);
  }
  const std::vector<Drawable*> targets = FadeTargets(withBar);
  auto setAlpha = [&](uint8_t alpha) {
    for (Drawable* target : targets) target->SetOpacity(alpha);
  };
  if (show) setAlpha(0);
  const uint32_t span = std::max<uint32_t>(ms, 1);
  TimerArray& timers = frame_.Timers();
  timers.Start(0);
  while (true) {
    const uint32_t elapsed = std::min(timers.Elapsed(0), span);
    const uint8_t alpha = uint8_t(elapsed * 255 / span);
    setAlpha(show ? alpha : uint8_t(255 - alpha));
    if (elapsed >= span) break;
    if (!Pump()) return -1;
  }
  if (!show) {
    ShowMessageWindow(false, false);
    if (withBar) SetBarVisible(false, false);
    setAlpha(255);
  }
  return 0;
}

// --- the bar ----------------------------------------------------------------------------------------

void MessageWindowState::SetBarButtonState(uint32_t n, uint8_t state) {
  if (n >= kBarButtons) return;
  ButtonControl* button = frame_.BarButtonControl(n);
  if (state == kHeld) {
    // A held mode (auto play, skip) is told by the text and the click-wait
    // cursor, not by a pressed look: the button keeps its look (hover too),
    // so a click on it switches the mode off again.
    if (button != nullptr && !button->IsEnabled()) button->SetEnabled(true);
  } else if (button != nullptr) {
    if (button->GetState() == PushControl::kPressed) button->SetState(PushControl::kNormal);
    button->SetEnabled(state == kEnabled);
  }
  frame_.StoreButtonState(n, state);
}

void MessageWindowState::ShowBarNow(bool visible) {
  for (uint32_t b = 0; b < kBarButtons; ++b)
    if (ButtonControl* button = frame_.BarButtonControl(b)) {
      button->SetVisible(visible);
      button->Sprite().SetOpacity(255);
    }
  if (ImageSprite* bar = frame_.BarSprite()) {
    bar->SetVisible(visible ? 1 : 0);
    bar->SetOpacity(255);
  }
}

void MessageWindowState::SetBarVisible(bool visible, bool animate) {
  if (visible == barVisible_) return;
  barVisible_ = visible;
  SpriteFadeAction* fade = static_cast<SpriteFadeAction*>(barFadeSlot_);
  if (fade != nullptr) fade->Complete();
  TimerList* timers = frame_.Environment().systemTimers ? frame_.Environment().systemTimers() : nullptr;
  if (!animate || timers == nullptr) {
    ShowBarNow(visible);
    return;
  }
  if (fade == nullptr) {
    auto made = std::make_unique<SpriteFadeAction>();
    const ObjectArgument cells[] = {kBarFadeTargets, 0, 0};
    if (made->SetupV(timers, nullptr, ObjectArguments{cells, 3}) != 0) {
      ShowBarNow(visible);
      return;
    }
    fade = made.release();  // the timer list owns it now
    fade->SetOwnerSlot(&barFadeSlot_);
    barFadeSlot_ = fade;
  }
  std::vector<Drawable*> targets;
  for (uint32_t b = 0; b < kBarButtons; ++b)
    if (ButtonControl* button = frame_.BarButtonControl(b)) {
      if (visible) button->SetVisible(true);
      targets.push_back(&button->Sprite());
    }
  if (ImageSprite* bar = frame_.BarSprite()) {
    if (visible) bar->SetVisible(1);
    targets.push_back(bar);
  }
  for (size_t i = 0; i < targets.size(); ++i) {
    if (visible) targets[i]->SetOpacity(0);
    fade->SetTarget(int32_t(i), targets[i], visible, kBarFadeMs, 0, false, 0, 0, 0);
  }
}

void MessageWindowState::HideBarForRunStart() {
  EndBarFade();
  barVisible_ = false;
  ShowBarNow(false);
}

void MessageWindowState::Update() {
  // A hiding fade that has run out leaves the bar hidden at full opacity.
  const auto* fade = static_cast<SpriteFadeAction*>(barFadeSlot_);
  if (barVisible_ || (fade != nullptr && fade->Running())) return;
  ImageSprite* bar = frame_.BarSprite();
  if (bar != nullptr && bar->IsVisible() && bar->GetOpacity() == 0) ShowBarNow(false);
}

// --- the menu state ----------------------------------------------------------------------------------

void MessageWindowState::SwitchMenuStateOff() {
  if (menuOff_) return;
  menuOff_ = true;
  if (frame_.Environment().setMenuState) frame_.Environment().setMenuState(false);
}

bool MessageWindowState::RestoreMenuState() {
  if (!menuOff_) return false;
  menuOff_ = false;
  if (frame_.Environment().setMenuState) frame_.Environment().setMenuState(true);
  return true;
}

}  // namespace orrivel
