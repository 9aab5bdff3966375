// The opcode table: one row per opcode in number order, names that module
// sources use, and the forwarding rows passing their arguments in order
// with the rows' defaults to the operations they name.
#include <gtest/gtest.h>

#include <set>

#include "TgsFrameTestSupport.h"

namespace orrivel {
namespace {

TEST(TgsOpcodeTable, OneRowPerOpcodeInNumberOrderWithNamesBothWays) {
  const std::vector<TgsOpcodeRow>& rows = TgsOpcodeRows();
  ASSERT_EQ(rows.size(), TgsOpcodeTable::kOpcodeCount - TgsOpcodeTable::kFirstHandled);
  std::set<std::string> names;
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].number, TgsOpcodeTable::kFirstHandled + i);
    if (!rows[i].name) continue;
    EXPECT_TRUE(names.insert(rows[i].name).second) << rows[i].name;
    EXPECT_EQ(TgsOpcodeNumber(rows[i].name), int32_t(rows[i].number));
    EXPECT_EQ(TgsOpcodeName(rows[i].number), rows[i].name);
    // The compiler knows the reader's own names too: none may clash.
    EXPECT_EQ(tob::OpcodeNumber(rows[i].name), int32_t(rows[i].number));
  }
  EXPECT_EQ(TgsOpcodeNumber("Name"), -1);
  EXPECT_EQ(TgsOpcodeName(11), nullptr);
  EXPECT_EQ(TgsOpcodeName(135), nullptr);
}

TEST(TgsOpcodeTable, NameAndNumberCompileToTheSameModule) {
  std::string error;
  tob::Story byName, byNumber;
  ASSERT_TRUE(tob::Compile("module T\n[name \"テスト\"]A[page]\n", byName, error)) << error;
  ASSERT_TRUE(tob::Compile("module T\n[26 \"テスト\"]A[16]\n", byNumber, error)) << error;
  EXPECT_EQ(tob::StoryFiles(byName), tob::StoryFiles(byNumber));
}

TEST(TgsOpcodeTable, EmptySlotsDoNothing) {
  for (const uint32_t opcode : {15u, 23u, 24u, 25u, 32u, 33u, 34u, 35u}) {
    FrameFixture f;
    f.AddStory("module T\nA[" + std::to_string(opcode) + " 1 \"x\"]B\n");
    EXPECT_EQ(f.Play("T"), 0) << opcode;
    EXPECT_EQ(f.PageText(), "AB") << opcode;
    EXPECT_TRUE(f.frame->Opcodes().Recorded().empty()) << opcode;
  }
}

struct ForwardRow {
  uint32_t opcode;
  const char* operation;  // the operation it calls (the wait, for waits)
  std::vector<std::pair<uint32_t, int32_t>> defaults;
};

void PrintTo(const ForwardRow& row, std::ostream* out) { *out << "opcode " << row.opcode; }

class ForwardingRows : public ::testing::TestWithParam<ForwardRow> {
 protected:
  // Plays one block and returns the first call it made.
  static TgsOperationCall PlayOne(const std::string& block) {
    FrameFixture f;
    f.AddStory("module T\nA" + block + "B\n");
    EXPECT_EQ(f.Play("T"), 0) << block;
    EXPECT_EQ(f.PageText(), "AB") << block;
    const auto& recorded = f.frame->Opcodes().Recorded();
    return recorded.empty() ? TgsOperationCall{} : recorded.front();
  }
};

TEST_P(ForwardingRows, PassArgumentsInOrderAndDefaultsForOmittedOnes) {
  const ForwardRow& row = GetParam();
  const char* name = TgsOpcodeName(row.opcode);
  ASSERT_NE(name, nullptr);

  // Given arguments reach the operation in order, strings as strings.
  const TgsOperationCall given = PlayOne(std::string("[") + name + " 11 \"s\" -3 44 55 66 77]");
  ASSERT_NE(given.operation, nullptr) << row.opcode;
  EXPECT_STREQ(given.operation, row.operation);
  EXPECT_EQ(given.opcode, row.opcode);
  EXPECT_EQ(given.types, (std::vector<uint32_t>{1, 3, 1, 1, 1, 1, 1}));
  EXPECT_EQ(given.Int(0), 11);
  EXPECT_EQ(given.Text(1), "s");
  EXPECT_EQ(given.Int(2), -3);
  EXPECT_EQ(given.Int(6), 77);

  // Omitted ones take the row's default, even over a value the module
  // supplied with its omitted mark; the rest keep theirs.
  const TgsOperationCall omitted = PlayOne("[" + std::to_string(row.opcode) + " =5 =5 =5 =5 =5 =5 =5]");
  ASSERT_EQ(omitted.Count(), 7u);
  for (uint32_t k = 0; k < 7; ++k) {
    int32_t expected = 5;
    for (const auto& [argument, value] : row.defaults)
      if (argument == k) expected = value;
    EXPECT_EQ(omitted.Int(k), expected) << "argument " << k;
    EXPECT_FALSE(omitted.Given(k));
  }
  // Defaults past the last argument given are still passed.
  const TgsOperationCall none = PlayOne("[" + std::to_string(row.opcode) + "]");
  uint32_t needed = 0;
  for (const auto& [argument, value] : row.defaults) needed = std::max(needed, argument + 1);
  EXPECT_EQ(none.Count(), needed);
  for (const auto& [argument, value] : row.defaults) EXPECT_EQ(none.Int(argument), value);
}

// The rows whose operations are not built yet: their calls are kept.
const ForwardRow kForwardRows[] = {
    {51, "StartBgBlur", {{1, 640}, {2, 360}, {3, 1000}}},
    {52, "StartBgBlurPath", {{2, 1000}}},
    {53, "StartBgBlur", {{1, 640}, {2, 360}, {3, 1000}}},
    {54, "StartBgBlur", {{1, 640}, {2, 360}, {3, 1000}}},
    {55, "StartBgBlurPath", {{2, 1000}}},
    {56, "StartBgBlurPath", {{2, 1000}}},
    {57, "ChangeBgBlur", {{1, 640}, {2, 360}}},
    {58, "WaitForAction", {}},
    {59, "ReleaseActionSlot", {}},
    {90, "StartSpChange", {{2, 500}}},
    {95, "ReleaseCachedImage", {}},
    {124, "PlayMusic", {}},
    {125, "WaitMusicChange", {}},
    {126, "WaitMusicEnd", {}},
    {127, "PlaySound", {}},
    {128, "FadeInSound", {}},
    {129, "FadeOutSound", {}},
    {130, "StopSound", {}},
    {131, "StopAllSounds", {}},
    {132, "WaitSoundFade", {}},
    {133, "WaitSoundEnd", {}},
    {134, "PlayPageVoice", {}},
};

INSTANTIATE_TEST_SUITE_P(Rows, ForwardingRows, ::testing::ValuesIn(kForwardRows),
                         [](const auto& info) { return "opcode" + std::to_string(info.param.opcode); });

}  // namespace
}  // namespace orrivel
