#include "resource/LpkArchive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <random>
#include <thread>

#include "TempFolder.h"
#include "base/Cp932.h"
#include "lpk/LpkWriter.h"
#include "resource/LpkCipher.h"
#include "resource/LpkConstants.h"
#include "resource/LpkSettings.h"

namespace orrivel {
namespace {

using testing::Bytes;
using testing::TempFolder;
using tools::LpkWriterMember;
using tools::LpkWriterOptions;

constexpr uint32_t kKey1 = 0x13579BDF;
constexpr uint32_t kKey2 = 0x2468ACE0;
// "ソ" (0x83 0x5C): a trail byte equal to the backslash code inside a name.
const std::string kSo = "\x83\x5C";

std::vector<uint8_t> Text(size_t lines, const std::string& head) {
  std::string text = head;
  for (size_t i = 0; i < lines; ++i) text += "line " + std::to_string(i % 37) + " of the scenario\r\n";
  return Bytes(text);
}

std::vector<uint8_t> Noise(size_t size, const std::string& head, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> data = Bytes(head);
  while (data.size() < size) data.push_back(uint8_t(random()));
  return data;
}

std::vector<LpkWriterMember> Members(const std::string& head) {
  std::vector<LpkWriterMember> members = {
      {"Script\\A.SOB", Text(200, head), true, false},
      {"b.bin", Noise(700, head, 3), false, true},
      {"DATA\\" + kSo + ".TXT", Text(90, head), true, true},
      {"Small.DAT", Bytes(head + "xy"), false, false},
      {"Image\\BG01.ELG", Noise(9000, head, 4), false, false},
  };
  if (!head.empty()) members.push_back({"HeadOnly.DAT", Bytes(head), false, false});
  return members;
}

class LpkArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetLpkSettings(); }
  void TearDown() override { ResetLpkSettings(); }

  // Writes the archive and opens it with the right key words.
  ArchivePtr Build(const LpkWriterOptions& options, const std::vector<LpkWriterMember>& members,
                   const std::string& fileName = "TEST.LPK") {
    std::string error;
    EXPECT_TRUE(tools::WriteLpkFile(folder_.HostPath(fileName), options, members, &error)) << error;
    SetLpkKeyWords(options.keyWord1, options.keyWord2);
    platform::File none;
    int code = -100;
    LpkArchive* archive = LpkArchive::Open(folder_.Internal() + fileName, none, &code);
    EXPECT_EQ(code, 0);
    return ArchivePtr(archive);
  }

  static std::vector<uint8_t> Load(const Archive& archive, uint32_t index, int* code) {
    MemoryBlock block;
    *code = archive.LoadMemberByIndex(index, ArchiveManagerAlloc, &block, nullptr, nullptr);
    std::vector<uint8_t> data;
    if (*code == 0) data.assign(static_cast<uint8_t*>(block.pointer), static_cast<uint8_t*>(block.pointer) + block.size);
    ArchiveManagerFree(&block);
    return data;
  }

  static std::vector<uint8_t> LoadByName(const Archive& archive, const std::string& name, int* code) {
    MemoryBlock block;
    *code = archive.LoadMember(name, ArchiveManagerAlloc, &block, nullptr, nullptr);
    std::vector<uint8_t> data;
    if (*code == 0) data.assign(static_cast<uint8_t*>(block.pointer), static_cast<uint8_t*>(block.pointer) + block.size);
    ArchiveManagerFree(&block);
    return data;
  }

  static std::vector<uint8_t> ReadStream(Stream& stream) {
    std::vector<uint8_t> data(stream.GetSize());
    uint32_t done = 0;
    for (uint32_t chunk = 1; done < data.size(); chunk = chunk * 3 + 1) {
      const uint32_t got = stream.Read(data.data() + done, chunk);
      if (got == 0) break;
      done += got;
    }
    data.resize(done);
    return data;
  }

  TempFolder folder_;
};

TEST_F(LpkArchiveTest, EveryFlagCombinationLoadsWholeAndAsStreams) {
  for (uint32_t combo = 0; combo < 64; ++combo) {
    LpkWriterOptions options;
    options.unitOffsets = combo & 1;
    options.nameTree = combo & 2;
    options.scrambledHeads = combo & 4;
    options.secondSize = combo & 8;
    options.wideTree = combo & 16;
    options.reservedFlag4 = combo & 16;
    const std::string head = (combo & 32) ? "ORV1" : "";
    options.commonHeadLength = uint32_t(head.size());
    options.keyWord1 = kKey1 + combo;
    options.keyWord2 = kKey2;
    SCOPED_TRACE("combination " + std::to_string(combo));
    const auto members = Members(head);
    ArchivePtr archive = Build(options, members);
    ASSERT_TRUE(archive);
    ASSERT_EQ(archive->GetCount(), members.size());
    for (uint32_t i = 0; i < members.size(); ++i) {
      int code = -1;
      EXPECT_EQ(Load(*archive, i, &code), members[i].data) << members[i].name;
      EXPECT_EQ(code, 0);
      const std::string upper = cp932::ToUpper(members[i].name);
      EXPECT_EQ(archive->HasMember(upper), options.nameTree);
      if (options.nameTree) {
        EXPECT_EQ(LoadByName(*archive, upper, &code), members[i].data);
        EXPECT_EQ(code, 0);
      } else {
        LoadByName(*archive, upper, &code);
        EXPECT_EQ(code, kLpkNotFound);
      }
      const bool packed = members[i].pack && options.secondSize && members[i].data.size() > 100 &&
                          !options.scrambledHeads;
      code = -1;
      StreamPtr stream(archive->OpenMemberStreamByIndex(i, &code));
      if (stream) {
        EXPECT_FALSE(packed);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(ReadStream(*stream), members[i].data);
        EXPECT_TRUE(stream->IsEof());
      } else {
        EXPECT_EQ(code, kLpkNotStreamable);
      }
    }
    int code = 0;
    Load(*archive, uint32_t(members.size()), &code);
    EXPECT_EQ(code, kLpkNotFound);
    EXPECT_EQ(archive->GetEntryList(), nullptr);
  }
}

// Scrambled members are read and unscrambled a slice at a time; members of
// several slices, ending on a slice's edge or just past it, load whole.
TEST_F(LpkArchiveTest, LargeScrambledMembersLoadAcrossReadSlices) {
  constexpr size_t kSlice = LpkArchive::kScrambledReadSlice;
  for (bool heads : {false, true}) {
    LpkWriterOptions options;
    options.scrambledHeads = heads;
    options.commonHeadLength = 4;
    const std::vector<LpkWriterMember> members = {
        {"one.bin", Noise(kSlice + 4, "ORV1", 5), false, true},
        {"three.bin", Noise(3 * kSlice + 4 + 13, "ORV1", 6), false, true},
        {"plain.bin", Noise(kSlice + 77, "ORV1", 7), false, false},
    };
    ArchivePtr archive = Build(options, members);
    ASSERT_TRUE(archive);
    for (uint32_t i = 0; i < members.size(); ++i) {
      int code = -1;
      EXPECT_EQ(Load(*archive, i, &code), members[i].data) << members[i].name << " heads " << heads;
      EXPECT_EQ(code, 0);
    }
  }
}

TEST_F(LpkArchiveTest, PackedMembersAreStoredPackedAndRefuseStreams) {
  LpkWriterOptions options;
  options.secondSize = true;
  ArchivePtr archive = Build(options, Members(""));
  ASSERT_TRUE(archive);
  int code = 0;
  StreamPtr stream(archive->OpenMemberStream("SCRIPT\\A.SOB", &code));
  EXPECT_FALSE(stream);
  EXPECT_EQ(code, kLpkNotStreamable);
  StreamPtr missing(archive->OpenMemberStream("nothing", &code));
  EXPECT_EQ(code, kLpkNotFound);
  EXPECT_LT(std::filesystem::file_size(folder_.HostPath("TEST.LPK")), 200 * 30 + 12000);
}

TEST_F(LpkArchiveTest, ListingNamesAndRecords) {
  SetLpkListing(true);
  LpkWriterOptions options;
  options.secondSize = true;
  options.unitOffsets = true;
  const auto members = Members("");
  ArchivePtr archive = Build(options, members);
  SetLpkListing(false);  // read at open only
  ASSERT_TRUE(archive && archive->GetEntryList());
  const auto& list = *archive->GetEntryList();
  ASSERT_EQ(list.size(), members.size());
  for (uint32_t i = 0; i < members.size(); ++i) {
    EXPECT_EQ(list[i].name, cp932::ToLower(members[i].name));
    EXPECT_EQ(list[i].record.index, i);
    EXPECT_EQ(list[i].record.fullSize, members[i].data.size());
    EXPECT_EQ(list[i].record.fileOffset % 2048, 0u);
    EXPECT_EQ(list[i].record.kind, 8);
    EXPECT_EQ(list[i].record.memberFlags != 0, members[i].scrambleBytes);
    EXPECT_EQ(list[i].record.hasSecondSize, list[i].record.storedSize != list[i].record.fullSize ? 1 : 0);
    std::string_view name;
    EXPECT_EQ(archive->GetListEntry(i, &name), &list[i].record);
    EXPECT_EQ(name, list[i].name);
  }
  EXPECT_EQ(archive->FindListEntry("IMAGE\\BG01.ELG"), &list[4].record);
  EXPECT_EQ(archive->FindListEntry("none"), nullptr);

  SetLpkListing(true);
  options.nameTree = false;
  ArchivePtr unnamed = Build(options, members, "NONAME.LPK");
  ASSERT_TRUE(unnamed && unnamed->GetEntryList());
  EXPECT_EQ((*unnamed->GetEntryList())[1].name, "000001.DAT");
}

TEST_F(LpkArchiveTest, StreamSeeksClampAndReadAcrossTheHead) {
  LpkWriterOptions options;
  options.scrambledHeads = true;
  options.commonHeadLength = 4;
  const auto members = Members("ORV1");
  ArchivePtr archive = Build(options, members);
  int code = 0;
  StreamPtr stream(archive->OpenMemberStream("image\\bg01.elg", &code));
  ASSERT_TRUE(stream);
  const auto& data = members[4].data;
  const uint32_t size = uint32_t(data.size());
  EXPECT_EQ(stream->SeekSet(size + 100), 0);
  EXPECT_EQ(stream->Tell(), size);
  uint8_t byte;
  EXPECT_EQ(stream->Read(&byte, 1), 0u);
  EXPECT_EQ(stream->SeekEnd(size + 5), 0);
  EXPECT_EQ(stream->Tell(), 0u);
  EXPECT_EQ(stream->SeekCurrent(10), 0);
  EXPECT_EQ(stream->SeekCurrent(-100), 0);
  EXPECT_EQ(stream->Tell(), 0u);
  EXPECT_EQ(stream->SeekEnd(4), 0);
  EXPECT_EQ(stream->Tell(), size - 4);
  // Reads that start in the head and run past it, from several places.
  for (uint32_t start : {0u, 3u, 255u, 259u, 260u, 1000u}) {
    stream->SeekSet(start);
    std::vector<uint8_t> part(600);
    const uint32_t got = stream->Read(part.data(), 600);
    ASSERT_EQ(got, std::min<uint32_t>(600, size - start));
    EXPECT_TRUE(std::equal(part.begin(), part.begin() + got, data.begin() + start)) << start;
  }
}

TEST_F(LpkArchiveTest, ThreadsLoadDifferentMembersAtOnce) {
  LpkWriterOptions options;
  options.secondSize = true;
  options.scrambledHeads = true;
  const auto members = Members("");
  ArchivePtr archive = Build(options, members);
  ASSERT_TRUE(archive);
  std::atomic<int> mismatches{0};
  auto worker = [&](uint32_t index) {
    for (int round = 0; round < 200; ++round) {
      int code = 0;
      if (Load(*archive, index, &code) != members[index].data) ++mismatches;
    }
  };
  std::thread a(worker, 0), b(worker, 4), c(worker, 2);
  a.join();
  b.join();
  c.join();
  EXPECT_EQ(mismatches.load(), 0);
}

// Raw archive with a chosen directory (before scrambling) and trailing data.
std::vector<uint8_t> RawArchive(const std::string& fileName, uint32_t sizeField, uint32_t flags,
                                std::vector<uint8_t> directory, const std::vector<uint8_t>& tail) {
  lpk::NameKey key;
  lpk::MakeNameKey(fileName, &key);
  const uint32_t headerKey = lpk::HeaderKey(key, kKey2);
  lpk::ScrambleDirectory(directory.data(), directory.size(), headerKey);
  std::vector<uint8_t> out = {'L', 'P', 'K', '1', 0, 0, 0, 0};
  lpk::WriteLe32(out.data() + 4, (sizeField | flags << 24) ^ headerKey);
  out.insert(out.end(), directory.begin(), directory.end());
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

// Directory: count, head, [tree], entries.
std::vector<uint8_t> Directory(uint32_t count, const std::string& head, const std::vector<uint8_t>& tree,
                               const std::vector<std::vector<uint32_t>>& entries) {
  std::vector<uint8_t> d(4);
  lpk::WriteLe32(d.data(), count);
  d.push_back(uint8_t(head.size()));
  d.insert(d.end(), head.begin(), head.end());
  if (!tree.empty()) {
    d.push_back(0);
    d.resize(d.size() + 4);
    lpk::WriteLe32(d.data() + d.size() - 4, uint32_t(tree.size()));
    d.insert(d.end(), tree.begin(), tree.end());
  }
  for (const auto& e : entries) {
    d.push_back(0);
    for (uint32_t v : e) {
      d.resize(d.size() + 4);
      lpk::WriteLe32(d.data() + d.size() - 4, v);
    }
  }
  return d;
}

TEST_F(LpkArchiveTest, CorruptArchivesGiveCodes) {
  const uint32_t tree = lpk::kFlagNameTree, second = lpk::kFlagSecondSize;
  // Tree for the single name "a" -> index 0, 16-bit form.
  const std::vector<uint8_t> goodTree = {1, 'a', 0, 0, 1, 0, 0, 0};
  auto withSize = [](std::vector<uint8_t> d) { return std::pair(uint32_t(d.size()), d); };
  struct Case {
    const char* what;
    uint32_t sizeField;
    uint32_t flags;
    std::vector<uint8_t> directory;
    std::vector<uint8_t> tail;
    bool entryGood = false;  // only the name tree is broken
  };
  std::vector<Case> cases;
  auto add = [&](const char* what, uint32_t flags, std::vector<uint8_t> d, std::vector<uint8_t> tail = {}) {
    auto [size, bytes] = withSize(std::move(d));
    cases.push_back({what, size, flags, std::move(bytes), std::move(tail)});
  };
  const uint32_t dataAt = 8;  // patched below to point past the directory
  add("directory below 4 bytes", 0, {1, 0, 0});
  add("count past the directory", 0, Directory(1000, "", {}, {{dataAt, 4}}));
  add("head past the directory", 0, {1, 0, 0, 0, 200, 'x'});
  add("tree past the directory", tree, {1, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0});
  const size_t firstTreeCase = cases.size();
  add("tree link out of the tree", tree, Directory(1, "", {1, 'a', 0xF0, 0x00}, {{dataAt, 4}}), {1, 2, 3, 4});
  add("tree value past the count", tree, Directory(1, "", {1, 'a', 0, 0, 1, 0, 7, 0}, {{dataAt, 4}}),
      {1, 2, 3, 4});
  for (size_t i = firstTreeCase; i < cases.size(); ++i) cases[i].entryGood = true;
  add("member past the end", tree, Directory(1, "", goodTree, {{dataAt, 400}}), {1, 2, 3, 4});
  add("offset past the end", tree, Directory(1, "", goodTree, {{0x7FFFFFFF, 4}}), {1, 2, 3, 4});
  add("head longer than the member", tree | second, Directory(1, "HEAD", goodTree, {{dataAt, 2, 2}}),
      {1, 2, 3, 4});
  add("bad packed data", tree | second, Directory(1, "", goodTree, {{dataAt, 4, 100}}), {0, 0xEE, 0xF2, 0});
  // Point every entry's offset just past the directory.
  for (Case& c : cases) {
    const size_t entrySize = (c.flags & second) ? 13 : 9;
    const uint32_t count = c.directory.size() >= 4 ? lpk::ReadLe32(c.directory.data()) : 0;
    if (count != 1 || c.directory.size() < entrySize) continue;
    uint8_t* entry = c.directory.data() + c.directory.size() - entrySize;
    if (lpk::ReadLe32(entry + 1) == dataAt) lpk::WriteLe32(entry + 1, uint32_t(8 + c.directory.size()));
  }
  cases.push_back({"unit flag with a header word of 0", 0, lpk::kFlagUnitOffsets, Directory(0, "", {}, {}), {}});

  SetLpkKeyWords(kKey1, kKey2);
  for (bool listing : {false, true}) {
    SetLpkListing(listing);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      folder_.Write("BAD.LPK", RawArchive("BAD.LPK", c.sizeField, c.flags, c.directory, c.tail));
      platform::File none;
      int code = 0;
      ArchivePtr archive(LpkArchive::Open(folder_.Internal() + "BAD.LPK", none, &code));
      if (!archive) {
        EXPECT_NE(code, 0);
        continue;
      }
      for (uint32_t i = c.entryGood ? 1 : 0; i < 2; ++i) {
        Load(*archive, i, &code);
        EXPECT_NE(code, 0);
        StreamPtr stream(archive->OpenMemberStreamByIndex(i, &code));
        EXPECT_FALSE(stream);
      }
      if (c.entryGood) {
        EXPECT_EQ(Load(*archive, 0, &code), std::vector<uint8_t>({1, 2, 3, 4}));
      }
      LoadByName(*archive, "a", &code);
      EXPECT_NE(code, 0);
    }
  }
}

// Hand-laid archive in 2048-byte units: a header word of 1 gives a
// directory of 2040 bytes, a stored offset of 3 the file offset 6144.
TEST_F(LpkArchiveTest, UnitOffsetsAndEmptyMembersFromARawArchive) {
  // Names "a" -> 0 and "b" -> 1 (16-bit links: distances from the end of
  // each child entry to its node).
  const std::vector<uint8_t> tree = {2, 'a', 3, 0, 'b', 4, 0, 1, 0, 0, 0, 1, 0, 1, 0};
  std::vector<uint8_t> directory = Directory(2, "", tree, {{3, 4}, {3, 0}});
  ASSERT_LE(directory.size(), 2040u);
  directory.resize(2040);
  std::vector<uint8_t> tail(4096, 0xEE);
  tail.insert(tail.end(), {'D', 'A', 'T', 'A'});
  folder_.Write("UNITS.LPK", RawArchive("UNITS.LPK", 1, lpk::kFlagUnitOffsets | lpk::kFlagNameTree, directory, tail));
  SetLpkKeyWords(kKey1, kKey2);
  SetLpkListing(true);
  platform::File none;
  int code = -1;
  ArchivePtr archive(LpkArchive::Open(folder_.Internal() + "UNITS.LPK", none, &code));
  ASSERT_TRUE(archive) << code;
  EXPECT_EQ(archive->GetCount(), 2u);
  EXPECT_EQ(LoadByName(*archive, "A", &code), Bytes("DATA"));
  EXPECT_EQ(code, kLpkOk);
  const ArchiveEntryRecord* record = archive->FindListEntry("a");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->fileOffset, 6144u);
  EXPECT_EQ(record->hasSecondSize, 0);
  StreamPtr stream(archive->OpenMemberStream("a", &code));
  ASSERT_TRUE(stream);
  EXPECT_EQ(ReadStream(*stream), Bytes("DATA"));
  // A stored size of 0: nothing to load, nothing to stream.
  LoadByName(*archive, "b", &code);
  EXPECT_EQ(code, kLpkEmptyMember);
  stream.reset(archive->OpenMemberStream("b", &code));
  EXPECT_FALSE(stream);
  EXPECT_EQ(code, kLpkNotStreamable);
  MemoryBlock block;
  EXPECT_EQ(archive->LoadMemberByIndex(0, nullptr, &block, nullptr, nullptr), kLpkNoPath);  // no allocator
}

TEST_F(LpkArchiveTest, TruncationsBadMagicAndWrongKeysFail) {
  LpkWriterOptions options;
  options.secondSize = true;
  options.scrambledHeads = true;
  options.keyWord1 = kKey1;
  options.keyWord2 = kKey2;
  const auto members = Members("ORV1");
  options.commonHeadLength = 4;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(tools::BuildLpk("GOOD.LPK", options, members, &bytes, nullptr));
  auto tryOpen = [&](const std::vector<uint8_t>& data, const std::string& name, uint32_t k1, uint32_t k2) {
    folder_.Write(name, data);
    SetLpkKeyWords(k1, k2);
    platform::File none;
    int code = 0;
    ArchivePtr archive(LpkArchive::Open(folder_.Internal() + name, none, &code));
    if (!archive) return code;
    int worst = 0;
    for (uint32_t i = 0; i < archive->GetCount() && i < 16; ++i) {
      Load(*archive, i, &code);
      if (code != 0) worst = code;
      StreamPtr stream(archive->OpenMemberStreamByIndex(i, &code));
      if (stream) ReadStream(*stream);
    }
    return worst;
  };
  EXPECT_EQ(tryOpen(bytes, "GOOD.LPK", kKey1, kKey2), 0);
  for (size_t cut = 0; cut < bytes.size(); cut += 1 + cut / 8) {
    std::vector<uint8_t> shorter(bytes.begin(), bytes.begin() + std::ptrdiff_t(cut));
    EXPECT_NE(tryOpen(shorter, "GOOD.LPK", kKey1, kKey2), 0) << cut;
  }
  auto badMagic = bytes;
  badMagic[3] = '2';
  EXPECT_EQ(tryOpen(badMagic, "GOOD.LPK", kKey1, kKey2), kLpkBadMagic);
  EXPECT_NE(tryOpen(bytes, "GOOD.LPK", kKey1, kKey2 ^ 0x10000), 0);
  EXPECT_NE(tryOpen(bytes, "OTHER.LPK", kKey1, kKey2), 0);
  // The first key word only keys member heads: the directory opens, heads differ.
  folder_.Write("GOOD.LPK", bytes);
  SetLpkKeyWords(kKey1 ^ 1, kKey2);
  platform::File none;
  int code = 0;
  ArchivePtr archive(LpkArchive::Open(folder_.Internal() + "GOOD.LPK", none, &code));
  ASSERT_TRUE(archive);
  EXPECT_NE(Load(*archive, 4, &code), members[4].data);
  // The key ignores the letter case of the archive's name.
  EXPECT_EQ(tryOpen(bytes, "good.lpk", kKey1, kKey2), 0);
}

// The name key comes from the archive's file name alone: folder and
// extension cut with two-byte characters kept whole, ASCII letters of
// single-byte characters upper-cased.
TEST(LpkNameKeyTest, KeyOfTheFileNameStem) {
  auto key = [](std::string_view path) {
    lpk::NameKey k;
    EXPECT_TRUE(lpk::MakeNameKey(path, &k)) << path;
    return std::pair(k.first, k.second);
  };
  EXPECT_EQ(key("SCRIPT.LPK"), key("Z:\\game\\script.lpk"));
  EXPECT_EQ(key("NAME"), key("E:\\A.B\\name.LPK"));
  EXPECT_EQ(key(kSo + ".LPK"), key("E:\\DIR/" + kSo + ".lpk"));  // trail byte 0x5C is no separator
  EXPECT_NE(key("\x83\x61.LPK"), key("\x83\x41.LPK"));          // trail bytes keep their case
  EXPECT_NE(key("AB.LPK"), key("BA.LPK"));
  lpk::NameKey k;
  EXPECT_FALSE(lpk::MakeNameKey("E:\\GAME\\.LPK", &k));
  EXPECT_FALSE(lpk::MakeNameKey("E:\\GAME\\", &k));
}

// The word-wide unscramble against the table form: every byte value, at
// every start offset and with tails of every length around a word.
TEST(LpkByteScrambleTest, WordFormMatchesTheTableForEveryByte) {
  std::vector<uint8_t> all(256 + 3 * 8);
  for (size_t i = 0; i < all.size(); ++i) all[i] = uint8_t(i * 167 + 11);
  for (size_t offset = 0; offset < 8; ++offset) {
    for (size_t size : {size_t(0), size_t(1), size_t(7), size_t(9), all.size() - offset}) {
      std::vector<uint8_t> words(all.begin() + ptrdiff_t(offset), all.begin() + ptrdiff_t(offset + size));
      std::vector<uint8_t> table = words;
      lpk::UnscrambleBytes(words.data(), words.size());
      lpk::UnscrambleBytesByTable(table.data(), table.size());
      ASSERT_EQ(words, table) << offset << " " << size;
    }
  }
  for (int b = 0; b < 256; ++b) EXPECT_EQ(lpk::ScrambleByte(lpk::UnscrambleByte(uint8_t(b))), b);
}

// Each vector width the processor has, not only the widest one the archive
// reads take, in place and from one run into another: every byte value, and an odd length that leaves a tail for
// each narrower loop (16-byte vectors, words, single bytes) after the wide one; the output starting at every
// place within a vector (the bytes before the first whole vector go one at a time), short runs included.
TEST(LpkByteScrambleTest, EveryVectorWidthMatchesTheTable) {
  const std::vector<size_t> widths = lpk::UnscrambleWidths();
  ASSERT_FALSE(widths.empty());
  EXPECT_EQ(widths.back(), 8u);
  for (size_t i = 1; i < widths.size(); ++i) EXPECT_EQ(widths[i], widths[i - 1] / 2);
  std::vector<uint8_t> all(256 + 64 + 16 + 8 + 7);
  for (size_t i = 0; i < all.size(); ++i) all[i] = uint8_t(i * 167 + 11);
  std::vector<uint8_t> table = all;
  lpk::UnscrambleBytesByTable(table.data(), table.size());
  // Runs are placed in a block of our own so that their start within a
  // vector is known, not left to the allocator.
  constexpr size_t kAlign = 64;
  std::vector<uint8_t> block(all.size() + 3 * kAlign);
  uint8_t* const aligned =
      block.data() + (kAlign - reinterpret_cast<uintptr_t>(block.data()) % kAlign) % kAlign;
  for (size_t width : widths) {
    for (size_t place = 0; place < kAlign; ++place) {
      for (size_t offset : {size_t(0), size_t(5), all.size() - 3}) {
        const size_t size = all.size() - offset;
        uint8_t* const run = aligned + place + 1;
        std::fill(block.begin(), block.end(), uint8_t(0xEE));
        std::copy(all.begin() + ptrdiff_t(offset), all.end(), run);
        std::vector<uint8_t> packed(all.begin() + ptrdiff_t(offset), all.end());
        // In place.
        lpk::UnscrambleBytesAtWidth(width, run, size);
        ASSERT_TRUE(std::equal(run, run + size, table.begin() + ptrdiff_t(offset)))
            << "width " << width << " place " << place << " offset " << offset;
        ASSERT_EQ(run[-1], 0xEE);
        ASSERT_EQ(run[size], 0xEE);
        // From one run into another: the same bytes, and nothing written around them.
        std::fill(block.begin(), block.end(), uint8_t(0xEE));
        lpk::UnscrambleBytesIntoAtWidth(width, run, packed.data(), size);
        ASSERT_TRUE(std::equal(run, run + size, table.begin() + ptrdiff_t(offset)))
            << "width " << width << " place " << place << " offset " << offset;
        ASSERT_EQ(run[-1], 0xEE);
        ASSERT_EQ(run[size], 0xEE);
      }
    }
  }
}

TEST(LpkSettingsTest, AssistCommands) {
  ResetLpkSettings();
  EXPECT_EQ(LpkAssist(1, int32_t(0x11111111), int32_t(0x22222222)), 0);
  EXPECT_EQ(GetLpkSettings().keyWord1, 0x11111111u);
  EXPECT_EQ(GetLpkSettings().keyWord2, 0x22222222u);
  EXPECT_EQ(LpkAssist(0, 1), 0);
  EXPECT_TRUE(GetLpkSettings().listing);
  EXPECT_EQ(LpkAssist(7), 5);
  const int32_t shortArgs[] = {1, 5};
  EXPECT_EQ(LpkAssist2(shortArgs, 2), 5);
  ResetLpkSettings();
  EXPECT_FALSE(GetLpkSettings().listing);
}

}  // namespace
}  // namespace orrivel
