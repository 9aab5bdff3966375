// A frame of the game with many sprite fades running: 200 "sp_fade" actions,
// one entry each, stepped by the timer list. The floor is a plain loop that
// computes the same alphas and sets them on the same sprites.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "PeerReport.h"
#include "base/TimerList.h"
#include "effect/SpriteFadeAction.h"
#include "platform/Clock.h"
#include "scene/ImageSprite.h"

namespace {

constexpr int kFades = 200;
// Long enough that no fade ends while the benchmark runs.
constexpr uint32_t kFullDuration = 0x7FFFFFFF;

void BM_SpriteFadeFrame(benchmark::State& state) {
  orrivel::platform::ManualClock clock(1000);
  orrivel::platform::ScopedClock scoped(clock);
  std::vector<std::unique_ptr<orrivel::ImageSprite>> sprites;
  orrivel::TimerList list;
  for (int i = 0; i < kFades; ++i) {
    sprites.push_back(std::make_unique<orrivel::ImageSprite>());
    auto* fade = new orrivel::SpriteFadeAction();
    fade->Setup(&list, nullptr, {1, 0, 0});
    fade->SetTarget(0, sprites.back().get(), false, kFullDuration, 0, false, 0, 0, 0);
  }
  uint32_t now = 1000;
  list.Step(now);  // the first step only takes the clock
  for (auto _ : state) list.Step(now += 16);
  state.SetItemsProcessed(state.iterations() * kFades);
}
BENCHMARK(BM_SpriteFadeFrame);

void BM_PlainAlphaLoop(benchmark::State& state) {
  std::vector<std::unique_ptr<orrivel::ImageSprite>> sprites;
  for (int i = 0; i < kFades; ++i) sprites.push_back(std::make_unique<orrivel::ImageSprite>());
  const uint32_t start = 1000;
  uint32_t now = start;
  for (auto _ : state) {
    now += 16;
    const double t = double(now - start) / double(kFullDuration);
    for (auto& sprite : sprites) {
      const int alpha = 255 + int(std::trunc(-255.0 * t));
      sprite->SetOpacity(uint8_t(alpha));
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kFades);
}
BENCHMARK(BM_PlainAlphaLoop);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_SpriteFadeFrame", "BM_PlainAlphaLoop"})
