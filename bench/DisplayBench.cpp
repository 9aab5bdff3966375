// The display layer's software surfaces and rasteriser against their peers on
// the same pixels: an 800 x 600 copy blit against memcpy, a keyed blit
// against SDL_BlitSurface with a colour key, a colour fill against memset,
// 8888 -> 565 conversion against SDL_ConvertPixels, and a textured quad
// filling 800 x 600 (point and bilinear) against SDL's software renderer
// (SDL_RenderGeometry).
// Rates are destination pixels per second (items processed).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/PixelLayout.h"
#include "platform/RenderDevice.h"
#include "platform/SoftSurface.h"

namespace {

using namespace orrivel::platform;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kPixels = kWidth * kHeight;
constexpr uint32_t kKey = 0x00FF00FF;

void FillRandom(SoftSurface& s, bool withKey) {
  SurfaceLock lock;
  s.Lock(nullptr, &lock);
  std::mt19937 rng(42);
  for (int y = 0; y < lock.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(lock.bits + size_t(y) * lock.pitch);
    for (int x = 0; x < lock.width; ++x) row[x] = (withKey && rng() % 3 == 0) ? kKey : (rng() | 0xFF000000u);
  }
  s.Unlock();
}

void BM_CopyBlit_Ours(benchmark::State& state) {
  SoftSurface src, dst;
  src.Create(kWidth, kHeight, SurfaceFormat::X8R8G8B8);
  dst.Create(kWidth, kHeight, SurfaceFormat::X8R8G8B8);
  FillRandom(src, false);
  for (auto _ : state) {
    dst.BltFast(0, 0, &src, nullptr, kBltWait);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_CopyBlit_Ours);

void BM_CopyBlit_PeerMemcpy(benchmark::State& state) {
  std::vector<uint32_t> src(kPixels, 0x123456), dst(kPixels);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), kPixels * 4);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_CopyBlit_PeerMemcpy);

void BM_KeyedBlit_Ours(benchmark::State& state) {
  SoftSurface src, dst;
  src.Create(kWidth, kHeight, SurfaceFormat::X8R8G8B8);
  dst.Create(kWidth, kHeight, SurfaceFormat::X8R8G8B8);
  FillRandom(src, true);
  const ColorKey key{kKey, kKey};
  src.SetColorKey(&key);
  for (auto _ : state) {
    dst.BltFast(0, 0, &src, nullptr, kBltWait | kBltKeySrc);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_KeyedBlit_Ours);

void BM_KeyedBlit_PeerSdlBlitSurface(benchmark::State& state) {
  SoftSurface ours;
  ours.Create(kWidth, kHeight, SurfaceFormat::X8R8G8B8);
  FillRandom(ours, true);
  SurfaceLock lock;
  ours.Lock(nullptr, &lock);
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(lock.bits, kWidth, kHeight, 32, lock.pitch,
                                                        SDL_PIXELFORMAT_XRGB8888);
  SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_XRGB8888);
  SDL_SetColorKey(src, SDL_TRUE, kKey);
  for (auto _ : state) {
    SDL_BlitSurface(src, nullptr, dst, nullptr);
    benchmark::ClobberMemory();
  }
  SDL_FreeSurface(dst);
  SDL_FreeSurface(src);
  ours.Unlock();
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_KeyedBlit_PeerSdlBlitSurface);

void BM_ColorFill_Ours(benchmark::State& state) {
  SoftSurface dst;
  dst.Create(kWidth, kHeight, SurfaceFormat::X8R8G8B8);
  uint32_t v = 0;
  for (auto _ : state) {
    dst.ColorFill(nullptr, v++);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_ColorFill_Ours);

void BM_ColorFill_PeerMemset(benchmark::State& state) {
  std::vector<uint32_t> dst(kPixels);
  int v = 0;
  for (auto _ : state) {
    std::memset(dst.data(), v++ & 0xFF, kPixels * 4);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_ColorFill_PeerMemset);

void BM_Convert8888To565_Ours(benchmark::State& state) {
  SoftSurface src, dst;
  src.Create(kWidth, kHeight, SurfaceFormat::A8R8G8B8);
  dst.Create(kWidth, kHeight, SurfaceFormat::R5G6B5);
  FillRandom(src, false);
  SurfaceDc s, d;
  src.GetDC(&s);
  dst.GetDC(&d);
  for (auto _ : state) {
    DcBitBlt(d, 0, 0, kWidth, kHeight, s, 0, 0);
    benchmark::ClobberMemory();
  }
  src.ReleaseDC(s);
  dst.ReleaseDC(d);
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_Convert8888To565_Ours);

void BM_Convert8888To565_PeerSdlConvertPixels(benchmark::State& state) {
  std::vector<uint32_t> src(kPixels, 0xFF336699);
  std::vector<uint16_t> dst(kPixels);
  for (auto _ : state) {
    SDL_ConvertPixels(kWidth, kHeight, SDL_PIXELFORMAT_ARGB8888, src.data(), kWidth * 4,
                      SDL_PIXELFORMAT_RGB565, dst.data(), kWidth * 2);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_Convert8888To565_PeerSdlConvertPixels);

struct QuadVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
  float u, v;
};

void BM_BilinearQuad_Ours(benchmark::State& state) {
  SoftSurface target, texture;
  target.Create(kWidth, kHeight, SurfaceFormat::X8R8G8B8);
  texture.Create(512, 512, SurfaceFormat::A8R8G8B8);
  FillRandom(texture, false);
  RasterState rs;
  rs.texture = &texture;
  rs.clip = Rect{0, 0, kWidth, kHeight};
  rs.render[kRsCullMode] = kCullNone;
  // Argument: the filter (1 point, 2 linear); SDL's software triangles
  // sample the nearest texel, so point is the like-for-like figure.
  rs.stage[kTssMagFilter] = rs.stage[kTssMinFilter] = uint32_t(state.range(0));
  rs.stage[kTssAddressU] = rs.stage[kTssAddressV] = kAddressClamp;
  const QuadVertex quad[4] = {{-0.5f, -0.5f, 0, 1, 0xFFFFFFFF, 0, 0},
                              {kWidth - 0.5f, -0.5f, 0, 1, 0xFFFFFFFF, 1, 0},
                              {-0.5f, kHeight - 0.5f, 0, 1, 0xFFFFFFFF, 0, 1},
                              {kWidth - 0.5f, kHeight - 0.5f, 0, 1, 0xFFFFFFFF, 1, 1}};
  for (auto _ : state) {
    RasterizePrimitive(&target, rs, kPrimTriangleStrip, kFvfXyzRhw | kFvfDiffuse | kFvfTex1, quad, 4);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_BilinearQuad_Ours)->Arg(kFilterPoint)->Arg(kFilterLinear);

void BM_BilinearQuad_PeerSdlRenderGeometry(benchmark::State& state) {
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_XRGB8888);
  SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(target);
  SoftSurface ours;
  ours.Create(512, 512, SurfaceFormat::A8R8G8B8);
  FillRandom(ours, false);
  SurfaceLock lock;
  ours.Lock(nullptr, &lock);
  SDL_Surface* pixels = SDL_CreateRGBSurfaceWithFormatFrom(lock.bits, 512, 512, 32, lock.pitch,
                                                           SDL_PIXELFORMAT_ARGB8888);
  SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, pixels);
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
  const SDL_Color white{255, 255, 255, 255};
  const SDL_Vertex v[4] = {{{0, 0}, white, {0, 0}},
                           {{float(kWidth), 0}, white, {1, 0}},
                           {{0, float(kHeight)}, white, {0, 1}},
                           {{float(kWidth), float(kHeight)}, white, {1, 1}}};
  const int indices[6] = {0, 1, 2, 2, 1, 3};
  for (auto _ : state) {
    SDL_RenderGeometry(renderer, texture, v, 4, indices, 6);
    SDL_RenderFlush(renderer);
    benchmark::ClobberMemory();
  }
  SDL_DestroyTexture(texture);
  SDL_FreeSurface(pixels);
  SDL_DestroyRenderer(renderer);
  SDL_FreeSurface(target);
  ours.Unlock();
  state.SetItemsProcessed(state.iterations() * kPixels);
}
BENCHMARK(BM_BilinearQuad_PeerSdlRenderGeometry);

}  // namespace
