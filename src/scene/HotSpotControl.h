#pragma once
// An invisible clickable area of the screen (kind 7) with a centre point to
// which keyboard or pad navigation aims. It draws nothing; it is armed while
// the pointer or the focus is on it and fires on the first pointer button
// or the decide action.
#include <cstdint>
#include <memory>

#include "scene/Control.h"
#include "scene/PushControl.h"

namespace orrivel {

class HotSpotControl : public Control {
 public:
  static constexpr uint32_t kActionDecide = 4;

  HotSpotControl() = default;
  ~HotSpotControl() override = default;

  int32_t GetKind() const override { return kControlHotSpot; }
  int32_t GetX() const override { return x_; }
  int32_t GetY() const override { return y_; }
  int32_t GetWidth() const override { return width_; }
  int32_t GetHeight() const override { return height_; }
  void SetPosition(int32_t x, int32_t y) override { x_ = x, y_ = y; }
  // A hot spot has no picture: it is shown while it takes input.
  void SetVisible(bool show) override;
  bool IsVisible() const override { return visible_; }
  int32_t AttachToSpriteList(int32_t, int32_t group, uint8_t) override;
  int32_t GetOrder() const override { return 0; }
  void SetDrawFlags(uint8_t) override {}
  uint8_t IsReady() const override { return 0; }
  // False unless the first option is set; the area's left and top edges are
  // inside, its right and bottom edges outside.
  bool HitTest(int32_t x, int32_t y) override;
  void OnPointerMove(int32_t x, int32_t y) override;
  void OnPointerLeave() override;
  bool OnPointerButtons(int32_t x, int32_t y, InputDevice* pointer) override;
  void OnFocusGained(Control* previous, int32_t direction) override;
  void OnFocusLost(Control*) override { Disarm(false); }
  bool Update(ActionMap* actions) override;

  // 1 for a width or height below 1 (nothing changes). A negative centre
  // coordinate is the area's middle (halves rounded down).
  int32_t Create(int32_t x, int32_t y, int32_t width, int32_t height, int32_t centreX, int32_t centreY,
                 uint8_t hitEnabled, uint8_t activationEnabled, uint32_t value, int32_t group);
  // The point the pointer is put on; a negative coordinate is the area's
  // middle.
  void SetCentre(int32_t x, int32_t y);
  // Replaces the record; a non-empty sound name sets its code to 0.
  void SetEventRecord(const PushEvents& events);
  void ClearEventRecord() { events_.reset(); }
  // Disarms without a sound: hover cell 0, leave cell 1.
  void Release() { Disarm(false); }
  // False without a host or with activation off.
  bool Activate();

  bool IsArmed() const { return armed_; }
  int32_t CentreX() const { return centreX_; }
  int32_t CentreY() const { return centreY_; }
  uint32_t Value() const { return value_; }
  const PushEvents* GetEvents() const { return events_.get(); }

 private:
  void Arm();
  void Disarm(bool withSound);

  int32_t x_ = 0, y_ = 0, width_ = 0, height_ = 0;
  int32_t centreX_ = 0, centreY_ = 0;
  uint8_t hitEnabled_ = 0;
  uint8_t activationEnabled_ = 0;
  uint32_t value_ = 0;
  bool armed_ = false;
  bool visible_ = true;
  std::unique_ptr<PushEvents> events_;
};

}  // namespace orrivel
