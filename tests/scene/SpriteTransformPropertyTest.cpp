// Random turns, scales, stretches, centres and source offsets: every pixel a
// transformed sprite draws lies inside the rectangle it reports as its
// bounds, and a canvas that repaints only dirty rectangles frame after
// frame leaves exactly the bytes of a full repaint.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "SceneTestSupport.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

using test::Bytes;
using test::MakeSurface32;
using test::Pixel32;

constexpr int kWidth = 96;
constexpr int kHeight = 80;

class SpriteTransformPropertyTest : public test::SceneTest {};

std::unique_ptr<Surface> Picture() {
  auto s = MakeSurface32(30, 20, [](int x, int y) {
    const uint32_t a = (x + y) % 7 == 0 ? 0 : 0x80 + uint32_t(x * 4);
    return a << 24 | uint32_t(x * 8) << 16 | uint32_t(y * 12) << 8 | 0x55u;
  });
  s->SetHasAlpha(true);
  return s;
}

// One random change of the sprite's transform or place.
void RandomChange(ImageSprite& s, std::mt19937& rng) {
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  std::uniform_real_distribution<double> scale(0.2, 3.0);
  switch (pick(0, 6)) {
    case 0:
    case 1: s.SetRotation(pick(-1024, 1024), pick(0, 3) == 0 ? 1.0 : scale(rng)); break;
    case 2: s.SetDisplaySize(pick(0, 70), pick(0, 50)); break;
    case 3: s.SetSourceOffset(pick(-20, 40), pick(-15, 25)); break;
    case 4: s.SetAnchor(pick(0, 5), pick(-10, 40), pick(-10, 30)); break;
    case 5: s.SetPosition(pick(-40, kWidth), pick(-40, kHeight)); break;
    default: s.SetBlendMode(uint8_t(pick(0, 1))); break;
  }
  const uint8_t modes[] = {0, 2, 4, 5};
  if (pick(0, 4) == 0) s.SetDrawMode(modes[pick(0, 3)]);
}

TEST_F(SpriteTransformPropertyTest, DrawnPixelsLieInsideTheReportedBounds) {
  auto picture = Picture();
  auto sentinel = MakeSurface32(kWidth, kHeight, [](int x, int y) { return 0x01020304u * uint32_t(x + y * 3); });
  auto target = MakeSurface32(kWidth, kHeight, [](int, int) { return 0u; });
  std::mt19937 rng(24);
  ImageSprite s;
  ASSERT_EQ(s.SetImage(picture.get(), nullptr, 30, 30), 0);
  for (int round = 0; round < 300; ++round) {
    RandomChange(s, rng);
    target->Copy(sentinel.get(), 0, 0, nullptr, false);
    Rect out;
    ASSERT_EQ(s.DrawTo(target.get(), &out), 0) << round;
    Rect bounds;
    s.GetBounds(&bounds);
    Rect expected{-1, 0, 0, 0};
    IntersectRects(&expected, bounds, Rect{0, 0, kWidth, kHeight});
    if (out.left == -1) out = {-1, 0, 0, 0};
    if (s.GetOpacity() != 0) {
      EXPECT_EQ(out, expected) << round;
    }
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        if (Pixel32(*target, x, y) == Pixel32(*sentinel, x, y)) continue;
        ASSERT_TRUE(x >= bounds.left && x < bounds.right && y >= bounds.top && y < bounds.bottom)
            << "round " << round << " pixel " << x << "," << y;
      }
    }
  }
}

TEST_F(SpriteTransformPropertyTest, DirtyRepaintOfTransformedSpritesEqualsAFullRepaint) {
  auto picture = Picture();
  auto background = MakeSurface32(kWidth, kHeight, [](int x, int y) {
    return 0xFF000000u | uint32_t(x * 2) << 16 | uint32_t(y * 3) << 8 | uint32_t((x ^ y) & 0xFF);
  });
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    std::mt19937 rng(seed);
    auto target = MakeSurface32(kWidth, kHeight, [](int, int) { return 0u; });
    auto model = MakeSurface32(kWidth, kHeight, [](int, int) { return 0u; });
    SpriteCanvas canvas;
    ASSERT_EQ(canvas.SetTarget(target.get(), 0), 0);
    canvas.SetBackgroundImage(background.get(), 0, 0, 1);
    ImageSprite sprites[3];
    for (int i = 0; i < 3; ++i) {
      ASSERT_EQ(sprites[i].SetImage(picture.get(), nullptr, 10 + i * 25, 20 + i * 10), 0);
      ASSERT_EQ(canvas.MainList().Add(&sprites[i], uint32_t(i), 0), 0);
    }
    for (int frame = 0; frame < 30; ++frame) {
      for (ImageSprite& s : sprites)
        if (rng() % 2 == 0) RandomChange(s, rng);
      SpriteCanvas::SetBandedRendering(frame % 2 == 0);
      canvas.Render(nullptr, nullptr, 0, 0);
      model->Copy(background.get(), 0, 0, nullptr, false);
      for (SpriteList::Node* n = canvas.MainList().Tail(); n != nullptr; n = n->prev)
        if (n->drawable->IsVisible() && n->drawable->GetOpacity() != 0) n->drawable->DrawTo(model.get());
      ASSERT_EQ(Bytes(*target), Bytes(*model)) << "seed " << seed << " frame " << frame;
    }
    SpriteCanvas::SetBandedRendering(true);
    canvas.MainList().Clear();
  }
}

}  // namespace
}  // namespace orrivel
