#include "resource/ArchiveManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "lpk/LpkWriter.h"
#include "resource/BaseFolder.h"
#include "resource/FileObject.h"
#include "resource/FileUtilities.h"
#include "base/Cp932.h"
#include "resource/LpkDecoder.h"
#include "resource/LpkSettings.h"
#include "resource/LooseFileGuard.h"

namespace orrivel {
namespace {

using testing::Bytes;
using tools::LpkWriterMember;

class ArchiveManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetLpkSettings();
    oldBase_ = SetBaseFolderForTest(folder_.Internal());
    oldManager_ = SetArchiveManager(&manager_);
    manager_.RegisterLpkDecoder();
  }
  void TearDown() override {
    SetArchiveManager(oldManager_);
    SetBaseFolderForTest(oldBase_);
  }

  void WriteArchive(const std::string& relative, const std::vector<LpkWriterMember>& members, bool pack = false) {
    tools::LpkWriterOptions options;
    options.secondSize = pack;
    std::string error;
    std::filesystem::create_directories(std::filesystem::path(folder_.HostPath(relative)).parent_path());
    ASSERT_TRUE(tools::WriteLpkFile(folder_.HostPath(relative), options, members, &error)) << error;
  }

  std::string Load(const std::string& name, int* code, std::string* resolved = nullptr) {
    MemoryBlock block;
    *code = manager_.LoadFile(name, ArchiveManagerAlloc, ArchiveManagerFree, &block, resolved);
    std::string text;
    if (*code == 0) text.assign(static_cast<char*>(block.pointer), block.size);
    ArchiveManagerFree(&block);
    return text;
  }

  testing::TempFolder folder_;
  ArchiveManager manager_;
  std::string oldBase_;
  ArchiveManager* oldManager_ = nullptr;
};

TEST_F(ArchiveManagerTest, StartUpMountsAndLookUpOrder) {
  const std::string packable(400, 'p');
  WriteArchive("PATCH.LPK", {{"both.txt", Bytes("patch1"), false, false},
                             {"script\\a.sob", Bytes("patched script"), false, false},
                             {"only1.txt", Bytes("only in 1"), false, false}});
  WriteArchive("PATCH2.LPK", {{"both.txt", Bytes("patch2"), false, false}});
  WriteArchive("SCRIPT.LPK", {{"A.SOB", Bytes("script archive"), false, false},
                              {"B.SOB", Bytes("b from script"), false, false},
                              {"PACKED.SOB", Bytes(packable), true, false}},
               true);
  folder_.Write("Loose.TXT", "loose wins");
  WriteArchive("EXTRA.LPK", {{"loose.txt", Bytes("shadowed"), false, false}});

  // The start-up sequence: PATCH.LPK at the end, numbered patches in front
  // until one is missing, then SCRIPT.LPK as a folder of its own.
  ASSERT_EQ(manager_.Mount("PATCH.LPK", kNoMountId, false, true, nullptr), 0);
  for (int n = 2;; ++n) {
    if (manager_.Mount("PATCH" + std::to_string(n) + ".LPK", kNoMountId, false, false, nullptr) != 0) break;
  }
  ASSERT_EQ(manager_.Mount("script.lpk", kNoMountId, true, true, nullptr), 0);
  ASSERT_EQ(manager_.Mount("EXTRA.LPK", 7, false, true, nullptr), 0);
  EXPECT_EQ(manager_.GetMountCount(), 4u);

  struct Case {
    std::string name;
    std::string expected;
  } cases[] = {
      {"both.txt", "patch2"},
      {"BOTH.TXT", "patch2"},
      {"ONLY1.txt", "only in 1"},
      {"SCRIPT\\A.SOB", "patched script"},
      {"Script/b.sob", "b from script"},
      {"SCRIPT\\PACKED.SOB", packable},
      {"loose.txt", "loose wins"},
  };
  for (const Case& c : cases) {
    int code = -1;
    EXPECT_EQ(Load(c.name, &code), c.expected) << c.name;
    EXPECT_EQ(code, 0) << c.name;
  }
  int code = 0;
  std::string resolved;
  Load("Script\\B.SOB", &code, &resolved);
  EXPECT_EQ(resolved, cp932::ToLower(folder_.Internal()) + "script\\b.sob");
  Load("missing.txt", &code);
  EXPECT_EQ(code, kFileNotFound);

  // Streams: a stored member streams; a packed one only with load-whole.
  StreamPtr stream(manager_.OpenStream("SCRIPT\\B.SOB", nullptr, &code, false));
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->GetSize(), 13u);
  stream.reset(manager_.OpenStream("SCRIPT\\PACKED.SOB", nullptr, &code, false));
  EXPECT_FALSE(stream);
  EXPECT_EQ(code, kFileNotFound);
  stream.reset(manager_.OpenStream("SCRIPT\\PACKED.SOB", nullptr, &code, true));
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->GetSize(), packable.size());
  EXPECT_NE(stream->GetBuffer(false), nullptr);

  FileObject file;
  EXPECT_EQ(file.OpenStream("SCRIPT\\PACKED.SOB"), kFileNotFound);
  EXPECT_EQ(file.Open("SCRIPT\\PACKED.SOB"), 0);
  EXPECT_EQ(file.GetSize(), packable.size());

  // Members by index through the mount id, and the names they get.
  MemoryBlock block;
  EXPECT_EQ(manager_.OpenMember(7, 0, "", ArchiveManagerAlloc, ArchiveManagerFree, &block, &resolved), 0);
  EXPECT_EQ(resolved, cp932::ToLower(folder_.Internal()) + "000000.DAT");
  ArchiveManagerFree(&block);
  EXPECT_EQ(manager_.OpenMember(9, 0, "", ArchiveManagerAlloc, ArchiveManagerFree, &block, nullptr), 3);
  EXPECT_EQ(file.OpenArchiveMember(7, -1, "LOOSE.TXT"), 0);
  EXPECT_EQ(std::string(static_cast<const char*>(file.GetData()), file.GetSize()), "shadowed");

  EXPECT_EQ(manager_.FindFileOrMember(nullptr, "loose.txt", nullptr), 0);
  EXPECT_EQ(manager_.FindFileOrMember(nullptr, "both.txt", nullptr), -1);
  EXPECT_EQ(manager_.FindFileOrMember(nullptr, "nothing", nullptr), 2);
  EXPECT_EQ(manager_.Mount("NONE.LPK", kNoMountId, false, true, nullptr), 5);
  folder_.Write("JUNK.LPK", "not an archive at all");
  EXPECT_EQ(manager_.Mount("JUNK.LPK", kNoMountId, false, true, nullptr), 1);
}

TEST_F(ArchiveManagerTest, SearchFoldersComeBetweenLooseFilesAndMounts) {
  folder_.Write("extra/only.txt", "from the search folder");
  folder_.Write("extra/x.txt", "search folder x");
  WriteArchive("extra/A.LPK", {{"in.txt", Bytes("member under the search folder"), false, false},
                               {"x.txt", Bytes("member x"), false, false}});
  EXPECT_EQ(manager_.AddSearchFolder("EXTRA", true), 0);
  EXPECT_EQ(*manager_.GetSearchFolder(0), cp932::ToLower(folder_.Internal()) + "extra\\");
  ASSERT_EQ(manager_.Mount("EXTRA\\A.LPK", kNoMountId, false, true, nullptr), 0);
  int code = 0;
  EXPECT_EQ(Load("only.txt", &code), "from the search folder");
  EXPECT_EQ(Load("x.txt", &code), "search folder x");
  EXPECT_EQ(Load("in.txt", &code), "member under the search folder");
  // An absolute name is never retried in the search folders.
  Load(folder_.Internal() + "only.txt", &code);
  EXPECT_EQ(code, kFileNotFound);
  std::string full;
  EXPECT_EQ(manager_.FindFile(&full, folder_.Internal() + "only.txt", nullptr), 2);
  EXPECT_EQ(manager_.FindFile(&full, "ONLY.TXT", nullptr), 0);
  EXPECT_EQ(manager_.FindFile(&full, "none.txt", nullptr), 3);
  EXPECT_EQ(manager_.RemoveSearchFolder(std::string_view("extra"), 0), 0);
  EXPECT_EQ(manager_.RemoveSearchFolder(std::nullopt, -1), -1);
  EXPECT_EQ(manager_.GetSearchFolder(0), nullptr);
}

// Refuses every path under one folder and notes what it was asked.
class FolderGuard final : public LooseFileGuard {
 public:
  explicit FolderGuard(const std::string& refused) : refused_(cp932::ToLower(refused)) {}
  bool Allows(const std::string& fullPath) const override {
    asked.push_back(fullPath);
    return cp932::ToLower(fullPath).rfind(refused_, 0) != 0;
  }
  std::shared_ptr<const LooseFileGuard> Snapshot() const override { return std::make_shared<FolderGuard>(*this); }

  mutable std::vector<std::string> asked;

 private:
  std::string refused_;
};

// While a guard is in force, every road to a loose file puts the file to it
// before looking (a missing file is refused as an existing one is, so a
// refusal tells nothing of what is there); a refused file is passed over,
// also when a search folder leads to it, and a search left with nothing
// answers a bad path. Archive members are found as before; without the
// guard the same names load.
TEST_F(ArchiveManagerTest, AGuardInForceJudgesEveryLooseFileBeforeItIsLookedFor) {
  folder_.Write("open/a.txt", "open");
  folder_.Write("shut/a.txt", "shut");
  folder_.Write("shut/only.txt", "only in the shut search folder");
  WriteArchive("open/M.LPK", {{"m.txt", Bytes("member"), false, false}});
  ASSERT_EQ(manager_.AddSearchFolder("SHUT", true), 0);
  ASSERT_EQ(manager_.Mount("OPEN\\M.LPK", kNoMountId, false, true, nullptr), 0);
  struct Road {
    const char* name;
    std::function<int(const std::string&)> open;
    int badPath;
  };
  const std::vector<Road> roads = {
      {"LoadFile", [this](const std::string& n) { int code = 0; Load(n, &code); return code; }, kFileBadPath},
      {"OpenStream",
       [this](const std::string& n) {
         int code = 0;
         StreamPtr stream(manager_.OpenStream(n, nullptr, &code, true));
         return code;
       },
       kFileBadPath},
      {"FindFile", [this](const std::string& n) { return manager_.FindFile(nullptr, n, nullptr); }, 1},
      {"FindFileOrMember", [this](const std::string& n) { return manager_.FindFileOrMember(nullptr, n, nullptr); }, 1},
      {"OpenLooseFile",
       [this](const std::string& n) {
         platform::File file;
         return manager_.OpenLooseFile(&file, n, true, nullptr);
       },
       1},
  };
  FolderGuard guard(folder_.Internal() + "shut\\");
  {
    const ScopedLooseFileGuard scope(&guard);
    for (const Road& road : roads) {
      for (const char* name : {"SHUT\\A.TXT", "SHUT\\NONE.TXT", "ONLY.TXT"}) {
        EXPECT_EQ(road.open(name), road.badPath) << road.name << " " << name;
      }
      EXPECT_EQ(road.open(folder_.Internal() + "shut\\none.txt"), road.badPath) << road.name;
      EXPECT_EQ(road.open("OPEN\\A.TXT"), 0) << road.name;
    }
    const std::string missing = cp932::ToLower(folder_.Internal() + "shut\\none.txt");
    EXPECT_NE(std::find_if(guard.asked.begin(), guard.asked.end(),
                           [&](const std::string& asked) { return cp932::ToLower(asked) == missing; }),
              guard.asked.end());
    // The member's name also leads into the shut search folder.
    int code = 0;
    EXPECT_EQ(Load("OPEN\\M.TXT", &code), "member");
    EXPECT_EQ(manager_.FindFileOrMember(nullptr, "OPEN\\M.TXT", nullptr), -1);
  }
  int code = 0;
  EXPECT_EQ(Load("SHUT\\A.TXT", &code), "shut");
  EXPECT_EQ(Load("ONLY.TXT", &code), "only in the shut search folder");
}

// Sizes are 32 bits: a loose file of 4 GiB or more is refused by both
// roads (the file is sparse, so nothing is written).
TEST_F(ArchiveManagerTest, LooseFilesTooLargeForThirtyTwoBitsAreRefused) {
  folder_.Write("huge.bin", "");
  std::error_code failed;
  std::filesystem::resize_file(folder_.HostPath("huge.bin"), (uint64_t(1) << 32) + 16, failed);
  if (failed) GTEST_SKIP() << "no sparse file here";
  int code = 0;
  Load("huge.bin", &code);
  EXPECT_EQ(code, kFileSizeFailed);
  StreamPtr stream(manager_.OpenStream("huge.bin", nullptr, &code, true));
  EXPECT_FALSE(stream);
  EXPECT_EQ(code, kFileSizeFailed);
}

TEST_F(ArchiveManagerTest, MountGroupsAndUnmount) {
  const std::vector<LpkWriterMember> one = {{"m.txt", Bytes("m"), false, false}};
  for (const char* name : {"aa/X.LPK", "ab/X.LPK", "ac/X.LPK", "b/X.LPK"}) WriteArchive(name, one);
  auto lengths = [&] {
    std::vector<int32_t> values;
    for (const MountRecord& m : manager_.Mounts()) values.push_back(m.groupLength);
    return values;
  };
  const size_t base = folder_.Internal().size();
  ASSERT_EQ(manager_.Mount("aa\\X.LPK", 1, false, true, nullptr), 0);
  EXPECT_EQ(lengths(), std::vector<int32_t>({0}));
  ASSERT_EQ(manager_.Mount("ab\\X.LPK", 2, false, true, nullptr), 0);
  EXPECT_EQ(lengths(), std::vector<int32_t>({int32_t(base + 1), -1}));
  ASSERT_EQ(manager_.Mount("ac\\X.LPK", 3, false, false, nullptr), 0);
  EXPECT_EQ(lengths(), std::vector<int32_t>({int32_t(base + 1), 0, -1}));
  EXPECT_EQ(manager_.Mounts()[0].id, 3);
  // Removing the middle one keeps both markers; removing the first of two
  // leaves the other alone.
  EXPECT_EQ(manager_.Unmount(std::nullopt, 1, 0), 0);
  EXPECT_EQ(lengths(), std::vector<int32_t>({int32_t(base + 1), -1}));
  EXPECT_EQ(manager_.Unmount(std::nullopt, kNoMountId, 0), 0);
  EXPECT_EQ(lengths(), std::vector<int32_t>({0}));
  EXPECT_EQ(manager_.Mounts()[0].id, 2);
  EXPECT_EQ(*manager_.GetMountPrefix(2, 0), cp932::ToLower(folder_.Internal()) + "ab\\");
  EXPECT_EQ(manager_.Unmount(std::string_view("AB"), 0, 0), 0);
  EXPECT_EQ(manager_.GetMountCount(), 0u);
  EXPECT_EQ(manager_.Unmount(std::nullopt, kNoMountId, -1), -1);

  // Members appear under the folder that holds each archive.
  ASSERT_EQ(manager_.Mount("aa\\X.LPK", 1, false, true, nullptr), 0);
  ASSERT_EQ(manager_.Mount("b\\X.LPK", 4, false, true, nullptr), 0);
  int code = 0;
  EXPECT_EQ(Load("B\\M.TXT", &code), "m");
  EXPECT_EQ(Load("AA\\m.txt", &code), "m");
  Load("ab\\m.txt", &code);
  EXPECT_EQ(code, kFileNotFound);
  EXPECT_TRUE(manager_.HasMember(folder_.Internal() + "B\\m.txt"));
  EXPECT_NE(manager_.GetMountArchive(-1, -1), nullptr);
  manager_.UnmountAll();
  EXPECT_EQ(manager_.GetMountCount(), 0u);

  // Insertion before a mount standing alone and at the end of a group, and
  // the repairs when a group's last or first leaves.
  struct Step {
    const char* mount;  // null: unmount by id
    int32_t id;
    bool atEnd;
    std::vector<int32_t> lengths;
  } steps[] = {
      {"aa\\X.LPK", 1, false, {0}},
      {"ab\\X.LPK", 2, false, {int32_t(base + 1), -1}},
      {"b\\X.LPK", 4, true, {int32_t(base), 0, -1}},
      {"ac\\X.LPK", 3, true, {int32_t(base), 0, 0, -1}},
      {nullptr, 3, false, {int32_t(base), 0, -1}},
      {nullptr, 2, false, {int32_t(base), -1}},
      {nullptr, 4, false, {0}},
  };
  for (const Step& step : steps) {
    if (step.mount) {
      ASSERT_EQ(manager_.Mount(step.mount, step.id, false, step.atEnd, nullptr), 0) << step.mount;
    } else {
      EXPECT_EQ(manager_.Unmount(std::nullopt, step.id, 0), 0) << step.id;
    }
    EXPECT_EQ(lengths(), step.lengths) << step.id;
  }
  EXPECT_EQ(manager_.Mounts()[0].id, 1);
  EXPECT_EQ(Load("aa\\M.TXT", &code), "m");
}

// A decoder that claims no extension but opens anything.
class AnyDecoder final : public ArchiveDecoder {
 public:
  Archive* Open(std::string_view path, platform::File& file, int* error) override {
    return lpk_.Open(path, file, error);
  }
  LpkDecoder lpk_;
};

TEST_F(ArchiveManagerTest, DecodersAndAssist) {
  EXPECT_EQ(manager_.RegisterDecoder(nullptr, {}, "", 9, nullptr, nullptr, nullptr), 1);
  ASSERT_NE(manager_.FindAssistFunc2(1), nullptr);
  const int32_t keys[] = {1, 0x55, 0x66};
  EXPECT_EQ(manager_.FindAssistFunc2(1)(keys, 3), 0);
  EXPECT_EQ(GetLpkSettings().keyWord1, 0x55u);
  EXPECT_EQ(manager_.FindAssistFunc2(2), nullptr);
  // The scripts' decoder-settings call: listing flag (command 0), key
  // words (command 1), -2 for a type without a second assist routine.
  struct Settings {
    int32_t type;
    std::vector<int32_t> arguments;
    int result;
  } settings[] = {
      {1, {0, 1}, 0}, {1, {1, 0x77, int32_t(0x88888888)}, 0}, {1, {9}, 5}, {1, {1, 2}, 5}, {2, {0, 1}, -2},
  };
  for (const Settings& c : settings) {
    EXPECT_EQ(manager_.PassDecoderSettings(c.type, c.arguments.data(), uint32_t(c.arguments.size())), c.result)
        << c.type << " " << c.arguments[0];
  }
  EXPECT_TRUE(GetLpkSettings().listing);
  EXPECT_EQ(GetLpkSettings().keyWord1, 0x77u);
  EXPECT_EQ(GetLpkSettings().keyWord2, 0x88888888u);
  EXPECT_NE(manager_.FindDecoderByExtension("x.lpk"), nullptr);
  EXPECT_EQ(manager_.FindDecoderByExtension("x.dat"), nullptr);
  ResetLpkSettings();

  WriteArchive("DATA.PAK", {{"in.txt", Bytes("odd extension"), false, false}});
  manager_.ClearDecoders();
  EXPECT_EQ(manager_.Mount("DATA.PAK", kNoMountId, false, true, nullptr), 1);
  manager_.RegisterDecoder(std::make_unique<AnyDecoder>(), {}, "any", 5, nullptr, nullptr, nullptr);
  EXPECT_EQ(manager_.Mount("DATA.PAK", kNoMountId, false, true, nullptr), 0);
  int code = 0;
  EXPECT_EQ(Load("IN.TXT", &code), "odd extension");
  manager_.RemoveDecoders(5);
  EXPECT_TRUE(manager_.Decoders().empty());
  EXPECT_EQ(manager_.LoadPlugins("plugin"), 0);
}

TEST(ArchiveManagerGlobalTest, NoManagerAnswers) {
  ArchiveManager* old = SetArchiveManager(nullptr);
  FileObject file;
  EXPECT_EQ(file.Open("X"), 1);
  EXPECT_EQ(file.OpenStream("X"), 1);
  EXPECT_EQ(file.OpenArchiveMember(0, 0, ""), 1);
  EXPECT_EQ(GetLooseFileSize("X"), -1);
  EXPECT_FALSE(LooseFileExists("X"));
  EXPECT_EQ(FileTimeToLocalSystemTime("X", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 3);
  SetArchiveManager(old);
}

}  // namespace
}  // namespace orrivel
