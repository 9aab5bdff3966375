// The desktop's own setting programs, run for real: a stand-in "gsettings"
// first on the search path ends as each case says, and the shell answers
// by how it ended.
#include "platform/DesktopShell.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace orrivel::platform {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the test and puts the old value back.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (old_.empty()) ::unsetenv(name_);
    else ::setenv(name_, old_.c_str(), 1);
  }

 private:
  const char* name_;
  std::string old_;
};

class DesktopShellTest : public testing::Test {
 protected:
  DesktopShellTest() {
    std::string pattern = (fs::temp_directory_path() / "orrivel-desktop-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) folder_ = pattern;
  }
  ~DesktopShellTest() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  // A "gsettings" that notes the key it sets in the log, then runs the body.
  void FakeSettingProgram(const std::string& body) {
    const fs::path program = folder_ / "gsettings";
    std::ofstream(program) << "#!/bin/sh\necho \"$3\" >> '" << Log().string() << "'\n" << body << "\n";
    ::chmod(program.c_str(), 0755);
    fs::remove(Log());
  }
  fs::path Log() const { return folder_ / "log"; }
  std::string Logged() const {
    std::ifstream in(Log());
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path folder_;
};

TEST_F(DesktopShellTest, TheWallpaperAnswersWhetherTheSettingTookOnceTheProgramEnded) {
  ScopedEnvironment path("PATH", folder_.string() + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin"));
  ScopedEnvironment desktop("XDG_CURRENT_DESKTOP", "GNOME");
  XdgDesktopShell shell;
  ASSERT_TRUE(shell.HasWallpaperSetting());
  struct Case {
    const char* body;
    bool took;
  } cases[] = {
      {"sleep 0.3; exit 0", true},  // slow, but every setting took
      {"exit 1", false},
      {"[ \"$3\" = picture-options ] && exit 1; exit 0", false},
      {"[ \"$3\" = picture-uri-dark ] && exit 1; exit 0", true},  // a desktop without a dark style
      {"kill -9 $$", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    FakeSettingProgram(c.body);
    EXPECT_EQ(shell.SetWallpaper("/home/player/wall.png", 2), c.took);
    // Every setting was made, and had ended, by the time the answer came.
    EXPECT_EQ(Logged(), "picture-options\npicture-uri\npicture-uri-dark\n");
  }
}

}  // namespace
}  // namespace orrivel::platform
