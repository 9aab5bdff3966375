#include "resource/ElgDecoder.h"

#include <cstring>

#include "resource/BitmapInfoHeader.h"
#include "resource/ElgUnpack.h"

namespace orrivel {
namespace {

std::uint16_t Get16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t Get32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

bool HasMagic(const std::uint8_t* data, std::uint64_t size) {
  return size >= 3 && data[0] == 'E' && data[1] == 'L' && data[2] == 'G';
}

constexpr std::uint32_t kPaletteBytes = 1024;

// The most items one stream byte can stand for: the long byte-form fill
// (8226 items in 3 bytes). A plane needs at least items / this many bytes, so
// a header whose size no stream of the file could fill is refused before
// anything is allocated.
constexpr std::uint64_t kMaxItemsPerStreamByte = 2742;

bool StreamCanHold(std::uint64_t items, const std::uint8_t* streams, const std::uint8_t* end) {
  return items <= std::uint64_t(end - streams) * kMaxItemsPerStreamByte;
}

std::uint64_t RoundUp4(std::uint64_t n) { return (n + 3) & ~std::uint64_t(3); }

}  // namespace

ElgDecoder::~ElgDecoder() = default;

bool ElgDecoder::IsSupported(const std::uint8_t* data, std::uint64_t size, const char*) {
  return data && size >= 4 && HasMagic(data, size);
}

bool ElgDecoder::StreamsCanHold(const std::uint8_t* data, std::uint64_t size, const Header& header) {
  if (data == nullptr || header.streamsOffset > size) return false;
  return StreamCanHold(std::uint64_t(header.width) * header.height, data + header.streamsOffset,
                       data + size);
}

std::int32_t ElgDecoder::ParseHeader(const std::uint8_t* data, std::uint64_t size,
                                     Header* h) {
  if (!HasMagic(data, size)) return kGllNotThisFormat;
  if (size < 4) return kGllMissingData;
  *h = Header();
  const std::uint8_t variant = data[3];
  if (variant == 2) {
    if (size < 13) return kGllMissingData;
    h->depth = data[4];
    h->width = Get16(data + 5);
    h->height = Get16(data + 7);
    h->offsetX = std::int16_t(Get16(data + 9));
    h->offsetY = std::int16_t(Get16(data + 11));
    // Chunks: {type != 0, size counting itself and the data, data}, ended by
    // a 0 byte. A size below 4 would step backwards or stand still.
    std::uint64_t at = 13;
    h->chunksOffset = at;
    for (;;) {
      if (at >= size) return kGllMissingData;
      if (data[at] == 0) break;
      if (size - at < 5) return kGllMissingData;
      const std::uint32_t chunkSize = Get32(data + at + 1);
      if (chunkSize < 4 || chunkSize > size - at - 1) return kGllMissingData;
      at += 1 + std::uint64_t(chunkSize);
    }
    h->chunksSize = at - h->chunksOffset;
    h->streamsOffset = at + 1;
  } else if (variant == 1) {
    if (size < 13) return kGllMissingData;
    h->depth = data[4];
    h->offsetX = std::int16_t(Get16(data + 5));
    h->offsetY = std::int16_t(Get16(data + 7));
    h->width = Get16(data + 9);
    h->height = Get16(data + 11);
    h->streamsOffset = 13;
  } else {
    if (size < 8) return kGllMissingData;
    h->depth = variant;
    h->width = Get16(data + 4);
    h->height = Get16(data + 6);
    h->streamsOffset = 8;
  }
  if (h->depth != 8 && h->depth != 24 && h->depth != 32) return kGllMissingData;
  return kGllOk;
}

std::int32_t ElgDecoder::ReadHeader(const std::uint8_t* data, std::uint64_t size,
                                    Header* header) {
  const std::int32_t code = ParseHeader(data, size, header);
  if (code != kGllOk) return code;
  if (header->chunksSize) {
    if (!extraData_.Assign(data + header->chunksOffset, header->chunksSize)) {
      return kGllOutOfMemory;
    }
    extraSize_ = header->chunksSize;
  }
  SetOffset(header->offsetX, header->offsetY);
  return kGllOk;
}

std::int32_t ElgDecoder::Decode(const std::uint8_t* data, std::uint64_t size, PictureBlock* info,
                                PictureBlock* pixels, PictureProgressFn progress,
                                void* progressUser) {
  ProgressReport report(progress, progressUser);
  if (!data) return kGllMissingData;
  if ((info == nullptr) != (pixels == nullptr)) return kGllMissingCallback;
  if (!HasMagic(data, size)) return kGllNotThisFormat;
  Free();
  Header header;
  std::int32_t code = ReadHeader(data, size, &header);
  if (code == kGllOk) {
    if (!report.Begin(std::int32_t(header.height))) {
      code = kGllCancelled;
    } else {
      code = DecodeStreams(header, data + header.streamsOffset, data + size);
    }
  }
  if (code != kGllOk) {
    Free();
    return code;
  }
  HandOver(info, pixels);
  return kGllOk;
}

std::int32_t ElgDecoder::DecodeStreams(const Header& h, const std::uint8_t* streams,
                                       const std::uint8_t* end) {
  const std::uint64_t bytesPerPixel = h.depth / 8;
  const std::uint64_t rowBytes = std::uint64_t(h.width) * bytesPerPixel;
  const std::uint64_t pitch = RoundUp4(rowBytes);
  const std::uint64_t headerBytes = h.depth == 8 ? 40 + kPaletteBytes : 44;
  const std::uint64_t imageBytes = pitch * h.height;
  if (!StreamCanHold(std::uint64_t(h.width) * h.height, streams, end)) return kGllMissingData;
  if (imageBytes > 0xFFFFFFFFu) return kGllOutOfMemory;
  if (!info_.Allocate(headerBytes, true) || !pixels_.Allocate(imageBytes, false)) {
    return kGllOutOfMemory;
  }
  pitch_ = std::uint32_t(pitch);
  totalBytes_ = headerBytes + imageBytes;

  BitmapInfoHeader bih;
  bih.width = std::int32_t(h.width);
  bih.height = std::int32_t(h.height);
  bih.bitCount = std::uint16_t(h.depth);
  bih.imageSize = std::uint32_t(imageBytes);
  bih.colorsUsed = h.depth == 8 ? 256 : 0;
  bih.Write(info_.Data());

  // Row padding is never written by the streams; keep it clean.
  std::uint8_t* out = pixels_.Data();
  if (pitch != rowBytes) {
    for (std::uint64_t y = 0; y < h.height; ++y) {
      std::memset(out + y * pitch + rowBytes, 0, pitch - rowBytes);
    }
  }

  const std::uint8_t* s = streams;
  switch (h.depth) {
    case 8:
      s = ElgUnpack8(s, end, info_.Data() + 40, kPaletteBytes);
      s = ElgUnpack8Rows(s, end, out, h.width, h.height, pitch);
      break;
    case 24:
      s = ElgUnpack24Rows(s, end, out, h.width, h.height, pitch);
      break;
    default:
      s = ElgUnpack32Rows(s, end, out, h.width, h.height);
      s = ElgUnpackAlphaBottomUp(s, end, out, h.width, h.height);
      break;
  }
  return s ? kGllOk : kGllMissingData;
}

std::int32_t ElgDecoder::DecodeInto(const std::uint8_t* data, std::uint64_t size,
                                    PictureAllocateFn allocate, void* user, bool as8bit,
                                    PictureProgressFn progress, void* progressUser) {
  ProgressReport report(progress, progressUser);
  if (!data) return kGllMissingData;
  if (!allocate) return kGllMissingCallback;
  if (!HasMagic(data, size)) return kGllNotThisFormat;
  extraData_.Reset();
  extraSize_ = 0;
  Header header;
  std::int32_t code = ReadHeader(data, size, &header);
  const std::uint8_t* streams = data + header.streamsOffset;
  const std::uint8_t* end = data + size;
  if (code == kGllOk && !StreamCanHold(std::uint64_t(header.width) * header.height, streams, end)) {
    code = kGllMissingData;
  }
  if (code == kGllOk && !report.Begin(std::int32_t(header.height))) code = kGllCancelled;
  if (code == kGllOk) {
    const bool wantPalette = header.depth == 8 && as8bit;
    std::int32_t pitch = 0;
    std::uint8_t* palette = nullptr;
    std::uint8_t* buffer =
        allocate(std::int32_t(header.width), std::int32_t(header.height), as8bit ? 8 : 32,
                 header.depth == 32, &pitch, wantPalette ? &palette : nullptr, user);
    const std::uint64_t rowBytes = std::uint64_t(header.width) * (as8bit ? 1 : 4);
    if (!buffer || pitch < 0 || std::uint64_t(pitch) < rowBytes) {
      code = kGllOutOfMemory;
    } else {
      code = DecodeIntoBuffer(header, streams, end, buffer, std::uint64_t(pitch), palette, as8bit);
    }
  }
  if (code != kGllOk) {
    extraData_.Reset();
    extraSize_ = 0;
  }
  return code;
}

std::int32_t ElgDecoder::DecodeIntoBuffer(const Header& h, const std::uint8_t* streams,
                                          const std::uint8_t* end, std::uint8_t* buffer,
                                          std::uint64_t pitch, std::uint8_t* palette,
                                          bool as8bit) {
  std::uint8_t localPalette[kPaletteBytes];
  const std::uint8_t* s = streams;
  if (!as8bit) {
    switch (h.depth) {
      case 8:
        s = ElgUnpack8(s, end, localPalette, kPaletteBytes);
        if (s) s = ElgUnpackIndexed32(s, end, buffer, h.width, h.height, pitch, localPalette, 0);
        break;
      case 24:
        s = ElgUnpackRgb32(s, end, buffer, h.width, h.height, pitch);
        break;
      default:
        s = ElgUnpackRgb32(s, end, buffer, h.width, h.height, pitch);
        s = ElgUnpackAlpha(s, end, buffer, h.width, h.height, pitch);
        break;
    }
  } else if (h.depth == 8) {
    s = ElgUnpack8(s, end, palette ? palette : localPalette, kPaletteBytes);
    if (pitch == h.width) {
      s = ElgUnpack8(s, end, buffer, std::uint64_t(h.width) * h.height);
    } else {
      s = ElgUnpack8Strided(s, end, buffer, h.width, h.height, pitch);
    }
  } else if (pitch == h.width) {
    s = ElgUnpackGray(s, end, buffer, h.width, h.height);
  } else {
    s = ElgUnpackStrided(s, end, buffer, h.width, h.height, pitch);
  }
  return s ? kGllOk : kGllMissingData;
}

void ElgDecoder::Free() {
  PictureDecoder::Free();
  extraData_.Reset();
  extraSize_ = 0;
}

PictureBlock ElgDecoder::DetachExtraData(bool detach) {
  if (detach) {
    PictureBlock out = std::move(extraData_);
    extraData_.Reset();
    extraSize_ = 0;
    return out;
  }
  PictureBlock copy;
  if (!extraData_.Empty()) copy.Assign(extraData_.Data(), extraData_.Size());
  return copy;
}

}  // namespace orrivel
