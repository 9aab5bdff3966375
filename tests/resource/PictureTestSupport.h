#pragma once
// Shared pieces of the picture tests: a caller buffer that the decoders fill
// through `allocate` (with sentinel bytes in the row padding), a recorder of
// progress calls, and the pattern pictures whose encodings use every ELG
// command form.
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace orrivel::testing {

class TestCanvas {
 public:
  static constexpr std::uint8_t kSentinel = 0xCD;

  // Extra bytes at the end of each row; -1 asks for a pitch below the row.
  explicit TestCanvas(std::int32_t padding = 0) : padding_(padding) {}

  static std::uint8_t* Allocate(std::int32_t width, std::int32_t height, std::int32_t bitCount,
                                bool hasAlpha, std::int32_t* pitch, std::uint8_t** palette,
                                void* user) {
    auto* c = static_cast<TestCanvas*>(user);
    ++c->allocations;
    c->width = width;
    c->height = height;
    c->bitCount = bitCount;
    c->hasAlpha = hasAlpha;
    c->paletteAsked = palette != nullptr;
    if (c->refuse) return nullptr;
    c->pitch = width * (bitCount / 8) + c->padding_;
    *pitch = c->pitch;
    if (palette) *palette = c->palette.data();
    c->pixels.assign(std::size_t(c->pitch > 0 ? c->pitch : 0) * std::size_t(height) + 1,
                     kSentinel);
    return c->pixels.data();
  }
  static void Release(void* user) { ++static_cast<TestCanvas*>(user)->releases; }

  const std::uint8_t* Row(std::int32_t y) const { return pixels.data() + std::size_t(y) * pitch; }
  // True when no byte past the rows' pixels was written.
  bool PaddingUntouched() const {
    const std::size_t rowBytes = std::size_t(width) * (bitCount / 8);
    for (std::int32_t y = 0; y < height; ++y) {
      for (std::size_t x = rowBytes; x < std::size_t(pitch); ++x) {
        if (Row(y)[x] != kSentinel) return false;
      }
    }
    return pixels.back() == kSentinel;
  }

  bool refuse = false;
  int allocations = 0;
  int releases = 0;
  std::int32_t width = 0, height = 0, bitCount = 0, pitch = 0;
  bool hasAlpha = false;
  bool paletteAsked = false;
  std::vector<std::uint8_t> pixels;
  std::vector<std::uint8_t> palette = std::vector<std::uint8_t>(1024, kSentinel);

 private:
  std::int32_t padding_;
};

struct ProgressLog {
  std::vector<std::pair<std::int32_t, std::int32_t>> calls;
  std::int32_t cancelAt = -1;  // answer non-zero on this call number
  static std::int32_t Record(std::int32_t current, std::int32_t total, void* user) {
    auto* log = static_cast<ProgressLog*>(user);
    log->calls.emplace_back(current, total);
    return std::int32_t(log->calls.size() - 1) == log->cancelAt ? 1 : 0;
  }
};

// Deterministic bytes.
class Lcg {
 public:
  explicit Lcg(std::uint32_t seed) : s_(seed) {}
  std::uint8_t Next() {
    s_ = s_ * 1664525u + 1013904223u;
    return std::uint8_t(s_ >> 24);
  }

 private:
  std::uint32_t s_;
};

// A 3-byte-pixel picture of noise with planted features, each of which the
// encoder can only express well with one particular pixel command form:
// fills, short and long literals, back copies at every distance range and
// copies from rows above (near and far, straight and diagonal).
inline std::vector<std::uint8_t> PlantedPixels(std::uint32_t width, std::uint32_t height) {
  std::vector<std::uint8_t> p(std::size_t(width) * height * 3);
  Lcg rng(12345);
  for (auto& b : p) b = rng.Next();
  auto at = [&](std::size_t row, std::size_t col) { return row * width + col; };
  const std::size_t count = std::size_t(width) * height;
  // Features that do not fit a small picture are left out.
  auto copy = [&](std::size_t to, std::size_t from, std::size_t n) {
    if (to + n > count || from >= to) return;
    for (std::size_t k = 0; k < n; ++k) std::memcpy(&p[(to + k) * 3], &p[(from + k) * 3], 3);
  };
  auto fill = [&](std::size_t to, std::size_t n) {
    if (to + n > count) return;
    for (std::size_t k = 1; k < n; ++k) std::memcpy(&p[(to + k) * 3], &p[to * 3], 3);
  };
  fill(at(2, 10), 10);                   // fill
  fill(at(3, 0), 100);                   // long fill
  copy(at(5, 50), at(5, 50) - 50, 5);    // short back copy
  copy(at(6, 20), at(6, 20) - 1000, 40); // long back copy
  copy(at(8, 100), at(8, 100) - 5, 1);   // one pixel, near
  copy(at(8, 200), at(8, 200) - 100, 1); // one pixel
  copy(at(9, 150), at(9, 150) - 2500, 1);  // one pixel, far
  copy(at(10, 30), at(7, 30), 1);        // rows above
  copy(at(10, 60), at(7, 59), 1);        // rows above, left
  copy(at(10, 90), at(7, 91), 1);        // rows above, right
  copy(at(30, 0), at(16, 0), std::size_t(width) * 2);  // far copy of two rows
  copy(at(40, 30), at(20, 30), 1);       // far rows above
  copy(at(40, 60), at(20, 59), 1);       // far rows above, left
  copy(at(40, 90), at(20, 91), 1);       // far rows above, right
  return p;
}

// A byte plane of noise with planted features for every byte command form.
inline std::vector<std::uint8_t> PlantedBytes(std::size_t count) {
  std::vector<std::uint8_t> b(count);
  Lcg rng(777);
  for (auto& v : b) v = rng.Next();
  // Features that do not fit a small plane are left out.
  auto copy = [&](std::size_t to, std::size_t from, std::size_t n) {
    if (to + n + 1 > count) return;
    for (std::size_t k = 0; k < n; ++k) b[to + k] = b[from + k];
    b[to + n] = std::uint8_t(b[from + n] ^ 0x55);  // the match ends here
  };
  for (std::size_t k = 100; k < 110 && k < count; ++k) b[k] = 7;  // fill
  for (std::size_t k = 130; k < 135 && k < count; ++k) b[k] = 3;  // after a short literal
  for (std::size_t k = 200; k < 300 && k < count; ++k) b[k] = 9;  // long fill
  copy(500, 400, 10);    // short copy
  copy(510, 505, 1);     // one byte, right after a command
  copy(600, 590, 2);     // two bytes
  copy(1000, 0, 100);    // long copy
  copy(2000, 1000, 3);   // three bytes far
  copy(2100, 1100, 4);   // four bytes far
  return b;
}

}  // namespace orrivel::testing
