#pragma once
// The push button of kind 0 without its looks: the visual state (normal,
// hover, pressed, disabled), one activation per click or per activate
// action, the three control sounds through the host, and the report of an
// activation to the host and, through an optional event record, to the
// script. How a state looks is the derived class's (SetState).
#include <cstdint>
#include <memory>
#include <string>

#include "scene/Control.h"
#include "script/ScriptCell.h"

namespace orrivel {

// What a script asked to hear and be told when the button is used. Flag
// cells are script addresses; strings are copies (empty: none).
struct PushEvents {
  std::string eventName1;
  int32_t eventValue = 0;
  std::string eventName2;
  ScriptCell clicked;  // 1 on every activation
  ScriptCell hover;    // 1 while hovered, 0 back to normal
  ScriptCell leave;    // 0 while hovered, 1 back to normal
  std::string activateSound, hoverSound, leaveSound;
  // -1: the host's default sound; a non-empty name forces 0.
  int32_t activateCode = -1, hoverCode = -1, leaveCode = -1;
};

class PushControl : public Control {
 public:
  enum State : uint8_t { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };
  // The host's default sounds.
  static constexpr int32_t kSoundActivate = -4, kSoundHover = -3, kSoundLeave = -2;
  // How long the activate action shows the pressed cell before firing.
  static constexpr uint32_t kPressDelayMs = 100;
  static constexpr uint32_t kDefaultFace = 0x00D4D0C8;
  static constexpr uint32_t kDefaultHighlight = 0x400080FF;
  // The decide action and the pointer button that press the button.
  static constexpr uint32_t kActionDecide = 4;
  static constexpr uint8_t kPointerButton = 0;

  int32_t GetKind() const override { return kControlPushButton; }
  int32_t GetWidth() const override { return int32_t(width_); }
  int32_t GetHeight() const override { return int32_t(height_); }
  bool SetEnabled(bool enable) override;
  bool HitTest(int32_t x, int32_t y) override;
  void OnPointerMove(int32_t x, int32_t y) override;
  void OnPointerLeave() override;
  bool OnPointerButtons(int32_t x, int32_t y, InputDevice* pointer) override;
  void OnFocusGained(Control* previous, int32_t direction) override;
  void OnFocusLost(Control* next) override;
  bool Update(ActionMap* actions) override;

  // Forgets the looks and the creation values.
  virtual void Release() = 0;
  // Shows the state; 0.
  virtual int32_t SetState(uint8_t state) = 0;
  virtual bool PixelHitTest(int32_t x, int32_t y) = 0;
  void ClearEvents() { events_.reset(); }
  // Replaces the record; a non-empty sound name sets its code to 0.
  void SetEvents(const PushEvents& events);
  const PushEvents* GetEvents() const { return events_.get(); }
  // False without a host.
  virtual bool Activate();

  uint8_t GetState() const { return state_; }
  bool HasPressedCell() const { return hasPressedCell_; }
  bool HasDisabledCell() const { return hasDisabledCell_; }
  bool HasRectangularHit() const { return rectangularHit_; }
  uint32_t GetFireTime() const { return fireTime_; }
  // The display flag: while set, the pointer's hover shows no highlight:
  // a hovered control shows its resting look, and so does a press that
  // has no look of its own. The current state is shown again at once.
  void SetDisplayFlag(bool flag) {
    plainHover_ = flag;
    SetState(state_);
  }
  bool GetDisplayFlag() const { return plainHover_; }
  void SetFaceColor(uint32_t argb) { faceColor_ = argb; }
  uint32_t GetFaceColor() const { return faceColor_; }
  void SetSecondColor(uint32_t argb) { secondColor_ = argb; }
  uint32_t GetSecondColor() const { return secondColor_; }
  void SetHighlightColor(uint32_t argb) { highlightColor_ = argb; }
  uint32_t GetHighlightColor() const { return highlightColor_; }

 protected:
  void BecomeHovered();
  void ReturnToNormal();

  uint32_t width_ = 0;
  uint32_t height_ = 0;
  bool rectangularHit_ = false;
  bool hasDisabledCell_ = false;
  bool hasPressedCell_ = false;
  uint8_t state_ = kNormal;
  bool plainHover_ = false;
  uint32_t faceColor_ = kDefaultFace;
  uint32_t secondColor_ = 0;
  uint32_t highlightColor_ = kDefaultHighlight;
  std::unique_ptr<PushEvents> events_;
  // When a pending activation fires (0: none).
  uint32_t fireTime_ = 0;
  // The pointer pressed the control and its release is awaited.
  bool pointerPress_ = false;
};

}  // namespace orrivel
