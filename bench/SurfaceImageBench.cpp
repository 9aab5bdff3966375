// Surface images and the canvas draw object against their peers on the same
// pixels: an 800 x 600 ELG decoded straight into a surface against memcpy of
// the decoded size; a 32-bit memory image converted into R5G6B5 and 24-bit
// surfaces against SDL_ConvertPixels; a 600 x 24 changed band presented from
// 32 bits into R5G6B5, and a whole 800 x 600 present 32 -> 32 against memcpy.
// Rates are pixels per second (items processed).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "display/DisplayScreenDevice.h"
#include "display/SurfaceImage.h"
#include "elg/ElgWriter.h"
#include "platform/DisplayMachine.h"
#include "raster/PixelFormat.h"
#include "raster/Surface.h"
#include "resource/ImageLoaderManager.h"
#include "scene/CanvasDrawObject.h"

namespace {

using namespace orrivel;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kPixels = kWidth * kHeight;

// A display device on the fake machine at 32 bits, with the built-in loaders.
struct Rig {
  Rig() : scoped(Machine()) {
    DisplayDevice::ResetProcessState();
    device.Create(0, 0, nullptr, nullptr, 0, 0, 0, 0, 0, 1, 0);
    SurfaceImage::SetScreenDevice(&device);
    loader.RegisterBuiltInDecoders();
    loader.SetCacheLimit(0);
    Surface::SetLoaderManager(&loader);
  }
  ~Rig() {
    Surface::SetLoaderManager(nullptr);
    SurfaceImage::SetScreenDevice(nullptr);
  }
  static platform::DisplayMachine Machine() {
    platform::DisplayMachine m = platform::FakeSingleDisplayMachine(true);
    m.drivers[0].surfaceBudget = -1;
    return m;
  }
  platform::ScopedDisplayMachine scoped;
  DisplayScreenDevice device;
  ImageLoaderManager loader;
};

// A photo-like picture: smooth gradients with noise, as the ELG writer meets them.
std::vector<uint8_t> PictureElg() {
  tools::ElgImage image;
  image.depth = 24;
  image.width = kWidth;
  image.height = kHeight;
  std::mt19937 rng(7);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      image.pixels.insert(image.pixels.end(), {uint8_t(x / 4 + (rng() & 3)), uint8_t(y / 3),
                                               uint8_t((x + y) / 6)});
  return tools::EncodeElg(image, tools::ElgHeaderVariant::kDepthOnly);
}

void FillRandom(DibImage& image) {
  std::mt19937 rng(42);
  for (int y = 0; y < image.GetHeight(); ++y) {
    auto* row = reinterpret_cast<uint32_t*>(image.GetScanLine(y));
    for (int x = 0; x < image.GetWidth(); ++x) row[x] = rng() | 0xFF000000u;
  }
}

void BM_ElgDirectIntoSurface_Ours(benchmark::State& state) {
  Rig rig;
  const std::vector<uint8_t> bytes = PictureElg();
  SurfaceImage image;
  for (auto _ : state) {
    if (image.LoadFile(nullptr, bytes.data(), bytes.size(), 0) != 0) state.SkipWithError("load");
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_ElgDirectIntoSurface_Ours);

// The peer of the decode and of the whole present: the 800 x 600 32-bit
// picture moved by memcpy.
void CopyWholePictureByMemcpy(benchmark::State& state) {
  std::vector<uint32_t> src(kPixels, 0x123456), dst(kPixels);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), kPixels * 4);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}

void BM_ElgDirectIntoSurface_PeerMemcpy(benchmark::State& state) { CopyWholePictureByMemcpy(state); }
BENCHMARK(BM_ElgDirectIntoSurface_PeerMemcpy);

// Ours: CopyToImage from a 32-bit memory image; arg 0 = R5G6B5, 1 = 24 bits.
void BM_ConvertToSurface_Ours(benchmark::State& state) {
  Rig rig;
  DibImage source;
  source.Create(kWidth, kHeight, 32, false);
  FillRandom(source);
  const auto format = platform::DescribeSurfaceFormat(state.range(0) == 0 ? platform::SurfaceFormat::R5G6B5
                                                                         : platform::SurfaceFormat::R8G8B8);
  SurfaceImage image;
  image.CreateBlank(kWidth, kHeight, 1, 0, &format);
  for (auto _ : state) {
    if (image.CopyToImage(&source, 0, 0, nullptr, nullptr) != 0) state.SkipWithError("copy");
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_ConvertToSurface_Ours)->Arg(0)->Arg(1);

void BM_ConvertToSurface_PeerSdlConvertPixels(benchmark::State& state) {
  std::vector<uint32_t> src(kPixels);
  std::mt19937 rng(42);
  for (uint32_t& p : src) p = rng() | 0xFF000000u;
  const bool to565 = state.range(0) == 0;
  const int pitch = to565 ? kWidth * 2 : kWidth * 3;
  std::vector<uint8_t> dst(size_t(pitch) * kHeight);
  for (auto _ : state) {
    SDL_ConvertPixels(kWidth, kHeight, SDL_PIXELFORMAT_ARGB8888, src.data(), kWidth * 4,
                      to565 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB24, dst.data(), pitch);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_ConvertToSurface_PeerSdlConvertPixels)->Arg(0)->Arg(1);

// A text line's band changes each frame and only it goes to the screen.
void BM_PresentDirtyBand565_Ours(benchmark::State& state) {
  CanvasDrawObject object;
  object.Load(kWidth, kHeight, 32, 0);
  platform::SoftSurface target;
  target.Create(kWidth, kHeight, platform::SurfaceFormat::R5G6B5);
  const Rect band{100, 500, 700, 524};
  uint8_t shade = 0;
  for (auto _ : state) {
    object.GetSurface()->FillRgb(shade, shade, shade, &band);
    ++shade;
    if (object.Present(nullptr, nullptr, &target, kPixelFormatR5G6B5, 1) != 0) state.SkipWithError("present");
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 600 * 24);
}
BENCHMARK(BM_PresentDirtyBand565_Ours);

void BM_PresentWhole32_Ours(benchmark::State& state) {
  CanvasDrawObject object;
  object.Load(kWidth, kHeight, 32, 0);
  FillRandom(*object.GetSurface());
  platform::SoftSurface target;
  target.Create(kWidth, kHeight, platform::SurfaceFormat::X8R8G8B8);
  for (auto _ : state) {
    if (object.Present(nullptr, nullptr, &target, kPixelFormatX8R8G8B8, 0) != 0) state.SkipWithError("present");
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_PresentWhole32_Ours);

void BM_PresentWhole32_PeerMemcpy(benchmark::State& state) { CopyWholePictureByMemcpy(state); }
BENCHMARK(BM_PresentWhole32_PeerMemcpy);

}  // namespace
