#pragma once
// The two-state controls (kind 1) without their looks: a check box that
// turns on and off, or a radio button of a group whose leader remembers
// which member is on. States: 0 off, 1 off and hovered, 2 off and pressed,
// 3 on, 4 on and hovered, 5 on and pressed, 6 disabled and off, 7 disabled
// and on. The state is mirrored into a script cell (0 off, 1 on, 2
// disabled).
//
// Group links are kept both ways: a member that goes away leaves its
// leader's group, and a leader that goes away frees its members, so no
// button ever reaches a deleted one.
#include <cstdint>
#include <memory>
#include <vector>

#include "scene/Control.h"
#include "scene/PushControl.h"
#include "script/ScriptCell.h"

namespace orrivel {

class CheckButtonBase : public Control {
 public:
  // Style bits.
  static constexpr uint8_t kStyleAtOnce = 1;  // toggles at once, no pressed look
  static constexpr uint8_t kStyleRadio = 2;
  static constexpr uint32_t kActionDecide = 4;
  static constexpr uint8_t kPointerButton = 0;
  static constexpr uint32_t kPressDelayMs = 100;
  // selectedIndex when no button of the group is on.
  static constexpr int32_t kNoneSelected = -1;

  ~CheckButtonBase() override;

  int32_t GetKind() const override { return kControlCheckButton; }
  // Refused while locked; members follow the button.
  bool SetEnabled(bool enable) override;
  bool HitTest(int32_t x, int32_t y) override;
  void OnPointerMove(int32_t x, int32_t y) override;
  void OnPointerLeave() override;
  bool OnPointerButtons(int32_t x, int32_t y, InputDevice* pointer) override;
  void OnFocusGained(Control* previous, int32_t direction) override;
  void OnFocusLost(Control* next) override;
  bool Update(ActionMap* actions) override;
  // Hiding gives up the host's focus and hover; the members follow.
  void SetVisible(bool show) override;

  // Stores the state, writes the linked cell and shows the state.
  void SetState(uint8_t state);
  uint8_t GetState() const { return state_; }
  uint8_t GetStyle() const { return style_; }
  bool IsOn() const { return IsOnState(state_); }
  bool IsRadio() const { return (style_ & kStyleRadio) != 0; }
  bool IsLocked() const { return locked_ != 0; }
  uint32_t PressDue() const { return pressDue_; }
  void SetLinkedValue(const ScriptCell& cell);
  // The display flag: while set, the pointer's hover shows no highlight:
  // a hovered control shows its resting look, and so does a press that
  // has no look of its own. The current state is shown again at once.
  void SetDisplayFlag(bool flag) {
    plainHover_ = flag;
    ShowState(state_);
  }
  bool GetDisplayFlag() const { return plainHover_; }

  // A member forwards to its leader. Locking takes every button of the
  // group out of use (focus and hover given up); unlocking gives back the
  // use of the buttons that are not disabled.
  void Lock(bool lock);
  // 1 null; 2 the button itself, a member already or in another group; 0.
  int32_t AddToGroup(CheckButtonBase* member);
  // 1 null; 2 not a member. Later members move up one place, and the
  // selection follows the member it named.
  int32_t RemoveFromGroup(CheckButtonBase* member);
  // 0 unchanged; 1 changed (through the group for a grouped button).
  int32_t SetOn(bool on);
  // A member forwards to its leader. 1 no group; 2 index past the group;
  // 0. Index 0 is the leader, n the n-th member.
  int32_t SelectByIndex(int32_t index);
  // On the leader, after a radio choice of `button`: the button on until
  // now goes off and the selection names `button`. 1 no group or null; 0.
  int32_t SelectInGroup(CheckButtonBase* button);
  bool IsSelected(const CheckButtonBase* button) const;
  int32_t SelectedIndex() const { return selectedIndex_; }
  CheckButtonBase* Leader() const { return leader_; }
  const std::vector<CheckButtonBase*>& Members() const { return members_; }

  // Replaces the record; a non-empty sound name sets its code to 0.
  void SetEventRecord(const PushEvents& events);
  void ClearEventRecord() { events_.reset(); }
  const PushEvents* GetEvents() const { return events_.get(); }

 protected:
  CheckButtonBase() = default;
  // Shows the state (the derived class's cell).
  virtual void ShowState(uint8_t state) = 0;
  // The derived class's pixel test, when it has one switched on.
  virtual bool UsesPixelTest() const { return false; }
  virtual bool PixelHitTest(int32_t, int32_t) { return false; }
  // The visibility of the looks alone.
  virtual void ShowLooks(bool show) = 0;
  void SetStyle(uint8_t style, bool hasDisabledCells);
  bool HasDisabledCells() const { return hasDisabledCells_; }
  int32_t PositionOf(const CheckButtonBase* button) const;

 private:
  static bool IsOnState(uint8_t state) { return state == 3 || state == 4 || state == 5 || state == 7; }
  static uint8_t HoverStateOf(uint8_t state) { return state < 3 ? 1 : 4; }
  static uint8_t RestingStateOf(uint8_t state) { return state < 3 ? 0 : 3; }
  static uint8_t PressedStateOf(uint8_t state) { return state < 3 ? 2 : 5; }
  static bool IsResting(uint8_t state) { return state == 0 || state == 3; }
  static bool IsHoverState(uint8_t state) { return state == 1 || state == 4; }
  static bool IsPressedState(uint8_t state) { return state == 2 || state == 5; }
  CheckButtonBase* ButtonAt(int32_t index);
  bool IsSelectedRadio() const;
  void BecomeHovered();
  void ReturnToRest(bool withSound);
  void PassFocusOn(int32_t direction);
  void Toggle(bool clearHover);
  void Fire();

  uint8_t style_ = 0;
  bool hasDisabledCells_ = false;
  uint8_t state_ = 0;
  bool plainHover_ = false;
  int32_t selectedIndex_ = kNoneSelected;
  ScriptCell linkedValue_;
  uint8_t locked_ = 0;
  uint32_t pressDue_ = 0;
  std::vector<CheckButtonBase*> members_;
  CheckButtonBase* leader_ = nullptr;
  std::unique_ptr<PushEvents> events_;
};

}  // namespace orrivel
