// A voiced page leaves the scene it was spoken in to the text history:
// the front set's background and visible sprites, as the page showed them,
// which the history draws again and a saved game keeps.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FrameOnLayersTest.h"
#include "frame/SceneSnapshot.h"
#include "raster/Surface.h"
#include "script/ByteWriter.h"
#include "script/SobCursor.h"

namespace orrivel {
namespace {

constexpr size_t kSettingHistoryLength = 29;

// A background, a character in the middle group and a second sprite
// behind it, then a page.
constexpr const char* kScene =
    "[bg \"BG01A.ELG\" 0][bg_position -20 -10 0]"
    "[sp 0 \"ABC01.ELG\" 0 0 0 0][sp 2 \"XYZ01.ELG\" 1 0 0 1]";

class VoicedPageTest : public test::FrameOnLayersTest {
 protected:
  void SetUp() override {
    FrameOnLayersTest::SetUp();
    settings_[kSettingHistoryLength] = 8;
  }

  // A running frame that has read the scene and then the page, skipping
  // (so the page does not wait for a click).
  TgsFrame& PlayPage(const std::string& page, bool suppress = false) {
    TgsFrame& frame = MakeFrame({"ABCDEF", "XYZ"});
    EXPECT_EQ(frame.BeginRun(false), 0);
    frame.SetSkipByKey(true);
    if (suppress) frame.SuppressOnce();
    fixture_.AddStory(std::string("module T\n") + kScene + page + "\n");
    EXPECT_EQ(fixture_.Play("T"), 0);
    return frame;
  }

  // The scene entries of the history, oldest first.
  static std::vector<const HistorySceneRecord*> Scenes(const TgsFrame& frame) {
    std::vector<const HistorySceneRecord*> scenes;
    for (int32_t i = 0; i < frame.History().Count(); ++i)
      if (const HistorySceneRecord* scene = frame.History().GetEntry(i)->Scene()) scenes.push_back(scene);
    return scenes;
  }
};

TEST_F(VoicedPageTest, AVoicedPageRecordsItsSceneForTheHistory) {
  TgsFrame& frame = PlayPage("[name \"Aki\" \"V01\"]Hello there.[page]");
  ASSERT_EQ(Scenes(frame).size(), 1u);
  const HistorySceneRecord* scene = Scenes(frame)[0];
  EXPECT_EQ(scene->background, "BG01A.ELG");
  EXPECT_EQ(scene->state.x, -20);
  EXPECT_EQ(scene->state.y, -10);
  // The sprite behind is drawn first, the character over it, each where
  // its picture stood.
  ASSERT_EQ(scene->items.size(), 2u);
  EXPECT_EQ(scene->items[0].name, "XYZ01.ELG");
  EXPECT_EQ(scene->items[1].name, "ABC01.ELG");
  EXPECT_EQ(scene->items[1].x, 540);
  EXPECT_EQ(scene->items[1].y, 320);

  // The history draws it again: the character's colour in its middle, the
  // background's gradient beside it (shifted by the offset).
  Surface picture;
  ASSERT_EQ(RenderSceneSnapshot(*scene, picture), 0);
  auto pixel = [&picture](int32_t x, int32_t y) {
    uint32_t value;
    std::memcpy(&value, picture.GetScanLine(y) + 4 * x, 4);
    return value & 0xFFFFFFu;
  };
  EXPECT_EQ(pixel(640, 520), 0xD07040u);
  EXPECT_EQ(pixel(100, 100), uint32_t(110 * 255 / 719) << 16 | uint32_t(120 * 255 / 1279) << 8 | 0x40u);

  // A saved game keeps it (the loading frame takes the fixture's place).
  const HistorySceneRecord saved = *scene;
  std::vector<uint8_t> block(frame.GetSaveSize(true));
  ByteWriter out(block.data(), block.size());
  ASSERT_EQ(frame.SaveTo(out, true), 0);
  TgsFrame& loaded = MakeFrame({"ABCDEF", "XYZ"});
  SobCursor in(block.data(), block.size());
  ASSERT_EQ(loaded.LoadFrom(in), 0);
  ASSERT_EQ(Scenes(loaded).size(), 1u);
  const HistorySceneRecord* kept = Scenes(loaded)[0];
  EXPECT_EQ(kept->background, saved.background);
  EXPECT_EQ(kept->state.x, saved.state.x);
  ASSERT_EQ(kept->items.size(), 2u);
  EXPECT_EQ(kept->items[1].name, "ABC01.ELG");
  EXPECT_EQ(kept->items[1].x, 540);
}

TEST_F(VoicedPageTest, NoSceneWithoutAVoiceOnceSuppressedOrWithTheHistoryOff) {
  struct Case {
    const char* name;
    const char* page;
    bool suppress;
    uint8_t historyLength;
    size_t scenes;
  };
  const Case cases[] = {
      {"a page without a voice", "[name \"Aki\" \"\"]Hello.[page]", false, 8, 0},
      {"suppressed once", "[name \"Aki\" \"V01\"]Hello.[page]", true, 8, 0},
      {"suppressed for one page only", "[name \"Aki\" \"V01\"]A.[page][name \"Aki\" \"V02\"]B.[page]", true, 8, 1},
      {"the history off", "[name \"Aki\" \"V01\"]Hello.[page]", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings_[kSettingHistoryLength] = c.historyLength;
    TgsFrame& frame = PlayPage(c.page, c.suppress);
    EXPECT_EQ(Scenes(frame).size(), c.scenes);
  }
}

}  // namespace
}  // namespace orrivel
