#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <functional>
#include <map>
#include <memory>

#include "SobAssembler.h"
#include "base/SubtractiveRandom.h"
#include "natives/NativeHarness.h"

namespace orrivel {
namespace {

using testing::Arg;
using testing::NativeHarness;

// The shared generator written independently, in 64-bit arithmetic reduced to
// 32 bits after every subtraction, one table refill at a time as the draws
// need them.
class WrappingReference {
 public:
  explicit WrappingReference(uint32_t seed) {
    auto wrap = [](int64_t v) { return int64_t(int32_t(uint32_t(uint64_t(v)))); };
    auto sub = [&](int64_t a, int64_t b) {
      int64_t d = wrap(a - b);
      return d < 0 ? wrap(d + 1000000000) : d;
    };
    sub_ = sub;
    t_[55] = int32_t(seed);
    int64_t mj = t_[55], mk = 1;
    for (int i = 1; i <= 54; ++i) {
      const int ii = (21 * i) % 55;
      t_[ii] = mk;
      mk = sub(mj, mk);
      mj = t_[ii];
    }
    for (int k = 0; k < 4; ++k) Pass();
  }
  uint32_t Draw(uint32_t n) {
    if (++index_ >= 56) {
      Pass();
      index_ = 1;
    }
    return uint32_t(int32_t(t_[index_])) % n;
  }

 private:
  void Pass() {
    for (int i = 1; i <= 24; ++i) t_[i] = sub_(t_[i], t_[i + 31]);
    for (int i = 25; i <= 55; ++i) t_[i] = sub_(t_[i], t_[i - 24]);
  }
  std::function<int64_t(int64_t, int64_t)> sub_;
  int64_t t_[56] = {};
  int index_ = 55;
};

TEST(SharedRandomNatives, DrawsEqualTheReferenceForEdgeSeeds) {
  NativeHarness harness;
  for (uint32_t seed : {0u, 1u, 0x80000005u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(seed);
    harness.Call("SeedSharedRandom", {Arg::Int(seed)});
    WrappingReference reference(seed);
    // The first draw after seeding refreshes the whole table.
    EXPECT_EQ(SharedRandom().Index(), 55);
    for (int i = 0; i < 120; ++i) {
      const uint32_t modulus = i % 2 ? 1000 : 0x7FFFFFFF;
      ASSERT_EQ(harness.Call("RandomShared", {Arg::Int(modulus)}).result, reference.Draw(modulus)) << i;
    }
  }
}

TEST(SharedRandomNatives, ModulusZeroAnswersZeroWithoutDrawing) {
  NativeHarness harness;
  harness.Call("SeedSharedRandom", {Arg::Int(7)});
  EXPECT_EQ(harness.Call("RandomShared", {Arg::Int(0)}).result, 0u);
  EXPECT_EQ(SharedRandom().Index(), 55);
  WrappingReference reference(7);
  EXPECT_EQ(harness.Call("RandomShared", {Arg::Int(100)}).result, reference.Draw(100));
}

TEST(SharedRandomNatives, HostsBuiltWithTheSameTickDrawTheSameSequence) {
  auto sequence = [](uint32_t tick) {
    GameHostSetup setup;
    setup.seed = tick;
    ScriptRequestState state;
    setup.state = &state;
    GameScriptHost host(setup);
    std::vector<int32_t> draws;
    for (int i = 0; i < 70; ++i) draws.push_back(SharedRandom().Next());
    return draws;
  };
  EXPECT_EQ(sequence(123456789), sequence(123456789));
  EXPECT_NE(sequence(123456789), sequence(123456790));
}

// A host over a tiny project whose MAIN yields at once; "MAIN" can be made
// to fail by removing it.
struct InterruptFixture {
  ScriptRequestState state;
  std::map<std::string, std::vector<uint8_t>> files;
  std::vector<std::string> calls;
  std::unique_ptr<GameScriptHost> host;
  GameScriptHost* raw = nullptr;  // still reachable while the host goes

  InterruptFixture() {
    sob::Project project;
    std::string error;
    EXPECT_TRUE(sob::Assemble("scene MAIN\nloop:\n  yield\n  jmp @loop\nscene OTHER\n  yield\n", project, error))
        << error;
    for (auto& [name, bytes] : sob::ProjectFiles(project)) files["SCRIPT\\" + name] = bytes;
    GameHostSetup setup;
    setup.state = &state;
    setup.logSink = [](const std::string&) {};
    setup.hooks.closePacingNestings = [this] { calls.push_back("close nestings"); };
    setup.hooks.removeConfirmTask = [this] { calls.push_back("confirm task"); };
    setup.hooks.deleteFrame = [this] { calls.push_back("frame"); };
    setup.hooks.clearControls = [this] {
      calls.push_back("controls");
      // The blocks are still held while the controls go.
      calls.push_back("blocks " + std::to_string(raw->MemoryBlocks().size()));
    };
    setup.hooks.initConfirmBox = [this] { calls.push_back("init confirm box"); };
    host = std::make_unique<GameScriptHost>(setup);
    raw = host.get();
    host->SetFileReader([this](const std::string& path) -> ScriptFileBytes {
      auto it = files.find(path);
      if (it == files.end()) return std::nullopt;
      return it->second;
    });
    EXPECT_EQ(host->LoadSystem("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true, true),
              0);
  }
  uint32_t BootFlag() {
    uint32_t value = 0;
    host->Space().Read32(host->BootFlagAddress(), value);
    return value;
  }
};

TEST(GameScriptHost, StartMainInterruptRestartsMainAndClosesTheNestings) {
  InterruptFixture f;
  EXPECT_EQ(f.calls, (std::vector<std::string>{"init confirm box"}));
  ASSERT_EQ(f.host->LoadScriptFile("OTHER", nullptr), 0);
  EXPECT_EQ(f.host->StartMainInterrupt(true), 0);
  EXPECT_EQ(f.BootFlag(), 1u);
  EXPECT_EQ(f.host->Modules().size(), 1u);
  EXPECT_EQ(f.host->Step(), ScriptHost::kStepYielded);
  EXPECT_EQ(f.host->StartMainInterrupt(false), 0);
  EXPECT_EQ(int32_t(f.BootFlag()), -1);
  EXPECT_EQ(f.calls.size(), 3u);

  f.files.erase("SCRIPT\\MAIN.SOB");
  f.calls.clear();
  EXPECT_EQ(f.host->StartMainInterrupt(true), 1);
  EXPECT_TRUE(f.calls.empty());  // the nestings stay as they are
}

TEST(GameScriptHost, TeardownDeletesTheFrameFirstThenControlsThenBlocks) {
  InterruptFixture f;
  const uint32_t block = f.host->Space().Allocate(64);
  f.host->MemoryBlocks().insert(block);
  f.calls.clear();
  f.host.reset();
  EXPECT_EQ(f.calls, (std::vector<std::string>{"confirm task", "frame", "controls", "blocks 1"}));
}

TEST(GameScriptHost, HostStringsStayAtTheirAddressWhileTheyFit) {
  InterruptFixture f;
  const uint32_t first = f.host->HostString("base folder", "C:\\GAME\\");
  ASSERT_NE(first, 0u);
  EXPECT_EQ(f.host->HostString("base folder", "D:\\"), first);
  std::string text;
  ASSERT_TRUE(f.host->Space().ReadString(first, text));
  EXPECT_EQ(text, "D:\\");
  const uint32_t grown = f.host->HostString("base folder", std::string(300, 'x'));
  ASSERT_NE(grown, 0u);
  EXPECT_EQ(f.host->Space().LiveBytesAt(first) == 0 || grown == first, true);
  ASSERT_TRUE(f.host->Space().ReadString(grown, text));
  EXPECT_EQ(text.size(), 300u);
  EXPECT_NE(f.host->HostString("voice name", "A"), grown);
}

}  // namespace
}  // namespace orrivel
