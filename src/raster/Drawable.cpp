#include "raster/Drawable.h"

#include "raster/SpriteList.h"

namespace orrivel {

Drawable::~Drawable() {
  if (list_ != nullptr) list_->Remove(this);
}

void Drawable::SetVisible(uint8_t visible) {
  if (visible == visible_) return;
  visible_ = visible;
  SetChanged(1);
}

int Drawable::SetDrawMode(uint8_t mode) {
  if (mode > 31) return 1;
  if (mode != mode_) {
    mode_ = mode;
    SetChanged(1);
  }
  return 0;
}

int Drawable::SetOpacity(uint8_t opacity) {
  if (opacity != opacity_) {
    opacity_ = opacity;
    SetChanged(1);
  }
  return 0;
}

bool Drawable::MoveAndResize(int32_t x, int32_t y, int32_t width, int32_t height) {
  const bool moved = SetPosition(x, y);
  const bool sized = SetDisplaySize(width, height);
  return moved || sized;
}

int Drawable::DrawTo(Surface* target) {
  const uint8_t changed = changed_;
  const int result = DrawTo(target, nullptr);
  changed_ = changed;
  return result;
}

}  // namespace orrivel
