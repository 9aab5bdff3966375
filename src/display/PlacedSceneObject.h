#pragma once
// A scene object with a position of its own: the Direct3D draw objects.
// Moving it goes through SetPosition, so each kind places its corners or
// vertices again in one place.
#include <cstdint>

#include "display/SceneObject.h"
#include "raster/Rect.h"

namespace orrivel {

class PlacedSceneObject : public SceneObject {
 public:
  int32_t GetX() const { return x_; }
  int32_t GetY() const { return y_; }
  bool GetPosition(int32_t* x, int32_t* y) const override {
    if (x != nullptr) *x = x_;
    if (y != nullptr) *y = y_;
    return true;
  }
  // A script's offsets stop at the edge of the 32-bit range, as sprites do.
  void MoveBy(int32_t dx, int32_t dy) override { SetPosition(ClampedEdge(x_, dx), ClampedEdge(y_, dy)); }

 protected:
  int32_t x_ = 0;
  int32_t y_ = 0;
};

}  // namespace orrivel
