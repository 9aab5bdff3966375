// The frame's waits on an injected clock and input: the timed and fixed
// waits, and the wait commands with their chain of waits cut short.
#include <gtest/gtest.h>

#include <array>

#include "TgsFrameTestSupport.h"
#include "platform/Clock.h"

namespace orrivel {
namespace {

constexpr uint8_t kKeyLeftCtrl = 0x1D;
constexpr uint8_t kKeyRightShift = 0x36;
constexpr size_t kSettingSkipKeyIsCtrl = 130;
constexpr size_t kSettingClickCutsWaits = 191;

// A frame whose pump moves the clock on by 10 ms, with settings and input
// the test sets, and opcode 15 turned into a probe of the wait chain.
struct WaitRig {
  platform::ManualClock clock{1000};
  platform::ScopedClock scoped{clock};
  FrameFixture f;
  InputControlHost input;
  std::array<uint8_t, 196> settings{};
  std::vector<uint32_t> chains;

  WaitRig() {
    f.RemakeFrame([this](TgsFrameEnvironment& environment) {
      environment.controls = &input;
      environment.settings = settings;
    });
    f.onPump = [this] { clock.Advance(10); };
    f.frame->Opcodes().Register(15, [this](TgsFrame& frame, const TgsArguments&) {
      chains.push_back(frame.WaitChainCount());
      return 0;
    });
  }
  TgsFrame& Frame() { return *f.frame; }
};

TEST(TgsFrameWaits, TimedAndFixedWaits) {
  const struct {
    const char* name;
    bool fixed;
    bool skippable;
    bool skipMode;
    bool clickSetting;
    bool click;
    bool skipKey;  // Ctrl, with the setting that makes Ctrl the skip key
    int closeAfter;
    int32_t result;
    int pumps;
  } cases[] = {
      {"the time passes", false, true, false, false, false, false, 1000, 0, 11},
      {"skip mode ends it at once", false, true, true, false, false, false, 1000, 1, 0},
      {"the skip key ends it", false, false, false, false, false, true, 1000, 0, 1},
      {"a click with the setting cuts it short", false, true, false, true, true, false, 1000, 1, 1},
      {"a click without the setting does not", false, true, false, false, true, false, 1000, 0, 11},
      {"a click does not cut an unskippable wait", false, false, false, true, true, false, 1000, 0, 11},
      {"the pump closing", false, true, false, false, false, false, 3, -1, 4},
      {"a fixed wait ignores skip and clicks", true, true, true, true, true, true, 1000, 0, 11},
      {"a fixed wait ends when the pump closes", true, false, false, false, false, false, 0, -1, 1},
  };
  for (const auto& c : cases) {
    WaitRig rig;
    rig.settings[kSettingClickCutsWaits] = c.clickSetting;
    rig.settings[kSettingSkipKeyIsCtrl] = 1;
    if (c.click) rig.input.pointer.pressed.insert(0);
    if (c.skipKey) rig.input.keys.down.insert(kKeyLeftCtrl);
    rig.input.keys.down.insert(kKeyRightShift);  // not the skip key with the setting
    rig.Frame().SetSkipBySetting(c.skipMode);
    rig.f.pumpsBeforeClose = c.closeAfter;
    const int32_t result = c.fixed ? rig.Frame().FixedWait(100) : rig.Frame().TimedWait(100, c.skippable);
    EXPECT_EQ(result, c.result) << c.name;
    EXPECT_EQ(rig.f.pumps, c.pumps) << c.name;
  }
}

struct WaitRow {
  uint32_t opcode;
  int skippable;  // the argument that makes it skippable; -1 always
};

void PrintTo(const WaitRow& row, std::ostream* out) { *out << "opcode " << row.opcode; }

class WaitRows : public ::testing::TestWithParam<WaitRow> {
 protected:
  // The command with its skippable argument set as asked.
  static std::string Block(const WaitRow& row, bool skippable) {
    std::string block = "[" + std::to_string(row.opcode);
    for (int k = 0; k < 4; ++k) block += k == row.skippable ? (skippable ? " 1" : " 0") : " 40";
    return block + "]";
  }
  // Makes the wait give `answer` through the timed wait's own input and
  // pump.
  static void Answer(WaitRig& rig, int32_t answer) {
    rig.settings[kSettingClickCutsWaits] = 1;
    if (answer == 1) rig.input.pointer.pressed.insert(0);
    if (answer < 0) rig.f.pumpsBeforeClose = 0;
  }
  // How many frames the waits pumped.
  static int Waits(WaitRig& rig) { return rig.f.pumps; }
};

TEST_P(WaitRows, WaitRunsOrEndsAtOnceInAChain) {
  const WaitRow& row = GetParam();
  const bool canBeUnskippable = row.skippable >= 0;
  {
    // Not cut short: the wait runs and no chain starts.
    WaitRig rig;
    Answer(rig, 0);
    rig.f.AddStory("module T\nA" + Block(row, true) + "[15]B\n");
    EXPECT_EQ(rig.f.Play("T"), 0);
    EXPECT_EQ(rig.f.PageText(), "AB");
    EXPECT_GE(Waits(rig), 1);
    EXPECT_EQ(rig.chains, (std::vector<uint32_t>{0}));
  }
  {
    // A negative result is the program closing.
    WaitRig rig;
    Answer(rig, -1);
    rig.f.AddStory("module T\nA" + Block(row, true) + "B\n");
    EXPECT_EQ(rig.f.Play("T"), -1);
    EXPECT_EQ(rig.f.PageText(), "A");
  }
  {
    // Cut short, then a second skippable wait: it ends its thing at once
    // and the chain grows; a third after another command waits again.
    WaitRig rig;
    Answer(rig, 1);
    rig.f.AddStory("module T\n" + Block(row, true) + Block(row, true) + "[15]" + Block(row, true) + "\n");
    ASSERT_EQ(rig.f.Play("T"), 0);
    EXPECT_EQ(rig.chains, (std::vector<uint32_t>{2}));
    EXPECT_EQ(Waits(rig), 2);
  }
  if (canBeUnskippable) {
    // A wait that may not be skipped runs even inside a chain.
    WaitRig rig;
    Answer(rig, 1);
    rig.f.AddStory("module T\n" + Block(row, true) + Block(row, false) + "\n");
    ASSERT_EQ(rig.f.Play("T"), 0);
    EXPECT_EQ(Waits(rig), 2);
  }
}

// The rule over the frame's own timed wait (the layer, action and
// transition waits are run for real in the wired and transition rows, the
// sound waits in the frame's sound tests).
INSTANTIATE_TEST_SUITE_P(Rows, WaitRows,
                         ::testing::Values(WaitRow{20, -1}),
                         [](const auto& info) { return "opcode" + std::to_string(info.param.opcode); });

}  // namespace
}  // namespace orrivel
