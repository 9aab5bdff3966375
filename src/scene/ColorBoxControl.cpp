#include "scene/ColorBoxControl.h"

#include "raster/SpriteList.h"
#include "scene/ListedDrawable.h"

namespace orrivel {

ColorBoxControl::ColorBoxControl() {
  // Every press shows the pressed colour first; the hit is the rectangle.
  hasPressedCell_ = true;
  rectangularHit_ = true;
}

void ColorBoxControl::SetVisible(bool show) {
  if (!show) GiveUpFocusAndHover();
  box_.SetVisible(show ? 1 : 0);
}

int32_t ColorBoxControl::AttachToSpriteList(int32_t order, int32_t group, uint8_t option) {
  if (spriteList_ == nullptr) return 1;
  if (PlaceInList(*spriteList_, &box_, order, group, option)) group_ = group;
  order_ = order;
  return 0;
}

int32_t ColorBoxControl::MoveToList(SpriteList* list) {
  return MoveToOtherList(spriteList_, list, &box_, order_, group_);
}

bool ColorBoxControl::SetEnabled(bool enable) {
  if (!Control::SetEnabled(enable)) return false;
  SetStateValue(kNormal);
  return true;
}

void ColorBoxControl::Release() {
  // Through the list that holds it now: a list that went first has let go.
  if (SpriteList* owner = box_.OwningList()) owner->Remove(&box_);
  spriteList_ = nullptr;
  box_.Reset();
  width_ = height_ = 0;
}

uint32_t ColorBoxControl::ColourOfState(uint8_t state) const {
  switch (state) {
    case kHover: return hover_;
    case kPressed: return pressed_;
    default: return normal_;
  }
}

int32_t ColorBoxControl::SetStateValue(uint32_t value) {
  const uint8_t state = uint8_t(value);
  if (state == state_) return 0;
  state_ = state;
  box_.SetArgb(value <= kPressed ? ColourOfState(state) : value);
  return 0;
}

bool ColorBoxControl::PixelHitTest(int32_t x, int32_t y) {
  return uint32_t(x - GetX()) < width_ && uint32_t(y - GetY()) < height_;
}

int32_t ColorBoxControl::Create(SpriteList* list, int32_t order, int32_t x, int32_t y, int32_t width,
                                int32_t height, uint32_t normal, uint32_t hover, uint32_t pressed, int32_t group) {
  if (list == nullptr || width <= 0 || height <= 0) return 1;
  Release();
  spriteList_ = list;
  if (normal != kKeepColour) normal_ = normal;
  if (hover != kKeepColour) hover_ = hover;
  if (pressed != kKeepColour) pressed_ = pressed;
  if (box_.Init(width, height, normal_, x, y) != 0) {
    Release();
    return 2;
  }
  state_ = kNormal;
  width_ = uint32_t(width);
  height_ = uint32_t(height);
  AttachToSpriteList(order, group, 1);
  return 0;
}

int32_t ColorBoxControl::SetSize(int32_t width, int32_t height) {
  if (spriteList_ == nullptr) return 1;
  if (width < 1) width = int32_t(width_);
  if (height < 1) height = int32_t(height_);
  box_.SetSize(width, height);
  width_ = uint32_t(width);
  height_ = uint32_t(height);
  return 0;
}

}  // namespace orrivel
