#include "script/SceneFlagFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptTestSupport.h"
#include "script/PackedBody.h"
#include "script/SobCursor.h"

namespace orrivel {
namespace {

using testing::HostWithDisk;

void AddEntry(SceneFlagTable& table, const std::string& name, uint32_t bitsA, uint32_t bitsB) {
  SceneFlagEntry& entry = table.entries.emplace_back();
  entry.name = name + '\0';
  entry.nameLength = uint8_t(entry.name.size());
  entry.a.Resize(bitsA);
  entry.b.Resize(bitsB);
}

// Set bits as text: "A:1,5 B:2" per entry, entries separated by "|".
std::string Bits(const SceneFlagTable& table) {
  std::string text;
  for (const SceneFlagEntry& entry : table.entries) {
    if (!text.empty()) text += '|';
    text += "A:";
    for (uint32_t i = 0; i < entry.a.BitCount(); ++i)
      if (entry.a.Test(i)) text += std::to_string(i) + ',';
    text += " B:";
    for (uint32_t i = 0; i < entry.b.BitCount(); ++i)
      if (entry.b.Test(i)) text += std::to_string(i) + ',';
  }
  return text;
}

uint32_t HeaderWord(const std::vector<uint8_t>& file, size_t at) {
  SobCursor cursor(file.data() + at, 4);
  return cursor.U32();
}

TEST(SceneFlagFileTest, RecordsAreMatchedByNameAndBitCount) {
  SceneFlagTable written;
  AddEntry(written, "MAIN", 16, 8);
  AddEntry(written, "GONE", 8, 8);
  AddEntry(written, "SUB", 4, 12);
  AddEntry(written, "MAIN", 16, 8);  // a second record of the same name
  written.entries[0].a.Set(3, 1);
  written.entries[0].b.Set(7, 1);
  written.entries[1].a.Set(1, 1);
  written.entries[2].a.Set(2, 1);
  written.entries[2].b.Set(11, 1);
  written.entries[3].a.Set(9, 1);
  std::vector<uint8_t> file;
  ASSERT_EQ(SceneFlagFile::Write(written, file), SceneFlagFile::kOk);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "TLOG");
  EXPECT_EQ(HeaderWord(file, 12), 4u);
  EXPECT_EQ(HeaderWord(file, 4), file.size() - 16);

  // Another order, a changed bit count, a new entry, names compared exactly.
  SceneFlagTable read;
  AddEntry(read, "SUB", 4, 13);  // B grew: its bits stay
  AddEntry(read, "NEW", 8, 8);
  AddEntry(read, "main", 16, 8);
  AddEntry(read, "MAIN", 16, 8);
  AddEntry(read, "MAIN", 16, 8);
  read.entries[0].b.Set(0, 1);
  read.entries[1].a.Set(4, 1);
  ASSERT_EQ(SceneFlagFile::Read(file.data(), file.size(), read), SceneFlagFile::kOk);
  EXPECT_EQ(Bits(read), "A:2, B:0,|A:4, B:|A: B:|A:3, B:7,|A:9, B:");
}

TEST(SceneFlagFileTest, LargeTablesArePackedAndSmallOnesStored) {
  SceneFlagTable table;
  for (int i = 0; i < 40; ++i) AddEntry(table, "SCENE" + std::to_string(i), 256, 64);
  for (uint32_t bit = 0; bit < 256; bit += 7) table.entries[5].a.Set(bit, 1);
  std::vector<uint8_t> file;
  ASSERT_EQ(SceneFlagFile::Write(table, file), SceneFlagFile::kOk);
  EXPECT_NE(HeaderWord(file, 8), 0u);  // packed
  EXPECT_LT(HeaderWord(file, 4), HeaderWord(file, 8));

  SceneFlagTable copy;
  for (int i = 0; i < 40; ++i) AddEntry(copy, "SCENE" + std::to_string(i), 256, 64);
  ASSERT_EQ(SceneFlagFile::Read(file.data(), file.size(), copy), SceneFlagFile::kOk);
  EXPECT_EQ(Bits(copy), Bits(table));

  // A body that does not shrink is stored as is.
  PackedBody packed;
  const std::vector<uint8_t> mixed = {9, 1, 8, 2, 7, 3, 6, 4, 5, 0, 11, 13};
  ASSERT_TRUE(PackBody(mixed, packed));
  EXPECT_EQ(packed.unpackedSize, 0u);
  EXPECT_EQ(packed.stored, mixed);
  std::vector<uint8_t> body;
  EXPECT_TRUE(UnpackBody(packed.stored.data(), packed.stored.size(), 0, body));
  EXPECT_EQ(body, mixed);
}

// A TLOG file with one record whose fields are given as they are.
std::vector<uint8_t> OneRecord(const std::string& name, uint32_t bitsA, const std::vector<uint8_t>& bytesA,
                               uint32_t byteCountA) {
  std::vector<uint8_t> body;
  body.push_back(uint8_t(name.size() + 1));
  body.insert(body.end(), name.begin(), name.end());
  body.push_back(0);
  sob::PutU32(body, bitsA);
  sob::PutU32(body, byteCountA);
  body.insert(body.end(), bytesA.begin(), bytesA.end());
  sob::PutU32(body, 0);
  sob::PutU32(body, 0);
  std::vector<uint8_t> file = {'T', 'L', 'O', 'G'};
  sob::PutU32(file, uint32_t(body.size()));
  sob::PutU32(file, 0);
  sob::PutU32(file, 1);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

TEST(SceneFlagFileTest, DamagedFilesChangeNoBit) {
  SceneFlagTable table;
  AddEntry(table, "MAIN", 16, 8);
  AddEntry(table, "SUB", 4, 4);
  table.entries[0].a.Set(1, 1);
  table.entries[1].b.Set(2, 1);
  std::vector<uint8_t> good;
  ASSERT_EQ(SceneFlagFile::Write(table, good), 0);
  SceneFlagTable target;
  AddEntry(target, "MAIN", 16, 8);
  AddEntry(target, "SUB", 4, 4);
  target.entries[0].b.Set(5, 1);
  const std::string before = Bits(target);

  for (size_t length = 0; length < good.size(); ++length)
    EXPECT_EQ(SceneFlagFile::Read(good.data(), length, target), SceneFlagFile::kDamaged) << length;
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  EXPECT_EQ(SceneFlagFile::Read(longer.data(), longer.size(), target), SceneFlagFile::kDamaged);

  struct Case {
    const char* what;
    std::vector<uint8_t> file;
  };
  std::vector<Case> cases = {
      {"magic", good},
      {"entry count past the body", good},
      {"unpacked size far past the stored bytes", good},
      {"bytes fewer than the bit count needs", OneRecord("MAIN", 16, {0xFF}, 1)},
      {"byte count past the body", OneRecord("MAIN", 16, {0xFF, 0xFF}, 200)},
  };
  cases[0].file[0] = 'X';
  cases[1].file[12] = 0xFF;
  cases[2].file[8] = 0xFF;
  cases[2].file[9] = 0xFF;
  for (const Case& c : cases) {
    EXPECT_EQ(SceneFlagFile::Read(c.file.data(), c.file.size(), target), SceneFlagFile::kDamaged) << c.what;
    EXPECT_EQ(Bits(target), before) << c.what;
  }

  // More bytes than the bit count needs: only the needed bytes are copied.
  std::vector<uint8_t> extra = OneRecord("MAIN", 16, {0x01, 0x80, 0xFF, 0xFF, 0xFF}, 5);
  ASSERT_EQ(SceneFlagFile::Read(extra.data(), extra.size(), target), SceneFlagFile::kOk);
  EXPECT_EQ(Bits(target), "A:0,15, B:5,|A: B:");
}

constexpr const char* kScenes = R"(
scene MAIN flags 16 8
  ret
scene SUB flags 4 4
  ret
)";

TEST(SceneFlagFileTest, ContextSavesAndLoadsItsFlagFile) {
  std::vector<uint8_t> saved;
  {
    HostWithDisk f(kScenes);
    f.host.SetSaveFolder("Z:\\save\\");
    EXPECT_EQ(f.host.SaveSceneFlags(nullptr), 1);  // no name yet
    EXPECT_FALSE(f.host.SetFlagFileName(nullptr));
    ASSERT_TRUE(f.host.SetFlagFileName("FLAGS.DAT"));
    ASSERT_EQ(f.host.LoadScriptFile("MAIN", nullptr), 0);
    f.host.SetSceneFlagA(2, false);
    f.host.SetSceneFlagB(3, true);
    f.disk.failWrites = true;
    EXPECT_EQ(f.host.SaveSceneFlags(nullptr), 1);
    f.disk.failWrites = false;
    EXPECT_EQ(f.host.SaveSceneFlags("OTHER.DAT"), 0);
    EXPECT_EQ(f.disk.files.count("Z:\\save\\OTHER.DAT"), 1u);
    EXPECT_EQ(f.disk.files.count("Z:\\save\\FLAGS.DAT"), 0u);
    // The destructor writes the flag file under the stored name.
    f.Restart();
    saved = f.disk.files.at("Z:\\save\\FLAGS.DAT");
  }
  HostWithDisk g(kScenes);
  g.disk.files["FLAGS.DAT"] = saved;
  EXPECT_EQ(g.host.LoadSceneFlags("MISSING.DAT"), 1);
  EXPECT_EQ(g.host.LoadSceneFlags(nullptr), 1);
  ASSERT_EQ(g.host.LoadSceneFlags("FLAGS.DAT"), 0);
  EXPECT_TRUE(g.host.SceneTable().entries[0].a.Test(2));
  EXPECT_TRUE(g.host.SceneTable().entries[1].b.Test(3));
  g.disk.files["BAD.DAT"] = {'T', 'L', 'O', 'X'};
  EXPECT_EQ(g.host.LoadSceneFlags("BAD.DAT"), 2);

  // Without a scene table (no "SOB_INIT.DAT", or one that counts 0 entries)
  // nothing is written and loading does nothing.
  HostWithDisk empty("vars\n  int a\n");
  empty.disk.files["FLAGS.DAT"] = saved;
  EXPECT_EQ(empty.host.SaveSceneFlags("FLAGS2.DAT"), 2);
  EXPECT_EQ(empty.host.LoadSceneFlags("FLAGS.DAT"), 0);
  ScriptContext zero;
  const std::vector<uint8_t> noEntries = sob::WriteSceneTable({});
  ScriptContext::SystemFiles system;
  system.init = ScriptContext::Bytes(noEntries);
  ASSERT_EQ(zero.LoadSystemFromFiles(system, false, false), 0);
  EXPECT_FALSE(zero.SceneTable().Exists());
  std::map<std::string, std::vector<uint8_t>> written;
  zero.SetFileWriter([&written](const std::string& path, std::span<const uint8_t> data) {
    written[path].assign(data.begin(), data.end());
    return true;
  });
  EXPECT_EQ(zero.SaveSceneFlags("FLAGS.DAT"), 2);
  EXPECT_TRUE(written.empty());
  zero.SetFileReader([&saved](const std::string&) -> ScriptFileBytes { return saved; });
  EXPECT_EQ(zero.LoadSceneFlags("FLAGS.DAT"), 0);
}

}  // namespace
}  // namespace orrivel
