#pragma once
// The one abstract picture type. Code that receives an Image asks its kind,
// then reads size, pitch, pixels, colour key and clip rectangle through it.
#include <cstdint>

#include "base/WeakLink.h"
#include "raster/Rect.h"

namespace orrivel {

namespace platform {
class SoftSurface;
}
class Surface;

// A colour key of all ones means "no key".
inline constexpr uint32_t kNoColorKey = 0xFFFFFFFFu;

// Kinds answered by Image::GetKind; classes of later layers answer 7 and up.
enum ImageKind : uint8_t {
  kImageKindSurfaceImage = 0,
  kImageKindDdSurface = 1,
  kImageKindMediaImage = 2,
  kImageKindTextImage = 3,
  kImageKindDib = 4,  // DibImage and Surface
  kImageKindPixelBuffer = 5,
  kImageKindLockedFrameSource = 6,
  kImageKindFirstOther = 7,
  kImageKindDecodedCanvasA = 7,
  kImageKindDecodedCanvasB = 8,
  kImageKindLoadedCanvas = 9,   // canvas draw object loaded for a source
  kImageKindCreatedCanvas = 10, // canvas draw object created of a size
};

class Image : public LinkTarget {
 public:
  virtual ~Image() = default;

  virtual uint8_t GetKind() const = 0;
  virtual int32_t GetWidth() const { return width_; }
  virtual int32_t GetHeight() const { return height_; }
  virtual int32_t GetPitch() const { return pitch_; }
  // Fills 0, 0, width, height; returns out.
  virtual Rect* GetBounds(Rect* out) const;
  // Row 0, or null when there are no pixels.
  virtual uint8_t* GetBits() = 0;
  // Row y, or null when there are no pixels or y is not in 0..height-1.
  virtual uint8_t* GetScanLine(int32_t y) = 0;
  // The key in the image's own encoding; 0 on success, 1 when it ends as none.
  virtual int SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) = 0;
  // key := the pixel at x, y; 1 when there is none there (the key is then none).
  virtual int SetColorKeyAt(int32_t x, int32_t y) = 0;
  virtual uint32_t GetColorKey() const { return colorKey_; }
  virtual int ClearColorKey() = 0;
  // Re-creates lost pixels; 0 on success. With checkLost set, an image
  // whose pixels were not lost changes nothing.
  virtual int Restore(uint8_t checkLost) = 0;
  // Null resets to the bounds; an empty rectangle is refused (false).
  virtual bool SetClipRect(const Rect* rect) = 0;
  virtual Rect* GetClipRect(Rect* out) const;
  virtual Rect* GetClipRectPtr() { return &clipRect_; }
  // Cuts rect to the clip rectangle; true when something is left.
  virtual bool ClipToClipRect(Rect* rect) = 0;
  virtual int32_t GetUserValue1() const { return userValue1_; }
  virtual int32_t GetUserValue2() const { return userValue2_; }
  virtual int32_t SetUserValue1(int32_t value) { return userValue1_ = value; }
  virtual int32_t SetUserValue2(int32_t value) { return userValue2_ = value; }
  virtual int32_t SetGroupId(int32_t id) { return groupId_ = id; }
  virtual int32_t GetGroupId() const { return groupId_; }
  // The display surface that holds the pixels of the display-surface kinds
  // (0 to 3); null for every other kind and while there is none.
  virtual platform::SoftSurface* GetDisplaySurface() { return nullptr; }
  // The composed surface of the canvas kinds (7 to 10); null otherwise.
  virtual Surface* GetHeldSurface() { return nullptr; }

 protected:
  Image() = default;
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t pitch_ = 0;
  uint32_t colorKey_ = kNoColorKey;
  Rect clipRect_;
  int32_t userValue1_ = 0;
  int32_t userValue2_ = 0;
  int32_t groupId_ = 0;
};

}  // namespace orrivel
