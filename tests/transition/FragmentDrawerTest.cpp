// The surface back ends take their clip rectangles, key and kernel once a
// frame; every piece must still land as the surface's own copy or alpha
// blend puts it: source and destination clips, colour key, pieces across
// every edge and far off, with the plain and the packed kernels.
#include "transition/FragmentDrawer.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "raster/KernelFlags.h"
#include "transition/TransitionRig.h"

namespace orrivel::test {
namespace {

std::unique_ptr<Surface> Noise(int32_t width, int32_t height, uint32_t seed) {
  auto surface = MakeSurface32(width, height, 0);
  std::mt19937 rng(seed);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) surface->SetPixel(x, y, rng() & 0xFF0F0F0Fu);
  return surface;
}

TEST(SurfaceFragmentDrawerTest, PiecesLandAsTheSurfacesOwnOperationsPutThem) {
  const bool packedBefore = MmxFlag();
  std::mt19937 rng(5);
  for (bool packed : {false, true}) {
    SetMmxFlag(packed);
    for (bool alpha : {false, true}) {
      for (bool keyed : {false, true}) {
        auto source = Noise(23, 17, 1);
        const Rect sourceClip{2, 1, 20, 15};
        ASSERT_TRUE(source->SetClipRect(&sourceClip));
        if (keyed) {
          ASSERT_EQ(source->SetColorKeyRgb(0x0F, 0x0F, 0x0F), 0);
        }
        auto viaDrawer = Noise(31, 25, 2);
        auto viaSurface = Noise(31, 25, 2);
        const Rect clip{3, 2, 29, 21};
        ASSERT_TRUE(viaDrawer->SetClipRect(&clip));
        ASSERT_TRUE(viaSurface->SetClipRect(&clip));
        SurfaceFragmentDrawer drawer(viaDrawer.get(), source.get(), alpha);
        std::uniform_int_distribution<int32_t> edge(-4, 26), place(-8, 34);
        for (int i = 0; i < 400; ++i) {
          const Rect piece{edge(rng), edge(rng), edge(rng), edge(rng)};
          int32_t x = place(rng), y = place(rng);
          if (i % 50 == 0) x = INT_MAX - 3;
          if (i % 50 == 1) y = INT_MIN + 2;
          ASSERT_EQ(drawer.Fragment(piece, x, y),
                    alpha ? viaSurface->AlphaBlend(source.get(), x, y, &piece, false)
                          : viaSurface->Copy(source.get(), x, y, &piece, false));
        }
        for (int32_t y = 0; y < 25; ++y)
          for (int32_t x = 0; x < 31; ++x)
            ASSERT_EQ(viaDrawer->GetPixel(x, y), viaSurface->GetPixel(x, y))
                << "(" << x << ", " << y << ")" << (packed ? " packed" : "") << (alpha ? " alpha" : " copy")
                << (keyed ? " keyed" : "");
      }
    }
  }
  SetMmxFlag(packedBefore);
}

}  // namespace
}  // namespace orrivel::test
