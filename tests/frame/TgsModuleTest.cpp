#include <gtest/gtest.h>

#include "TgsTestSupport.h"

namespace orrivel {
namespace {

using tob::Label;

TEST(TgsModuleLoad, MagicsAndResumeTables) {
  TgsFixture f;
  f.AddModule("ONE", "abcdef", {{"L", 2}}, {1, 3}, true);
  f.AddModule("ZERO", "abcdef", {{"L", 2}}, {1, 3}, false);
  std::vector<uint8_t> bad = f.disk.files["SCRIPT\\ONE.TOB"];
  bad[3] = '2';
  f.disk.Put("SCRIPT\\BAD.TOB", bad);

  EXPECT_EQ(f.module.LoadScript("BAD", TgsModule::Placement::kRun), 2);
  EXPECT_EQ(f.module.LoadScriptByName("BAD"), 3);
  EXPECT_EQ(f.module.LoadScriptByName("MISSING"), 2);
  EXPECT_EQ(f.module.RunStackSize(), 0u);

  // The two magics play alike; only "TOB1" answers resume points.
  for (const char* name : {"ONE", "ZERO"}) {
    f.module.Unload();
    ASSERT_EQ(f.module.LoadScriptByName(name), 0) << name;
    EXPECT_EQ(f.module.CurrentIndex(), -1);
    EXPECT_EQ(f.Offset(f.module.ReadPosition()), 0);
    EXPECT_EQ(f.Offset(f.module.Jump(std::nullopt, "L", 0)), 2);
    EXPECT_EQ(f.module.GetResumePoint(1), std::string(name) == "ONE" ? 3 : -1);
    EXPECT_EQ(f.module.GetResumePoint(2), -1);
  }
  EXPECT_EQ(f.module.LoadScriptByName("ONE"), 1);  // the run stack is taken
}

TEST(TgsModuleLoad, NamesAndLabels) {
  TgsFixture f;
  f.AddTable({{"MAIN", 4, 0}, {"SUB", 2, 0}});
  f.AddModule("MAIN", "0123456789", {{"LABEL", 1}, {"LAB", 2}, {"TWICE", 3}, {"TWICE", 4}});
  f.AddModule("SUB", "sub");
  f.AddModule("OTHER", "x");

  ASSERT_EQ(f.module.LoadScriptByName("main"), 0);  // finds "MAIN" of the table
  EXPECT_EQ(f.module.CurrentEntryIndex(), 0);
  EXPECT_EQ(f.module.LoadScript("other", TgsModule::Placement::kResident), 3);  // not in the table

  const TgsLoadedModule& main = *f.module.CurrentModule();
  EXPECT_EQ(TgsModule::LookupLabel(f.space, main, "LABEL"), 1);
  EXPECT_EQ(TgsModule::LookupLabel(f.space, main, "LA"), -1);     // a prefix is not a match
  EXPECT_EQ(TgsModule::LookupLabel(f.space, main, "LABELS"), -1);
  EXPECT_EQ(TgsModule::LookupLabel(f.space, main, "TWICE"), 3);   // the first wins
  EXPECT_EQ(f.module.Jump(std::nullopt, "NONE", 0), 0u);

  // Resident modules match without case; the entry follows the current module.
  ASSERT_EQ(f.module.PreloadScript("Sub"), 0);
  ASSERT_NE(f.module.FindScript("SUB"), nullptr);
  EXPECT_EQ(f.module.CurrentIndex(), 0);
  EXPECT_EQ(f.module.CurrentEntryIndex(), 1);
  EXPECT_EQ(f.module.RunStackSize(), 1u);
}

TEST(TgsModuleLoad, NewTableWhileModulesAreLoaded) {
  TgsFixture f;
  f.AddTable({{"A", 1, 0}, {"B", 1, 0}, {"C", 4, 0}});
  for (const char* name : {"A", "B", "C"}) f.AddModule(name, name);
  ASSERT_EQ(f.module.LoadScriptByName("A"), 0);
  ASSERT_EQ(f.module.PreloadScript("C"), 0);
  // A smaller table: C's old entry 2 is gone, it is now entry 0.
  f.disk.Put("SCRIPT\\SMALL.DAT", tob::WriteScriptTable({{"C", 8, 0}}));
  ASSERT_EQ(f.module.LoadInit("SMALL.DAT"), 0);
  EXPECT_EQ(f.module.CurrentEntryIndex(), -1);
  EXPECT_EQ(f.module.MarkMessageRead(0), -1);
  ASSERT_NE(f.module.FindScript("C"), nullptr);
  EXPECT_EQ(f.module.CurrentEntryIndex(), 0);
  EXPECT_EQ(f.module.MarkMessageRead(7), 0);
  EXPECT_EQ(f.module.CountReadMessages("C"), 1u);
}

TEST(TgsModuleCalls, ReturnOffsets) {
  struct Case {
    int32_t offset;
    int64_t expected;  // text offset after the return
  } cases[] = {{0, 7}, {-1, 0}, {5, 5}};
  for (const Case& c : cases) {
    TgsFixture f;
    f.AddModule("MAIN", "0123456789", {{"SUBR", 8}});
    ASSERT_EQ(f.module.LoadScriptByName("MAIN"), 0);
    f.module.SetReadPosition(f.module.CurrentModule()->TextStart() + 7);
    EXPECT_EQ(f.Offset(f.module.Call(std::nullopt, "SUBR", 0)), 8);
    ASSERT_EQ(f.module.CallStack().size(), 1u);
    EXPECT_EQ(f.module.CallStack()[0].moduleIndex, TgsModule::kSameModule);
    const TgsLoadedModule* before = f.module.CurrentModule();
    EXPECT_EQ(f.Offset(f.module.Return(std::nullopt, std::nullopt, c.offset)), c.expected) << c.offset;
    EXPECT_EQ(f.module.CurrentModule(), before);
    EXPECT_EQ(f.module.Return(std::nullopt, std::nullopt, 0), 0u);  // empty call stack
  }
}

TEST(TgsModuleCalls, BetweenModules) {
  TgsFixture f;
  f.AddModule("MAIN", "main text", {{"M", 5}});
  f.AddModule("SUB", "sub text", {{"S", 4}});
  f.AddModule("RES", "resident");
  ASSERT_EQ(f.module.LoadScriptByName("MAIN"), 0);
  ASSERT_EQ(f.module.PreloadScript("RES"), 0);
  f.module.SetReadPosition(f.module.CurrentModule()->TextStart() + 2);

  // A call into a module that is not resident loads it onto the run stack.
  EXPECT_EQ(f.Offset(f.module.Call("SUB", "S", 0)), 4);
  EXPECT_EQ(f.CurrentName(), "SUB");
  EXPECT_EQ(f.module.RunStackSize(), 2u);
  EXPECT_EQ(f.module.CallStack().back().moduleIndex, -1);
  // A call into the resident module, then back twice.
  f.module.SetReadPosition(f.module.CurrentModule()->TextStart() + 6);
  EXPECT_EQ(f.Offset(f.module.Call("res", std::nullopt, 3)), 3);
  EXPECT_EQ(f.module.CurrentIndex(), 0);
  EXPECT_EQ(f.Offset(f.module.Return(std::nullopt, std::nullopt, 0)), 6);
  EXPECT_EQ(f.CurrentName(), "SUB");
  EXPECT_EQ(f.Offset(f.module.Return(std::nullopt, std::nullopt, 0)), 2);
  EXPECT_EQ(f.CurrentName(), "MAIN");
  EXPECT_EQ(f.module.RunStackSize(), 1u);

  // A jump drops the current run module and loads the target in its place.
  EXPECT_EQ(f.Offset(f.module.Jump("SUB", std::nullopt, 1)), 1);
  EXPECT_EQ(f.CurrentName(), "SUB");
  EXPECT_EQ(f.module.RunStackSize(), 1u);
  // A call whose module cannot load fails and keeps its frame.
  EXPECT_EQ(f.module.Call("NOWHERE", std::nullopt, 0), 0u);
  EXPECT_EQ(f.module.CallStack().size(), 1u);
  // Offsets outside the text are refused instead of pointing past it.
  EXPECT_EQ(f.module.Jump(std::nullopt, std::nullopt, 1000), 0u);
}

TEST(TgsModuleCalls, CallStackLimit) {
  TgsFixture f;
  f.AddModule("MAIN", "text");
  ASSERT_EQ(f.module.LoadScriptByName("MAIN"), 0);
  for (uint32_t i = 0; i < TgsModule::kCallDepth; ++i) ASSERT_NE(f.module.Call(std::nullopt, std::nullopt, 1), 0u);
  EXPECT_EQ(f.module.Call(std::nullopt, std::nullopt, 1), 0u);
  EXPECT_EQ(f.module.CallStack().size(), TgsModule::kCallDepth);
}

TEST(TgsModuleUnload, ResidentModules) {
  TgsFixture f;
  f.AddModule("MAIN", "main");
  for (const char* name : {"R0", "R1", "R2", "R3"}) f.AddModule(name, name);
  ASSERT_EQ(f.module.LoadScriptByName("MAIN"), 0);
  EXPECT_EQ(f.module.UnloadScript(std::nullopt), 1);
  for (const char* name : {"R0", "R1", "R2", "R3"}) ASSERT_EQ(f.module.PreloadScript(name), 0);
  EXPECT_EQ(f.module.UnloadScript("R9"), 2);

  // MAIN calls R2, which calls itself: frames hold -1 and 2, R2 is current.
  ASSERT_NE(f.module.Call("R2", std::nullopt, 0), 0u);
  ASSERT_NE(f.module.Call("R2", std::nullopt, 0), 0u);
  EXPECT_EQ(f.module.UnloadScript("r2"), 3);  // current and named by a frame
  EXPECT_EQ(f.module.UnloadScript("R0"), 0);
  EXPECT_EQ(f.module.CallStack()[1].moduleIndex, 1);
  EXPECT_EQ(f.module.CurrentIndex(), 1);
  EXPECT_EQ(f.CurrentName(), "R2");
  EXPECT_EQ(f.module.UnloadScript(std::nullopt), 0);  // the last one, R3
  EXPECT_EQ(f.module.ResidentCount(), 2u);
  f.module.SetReadPosition(f.module.CurrentModule()->TextStart());
  // The saved state names the module that is really current.
  std::vector<uint8_t> state(f.module.GetStateSize());
  ByteWriter out(state.data(), state.size());
  ASSERT_EQ(f.module.SaveState(out), 0);
  f.module.Unload();
  SobCursor in(state.data(), state.size());
  ASSERT_EQ(f.module.LoadState(in), 0);
  EXPECT_EQ(f.CurrentName(), "R2");
  // Named only by a frame, no longer current: still in use.
  ASSERT_NE(f.module.Call("MAIN", std::nullopt, 0), 0u);
  EXPECT_EQ(f.CurrentName(), "MAIN");
  EXPECT_EQ(f.module.UnloadScript("R2"), 3);
  EXPECT_EQ(f.module.UnloadScript("R1"), 0);
  EXPECT_EQ(f.module.CallStack().back().moduleIndex, 0);
}

TEST(TgsModuleReadFlags, WithoutScriptTable) {
  TgsFixture f;
  f.AddModule("MAIN", "text");
  ASSERT_EQ(f.module.LoadScriptByName("MAIN"), 0);
  EXPECT_EQ(f.module.CurrentModule()->scriptIndex, -1);
  EXPECT_FALSE(f.module.IsMessageRead(0));
  EXPECT_EQ(f.module.MarkMessageRead(0), -1);
  EXPECT_EQ(f.module.LoadReadFlags("TEXT_LOG.DAT"), 0);
  EXPECT_EQ(f.module.SaveReadFlags("TEXT_LOG.DAT"), 2);
  EXPECT_EQ(f.module.CountMessages(std::nullopt), 0u);
  EXPECT_FALSE(f.module.AllMessagesRead(std::nullopt));
}

TEST(TgsModuleReadFlags, MarkAndCount) {
  TgsFixture f;
  f.AddTable({{"MAIN", 3, 2}, {"SUB", 2, 0}});
  f.AddModule("MAIN", "text");
  ASSERT_EQ(f.module.LoadScriptByName("MAIN"), 0);
  EXPECT_EQ(f.module.MarkMessageRead(1), 0);
  EXPECT_EQ(f.module.MarkMessageRead(3), 2);  // outside the array
  EXPECT_TRUE(f.module.IsMessageRead(1));
  EXPECT_FALSE(f.module.IsMessageRead(3));
  EXPECT_FALSE(f.module.IsMessageRead(-1));
  EXPECT_EQ(f.module.CountMessages(std::nullopt), 5u);
  EXPECT_EQ(f.module.CountMessages("main"), 3u);
  EXPECT_EQ(f.module.CountMessages("NONE"), 0u);
  EXPECT_EQ(f.module.CountReadMessages("Main"), 1u);
  f.module.MarkMessageRead(0);
  f.module.MarkMessageRead(2);
  EXPECT_TRUE(f.module.AllMessagesRead("MAIN"));
  EXPECT_FALSE(f.module.AllMessagesRead(std::nullopt));
}

// Saved state: its size, a round trip, and states that do not hold together.
class TgsModuleState : public ::testing::Test {
 protected:
  TgsFixture f;
  void SetUp() override {
    f.AddModule("MAIN", "main text here", {{"M", 3}});
    f.AddModule("SUB", "sub text");
    f.AddModule("RES", "resident text");
    ASSERT_EQ(f.module.LoadScriptByName("MAIN"), 0);
  }
  std::vector<uint8_t> Save() {
    std::vector<uint8_t> state(f.module.GetStateSize() + 16, 0xEE);
    ByteWriter out(state.data(), state.size());
    EXPECT_EQ(f.module.SaveState(out), 0);
    EXPECT_EQ(out.Position(), f.module.GetStateSize());
    state.resize(out.Position());
    return state;
  }
};

TEST_F(TgsModuleState, SizeMatchesWhatIsWritten) {
  Save();  // depth 0
  ASSERT_NE(f.module.Call(std::nullopt, std::nullopt, 1), 0u);
  Save();  // depth 1
  for (uint32_t i = 1; i < TgsModule::kCallDepth; ++i) ASSERT_NE(f.module.Call(std::nullopt, std::nullopt, 1), 0u);
  ASSERT_EQ(f.module.PreloadScript("RES"), 0);
  Save();  // depth 128 with a resident module
  std::vector<uint8_t> tooSmall(f.module.GetStateSize() - 1);
  ByteWriter small(tooSmall.data(), tooSmall.size());
  EXPECT_EQ(f.module.SaveState(small), 1);
  ByteWriter none(nullptr, 0);
  EXPECT_EQ(f.module.SaveState(none), 1);
}

TEST_F(TgsModuleState, RoundTrip) {
  ASSERT_EQ(f.module.PreloadScript("RES"), 0);
  f.module.SetReadPosition(f.module.CurrentModule()->TextStart() + 4);
  f.module.SetReadPosition(f.module.Call("SUB", std::nullopt, 2));
  ASSERT_NE(f.module.ReadPosition(), 0u);
  f.module.SetReadPosition(f.module.Call("RES", std::nullopt, 5));
  ASSERT_NE(f.module.ReadPosition(), 0u);
  const std::vector<uint8_t> state = Save();
  const std::vector<TgsCallFrame> frames = f.module.CallStack();

  TgsFixture g;
  g.disk = f.disk;
  SobCursor in(state.data(), state.size());
  ASSERT_EQ(g.module.LoadState(in), 0);
  EXPECT_EQ(in.Remaining(), 0u);
  EXPECT_EQ(g.module.RunStackSize(), 2u);
  EXPECT_EQ(g.module.ResidentCount(), 1u);
  EXPECT_EQ(g.module.CurrentIndex(), 0);
  EXPECT_EQ(g.CurrentName(), "RES");
  EXPECT_EQ(g.Offset(g.module.ReadPosition()), 5);
  ASSERT_EQ(g.module.CallStack().size(), frames.size());
  for (size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(g.module.CallStack()[i].moduleIndex, frames[i].moduleIndex);
    EXPECT_EQ(g.module.CallStack()[i].offset, frames[i].offset);
  }
  EXPECT_EQ(g.Offset(g.module.Return(std::nullopt, std::nullopt, 0)), 2);
  EXPECT_EQ(g.CurrentName(), "SUB");
  EXPECT_EQ(g.Offset(g.module.Return(std::nullopt, std::nullopt, 0)), 4);
  EXPECT_EQ(g.CurrentName(), "MAIN");
}

TEST_F(TgsModuleState, RefusedStates) {
  ASSERT_NE(f.module.Call(std::nullopt, std::nullopt, 1), 0u);
  const std::vector<uint8_t> state = Save();
  // Layout here: run count, "MAIN", resident count, depth, one frame, index, offset.
  const size_t depthAt = 4 + 2 + 5 + 4;
  const size_t offsetAt = state.size() - 4;
  auto patched = [&](size_t at, uint32_t value) {
    std::vector<uint8_t> copy = state;
    for (int b = 0; b < 4; ++b) copy[at + b] = uint8_t(value >> (8 * b));
    return copy;
  };
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    int32_t code;
  } cases[] = {
      {"more frames than the stack holds", patched(depthAt, 129), 3},
      {"read position past the text", patched(offsetAt, 15), 3},
      {"resident index that is not there", patched(offsetAt - 4, 0), 3},
      {"frame naming a missing module", patched(depthAt + 4, 3), 3},
      {"cut", std::vector<uint8_t>(state.begin(), state.end() - 1), 3},
      {"module that is gone", patched(6, 0x4E4F4E), 2},  // "MAIN" becomes "NON"
  };
  for (const Case& c : cases) {
    TgsFixture g;
    g.disk = f.disk;
    ASSERT_EQ(g.module.LoadScriptByName("SUB"), 0);
    SobCursor in(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(g.module.LoadState(in), c.code) << c.what;
    EXPECT_EQ(g.CurrentName(), "SUB") << c.what;  // nothing changed
    EXPECT_EQ(g.module.RunStackSize(), 1u) << c.what;
  }
  SobCursor empty(nullptr, 0);
  EXPECT_EQ(f.module.LoadState(empty), 1);
}

}  // namespace
}  // namespace orrivel
