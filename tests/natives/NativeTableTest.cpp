#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "natives/NativeCatalog.h"
#include "natives/NativeHarness.h"

namespace orrivel {
namespace {

using testing::Arg;
using testing::NativeHarness;

TEST(NativeTable, ScriptNumbersPutTheHostsThreeBeforeTheGameList) {
  EXPECT_EQ(kScriptNativeCount, 809u);
  EXPECT_STREQ(ScriptNativeName(0), "CallScene");
  EXPECT_STREQ(ScriptNativeName(1), "JumpScene");
  EXPECT_STREQ(ScriptNativeName(2), "EndScripts");
  EXPECT_EQ(ScriptNativeName(809), nullptr);
  ASSERT_EQ(GameNatives().size(), 806u);
  for (const NativeEntry& entry : GameNatives()) {
    EXPECT_STREQ(ScriptNativeName(entry.number + 3), entry.name) << entry.number;
    const NativeEntry* found = FindGameNative(entry.name);
    ASSERT_NE(found, nullptr);
    // Only the shared functions repeat a name.
    if (found->number != entry.number) {
      EXPECT_TRUE(std::strcmp(entry.name, "Nop") == 0 || entry.number == 619);
    }
  }
  // Rows the scripts are linked against.
  EXPECT_STREQ(GameNative(56).name, "StrCopy");
  EXPECT_STREQ(GameNative(81).name, "RandomShared");
  EXPECT_STREQ(GameNative(790).name, "NativeRunTgsScript");
  EXPECT_EQ(ScriptNativeByName("RandomShared"), 84u);
  EXPECT_EQ(ScriptNativeByName("JumpScene"), 1u);
  EXPECT_EQ(ScriptNativeByName("NoSuchNative"), std::nullopt);
}

TEST(NativeTable, SharedFunctionsSitAtTheirNumbers) {
  const std::set<uint32_t> noOps = {34, 52, 53, 792, 797, 798};
  for (const NativeEntry& entry : GameNatives()) {
    EXPECT_EQ(entry.family == NativeFamily::NoOperation, noOps.count(entry.number) == 1) << entry.number;
  }
  for (uint32_t n : noOps) {
    std::span<const uint16_t> shared = SharedNumbers(n);
    EXPECT_EQ(std::set<uint32_t>(shared.begin(), shared.end()), noOps);
  }
  std::span<const uint16_t> sound = SharedNumbers(619);
  EXPECT_EQ(std::set<uint32_t>(sound.begin(), sound.end()), (std::set<uint32_t>{436, 619}));
  EXPECT_EQ(SharedNumbers(81).size(), 1u);
  EXPECT_STREQ(GameNative(436).name, GameNative(619).name);
  EXPECT_EQ(GameNative(436).family, NativeFamily::SoundObjects);
}

TEST(NativeTable, HostRegistersEveryNativeAtItsNumber) {
  GameHostSetup setup;
  ScriptRequestState state;
  setup.state = &state;
  setup.logSink = [](const std::string&) {};
  GameScriptHost host(setup);
  EXPECT_EQ(host.Natives().size(), kScriptNativeCount);
  EXPECT_FALSE(host.IsNotBuilt(34));
  EXPECT_FALSE(host.IsNotBuilt(81));
  EXPECT_EQ(host.IsNotBuilt(436), host.IsNotBuilt(619));
}

TEST(NativeTable, NoOperationAnswersZeroWhateverItIsGiven) {
  NativeHarness harness;
  for (const char* name : {"g34", "g52", "g53", "g792", "g797", "g798", "Nop"}) {
    SCOPED_TRACE(name);
    const auto call = harness.Call(name, {Arg::Int(-1), Arg::Text("stray"), Arg::Absent(), Arg::Int(0x7FFFFFFF)});
    EXPECT_TRUE(call.Ran());
    EXPECT_EQ(call.result, 0u);
    EXPECT_TRUE(call.log.empty());
  }
}

TEST(NativeTable, NotBuiltNativesAnswerMinusOneAndLogTheirNumberOnce) {
  NativeHarness harness;
  harness.Call("Nop", {});
  uint32_t missing = kGameNativeCount;
  for (uint32_t n = 0; n < kGameNativeCount && missing == kGameNativeCount; ++n)
    if (harness.Host().IsNotBuilt(n)) missing = n;
  if (missing == kGameNativeCount) GTEST_SKIP() << "every native is built";
  const std::string name = "g" + std::to_string(missing);
  auto call = harness.Call(name, {Arg::Int(1)});
  EXPECT_TRUE(call.Ran());
  EXPECT_EQ(call.Result(), -1);
  ASSERT_EQ(call.log.size(), 1u);
  EXPECT_NE(call.log[0].find("native " + std::to_string(missing) + " "), std::string::npos) << call.log[0];
  // Twice in one host: still one line.
  NativeArgs args(harness.Host().Space(), nullptr, 0);
  harness.Host().Natives()[ScriptNativeNumber(missing)](args);
  EXPECT_EQ(harness.Host().LogLines().size(), 1u);
}

TEST(NativeTable, NumbersPastTheTableAreRefused) {
  NativeHarness harness;
  EXPECT_EQ(harness.Call("808", {}).step, ScriptHost::kStepYielded);  // the last game native
  // A module naming one does not load...
  EXPECT_EQ(harness.Call("809", {}).loaded, 2);
  // ...and one made at run time ends the step as invalid code.
  const auto forged = harness.Run(R"(scene MAIN
  mov @forged @call.1
call:
  native !g34 @forged @forged
  yield
data
forged: word 0xF8000329
)");
  EXPECT_EQ(forged.loaded, 0);
  EXPECT_EQ(forged.step, ScriptHost::kStepBadScript);
}

}  // namespace
}  // namespace orrivel
