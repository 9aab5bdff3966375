// Turned and scaled sprites checked against pictures our renderer made once
// and that were reviewed by eye: a quarter, eighth and half turn and none,
// each at half, full and double size, with nearest and interpolated texels.
#include <gtest/gtest.h>

#include <string>

#include "GoldenSupport.h"
#include "SceneTestSupport.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

using test::MakeSurface32;

constexpr int kCell = 64;
constexpr int32_t kAngles[] = {0, 64, 128, 256};
constexpr double kScales[] = {0.5, 1.0, 2.0};

class SpriteTransformGoldenTest : public test::SceneTest {};

// A 24 x 16 picture that shows which way it faces: a yellow block in its
// top-left corner, a red-to-blue ramp elsewhere and a dark frame.
std::unique_ptr<Surface> Facing() {
  auto s = MakeSurface32(24, 16, [](int x, int y) {
    if (x == 0 || y == 0 || x == 23 || y == 15) return 0xFF202020u;
    if (x < 8 && y < 6) return 0xFFF0E020u;
    return 0xFF000000u | uint32_t(255 - x * 10) << 16 | uint32_t(y * 8) << 8 | uint32_t(x * 10);
  });
  s->SetHasAlpha(true);
  return s;
}

void RenderGrid(uint8_t resampling, const std::string& name) {
  auto picture = Facing();
  auto target = MakeSurface32(kCell * 4, kCell * 3, [](int, int) { return 0u; });
  auto checker = MakeSurface32(kCell * 4, kCell * 3, [](int x, int y) {
    return ((x / 8) + (y / 8)) % 2 == 0 ? 0xFF9098A0u : 0xFF606870u;
  });
  SpriteCanvas canvas;
  ASSERT_EQ(canvas.SetTarget(target.get(), 0), 0);
  canvas.SetBackgroundImage(checker.get(), 0, 0, 1);
  ImageSprite sprites[12];
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 4; ++col) {
      ImageSprite& s = sprites[row * 4 + col];
      // The picture's centre (12, 8) on the cell's centre.
      ASSERT_EQ(s.SetImage(picture.get(), nullptr, col * kCell + kCell / 2 - 12, row * kCell + kCell / 2 - 8), 0);
      if (resampling != 0) {
        ASSERT_TRUE(s.SetBlendMode(resampling));
      }
      const bool identity = kAngles[col] == 0 && kScales[row] == 1.0;
      EXPECT_EQ(s.SetRotation(kAngles[col], kScales[row]), !identity);
      ASSERT_EQ(canvas.MainList().Add(&s, 0, 0), 0);
    }
  }
  ASSERT_EQ(canvas.Render(nullptr, nullptr, 0, 0), 0);
  test::ExpectGolden(*target, name);
  canvas.MainList().Clear();
}

TEST_F(SpriteTransformGoldenTest, TurnsAndScalesNearest) { RenderGrid(0x00, "rotate_nearest"); }
TEST_F(SpriteTransformGoldenTest, TurnsAndScalesInterpolated) { RenderGrid(0x01, "rotate_bilinear"); }

}  // namespace
}  // namespace orrivel
