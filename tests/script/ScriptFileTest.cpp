#include "script/ScriptFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "SobAssembler.h"
#include "lpk/LpkWriter.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"
#include "resource/LpkSettings.h"
#include "resource/TempFolder.h"
#include "script/ScriptHost.h"

namespace orrivel {
namespace {

// Game files and save files on a real disk, through the resource layer.
class ScriptFileTest : public testing::GameFolderTest {
 protected:
  std::vector<std::string> FolderNames(const std::string& relative) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.HostPath(relative)))
      names.push_back(entry.path().filename().string());
    return names;
  }
};

TEST_F(ScriptFileTest, WritesGoThroughATemporaryFileAndReplaceTheOldOne) {
  folder_.Write("save/keep.txt", std::string("x"));
  const std::vector<uint8_t> first = {1, 2, 3}, second = {9, 8};
  ASSERT_TRUE(WriteScriptFile("SAVE\\STATE.DAT", first));
  EXPECT_EQ(ReadScriptFile("save\\state.dat"), first);
  ASSERT_TRUE(WriteScriptFile("SAVE\\STATE.DAT", second));
  EXPECT_EQ(ReadScriptFile("SAVE\\STATE.DAT"), second);
  ASSERT_TRUE(WriteScriptFile("SAVE\\EMPTY.DAT", {}));
  EXPECT_EQ(std::filesystem::file_size(folder_.HostPath("save/EMPTY.DAT")), 0u);
  // Only the files themselves are left, no temporary file beside them.
  auto names = FolderNames("save");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"EMPTY.DAT", "STATE.DAT", "keep.txt"}));

  EXPECT_FALSE(WriteScriptFile("NOFOLDER\\STATE.DAT", first));
  EXPECT_FALSE(ReadScriptFile("NOFOLDER\\STATE.DAT"));
  EXPECT_FALSE(ReadScriptFile("SAVE\\MISSING.DAT"));
}

TEST_F(ScriptFileTest, HostReadsItsGameAndWritesItsSavesOnDisk) {
  sob::Project project;
  std::string error;
  ASSERT_TRUE(sob::Assemble(R"(
vars
  int level autosave = 3
scene MAIN flags 8 8
  ret
)",
                            project, error))
      << error;
  for (auto& [name, bytes] : sob::ProjectFiles(project)) folder_.Write("script/" + name, bytes);
  folder_.Write("save/.keep", std::string());
  const std::string saveFolder = folder_.Internal() + "save\\";
  {
    ScriptRequestState state;
    ScriptHost host(&state);
    ASSERT_EQ(host.LoadSystem("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true, true),
              0);
    ASSERT_EQ(host.LoadScriptFile("MAIN", nullptr), 0);
    host.SetSaveFolder(saveFolder);
    host.SetFlagFileName("FLAGS.DAT");
    host.SetVariableFileName("USER.DAT");
    host.SetSceneFlagA(6, false);
    host.Space().Write32(host.LiveRecords()[0].address, 77);
    // Both files are written by the destructors.
  }
  ScriptRequestState state;
  ScriptHost host(&state);
  ASSERT_EQ(host.LoadSystem("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true, true), 0);
  host.SetSaveFolder(saveFolder);
  ASSERT_EQ(host.LoadSceneFlags("FLAGS.DAT"), 0);
  ASSERT_EQ(host.LoadVariableFile("USER.DAT"), 0);
  EXPECT_TRUE(host.SceneTable().entries[0].a.Test(6));
  uint32_t level = 0;
  host.Space().Read32(host.LiveRecords()[0].address, level);
  EXPECT_EQ(level, 77u);
}

// A scene is there when the game lists it and its file is found where a
// load would find it: loose, or in an archive mounted as the script folder.
TEST_F(ScriptFileTest, HostFindsSceneFilesLooseAndInArchives) {
  sob::Project project;
  std::string error;
  ASSERT_TRUE(sob::Assemble(R"(
vars
  int level = 3
scene MAIN flags 8 8
  ret
scene PACKED flags 8 8
  ret
scene GONE flags 8 8
  ret
)",
                            project, error))
      << error;
  std::vector<tools::LpkWriterMember> members;
  for (auto& [name, bytes] : sob::ProjectFiles(project)) {
    if (name == "PACKED.SOB") members.push_back({name, bytes, false, true});
    else if (name != "GONE.SOB") folder_.Write("script/" + name, bytes);
  }
  // On disk but not in the game's scene table.
  folder_.Write("script/EXTRA.SOB", sob::ProjectFile(project, "MAIN.SOB"));
  ResetLpkSettings();
  manager_.RegisterLpkDecoder();
  ASSERT_TRUE(tools::WriteLpkFile(folder_.HostPath("SCRIPT.LPK"), {}, members, &error)) << error;
  ASSERT_EQ(manager_.Mount("SCRIPT.LPK", kNoMountId, true, true, nullptr), 0);

  ScriptRequestState state;
  ScriptHost host(&state);
  ASSERT_EQ(host.LoadSystem("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", true, true), 0);
  EXPECT_TRUE(host.HasSceneFile("MAIN"));
  EXPECT_TRUE(host.HasSceneFile("PACKED"));
  EXPECT_FALSE(host.HasSceneFile("GONE"));
  EXPECT_FALSE(host.HasSceneFile("EXTRA"));
  EXPECT_FALSE(host.HasSceneFile("NOSUCH"));
  EXPECT_FALSE(host.HasSceneFile(nullptr));
  // What is there also loads.
  EXPECT_EQ(host.LoadScriptFile("PACKED", nullptr), 0);
  ResetLpkSettings();
}

}  // namespace
}  // namespace orrivel
