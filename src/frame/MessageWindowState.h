#pragma once
// The message-window side of the text-adventure frame: its message window
// and the speaker's name plate, their visibility records, the skip test and
// the frame-pumping waits, the page display mode chosen from the player's
// settings, the ten-button bar's states and visibility, and the fade of the
// window in and out. The frame owns one; the opcodes, the page output and
// the system menu drive it.
//
// Results follow the frame's rule: 0 done, 1 bad argument, -1 the program
// is closing (always passed up).
//
// Main thread only.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace orrivel {

class Drawable;
class MessageTextWindow;
class SpriteFadeAction;
class SpriteList;
class TgsFrame;
class TimedTask;
class TimerList;
class WindowControl;

class MessageWindowState {
 public:
  static constexpr uint32_t kBarButtons = 10;
  static constexpr uint32_t kBarFadeMs = 200;
  // The bar's fade: ten buttons and the bar picture.
  static constexpr int32_t kBarFadeTargets = 11;
  // Button state bytes.
  static constexpr uint8_t kDisabled = 0, kEnabled = 1, kHeld = 2;
  // Skip test mask bits.
  static constexpr uint32_t kSkipClick = 1, kSkipKey = 2;
  // Where the window and its name plate stand on the 1280 x 720 screen.
  static constexpr int32_t kWindowX = 0, kWindowHeight = 200, kNameX = 40, kNameLift = 24;
  static constexpr int32_t kRevealEdge = 32;

  struct WindowRecord {
    bool visible = false;
    // The window's two timed actions (layer effects on the window); each
    // task clears its slot when it ends.
    std::array<TimedTask*, 2> actions{};
  };

  explicit MessageWindowState(TgsFrame& frame);
  ~MessageWindowState();
  MessageWindowState(const MessageWindowState&) = delete;
  MessageWindowState& operator=(const MessageWindowState&) = delete;

  // --- the windows of a run ------------------------------------------------------
  // Makes message window 0 and the name plate in the list, above order,
  // with the frame's page fonts and cursor strips; the window stands on
  // the bar (its bottom at barY). 0, or 2 when the window cannot be made.
  int32_t BuildWindows(SpriteList* list, uint32_t order, int32_t barY);
  void ReleaseWindows();
  // The canvas the windows stand in is going away: the bar fade ends and
  // the windows leave its list, kept (a page in progress may hold them) but
  // shown nowhere until the next run builds them again.
  void LeaveCanvas();
  MessageTextWindow* Window(int32_t index = 0) const { return index == 0 ? window_.get() : nullptr; }
  WindowControl* NamePlate() const { return namePlate_.get(); }
  int32_t CurrentWindow() const { return current_; }
  WindowRecord& Record() { return records_[0]; }
  // The choice list's sprites, which follow the window while a choice waits.
  void SetChoiceSprites(std::vector<Drawable*> sprites) { choiceSprites_ = std::move(sprites); }
  // Ends the window's two timed actions that still run: true when one did.
  bool EndWindowActions();

  // --- the page ---------------------------------------------------------------------
  // Hands a flushed page to window 0: the display mode, the text, the
  // names, then the layout. The window's ShowPage result (its stop code
  // when a page command asked to stop while measuring).
  int32_t TakePage(std::span<const uint8_t> page, const std::string& speaker, const std::string& voice);
  // True once after a page whose commands asked to stop while it was
  // measured; the frame step ends the run on it.
  bool TakeStopRequest() { return std::exchange(stopRequested_, false); }
  // Lays the page out again from the stored text (after a settings change).
  int32_t RebuildPage();

  // --- skip tests and waits ---------------------------------------------------------
  // Bit 0: a click counts (with settings byte 191); bit 1: the skip key or
  // settings byte 3. False while the frame takes no input. The click and the
  // key are the frame's own readings (TgsFrame::ClickPressed, SkipKeyHeld).
  bool ShouldSkip(uint32_t mask) const;
  // The frame's timed and fixed waits (TgsFrame::TimedWait, FixedWait).
  int32_t TimedWait(uint32_t ms, bool skippable);
  int32_t FixedWait(uint32_t ms);
  // Waits while the task in *slot is in list: 0 when it ends (or for an
  // empty slot), 1 when skipped (the task stopped, its slot cleared), -1
  // closing.
  int32_t WaitDisplayTask(TimedTask** slot, TimerList* list, bool skippable);
  // 0 show at once, else the reveal speed (ms per character).
  int32_t GetPageDisplayMode();

  // --- visibility -------------------------------------------------------------------
  int32_t SetWindowVisible(bool visible, int32_t window);
  int32_t ClearMessageWindow(int32_t window);
  // Ends both window actions of the entry (negative: the current window)
  // through the object timer list, which leaves each in its end state, and
  // empties their slots. 1 for an entry past the windows.
  int32_t ReleaseWindowActions(int32_t entry);
  void ShowMessageWindow(bool visible, bool withBar);
  int32_t FadeMessageWindow(bool show, uint32_t ms, bool withBar);

  // --- the bar ------------------------------------------------------------------------
  void SetBarButtonState(uint32_t n, uint8_t state);
  void SetBarVisible(bool visible, bool animate);
  bool BarVisible() const { return barVisible_; }
  // A run starts with the bar hidden until a page, the pointer or the
  // script shows it: the record and everything of the bar on screen (the
  // picture and the ten buttons) alike.
  void HideBarForRunStart();
  // Ends a finished hiding fade (the bar's sprites then hide).
  void Update();

  // --- the main window's menu state ------------------------------------------------------
  void SwitchMenuStateOff();
  bool RestoreMenuState();
  bool MenuStateOff() const { return menuOff_; }

 private:
  // Stops the entry's window actions, each in its end state, and empties
  // their slots; true when one was still running.
  bool StopWindowActions(size_t index);
  // Completes and stops the bar's fade; its list forgets this slot.
  void EndBarFade();
  // The sprites a window fade touches.
  std::vector<Drawable*> FadeTargets(bool withBar) const;
  void ShowBarNow(bool visible);
  bool InSkipMode() const;
  // One frame of the game (TgsFrame::PumpOneFrame); false when closing.
  bool Pump();

  TgsFrame& frame_;
  std::unique_ptr<MessageTextWindow> window_;
  std::unique_ptr<WindowControl> namePlate_;
  std::array<WindowRecord, 1> records_{};
  int32_t current_ = 0;
  std::vector<Drawable*> choiceSprites_;
  bool barVisible_ = false;
  SpriteFadeAction* barFade_ = nullptr;
  TimedTask* barFadeSlot_ = nullptr;
  bool menuOff_ = false;
  bool stopRequested_ = false;
};

}  // namespace orrivel
