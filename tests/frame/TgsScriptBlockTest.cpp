// Script blocks of a module run on the frame's own machine: scene calls
// come back, jumps are refused, failures show their message and end the
// reading with -1, and a closing program ends a waiting block.
#include <gtest/gtest.h>

#include "TgsFrameTestSupport.h"

namespace orrivel {
namespace {

// A one-line script block calling native `native` with a scene name.
std::string SceneRequest(int native, const char* scene, bool yield) {
  return std::string("[s native !") + std::to_string(native) + " @c @s|" + (yield ? "yield|" : "") +
         "ret|data|s: word 0|c: word @r|r: string \"" + scene + "\"]";
}

struct BlockCase {
  const char* name;
  std::string block;
  int32_t read;
  const char* page;
  const char* message;  // nullptr: no message
  uint32_t visited;
};

TEST(TgsScriptBlocks, RunAndFailAsTheirRequestsSay) {
  const BlockCase cases[] = {
      {"a call comes back", SceneRequest(0, "ROOM", true), 0, "AB", nullptr, 5},
      {"a plain block", "[s mov $n $visited|ret]", 0, "AB", nullptr, 0},
      {"a jump is refused", SceneRequest(1, "ROOM", false), -1, "A", "システムスクリプト中でJump命令は使用できません", 0},
      {"a call that cannot load", SceneRequest(0, "NOPE", true), -1, "A", "Call命令でスクリプトのロードに失敗", 0},
      {"an end request", "[s native !2 @s @s|ret|data|s: word 0]", -1, "A", nullptr, 0},
      {"calls nest at most 64 deep", SceneRequest(0, "DEEP", true), -1, "A", "Call命令でスクリプトのロードに失敗", 0},
  };
  for (const BlockCase& c : cases) {
    FrameFixture f;
    f.AddStory("module T\nA" + c.block + "B\n");
    const size_t modules = f.host.Modules().size();
    EXPECT_EQ(f.Play("T"), c.read) << c.name;
    EXPECT_EQ(f.PageText(), c.page) << c.name;
    EXPECT_EQ(f.Variable("visited"), c.visited) << c.name;
    if (c.message) {
      ASSERT_EQ(f.boxes.shown.size(), 1u) << c.name;
      EXPECT_EQ(f.boxes.shown[0], c.message);
    } else {
      EXPECT_TRUE(f.boxes.shown.empty()) << c.name;
    }
    // Called scenes go back to the host however the block ends.
    EXPECT_EQ(f.host.Modules().size(), modules) << c.name;
    EXPECT_EQ(f.requests.request, c.name == std::string("an end request") ? ScriptRequest::kEnd : ScriptRequest::kNone);
  }
}

TEST(TgsScriptBlocks, ClosingProgramEndsAWaitingBlock) {
  FrameFixture f;
  f.pumpsBeforeClose = 3;
  f.AddStory("module T\nA" + SceneRequest(0, "LOOPER", true) + "B\n");
  EXPECT_EQ(f.Play("T"), -1);
  EXPECT_EQ(f.pumps, 4);
  EXPECT_EQ(f.PageText(), "A");
}

TEST(TgsScriptBlocks, SystemScriptsMayJump) {
  FrameFixture f;
  EXPECT_EQ(f.frame->RunSystemScript("ROOM"), 0);
  EXPECT_EQ(f.Variable("visited"), 5u);
  EXPECT_EQ(f.frame->RunSystemScript("NOPE"), 2);
}

TEST(TgsScriptBlocks, BlockIsBoundOncePerLoad) {
  FrameFixture f;
  f.AddStory("module T\n[s mov $visited @a.1|a: add 0 2 $visited|ret]\n");
  ASSERT_EQ(f.Play("T"), 0);
  f.frame->SetReadPosition(f.frame->CurrentModule()->TextStart());
  ASSERT_EQ(f.frame->ReadText(), 0);
  EXPECT_EQ(f.Variable("visited"), 4u);
}

}  // namespace
}  // namespace orrivel
