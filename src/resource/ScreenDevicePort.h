#pragma once
// What the layout readers ask of the screen device: surfaces loaded from
// picture files and image sprites that show them. Surfaces and sprites stay
// the device's; the readers only hold their addresses and hand them back to
// DeleteImage and DeleteSprite when a load is undone. The display subsystem's
// device implements this; tests use a recording fake.
#include <cstdint>
#include <string_view>

#include "platform/Rect.h"
#include "resource/SurfacePort.h"

namespace orrivel {

// The drawable operations used on an image sprite, and the surface it shows.
class ImageSpritePort {
 public:
  virtual ~ImageSpritePort() = default;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetOpacity(uint8_t opacity) = 0;
  // Null when the sprite shows no surface.
  virtual SurfacePort* GetSurface() const = 0;
};

class ScreenDevicePort {
 public:
  virtual ~ScreenDevicePort() = default;

  // 0 with *out set; 6 when no surface can be made, else the loader's code
  // (*out is then null). The three further values are passed through.
  virtual int CreateSurfaceFromFile(SurfacePort** out, std::string_view fileName, int32_t a, int32_t b,
                                    int32_t c) = 0;
  // The same, keeping the picture's palette in 8 bits.
  virtual int CreateSurfaceFromFileIndexed(SurfacePort** out, std::string_view fileName, int32_t a,
                                           int32_t b, int32_t c) = 0;
  // A sprite showing that rectangle of the surface at (x, y). 0 with *out
  // set; 3 when none can be made, else the sprite's set-up code.
  virtual int CreateImageSprite(ImageSpritePort** out, SurfacePort* surface, const platform::Rect& source,
                                int32_t x, int32_t y) = 0;
  // Delete one object of the device and set the pointer to null; nothing
  // for null.
  virtual void DeleteImage(SurfacePort** image) = 0;
  virtual void DeleteSprite(ImageSpritePort** sprite) = 0;
};

}  // namespace orrivel
