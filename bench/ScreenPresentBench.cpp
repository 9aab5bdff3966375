// CPU time of one presented frame: the screen image copied into the back
// surface, blitted onto the primary and handed to the (headless) presenter,
// which reads it out as the screen shows it. Peers: the memcpy floor of one
// frame, and the whole-frame present against a present of a changed band.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "PeerReport.h"
#include "display/DisplayScreenDevice.h"
#include "platform/Backend.h"
#include "platform/DefaultWindowClient.h"
#include "platform/DisplayMachine.h"
#include "platform/headless/HeadlessBackend.h"
#include "scene/CanvasDrawObject.h"

namespace {

using namespace orrivel;

// A headless machine with a 1920 x 1080 desktop, a window and a screen
// device on the blit route presenting a random picture.
struct Rig {
  Rig(int32_t width, int32_t height)
      : machine(Machine()), scope(backend), client(backend) {
    DisplayDevice::ResetProcessState();
    backend.SetDesktop(platform::DisplayMode{1920, 1080, 32, 60});
    backend.RegisterClass(platform::WindowClass{"bench"});
    platform::WindowCreateParams params;
    params.className = "bench";
    params.width = width;
    params.height = height;
    params.client = &client;
    window = backend.CreateWindow(params);
    picture.Load(width, height, 32, 0);
    std::mt19937 rng(3);
    for (int32_t y = 0; y < height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(picture.GetSurface()->GetScanLine(y));
      for (int32_t x = 0; x < width; ++x) row[x] = rng() & 0xFFFFFF;
    }
    device = std::make_unique<DisplayScreenDevice>();
    device->AttachScreenImage(&picture);
    device->SetDrawingMethod(2);
    device->SetDirectDrawWhenNotEnlarged(true);
    device->SetSmoothFiltering(false);
    ok = device->SetScreenMode(window, true, false, false) == 0;
  }
  ~Rig() {
    device.reset();
    DisplayDevice::ResetProcessState();
  }
  static platform::DisplayMachine Machine() {
    platform::DisplayMachine m = platform::FakeSingleDisplayMachine(true);
    m.drivers[0].desktop = platform::DisplayMode{1920, 1080, 32, 60};
    return m;
  }
  platform::ScopedDisplayMachine machine;
  platform::HeadlessBackend backend;
  platform::ScopedBackend scope;
  platform::DefaultWindowClient client;
  platform::WindowId window = 0;
  CanvasDrawObject picture;
  std::unique_ptr<DisplayScreenDevice> device;
  bool ok = false;
};

void BM_PresentWholeFrame(benchmark::State& state) {
  const int32_t width = int32_t(state.range(0)), height = int32_t(state.range(1));
  Rig rig(width, height);
  if (!rig.ok) state.SkipWithError("screen mode");
  for (auto _ : state) {
    rig.picture.AddDirty(nullptr);
    if (rig.device->PresentFrame() != 0) state.SkipWithError("present");
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(width) * height);
}
BENCHMARK(BM_PresentWholeFrame)->Args({800, 600})->Args({1280, 720});

// A line of text changes: a 24-row band goes to the screen.
void BM_PresentDirtyBand(benchmark::State& state) {
  const int32_t width = int32_t(state.range(0)), height = int32_t(state.range(1));
  Rig rig(width, height);
  if (!rig.ok) state.SkipWithError("screen mode");
  const Rect band{0, height - 100, width, height - 76};
  for (auto _ : state) {
    rig.picture.AddDirty(&band);
    if (rig.device->PresentFrame() != 0) state.SkipWithError("present");
    benchmark::ClobberMemory();
  }
  // Counted as whole frames, so that the peer below is the whole-frame present.
  state.SetItemsProcessed(state.iterations() * int64_t(width) * height);
}
BENCHMARK(BM_PresentDirtyBand)->Args({800, 600})->Args({1280, 720});

// The floor: one frame moved by memcpy.
void BM_MemcpyFrame(benchmark::State& state) {
  const size_t pixels = size_t(state.range(0)) * size_t(state.range(1));
  std::vector<uint32_t> src(pixels, 0x123456), dst(pixels);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), pixels * 4);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * int64_t(pixels));
}
BENCHMARK(BM_MemcpyFrame)->Args({800, 600})->Args({1280, 720});

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_PresentWholeFrame/800/600", "BM_MemcpyFrame/800/600"},
                              {"BM_PresentWholeFrame/1280/720", "BM_MemcpyFrame/1280/720"},
                              {"BM_PresentDirtyBand/800/600", "BM_PresentWholeFrame/800/600"},
                              {"BM_PresentDirtyBand/1280/720", "BM_PresentWholeFrame/1280/720"})
