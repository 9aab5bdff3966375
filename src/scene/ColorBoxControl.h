#pragma once
// A clickable coloured rectangle (kind 2): a ColorBox drawable in the
// control's SpriteList whose colour follows the push button's state. It
// behaves as a push button with a pressed look: the decide action shows the
// pressed colour for 100 ms before the activation, the hit test is always
// the rectangle, and there is no disabled colour (enabling and disabling
// both show the normal colour).
#include <cstdint>

#include "raster/ColorBox.h"
#include "raster/SpriteList.h"
#include "scene/PushControl.h"

namespace orrivel {


class ColorBoxControl : public PushControl {
 public:
  static constexpr uint32_t kDefaultHover = 0x400080FF;
  static constexpr uint32_t kDefaultPressed = 0x40FF8000;
  // A colour argument that keeps the colour as it is.
  static constexpr uint32_t kKeepColour = 0xFFFFFFFFu;

  ColorBoxControl();
  ~ColorBoxControl() override { Release(); }

  int32_t GetKind() const override { return kControlColorBox; }
  int32_t GetX() const override { return box_.GetX(); }
  int32_t GetY() const override { return box_.GetY(); }
  void SetPosition(int32_t x, int32_t y) override { box_.SetPosition(x, y); }
  void SetVisible(bool show) override;
  bool IsVisible() const override { return box_.IsVisible(); }
  // 1 without a sprite list; 0.
  int32_t AttachToSpriteList(int32_t order, int32_t group, uint8_t option) override;
  int32_t GetOrder() const override { return order_; }
  void SetDrawFlags(uint8_t value) override { box_.SetOpacity(value); }
  uint8_t IsReady() const override { return box_.GetOpacity(); }
  bool SetEnabled(bool enable) override;

  void Release() override;
  int32_t SetState(uint8_t state) override { return SetStateValue(state); }
  // The low byte is the state; a value other than 0, 1 or 2 is shown as an
  // ARGB colour itself. 0.
  int32_t SetStateValue(uint32_t value);
  bool PixelHitTest(int32_t x, int32_t y) override;
  // 1 no list now or no new list, or the box is in no list; else 0.
  int32_t MoveToList(SpriteList* list);
  // 1 no list or a size not above 0; 2 the box cannot be set up. A colour of
  // kKeepColour keeps that colour.
  int32_t Create(SpriteList* list, int32_t order, int32_t x, int32_t y, int32_t width, int32_t height,
                 uint32_t normal, uint32_t hover, uint32_t pressed, int32_t group);
  // 1 before Create; a value below 1 keeps that one; 0.
  int32_t SetSize(int32_t width, int32_t height);

  uint32_t NormalColour() const { return normal_; }
  uint32_t HoverColour() const { return hover_; }
  uint32_t PressedColour() const { return pressed_; }
  const ColorBox& Box() const { return box_; }
  ColorBox& Box() { return box_; }
  SpriteList* GetSpriteList() const { return spriteList_.Get(); }

 private:
  uint32_t ColourOfState(uint8_t state) const;

  uint32_t normal_ = 0;
  uint32_t hover_ = kDefaultHover;
  uint32_t pressed_ = kDefaultPressed;
  // The canvas list the control draws in; it may go with its canvas first.
  WeakLink<SpriteList> spriteList_;
  int32_t order_ = 0;
  ColorBox box_;
};

}  // namespace orrivel
