#include "game/ConfirmBoxLayout.h"

#include <algorithm>

namespace orrivel {

namespace {

int32_t ButtonSet(int32_t set) { return std::clamp(set & 3, 0, 2); }

}  // namespace

ConfirmBoxLayout ConfirmBoxLayout::Compute(const Request& r) {
  ConfirmBoxLayout box;
  int32_t x = r.x;
  int32_t y = r.y;
  if (x == -2) {
    // The keyboard position, or a pointer off the screen, centres the box.
    const bool keyboard = r.pointerX >= kKeyboardPointerX && r.pointerY >= kKeyboardPointerY;
    if (keyboard || r.pointerX < 0 || r.pointerY < 0) {
      x = y = -1;
    } else {
      box.atPointer = true;
      x = 0;
    }
  }
  int32_t tw = r.textWidth;
  int32_t th = r.textHeight;
  int32_t indent = 0;
  int32_t lowering = 0;
  if (tw < kMinTextWidth) {
    indent = (kMinTextWidth - tw) / 2;
    tw = kMinTextWidth;
  }
  if (th < kMinTextHeight) {
    lowering = (kMinTextHeight - th) / 2;
    th = kMinTextHeight;
  }
  // The box never outgrows the screen: a text too long for it is cut at the
  // box's edge, and the box's picture and its edge columns stay bounded.
  tw = std::min(tw, kScreenWidth - kExtraWidth);
  th = std::min(th, kScreenHeight - kExtraHeight);
  box.width = tw + kExtraWidth;
  box.height = th + kExtraHeight;
  box.x = x == -1 ? (kScreenWidth - box.width) / 2 : x;
  box.y = y == -1 ? (kScreenHeight - box.height) / 2 : y;
  box.textX = box.x + kTextLeft + indent;
  box.textY = box.y + kTextTop + lowering;

  const int32_t set = ButtonSet(r.set);
  box.buttonCount = set == 0 ? 1 : 2;
  box.buttons = r.buttonSizes;
  box.buttons[0].x = box.x + 25 + ((tw + 32) - kSetWidth[size_t(set)]) / 2;
  box.buttons[0].y = box.y + th + 16;
  box.buttons[1].x = box.buttons[0].x + kSecondOffset[size_t(set)];
  box.buttons[1].y = box.buttons[0].y;

  if (box.atPointer) {
    const Button& target = box.buttons[r.defaultButton != 0 && box.buttonCount == 2 ? 1 : 0];
    const int32_t centreX = target.x + 2 + target.width / 2;
    const int32_t centreY = target.y + target.height / 2;
    int32_t nx = box.x + (r.pointerX - centreX);
    int32_t ny = box.y + (r.pointerY - centreY);
    nx = std::max(0, std::min(nx, kScreenWidth - box.width));
    ny = std::max(0, std::min(ny, kScreenHeight - box.height));
    box.Move(nx - box.x, ny - box.y);
  }
  return box;
}

void ConfirmBoxLayout::Move(int32_t dx, int32_t dy) {
  x += dx;
  y += dy;
  textX += dx;
  textY += dy;
  for (Button& button : buttons) {
    button.x += dx;
    button.y += dy;
  }
}

}  // namespace orrivel
