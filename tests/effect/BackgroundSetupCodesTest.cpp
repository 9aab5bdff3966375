// Set-up results of every background action, made by name from the
// registry as the frame makes them: a refused set-up lists nothing and
// leaves the layer's work copy as it was.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BackgroundTestRig.h"
#include "base/MathTables.h"
#include "effect/BuiltinEffects.h"
#include "resource/DcpManager.h"

namespace orrivel {
namespace {

using testing::MakePicture;
using testing::RefusingTimerList;
using testing::TestBackgroundLayer;

constexpr int kW = 8;
constexpr int kH = 4;

ObjectArgument Text(const char* text) { return ObjectArgument(text); }

struct Layer {
  TestBackgroundLayer layer{kW, kH};
  std::unique_ptr<Surface> picture = MakePicture(kW + 4, kH + 2);
  std::unique_ptr<Surface> second = MakePicture(kW + 4, kH + 2);
};

enum class List { Normal, Refusing, None };

struct Row {
  const char* name;
  const char* what;
  std::vector<ObjectArgument> cells;
  int32_t expected;
  std::function<void(Layer&)> prepare = nullptr;
  List list = List::Normal;
  bool target = true;
};

class BackgroundSetupCodesTest : public testing::BackgroundTest {};

TEST_F(BackgroundSetupCodesTest, EveryClassAnswersItsCodeAndLeavesTheLayerAsItWas) {
  const auto noPicture = [](Layer& l) { l.layer.Canvas().SetBackgroundImage(nullptr, 0, 0, 0); };
  const auto held = [](Layer& l) { l.layer.Canvas().CreateBackgroundCopy(0); };
  // A picture of its own for the layer's first or second page.
  const auto show = [](std::unique_ptr<Surface> picture, SpriteCanvas& canvas, std::unique_ptr<Surface>& keep) {
    canvas.SetBackgroundImage(picture.get(), 0, 0, 0);
    keep = std::move(picture);
  };
  const auto small = [&](Layer& l) { show(MakePicture(kW - 1, kH), l.layer.Canvas(), l.picture); };
  const auto indexed = [&](Layer& l) {
    show(test::MakeSurface8(kW, kH, [](int, int) { return 1; }), l.layer.Canvas(), l.picture);
  };
  const auto noScreen = [](Layer& l) {
    l.layer.UseCanvasWithoutScreen();
    l.layer.Canvas().SetBackgroundImage(l.picture.get(), 0, 0, 0);
  };
  const auto noPixels = [](Layer& l) { l.picture->FreeBuffers(); };
  const auto low = [&](Layer& l) { show(MakePicture(kW, kH - 1), l.layer.Canvas(), l.picture); };
  const auto noSecond = [](Layer& l) { l.layer.DropSecondPage(); };
  const auto otherSize = [&](Layer& l) { show(MakePicture(kW, kH), l.layer.Second(), l.second); };
  const std::vector<ObjectArgument> rast{2, 4, 100, 0, 0, 0, 0, 0};
  const std::vector<ObjectArgument> haze{Text("(1,0,2)"), 4, 100, 0, 0, 0, 0, 0};
  // bg_blur: the zoom form, then the path form naming a picture file.
  const std::vector<ObjectArgument> blur{0, 4, 2, 0, 0, Text("2.0"), 0, 100, 128};
  const std::vector<ObjectArgument> blurFile{Text("(0,0)(4,2)"), 0, 100, 255, 0, Text("SYS\\NONE.ELG")};
  const std::vector<ObjectArgument> blurDirect{
      Text("(0,0)(4,2)"), 0, 100, 255, 0, Text("SYS\\BLUR.ELG"), 0, 0, 1};
  const auto blurPictureNoBackground = [this, noPicture](Layer& l) {
    WriteOpaque("SYS/BLUR.ELG", 4, 4);
    noPicture(l);
  };
  const std::vector<Row> rows = {
      {"bg_rast", "no timer list", rast, 2, nullptr, List::None},
      {"bg_rast", "no target", rast, 2, nullptr, List::Normal, false},
      {"bg_rast", "no picture", rast, 2, noPicture},
      {"bg_rast", "an 8-bit picture", rast, 2, indexed},
      {"bg_rast", "a held work copy", rast, 3, held},
      {"bg_rast", "no work copy without a screen", rast, 4, noScreen},
      {"bg_rast", "a picture smaller than the copy", rast, 5, small},
      {"bg_rast", "the timer list refuses", rast, 6, nullptr, List::Refusing},
      {"bg_haze", "a held work copy", haze, 3, held},
      {"bg_haze", "no profile text", {0, 4}, 6},
      {"bg_haze", "a profile without groups", {Text("1,0,2"), 4}, 6},
      {"bg_haze", "a profile length of 0", {Text("(1,0,2)"), 0}, 6},
      {"bg_haze", "a negative profile length", {Text("(1,0,2)"), -3}, 6},
      {"bg_haze", "an absurd profile length", {Text("(1,0,2)"), 0x7FFFFFFF}, 6},
      {"bg_haze", "the timer list refuses", haze, 7, nullptr, List::Refusing},
      {"bg_zoom", "no timer list", {0, 0, 0, 0, 100}, 1, nullptr, List::None},
      {"bg_zoom", "magnification 0", {0, 0, Text("0"), 0, 100}, 1},
      {"bg_zoom", "a negative magnification", {0, 0, Text("-2"), 0, 100}, 1},
      {"bg_zoom", "no picture", {0, 0, 0, 0, 100}, 2, noPicture},
      {"bg_zoom", "the timer list refuses", {0, 0, 0, 0, 100}, 3, nullptr, List::Refusing},
      {"bg_rot", "scale 0", {0, 0, 8, Text("0.0"), 0, 100}, 1},
      {"bg_rot", "no picture", {0, 0, 8, 0, 0, 100}, 2, noPicture},
      {"bg_rot", "the timer list refuses", {0, 0, 8, 0, 0, 100}, 3, nullptr, List::Refusing},
      {"bg_loop", "no picture", {0, 100, 0, 0}, 1, noPicture},
      {"bg_loop", "a direction past 3", {4, 100, 0, 0}, 1},
      {"bg_loop", "a held work copy", {0, 100, 0, 0}, 2, held},
      {"bg_loop", "a picture narrower than the copy", {1, 100, 0, 0}, 3, small},
      {"bg_loop", "a picture lower than the copy", {3, 100, 0, 0}, 4, low},
      {"bg_loop", "the timer list refuses", {2, 100, 0, 0}, 5, nullptr, List::Refusing},
      {"bg_cross", "no picture", {100, 0, 0, 0, 0}, 1, noPicture},
      {"bg_cross", "a mode past 2", {100, 0, 3, 0, 0}, 1},
      {"bg_cross", "no second page", {100, 0, 1, 0, 0}, 3, noSecond},
      {"bg_cross", "pictures of other sizes", {100, 0, 2, 0, 0}, 4, otherSize},
      {"bg_cross", "a held work copy", {100, 0, 1, 0, 0}, 5, held},
      {"bg_cross", "the timer list refuses", {100, 0, 2, 0, 0}, 6, nullptr, List::Refusing},
      {"bg_blur", "no timer list", blur, 2, nullptr, List::None},
      {"bg_blur", "no target", blur, 2, nullptr, List::Normal, false},
      {"bg_blur", "a point list with one group", {Text("(1,2)"), 0, 100}, 3},
      {"bg_blur", "a picture file that is not there", blurFile, 4},
      {"bg_blur", "no picture", blur, 5, noPicture},
      {"bg_blur", "a picture without pixels to copy", blur, 6, noPixels},
      {"bg_blur", "drawing into a picture that is not there", blurDirect, 7, blurPictureNoBackground},
      {"bg_blur", "a held work copy", blur, 8, held},
      {"bg_blur", "the timer list refuses", blur, 8, nullptr, List::Refusing},
      {"bg_panime", "no timer list", {Text("p1,1"), 100, 0}, 1, nullptr, List::None},
      {"bg_panime", "no target", {Text("p1,1"), 100, 0}, 1, nullptr, List::Normal, false},
      {"bg_panime", "a path that is no path", {Text("p1,1 ?"), 100, 0}, 2},
      {"bg_panime", "no path", {0, 100, 0}, 2},
      {"bg_panime", "a held work copy", {Text("p1,1"), 100, 0}, 2, held},
      {"bg_panime", "the timer list refuses", {Text("p1,1"), 100, 0}, 2, nullptr, List::Refusing},
  };
  DcpManager registry;
  RegisterStartupEffects(registry);
  RefusingTimerList refusing;
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + ": " + row.what);
    Layer l;
    ShowPicture(l.layer.Canvas(), l.picture.get());
    ShowPicture(l.layer.Second(), l.second.get());
    if (row.prepare) row.prepare(l);
    Surface* before = l.layer.Canvas().BackCopy();
    auto* action = dynamic_cast<LayerAction*>(registry.GetObject(row.name));
    ASSERT_NE(action, nullptr);
    TimerList* list = row.list == List::Normal ? &list_ : row.list == List::Refusing ? &refusing : nullptr;
    const ObjectArguments cells{row.cells.data(), row.cells.size()};
    EXPECT_EQ(action->SetupV(list, row.target ? &l.layer : nullptr, cells), row.expected);
    EXPECT_EQ(l.layer.Canvas().BackCopy(), before);
    EXPECT_EQ(l.layer.Second().BackCopy(), nullptr);
    EXPECT_EQ(list_.Size(), 0u);
    action->Release();
  }
}

TEST_F(BackgroundSetupCodesTest, WavesNeedThePublishedCosineTable) {
  TestBackgroundLayer layer(kW, kH);
  auto picture = MakePicture(kW, kH);
  ShowPicture(layer.Canvas(), picture.get());
  MathTables* published = SetMathTables(nullptr);
  DcpManager registry;
  RegisterStartupEffects(registry);
  for (const char* name : {"bg_rast", "bg_haze"}) {
    auto* action = dynamic_cast<LayerAction*>(registry.GetObject(name));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->Setup(&list_, &layer, {Text("(1,0,1)"), 4}), 1) << name;
    action->Release();
  }
  SetMathTables(published);
  EXPECT_EQ(layer.Canvas().BackCopy(), nullptr);
}

}  // namespace
}  // namespace orrivel
