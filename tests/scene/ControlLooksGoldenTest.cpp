// What colour boxes and check buttons look like on a canvas: one golden
// picture of boxes and buttons in their states, and the property that a
// change of state repaints only inside the control's rectangle.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "GoldenSupport.h"
#include "SceneTestSupport.h"
#include "raster/DirtyRegion.h"
#include "scene/CheckButtonControl.h"
#include "scene/ColorBoxControl.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

constexpr int kWidth = 96;
bool Inside(const Rect& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }
constexpr int kHeight = 40;

// Eight 8 x 8 cells, each a different colour with a dark frame, so the
// picture shows which cell each button chose.
std::unique_ptr<Surface> CellStrip() {
  return test::MakeSurface32(64, 8, [](int x, int y) {
    const int cell = x / 8, cx = x % 8;
    if (cx == 0 || cx == 7 || y == 0 || y == 7) return 0xFF202020u;
    return 0xFF000000u | uint32_t(40 + cell * 28) << 16 | uint32_t(220 - cell * 24) << 8 | uint32_t(cell * 30);
  });
}

class ControlLooksGoldenTest : public test::SceneTest {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    target = test::MakeSolid32(kWidth, kHeight, 0xFF808080u);
    ASSERT_EQ(canvas.SetTarget(target.get(), 0), 0);
    canvas.SetBackgroundColor(0x80, 0x80, 0x80, 0);
    strip = CellStrip();
  }
  // Everything the canvas painted goes into the target; the painted area.
  Rect Paint() {
    DirtyRegion painted;
    canvas.Render(&painted, nullptr, 0, 0);
    return painted.BoundsValid() ? painted.Bounds() : Rect{};
  }

  std::unique_ptr<Surface> target;
  SpriteCanvas canvas;
  std::unique_ptr<Surface> strip;
};

TEST_F(ControlLooksGoldenTest, BoxesAndButtonsInTheirStates) {
  ColorBoxControl boxes[3];
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(boxes[i].Create(&canvas.MainList(), 0, 4 + i * 30, 4, 26, 12, 0xFF3050A0u, 0xC0F0C040u, 0x80FF2020u,
                              0),
              0);
    boxes[i].SetStateValue(uint32_t(i));  // normal, hover, pressed
  }
  std::vector<std::unique_ptr<CheckButtonControl>> buttons;
  for (uint8_t state = 0; state < 8; ++state) {
    auto b = std::make_unique<CheckButtonControl>();
    ASSERT_EQ(b->CreateFromSurface(&canvas.MainList(), 1, strip.get(), 0, true, 4 + state * 11, 24, 0, 255, 0), 0);
    b->SetState(state);
    buttons.push_back(std::move(b));
  }
  Paint();
  test::ExpectGolden(*target, "control_looks");
}

TEST_F(ControlLooksGoldenTest, AChangeOfStateRepaintsOnlyTheControl) {
  ColorBoxControl box;
  ASSERT_EQ(box.Create(&canvas.MainList(), 0, 10, 6, 20, 10, 0xFF3050A0u, 0xFFF0C040u, 0xFFFF2020u, 0), 0);
  CheckButtonControl button;
  ASSERT_EQ(button.CreateFromSurface(&canvas.MainList(), 1, strip.get(), 0, true, 50, 20, 0, 255, 0), 0);
  canvas.MarkAllChanged();
  Paint();
  const std::unique_ptr<Surface> before = test::MakeSolid32(kWidth, kHeight, 0);
  before->Copy(target.get(), 0, 0, nullptr, false);

  box.SetStateValue(PushControl::kPressed);
  button.SetState(4);
  const Rect painted = Paint();
  const Rect boxRect{10, 6, 30, 16};
  const Rect buttonRect{50, 20, 58, 28};
  int changed = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (test::Pixel32(*target, x, y) == test::Pixel32(*before, x, y)) continue;
      ++changed;
      EXPECT_TRUE(Inside(boxRect, x, y) || Inside(buttonRect, x, y)) << x << "," << y;
      EXPECT_TRUE(Inside(painted, x, y)) << x << "," << y;
    }
  }
  EXPECT_EQ(changed, 20 * 10 + 6 * 6);  // the whole box, the button's cell inside its frame
  EXPECT_EQ(test::Pixel32(*target, 20, 10) & 0xFFFFFFu, 0xFF2020u);
}

}  // namespace
}  // namespace orrivel
