#pragma once
// Image with the clip operations implemented; every image class derives from
// it and supplies the remaining pixel operations.
#include "raster/Image.h"

namespace orrivel {

class ClippedImage : public Image {
 public:
  // Null: the bounds. A rectangle that is empty before clamping is refused
  // and the clip stays. Otherwise it is clamped to the image, so a rectangle
  // wholly outside leaves an empty clip that refuses every later draw.
  bool SetClipRect(const Rect* rect) override;
  bool ClipToClipRect(Rect* rect) override;

 protected:
  ClippedImage() = default;
};

}  // namespace orrivel
