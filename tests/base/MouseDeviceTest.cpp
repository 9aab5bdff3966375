// The mice: message and polled buttons, the wheel, the pointer guard, the
// system cursor and the animated image cursor.
#include "base/MouseDevice.h"

#include <vector>

#include "InputTestSupport.h"
#include "base/ApiMouse.h"
#include "base/CursorObject.h"
#include "base/MessageMouse.h"
#include "platform/headless/HeadlessBackend.h"

namespace orrivel {
namespace {

using test::Flags;

class MouseDeviceTest : public test::InputTest {};

uintptr_t WheelParam(int16_t turn) { return uintptr_t(uint16_t(turn)) << 16; }

TEST_F(MouseDeviceTest, MessageButtonsFollowScriptedSequences) {
  struct Script {
    const char* steps;  // d down, u up, p poll
    const char* frames;
  };
  const Script scripts[] = {
      {"dppup", "PD D -"}, {"dupp", "P -"}, {"dpudp", "PD PD"}, {"duddpp", "PD D"}, {"pp", "- -"},
  };
  for (uint8_t button = 0; button < 3; ++button) {
    for (const Script& script : scripts) {
      SCOPED_TRACE(std::string(script.steps) + " button " + std::to_string(button));
      MessageMouse mouse;
      std::string frames;
      for (const char* step = script.steps; *step; ++step) {
        if (*step == 'd') mouse.OnButtonDown(button);
        if (*step == 'u') mouse.OnButtonUp(button);
        if (*step == 'p') {
          mouse.Poll();
          frames += (frames.empty() ? "" : " ") + Flags(mouse, button);
        }
      }
      EXPECT_EQ(frames, script.frames);
    }
  }
  MessageMouse mouse;
  EXPECT_FALSE(mouse.OnButtonDown(3));
}

TEST_F(MouseDeviceTest, WheelIsPressedOnlyAfterAStillFrame) {
  for (bool messages : {true, false}) {
    SCOPED_TRACE(messages ? "message mouse" : "polled mouse");
    std::unique_ptr<MouseDevice> mouse;
    if (messages) mouse = std::make_unique<MessageMouse>(); else mouse = std::make_unique<ApiMouse>();
    struct Frame {
      int16_t turn;  // 0: no wheel message before the poll
      const char* away;
      const char* towards;
      int32_t wheel;
      int32_t firstPressed;
    };
    const Frame frames[] = {
        {120, "PD", "-", 120, 3}, {120, "D", "-", 120, -1}, {0, "-", "-", 0, -1},
        {-240, "-", "PD", -240, 4}, {120, "D", "-", 120, -1},
    };
    for (const Frame& frame : frames) {
      if (frame.turn) mouse->OnWheel(WheelParam(frame.turn) | 0x0008);
      mouse->Poll();
      EXPECT_EQ(Flags(*mouse, 3), frame.away);
      EXPECT_EQ(Flags(*mouse, 4), frame.towards);
      EXPECT_EQ(mouse->GetWheel(), frame.wheel);
      EXPECT_EQ(mouse->FirstPressed(), frame.firstPressed);
    }
  }
}

TEST_F(MouseDeviceTest, PolledButtonsComeFromTheSource) {
  ApiMouse mouse;
  source.SetMouseButtons(2 | 4);
  mouse.Poll();
  EXPECT_EQ(mouse.FirstDown(), 1);
  EXPECT_EQ(mouse.FirstPressed(), 1);
  EXPECT_EQ(Flags(mouse, 2), "PD");
  mouse.Poll();
  EXPECT_EQ(Flags(mouse, 2), "D");
  EXPECT_EQ(mouse.FirstPressed(), -1);
  source.SetMouseButtons(0);
  mouse.Poll();
  EXPECT_EQ(mouse.FirstDown(), -1);
}

TEST_F(MouseDeviceTest, PointerOutsideTheClientAreaSilencesEveryQuery) {
  struct Case {
    int32_t x, y;
    bool silenced;
  };
  const Case cases[] = {{-1, 5, true}, {5, -1, true}, {-3, -3, true}, {-2, -2, false},
                        {-2, -7, false}, {0, 0, false}, {400, 300, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    MessageMouse mouse;
    int32_t x = c.x, y = c.y;
    mouse.SetTrackedPosition(&x, &y);
    mouse.OnButtonDown(0);
    mouse.OnWheel(WheelParam(120));
    mouse.Poll();
    EXPECT_EQ(mouse.IsDown(0), !c.silenced);
    EXPECT_EQ(mouse.IsPressed(0), !c.silenced);
    EXPECT_EQ(mouse.FirstDown(), c.silenced ? -1 : 0);
    EXPECT_EQ(mouse.FirstPressed(), c.silenced ? -1 : 0);
    EXPECT_EQ(mouse.GetWheel(), c.silenced ? 0 : 120);
  }
}

TEST_F(MouseDeviceTest, CursorShapesAndTheSystemCursorCount) {
  ApiMouse mouse;
  EXPECT_EQ(mouse.SetCursorShape(3, 0, 0), 0);
  EXPECT_EQ(mouse.CursorShape(), 3);
  EXPECT_EQ(source.ShownCursor(), mouse.CursorHandle());
  EXPECT_NE(mouse.CursorHandle(), 0u);
  // Shape 13 gives no cursor and keeps the old shape number.
  EXPECT_EQ(mouse.SetCursorShape(13, 0, 0), 1);
  EXPECT_EQ(mouse.CursorHandle(), 0u);
  EXPECT_EQ(mouse.CursorShape(), 3);
  // A resource cursor, when the program has it.
  EXPECT_EQ(mouse.SetCursorShape(0, 0, 77), 1);
  source.AddResourceCursor(77);
  EXPECT_EQ(mouse.SetCursorShape(5, 0, 77), 0);
  EXPECT_EQ(mouse.CursorShape(), 5);

  mouse.ShowSystemCursor(false);
  mouse.ShowSystemCursor(false);
  EXPECT_EQ(source.CursorCount(), -2);
  mouse.ShowSystemCursor(true);
  EXPECT_EQ(source.CursorCount(), 0);
  mouse.SetCursorState(0, platform::kNoWindow, 0);
  EXPECT_EQ(source.CursorCount(), -1);
  EXPECT_EQ(mouse.CursorState(), 0u);
}

TEST_F(MouseDeviceTest, CursorStateWithAMessageGoesToTheWindow) {
  struct Client : platform::WindowClient {
    intptr_t WindowProcedure(platform::WindowId w, uint32_t m, uintptr_t wp, intptr_t lp) override {
      if (m == 0x9000) states.push_back(wp);
      return backend->DefWindowProc(w, m, wp, lp);
    }
    platform::HeadlessBackend* backend = nullptr;
    std::vector<uintptr_t> states;
  } client;
  platform::HeadlessBackend backend;
  platform::ScopedBackend scoped(backend);
  client.backend = &backend;
  backend.RegisterClass(platform::WindowClass{"M"});
  platform::WindowCreateParams params;
  params.className = "M";
  params.client = &client;
  platform::WindowId window = backend.CreateWindow(params);
  ApiMouse mouse;
  mouse.SetCursorState(1, window, 0x9000);
  mouse.ApplyCursorState(0, window, 0x9000);
  EXPECT_EQ(client.states, (std::vector<uintptr_t>{1, 0}));
  EXPECT_EQ(source.CursorCount(), 0);  // the count was left alone
  EXPECT_EQ(mouse.RequestedCursorState(), 0u);
}

// A picture object that records what the image cursor does to it.
class FakeCursorObject : public CursorObject {
 public:
  int32_t ObjectKind() const override { return kind; }
  int32_t GetSourceRect(platform::Rect& out) const override {
    out = rect;
    return rectResult;
  }
  void SetRect(int32_t x, int32_t y, int32_t) override { origins.push_back({x, y}); }
  void SetTexRect(int32_t x, int32_t y, int32_t) override { texOrigins.push_back({x, y}); }
  void SetVisible(bool v) override { visible = v; }
  void SetPosition(int32_t x, int32_t y) override { position = {x, y}; }

  int32_t kind = kImageObject;
  platform::Rect rect{10, 20, 42, 52};
  int32_t rectResult = 0;
  std::vector<platform::Point> origins, texOrigins;
  bool visible = false;
  platform::Point position{-100, -100};
};

TEST_F(MouseDeviceTest, ImageCursorAnimatesBackAndForthAndFollowsThePointer) {
  ApiMouse mouse;
  int32_t x = 100, y = 50;
  mouse.SetTrackedPosition(&x, &y);
  FakeCursorObject object;
  ASSERT_EQ(mouse.SetImageCursor(&object, 4, 100, true, 3, 4), 0);
  EXPECT_TRUE(mouse.ImageCursorVisible());
  // Ping-pong over 4 frames: a cycle of 7 frame times, 0 1 2 3 2 1 0.
  const int expectedFrames[] = {0, 1, 2, 3, 2, 1, 0, 0, 1};
  for (int step = 0; step < 9; ++step) {
    SCOPED_TRACE(step);
    mouse.UpdateImageCursor();
    EXPECT_EQ(mouse.CurrentFrame(), expectedFrames[step]);
    ASSERT_FALSE(object.origins.empty());
    EXPECT_EQ(object.origins.back(), (platform::Point{32 * expectedFrames[step] + 10, 20}));
    clock.Advance(100);
  }
  // Origins are set only when the frame changes.
  EXPECT_EQ(object.origins.size(), 8u);
  EXPECT_TRUE(object.visible);
  EXPECT_EQ(object.position, (platform::Point{97, 46}));
  // Outside the client area it hides and stops.
  x = -1;
  mouse.UpdateImageCursor();
  EXPECT_FALSE(object.visible);
}

TEST_F(MouseDeviceTest, ImageCursorEdgeCases) {
  int32_t x = 5, y = 5;
  {
    SCOPED_TRACE("a frame time of 0 stays on the first frame");
    ApiMouse mouse;
    mouse.SetTrackedPosition(&x, &y);
    FakeCursorObject object;
    ASSERT_EQ(mouse.SetImageCursor(&object, 3, 0, false, 0, 0), 0);
    for (int i = 0; i < 3; ++i) {
      mouse.UpdateImageCursor();
      clock.Advance(16);
    }
    EXPECT_EQ(mouse.CurrentFrame(), 0);
    EXPECT_EQ(object.origins.size(), 1u);
  }
  {
    SCOPED_TRACE("a quad moves its texture rectangle; one way round the cycle");
    ApiMouse mouse;
    mouse.SetTrackedPosition(&x, &y);
    FakeCursorObject object;
    object.kind = CursorObject::kQuadObject;
    ASSERT_EQ(mouse.SetImageCursor(&object, 2, 50, false, 0, 0), 0);
    mouse.UpdateImageCursor();
    clock.Advance(60);
    mouse.UpdateImageCursor();
    clock.Advance(50);  // 110 >= cycle of 100: back to the first frame
    mouse.UpdateImageCursor();
    EXPECT_EQ(object.texOrigins,
              (std::vector<platform::Point>{{10, 20}, {42, 20}, {10, 20}}));
    EXPECT_TRUE(object.origins.empty());
  }
  {
    SCOPED_TRACE("refusals");
    ApiMouse mouse;
    FakeCursorObject good, noImage, wrongKind;
    noImage.rectResult = 2;
    wrongKind.kind = 9;
    ASSERT_EQ(mouse.SetImageCursor(&good, 1, 10, false, 0, 0), 0);
    EXPECT_EQ(mouse.SetImageCursor(&noImage, 1, 10, false, 0, 0), 2);
    EXPECT_EQ(mouse.ImageCursor(), &good);
    EXPECT_EQ(mouse.SetImageCursor(&wrongKind, 1, 10, false, 0, 0), 3);
    EXPECT_EQ(mouse.ImageCursor(), nullptr);
    ASSERT_EQ(mouse.SetImageCursor(&good, 1, 10, false, 0, 0), 0);
    EXPECT_EQ(mouse.SetImageCursor(nullptr, 0, 0, false, 0, 0), 0);
    EXPECT_EQ(mouse.ImageCursor(), nullptr);
  }
  {
    SCOPED_TRACE("the requested state hides it, and updates leave it alone");
    ApiMouse mouse;
    mouse.SetTrackedPosition(&x, &y);
    FakeCursorObject object;
    mouse.ApplyCursorState(0, platform::kNoWindow, 0);
    ASSERT_EQ(mouse.SetImageCursor(&object, 2, 10, false, 0, 0), 0);
    EXPECT_FALSE(mouse.ImageCursorVisible());
    mouse.UpdateImageCursor();
    EXPECT_TRUE(object.origins.empty());
    mouse.ApplyCursorState(1, platform::kNoWindow, 0);
    EXPECT_TRUE(object.visible);
  }
}

}  // namespace
}  // namespace orrivel
