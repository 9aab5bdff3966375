// Pictures reaching textures: a composed 1024 x 1024 picture uploaded
// whole into an R5G6B5 texture (with conversion) against SDL_ConvertPixels
// of the same pixels, and a canvas texture brought up to date when only a
// 800 x 24 band changed against uploading its whole 800 x 600 picture.
// Upload rates are pixels per second; the band and whole updates are
// frames per second, so the ratio says how much the band saves.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "PeerReport.h"
#include "display/DisplayScreenDevice.h"
#include "display/SurfaceImage.h"
#include "platform/DisplayMachine.h"
#include "raster/PixelFormat.h"
#include "raster/Surface.h"
#include "scene/DecodedCanvasObjectB.h"

namespace {

using namespace orrivel;

// A screen device with a Direct3D device on the fake machine at 32 bits.
struct Rig {
  Rig() : scoped(Machine()) {
    DisplayDevice::ResetProcessState();
    device.Create(0, 1, nullptr, nullptr, 0, 0, 0, 0, 0, 1, 0);
    SurfaceImage::SetScreenDevice(&device);
    platform::SurfaceRequest request;
    request.caps = platform::kSurfaceOffscreen | platform::kSurface3dDevice;
    request.width = 64;
    request.height = 64;
    request.hasFormat = true;
    request.format = platform::DescribeSurfaceFormat(platform::SurfaceFormat::X8R8G8B8);
    device.DirectDraw()->CreateSurface(request, &back);
    const Rect rect{0, 0, 64, 64};
    device.D3DDevice::CreateDevice(back.get(), &rect, 0);
  }
  ~Rig() {
    SurfaceImage::SetScreenDevice(nullptr);
    DisplayDevice::ResetProcessState();
  }
  static platform::DisplayMachine Machine() {
    platform::DisplayMachine m = platform::FakeSingleDisplayMachine(true);
    m.drivers[0].surfaceBudget = -1;
    for (platform::MachineDevice& d : m.drivers[0].devices) {
      d.caps.textureCaps = 0;
      d.caps.maxTextureWidth = 2048;
      d.caps.maxTextureHeight = 2048;
    }
    return m;
  }
  platform::ScopedDisplayMachine scoped;
  DisplayScreenDevice device;
  std::unique_ptr<platform::SoftSurface> back;
};

void FillRandom(Surface& surface) {
  std::mt19937 rng(7);
  for (int32_t y = 0; y < surface.GetHeight(); ++y) {
    auto* row = reinterpret_cast<uint32_t*>(surface.GetScanLine(y));
    for (int32_t x = 0; x < surface.GetWidth(); ++x) row[x] = rng() | 0xFF000000u;
  }
}

constexpr int kSide = 1024;

void BM_TextureUpload565_Ours(benchmark::State& state) {
  Rig rig;
  DecodedCanvasObjectB image;
  if (image.Load(kPixelFormatR5G6B5, kSide, kSide, 32, 0) != 0) {
    state.SkipWithError("load");
    return;
  }
  FillRandom(*image.CanvasDrawObject::GetSurface());
  for (auto _ : state) {
    if (image.Update(0) != 0) state.SkipWithError("update");
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_TextureUpload565_Ours);

void BM_TextureUpload565_PeerSdlConvertPixels(benchmark::State& state) {
  std::vector<uint32_t> src(size_t(kSide) * kSide);
  std::mt19937 rng(7);
  for (uint32_t& p : src) p = rng() | 0xFF000000u;
  std::vector<uint16_t> dst(size_t(kSide) * kSide);
  for (auto _ : state) {
    SDL_ConvertPixels(kSide, kSide, SDL_PIXELFORMAT_ARGB8888, src.data(), kSide * 4, SDL_PIXELFORMAT_RGB565,
                      dst.data(), kSide * 2);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
}
BENCHMARK(BM_TextureUpload565_PeerSdlConvertPixels);

// arg 1: only the changed band; arg 0: the whole picture every frame.
void CanvasTextureFrames(benchmark::State& state, uint8_t dirtyOnly) {
  Rig rig;
  DecodedCanvasObjectB image;
  if (image.Load(kPixelFormatX8R8G8B8, 800, 600, 32, 0) != 0) {
    state.SkipWithError("load");
    return;
  }
  FillRandom(*image.CanvasDrawObject::GetSurface());
  image.Update(0);
  const Rect band{0, 500, 800, 524};
  uint8_t shade = 0;
  for (auto _ : state) {
    image.CanvasDrawObject::GetSurface()->FillRgb(shade, shade, shade, &band);
    ++shade;
    if (image.Update(dirtyOnly) != 0) state.SkipWithError("update");
    benchmark::ClobberMemory();
  }
}
void BM_CanvasTextureBand_Ours(benchmark::State& state) { CanvasTextureFrames(state, 1); }
BENCHMARK(BM_CanvasTextureBand_Ours);
void BM_CanvasTextureWhole_PeerWholeUpload(benchmark::State& state) { CanvasTextureFrames(state, 0); }
BENCHMARK(BM_CanvasTextureWhole_PeerWholeUpload);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_TextureUpload565_Ours", "BM_TextureUpload565_PeerSdlConvertPixels"},
                              {"BM_CanvasTextureBand_Ours", "BM_CanvasTextureWhole_PeerWholeUpload"})
