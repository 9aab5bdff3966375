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
  }
}

}  // namespace
}  // namespace orrivel
