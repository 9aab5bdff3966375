// ELG decoding throughput (bytes of decoded output per second) on a picture
// shaped like game art (gradients, flat areas, noise-like detail, repeated
// parts), against libpng decoding the same picture and against a plain copy
// of the same number of output bytes, which bounds what any decoder can do.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "ArtLikePicture.h"
#include "PeerReport.h"
#include "resource/ElgDecoder.h"

#if ORRIVEL_BENCH_PNG
#include <png.h>
#endif

namespace {

using orrivel::bench::ArtLikeElg;
using orrivel::bench::ArtLikePixels;
using orrivel::bench::kArtHeight;
using orrivel::bench::kArtWidth;

constexpr std::uint16_t kWidth = kArtWidth;
constexpr std::uint16_t kHeight = kArtHeight;

const std::vector<std::uint8_t>& Pixels() { return ArtLikePixels(); }
const std::vector<std::uint8_t>& ElgFile() { return ArtLikeElg(); }

constexpr std::int64_t kOutputBytes = std::int64_t(kWidth) * kHeight * 4;

void BM_ElgDecode(benchmark::State& state) { orrivel::bench::DecodeArtLikeElg(state); }
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

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_ElgDecode", "BM_MemcpyOfTheOutput"},
                              {"BM_ElgDecodeIntoBuffer", "BM_MemcpyOfTheOutput"},
                              {"BM_ElgDecode", "BM_LibpngDecodeSamePicture"})
