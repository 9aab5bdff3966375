#pragma once
// The memory image: 8 bits per pixel with a 256-entry palette, or 32 bits in
// 0xAARRGGBB words. Rows run top-down with the pitch rounded up to 4 bytes.
//
// A "section" image stands for a picture that a device context can draw
// into; on this platform both kinds are plain memory with the same layout,
// and they differ only where callers can see it: a section is re-created on
// every resize (contents, palette and key lost) while a plain buffer keeps
// its block when the new size fits, and an 8-bit section carries the colour
// table that device-context transfers read (a grey ramp until a palette is
// pushed to it).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "raster/ClippedImage.h"

namespace orrivel {

class DibImage : public ClippedImage {
 public:
  DibImage() = default;
  ~DibImage() override;

  uint8_t GetKind() const override { return kImageKindDib; }
  uint8_t* GetBits() override { return pixels_; }
  uint8_t* GetScanLine(int32_t y) override;
  // 8 bits: the first palette index with this colour (none: key -1).
  // Other depths: 0x00RRGGBB.
  int SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) override;
  int SetColorKeyAt(int32_t x, int32_t y) override;
  int ClearColorKey() override;
  int Restore(uint8_t) override { return 0; }  // memory is never lost

  // 0 done; 1 no pixels or a size below 1; 2 no memory.
  virtual int Resize(int32_t width, int32_t height);

  // 0 done; 1 bad argument; 2 no memory or a size too large to address.
  // The pixels start cleared (zero); no palette is made.
  int Create(int32_t width, int32_t height, uint8_t bitsPerPixel, bool useSection);
  // Releases pixels and palette; width and key are reset, height, pitch and
  // depth keep their values.
  void Free();

  // Copies entries first..first+count-1 (stopping after 255) from the table,
  // indexed like the palette: palette[i] := table[i]. Entries at or beyond
  // tableEntries are never read. A null table sets the grey ramp.
  // 0 done; 1 not 8 bits; 2 no memory.
  int SetPalette(const uint32_t* table, size_t tableEntries, int32_t count, int32_t first);
  // False when there is no palette. index is taken modulo 256. push also
  // sends the whole palette to an 8-bit section's colour table.
  bool SetPaletteEntry(int32_t index, uint32_t color, bool push);
  bool FillPalette(uint32_t color, bool push);
  // First index whose red, green and blue match; -1 when none or no palette.
  int32_t FindPaletteIndex(uint8_t red, uint8_t green, uint8_t blue) const;
  const uint32_t* GetPalette() const { return palette_.get(); }
  // The 256 colours that device-context transfers from an 8-bit section
  // read: the grey ramp from creation, then what SetPalette and pushed entry
  // changes send. Null for plain buffers and other depths.
  const uint32_t* GetSectionColors() const { return sectionColors_.get(); }

  // The index (8 bits) or the word (32 bits); kNoColorKey outside, without
  // pixels or at another depth.
  uint32_t GetPixel(int32_t x, int32_t y) const;

  // Fills the rectangle cut by the clip rectangle (null: the clip rectangle)
  // with an index (red, 8 bits) or 0x00RRGGBB (32 bits). out receives what
  // was filled. False when nothing was.
  bool FillRgb(uint8_t red, uint8_t green, uint8_t blue, const Rect* rect, Rect* out);
  // 32 bits only: the whole word, alpha included. A null rectangle means the
  // whole image; a given one is cut by the clip rectangle.
  bool FillColor(uint32_t value, const Rect* rect, Rect* out);

  uint8_t GetBitsPerPixel() const { return bitsPerPixel_; }
  bool IsSection() const { return isSection_; }
  // Bytes held by a plain buffer (pitch * height + 7); 0 for a section.
  uint32_t GetBufferSize() const { return bufferSize_; }

 private:
  bool EnsurePalette();
  void PushPalette();
  void FillRect32(const Rect& r, uint32_t value);

  // The pixel block comes zeroed from the platform's block allocator and
  // goes back to it.
  struct ReleaseBlock {
    void operator()(uint8_t* block) const;
  };
  std::unique_ptr<uint8_t, ReleaseBlock> buffer_;
  uint8_t* pixels_ = nullptr;  // row 0: the buffer rounded up to 8 bytes
  uint8_t bitsPerPixel_ = 0;
  std::unique_ptr<uint32_t[]> palette_;  // 256 entries 0x00RRGGBB when present
  std::unique_ptr<uint32_t[]> sectionColors_;  // 8-bit sections only
  uint32_t bufferSize_ = 0;
  bool isSection_ = false;
};

// The bitmap information block that describes an image of this layout to
// the platform's bitmap calls: the 40-byte header (rows top-down, so the
// height is stored negated; uncompressed; 256 colours used for 8 bits),
// followed by a zeroed table of 256 colours for 8 bits or one zeroed word
// otherwise. The caller owns the block.
std::vector<uint8_t> MakeBitmapInfo(int32_t width, int32_t height, uint8_t bitsPerPixel);

}  // namespace orrivel
