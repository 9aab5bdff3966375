#include "raster/CompositeKernels32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "raster/BlendTables.h"
#include "raster/DibImage.h"
#include "raster/Image.h"
#include "raster/KernelTestRows.h"

namespace orrivel {
namespace {

using test::Block;
using test::Walk;

uint32_t B(uint32_t v, int i) { return (v >> (8 * i)) & 0xFF; }

// The documented blend: weight w on the source (256 at alpha 255) and v on the
// destination, each product shifted on its own, saturated, alpha cleared.
template <bool kPacked>
uint32_t RefBlend(uint32_t d, uint32_t s) {
  const uint32_t a = s >> 24;
  const uint32_t w = a == 255 ? 256 : a;
  const uint32_t v = kPacked ? 256 - w : (a == 0 ? 256 : 255 - a);
  uint32_t out = 0;
  for (int i = 0; i < 3; ++i) out |= std::min(255u, (B(s, i) * w >> 8) + (B(d, i) * v >> 8)) << (8 * i);
  return out;
}

template <typename D, typename S>
void CheckWalks(const char* name, const std::map<Walk, test::KernelCall<D, S>>& calls,
                std::function<D(D, S)> ref, std::optional<uint32_t> key = std::nullopt,
                std::function<void(Block<S>&, std::mt19937&)> shapeSource = nullptr) {
  std::mt19937 rng(42);
  for (const auto& [walk, call] : calls)
    for (const auto& shape : test::kShapes) {
      const bool stretched = walk == Walk::Stretched || walk == Walk::StretchedMirrored;
      Block<S> src(stretched ? shape.sw : shape.dw, stretched ? shape.sh : shape.dh);
      Block<D> dst(shape.dw, shape.dh);
      test::FillRandom(src, rng, key);
      if (shapeSource) shapeSource(src, rng);
      test::FillRandom(dst, rng);
      Block<D> expected = dst;
      test::ReferenceWalk<D, S>(walk, expected, src, ref);
      test::RunWalk<D, S>(walk, dst, src, call);
      ASSERT_EQ(dst.pixels, expected.pixels) << name << " walk " << int(walk) << " " << shape.dw;
    }
}

template <typename D, typename S, typename... Extra>
test::KernelCall<D, S> P(void (*fn)(void*, const void*, int, int, int, int, Extra...), Extra... e) {
  return [=](void* d, const void* s, int ds, int ss, int w, int h, const StretchStep&) {
    fn(d, s, ds, ss, w, h, e...);
  };
}
template <typename D, typename S, typename... Extra>
test::KernelCall<D, S> St(void (*fn)(void*, const void*, int, int, int, int, const StretchStep&, Extra...),
                          Extra... e) {
  return [=](void* d, const void* s, int ds, int ss, int w, int h, const StretchStep& st) {
    fn(d, s, ds, ss, w, h, st, e...);
  };
}

class CompositeKernels32Test : public ::testing::Test {
 protected:
  void SetUp() override { BuildBlendTables(); }
};

TEST_F(CompositeKernels32Test, AlphaBlendFamiliesOverEveryWalk) {
  using U = uint32_t;
  CheckWalks<U, U>("blend", {{Walk::Straight, P<U, U>(&BlendByAlpha32)},
                             {Walk::Mirrored, P<U, U>(&BlendByAlpha32Mirrored)},
                             {Walk::Stretched, St<U, U>(&StretchBlendByAlpha32)},
                             {Walk::StretchedMirrored, St<U, U>(&StretchBlendByAlpha32Mirrored)}},
                   RefBlend<false>);
  // The packed twins at every vector width, on uniform alpha and on runs of
  // clear and opaque pixels (the wide path's shortcuts).
  test::ForEachVectorWidth([](int bytes) {
    SCOPED_TRACE(testing::Message() << "vector bytes " << bytes);
    const std::map<Walk, test::KernelCall<U, U>> mmx = {
        {Walk::Straight, P<U, U>(&BlendByAlpha32Mmx)},
        {Walk::Mirrored, P<U, U>(&BlendByAlpha32MirroredMmx)},
        {Walk::Stretched, St<U, U>(&StretchBlendByAlpha32Mmx)},
        {Walk::StretchedMirrored, St<U, U>(&StretchBlendByAlpha32MirroredMmx)}};
    CheckWalks<U, U>("blend mmx", mmx, RefBlend<true>);
    CheckWalks<U, U>("blend mmx runs", mmx, RefBlend<true>, std::nullopt, test::MakeAlphaRuns);
  });
}

// Every alpha against every pair of source and destination channel values,
// three pairs a pixel, through the packed twin at each vector width: the
// multiplies, the weight of 256 at alpha 255 and the per-lane sums must
// give the reference's bytes everywhere, not only on a random sample. The
// pixels go once as one long row (vector steps) and once as rows of three
// (too short for a step: every pixel takes the single-pixel form).
TEST_F(CompositeKernels32Test, PackedBlendMatchesReferenceForEveryAlphaAndChannelPair) {
  constexpr int kPairs = 256 * 256;
  constexpr int kWidth = (kPairs + 2) / 3;
  static_assert(kWidth % 3 == 0);
  std::vector<uint32_t> src(kWidth), dst(kWidth), initial(kWidth), expected(kWidth);
  test::ForEachVectorWidth([&](int bytes) {
    for (uint32_t a = 0; a < 256; ++a) {
      for (int x = 0; x < kWidth; ++x) {
        uint32_t s = a << 24, d = 0xA5000000u;  // the destination alpha must not leak through
        for (int c = 0; c < 3; ++c) {
          const uint32_t pair = uint32_t(std::min(3 * x + c, kPairs - 1));
          s |= (pair >> 8) << (8 * c);
          d |= (pair & 0xFF) << (8 * c);
        }
        src[size_t(x)] = s;
        initial[size_t(x)] = d;
        expected[size_t(x)] = RefBlend<true>(d, s);
      }
      for (int rowWidth : {kWidth, 3}) {
        dst = initial;
        BlendByAlpha32Mmx(dst.data(), src.data(), 0, 0, rowWidth, kWidth / rowWidth);
        for (int x = 0; x < kWidth; ++x)
          ASSERT_EQ(dst[size_t(x)], expected[size_t(x)])
              << "vector bytes " << bytes << " row width " << rowWidth << " alpha " << a << " pixel "
              << x << std::hex << " source " << src[size_t(x)];
      }
    }
  });
}

TEST_F(CompositeKernels32Test, BlendTwinsDifferExactlyAsDocumented) {
  struct Case {
    uint32_t d, s, plain, packed;
  };
  const Case cases[] = {
      {0x000000FF, 0x80FF0000, 0x007F007E, 0x007F007F},  // red 127; blue 126 vs 127
      {0xFF123456, 0xFFABCDEF, 0x00ABCDEF, 0x00ABCDEF},  // alpha 255: source exactly
      {0xFF123456, 0x00ABCDEF, 0x00123456, 0x00123456},  // alpha 0: destination exactly
  };
  for (const auto& c : cases) {
    // Five pixels so that the packed twin runs both its vector and tail paths.
    uint32_t plain[5], packed[5];
    const uint32_t src[5] = {c.s, c.s, c.s, c.s, c.s};
    std::fill(plain, plain + 5, c.d);
    std::fill(packed, packed + 5, c.d);
    BlendByAlpha32(plain, src, 0, 0, 5, 1);
    BlendByAlpha32Mmx(packed, src, 0, 0, 5, 1);
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(plain[i], c.plain) << std::hex << c.s;
      EXPECT_EQ(packed[i], c.packed) << std::hex << c.s;
    }
  }
}

TEST_F(CompositeKernels32Test, PlaneAndAlphaTransfersOverEveryWalk) {
  using U = uint32_t;
  using P8 = uint8_t;
  CheckWalks<U, P8>("plane to alpha",
                    {{Walk::Straight, P<U, P8>(&CopyPlaneToAlpha)},
                     {Walk::Mirrored, P<U, P8>(&CopyPlaneToAlphaMirrored)},
                     {Walk::Stretched, St<U, P8>(&StretchCopyPlaneToAlpha)},
                     {Walk::StretchedMirrored, St<U, P8>(&StretchCopyPlaneToAlphaMirrored)}},
                    [](U d, P8 p) { return (d & 0x00FFFFFFu) | (U(p) << 24); });
  CheckWalks<U, P8>("combine", {{Walk::Straight, P<U, P8>(&CombineAlphaWithPlane)}}, [](U d, P8 p) {
    const U a = d >> 24;
    return (d & 0x00FFFFFFu) | ((255 - (255 - a) * (255 - p) / 255) << 24);
  });
  CheckWalks<P8, U>("alpha to plane",
                    {{Walk::Straight, P<P8, U>(&CopyAlphaToPlane)},
                     {Walk::Mirrored, P<P8, U>(&CopyAlphaToPlaneMirrored)},
                     {Walk::Stretched, St<P8, U>(&StretchCopyAlphaToPlane)},
                     {Walk::StretchedMirrored, St<P8, U>(&StretchCopyAlphaToPlaneMirrored)}},
                    [](P8, U s) { return P8(s >> 24); });
}

TEST_F(CompositeKernels32Test, ColorAndAlphaOnlyCopiesWithTwins) {
  using U = uint32_t;
  const U key = 0x00102030;
  auto color = [](U d, U s) { return (s & 0x00FFFFFFu) | (d & 0xFF000000u); };
  auto alpha = [](U d, U s) { return (s & 0xFF000000u) | (d & 0x00FFFFFFu); };
  auto keyed = [key, color](U d, U s) { return s == key ? d : color(d, s); };
  CheckWalks<U, U>("colour", {{Walk::Straight, P<U, U>(&CopyColorKeepAlpha32)},
                              {Walk::Stretched, St<U, U>(&StretchCopyColorKeepAlpha32)}},
                   color);
  CheckWalks<U, U>("colour mmx", {{Walk::Straight, P<U, U>(&CopyColorKeepAlpha32Mmx)},
                                  {Walk::Stretched, St<U, U>(&StretchCopyColorKeepAlpha32Mmx)}},
                   color);
  CheckWalks<U, U>("colour keyed", {{Walk::Straight, P<U, U>(&CopyColorKeepAlphaKeyed32, key)},
                                    {Walk::Stretched, St<U, U>(&StretchCopyColorKeepAlphaKeyed32, key)}},
                   keyed, key);
  CheckWalks<U, U>("colour keyed mmx",
                   {{Walk::Straight, P<U, U>(&CopyColorKeepAlphaKeyed32Mmx, key)},
                    {Walk::Stretched, St<U, U>(&StretchCopyColorKeepAlphaKeyed32Mmx, key)}},
                   keyed, key);
  CheckWalks<U, U>("alpha", {{Walk::Straight, P<U, U>(&CopyAlphaKeepColor32)},
                             {Walk::Stretched, St<U, U>(&StretchCopyAlphaKeepColor32)}},
                   alpha);
  CheckWalks<U, U>("alpha mmx", {{Walk::Straight, P<U, U>(&CopyAlphaKeepColor32Mmx)},
                                 {Walk::Stretched, St<U, U>(&StretchCopyAlphaKeepColor32Mmx)}},
                   alpha);

  // The key matches the whole word: an opaque pixel of the key colour is copied.
  U dst[2] = {0x80FFFFFF, 0x80FFFFFF};
  const U src[2] = {0x00102030, 0xFF102030};
  CopyColorKeepAlphaKeyed32(dst, src, 0, 0, 2, 1, key);
  EXPECT_EQ(dst[0], 0x80FFFFFFu);
  EXPECT_EQ(dst[1], 0x80102030u);
}

TEST_F(CompositeKernels32Test, CombineAlphaUnionExample) {
  uint32_t d = 0x80ABCDEF;
  const uint8_t plane = 128;
  CombineAlphaWithPlane(&d, &plane, 0, 0, 1, 1);
  EXPECT_EQ(d, 0xC0ABCDEFu);
}

// A 32-bit image whose rows carry padding beyond width * 4.
class PaddedImage : public Image {
 public:
  PaddedImage(int w, int h, int pitch) : pixels_(size_t(pitch) * h / 4, 0xFF123456u) {
    width_ = w;
    height_ = h;
    pitch_ = pitch;
  }
  uint8_t GetKind() const override { return 4; }
  uint8_t* GetBits() override { return reinterpret_cast<uint8_t*>(pixels_.data()); }
  uint8_t* GetScanLine(int32_t y) override { return GetBits() + y * pitch_; }
  int SetColorKeyRgb(uint8_t, uint8_t, uint8_t) override { return 1; }
  int SetColorKeyAt(int32_t, int32_t) override { return 1; }
  int ClearColorKey() override { return 0; }
  int Restore(uint8_t) override { return 0; }
  bool SetClipRect(const Rect*) override { return true; }
  bool ClipToClipRect(Rect*) override { return true; }
  std::vector<uint32_t> pixels_;
};

TEST_F(CompositeKernels32Test, SetImageAlphaWalksRowsByPitch) {
  PaddedImage image(3, 4, 5 * 4);  // two padding pixels per row
  SetImageAlpha(image, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(image.pixels_[y * 5 + x], x < 3 ? 0x00123456u : 0xFF123456u) << x << "," << y;
  SetImageAlpha(image, 0x7F);
  EXPECT_EQ(image.pixels_[3 * 5 + 2], 0x7F123456u);
  EXPECT_EQ(image.pixels_[3 * 5 + 3], 0xFF123456u);

  // An 8-bit image's rows are too short for 32-bit words: left alone rather
  // than written past its last row.
  DibImage indexed;
  ASSERT_EQ(indexed.Create(3, 2, 8, false), 0);
  std::memset(indexed.GetBits(), 0x11, size_t(indexed.GetPitch()) * 2);
  SetImageAlpha(indexed, 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(indexed.GetPixel(x, y), 0x11u) << x << "," << y;
}

}  // namespace
}  // namespace orrivel
