// The in-game question box asked through a scripted frame pump: the
// answers of its buttons and of the cancel inputs, the sounds per answer,
// a closing program, the keyboard pointer position, and the look of a
// YES/NO box.
#include "game/ConfirmBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../scene/BlockFont.h"
#include "../scene/ControlTestSupport.h"
#include "../scene/GoldenSupport.h"
#include "../scene/SceneTestSupport.h"
#include "platform/KeyTable.h"
#include "base/TimerList.h"
#include "raster/SpriteList.h"

namespace orrivel {
namespace {

using Log = std::vector<std::string>;

constexpr uint32_t kLeftButton = 1, kRightButton = 2;

class ConfirmBoxTest : public test::SceneTest, protected test::HeadlessControlInput {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    Connect(host);
    MakeParts();
    ConfirmBox::Ports ports;
    ports.host = &host;
    ports.font = &font;
    ports.picture = [this](int32_t part) { return parts[size_t(part)].get(); };
    ports.now = [this] { return clock.TickMs(); };
    ports.pumpFrame = [this] {
      clock.Advance(16);
      // A box that never answers ends as if the program closed.
      if (frame >= 100) return 0;
      return script ? script(frame++) : 0;
    };
    ports.timers = &timers;
    ports.noticeFont = &font;
    ports.noticeList = &notices;
    ports.noticeSound = [this] { ++noticeSounds; };
    box.SetPorts(ports);
  }
  // Steps the notice's timer list to ms after now.
  void StepNotices(uint32_t ms) {
    clock.Advance(ms);
    timers.Step(clock.TickMs());
  }

  // Frame parts in plain colours; buttons are two-cell strips whose cell
  // widths give the sets' widths (70; 101 + 15 + 101; 83 + 42 + 83).
  void MakeParts() {
    auto solid = [](int w, int h, uint32_t c) { return test::MakeSurface32(w, h, [c](int, int) { return c; }); };
    parts[ConfirmBox::kLeftTop] = solid(25, 19, 0xFFC0A040);
    parts[ConfirmBox::kRightTop] = solid(25, 19, 0xFFC0A040);
    parts[ConfirmBox::kLeftBottom] = solid(25, 66, 0xFF806020);
    parts[ConfirmBox::kRightBottom] = solid(25, 66, 0xFF806020);
    parts[ConfirmBox::kTopBar] = solid(1, 19, 0xFFE0C060);
    parts[ConfirmBox::kBottomBar] = solid(1, 66, 0xFF604010);
    parts[ConfirmBox::kLeftBar] = solid(25, 1, 0xFFA08030);
    parts[ConfirmBox::kRightBar] = solid(25, 1, 0xFFA08030);
    auto strip = [](int cell, uint32_t c) {
      return test::MakeSurface32(cell * 2, 30, [cell, c](int x, int y) {
        const bool edge = y == 0 || y == 29 || x % cell == 0 || x % cell == cell - 1;
        return edge ? 0xFFFFFFFFu : (x < cell ? c : c | 0x00404040u);
      });
    };
    parts[ConfirmBox::kOk] = strip(101, 0xFF208020);
    parts[ConfirmBox::kCancel] = strip(101, 0xFF802020);
    parts[ConfirmBox::kYes] = strip(83, 0xFF208020);
    parts[ConfirmBox::kNo] = strip(83, 0xFF802020);
    parts[ConfirmBox::kOkAlone] = strip(70, 0xFF208020);
  }

  // One frame of input: the pointer, keys and mouse buttons held.
  void Input(int32_t x, int32_t y, std::initializer_list<uint8_t> keys = {}, uint32_t buttons = 0) {
    host.pointerX = x, host.pointerY = y;
    Poll(keys, buttons);
  }
  // A click on a button of the open box, over three frames.
  std::function<int(int)> ClickButton(int which) {
    return [this, which](int n) {
      const ConfirmBoxLayout::Button& b = box.Layout().buttons[size_t(which)];
      Input(b.x + b.width / 2, b.y + b.height / 2, {}, n == 1 ? kLeftButton : 0);
      return 1;
    };
  }
  Log Sounds() {
    Log sounds;
    for (const std::string& line : host.TakeLog())
      // The box's own sounds; the buttons' default hover, leave and
      // activate sounds (negative codes) are the host's.
      if (line.rfind("sound - ", 0) == 0 && line.rfind("sound - -", 0) != 0) sounds.push_back(line);
    return sounds;
  }

  test::RecordingHost host;
  SpriteList list;
  test::BlockFont font;
  std::array<std::unique_ptr<Surface>, ConfirmBox::kPartCount> parts;
  // The lists outlive the box, as the program's do.
  TimerList timers;
  SpriteList notices;
  ConfirmBox box;
  std::function<int(int)> script;
  int frame = 0;
  int noticeSounds = 0;
};

TEST_F(ConfirmBoxTest, AnswersAndTheirSounds) {
  struct Case {
    const char* what;
    int32_t mode;
    int which;
    int32_t answer;
    Log sounds;
  };
  const Case cases[] = {
      {"YES", 2, 0, 1, {"sound - 0"}},
      {"NO", 2, 1, 0, {"sound - 2"}},
      {"set 3 counts as YES/NO", 3, 1, 0, {"sound - 2"}},
      {"OK alone", 0, 0, 1, {"sound - 1"}},
      {"OK without its sound", 1 | ConfirmBox::kModeSilentFirst, 0, 1, {}},
      {"CANCEL", 1, 1, 0, {"sound - 2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    frame = 0;
    host.TakeLog();
    host.ForgetPointer();  // each box sees the pointer arrive
    script = ClickButton(c.which);
    EXPECT_EQ(box.Run(c.mode, "Save?", -1, -1, -1, &list), c.answer);
    EXPECT_EQ(Sounds(), c.sounds);
    // Everything the box made is gone again.
    EXPECT_TRUE(list.Items().empty());
    EXPECT_TRUE(host.Controls().empty());
    EXPECT_FALSE(box.IsOpen());
  }
}

TEST_F(ConfirmBoxTest, CancelInputsAnswerAsTheSecondButton) {
  for (uint32_t buttons : {kRightButton, 0u}) {
    frame = 0;
    host.TakeLog();
    script = [this, buttons](int n) {
      if (n != 2) Input(5, 5);
      else if (buttons == 0) Input(5, 5, {platform::DIK_ESCAPE});
      else Input(5, 5, {}, buttons);
      return 1;
    };
    EXPECT_EQ(box.Run(2, "Quit?", -1, -1, -1, &list), 0);
    EXPECT_EQ(frame, 3);  // answered on the frame of the press
    EXPECT_EQ(Sounds(), Log{"sound - 2"});
  }
}

TEST_F(ConfirmBoxTest, AClosingProgramOrNothingToDrawOn) {
  script = [](int n) { return n < 2 ? 1 : 0; };
  EXPECT_EQ(box.Run(1, "Load?", -1, -1, -1, &list), -1);
  EXPECT_TRUE(Sounds().empty());
  EXPECT_TRUE(list.Items().empty());
  EXPECT_EQ(box.Run(1, "Load?", -1, -1, -1, nullptr), -2);  // no current layer either
  ConfirmBox bare;
  EXPECT_EQ(bare.Run(1, "Load?", -1, -1, -1, &list), -2);
}

// Whatever text a script asks with, the box fits the screen and its frame
// parts are looked up a few times, not once per column or row: a text as
// long as a script can pass ends at once.
TEST_F(ConfirmBoxTest, AnyTextMakesABoxTheScreenHolds) {
  int lookups = 0;
  ConfirmBox::Ports ports = box.GetPorts();
  ports.picture = [this, &lookups](int32_t part) {
    ++lookups;
    return parts[size_t(part)].get();
  };
  box.SetPorts(ports);
  script = [](int) { return 0; };  // the program closes at the first frame
  struct Case {
    size_t length;
    int32_t width, height;
  };
  const Case cases[] = {
      {5, 214 + 82, 75 + 73},     // short: the smallest box
      {150, 900 + 82, 75 + 73},   // fits the screen as it is
      {70000, 1280, 75 + 73},     // longer than the screen is wide
      {1 << 20, 1280, 75 + 73},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    lookups = 0;
    EXPECT_EQ(box.Run(1, std::string(c.length, 'A').c_str(), -1, -1, -1, &list), -1);
    EXPECT_EQ(box.Layout().width, c.width);
    EXPECT_EQ(box.Layout().height, c.height);
    EXPECT_LE(lookups, 2 * ConfirmBox::kPartCount);
    EXPECT_TRUE(list.Items().empty());
  }
}

// Whatever text and delay a script gives a notice, it is a picture the
// screen holds, made at once; a delay as long as a cell holds keeps the
// notice waiting below the screen.
TEST_F(ConfirmBoxTest, AnyNoticeTextMakesANoticeTheScreenHolds) {
  struct Case {
    size_t length;
    uint32_t delayMs;
    int32_t width;
  };
  const Case cases[] = {
      {6, 0, 6 * test::BlockFont::kCharWidth},
      {70000, 0, ConfirmBoxLayout::kScreenWidth - ConfirmBox::kNoticeX},
      {1 << 20, 0xFFFFFFFFu, ConfirmBoxLayout::kScreenWidth - ConfirmBox::kNoticeX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    ASSERT_EQ(box.Open(std::string(c.length, 'A').c_str(), c.delayMs), 0);
    EXPECT_EQ(box.NoticeSprite().GetWidth(), c.width);
    EXPECT_LE(box.NoticeSprite().GetHeight(), ConfirmBoxLayout::kScreenHeight);
    StepNotices(16);
  }
  EXPECT_EQ(box.NoticeSprite().GetY(), ConfirmBox::kNoticeHiddenY);
  EXPECT_EQ(box.Open(nullptr, 0), 0);
  EXPECT_EQ(timers.Size(), 1u);  // left at the next step
  StepNotices(16);
  EXPECT_EQ(timers.Size(), 0u);
}

// Without an owner the box stands on the current layer's list while it
// asks, and leaves it when answered.
TEST_F(ConfirmBoxTest, WithoutAnOwnerTheCurrentLayerHoldsTheBox) {
  ConfirmBox::Ports ports = box.GetPorts();
  ports.currentList = [this] { return &list; };
  box.SetPorts(ports);
  const auto click = ClickButton(0);
  size_t shown = 0;
  script = [&](int n) {
    shown = std::max(shown, list.Items().size());
    return click(n);
  };
  EXPECT_EQ(box.Run(1, "Load?", -2, -1, -1, nullptr), 1);
  EXPECT_GT(shown, 0u);
  EXPECT_TRUE(list.Items().empty());
}

TEST_F(ConfirmBoxTest, ThePushedControlListComesBack) {
  test::LoggingControl other("other", &host);
  host.AddControl(&other, -1);
  script = [this](int) {
    EXPECT_EQ(host.Controls().size(), 2u);  // the box's own two buttons only
    return 0;
  };
  EXPECT_EQ(box.Run(2, "Go?", -1, -1, -1, &list), -1);
  EXPECT_EQ(host.Controls(), std::vector<Control*>{&other});
  host.RemoveControl(&other);
}

TEST_F(ConfirmBoxTest, KeyboardPointerCentresAndFocusesWithoutAGlide) {
  host.pointerX = 1279, host.pointerY = 719;
  script = [this](int) {
    // (1280 - 296) / 2 and (720 - 148) / 2 for a short text.
    EXPECT_EQ(box.Layout().x, 492);
    EXPECT_EQ(box.Layout().y, 286);
    Control* focused = host.GetFocused();
    EXPECT_TRUE(focused != nullptr && focused->GetTag() == 0);
    return 0;
  };
  EXPECT_EQ(box.Run(2, "Go?", -2, -1, 1, &list), -1);
  EXPECT_EQ(frame, 1);  // no glide frames
  EXPECT_EQ(host.pointerX, 1279);
}

TEST_F(ConfirmBoxTest, GlideToTheDefaultButton) {
  host.pointerX = 10, host.pointerY = 10;
  // 140 ms of 16 ms frames glide; the frame after asks, with the pointer on
  // the first button's centre.
  script = [this](int n) {
    if (n < 9) return 1;
    const ConfirmBoxLayout::Button& b = box.Layout().buttons[0];
    EXPECT_EQ(host.pointerX, b.x + b.width / 2);
    EXPECT_EQ(host.pointerY, b.y + b.height / 2);
    return 0;
  };
  EXPECT_EQ(box.Run(2, "Go?", -1, -1, 0, &list), -1);
  EXPECT_EQ(frame, 10);
}

TEST_F(ConfirmBoxTest, TheBoxZoomsInAndOutAroundItsCentre) {
  std::vector<int32_t> widths;
  std::vector<bool> buttonsShown;
  script = [&](int n) {
    widths.push_back(box.BoxSprite().GetBoundsPtr()->Width());
    buttonsShown.push_back(host.Controls().front()->IsVisible());
    if (n == 9) Input(5, 5, {}, kRightButton);  // answered on the first frame after the zoom
    return 1;
  };
  EXPECT_EQ(box.Run(2 | ConfirmBox::kModeZoom, "Go?", -1, -1, -1, &list), 0);
  // 9 frames of 16 ms grow it, one asks, 9 shrink it.
  ASSERT_EQ(widths.size(), 19u);
  EXPECT_LT(widths[0], widths[4]);
  EXPECT_LT(widths[4], 296);
  EXPECT_EQ(widths[9], 296);
  EXPECT_GT(widths[10], widths[17]);
  EXPECT_FALSE(buttonsShown[4]);
  EXPECT_TRUE(buttonsShown[9]);
  EXPECT_FALSE(buttonsShown[12]);
  // Closing while it grows: no answer and no sound.
  frame = 0;
  host.TakeLog();
  script = [](int n) { return n < 3 ? 1 : 0; };
  EXPECT_EQ(box.Run(2 | ConfirmBox::kModeZoom, "Go?", -1, -1, -1, &list), -1);
  EXPECT_TRUE(Sounds().empty());
  EXPECT_TRUE(list.Items().empty());
}

TEST_F(ConfirmBoxTest, YesNoBoxLooksRight) {
  script = [this](int) {
    const ConfirmBoxLayout& at = box.Layout();
    // The lowest key lies on top: both buttons come before the box, which
    // would otherwise cover them.
    EXPECT_EQ(list.Items().size(), 3u);
    EXPECT_EQ(list.Items().back(), &box.BoxSprite());
    Surface screen;
    EXPECT_EQ(screen.Create(1280, 720, 32, 0), 0);
    screen.FillBox(0, 0, 1280, 720, 0xFF303030);
    const Rect all{0, 0, 1280, 720};
    box.BoxSprite().Draw(&screen, all);
    for (Drawable* item : list.Items())
      if (item != &box.BoxSprite()) item->Draw(&screen, all);
    Surface shot;
    EXPECT_EQ(shot.Create(at.width, at.height, 32, 0), 0);
    const Rect part{at.x, at.y, at.x + at.width, at.y + at.height};
    shot.Copy(&screen, 0, 0, &part, false);
    test::ExpectGolden(shot, "confirm_box_yes_no", "game");
    return 0;
  };
  EXPECT_EQ(box.Run(2, "Save the game?", -1, -1, -1, &list), -1);
}

TEST_F(ConfirmBoxTest, ANoticeRisesStaysAndSinksWhileFading) {
  ASSERT_EQ(box.Open("Saved.", 100), 0);
  EXPECT_EQ(noticeSounds, 1);
  ASSERT_NE(box.GetResult(), nullptr);
  ImageSprite& notice = box.NoticeSprite();
  EXPECT_EQ(notices.Items(), std::vector<Drawable*>{&notice});
  EXPECT_EQ(notice.GetWidth(), 6 * test::BlockFont::kCharWidth);
  // Frames of 16 ms: it rises to y 689 fully opaque, then sinks to 720
  // while it fades out.
  int32_t highest = 10000;
  bool fadedWhileShown = false;
  for (int i = 0; i < 200 && box.GetResult() != nullptr; ++i) {
    StepNotices(16);
    highest = std::min(highest, notice.GetY());
    if (notice.GetY() == ConfirmBox::kNoticeShownY && notice.GetOpacity() != 255) fadedWhileShown = true;
  }
  EXPECT_EQ(highest, ConfirmBox::kNoticeShownY);
  EXPECT_FALSE(fadedWhileShown);
  EXPECT_EQ(notice.GetY(), ConfirmBox::kNoticeHiddenY);
  EXPECT_EQ(notice.GetOpacity(), 0);
  EXPECT_EQ(box.GetResult(), nullptr);  // the list let the finished notice go
  EXPECT_EQ(timers.Size(), 0u);
}

TEST_F(ConfirmBoxTest, ANewNoticeReplacesTheOldAndNoTextRemovesIt) {
  ASSERT_EQ(box.Open("One.", 0), 0);
  TimedTask* first = box.GetResult();
  StepNotices(0);
  StepNotices(600);
  ASSERT_EQ(box.Open("Second one.", 0), 0);
  EXPECT_NE(box.GetResult(), nullptr);
  EXPECT_EQ(box.NoticeSprite().GetWidth(), 11 * test::BlockFont::kCharWidth);
  EXPECT_EQ(box.NoticeSprite().GetY(), ConfirmBox::kNoticeHiddenY);  // starts over below the screen
  EXPECT_EQ(notices.Items().size(), 1u);
  StepNotices(16);
  EXPECT_EQ(timers.Size(), 1u);  // the first one is gone
  (void)first;
  EXPECT_EQ(box.Open(nullptr, 0), 0);
  EXPECT_EQ(box.GetResult(), nullptr);
  EXPECT_TRUE(notices.Items().empty());
  StepNotices(16);
  EXPECT_EQ(timers.Size(), 0u);
  // A text the font cannot draw leaves nothing running.
  EXPECT_EQ(box.Open("", 0), 1);
  EXPECT_EQ(box.GetResult(), nullptr);
}

}  // namespace
}  // namespace orrivel
