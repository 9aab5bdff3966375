// Scroll bars: the layout of a drawn bar, the thumb's length and limits,
// values and offsets, arrows, the wheel, paging and dragging with the
// pointer, and bars made from pictures.
#include "scene/ScrollBar.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "GoldenSupport.h"
#include "PictureFolder.h"
#include "SceneTestSupport.h"
#include "platform/KeyTable.h"
#include "raster/SpriteList.h"

namespace orrivel {
namespace {

using Log = std::vector<std::string>;

class RecordingListener : public ScrollBarListener {
 public:
  void OnScrollValue(ScrollBar*, int32_t value) override { values.push_back(value); }
  void OnScrollPastEnd(ScrollBar*) override { ++pastEnd; }
  std::vector<int32_t> values;
  int pastEnd = 0;
};

class ScrollBarTest : public test::SceneTest, protected test::HeadlessControlInput {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    Connect(host);
  }
  // A vertical drawn bar of thickness 16 at (10, 20), 200 long over 1000
  // with 100 visible.
  void MakeDrawn(int32_t total = 1000, int32_t visible = 100) {
    ASSERT_EQ(bar.CreateDrawn(&list, 0, 10, 20, true, 16, 0xFF808080, 0xFF202020, 0x80FFFFFF, 0x80000000,
                              0xFF000000, 0),
              0);
    bar.SetListener(&listener);
    ASSERT_EQ(bar.SetTrack(200, total, visible, 0, 0, 1), 0);
  }
  int32_t Frame(int32_t x, int32_t y, uint32_t buttons = 0) {
    host.pointerX = x, host.pointerY = y;
    Poll({}, buttons);
    return host.Update(clock.TickMs());
  }
  int32_t ThumbTop() const { return bar.ThumbSprite().GetY(); }

  test::RecordingHost host;
  SpriteList list;
  ScrollBar bar;
  RecordingListener listener;
};

TEST_F(ScrollBarTest, ADrawnBarOfThickness16On200Pixels) {
  MakeDrawn();
  EXPECT_EQ(bar.GetKind(), kControlScrollBar);
  EXPECT_EQ(bar.GetHeight(), 168);  // the track between two 16-pixel arrows
  EXPECT_EQ(bar.GetWidth(), 16);
  EXPECT_EQ(bar.GetThumbLength(), 16);  // 168 x 100 / 1000
  EXPECT_EQ(bar.GetMaximum(), 900);
  EXPECT_EQ(bar.GetTrackLength(), 152);
  EXPECT_EQ(bar.BackButton()->GetY(), 20);
  EXPECT_EQ(bar.BackButton()->GetWidth(), 16);
  EXPECT_EQ(bar.TrackSprite()->GetY(), 36);
  EXPECT_EQ(bar.ForwardButton()->GetY(), 204);
  EXPECT_EQ(ThumbTop(), 36);
  // At the start only the forward arrow works.
  EXPECT_FALSE(bar.BackButton()->IsEnabled());
  EXPECT_TRUE(bar.ForwardButton()->IsEnabled());

  EXPECT_EQ(bar.SetValue(450), 0);
  EXPECT_EQ(bar.GetThumbOffset(), 76);
  EXPECT_EQ(ThumbTop(), 36 + 76);
  EXPECT_EQ(bar.SetValue(450), -1);
  EXPECT_TRUE(bar.BackButton()->IsEnabled());
  EXPECT_EQ(bar.SetValue(5000), 0);  // clamped to the maximum
  EXPECT_EQ(bar.GetValue(), 900);
  EXPECT_EQ(bar.GetThumbOffset(), 152);
  EXPECT_FALSE(bar.ForwardButton()->IsEnabled());
  EXPECT_EQ(bar.SetThumbOffset(76), 0);
  EXPECT_EQ(bar.GetValue(), 450);
  EXPECT_EQ(bar.SetThumbOffset(-3), 0);
  EXPECT_EQ(bar.GetValue(), 0);
  EXPECT_EQ(listener.values, (std::vector<int32_t>{450, 900, 450, 0}));
  // Steps of one value; a step past the end tells the listener.
  bar.SetValue(899);
  EXPECT_EQ(bar.Step(true), 0);
  EXPECT_EQ(bar.GetValue(), 900);
  EXPECT_EQ(bar.Step(true), 0);
  EXPECT_EQ(listener.pastEnd, 1);
}

TEST_F(ScrollBarTest, TheThumbsLengthLimitsAndNothingToScroll) {
  struct Case {
    int32_t total, visible, minimumMiddle;
    int32_t result, thumbLength;
  };
  const Case cases[] = {
      {1000, 100, 1, 0, 16},    // the visible share
      {100000, 10, 1, 0, 4},    // never below the middle plus both caps
      {100000, 10, 5, 0, 8},
      {1000, 1000, 1, -1, 0},   // everything visible
      {100, 500, 1, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.total << "/" << c.visible);
    ASSERT_EQ(bar.CreateDrawn(&list, 0, 10, 20, true, 16, 0xFF808080, 0xFF202020, 0x80FFFFFF, 0x80000000,
                              0xFF000000, 0),
              0);
    EXPECT_EQ(bar.SetTrack(200, c.total, c.visible, 0, 0, c.minimumMiddle), c.result);
    if (c.result == 0) {
      EXPECT_EQ(bar.GetThumbLength(), c.thumbLength);
      EXPECT_TRUE(bar.IsEnabled());
      EXPECT_TRUE(bar.ThumbSprite().IsVisible());
      EXPECT_EQ(bar.ThumbSurface().GetHeight(), c.thumbLength);
    } else {
      EXPECT_EQ(bar.GetValue(), -1);
      EXPECT_EQ(bar.GetThumbOffset(), -1);
      EXPECT_FALSE(bar.IsEnabled());
      EXPECT_FALSE(bar.ThumbSprite().IsVisible());
      EXPECT_EQ(bar.SetValue(3), 1);
      EXPECT_EQ(bar.SetThumbOffset(3), 1);
      EXPECT_EQ(bar.Step(false), -1);
    }
  }
  EXPECT_EQ(bar.SetTrack(200, 0, 10, 0, 0, 1), 1);
  ScrollBar fresh;
  EXPECT_EQ(fresh.SetTrack(200, 100, 10, 0, 0, 1), 1);
  EXPECT_EQ(fresh.CreateDrawn(&list, 0, 0, 0, true, 7, 0, 0, 0, 0, 0, 0), 1);
  EXPECT_EQ(fresh.CreateDrawn(nullptr, 0, 0, 0, true, 16, 0, 0, 0, 0, 0, 0), 1);
  // Thicknesses no picture holds: the thumb cannot be made.
  for (const bool vertical : {true, false}) {
    EXPECT_EQ(fresh.CreateDrawn(&list, 0, 0, 0, vertical, INT32_MAX, 0, 0, 0, 0, 0, 0), 2);
    EXPECT_EQ(fresh.CreateDrawn(&list, 0, 0, 0, vertical, INT32_MAX / 3 + 1, 0, 0, 0, 0, 0, 0), 2);
  }
}

TEST_F(ScrollBarTest, TheDrawnThumbsCellsAndTheDisabledLook) {
  MakeDrawn();
  Surface& thumb = bar.ThumbSurface();  // 16 x 16 composed, three cells side by side
  ASSERT_EQ(thumb.GetWidth(), 48);
  EXPECT_EQ(thumb.GetPixel(5, 5) & 0xFFFFFF, 0x808080u);      // face
  EXPECT_EQ(thumb.GetPixel(0, 0) & 0xFFFFFF, 0xD4D4D4u);      // light edge
  EXPECT_EQ(thumb.GetPixel(15, 15) & 0xFFFFFF, 0x202020u);    // darker edge
  EXPECT_EQ(thumb.GetPixel(14, 5) & 0xFFFFFF, 0x404040u);     // dark edge
  const uint32_t hover = thumb.GetPixel(16 + 5, 5) & 0xFF;  // half white over the face
  EXPECT_GE(hover, 0xBEu);
  EXPECT_LE(hover, 0xC0u);
  bar.SetState(0, ScrollBar::kHover);
  EXPECT_EQ(bar.ThumbSprite().GetSourceRect().left, 16);
  // A drawn bar shown disabled keeps the thumb's normal cell.
  bar.SetEnabled(false);
  EXPECT_EQ(bar.GetState(), ScrollBar::kDisabled);
  EXPECT_EQ(bar.ThumbSprite().GetSourceRect().left, 0);
  EXPECT_FALSE(bar.BackButton()->IsEnabled());
  EXPECT_FALSE(bar.ForwardButton()->IsEnabled());
}

TEST_F(ScrollBarTest, TheDrawnArrowsAndThumbMatchTheirGoldenPicture) {
  // A blue face, so that the grey of the disabled arrow shows.
  ASSERT_EQ(bar.CreateDrawn(&list, 0, 10, 20, true, 16, 0xFF3060C0, 0xFF202020, 0x80FFFFFF, 0x80000000,
                            0xFF000000, 0),
            0);
  ASSERT_EQ(bar.SetTrack(200, 1000, 100, 0, 0, 1), 0);
  // The back and forward buttons' strips (normal, hover, pressed, disabled)
  // and the thumb's three cells, one row each.
  Surface& back = bar.BackButton()->OwnSurface();
  Surface& forward = bar.ForwardButton()->OwnSurface();
  ASSERT_EQ(back.GetWidth(), 64);
  Surface all;
  ASSERT_EQ(all.Create(64, 48, 32, 0), 0);
  all.FillRect(0xFFFFFFFF, nullptr);
  all.Copy(&back, 0, 0, nullptr, false);
  all.Copy(&forward, 0, 16, nullptr, false);
  all.Copy(&bar.ThumbSurface(), 0, 32, nullptr, false);
  test::ExpectGolden(all, "scrollbar_drawn_parts");
  // The up arrow's tip is one pixel on top; the down arrow's at the bottom.
  EXPECT_EQ(back.GetPixel(7, 5) & 0xFFFFFF, 0u);
  EXPECT_NE(back.GetPixel(6, 5) & 0xFFFFFF, 0u);
  EXPECT_EQ(forward.GetPixel(7, 10) & 0xFFFFFF, 0u);
  EXPECT_NE(forward.GetPixel(6, 10) & 0xFFFFFF, 0u);
}

TEST_F(ScrollBarTest, ArrowsKeysAndTheWheelStepByTheKeyStep) {
  MakeDrawn();
  ASSERT_EQ(bar.AddToHost(&host, -1), 0);
  EXPECT_EQ(host.Controls().size(), 3u);
  EXPECT_EQ(bar.AddToHost(&host, -1), -1);
  // A negative key step moves the thumb by pixels: 5 per wheel notch.
  bar.SetKeyStep(-5);
  test::ScriptedDevice wheel;
  wheel.Hold(4);
  EXPECT_TRUE(bar.OnPointerButtons(0, 0, &wheel));
  EXPECT_EQ(bar.GetThumbOffset(), 5);
  EXPECT_EQ(bar.GetValue(), 900 * 5 / 152);
  wheel.Reset();
  wheel.Hold(3);
  EXPECT_TRUE(bar.OnPointerButtons(0, 0, &wheel));
  EXPECT_EQ(bar.GetThumbOffset(), 0);
  wheel.Reset();
  EXPECT_FALSE(bar.OnPointerButtons(0, 0, &wheel));
  // A positive step counts values.
  bar.SetKeyStep(100);
  wheel.Hold(4);
  bar.OnPointerButtons(0, 0, &wheel);
  EXPECT_EQ(bar.GetValue(), 100);
  // Keys of the focused bar: down, up, End and Home.
  ASSERT_EQ(host.SetFocus(&bar), 0u);
  Frame(600, 400);
  Poll({platform::DIK_DOWN});
  host.Update(clock.TickMs());
  EXPECT_EQ(bar.GetValue(), 200);
  Poll({ScrollBar::kKeyEnd});
  host.Update(clock.TickMs());
  EXPECT_EQ(bar.GetValue(), 900);
  Poll({ScrollBar::kKeyHome});
  host.Update(clock.TickMs());
  EXPECT_EQ(bar.GetValue(), 0);
  // The forward arrow fires at the press, after 500 ms and every 100 ms.
  bar.SetKeyStep(10);
  const int32_t ax = 12, ay = 206;
  Frame(ax, ay);
  EXPECT_EQ(host.GetHovered(), bar.ForwardButton());
  Frame(ax, ay, 1);
  EXPECT_EQ(bar.GetValue(), 10);
  clock.Advance(499);
  Frame(ax, ay, 1);
  EXPECT_EQ(bar.GetValue(), 10);
  clock.Advance(1);
  Frame(ax, ay, 1);
  EXPECT_EQ(bar.GetValue(), 20);
  clock.Advance(100);
  Frame(ax, ay, 1);
  EXPECT_EQ(bar.GetValue(), 30);
  Frame(ax, ay, 0);
  EXPECT_EQ(bar.ForwardButton()->GetState(), PushControl::kHover);
  bar.RemoveFromHost();
  EXPECT_TRUE(host.Controls().empty());
}

TEST_F(ScrollBarTest, DraggingAndPagingWithThePointer) {
  MakeDrawn();
  ASSERT_EQ(bar.AddToHost(&host, -1), 0);
  bar.SetSounds(nullptr, "over", nullptr, -1, 0, -1);
  host.TakeLog();
  // Onto the thumb (at 36..51): hover with its sound.
  Frame(15, 40);
  EXPECT_EQ(bar.GetState(), ScrollBar::kHover);
  EXPECT_EQ(host.TakeLog(), (Log{"sound over 0"}));
  Frame(15, 40, 1);
  EXPECT_TRUE(bar.IsDragging());
  EXPECT_TRUE(host.IsPointerLocked());
  EXPECT_EQ(bar.GetState(), ScrollBar::kPressed);
  Frame(15, 70, 1);
  EXPECT_EQ(bar.GetThumbOffset(), 30);
  EXPECT_EQ(bar.GetValue(), 900 * 30 / 152);
  Frame(15, 500, 1);  // far past the end: the thumb stops there
  EXPECT_EQ(bar.GetThumbOffset(), 152);
  Frame(15, 500, 0);
  EXPECT_FALSE(bar.IsDragging());
  EXPECT_FALSE(host.IsPointerLocked());
  EXPECT_EQ(bar.GetState(), ScrollBar::kNormal);  // released off the bar

  // A click above the thumb pages back by a thumb length, then repeats.
  bar.SetValue(900);
  Frame(15, 60);
  ASSERT_EQ(bar.GetState(), ScrollBar::kHover);
  Frame(15, 60, 1);
  EXPECT_EQ(bar.GetThumbOffset(), 152 - 16);
  clock.Advance(500);
  Frame(15, 60, 1);
  EXPECT_EQ(bar.GetThumbOffset(), 152 - 32);
  Frame(15, 60, 0);
  EXPECT_EQ(bar.GetState(), ScrollBar::kHover);

  // Click mode 1 jumps the thumb's centre to the pointer.
  bar.SetClickMode(1);
  Frame(15, 100, 1);
  EXPECT_EQ(bar.GetThumbOffset(), 100 - 36 - 8);
  EXPECT_FALSE(bar.IsDragging());
  Frame(15, 100, 0);
}

// --- bars from pictures -----------------------------------------------------------------------------

class ScrollBarPictureTest : public ScrollBarTest {
 protected:
  test::PictureFolder folder;
};

TEST_F(ScrollBarPictureTest, APictureThumbAsLongAsTheTravelNeverDividesByZero) {
  // A vertical thumb of 12 x 100 in three cells side by side, no arrows.
  auto thumb = test::MakeSurface32(36, 100, [](int x, int) { return 0xFF000000u | uint32_t(x / 12) * 0x40; });
  folder.WritePicture(*thumb, "THUMB.BMP");
  ASSERT_EQ(bar.Create(&list, 0, 0, 0, 0, 0, "THUMB.BMP", 0, 0, nullptr, 0, 0, nullptr, nullptr, false, true, 0, 255,
                       -1, -1, 0),
            0);
  ASSERT_EQ(bar.SetTrack(100, 1000, 100, 0, 0, 1), 0);
  EXPECT_EQ(bar.GetThumbLength(), 100);
  EXPECT_EQ(bar.GetTrackLength(), 1);
  EXPECT_EQ(bar.SetThumbOffset(1), 0);
  EXPECT_EQ(bar.GetValue(), 900);
  EXPECT_EQ(bar.SetValue(300), 0);
  EXPECT_EQ(bar.GetThumbOffset(), 0);
  // Without a disabled cell the disabled bar shows the normal one.
  bar.SetEnabled(false);
  EXPECT_EQ(bar.ThumbSprite().GetSourceRect().left, 0);
  bar.SetEnabled(true);
  bar.SetState(0, ScrollBar::kPressed);
  EXPECT_EQ(bar.ThumbSprite().GetSourceRect().left, 24);
}

TEST_F(ScrollBarPictureTest, CapsStretchTheThumbAndTheTrack) {
  // Horizontal: four cells stacked, a thumb 10 long with caps 3 and 3, a
  // track 6 long with caps 2 and 2, and arrows 8 x 8 in four cells.
  auto thumb = test::MakeSurface32(10, 32, [](int x, int y) {
    return 0xFF000000u | uint32_t(x < 3 ? 0x10 : x >= 7 ? 0x30 : 0x20) << 16 | uint32_t(y / 8);
  });
  auto track = test::MakeSurface32(6, 24, [](int x, int) { return 0xFF000000u | uint32_t(x) << 8; });
  auto arrow = test::MakeSolid32(32, 8, 0xFF808080u);
  folder.WritePicture(*thumb, "THUMB.BMP");
  folder.WritePicture(*track, "TRACK.BMP");
  folder.WritePicture(*arrow, "ARROW.BMP");
  EXPECT_EQ(bar.Create(&list, 0, 0, 0, 0, 0, "NONE.BMP", 0, 0, nullptr, 0, 0, nullptr, nullptr, true, false, 0, 255,
                       -1, -1, 0),
            2);
  EXPECT_EQ(bar.Create(&list, 0, 0, 0, 0, 0, nullptr, 0, 0, nullptr, 0, 0, nullptr, nullptr, true, false, 0, 255, -1,
                       -1, 0),
            1);
  ASSERT_EQ(bar.Create(&list, 0, 0, 0, 0, 1, "THUMB.BMP", 3, 3, "TRACK.BMP", 2, 2, "ARROW.BMP", "ARROW.BMP", true,
                       false, 0, 255, 0x000302, -1, 0),
            0);
  ASSERT_EQ(bar.SetTrack(116, 400, 100, 0, 0, 1), 0);
  EXPECT_EQ(bar.GetWidth(), 100);  // 116 less two arrows
  EXPECT_EQ(bar.GetThumbLength(), 25);
  Surface& t = bar.ThumbSurface();
  ASSERT_EQ(t.GetWidth(), 25);
  EXPECT_EQ(t.GetPixel(0, 0) >> 16 & 0xFF, 0x10u);
  EXPECT_EQ(t.GetPixel(12, 0) >> 16 & 0xFF, 0x20u);
  EXPECT_EQ(t.GetPixel(24, 0) >> 16 & 0xFF, 0x30u);
  EXPECT_EQ(t.GetPixel(24, 31) & 0xFF, 3u);  // the cells stay stacked
  Surface* tr = bar.TrackSurface();
  ASSERT_EQ(tr->GetWidth(), 100);
  EXPECT_EQ(tr->GetPixel(0, 0) >> 8 & 0xFF, 0u);
  EXPECT_EQ(tr->GetPixel(2, 0) >> 8 & 0xFF, 2u);
  EXPECT_EQ(tr->GetPixel(4, 0) >> 8 & 0xFF, 2u);  // the 2-pixel middle repeats
  EXPECT_EQ(tr->GetPixel(99, 0) >> 8 & 0xFF, 5u);
  // The key colour holds on the composed pictures too.
  EXPECT_EQ(tr->GetColorKey(), 0x000302u);
  EXPECT_EQ(t.GetColorKey(), 0x000302u);
  EXPECT_EQ(bar.BackButton()->GetX(), 0);
  EXPECT_EQ(bar.TrackSprite()->GetX(), 8);
  EXPECT_EQ(bar.ForwardButton()->GetX(), 108);
  EXPECT_EQ(bar.ThumbSprite().GetX(), 8);
  EXPECT_EQ(bar.ThumbSprite().GetY(), 1);
  bar.SetEnabled(false);
  EXPECT_EQ(bar.ThumbSprite().GetSourceRect().top, 24);  // the disabled cell
}

}  // namespace
}  // namespace orrivel
