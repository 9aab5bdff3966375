// One frame of the "cross" and "rule" named transitions at 800 x 600, 32
// bits, drawn in one band through our pixel-operation library, against
// pixman's OVER of the to-picture onto the from-picture with a solid mask at
// the level (cross) and with an 8-bit mask (rule); and one step of the
// fade-to-black effect (a colour subtraction over the frame) against memcpy
// of the frame. The time per iteration is the time per frame.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <memory>
#include <random>

#include "PackedKernels.h"
#include "PeerReport.h"
#include "raster/PixelOpLibrary.h"
#include "raster/Surface.h"
#include "raster/SurfaceDrawing.h"
#include "resource/TcpManager.h"
#include "transition/BandTransitions.h"
#include "transition/BuiltinTransitions.h"

namespace {

using namespace orrivel;

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;
constexpr int64_t kPixels = int64_t(kWidth) * kHeight;

class Depth32 : public TransitionTarget {
 public:
  int32_t GetDepth() const override { return 32; }
};

struct Pictures {
  Surface from, to, destination, rule;
  std::unique_ptr<PixelOpLibrary> library;
  TcpManager registry;
  Depth32 target;

  Pictures() {
    bench::SwitchPackedKernelsOnAsTheGameDoes();
    library = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    SetCurrentPixelOpLibrary(library.get());
    RegisterStartupTransitions(registry);
    for (Surface* s : {&from, &to, &destination}) s->Create(kWidth, kHeight, 32, 0);
    rule.Create(kWidth, kHeight, 8, 0);
    std::mt19937 rng(44);
    for (int32_t y = 0; y < kHeight; ++y) {
      for (Surface* s : {&from, &to, &destination}) {
        auto* row = reinterpret_cast<uint32_t*>(s->GetScanLine(y));
        for (int32_t x = 0; x < kWidth; ++x) row[x] = 0xFF000000u | rng();
      }
      for (int32_t x = 0; x < kWidth; ++x) rule.GetScanLine(y)[x] = uint8_t((x + y) / 6);
    }
  }

  // A transition of 1000 ms updated to 500 ms (level 127).
  HeldPtr<NamedTransition> Halfway(const char* name, std::initializer_list<orrivel::ObjectArgument> args) {
    HeldPtr<NamedTransition> t(dynamic_cast<NamedTransition*>(
        registry.CreateObject(&target, name, args)));
    t->Update(1000);
    t->Update(1500);
    return t;
  }
  TransitionApplyRecord WholeFrame() {
    return {0, 0, kWidth, kHeight, &destination, 0, 0, &from, 0, 0, &to, 0, 0};
  }
};

Pictures& Data() {
  static Pictures pictures;
  return pictures;
}

void Finish(benchmark::State& state) { state.SetItemsProcessed(int64_t(state.iterations()) * kPixels); }

void RunFrames(benchmark::State& state, NamedTransition* t) {
  auto& p = Data();
  if (t == nullptr) {
    state.SkipWithError("no transition (is the pixel-operation library beside the program?)");
    return;
  }
  const TransitionApplyRecord record = p.WholeFrame();
  for (auto _ : state) {
    benchmark::DoNotOptimize(t->Apply(record));
    benchmark::ClobberMemory();
  }
  Finish(state);
}

void BM_CrossFrame(benchmark::State& state) {
  auto t = Data().Halfway("cross", {1000});
  RunFrames(state, t.get());
}
BENCHMARK(BM_CrossFrame);

void BM_RuleFrame(benchmark::State& state) {
  auto t = Data().Halfway("rule", {1000, &Data().rule, 32});
  RunFrames(state, t.get());
}
BENCHMARK(BM_RuleFrame);

pixman_image_t* Wrap(Surface& s, pixman_format_code_t format) {
  return pixman_image_create_bits(format, s.GetWidth(), s.GetHeight(),
                                  reinterpret_cast<uint32_t*>(s.GetBits()), s.GetPitch());
}

// Each frame starts from the from-picture, as the transition's band does.
void PixmanOver(benchmark::State& state, pixman_image_t* mask) {
  auto& p = Data();
  pixman_image_t* to = Wrap(p.to, PIXMAN_a8r8g8b8);
  pixman_image_t* from = Wrap(p.from, PIXMAN_a8r8g8b8);
  pixman_image_t* out = Wrap(p.destination, PIXMAN_a8r8g8b8);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, from, nullptr, out, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    pixman_image_composite32(PIXMAN_OP_OVER, to, mask, out, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    benchmark::ClobberMemory();
  }
  for (pixman_image_t* image : {to, from, out, mask}) pixman_image_unref(image);
  Finish(state);
}

void BM_PixmanOverSolidMask(benchmark::State& state) {
  const pixman_color_t level{0x7F7F, 0x7F7F, 0x7F7F, 0x7F7F};
  PixmanOver(state, pixman_image_create_solid_fill(&level));
}
BENCHMARK(BM_PixmanOverSolidMask);

void BM_PixmanOverA8Mask(benchmark::State& state) {
  PixmanOver(state, Wrap(Data().rule, PIXMAN_a8));
}
BENCHMARK(BM_PixmanOverA8Mask);

// What one step of the fade to black does to the whole frame.
void BM_FadeStep(benchmark::State& state) {
  auto& p = Data();
  for (auto _ : state) {
    benchmark::DoNotOptimize(SubColor(&p.destination, 1, 1, 1, nullptr));
    benchmark::ClobberMemory();
  }
  Finish(state);
}
BENCHMARK(BM_FadeStep);

void BM_Memcpy(benchmark::State& state) {
  auto& p = Data();
  for (auto _ : state) {
    std::memcpy(p.destination.GetBits(), p.from.GetBits(), size_t(kPixels) * 4);
    benchmark::ClobberMemory();
  }
  Finish(state);
}
BENCHMARK(BM_Memcpy);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_CrossFrame", "BM_PixmanOverSolidMask"},
                              {"BM_RuleFrame", "BM_PixmanOverA8Mask"},
                              {"BM_FadeStep", "BM_Memcpy"})
