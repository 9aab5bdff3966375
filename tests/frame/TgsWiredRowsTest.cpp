// The opcode rows that reach the message window and the layer sets: each
// row runs from a compiled module in a set-up frame with its layers on the
// object timer list, and the test looks at what the operation changed (a
// record, an action on the list, the window), not only at the result.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "FrameOnLayersTest.h"
#include "effect/LayerAction.h"
#include "frame/MessageTextWindow.h"
#include "frame/MessageWindowState.h"

namespace orrivel {
namespace {

constexpr size_t kSettingEffects = 9;

class WiredRowsTest : public test::FrameOnLayersTest {
 protected:
  void SetUp() override {
    FrameOnLayersTest::SetUp();
    test::WriteOpeningAnimation(pictures_);
    settings_[kSettingEffects] = 1;
  }

  // A new frame, set up and running.
  TgsFrame& StartFrame() {
    TgsFrame& frame = MakeFrame({"ABCDEF"});
    EXPECT_EQ(frame.BeginRun(false), 0);
    frame.SetPageSink([this](std::span<const uint8_t> page, const std::string&, const std::string&) {
      lastPage_.assign(page.begin(), page.end());
    });
    return frame;
  }

  // Plays the module text to its end; the reading's result.
  int32_t PlayText(const std::string& text) {
    fixture_.AddStory("module T\n" + text + "\n");
    return fixture_.Play("T");
  }

  std::vector<uint8_t> lastPage_;
};

bool Running(TgsLayerSets& s, const ActionHolder& holder, const char* name) {
  LayerAction* action = s.ActionOf(holder);
  return action && std::strcmp(action->GetName(), name) == 0;
}

struct Rig {
  TgsFrame& frame;
  TgsLayerSets& s;
  MessageWindowState& window;
  int pumps;  // frames pumped by the block
  const std::vector<uint8_t>& page;
};

struct WiredRow {
  uint32_t opcode;
  const char* before;  // module text read first (not timed)
  const char* block;   // the row's block
  std::function<void(Rig&)> check;
  bool skipMode = false;  // the frame is in skip mode for the block
  bool effectsOff = false;  // the settings switch the effects off
};

void PrintTo(const WiredRow& row, std::ostream* out) { *out << "opcode " << row.opcode << " " << row.block; }

const LayerRecord& Front(Rig& r) { return r.s.GetLayer(0).record; }
const SpriteSlotRecord& Sprite(Rig& r, int number = 0, int set = 0, int group = 0) {
  return r.s.FindSprite(number, set, group)->record;
}

constexpr const char* kBg = "[bg \"BG01A.ELG\" 0]";
constexpr const char* kSprite = "[sp 0 \"ABC01.ELG\" 0 0 0 0]";

const WiredRow kRows[] = {
    // The message window.
    {14, "", "A[br]B[page]",
     [](Rig& r) {
       MessageTextWindow* w = r.window.Window(0);
       const char* text = reinterpret_cast<const char*>(r.page.data());
       EXPECT_EQ(w->MeasurePage(text, r.page.size(), nullptr, true, false), 2);
       EXPECT_EQ(w->MeasurePage(text, r.page.size(), nullptr, false, false), 1);
     },
     true},
    {16, "", "[name \"Ann\"]AB[page]",
     [](Rig& r) {
       EXPECT_TRUE(r.window.Window(0)->HasPageText());
       EXPECT_EQ(r.window.Window(0)->SpeakerName(), "Ann");
       EXPECT_TRUE(r.frame.PageSerialPending());
     },
     true},
    {20, "", "[wait 100]", [](Rig& r) { EXPECT_EQ(r.pumps, 7); }},
    {21, "", "[pause 100]",
     [](Rig& r) {
       EXPECT_FALSE(r.frame.SkipByKey());
       EXPECT_EQ(r.pumps, 7);
     },
     true},
    {22, "A[log_page][window 1 0]", "B[log_page]", [](Rig& r) { EXPECT_FALSE(r.window.Window(0)->IsVisible()); }},
    {30, "", "[window 1 0]",
     [](Rig& r) {
       EXPECT_TRUE(r.window.Window(0)->IsVisible());
       EXPECT_TRUE(r.window.Record().visible);
     }},
    {31, "[window 1 0]", "[clear_window 0]", [](Rig& r) { EXPECT_FALSE(r.window.Window(0)->IsVisible()); }},
    {122, "", "[window_fade 1 =0 0]",
     [](Rig& r) {
       EXPECT_TRUE(r.window.Window(0)->IsVisible());
       EXPECT_EQ(r.window.Window(0)->WindowSprite().GetOpacity(), 255);
       EXPECT_EQ(r.pumps, 19);  // the default 300 ms at 16 ms a frame
     }},
    {123, "", "[window_show 1]", [](Rig& r) { EXPECT_TRUE(r.window.Window(0)->IsVisible()); }},
    // Background layers.
    {36, "", kBg,
     [](Rig& r) {
       EXPECT_STREQ(Front(r).imageName, "BG01A.ELG");
       EXPECT_NE(r.s.GetLayer(0).picture, nullptr);
     }},
    {37, kBg, "[bg_clear 255 0]",
     [](Rig& r) {
       EXPECT_FALSE(Front(r).HasPicture());
       EXPECT_EQ(Front(r).colour, 255u);
     }},
    {38, "", "[bg_colour 4660 1]", [](Rig& r) { EXPECT_EQ(r.s.GetLayer(1).record.colour, 4660u); }},
    {39, kBg, "[bg_image_effects 1 0 0 1 0]",
     [](Rig& r) {
       EXPECT_EQ(Front(r).colourMode, LayerRecord::kGrey);
       EXPECT_EQ(Front(r).cinemaBars, 1);
     }},
    {40, kBg, "[bg_pixel_op 3 0]", [](Rig& r) { EXPECT_EQ(Front(r).pixelOpStrength, 3); }},
    {41, kBg, "[bg_position 12 34 0]",
     [](Rig& r) {
       EXPECT_EQ(Front(r).x, 12);
       EXPECT_EQ(Front(r).y, 34);
     }},
    {42, kBg, "[bg_capture 2 0]", [](Rig& r) { EXPECT_EQ(Front(r).captureMask, 2); }},
    {43, "[bg \"BG02A.ELG\" 1]", "[bg_capture2 4 1]",
     [](Rig& r) { EXPECT_EQ(r.s.GetLayer(1).record.captureMask, 4); }},
    {44, kBg, "[bg_clip 100 50 640 360 0]",
     [](Rig& r) {
       EXPECT_EQ(Front(r).zoomLeft, 100);
       EXPECT_EQ(Front(r).zoomBottom, 410);
     }},
    // The zoom centre omitted: the screen's centre.
    {45, kBg, "[bg_zoom_to =0 =0 \"2.0\" 0]",
     [](Rig& r) {
       EXPECT_EQ(Front(r).zoomLeft, 320);
       EXPECT_EQ(Front(r).zoomRight, 960);
     }},
    {46, kBg, "[bg_rotation 128 \"1.5\" 640 360 0]",
     [](Rig& r) {
       EXPECT_EQ(Front(r).rotationAngle, 128);
       EXPECT_FLOAT_EQ(Front(r).rotationScale, 1.5f);
     }},
    {47, kBg, "[bg_zoom 0 =0 =0 \"2.0\"]",
     [](Rig& r) {
       EXPECT_TRUE(Running(r.s, r.s.GetLayer(0).effect, "bg_zoom"));
       EXPECT_EQ(Front(r).zoomLeft, 320);
     }},
    {48, kBg, "[bg_rot 0 128 \"1.5\" 640 360]",
     [](Rig& r) {
       EXPECT_TRUE(Running(r.s, r.s.GetLayer(0).effect, "bg_rot"));
       EXPECT_EQ(Front(r).rotationAngle, 128);
     }},
    {49, kBg, "[bg_panime 0 \"p100,20\" 400 0 0 0]",
     [](Rig& r) {
       EXPECT_TRUE(Running(r.s, r.s.GetEffectSlot(0).holder, "bg_panime"));
       EXPECT_EQ(r.s.GetEffectSlot(0).record.kind, 2);
     }},
    {50, kBg, "[bg_panime_control \"p100,20\" 0]",
     [](Rig& r) {
       EXPECT_NE(Front(r).x, 0);
       EXPECT_EQ(r.s.GetLayer(0).effect.Empty(), true);
     }},
    // The blur: layer, x, y, time, start zoom, end zoom, end angle, start
    // angle, opacity, curve, picture, mirrors, direct, blend, delay, keep
    // the end, wait, skippable.
    {51, kBg, "[bg_blur 0 =0 =0 200 \"1.0\" \"2.0\" =0 =0 128 =0 =0 0 0 0 0 0 1]",
     [](Rig& r) {
       EXPECT_TRUE(Running(r.s, r.s.GetLayer(0).effect, "bg_blur"));
       EXPECT_EQ(Front(r).zoomLeft, 320);
     }},
    {52, kBg, "[bg_blur_path 0 \"(100,100)(640,360,2.0)\" =0 0 255 =0 =0 0 0 0 0 0 1 1]",
     [](Rig& r) {
       EXPECT_TRUE(r.s.GetLayer(0).effect.Empty());
       EXPECT_GE(r.pumps, 60);  // the default second, waited for
       EXPECT_EQ(Front(r).zoomRight, 960);
     }},
    {57, kBg, "[bg_blur_change 0 =0 =0 \"2.0\"]",
     [](Rig& r) {
       EXPECT_EQ(Front(r).zoomLeft, 320);
       EXPECT_EQ(Front(r).zoomBottom, 540);
     }},
    {58, "[bg \"BG01A.ELG\" 0][bg_blur 0 =0 =0 100 \"1.0\" \"2.0\"]", "[wait_action 0 0]",
     [](Rig& r) {
       EXPECT_TRUE(r.s.GetLayer(0).effect.Empty());
       EXPECT_GE(r.pumps, 6);
     }},
    {59, "[bg \"BG01A.ELG\" 0][bg_blur 0 =0 =0 100 \"1.0\" \"2.0\"]", "[release_action 0]",
     [](Rig& r) { EXPECT_TRUE(r.s.GetLayer(0).effect.Empty()); }},
    // Layer effects and the effect slots.
    {60, kBg, "[noise 1 1 2 3]",
     [](Rig& r) {
       EXPECT_TRUE(Running(r.s, r.s.GetEffectSlot(1).holder, "noise"));
       EXPECT_EQ(r.s.GetEffectSlot(1).record.kind, 1);
     }},
    {61, kBg, "[bg_distortion 0 0 8 4 100 -2 0 0 1]", [](Rig& r) { EXPECT_EQ(r.s.GetEffectSlot(2).record.kind, 4); }},
    {62, kBg, "[bg_loop 0 2 400 0]", [](Rig& r) { EXPECT_EQ(r.s.GetEffectSlot(0).record.kind, 7); }},
    // No movie here: the slot's old effect ends and nothing takes its place.
    {63, "[noise 1 1 2 3]", "[sp_movie \"OPENING.MPG\" 1 0]",
     [](Rig& r) {
       EXPECT_EQ(r.s.GetEffectSlot(1).record.kind, 0);
       EXPECT_FALSE(r.s.HolderRunning(r.s.GetEffectSlot(1).holder));
     }},
    // Effects off: the slot records only.
    {64, kBg, "[sp_parts \"PARTS.TXT\" 5 0 2]",
     [](Rig& r) {
       EXPECT_EQ(r.s.GetEffectSlot(2).record.kind, 9);
       EXPECT_STREQ(r.s.GetEffectSlot(2).record.name, "PARTS.TXT");
     },
     false, true},
    {65, "[bg \"BG01A.ELG\" 0][bg \"BG02A.ELG\" 1]", "[bg_cross 300 -1 2 1]", [](Rig& r) { EXPECT_EQ(r.s.GetEffectSlot(1).record.kind, 10); }},
    {66, kBg, "[weather 0 2 10 0]",
     [](Rig& r) {
       EXPECT_TRUE(Running(r.s, r.s.GetEffectSlot(0).holder, "snow"));
       EXPECT_EQ(r.s.GetEffectSlot(0).record.kind, 13);
     }},
    {67, "[noise 0 1 2 3]", "[effect_control 0 7 8]",
     [](Rig& r) {
       EXPECT_EQ(r.s.GetEffectSlot(0).record.p[1], 7);
       EXPECT_EQ(r.s.GetEffectSlot(0).record.p[2], 8);
     }},
    {68, "[noise 0 1 2 3]", "[effect_end 0 1]",
     [](Rig& r) {
       EXPECT_EQ(r.s.GetEffectSlot(0).record.kind, 0);
       EXPECT_FALSE(r.s.HolderRunning(r.s.GetEffectSlot(0).holder));
     }},
    // A skippable wait in skip mode ends the effect at once.
    {69, "[noise 0 1 2 3]", "[wait_effect 0 1]",
     [](Rig& r) {
       EXPECT_TRUE(r.s.GetEffectSlot(0).holder.Empty());
       EXPECT_LE(r.pumps, 1);
     },
     true},
    // Layer animations.
    {70, kBg, "[bg_anime \"OPENING.LAD\" 0 0 0]",
     [](Rig& r) {
       EXPECT_STREQ(Front(r).animationName, "OPENING.LAD");
       EXPECT_TRUE(Running(r.s, r.s.GetLayer(0).animation, "bg_anime"));
     }},
    {71, "", "[bg_movie \"OPENING.MPG\" 0]",
     [](Rig& r) {
       EXPECT_STREQ(Front(r).animationName, "OPENING.MPG");
       EXPECT_EQ(Front(r).animationSequence, -1);
     }},
    {72, "", "[bg_anime2 \"OPENING.LAD\" 0 0 1]",
     [](Rig& r) { EXPECT_TRUE(Running(r.s, r.s.GetLayer(1).animation, "bg_anime")); }},
    {73, "[bg_anime \"OPENING.LAD\" 0 0 0]", "[bg_anime_control 0 1 0 0]",
     [](Rig& r) { EXPECT_EQ(Front(r).animationState, 1u); }},
    {74, "[bg_anime \"OPENING.LAD\" 0 0 0]", "[bg_anime_wait_frame 0]",
     [](Rig& r) { EXPECT_EQ(Front(r).animationFrame, 0); }},
    {75, "[bg_anime \"OPENING.LAD\" 0 0 0]", "[bg_anime_control2 0 3 0 0]",
     [](Rig& r) { EXPECT_EQ(Front(r).animationState, 1u); }},
    {76, "[bg_anime \"OPENING.LAD\" 0 0 0][bg_anime_control 0 1 0 0]", "[bg_anime_wait 0 0]",
     [](Rig& r) {
       EXPECT_EQ(Front(r).animationState, 0u);
       EXPECT_GT(r.pumps, 10);  // two 100 ms frames
     }},
    // Switches for new sprites.
    {77, "", "[bg_tints 1]", [](Rig& r) { EXPECT_TRUE(r.s.tintsOn); }},
    {78, "", "[sp_order 2]", [](Rig& r) { EXPECT_EQ(r.s.newSpriteOrder, 2); }},
    {94, "", "[sp_auto_colour 1][sp 0 \"ABC01.ELG\" 0 0 0 0]",
     [](Rig& r) { EXPECT_EQ(Sprite(r).colourMode, 1); }},
    // Sprites: number first, the back set and the group last.
    {79, "", "[sp 0 \"ABC01.ELG\" 1 0 1 2]",
     [](Rig& r) {
       const SpriteSlotRecord& slot = r.s.FindSprite(0, 1, 2)->record;
       EXPECT_STREQ(slot.imageName, "ABC01.ELG");
       EXPECT_EQ(slot.characterIndex, 0);
       EXPECT_EQ(slot.x, 320);
     }},
    {80, kSprite, "[sp_image_effects 0 1 0 0 0 0]", [](Rig& r) { EXPECT_EQ(Sprite(r).colourMode, 1); }},
    {81, kSprite, "[sp_state 0 3 0 0]", [](Rig& r) { EXPECT_EQ(Sprite(r).pixelOpStrength, 3); }},
    {82, kSprite, "[sp_move 0 2 0 0 0]", [](Rig& r) { EXPECT_EQ(Sprite(r).x, 960); }},
    {83, kSprite, "[sp_position 0 10 20 0 0]",
     [](Rig& r) {
       EXPECT_EQ(Sprite(r).x, Sprite(r).baseX + 10);
       EXPECT_EQ(Sprite(r).y, Sprite(r).baseY + 20);
     }},
    {84, "[sp 0 \"ABC01.ELG\" 0 0 0 0][sp 1 \"XYZ01.ELG\" 0 0 0 0]", "[sp_back 1 0 0 0]",
     [](Rig& r) { EXPECT_LT(Sprite(r, 1).order, Sprite(r, 0).order); }},
    {85, "[sp 0 \"ABC01.ELG\" 0 0 0 0][sp 1 \"XYZ01.ELG\" 0 0 0 0]", "[sp_front 0 0 0 0]",
     [](Rig& r) { EXPECT_GT(Sprite(r, 0).order, Sprite(r, 1).order); }},
    {86, kSprite, "[sp_clear 0 -1]", [](Rig& r) { EXPECT_TRUE(Sprite(r).IsEmpty()); }},
    // Sprite actions.
    {87, "", "[sp_cfade 0 \"ABC01.ELG\" 1]",
     [](Rig& r) {
       EXPECT_STREQ(Sprite(r).imageName, "ABC01.ELG");
       EXPECT_EQ(Sprite(r).x, 320);
       EXPECT_TRUE(Running(r.s, r.s.FindSprite(0, 0, 0)->action, "sp_cfade"));
     }},
    {88, kSprite, "[sp_panime 0 \"p100,20O77\" 400 1 0 0]",
     [](Rig& r) {
       EXPECT_EQ(Sprite(r).actionKind, SpriteSlotRecord::kPanimeAction);
       EXPECT_EQ(Sprite(r).actionWord, 400);
       EXPECT_EQ(Sprite(r).alpha, 77);
     }},
    {89, kSprite, "[sp_panime_control 0 \"p30,40O90\" 0 0]",
     [](Rig& r) { EXPECT_EQ(r.s.FindSprite(0, 0, 0)->sprite->GetOpacity(), 90); }},
    // Number, name, time, key text, zoom, style, back set, group.
    {90, kSprite, "[sp_change 0 \"XYZ01.ELG\" =0 \"p10,0\" 0 0 0 0]",
     [](Rig& r) {
       EXPECT_STREQ(Sprite(r).imageName, "XYZ01.ELG");
       EXPECT_TRUE(Running(r.s, r.s.FindSprite(0, 0, 0)->action, "sp_change"));
     }},
    {95, kBg, "[release_image \"BG01A.ELG\"]", [](Rig&) {}},
    // Effects off: the table is only recorded.
    {91, kSprite, "[sp_parts_table 0 1 3 0 0]",
     [](Rig& r) {
       EXPECT_EQ(Sprite(r).actionKind, SpriteSlotRecord::kPartsAction);
       EXPECT_EQ(Sprite(r).actionWord, 3);
     },
     false, true},
    {92, "[sp_cfade 0 \"ABC01.ELG\" 1 100]", "[wait_sp 0 0 0 0]",
     [](Rig& r) {
       EXPECT_TRUE(r.s.FindSprite(0, 0, 0)->action.Empty());
       EXPECT_GE(r.pumps, 6);
     }},
    {93, "[sp 0 \"ABC01.ELG\" 0 0 0 0][sp_panime 0 \"p100,20\" 400 1 0 0]", "[sp_stop 0 1 0 0]",
     [](Rig& r) {
       EXPECT_FALSE(r.s.HolderRunning(r.s.FindSprite(0, 0, 0)->action));
       EXPECT_EQ(Sprite(r).actionKind, SpriteSlotRecord::kNoAction);
     }},
    // The back set and quakes.
    {98, kBg, "[prepare_back]", [](Rig& r) { EXPECT_STREQ(r.s.GetLayer(1).record.imageName, "BG01A.ELG"); }},
    {116, kBg, "[quake 4 4 4 1 200 0 1 1 0 0]", [](Rig& r) { EXPECT_TRUE(r.s.HolderRunning(r.s.GetLayer(0).quake)); }},
    {117, kBg, "[quake2 4 4 4 1 200 0 1 1 1 0]",
     [](Rig& r) { EXPECT_TRUE(r.s.HolderRunning(r.s.GetLayer(1).quake)); }},
    {118, "[quake 4 4 4 1 200 0 1 1 0 0]", "[wait_quake 0 0]",
     [](Rig& r) {
       EXPECT_TRUE(r.s.GetLayer(0).quake.Empty());
       EXPECT_GE(r.pumps, 12);
     }},
    {119, "[quake 4 4 4 1 200 0 1 1 0 0]", "[stop_quake 0]",
     [](Rig& r) { EXPECT_FALSE(r.s.HolderRunning(r.s.GetLayer(0).quake)); }},
};

TEST_F(WiredRowsTest, EachRowReachesItsOperation) {
  for (const WiredRow& row : kRows) {
    SCOPED_TRACE(::testing::PrintToString(row));
    settings_[kSettingEffects] = row.effectsOff ? 0 : 1;
    TgsFrame& frame = StartFrame();
    // Opcode 15 marks where the row's block starts.
    int pumpsBefore = 0;
    frame.Opcodes().Register(15, [&](TgsFrame& f, const TgsArguments&) {
      f.SetSkipByKey(row.skipMode);
      pumpsBefore = fixture_.pumps;
      return 0;
    });
    const int32_t result = PlayText(std::string(row.before) + "[15]" + row.block);
    EXPECT_EQ(result, 0);
    Rig rig{frame, *frame.Layers(), frame.WindowState(), fixture_.pumps - pumpsBefore, lastPage_};
    row.check(rig);
    frame.SetSkipByKey(false);
    frame.EndRun();
    timers_.Clear();
  }
}

// A message window's own actions end in their end state when the window is
// cleared, or when the frame lets them go.
TEST_F(WiredRowsTest, WindowActionsEndWithTheirWindow) {
  TgsFrame& frame = StartFrame();
  ASSERT_EQ(frame.Layers()->LoadLayerImage("BG01A.ELG", 0), 0);
  MessageWindowState& window = frame.WindowState();
  auto hold = [&](size_t k) {
    EXPECT_EQ(frame.Layers()->StartBgZoom(0, 640, 360, "2.0", nullptr, 100000), 0);
    TgsLayerSets& s = *frame.Layers();
    LayerAction* action = s.ActionOf(s.GetLayer(0).effect);
    s.GetLayer(0).effect.Clear();  // the window holds it now
    window.Record().actions[k] = action;
    action->SetOwnerSlot(&window.Record().actions[k]);
    return action->Handle();
  };
  auto listed = [&](uint32_t handle) {
    for (TimedTask* task : timers_.Tasks())
      if (task && task->Handle() == handle && !task->IsFinished()) return true;
    return false;
  };
  const uint32_t first = hold(0);
  const uint32_t second = hold(1);
  EXPECT_EQ(frame.ReleaseWindowActions(1), 1);  // there is one window
  EXPECT_TRUE(listed(first));
  EXPECT_EQ(frame.ReleaseWindowActions(-1), 0);
  EXPECT_FALSE(listed(first));
  EXPECT_FALSE(listed(second));
  EXPECT_EQ(window.Record().actions[0], nullptr);
  // Clearing the window lets its actions go too.
  const uint32_t third = hold(0);
  EXPECT_EQ(window.ClearMessageWindow(0), 0);
  EXPECT_FALSE(listed(third));
  EXPECT_EQ(window.Record().actions[0], nullptr);
  frame.EndRun();
  timers_.Clear();
}

// Where the rows put the defaults of omitted arguments: each at the
// position of the value it stands for in the operation's arguments.
TEST(WiredRowDefaults, DefaultsStandWhereTheirValuesGo) {
  const std::map<uint32_t, std::vector<std::pair<uint8_t, int32_t>>> expected = {
      {45, {{0, 640}, {1, 360}}},              // centre x, y; then the zoom text and the layer
      {47, {{1, 640}, {2, 360}, {5, 1000}}},   // layer, x, y, zoom text, curve text, time
      {48, {{6, 1000}}},                       // layer, angle, scale, x, y, curve text, time
      {49, {{2, 1000}}},                       // layer, path, segment time
      {51, {{1, 640}, {2, 360}, {3, 1000}}},   // layer, x, y, time
      {52, {{2, 1000}}},                       // layer, point list, time
      {57, {{1, 640}, {2, 360}}},              // layer, x, y
      {90, {{2, 500}}},                        // number, name, time
      {87, {{3, 300}}},                        // number, name, place, time
      {88, {{2, 500}}},                        // number, path, speed
      {112, {{3, 300}}},                       // number, name, place, time, group
      {113, {{1, 300}}},                       // group, time, rule, edge
      {122, {{1, 300}}},                       // show, time, with bar
  };
  for (const auto& [opcode, defaults] : expected) {
    const TgsOpcodeRow& row = TgsOpcodeRows()[opcode - TgsOpcodeTable::kFirstHandled];
    ASSERT_EQ(row.defaultCount, defaults.size()) << opcode;
    for (size_t d = 0; d < defaults.size(); ++d) {
      EXPECT_EQ(row.defaults[d].argument, defaults[d].first) << opcode;
      EXPECT_EQ(row.defaults[d].value, defaults[d].second) << opcode;
    }
  }
}

}  // namespace
}  // namespace orrivel
