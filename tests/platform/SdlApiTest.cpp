// SDL2 is opened at run time, only when a display or sound output is used:
// the table of its functions, what a missing library or function gives, and
// the real program's headless run, which must not load SDL2 at all.
#include <gtest/gtest.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "TestBuildDirs.h"
#include "platform/sdl/SdlLibrary.h"

namespace orrivel::platform {
namespace {

namespace fs = std::filesystem;

// A folder of its own for a run of the program (its lock, settings, logs).
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "orrivel-sdlapi-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file the loader's log in `folder` names (one log per process).
std::string LoaderLogs(const fs::path& folder) {
  std::string all;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename().string().rfind("ld.", 0) == 0) all += ReadAll(entry.path());
  }
  return all;
}

// Runs the program through the shell with `environment` ("NAME=value ...")
// added; its standard output and error land in <folder>/stdout and
// <folder>/stderr. The exit status.
int RunProgram(const ScratchFolder& folder, const std::string& environment, const std::string& arguments) {
  const std::string& dir = folder.Path().string();
  const std::string command = "cd '" + dir + "' && env XDG_RUNTIME_DIR='" + dir + "' XDG_DATA_HOME='" + dir +
                              "/data' " + environment + " '" ORRIVEL_PROGRAM "' " + arguments + " >'" + dir +
                              "/stdout' 2>'" + dir + "/stderr'";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every function the platform calls is found in the installed SDL2.
TEST(SdlApiTest, TheInstalledLibraryHasEveryFunction) {
  std::string why;
  EXPECT_TRUE(sdl::Load(&why)) << why;
  // A second copy of the table over the same (still loaded) library.
  const auto library = sdl::SdlLibrary::Open(sdl::kLibraryName, &why);
  EXPECT_NE(library, nullptr) << why;
}

// A library that is not there, or one that lacks SDL's functions (the C
// maths library stands for a wrong or stripped copy), is refused with a
// message that says which.
TEST(SdlApiTest, AMissingLibraryOrFunctionIsRefusedByName) {
  std::string why;
  EXPECT_EQ(sdl::SdlLibrary::Open("liborrivel-no-such-sdl.so.0", &why), nullptr);
  EXPECT_NE(why.find("SDL2 is not available"), std::string::npos) << why;
  EXPECT_NE(why.find("liborrivel-no-such-sdl.so.0"), std::string::npos) << why;

  why.clear();
  EXPECT_EQ(sdl::SdlLibrary::Open("libm.so.6", &why), nullptr);
  EXPECT_EQ(why, "SDL2 library libm.so.6 lacks SDL_CloseAudioDevice");
}

// The whole program, headless, to its first presented frame: the loader's
// own log shows every file it opened, and SDL2 is not among them.
TEST(SdlApiTest, AHeadlessRunOfTheProgramNeverLoadsSdl) {
  ScratchFolder folder;
  ASSERT_FALSE(folder.Path().empty());
  std::ofstream(folder.Path() / "first-frame.input") << "2 snapshot first\n2 quit\n";
  const int status = RunProgram(folder, "LD_DEBUG=files LD_DEBUG_OUTPUT='" + (folder.Path() / "ld").string() + "'",
                                "--headless --input first-frame.input '/L" ORRIVEL_BINARY_DIR "/sample-game'");
  ASSERT_EQ(status, 0) << ReadAll(folder.Path() / "stderr");
  EXPECT_TRUE(fs::exists(folder.Path() / "first.png")) << ReadAll(folder.Path() / "stderr");
  const std::string log = LoaderLogs(folder.Path());
  ASSERT_NE(log.find("libfreetype.so"), std::string::npos) << "the loader's log is empty or incomplete";
  EXPECT_EQ(log.find("libSDL2"), std::string::npos);
}

// Asked for a display while the SDL2 found first is not a usable one, the
// program says why and goes on headless, as when SDL cannot start.
TEST(SdlApiTest, AProgramWhoseSdlLacksAFunctionFallsBackToHeadless) {
  ScratchFolder folder;
  ASSERT_FALSE(folder.Path().empty());
  const fs::path fakes = folder.Path() / "libs";
  fs::create_directories(fakes);
  void* maths = ::dlopen("libm.so.6", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(maths, nullptr);
  Dl_info info{};
  ASSERT_NE(::dladdr(::dlsym(maths, "cos"), &info), 0);
  ::dlclose(maths);
  fs::create_symlink(info.dli_fname, fakes / sdl::kLibraryName);

  RunProgram(folder, "DISPLAY=:97 LD_LIBRARY_PATH='" + fakes.string() + "'", "/L/nonexistent-orrivel-game");
  const std::string out = ReadAll(folder.Path() / "stdout");
  EXPECT_NE(out.find("headless (the display could not be opened: SDL2 library libSDL2-2.0.so.0 lacks "
                     "SDL_CloseAudioDevice)"),
            std::string::npos)
      << out << ReadAll(folder.Path() / "stderr");
}

}  // namespace
}  // namespace orrivel::platform
