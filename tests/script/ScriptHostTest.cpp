#include "script/ScriptHost.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "SobAssembler.h"

namespace orrivel {
namespace {

using sob::Bytes;

// A host whose files come from an assembled project, with native 3
// recording each string it is given.
class HostFixture {
 public:
  explicit HostFixture(const char* text) : host(&state) {
    sob::Project project;
    std::string error;
    EXPECT_TRUE(sob::Assemble(text, project, error)) << error;
    for (auto& [name, bytes] : sob::ProjectFiles(project)) files["SCRIPT\\" + name] = bytes;
    host.SetFileReader([this](const std::string& path) -> ScriptFileBytes {
      auto it = files.find(path);
      if (it == files.end()) return std::nullopt;
      return it->second;
    });
    host.RegisterNative([this](NativeArgs& args) {
      log += args.String(0) + ";";
      return 0u;
    });
    EXPECT_EQ(host.LoadSystem("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true, true), 0);
  }

  ScriptRequestState state;
  ScriptHost host;
  std::map<std::string, Bytes> files;
  std::string log;
};

constexpr const char* kScenes = R"(
library
  ret
scene MAIN
  native !3 @a0 @x
  native !0 @callSub @x
  yield
  native !3 @a1 @x
  yield
  native !1 @jumpEnd @x
  ret
data
x: word 0
a0: word @s0
a1: word @s1
callSub: word @sub
jumpEnd: word @end
s0: string "main"
s1: string "main again"
sub: string "SUB"
end: string "END"
scene SUB
  native !3 @a @x
  ret
data
x: word 0
a: word @s
s: string "sub"
scene END
  native !3 @a @x
  native !2 @a @x
  yield
  native !3 @b @x
  ret
data
x: word 0
a: word @s
b: word @t
s: string "end"
t: string "never"
scene CALLNORET
  native !0 @callSub @x
  ret
data
x: word 0
callSub: word @sub
sub: string "SUB"
scene JUMPYIELD
  native !1 @jumpEnd @x
  yield
data
x: word 0
jumpEnd: word @end
end: string "END"
scene CALLMISSING
  native !0 @callNone @x
  yield
  native !3 @a @x
  ret
data
x: word 0
callNone: word @none
a: word @s
none: string "NONE"
s: string "resumed"
scene JUMPMISSING
  native !1 @jumpNone @x
  ret
data
x: word 0
jumpNone: word @none
none: string "NONE"
scene BAD
  div 1 0 @x
  ret
data
x: word 0
)";

TEST(ScriptHostTest, CallsReturnToTheResumePointAndJumpsReplaceTheScene) {
  HostFixture f(kScenes);
  ASSERT_EQ(f.host.LoadScriptFile("MAIN", nullptr), 0);
  // Step 1: MAIN calls SUB, which ends and returns to MAIN's resume point.
  EXPECT_EQ(f.host.Step(), ScriptHost::kStepYielded);
  EXPECT_EQ(f.log, "main;sub;main again;");
  EXPECT_EQ(f.host.Modules().size(), 2u);  // the library and MAIN; SUB is gone
  EXPECT_EQ(f.state.callDepth, 0u);
  // Step 2: MAIN jumps to END, which asks to end the scripts.
  EXPECT_EQ(f.host.Step(), ScriptHost::kStepEnded);
  EXPECT_EQ(f.log, "main;sub;main again;end;");
  EXPECT_EQ(f.state.request, ScriptRequest::kEnd);
  EXPECT_EQ(f.host.Modules().size(), 2u);
  EXPECT_EQ(f.host.SceneTable().entries[size_t(f.host.CurrentSceneEntry())].SceneName(), "END");
}

TEST(ScriptHostTest, RequestsAtTheWrongMomentAndFailedLoads) {
  struct Case {
    const char* scene;
    int step;
    ScriptRequest requestAfter;
  };
  for (Case c : {Case{"CALLNORET", ScriptHost::kStepBadScript, ScriptRequest::kCall},
                 Case{"JUMPYIELD", ScriptHost::kStepBadScript, ScriptRequest::kJump},
                 Case{"CALLMISSING", ScriptHost::kStepCallFailed, ScriptRequest::kNone},
                 Case{"JUMPMISSING", ScriptHost::kStepJumpFailed, ScriptRequest::kJump},
                 Case{"BAD", ScriptHost::kStepBadScript, ScriptRequest::kNone}}) {
    SCOPED_TRACE(c.scene);
    HostFixture f(kScenes);
    ASSERT_EQ(f.host.LoadScriptFile(c.scene, nullptr), 0);
    uint32_t pc = 0;
    const bool failedCall = c.step == ScriptHost::kStepCallFailed;
    EXPECT_EQ(f.host.Step(), c.step);
    EXPECT_EQ(f.state.request, c.requestAfter);
    if (failedCall) {
      // The caller stays where it yielded and can go on.
      pc = f.host.Machine().ProgramCounter();
      EXPECT_EQ(f.host.Step(), ScriptHost::kStepEnded);
      EXPECT_EQ(f.log, "resumed;");
      EXPECT_NE(pc, 0u);
    }
  }
  HostFixture bad(kScenes);
  ASSERT_EQ(bad.host.LoadScriptFile("BAD", nullptr), 0);
  EXPECT_EQ(bad.host.Step(), ScriptHost::kStepBadScript);
  EXPECT_EQ(bad.host.Machine().Fault(), ScriptFault::kDivideByZero);
}

TEST(ScriptHostTest, ResetKeepsTheLibraryAndLongNamesAreCut) {
  HostFixture f(kScenes);
  ASSERT_EQ(f.host.LoadScriptFile("MAIN", nullptr), 0);
  ASSERT_EQ(f.host.LoadScriptFile("SUB", nullptr), 0);
  f.state.callDepth = 3;
  f.host.ResetScripts(7);
  ASSERT_EQ(f.host.Modules().size(), 1u);
  EXPECT_TRUE(f.host.Modules()[0].isLibrary);
  EXPECT_EQ(f.state.callDepth, 0u);
  EXPECT_EQ(f.host.Machine().StackPointer(), f.host.Machine().StackBase());
  uint32_t boot = 0;
  f.host.Space().Read32(f.host.Externals()[1].address, boot);
  EXPECT_EQ(boot, 7u);
  EXPECT_EQ(f.host.Externals()[1].name, "ScriptBootFlg");
  EXPECT_EQ(f.host.Externals()[2].name, "retAppProc");

  const std::string longName(400, 'A');
  f.state.SetPendingScene(longName.data(), longName.size());
  EXPECT_EQ(std::string(f.state.pendingScene).size(), ScriptRequestState::kSceneNameBytes - 1);
}

constexpr const char* kNesting = R"(
vars
  int hops
library
  ret
scene DEEP
  native !0 @name @x
  yield
  native !3 @back @x
  ret
data
x: word 0
name: word @deep
back: word @s
deep: string "DEEP"
s: string "b"
scene HOP
  inc $hops
  mov $hops @test.1
test:
  lt 0 100 @go.1
go:
  bz 0 @done
  native !1 @name @x
  ret
done:
  native !3 @msg @x
  ret
data
x: word 0
name: word @hop
msg: word @s
hop: string "HOP"
s: string "done"
)";

TEST(ScriptHostTest, CallsNestUntilTheStackIsFullAndJumpsDoNotNest) {
  HostFixture f(kNesting);
  ASSERT_EQ(f.host.LoadScriptFile("DEEP", nullptr), 0);
  ScriptMachine& machine = f.host.Machine();
  // The first scene's sentinel, then per call the caller's resume point and
  // the called scene's sentinel: 8191 calls fill 16383 of the 16384 words.
  const uint32_t deepest = (ScriptContext::kDefaultStackWords - 1) / 2;
  EXPECT_EQ(f.host.Step(), ScriptHost::kStepCallFailed);
  EXPECT_EQ(f.state.callDepth, deepest);
  EXPECT_EQ(f.state.request, ScriptRequest::kNone);
  EXPECT_EQ(f.host.Modules().size(), deepest + 2);  // the library, DEEP and every called copy
  EXPECT_EQ(machine.StackPointer(), machine.StackEnd() - 4);
  // The deepest scene goes on after its yield; every caller returns in turn.
  EXPECT_EQ(f.host.Step(), ScriptHost::kStepEnded);
  EXPECT_EQ(f.log.size(), 2 * (deepest + 1));
  EXPECT_EQ(f.state.callDepth, 0u);
  EXPECT_EQ(f.host.Modules().size(), 2u);
  EXPECT_EQ(machine.StackPointer(), machine.StackBase());

  HostFixture hops(kNesting);
  ASSERT_EQ(hops.host.LoadScriptFile("HOP", nullptr), 0);
  EXPECT_EQ(hops.host.Step(), ScriptHost::kStepEnded);
  EXPECT_EQ(hops.log, "done;");
  uint32_t count = 0;
  hops.host.Space().Read32(hops.host.LiveRecords()[0].address, count);
  EXPECT_EQ(count, 100u);
  EXPECT_EQ(hops.host.Modules().size(), 2u);
  EXPECT_EQ(hops.host.Machine().StackPointer(), hops.host.Machine().StackBase());
}

TEST(ScriptHostTest, SceneNamesTooLongForTheBufferAreRefused) {
  const std::string longName(ScriptRequestState::kSceneNameBytes, 'A');
  const std::string text = std::string(R"(
scene MAIN
  native !0 @name @x
  yield
  ret
data
x: word 0
name: word @long
long: string ")") + longName + "\"\n";
  HostFixture f(text.c_str());
  EXPECT_EQ(f.host.LoadScriptFile(longName.c_str(), nullptr), 1);
  ASSERT_EQ(f.host.LoadScriptFile("MAIN", nullptr), 0);
  EXPECT_EQ(f.host.Step(), ScriptHost::kStepBadScript);
  EXPECT_EQ(f.host.Machine().Fault(), ScriptFault::kNativeFailed);
  EXPECT_EQ(f.state.request, ScriptRequest::kNone);
  EXPECT_EQ(f.state.pendingScene[0], '\0');
}

}  // namespace
}  // namespace orrivel
