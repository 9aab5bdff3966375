// Antialiased outline text on 32-bit pictures: a glyph's pixels blend the
// text colour over the picture, so with the effect colour equal to the
// picture's, every channel of every pixel lies between the two colours and
// the fully covered ones take the text colour; through every drawing path,
// both kernel families, every antialias level and effect, and also when
// nothing built the process's blend tables before (a host drawing text
// without the application's start-up).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "raster/DibImage.h"
#include "raster/KernelFlags.h"
#include "raster/Surface.h"
#include "text/FontTestSupport.h"
#include "text/SurfaceText.h"

namespace orrivel {
namespace {

constexpr uint32_t kGround = 0x406080u;
constexpr uint32_t kInk = 0xF0E040u;

uint8_t Channel(uint32_t colour, int shift) { return uint8_t(colour >> shift); }

// Pixels of the ink colour, and pixels with a channel outside the two colours.
struct Census {
  int ink = 0;
  int outside = 0;
};

Census Count(DibImage& image) {
  Census census;
  for (int32_t y = 0; y < image.GetHeight(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(image.GetScanLine(y));
    for (int32_t x = 0; x < image.GetWidth(); ++x) {
      const uint32_t p = row[x] & 0xFFFFFFu;
      if (p == kInk) ++census.ink;
      for (int shift : {0, 8, 16}) {
        const int lo = std::min(Channel(kGround, shift), Channel(kInk, shift)) - 1;
        const int hi = std::max(Channel(kGround, shift), Channel(kInk, shift)) + 1;
        const int c = Channel(p, shift);
        if (c < lo || c > hi) {
          ++census.outside;
          break;
        }
      }
    }
  }
  return census;
}

struct Path {
  const char* name;
  int (*draw)(OutlineFont& font, DibImage& image, const char* text);
};

const Path kPaths[] = {
    {"DrawText", [](OutlineFont& f, DibImage& i, const char* t) { return f.DrawText(&i, 4, 4, t, nullptr, nullptr); }},
    {"DrawTextToSurface",
     [](OutlineFont& f, DibImage& i, const char* t) { return f.DrawTextToSurface(&i, 4, 4, t, nullptr, nullptr); }},
};

TEST_F(FontTest, GlyphPixelsBlendTheTextColourOverThePicture) {
  const std::string texts[] = {Sjis("■"), "Edge"};
  for (bool packed : {false, true}) {
    SetMmxFlag(packed);
    for (uint8_t level : {uint8_t(0), uint8_t(1), uint8_t(2)}) {
      for (uint8_t effect : {kEffectNone, kEffectShadow, kEffectOutline}) {
        for (const std::string& text : texts) {
          for (const Path& path : kPaths) {
            SCOPED_TRACE(std::string(path.name) + " level " + std::to_string(level) + (packed ? " packed" : " plain") +
                         " effect " + std::to_string(effect) + " " + text);
            ResetBlendTables();
            auto font = Gothic(20, "");
            font->SetAntialias(level);
            font->textRed = Channel(kInk, 16), font->textGreen = Channel(kInk, 8), font->textBlue = Channel(kInk, 0);
            font->effectRed = Channel(kGround, 16), font->effectGreen = Channel(kGround, 8);
            font->effectBlue = Channel(kGround, 0);
            font->effectMode = effect;
            font->shadowX = 2;
            font->shadowY = 2;
            DibImage image;
            ASSERT_EQ(image.Create(64, 40, 32, false), 0);
            for (int32_t y = 0; y < 40; ++y) {
              auto* row = reinterpret_cast<uint32_t*>(image.GetScanLine(y));
              for (int32_t x = 0; x < 64; ++x) row[x] = 0xFF000000u | kGround;
            }
            ASSERT_EQ(path.draw(*font, image, text.c_str()), 0);
            const Census census = Count(image);
            EXPECT_EQ(census.outside, 0);
            EXPECT_GT(census.ink, 0);
          }
        }
      }
    }
  }
  SetMmxFlag(false);
  BuildBlendTables();
}

}  // namespace
}  // namespace orrivel
