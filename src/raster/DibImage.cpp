#include "raster/DibImage.h"

#include <algorithm>

#include <cstring>
#include <new>

#include "platform/LargePages.h"
#include "raster/ImageSize.h"
#include "resource/BitmapInfoHeader.h"

namespace orrivel {

// A picture's block comes zeroed from the platform, not from new[]: it
// starts cleared without a pass over its pixels, a screen-sized one on large
// pages, and the pages a picture never draws on (a back canvas waiting for
// its first transition) are never touched at all.
void DibImage::ReleaseBlock::operator()(uint8_t* block) const { platform::ReleaseZeroedBlock(block); }

DibImage::~DibImage() { Free(); }

uint8_t* DibImage::GetScanLine(int32_t y) {
  if (pixels_ == nullptr || uint32_t(y) >= uint32_t(height_)) return nullptr;
  return pixels_ + size_t(pitch_) * size_t(y);
}

int DibImage::SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) {
  if (bitsPerPixel_ == 8) {
    colorKey_ = uint32_t(FindPaletteIndex(red, green, blue));
  } else {
    colorKey_ = uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
  }
  return colorKey_ == kNoColorKey ? 1 : 0;
}

int DibImage::SetColorKeyAt(int32_t x, int32_t y) {
  colorKey_ = GetPixel(x, y);
  return colorKey_ == kNoColorKey ? 1 : 0;
}

int DibImage::ClearColorKey() {
  colorKey_ = kNoColorKey;
  return 0;
}

int DibImage::Create(int32_t width, int32_t height, uint8_t bitsPerPixel, bool useSection) {
  Free();
  if (width < 1 || height < 1 || bitsPerPixel < 8) return 1;
  const ImageSize size = ComputeImageSize(width, height, bitsPerPixel, 7);
  if (!size.fits) return 2;
  // Row 0 starts on an 8-byte boundary; the 7 spare bytes make room for that.
  const uint64_t allocation = size.pixelBytes + 7;
  // Cleared: callers draw only parts of a new picture (a face inside its
  // bevel, glyphs with their shadow), and the rest must read as nothing
  // drawn rather than whatever the allocator left there.
  buffer_.reset(platform::AllocateZeroedBlock(size_t(allocation)));
  if (!buffer_) return 2;
  if (useSection && bitsPerPixel == 8) {
    sectionColors_.reset(new (std::nothrow) uint32_t[256]);
    if (!sectionColors_) {
      buffer_.reset();
      return 2;
    }
    for (uint32_t i = 0; i < 256; ++i) sectionColors_[i] = i * 0x010101u;
  }
  const uintptr_t address = reinterpret_cast<uintptr_t>(buffer_.get());
  pixels_ = buffer_.get() + ((8 - (address & 7)) & 7);
  bufferSize_ = useSection ? 0 : uint32_t(allocation);
  isSection_ = useSection;
  bitsPerPixel_ = bitsPerPixel;
  width_ = width;
  height_ = height;
  pitch_ = int32_t(size.pitch);
  GetBounds(&clipRect_);
  return 0;
}

void DibImage::Free() {
  buffer_.reset();
  sectionColors_.reset();
  pixels_ = nullptr;
  palette_.reset();
  width_ = 0;
  bufferSize_ = 0;
  colorKey_ = kNoColorKey;
}

int DibImage::Resize(int32_t width, int32_t height) {
  if (pixels_ == nullptr || width < 1 || height < 1) return 1;
  if (width == width_ && height == height_) return 0;
  if (isSection_) return Create(width, height, bitsPerPixel_, true);
  const ImageSize size = ComputeImageSize(width, height, bitsPerPixel_, 7);
  if (size.fits && size.pixelBytes + 7 <= bufferSize_) {
    // The block is kept as it is: old rows reappear under the new pitch.
    height_ = height;
    pitch_ = int32_t(size.pitch);
    width_ = width;
    GetBounds(&clipRect_);
    return 0;
  }
  return Create(width, height, bitsPerPixel_, false);
}

bool DibImage::EnsurePalette() {
  if (!palette_) {
    palette_.reset(new (std::nothrow) uint32_t[256]);
    if (!palette_) return false;
    std::memset(palette_.get(), 0, 256 * sizeof(uint32_t));
  }
  return true;
}

int DibImage::SetPalette(const uint32_t* table, size_t tableEntries, int32_t count, int32_t first) {
  if (bitsPerPixel_ != 8) return 1;
  if (!EnsurePalette()) return 2;
  if (table == nullptr) {
    for (uint32_t i = 0; i < 256; ++i) palette_[i] = i * 0x010101u;
    PushPalette();
    return 0;
  }
  const int64_t begin = first < 0 ? 0 : first;
  int64_t end = int64_t(first) + (count < 0 ? 0 : count);
  if (end > 256) end = 256;
  if (end > int64_t(tableEntries)) end = int64_t(tableEntries);
  for (int64_t i = begin; i < end; ++i) palette_[size_t(i)] = table[size_t(i)];
  PushPalette();
  return 0;
}

void DibImage::PushPalette() {
  if (sectionColors_ && palette_) std::memcpy(sectionColors_.get(), palette_.get(), 256 * sizeof(uint32_t));
}

bool DibImage::SetPaletteEntry(int32_t index, uint32_t color, bool push) {
  if (!palette_) return false;
  uint32_t& entry = palette_[uint32_t(index) & 0xFF];
  if (entry == color) return true;
  entry = color;
  if (push) PushPalette();
  return true;
}

bool DibImage::FillPalette(uint32_t color, bool push) {
  if (!palette_) return false;
  for (uint32_t i = 0; i < 256; ++i) palette_[i] = color;
  if (push) PushPalette();
  return true;
}

int32_t DibImage::FindPaletteIndex(uint8_t red, uint8_t green, uint8_t blue) const {
  if (!palette_) return -1;
  const uint32_t wanted = uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
  for (int32_t i = 0; i < 256; ++i) {
    if ((palette_[i] & 0x00FFFFFFu) == wanted) return i;
  }
  return -1;
}

uint32_t DibImage::GetPixel(int32_t x, int32_t y) const {
  if (pixels_ == nullptr || uint32_t(x) >= uint32_t(width_) || uint32_t(y) >= uint32_t(height_)) {
    return kNoColorKey;
  }
  const uint8_t* row = pixels_ + size_t(pitch_) * size_t(y);
  if (bitsPerPixel_ == 8) return row[x];
  if (bitsPerPixel_ == 32) {
    uint32_t v;
    std::memcpy(&v, row + size_t(x) * 4, 4);
    return v;
  }
  return kNoColorKey;
}

namespace {

// One row of 32-bit pixels set to value, sixteen bytes a store: a plain
// per-pixel loop of unknown length stays one store a pixel, and a frame's
// background and window fills go through here every frame.
void FillRow32(uint8_t* row, size_t count, uint32_t value) {
  uint32_t quad[16];
  std::fill_n(quad, 16, value);
  for (; count >= 16; count -= 16, row += 64) std::memcpy(row, quad, 64);
  for (; count >= 4; count -= 4, row += 16) std::memcpy(row, quad, 16);
  for (; count > 0; --count, row += 4) std::memcpy(row, &value, 4);
}

}  // namespace

void DibImage::FillRect32(const Rect& r, uint32_t value) {
  // Held in locals: the pixel stores could otherwise alias the rectangle
  // and the pitch.
  const Rect area = r;
  const size_t pitch = size_t(pitch_);
  uint8_t* const pixels = pixels_;
  if (area.right <= area.left) return;
  const size_t width = size_t(area.right - area.left);
  for (int32_t y = area.top; y < area.bottom; ++y)
    FillRow32(pixels + pitch * size_t(y) + size_t(area.left) * 4, width, value);
}

bool DibImage::FillRgb(uint8_t red, uint8_t green, uint8_t blue, const Rect* rect, Rect* out) {
  if (pixels_ == nullptr) return false;
  if (bitsPerPixel_ != 8 && bitsPerPixel_ != 32) return false;
  Rect r = clipRect_;
  if (rect != nullptr) {
    r = *rect;
    if (!ClipToClipRect(&r)) return false;
  }
  if (r.IsEmpty()) return false;
  if (bitsPerPixel_ == 8) {
    for (int32_t y = r.top; y < r.bottom; ++y) {
      std::memset(pixels_ + size_t(pitch_) * size_t(y) + r.left, red, size_t(r.right - r.left));
    }
  } else {
    FillRect32(r, uint32_t(red) << 16 | uint32_t(green) << 8 | blue);
  }
  if (out) *out = r;
  return true;
}

bool DibImage::FillColor(uint32_t value, const Rect* rect, Rect* out) {
  if (pixels_ == nullptr || bitsPerPixel_ != 32) return false;
  Rect r;
  GetBounds(&r);
  if (rect != nullptr) {
    r = *rect;
    if (!ClipToClipRect(&r)) return false;
  }
  FillRect32(r, value);
  if (out) *out = r;
  return true;
}

std::vector<uint8_t> MakeBitmapInfo(int32_t width, int32_t height, uint8_t bitsPerPixel) {
  const bool indexed = bitsPerPixel == 8;
  std::vector<uint8_t> block(BitmapInfoHeader::kSize + (indexed ? 256 * 4 : 4), 0);
  BitmapInfoHeader header;
  header.width = width;
  // Negated in 64 bits: the most negative height has no positive twin.
  header.height = int32_t(-int64_t(height));
  header.planes = 1;
  header.bitCount = bitsPerPixel;
  header.compression = BitmapInfoHeader::kCompressionRgb;
  header.colorsUsed = indexed ? 256 : 0;
  header.Write(block.data());
  return block;
}

}  // namespace orrivel
