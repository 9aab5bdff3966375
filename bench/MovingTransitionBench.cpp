// One frame at 800 x 600 of the moving named transitions, in one band, with
// their peers in the same run: the ripple through the plain and the packed
// row kernels against pixman's cross-blend of the same two pictures (the
// ripple's blend without its displacement); the ripple table build for
// ring count 127 and wavelength 128 against pixman's cross-blend frame; the
// rotaxis frame (black strips and a perspective quad map) against pixman's
// transformed composite of the same picture; the hblur frame at radius 10
// against pixman's convolution filter with a 21-tap horizontal box kernel.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <memory>
#include <random>

#include "PackedKernels.h"
#include "PeerReport.h"
#include "PixmanPeer.h"
#include "raster/Surface.h"
#include "resource/TcpManager.h"
#include "base/MathTables.h"
#include "raster/PixelOpLibrary.h"
#include "transition/BuiltinTransitions.h"
#include "transition/RippleKernels.h"
#include "transition/RippleTable.h"
#include "transition/RippleTransition.h"

namespace {

using namespace orrivel;

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;
constexpr int64_t kPixels = int64_t(kWidth) * kHeight;

class Picture800 : public TransitionTarget {
 public:
  int32_t GetDepth() const override { return 32; }
  bool GetPictureSize(int32_t* w, int32_t* h) const override {
    *w = kWidth;
    *h = kHeight;
    return true;
  }
};

struct Pictures {
  Surface from, to, destination;
  TcpManager registry;
  Picture800 target;
  MathTables tables;
  std::unique_ptr<PixelOpLibrary> library;

  Pictures() {
    bench::SwitchPackedKernelsOnAsTheGameDoes();
    library = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    SetCurrentPixelOpLibrary(library.get());
    SetMathTables(&tables);
    RegisterStartupTransitions(registry);
    RegisterScriptHostTransitions(registry);
    for (Surface* s : {&from, &to, &destination}) s->Create(kWidth, kHeight, 32, 0);
    std::mt19937 rng(51);
    for (int32_t y = 0; y < kHeight; ++y)
      for (Surface* s : {&from, &to, &destination}) {
        auto* row = reinterpret_cast<uint32_t*>(s->GetScanLine(y));
        for (int32_t x = 0; x < kWidth; ++x) row[x] = 0xFF000000u | rng();
      }
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

// A ripple of 2000 ms at 700 ms: the rings well spread, level 89.
void RippleFrame(benchmark::State& state, RippleKernel forward, RippleKernel backward) {
  auto& p = Data();
  HeldPtr<NamedTransition> t(dynamic_cast<NamedTransition*>(p.registry.CreateObject(
      &p.target, "ripple", {2000, -1, -1, 32, 0, 0, 24})));
  SetRippleKernels(forward, backward);
  t->Update(0);
  t->Update(700);
  const TransitionApplyRecord record = p.WholeFrame();
  for (auto _ : state) {
    benchmark::DoNotOptimize(t->Apply(record));
    benchmark::ClobberMemory();
  }
  SetRippleKernels(&RippleForward, &RippleBackward);
  Finish(state);
}

void BM_RipplePlain(benchmark::State& state) { RippleFrame(state, &RippleForward, &RippleBackward); }
BENCHMARK(BM_RipplePlain);

void BM_RipplePacked(benchmark::State& state) {
  RippleFrame(state, &RippleForwardPacked, &RippleBackwardPacked);
}
BENCHMARK(BM_RipplePacked);

void BM_RipplePackedPrefetch(benchmark::State& state) {
  RippleFrame(state, &RippleForwardPackedPrefetch, &RippleBackwardPackedPrefetch);
}
BENCHMARK(BM_RipplePackedPrefetch);

// The same two pictures cross-blended at the ripple's level, undisplaced.
void BM_PixmanCrossBlend(benchmark::State& state) {
  auto& p = Data();
  pixman_image_t* from = bench::WrapSurface(p.from);
  pixman_image_t* to = bench::WrapSurface(p.to);
  pixman_image_t* out = bench::WrapSurface(p.destination);
  const pixman_color_t level{0x5959, 0x5959, 0x5959, 0x5959};
  pixman_image_t* mask = pixman_image_create_solid_fill(&level);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, from, nullptr, out, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    pixman_image_composite32(PIXMAN_OP_OVER, to, mask, out, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    benchmark::ClobberMemory();
  }
  for (pixman_image_t* image : {from, to, out, mask}) pixman_image_unref(image);
  Finish(state);
}
BENCHMARK(BM_PixmanCrossBlend);

void BM_RippleTableBuild(benchmark::State& state) {
  RippleParams params;
  params.width = kWidth;
  params.height = kHeight;
  params.centreX = kWidth / 2;
  params.centreY = kHeight / 2;
  params.wavelength = 128;
  params.ringCount = 127;
  for (auto _ : state) benchmark::DoNotOptimize(BuildRippleTable(params));
}
BENCHMARK(BM_RippleTableBuild)->Unit(benchmark::kMillisecond);

void NamedFrame(benchmark::State& state, const char* name, std::initializer_list<orrivel::ObjectArgument> args,
                uint32_t at) {
  auto& p = Data();
  HeldPtr<NamedTransition> t(dynamic_cast<NamedTransition*>(
      p.registry.CreateObject(&p.target, name, args)));
  if (t == nullptr) {
    state.SkipWithError("no transition (is the pixel-operation library beside the program?)");
    return;
  }
  t->Update(0);
  t->Update(at);
  const TransitionApplyRecord record = p.WholeFrame();
  for (auto _ : state) {
    benchmark::DoNotOptimize(t->Apply(record));
    benchmark::ClobberMemory();
  }
  Finish(state);
}

// A quarter turn less a little: the picture narrowed in perspective.
void BM_RotaxisFrame(benchmark::State& state) { NamedFrame(state, "rotaxis", {1024, 0}, 300); }
BENCHMARK(BM_RotaxisFrame);

// The same picture drawn through a projective transform, nearest texels.
void BM_PixmanTransformed(benchmark::State& state) {
  auto& p = Data();
  pixman_image_t* src = bench::WrapSurface(p.from);
  pixman_image_t* out = bench::WrapSurface(p.destination);
  pixman_transform_t t;
  pixman_transform_init_identity(&t);
  t.matrix[0][0] = pixman_double_to_fixed(1.6);
  t.matrix[2][0] = pixman_double_to_fixed(0.0004);
  t.matrix[0][2] = pixman_double_to_fixed(-300.0);
  pixman_image_set_transform(src, &t);
  pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, out, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(src);
  pixman_image_unref(out);
  Finish(state);
}
BENCHMARK(BM_PixmanTransformed);

// Radius 10 at progress 10: the widest blur of mode 0.
void BM_HBlurFrame(benchmark::State& state) { NamedFrame(state, "hblur", {2100, 0, 10}, 1000); }
BENCHMARK(BM_HBlurFrame);

void BM_PixmanBoxConvolution(benchmark::State& state) {
  auto& p = Data();
  pixman_image_t* src = bench::WrapSurface(p.from);
  pixman_image_t* out = bench::WrapSurface(p.destination);
  constexpr int kTaps = 21;
  pixman_fixed_t params[2 + kTaps] = {pixman_int_to_fixed(kTaps), pixman_int_to_fixed(1)};
  for (int i = 0; i < kTaps; ++i) params[2 + i] = pixman_double_to_fixed(1.0 / kTaps);
  pixman_image_set_filter(src, PIXMAN_FILTER_CONVOLUTION, params, 2 + kTaps);
  pixman_image_set_repeat(src, PIXMAN_REPEAT_PAD);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, out, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(src);
  pixman_image_unref(out);
  Finish(state);
}
BENCHMARK(BM_PixmanBoxConvolution);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_RotaxisFrame", "BM_PixmanTransformed"},
                              {"BM_HBlurFrame", "BM_PixmanBoxConvolution"},
                              {"BM_RipplePlain", "BM_PixmanCrossBlend"},
                              {"BM_RipplePacked", "BM_PixmanCrossBlend"},
                              {"BM_RipplePackedPrefetch", "BM_PixmanCrossBlend"},
                              {"BM_RippleTableBuild", "BM_PixmanCrossBlend"})
