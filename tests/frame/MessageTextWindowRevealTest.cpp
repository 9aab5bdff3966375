// The timed reveal on the injected tick: the position along the lines, the
// hard part and the soft edge against a plain reference blend, the strips
// saved and put back, the hard wipe, finishing early and a wrapped tick;
// and a page shown with and without a time per character.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../scene/SceneTestSupport.h"
#include "../scene/WindowTestSupport.h"
#include "frame/MessageTextWindow.h"
#include "platform/TextCodec.h"
#include "raster/SpriteList.h"

namespace orrivel {
namespace {

constexpr uint32_t kWindowPixel = 0x40102030;

// A page pixel with some transparency, different at every place.
uint32_t PagePixel(int x, int y) { return uint32_t(128 + (x * 7 + y) % 128) << 24 | uint32_t(x * 5) << 8 | uint32_t(y * 3); }

uint8_t Scale(uint8_t v, uint8_t a) { return uint8_t((v * a + 127) / 255); }

// The window pixel with the page pixel over it at coverage alpha x ramp.
uint32_t ReferenceBlend(uint32_t window, uint32_t page, uint8_t ramp) {
  const uint8_t a = Scale(uint8_t(page >> 24), ramp);
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8)
    out |= uint32_t(uint8_t(Scale(uint8_t(page >> shift), a) + Scale(uint8_t(window >> shift), 255 - a))) << shift;
  const uint8_t wa = uint8_t(window >> 24);
  const uint8_t alpha = uint8_t(255 - (255 - a) * (255 - wa) / 255);
  return out | uint32_t(alpha) << 24;
}

class MessageWindowRevealTest : public test::SceneTest {
 protected:
  // A 340 x 60 window over a page of two lines, 300 and 200 pixels long
  // and 16 high, landing at (10, 10).
  void SetUp() override {
    test::SceneTest::SetUp();
    ASSERT_EQ(window.Create(&list, 1, 340, 60, 0, 0, &font, &ruby, 0), 0);
    Prepare({{0, 0, 300, 16, 0}, {0, 16, 200, 16, 0}}, 300, 32);
  }
  void Prepare(const std::vector<LineBox>& boxes, int w, int h, uint32_t duration = 1000) {
    window.GetSurface().FillRect(kWindowPixel, nullptr);
    Surface& page = window.PageSurface();
    ASSERT_EQ(page.Create(w, h, 32, 0), 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) test::Pixel32(page, x, y) = PagePixel(x, y);
    window.PrepareReveal(boxes, 10, 10, duration);
  }
  uint32_t At(int x, int y) { return test::Pixel32(window.GetSurface(), x, y); }
  // Window pixel (x, y) shows page pixel (x - 10, y - 10) copied hard.
  bool Hard(int x, int y) { return At(x, y) == PagePixel(x - 10, y - 10); }

  test::CellFont font{16};
  test::CellFont ruby{8};
  SpriteList list;
  MessageTextWindow window;
};

TEST_F(MessageWindowRevealTest, HalfWayTheHardPartAndTheSoftEdge) {
  ASSERT_EQ(window.SetRevealEdge(16), 0);
  window.Tick(5000);  // starts; draws nothing
  EXPECT_EQ(window.RevealState(), MessageTextWindow::kRevealRunning);
  EXPECT_EQ(window.RevealTotal(), 16 + 300 + 200);
  EXPECT_EQ(At(10, 10), kWindowPixel);
  window.Tick(5500);
  EXPECT_EQ(window.RevealPosition(), 258);
  EXPECT_EQ(window.Revealed(), 242);
  EXPECT_EQ(window.RevealLine(), 0);
  EXPECT_EQ(window.RevealProgress(), 242);
  for (int y : {10, 25}) {
    EXPECT_TRUE(Hard(10, y));
    EXPECT_TRUE(Hard(10 + 241, y));
    // The edge: ramp entry 0 next to the hard part.
    const uint8_t* ramp = window.RevealRamp().Bytes();
    for (int i = 0; i < 16; ++i) {
      const uint8_t r = ramp[i];
      const uint32_t expected = ReferenceBlend(kWindowPixel, PagePixel(242 + i, y - 10), r);
      const uint32_t got = At(10 + 242 + i, y);
      for (int shift = 0; shift < 32; shift += 8)
        EXPECT_NEAR(int(got >> shift & 0xFF), int(expected >> shift & 0xFF), shift == 24 ? 1 : 0) << i << " " << shift;
    }
    EXPECT_EQ(At(10 + 258, y), kWindowPixel);
  }
  EXPECT_EQ(At(10, 26), kWindowPixel);  // line 2 untouched
  EXPECT_EQ(window.PendingStripCount(), 1);

  // The next position blends over the pixels the last edge put back.
  window.Tick(5501);
  EXPECT_EQ(window.RevealPosition(), 258);  // unchanged: nothing redrawn
  window.Tick(5510);
  const int p = window.RevealPosition();
  ASSERT_GT(p, 258);
  const uint8_t* ramp = window.RevealRamp().Bytes();
  for (int i : {14, 15})
    EXPECT_EQ(At(10 + p - 16 + i, 10) & 0xFFFFFF,
              ReferenceBlend(kWindowPixel, PagePixel(p - 16 + i, 0), ramp[i]) & 0xFFFFFF);
}

TEST_F(MessageWindowRevealTest, TheEndOfALineMovesOnAndStripsStayFourAtMost) {
  ASSERT_EQ(window.SetRevealEdge(16), 0);
  window.Tick(100);
  window.Tick(100 + 613);  // p = 316: exactly line 1 revealed
  EXPECT_EQ(window.Revealed(), 300);
  EXPECT_EQ(window.RevealLine(), 1);
  EXPECT_EQ(window.RevealProgress(), 0);
  EXPECT_TRUE(Hard(10 + 299, 10));

  // Eight short lines of 4 pixels: the 16-pixel edge touches four.
  std::vector<LineBox> boxes;
  for (int i = 0; i < 8; ++i) boxes.push_back({0, 4 * i, 4, 4, 0});
  Prepare(boxes, 4, 32, 480);  // 48 pixels, 10 ms each
  window.Tick(1000);
  window.Tick(1100);  // p 10: 4 + 4 + 2
  EXPECT_EQ(window.PendingStripCount(), 3);
  window.Tick(1210);  // p 21: hard 5, then 3 + 4 + 4 + 4 and one left over
  EXPECT_EQ(window.Revealed(), 5);
  EXPECT_EQ(window.PendingStripCount(), 4);
  EXPECT_EQ(At(10, 10 + 20), kWindowPixel);  // line 5 waits for the next frame
}

TEST_F(MessageWindowRevealTest, HardWipeFinishingAndWrappedTicks) {
  // No edge: a hard wipe with no strips.
  window.Tick(10);
  window.Tick(510);
  EXPECT_EQ(window.RevealPosition(), 250);
  EXPECT_EQ(window.PendingStripCount(), 0);
  EXPECT_TRUE(Hard(10 + 249, 20));
  EXPECT_EQ(At(10 + 250, 20), kWindowPixel);
  // A tick below the start reads as a huge elapsed time: done.
  window.Tick(9);
  EXPECT_EQ(window.RevealState(), MessageTextWindow::kRevealNone);
  EXPECT_TRUE(Hard(10 + 299, 25));
  EXPECT_TRUE(Hard(10 + 199, 41));
  EXPECT_FALSE(window.FinishReveal());

  // Prepared and never updated: one call shows the whole page.
  Prepare({{0, 0, 300, 16, 0}, {0, 16, 200, 16, 0}}, 300, 32);
  ASSERT_EQ(window.SetRevealEdge(16), 0);
  EXPECT_TRUE(window.FinishReveal());
  EXPECT_EQ(window.RevealState(), MessageTextWindow::kRevealNone);
  EXPECT_TRUE(Hard(10, 10));
  EXPECT_TRUE(Hard(10 + 299, 25));
  EXPECT_TRUE(Hard(10 + 199, 41));
  EXPECT_EQ(At(10 + 200, 41), kWindowPixel);
  EXPECT_EQ(window.PendingStripCount(), 0);
}

TEST_F(MessageWindowRevealTest, APageWithAndWithoutTimePerCharacter) {
  window.SetMargins(10, 10, 10, 10, true);
  const std::string text = platform::Utf8ToCp932("あいう").value();
  ASSERT_EQ(window.SetPageText(text.data(), text.size()), 0);
  window.GetSurface().FillRect(0, nullptr);
  ASSERT_EQ(window.ShowPage(true), 0);
  EXPECT_EQ(window.RevealState(), MessageTextWindow::kRevealNone);
  EXPECT_EQ(window.CharacterCount(), 3);
  EXPECT_NE(At(12, 12), 0u);  // straight into the window

  window.SetTimePerChar(20);
  ASSERT_EQ(window.SetPageText(text.data(), text.size()), 0);
  ASSERT_EQ(window.ShowPage(true), 0);
  EXPECT_EQ(window.RevealState(), MessageTextWindow::kRevealPrepared);
  EXPECT_EQ(window.RevealDuration(), 60u);
  EXPECT_EQ(window.PageSurface().GetWidth(), 48);
  EXPECT_EQ(At(12, 12), 0u);  // nothing on the window yet
  window.Tick(100);
  window.Tick(130);
  EXPECT_NE(At(12, 12), 0u);
  EXPECT_EQ(At(10 + 40, 12), 0u);
  // A new page waits until the reveal is over.
  EXPECT_EQ(window.ShowPage(true), 0);
  EXPECT_EQ(At(10 + 40, 12), 0u);
  window.Tick(160);
  EXPECT_EQ(window.RevealState(), MessageTextWindow::kRevealNone);
  EXPECT_NE(At(10 + 40, 12), 0u);
}

TEST_F(MessageWindowRevealTest, TheClickWaitCursorFollowsTheTextAndLeavesNoTrace) {
  window.SetMargins(10, 10, 10, 10, true);
  Surface strip;
  ASSERT_EQ(strip.Create(40, 10, 32, 0), 0);
  strip.SetHasAlpha(true);
  strip.FillRect(0xFFFF0000u, nullptr);
  const ClickWaitFrames frames{4, 50};
  ASSERT_EQ(window.AddCursor(&strip, &frames, 10, true), 0);
  window.SetCursorAfterText(true);
  int32_t pacing = 3;  // skipping: no cursor
  window.SetPacingSource([&pacing] { return pacing; });
  const std::string text = platform::Utf8ToCp932("あい").value();
  ASSERT_EQ(window.SetPageText(text.data(), text.size()), 0);
  ASSERT_EQ(window.ShowPage(true), 0);
  EXPECT_FALSE(window.IsCursorShown());
  pacing = 1;
  ASSERT_EQ(window.SetPageText(text.data(), text.size()), 0);
  ASSERT_EQ(window.ShowPage(true), 0);
  ASSERT_TRUE(window.IsCursorShown());
  const uint32_t under = At(10 + 32 + 4, 10);
  window.Tick(2000);
  window.Tick(2010);
  // A frame of the strip, 4 pixels after the text.
  EXPECT_EQ(At(10 + 32 + 4, 10) & 0xFFFFFF, 0xFF0000u);
  window.ShowCursor(false);
  EXPECT_EQ(At(10 + 32 + 4, 10), under);
  EXPECT_EQ(window.SelectCursor(0), 0);
  window.ClearCursors();
  EXPECT_EQ(window.CursorCount(), 0);
  window.ShowCursor(true);  // nothing to show
  EXPECT_FALSE(window.IsCursorShown());
}

}  // namespace
}  // namespace orrivel
