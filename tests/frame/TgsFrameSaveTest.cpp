#include <gtest/gtest.h>

#include "TgsFrameTestSupport.h"
#include "script/ByteWriter.h"
#include "script/SobCursor.h"

namespace orrivel {
namespace {

struct SaveFixture : FrameFixture {
  SaveFixture() {
    AddStory("module T\n[12 0]hello\n");
    EXPECT_EQ(frame->LoadScriptByName("T"), 0);
  }

  std::vector<uint8_t> Save(bool withHistory = false) {
    std::vector<uint8_t> block(frame->GetSaveSize(withHistory));
    ByteWriter out(block.data(), block.size());
    EXPECT_EQ(frame->SaveTo(out, withHistory), 0);
    EXPECT_EQ(out.Position(), block.size());
    return block;
  }

  // Every record a save carries, filled with values that show misplacement.
  void FillRecords(bool sounds, bool caption, bool choices, bool page) {
    TgsFrameRecords& r = frame->Records();
    r.resumePoint = 0;
    r.layerSettings = {1, 2, 3, 4, 5};
    r.quakeFilter = {1, -2, 3, -4, 5, -6};
    r.windowEntry = 7;
    r.musicNumber = 12;
    r.soundChannel = 3;
    r.pageStateFlag = 1;
    r.pageStateWord = 0x01020304;
    r.effectSlots[1].kind = 9;
    r.effectSlots[1].p[5] = -7;
    r.effectSlots[2].SetName(std::string(46, 'n') + "e");
    r.layers[1].animationFrame = 0x55 << 24;
    r.layers[0].cinemaBars = 1;
    r.layers[0].rotationScale = 0.75f;
    r.sprites[21].imageName[0] = 'Q';
    CopyNameField(r.sprites[0].actionName, sizeof r.sprites[0].actionName, std::string(46, 'a') + "z");
    r.sprites[0].alpha = 128;
    r.sprites[0].zoom = 1.25f;
    r.windowZoom = 1.5f;
    r.windowAngle = 90;
    r.windowCentreX = 640;
    r.windowCentreY = -360;
    if (sounds) r.loopSounds[2] = {"SE_RAIN", 3};
    if (caption) r.caption = "Chapter one";
    r.choiceListShown = choices ? 1 : 0;
    if (choices) r.window.choices = {{1, true, "Go"}, {2, false, "Stay"}}, r.window.layoutWord = 0x77;
    if (page) r.window.pageText = {'a', 'b', 'c'}, r.window.firstName = "Aki", r.window.secondName = "";
  }
};

void ExpectSameRecords(const TgsFrameRecords& a, const TgsFrameRecords& b) {
  EXPECT_EQ(a.resumePoint, b.resumePoint);
  EXPECT_EQ(a.layerSettings, b.layerSettings);
  EXPECT_EQ(a.quakeFilter, b.quakeFilter);
  EXPECT_EQ(a.windowEntry, b.windowEntry);
  EXPECT_EQ(a.musicNumber, b.musicNumber);
  EXPECT_EQ(a.soundChannel, b.soundChannel);
  EXPECT_EQ(a.choiceListShown, b.choiceListShown);
  EXPECT_EQ(a.pageStateFlag, b.pageStateFlag);
  EXPECT_EQ(a.pageStateWord, b.pageStateWord);
  EXPECT_EQ(a.effectSlots, b.effectSlots);
  EXPECT_EQ(a.layers, b.layers);
  EXPECT_EQ(a.sprites, b.sprites);
  EXPECT_EQ(a.windowZoom, b.windowZoom);
  EXPECT_EQ(a.windowAngle, b.windowAngle);
  EXPECT_EQ(a.windowCentreX, b.windowCentreX);
  EXPECT_EQ(a.windowCentreY, b.windowCentreY);
  for (size_t i = 0; i < a.loopSounds.size(); ++i) {
    EXPECT_EQ(a.loopSounds[i].name, b.loopSounds[i].name);
    EXPECT_EQ(a.loopSounds[i].loadMode, b.loopSounds[i].loadMode);
  }
  EXPECT_EQ(a.caption, b.caption);
  EXPECT_EQ(a.window, b.window);
}

TEST(TgsFrameSave, SizeMatchesWrittenBytesAndRoundTrips) {
  for (int mask = 0; mask < 16; ++mask) {
    SCOPED_TRACE(mask);
    SaveFixture f;
    f.FillRecords(mask & 1, mask & 2, mask & 4, mask & 8);
    const TgsFrameRecords saved = f.frame->Records();
    const std::vector<uint8_t> block = f.Save();
    f.frame->Records() = {};
    SobCursor in(block.data(), block.size());
    ASSERT_EQ(f.frame->LoadFrom(in), 0);
    EXPECT_EQ(in.Remaining(), 0u);
    ExpectSameRecords(f.frame->Records(), saved);
    EXPECT_TRUE(f.frame->ReapplyPending());
  }
}

TEST(TgsFrameSave, EmptyStateLayout) {
  SaveFixture f;
  const std::vector<uint8_t> block = f.Save();
  const size_t moduleBytes = f.frame->GetStateSize();
  // After the history flag: four empty sound records, no caption, a tail
  // length, no choices and no page.
  ASSERT_EQ(block.size(), moduleBytes + 3665 + 4 * 1 + 1 + 4 + 1 + 4);
  const size_t flag = moduleBytes + 3664;
  EXPECT_EQ(block[flag], 0);
  EXPECT_EQ(std::vector<uint8_t>(block.begin() + long(flag) + 1, block.end()),
            (std::vector<uint8_t>{0, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0}));
  // The resume point leads the scalars; none is -1.
  EXPECT_EQ(SobCursor(block.data() + moduleBytes, 4).U32(), 0xFFFFFFFFu);
}

// Each typed record lands field by field at its stored offset, whatever
// the struct's layout in memory, and padding bytes stay zero.
TEST(TgsFrameSave, RecordFieldsSitAtTheirOffsets) {
  SaveFixture f;
  TgsFrameRecords& r = f.frame->Records();
  r.effectSlots[2].kind = 11;
  r.effectSlots[2].p[5] = 0x0A0B0C0D;
  r.effectSlots[2].SetName("snow");
  LayerRecord& back = r.layers[1];
  CopyNameField(back.imageName, sizeof back.imageName, "BG01A");
  CopyNameField(back.animationName, sizeof back.animationName, "OPENING.LAD");
  back.colour = 0x11223344;
  back.pixelOpStrength = 9;
  back.zoomBottom = -5;
  back.rotationScale = 2.0f;
  back.animationFrame = 77;
  SpriteSlotRecord& last = r.sprites[21];
  last.characterIndex = 75;
  last.order = 30200;
  last.alpha = 128;
  last.zoom = 0.5f;
  last.zoomCentreY = -9;
  CopyNameField(last.actionName, sizeof last.actionName, "p100,20");
  const std::vector<uint8_t> block = f.Save();
  const size_t scalars = f.frame->GetStateSize();
  const size_t effect = scalars + 60 + 2 * 76;
  const size_t layer = scalars + 288 + 124;
  const size_t sprite = scalars + 288 + 2 * 124 + 21 * 140;
  auto word = [&](size_t at) { return SobCursor(block.data() + at, 4).U32(); };
  auto text = [&](size_t at) { return std::string(reinterpret_cast<const char*>(block.data() + at)); };
  EXPECT_EQ(word(effect), 11u);
  EXPECT_EQ(word(effect + 24), 0x0A0B0C0Du);
  EXPECT_EQ(text(effect + 28), "snow");
  EXPECT_EQ(text(layer), "BG01A");
  EXPECT_EQ(text(layer + 32), "OPENING.LAD");
  EXPECT_EQ(word(layer + 68), 0x11223344u);
  EXPECT_EQ(block[layer + 77], 9);
  EXPECT_EQ(block[layer + 78] | block[layer + 79], 0);
  EXPECT_EQ(word(layer + 88), 0xFFFFFFFFu);  // no zoom rectangle
  EXPECT_EQ(word(layer + 100), uint32_t(-5));
  EXPECT_EQ(word(layer + 104), 0x40000000u);  // 2.0f
  EXPECT_EQ(word(layer + 120), 77u);
  EXPECT_EQ(word(sprite + 32), 75u);
  EXPECT_EQ(word(sprite + 52), 30200u);
  EXPECT_EQ(block[sprite + 60], 128);
  EXPECT_EQ(word(sprite + 64), 0x3F000000u);  // 0.5f
  EXPECT_EQ(word(sprite + 76), uint32_t(-9));
  EXPECT_EQ(text(sprite + 88), "p100,20");
  EXPECT_EQ(word(sprite + 136), 0u);
}

TEST(TgsFrameSave, RefusedBlocksChangeNothing) {
  SaveFixture f;
  f.FillRecords(true, true, true, true);
  const std::vector<uint8_t> good = f.Save();
  f.frame->Records() = {};
  f.frame->Records().caption = "kept";
  const uint32_t readAt = f.frame->ReadPosition();

  // Cut at every byte.
  for (size_t cut = 0; cut < good.size(); ++cut) {
    SobCursor in(good.data(), cut);
    ASSERT_NE(f.frame->LoadFrom(in), 0) << cut;
  }
  const size_t moduleBytes = f.frame->GetStateSize();
  struct Case {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> damage;
    int32_t code;
  } cases[] = {
      {"resume point past the table", [&](auto& b) { b[moduleBytes] = 40; }, 3},
      {"history flag neither 0 nor 1", [&](auto& b) { b[moduleBytes + 3664] = 2; }, 2},
      {"module state with 129 frames",
       [&](auto& b) {
         // run count, name, resident count, then the call-stack depth
         SobCursor c(b.data(), b.size());
         c.U32();
         c.Take(c.U16());
         c.U32();
         const size_t at = c.Position();
         b[at] = 129;
       },
       TgsFrame::kLoadDamaged},
      {"name field past the tail", [&](auto& b) { b.back() = 9; }, TgsFrame::kLoadDamaged},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bad = good;
    c.damage(bad);
    SobCursor in(bad.data(), bad.size());
    EXPECT_EQ(f.frame->LoadFrom(in), c.code) << c.name;
    if (c.code == 0) {
      f.frame->Records() = {};
      f.frame->Records().caption = "kept";
      continue;
    }
    EXPECT_EQ(f.frame->Records().caption, "kept") << c.name;
    EXPECT_EQ(f.frame->ReadPosition(), readAt) << c.name;
  }
}

TEST(TgsFrameSave, TailLengthsArePoliced) {
  SaveFixture f;
  f.FillRecords(false, false, true, true);
  const std::vector<uint8_t> good = f.Save();
  // The tail is the last part: its length word sits before the choice count.
  // Count and layout word, two choices (7 + text with NUL each), the page
  // length and bytes, a name of three and an empty one.
  const size_t tail = 5 + (7 + 2) + (7 + 4) + 4 + 3 + 5 + 1;
  const size_t lengthAt = good.size() - tail - 4;
  ASSERT_EQ(SobCursor(good.data() + lengthAt, 4).U32(), tail);
  f.frame->Records() = {};
  for (uint32_t lie : {uint32_t(tail - 1), uint32_t(tail + 1), 0xFFFFFFFFu}) {
    std::vector<uint8_t> bad = good;
    for (int i = 0; i < 4; ++i) bad[lengthAt + i] = uint8_t(lie >> (8 * i));
    SobCursor in(bad.data(), bad.size());
    EXPECT_EQ(f.frame->LoadFrom(in), TgsFrame::kLoadDamaged) << lie;
  }
  // A choice text whose length runs past the tail.
  std::vector<uint8_t> bad = good;
  bad[lengthAt + 4 + 5 + 4 + 1] = 200;
  SobCursor in(bad.data(), bad.size());
  EXPECT_EQ(f.frame->LoadFrom(in), TgsFrame::kLoadDamaged);
  EXPECT_TRUE(f.frame->Records().window.choices.empty());
}

}  // namespace
}  // namespace orrivel
