// The text reader over modules compiled from tob text: characters into the
// page, the built-in commands, typed arguments, handler results and page
// commands.
#include <gtest/gtest.h>

#include "TgsFrameTestSupport.h"

namespace orrivel {
namespace {

// A handler that notes every call with its arguments as read back.
struct Recorder {
  std::vector<TgsOperationCall> calls;
  TgsOpcodeHandler Handler(uint32_t opcode, int32_t result = 0) {
    return [this, opcode, result](TgsFrame&, const TgsArguments& arguments) {
      calls.push_back(TgsOpcodeTable::Describe(opcode, arguments));
      return result;
    };
  }
};

struct ReaderCase {
  const char* name;
  const char* module;  // tob text after "module T"
  int32_t n;           // initial value of $n
  const char* page;    // UTF-8
};

class ReaderEdges : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderEdges, PageHoldsWhatTheTextSays) {
  const ReaderCase& c = GetParam();
  FrameFixture f;
  // Opcode 60 sets $n to 1, so a restarted text takes another way.
  f.frame->Opcodes().Register(60, [&f](TgsFrame&, const TgsArguments&) {
    f.SetVariable("n", 1);
    return 0;
  });
  f.AddStory(std::string("module T\n") + c.module + "\n");
  f.SetVariable("n", uint32_t(c.n));
  EXPECT_EQ(f.Play("T"), 0);
  EXPECT_EQ(f.PageText(), Sjis(c.page)) << c.name;
  EXPECT_EQ(f.frame->ArgumentTop(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReaderEdges,
    ::testing::Values(
        ReaderCase{"a bracket before another byte is dropped", "\\[x", 0, "x"},
        ReaderCase{"a trail byte '[' stays text", "ー x", 0, "ー x"},
        ReaderCase{"a trail byte '[' before s stays text", "ーsx", 0, "ーsx"},
        ReaderCase{"a doubled bracket before a space is a literal one", "\\[\\[ x", 0, "[ x"},
        ReaderCase{"a doubled bracket before s is a literal one", "\\[\\[sx", 0, "[sx"},
        ReaderCase{"a bracket takes a two-byte character whole", "\\[ー x\\[ーs", 0, "ー xーs"},
        ReaderCase{"a bracket before the end is dropped", "A\\[", 0, "A"},
        ReaderCase{"opcode 0 with a holding condition goes on", "[0 if 1 @skip]A\nlabel skip:\nB", 0, "AB"},
        ReaderCase{"opcode 0 with a failing condition jumps", "[0 if 0 @skip]A\nlabel skip:\nB", 0, "B"},
        ReaderCase{"opcode 1 with a false condition skips its arguments unread",
                   "[1 if 0 @skip \"junk\" $flags[99]]C\nlabel skip:\nD", 0, "CD"},
        ReaderCase{"opcode 1 with a variable condition that holds", "[1 if $n[0] @skip]C\nlabel skip:\nD", 1, "D"},
        ReaderCase{"built-in 5 inserts the number", "[number 1234]after[number -5]", 0, "1234after-5"},
        ReaderCase{"built-in 6 inserts the string", "[text \"あい\"]う", 0, "あいう"},
        ReaderCase{"a return to offset 0 restarts the text",
                   "label start:\nX[1 if $n[0] @done][7 @sub]Y\nlabel done:\nZ\nlabel sub:\n[60][9 @start]", 0, "XXZ"},
        ReaderCase{"a call by label comes back after the call", "A[call \"sub\"]C\n[1 if 1 @end]\nlabel sub:\nB[9 _]\nlabel end:",
                   0, "ABC"},
        ReaderCase{"a return with an empty call stack ends the text", "A[9 _]B", 0, "A"},
        ReaderCase{"a jump to a missing label ends the text", "A[jump \"nowhere\"]B", 0, "A"},
        ReaderCase{"an expression condition", "[1 if {set 1 ext:retTgsExp|ret} @skip]A\nlabel skip:\nB", 0, "B"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(TgsTextReader, ArgumentsReachHandlersAsTypedPairs) {
  FrameFixture f;
  Recorder recorder;
  f.frame->Opcodes().Register(50, recorder.Handler(50));
  f.AddStory("module T\n[50 =7 _ \"\" \"AB\" 0x10 $flags[2] {set 9 ext:retTgsExp|ret}]\n");
  f.SetVariable("flags", 33, 2);
  ASSERT_EQ(f.Play("T"), 0);
  ASSERT_EQ(recorder.calls.size(), 1u);
  const TgsOperationCall& call = recorder.calls[0];
  // Tag 2 reads as omitted but keeps its value; "" is a string of one NUL.
  EXPECT_EQ(call.types, (std::vector<uint32_t>{0, 0, 3, 3, 1, 1, 1}));
  EXPECT_EQ(call.values[0], 7u);
  EXPECT_EQ(call.values[1], 0u);
  EXPECT_NE(call.values[2], 0u);
  EXPECT_EQ(call.texts[2], "");
  EXPECT_NE(call.values[3], 0u);
  EXPECT_EQ(call.texts[3], "AB");
  EXPECT_EQ(call.values[4], 16u);
  EXPECT_EQ(call.values[5], 33u);
  EXPECT_EQ(call.values[6], 9u);
}

TEST(TgsTextReader, StringOfNoBytesIsAStringPairWithoutValue) {
  FrameFixture f;
  Recorder recorder;
  f.frame->Opcodes().Register(70, [&recorder](TgsFrame& frame, const TgsArguments& arguments) {
    return frame.Replaying() ? recorder.Handler(70)(frame, arguments) : frame.SerializeCommand(70, arguments);
  });
  // "[ ", opcode 70, no condition, R 9, one argument: tag 1, kind 1, n 0.
  tob::Module module;
  module.text = {'[', ' ', 70, 0, 0, 0, 1, 9, 0, 0, 0, 1, 1, 1, 0, 0, 'Z', 0};
  f.disk.Put("SCRIPT\\RAW.TOB", tob::WriteModule(module));
  ASSERT_EQ(f.Play("RAW"), 0);
  // The record holds the type and a count of 0: 1 + 4 bytes.
  ASSERT_EQ(f.frame->Page().Size(), 2 + 12 + 5 + 1u);
  size_t taken = 0;
  EXPECT_EQ(f.frame->ReplayPageCommand(f.frame->Page().Data() + 2, f.frame->Page().Size() - 2, taken), 0);
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].types, (std::vector<uint32_t>{3}));
  EXPECT_EQ(recorder.calls[0].values, (std::vector<uint32_t>{0}));
}

TEST(TgsTextReader, ExpressionIsBoundOnceAndEvaluatedEachTime) {
  FrameFixture f;
  Recorder recorder;
  f.frame->Opcodes().Register(50, recorder.Handler(50));
  f.AddStory("module T\n[50 {mov $n @a.1|a: add 0 1 $n|mov $n ext:retTgsExp|ret}]\n");
  ASSERT_EQ(f.Play("T"), 0);
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].values[0], 1u);

  // "[ " opcode, condition kind, R, count, tag, kind: the expression's u16
  // code size is at text offset 14, its bound flag after the code.
  const uint32_t text = f.frame->CurrentModule()->TextStart();
  const uint8_t* size = f.host.Space().Bytes(text + 14, 2);
  const uint32_t codeBytes = uint32_t(size[0] | size[1] << 8);
  const uint32_t flag = text + 16 + codeBytes;
  EXPECT_EQ(f.host.Space().Bytes(flag, 1)[0], 1);
  // Spoil the first relocation of the variable list: binding again would
  // refuse the block, so a second evaluation shows it is not bound again.
  f.host.Space().Write32(flag + 3 + 1 + 4, 999);
  f.frame->SetReadPosition(text);
  EXPECT_EQ(f.frame->ReadText(), 0);
  ASSERT_EQ(recorder.calls.size(), 2u);
  EXPECT_EQ(recorder.calls[1].values[0], 2u);
}

TEST(TgsTextReader, HandlerResultsEndTheReading) {
  const struct {
    int32_t handler;
    int32_t read;
  } cases[] = {{4, 4}, {-7, TgsFrame::kHandlerFailed}, {TgsFrame::kEndOfText, 0}, {-1, -1}, {2, 2}};
  for (const auto& c : cases) {
    FrameFixture f;
    Recorder recorder;
    f.frame->Opcodes().Register(50, recorder.Handler(50, c.handler));
    f.AddStory("module T\nA[50 1 2 3]B\n");
    EXPECT_EQ(f.Play("T"), c.read) << c.handler;
    EXPECT_EQ(f.PageText(), "A");
    EXPECT_EQ(f.frame->CommandStatus(), c.handler);
    // The pairs are gone whatever the result.
    EXPECT_EQ(f.frame->ArgumentTop(), 0u);
    EXPECT_EQ(f.frame->ReadPosition(), 0u);
  }
}

TEST(TgsTextReader, WaitChainCountLastsOnlyThroughCommandsThatChangeIt) {
  FrameFixture f;
  std::vector<uint32_t> seen;
  f.frame->Opcodes().Register(58, [&seen](TgsFrame& frame, const TgsArguments&) {
    seen.push_back(frame.WaitChainCount());
    frame.SetWaitChainCount(frame.WaitChainCount() + 1);
    return 0;
  });
  f.AddStory("module T\n[58][58][50][58]\n");
  ASSERT_EQ(f.Play("T"), 0);
  EXPECT_EQ(seen, (std::vector<uint32_t>{0, 1, 0}));
}

TEST(TgsTextReader, PageCommandIsSerialisedAndReplayedWithTheSamePairs) {
  FrameFixture f;
  Recorder recorder;
  auto replay = recorder.Handler(70);
  f.frame->Opcodes().Register(70, [&replay](TgsFrame& frame, const TgsArguments& arguments) {
    return frame.Replaying() ? replay(frame, arguments) : frame.SerializeCommand(70, arguments);
  });
  f.AddStory("module T\nA[70 \"AB\" 5 \"\"]B\n");
  ASSERT_EQ(f.Play("T"), 0);
  const std::string page = f.PageText();
  // "A", marker, bracket, then the record from its length field; the
  // string "AB" takes 1 + 4 + 3 bytes, the number 1 + 4, the empty string
  // (its NUL) 1 + 4 + 1; the length counts 12 bytes plus the arguments.
  const uint32_t length = 12 + 8 + 5 + 6;
  ASSERT_EQ(page.size(), 1 + 2 + length + 1);
  EXPECT_EQ(page[1], '\0');
  EXPECT_EQ(page[2], '[');
  uint32_t stored = 0;
  std::memcpy(&stored, page.data() + 3, 4);
  EXPECT_EQ(stored, length);
  EXPECT_EQ(page.back(), 'B');

  size_t taken = 0;
  EXPECT_EQ(f.frame->ReplayPageCommand(f.frame->Page().Data() + 3, page.size() - 3, taken), 0);
  EXPECT_EQ(taken, length);
  ASSERT_EQ(recorder.calls.size(), 1u);
  EXPECT_EQ(recorder.calls[0].types, (std::vector<uint32_t>{3, 1, 3}));
  EXPECT_EQ(recorder.calls[0].texts[0], "AB");
  EXPECT_EQ(recorder.calls[0].values[1], 5u);
  EXPECT_NE(recorder.calls[0].values[2], 0u);
  EXPECT_EQ(recorder.calls[0].texts[2], "");
  EXPECT_FALSE(f.frame->Replaying());

  // A record cut short is refused without reading past what it was given.
  EXPECT_EQ(f.frame->ReplayPageCommand(f.frame->Page().Data() + 3, length - 1, taken), -1);
  EXPECT_EQ(taken, 0u);
}

TEST(TgsTextReader, FullPageDropsWholeCharactersAndCommands) {
  FrameFixture f;
  f.frame->Opcodes().Register(70, [](TgsFrame& frame, const TgsArguments& arguments) {
    return frame.SerializeCommand(70, arguments);
  });
  // 4095 bytes of text leave one byte: the two-byte character is dropped
  // whole, so is the command, and a following single byte still fits.
  f.AddStory("module T\n" + std::string(4095, 'a') + "ー[70 \"AB\"]b\n");
  ASSERT_EQ(f.Play("T"), 0);
  EXPECT_EQ(f.frame->Page().Size(), TgsPageBuffer::kCapacity);
  EXPECT_EQ(f.PageText(), std::string(4095, 'a') + "b");
  EXPECT_EQ(f.log.size(), 1u);  // one line per page

  std::vector<std::string> pages;
  f.frame->SetPageSink([&pages](std::span<const uint8_t> page, const std::string&, const std::string&) {
    pages.emplace_back(page.begin(), page.end());
  });
  EXPECT_EQ(f.frame->FlushPage(), 0);
  EXPECT_EQ(f.frame->FlushPage(), 1);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].size(), TgsPageBuffer::kCapacity);
}

TEST(TgsTextReader, NamesAreCutOnACharacterBoundary) {
  FrameFixture f;
  // A label name of 62 bytes and a two-byte character: cut at 63 bytes it
  // loses the whole character and matches the 62-byte label.
  const std::string label(62, 'a');
  f.AddStory("module T\nA[jump \"" + label + "ア\"]B\nlabel " + label + ":\nC\n");
  ASSERT_EQ(f.Play("T"), 0);
  EXPECT_EQ(f.PageText(), "AC");
}

TEST(TgsTextReader, TextThatLoopsWithoutWaitingStillEndsWhenTheProgramCloses) {
  FrameFixture f;
  f.pumpsBeforeClose = 2;
  f.AddStory("module T\nlabel top:\nA[2 @top]\n");
  EXPECT_EQ(f.Play("T"), TgsFrame::kReadFailed);
  EXPECT_EQ(f.pumps, 3);
}

TEST(TgsTextReader, NoModuleGivesMinusTwo) {
  FrameFixture f;
  EXPECT_EQ(f.frame->ReadText(), TgsFrame::kNoModule);
}

}  // namespace
}  // namespace orrivel
