// The system menu on the game's own parts: the layout's twelve controls in
// the control factory and host, the base picture on the canvas, the fade on
// a timer list and the quick save through the save service, driven by
// headless input on the manual clock.
#include "game/GameSystemMenuPort.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../scene/ControlTestSupport.h"
#include "../scene/GoldenSupport.h"
#include "../scene/PictureFolder.h"
#include "../scene/SceneTestSupport.h"
#include "base/TimerList.h"
#include "elg/ElgWriter.h"
#include "frame/TgsSystemMenu.h"
#include "layout/LayoutWriter.h"
#include "natives/SaveService.h"
#include "platform/TextCodec.h"
#include "resource/LgmSpriteLayout.h"
#include "scene/CanvasDrawImage.h"
#include "scene/ControlFactory.h"
#include "scene/LayoutControlFactory.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

constexpr uint32_t kLeftButton = 1, kRightButton = 2;
constexpr int32_t kItemWidth = 132, kItemHeight = 22, kItemLeft = 8;

std::vector<uint8_t> Solid(int width, int height, const std::function<uint32_t(int, int)>& colour) {
  tools::ElgImage image;
  image.depth = 32;
  image.width = width;
  image.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t bgra = colour(x, y);
      for (int b = 0; b < 4; ++b) image.pixels.push_back(uint8_t(bgra >> (8 * b)));
    }
  return tools::EncodeElg(image, tools::ElgHeaderVariant::kDepthOnly);
}

// A host that keeps the id of the control activated last.
class MenuHost final : public test::RecordingHost {
 public:
  void SetSelected(int32_t tag) override { selected = tag; }
  int32_t selected = -1;
};

// A save service that keeps the saves asked for.
class RecordingSaves final : public UnavailableSaveService {
 public:
  int32_t WriteSave(int32_t group, int32_t slot) override {
    written.push_back({group, slot});
    return 0;
  }
  std::vector<std::pair<int32_t, int32_t>> written;
};

class GameSystemMenuPortTest : public test::SceneTest, protected test::HeadlessControlInput {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    Connect(host);
    ASSERT_EQ(display.Load(1280, 720, 32, 2), 0);
    factory.SetCanvas(display.GetCanvas());
    WriteMenu(12);
    // The base: a dark panel with a light rim; items: three cells (normal,
    // hovered, pressed) in shades of their number.
    pictures.Write("SYS/SM_BASE.ELG", Solid(148, 330, [](int x, int y) {
                     return x < 2 || y < 2 || x > 145 || y > 327 ? 0xFFC0C8E0u : 0xE0202838u;
                   }));
    for (int i = 0; i < 12; ++i)
      pictures.Write("SYS/SM_IT" + std::to_string(i) + ".ELG", Solid(3 * kItemWidth, kItemHeight, [i](int x, int y) {
                       const int cell = x / kItemWidth;
                       const bool rim = y == 0 || y == kItemHeight - 1 || x % kItemWidth == 0;
                       const uint32_t shade = uint32_t(60 + 15 * i);
                       if (rim) return cell == 1 ? 0xFFFFE060u : 0xFF8090B0u;
                       return 0xFF000000u | shade << 16 | uint32_t(cell == 1 ? 200 : 90) << 8 | 140u;
                     }));
    port = std::make_unique<GameSystemMenuPort>(Services());
  }
  void TearDown() override {
    port.reset();
    timers.Clear();
    test::SceneTest::TearDown();
  }

  void WriteMenu(int parts) {
    tools::LgmDocument layout;
    for (int i = 0; i < parts; ++i)
      layout.parts.push_back({"SM_IT" + std::to_string(i) + ".ELG", 1, int16_t(kItemLeft), int16_t(43 + 24 * i), 255,
                              1, int16_t(kItemWidth), int16_t(kItemHeight), 0});
    pictures.Write("SYS/SM_BG.GMP", tools::WriteLgm(layout, tools::LgmForm::kControl));
  }

  GameSystemMenuPort::Services Services() {
    GameSystemMenuPort::Services services;
    services.host = &host;
    services.factory = &factory;
    services.layoutControls = &layoutControls;
    services.layout = &layout;
    services.canvas = display.GetCanvas();
    services.timers = &timers;
    services.saves = &saves;
    services.now = [this] { return clock.TickMs(); };
    services.pump = [this] {
      clock.Advance(16);
      timers.Step(clock.TickMs());
      if (frame >= 200) return 0;
      if (script) script(frame);
      ++frame;
      return 1;
    };
    services.takeActivated = [this] { return std::exchange(host.selected, -1); };
    services.playSound = [this](int32_t effect) { sounds.push_back(effect); };
    services.log = [this](const std::string& line) { log.push_back(line); };
    return services;
  }

  // One frame of input: the pointer and the mouse buttons held.
  void Input(int32_t x, int32_t y, uint32_t buttons = 0) {
    host.pointerX = x, host.pointerY = y;
    Poll({}, buttons);
  }

  int32_t Show() {
    TgsSystemMenu menu(*port, state);
    return menu.Show();
  }

  test::PictureFolder pictures;
  MenuHost host;
  CanvasDrawImage display;
  ControlFactory factory;
  LayoutControlFactory layoutControls{factory, host};
  LgmSpriteLayout layout;
  TimerList timers;
  RecordingSaves saves;
  std::array<uint8_t, 196> settings{};
  TgsSystemMenuState state{std::span<const uint8_t>(settings)};
  std::unique_ptr<GameSystemMenuPort> port;
  std::function<void(int)> script;
  int frame = 0;
  std::vector<int32_t> sounds;
  std::vector<std::string> log;
};

TEST_F(GameSystemMenuPortTest, OpensAtThePointerFadesInAndAnItemTakenClosesEverything) {
  state.actionEnabled.fill(true);
  Input(10, 10);
  const size_t controlsBefore = factory.Count();
  bool checkedOpen = false;
  script = [&](int n) {
    if (n < 30) return;  // the glide and the fade-in run untouched
    // Opened: placed at the corner, item 0 under the pointer after the
    // glide, every item listed and faded in.
    if (n == 30) {
      checkedOpen = true;
      EXPECT_EQ(port->BaseSprite().GetX(), 0);
      EXPECT_EQ(port->BaseSprite().GetY(), 0);
      EXPECT_EQ(host.pointerX, kItemLeft + 63);
      EXPECT_EQ(host.pointerY, 43 + 12);
      EXPECT_EQ(factory.Count(), controlsBefore + 12);
      ASSERT_NE(port->Item(11), nullptr);
      EXPECT_EQ(port->Item(11)->GetY(), 43 + 24 * 11);
      EXPECT_EQ(platform::Cp932ToUtf8Lossy(port->Item(1)->GetName()), "次の選択肢までスキップ");
      EXPECT_TRUE(port->HasFade());
      auto composed = std::make_unique<Surface>();
      ASSERT_EQ(composed->Create(1280, 720, 32, 0), 0);
      ASSERT_EQ(display.GetCanvas()->RenderInto(composed.get(), 0, 0, 1), 0);
      // The corner of the screen where the menu stands, at full size.
      Surface small;
      ASSERT_EQ(small.Create(160, 340, 32, 0), 0);
      const Size size{160, 340};
      const Rect corner{0, 0, 160, 340};
      ASSERT_EQ(small.StretchCopy(composed.get(), &size, 0, 0, &corner, false), 0);
      test::ExpectGolden(small, "system_menu_open", "game");
    }
    // Then a click on item 9 (settings).
    const int32_t x = kItemLeft + 20, y = 43 + 24 * 9 + 8;
    Input(x, y, n >= 31 && n <= 33 ? kLeftButton : 0);
  };
  EXPECT_EQ(Show(), 16) << (log.empty() ? "" : log[0]);
  EXPECT_TRUE(checkedOpen);
  EXPECT_EQ(TgsSystemMenu::ActionOfResult(16), 8);
  // Nothing of the menu is left: its controls, its list, its base, its fade.
  EXPECT_EQ(factory.Count(), controlsBefore);
  EXPECT_TRUE(host.Controls().empty());
  EXPECT_EQ(port->BaseSprite().OwningList(), nullptr);
  EXPECT_FALSE(port->HasFade());
  EXPECT_EQ(sounds, (std::vector<int32_t>{1}));
}

TEST_F(GameSystemMenuPortTest, RightClickDismissesAndQuickSaveWritesTheQuickSlot) {
  settings[189] = 1;  // no fades
  // Right click: dismissed with the menu's sound.
  Input(640, 400);
  script = [&](int n) { Input(640, 400, n == 2 ? kRightButton : 0); };
  EXPECT_EQ(Show(), TgsSystemMenu::kDismissed);
  EXPECT_EQ(sounds, (std::vector<int32_t>{1, 1}));
  EXPECT_TRUE(host.Controls().empty());
  EXPECT_EQ(factory.Count(), 0u);
  // Quick save (item 7): the quick group's newest slot.
  frame = 0;
  state.saveAllowed = true;
  Input(640, 400);
  int32_t itemX = 0, itemY = 0;
  script = [&](int n) {
    if (n == 1) port->ItemPosition(7, itemX, itemY);
    Input(itemX + 20, itemY + 8, n >= 2 && n <= 4 ? kLeftButton : 0);
  };
  EXPECT_EQ(Show(), TgsSystemMenu::kDismissed);
  EXPECT_EQ(saves.written, (std::vector<std::pair<int32_t, int32_t>>{{11, -1}}));
  EXPECT_EQ(factory.Count(), 0u);
}

// As the game wires it: no canvas on the factory and none named, only the
// screen's current one asked when the menu opens; the items and the base
// go there and the factory is left without a canvas again.
TEST_F(GameSystemMenuPortTest, WithoutACanvasOnTheFactoryTheMenuOpensOnTheCurrentOne) {
  settings[189] = 1;  // no fades
  factory.SetCanvas(nullptr);
  GameSystemMenuPort::Services services = Services();
  services.canvas = nullptr;
  int asked = 0;
  services.currentCanvas = [&] {
    ++asked;
    return display.GetCanvas();
  };
  port = std::make_unique<GameSystemMenuPort>(std::move(services));
  Input(640, 400);
  bool open = false;
  script = [&](int n) {
    if (n == 1) {
      // The canvas has an overlay list: the base stands there.
      open = port->Item(11) != nullptr && port->BaseSprite().OwningList() == display.GetCanvas()->OverlayList();
      EXPECT_EQ(factory.GetCanvas(), nullptr);
    }
    Input(640, 400, n == 2 ? kRightButton : 0);
  };
  EXPECT_EQ(Show(), TgsSystemMenu::kDismissed) << (log.empty() ? "" : log[0]);
  EXPECT_TRUE(open);
  EXPECT_GE(asked, 1);
  EXPECT_EQ(factory.Count(), 0u);
}

TEST_F(GameSystemMenuPortTest, ALayoutOfElevenItemsIsRefusedAndLeavesNothing) {
  WriteMenu(11);
  EXPECT_EQ(Show(), TgsSystemMenu::kDismissed);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_NE(log[0].find("SYS/SM_BG.GMP"), std::string::npos);
  EXPECT_EQ(factory.Count(), 0u);
  EXPECT_TRUE(host.Controls().empty());
  EXPECT_TRUE(sounds.empty());
}

}  // namespace
}  // namespace orrivel
