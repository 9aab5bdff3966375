// The background layers and sprite slots of the frame's two sets: what each
// operation does to its record and to the picture on the canvas, the tint
// classes, the colour pixels, and the sharing of pictures between twins.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../scene/GoldenSupport.h"
#include "LayerSetsFixture.h"
#include "frame/BackgroundTintClass.h"
#include "frame/EffectSlotRecord.h"

namespace orrivel {
namespace {

using test::LayerSetsTest;

uint32_t PixelAt(Surface& s, int x, int y) { return reinterpret_cast<uint32_t*>(s.GetScanLine(y))[x]; }

uint8_t Channel(uint32_t argb, int shift) { return uint8_t(argb >> shift); }

uint8_t Toned(uint8_t c, int scale, int offset) { return uint8_t(std::clamp(((c * scale) >> 7) + offset, 0, 255)); }

uint32_t Grey(uint32_t argb) {
  const uint32_t g = (77u * Channel(argb, 16) + 150u * Channel(argb, 8) + 29u * Channel(argb, 0)) >> 8;
  return (argb & 0xFF000000u) | g << 16 | g << 8 | g;
}

TEST_F(LayerSetsTest, LayerOperationsKeepTheirRecords) {
  TgsLayerSets& s = *sets_;
  const LayerRecord& r = s.GetLayer(0).record;
  ASSERT_EQ(s.LoadLayerImage("BG01A.ELG", 0), 0);
  Surface* first = s.GetLayer(0).picture.get();
  ASSERT_NE(first, nullptr);
  Surface* shown = nullptr;
  Canvas(0).GetBackground(&shown, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(shown, first);
  EXPECT_EQ(r.tintClass, 0u);  // no tint table

  // The same name (any case) does nothing while nothing is pending...
  EXPECT_EQ(s.LoadLayerImage("bg01a.elg", 0), 0);
  EXPECT_EQ(s.GetLayer(0).picture.get(), first);
  // ... and loads again once an offset is set, resetting the record.
  ASSERT_EQ(s.SetLayerPosition(5, 7, 0), 0);
  EXPECT_EQ(s.LoadLayerImage("BG01A.ELG", 0), 0);
  EXPECT_NE(s.GetLayer(0).picture.get(), nullptr);
  EXPECT_EQ(r.x, 0);

  // A load failure keeps the name and shows no picture.
  EXPECT_EQ(s.LoadLayerImage("MISSING.ELG", 1), 1);
  EXPECT_STREQ(s.GetLayer(1).record.imageName, "MISSING.ELG");
  EXPECT_EQ(s.GetLayer(1).picture, nullptr);
  EXPECT_EQ(s.ApplyLayerImageEffects(1, false, false, false, 1), 1);
  EXPECT_EQ(s.ApplyLayerPixelOp(0, 1), 1);

  // Negative twice restores the picture; another second mode is refused.
  const uint32_t before = PixelAt(*s.GetLayer(0).picture, 300, 200);
  ASSERT_EQ(s.ApplyLayerImageEffects(3, false, false, false, 0), 0);
  EXPECT_EQ(PixelAt(*s.GetLayer(0).picture, 300, 200), (before & 0xFF000000u) | (~before & 0xFFFFFFu));
  EXPECT_EQ(s.ApplyLayerImageEffects(3, false, false, false, 0), 0);
  EXPECT_EQ(PixelAt(*s.GetLayer(0).picture, 300, 200), before);
  EXPECT_EQ(r.colourMode, 0);
  ASSERT_EQ(s.ApplyLayerImageEffects(1, false, false, false, 0), 0);
  EXPECT_EQ(s.ApplyLayerImageEffects(2, false, false, false, 0), 2);
  EXPECT_EQ(s.ApplyLayerImageEffects(3, false, false, false, 0), 2);
  EXPECT_EQ(r.colourMode, 1);

  // Strength 0 counts as 1; a strength already set, or cinema bars, refuse.
  EXPECT_EQ(s.ApplyLayerPixelOp(0, 0), 0);
  EXPECT_EQ(r.pixelOpStrength, 1);
  EXPECT_EQ(s.ApplyLayerPixelOp(4, 0), 2);
  ASSERT_EQ(s.LoadLayerImage("BG02A.ELG", 1), 0);
  ASSERT_EQ(s.ApplyLayerImageEffects(0, false, false, true, 1), 0);
  EXPECT_EQ(s.ApplyLayerPixelOp(3, 1), 2);

  // A clip is a zoom rectangle over the whole screen; a position clears it.
  ASSERT_EQ(s.SetLayerClip(100, 50, 640, 360, 0), 0);
  EXPECT_EQ(r.zoomLeft, 100);
  EXPECT_EQ(r.zoomBottom, 410);
  EXPECT_NE(Canvas(0).BackCopy(), nullptr);
  ASSERT_EQ(s.SetLayerRotation(64, "1.5", 640, 360, 0), 0);
  EXPECT_FALSE(r.HasZoom());
  EXPECT_FLOAT_EQ(r.rotationScale, 1.5f);
  ASSERT_EQ(s.SetLayerPosition(3, 4, 0), 0);
  EXPECT_FALSE(r.HasZoom());
  EXPECT_EQ(r.rotationScale, 0.0f);
  EXPECT_EQ(Canvas(0).BackCopy(), nullptr);

  // The zoom is bg_zoom's end state through its class-level entry.
  ASSERT_EQ(s.SetLayerZoom(640, 360, "2.0", 0), 0);
  EXPECT_EQ(r.zoomLeft, 320);
  EXPECT_EQ(r.zoomRight, 960);
  EXPECT_EQ(r.x, 0);
  s.Environment().actions = nullptr;
  EXPECT_EQ(s.SetLayerZoom(640, 360, "2.0", 0), -2);

  // Clearing shows the colour and leaves the animation fields.
  std::strcpy(s.GetLayer(0).record.animationName, "ANIME.LAD");
  ASSERT_EQ(s.ClearLayer(0xFF102030u, 0), 0);
  EXPECT_EQ(r.imageName[0], '\0');
  EXPECT_STREQ(r.animationName, "ANIME.LAD");
  EXPECT_EQ(Canvas(0).GetBackgroundValue(), 0xFF102030u);
  EXPECT_GT(transitionStops_, 0);
}

TEST_F(LayerSetsTest, CaptureFreezesTheMaskedGroupsAndReleasesThem) {
  TgsLayerSets& s = *sets_;
  ASSERT_EQ(s.LoadLayerImage("BG02A.ELG", 0), 0);
  ASSERT_EQ(s.ParseSpriteName(0, "ABC01.ELG", 0, 0), 0);
  ASSERT_EQ(s.MoveSprite(0, 0, false, 0, 0), 0);
  ASSERT_EQ(s.ParseSpriteName(0, "XYZ01.ELG", 0, 2), 0);
  ASSERT_EQ(s.MoveSprite(0, 0, false, 0, 2), 0);
  const auto before = Compose();

  ASSERT_EQ(s.CaptureScreenToLayer(2, 0), 0);  // group 0 only
  EXPECT_EQ(s.CaptureScreenToLayer(2, 0), 1);
  EXPECT_FALSE(s.FindSprite(0, 0, 0)->sprite->IsVisible());
  EXPECT_TRUE(s.FindSprite(0, 0, 2)->sprite->IsVisible());
  Surface* shown = nullptr;
  Canvas(0).GetBackground(&shown, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(shown, s.GetLayer(0).capture.get());
  // The frozen picture holds the character; the group-2 sprite is live.
  EXPECT_EQ(PixelAt(*shown, 640, 520), 0xFFD07040u);
  EXPECT_EQ(PixelAt(*shown, 685, 715), kSkyBlue);
  const auto frozen = Compose();
  EXPECT_EQ(PixelAt(*frozen, 640, 520), PixelAt(*before, 640, 520));
  EXPECT_EQ(PixelAt(*frozen, 685, 715), 0xFF30C050u);
  EXPECT_EQ(PixelAt(*before, 685, 715), 0xFF30C050u);

  ASSERT_EQ(s.CaptureScreenToLayer(0, 0), 0);
  EXPECT_TRUE(s.FindSprite(0, 0, 0)->sprite->IsVisible());
  EXPECT_EQ(s.GetLayer(0).capture, nullptr);
  Canvas(0).GetBackground(&shown, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(shown, s.GetLayer(0).picture.get());
}

TEST_F(LayerSetsTest, TintClassesFollowTheTable) {
  const std::vector<int32_t> numbered = {-1, 12, 7, -2, 3, -3, 5, 0};
  const std::vector<int32_t> wholeLetter = {-1, -3, 9, 0};  // every "A"
  const std::vector<int32_t> emptyAtEnd = {-3, 9, -1, 0};   // no "A"
  struct Case {
    const char* name;
    const std::vector<int32_t>* table;
    uint32_t tint;
  } cases[] = {
      {"BG12A", &numbered, 1},       {"bg3c.elg", &numbered, 0},   {"BG5C.ELG", &numbered, 2},
      {"BG3B", &numbered, 2},        {"BG12", &numbered, 0},       {"XBG1A", &numbered, 0},
      {"BG13A", &numbered, 0},       {"SYS\\BG7A.ELG", &numbered, 1}, {"BG44A", &wholeLetter, 1},
      {"BG9C", &wholeLetter, 2},     {"BG44A", &emptyAtEnd, 0},    {"BG9C", &emptyAtEnd, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(BackgroundTintClass(c.name, *c.table), c.tint) << c.name;

  // Listed characters over a tinted background take the tint when tints are on.
  TgsLayerSets& s = *sets_;
  s.tintTable = {-1, 1, 0};
  s.tintsOn = true;
  pictures_.Write("BG1A.ELG", test::ElgPicture(64, 64, 0, 0, [](int, int) { return kSkyBlue; }));
  ASSERT_EQ(s.LoadLayerImage("BG1A.ELG", 0), 0);
  EXPECT_EQ(s.GetLayer(0).record.tintClass, 1u);
  ASSERT_EQ(s.ParseSpriteName(0, "abc01.elg", 0, 0), 0);
  EXPECT_EQ(s.FindSprite(0, 0, 0)->record.colourMode, 5);
  ASSERT_EQ(s.ParseSpriteName(1, "XYZ01.ELG", 0, 0), 0);
  EXPECT_EQ(s.FindSprite(1, 0, 0)->record.characterIndex, SpriteSlotRecord::kUnlisted);
  EXPECT_EQ(s.FindSprite(1, 0, 0)->record.colourMode, 0);
  s.tintsOn = false;
  ASSERT_EQ(s.ParseSpriteName(2, "ABC01.ELG", 0, 0), 0);
  EXPECT_EQ(s.FindSprite(2, 0, 0)->record.colourMode, 0);
}

TEST_F(LayerSetsTest, ColourModesChangeThePixelsAsDocumented) {
  TgsLayerSets& s = *sets_;
  struct Mode {
    uint8_t mode;
    int scale[3];
    int offset[3];
    bool grey;
  } modes[] = {{2, {152, 128, 107}, {24, 0, -4}, true},
               {5, {132, 132, 126}, {8, 8, -9}, false},
               {6, {125, 120, 131}, {-13, 2, 0}, false}};
  ASSERT_EQ(s.LoadLayerImage("BG01A.ELG", 0), 0);
  const uint32_t original = PixelAt(*s.GetLayer(0).picture, 400, 500);
  ASSERT_EQ(s.ApplyLayerImageEffects(1, false, false, false, 0), 0);
  EXPECT_EQ(PixelAt(*s.GetLayer(0).picture, 400, 500), Grey(original));
  for (const Mode& m : modes) {
    ASSERT_EQ(s.ClearLayer(0, 0), 0);
    ASSERT_EQ(s.LoadLayerImage("BG01A.ELG", 0), 0);
    // Modes 5 and 6 are for sprites; the operation is the same.
    ASSERT_EQ(s.ParseSpriteName(0, "XYZ01.ELG", 0, 1), 0);
    ASSERT_EQ(s.ApplySpriteImageEffects(0, m.mode, false, false, 0, 1), 0);
    const uint32_t sprite = PixelAt(*s.FindSprite(0, 0, 1)->picture, 10, 10);
    const uint32_t green = 0xFF30C050u;
    const uint32_t spriteBase = m.grey ? Grey(green) : green;
    for (int c = 0; c < 3; ++c) {
      const int shift = 16 - 8 * c;
      EXPECT_EQ(Channel(sprite, shift), Toned(Channel(spriteBase, shift), m.scale[c], m.offset[c]))
          << int(m.mode) << " channel " << c;
    }
    EXPECT_EQ(Channel(sprite, 24), 0xFF);
    s.ClearSpriteGroup(0, 1);
  }
  // Cinema bars: rows 0-89 and 630-719 over the full width.
  ASSERT_EQ(s.LoadLayerImage("BG02A.ELG", 1), 0);
  ASSERT_EQ(s.ApplyLayerImageEffects(0, false, false, true, 1), 0);
  Surface& barred = *s.GetLayer(1).picture;
  for (int y : {0, 89, 630, 719}) EXPECT_EQ(PixelAt(barred, 1279, y) & 0xFFFFFFu, 0u) << y;
  for (int y : {90, 629}) EXPECT_EQ(PixelAt(barred, 0, y), kSkyBlue) << y;
  EXPECT_EQ(s.GetLayer(1).record.cinemaBars, 1);
}

TEST_F(LayerSetsTest, SpriteOperationsPlaceAndOrderTheSlots) {
  TgsLayerSets& s = *sets_;
  // Slot numbers outside their group.
  struct Range {
    int32_t group, number, result;
  } ranges[] = {{1, 3, 1}, {0, 5, 1}, {2, 3, 1}, {7, 4, -1}, {1, 2, -1}, {0, -1, 1}};
  for (const Range& r : ranges) EXPECT_EQ(s.ClearSprite(r.number, 0, r.group), r.result) << r.group << "/" << r.number;
  EXPECT_EQ(s.ParseSpriteName(5, "ABC01.ELG", 0, 0), 1);

  pictures_.Write("SYS/ABC01.ELG", test::ElgPicture(200, 400, 540, 320, [](int, int) { return 0xFFD07040u; }));
  ASSERT_EQ(s.ParseSpriteName(0, "sys/abc01.elg", 0, 0), 0);
  TgsLayerSets::SpriteSlot& slot = *s.FindSprite(0, 0, 0);
  EXPECT_STREQ(slot.record.imageName, "SYS/ABC01.ELG");
  EXPECT_EQ(slot.record.characterIndex, 0);
  EXPECT_EQ(slot.record.baseX, 100);
  EXPECT_EQ(slot.record.baseY, 400);
  struct Place {
    int32_t place;
    bool outside;
    int32_t x, y;
  } places[] = {{0, false, 640, 720}, {0, true, 640, 1120}, {1, false, 320, 720},
                {1, true, -100, 720}, {2, false, 960, 720}, {5, true, 1380, 720}};
  for (const Place& p : places) {
    ASSERT_EQ(s.MoveSprite(0, p.place, p.outside, 0, 0), 0);
    EXPECT_EQ(slot.record.x, p.x) << p.place << p.outside;
    EXPECT_EQ(slot.record.y, p.y) << p.place << p.outside;
    Rect bounds;
    slot.sprite->GetBounds(&bounds);
    EXPECT_EQ(bounds.left, p.x - 100);
    EXPECT_EQ(bounds.top, p.y - 400);
  }
  ASSERT_EQ(s.SetSpritePosition(0, 10, 20, 0, 0), 0);
  EXPECT_EQ(slot.record.x, 110);
  EXPECT_EQ(slot.record.y, 420);

  // Orders: back and front re-sort the group as a permutation.
  auto orders = [&] {
    std::vector<uint32_t> out;
    for (int32_t n = 0; n < 5; ++n) out.push_back(s.FindSprite(n, 0, 0)->record.order);
    return out;
  };
  EXPECT_EQ(orders(), (std::vector<uint32_t>{20000, 20100, 20200, 20300, 20400}));
  ASSERT_EQ(s.ParseSpriteName(3, "XYZ01.ELG", 0, 0), 0);
  ASSERT_EQ(s.SendSpriteToBack(3, 0, 0, true), 0);
  EXPECT_EQ(orders(), (std::vector<uint32_t>{20100, 20200, 20300, 20000, 20400}));
  ASSERT_EQ(s.BringSpriteToFront(0, 0, 0, true), 0);
  EXPECT_EQ(orders(), (std::vector<uint32_t>{20400, 20100, 20200, 20000, 20300}));
  // The canvas list follows: the character is drawn last of the group.
  const auto items = Canvas(0).MainList().Items();
  ASSERT_EQ(items.size(), 2u);
  // The new-sprite order setting moves a newly named sprite.
  s.newSpriteOrder = 1;
  ASSERT_EQ(s.ParseSpriteName(4, "XYZ01.ELG", 0, 0), 0);
  EXPECT_EQ(s.FindSprite(4, 0, 0)->record.order, 20000u);
  s.newSpriteOrder = 2;
  ASSERT_EQ(s.ParseSpriteName(1, "XYZ01.ELG", 0, 0), 0);
  EXPECT_EQ(s.FindSprite(1, 0, 0)->record.order, 20400u);
  EXPECT_EQ(s.FindSprite(2, 1, 1)->record.order, 10200u);
  EXPECT_EQ(s.FindSprite(2, 0, 2)->record.order, 30200u);

  // Clearing keeps the order and empties the rest; a cleared slot again -1.
  ASSERT_EQ(s.ClearSpriteGroup(0, -1), 0);
  EXPECT_EQ(slot.record.characterIndex, SpriteSlotRecord::kEmpty);
  EXPECT_EQ(slot.record.x, 0);
  EXPECT_EQ(slot.record.alpha, 255);
  EXPECT_TRUE(Canvas(0).MainList().Items().empty());
}

TEST_F(LayerSetsTest, TwinsShareTheirPicturesAndStayWhole) {
  TgsLayerSets& s = *sets_;
  ASSERT_EQ(s.LoadLayerImage("BG01A.ELG", 0), 0);
  ASSERT_EQ(s.SetLayerClip(0, 0, 640, 360, 0), 0);
  ASSERT_EQ(s.ParseSpriteName(2, "ABC01.ELG", 0, 0), 0);
  ASSERT_EQ(s.MoveSprite(2, 1, false, 0, 0), 0);
  ASSERT_EQ(s.ApplySpriteImageEffects(2, 1, false, false, 0, 0), 0);
  s.PrepareBackLayers();
  EXPECT_EQ(s.GetLayer(1).picture, s.GetLayer(0).picture);
  EXPECT_EQ(s.GetLayer(1).record.zoomRight, 640);
  TgsLayerSets::SpriteSlot& front = *s.FindSprite(2, 0, 0);
  TgsLayerSets::SpriteSlot& back = *s.FindSprite(2, 1, 0);
  EXPECT_EQ(back.picture, front.picture);
  EXPECT_EQ(std::memcmp(&back.record, &front.record, sizeof back.record), 0);
  ASSERT_NE(back.sprite, nullptr);
  EXPECT_EQ(back.sprite->OwningList(), &Canvas(1).MainList());

  // Changing the back twin's picture gives it its own copy first.
  const uint32_t frontPixel = PixelAt(*front.picture, 100, 200);
  ASSERT_EQ(s.ApplySpriteImageEffects(2, 0, true, false, 1, 0), 0);
  EXPECT_NE(back.picture, front.picture);
  EXPECT_EQ(PixelAt(*front.picture, 100, 200), frontPixel);
  ASSERT_EQ(s.ApplyLayerImageEffects(3, false, false, false, 1), 0);
  EXPECT_NE(s.GetLayer(1).picture, s.GetLayer(0).picture);

  // Clearing a back slot that shares the front's picture keeps the front.
  s.PrepareBackLayers();
  ASSERT_EQ(back.picture, front.picture);
  ASSERT_EQ(s.ClearSprite(2, 1, 0), 0);
  ASSERT_NE(front.picture, nullptr);
  EXPECT_EQ(front.sprite->GetSource(), front.picture.get());
  EXPECT_EQ(PixelAt(*front.picture, 100, 200), frontPixel);
  const auto shown = Compose(0);
  EXPECT_EQ(PixelAt(*shown, 320, 520), Grey(0xFFD07040u));
  ASSERT_EQ(s.ClearLayer(0, 1), 0);
  EXPECT_NE(s.GetLayer(0).picture, nullptr);
}

// The back set made a copy of the front, one table of fronts: the back
// shares the front's pictures, places its background as the front does
// (offset, zoom rectangle or rotation), holds every sprite at the front's
// order with the front's record, shows the groups the front captured
// (holding no capture of its own), and composes the same picture.
TEST_F(LayerSetsTest, BackLayersCopyTheFrontWhole) {
  struct Case {
    const char* what;
    std::function<void(TgsLayerSets&)> front;
  };
  const auto sprites = [](TgsLayerSets& s) {
    ASSERT_EQ(s.ParseSpriteName(0, "ABC01.ELG", 0, 0), 0);
    ASSERT_EQ(s.ParseSpriteName(1, "XYZ01.ELG", 0, 0), 0);
    ASSERT_EQ(s.ParseSpriteName(2, "XYZ01.ELG", 0, 1), 0);
    ASSERT_EQ(s.SetSpritePosition(2, 200, 300, 0, 1), 0);
    ASSERT_EQ(s.ParseSpriteName(0, "ABC01.ELG", 0, 2), 0);
    ASSERT_EQ(s.SetSpritePosition(0, 1000, 100, 0, 2), 0);
  };
  const std::vector<Case> cases = {
      {"offset",
       [&](TgsLayerSets& s) {
         ASSERT_EQ(s.LoadLayerImage("BG01A.ELG", 0), 0);
         ASSERT_EQ(s.SetLayerPosition(-40, 25, 0), 0);
         sprites(s);
       }},
      {"zoom rectangle",
       [&](TgsLayerSets& s) {
         ASSERT_EQ(s.LoadLayerImage("BG01A.ELG", 0), 0);
         ASSERT_EQ(s.SetLayerClip(100, 50, 640, 360, 0), 0);
         sprites(s);
       }},
      {"rotation",
       [&](TgsLayerSets& s) {
         ASSERT_EQ(s.LoadLayerImage("BG01A.ELG", 0), 0);
         ASSERT_EQ(s.SetLayerRotation(30, "1.5", 600, 300, 0), 0);
         sprites(s);
       }},
      {"sprite orders",
       [&](TgsLayerSets& s) {
         ASSERT_EQ(s.LoadLayerImage("BG02A.ELG", 0), 0);
         sprites(s);
         // The character goes over the square it overlaps, and back.
         ASSERT_EQ(s.BringSpriteToFront(0, 0, 0, false), 0);
         ASSERT_EQ(s.SendSpriteToBack(1, 0, 0, false), 0);
       }},
      {"captured groups",
       [&](TgsLayerSets& s) {
         ASSERT_EQ(s.LoadLayerImage("BG01A.ELG", 0), 0);
         sprites(s);
         // Groups 1 and 2 frozen into the background.
         ASSERT_EQ(s.CaptureScreenToLayer(5, 0), 0);
       }},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.what);
    Make();
    TgsLayerSets& s = *sets_;
    row.front(s);
    const uint8_t captured = s.GetLayer(0).record.captureMask;
    s.PrepareBackLayers();
    const TgsLayerSets::Layer& front = s.GetLayer(0);
    const TgsLayerSets::Layer& back = s.GetLayer(1);
    EXPECT_EQ(back.picture, front.picture);
    EXPECT_EQ(back.record.x, front.record.x);
    EXPECT_EQ(back.record.y, front.record.y);
    EXPECT_EQ(back.record.zoomLeft, front.record.zoomLeft);
    EXPECT_EQ(back.record.zoomRight, front.record.zoomRight);
    EXPECT_EQ(back.record.rotationAngle, front.record.rotationAngle);
    EXPECT_EQ(back.record.rotationScale, front.record.rotationScale);
    EXPECT_EQ(back.record.captureMask, 0);
    EXPECT_EQ(back.capture, nullptr);
    EXPECT_EQ(front.record.captureMask, captured);
    for (int32_t group = 0; group < 3; ++group)
      for (uint32_t number = 0; number < TgsLayerSets::GroupSlots(group); ++number) {
        SCOPED_TRACE("group " + std::to_string(group) + " slot " + std::to_string(number));
        TgsLayerSets::SpriteSlot& f = *s.FindSprite(int32_t(number), 0, group);
        TgsLayerSets::SpriteSlot& b = *s.FindSprite(int32_t(number), 1, group);
        EXPECT_EQ(b.record.order, f.record.order);
        ASSERT_EQ(b.sprite != nullptr, f.sprite != nullptr);
        if (!f.sprite) continue;
        EXPECT_EQ(b.picture, f.picture);
        EXPECT_EQ(std::memcmp(&b.record, &f.record, sizeof b.record), 0);
        EXPECT_EQ(b.sprite->OwningList(), &Canvas(1).MainList());
        EXPECT_TRUE(b.sprite->IsVisible());
      }
    // The same picture, pixel for pixel.
    const auto shownFront = Compose(0);
    const auto shownBack = Compose(1);
    size_t differing = 0;
    for (int32_t y = 0; y < 720; ++y)
      differing += std::memcmp(shownFront->GetScanLine(y), shownBack->GetScanLine(y), 1280 * 4) != 0;
    EXPECT_EQ(differing, 0u);
  }
}

TEST_F(LayerSetsTest, GoldenBackgroundWithGreyAndTonedSprites) {
  TgsLayerSets& s = *sets_;
  ASSERT_EQ(s.LoadLayerImage("BG01A.ELG", 0), 0);
  ASSERT_EQ(s.ParseSpriteName(0, "ABC01.ELG", 0, 0), 0);
  ASSERT_EQ(s.MoveSprite(0, 1, false, 0, 0), 0);
  ASSERT_EQ(s.ApplySpriteImageEffects(0, 1, false, false, 0, 0), 0);
  ASSERT_EQ(s.ParseSpriteName(1, "ABC01.ELG", 0, 0), 0);
  ASSERT_EQ(s.MoveSprite(1, 2, false, 0, 0), 0);
  ASSERT_EQ(s.ApplySpriteImageEffects(1, 2, true, false, 0, 0), 0);
  ExpectQuarterGolden("layers_grey_and_toned_sprites");

  ASSERT_EQ(s.ApplyLayerImageEffects(0, false, false, true, 0), 0);
  ExpectQuarterGolden("layers_cinema_bars");
}

TEST(EffectSlotRecordTest, NamesAreCutOnACharacterBoundaryWithTheirNul) {
  char field[8];
  std::memset(field, 'x', sizeof field);
  CopyNameField(field, sizeof field, "ABCDEFGHIJ");
  EXPECT_STREQ(field, "ABCDEFG");
  // A two-byte character that would lose its trail byte is left out whole.
  CopyNameField(field, sizeof field, "ABCDEF\x82\xA0");
  EXPECT_STREQ(field, "ABCDEF");
  EffectSlotRecord record;
  record.SetName(std::string(60, 'n'));
  EXPECT_EQ(std::strlen(record.name), 47u);
}

TEST(EffectSlotRecordTest, ExchangingTheSetsTwiceRestoresEveryRecord) {
  for (int32_t kind = 0; kind <= 14; ++kind) {
    for (int32_t p2 = 0; p2 <= 2; ++p2) {
      for (int32_t set = 0; set <= 1; ++set) {
        EffectSlotRecord r;
        r.kind = kind;
        r.p[0] = kind == 9 ? 11 : set;
        r.p[1] = p2;
        r.p[2] = kind == 10 ? set : 5;
        r.p[3] = kind == 9 ? (p2 == 2 ? 2 : set) : 6;
        r.p[4] = 1;
        r.p[5] = 0;
        EffectSlotRecord twice = r;
        SwapEffectSlotLayerSets(twice);
        SwapEffectSlotLayerSets(twice);
        EXPECT_EQ(std::memcmp(&twice, &r, sizeof r), 0) << kind << "/" << p2 << "/" << set;
      }
    }
  }
  // One exchange, by kind.
  struct Case {
    int32_t kind;
    int32_t before[6];
    int32_t after[6];
  } cases[] = {
      {2, {1, 7, 0, 0, 0, 0}, {0, 7, 0, 0, 0, 0}},   {8, {0, 1, 2, 3, 4, 0}, {1, 1, 2, 3, 4, 0}},
      {9, {5, 1, 0, 1, 0, 0}, {5, 1, 0, 0, 0, 0}},   {9, {5, 1, 0, 2, 0, 0}, {5, 0, 1, 2, 0, 0}},
      {10, {5, 1, 0, 0, 0, 0}, {5, 2, 1, 0, 0, 0}},  {10, {5, 0, 1, 0, 0, 0}, {5, 0, 0, 0, 0, 0}},
      {1, {9, 1, 0, 0, 0, 0}, {9, 0, 1, 0, 0, 0}},   {13, {40, 0, 1, 0, 0, 0}, {40, 1, 0, 0, 0, 0}},
      {3, {4, 0, 0, 1, 1, 0}, {4, 0, 0, 1, 0, 1}},
  };
  for (const Case& c : cases) {
    EffectSlotRecord r;
    r.kind = c.kind;
    std::copy(std::begin(c.before), std::end(c.before), r.p);
    SwapEffectSlotLayerSets(r);
    EXPECT_TRUE(std::equal(std::begin(c.after), std::end(c.after), r.p)) << c.kind;
  }
  // The cross's set word outside 0-2 settles on 1, then 2.
  EffectSlotRecord cross;
  cross.kind = 10;
  cross.p[1] = 5;
  SwapEffectSlotLayerSets(cross);
  EXPECT_EQ(cross.p[1], 1);
  SwapEffectSlotLayerSets(cross);
  EXPECT_EQ(cross.p[1], 2);
}

}  // namespace
}  // namespace orrivel
