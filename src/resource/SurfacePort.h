#pragma once
// What resource readers use of a picture surface: the layouts receive them
// from the screen device, the animations make their own through a factory.
// The raster Surface and the display images plug in behind these two small
// interfaces, which keeps the readers free of the drawing subsystems.
#include <cstdint>
#include <memory>
#include <string_view>

namespace orrivel {

class SurfacePort {
 public:
  static constexpr uint32_t kNoColorKey = 0xFFFFFFFFu;

  virtual ~SurfacePort() = default;

  virtual int32_t GetWidth() const = 0;
  virtual int32_t GetHeight() const = 0;
  virtual int32_t GetBitCount() const = 0;
  // Decodes a whole picture file held in memory: 32-bit, or 8-bit with its
  // palette when indexed. 0, or the image loaders' failure code.
  virtual int32_t LoadImageFromMemory(const uint8_t* data, uint64_t size, bool indexed) = 0;
  // The same from a file found through the archive manager.
  virtual int32_t LoadImage(std::string_view fileName, bool indexed) = 0;
  // Drops the picture; the surface is empty afterwards.
  virtual void FreeImage() = 0;
  virtual void SetAlphaFlag(bool hasAlpha) = 0;
  // Takes the colour of that pixel as the key; non-zero when it lies outside.
  virtual int SetColorKeyAt(int32_t x, int32_t y) = 0;
  virtual int SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) = 0;
  // kNoColorKey when the surface has none.
  virtual uint32_t GetColorKey() const = 0;
  // The two values a picture may carry for its users (an origin).
  virtual int32_t GetUserValue1() const = 0;
  virtual int32_t GetUserValue2() const = 0;
};

class SurfaceFactoryPort {
 public:
  virtual ~SurfaceFactoryPort() = default;
  // A surface without a picture; null when it cannot be made.
  virtual std::unique_ptr<SurfacePort> CreateSurface() = 0;
  // A blank surface of that size and depth; null when it cannot be made.
  virtual std::unique_ptr<SurfacePort> CreateSurface(int32_t width, int32_t height, int32_t bitCount) = 0;
};

}  // namespace orrivel
