#include "effect/SpritePartsAction.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "CrLfText.h"
#include "OverlayTestRig.h"
#include "effect/BuiltinEffects.h"
#include "raster/DirtyRegion.h"
#include "scene/CanvasDrawObject.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

constexpr int32_t kFigureX = 100;
constexpr int32_t kFigureY = 50;
constexpr int32_t kBaseOrder = 40;
// A display background the figure shows over.
constexpr uint32_t kGrey = 0xFF606060u;

std::intptr_t DoubleLow(double value) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return std::intptr_t(int32_t(uint32_t(bits)));
}
std::intptr_t DoubleHigh(double value) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return std::intptr_t(int32_t(uint32_t(bits >> 32)));
}

// A layer with a canvas, small part pictures in "parts/" and tables written
// there as CR-LF text.
class SpriteParts : public testing::OverlayTest {
 protected:
  void SetUp() override {
    OverlayTest::SetUp();
    ASSERT_EQ(layer_.Prepare(640, 480, 32, 1), 0);
    WriteOpaque("parts/eye.elg", 20, 10);
    WriteOpaque("parts/band.elg", 80, 6);
    WriteOpaque("parts/big.elg", 200, 100);
  }
  void TearDown() override {
    list_.Clear();
    refused_.reset();
    layer_.SetPairedImage(nullptr);
    OverlayTest::TearDown();
  }

  // Sets up from the table text; the list owns a started action, the test
  // a refused one.
  SpritePartsAction* Start(const std::string& table, int32_t expected, bool optional = false, double scale = 1.0) {
    folder_.Write("parts/CA001.TXT", testing::WithCrLf(table));
    clock_.SetTick(kStart);
    auto* action = new SpritePartsAction();
    const int32_t code = action->Setup(&list_, &layer_,
                                       {"parts/CA001.TXT", kFigureX, kFigureY, kBaseOrder,
                                        optional ? 1 : 0, DoubleLow(scale), DoubleHigh(scale), 0, compose_, pairedToo_,
                                        showMain_, showMirror_});
    EXPECT_EQ(code, expected) << table;
    if (code != 0) {
      refused_.reset(action);
      return nullptr;
    }
    return action;
  }

  // The pixel at (x, y) of a picture.
  static uint32_t Pixel(Surface& picture, int32_t x, int32_t y) {
    return reinterpret_cast<const uint32_t*>(picture.GetScanLine(y))[x];
  }
  static std::vector<uint32_t> Pixels(Surface& picture) {
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < picture.GetHeight(); ++y)
      for (int32_t x = 0; x < picture.GetWidth(); ++x) pixels.push_back(Pixel(picture, x, y));
    return pixels;
  }

  CanvasDrawObject layer_;
  // The display the layer is paired with (exchanged or mixed with it).
  CanvasDrawObject twin_;
  std::unique_ptr<SpritePartsAction> refused_;
  // Set-up cells [8] to [11].
  int32_t compose_ = 0, pairedToo_ = 0, showMain_ = 0, showMirror_ = 0;
};

TEST_F(SpriteParts, LoadCodes) {
  const std::string longLine(1100, '1');
  const std::string longName(270, 'x');
  const struct {
    std::string table;
    int32_t code;
  } cases[] = {
      {"*eye.elg\n0,0\n10,0\n", 0},
      {"t100\n*eye.elg\n0,0\n", SpritePartsAction::kCommandBeforePart},
      {"l1,2\n*eye.elg\n0,0\n", SpritePartsAction::kKeyBeforePart},
      {"5,5\n*eye.elg\n0,0\n", SpritePartsAction::kKeyBeforePart},
      {"// only a comment\n\n", SpritePartsAction::kNoPart},
      {"*eye.elg\n", SpritePartsAction::kNoKey},
      {"*eye.elg\n0,0\nt\n5,5\n", SpritePartsAction::kMissingNumber},
      {"*eye.elg\n0,0\nr5\n5,5\n", SpritePartsAction::kMissingNumber},
      {"*eye.elg\n0,0\nt0\n5,5\n", SpritePartsAction::kZeroTime},
      {"*eye.elg\nt100\n0,0\n", SpritePartsAction::kCommandBeforeKey},
      {"*missing.elg\n0,0\n", SpritePartsAction::kBadPicture},
      {"$missing.elg,1,2\n", SpritePartsAction::kBadPicture},
      {"*\n0,0\n", SpritePartsAction::kBadPicture},
      {"*" + longName + ".elg\n0,0\n", SpritePartsAction::kBadPicture},
      {"*eye.elg\n" + longLine + "\n", SpritePartsAction::kNoFile},
  };
  for (const auto& c : cases) Start(c.table, c.code);

  auto* action = new SpritePartsAction();
  EXPECT_EQ(action->Setup(&list_, &layer_, {"parts/none.txt", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
            SpritePartsAction::kNoFile);
  EXPECT_EQ(action->Setup(&list_, nullptr, {"parts/none.txt"}), SpritePartsAction::kBadArguments);
  EXPECT_EQ(action->Setup(&list_, &layer_, {0}), SpritePartsAction::kBadArguments);
  delete action;
}

TEST_F(SpriteParts, OptionalSectionsAndSkippedPartLines) {
  const std::string table =
      "// figure\n"
      "*eye.elg\n0,0\n#n\n5,5\n"
      "#s\n*eye.elg\n0,0\nt100\n5,5\n#e\n"
      "$band.elg,1,2,40,255,0,1000\n";
  SpritePartsAction* without = Start(table, 0, false);
  ASSERT_NE(without, nullptr);
  ASSERT_EQ(without->PartCount(), 2);
  // "#n" dropped the second key, so the first part is a still picture.
  EXPECT_EQ(without->Status(0), SpritePartsAction::kStill);
  EXPECT_EQ(without->Status(1), SpritePartsAction::kLooping);
  EXPECT_EQ(without->GetPart(1)->keyLineCount, -1);
  list_.Clear();

  SpritePartsAction* with = Start(table, 0, true);
  ASSERT_NE(with, nullptr);
  ASSERT_EQ(with->PartCount(), 3);
  EXPECT_EQ(with->Status(1), SpritePartsAction::kKeyed);
  EXPECT_EQ(with->GetPart(1)->keyLineCount, 2);
  // Earlier parts lie in front.
  EXPECT_EQ(with->GetPart(0)->order, kBaseOrder);
  EXPECT_EQ(with->GetPart(2)->order, kBaseOrder - 2);
  EXPECT_EQ(with->GetPart(-1), nullptr);
  EXPECT_EQ(with->GetPart(3), nullptr);
}

TEST_F(SpriteParts, TinyScaleKeepsEightByEight) {
  SpritePartsAction* action = Start("*big.elg\n0,0\n10,10\n", 0, false, 0.01);
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(action->GetPart(0)->surface.GetWidth(), 8);
  EXPECT_EQ(action->GetPart(0)->surface.GetHeight(), 8);
}

TEST_F(SpriteParts, KeyedPartMovesAndEnds) {
  SpritePartsAction* action = Start("*eye.elg\n0,0,255\nt1000\n100,40,0\n", 0);
  ASSERT_NE(action, nullptr);
  ImageSprite& sprite = action->GetPart(0)->mainSprite;
  EXPECT_EQ(sprite.GetX(), kFigureX);
  StepAt(kStart);
  StepAt(kStart + 500);
  EXPECT_EQ(sprite.GetX(), kFigureX + 50);
  EXPECT_EQ(sprite.GetY(), kFigureY + 20);
  EXPECT_TRUE(sprite.IsVisible());
  EXPECT_EQ(action->Step(kStart + 1000), 1);
  EXPECT_FALSE(sprite.IsVisible());
  EXPECT_EQ(action->Status(0), SpritePartsAction::kEnded);
}

TEST_F(SpriteParts, Controls) {
  // A looping keyed part (optional sections on) and a looping band.
  SpritePartsAction* action = Start("*eye.elg\n0,0\nt100\n10,0\n$band.elg,0,0,40,255,0,1000\n", 0, true);
  ASSERT_NE(action, nullptr);
  PartRecord& keyed = *action->GetPart(0);
  PartRecord& band = *action->GetPart(1);
  StepAt(kStart);

  // Control 2 on the band shows or hides its loop objects only.
  EXPECT_EQ(action->Control({2, 1, 0}), 0);
  EXPECT_FALSE(band.loops[0]->IsShown());
  EXPECT_TRUE(keyed.mainSprite.IsVisible());
  EXPECT_EQ(action->Control({2, 1, 1}), 0);
  EXPECT_TRUE(band.loops[0]->IsShown());
  EXPECT_EQ(action->Control({2, 0, 0}), 0);
  EXPECT_FALSE(keyed.mainSprite.IsVisible());
  EXPECT_TRUE(band.loops[0]->IsShown());
  EXPECT_EQ(action->Control({2, 2, 1}), 1);
  EXPECT_EQ(action->Control({2, -1, 1}), 1);
  EXPECT_EQ(action->Control({7}), 1);

  // Control 1 hides everything; a part hidden on its own stays hidden when
  // the figure shows again.
  EXPECT_EQ(action->Control({1, 0, 0}), 0);
  EXPECT_FALSE(band.loops[0]->IsShown());
  EXPECT_EQ(action->Control({1, 1, 1}), 0);
  EXPECT_TRUE(band.loops[0]->IsShown());
  EXPECT_FALSE(keyed.mainSprite.IsVisible());

  // Both keep running until stopped; then each ends at the end of its pass
  // and the ended loop object is freed once.
  EXPECT_EQ(action->Step(kStart + 2500), 0);
  EXPECT_EQ(action->Control({0}), 0);
  EXPECT_EQ(action->Step(kStart + 3200), 1);
  EXPECT_EQ(band.loops[0], nullptr);
  EXPECT_EQ(action->Status(0), SpritePartsAction::kEnded);
}

// Composed through its own canvas: the layer holds one view of the figure,
// which paints the parts straight onto the display where they changed; a
// part that moved leaves the display's own background showing again.
TEST_F(SpriteParts, ComposesThroughItsOwnCanvas) {
  compose_ = 1;
  layer_.GetCanvas()->SetBackgroundValue(kGrey, 1);
  SpritePartsAction* action = Start("*eye.elg\n0,0,255\nt1000\n100,40,255\n", 0);
  ASSERT_NE(action, nullptr);
  PartsComposition* composition = action->Composition();
  ASSERT_NE(composition, nullptr);
  EXPECT_EQ(composition->View(1), nullptr);
  EXPECT_EQ(composition->View(0)->OwningList(), &layer_.GetCanvas()->MainList());
  EXPECT_EQ(action->GetPart(0)->mainSprite.OwningList(), &composition->Canvas().MainList());
  EXPECT_EQ(layer_.GetCanvas()->MainList().Items().size(), 1u);

  StepAt(kStart);
  layer_.GetCanvas()->Render(nullptr, nullptr, 0, 0);
  Surface& shown = *layer_.GetSurface();
  EXPECT_EQ(Pixel(shown, kFigureX + 1, kFigureY + 1), 0xFF000101u);
  EXPECT_EQ(Pixel(shown, kFigureX + 30, kFigureY + 1), kGrey);
  const std::vector<uint32_t> before = Pixels(shown);

  StepAt(kStart + 500);
  DirtyRegion painted;
  ASSERT_EQ(layer_.GetCanvas()->Render(&painted, nullptr, 0, 0), 0);
  EXPECT_EQ(Pixel(shown, kFigureX + 50 + 1, kFigureY + 20 + 1), 0xFF000101u);
  EXPECT_EQ(Pixel(shown, kFigureX + 1, kFigureY + 1), kGrey);
  // Only the part's old and new places were painted, and every pixel that
  // changed lies inside them.
  int64_t area = 0;
  for (const Rect& r : painted.Rects()) area += int64_t(r.Width()) * r.Height();
  EXPECT_EQ(area, 2 * 20 * 10);
  const std::vector<uint32_t> after = Pixels(shown);
  for (int32_t y = 0; y < shown.GetHeight(); ++y)
    for (int32_t x = 0; x < shown.GetWidth(); ++x) {
      if (before[size_t(y * shown.GetWidth() + x)] == after[size_t(y * shown.GetWidth() + x)]) continue;
      bool inside = false;
      for (const Rect& r : painted.Rects()) inside |= x >= r.left && x < r.right && y >= r.top && y < r.bottom;
      ASSERT_TRUE(inside) << x << "," << y;
    }

  // Hidden on the main display: the view goes and the background shows.
  EXPECT_EQ(action->Control({1, 0, 1}), 0);
  EXPECT_FALSE(composition->Shown(0));
  layer_.GetCanvas()->Render(nullptr, nullptr, 0, 0);
  EXPECT_EQ(Pixel(shown, kFigureX + 50 + 1, kFigureY + 20 + 1), kGrey);
}

// The figure on the paired display too: mirror sprites there follow the
// main ones, each shown by its own flag, and the flags follow the displays
// when they exchange their canvases.
TEST_F(SpriteParts, MirrorSpritesFollowOnThePairedDisplay) {
  const std::string table = "*eye.elg\n0,0,255\nt1000\n100,40,128\n$band.elg,0,0,40,255,0,1000\n";
  pairedToo_ = 1;
  showMain_ = 1;
  Start(table, SpritePartsAction::kNoTargetImage);  // not paired yet
  ASSERT_EQ(twin_.Prepare(640, 480, 32, 1), 0);
  ASSERT_EQ(layer_.SetPairedImage(&twin_), 0);
  SpritePartsAction* action = Start(table, 0);
  ASSERT_NE(action, nullptr);
  PartRecord& eye = *action->GetPart(0);
  EXPECT_EQ(eye.mirrorSprite.OwningList(), &twin_.GetCanvas()->MainList());
  ASSERT_NE(action->GetPart(1)->loops[1], nullptr);
  EXPECT_FALSE(action->GetPart(1)->loops[1]->IsShown());
  EXPECT_TRUE(eye.mainSprite.IsVisible());
  EXPECT_FALSE(eye.mirrorSprite.IsVisible());

  StepAt(kStart);
  StepAt(kStart + 500);
  EXPECT_EQ(*eye.mirrorSprite.GetBoundsPtr(), *eye.mainSprite.GetBoundsPtr());
  EXPECT_EQ(eye.mirrorSprite.GetOpacity(), eye.mainSprite.GetOpacity());
  EXPECT_FALSE(eye.mirrorSprite.IsVisible());
  EXPECT_EQ(action->Control({1, 1, 1}), 0);
  StepAt(kStart + 600);
  EXPECT_TRUE(eye.mirrorSprite.IsVisible());
  EXPECT_TRUE(action->GetPart(1)->loops[1]->IsShown());

  // After the exchange the layer shows the mirror's canvas: the first cell
  // now names the mirror.
  layer_.ExchangeCanvases(&twin_);
  EXPECT_EQ(action->Control({1, 0, 1}), 0);
  EXPECT_TRUE(eye.mainSprite.IsVisible());
  EXPECT_FALSE(eye.mirrorSprite.IsVisible());
  layer_.ExchangeCanvases(&twin_);
}

// One canvas serves both displays: each shows the figure by its own flag.
TEST_F(SpriteParts, ComposesIntoBothDisplays) {
  ASSERT_EQ(twin_.Prepare(640, 480, 32, 1), 0);
  ASSERT_EQ(layer_.SetPairedImage(&twin_), 0);
  compose_ = pairedToo_ = showMirror_ = 1;
  SpritePartsAction* action = Start("*eye.elg\n0,0,255\nt1000\n100,40,255\n$band.elg,0,0,40,255,0,1000\n", 0);
  ASSERT_NE(action, nullptr);
  PartsComposition* composition = action->Composition();
  ASSERT_NE(composition->View(1), nullptr);
  EXPECT_EQ(composition->View(1)->OwningList(), &twin_.GetCanvas()->MainList());
  EXPECT_EQ(action->GetPart(0)->mirrorSprite.OwningList(), nullptr);
  EXPECT_EQ(action->GetPart(1)->loops[1], nullptr);
  // Shown on the paired display only: the parts stay shown on the canvas.
  EXPECT_FALSE(composition->Shown(0));
  EXPECT_TRUE(composition->Shown(1));
  EXPECT_TRUE(action->GetPart(0)->mainSprite.IsVisible());
  EXPECT_TRUE(action->GetPart(1)->loops[0]->IsShown());

  StepAt(kStart);
  EXPECT_EQ(action->Control({1, 1, 1}), 0);
  StepAt(kStart + 500);
  for (CanvasDrawObject* display : {&layer_, &twin_}) {
    display->GetCanvas()->Render(nullptr, nullptr, 0, 0);
    EXPECT_EQ(Pixel(*display->GetSurface(), kFigureX + 50 + 1, kFigureY + 20 + 1) & 0xFFFFFFu, 0x000101u);
    // Below the band, where the eye was.
    EXPECT_EQ(Pixel(*display->GetSurface(), kFigureX + 1, kFigureY + 8) & 0xFFFFFFu, 0u);
  }
  // Control 2 hides a part on both displays at once.
  EXPECT_EQ(action->Control({2, 0, 0}), 0);
  StepAt(kStart + 600);
  for (CanvasDrawObject* display : {&layer_, &twin_}) {
    display->GetCanvas()->Render(nullptr, nullptr, 0, 0);
    EXPECT_EQ(Pixel(*display->GetSurface(), kFigureX + 60 + 1, kFigureY + 24 + 1) & 0xFFFFFFu, 0u);
  }
  // Cleared with the action: nothing stays on either display.
  list_.Clear();
  EXPECT_TRUE(layer_.GetCanvas()->MainList().Items().empty());
  EXPECT_TRUE(twin_.GetCanvas()->MainList().Items().empty());
}

TEST_F(SpriteParts, CreatedByName) {
  for (const BuiltinLayerAction& row : ScriptHostLayerActions()) {
    if (std::string(row.name) != "sp_parts") continue;
    ASSERT_NE(row.create, nullptr);
    DcpObject* object = row.create(0);
    ASSERT_NE(object, nullptr);
    auto* action = dynamic_cast<SpritePartsAction*>(object);
    ASSERT_NE(action, nullptr);
    EXPECT_STREQ(action->GetName(), "sp_parts");
    EXPECT_EQ(action->GetTypeId(), row.typeId);
    delete action;
    return;
  }
  FAIL() << "no sp_parts row";
}

}  // namespace
}  // namespace orrivel
