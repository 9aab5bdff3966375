#include "platform/PathResolver.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <chrono>
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


TEST_F(PathResolverTest, OnlyRegularFilesOpen) {
  // A pipe under a game file's name must be refused at once, never waited on.
  ASSERT_EQ(::mkfifo((host_ + "/SCRIPT.LPK").c_str(), 0600), 0);
  Touch("folder/x");
  Touch("plain.dat");
  EXPECT_FALSE(File::Open(internal_ + "SCRIPT.LPK", File::Access::Read, File::Disposition::OpenExisting).IsOpen());
  EXPECT_FALSE(File::Open(internal_ + "SCRIPT.LPK", File::Access::Write, File::Disposition::OpenExisting).IsOpen());
  EXPECT_FALSE(File::Open(internal_ + "folder", File::Access::Read, File::Disposition::OpenExisting).IsOpen());
  EXPECT_FALSE(File::Open("Z:\\dev\\null", File::Access::Read, File::Disposition::OpenExisting).IsOpen());
  File plain = File::Open(internal_ + "PLAIN.DAT", File::Access::Read, File::Disposition::OpenExisting);
  ASSERT_TRUE(plain.IsOpen());
  char c = 0;
  EXPECT_EQ(plain.Read(&c, 1), 1);
  EXPECT_EQ(c, 'x');
}

// Replacing a file: its mode is kept, a read-only one stays, and leftovers
// of crashed writes go while live or brand-new temporary files stay.
TEST_F(PathResolverTest, ReplacingAFile) {
  namespace fs = std::filesystem;
  const std::vector<uint8_t> data = {1, 2, 3};
  ASSERT_TRUE(ReplaceFileContents(internal_ + "NEW.DAT", data, "VQF"));
  EXPECT_EQ(fs::file_size(host_ + "/NEW.DAT"), 3u);

  Touch("shared.dat");
  ::chmod((host_ + "/shared.dat").c_str(), 0640);
  ASSERT_TRUE(ReplaceFileContents(internal_ + "SHARED.DAT", data, "VQF"));
  struct stat info;
  ASSERT_EQ(::stat((host_ + "/shared.dat").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(info.st_size, 3);

  Touch("kept.dat", "older");
  ::chmod((host_ + "/kept.dat").c_str(), 0444);
  EXPECT_FALSE(ReplaceFileContents(internal_ + "KEPT.DAT", data, "VQF"));
  EXPECT_EQ(fs::file_size(host_ + "/kept.dat"), 5u);  // untouched
  ASSERT_EQ(::stat((host_ + "/kept.dat").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0444u);

  // Leftovers: unlocked ones go, old or brand new (a writer locks its file
  // before it has a name); a locked one (a writer at work), another prefix
  // and a name of another shape stay.
  for (const char* name : {"VQF1A2B.TMP", "VQF0001.TMP", "VQF0002.TMP", "ABC0003.TMP", "VQFXYZW.TMP"})
    Touch(name);
  const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(10);
  for (const char* name : {"VQF1A2B.TMP", "VQF0001.TMP", "ABC0003.TMP", "VQFXYZW.TMP"})
    fs::last_write_time(host_ + "/" + name, old);
  const int held = ::open((host_ + "/VQF0001.TMP").c_str(), O_RDONLY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  ASSERT_TRUE(ReplaceFileContents(internal_ + "NEW.DAT", data, "VQF"));
  ::close(held);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(host_)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"ABC0003.TMP", "NEW.DAT", "VQF0001.TMP", "VQFXYZW.TMP", "kept.dat",
                                             "shared.dat"}));
  // The sweep alone, as at start-up: the one no longer locked goes now.
  RemoveStaleTempFiles(internal_, "VQF");
  EXPECT_FALSE(fs::exists(host_ + "/VQF0001.TMP"));
  EXPECT_TRUE(fs::exists(host_ + "/ABC0003.TMP"));
}

// A writer in another process: its temporary file stays while it lives and
// goes at the next sweep once it was killed, however soon that comes.
TEST_F(PathResolverTest, ATemporaryFileGoesAsSoonAsItsWriterIsDead) {
  namespace fs = std::filesystem;
  const std::string temp = host_ + "/VQF00A1.TMP";
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t writer = ::fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    // Locked before it has a name, as a save in progress holds it.
    const int fd = ::open(host_.c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) != 0) ::_exit(1);
    (void)!::write(ready[1], "r", 1);
    ::pause();
    ::_exit(0);
  }
  ::close(ready[1]);
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ::close(ready[0]);
  RemoveStaleTempFiles(internal_, "VQF");
  EXPECT_TRUE(fs::exists(temp)) << "a live writer's file";
  ::kill(writer, SIGKILL);
  ::waitpid(writer, nullptr, 0);
  RemoveStaleTempFiles(internal_, "VQF");
  EXPECT_FALSE(fs::exists(temp)) << "a dead writer's file";
}

// Messages name paths as the machine does, whether they exist or not.
TEST_F(PathResolverTest, MessagesNameHostPaths) {
  Touch("Game/SCRIPT.LPK");
  EXPECT_EQ(HostPathForMessage(internal_ + "GAME\\script.lpk"), host_ + "/Game/SCRIPT.LPK");
  // "ソフト": its "ソ" has the trail byte '\\', which stays in the name.
  const std::string internal = *ToInternalPath(host_ + "/\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88/none/");
  ASSERT_NE(internal.find("\x83\x5C"), std::string::npos);
  EXPECT_EQ(HostPathForMessage(internal), host_ + "/\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88/none/");
  EXPECT_EQ(HostPathForMessage("Z:\\no-such-folder-here\\GAME\\"), "/no-such-folder-here/GAME/");
}

}  // namespace
}  // namespace orrivel::platform
