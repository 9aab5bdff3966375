#include "raster/Surface.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "raster/BlendTables.h"
#include "raster/KernelFlags.h"
#include "raster/Kernels32.h"
#include "raster/PixelFilters.h"

namespace orrivel {

Surface::~Surface() { FreeBuffers(); }

int Surface::SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) {
  return DibImage::SetColorKeyRgb(red, green, blue);
}

int Surface::SetColorKeyAt(int32_t x, int32_t y) { return DibImage::SetColorKeyAt(x, y); }

namespace {

// The box (x, y, x + width, y + height), its far edges held to the 32-bit
// range so that far-off boxes from scripts cannot wrap.
Rect BoxAt(int32_t x, int32_t y, int32_t width, int32_t height) {
  auto edge = [](int32_t at, int32_t extent) {
    return int32_t(std::clamp<int64_t>(int64_t(at) + extent, INT32_MIN, INT32_MAX));
  };
  return Rect{x, y, edge(x, width), edge(y, height)};
}

}  // namespace

void Surface::MarkDirty(const Rect& rect) {
  if (region_ != nullptr) region_->AddRect(rect);
  changed_ = 1;
}

void Surface::MarkAllDirty() { MarkDirty(Rect{0, 0, width_, height_}); }

// --- creation and release -----------------------------------------------------------

void Surface::FreeBuffers() {
  savedPalette_.reset();
  if (ownedRegion_) {
    ownedRegion_.reset();
    region_ = nullptr;  // gives its nodes back to the pool
  }
  rowTable_.reset();
  attachedData_.reset();
  attachedSize_ = 0;
  DibImage::Free();
  hasAlpha_ = 0;
  changed_ = 0;
}

int Surface::Create(int32_t width, int32_t height, uint8_t bitCount, uint8_t flags) {
  FreeBuffers();
  if (bitCount != 8 && bitCount != 32) return 1;
  if (DibImage::Create(width, height, bitCount, (flags & kWithDeviceContext) != 0) != 0) return 2;
  if (flags & kWithRegion) {
    ownedRegion_.reset(new (std::nothrow) DirtyRegion());
    if (!ownedRegion_) {
      FreeBuffers();
      return 3;
    }
    region_ = ownedRegion_.get();
  }
  return 0;
}

int Surface::CreateLike(Surface* source, uint8_t flags) {
  if (source == nullptr || source->GetBits() == nullptr) return 1;
  uint8_t made;
  if (flags == kLikeSource) {
    made = uint8_t((source->IsSection() ? kWithDeviceContext : 0) |
                   (source->Region() != nullptr ? kWithRegion : 0));
  } else {
    made = flags & kWithDeviceContext;
  }
  if (Create(source->GetWidth(), source->GetHeight(), source->GetBitsPerPixel(), made) != 0) {
    return 2;
  }
  if (GetBitsPerPixel() == 8 && !CopyPalette(source)) {
    FreeBuffers();
    return 3;
  }
  std::memcpy(GetBits(), source->GetBits(), size_t(pitch_) * size_t(height_));
  colorKey_ = source->GetColorKey();
  userValue1_ = source->GetUserValue1();
  userValue2_ = source->GetUserValue2();
  hasAlpha_ = source->hasAlpha_;
  return 0;
}

int Surface::BuildRowTable() {
  uint8_t* bits = GetBits();
  if (bits == nullptr) return 1;
  rowTable_.reset(new (std::nothrow) uint8_t*[size_t(height_)]);
  if (!rowTable_) return 2;
  for (int32_t y = 0; y < height_; ++y) rowTable_[size_t(y)] = bits + size_t(y) * size_t(pitch_);
  rowTableBits_ = bits;
  rowTablePitch_ = pitch_;
  rowTableHeight_ = height_;
  return 0;
}

uint8_t* const* Surface::RowTable() {
  if (!rowTable_ || rowTableBits_ != GetBits() || rowTablePitch_ != pitch_ ||
      rowTableHeight_ != height_) {
    return nullptr;
  }
  return rowTable_.get();
}

// --- fills and palette ------------------------------------------------------------------

bool Surface::FillRgb(uint8_t red, uint8_t green, uint8_t blue, const Rect* rect) {
  Rect filled;
  if (!DibImage::FillRgb(red, green, blue, rect, &filled)) return false;
  MarkDirty(filled);
  return true;
}

bool Surface::FillRgbBox(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t red,
                         uint8_t green, uint8_t blue) {
  const Rect r = BoxAt(x, y, width, height);
  return FillRgb(red, green, blue, &r);
}

bool Surface::FillRect(uint32_t value, const Rect* rect) {
  const Rect clip = clipRect_;
  Rect filled;
  if (!DibImage::FillColor(value, rect != nullptr ? rect : &clip, &filled)) return false;
  if (filled.IsEmpty()) return false;
  MarkDirty(filled);
  return true;
}

bool Surface::FillBox(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t value) {
  const Rect r = BoxAt(x, y, width, height);
  return FillRect(value, &r);
}

bool Surface::FillColorKeepAlpha(uint8_t red, uint8_t green, uint8_t blue, const Rect* rect) {
  uint8_t* bits = GetBits();
  if (bits == nullptr || GetBitsPerPixel() != 32) return false;
  // The pixel-operation library's colour fill would take over here once it
  // carries one; the engine kernel is the path without it.
  Rect r = rect != nullptr ? *rect : clipRect_;
  if (!ClipToClipRect(&r) || r.IsEmpty()) return false;
  const uint32_t color = uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
  uint8_t* start = bits + size_t(r.top) * size_t(pitch_) + size_t(r.left) * 4;
  const int skip = pitch_ - r.Width() * 4;
  if (MmxFlag()) {
    FillColorKeepAlpha32Packed(start, skip, r.Width(), r.Height(), color);
  } else {
    FillColorKeepAlpha32(start, skip, r.Width(), r.Height(), color);
  }
  MarkDirty(r);
  return true;
}

bool Surface::SetBrightness(int32_t level, const Rect* rect) {
  uint8_t* bits = GetBits();
  if (bits == nullptr || level < 0 || level > 510) return false;
  Rect r = clipRect_;
  if (rect != nullptr) {
    r = *rect;
    if (!ClipToClipRect(&r)) return false;
  }
  if (r.IsEmpty()) return false;
  if (GetBitsPerPixel() == 32) {
    if (level == 255) return true;
    uint8_t* start = bits + size_t(r.top) * size_t(pitch_) + size_t(r.left) * 4;
    if (level < 255) {
      ScaleBrightness32(start, pitch_, r.Width(), r.Height(), uint8_t(level));
    } else {
      BlendToColor32(start, pitch_, r.Width(), r.Height(), uint8_t(level - 255), 255, 255, 255);
    }
  } else if (GetBitsPerPixel() == 8) {
    if (rect != nullptr || GetPalette() == nullptr) return false;
    if (!savedPalette_) {
      savedPalette_.reset(new (std::nothrow) uint32_t[256]);
      if (!savedPalette_) return false;
      std::memcpy(savedPalette_.get(), GetPalette(), 256 * sizeof(uint32_t));
    }
    uint32_t table[256];
    for (int i = 0; i < 256; ++i) {
      const uint32_t saved = savedPalette_[size_t(i)];
      uint32_t entry = saved & 0xFF000000u;
      for (int c = 0; c < 3; ++c) {
        const uint32_t v = (saved >> (8 * c)) & 0xFF;
        const uint32_t out = level < 256 ? ProductTable[level][v]
                                         : ProductTable[255 - (level - 255)][v] + uint32_t(level - 255);
        entry |= out << (8 * c);
      }
      table[i] = entry;
    }
    if (DibImage::SetPalette(table, 256, 256, 0) != 0) return false;
  } else {
    return false;
  }
  MarkDirty(r);
  return true;
}

int Surface::SetPalette(const uint32_t* table, size_t tableEntries, int32_t count, int32_t first) {
  const int code = DibImage::SetPalette(table, tableEntries, count, first);
  if (code == 0) MarkAllDirty();
  return code;
}

bool Surface::SetPaletteEntry(int32_t index, uint32_t color, bool apply) {
  if (!DibImage::SetPaletteEntry(index, color, apply)) return false;
  if (apply) MarkAllDirty();
  return true;
}

bool Surface::FillPalette(uint32_t color, bool apply) {
  if (!DibImage::FillPalette(color, apply)) return false;
  if (apply) MarkAllDirty();
  return true;
}

bool Surface::CopyPalette(Surface* source) {
  if (source == nullptr || GetBitsPerPixel() > 8 || source->GetBitsPerPixel() > 8) return false;
  if (source->GetPalette() == nullptr) return true;
  if (DibImage::SetPalette(source->GetPalette(), 256, 256, 0) != 0) return false;
  MarkAllDirty();
  return true;
}

// --- pixels and depth ---------------------------------------------------------------------

int Surface::SetPixel(int32_t x, int32_t y, uint32_t value) {
  uint8_t* bits = GetBits();
  if (bits == nullptr || uint32_t(x) >= uint32_t(width_) || uint32_t(y) >= uint32_t(height_)) {
    return 0;
  }
  uint8_t* row = bits + size_t(y) * size_t(pitch_);
  if (GetBitsPerPixel() == 8) {
    row[x] = uint8_t(value);
  } else if (GetBitsPerPixel() == 32) {
    std::memcpy(row + size_t(x) * 4, &value, 4);
  } else {
    return 0;
  }
  MarkDirty(Rect{x, y, x + 1, y + 1});
  return 1;
}

int Surface::ConvertDepth(uint8_t bitCount) {
  uint8_t* bits = GetBits();
  if (bits == nullptr) return 1;
  const uint8_t from = GetBitsPerPixel();
  if (bitCount == from || (bitCount != 8 && bitCount != 32) || (from != 8 && from != 32)) return 2;
  const int32_t width = width_, height = height_;
  const bool section = IsSection();
  // Convert into a new image first, so a failure leaves the surface alone.
  DibImage converted;
  if (converted.Create(width, height, bitCount, section) != 0) return 3;
  uint32_t key = colorKey_;
  if (bitCount == 32) {
    uint32_t colours[256];
    const uint32_t* palette = GetPalette();
    for (uint32_t i = 0; i < 256; ++i)
      colours[i] = palette != nullptr ? palette[i] & 0x00FFFFFFu : i * 0x010101u;
    for (int32_t y = 0; y < height; ++y) {
      const uint8_t* s = bits + size_t(y) * size_t(pitch_);
      uint32_t* d = reinterpret_cast<uint32_t*>(converted.GetScanLine(y));
      for (int32_t x = 0; x < width; ++x) d[x] = colours[s[x]];
    }
    if (key != kNoColorKey) key = colours[key & 0xFF];
  } else {
    for (int32_t y = 0; y < height; ++y) {
      const uint32_t* s = reinterpret_cast<const uint32_t*>(bits + size_t(y) * size_t(pitch_));
      uint8_t* d = converted.GetScanLine(y);
      for (int32_t x = 0; x < width; ++x) {
        const uint32_t p = s[x];
        d[x] = uint8_t((29 * (p & 0xFF) + 150 * ((p >> 8) & 0xFF) + 77 * ((p >> 16) & 0xFF)) >> 8);
      }
    }
    key = kNoColorKey;
  }
  // The old pixels go with everything tied to them; the region stays.
  std::unique_ptr<DirtyRegion> owned = std::move(ownedRegion_);
  DirtyRegion* region = region_;
  FreeBuffers();
  ownedRegion_ = std::move(owned);
  region_ = region;
  if (DibImage::Create(width, height, bitCount, section) != 0) return 3;
  std::memcpy(GetBits(), converted.GetBits(), size_t(pitch_) * size_t(height_));
  colorKey_ = key;
  MarkAllDirty();
  return 0;
}

}  // namespace orrivel
