#pragma once
// A decoded picture shared by holder count: a bottom-up device-independent
// bitmap (the 40-byte information header followed by the colour table for
// indexed depths, and the pixel rows), its drawing offset and any extra data
// its file carried.
#include <cstdint>

#include "resource/BitmapInfoHeader.h"
#include "resource/DibConversion.h"
#include "resource/PictureBlock.h"

namespace orrivel {

class DecodedPicture {
 public:
  DecodedPicture(PictureBlock info, PictureBlock pixels, std::uint64_t totalBytes,
                 std::uint32_t pitch);
  DecodedPicture(const DecodedPicture&) = delete;
  DecodedPicture& operator=(const DecodedPicture&) = delete;
  virtual ~DecodedPicture();

  virtual void SetOffset(std::int32_t x, std::int32_t y);
  virtual std::int32_t GetOffsetX() const;
  virtual std::int32_t GetOffsetY() const;
  virtual void SetExtraData(PictureBlock data);
  // With `detach` the picture gives the block up; otherwise it hands a copy.
  virtual PictureBlock DetachExtraData(bool detach);
  virtual std::uint64_t GetExtraSize() const;

  // Holder rule: a further holder adds one; releasing a picture with further
  // holders drops one, else deletes it.
  void AddHolder() { ++extraHolders_; }
  static void Release(DecodedPicture* picture);
  std::uint32_t ExtraHolders() const { return extraHolders_; }

  BitmapInfoHeader Header() const;
  std::int32_t Width() const { return Header().width; }
  // Rows as stored: positive means bottom-up.
  std::int32_t Height() const { return Header().height; }
  std::uint16_t BitCount() const { return Header().bitCount; }
  // Colour-table entries that follow the header (0 above 8 bits), never more
  // than the block holds or the depth can index.
  std::uint32_t PaletteEntries() const;
  const std::uint8_t* Palette() const;
  const PictureBlock& Info() const { return info_; }
  const PictureBlock& Pixels() const { return pixels_; }
  std::uint64_t TotalBytes() const { return totalBytes_; }
  std::uint32_t Pitch() const { return pitch_; }

 private:
  std::uint32_t extraHolders_ = 0;
  PictureBlock info_;
  PictureBlock pixels_;
  std::uint64_t totalBytes_;
  std::uint32_t pitch_;
  std::int32_t offsetX_ = 0;
  std::int32_t offsetY_ = 0;
  PictureBlock extraData_;
};

// Holds one holder of a picture and gives it back when it goes.
struct PictureHolder {
  DecodedPicture* picture = nullptr;
  PictureHolder() = default;
  explicit PictureHolder(DecodedPicture* held) : picture(held) {}
  PictureHolder(const PictureHolder&) = delete;
  PictureHolder& operator=(const PictureHolder&) = delete;
  ~PictureHolder() {
    if (picture) DecodedPicture::Release(picture);
  }
};

// A picture's pixels as the bitmap converters read them. The header and the
// colour table are copies held here (a plug-in's block need not be aligned
// for words), so the record must outlive the conversion and must not move.
struct PictureDib {
  explicit PictureDib(const DecodedPicture& picture);
  PictureDib(const PictureDib&) = delete;
  PictureDib& operator=(const PictureDib&) = delete;

  // Header and pixel block agree: rows of at least one pixel, each stored
  // row wide enough for its pixels, and every row inside the block.
  bool IsSound() const { return sound; }
  std::int32_t Width() const { return header.width; }
  std::int32_t Rows() const { return header.height < 0 ? -header.height : header.height; }

  BitmapInfoHeader header;
  std::uint32_t colors[256] = {};
  DibSource source;
  bool sound = false;
};

}  // namespace orrivel
