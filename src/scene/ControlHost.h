#pragma once
// The controls of one screen that currently take input, driven once a frame:
// the pointer is hit-tested, one control is hovered and one has the keyboard
// focus, the hovered control's name shows as a tooltip after a rest, the
// focus moves by neighbour links, Tab, Shift+Tab and the navigation actions,
// and a whole set of controls can be put aside and brought back (a dialog
// covering the screen). The host does not own its controls.
//
// What controls need of the engine (pointer, cursor, sounds, the action map,
// tooltips) are virtual services: the base behaviour is a quiet default, and
// the game's one global host supplies the real ones.
//
// Main thread only.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orrivel {

class ActionMap;
class Control;
class InputDevice;

class ControlHost {
 public:
  // Keyboard codes the host reads itself.
  static constexpr uint8_t kKeyTab = 0x0F;
  static constexpr uint8_t kKeyLeftShift = 0x2A;
  static constexpr uint8_t kKeyRightShift = 0x36;
  // Navigation steps of HandleNavigation.
  static constexpr uint8_t kStepNone = 0, kStepBackwards = 1, kStepForwards = 2;
  // Update results.
  static constexpr int32_t kUpdateIdle = 0, kUpdateButtons = 1, kUpdateFocused = 2, kUpdateTyped = 3,
                           kUpdateFocusMoved = 4, kUpdateOff = -1;

  ControlHost() = default;
  // Brings back every saved list and then lets every control go.
  virtual ~ControlHost();
  ControlHost(const ControlHost&) = delete;
  ControlHost& operator=(const ControlHost&) = delete;

  // --- the lists ----------------------------------------------------------------
  // 1 no control, 2 it already has a host, 3 no memory, else 0. Index < 0
  // or past the end appends; n inserts before the n-th node.
  virtual uint32_t AddControl(Control* control, int32_t index);
  // Unlinks the control from the current list or a saved one.
  virtual void RemoveControl(Control* control);
  // Every control leaves the host (none is deleted).
  virtual void Clear();
  // 1 when the current list is empty; else it is saved and a new one starts.
  virtual uint32_t PushControls();
  // 1 when nothing is saved; else the current list is cleared and the
  // newest saved one comes back.
  virtual uint32_t PopControls();
  size_t SavedListCount() const { return saved_.size(); }
  // Head to tail.
  std::vector<Control*> Controls() const;

  // --- focus and hover ----------------------------------------------------------
  // 1 empty list; null clears the focus (0); 2 not in the current list; 3
  // disabled or hidden; else 0.
  virtual uint32_t SetFocus(Control* control);
  // 0 moved; 1 empty list; 2 nothing focused and nothing eligible; -1 no
  // other eligible control.
  virtual int32_t FocusNext();
  virtual int32_t FocusPrevious();
  bool IsFocused(const Control* control) const;
  bool IsHovered(const Control* control) const;
  Control* GetFocused() const;
  Control* GetHovered() const;
  // False when nothing was hovered.
  bool ClearHover();
  void SetPointerLocked(bool locked) { pointerLocked_ = locked; }
  bool IsPointerLocked() const { return pointerLocked_; }
  // Forgets the last pointer position (the next Update sees a move).
  void ForgetPointer() { lastX_ = lastY_ = -1; }

  // --- tooltips -------------------------------------------------------------------
  // Duration 0: shown until the pointer leaves.
  void SetTooltip(bool enabled, uint32_t delay, uint32_t duration);
  void HideTooltip();
  bool IsTooltipShown() const { return tooltipShown_; }
  bool TooltipEnabled() const { return tooltipEnabled_; }
  uint32_t TooltipDelay() const { return tooltipDelay_; }

  // --- engine services (the game's host supplies them) ----------------------------
  virtual void SetPointerPos(int32_t, int32_t) {}
  virtual void GetPointerPos(int32_t* x, int32_t* y) = 0;
  // Kinds 0-6.
  virtual bool SetCursorKind(int32_t) { return false; }
  virtual int32_t GetCursorKind() { return 0; }
  virtual void ApplyCursorState(uint32_t) {}
  virtual void RestartHoverTime() {}
  virtual int32_t GetScreenWidth() { return 0; }
  virtual int32_t GetScreenHeight() { return 0; }
  // How a control that gains the keyboard focus treats the pointer: 1 move
  // it to the control's centre, 2 park it, other leave it.
  virtual uint8_t GetPointerMode() { return 0; }
  virtual void ParkPointer() { SetPointerPos(GetScreenWidth() + 1, GetScreenHeight()); }
  // code >= 0 a sound channel; -4, -3, -2 the default activate, hover and
  // leave sounds.
  virtual int32_t PlaySound(const char*, int32_t, int32_t, int32_t) { return 0; }
  virtual void RunEvent(const char*, const char*, int32_t) {}
  virtual void SetSelected(int32_t) {}
  virtual void PostWindowCommand(uint8_t) {}
  virtual ActionMap* GetActionMap() = 0;
  virtual InputDevice* GetKeyboard() = 0;
  virtual InputDevice* GetPointerDevice() = 0;

  // --- the frame ------------------------------------------------------------------
  // Focus and hover gone, tooltip timing and pointer position forgotten.
  virtual void ResetInput();
  virtual void SetInputEnabled(bool enable);
  bool IsInputEnabled() const { return inputEnabled_; }
  virtual uint8_t HandleNavigation(ActionMap* actions);
  // -1 input off; 0 nothing; 1 the hovered control took the buttons; 2 the
  // focused control's Update; 3 typed text delivered; 4 the focus moved.
  virtual int32_t Update(uint32_t now);
  int32_t GetLastResult() const { return lastResult_; }
  virtual void ShowTooltip(const char*, int32_t, int32_t) {}
  virtual void HideTooltipBox() {}
  // Runs once input is known to be on, before the pointer is hit-tested;
  // false stops the frame's Update. Here it ticks the controls.
  virtual bool PreUpdate(uint32_t now, bool*, int32_t, int32_t) {
    TickControls(now);
    return true;
  }
  // Hands the characters typed since the last frame to the focused control;
  // true when it took them.
  virtual bool DeliverTypedText(Control*) { return false; }
  virtual bool ApplyNavigation(Control* focused, uint8_t step);

 protected:
  // The timed work of every enabled, visible control (a text reveal, an
  // animation): Tick(now) on each, head to tail.
  void TickControls(uint32_t now);
  // For a host whose RestartHoverTime restarts the tooltip delay.
  void SetHoverStartTime(uint32_t now) { hoverStart_ = now; }
  uint32_t GetHoverStartTime() const { return hoverStart_; }

 private:
  struct Node {
    Control* control = nullptr;
    Node* prev = nullptr;
    Node* next = nullptr;
  };
  struct List {
    Node* head = nullptr;
    Node* tail = nullptr;
  };

  static Node* FindIn(const List& list, const Control* control);
  static void Unlink(List& list, Node* node);
  static bool Eligible(const Control* control);
  // The one place where the focus changes.
  void SetFocusNode(Node* node, int32_t direction);
  int32_t MoveFocus(bool forwards);
  Node* HitNode(int32_t x, int32_t y) const;
  void TrackPointer(uint32_t now, int32_t x, int32_t y);
  void TimeTooltip(uint32_t now, int32_t x, int32_t y);
  // The hit test and the hovered control's buttons: true when the buttons
  // were taken.
  bool TrackPointerButtons(uint32_t now, bool moved, int32_t x, int32_t y);
  int32_t RunFrame(uint32_t now);

  List current_;
  std::vector<List> saved_;
  int32_t lastX_ = -1;
  int32_t lastY_ = -1;
  bool pointerLocked_ = false;
  bool inputEnabled_ = true;
  int32_t lastResult_ = 0;
  uint32_t hoverStart_ = 0;
  bool tooltipEnabled_ = false;
  bool tooltipShown_ = false;
  uint32_t tooltipDelay_ = 0;
  uint32_t tooltipDuration_ = 0;
  Node* hovered_ = nullptr;
  Node* focused_ = nullptr;
  // Set while the pointer's own handling runs in an update.
  bool pointerTurn_ = false;
  // The keys or a script moved the focus (which drops the hover): a
  // resting pointer hit-tests again only once it moves.
  bool hoverHeld_ = false;
};

}  // namespace orrivel
