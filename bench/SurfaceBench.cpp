// Surface blits and the mask/image kernels against their peers on the same
// pixels: the 32-bit copy against memcpy, the alpha blend, the composite and
// the colour-through-mask against pixman OVER, the stretched copy against
// pixman's nearest-pixel SRC and the filtered scaled copy against pixman's
// bilinear SRC. Packed kernels are on, as on any processor of today; the
// blend, composite and filtered copy also run at each vector width the
// processor has (the argument, in bytes: 16 is SSE2, 32 is AVX2). Rates are
// destination pixels per second (items processed).
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <random>
#include <vector>

#include "PeerReport.h"
#include "raster/BlendTables.h"
#include "raster/KernelFlags.h"
#include "raster/MaskKernels.h"
#include "raster/Surface.h"

namespace {

using orrivel::Size;
using orrivel::Surface;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kPixels = kWidth * kHeight;
// The scaled blits draw the 640 x 480 picture onto 800 x 600.
constexpr int kScaledWidth = 800;
constexpr int kScaledHeight = 600;

// Sprite-like pixels: a third opaque, a third clear, a third in between.
uint32_t SpritePixel(std::mt19937& rng) {
  const uint32_t colour = rng() & 0x00FFFFFFu;
  switch (rng() % 3) {
    case 0:
      return colour | 0xFF000000u;
    case 1:
      return colour;
    default:
      return colour | (rng() & 0xFF000000u);
  }
}

struct Frames {
  Surface src, dst, scaled;
  std::vector<uint8_t> mask;  // glyph-like: mostly 0, edges in between, cores 255
  Frames() : mask(kPixels) {
    orrivel::BuildBlendTables();
    orrivel::SetMmxFlag(true);
    src.Create(kWidth, kHeight, 32, 0);
    dst.Create(kWidth, kHeight, 32, 0);
    scaled.Create(kScaledWidth, kScaledHeight, 32, 0);
    std::mt19937 rng(1);
    for (int y = 0; y < kHeight; ++y) {
      auto* s = reinterpret_cast<uint32_t*>(src.GetScanLine(y));
      auto* d = reinterpret_cast<uint32_t*>(dst.GetScanLine(y));
      for (int x = 0; x < kWidth; ++x) {
        s[x] = SpritePixel(rng);
        d[x] = rng() | 0xFF000000u;
      }
    }
    for (auto& m : mask) {
      const uint32_t pick = rng() % 8;
      m = pick < 5 ? 0 : pick < 7 ? uint8_t(rng()) : 255;
    }
  }
};

Frames& Data() {
  static Frames frames;
  return frames;
}

// Sets the packed vector width of the benchmark's argument; false (and the
// benchmark skipped) when the processor lacks it.
bool UseVectorWidth(benchmark::State& state) {
  if (orrivel::SetPackedVectorBytes(int(state.range(0))) == state.range(0)) return true;
  state.SkipWithError("vector width not available");
  return false;
}

pixman_image_t* Wrap(Surface& s) {
  return pixman_image_create_bits(PIXMAN_a8r8g8b8, s.GetWidth(), s.GetHeight(),
                                  reinterpret_cast<uint32_t*>(s.GetBits()), s.GetPitch());
}

// The alpha blend leaves destination alpha 0; the composites are measured
// over an opaque screen, as frames are composed.
void MakeOpaque(Surface& s) {
  for (int y = 0; y < s.GetHeight(); ++y) {
    auto* row = reinterpret_cast<uint32_t*>(s.GetScanLine(y));
    for (int x = 0; x < s.GetWidth(); ++x) row[x] |= 0xFF000000u;
  }
}

void Finish(benchmark::State& state, int64_t pixels) {
  state.SetItemsProcessed(int64_t(state.iterations()) * pixels);
}

// --- copy ---------------------------------------------------------------------------

void BM_SurfaceCopy(benchmark::State& state) {
  auto& f = Data();
  for (auto _ : state) {
    f.dst.Copy(&f.src, 0, 0, nullptr, false);
    benchmark::ClobberMemory();
  }
  Finish(state, kPixels);
}
BENCHMARK(BM_SurfaceCopy);

void BM_Memcpy(benchmark::State& state) {
  auto& f = Data();
  for (auto _ : state) {
    std::memcpy(f.dst.GetBits(), f.src.GetBits(), size_t(kPixels) * 4);
    benchmark::ClobberMemory();
  }
  Finish(state, kPixels);
}
BENCHMARK(BM_Memcpy);

// --- alpha blend ------------------------------------------------------------------------

void BM_SurfaceAlphaBlend(benchmark::State& state) {
  auto& f = Data();
  if (!UseVectorWidth(state)) return;
  for (auto _ : state) {
    f.dst.AlphaBlend(&f.src, 0, 0, nullptr, false);
    benchmark::ClobberMemory();
  }
  Finish(state, kPixels);
}
BENCHMARK(BM_SurfaceAlphaBlend)->Arg(16)->Arg(32);

void PixmanComposite(benchmark::State& state, pixman_op_t op, pixman_image_t* s, pixman_image_t* m,
                     pixman_image_t* d, int width, int height) {
  for (auto _ : state) {
    pixman_image_composite32(op, s, m, d, 0, 0, 0, 0, 0, 0, width, height);
    benchmark::ClobberMemory();
  }
  Finish(state, int64_t(width) * height);
}

void BM_PixmanOver(benchmark::State& state) {
  auto& f = Data();
  MakeOpaque(f.dst);
  pixman_image_t* s = Wrap(f.src);
  pixman_image_t* d = Wrap(f.dst);
  PixmanComposite(state, PIXMAN_OP_OVER, s, nullptr, d, kWidth, kHeight);
  pixman_image_unref(s);
  pixman_image_unref(d);
}
BENCHMARK(BM_PixmanOver);

// --- composite ------------------------------------------------------------------------------

void BM_CompositeImage32(benchmark::State& state) {
  auto& f = Data();
  if (!UseVectorWidth(state)) return;
  MakeOpaque(f.dst);
  for (auto _ : state) {
    orrivel::CompositeImage32Mmx(f.dst.GetBits(), f.src.GetBits(), 0, 0, kWidth, kHeight,
                                 orrivel::ProductTable[255]);
    benchmark::ClobberMemory();
  }
  Finish(state, kPixels);
}
BENCHMARK(BM_CompositeImage32)->Arg(16)->Arg(32);

void BM_CompositeImage32Plain(benchmark::State& state) {
  auto& f = Data();
  MakeOpaque(f.dst);
  for (auto _ : state) {
    orrivel::CompositeImage32(f.dst.GetBits(), f.src.GetBits(), 0, 0, kWidth, kHeight,
                              orrivel::ProductTable[255]);
    benchmark::ClobberMemory();
  }
  Finish(state, kPixels);
}
BENCHMARK(BM_CompositeImage32Plain);

// --- colour through a glyph mask --------------------------------------------------------------

void BM_BlendColorByMask32(benchmark::State& state) {
  auto& f = Data();
  for (auto _ : state) {
    orrivel::BlendColorByMask32Mmx(f.dst.GetBits(), f.mask.data(), 0, 0, kWidth, kHeight,
                                   0x00336699u, orrivel::ProductTable[255]);
    benchmark::ClobberMemory();
  }
  Finish(state, kPixels);
}
BENCHMARK(BM_BlendColorByMask32);

void BM_PixmanOverSolidA8Mask(benchmark::State& state) {
  auto& f = Data();
  const pixman_color_t colour{0x3333, 0x6666, 0x9999, 0xFFFF};
  pixman_image_t* s = pixman_image_create_solid_fill(&colour);
  pixman_image_t* m = pixman_image_create_bits(PIXMAN_a8, kWidth, kHeight,
                                               reinterpret_cast<uint32_t*>(f.mask.data()), kWidth);
  pixman_image_t* d = Wrap(f.dst);
  PixmanComposite(state, PIXMAN_OP_OVER, s, m, d, kWidth, kHeight);
  pixman_image_unref(s);
  pixman_image_unref(m);
  pixman_image_unref(d);
}
BENCHMARK(BM_PixmanOverSolidA8Mask);

// --- stretched and scaled copies -----------------------------------------------------------------

void BM_SurfaceStretchCopy(benchmark::State& state) {
  auto& f = Data();
  const Size size{kScaledWidth, kScaledHeight};
  for (auto _ : state) {
    f.scaled.StretchCopy(&f.src, &size, 0, 0, nullptr, false);
    benchmark::ClobberMemory();
  }
  Finish(state, int64_t(kScaledWidth) * kScaledHeight);
}
BENCHMARK(BM_SurfaceStretchCopy);

void BM_SurfaceScaleCopyFiltered(benchmark::State& state) {
  auto& f = Data();
  if (!UseVectorWidth(state)) return;
  const Size size{kScaledWidth, kScaledHeight};
  for (auto _ : state) {
    f.scaled.ScaleCopy(&f.src, &size, 0, 0, nullptr);
    benchmark::ClobberMemory();
  }
  Finish(state, int64_t(kScaledWidth) * kScaledHeight);
}
BENCHMARK(BM_SurfaceScaleCopyFiltered)->Arg(16)->Arg(32);

void PixmanScaled(benchmark::State& state, pixman_filter_t filter) {
  auto& f = Data();
  pixman_image_t* s = Wrap(f.src);
  pixman_image_t* d = Wrap(f.scaled);
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(double(kWidth) / kScaledWidth),
                              pixman_double_to_fixed(double(kHeight) / kScaledHeight));
  pixman_image_set_transform(s, &t);
  pixman_image_set_filter(s, filter, nullptr, 0);
  PixmanComposite(state, PIXMAN_OP_SRC, s, nullptr, d, kScaledWidth, kScaledHeight);
  pixman_image_unref(s);
  pixman_image_unref(d);
}

void BM_PixmanNearestSrc(benchmark::State& state) { PixmanScaled(state, PIXMAN_FILTER_NEAREST); }
BENCHMARK(BM_PixmanNearestSrc);

void BM_PixmanBilinearSrc(benchmark::State& state) { PixmanScaled(state, PIXMAN_FILTER_BILINEAR); }
BENCHMARK(BM_PixmanBilinearSrc);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_SurfaceCopy", "BM_Memcpy"},
                              {"BM_SurfaceAlphaBlend/16", "BM_PixmanOver"},
                              {"BM_SurfaceAlphaBlend/32", "BM_PixmanOver"},
                              {"BM_CompositeImage32/16", "BM_PixmanOver"},
                              {"BM_CompositeImage32/32", "BM_PixmanOver"},
                              {"BM_CompositeImage32Plain", "BM_PixmanOver"},
                              {"BM_BlendColorByMask32", "BM_PixmanOverSolidA8Mask"},
                              {"BM_SurfaceStretchCopy", "BM_PixmanNearestSrc"},
                              {"BM_SurfaceScaleCopyFiltered/16", "BM_PixmanBilinearSrc"},
                              {"BM_SurfaceScaleCopyFiltered/32", "BM_PixmanBilinearSrc"})
