#include "natives/ControlLoans.h"

#include "display/DrawObjectManager.h"

namespace orrivel {

ControlLoans::~ControlLoans() { TakeBackAll(); }

bool ControlLoans::Use(DrawObjectManager* objects) {
  if (objects == nullptr) return false;
  if (Watched() != objects) {
    TakeBackAll();
    Watch(objects);
  }
  return true;
}

void ControlLoans::Remember(Control& control) {
  if (lenders_.insert(&control).second) control.SetPartListener(this);
}

uint32_t ControlLoans::LendSprite(DrawObjectManager* objects, Control& control, Drawable* sprite) {
  if (sprite == nullptr || !Use(objects)) return 0;
  Remember(control);
  return objects->LendSprite(sprite, &control);
}

uint32_t ControlLoans::LendImage(DrawObjectManager* objects, Control& control, Image* image) {
  if (image == nullptr || !Use(objects)) return 0;
  Remember(control);
  return objects->LendImage(image, &control);
}

void ControlLoans::TakeBack(Control& control) {
  if (lenders_.erase(&control) == 0) return;
  control.SetPartListener(nullptr);
  if (DrawObjectManager* objects = Watched()) objects->EndLoans(&control);
}

// Every lender still lives: a control leaves the set before it goes.
void ControlLoans::TakeBackAll() {
  DrawObjectManager* objects = Watched();
  for (Control* control : lenders_) {
    control->SetPartListener(nullptr);
    if (objects != nullptr) objects->EndLoans(control);
  }
  lenders_.clear();
}

}  // namespace orrivel
