// The program itself as a child process, as a player or whoever started it
// meets it: signals (headless and in a window on a virtual X display), the
// file-size limit, a second copy, damaged settings files, input files near
// the top of the frame numbers and the start-up refusal box.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "SobAssembler.h"
#include "elg/PngFile.h"
#include "game/AppSettings.h"
#include "platform/MessageBoxPainter.h"
#include "platform/TextCodec.h"
#include "TestBuildDirs.h"

namespace orrivel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

// Yields frame after frame: runs until something ends it.
constexpr const char* kYields = "scene MAIN\nloop:\n  yield\n  jmp @loop\n";
// Never comes back to the main loop.
constexpr const char* kStuck = "scene MAIN\nloop:\n  jmp @loop\n";
// An input file whose only event lies at the last frame number there is.
constexpr const char* kFarInput = "4294967295 move 1 1\n";

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool OnPath(const std::string& program) {
  const std::string command = "command -v " + program + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

std::string Describe(int status) {
  if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  return "status " + std::to_string(status);
}

// A running copy of the program; killed if a test leaves it running.
class Child {
 public:
  Child() = default;
  Child(pid_t pid, fs::path err) : pid_(pid), err_(std::move(err)) {}
  Child(Child&& other) noexcept : pid_(std::exchange(other.pid_, 0)), err_(std::move(other.err_)) {}
  ~Child() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  bool Running() const { return pid_ > 0; }
  // Only to a child still running (a pid of 0 would signal the whole
  // process group, the test included).
  void Signal(int signal) const {
    if (pid_ > 0) ::kill(pid_, signal);
  }
  // The wait status, or nullopt when it still runs after the time given.
  std::optional<int> Wait(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = 0;
        return status;
      }
      if (std::chrono::steady_clock::now() >= end) return std::nullopt;
      std::this_thread::sleep_for(20ms);
    }
  }
  std::string Err() const {
    const Bytes bytes = ReadBytes(err_);
    return std::string(bytes.begin(), bytes.end());
  }

 private:
  pid_t pid_ = 0;
  fs::path err_;
};

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

class GameProgramTest : public ::testing::Test {
 protected:
  GameProgramTest() {
    root_ = fs::temp_directory_path() / ("orrivel-program-" + std::to_string(::getpid()) + "-" +
                                         std::to_string(counter_++));
    game_ = root_ / "game";
    fs::create_directories(root_ / "runtime");
    fs::create_directories(root_ / "home");
  }
  ~GameProgramTest() override {
    if (server_ > 0) {
      ::kill(server_, SIGTERM);
      ::waitpid(server_, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  // A game in save-folder mode 3 (the player's files in the data folder)
  // that lets one copy run at a time.
  void WriteGame(const char* scripts, const std::function<void(AppSettings&)>& adjust = {}) {
    AppSettings settings;
    settings.SetSaveFolderMode(3);
    settings.system[18] = 1;
    settings.info[0] = "PROGRAM";
    settings.info[4] = "Saves";
    settings.window[0] = 2;
    if (adjust) adjust(settings);
    WriteBytes(game_ / "script" / "VQ_APP.SYS", EncodeSystemFile(settings.system));
    WriteBytes(game_ / "script" / "VQ_APP.INF", EncodeInfoFile(settings.version, settings.info));
    WriteBytes(game_ / "USER.CFG", EncodeUserConfig(settings));
    sob::Project project;
    std::string error;
    ASSERT_TRUE(sob::Assemble(scripts, project, error)) << error;
    for (auto& [name, bytes] : sob::ProjectFiles(project)) WriteBytes(game_ / "script" / name, bytes);
  }
  fs::path PlayerFolder() const { return root_ / "data" / "Saves"; }
  fs::path Input(const std::string& text) {
    const fs::path path = root_ / ("input" + std::to_string(inputs_++));
    std::ofstream(path) << text;
    return path;
  }

  // Starts the program on the game (headless unless a display is up);
  // its standard error goes to a file of its own. The player's folders,
  // the run-time folder and the working folder are under `place` (the
  // test's folder when none is given).
  Child Start(std::vector<std::string> args, bool headless = true, rlim_t fileSizeLimit = RLIM_INFINITY,
              fs::path place = {}) {
    if (place.empty()) place = root_;
    fs::create_directories(place / "runtime");
    fs::create_directories(place / "home");
    const fs::path err = root_ / ("stderr" + std::to_string(children_++));
    if (headless) args.insert(args.begin(), "--headless");
    args.insert(args.begin(), ORRIVEL_PROGRAM);
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int out = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(out, 2);
      ::dup2(null, 1);
      if (fileSizeLimit != RLIM_INFINITY) {
        // The limit holds for the standard error file too: a copier
        // without it writes the file from a pipe.
        int ends[2];
        if (::pipe(ends) != 0) ::_exit(126);
        if (::fork() == 0) {
          ::dup2(ends[0], 0);
          ::dup2(out, 1);
          ::close(ends[1]);
          ::execlp("cat", "cat", nullptr);
          ::_exit(127);
        }
        ::dup2(ends[1], 2);
        ::close(ends[0]);
      }
      ::setenv("XDG_DATA_HOME", (place / "data").c_str(), 1);
      ::setenv("XDG_RUNTIME_DIR", (place / "runtime").c_str(), 1);
      ::setenv("HOME", (place / "home").c_str(), 1);
      if (::chdir(place.c_str()) != 0) ::_exit(126);
      ::setenv("SDL_AUDIODRIVER", "dummy", 1);
      if (!headless) {
        ::setenv("DISPLAY", display_.c_str(), 1);
        ::setenv("SDL_VIDEODRIVER", "x11", 1);
        // The X client libraries keep allocations of their own to the end.
        ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
      }
      const rlimit limit{fileSizeLimit, fileSizeLimit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      std::vector<char*> argv;
      for (std::string& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    return Child(pid, err);
  }
  Child StartOnGame(const std::vector<std::string>& options, bool headless = true,
                    rlim_t fileSizeLimit = RLIM_INFINITY) {
    std::vector<std::string> args = options;
    args.push_back("/L" + game_.string());
    return Start(args, headless, fileSizeLimit);
  }
  // Start-up is over once the player's settings are in their folder.
  bool WaitForStart() {
    return WaitFor([&] { return fs::exists(PlayerFolder() / "USER.CFG"); }, 20s);
  }

  // A virtual X display for runs in a window (its screen's width, height
  // and depth as given); false when there is none.
  bool StartDisplay(const char* screen = "1024x768x24") {
    if (!OnPath("Xvfb")) return false;
    // The server picks a free display number and writes it to a pipe: a
    // number chosen here could meet another test's server starting at the
    // same moment, and the runs would talk to the wrong display.
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return false;
    server_ = ::fork();
    if (server_ == 0) {
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::dup2(null, 2);
      ::close(pipeEnds[0]);
      const std::string fd = std::to_string(pipeEnds[1]);
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp", nullptr);
      ::_exit(127);
    }
    ::close(pipeEnds[1]);
    std::string number;
    WaitFor(
        [&] {
          pollfd wait{pipeEnds[0], POLLIN, 0};
          char c = 0;
          while (::poll(&wait, 1, 0) > 0 && ::read(pipeEnds[0], &c, 1) == 1 && c != '\n') number += c;
          return c == '\n';
        },
        10s);
    ::close(pipeEnds[0]);
    if (number.empty()) return false;
    display_ = ":" + number;
    return server_ > 0;
  }

  fs::path root_, game_;
  std::string display_;
  pid_t server_ = 0;

 private:
  int inputs_ = 0;
  int children_ = 0;
  static inline int counter_ = 0;
};

// SIGINT, SIGTERM and SIGHUP end a run the orderly way, headless and in a
// window: the exit-time writes of the player's settings happen.
TEST_F(GameProgramTest, StopSignalsEndARunWithTheExitTimeWrites) {
  WriteGame(kYields);
  const fs::path input = Input(kFarInput);
  for (const bool headless : {true, false}) {
    if (!headless && !StartDisplay()) {
      std::printf("no virtual display: the runs in a window are not tried\n");
      break;
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
      SCOPED_TRACE((headless ? "headless, signal " : "window, signal ") + std::to_string(signal));
      fs::remove_all(root_ / "data");
      Child run = StartOnGame({"--input", input.string()}, headless);
      ASSERT_TRUE(WaitForStart()) << run.Err();
      std::this_thread::sleep_for(300ms);
      EXPECT_FALSE(fs::exists(PlayerFolder() / "APP_CFG.DAT"));
      run.Signal(signal);
      const std::optional<int> status = run.Wait(20s);
      ASSERT_TRUE(status) << "still running after the signal";
      EXPECT_EQ(Describe(*status), "exit 0") << run.Err();
      EXPECT_TRUE(fs::exists(PlayerFolder() / "APP_CFG.DAT"));
    }
  }
}

// The second signal ends a run at once, headless and in a window: a
// headless run whose scripts never come back to the main loop cannot take
// the orderly road the first one asked for; in a window (where the first
// would end the run in order) the second follows right behind it.
TEST_F(GameProgramTest, TheSecondSignalEndsARunAtOnce) {
  WriteGame(kStuck);
  for (const bool headless : {true, false}) {
    if (!headless && !StartDisplay()) {
      std::printf("no virtual display: the run in a window is not tried\n");
      break;
    }
    SCOPED_TRACE(headless ? "headless" : "window");
    fs::remove_all(root_ / "data");
    Child run = StartOnGame({}, headless);
    ASSERT_TRUE(WaitForStart()) << run.Err();
    // Time for the rest of the start (a signal before the scripts run
    // would still end the run in order) on a loaded machine.
    std::this_thread::sleep_for(3s);
    run.Signal(SIGTERM);
    if (headless) {
      const std::optional<int> early = run.Wait(1s);
      ASSERT_FALSE(early) << "the stuck run ended at the first signal: " << Describe(*early) << "\n" << run.Err();
    }
    run.Signal(SIGINT);
    const std::optional<int> status = run.Wait(5s);
    ASSERT_TRUE(status) << "still running after the second signal";
    // Two signals pending at once are taken lowest number first, so in a
    // window either may be the second.
    const std::string second = Describe(*status);
    if (headless) EXPECT_EQ(second, "signal " + std::to_string(SIGINT));
    else EXPECT_TRUE(second == "signal " + std::to_string(SIGINT) || second == "signal " + std::to_string(SIGTERM))
        << second;
  }
}

// Past the file-size limit the exit-time write fails and says so; the
// program is not killed and the player's settings stay as they were.
TEST_F(GameProgramTest, AFileSizeLimitFailsTheWriteCleanly) {
  WriteGame(kYields);
  const Bytes shipped = ReadBytes(game_ / "USER.CFG");
  WriteBytes(PlayerFolder() / "USER.CFG", shipped);
  Child run = StartOnGame({}, true, shipped.size() / 2);
  const std::optional<int> status = run.Wait(30s);
  ASSERT_TRUE(status);
  EXPECT_EQ(Describe(*status), "exit 0") << run.Err();
  EXPECT_NE(run.Err().find("環境設定ファイルの保存に失敗"), std::string::npos) << run.Err();
  EXPECT_EQ(ReadBytes(PlayerFolder() / "USER.CFG"), shipped);
}

// A second copy ends with code 3 and says why, on standard error and in
// its box.
TEST_F(GameProgramTest, ASecondCopySaysTheGameIsAlreadyRunning) {
  WriteGame(kYields);
  const fs::path input = Input(kFarInput);
  Child first = StartOnGame({"--input", input.string()});
  ASSERT_TRUE(WaitForStart()) << first.Err();
  Child second = StartOnGame({});
  const std::optional<int> status = second.Wait(20s);
  ASSERT_TRUE(status);
  EXPECT_EQ(Describe(*status), "exit 3");
  EXPECT_NE(second.Err().find("[message box] PROGRAM: 「PROGRAM」は既に起動しています。"), std::string::npos)
      << second.Err();
  // The first copy was not disturbed: a last event at frame 4294967295
  // keeps it going (the frame limit does not wrap round to a frame or two).
  EXPECT_FALSE(first.Wait(2s));
  first.Signal(SIGTERM);
  const std::optional<int> firstStatus = first.Wait(20s);
  ASSERT_TRUE(firstStatus);
  EXPECT_EQ(Describe(*firstStatus), "exit 0");
}

// A damaged settings file in the player's folder is moved aside with its
// bytes, the defaults take its place and one message names it; the game
// starts and ends normally.
TEST_F(GameProgramTest, DamagedSettingsAreSetAsideAndTheGameStarts) {
  WriteGame(kYields);
  const Bytes shipped = ReadBytes(game_ / "USER.CFG");
  const Bytes appConfig = EncodeAppConfig(AppSettings().appConfig);
  Bytes random(200);
  uint32_t seed = 12345;
  for (uint8_t& byte : random) byte = uint8_t((seed = seed * 1103515245u + 12345u) >> 16);
  struct Case {
    const char* name;
    const char* file;
    Bytes bytes;
  };
  const Case cases[] = {
      {"USER.CFG empty", "USER.CFG", {}},
      {"USER.CFG cut", "USER.CFG", Bytes(shipped.begin(), shipped.begin() + 60)},
      {"USER.CFG random", "USER.CFG", random},
      {"USER.CFG zeros", "USER.CFG", Bytes(shipped.size(), 0)},
      {"APP_CFG.DAT empty", "APP_CFG.DAT", {}},
      {"APP_CFG.DAT cut", "APP_CFG.DAT", Bytes(appConfig.begin(), appConfig.begin() + 100)},
      {"APP_CFG.DAT random", "APP_CFG.DAT", random},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(root_ / "data");
    WriteBytes(PlayerFolder() / "USER.CFG", shipped);
    WriteBytes(PlayerFolder() / "APP_CFG.DAT", appConfig);
    WriteBytes(PlayerFolder() / c.file, c.bytes);
    Child run = StartOnGame({});
    const std::optional<int> status = run.Wait(30s);
    ASSERT_TRUE(status);
    EXPECT_EQ(Describe(*status), "exit 0") << run.Err();
    const fs::path file = PlayerFolder() / c.file;
    EXPECT_EQ(ReadBytes(file.string() + ".damaged"), c.bytes);
    const Bytes now = ReadBytes(file);
    EXPECT_TRUE(std::string(c.file) == "USER.CFG" ? IsWholeUserConfig(now) : IsWholeAppConfig(now));
    const std::string err = run.Err();
    EXPECT_NE(err.find(file.string() + "\nが壊れているため、初期設定を使います。\n壊れたファイルは\n" + file.string() +
                       ".damaged\nとして残しました。"),
              std::string::npos)
        << err;
  }
}

// On a first start a damaged USER.CFG of the game is not copied into the
// player's folder: the player gets the defaults, the message names the
// game's file, and the game's file stays as it is.
TEST_F(GameProgramTest, ADamagedShippedUserConfigIsNeverCopied) {
  WriteGame(kYields);
  Bytes cut = ReadBytes(game_ / "USER.CFG");
  cut.resize(40);
  WriteBytes(game_ / "USER.CFG", cut);
  Child run = StartOnGame({});
  const std::optional<int> status = run.Wait(30s);
  ASSERT_TRUE(status);
  EXPECT_EQ(Describe(*status), "exit 0") << run.Err();
  EXPECT_TRUE(IsWholeUserConfig(ReadBytes(PlayerFolder() / "USER.CFG")));
  EXPECT_EQ(ReadBytes(game_ / "USER.CFG"), cut);
  EXPECT_NE(run.Err().find((game_ / "USER.CFG").string() + "\nが壊れているため、初期設定を使います。"),
            std::string::npos)
      << run.Err();
}

// Input files the program refuses before it starts, with status 64 and
// the reason; a FIFO without a writer does not hang the start.
TEST_F(GameProgramTest, UnfitInputFilesAreRefusedBeforeTheStart) {
  WriteGame(kYields);
  const std::string fifo = (root_ / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::string path;
    std::string message;
  };
  const Case cases[] = {
      {root_.string(), root_.string() + ": is a folder, not an input file"},
      {fifo, fifo + ": is not a plain file"},
      {"/dev/zero", "/dev/zero: is not a plain file"},
      {Input("1 text " + std::string(100000, 'x') + "\n").string(), ": line 1: longer than 65536 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Child run = StartOnGame({"--input", c.path});
    const std::optional<int> status = run.Wait(20s);
    ASSERT_TRUE(status) << "the start hangs";
    EXPECT_EQ(Describe(*status), "exit 64");
    EXPECT_NE(run.Err().find(c.message), std::string::npos) << run.Err();
  }
}

// A start-up refusal in a window: the message reaches standard error while
// the box is still open, the box shows the text as the engine draws it
// (read back from the X screen), and the first signal closes it: the
// program ends with the refusal's code.
TEST_F(GameProgramTest, TheStartUpRefusalBoxShowsItsTextAndEndsOnASignal) {
  if (!StartDisplay() || !OnPath("xdotool") || !OnPath("import")) GTEST_SKIP() << "no virtual display or tools";
  const std::string message = "アプリケーション設定ファイルの読み込みに失敗";
  Child run = Start({"/L" + (root_ / "no-such-game").string()}, false);
  ASSERT_TRUE(WaitFor([&] { return run.Err().find(message) != std::string::npos; }, 20s)) << run.Err();
  // The window of the box, by its caption (the program's own title before
  // any game file named one).
  const fs::path ids = root_ / "window-id";
  const std::string find = "DISPLAY=" + display_ + " timeout 10 xdotool search --name '^ORRIVEL$' > " + ids.string();
  ASSERT_TRUE(WaitFor([&] { return std::system(find.c_str()) == 0 && fs::file_size(ids) > 0; }, 10s));
  std::this_thread::sleep_for(300ms);
  EXPECT_FALSE(run.Wait(0ms)) << "the box did not wait for an answer";
  const Bytes idBytes = ReadBytes(ids);
  const std::string id(idBytes.begin(), std::find(idBytes.begin(), idBytes.end(), uint8_t('\n')));
  platform::MessageBoxRequest request;
  request.text = platform::Utf8ToCp932Lossy(message);
  request.caption = "ORRIVEL";
  request.icon = platform::MessageBoxIcon::Stop;
  request.owner = platform::kDesktopWindow;
  request.systemModal = true;
  const auto painter = platform::MessageBoxPainter::Create(request);
  ASSERT_TRUE(painter);
  const std::vector<uint32_t> expected = painter->Paint(painter->DefaultButton());
  // The pixels on the X screen that differ from the painter's picture (the
  // window may be mapped a moment before it is drawn: read until it holds
  // its picture, or time runs out).
  const fs::path shot = root_ / "box.png";
  const std::string grab = "timeout 10 import -display " + display_ + " -window " + id + " PNG24:" + shot.string();
  size_t different = expected.size();
  WaitFor(
      [&] {
        tools::PngPicture picture;
        std::string error;
        if (std::system(grab.c_str()) != 0 || !tools::ReadPng(shot.string(), &picture, &error)) return false;
        if (picture.width != uint32_t(painter->Width()) || picture.height != uint32_t(painter->Height())) return false;
        different = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
          const uint32_t shown = uint32_t(picture.pixels[i * 4 + 2]) << 16 |
                                 uint32_t(picture.pixels[i * 4 + 1]) << 8 | picture.pixels[i * 4];
          if (shown != expected[i]) ++different;
        }
        return different == 0;
      },
      10s);
  EXPECT_EQ(different, 0u);
  if (different != 0) fs::copy_file(shot, ::testing::TempDir() + "orrivel-box-shot.png",
                                    fs::copy_options::overwrite_existing);

  run.Signal(SIGTERM);
  const std::optional<int> status = run.Wait(5s);
  ASSERT_TRUE(status) << "the box outlived the signal";
  EXPECT_EQ(Describe(*status), "exit 1");
}


// --- the sample story's waits and the player's actions -------------------------------------------

// A part of a picture.
struct Crop {
  uint32_t left, top, right, bottom;
};

// The blue, green and red bytes of a part of a picture, row by row (an
// indexed picture through its palette); empty when the file cannot be read
// or does not hold the part.
Bytes PictureColours(const fs::path& path, const Crop& crop) {
  tools::PngPicture picture;
  std::string error;
  if (!tools::ReadPng(path.string(), &picture, &error) || crop.right > picture.width || crop.bottom > picture.height)
    return {};
  Bytes colours;
  for (uint32_t y = crop.top; y < crop.bottom; ++y) {
    for (uint32_t x = crop.left; x < crop.right; ++x) {
      const size_t at = size_t(y) * picture.width + x;
      const uint8_t* pixel =
          picture.indexed ? &picture.palette[size_t(picture.pixels[at]) * 4] : &picture.pixels[at * 4];
      colours.insert(colours.end(), pixel, pixel + 3);
    }
  }
  return colours;
}

// Events of an input file written with frames counted from a wait: "F"
// stands for the wait's first free frame, "F+N" for N frames later.
std::string FromFrame(const std::string& events, uint32_t first) {
  std::string out;
  size_t at = 0;
  while (at < events.size()) {
    const size_t end = std::min(events.find('\n', at), events.size());
    const std::string line = events.substr(at, end - at);
    at = end + 1;
    const size_t word = line.find(' ');
    const uint32_t after = line.rfind("F+", 0) == 0 ? uint32_t(std::stoul(line.substr(2, word - 2))) : 0;
    out += std::to_string(first + after) + line.substr(word) + "\n";
  }
  return out;
}

// Whether a save of the quick ring is in one of the player's folders.
bool HasQuickSave(const fs::path& data) {
  std::error_code ignored;
  for (const fs::directory_entry& folder : fs::directory_iterator(data, ignored)) {
    for (const fs::directory_entry& file : fs::directory_iterator(folder.path(), ignored)) {
      const std::string name = file.path().filename().string();
      if (name.rfind("DATA11", 0) == 0 && file.path().extension() == ".SAV") return true;
    }
  }
  return false;
}

// The player's actions at the waits of the sample story, each in a run of
// the program of its own. The page and the choice (also the choice offered
// again after going back to it) serve the same actions: the quick save
// key, the history's key, the system menu from the right click and from M
// with its quit item, the settings sheet. The title is a choice too: its
// menu opens (with nothing to save or load) and quits, and a program that
// closes while that menu is open starts nothing more. The settings sheet,
// closed by OK or by Cancel, leaves the page as it was with the sheet's
// picture gone, and the page hears the player again. The history, the
// system menu and the menu's question box each go on a cancel input, and
// the page serves on. No run shows an error box.
TEST_F(GameProgramTest, EveryWaitOfTheSampleStoryServesThePlayersActions) {
  const fs::path game = ORRIVEL_BINARY_DIR "/sample-game";
  ASSERT_TRUE(fs::exists(game / "SCRIPT.LPK")) << "the sample game is not built";
  const fs::path golden = ORRIVEL_SOURCE_DIR "/tests/game/golden";
  enum class Effect {
    kSaves,  // a save of the quick ring is in the player's folder
    kShows,  // the snapshot "probe" equals the golden picture in the part given
    kEnds,   // the program ended by itself, before the file's late snapshot
    kQuiet,  // nothing more than that no run shows an error box
    kNoSave, // no save of the quick ring was written
  };
  // The events that reach a wait, and its first free frame.
  struct Wait {
    std::string events;
    uint32_t first;
  };
  const Wait page{"31 move 640 208\n33 click 640 208\n", 90};
  // The history's key works once the history holds a page before the one
  // shown.
  const Wait secondPage{page.events + "89 click 640 600\n", 120};
  const Wait title{"", 31};
  const Wait choice{page.events + "89 click 640 600\n118 click 640 600\n148 click 640 600\n178 click 640 600\n", 232};
  // The awake page after the second choice; Backspace and the box's OK go
  // back to the choice.
  const Wait choiceAgain{choice.events + "229 move 640 272\n231 click 640 272\n292 key backspace\n332 click 581 392\n",
                         402};
  struct Case {
    const char* wait;
    const Wait* at;
    std::string action;
    std::string events;
    Effect effect;
    const char* golden = nullptr;
    Crop crop{};
  };
  // The history's close button; the text of the page (the click-wait mark
  // beside it turns); the screen above the message window.
  const Crop closeButton{1010, 34, 1066, 70}, pageText{20, 530, 290, 575}, overWindow{0, 0, 1280, 488};
  const std::string menuQuit = "F+22 move 400 455\nF+24 click 400 455\n", boxOk = "F+62 click 398 454\n";
  const std::string sheetOk = "F key C\nF+22 click 728 537\n", sheetCancel = "F key C\nF+22 key esc\n";
  std::vector<Case> cases;
  for (const auto& [name, wait] : {std::pair{"page", &secondPage}, std::pair{"choice", &choice}}) {
    cases.push_back({name, wait, "Insert", "F key insert\nF+26 snapshot probe\n", Effect::kShows,
                     "history/history-open.png", closeButton});
  }
  for (const auto& [name, wait] : {std::pair{"page", &page}, std::pair{"choice", &choice}}) {
    cases.push_back({name, wait, "F9", "F key F9\n", Effect::kSaves});
    cases.push_back({name, wait, "right click, the quit item, OK", "F rclick 400 300\n" + menuQuit + boxOk,
                     Effect::kEnds});
    cases.push_back({name, wait, "M, the quit item, OK", "F move 400 300\nF+1 key M\n" + menuQuit + boxOk,
                     Effect::kEnds});
    cases.push_back({name, wait, "the settings sheet's OK, F9", sheetOk + "F+60 key F9\n", Effect::kSaves});
  }
  cases.push_back({"choice again", &choiceAgain, "right click, the quit item, OK", "F rclick 400 300\n" + menuQuit + boxOk,
                   Effect::kEnds});
  cases.push_back({"choice again", &choiceAgain, "F9", "F key F9\n", Effect::kSaves});
  cases.push_back({"title", &title, "right click, the quit item, OK", "F rclick 400 300\n" + menuQuit + boxOk,
                   Effect::kEnds});
  // The file's own quit comes while the menu is still open.
  cases.push_back({"title", &title, "right click, the program closes", "F rclick 400 300\n", Effect::kQuiet});
  for (const auto& [how, closing] : {std::pair{"OK", sheetOk}, std::pair{"Cancel", sheetCancel}}) {
    const std::string sheet = std::string("the settings sheet's ") + how;
    cases.push_back({"page", &page, sheet + ", the picture", closing + "F+60 snapshot probe\n", Effect::kShows,
                     "story/page1-shown.png", overWindow});
    cases.push_back({"page", &page, sheet + ", a click", closing + "F+60 click 640 600\nF+100 snapshot probe\n",
                     Effect::kShows, "saves/next-after-load.png", pageText});
    cases.push_back({"page", &page, sheet + ", F9", closing + "F+60 key F9\n", Effect::kSaves});
  }
  cases.push_back({"history", &secondPage, "right click closes, F9", "F key insert\nF+30 rclick 640 300\nF+60 key F9\n",
                   Effect::kSaves});
  cases.push_back({"history", &secondPage, "X closes, F9", "F key insert\nF+30 key X\nF+60 key F9\n", Effect::kSaves});
  cases.push_back({"system menu", &page, "right click closes, F9",
                   "F rclick 400 300\nF+30 rclick 400 300\nF+60 key F9\n", Effect::kSaves});
  cases.push_back({"system menu", &page, "X closes, F9", "F rclick 400 300\nF+30 key X\nF+60 key F9\n",
                   Effect::kSaves});
  // Space hides the window (and a choice's list); only a click, a right
  // click, the decide and cancel inputs or Space again bring it back, on
  // the same page or choice, and no action runs meanwhile.
  cases.push_back({"hidden window", &page, "F9 while hidden", "F key space\nF+20 key F9\n", Effect::kNoSave});
  for (const char* shows : {"click 640 600", "rclick 640 600", "key enter", "key esc", "key space"}) {
    cases.push_back({"hidden window", &page, std::string(shows) + ", F9",
                     "F key space\nF+20 " + std::string(shows) + "\nF+40 key F9\n", Effect::kSaves});
  }
  cases.push_back({"hidden window", &page, "a click, the page", "F key space\nF+20 click 640 600\nF+60 snapshot probe\n",
                   Effect::kShows, "story/page1-shown.png", pageText});
  cases.push_back({"hidden window", &choice, "a click on a choice, the choice",
                   "F key space\nF+20 move 640 208\nF+22 click 640 208\nF+60 snapshot probe\n", Effect::kShows,
                   "story/choices.png", pageText});
  // The title's question (T) holds the page alone while it asks; its
  // cancel input says no.
  cases.push_back({"question box", &page, "T, F9 while it asks", "F key T\nF+40 key F9\n", Effect::kNoSave});
  cases.push_back({"question box", &page, "T, Esc says no, F9", "F key T\nF+40 key esc\nF+70 key F9\n",
                   Effect::kSaves});
  cases.push_back({"question box", &page, "right click says no, F9",
                   "F rclick 400 300\n" + menuQuit + "F+62 rclick 398 454\nF+100 key F9\n", Effect::kSaves});

  // The runs go eight at a time, each in a folder of its own (its player's
  // folder and single-copy guard).
  constexpr size_t kAtOnce = 8;
  for (size_t from = 0; from < cases.size(); from += kAtOnce) {
    std::vector<Child> runs;
    const size_t to = std::min(cases.size(), from + kAtOnce);
    for (size_t i = from; i < to; ++i) {
      const Case& c = cases[i];
      const fs::path place = root_ / ("run" + std::to_string(i));
      const std::string events = c.events + "F+200 snapshot late\nF+201 quit\n";
      const fs::path input = Input(c.at->events + FromFrame(events, c.at->first));
      runs.push_back(Start({"--input", input.string(), "/L" + game.string()}, true, RLIM_INFINITY, place));
    }
    for (size_t i = from; i < to; ++i) {
      const Case& c = cases[i];
      Child& run = runs[i - from];
      SCOPED_TRACE(std::string(c.wait) + ": " + c.action);
      const fs::path place = root_ / ("run" + std::to_string(i));
      const std::optional<int> status = run.Wait(120s);
      ASSERT_TRUE(status) << "still running";
      EXPECT_EQ(Describe(*status), "exit 0") << run.Err();
      EXPECT_EQ(run.Err().find("[message box]"), std::string::npos) << run.Err();
      switch (c.effect) {
        case Effect::kSaves:
          EXPECT_TRUE(HasQuickSave(place / "data")) << "no quick save was written";
          break;
        case Effect::kShows: {
          const Bytes shown = PictureColours(place / "probe.png", c.crop);
          EXPECT_FALSE(shown.empty()) << "no probe.png";
          EXPECT_TRUE(shown == PictureColours(golden / c.golden, c.crop))
              << (place / "probe.png").string() << " differs from " << c.golden;
          break;
        }
        case Effect::kEnds:
          EXPECT_FALSE(fs::exists(place / "late.png")) << "the program did not end before the file's end";
          break;
        case Effect::kNoSave:
          EXPECT_FALSE(HasQuickSave(place / "data")) << "a quick save was written";
          break;
        case Effect::kQuiet:
          break;
      }
    }
  }
}


// In a window on a virtual X display: the settings sheet closed by its OK
// leaves the game listening, its quick save key writes a save and the
// next click turns the page (the page's text then equals the second
// page's).
TEST_F(GameProgramTest, TheSettingsSheetLeavesTheGameListeningInAWindow) {
  const fs::path game = ORRIVEL_BINARY_DIR "/sample-game";
  ASSERT_TRUE(fs::exists(game / "SCRIPT.LPK")) << "the sample game is not built";
  // The game's window fills the screen, as in the other runs in a window.
  if (!StartDisplay("1280x720x24")) GTEST_SKIP() << "no virtual display";
  const fs::path input = Input(
      "31 move 640 208\n33 click 640 208\n90 key C\n112 click 728 537\n150 key F9\n170 click 640 600\n"
      "230 snapshot probe\n240 quit\n");
  Child run = Start({"--input", input.string(), "/L" + game.string()}, false);
  const std::optional<int> status = run.Wait(120s);
  ASSERT_TRUE(status) << "still running";
  EXPECT_EQ(Describe(*status), "exit 0") << run.Err();
  EXPECT_NE(run.Err().find("入力・その他設定 -> OK"), std::string::npos) << run.Err();
  EXPECT_TRUE(HasQuickSave(root_ / "data")) << "no quick save was written";
  const Crop pageText{20, 530, 290, 575};
  const Bytes shown = PictureColours(root_ / "probe.png", pageText);
  EXPECT_FALSE(shown.empty()) << "no probe.png";
  EXPECT_TRUE(shown == PictureColours(ORRIVEL_SOURCE_DIR "/tests/game/golden/saves/next-after-load.png", pageText));
}

}  // namespace
}  // namespace orrivel
