// Blits, colour keys, device contexts, flip chains and the lost and busy
// hooks of the software surface.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/PixelLayout.h"
#include "platform/SoftSurface.h"

namespace orrivel::platform {
namespace {

constexpr SurfaceFormat kAllFormats[] = {SurfaceFormat::Indexed8, SurfaceFormat::X1R5G5B5,
                                         SurfaceFormat::R5G6B5,   SurfaceFormat::R8G8B8,
                                         SurfaceFormat::X8R8G8B8, SurfaceFormat::A1R5G5B5,
                                         SurfaceFormat::A4R4G4B4, SurfaceFormat::A8R8G8B8};

uint32_t Raw(SoftSurface& s, int x, int y) {
  SurfaceLock lock;
  EXPECT_EQ(s.Lock(nullptr, &lock), kSurfaceOk);
  const PixelLayout layout(lock.format);
  const uint32_t v = layout.Load(lock.bits + size_t(y) * lock.pitch + size_t(x) * layout.BytesPerPixel());
  s.Unlock();
  return v;
}

void Put(SoftSurface& s, int x, int y, uint32_t raw) {
  SurfaceLock lock;
  ASSERT_EQ(s.Lock(nullptr, &lock), kSurfaceOk);
  const PixelLayout layout(lock.format);
  layout.Store(lock.bits + size_t(y) * lock.pitch + size_t(x) * layout.BytesPerPixel(), raw);
  s.Unlock();
}

// Distinct raw values that fit every format.
uint32_t Pattern(int x, int y, uint32_t bits) {
  const uint32_t v = uint32_t(x * 37 + y * 101 + 5);
  return bits == 32 ? v * 0x01010101u : bits == 24 ? v * 0x010101u & 0xFFFFFF : bits == 16 ? v * 0x0101u & 0xFFFF : v & 0xFF;
}

void FillPattern(SoftSurface& s) {
  SurfacePixelFormat f;
  s.GetPixelFormat(&f);
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) Put(s, x, y, Pattern(x, y, f.bitCount));
  }
}

TEST(SoftSurfaceBlitTest, KeyedBlitSkipsKeyPixelsIn565And1555And8888) {
  struct Case {
    SurfaceFormat format;
    uint32_t key;
    uint32_t other;
  };
  const Case cases[] = {{SurfaceFormat::R5G6B5, 0xF81F, 0x07E0},
                        {SurfaceFormat::A1R5G5B5, 0xFC1F, 0x83E0},
                        {SurfaceFormat::A8R8G8B8, 0xFFFF00FFu, 0xFF00FF00u}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.format));
    SoftSurface src, dst;
    ASSERT_EQ(src.Create(4, 2, c.format), kSurfaceOk);
    ASSERT_EQ(dst.Create(4, 2, c.format), kSurfaceOk);
    ASSERT_EQ(dst.ColorFill(nullptr, 0x1234), kSurfaceOk);
    for (int x = 0; x < 4; ++x) {
      Put(src, x, 0, x % 2 ? c.key : c.other);
      Put(src, x, 1, c.key);
    }
    // Keyed without a key on the source is refused, as the driver would.
    EXPECT_EQ(dst.Blt(nullptr, &src, nullptr, kBltKeySrc), kSurfaceNoColorKey);
    const ColorKey key{c.key, c.key};
    ASSERT_EQ(src.SetColorKey(&key), kSurfaceOk);
    ASSERT_EQ(dst.Blt(nullptr, &src, nullptr, kBltKeySrc | kBltWait), kSurfaceOk);
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(Raw(dst, x, 0), x % 2 ? 0x1234u : c.other);
      EXPECT_EQ(Raw(dst, x, 1), 0x1234u);
    }
    // Without the flag the key is ignored.
    ASSERT_EQ(dst.BltFast(0, 0, &src, nullptr, 0), kSurfaceOk);
    EXPECT_EQ(Raw(dst, 1, 0), c.key);
    ColorKey back;
    EXPECT_EQ(src.GetColorKey(&back), kSurfaceOk);
    EXPECT_EQ(back, key);
    src.SetColorKey(nullptr);
    EXPECT_EQ(src.GetColorKey(&back), kSurfaceNoColorKey);
  }
}

TEST(SoftSurfaceBlitTest, StretchAndFillMatchTheReferenceOnEveryFormat) {
  for (SurfaceFormat format : kAllFormats) {
    SCOPED_TRACE(int(format));
    SoftSurface src, dst;
    ASSERT_EQ(src.Create(6, 4, format), kSurfaceOk);
    ASSERT_EQ(dst.Create(13, 9, format), kSurfaceOk);
    FillPattern(src);
    SurfacePixelFormat f;
    src.GetPixelFormat(&f);
    // Doubling repeats every source pixel in a 2 x 2 block.
    const Rect twice{1, 1, 13, 9};
    ASSERT_EQ(dst.Blt(&twice, &src, nullptr, kBltWait), kSurfaceOk);
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 12; ++x) ASSERT_EQ(Raw(dst, x + 1, y + 1), Pattern(x / 2, y / 2, f.bitCount));
    }
    // Halving takes every other pixel; the rest of the surface is untouched.
    const Rect sourceArea{0, 0, 6, 4}, half{0, 0, 3, 2};
    SoftSurface small;
    ASSERT_EQ(small.Create(4, 3, format), kSurfaceOk);
    ASSERT_EQ(small.ColorFill(nullptr, 0x55), kSurfaceOk);
    ASSERT_EQ(small.Blt(&half, &src, &sourceArea, 0), kSurfaceOk);
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 3; ++x) EXPECT_EQ(Raw(small, x, y), Pattern(2 * x, 2 * y, f.bitCount));
    }
    EXPECT_EQ(Raw(small, 3, 0), 0x55u);
    EXPECT_EQ(Raw(small, 0, 2), 0x55u);
    // A fill writes the low bits of the value into exactly the rectangle.
    const Rect fill{2, 3, 5, 7};
    std::vector<uint32_t> before;
    for (int y = 0; y < 9; ++y) {
      for (int x = 0; x < 13; ++x) before.push_back(Raw(dst, x, y));
    }
    ASSERT_EQ(dst.ColorFill(&fill, 0xA1B2C3D4u), kSurfaceOk);
    const uint32_t mask = f.bitCount == 32 ? 0xFFFFFFFFu : (1u << f.bitCount) - 1;
    for (int y = 0; y < 9; ++y) {
      for (int x = 0; x < 13; ++x) {
        const bool inside = x >= 2 && x < 5 && y >= 3 && y < 7;
        if (inside) ASSERT_EQ(Raw(dst, x, y), 0xA1B2C3D4u & mask);
        else ASSERT_EQ(Raw(dst, x, y), before[size_t(y * 13 + x)]);
      }
    }
  }
}

TEST(SoftSurfaceBlitTest, BlitWithinOneSurfaceReadsTheOldPixels) {
  SoftSurface s;
  ASSERT_EQ(s.Create(8, 1, SurfaceFormat::X8R8G8B8), kSurfaceOk);
  for (int x = 0; x < 8; ++x) Put(s, x, 0, uint32_t(x));
  const Rect from{0, 0, 6, 1};
  ASSERT_EQ(s.BltFast(2, 0, &s, &from, 0), kSurfaceOk);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(Raw(s, x, 0), uint32_t(x < 2 ? x : x - 2));
}

TEST(SoftSurfaceBlitTest, RefusalsOfBadBlits) {
  SoftSurface a, b, c;
  ASSERT_EQ(a.Create(4, 4, SurfaceFormat::R5G6B5), kSurfaceOk);
  ASSERT_EQ(b.Create(4, 4, SurfaceFormat::X8R8G8B8), kSurfaceOk);
  EXPECT_EQ(a.Blt(nullptr, nullptr, nullptr, 0), kSurfaceInvalidParams);
  EXPECT_EQ(a.Blt(nullptr, &b, nullptr, 0), kSurfaceInvalidParams);  // depths differ
  EXPECT_EQ(a.Blt(nullptr, &c, nullptr, 0), kSurfaceNoPixels);
  const Rect outside{2, 2, 6, 6};
  EXPECT_EQ(a.BltFast(2, 2, &a, nullptr, 0), kSurfaceInvalidParams);
  EXPECT_EQ(a.Blt(&outside, &a, nullptr, 0), kSurfaceInvalidParams);
  const Rect empty{1, 1, 1, 3};
  EXPECT_EQ(a.Blt(&empty, &a, nullptr, 0), kSurfaceInvalidParams);
}

TEST(SoftSurfaceBlitTest, BusyAnswersOnlyCallsThatDoNotWait) {
  SoftSurface s, src;
  ASSERT_EQ(s.Create(2, 2, SurfaceFormat::X8R8G8B8), kSurfaceOk);
  ASSERT_EQ(src.Create(2, 2, SurfaceFormat::X8R8G8B8), kSurfaceOk);
  SurfaceLock lock;
  SurfaceDc dc;
  s.SetBusy(2);
  EXPECT_EQ(s.Lock(nullptr, &lock), kSurfaceBusy);
  EXPECT_EQ(s.GetDC(&dc), kSurfaceBusy);
  EXPECT_EQ(s.Lock(nullptr, &lock), kSurfaceOk);
  s.Unlock();
  s.SetBusy(5);
  EXPECT_EQ(s.Blt(nullptr, &src, nullptr, 0), kSurfaceBusy);
  EXPECT_EQ(s.Blt(nullptr, &src, nullptr, kBltWait), kSurfaceOk);  // waits the busy state out
  EXPECT_EQ(s.Lock(nullptr, &lock), kSurfaceOk);
  s.Unlock();
  // A busy source answers too.
  src.SetBusy(1);
  EXPECT_EQ(s.BltFast(0, 0, &src, nullptr, 0), kSurfaceBusy);
  EXPECT_EQ(s.BltFast(0, 0, &src, nullptr, 0), kSurfaceOk);
}

TEST(SoftSurfaceBlitTest, LostSurfacesRefuseUntilRestoredAndComeBackScrambled) {
  SoftSurface s, src;
  ASSERT_EQ(s.Create(3, 2, SurfaceFormat::X8R8G8B8), kSurfaceOk);
  ASSERT_EQ(src.Create(3, 2, SurfaceFormat::X8R8G8B8), kSurfaceOk);
  ASSERT_EQ(s.ColorFill(nullptr, 0x00ABCDEF), kSurfaceOk);
  s.SetLost(true);
  SurfaceDc dc;
  EXPECT_EQ(s.Blt(nullptr, &src, nullptr, kBltWait), kSurfaceLost);
  EXPECT_EQ(src.Blt(nullptr, &s, nullptr, kBltWait), kSurfaceLost);
  EXPECT_EQ(s.GetDC(&dc), kSurfaceLost);
  EXPECT_EQ(s.ColorFill(nullptr, 0), kSurfaceLost);
  EXPECT_EQ(s.Restore(), kSurfaceOk);
  EXPECT_NE(Raw(s, 0, 0), 0x00ABCDEFu);  // the picture is gone
  EXPECT_EQ(s.GetDC(&dc), kSurfaceOk);
  EXPECT_EQ(s.Blt(nullptr, &src, nullptr, kBltWait), kSurfaceAlreadyLocked);
  EXPECT_EQ(s.ReleaseDC(dc), kSurfaceOk);
  EXPECT_EQ(s.ReleaseDC(dc), kSurfaceNotLocked);
}

TEST(SoftSurfaceBlitTest, DeviceContextCopiesConvertBetweenFormats) {
  // 8888 -> 565 -> 8888 keeps the top bits of each channel; an 8-bit
  // context reads through its palette.
  SoftSurface argb, rgb16, back, indexed;
  ASSERT_EQ(argb.Create(4, 4, SurfaceFormat::A8R8G8B8), kSurfaceOk);
  ASSERT_EQ(rgb16.Create(3, 3, SurfaceFormat::R5G6B5), kSurfaceOk);
  ASSERT_EQ(back.Create(4, 4, SurfaceFormat::X8R8G8B8), kSurfaceOk);
  ASSERT_EQ(indexed.Create(2, 1, SurfaceFormat::Indexed8), kSurfaceOk);
  ASSERT_EQ(argb.ColorFill(nullptr, 0x80FF8421u), kSurfaceOk);
  SurfaceDc a, r, b, i;
  ASSERT_EQ(argb.GetDC(&a), kSurfaceOk);
  ASSERT_EQ(rgb16.GetDC(&r), kSurfaceOk);
  ASSERT_EQ(back.GetDC(&b), kSurfaceOk);
  ASSERT_EQ(indexed.GetDC(&i), kSurfaceOk);
  // Cut to the smaller context: 5 x 5 asked, 3 x 3 written.
  EXPECT_TRUE(DcBitBlt(r, -1, -1, 5, 5, a, 0, 0));
  EXPECT_TRUE(DcBitBlt(b, 0, 0, 4, 4, r, 0, 0));
  indexed.Palette()[7] = 0x00102030;
  i.bits[1] = 7;
  EXPECT_TRUE(DcBitBlt(b, 3, 3, 2, 2, i, 1, 0));
  EXPECT_FALSE(DcBitBlt(b, 0, 0, 1, 1, SurfaceDc{}, 0, 0));
  argb.ReleaseDC(a);
  rgb16.ReleaseDC(r);
  back.ReleaseDC(b);
  indexed.ReleaseDC(i);
  EXPECT_EQ(Raw(rgb16, 0, 0), (0x1Fu << 11) | (0x21u << 5) | 0x04u);
  EXPECT_EQ(Raw(back, 0, 0) & 0xFFFFFF, 0xFF8621u);  // 5/6/5 bits widened again
  EXPECT_EQ(Raw(back, 3, 0), 0u);                     // outside what was copied
  EXPECT_EQ(Raw(back, 3, 3) & 0xFFFFFF, 0x102030u);
}

TEST(SoftSurfaceBlitTest, FlipChainsRotateTheirPictures) {
  for (int backCount : {1, 2}) {
    SCOPED_TRACE(backCount);
    SoftSurface primary;
    const SurfacePixelFormat f = DescribeSurfaceFormat(SurfaceFormat::X8R8G8B8);
    ASSERT_EQ(primary.CreateFlipChain(2, 2, f, backCount), kSurfaceOk);
    ASSERT_EQ(primary.BackBufferCount(), backCount);
    SoftSurface* back = primary.AttachedBackBuffer();
    ASSERT_NE(back, nullptr);
    primary.ColorFill(nullptr, 0xF0);
    for (uint32_t frame = 1; frame <= 4; ++frame) {
      ASSERT_EQ(back->ColorFill(nullptr, frame), kSurfaceOk);
      ASSERT_EQ(primary.Flip(0), kSurfaceOk);
      EXPECT_EQ(Raw(primary, 1, 1), frame);
    }
    EXPECT_EQ(primary.FlipCount(), 4u);
    // After a flip the drawing buffer holds an older picture: the last but
    // one with one back buffer, the last but two with two.
    EXPECT_EQ(Raw(*back, 0, 0), backCount == 1 ? 3u : 2u);
    primary.SetLost(true);
    EXPECT_TRUE(back->IsLost());
    EXPECT_EQ(primary.Flip(0), kSurfaceLost);
    EXPECT_EQ(primary.Restore(), kSurfaceOk);
    EXPECT_FALSE(back->IsLost());
    EXPECT_EQ(primary.Flip(0), kSurfaceOk);
  }
  SoftSurface plain;
  ASSERT_EQ(plain.Create(2, 2, SurfaceFormat::X8R8G8B8), kSurfaceOk);
  EXPECT_EQ(plain.Flip(0), kSurfaceNotFlippable);
  EXPECT_EQ(plain.CreateFlipChain(2, 2, DescribeSurfaceFormat(SurfaceFormat::X8R8G8B8), 3),
            kSurfaceInvalidParams);
}

TEST(SoftSurfaceBlitTest, PixelLayoutRoundTripsEveryFormat) {
  std::mt19937 rng(7);
  for (SurfaceFormat format : kAllFormats) {
    if (format == SurfaceFormat::Indexed8) continue;
    SCOPED_TRACE(int(format));
    const SurfacePixelFormat f = DescribeSurfaceFormat(format);
    const PixelLayout layout(f);
    // Every raw value of a 16-bit format survives unpack and pack.
    if (f.bitCount == 16) {
      const uint32_t used = f.redMask | f.greenMask | f.blueMask | f.alphaMask;
      for (uint32_t raw = 0; raw < 0x10000; ++raw) {
        if ((raw & ~used) != 0) continue;
        ASSERT_EQ(layout.Pack(layout.Unpack(raw)), raw);
      }
    }
    for (int i = 0; i < 100; ++i) {
      const uint32_t raw = uint32_t(rng()) & (f.bitCount == 32 ? (f.alphaMask ? 0xFFFFFFFFu : 0xFFFFFFu) : 0xFFFFFFu);
      if (f.bitCount >= 24) {
        ASSERT_EQ(layout.Pack(layout.Unpack(raw)), raw);
      }
    }
    EXPECT_EQ(layout.Unpack(layout.Pack(0xFFFFFFFFu)), 0xFFFFFFFFu);
    EXPECT_EQ(layout.Unpack(layout.Pack(0xFF000000u)), 0xFF000000u);
  }
}

}  // namespace
}  // namespace orrivel::platform
