#pragma once
// A DirectDraw-style surface kept in plain memory: a pixel format
// description, lock/unlock and colour fill. Tests can mark it lost or take
// away its colour-fill support to reach the callers' fallback paths.
#include <cstdint>
#include <vector>

#include "platform/Rect.h"

namespace orrivel::platform {

// Flags of SurfacePixelFormat.
inline constexpr uint32_t kPixelFlagRgb = 0x40;
inline constexpr uint32_t kPixelFlagAlphaPixels = 0x01;
inline constexpr uint32_t kPixelFlagPaletteIndexed8 = 0x20;

// Describes a surface's pixels as a bit count and four channel masks.
struct SurfacePixelFormat {
  uint32_t flags = 0;
  uint32_t bitCount = 0;
  uint32_t redMask = 0;
  uint32_t greenMask = 0;
  uint32_t blueMask = 0;
  uint32_t alphaMask = 0;
  friend bool operator==(const SurfacePixelFormat&, const SurfacePixelFormat&) = default;
};

// The layouts the engine draws in.
enum class SurfaceFormat {
  Indexed8,
  X1R5G5B5,
  R5G6B5,
  R8G8B8,
  X8R8G8B8,
  A1R5G5B5,
  A4R4G4B4,
  A8R8G8B8,
};

SurfacePixelFormat DescribeSurfaceFormat(SurfaceFormat format);

// Results of surface operations.
enum SurfaceResult : int32_t {
  kSurfaceOk = 0,
  kSurfaceInvalidParams = 1,  // bad rectangle, size or format
  kSurfaceLost = 2,           // the pixels were lost; Restore first
  kSurfaceOutOfMemory = 3,
  kSurfaceNoColorFill = 4,    // this surface cannot colour-fill
  kSurfaceAlreadyLocked = 5,
  kSurfaceNotLocked = 6,
  kSurfaceNoPixels = 7,       // never created
};

// What a successful Lock hands out: the address of the locked rectangle's
// top-left pixel and the surface's row pitch.
struct SurfaceLock {
  uint8_t* bits = nullptr;
  int32_t pitch = 0;
  int32_t width = 0;   // the surface's size, not the rectangle's
  int32_t height = 0;
  SurfacePixelFormat format;
};

class SoftSurface {
 public:
  SoftSurface() = default;
  SoftSurface(const SoftSurface&) = delete;
  SoftSurface& operator=(const SoftSurface&) = delete;

  // Allocates width x height pixels (not cleared to any colour but 0).
  // Bit counts 8, 16, 24 and 32 are accepted; rows are padded to 4 bytes.
  int Create(int32_t width, int32_t height, const SurfacePixelFormat& format);
  int Create(int32_t width, int32_t height, SurfaceFormat format);
  void Release();

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t Pitch() const { return pitch_; }
  bool HasPixels() const { return !pixels_.empty(); }

  int GetPixelFormat(SurfacePixelFormat* out) const;

  // rect null locks the whole surface. A rectangle must lie inside it.
  int Lock(const Rect* rect, SurfaceLock* out);
  int Unlock();
  bool IsLocked() const { return locked_; }

  // Fills the rectangle (null: the whole surface) with the low bits of
  // value, as many as a pixel holds.
  int ColorFill(const Rect* rect, uint32_t value);

  // 256 entries 0x00RRGGBB for 8-bit surfaces.
  uint32_t* Palette() { return palette_; }

  // Test and device hooks.
  void SetLost(bool lost) { lost_ = lost; }
  bool IsLost() const { return lost_; }
  int Restore();
  void SetColorFillSupported(bool supported) { colorFillSupported_ = supported; }

 private:
  bool RectInside(const Rect& r) const;

  std::vector<uint8_t> pixels_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t pitch_ = 0;
  SurfacePixelFormat format_;
  uint32_t palette_[256] = {};
  bool locked_ = false;
  bool lost_ = false;
  bool colorFillSupported_ = true;
};

}  // namespace orrivel::platform
