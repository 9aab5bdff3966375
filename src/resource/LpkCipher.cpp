#include "resource/LpkCipher.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include <string>

#include "base/Cp932.h"
#include "resource/LpkConstants.h"
#include "resource/Paths.h"

namespace orrivel::lpk {

bool MakeNameKey(std::string_view archivePath, NameKey* key) {
  std::string stem = SplitPathName(archivePath, false);
  RemoveFileExtension(stem, nullptr);
  if (stem.empty()) return false;
  cp932::ToUpperAscii(stem.data(), stem.size());
  uint32_t first = kNameSeed1;
  uint32_t second = kNameSeed2;
  const size_t n = stem.size();
  for (size_t i = 0; i < n; ++i) {
    first ^= uint8_t(stem[n - 1 - i]);
    first = std::rotr(first, 7);
    second ^= uint8_t(stem[i]);
    second = std::rotl(second, 7);
  }
  key->first = first;
  key->second = second;
  return true;
}

uint32_t ReadLe32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t ReadLe16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

void WriteLe32(uint8_t* p, uint32_t value) {
  p[0] = uint8_t(value);
  p[1] = uint8_t(value >> 8);
  p[2] = uint8_t(value >> 16);
  p[3] = uint8_t(value >> 24);
}

void ScrambleDirectory(uint8_t* data, size_t size, uint32_t headerKey) {
  uint32_t key = headerKey;
  uint32_t counter = kRotationSeed;
  for (size_t i = 0; i + 4 <= size; i += 4) {
    counter = std::rotl(counter, 4);
    WriteLe32(data + i, ReadLe32(data + i) ^ key);
    key = std::rotr(key, int(counter & 31));
  }
}

void ScrambleHeadWords(uint8_t* data, size_t wordCount, uint32_t memberKey) {
  uint32_t key = memberKey;
  uint32_t counter = kRotationSeed;
  for (size_t i = 0; i < wordCount; ++i) {
    counter = std::rotr(counter, 4);
    WriteLe32(data + 4 * i, ReadLe32(data + 4 * i) ^ key);
    key = std::rotl(key, int(counter & 31));
  }
}

uint8_t UnscrambleByte(uint8_t b) {
  return uint8_t((((b & 0x0F) ^ kByteC1) << 4) | ((b >> 4) ^ kByteC2));
}

uint8_t ScrambleByte(uint8_t p) {
  return uint8_t((((p & 0x0F) ^ kByteC2) << 4) | ((p >> 4) ^ kByteC1));
}

void UnscrambleBytesByTable(uint8_t* data, size_t size) {
  static const auto table = [] {
    std::array<uint8_t, 256> t{};
    for (int b = 0; b < 256; ++b) t[size_t(b)] = UnscrambleByte(uint8_t(b));
    return t;
  }();
  for (size_t i = 0; i < size; ++i) data[i] = table[data[i]];
}

namespace {

// The byte unscramble is a nibble swap followed by a XOR with a fixed byte,
// so it is a few whole-word operations on many bytes at once; a table
// lookup per byte cannot be widened. Members are unscrambled right after
// they are read, while they are still in the cache, so the vector forms keep
// that close to the speed of the read itself.
constexpr uint8_t kUnscrambleXor = uint8_t(kByteC1 << 4 | kByteC2);

// Each form reads from `in` and writes to `out`, which is either the same
// run or one that does not overlap it.
size_t UnscrambleWords(uint8_t* out, const uint8_t* in, size_t size) {
  constexpr uint64_t kLowNibbles = 0x0F0F0F0F0F0F0F0Full;
  constexpr uint64_t kXor = 0x0101010101010101ull * kUnscrambleXor;
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t word;
    std::memcpy(&word, in + i, 8);
    word = (((word & kLowNibbles) << 4) | ((word >> 4) & kLowNibbles)) ^ kXor;
    std::memcpy(out + i, &word, 8);
  }
  return i;
}

#if defined(__GNUC__) && defined(__x86_64__)
// One form for every vector width: the compiler's vector types shift each
// byte on its own, as the word form above does by masking.
template <size_t kBytes>
[[gnu::always_inline]] inline size_t UnscrambleVectorsOf(uint8_t* out, const uint8_t* in, size_t size) {
  typedef uint8_t Bytes __attribute__((vector_size(kBytes)));
  size_t i = 0;
  for (; i + kBytes <= size; i += kBytes) {
    Bytes v;
    std::memcpy(&v, in + i, kBytes);
    v = ((v << 4) | (v >> 4)) ^ kUnscrambleXor;
    std::memcpy(out + i, &v, kBytes);
  }
  return i;
}

#define ORRIVEL_LPK_WIDE 1
size_t UnscrambleVectors(uint8_t* out, const uint8_t* in, size_t size) {
  return UnscrambleVectorsOf<16>(out, in, size);
}
__attribute__((target("avx2"))) size_t UnscrambleWideVectors(uint8_t* out, const uint8_t* in, size_t size) {
  return UnscrambleVectorsOf<32>(out, in, size);
}

__attribute__((target("avx512bw"))) size_t UnscrambleWidestVectors(uint8_t* out, const uint8_t* in,
                                                                    size_t size) {
  return UnscrambleVectorsOf<64>(out, in, size);
}
#else
#define ORRIVEL_LPK_WIDE 0
#endif

size_t WidestUnscrambleWidth() {
#if ORRIVEL_LPK_WIDE
  static const size_t widest = __builtin_cpu_supports("avx512bw") ? 64
                               : __builtin_cpu_supports("avx2")   ? 32
                                                                  : 16;
  return widest;
#else
  return 8;
#endif
}

}  // namespace

std::vector<size_t> UnscrambleWidths() {
  std::vector<size_t> widths;
  for (size_t width = WidestUnscrambleWidth(); width >= 8; width /= 2) widths.push_back(width);
  return widths;
}

void UnscrambleBytesIntoAtWidth(size_t width, uint8_t* out, const uint8_t* in, size_t size) {
  width = width < WidestUnscrambleWidth() ? width : WidestUnscrambleWidth();
  size_t done = 0;
#if ORRIVEL_LPK_WIDE
  // A vector stored across two cache lines costs two, and the member's
  // memory can start anywhere: single bytes up to the first whole vector of
  // `out` (in place, the reads line up with it too).
  if (width >= 16) {
    const size_t misaligned = reinterpret_cast<uintptr_t>(out) & (width - 1);
    const size_t lead = misaligned == 0 ? 0 : std::min(size, width - misaligned);
    for (; done < lead; ++done) out[done] = UnscrambleByte(in[done]);
  }
  if (width >= 64) {
    done += UnscrambleWidestVectors(out + done, in + done, size - done);
  } else if (width >= 32) {
    done += UnscrambleWideVectors(out + done, in + done, size - done);
  }
  if (width >= 16) done += UnscrambleVectors(out + done, in + done, size - done);
#endif
  if (width >= 8) done += UnscrambleWords(out + done, in + done, size - done);
  for (; done < size; ++done) out[done] = UnscrambleByte(in[done]);
}

void UnscrambleBytesAtWidth(size_t width, uint8_t* data, size_t size) {
  UnscrambleBytesIntoAtWidth(width, data, data, size);
}

void UnscrambleBytes(uint8_t* data, size_t size) { UnscrambleBytesAtWidth(WidestUnscrambleWidth(), data, size); }

void UnscrambleBytesInto(uint8_t* out, const uint8_t* in, size_t size) {
  UnscrambleBytesIntoAtWidth(WidestUnscrambleWidth(), out, in, size);
}

}  // namespace orrivel::lpk
