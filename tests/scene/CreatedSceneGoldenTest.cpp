// A scene made only through the screen device's creation operations, the
// way scripts make one: a canvas image, a background picture, two sprites,
// a line of text, a colour box and a sprite moving on a path, run for 60
// frames on an injected clock and compared with a golden picture.
#include <gtest/gtest.h>

#include <memory>

#include "BlockFont.h"
#include "GoldenSupport.h"
#include "SceneTestSupport.h"
#include "base/TimerList.h"
#include "display/DrawObjectManager.h"
#include "platform/Clock.h"
#include "scene/CanvasDrawImage.h"
#include "scene/DrawObjectCreation.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteActions.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

using test::Pixel32;

class CreatedSceneGoldenTest : public test::SceneTest {};

// Block glyphs with full coverage, as a real font's inked pixels have.
class InkedBlockFont final : public test::BlockFont {
 public:
  int DrawTextClipped(Image* image, int32_t x, int32_t y, const char* text, Rect* b, Point* e) override {
    const int code = DrawText(image, x, y, text, b, e);
    auto* s = static_cast<Surface*>(image);
    for (int32_t row = 0; row < s->GetHeight(); ++row)
      for (int32_t col = 0; col < s->GetWidth(); ++col)
        if ((Pixel32(*s, col, row) & 0xFFFFFFu) != 0) Pixel32(*s, col, row) |= 0xFF000000u;
    return code;
  }
};

// A listed memory picture filled by formula.
template <typename F>
uint32_t MakePicture(DrawObjectManager& manager, int32_t width, int32_t height, F f) {
  uint32_t handle = 0;
  EXPECT_EQ(manager.CreateSurface(&handle, width, height, 32, 0), 0);
  auto* surface = dynamic_cast<Surface*>(manager.GetImage(handle));
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) Pixel32(*surface, x, y) = f(x, y);
  return handle;
}

TEST_F(CreatedSceneGoldenTest, SixtyFramesOfAScriptMadeScene) {
  platform::ManualClock clock;
  clock.SetTick(1000);
  platform::ScopedClock scoped(clock);
  DrawObjectManager manager;
  TimerList timers;
  manager.SetImageGroupId(1);
  manager.SetSpriteGroupId(2);

  uint32_t screen = 0;
  ASSERT_EQ(CreateCanvasDrawObject(manager, &screen, 96, 64, 32, 1), 0);
  auto* image = dynamic_cast<CanvasDrawImage*>(manager.GetImage(screen));
  ASSERT_NE(image, nullptr);
  SpriteCanvas* canvas = image->GetCanvas();
  ASSERT_NE(canvas, nullptr);

  const uint32_t background = MakePicture(manager, 96, 64, [](int x, int y) {
    return 0xFF000000u | uint32_t(x * 2) << 16 | uint32_t(y * 3) << 8 | 0x40u;
  });
  canvas->SetBackgroundImage(dynamic_cast<Surface*>(manager.GetImage(background)), 0, 0, 1);

  const uint32_t red = MakePicture(manager, 12, 12, [](int x, int y) {
    return (x + y) % 4 == 0 ? 0xFFFFFFFFu : 0xFFE02020u;
  });
  const uint32_t blue = MakePicture(manager, 16, 10, [](int, int y) {
    return 0xFF000000u | uint32_t(0x20 + y * 20);
  });
  const uint32_t ball = MakePicture(manager, 8, 8, [](int x, int y) {
    const int dx = 2 * x - 7, dy = 2 * y - 7;
    return dx * dx + dy * dy <= 64 ? 0xFFFFD000u : 0x00000000u;
  });
  uint32_t first = 0, second = 0, mover = 0;
  ASSERT_EQ(CreateImageSprite(manager, &first, red, nullptr, 6, 6), 0);
  ASSERT_EQ(CreateImageSprite(manager, &second, blue, nullptr, 70, 44), 0);
  ASSERT_EQ(CreateImageSprite(manager, &mover, ball, nullptr, 4, 50), 0);

  const uint32_t font = manager.AddFont(std::make_unique<InkedBlockFont>());
  uint32_t line = 0, text = 0;
  ASSERT_EQ(manager.CreateSurfaceFromText(&line, "Hi!", font, 0x00FFFF), 0);
  ASSERT_EQ(CreateImageSprite(manager, &text, line, nullptr, 30, 4), 0);
  uint32_t box = 0;
  ASSERT_EQ(manager.CreateColorBox(&box, 20, 12, 0x8000FF00u, 40, 24), 0);

  uint32_t order = 1;
  // Lower orders are drawn on top: the moving ball above everything.
  for (uint32_t sprite : {mover, box, text, second, first}) {
    ASSERT_NE(manager.GetSprite(sprite), nullptr);
    ASSERT_EQ(canvas->MainList().Add(manager.GetSprite(sprite), order++, 0), 0);
  }

  // The ball rolls on a curve through three keys, fading on the way.
  auto* path = new SpritePathAction(500, 0, 0, 0.0, 1, 1, 0, 0);
  ASSERT_EQ(path->Load("(40,10,255)(84,40,160)(20,30,96)"), 0);
  ASSERT_EQ(path->Start(&timers, dynamic_cast<ImageSprite*>(manager.GetSprite(mover))), 0);

  for (uint32_t frame = 0; frame < 60; ++frame) {
    timers.Step(1000 + frame * 20);
    ASSERT_EQ(canvas->Render(nullptr, nullptr, 0, 0), 0);
  }
  test::ExpectGolden(*image->GetSurface(), "created_scene");
  timers.Clear();
  canvas->MainList().Clear();
}

}  // namespace
}  // namespace orrivel
