// "TEXT_LOG.DAT": which messages the player has read, kept across runs.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "TgsTestSupport.h"
#include "platform/FileSystem.h"
#include "resource/TempFolder.h"
#include "script/ByteWriter.h"
#include "script/PackedBody.h"

namespace orrivel {
namespace {

std::vector<tob::ScriptRecord> Scripts() { return {{"MAIN", 40, 3}, {"SUB", 9, 0}, {"END", 2, 2}}; }

void MarkSome(TgsModule& module, const char* name, std::initializer_list<int32_t> ids) {
  ASSERT_NE(module.FindScript(name), nullptr);
  for (int32_t id : ids) ASSERT_EQ(module.MarkMessageRead(id), 0);
}

bool Read(TgsModule& module, const char* name, int32_t id) {
  return module.FindScript(name) && module.IsMessageRead(id);
}

class TgsReadFlags : public ::testing::Test {
 protected:
  TgsFixture f;
  void SetUp() override {
    f.AddTable(Scripts());
    for (const char* name : {"MAIN", "SUB", "END"}) f.AddModule(name, "text");
    f.module.SetSaveFolder("SAVE\\");
    MarkSome(f.module, "MAIN", {0, 17, 39});
    MarkSome(f.module, "END", {1});
    f.module.ScriptTable().entries[0].b.Set(2, 1);
    ASSERT_EQ(f.module.SaveReadFlags("TEXT_LOG.DAT"), 0);
    saved = f.disk.files.at("SAVE\\TEXT_LOG.DAT");
  }
  std::vector<uint8_t> saved;
};

TEST_F(TgsReadFlags, RoundTripAndChangedTable) {
  TgsFixture g;
  g.disk = f.disk;
  // SUB now has more messages: it starts unread, the others keep their flags;
  // END is no longer listed and its record is skipped.
  g.AddTable({{"NEW", 4, 0}, {"SUB", 10, 0}, {"MAIN", 40, 3}});
  for (const char* name : {"MAIN", "SUB", "NEW"}) g.AddModule(name, "text");
  g.module.SetSaveFolder("SAVE\\");
  g.module.ScriptTable().entries[1].a.Set(5, 1);
  ASSERT_EQ(g.module.LoadReadFlags("TEXT_LOG.DAT"), 0);
  EXPECT_TRUE(Read(g.module, "MAIN", 0));
  EXPECT_TRUE(Read(g.module, "MAIN", 17));
  EXPECT_TRUE(Read(g.module, "MAIN", 39));
  EXPECT_FALSE(Read(g.module, "MAIN", 1));
  EXPECT_TRUE(g.module.ScriptTable().entries[2].b.Test(2));
  EXPECT_EQ(g.module.CountReadMessages("MAIN"), 3u);
  EXPECT_TRUE(Read(g.module, "SUB", 5));  // its flags were not replaced
  EXPECT_EQ(g.module.CountReadMessages("NEW"), 0u);

  // With the same table, everything comes back.
  TgsFixture h;
  h.disk = f.disk;
  h.AddTable(Scripts());
  h.AddModule("END", "text");
  h.module.SetSaveFolder("SAVE\\");
  ASSERT_EQ(h.module.LoadReadFlags("TEXT_LOG.DAT"), 0);
  EXPECT_TRUE(Read(h.module, "END", 1));
  EXPECT_EQ(h.module.CountReadMessages(std::nullopt), 4u);
  EXPECT_EQ(h.module.LoadReadFlags("NONE.DAT"), 1);
  EXPECT_EQ(h.module.LoadReadFlags(std::nullopt), 1);  // no name at all
  EXPECT_EQ(h.module.SaveReadFlags(std::nullopt), 1);
}

TEST_F(TgsReadFlags, DamagedFilesLoadNothing) {
  // An unpacked copy of the same flags, whose fields are easy to patch.
  SobCursor header(saved.data(), saved.size());
  header.Take(4);
  const uint32_t storedSize = header.U32();
  const uint32_t unpackedSize = header.U32();
  const uint32_t records = header.U32();
  std::vector<uint8_t> body;
  ASSERT_TRUE(UnpackBody(header.Take(storedSize), storedSize, unpackedSize, body));
  auto file = [&](uint32_t count, const std::vector<uint8_t>& b, uint32_t unpacked = 0) {
    std::vector<uint8_t> out = {'T', 'S', 'L', 'G'};
    AppendU32(out, uint32_t(b.size()));
    AppendU32(out, unpacked);
    AppendU32(out, count);
    out.insert(out.end(), b.begin(), b.end());
    return out;
  };
  auto patched = [&](size_t at, uint32_t value) {
    std::vector<uint8_t> b = body;
    for (int k = 0; k < 4; ++k) b[at + k] = uint8_t(value >> (8 * k));
    return b;
  };
  // MAIN's record: L, "MAIN\0", bit count, byte count (at 10), 5 bytes...
  std::vector<uint8_t> wrongMagic = saved;
  wrongMagic[3] = 'X';
  std::vector<uint8_t> hugeUnpacked = saved;
  for (int k = 0; k < 4; ++k) hugeUnpacked[8 + k] = 0xFF;
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"wrong magic", wrongMagic},
      {"short body", std::vector<uint8_t>(saved.begin(), saved.end() - 1)},
      {"cut header", std::vector<uint8_t>(saved.begin(), saved.begin() + 10)},
      {"lying record count", file(records + 1, body)},
      {"huge record count", file(0x7FFFFFFF, body)},
      {"byte count past the body", file(records, patched(10, 0x10000))},
      {"byte count below its bit count", file(records, patched(10, 1))},
      {"name length past the body", file(1, std::vector<uint8_t>{200, 'M'})},
      {"huge unpacked size", hugeUnpacked},
  };
  ASSERT_EQ(file(records, body).size(), body.size() + 16);
  for (const Case& c : cases) {
    TgsFixture g;
    g.disk.Put("TEXT_LOG.DAT", c.bytes);
    g.AddTable(Scripts());
    g.AddModule("MAIN", "text");
    MarkSome(g.module, "MAIN", {3});
    EXPECT_EQ(g.module.LoadReadFlags("TEXT_LOG.DAT"), 2) << c.what;
    EXPECT_EQ(g.module.CountReadMessages(std::nullopt), 1u) << c.what;  // nothing changed
  }
  TgsFixture g;
  g.disk.Put("TEXT_LOG.DAT", file(records, body));
  g.AddTable(Scripts());
  EXPECT_EQ(g.module.LoadReadFlags("TEXT_LOG.DAT"), 0);
  EXPECT_EQ(g.module.CountReadMessages(std::nullopt), 4u);
}

// On a real disk: the previous file survives any write that does not finish.
class TgsReadFlagsOnDisk : public testing::GameFolderTest {
 protected:
  TgsDisk disk;
  void Prepare(TgsModule& module) {
    disk.Put("SCRIPT\\TGS_INIT.DAT", tob::WriteScriptTable(Scripts()));
    tob::Module m;
    m.text = {'t', 0};
    disk.Put("SCRIPT\\MAIN.TOB", tob::WriteModule(m));
    module.SetFolder("SCRIPT");
    module.SetFileReader([this](const std::string& path) -> ScriptFileBytes {
      if (path.rfind("SCRIPT\\", 0) == 0) return disk.Read(path);
      return ReadScriptFile(path);
    });
    ASSERT_EQ(module.LoadInit("TGS_INIT.DAT"), 0);
    module.SetSaveFolder(folder_.Internal());
    ASSERT_NE(module.FindScript("MAIN"), nullptr);
  }
  uint32_t LoadedCount() {
    ScriptAddressSpace space;
    TgsModule module(space);
    Prepare(module);
    EXPECT_EQ(module.LoadReadFlags("TEXT_LOG.DAT"), 0);
    return module.CountReadMessages(std::nullopt);
  }
};

TEST_F(TgsReadFlagsOnDisk, WriteCutAtEveryByte) {
  ScriptAddressSpace space;
  TgsModule module(space);
  Prepare(module);
  MarkSome(module, "MAIN", {1, 2});
  ASSERT_EQ(module.SaveReadFlags("TEXT_LOG.DAT"), 0);
  MarkSome(module, "MAIN", {3, 4, 5});
  std::vector<uint8_t> next;
  size_t cut = 0;
  // A writer that dies after `cut` bytes of its temporary file.
  module.SetFileWriter([&](const std::string& path, std::span<const uint8_t> data) {
    next.assign(data.begin(), data.end());
    std::string folder = path.substr(0, path.find_last_of('\\') + 1);
    auto temp = platform::CreateTempFile(folder, "VQF");
    if (!temp) return false;
    platform::File file = platform::File::Open(*temp, platform::File::Access::Write,
                                               platform::File::Disposition::CreateAlways);
    file.Write(data.data(), std::min(cut, data.size()));
    return false;
  });
  ASSERT_EQ(module.SaveReadFlags("TEXT_LOG.DAT"), 3);
  for (cut = 1; cut <= next.size(); ++cut) {
    ASSERT_EQ(module.SaveReadFlags("TEXT_LOG.DAT"), 3);
    ASSERT_EQ(LoadedCount(), 2u) << cut;
  }
  module.SetFileWriter(WriteScriptFile);
  ASSERT_EQ(module.SaveReadFlags("TEXT_LOG.DAT"), 0);
  EXPECT_EQ(LoadedCount(), 5u);
}

TEST_F(TgsReadFlagsOnDisk, WriteKilledAtRandomPoints) {
  ScriptAddressSpace space;
  TgsModule module(space);
  Prepare(module);
  ASSERT_EQ(module.SaveReadFlags("TEXT_LOG.DAT"), 0);
  std::mt19937 random(58);
  uint32_t previous = 0;
  for (int round = 0; round < 12; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Marks the next message and rewrites the file, over and over: every
      // file it finishes holds messages 0 to k-1 read.
      for (uint32_t id = previous; id < 40; ++id) {
        module.MarkMessageRead(int32_t(id));
        module.SaveReadFlags("TEXT_LOG.DAT");
      }
      for (;;) module.SaveReadFlags("TEXT_LOG.DAT");
    }
    ::usleep(useconds_t(random() % 3000));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    // Whatever the moment, the file loads whole: one of the files the child
    // finished, or the one before them.
    ASSERT_EQ(module.LoadReadFlags("TEXT_LOG.DAT"), 0) << round;
    const uint32_t count = module.CountReadMessages("MAIN");
    EXPECT_GE(count, previous) << round;
    for (uint32_t id = 0; id < 40; ++id) EXPECT_EQ(module.IsMessageRead(int32_t(id)), id < count) << round << " " << id;
    previous = count;
  }
  for (const auto& entry : std::filesystem::directory_iterator(folder_.Host()))
    if (entry.path().extension() == ".TMP") std::filesystem::remove(entry.path());
}

}  // namespace
}  // namespace orrivel
