#include "resource/LagAnimation.h"

#include <gtest/gtest.h>

#include <cstring>

#include "LayoutTestFakes.h"
#include "LayoutTestFolder.h"
#include "elg/BmpWriter.h"
#include "layout/LayoutWriter.h"

namespace orrivel {
namespace {

using testing::FakeSurface;
using testing::FakeSurfaceFactory;
using tools::LagDocument;

// A 4x2 32-bit bitmap whose pixel (1, 1) is 0x00ABCDEF.
std::vector<uint8_t> SmallBitmap() {
  tools::BmpFile file;
  file.width = 4;
  file.height = -2;
  file.bitCount = 32;
  file.data.assign(4 * 2 * 4, 0x11);
  const uint8_t key[4] = {0xEF, 0xCD, 0xAB, 0};
  std::memcpy(&file.data[(1 * 4 + 1) * 4], key, 4);
  return tools::WriteBmpFile(file);
}

LagDocument GoodDocument() {
  LagDocument document;
  document.header = {7, 9, 0, 2, 0, 0};
  document.skipped = {1, 2, 3};
  document.frames = {{0, 1, 2, 3}, {1, 5, 6, 7}, {-1, 0, 0, 0}, {2, 0, 0, 0}, {-5, 0, 0, 0}};
  document.pictures = {{testing::MakeElgPicture(8, 4), -2, 0},
                       {SmallBitmap(), 1, 1},
                       {testing::MakeElgPicture(3, 3), -1, 0}};
  return document;
}

void PutU32(std::vector<uint8_t>& bytes, uint64_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
}

class LagAnimationTest : public testing::LayoutFolderTest {
 protected:
  FakeSurfaceFactory surfaces_;
};

TEST_F(LagAnimationTest, LoadsFramesSequencesAndPictures) {
  folder_.Write("anim/a.lag", tools::WriteLag(GoodDocument()));
  LagAnimation lag(&surfaces_);
  ASSERT_EQ(lag.Load("anim\\a.lag", false), kLagOk);
  EXPECT_EQ(lag.ValueA(), 7);
  EXPECT_EQ(lag.ValueB(), 9);
  EXPECT_EQ(lag.SequenceCount(), 2);
  ASSERT_EQ(lag.FrameCount(), 6u);  // five read and the sentinel
  EXPECT_EQ(lag.Frames()[1].values, (std::array<int32_t, 4>{1, 5, 6, 7}));
  EXPECT_EQ(lag.Frames()[5].values[0], -1);
  EXPECT_EQ(lag.SequenceStarts(), (std::vector<uint32_t>{0, 3}));
  EXPECT_EQ(lag.GetSequenceEnd(0), 2);
  EXPECT_EQ(lag.GetSequenceEnd(1), 5);  // the last sequence ends at the sentinel
  EXPECT_EQ(lag.GetSequenceStart(2), -1);

  ASSERT_EQ(lag.PictureCount(), 3u);
  const auto* alpha = static_cast<FakeSurface*>(lag.Picture(0));
  const auto* keyed = static_cast<FakeSurface*>(lag.Picture(1));
  const auto* plain = static_cast<FakeSurface*>(lag.Picture(2));
  EXPECT_EQ(alpha->GetWidth(), 8);
  EXPECT_EQ(alpha->alphaFlag, 1);
  EXPECT_EQ(alpha->GetColorKey(), SurfacePort::kNoColorKey);
  EXPECT_EQ(keyed->GetWidth(), 4);
  EXPECT_EQ(keyed->GetColorKey(), 0xABCDEFu);
  EXPECT_EQ(keyed->alphaFlag, -1);
  EXPECT_EQ(plain->alphaFlag, 0);
  EXPECT_EQ(plain->GetColorKey(), SurfacePort::kNoColorKey);

  // A second load replaces the first; indexed pictures keep 8 bits.
  ASSERT_EQ(lag.Load("anim\\a.lag", true), kLagOk);
  EXPECT_EQ(lag.Picture(0)->GetBitCount(), 8);
  EXPECT_EQ(lag.PictureCount(), 3u);
}

TEST_F(LagAnimationTest, SentinelClosesTheLastSequence) {
  LagDocument document;
  document.SetSequenceCount(1);
  document.frames = {{0, 0, 0, 0}, {1, 0, 0, 0}};
  auto bytes = tools::WriteLag(document);
  LagAnimation lag(&surfaces_);
  ASSERT_EQ(lag.LoadFromMemory(bytes.data(), bytes.size(), false), kLagOk);
  EXPECT_EQ(lag.GetSequenceEnd(0), 2);

  document.SetSequenceCount(2);
  bytes = tools::WriteLag(document);
  EXPECT_EQ(lag.LoadFromMemory(bytes.data(), bytes.size(), false), kLagFewSequences);
  EXPECT_EQ(lag.FrameCount(), 0u);
}

TEST_F(LagAnimationTest, EachDamageGivesItsCode) {
  const LagDocument document = GoodDocument();
  const std::vector<uint8_t> good = tools::WriteLag(document);
  const tools::LagOffsets at = tools::LagOffsetsOf(document);
  const uint64_t secondRecord = at.firstPictureRecord + 12;
  struct Case {
    const char* what;
    int expected;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  auto with = [&](auto change) {
    std::vector<uint8_t> bytes = good;
    change(bytes);
    return bytes;
  };
  cases.push_back({"magic", kLagBadHeader, with([](auto& b) { b[2] = 'D'; })});
  cases.push_back({"header cut", kLagBadHeader, {good.begin(), good.begin() + 10}});
  cases.push_back({"no sequence", kLagBadHeader, with([](auto& b) { b[4 + 6] = b[4 + 7] = 0; })});
  cases.push_back({"skip past the end", kLagTruncated, with([](auto& b) { PutU32(b, 16, 0x7FFFFFFF); })});
  cases.push_back({"frames cut", kLagTruncated, {good.begin(), good.begin() + long(at.frameCount + 20)}});
  cases.push_back({"frame count huge", kLagTruncated, with([&](auto& b) { PutU32(b, at.frameCount, 0xFFFFFFFF); })});
  cases.push_back({"picture record cut", kLagTruncated, {good.begin(), good.begin() + long(secondRecord + 10)}});
  cases.push_back({"picture data cut", kLagTruncated, {good.begin(), good.end() - 1}});
  cases.push_back({"picture size past the end", kLagTruncated,
                   with([&](auto& b) { PutU32(b, secondRecord, uint32_t(b.size())); })});
  cases.push_back({"offset past the end", kLagBadOffset,
                   with([&](auto& b) { PutU32(b, secondRecord + 4, uint32_t(b.size() + 1)); })});
  cases.push_back({"picture damaged", kLagBadPicture,
                   with([&](auto& b) { b[at.firstPictureData] = 'X'; })});
  cases.push_back({"picture stream damaged", kLagBadPicture,
                   with([&](auto& b) { PutU32(b, at.firstPictureRecord, 12); })});
  cases.push_back({"too few closings", kLagFewSequences, with([](auto& b) { b[4 + 6] = 4; })});
  LagAnimation lag(&surfaces_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(lag.LoadFromMemory(good.data(), good.size(), false), kLagOk);
    EXPECT_EQ(lag.LoadFromMemory(c.bytes.data(), c.bytes.size(), false), c.expected);
    EXPECT_EQ(lag.FrameCount(), 0u);
    EXPECT_EQ(lag.PictureCount(), 0u);
    EXPECT_EQ(lag.SequenceCount(), 0);
  }
  for (size_t size = 0; size < good.size(); ++size) {
    EXPECT_NE(lag.LoadFromMemory(good.data(), size, false), kLagOk) << size;
  }
  EXPECT_EQ(lag.Load("anim\\none.lag", false), kLagCannotOpen);
}

}  // namespace
}  // namespace orrivel
