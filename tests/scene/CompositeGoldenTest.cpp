// Small composed scenes checked against pictures our renderer made once and
// that were reviewed by eye: every draw mode at full and half opacity, with
// and without a colour key, on 32- and 8-bit targets. Set
// ORRIVEL_UPDATE_GOLDEN=1 to write them again after a deliberate change.
#include <gtest/gtest.h>

#include "GoldenSupport.h"
#include "SceneTestSupport.h"
#include "raster/ColorBox.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

using test::MakeSurface32;
using test::MakeSurface8;

using test::ExpectGolden;

class CompositeGoldenTest : public test::SceneTest {};

// Rows: a soft-edged picture, then a keyed one, each at opacity 255 and 128.
// Columns: copy, alpha blend, add, subtract; a colour box lies over the
// last row.
TEST_F(CompositeGoldenTest, DrawModesAndOpacityOn32Bits) {
  auto background = MakeSurface32(96, 96, [](int x, int y) {
    const bool light = ((x / 8) + (y / 8)) % 2 == 0;
    return 0xFF000000u | uint32_t(light ? 0x90 : 0x40) << 16 | uint32_t(x * 2) << 8 | uint32_t(y * 2);
  });
  auto soft = MakeSurface32(18, 18, [](int x, int y) {
    const int dx = x - 9, dy = y - 9, d = dx * dx + dy * dy;
    const uint32_t alpha = d >= 81 ? 0 : uint32_t(255 - d * 3);
    return alpha << 24 | 0xE0u << 16 | uint32_t(x * 12) << 8 | 0x30u;
  });
  soft->SetHasAlpha(true);
  auto keyed = MakeSurface32(18, 18, [](int x, int y) {
    if ((x - 9) * (x - 9) + (y - 9) * (y - 9) > 64) return 0x00000000u;  // the key
    return 0xFF000000u | 0x20u << 16 | uint32_t(y * 12) << 8 | 0xF0u;
  });
  keyed->SetColorKeyRgb(0, 0, 0);
  auto target = MakeSurface32(96, 96, [](int, int) { return 0u; });
  SpriteCanvas canvas;
  ASSERT_EQ(canvas.SetTarget(target.get(), 0), 0);
  canvas.SetBackgroundImage(background.get(), 0, 0, 1);
  const uint8_t modes[] = {0, 2, 4, 5};
  ImageSprite sprites[16];
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      ImageSprite& s = sprites[row * 4 + col];
      ASSERT_EQ(s.SetImage(row < 2 ? soft.get() : keyed.get(), nullptr, 4 + col * 23, 4 + row * 23), 0);
      s.SetDrawMode(modes[col]);
      s.SetOpacity(row % 2 == 0 ? 255 : 128);
      canvas.MainList().Add(&s, 10, 0);
    }
  }
  ColorBox box;
  box.Init(80, 6, 0x80FFFFFFu, 8, 80);
  canvas.MainList().Add(&box, 1, 0);
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  ExpectGolden(*target, "modes32");
}

// An 8-bit target: the background is the palette index in the red byte;
// 8-bit pictures are copied whatever their mode, the keyed one leaving its
// key index out.
TEST_F(CompositeGoldenTest, EightBitTargetFillsWithTheIndexAndCopies) {
  Surface target;
  ASSERT_EQ(target.Create(48, 24, 8, 0), 0);
  uint32_t palette[256];
  for (uint32_t i = 0; i < 256; ++i) palette[i] = i << 16 | (255 - i) << 8 | i / 2;
  target.SetPalette(palette, 256, 256, 0);
  auto stripes = MakeSurface8(16, 16, [](int x, int) { return 20 + x * 14; });
  auto ring = MakeSurface8(16, 16, [](int x, int y) {
    const int d = (x - 8) * (x - 8) + (y - 8) * (y - 8);
    return d > 40 ? 0 : 240;
  });
  ring->SetColorKeyRgb(0, 255, 0);  // palette index 0
  SpriteCanvas canvas;
  ASSERT_EQ(canvas.SetTarget(&target, 0), 0);
  canvas.SetBackgroundColor(100, 0, 0, 1);
  ImageSprite a, b;
  ASSERT_EQ(a.SetImage(stripes.get(), nullptr, 4, 4), 0);
  ASSERT_EQ(b.SetImage(ring.get(), nullptr, 14, 6), 0);
  b.SetDrawMode(Drawable::kModeAdd);
  b.SetOpacity(3);
  canvas.MainList().Add(&a, 2, 0);
  canvas.MainList().Add(&b, 1, 0);
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(target.GetScanLine(0)[0], 100);
  EXPECT_EQ(target.GetScanLine(14)[14], 20 + 10 * 14);  // under the ring's key
  EXPECT_EQ(target.GetScanLine(14)[22], 240);
  ExpectGolden(target, "indexed8");
}

}  // namespace
}  // namespace orrivel
