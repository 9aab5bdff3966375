#include "platform/PixelLayout.h"

#include <bit>
#include <algorithm>
#include <cstdlib>

namespace orrivel::platform {

PixelLayout::PixelLayout(const SurfacePixelFormat& format, const uint32_t* palette)
    : palette_(palette) {
  const uint32_t masks[4] = {format.redMask, format.greenMask, format.blueMask, format.alphaMask};
  for (int i = 0; i < 4; ++i) {
    channels_[i].bits = uint8_t(std::popcount(masks[i]));
    channels_[i].shift = masks[i] ? uint8_t(std::countr_zero(masks[i])) : 0;
  }
  bytes_ = format.bitCount >= 8 && format.bitCount <= 32 ? format.bitCount / 8 : 4;
  argb32_ = format.bitCount == 32 && format.redMask == 0xFF0000 && format.greenMask == 0xFF00 &&
            format.blueMask == 0xFF && (format.alphaMask == 0 || format.alphaMask == 0xFF000000u);
}

namespace {

// The channel's top bits, as many as the mask holds.
uint32_t Narrow(uint32_t value8, uint8_t bits) { return bits >= 8 ? value8 : value8 >> (8 - bits); }

// A channel of `bits` bits widened to 8 by repeating its top bits, so that
// the largest value becomes 255.
uint32_t Widen(uint32_t value, uint8_t bits) {
  switch (bits) {
    case 8:
      return value & 0xFF;
    case 6:
      return (value << 2) | (value >> 4);
    case 5:
      return (value << 3) | (value >> 2);
    case 4:
      return value * 0x11;
    case 1:
      return value ? 0xFF : 0;
    case 0:
      return 0;
    default:
      break;
  }
  if (bits > 8) return value & 0xFF;
  uint32_t out = value << (8 - bits);
  for (int filled = bits; filled < 8; filled += bits) out |= out >> bits;
  return out & 0xFF;
}

}  // namespace

uint32_t PixelLayout::Pack(uint32_t argb) const {
  if (argb32_) return channels_[3].bits ? argb : argb & 0xFFFFFFu;
  if (bytes_ == 1) return NearestPaletteIndex(argb);
  const uint32_t parts[4] = {(argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, argb >> 24};
  uint32_t raw = 0;
  for (int i = 0; i < 4; ++i) {
    if (channels_[i].bits == 0) continue;
    raw |= Narrow(parts[i], channels_[i].bits) << channels_[i].shift;
  }
  return raw;
}

uint32_t PixelLayout::Unpack(uint32_t raw) const {
  if (argb32_) return channels_[3].bits ? raw : raw | 0xFF000000u;
  if (bytes_ == 1) return palette_ ? (palette_[raw & 0xFF] | 0xFF000000u) : (raw & 0xFF) * 0x010101u | 0xFF000000u;
  uint32_t parts[4];
  for (int i = 0; i < 4; ++i) {
    const Channel& c = channels_[i];
    const uint32_t v = c.bits ? (raw >> c.shift) & ((1u << c.bits) - 1) : 0;
    parts[i] = Widen(v, c.bits);
  }
  if (channels_[3].bits == 0) parts[3] = 0xFF;
  return parts[3] << 24 | parts[0] << 16 | parts[1] << 8 | parts[2];
}

void PixelLayout::UnpackRow(uint32_t* argb, const uint8_t* src, int32_t count) const {
  if (argb32_) {
    std::memcpy(argb, src, size_t(count) * 4);
    if (channels_[3].bits == 0) {
      for (int32_t i = 0; i < count; ++i) argb[i] |= 0xFF000000u;
    }
    return;
  }
  for (int32_t i = 0; i < count; ++i) argb[i] = Unpack(Load(src + size_t(i) * bytes_));
}

void PixelLayout::PackRow(uint8_t* dst, const uint32_t* argb, int32_t count) const {
  if (argb32_) {
    if (channels_[3].bits != 0) {
      std::memcpy(dst, argb, size_t(count) * 4);
    } else {
      for (int32_t i = 0; i < count; ++i) Store(dst + size_t(i) * 4, argb[i] & 0xFFFFFFu);
    }
    return;
  }
  if (bytes_ == 2) {
    // Each channel's top bits, moved from their place in the colour word
    // to their place in the pixel.
    static constexpr uint8_t kColorPosition[4] = {16, 8, 0, 24};
    uint32_t from[4], mask[4], to[4];
    for (int c = 0; c < 4; ++c) {
      const uint8_t bits = std::min<uint8_t>(channels_[c].bits, 8);
      from[c] = bits ? kColorPosition[c] + 8 - bits : 0;
      mask[c] = bits ? (1u << bits) - 1 : 0;
      to[c] = channels_[c].shift;
    }
    for (int32_t i = 0; i < count; ++i) {
      const uint32_t v = argb[i];
      const uint16_t raw = uint16_t(((v >> from[0]) & mask[0]) << to[0] | ((v >> from[1]) & mask[1]) << to[1] |
                                    ((v >> from[2]) & mask[2]) << to[2] | ((v >> from[3]) & mask[3]) << to[3]);
      std::memcpy(dst + size_t(i) * 2, &raw, 2);
    }
    return;
  }
  for (int32_t i = 0; i < count; ++i) Store(dst + size_t(i) * bytes_, Pack(argb[i]));
}

uint32_t PixelLayout::NearestPaletteIndex(uint32_t argb) const {
  if (palette_ == nullptr) return ((argb >> 16 & 0xFF) * 77 + (argb >> 8 & 0xFF) * 150 + (argb & 0xFF) * 29) >> 8;
  uint32_t best = 0;
  int bestDistance = 1 << 30;
  for (uint32_t i = 0; i < 256; ++i) {
    const uint32_t p = palette_[i];
    const int dr = int(p >> 16 & 0xFF) - int(argb >> 16 & 0xFF);
    const int dg = int(p >> 8 & 0xFF) - int(argb >> 8 & 0xFF);
    const int db = int(p & 0xFF) - int(argb & 0xFF);
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
      if (d == 0) break;
    }
  }
  return best;
}

}  // namespace orrivel::platform
