#include "game/SaveFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "platform/TextCodec.h"
#include "script/SobCursor.h"

namespace orrivel {
namespace {

using L = SaveFileLayout;
using Bytes = std::vector<uint8_t>;

Bytes SampleBlob() {
  Bytes blob;
  for (int i = 0; i < 3000; ++i) blob.push_back(uint8_t(i % 7 == 0 ? i : 'a' + i % 3));
  return blob;
}

SaveFileInfo SampleInfo() {
  SaveFileInfo info;
  for (size_t i = 0; i < info.thumbnail.size(); ++i) info.thumbnail[i] = uint8_t(i * 31);
  info.title = MakeSaveTitle("Title");
  std::memcpy(info.comment.data(), "note", 4);
  return info;
}

void PutU32(Bytes& file, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + i] = uint8_t(value >> (8 * i));
}

TEST(SaveFile, LayoutIsByteExact) {
  const Bytes blob = SampleBlob();
  for (bool pack : {true, false}) {
    const Bytes file = BuildSaveFile(SampleInfo(), blob, pack);
    EXPECT_EQ(std::memcmp(file.data(), "KVL0", 4), 0);
    EXPECT_EQ(SobCursor(file.data() + 4, 4).U32(), 0u);
    EXPECT_EQ(file[8 + 396 + 1], uint8_t((396 + 1) * 31));  // second row, green of the first pixel
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data() + 29312)), "Title");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data() + 29356)), "note");
    EXPECT_EQ(file[29500], 0);
    const uint32_t stored = SobCursor(file.data() + 29501, 4).U32();
    const uint32_t unpacked = SobCursor(file.data() + 29505, 4).U32();
    EXPECT_EQ(file.size(), 29510u + stored);
    EXPECT_EQ(unpacked, pack ? blob.size() : 0u);
    uint8_t sum = 0;
    for (size_t i = 29510; i < file.size(); ++i) sum = uint8_t(sum + file[i]);
    EXPECT_EQ(file[29509], sum);
    Bytes back;
    ASSERT_EQ(ParseSaveFile(file, back), kSaveFileOk);
    EXPECT_EQ(back, blob);
  }
  // An empty title is four zero bytes; a long one keeps 40 bytes.
  EXPECT_EQ(MakeSaveTitle("")[0] | MakeSaveTitle("")[3], 0);
  EXPECT_EQ(BlockText(MakeSaveTitle(std::string(60, 'x'))).size(), 40u);
}

// A state stored unpacked may give its unpacked size as 0 or as its stored
// size: either way its bytes are the state, never LZSS data.
TEST(SaveFile, AStoredStateWithItsOwnSizeAsUnpackedSizeLoadsAsStored) {
  const Bytes blob = SampleBlob();
  Bytes file = BuildSaveFile(SampleInfo(), blob, false);
  ASSERT_EQ(SobCursor(file.data() + L::kUnpackedSizeOffset, 4).U32(), 0u);
  PutU32(file, L::kUnpackedSizeOffset, uint32_t(blob.size()));
  Bytes back;
  ASSERT_EQ(ParseSaveFile(file, back), kSaveFileOk);
  EXPECT_EQ(back, blob);
}

TEST(SaveFile, DamagedContainersAreRefused) {
  const Bytes good = BuildSaveFile(SampleInfo(), SampleBlob(), true);
  const uint32_t stored = SobCursor(good.data() + L::kStoredSizeOffset, 4).U32();
  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
    int32_t code;
  } cases[] = {
      {"wrong magic", [](Bytes& f) { f[3] = '1'; }, kSaveFileDamaged},
      {"version 5", [](Bytes& f) { PutU32(f, 4, 5); }, kSaveFileVersion},
      {"S past the end", [&](Bytes& f) { PutU32(f, L::kStoredSizeOffset, stored + 1); }, kSaveFileDamaged},
      {"wrong checksum", [](Bytes& f) { f[L::kChecksumOffset] ^= 1; }, kSaveFileDamaged},
      {"U beyond what S can unpack to", [](Bytes& f) { PutU32(f, L::kUnpackedSizeOffset, 0xFFFFFFF0u); },
       kSaveFileDamaged},
      {"U larger than the data gives",
       [&](Bytes& f) { PutU32(f, L::kUnpackedSizeOffset, uint32_t(SampleBlob().size() + 4000)); }, kSaveFileDamaged},
      {"LZSS garbage",
       [&](Bytes& f) {
         for (size_t i = L::kStateOffset; i < f.size(); ++i) f[i] = 0;
         f[L::kChecksumOffset] = 0;
       },
       kSaveFileDamaged},
      {"header cut", [](Bytes& f) { f.resize(100); }, kSaveFileDamaged},
  };
  for (const Case& c : cases) {
    Bytes file = good;
    c.damage(file);
    Bytes blob{1, 2, 3};
    EXPECT_EQ(ParseSaveFile(file, blob), c.code) << c.name;
  }
  // The file cut at every byte is refused.
  for (size_t cut = 0; cut < good.size(); cut += cut < L::kStateOffset ? 97 : 1) {
    Bytes blob;
    ASSERT_NE(ParseSaveFile(std::span(good.data(), cut), blob), kSaveFileOk) << cut;
  }
  // A file of another version still gives its information.
  Bytes other = good;
  PutU32(other, 4, 5);
  SaveFileInfo info;
  ASSERT_TRUE(ReadSaveFileInfo(other, info));
  EXPECT_EQ(BlockText(info.title), "Title");
}

TEST(SaveFile, CommentsAreCutAndWrapped) {
  EXPECT_EQ(CutSaveComment(std::string(200, 'a')), std::string(139, 'a'));
  // A two-byte character that would leave no room for the NUL stays out.
  const std::string kanji = "\x88\x9f";
  EXPECT_EQ(CutSaveComment(std::string(138, 'a') + kanji), std::string(138, 'a'));
  EXPECT_EQ(CutSaveComment(std::string(137, 'a') + kanji), std::string(137, 'a') + kanji);

  struct Case {
    std::string text;
    std::string wrapped;
  } cases[] = {
      {std::string(40, 'b'), std::string(34, 'b') + "\n" + std::string(6, 'b')},
      {"one\ntwo", "one\ntwo"},
      {std::string(33, 'c') + kanji, std::string(33, 'c') + "\n" + kanji},
      {"1\n2\n3\n4\n5", "1\n2\n3\n4"},
  };
  for (const Case& c : cases) EXPECT_EQ(WrapSaveComment(c.text), c.wrapped) << c.text;
}

TEST(SaveFile, CaptionsWithEachSeparator) {
  const std::string title = "t";
  const std::string date = platform::Utf8ToCp932Lossy("2024/01/02(火) 03:04");
  const std::pair<uint8_t, const char*> cases[] = {{0, " "}, {1, "\n"}, {2, "\r\n"}, {7, "\r\n"}};
  for (auto [kind, separator] : cases) {
    const std::string expected = std::string("『t』") + separator + "【記録日時 2024/01/02(火) 03:04】";
    EXPECT_EQ(platform::Cp932ToUtf8Lossy(MakeSaveCaptionText(title, kind, date)), expected) << int(kind);
  }
  // 2024-01-02 03:04 local time was a Tuesday.
  struct tm local {};
  local.tm_year = 124, local.tm_mon = 0, local.tm_mday = 2, local.tm_hour = 3, local.tm_min = 4, local.tm_isdst = -1;
  const int64_t ns = int64_t(mktime(&local)) * 1000000000;
  EXPECT_EQ(FormatSaveDate(ns), date);
}

}  // namespace
}  // namespace orrivel
