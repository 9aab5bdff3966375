#pragma once
// A DirectDraw-style surface kept in plain memory: a pixel format
// description, lock/unlock, colour fill, blits (clipped by the caller,
// source-keyed, stretched), device contexts and flip chains. Tests can mark
// it lost or busy, or take away its colour-fill support, to reach the
// callers' fallback paths.
#include <cstdint>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "platform/Rect.h"

namespace orrivel::platform {

// A surface's pixel block. It comes zeroed from the system (see
// AllocateZeroedBlock): a large block is fresh pages, so what is never drawn
// costs neither a pass nor memory, however large a script asks it to be.
class ZeroedPixels {
 public:
  ZeroedPixels() = default;
  ZeroedPixels(ZeroedPixels&& other) noexcept
      : block_(std::move(other.block_)), size_(std::exchange(other.size_, 0)) {}
  ZeroedPixels& operator=(ZeroedPixels&& other) noexcept {
    block_ = std::move(other.block_);
    size_ = std::exchange(other.size_, 0);
    return *this;
  }
  // False without memory (the block is then empty).
  bool Allocate(size_t bytes);
  void Clear() { block_.reset(), size_ = 0; }
  bool empty() const { return size_ == 0; }
  size_t size() const { return size_; }
  uint8_t* data() const { return block_.get(); }
  uint8_t& operator[](size_t i) const { return block_.get()[i]; }

 private:
  struct Free {
    void operator()(uint8_t* block) const;
  };
  std::unique_ptr<uint8_t, Free> block_;
  size_t size_ = 0;
};

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
  kSurfaceBusy = 8,           // in use; a call that does not wait answers this
  kSurfaceNotFlippable = 9,   // not the primary of a flip chain
  kSurfaceNoColorKey = 10,
};

// Flags of Blt and BltFast.
inline constexpr uint32_t kBltWait = 0x1;    // wait out a busy surface instead of answering busy
inline constexpr uint32_t kBltKeySrc = 0x2;  // skip source pixels inside the source colour key
inline constexpr uint32_t kBltAsync = 0x4;   // accepted; a software blit is always done at once

// A source colour key: raw pixel values from low to high inclusive are
// transparent. The engine always sets low = high.
struct ColorKey {
  uint32_t low = 0;
  uint32_t high = 0;
  friend bool operator==(const ColorKey&, const ColorKey&) = default;
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

class SoftSurface;

// A device context taken on a surface: the surface's pixels held for
// drawing until ReleaseDC. GDI-style copies between contexts convert formats.
struct SurfaceDc {
  SoftSurface* surface = nullptr;
  uint8_t* bits = nullptr;
  int32_t pitch = 0;
  int32_t width = 0;
  int32_t height = 0;
  SurfacePixelFormat format;
  const uint32_t* palette = nullptr;
};

// Copies width x height pixels from (sx, sy) of src to (x, y) of dst,
// converting between the two formats; the area is cut to both contexts.
// False when either context holds no pixels.
bool DcBitBlt(const SurfaceDc& dst, int32_t x, int32_t y, int32_t width, int32_t height,
              const SurfaceDc& src, int32_t sx, int32_t sy);

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

  // Source colour key; null clears it.
  int SetColorKey(const ColorKey* key);
  // kSurfaceNoColorKey when none is set.
  int GetColorKey(ColorKey* out) const;

  // Copies srcRect of src (null: all of it) onto dstRect of this surface
  // (null: all of it), stretching by nearest pixel when the sizes differ.
  // Both rectangles must lie inside their surfaces and both surfaces must
  // have the same bit count. src may be this surface.
  int Blt(const Rect* dstRect, SoftSurface* src, const Rect* srcRect, uint32_t flags);
  // Copies srcRect of src (null: all of it) unstretched to (x, y).
  int BltFast(int32_t x, int32_t y, SoftSurface* src, const Rect* srcRect, uint32_t flags);

  // Holds the surface for drawing through a device context; the surface
  // counts as locked until ReleaseDC.
  int GetDC(SurfaceDc* out);
  int ReleaseDC(const SurfaceDc& dc);

  // Makes this surface a flipping primary with backCount (1 or 2) attached
  // back buffers of the same size and format.
  int CreateFlipChain(int32_t width, int32_t height, const SurfacePixelFormat& format,
                      int backCount);
  // The first attached back buffer (owned by this surface), or null.
  SoftSurface* AttachedBackBuffer();
  int BackBufferCount() const { return int(backBuffers_.size()); }
  // The primary takes what the first back buffer held, every back buffer
  // the next one's picture, and the last back buffer the old front picture.
  int Flip(uint32_t flags);
  uint32_t FlipCount() const { return flipCount_; }

  // Test and device hooks. A lost surface refuses every pixel operation
  // until Restore, which gives it back its memory filled with a visible
  // pattern (lost pixels are gone, so whoever restores must redraw).
  // Losing a flip chain's primary loses its back buffers too.
  void SetLost(bool lost);
  bool IsLost() const { return lost_; }
  int Restore();
  void SetColorFillSupported(bool supported) { colorFillSupported_ = supported; }
  // The next `count` accesses that do not wait (Lock, GetDC, Blt and
  // BltFast without kBltWait) answer kSurfaceBusy; a waiting blit waits the
  // busy state out.
  void SetBusy(int count) { busyCount_ = count; }
  // The next `count` Unlock calls release the lock but answer kSurfaceLost,
  // as the pixels of a surface lost while it was locked are.
  void SetUnlockFailures(int count) { unlockFailures_ = count; }

 private:
  bool RectInside(const Rect& r) const;
  // kSurfaceOk when the surface can be accessed now; consumes one busy answer.
  int Access(bool wait);
  int BltChecks(SoftSurface* src, const Rect& d, const Rect& s, uint32_t flags);

  ZeroedPixels pixels_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t pitch_ = 0;
  SurfacePixelFormat format_;
  uint32_t palette_[256] = {};
  bool locked_ = false;
  bool lost_ = false;
  bool colorFillSupported_ = true;
  bool hasColorKey_ = false;
  ColorKey colorKey_;
  int busyCount_ = 0;
  int unlockFailures_ = 0;
  std::vector<std::unique_ptr<SoftSurface>> backBuffers_;
  uint32_t flipCount_ = 0;
};

}  // namespace orrivel::platform
