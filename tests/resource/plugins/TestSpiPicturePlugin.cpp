// A Susie-style picture plug-in for the tests. Its pictures are "SPIC", a
// width byte, a height byte and 24-bit rows top-down; it hands back the
// bitmap header and bottom-up rows padded to four bytes in blocks of the
// shared block functions.
#include <cstdint>
#include <cstring>

#include "resource/plugin/SusieApi.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

using namespace orrivel;

namespace {

[[maybe_unused]] void Put32(std::uint8_t* at, std::uint32_t value) { std::memcpy(at, &value, 4); }
[[maybe_unused]] void Put16(std::uint8_t* at, std::uint16_t value) { std::memcpy(at, &value, 2); }

std::int32_t Answer(char* buffer, std::int32_t length, const char* text, std::size_t size) {
  const std::size_t n = size < std::size_t(length) ? size : std::size_t(length);
  std::memcpy(buffer, text, n);
  return std::int32_t(n);
}

}  // namespace

EXPORT std::int32_t GetPluginInfo(std::int32_t number, char* buffer, std::int32_t length) {
  switch (number) {
#ifdef TEST_BAD_KIND
    case 0: return Answer(buffer, length, "00XX", 5);
#else
    case 0: return Answer(buffer, length, "00IN", 5);
#endif
    case 2: return Answer(buffer, length, "*.spc;*.Sp2", 12);
    case 3: return Answer(buffer, length, "Test Susie pictures", 20);
    default: return 0;
  }
}

// Also checks that the head it is shown is the whole 2048 bytes.
EXPORT std::int32_t IsSupported(const char*, const void* head) {
  const auto* bytes = static_cast<const std::uint8_t*>(head);
  return std::memcmp(bytes, "SPIC", 4) == 0 && bytes[kSusieHeadBytes - 1] == 0 ? 1 : 0;
}

#ifndef TEST_NO_GET_PICTURE
EXPORT std::int32_t GetPicture(const void* data, std::int64_t size, std::uint32_t flag, SusieHandle* info,
                               SusieHandle* bits, SusieProgressFunc progress, std::intptr_t context) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  if (flag != kSusieFromMemory || size < 6 || std::memcmp(bytes, "SPIC", 4) != 0) return 2;
  const std::uint32_t width = bytes[4];
  const std::uint32_t height = bytes[5];
  const std::uint32_t rowIn = width * 3;
  const std::uint32_t rowOut = (rowIn + 3) & ~3u;
  if (std::uint64_t(size) < 6 + std::uint64_t(rowIn) * height) return 2;
  if (progress && progress(0, std::int32_t(height), context) != 0) return 1;
  *info = SusieAllocBlock(40);
  // A picture 1 pixel wide and 3 high claims more rows than it hands back.
  const bool shortBits = width == 1 && height == 3;
  *bits = SusieAllocBlock(shortBits ? rowOut : std::uint64_t(rowOut) * height);
  std::uint8_t* header = SusieBlockData(*info);
  Put32(header, 40);
  Put32(header + 4, width);
  Put32(header + 8, height);
  Put16(header + 12, 1);
  Put16(header + 14, 24);
  if (!shortBits) {
    for (std::uint32_t y = 0; y < height; ++y) {
      std::memcpy(SusieBlockData(*bits) + (height - 1 - y) * rowOut, bytes + 6 + y * rowIn, rowIn);
    }
  }
  if (progress) progress(std::int32_t(height), std::int32_t(height), context);
  return 0;
}
#endif
