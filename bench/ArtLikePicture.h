#pragma once
// An 800 × 600 picture shaped like game art (gradients, flat areas,
// noise-like detail, a repeated part) and its ELG file: the picture the
// decoding benchmarks share, so their figures can be set side by side.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "elg/ElgWriter.h"
#include "resource/ElgDecoder.h"

namespace orrivel::bench {

constexpr std::uint16_t kArtWidth = 800;
constexpr std::uint16_t kArtHeight = 600;

// Top-down blue, green, red, alpha.
inline std::vector<std::uint8_t> MakeArtLikePixels() {
  std::vector<std::uint8_t> px(std::size_t(kArtWidth) * kArtHeight * 4);
  std::uint32_t seed = 7;
  for (std::uint32_t y = 0; y < kArtHeight; ++y) {
    for (std::uint32_t x = 0; x < kArtWidth; ++x) {
      std::uint8_t* p = &px[(std::size_t(y) * kArtWidth + x) * 4];
      seed = seed * 1664525u + 1013904223u;
      const bool flat = x < 200 || (y > 400 && x > 600);
      const bool detail = x > 500 && y < 300;
      const std::uint8_t grain = detail ? std::uint8_t(seed >> 26) : 0;
      p[0] = flat ? 40 : std::uint8_t(x / 4 + grain);
      p[1] = flat ? 80 : std::uint8_t(y / 3 + grain);
      p[2] = flat ? 120 : std::uint8_t(128 + 100 * std::sin(x * 0.02) + grain / 2);
      const double r = std::hypot(double(x) - 400, double(y) - 300);
      p[3] = r < 200 ? 255 : (r < 260 ? std::uint8_t(255 - (r - 200) * 4) : 0);
    }
  }
  // A repeated sprite-like block.
  for (std::uint32_t y = 320; y < 380; ++y) {
    std::memcpy(&px[(std::size_t(y) * kArtWidth + 300) * 4], &px[(std::size_t(y - 100) * kArtWidth + 520) * 4],
                60 * 4);
  }
  return px;
}

inline const std::vector<std::uint8_t>& ArtLikePixels() {
  static const std::vector<std::uint8_t> px = MakeArtLikePixels();
  return px;
}

inline const std::vector<std::uint8_t>& ArtLikeElg() {
  static const std::vector<std::uint8_t> file = [] {
    tools::ElgImage image;
    image.depth = 32;
    image.width = kArtWidth;
    image.height = kArtHeight;
    image.pixels = ArtLikePixels();
    return tools::EncodeElg(image, tools::ElgHeaderVariant::kDepthOnly);
  }();
  return file;
}

// Decodes the picture's ELG file once per iteration: the decoder's figure
// that other benchmarks set theirs beside.
inline void DecodeArtLikeElg(benchmark::State& state) {
  const auto& file = ArtLikeElg();
  ElgDecoder decoder;
  for (auto _ : state) {
    PictureBlock info, pixels;
    if (decoder.Decode(file.data(), file.size(), &info, &pixels, nullptr, nullptr) != 0) {
      state.SkipWithError("decode failed");
      break;
    }
    benchmark::DoNotOptimize(pixels.Data());
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kArtWidth} * kArtHeight * 4);
  state.counters["file_bytes"] = double(file.size());
}

}  // namespace orrivel::bench
