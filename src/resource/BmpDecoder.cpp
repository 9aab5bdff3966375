#include "resource/BmpDecoder.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>

#include "resource/DibConversion.h"

namespace orrivel {
namespace {

constexpr std::uint64_t kFileHeaderBytes = 14;
constexpr std::uint64_t kHeadersBytes = kFileHeaderBytes + BitmapInfoHeader::kSize;  // 54
constexpr std::uint64_t kMaskBytes = 12;

std::uint16_t Get16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t Get32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}
void Put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v);
  p[1] = std::uint8_t(v >> 8);
  p[2] = std::uint8_t(v >> 16);
  p[3] = std::uint8_t(v >> 24);
}

std::uint64_t RoundUp4(std::uint64_t n) { return (n + 3) & ~std::uint64_t(3); }

bool HasMagic(const std::uint8_t* data, std::uint64_t size) {
  return size >= 2 && Get16(data) == 0x4D42;
}

// One bit-field channel: value = ((pixel & mask) >> shift) << (8 - bits).
// Masks are checked to hold 1 to 8 bits, so both shifts are in range.
struct Channel {
  std::uint32_t mask;
  int shift;
  int up;
  std::uint8_t From(std::uint32_t pixel) const {
    return std::uint8_t(((pixel & mask) >> shift) << up);
  }
};

Channel MakeChannel(std::uint32_t mask) {
  return Channel{mask, std::countr_zero(mask), 8 - std::popcount(mask)};
}

std::uint32_t ReadPixel(const std::uint8_t* p, std::uint32_t bytes) {
  switch (bytes) {
    case 2:
      return Get16(p);
    case 3:
      return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16;
    default:
      return Get32(p);
  }
}

// Run-length expansion shared by the 8- and 4-bit forms.
template <int Bits>
bool ExpandRle(std::uint8_t* destination, std::uint32_t width, std::uint32_t height,
               std::uint64_t pitch, const std::uint8_t* source, std::uint64_t size) {
  auto put = [&](std::uint32_t y, std::uint32_t x, std::uint8_t v) {
    std::uint8_t* row = destination + std::uint64_t(y) * pitch;
    if (Bits == 8) {
      row[x] = v;
    } else if (x & 1) {
      row[x / 2] = std::uint8_t((row[x / 2] & 0xF0) | v);
    } else {
      row[x / 2] = std::uint8_t((row[x / 2] & 0x0F) | v << 4);
    }
  };
  std::uint64_t at = 0;
  std::uint32_t x = 0;
  std::uint64_t y = 0;
  for (;;) {
    if (size - at < 2) return false;
    const std::uint32_t count = source[at];
    const std::uint8_t value = source[at + 1];
    at += 2;
    if (count != 0) {
      if (y >= height || count > width - x) return false;
      for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t v =
            Bits == 8 ? value : std::uint8_t(i % 2 ? value & 0x0F : value >> 4);
        put(std::uint32_t(y), x + i, v);
      }
      x += count;
      continue;
    }
    switch (value) {
      case 0:  // end of row
        x = 0;
        ++y;
        break;
      case 1:  // end of picture
        return true;
      case 2:  // position jump: not supported
        return false;
      default: {
        const std::uint32_t n = value;
        const std::uint64_t bytes = Bits == 8 ? n : (n + 1) / 2;
        if (size - at < bytes || y >= height || n > width - x) return false;
        for (std::uint32_t i = 0; i < n; ++i) {
          const std::uint8_t b = source[at + (Bits == 8 ? i : i / 2)];
          const std::uint8_t v = Bits == 8 ? b : std::uint8_t(i % 2 ? b & 0x0F : b >> 4);
          put(std::uint32_t(y), x + i, v);
        }
        x += n;
        const std::uint64_t padded = (bytes + 1) & ~std::uint64_t(1);
        at += padded <= size - at ? padded : bytes;
        break;
      }
    }
  }
}

}  // namespace

bool ExpandRle8(std::uint8_t* destination, std::uint32_t width, std::uint32_t height,
                std::uint64_t pitch, const std::uint8_t* source, std::uint64_t sourceSize) {
  return ExpandRle<8>(destination, width, height, pitch, source, sourceSize);
}

bool ExpandRle4(std::uint8_t* destination, std::uint32_t width, std::uint32_t height,
                std::uint64_t pitch, const std::uint8_t* source, std::uint64_t sourceSize) {
  return ExpandRle<4>(destination, width, height, pitch, source, sourceSize);
}

BmpDecoder::~BmpDecoder() = default;

bool BmpDecoder::IsSupported(const std::uint8_t* data, std::uint64_t size, const char*) {
  return data && HasMagic(data, size);
}

bool BmpDecoder::CanSave() const { return true; }

std::int32_t BmpDecoder::ReadLayout(const std::uint8_t* data, std::uint64_t size, Layout* out) {
  if (!HasMagic(data, size)) return kGllNotThisFormat;
  if (size < kFileHeaderBytes + 4 || Get32(data + kFileHeaderBytes) != BitmapInfoHeader::kSize) {
    return kGllNotThisFormat;
  }
  if (size < kHeadersBytes) return kGllMissingData;
  Layout l;
  l.header = BitmapInfoHeader::Read(data + kFileHeaderBytes);
  l.offBits = Get32(data + 10);
  const BitmapInfoHeader& h = l.header;
  if (h.width <= 0 || h.height == 0 || h.height == INT_MIN) return kGllMissingData;
  l.width = std::uint32_t(h.width);
  l.bottomUp = h.height > 0;
  l.height = std::uint32_t(h.height > 0 ? h.height : -h.height);
  const std::uint32_t bits = h.bitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    return kGllMissingData;
  }
  switch (h.compression) {
    case BitmapInfoHeader::kCompressionRgb:
      break;
    case BitmapInfoHeader::kCompressionRle8:
      if (bits != 8) return kGllMissingData;
      break;
    case BitmapInfoHeader::kCompressionRle4:
      if (bits != 4) return kGllMissingData;
      break;
    case BitmapInfoHeader::kCompressionBitFields:
      if (bits < 16) return kGllMissingData;
      l.bitFields = true;
      break;
    default:
      return kGllMissingData;
  }
  if (bits < 16) {
    const std::uint32_t full = 1u << bits;
    l.colorsInUse = h.colorsUsed ? h.colorsUsed : full;
    if (l.colorsInUse > full) return kGllMissingData;
    if (size - kHeadersBytes < std::uint64_t(l.colorsInUse) * 4) return kGllMissingData;
  }
  if (l.bitFields) {
    if (size - kHeadersBytes < kMaskBytes) return kGllMissingData;
    for (int i = 0; i < 3; ++i) {
      l.masks[i] = Get32(data + kHeadersBytes + 4 * i);
      const int width = std::popcount(l.masks[i]);
      if (width < 1 || width > 8) return kGllMissingData;
    }
  }
  const std::uint64_t storedRow = (std::uint64_t(l.width) * bits + 7) / 8;
  l.sourcePitch = RoundUp4(storedRow);
  l.rowBytes = l.bitFields ? std::uint64_t(l.width) * 3 : storedRow;
  l.pitch = RoundUp4(l.rowBytes);
  const std::uint64_t imageBytes = l.pitch * l.height;
  if (imageBytes > PictureBlock::kMaxPictureBlockBytes) return kGllOutOfMemory;
  if (l.offBits > size) return kGllMissingData;
  const bool runLength = h.compression == BitmapInfoHeader::kCompressionRle8 ||
                         h.compression == BitmapInfoHeader::kCompressionRle4;
  if (!runLength && size - l.offBits < l.sourcePitch * l.height) return kGllMissingData;
  *out = l;
  return kGllOk;
}

std::int32_t BmpDecoder::Decode(const std::uint8_t* data, std::uint64_t size, PictureBlock* info,
                                PictureBlock* pixels, PictureProgressFn progress,
                                void* progressUser) {
  ProgressReport report(progress, progressUser);
  if (!data) return kGllMissingData;
  if ((info == nullptr) != (pixels == nullptr)) return kGllMissingCallback;
  Layout layout;
  std::int32_t code = ReadLayout(data, size, &layout);
  if (code == kGllNotThisFormat) return code;
  Free();
  if (code == kGllOk && !report.Begin(layout.header.height)) code = kGllCancelled;
  if (code == kGllOk) code = DecodeChecked(data, size, layout);
  if (code != kGllOk) {
    Free();
    return code;
  }
  HandOver(info, pixels);
  return kGllOk;
}

std::int32_t BmpDecoder::DecodeChecked(const std::uint8_t* data, std::uint64_t size,
                                       const Layout& l) {
  const std::uint16_t bits = l.header.bitCount;
  const std::uint64_t headerBytes =
      bits < 16 ? BitmapInfoHeader::kSize + 4ull * l.colorsInUse : BitmapInfoHeader::kSize + 4;
  const std::uint64_t imageBytes = l.pitch * l.height;
  const std::uint32_t compression = l.header.compression;
  const bool runLength = compression == BitmapInfoHeader::kCompressionRle8 ||
                         compression == BitmapInfoHeader::kCompressionRle4;
  if (!info_.Allocate(headerBytes, true) || !pixels_.Allocate(imageBytes, runLength)) {
    return kGllOutOfMemory;
  }
  BitmapInfoHeader header = l.header;
  header.imageSize = std::uint32_t(imageBytes);
  if (bits < 16) {
    header.colorsUsed = l.colorsInUse;
    std::memcpy(info_.Data() + BitmapInfoHeader::kSize, data + kHeadersBytes,
                4ull * l.colorsInUse);
  }
  std::uint8_t* out = pixels_.Data();
  const std::uint8_t* stored = data + l.offBits;
  if (l.bitFields) {
    header.bitCount = 24;
    header.compression = BitmapInfoHeader::kCompressionRgb;
    const Channel red = MakeChannel(l.masks[0]);
    const Channel green = MakeChannel(l.masks[1]);
    const Channel blue = MakeChannel(l.masks[2]);
    const std::uint32_t step = bits / 8;
    for (std::uint32_t y = 0; y < l.height; ++y) {
      const std::uint8_t* s = stored + std::uint64_t(y) * l.sourcePitch;
      std::uint8_t* d = out + std::uint64_t(y) * l.pitch;
      for (std::uint32_t x = 0; x < l.width; ++x, s += step, d += 3) {
        const std::uint32_t p = ReadPixel(s, step);
        d[0] = blue.From(p);
        d[1] = green.From(p);
        d[2] = red.From(p);
      }
      std::memset(d, 0, l.pitch - l.rowBytes);
    }
  } else if (runLength) {
    header.compression = BitmapInfoHeader::kCompressionRgb;
    const bool ok = compression == BitmapInfoHeader::kCompressionRle8
                        ? ExpandRle8(out, l.width, l.height, l.pitch, stored, size - l.offBits)
                        : ExpandRle4(out, l.width, l.height, l.pitch, stored, size - l.offBits);
    if (!ok) return kGllBadArgument;
  } else {
    std::memcpy(out, stored, imageBytes);
  }
  header.Write(info_.Data());
  pitch_ = std::uint32_t(l.pitch);
  totalBytes_ = headerBytes + imageBytes;
  return kGllOk;
}

std::int32_t BmpDecoder::DecodeInto(const std::uint8_t* data, std::uint64_t size,
                                    PictureAllocateFn allocate, void* user, bool as8bit,
                                    PictureProgressFn progress, void* progressUser) {
  ProgressReport report(progress, progressUser);
  if (!data) return kGllMissingData;
  if (!allocate) return kGllMissingCallback;
  Layout l;
  std::int32_t code = ReadLayout(data, size, &l);
  if (code != kGllOk) return code;
  if (!report.Begin(std::int32_t(l.height))) return kGllCancelled;

  const std::uint16_t bits = l.header.bitCount;
  const bool wantPalette = bits < 16 && as8bit;
  std::int32_t pitch = 0;
  std::uint8_t* palette = nullptr;
  std::uint8_t* buffer =
      allocate(std::int32_t(l.width), std::int32_t(l.height), as8bit ? 8 : 32,
               bits == 32 && !l.bitFields, &pitch, wantPalette ? &palette : nullptr, user);
  const std::uint64_t rowBytes = std::uint64_t(l.width) * (as8bit ? 1 : 4);
  if (!buffer || pitch < 0 || std::uint64_t(pitch) < rowBytes) return kGllOutOfMemory;
  if (palette) {
    std::memset(palette, 0, 1024);
    std::memcpy(palette, data + kHeadersBytes, 4ull * l.colorsInUse);
  }

  const std::uint8_t* stored = data + l.offBits;
  if (l.bitFields) {
    const Channel red = MakeChannel(l.masks[0]);
    const Channel green = MakeChannel(l.masks[1]);
    const Channel blue = MakeChannel(l.masks[2]);
    const std::uint32_t step = bits / 8;
    for (std::uint32_t r = 0; r < l.height; ++r) {
      const std::uint8_t* s = stored + std::uint64_t(r) * l.sourcePitch;
      // Stored rows follow the file's height sign, as on every other path: a
      // top-down file is not turned upside down.
      const std::uint32_t y = l.bottomUp ? l.height - 1 - r : r;
      std::uint8_t* d = buffer + std::uint64_t(y) * std::uint64_t(pitch);
      for (std::uint32_t x = 0; x < l.width; ++x, s += step) {
        const std::uint32_t p = ReadPixel(s, step);
        const std::uint8_t b = blue.From(p), g = green.From(p), rr = red.From(p);
        if (as8bit) {
          d[x] = std::uint8_t((29u * b + 150u * g + 77u * rr) >> 8);
        } else {
          d[x * 4ull] = b;
          d[x * 4ull + 1] = g;
          d[x * 4ull + 2] = rr;
          d[x * 4ull + 3] = 0;
        }
      }
    }
    return kGllOk;
  }

  // The colour table as words: it sits 54 bytes into the file.
  std::uint32_t colors[256] = {};
  const std::uint32_t colorCount = std::min<std::uint32_t>(l.colorsInUse, 256);
  if (colorCount != 0) std::memcpy(colors, data + kHeadersBytes, 4ull * colorCount);
  BitmapInfoHeader header = l.header;
  header.width = std::int32_t(l.width);
  header.height = l.bottomUp ? std::int32_t(l.height) : -std::int32_t(l.height);
  header.compression = BitmapInfoHeader::kCompressionRgb;
  DibSource source;
  source.header = &header;
  source.colors = colors;
  source.colorCount = colorCount;
  PictureBlock expanded;
  const std::uint32_t compression = l.header.compression;
  if (compression == BitmapInfoHeader::kCompressionRle8 ||
      compression == BitmapInfoHeader::kCompressionRle4) {
    if (!expanded.Allocate(l.pitch * l.height, true)) return kGllOutOfMemory;
    const bool ok =
        compression == BitmapInfoHeader::kCompressionRle8
            ? ExpandRle8(expanded.Data(), l.width, l.height, l.pitch, stored, size - l.offBits)
            : ExpandRle4(expanded.Data(), l.width, l.height, l.pitch, stored, size - l.offBits);
    if (!ok) return kGllBadArgument;
    source.bits = expanded.Data();
    source.stride = std::int32_t(l.pitch);
    source.bitsSize = expanded.Size();
  } else {
    source.bits = stored;
    source.stride = std::int32_t(l.sourcePitch);
    source.bitsSize = size - l.offBits;
  }
  const bool converted = ConvertWholeDibForCaller(buffer, pitch, source, as8bit);
  return converted ? kGllOk : kGllConversionFailed;
}

std::int32_t BmpDecoder::Save(std::int32_t mode, const std::uint8_t* pixels, std::int32_t width,
                              std::int32_t height, std::int32_t bitCount, std::int32_t pitch,
                              PictureWriteFn write, void* writeUser, const std::uint8_t* palette,
                              PictureProgressFn progress, void* progressUser) {
  if (!pixels || bitCount < 8 || bitCount > 32 || bitCount == 16) return kGllMissingData;
  if (bitCount != 8 && bitCount != 24 && bitCount != 32) return kGllMissingData;
  if (!write) return kGllMissingCallback;
  if (mode != kSaveAsIs && bitCount != 32) return kGllBadArgument;
  if (mode != kSaveAsIs && mode != kSave32 && mode != kSaveAlphaMask) return kGllBadArgument;
  if (width <= 0 || height == 0 || height == INT_MIN) return kGllMissingData;
  const std::uint32_t rows = std::uint32_t(height > 0 ? height : -height);
  const std::uint32_t sourceBytes = std::uint32_t(bitCount / 8);
  const std::uint64_t sourceRowBytes = std::uint64_t(width) * sourceBytes;
  // The caller's rows must hold a whole picture row; a shorter pitch would
  // make the file read past them.
  if (pitch < 0 || std::uint64_t(pitch) < sourceRowBytes) return kGllMissingData;

  std::uint32_t fileBits = 24;
  if (mode == kSave32) {
    fileBits = 32;
  } else if (mode == kSaveAlphaMask || bitCount == 8) {
    fileBits = 8;
  }
  const std::uint32_t entries = fileBits == 8 ? 256 : 0;
  const std::uint64_t fileRow = RoundUp4(std::uint64_t(width) * (fileBits / 8));
  const std::uint64_t imageBytes = fileRow * rows;
  const std::uint64_t dataOffset = kHeadersBytes + 4ull * entries;
  if (dataOffset + imageBytes > 0xFFFFFFFFu) return kGllMissingData;
  PictureBlock row;
  if (!row.Allocate(fileRow, true)) return kGllOutOfMemory;

  if (progress && progress(0, std::int32_t(rows), progressUser) != 0) return kGllCancelled;

  std::uint8_t head[kHeadersBytes] = {};
  Put16(head, 0x4D42);
  Put32(head + 2, std::uint32_t(dataOffset + imageBytes));
  Put32(head + 10, std::uint32_t(dataOffset));
  BitmapInfoHeader info;
  info.width = width;
  info.height = std::int32_t(rows);
  info.bitCount = std::uint16_t(fileBits);
  info.imageSize = std::uint32_t(imageBytes);
  info.Write(head + kFileHeaderBytes);
  if (!write(head, sizeof head, writeUser)) return kGllBadArgument;
  if (entries) {
    std::uint8_t ramp[1024];
    if (!palette) {
      for (std::uint32_t i = 0; i < 256; ++i) Put32(ramp + i * 4, i * 0x010101u);
    }
    if (!write(palette ? palette : ramp, 1024, writeUser)) return kGllBadArgument;
  }

  const bool copyRows = fileBits == std::uint32_t(bitCount);
  for (std::uint32_t i = 0; i < rows; ++i) {
    // A non-negative height means the caller's rows run top-down, so the file
    // (bottom-up) starts with the caller's last row.
    const std::uint32_t sourceRow = height > 0 ? rows - 1 - i : i;
    const std::uint8_t* s = pixels + std::uint64_t(sourceRow) * std::uint64_t(pitch);
    std::uint8_t* d = row.Data();
    if (copyRows) {
      std::memcpy(d, s, sourceRowBytes);
    } else if (fileBits == 24) {
      for (std::int32_t x = 0; x < width; ++x, s += 4, d += 3) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
      }
    } else {
      for (std::int32_t x = 0; x < width; ++x) d[x] = s[x * 4ull + 3];
    }
    if (!write(row.Data(), fileRow, writeUser)) return kGllBadArgument;
    if (progress && progress(std::int32_t(i), std::int32_t(rows), progressUser) != 0) {
      return kGllCancelled;
    }
  }
  if (progress) progress(std::int32_t(rows), std::int32_t(rows), progressUser);
  return kGllOk;
}

}  // namespace orrivel
