// The hot kernels of frame composition against pixman on the same rows:
// alpha blend vs OVER, add vs ADD, 24-bit to 32-bit conversion vs SRC, and
// the plain copy vs memcpy; the blends and pixman's also beside the memory
// bound of reading two frames and writing one. Rates are pixels per second (items processed).
// Packed kernels run at each vector width the processor has (the argument,
// in bytes: 16 is SSE2, 32 is AVX2). The blends run twice: on random pixels
// (every alpha mixed) and on sprite-like rows, where runs of wholly clear and
// wholly opaque pixels take most of the frame. Sprite pixels are valid
// premultiplied colours (clear ones all zero, colour never above alpha), so
// OVER sees the same picture the blend does and may take its own shortcuts.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <random>
#include <vector>

#include "PeerReport.h"
#include "raster/BlendTables.h"
#include "raster/CompositeKernels32.h"
#include "raster/KernelFlags.h"
#include "raster/Kernels32.h"
#include "raster/PixelFormatConversion.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kPixels = kWidth * kHeight;

struct Frames {
  static constexpr int rgbStride = (kWidth * 3 + 3) & ~3;  // 24-bit rows, 4-byte aligned
  std::vector<uint32_t> src, sprite, dst;
  std::vector<uint8_t> rgb;
  Frames() : src(kPixels), sprite(kPixels), dst(kPixels), rgb(size_t(rgbStride) * kHeight) {
    std::mt19937 rng(1);
    for (auto& p : src) p = rng();
    for (auto& p : dst) p = rng() | 0xFF000000u;
    for (auto& b : rgb) b = uint8_t(rng());
    MakeSprite(rng);
    orrivel::BuildBlendTables();
  }

  // Runs of 8 to 200 pixels: 45% clear, 35% opaque, 20% mixed alpha (an
  // antialiased edge or a soft shadow).
  void MakeSprite(std::mt19937& rng) {
    for (size_t i = 0; i < sprite.size();) {
      const size_t run = 8 + rng() % 193;
      const uint32_t kind = rng() % 20;
      for (size_t j = i; j < i + run && j < sprite.size(); ++j) {
        const uint32_t r = rng();
        const uint32_t a = kind < 9 ? 0 : kind < 16 ? 255 : 1 + r % 254;
        uint32_t p = a << 24;
        for (int c = 0; c < 3; ++c) p |= ((r >> (8 * c)) % (a + 1)) << (8 * c);
        sprite[j] = p;
      }
      i += run;
    }
  }
};

Frames& Data() {
  static Frames frames;
  return frames;
}

pixman_image_t* Wrap(pixman_format_code_t format, void* bits, int stride) {
  return pixman_image_create_bits(format, kWidth, kHeight, static_cast<uint32_t*>(bits), stride);
}

void Finish(benchmark::State& state) { state.SetItemsProcessed(int64_t(state.iterations()) * kPixels); }

// Times one pass of body over the whole frame.
template <typename Body>
void Loop(benchmark::State& state, Body body) {
  for (auto _ : state) {
    body();
    benchmark::ClobberMemory();
  }
  Finish(state);
}

// Times pixman compositing the frame src (in format, stride bytes a row) onto
// the destination frame.
void RunPixman(benchmark::State& state, pixman_op_t op, pixman_format_code_t format, void* src,
               int stride) {
  pixman_image_t* s = Wrap(format, src, stride);
  pixman_image_t* d = Wrap(PIXMAN_a8r8g8b8, Data().dst.data(), kWidth * 4);
  Loop(state, [&] {
    pixman_image_composite32(op, s, nullptr, d, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
  });
  pixman_image_unref(s);
  pixman_image_unref(d);
}

void RunBlendByAlpha32Mmx(benchmark::State& state, const std::vector<uint32_t>& src) {
  auto& f = Data();
  if (orrivel::SetPackedVectorBytes(int(state.range(0))) != state.range(0)) {
    state.SkipWithError("vector width not available");
    return;
  }
  Loop(state, [&] { orrivel::BlendByAlpha32Mmx(f.dst.data(), src.data(), 0, 0, kWidth, kHeight); });
}

void RunPixmanOver(benchmark::State& state, std::vector<uint32_t>& src) {
  RunPixman(state, PIXMAN_OP_OVER, PIXMAN_a8r8g8b8, src.data(), kWidth * 4);
}

void BM_BlendByAlpha32Mmx(benchmark::State& state) { RunBlendByAlpha32Mmx(state, Data().src); }
BENCHMARK(BM_BlendByAlpha32Mmx)->Arg(16)->Arg(32);

void BM_PixmanOver(benchmark::State& state) { RunPixmanOver(state, Data().src); }
BENCHMARK(BM_PixmanOver);

void BM_BlendByAlpha32MmxSprite(benchmark::State& state) {
  RunBlendByAlpha32Mmx(state, Data().sprite);
}
BENCHMARK(BM_BlendByAlpha32MmxSprite)->Arg(16)->Arg(32);

void BM_PixmanOverSprite(benchmark::State& state) { RunPixmanOver(state, Data().sprite); }
BENCHMARK(BM_PixmanOverSprite);

void BM_CopyPixels32(benchmark::State& state) {
  auto& f = Data();
  Loop(state, [&f] { orrivel::CopyPixels32(f.dst.data(), f.src.data(), 0, 0, kWidth, kHeight); });
}
BENCHMARK(BM_CopyPixels32);

void BM_Memcpy(benchmark::State& state) {
  auto& f = Data();
  Loop(state, [&f] { std::memcpy(f.dst.data(), f.src.data(), size_t(kPixels) * 4); });
}
BENCHMARK(BM_Memcpy);

// The memory bound of the blends: they read two frames and write one, so no
// blend can beat this pass, which reads the same two, writes the same one and
// does the least work in between (an OR), 16 bytes at a time.
void BM_ReadReadWriteBound(benchmark::State& state) {
  auto& f = Data();
  typedef uint32_t Words4 __attribute__((vector_size(16)));
  Loop(state, [&f] {
    for (int i = 0; i < kPixels; i += 4) {
      Words4 a, b;
      std::memcpy(&a, &f.src[size_t(i)], 16);
      std::memcpy(&b, &f.dst[size_t(i)], 16);
      b |= a;
      std::memcpy(&f.dst[size_t(i)], &b, 16);
    }
  });
}
BENCHMARK(BM_ReadReadWriteBound);

void BM_AddSaturate32Packed(benchmark::State& state) {
  auto& f = Data();
  Loop(state, [&f] { orrivel::AddSaturate32Packed(f.dst.data(), f.src.data(), 0, 0, kWidth, kHeight); });
}
BENCHMARK(BM_AddSaturate32Packed);

void BM_PixmanAdd(benchmark::State& state) {
  RunPixman(state, PIXMAN_OP_ADD, PIXMAN_a8r8g8b8, Data().src.data(), kWidth * 4);
}
BENCHMARK(BM_PixmanAdd);

void BM_ConvertDib24ToArgb(benchmark::State& state) {
  auto& f = Data();
  orrivel::BitmapInfoHeader header;
  header.width = kWidth;
  header.height = -kHeight;  // top-down, as pixman reads its rows
  header.bitCount = 24;
  const orrivel::DibSource source{&header, nullptr, 0, f.rgb.data(), f.rgbStride, f.rgb.size()};
  const orrivel::Rect rect{0, 0, kWidth, kHeight};
  Loop(state, [&] { orrivel::ConvertDibToArgb(f.dst.data(), rect, kWidth * 4, source, {}); });
}
BENCHMARK(BM_ConvertDib24ToArgb);

void BM_PixmanSrc24To32(benchmark::State& state) {
  RunPixman(state, PIXMAN_OP_SRC, PIXMAN_r8g8b8, Data().rgb.data(), Frames::rgbStride);
}
BENCHMARK(BM_PixmanSrc24To32);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_BlendByAlpha32Mmx/16", "BM_PixmanOver"},
                              {"BM_BlendByAlpha32Mmx/32", "BM_PixmanOver"},
                              {"BM_BlendByAlpha32MmxSprite/16", "BM_PixmanOverSprite"},
                              {"BM_BlendByAlpha32MmxSprite/32", "BM_PixmanOverSprite"},
                              {"BM_CopyPixels32", "BM_Memcpy"},
                              {"BM_AddSaturate32Packed", "BM_PixmanAdd"},
                              {"BM_ConvertDib24ToArgb", "BM_PixmanSrc24To32"},
                              {"BM_BlendByAlpha32Mmx/16", "BM_ReadReadWriteBound"},
                              {"BM_BlendByAlpha32Mmx/32", "BM_ReadReadWriteBound"},
                              {"BM_BlendByAlpha32MmxSprite/32", "BM_ReadReadWriteBound"},
                              {"BM_AddSaturate32Packed", "BM_ReadReadWriteBound"},
                              {"BM_PixmanOver", "BM_ReadReadWriteBound"})
