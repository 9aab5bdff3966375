#include "resource/DecodedPicture.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

namespace orrivel {

DecodedPicture::DecodedPicture(PictureBlock info, PictureBlock pixels, std::uint64_t totalBytes,
                               std::uint32_t pitch)
    : info_(std::move(info)), pixels_(std::move(pixels)), totalBytes_(totalBytes), pitch_(pitch) {}

DecodedPicture::~DecodedPicture() = default;

void DecodedPicture::SetOffset(std::int32_t x, std::int32_t y) {
  offsetX_ = x;
  offsetY_ = y;
}

std::int32_t DecodedPicture::GetOffsetX() const { return offsetX_; }
std::int32_t DecodedPicture::GetOffsetY() const { return offsetY_; }

void DecodedPicture::SetExtraData(PictureBlock data) { extraData_ = std::move(data); }

PictureBlock DecodedPicture::DetachExtraData(bool detach) {
  if (detach) {
    PictureBlock out = std::move(extraData_);
    extraData_.Reset();
    return out;
  }
  PictureBlock copy;
  if (!extraData_.Empty()) copy.Assign(extraData_.Data(), extraData_.Size());
  return copy;
}

std::uint64_t DecodedPicture::GetExtraSize() const { return extraData_.Size(); }

void DecodedPicture::Release(DecodedPicture* picture) {
  if (!picture) return;
  if (picture->extraHolders_ != 0) {
    --picture->extraHolders_;
  } else {
    delete picture;
  }
}

BitmapInfoHeader DecodedPicture::Header() const {
  if (info_.Size() < BitmapInfoHeader::kSize) return BitmapInfoHeader();
  return BitmapInfoHeader::Read(info_.Data());
}

std::uint32_t DecodedPicture::PaletteEntries() const {
  if (info_.Size() < BitmapInfoHeader::kSize) return 0;
  BitmapInfoHeader h = Header();
  if (h.bitCount > 8) return 0;
  // A table longer than the depth can index (a plug-in's header may claim
  // one) is cut to what the indices reach: callers copy it into palettes of
  // 1 << bitCount entries.
  const std::uint64_t indexable = std::uint64_t(1) << h.bitCount;
  const std::uint64_t room = (info_.Size() - BitmapInfoHeader::kSize) / 4;
  const std::uint64_t entries = h.colorsUsed ? std::min<std::uint64_t>(h.colorsUsed, indexable) : indexable;
  return std::uint32_t(std::min(entries, room));
}

const std::uint8_t* DecodedPicture::Palette() const {
  return PaletteEntries() ? info_.Data() + BitmapInfoHeader::kSize : nullptr;
}

PictureDib::PictureDib(const DecodedPicture& picture) : header(picture.Header()) {
  const std::uint32_t entries = picture.PaletteEntries();
  if (entries != 0) std::memcpy(colors, picture.Palette(), std::uint64_t(entries < 256 ? entries : 256) * 4);
  const std::uint64_t pitch = picture.Pitch();
  const std::int64_t rows = header.height < 0 ? -std::int64_t(header.height) : std::int64_t(header.height);
  const std::uint64_t rowBytes = (std::uint64_t(header.width > 0 ? header.width : 0) * header.bitCount + 7) / 8;
  sound = picture.Pixels().Data() != nullptr && header.width > 0 && rows > 0 && rows <= INT32_MAX &&
          pitch >= rowBytes && pitch <= INT32_MAX && pitch * std::uint64_t(rows) <= picture.Pixels().Size();
  source.header = &header;
  source.colors = colors;
  source.colorCount = entries < 256 ? entries : 256;
  source.bits = picture.Pixels().Data();
  source.stride = std::int32_t(pitch <= INT32_MAX ? pitch : 0);
  source.bitsSize = picture.Pixels().Size();
}

}  // namespace orrivel
