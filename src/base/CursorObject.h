#pragma once
// The scene object that the image cursor draws: a picture object of the
// display layer (an image or a textured quad). The mouse only moves it, shows
// or hides it, and shifts the origin of its source rectangle from one
// animation frame to the next.
#include <cstdint>

#include "platform/Rect.h"

namespace orrivel {

class CursorObject {
 public:
  enum Kind : int32_t {
    kImageObject = 0,  // source origin set with SetRect
    kQuadObject = 1,   // source origin set with SetTexRect
  };

  virtual ~CursorObject() = default;
  // kImageObject, kQuadObject, or anything else for an object that cannot
  // be a cursor.
  virtual int32_t ObjectKind() const = 0;
  // The current source rectangle: 0, 1 when the object has no image, 2 when
  // its image cannot be drawn.
  virtual int32_t GetSourceRect(platform::Rect& out) const = 0;
  virtual void SetRect(int32_t x, int32_t y, int32_t flag) = 0;
  virtual void SetTexRect(int32_t x, int32_t y, int32_t flag) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetPosition(int32_t x, int32_t y) = 0;
};

}  // namespace orrivel
