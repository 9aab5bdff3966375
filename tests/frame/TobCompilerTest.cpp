#include "TobCompiler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "TgsTestSupport.h"
#include "frame/TobImage.h"
#include "TestBuildDirs.h"

namespace orrivel {
namespace {

const char* const kStory = R"(# two modules
vars
  int flag
  int count

module main tob1 choices 2
[12 0]Hello, world.[20 1 "あい" $flag[0] _ =7]
label again:
[12 1][1 if $count[1] @done]
[s
  set 1 ext:retTgsExp
  ret
]
[7 "sub_entry" "SUB"][8 if {set 0 ext:retTgsExp | ret} @again]
label done:
[12 2]
module sub tob0 messages 9
label sub_entry:
sub text[9 _]
)";

tob::Story CompileStory() {
  tob::Story story;
  std::string error;
  EXPECT_TRUE(tob::Compile(kStory, story, error)) << error;
  return story;
}

TEST(TobCompiler, CompilesModulesAndTheirTable) {
  const tob::Story story = CompileStory();
  ASSERT_EQ(story.modules.size(), 2u);
  const tob::Module& main = story.modules[0].module;
  EXPECT_TRUE(main.tob1);
  EXPECT_EQ(story.modules[0].messages, 3u);  // computed from the message ids
  EXPECT_EQ(story.modules[0].choices, 2u);
  EXPECT_EQ(story.modules[1].messages, 9u);  // given
  EXPECT_FALSE(story.modules[1].module.tob1);

  // Message 0 is the very first block; its text follows.
  ASSERT_EQ(main.resumePoints.size(), 3u);
  EXPECT_EQ(main.resumePoints[0], 0u);
  tob::Operand none;
  tob::Operand id;
  id.kind = tob::Operand::Kind::kConstant;
  tob::Bytes expected = {'[', ' '};
  tob::AppendBytes(expected, tob::InlineBlock(12, none, {id}));
  ASSERT_GE(main.text.size(), expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), main.text.begin()));
  // Labels point at message 1's block; string arguments are CP932.
  ASSERT_EQ(main.labels.size(), 2u);
  EXPECT_EQ(main.labels[0].offset, main.resumePoints[1]);
  const std::vector<uint8_t> cp932Text = {0x82, 0xA0, 0x82, 0xA2};
  EXPECT_NE(std::search(main.text.begin(), main.text.end(), cp932Text.begin(), cp932Text.end()), main.text.end());

  // The files load through the engine's module holder.
  TgsFixture f;
  const auto files = tob::StoryFiles(story);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].first, "MAIN.TOB");
  EXPECT_EQ(files[2].first, "TGS_INIT.DAT");
  for (const auto& [name, bytes] : files) f.disk.Put("SCRIPT\\" + name, bytes);
  ASSERT_EQ(f.module.LoadInit("TGS_INIT.DAT"), 0);
  EXPECT_EQ(f.module.CountMessages("SUB"), 9u);
  ASSERT_EQ(f.module.LoadScriptByName("main"), 0);
  EXPECT_EQ(f.module.GetResumePoint(2), int32_t(main.resumePoints[2]));
  EXPECT_EQ(f.Offset(f.module.Jump(std::nullopt, "done", 0)), int64_t(main.labels[1].offset));
  EXPECT_EQ(f.Offset(f.module.Call("sub", "sub_entry", 0)), 0);
  const std::string dump = tob::Dump(files[0].second);
  EXPECT_NE(dump.find("label again at"), std::string::npos) << dump;
  EXPECT_NE(dump.find("script block"), std::string::npos) << dump;
  EXPECT_NE(tob::Dump(files[2].second).find("SUB: 9 messages, 0 choices"), std::string::npos);
}

TEST(TobCompiler, TextOffsetArgumentsArePatched) {
  const tob::Story story = CompileStory();
  const tob::Module& main = story.modules[0].module;
  // "[1 if $count[1] @done]": opcode 1, kind 2 (u32 1, u32 1), R, count 1,
  // tag 0xFF, kind 0, then the offset of "done".
  const tob::Bytes& text = main.text;
  const size_t block = main.resumePoints[1] + 2 + 4 + 1 + 4 + 1 + 6;  // after message 1's block
  ASSERT_LT(block + 4 + 1 + 8 + 4 + 1 + 2 + 4, text.size());
  EXPECT_EQ(text[block], '[');
  const size_t value = block + 2 + 4 + 1 + 8 + 4 + 1 + 2;
  EXPECT_EQ(text[value - 2], 0xFF);
  EXPECT_EQ(SobCursor(text.data() + value, 4).U32(), main.labels[1].offset);
  EXPECT_EQ(SobCursor(text.data() + block + 2 + 4 + 1, 4).U32(), 1u);  // $count is variable 1
}

// The sample game's story compiles, and every module loads and plays its
// calls and jumps through the module holder.
TEST(TobCompiler, SampleStory) {
  std::ifstream in(std::string(ORRIVEL_SOURCE_DIR) + "/sample/story/story.tgs", std::ios::binary);
  const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(source.empty());
  tob::Story story;
  std::string error;
  ASSERT_TRUE(tob::Compile(source, story, error)) << error;
  TgsFixture f;
  for (const auto& [name, bytes] : tob::StoryFiles(story)) f.disk.Put("SCRIPT\\" + name, bytes);
  ASSERT_EQ(f.module.LoadInit("TGS_INIT.DAT"), 0);
  EXPECT_EQ(f.module.CountMessages("MAIN"), 4u);
  ASSERT_EQ(f.module.LoadScriptByName("MAIN"), 0);
  f.module.SetReadPosition(f.module.Call("SUB", "sub_start", 0));
  EXPECT_EQ(f.CurrentName(), "SUB");
  EXPECT_EQ(f.module.MarkMessageRead(1), 0);
  EXPECT_NE(f.module.Return(std::nullopt, std::nullopt, 0), 0u);
  EXPECT_EQ(f.CurrentName(), "MAIN");
  EXPECT_NE(f.module.Jump("END", "end_start", 0), 0u);
  EXPECT_EQ(f.module.RunStackSize(), 1u);
  EXPECT_EQ(f.module.CountReadMessages(std::nullopt), 1u);
}

TEST(TobCompiler, Mistakes) {
  struct Case {
    const char* source;
    const char* error;
  } cases[] = {
      {"text first\n", "line 1: expected vars or module"},
      {"module M\n[12 1\n", "line 2: unterminated [command]"},
      {"module M\n[foo]\n", "line 2: unknown command foo"},
      {"module M\n[20 $nope[0]]\n", "line 2: unknown variable nope"},
      {"module M\n[1 @missing]\n", "line 2: unknown label @missing"},
      {"module M\n[12 1][12 1]\n", "line 2: message id given twice"},
      {"module M\n[s\n  bogus\n", "line 2: [s without its closing ]"},
      {"module M\n[s\n  bogus 1\n]\n", "line 2: in code: line 2: unknown operation bogus"},
      {"module M\n[20 \"unterminated]\n", "line 2: unterminated [command]"},
  };
  for (const Case& c : cases) {
    tob::Story story;
    std::string error;
    EXPECT_FALSE(tob::Compile(c.source, story, error)) << c.source;
    EXPECT_EQ(error, c.error) << c.source;
  }
  EXPECT_EQ(tob::OpcodeNumber("call"), 7);
  EXPECT_EQ(tob::OpcodeNumber("no such name"), -1);
}

// The dump lists a module's text as the reader walks it: a doubled bracket
// is the "[" it shows, a two-byte character whose trail byte is "[" stays
// whole before " " and "s", and a NUL inside the text is listed, with the
// items after it.
TEST(TobCompiler, DumpListsEveryItemOfTheText) {
  tob::Story story;
  std::string error;
  ASSERT_TRUE(tob::Compile("module T\nA\\[\\[ x\xE3\x83\xBC x\\[\xE3\x83\xBCs#C[12 0]D\n", story, error)) << error;
  tob::Bytes file = tob::StoryFiles(story)[0].second;
  TobLayout layout;
  ASSERT_EQ(TobImage::Parse(file.data(), file.size(), layout), TobImage::kOk);
  const auto hash = std::find(file.begin() + layout.textOffset, file.end(), '#');
  ASSERT_NE(hash, file.end());
  *hash = 0;
  const std::string dump = tob::Dump(file);
  const std::string text = dump.substr(dump.find("text \""));
  EXPECT_EQ(text.substr(0, text.find("[15] command 12")),
            "text \"A[ x\xE3\x83\xBC x\xE3\x83\xBCs\"\n[13] NUL\ntext \"C\"\n")
      << dump;
  EXPECT_NE(dump.find("\ntext \"D\"\n["), std::string::npos) << dump;
  EXPECT_EQ(dump.substr(dump.size() - 4), "end\n") << dump;
}

}  // namespace
}  // namespace orrivel
