// A running frame saved and loaded into a fresh one: the records come back
// equal, the screen is rebuilt to the same pixels, running effects start
// again, and a block that does not hold together changes nothing.
#include <gtest/gtest.h>

#include <cstring>

#include "../scene/ShownPixel.h"
#include "FrameOnLayersTest.h"
#include "RecordingTransitions.h"
#include "effect/LayerAction.h"
#include "frame/MessageTextWindow.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsScreenTransitions.h"
#include "platform/SoftSurface.h"
#include "raster/PixelFormat.h"
#include "scene/CanvasDrawObject.h"
#include "resource/TcpManager.h"
#include "script/ByteWriter.h"
#include "script/SobCursor.h"
#include "transition/BuiltinTransitions.h"

namespace orrivel {
namespace {

constexpr size_t kSettingAlwaysSkip = 3;
constexpr size_t kSettingEffects = 9;
constexpr size_t kSettingChoiceSnapshot = 13;
constexpr size_t kSettingHistoryLength = 29;

// A page over a background with two sprites (one toned, one in the
// behind group), an offset background, an effect slot and a caption; the
// frame's history gets two pages besides.
constexpr const char* kScene =
    "[message 0][caption \"Chapter one\"]"
    "[bg \"BG01A.ELG\" 0][bg_position -20 -10 0]"
    "[sp 0 \"ABC01.ELG\" 0 0 0 0][sp 2 \"XYZ01.ELG\" 1 0 0 1][sp_image_effects 2 2 1 0 0 1]"
    "[noise 1 1 2 3]";

class FrameReapplyTest : public test::FrameOnLayersTest {
 protected:
  void SetUp() override {
    FrameOnLayersTest::SetUp();
    settings_[kSettingHistoryLength] = 20;
  }

  TgsFrame& MakeFrame() { return FrameOnLayersTest::MakeFrame({"ABCDEF", "XYZ"}); }

  // A frame that has read the scene and stays in its run.
  TgsFrame& PlayScene() {
    TgsFrame& frame = MakeFrame();
    EXPECT_EQ(frame.BeginRun(false), 0);
    fixture_.AddStory(std::string("module T\n") + kScene + "\n");
    EXPECT_EQ(fixture_.Play("T"), 0);
    for (const char* page : {"First page", "Second page"})
      EXPECT_EQ(frame.History().AddEntry(reinterpret_cast<const uint8_t*>(page), uint32_t(std::strlen(page)), 24,
                                         "Aki", nullptr, 0),
                0);
    return frame;
  }

  // A page flushed to the window as the reader does it, with its speaker
  // and voice, and shown.
  static void ShowPage(TgsFrame& frame, const std::string& text, const char* voice) {
    for (const char& c : text) frame.Page().AppendCharacter(reinterpret_cast<const uint8_t*>(&c), 1);
    frame.SpeakerName() = "Aki";
    frame.VoiceName() = voice;
    ASSERT_EQ(frame.FlushPage(), 0);
    frame.SetPageShown(true);
  }

  // A fresh frame that loads the block and resumes: ReapplyState's result.
  int32_t LoadAndResume(const std::vector<uint8_t>& block) {
    TgsFrame& loaded = MakeFrame();
    SobCursor in(block.data(), block.size());
    EXPECT_EQ(loaded.LoadFrom(in), 0);
    return loaded.BeginRun(true);
  }

  static std::vector<uint8_t> SaveBlock(const TgsFrame& frame) {
    std::vector<uint8_t> block(frame.GetSaveSize(true));
    ByteWriter out(block.data(), block.size());
    EXPECT_EQ(frame.SaveTo(out, true), 0);
    EXPECT_EQ(out.Position(), block.size());
    return block;
  }

  // The front set as it is composed on screen.
  std::vector<uint8_t> Screen(TgsFrame& frame) {
    Surface out;
    EXPECT_EQ(out.Create(1280, 720, 32, 0), 0);
    EXPECT_EQ(frame.Layers()->Canvas(0)->RenderInto(&out, 0, 0, 0), 0);
    std::vector<uint8_t> pixels;
    for (int32_t y = 0; y < 720; ++y) {
      const uint8_t* row = out.GetScanLine(y);
      pixels.insert(pixels.end(), row, row + 4 * 1280);
    }
    return pixels;
  }

};

void ExpectSameScreenRecords(const TgsFrameRecords& a, const TgsFrameRecords& b) {
  for (size_t i = 0; i < a.layers.size(); ++i) EXPECT_EQ(a.layers[i], b.layers[i]) << "layer " << i;
  for (size_t i = 0; i < a.sprites.size(); ++i) EXPECT_EQ(a.sprites[i], b.sprites[i]) << "sprite " << i;
  for (size_t i = 0; i < a.effectSlots.size(); ++i) EXPECT_EQ(a.effectSlots[i], b.effectSlots[i]) << "effect " << i;
  EXPECT_EQ(a.layerSettings, b.layerSettings);
  EXPECT_EQ(a.quakeFilter, b.quakeFilter);
  EXPECT_EQ(a.caption, b.caption);
  EXPECT_EQ(a.resumePoint, b.resumePoint);
}

TEST_F(FrameReapplyTest, LoadedFrameShowsTheSavedPictureAndRecords) {
  // Effects off: the noise is only recorded, so the picture holds still.
  settings_[kSettingEffects] = 0;
  TgsFrame& saved = PlayScene();
  const TgsFrameRecords before = saved.RecordsForSave();
  ASSERT_STREQ(before.layers[0].imageName, "BG01A.ELG");
  ASSERT_EQ(before.sprites[6].characterIndex, 0);  // main group, front slot 0
  ASSERT_EQ(before.sprites[2].colourMode, LayerRecord::kGreyToned);  // group 1, front slot 2
  ASSERT_EQ(before.effectSlots[1].kind, EffectSlotRecord::kNoise);
  ASSERT_EQ(saved.History().Count(), 2);
  // The page the window shows, with its speaker.
  MessageTextWindow* window = saved.CurrentWindow();
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(window->SetPageText("Hello there", 11), 0);
  window->SetNames("Aki", "V01");
  saved.SetPageShown(true);
  const std::vector<uint8_t> picture = Screen(saved);
  const std::vector<uint8_t> block = SaveBlock(saved);

  TgsFrame& loaded = MakeFrame();
  SobCursor in(block.data(), block.size());
  ASSERT_EQ(loaded.LoadFrom(in), 0);
  EXPECT_EQ(in.Remaining(), 0u);
  EXPECT_TRUE(loaded.ReapplyPending());
  EXPECT_EQ(loaded.History().Count(), 2);
  // Nothing is on screen until the state is applied again.
  EXPECT_NE(Screen(loaded), picture);
  ASSERT_EQ(loaded.BeginRun(true), 0);
  EXPECT_FALSE(loaded.ReapplyPending());

  ExpectSameScreenRecords(loaded.RecordsForSave(), before);
  EXPECT_EQ(loaded.SaveCaption(), "Chapter one");
  ASSERT_NE(loaded.CurrentWindow(), nullptr);
  EXPECT_EQ(loaded.CurrentWindow()->PageText(), "Hello there");
  EXPECT_EQ(loaded.CurrentWindow()->SpeakerName(), "Aki");
  ASSERT_NE(loaded.Layers()->FindSprite(2, 0, 1)->sprite, nullptr);
  const std::vector<uint8_t> again = Screen(loaded);
  ASSERT_EQ(again.size(), picture.size());
  size_t differing = 0;
  for (size_t i = 0; i < picture.size(); ++i) differing += picture[i] != again[i];
  EXPECT_EQ(differing, 0u);
  // Saved again, the loaded frame writes the same block after its module
  // state (whose read position is now the resume point).
  const std::vector<uint8_t> resaved = SaveBlock(loaded);
  const long moduleBytes = long(loaded.GetStateSize());
  ASSERT_EQ(resaved.size(), block.size());
  for (size_t i = size_t(moduleBytes); i < block.size(); ++i) EXPECT_EQ(resaved[i], block[i]) << i - size_t(moduleBytes);
}

TEST_F(FrameReapplyTest, RunningEffectsAndTheirRecordsStartAgain) {
  settings_[kSettingEffects] = 1;
  TgsFrame& saved = PlayScene();
  ASSERT_TRUE(saved.Layers()->HolderRunning(saved.Layers()->GetEffectSlot(1).holder));
  const TgsFrameRecords before = saved.RecordsForSave();
  const std::vector<uint8_t> block = SaveBlock(saved);
  timers_.Clear();

  TgsFrame& loaded = MakeFrame();
  SobCursor in(block.data(), block.size());
  ASSERT_EQ(loaded.LoadFrom(in), 0);
  ASSERT_EQ(loaded.BeginRun(true), 0);
  TgsLayerSets& sets = *loaded.Layers();
  LayerAction* noise = sets.ActionOf(sets.GetEffectSlot(1).holder);
  ASSERT_NE(noise, nullptr);
  EXPECT_STREQ(noise->GetName(), "noise");
  ExpectSameScreenRecords(loaded.RecordsForSave(), before);
}

TEST_F(FrameReapplyTest, RefusedBlocksLeaveTheRunningFrameAsItWas) {
  settings_[kSettingEffects] = 0;
  TgsFrame& frame = PlayScene();
  const std::vector<uint8_t> good = SaveBlock(frame);
  const TgsFrameRecords records = frame.RecordsForSave();
  const std::vector<uint8_t> picture = Screen(frame);
  const size_t moduleBytes = frame.GetStateSize();
  const size_t historyAt = moduleBytes + 3665;
  ASSERT_EQ(good[historyAt - 1], 1);  // the history follows

  struct Case {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> damage;
    int32_t code;
  } cases[] = {
      // The first entry's kind byte leads the history's entries.
      {"history entry of kind 7",
       [&](auto& b) {
         // count, then per entry its kind and serial
         b[historyAt + 4] = 7;
       },
       2},
      {"history count past the block", [&](auto& b) { b[historyAt + 3] = 0x7F; }, 2},
      {"cut inside the history", [&](auto& b) { b.resize(historyAt + 8); }, 2},
      {"cut in the sprite records", [&](auto& b) { b.resize(moduleBytes + 1000); }, TgsFrame::kLoadDamaged},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bad = good;
    c.damage(bad);
    SobCursor in(bad.data(), bad.size());
    EXPECT_EQ(frame.LoadFrom(in), c.code) << c.name;
    EXPECT_FALSE(frame.ReapplyPending()) << c.name;
    EXPECT_EQ(frame.History().Count(), 2) << c.name;
    ExpectSameScreenRecords(frame.RecordsForSave(), records);
    EXPECT_EQ(Screen(frame), picture) << c.name;
  }
}

}  // namespace
}  // namespace orrivel

namespace orrivel {
namespace {

// The page a save was taken on speaks again when the resumed run shows it,
// as long as it was shown and the run's pages had a voice; the window's zoom
// comes back about the same point of the screen.
TEST_F(FrameReapplyTest, LoadedPageGetsItsVoiceAndWindowZoomBack) {
  settings_[kSettingEffects] = 0;
  struct Case {
    const char* name;
    std::vector<const char*> voices;  // of the pages flushed, the last shown
    bool shown;
    float zoom;
    const char* voice;  // pending after the load
    int32_t voiceWindow;
  } cases[] = {
      {"voiced page", {"V01"}, true, 1.5f, "V01", 0},
      {"silent page after a voiced one", {"V01", ""}, true, 0.0f, "", 0},
      {"voiced page no longer shown", {"V01"}, false, 2.0f, "", 0},
      {"no voice in the run", {""}, true, 0.0f, "", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TgsFrame& saved = PlayScene();
    for (const char* voice : c.voices) ShowPage(saved, "Hello there", voice);
    saved.SetPageShown(c.shown);
    saved.SetWindowZoom(c.zoom, 16, 600, 650);
    ASSERT_EQ(saved.RecordsForSave().pageStateWord, c.voiceWindow);
    const std::vector<uint8_t> block = SaveBlock(saved);

    ASSERT_EQ(LoadAndResume(block), 0);
    TgsFrame& loaded = *fixture_.frame;
    EXPECT_EQ(loaded.PendingVoice(), c.voice);
    EXPECT_EQ(loaded.PageShown(), c.shown);
    ASSERT_NE(loaded.CurrentWindow(), nullptr);
    EXPECT_EQ(loaded.CurrentWindow()->PageText(), "Hello there");
    const TgsFrameRecords records = loaded.RecordsForSave();
    EXPECT_EQ(records.pageStateWord, c.voiceWindow);
    EXPECT_EQ(records.windowZoom, c.zoom);
    EXPECT_EQ(records.windowAngle, 16);
    EXPECT_EQ(records.windowCentreX, 600);
    EXPECT_EQ(records.windowCentreY, 650);
    const ImageSprite& sprite = loaded.CurrentWindow()->Sprite();
    EXPECT_EQ(sprite.IsRotated(), c.zoom != 0.0f);
    if (c.zoom != 0.0f) {
      EXPECT_EQ(sprite.GetScale(), double(c.zoom));
      EXPECT_EQ(sprite.GetAngle(), 16);
      EXPECT_EQ(sprite.GetX() + sprite.GetCentreX(), 600);
      EXPECT_EQ(sprite.GetY() + sprite.GetCentreY(), 650);
    }
  }
  // A new run's window stands unzoomed.
  TgsFrame& fresh = *fixture_.frame;
  ASSERT_EQ(fresh.EndRun(), 0);
  ASSERT_EQ(fresh.BeginRun(false), 0);
  EXPECT_EQ(fresh.RecordsForSave().windowZoom, 0.0f);
  EXPECT_EQ(fresh.RecordsForSave().windowCentreX, TgsFrameRecords::kWindowCentreX);
}

// A save taken while a choice list waits: the list comes back, and the
// choice taken after the load lands in the history's entry of that list
// when it is the newest entry.
TEST_F(FrameReapplyTest, ChoiceTakenAfterALoadIsWrittenIntoTheHistory) {
  settings_[kSettingEffects] = 0;
  for (const bool pageAfterList : {false, true}) {
    SCOPED_TRACE(pageAfterList);
    TgsFrame& saved = PlayScene();
    ASSERT_EQ(saved.RecordChoicesInHistory({{"Go", true}, {"Stay", false}}), 0);
    if (pageAfterList) {
      ASSERT_EQ(saved.History().AddEntry(reinterpret_cast<const uint8_t*>("x"), 1, 24, "", nullptr, 0), 0);
    }
    saved.Choices().Reset(nullptr, 0, 0);
    saved.Choices().Add("Go", true);
    saved.Choices().Add("Stay", false);
    saved.SetChoiceWait(true);
    const std::vector<uint8_t> block = SaveBlock(saved);

    ASSERT_EQ(LoadAndResume(block), 0);
    TgsFrame& loaded = *fixture_.frame;
    ASSERT_EQ(loaded.ChoiceCount(), 2u);
    EXPECT_EQ(loaded.Choices().Items()[1].text, "Stay");
    EXPECT_FALSE(loaded.Choices().Items()[1].enabled);
    loaded.RecordChoiceTaken(0);
    const TextHistoryEntry* list = loaded.History().GetEntry(2);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(list->Choices(), nullptr);
    EXPECT_EQ(list->Choices()->selected, pageAfterList ? -1 : 0);
  }
}

// The page on screen as a save's comment: page commands and ideographic
// spaces dropped, the speaker in brackets in front.
TEST_F(FrameReapplyTest, PageOnScreenBecomesTheSaveComment) {
  TgsFrame& frame = MakeFrame();
  ASSERT_EQ(frame.BeginRun(false), 0);
  MessageTextWindow* window = frame.CurrentWindow();
  ASSERT_NE(window, nullptr);
  std::string out = "kept";
  EXPECT_EQ(frame.GetCommentText(out), 1);  // no page yet
  // A page command: zero, "[", its length from the length field on.
  const std::string command = std::string("\0[", 2) + std::string("\x08\0\0\0", 4) + std::string("\x10\0\0\0", 4);
  const std::string runsPast = std::string("\0[", 2) + std::string("\x40\0\0\0", 4) + "xyz";
  // A damaged record whose length does not cover its own length field ends
  // the page, as on screen; stepping into the length field instead would
  // read a second command there and copy the "junk" after it.
  const std::string tooShort =
      std::string("\0[", 2) + std::string("\x03\0\0\0", 4) + "[" + std::string("\x04\0\0\0", 4) + "junk";
  struct Case {
    std::string page;
    const char* name;
    int32_t result;
    std::string comment;
  } cases[] = {
      {"Hel" + command + "lo", "Aki", 0, "\x81\x79" "Aki\x81\x7A\nHello"},
      {"\x81\x40" "Hi\x81\x40\x82\xA0", "", 0, "Hi\x82\xA0"},
      {"\x81\x40\x81\x40" + command, "Aki", 2, "kept"},
      {"ok" + runsPast, "", 0, "ok"},
      {"ok" + tooShort, "", 0, "ok"},
      {"ok" + std::string("\0zz", 3), "", 0, "ok"},
      {"ends on a lead byte\x82", "", 0, "ends on a lead byte\x82"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.comment);
    ASSERT_EQ(window->SetPageText(c.page.data(), c.page.size()), 0);
    window->SetNames(c.name, "");
    out = "kept";
    EXPECT_EQ(frame.GetCommentText(out), c.result);
    EXPECT_EQ(out, c.comment);
  }
}

// Back to the previous choice (bar button 2) after a load: only when the
// frame keeps choice states and the game holds one the save brought.
TEST_F(FrameReapplyTest, PreviousChoiceButtonComesBackWithAKeptState) {
  settings_[kSettingEffects] = 0;
  struct Case {
    uint8_t setting;
    int snapshot;  // -1: the game gives no answer
    uint8_t state;
  } cases[] = {{1, 1, MessageWindowState::kEnabled},
               {0, 1, MessageWindowState::kDisabled},
               {1, 0, MessageWindowState::kDisabled},
               {1, -1, MessageWindowState::kDisabled}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << int(c.setting) << " " << c.snapshot);
    settings_[kSettingChoiceSnapshot] = c.setting;
    moreEnvironment_ = [&c](TgsFrameEnvironment& environment) {
      if (c.snapshot >= 0) environment.player.hasSnapshot = [&c] { return c.snapshot == 1; };
    };
    const std::vector<uint8_t> block = SaveBlock(PlayScene());
    ASSERT_EQ(LoadAndResume(block), 0);
    EXPECT_EQ(fixture_.frame->ButtonState(TgsFrame::kPreviousChoice), c.state);
  }
}

// The closing cross-fade holds the confirmation box's notice for its whole
// run and lets it go after, also when the program closes meanwhile.
TEST_F(FrameReapplyTest, ClosingFadeHoldsTheNoticeWhileItRuns) {
  settings_[kSettingEffects] = 0;
  TcpManager registry;
  test::RegisterRecordingTransitions(registry);
  platform::SoftSurface target;
  ASSERT_EQ(target.Create(1280, 720, platform::SurfaceFormat::X8R8G8B8), platform::kSurfaceOk);
  std::vector<std::pair<bool, uint32_t>> holds;  // hold or let go, at tick
  moreEnvironment_ = [&](TgsFrameEnvironment& environment) {
    environment.screenObjects = &registry;
    environment.player.holdNotice = [&](bool hold) { holds.emplace_back(hold, clock_.TickMs()); };
  };
  struct Case {
    const char* name;
    uint8_t alwaysSkip;
    int pumpsToClose;
    int32_t result;
    bool fades;
  } cases[] = {
      {"fade to the end", 0, 1000, 0, true},
      {"no fade", 1, 1000, 0, false},
      {"closing during the fade", 0, 3, -1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings_[kSettingAlwaysSkip] = c.alwaysSkip;
    // Without the noise nothing moves on the restored screen, so it fades in.
    TgsFrame& saved = PlayScene();
    saved.Layers()->EndEffectSlot(1, true);
    const std::vector<uint8_t> block = SaveBlock(saved);
    TgsFrame& loaded = MakeFrame();
    // Each frame presents the screen, which steps its transition.
    fixture_.onPump = [&] {
      StepAt(clock_.TickMs() + 16);
      loaded.CanvasObject()->Present(nullptr, nullptr, &target, kPixelFormatX8R8G8B8, 1);
    };
    SobCursor in(block.data(), block.size());
    ASSERT_EQ(loaded.LoadFrom(in), 0);
    fixture_.pumps = 0;
    fixture_.pumpsBeforeClose = c.pumpsToClose;
    holds.clear();
    test::RecordingTransition::made.clear();
    EXPECT_EQ(loaded.BeginRun(true), c.result);
    fixture_.pumpsBeforeClose = 1000;
    if (!c.fades) {
      EXPECT_TRUE(holds.empty());
      EXPECT_TRUE(test::RecordingTransition::made.empty());
      continue;
    }
    ASSERT_EQ(test::RecordingTransition::made.size(), 1u);
    EXPECT_EQ(test::RecordingTransition::made[0].name, "cross");
    EXPECT_EQ(test::RecordingTransition::made[0].words.at(0), 500);
    ASSERT_EQ(holds.size(), 2u);
    EXPECT_TRUE(holds[0].first);
    EXPECT_FALSE(holds[1].first);
    if (c.result == 0) {
      EXPECT_GE(holds[1].second - holds[0].second, 500u);
    }
  }
  // The registry and the screen go before the frame that uses them would.
  fixture_.onPump = nullptr;
  fixture_.frame.reset();
}

// The closing fade blends what was shown before the load into the
// restored picture, and ends on it.
TEST_F(FrameReapplyTest, ClosingFadeEndsOnTheRestoredPicture) {
  settings_[kSettingEffects] = 0;
  TcpManager registry;
  ASSERT_EQ(RegisterStartupTransitions(registry), 0);
  moreEnvironment_ = [&](TgsFrameEnvironment& environment) { environment.screenObjects = &registry; };
  TgsFrame& saved = PlayScene();
  saved.Layers()->EndEffectSlot(1, true);
  const std::vector<uint8_t> block = SaveBlock(saved);
  TgsFrame& loaded = MakeFrame();
  platform::SoftSurface target;
  ASSERT_EQ(target.Create(1280, 720, platform::SurfaceFormat::X8R8G8B8), platform::kSurfaceOk);
  std::vector<uint32_t> seen;  // (100, 100) on screen, frame by frame
  fixture_.onPump = [&] {
    StepAt(clock_.TickMs() + 16);
    loaded.CanvasObject()->Present(nullptr, nullptr, &target, kPixelFormatX8R8G8B8, 1);
    seen.push_back(test::ShownPixel(target, 100, 100));
  };
  SobCursor in(block.data(), block.size());
  ASSERT_EQ(loaded.LoadFrom(in), 0);
  ASSERT_EQ(loaded.BeginRun(true), 0);
  const std::vector<uint8_t> restored = Screen(loaded);
  uint32_t expected = 0;
  std::memcpy(&expected, &restored[(100 * 1280 + 100) * 4], 4);
  expected &= 0xFFFFFFu;
  ASSERT_NE(expected & 0xFF, 0u);
  ASSERT_GE(seen.size(), 500u / 16);
  EXPECT_EQ(seen.back(), expected);
  const uint32_t half = seen[seen.size() / 2];
  EXPECT_GT(half & 0xFF, 0u);
  EXPECT_LT(half & 0xFF, expected & 0xFF);
  fixture_.onPump = nullptr;
  fixture_.frame.reset();
}

// An endless quake filter is saved with the frame and runs again after the
// load, in place of the closing fade.
TEST_F(FrameReapplyTest, AnEndlessQuakeFilterRunsAgainAfterALoad) {
  settings_[kSettingEffects] = 0;
  TcpManager registry;
  test::RegisterRecordingTransitions(registry);
  moreEnvironment_ = [&](TgsFrameEnvironment& environment) { environment.screenObjects = &registry; };
  TgsFrame& saved = MakeFrame();
  ASSERT_EQ(saved.BeginRun(false), 0);
  fixture_.AddStory(std::string("module T\n") + kScene + "[quake_filter 4 2 3 0 =0 1 1 0]\n");
  ASSERT_EQ(fixture_.Play("T"), 0);
  const std::array<int32_t, 6> record{1, 4, 2, 3, 1, 1};
  ASSERT_EQ(saved.QuakeFilterRecord(), record);
  const std::vector<uint8_t> block = SaveBlock(saved);
  test::RecordingTransition::made.clear();
  ASSERT_EQ(LoadAndResume(block), 0);
  TgsFrame& loaded = *fixture_.frame;
  EXPECT_EQ(loaded.QuakeFilterRecord(), record);
  ASSERT_EQ(test::RecordingTransition::made.size(), 1u);
  EXPECT_EQ(test::RecordingTransition::made[0].name, "quake");
  EXPECT_EQ(test::RecordingTransition::made[0].words, (std::vector<test::RecordedWord>{4, 2, 3, 0, 0, 1}));
  EXPECT_TRUE(loaded.Transitions()->FrontDisplay()->TimedPresentRunning());
  EXPECT_TRUE(loaded.Transitions()->Running());
  fixture_.frame.reset();
}

}  // namespace
}  // namespace orrivel
