#include "platform/PathResolver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/FileSystem.h"

namespace orrivel::platform {
namespace {

class PathResolverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "orrivel-path-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    host_ = pattern;
    internal_ = *ToInternalPath(host_) + "\\";
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(host_, ec);
  }
  void Touch(const std::string& relative, const std::string& text = "x") {
    std::filesystem::create_directories(std::filesystem::path(host_ + "/" + relative).parent_path());
    std::ofstream(host_ + "/" + relative) << text;
  }
  std::string host_;
  std::string internal_;
};

TEST_F(PathResolverTest, FindsAnyLetterCaseAndCp932Names) {
  // "ソ" is 0x83 0x5C in CP932: its trail byte must not split the name.
  Touch("Script/Sob_Init.dat");
  Touch("データ/ソフト.txt");
  EXPECT_EQ(ResolveHostPath(internal_ + "SCRIPT\\SOB_INIT.DAT", ResolveMode::Existing),
            host_ + "/Script/Sob_Init.dat");
  EXPECT_EQ(ResolveHostPath(internal_ + "script/sob_init.DAT", ResolveMode::Existing),
            host_ + "/Script/Sob_Init.dat");
  const std::string cp932 = "\x83\x66\x81\x5B\x83\x5E\\\x83\x5C\x83\x74\x83\x67.TXT";  // データ\ソフト.TXT
  EXPECT_EQ(ResolveHostPath(internal_ + cp932, ResolveMode::Existing), host_ + "/データ/ソフト.txt");
  EXPECT_FALSE(ResolveHostPath(internal_ + "SCRIPT\\NONE", ResolveMode::Existing));
  EXPECT_EQ(ResolveHostPath(internal_ + "SCRIPT\\New.Sav", ResolveMode::Create), host_ + "/Script/New.Sav");
  EXPECT_FALSE(ResolveHostPath(internal_ + "NOFOLDER\\New.Sav", ResolveMode::Create));
  EXPECT_FALSE(ResolveHostPath("C:\\WINDOWS", ResolveMode::Existing));
  EXPECT_FALSE(ResolveHostPath("\\\\server\\share", ResolveMode::Existing));
  EXPECT_EQ(ResolveHostPath(internal_ + "Script\\..\\SCRIPT\\.\\sob_init.dat", ResolveMode::Existing),
            host_ + "/Script/Sob_Init.dat");
  EXPECT_EQ(*ToInternalPath("/a/b"), "Z:\\a\\b");
  // Relative paths: ".." steps above the current folder add up.
  EXPECT_EQ(ResolveHostPath("..\\..", ResolveMode::Existing), "../..");
  EXPECT_EQ(ResolveHostPath("../../..", ResolveMode::Existing), "../../..");

  // Created files keep the name as given, or reuse one in another case.
  File created = File::Open(internal_ + "Save\\..\\NewFile.DAT", File::Access::Write, File::Disposition::CreateAlways);
  EXPECT_FALSE(created.IsOpen());  // no Save folder
  created = File::Open(internal_ + "NewFile.DAT", File::Access::Write, File::Disposition::CreateAlways);
  ASSERT_TRUE(created.IsOpen());
  created.Close();
  EXPECT_TRUE(std::filesystem::exists(host_ + "/NewFile.DAT"));
  created = File::Open(internal_ + "newfile.dat", File::Access::Write, File::Disposition::CreateAlways);
  created.Close();
  EXPECT_FALSE(std::filesystem::exists(host_ + "/newfile.dat"));
}

TEST_F(PathResolverTest, PatternsAndScans) {
  struct Case {
    const char* name;
    const char* pattern;
    bool match;
  } cases[] = {
      {"A.ADL", "*.ADL", true},   {"a.adl", "*.ADL", true},  {"a.adlx", "*.ADL", false},
      {"README", "*.*", true},    {"x.y.z", "*.*", true},    {"NAME", "NAME.*", true},
      {"AB1.SPI", "AB?.spi", true}, {"AB.SPI", "AB?.SPI", false}, {"plug.gll", "*.DCP", false},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.match) << c.name << " " << c.pattern;
  Touch("plugin/One.adl");
  Touch("plugin/TWO.ADL");
  Touch("plugin/three.gll");
  const auto found = ScanFolder(internal_ + "PLUGIN", "*.ADL");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->size(), 2u);
  EXPECT_FALSE(ScanFolder(internal_ + "none", "*.*"));
  const auto temp = CreateTempFile(internal_, "VQF");
  ASSERT_TRUE(temp);
  EXPECT_TRUE(PathExists(*temp));
  EXPECT_TRUE(RemoveFile(*temp));
}

}  // namespace
}  // namespace orrivel::platform
