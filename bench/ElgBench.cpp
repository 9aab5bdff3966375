// ELG decoding throughput (bytes of decoded output per second) on a picture
// shaped like game art (gradients, flat areas, noise-like detail, repeated
// parts), against libpng decoding the same picture and against a plain copy
// of the same number of output bytes, which bounds what any decoder can do.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "elg/ElgWriter.h"
#include "resource/ElgDecoder.h"

#if ORRIVEL_BENCH_PNG
#include <png.h>
#endif

namespace {

constexpr std::uint16_t kWidth = 800;
constexpr std::uint16_t kHeight = 600;

// Top-down blue, green, red, alpha.
std::vector<std::uint8_t> ArtLikePixels() {
  std::vector<std::uint8_t> px(std::size_t(kWidth) * kHeight * 4);
  std::uint32_t seed = 7;
  for (std::uint32_t y = 0; y < kHeight; ++y) {
    for (std::uint32_t x = 0; x < kWidth; ++x) {
      std::uint8_t* p = &px[(std::size_t(y) * kWidth + x) * 4];
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
    std::memcpy(&px[(std::size_t(y) * kWidth + 300) * 4], &px[(std::size_t(y - 100) * kWidth + 520) * 4], 60 * 4);
  }
  return px;
}

const std::vector<std::uint8_t>& Pixels() {
  static const std::vector<std::uint8_t> px = ArtLikePixels();
  return px;
}

const std::vector<std::uint8_t>& ElgFile() {
  static const std::vector<std::uint8_t> file = [] {
    orrivel::tools::ElgImage image;
    image.depth = 32;
    image.width = kWidth;
    image.height = kHeight;
    image.pixels = Pixels();
    return orrivel::tools::EncodeElg(image, orrivel::tools::ElgHeaderVariant::kDepthOnly);
  }();
  return file;
}

constexpr std::int64_t kOutputBytes = std::int64_t(kWidth) * kHeight * 4;

void BM_ElgDecode(benchmark::State& state) {
  const auto& file = ElgFile();
  orrivel::ElgDecoder decoder;
  for (auto _ : state) {
    orrivel::PictureBlock info, pixels;
    if (decoder.Decode(file.data(), file.size(), &info, &pixels, nullptr, nullptr) != 0) {
      state.SkipWithError("decode failed");
      break;
    }
    benchmark::DoNotOptimize(pixels.Data());
  }
  state.SetBytesProcessed(state.iterations() * kOutputBytes);
  state.counters["file_bytes"] = double(file.size());
}
BENCHMARK(BM_ElgDecode)->Unit(benchmark::kMillisecond);

std::vector<std::uint8_t> g_buffer(kOutputBytes);

std::uint8_t* IntoBuffer(std::int32_t, std::int32_t, std::int32_t, bool, std::int32_t* pitch,
                         std::uint8_t**, void*) {
  *pitch = kWidth * 4;
  return g_buffer.data();
}

void BM_ElgDecodeIntoBuffer(benchmark::State& state) {
  const auto& file = ElgFile();
  orrivel::ElgDecoder decoder;
  for (auto _ : state) {
    if (decoder.DecodeInto(file.data(), file.size(), &IntoBuffer, nullptr, false, nullptr, nullptr) != 0) {
      state.SkipWithError("decode failed");
      break;
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kOutputBytes);
}
BENCHMARK(BM_ElgDecodeIntoBuffer)->Unit(benchmark::kMillisecond);

void BM_MemcpyOfTheOutput(benchmark::State& state) {
  const auto& px = Pixels();
  std::vector<std::uint8_t> out(px.size());
  for (auto _ : state) {
    std::memcpy(out.data(), px.data(), px.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kOutputBytes);
}
BENCHMARK(BM_MemcpyOfTheOutput)->Unit(benchmark::kMillisecond);

#if ORRIVEL_BENCH_PNG
const std::vector<std::uint8_t>& PngFile() {
  static const std::vector<std::uint8_t> file = [] {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = kWidth;
    image.height = kHeight;
    image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, Pixels().data(), 0, nullptr);
    std::vector<std::uint8_t> out(size);
    png_image_write_to_memory(&image, out.data(), &size, 0, Pixels().data(), 0, nullptr);
    out.resize(size);
    return out;
  }();
  return file;
}

void BM_LibpngDecodeSamePicture(benchmark::State& state) {
  const auto& file = PngFile();
  std::vector<std::uint8_t> out(kOutputBytes);
  for (auto _ : state) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
      state.SkipWithError("png read failed");
      break;
    }
    image.format = PNG_FORMAT_BGRA;
    png_image_finish_read(&image, nullptr, out.data(), 0, nullptr);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kOutputBytes);
  state.counters["file_bytes"] = double(file.size());
}
BENCHMARK(BM_LibpngDecodeSamePicture)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
