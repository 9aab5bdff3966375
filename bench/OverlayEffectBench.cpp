// The overlay effects' per-frame work: a copy-mode quake frame on an 800×600
// work copy and one noise frame, each beside a plain memcpy of the same
// bytes; and one 80 ms step of 200 rain particles beside a plain loop that
// moves the same number of boxes by the same arithmetic.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "PeerReport.h"
#include "base/SubtractiveRandom.h"
#include "base/TimerList.h"
#include "effect/BuiltinEffects.h"
#include "effect/LayerHost.h"
#include "effect/NoiseEffect.h"
#include "effect/QuakeEffect.h"
#include "effect/WeatherEffect.h"
#include "platform/Clock.h"
#include "raster/ColorBox.h"
#include "raster/Surface.h"
#include "scene/SpriteCanvas.h"

namespace {

constexpr int kW = 800;
constexpr int kH = 600;
constexpr int kParticles = 200;

std::unique_ptr<orrivel::Surface> MakePicture(int w, int h) {
  auto s = std::make_unique<orrivel::Surface>();
  s->Create(w, h, 32, 0);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(s->GetScanLine(y));
    for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | uint32_t(x * 7 + y * 13);
  }
  return s;
}

void SetFrameBytes(benchmark::State& state) { state.SetBytesProcessed(state.iterations() * int64_t(kW) * kH * 4); }

void BM_QuakeCopyFrame(benchmark::State& state) {
  auto picture = MakePicture(kW, kH);
  orrivel::Surface copy;
  copy.Create(kW, kH, 32, 0);
  int i = 0;
  for (auto _ : state) {
    // Shifts of a few pixels in every direction, as a quake makes them.
    const int32_t x = (i % 9) - 4, y = ((i / 9) % 9) - 4;
    orrivel::DrawShiftedPicture(copy, *picture, x, y, 0xFF000000u);
    ++i;
    benchmark::ClobberMemory();
  }
  SetFrameBytes(state);
}
BENCHMARK(BM_QuakeCopyFrame);

void BM_NoiseFrame(benchmark::State& state) {
  // A noise picture narrower than the screen, so rows wrap mid-way.
  auto noise = MakePicture(256, 256);
  orrivel::Surface work;
  work.Create(kW, kH, 32, 0);
  uint64_t start = 12345;
  for (auto _ : state) {
    orrivel::DrawNoiseRun(*noise, work, start);
    start = start * 6364136223846793005ull + 1442695040888963407ull;
    benchmark::ClobberMemory();
  }
  SetFrameBytes(state);
}
BENCHMARK(BM_NoiseFrame);

void BM_MemcpyFrame(benchmark::State& state) {
  std::vector<uint8_t> from(size_t(kW) * kH * 4, 1), to(size_t(kW) * kH * 4);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), to.size());
    benchmark::ClobberMemory();
  }
  SetFrameBytes(state);
}
BENCHMARK(BM_MemcpyFrame);

class BenchHost : public orrivel::LayerHost, public orrivel::BackgroundLayer {
 public:
  BenchHost() {
    screen_.Create(kW, kH, 32, 0);
    for (auto& page : pages_) page.SetTarget(&screen_, 0);
  }
  orrivel::Surface* GetScreenSurface() override { return &screen_; }
  orrivel::SpriteCanvas* GetFirstPage() override { return &pages_[0]; }
  orrivel::BackgroundLayer* GetSecondPageObject() override { return this; }
  orrivel::SpriteCanvas* GetLayerCanvas() override { return &pages_[1]; }

 private:
  orrivel::Surface screen_;
  orrivel::SpriteCanvas pages_[2];
};

void BM_RainStep(benchmark::State& state) {
  orrivel::platform::ManualClock clock(1000);
  orrivel::platform::ScopedClock scoped(clock);
  orrivel::SharedRandom().Seed(1);
  orrivel::BindOverlayEffectRandom(&orrivel::SharedRandom());
  BenchHost host;
  orrivel::TimerList list;
  auto* rain = new orrivel::RainEffect();
  if (rain->Setup(&list, &host, {kParticles, 19950, 600, 1, 0, 1, 1}) != 0) {
    delete rain;
    state.SkipWithError("set-up failed");
    return;
  }
  uint32_t now = 1000;
  for (auto _ : state) list.Step(now += 80);
  state.SetItemsProcessed(state.iterations() * kParticles);
  list.Clear();
  orrivel::BindOverlayEffectRandom(nullptr);
}
BENCHMARK(BM_RainStep);

void BM_PlainParticleLoop(benchmark::State& state) {
  struct Plain {
    orrivel::ColorBox boxes[2];
    double x, y, speed;
  };
  std::vector<std::unique_ptr<Plain>> particles;
  for (int i = 0; i < kParticles; ++i) {
    particles.push_back(std::make_unique<Plain>());
    Plain& p = *particles.back();
    for (auto& box : p.boxes) box.Init(1, 150, 0x80A0AAEBu, 0, 0);
    p.x = i * 4;
    p.y = -150;
    p.speed = 100 + i % 100;
  }
  orrivel::SubtractiveRandom random;
  random.Seed(1);
  for (auto _ : state) {
    for (auto& particle : particles) {
      Plain& p = *particle;
      p.y += std::max(1.0, p.speed);
      if (p.y >= kH) {
        p.x = kW * random.Next() * 1e-9;
        p.y = -150 * (random.Next() * 1e-9);
      }
      for (auto& box : p.boxes) box.SetPosition(int32_t(p.x), int32_t(p.y));
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kParticles);
}
BENCHMARK(BM_PlainParticleLoop);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_QuakeCopyFrame", "BM_MemcpyFrame"}, {"BM_NoiseFrame", "BM_MemcpyFrame"},
                              {"BM_RainStep", "BM_PlainParticleLoop"})
