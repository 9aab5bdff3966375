// Antialiased outline text on 32-bit pictures: wherever a glyph covers a
// pixel fully, the pixel takes the text colour, through every drawing path
// and with either kernel family, at every antialias level.
#include <gtest/gtest.h>

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

constexpr uint32_t kGround = 0xFF406080u;
constexpr uint32_t kInk = 0xF0E0D0u;

// The colours of the pixels under the glyph bodies of "■": the middle of
// the drawn area, well inside the square.
uint32_t BodyColour(DibImage& image) {
  int32_t left = image.GetWidth(), top = image.GetHeight(), right = 0, bottom = 0;
  for (int32_t y = 0; y < image.GetHeight(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(image.GetScanLine(y));
    for (int32_t x = 0; x < image.GetWidth(); ++x) {
      if (row[x] == kGround || row[x] == 0) continue;
      left = std::min(left, x), top = std::min(top, y), right = std::max(right, x), bottom = std::max(bottom, y);
    }
  }
  if (right < left) return 0xDEADBEEFu;
  const int32_t cx = (left + right) / 2, cy = (top + bottom) / 2;
  uint32_t value = 0;
  std::memcpy(&value, image.GetScanLine(cy) + 4 * cx, 4);
  return value;
}

struct Path {
  const char* name;
  int (*draw)(OutlineFont& font, DibImage& image);
};

const Path kPaths[] = {
    {"DrawText", [](OutlineFont& f, DibImage& i) { return f.DrawText(&i, 4, 4, Sjis("■").c_str(), nullptr, nullptr); }},
    {"DrawTextToSurface",
     [](OutlineFont& f, DibImage& i) { return f.DrawTextToSurface(&i, 4, 4, Sjis("■").c_str(), nullptr, nullptr); }},
    {"DrawTextClipped",
     [](OutlineFont& f, DibImage& i) { return f.DrawTextClipped(&i, 4, 4, Sjis("■").c_str(), nullptr, nullptr); }},
};

TEST_F(FontTest, FullyCoveredPixelsTakeTheTextColourOn32BitPictures) {
  for (bool packed : {false, true}) {
    SetMmxFlag(packed);
    for (uint8_t level : {uint8_t(0), uint8_t(1), uint8_t(2)}) {
      for (uint8_t effect : {kEffectNone, kEffectShadow, kEffectOutline})
      for (const Path& path : kPaths) {
        SCOPED_TRACE(std::string(path.name) + " level " + std::to_string(level) + (packed ? " packed" : " plain") +
                     " effect " + std::to_string(effect));
        auto font = Gothic(24);
        font->SetAntialias(level);
        font->effectMode = effect;
        font->shadowX = 2;
        font->shadowY = 2;
        font->textRed = uint8_t(kInk >> 16), font->textGreen = uint8_t(kInk >> 8), font->textBlue = uint8_t(kInk);
        DibImage image;
        ASSERT_EQ(image.Create(40, 40, 32, false), 0);
        for (int32_t y = 0; y < 40; ++y) {
          auto* row = reinterpret_cast<uint32_t*>(image.GetScanLine(y));
          for (int32_t x = 0; x < 40; ++x) row[x] = kGround;
        }
        ASSERT_EQ(path.draw(*font, image), 0);
        EXPECT_EQ(BodyColour(image) & 0xFFFFFFu, kInk);
      }
    }
  }
  SetMmxFlag(false);
}

// A picture made from the text (the default antialias) shows the text
// colour, fully opaque, under the glyph body.
TEST_F(FontTest, TextPicturesShowTheTextColourUnderTheBody) {
  auto font = Gothic(24);
  font->textRed = uint8_t(kInk >> 16), font->textGreen = uint8_t(kInk >> 8), font->textBlue = uint8_t(kInk);
  Surface picture;
  ASSERT_EQ(CreateSurfaceFromText(&picture, Sjis("■").c_str(), font.get(), 0), 0);
  EXPECT_EQ(BodyColour(picture), 0xFF000000u | kInk);
}

}  // namespace
}  // namespace orrivel
