#include "platform/SoftSurface.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/LargePages.h"
#include "platform/PixelLayout.h"

namespace orrivel::platform {

bool ZeroedPixels::Allocate(size_t bytes) {
  Clear();
  block_.reset(AllocateZeroedBlock(bytes));
  if (!block_) return false;
  size_ = bytes;
  return true;
}

void ZeroedPixels::Free::operator()(uint8_t* block) const { ReleaseZeroedBlock(block); }

SurfacePixelFormat DescribeSurfaceFormat(SurfaceFormat format) {
  switch (format) {
    case SurfaceFormat::Indexed8:
      return {kPixelFlagRgb | kPixelFlagPaletteIndexed8, 8, 0, 0, 0, 0};
    case SurfaceFormat::X1R5G5B5:
      return {kPixelFlagRgb, 16, 0x7C00, 0x03E0, 0x001F, 0};
    case SurfaceFormat::R5G6B5:
      return {kPixelFlagRgb, 16, 0xF800, 0x07E0, 0x001F, 0};
    case SurfaceFormat::R8G8B8:
      return {kPixelFlagRgb, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0};
    case SurfaceFormat::X8R8G8B8:
      return {kPixelFlagRgb, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0};
    case SurfaceFormat::A1R5G5B5:
      return {kPixelFlagRgb | kPixelFlagAlphaPixels, 16, 0x7C00, 0x03E0, 0x001F, 0x8000};
    case SurfaceFormat::A4R4G4B4:
      return {kPixelFlagRgb | kPixelFlagAlphaPixels, 16, 0x0F00, 0x00F0, 0x000F, 0xF000};
    case SurfaceFormat::A8R8G8B8:
      return {kPixelFlagRgb | kPixelFlagAlphaPixels, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000u};
  }
  return {};
}

int SoftSurface::Create(int32_t width, int32_t height, const SurfacePixelFormat& format) {
  Release();
  const uint32_t bits = format.bitCount;
  if (width < 1 || height < 1 || (bits != 8 && bits != 16 && bits != 24 && bits != 32)) {
    return kSurfaceInvalidParams;
  }
  const uint64_t pitch = (uint64_t(bits / 8) * uint64_t(width) + 3) & ~uint64_t(3);
  const uint64_t size = pitch * uint64_t(height);
  // Far beyond any screen; keeps every offset inside 32-bit signed arithmetic.
  if (pitch > 0x7FFFFFFF || size > 0x7FFFFFFF) return kSurfaceOutOfMemory;
  if (!pixels_.Allocate(size_t(size))) return kSurfaceOutOfMemory;
  width_ = width;
  height_ = height;
  pitch_ = int32_t(pitch);
  format_ = format;
  if (bits == 8) {
    for (uint32_t i = 0; i < 256; ++i) palette_[i] = i * 0x010101u;
  }
  lost_ = false;
  locked_ = false;
  return kSurfaceOk;
}

int SoftSurface::Create(int32_t width, int32_t height, SurfaceFormat format) {
  return Create(width, height, DescribeSurfaceFormat(format));
}

void SoftSurface::Release() {
  backBuffers_.clear();
  hasColorKey_ = false;
  busyCount_ = 0;
  pixels_.Clear();
  width_ = height_ = pitch_ = 0;
  format_ = {};
  locked_ = false;
}

int SoftSurface::GetPixelFormat(SurfacePixelFormat* out) const {
  if (out == nullptr) return kSurfaceInvalidParams;
  if (pixels_.empty()) return kSurfaceNoPixels;
  *out = format_;
  return kSurfaceOk;
}

bool SoftSurface::RectInside(const Rect& r) const {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= width_ &&
         r.bottom <= height_;
}

int SoftSurface::Lock(const Rect* rect, SurfaceLock* out) {
  if (out == nullptr) return kSurfaceInvalidParams;
  if (pixels_.empty()) return kSurfaceNoPixels;
  if (lost_) return kSurfaceLost;
  if (locked_) return kSurfaceAlreadyLocked;
  const Rect whole{0, 0, width_, height_};
  const Rect r = rect ? *rect : whole;
  if (!RectInside(r)) return kSurfaceInvalidParams;
  if (const int busy = Access(false); busy != kSurfaceOk) return busy;
  locked_ = true;
  out->bits = pixels_.data() + size_t(r.top) * size_t(pitch_) + size_t(r.left) * (format_.bitCount / 8);
  out->pitch = pitch_;
  out->width = width_;
  out->height = height_;
  out->format = format_;
  return kSurfaceOk;
}

int SoftSurface::Unlock() {
  if (!locked_) return kSurfaceNotLocked;
  locked_ = false;
  if (unlockFailures_ > 0) {
    --unlockFailures_;
    return kSurfaceLost;
  }
  return kSurfaceOk;
}

int SoftSurface::ColorFill(const Rect* rect, uint32_t value) {
  if (pixels_.empty()) return kSurfaceNoPixels;
  if (lost_) return kSurfaceLost;
  if (!colorFillSupported_) return kSurfaceNoColorFill;
  if (locked_) return kSurfaceAlreadyLocked;
  const Rect whole{0, 0, width_, height_};
  const Rect r = rect ? *rect : whole;
  if (!RectInside(r)) return kSurfaceInvalidParams;
  Access(true);
  const uint32_t bytes = format_.bitCount / 8;
  uint8_t pixel[4];
  for (uint32_t i = 0; i < 4; ++i) pixel[i] = uint8_t(value >> (8 * i));
  // The first row is filled pixel by pixel, the others copied from it.
  uint8_t* first = pixels_.data() + size_t(r.top) * size_t(pitch_) + size_t(r.left) * bytes;
  const size_t rowBytes = size_t(r.Width()) * bytes;
  if (bytes == 4) {
    for (size_t i = 0; i < rowBytes; i += 4) std::memcpy(first + i, &value, 4);
  } else {
    for (size_t i = 0; i < rowBytes; i += bytes) std::memcpy(first + i, pixel, bytes);
  }
  for (int32_t y = r.top + 1; y < r.bottom; ++y) {
    std::memcpy(pixels_.data() + size_t(y) * size_t(pitch_) + size_t(r.left) * bytes, first, rowBytes);
  }
  return kSurfaceOk;
}

void SoftSurface::SetLost(bool lost) {
  lost_ = lost;
  for (auto& back : backBuffers_) back->SetLost(lost);
}

int SoftSurface::Restore() {
  if (pixels_.empty()) return kSurfaceNoPixels;
  if (lost_) {
    // What the surface held is gone; a pattern makes a missing redraw show.
    for (size_t i = 0; i < pixels_.size(); ++i) pixels_[i] = (i & 4) ? 0xCD : 0x3C;
  }
  lost_ = false;
  for (auto& back : backBuffers_) back->Restore();
  return kSurfaceOk;
}

int SoftSurface::Access(bool wait) {
  if (busyCount_ <= 0) return kSurfaceOk;
  if (wait) {
    busyCount_ = 0;
    return kSurfaceOk;
  }
  --busyCount_;
  return kSurfaceBusy;
}

int SoftSurface::SetColorKey(const ColorKey* key) {
  if (pixels_.empty()) return kSurfaceNoPixels;
  if (lost_) return kSurfaceLost;
  hasColorKey_ = key != nullptr;
  colorKey_ = key ? *key : ColorKey{};
  return kSurfaceOk;
}

int SoftSurface::GetColorKey(ColorKey* out) const {
  if (out == nullptr) return kSurfaceInvalidParams;
  if (!hasColorKey_) return kSurfaceNoColorKey;
  *out = colorKey_;
  return kSurfaceOk;
}

int SoftSurface::BltChecks(SoftSurface* src, const Rect& d, const Rect& s, uint32_t flags) {
  if (src == nullptr) return kSurfaceInvalidParams;
  if (pixels_.empty() || src->pixels_.empty()) return kSurfaceNoPixels;
  if (lost_ || src->lost_) return kSurfaceLost;
  if (locked_ || src->locked_) return kSurfaceAlreadyLocked;
  if (!RectInside(d) || !src->RectInside(s)) return kSurfaceInvalidParams;
  if (format_.bitCount != src->format_.bitCount) return kSurfaceInvalidParams;
  if ((flags & kBltKeySrc) && !src->hasColorKey_) return kSurfaceNoColorKey;
  const bool wait = (flags & kBltWait) != 0;
  if (const int r = Access(wait); r != kSurfaceOk) return r;
  if (src != this) {
    if (const int r = src->Access(wait); r != kSurfaceOk) return r;
  }
  return kSurfaceOk;
}

namespace {

void CopyRowKeyed32(uint8_t* out, const uint8_t* in, int32_t width, ColorKey key) {
  for (int32_t x = 0; x < width; ++x) {
    uint32_t v;
    std::memcpy(&v, in + size_t(x) * 4, 4);
    if (v - key.low > key.high - key.low) std::memcpy(out + size_t(x) * 4, &v, 4);
  }
}

}  // namespace

int SoftSurface::Blt(const Rect* dstRect, SoftSurface* src, const Rect* srcRect, uint32_t flags) {
  if (src == nullptr) return kSurfaceInvalidParams;
  const Rect d = dstRect ? *dstRect : Rect{0, 0, width_, height_};
  const Rect s = srcRect ? *srcRect : Rect{0, 0, src->width_, src->height_};
  if (const int r = BltChecks(src, d, s, flags); r != kSurfaceOk) return r;

  const uint32_t bytes = format_.bitCount / 8;
  const int32_t sw = s.Width(), sh = s.Height(), dw = d.Width(), dh = d.Height();
  // Within one surface the source area is taken aside first, so that the
  // blit reads what was there before it started.
  std::vector<uint8_t> aside;
  const uint8_t* from = src->pixels_.data() + size_t(s.top) * src->pitch_ + size_t(s.left) * bytes;
  size_t fromPitch = size_t(src->pitch_);
  if (src == this) {
    aside.resize(size_t(sw) * sh * bytes);
    for (int32_t y = 0; y < sh; ++y) {
      std::memcpy(aside.data() + size_t(y) * sw * bytes, from + size_t(y) * fromPitch, size_t(sw) * bytes);
    }
    from = aside.data();
    fromPitch = size_t(sw) * bytes;
  }
  const PixelLayout layout(format_);
  const bool keyed = (flags & kBltKeySrc) != 0;
  const ColorKey key = src->colorKey_;
  const bool stretched = sw != dw || sh != dh;
  for (int32_t y = 0; y < dh; ++y) {
    const int32_t sy = stretched ? int32_t(int64_t(y) * sh / dh) : y;
    const uint8_t* in = from + size_t(sy) * fromPitch;
    uint8_t* out = pixels_.data() + size_t(d.top + y) * pitch_ + size_t(d.left) * bytes;
    if (!keyed && !stretched) {
      std::memcpy(out, in, size_t(dw) * bytes);
    } else if (bytes == 4 && !stretched) {
      CopyRowKeyed32(out, in, dw, key);
    } else {
      for (int32_t x = 0; x < dw; ++x, out += bytes) {
        const int32_t sx = stretched ? int32_t(int64_t(x) * sw / dw) : x;
        const uint8_t* p = in + size_t(sx) * bytes;
        if (keyed) {
          const uint32_t v = layout.Load(p);
          if (v >= key.low && v <= key.high) continue;
        }
        std::memcpy(out, p, bytes);
      }
    }
  }
  return kSurfaceOk;
}

int SoftSurface::BltFast(int32_t x, int32_t y, SoftSurface* src, const Rect* srcRect,
                         uint32_t flags) {
  if (src == nullptr) return kSurfaceInvalidParams;
  const Rect s = srcRect ? *srcRect : Rect{0, 0, src->width_, src->height_};
  const Rect d{x, y, x + s.Width(), y + s.Height()};
  return Blt(&d, src, &s, flags);
}

int SoftSurface::GetDC(SurfaceDc* out) {
  if (out == nullptr) return kSurfaceInvalidParams;
  if (pixels_.empty()) return kSurfaceNoPixels;
  if (lost_) return kSurfaceLost;
  if (locked_) return kSurfaceAlreadyLocked;
  if (const int busy = Access(false); busy != kSurfaceOk) return busy;
  locked_ = true;
  out->surface = this;
  out->bits = pixels_.data();
  out->pitch = pitch_;
  out->width = width_;
  out->height = height_;
  out->format = format_;
  out->palette = format_.bitCount == 8 ? palette_ : nullptr;
  return kSurfaceOk;
}

int SoftSurface::ReleaseDC(const SurfaceDc& dc) {
  if (dc.surface != this || !locked_) return kSurfaceNotLocked;
  locked_ = false;
  return kSurfaceOk;
}

bool DcBitBlt(const SurfaceDc& dst, int32_t x32, int32_t y32, int32_t width32, int32_t height32,
              const SurfaceDc& src, int32_t sx32, int32_t sy32) {
  if (dst.bits == nullptr || src.bits == nullptr) return false;
  // Cut the area to both contexts, moving the other side with each cut;
  // in 64 bits so that no offset can overflow.
  int64_t x = x32, y = y32, width = width32, height = height32, sx = sx32, sy = sy32;
  if (x < 0) { sx -= x; width += x; x = 0; }
  if (y < 0) { sy -= y; height += y; y = 0; }
  if (sx < 0) { x -= sx; width += sx; sx = 0; }
  if (sy < 0) { y -= sy; height += sy; sy = 0; }
  width = std::min({width, int64_t(dst.width) - x, int64_t(src.width) - sx});
  height = std::min({height, int64_t(dst.height) - y, int64_t(src.height) - sy});
  if (width <= 0 || height <= 0) return true;
  const PixelLayout in(src.format, src.palette);
  const PixelLayout out(dst.format, dst.palette);
  const bool same = src.format == dst.format && src.format.bitCount != 8;
  std::vector<uint32_t> row(same ? 0 : size_t(width));
  for (int64_t r = 0; r < height; ++r) {
    const uint8_t* s = src.bits + size_t(sy + r) * src.pitch + size_t(sx) * in.BytesPerPixel();
    uint8_t* d = dst.bits + size_t(y + r) * dst.pitch + size_t(x) * out.BytesPerPixel();
    if (same) {
      std::memmove(d, s, size_t(width) * in.BytesPerPixel());
      continue;
    }
    in.UnpackRow(row.data(), s, int32_t(width));
    out.PackRow(d, row.data(), int32_t(width));
  }
  return true;
}

int SoftSurface::CreateFlipChain(int32_t width, int32_t height, const SurfacePixelFormat& format,
                                 int backCount) {
  if (backCount < 1 || backCount > 2) return kSurfaceInvalidParams;
  backBuffers_.clear();
  if (const int r = Create(width, height, format); r != kSurfaceOk) return r;
  for (int i = 0; i < backCount; ++i) {
    auto back = std::make_unique<SoftSurface>();
    if (const int r = back->Create(width, height, format); r != kSurfaceOk) {
      backBuffers_.clear();
      Release();
      return r;
    }
    backBuffers_.push_back(std::move(back));
  }
  flipCount_ = 0;
  return kSurfaceOk;
}

SoftSurface* SoftSurface::AttachedBackBuffer() {
  return backBuffers_.empty() ? nullptr : backBuffers_.front().get();
}

int SoftSurface::Flip(uint32_t flags) {
  if (backBuffers_.empty()) return kSurfaceNotFlippable;
  if (lost_) return kSurfaceLost;
  if (locked_) return kSurfaceAlreadyLocked;
  for (auto& back : backBuffers_) {
    if (back->lost_) return kSurfaceLost;
    if (back->locked_) return kSurfaceAlreadyLocked;
  }
  if (const int r = Access((flags & kBltWait) != 0); r != kSurfaceOk) return r;
  ZeroedPixels front = std::move(pixels_);
  pixels_ = std::move(backBuffers_.front()->pixels_);
  for (size_t i = 0; i + 1 < backBuffers_.size(); ++i) {
    backBuffers_[i]->pixels_ = std::move(backBuffers_[i + 1]->pixels_);
  }
  backBuffers_.back()->pixels_ = std::move(front);
  ++flipCount_;
  return kSurfaceOk;
}

}  // namespace orrivel::platform
