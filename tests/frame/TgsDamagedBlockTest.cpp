// Modules that load but hold blocks the reader must refuse: each ends the
// reading with -1 and one log line naming the module and the text offset,
// nothing outside the data is touched, and a good module plays afterwards.
#include <gtest/gtest.h>

#include "TgsFrameTestSupport.h"

namespace orrivel {
namespace {

// Offsets inside "[ " + an inline block without condition: the opcode at
// 2, the condition kind at 6, R at 7, the count at 11, the first tag at 12.
constexpr size_t kFirstArgumentKind = 13;

struct DamageCase {
  const char* name;
  const char* module;  // tob text after "module BAD"
  // Patches the module file; the text starts at textOffset.
  void (*patch)(std::vector<uint8_t>& file, size_t textOffset);
  const char* page;  // what was read before the damage
};

size_t TextOffsetOf(const std::vector<uint8_t>& file) {
  TobLayout layout;
  EXPECT_EQ(TobImage::Parse(file.data(), file.size(), layout), TobImage::kOk);
  return layout.textOffset;
}

void NoPatch(std::vector<uint8_t>&, size_t) {}

// The block after "A": its string's NUL becomes a letter.
void StringWithoutNul(std::vector<uint8_t>& file, size_t text) {
  // "A", "[ ", opcode, kind 1, R, count, tag, kind 1, u16 n, the bytes.
  const size_t n = text + 1 + kFirstArgumentKind + 1;
  const size_t last = n + 2 + file[n] - 1;
  ASSERT_EQ(file[last], 0);
  file[last] = 'C';
}

void ArgumentKindFour(std::vector<uint8_t>& file, size_t text) {
  ASSERT_EQ(file[text + 1 + kFirstArgumentKind], 0);
  file[text + 1 + kFirstArgumentKind] = 4;
}

// The expression argument's first variable relocation: its offset is set
// past the code, or its index past the variable table.
void Relocation(std::vector<uint8_t>& file, size_t text, size_t field, uint32_t value) {
  const size_t n = text + 1 + kFirstArgumentKind + 1;
  const size_t flag = n + 2 + (file[n] | file[n + 1] << 8);
  ASSERT_GT(file[flag + 3], 0);  // the variable list has entries
  for (int b = 0; b < 4; ++b) file[flag + 4 + field + b] = uint8_t(value >> (8 * b));
}
void RelocationOutsideCode(std::vector<uint8_t>& file, size_t text) { Relocation(file, text, 0, 0xFFF0); }
void RelocationIndexOutside(std::vector<uint8_t>& file, size_t text) { Relocation(file, text, 4, 77); }
void RelocationAtCodeEnd(std::vector<uint8_t>& file, size_t text) {
  const size_t n = text + 1 + kFirstArgumentKind + 1;
  Relocation(file, text, 0, uint32_t(file[n] | file[n + 1] << 8) - 3);
}

// "[ " after "A": the jump target lands inside the string of the second
// block, where bytes that look like a block with condition kind 4 wait.
void JumpIntoString(std::vector<uint8_t>& file, size_t text) {
  const size_t first = text + 1;  // "[ " of the jump
  const size_t second = first + 2 + 4 + 1 + 4 + 1 + 1 + 1 + 4;  // its "[ "
  const size_t bytes = second + kFirstArgumentKind + 1 + 2;
  const uint8_t fake[] = {'[', ' ', 50, 0, 0, 0, 4};
  std::memcpy(&file[bytes], fake, sizeof fake);
  const uint32_t target = uint32_t(bytes - text);
  for (int b = 0; b < 4; ++b) file[first + 2 + 4 + 1 + 4 + 1 + 1 + 1 + b] = uint8_t(target >> (8 * b));
}

class DamagedBlocks : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedBlocks, EndTheReadingCleanly) {
  const DamageCase& c = GetParam();
  FrameFixture f;
  auto files = f.AddStory(std::string("module BAD\n") + c.module + "\nmodule GOOD\nfine\n");
  std::vector<uint8_t> bad = files.at("BAD.TOB");
  c.patch(bad, TextOffsetOf(bad));
  f.disk.Put("SCRIPT\\BAD.TOB", bad);

  EXPECT_EQ(f.Play("BAD"), TgsFrame::kReadFailed) << c.name;
  EXPECT_EQ(f.PageText(), c.page) << c.name;
  ASSERT_EQ(f.log.size(), 1u) << c.name;
  EXPECT_NE(f.log[0].find("BAD"), std::string::npos) << f.log[0];
  EXPECT_NE(f.log[0].find("text offset"), std::string::npos) << f.log[0];
  EXPECT_EQ(f.frame->ArgumentTop(), 0u);

  f.frame->Unload();
  f.frame->Page().Rewind();
  EXPECT_EQ(f.Play("GOOD"), 0);
  EXPECT_EQ(f.PageText(), "fine");
}

INSTANTIATE_TEST_SUITE_P(
    Modules, DamagedBlocks,
    ::testing::Values(
        DamageCase{"variable element past its storage", "A[50 $flags[3]]B", NoPatch, "A"},
        DamageCase{"variable index past the table", "A[50 $9[0]]B", NoPatch, "A"},
        DamageCase{"condition on a variable element past its storage", "A[50 if $n[1]]B", NoPatch, "A"},
        DamageCase{"string without its NUL in the block", "A[50 \"AB\"]B", StringWithoutNul, "A"},
        DamageCase{"argument kind 4", "A[50 7]B", ArgumentKindFour, "A"},
        DamageCase{"relocation outside the code", "A[50 {mov $n ext:retTgsExp|ret}]B", RelocationOutsideCode, "A"},
        DamageCase{"relocation without four bytes of code", "A[50 {mov $n ext:retTgsExp|ret}]B", RelocationAtCodeEnd,
                   "A"},
        DamageCase{"relocation index past the table", "A[50 {mov $n ext:retTgsExp|ret}]B", RelocationIndexOutside, "A"},
        DamageCase{"a jump into bytes with condition kind 4", "A[2 0][50 \"0123456789\"]B", JumpIntoString, "A"},
        DamageCase{"opcode past the table", "A[135]B", NoPatch, "A"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(TgsDamagedText, LoneLeadByteInPendingTextKeepsItsTerminator) {
  FrameFixture f;
  auto files = f.AddStory("module T\n[text \"Aア\"]Z\n");
  std::vector<uint8_t> file = files.at("T.TOB");
  // The string's trail byte becomes its terminator: "A", a lone lead byte.
  const size_t text = TextOffsetOf(file);
  const size_t n = text + kFirstArgumentKind + 1;
  ASSERT_EQ(file[n], 4);
  file[n + 2 + 2] = 0;
  f.disk.Put("SCRIPT\\T.TOB", file);
  EXPECT_EQ(f.Play("T"), 0);
  EXPECT_EQ(f.PageText(), std::string("A\x83Z"));
}

}  // namespace
}  // namespace orrivel
