#include "resource/Paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/DriveProbe.h"
#include "platform/PathResolver.h"
#include "resource/BaseFolder.h"

namespace orrivel {
namespace {

class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override { old_ = SetBaseFolderForTest("E:\\GAME\\"); }
  void TearDown() override { SetBaseFolderForTest(old_); }
  std::string old_;
};

// "ソ" in CP932 is 0x83 0x5C: its trail byte is the backslash code.
const std::string kSo = "\x83\x5C";

TEST_F(PathsTest, MakeFullPathTable) {
  struct Case {
    std::string name;
    int result;
    std::string expected;
  } cases[] = {
      {"SCRIPT/A.SOB", 2, "E:\\GAME\\SCRIPT\\A.SOB"},
      {"..\\SAVE\\X", 2, "E:\\SAVE\\X"},
      {"./A/B", 2, "E:\\GAME\\A\\B"},
      {".CFG", 2, "E:\\GAME\\.CFG"},
      {"\\ROOTED", 2, "E:\\GAME\\ROOTED"},
      {"D:\\X", 1, "D:\\X"},
      {"D:/X/Y", 1, "D:\\X\\Y"},
      {"\\\\server/share/x", 1, "\\\\server\\share\\x"},
      {kSo + "/" + kSo, 2, "E:\\GAME\\" + kSo + "\\" + kSo},
      {"..\\..\\..\\X", 2, "E:\\X"},
  };
  for (const Case& c : cases) {
    std::string out = "unchanged";
    EXPECT_EQ(MakeFullPath(out, c.name), c.result) << c.name;
    EXPECT_EQ(out, c.expected) << c.name;
  }
}

TEST_F(PathsTest, MakeFullPathRefusesWhatDoesNotFit) {
  std::string out = "unchanged";
  EXPECT_EQ(MakeFullPath(out, std::string(kMaxPath - 8, 'A')), 0);  // 8 + 252 bytes = 260
  EXPECT_EQ(out, "unchanged");
  EXPECT_EQ(MakeFullPath(out, std::string(kMaxPath - 9, 'A')), 2);
  EXPECT_EQ(out.size(), kMaxPath - 1);
  EXPECT_EQ(MakeFullPath(out, "X:" + std::string(kMaxPath, 'A')), 0);
  EXPECT_EQ(MakeFullPath(out, "A", ""), 0);
  std::string root = "unchanged";
  EXPECT_EQ(MakeFullPath(root, "..\\X", "ab"), 0);  // no parent to go to
}

TEST_F(PathsTest, FolderAndNameSplits) {
  struct Cut {
    std::string path;
    int result;
    std::string expected;
  } cuts[] = {
      {"E:\\GAME\\", 0, "E:\\"},
      {"E:\\GAME\\X.EXE", 0, "E:\\GAME\\"},
      {"E:\\", 0, "E:\\"},
      {"AB", 1, "AB"},
      {"ABC", 1, "ABC"},
      {"\\\\srv\\", 0, "\\\\srv\\"},
      {"\\\\srv\\share\\", 0, "\\\\srv\\"},
      {"E:\\" + kSo + "\\" + kSo, 0, "E:\\" + kSo + "\\"},
      {"E:\\A" + kSo, 0, "E:\\"},
  };
  for (const Cut& c : cuts) {
    std::string path = c.path;
    EXPECT_EQ(CutToParentFolder(path), c.result) << c.path;
    EXPECT_EQ(path, c.expected) << c.path;
  }

  std::string path = "E:\\GAME\\A" + kSo;
  std::string name;
  CutFileName(path, &name);
  EXPECT_EQ(path, "E:\\GAME\\");
  EXPECT_EQ(name, "A" + kSo);
  path = "\\\\server";
  CutFileName(path, &name);
  EXPECT_EQ(path, "\\\\server");
  EXPECT_EQ(name, "");
  path = "E:\\GAME\\";
  CutFileName(path, &name);
  EXPECT_EQ(path, "E:\\GAME\\");
  EXPECT_EQ(name, "");

  EXPECT_EQ(SplitPathName("E:\\GAME\\X.EXE", false), "X.EXE");
  EXPECT_EQ(SplitPathName("E:\\GAME\\", false), "");
  EXPECT_EQ(SplitPathName("E:\\GAME\\", true), "GAME");
  EXPECT_EQ(SplitPathName("GAME\\", true), "GAME");
  EXPECT_EQ(SplitPathName("X.EXE", true), "X.EXE");
  EXPECT_EQ(SplitPathName("A" + kSo, false), "A" + kSo);
}

TEST_F(PathsTest, Extensions) {
  EXPECT_EQ(GetFileExtension("A.B\\Z"), "B\\Z");  // the last dot of the whole path
  EXPECT_EQ(GetFileExtension("E:\\X.LPK"), "LPK");
  EXPECT_EQ(GetFileExtension("E:\\X"), "");
  std::string path = "E:\\SCRIPT.LPK";
  std::string extension;
  RemoveFileExtension(path, &extension);
  EXPECT_EQ(path, "E:\\SCRIPT");
  EXPECT_EQ(extension, "LPK");
  path = "E:\\NODOT";
  RemoveFileExtension(path, &extension);
  EXPECT_EQ(path, "E:\\NODOT");
  EXPECT_EQ(extension, "");
}

// The optical discs are the mount table's ISO 9660 and UDF entries; their
// mount points are real folders here, holding what each "disc" holds.
class OpticalDriveSearch : public PathsTest {
 protected:
  void SetUp() override {
    PathsTest::SetUp();
    root_ = std::filesystem::path(::testing::TempDir()) / ("orrivel-discs-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root_ / "disc one" / "DATA");
    std::filesystem::create_directories(root_ / "disc2");
    std::filesystem::create_directories(root_ / "hard");
    std::ofstream(root_ / "disc one" / "DATA" / "GAME.LPK") << "x";
    std::ofstream(root_ / "disc2" / "SETUP.INI") << "x";
    std::ofstream(root_ / "hard" / "SETUP.INI") << "x";
  }
  void TearDown() override {
    std::filesystem::remove_all(root_);
    PathsTest::TearDown();
  }
  // Installs a mount table of these lines; the probe lives until the test ends.
  void Mounts(const std::string& lines) {
    const std::string table = (root_ / "mounts").string();
    std::ofstream(table) << lines;
    platform::DriveProbe probe;
    probe.mountTable = table;
    scope_.reset();  // the old scope would put the machine's probe back
    scope_ = std::make_unique<platform::ScopedDriveProbe>(probe);
  }
  std::string Internal(const std::string& name) {
    return *platform::ToInternalPath((root_ / name).string()) + "\\";
  }
  std::filesystem::path root_;
  std::unique_ptr<platform::ScopedDriveProbe> scope_;
};

TEST_F(OpticalDriveSearch, FindsTheFileOnTheMountedDiscs) {
  const std::string hard = "/dev/sda1 " + (root_ / "hard").string() + " ext4 rw 0 0\n";
  const std::string disc1 = "/dev/sr0 " + (root_ / "disc\\040one").string() + " iso9660 ro 0 0\n";
  const std::string disc2 = "/dev/sr1 " + (root_ / "disc2").string() + " udf ro 0 0\n";
  struct Case {
    std::string table;
    std::string name;
    int result;
    std::string root;  // folder under the test's root, empty for none
  } cases[] = {
      {hard, "SETUP.INI", 1, ""},                          // no disc mounted
      {hard + disc1 + disc2, "SETUP.INI", 0, "disc2"},     // the second disc holds it
      {hard + disc1 + disc2, "DATA\\GAME.LPK", 0, "disc one"},
      {hard + disc1 + disc2, "data/game.lpk", 0, "disc one"},  // any letter case, either separator
      {hard + disc1 + disc2, "MISSING.TXT", 2, ""},        // discs exist, none holds it
      {disc2 + disc1, "", 0, "disc2"},                     // no name: the first disc
      {disc2 + disc2, "DATA\\GAME.LPK", 2, ""},           // a disc listed twice is one disc
      // Wildcards in the last part, as a directory search takes them.
      {hard + disc2 + disc1, "DATA\\*.LPK", 0, "disc one"},
      {hard + disc2 + disc1, "DATA\\GAME.LP?", 0, "disc one"},
      {hard + disc2 + disc1, "data\\g*.l?k", 0, "disc one"},
      {hard + disc1 + disc2, "*.INI", 0, "disc2"},
      {hard + disc1 + disc2, "DATA\\*.ADL", 2, ""},
      {hard + disc1 + disc2, "DATA\\GAME.LP??", 2, ""},  // '?' stands for exactly one character
      {hard + disc1 + disc2, "D*\\GAME.LPK", 2, ""},      // only the last part takes wildcards
  };
  for (const Case& c : cases) {
    Mounts(c.table);
    std::string root = "unchanged";
    EXPECT_EQ(FindFileOnAllDrives(c.name, &root), c.result) << c.table << c.name;
    EXPECT_EQ(root, c.root.empty() ? "" : Internal(c.root)) << c.table << c.name;
    EXPECT_EQ(FindFileOnAllDrives(c.name, nullptr), c.result) << c.table << c.name;
  }
}

TEST_F(PathsTest, BaseFolderFollowsRelativeChanges) {
  EXPECT_EQ(SetBaseFolder("DATA"), 0);
  EXPECT_EQ(BaseFolder(), "E:\\GAME\\DATA\\");
  EXPECT_EQ(SetBaseFolder("..\\OTHER\\"), 0);
  EXPECT_EQ(BaseFolder(), "E:\\GAME\\OTHER\\");
  EXPECT_EQ(SetBaseFolder("E:\\" + kSo), 0);  // a trail byte 0x5C is no separator
  EXPECT_EQ(BaseFolder(), "E:\\" + kSo + "\\");
  EXPECT_EQ(InitBaseFolder("E:\\GAME\\X.EXE"), 0);
  EXPECT_EQ(BaseFolder(), "E:\\GAME\\");
}

}  // namespace
}  // namespace orrivel
