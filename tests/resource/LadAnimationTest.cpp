#include "resource/LadAnimation.h"

#include <gtest/gtest.h>

#include "LayoutTestFolder.h"
#include "layout/LayoutWriter.h"

namespace orrivel {
namespace {

using tools::LadDocument;

LadDocument GoodDocument() {
  LadDocument document;
  document.SetSequenceCount(2);
  document.header[0] = 0x12;
  document.pool = {10, 11, 12, 13, 14, 15, 16, 17};
  document.frames = {
      {0, 0, 3, -2, 0},   // 0
      {-1, 1, 0, 0, 4},   // 1: a control record that stays in its sequence
      {1, 2, 0, 0, 6},    // 2
      {-1, 0, 0, 0, 0},   // 3: closes sequence 0
      {0, 0, 0, 0, 7},    // 4
      {-1, -3, 0, 0, 99}, // 5: closes sequence 1 (offset outside the pool)
  };
  document.names = {{"walk", 1, 2}, {"run", 3, 4}};
  return document;
}

TEST(LadAnimationTest, LoadsSequencesNamesAndPool) {
  const auto bytes = tools::WriteLad(GoodDocument());
  LadAnimation lad;
  ASSERT_EQ(lad.LoadFromMemory(bytes.data(), bytes.size()), kLadOk);
  EXPECT_EQ(lad.Header()[0], 0x12);
  EXPECT_EQ(lad.SequenceCount(), 2);
  ASSERT_EQ(lad.FrameCount(), 7u);
  EXPECT_EQ(lad.Frames()[0].X(), 3);
  EXPECT_EQ(lad.Frames()[0].Y(), -2);
  EXPECT_EQ(lad.Frames()[6].name, -1);
  EXPECT_EQ(lad.Frames()[6].value, -1);
  ASSERT_EQ(lad.NameCount(), 2u);
  EXPECT_EQ(lad.Names()[1].name, "run");
  EXPECT_EQ(lad.Names()[1].value1, 3);
  EXPECT_EQ(lad.Names()[1].value2, 4);
  EXPECT_EQ(lad.Names()[0].words, (std::array<uint32_t, 2>{0, 0}));
  EXPECT_EQ(lad.LongestSequence(), 4u);

  struct Row {
    int32_t sequence, start, end;
  };
  for (const Row& row : {Row{0, 0, 3}, Row{1, 4, 6}, Row{2, -1, -1}, Row{-1, -1, -1}}) {
    SCOPED_TRACE(row.sequence);
    EXPECT_EQ(lad.GetSequenceStart(row.sequence), row.start);
    EXPECT_EQ(lad.GetSequenceEnd(row.sequence), row.end);
  }
  struct Find {
    int32_t frame, sequence, offset;
  };
  for (const Find& f : {Find{0, 0, 0}, Find{3, 0, 3}, Find{4, 1, 0}, Find{6, 1, 2}, Find{7, -1, -7},
                        Find{-1, -1, -7}}) {
    SCOPED_TRACE(f.frame);
    int32_t offset = -7;
    EXPECT_EQ(lad.FindSequence(f.frame, &offset), f.sequence);
    EXPECT_EQ(offset, f.offset);
  }

  uint32_t available = 0;
  const uint8_t* data = lad.PoolAt(2, &available);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(*data, 16);
  EXPECT_EQ(available, 2u);
  EXPECT_EQ(lad.PoolAt(5, &available), nullptr);  // its offset lies outside the pool
  EXPECT_EQ(available, 0u);
  EXPECT_EQ(lad.PoolAt(6, nullptr), nullptr);  // the sentinel
  EXPECT_EQ(lad.PoolAt(0xFFFFFFFFu, nullptr), nullptr);

  lad.Clear();
  EXPECT_EQ(lad.GetSequenceStart(0), -1);
  EXPECT_EQ(lad.FindSequence(0, nullptr), -1);
}

TEST(LadAnimationTest, EachDamageGivesItsCode) {
  const LadDocument document = GoodDocument();
  const std::vector<uint8_t> good = tools::WriteLad(document);
  const tools::LadOffsets at = tools::LadOffsetsOf(document);
  const long names = long(at.nameCount + 4);
  auto cut = [&](long size) { return std::vector<uint8_t>(good.begin(), good.begin() + size); };
  auto with = [&](auto change) {
    std::vector<uint8_t> bytes = good;
    change(bytes);
    return bytes;
  };
  struct Case {
    const char* what;
    int expected;
    std::vector<uint8_t> bytes;
  };
  LadDocument oneClosing = document;
  oneClosing.frames[3].value = 2;  // neither closes: only the sentinel does
  oneClosing.frames[5].value = 1;
  const Case cases[] = {
      {"magic", kLadBadMagic, with([](auto& b) { b[0] = 'X'; })},
      {"magic cut", kLadBadMagic, cut(3)},
      {"header cut", kLadNoSequence, cut(10)},
      {"no sequence", kLadNoSequence, with([](auto& b) { b[4 + 6] = 0; })},
      {"pool size cut", kLadPoolTruncated, cut(long(at.poolSize + 2))},
      {"pool cut", kLadPoolTruncated, cut(long(at.poolSize + 4 + 3))},
      {"pool size huge", kLadPoolTruncated, with([&](auto& b) { b[at.poolSize + 3] = 0x80; })},
      {"frame count cut", kLadFramesTruncated, cut(long(at.frameCount + 1))},
      {"frames cut", kLadFramesTruncated, cut(long(at.frameCount + 4 + 16 * 6 - 1))},
      {"name count cut", kLadNameLengthTruncated, cut(long(at.nameCount + 2))},
      {"name length cut", kLadNameLengthTruncated, cut(names + 1)},
      {"name cut", kLadNameTruncated, cut(names + 2 + 3)},
      {"first value cut", kLadNameValue1Truncated, cut(names + 2 + 4 + 1)},
      {"second value cut", kLadNameValue2Truncated, cut(names + 2 + 4 + 2 + 1)},
      {"too few closings", kLadFewSequences, tools::WriteLad(oneClosing)},
  };
  LadAnimation lad;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(lad.LoadFromMemory(good.data(), good.size()), kLadOk);
    EXPECT_EQ(lad.LoadFromMemory(c.bytes.data(), c.bytes.size()), c.expected);
    EXPECT_EQ(lad.FrameCount(), 0u);
    EXPECT_EQ(lad.NameCount(), 0u);
    EXPECT_TRUE(lad.Pool().empty());
    EXPECT_EQ(lad.LongestSequence(), 0u);
  }
}

class LadFileTest : public testing::LayoutFolderTest {};

TEST_F(LadFileTest, LoadsThroughTheArchiveManager) {
  folder_.Write("anim/b.lad", tools::WriteLad(GoodDocument()));
  LadAnimation lad;
  EXPECT_EQ(lad.Load("ANIM\\B.LAD"), kLadOk);
  EXPECT_EQ(lad.FrameCount(), 7u);
  EXPECT_EQ(lad.Load("anim\\none.lad"), kLadCannotOpen);
  EXPECT_EQ(lad.FrameCount(), 0u);
}

}  // namespace
}  // namespace orrivel
