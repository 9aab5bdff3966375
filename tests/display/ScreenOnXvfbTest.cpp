// A real window on a virtual X server: what the SDL presenter puts on the
// screen, read back with a screenshot, equals what the headless presenter
// keeps for the same frame. Skipped where the X server or the screenshot
// tool is missing.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/MonitorList.h"
#include "display/DisplayScreenDevice.h"
#include "display/XvfbDisplayModes.h"
#include "elg/PngFile.h"
#include "platform/Backend.h"
#include "platform/DefaultWindowClient.h"
#include "platform/DisplayMachine.h"
#include "platform/StopSignals.h"
#include "platform/headless/HeadlessPresenter.h"
#include "platform/sdl/SdlPresenter.h"
#include "platform/sdl/SdlBackend.h"
#include "scene/CanvasDrawObject.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define ORRIVEL_LEAK_CHECKS_OFF() __lsan_disable()
#define ORRIVEL_LEAK_CHECKS_ON() __lsan_enable()
#else
#define ORRIVEL_LEAK_CHECKS_OFF()
#define ORRIVEL_LEAK_CHECKS_ON()
#endif

extern char** environ;

namespace orrivel {
namespace {

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string all = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= all.size()) {
    const size_t end = all.find(':', start);
    const std::string folder = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!folder.empty() && ::access((folder + "/" + program).c_str(), X_OK) == 0) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

pid_t Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : 0;
}

// Waits for the child at most the given time; one that is still running
// then is killed and the wait fails with a message naming it. A loaded
// machine can stall the X server or a client, and a test must not hang.
bool WaitBounded(pid_t pid, const std::string& what, std::chrono::milliseconds limit, int* status) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int got = 0;
  while ((got = waitpid(pid, status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (got == pid) return true;
  kill(pid, SIGKILL);
  waitpid(pid, status, 0);
  ADD_FAILURE() << what << " did not end within " << limit.count() << " ms and was killed";
  return false;
}

// The first line written to the descriptor, without its line feed; empty
// when none comes within the limit.
std::string ReadLineWithin(int fd, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::string line;
  while (line.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return {};
    pollfd wait{fd, POLLIN, 0};
    if (::poll(&wait, 1, int(left.count())) <= 0) return {};
    char chunk[32];
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got <= 0) return {};
    line.append(chunk, size_t(got));
  }
  return line.substr(0, line.find('\n'));
}

int RunToEnd(const std::vector<std::string>& args) {
  const pid_t pid = Spawn(args);
  if (pid == 0) return -1;
  int status = 0;
  if (!WaitBounded(pid, args[0], std::chrono::seconds(30), &status)) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

constexpr const char* kTitle = "orrivel-screen-test";

uint32_t Pattern(int32_t x, int32_t y) { return uint32_t((x * 5) ^ (y * 11) ^ (x * y)) & 0xFFFFFF; }

class XvfbScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!OnPath("Xvfb") || !OnPath("import")) GTEST_SKIP() << "Xvfb or import is not installed";
    // The server picks a free display number itself and writes it to a
    // pipe: numbers chosen here could meet another test's server starting
    // at the same moment.
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) GTEST_SKIP() << "no pipe for the display number";
    server_ = Spawn({"Xvfb", "-displayfd", std::to_string(pipeEnds[1]), "-screen", "0", "1280x800x24", "-nolisten",
                     "tcp"});
    ::close(pipeEnds[1]);
    const std::string number = ReadLineWithin(pipeEnds[0], std::chrono::seconds(10));
    ::close(pipeEnds[0]);
    if (server_ == 0 || number.empty()) GTEST_SKIP() << "Xvfb did not start";
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    // Full screen on X needs a window manager to honour it.
    if (OnPath("openbox")) {
      manager_ = Spawn({"openbox", "--sm-disable"});
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    std::string error;
    // The X and desktop-bus client libraries keep allocations of their own
    // past the video system's shutdown; they are not the engine's.
    ORRIVEL_LEAK_CHECKS_OFF();
    leakChecksOff_ = true;
    backend_ = platform::SdlBackend::Create(&error);
    if (!backend_) GTEST_SKIP() << "SDL cannot open the virtual display: " << error;
    scope_ = std::make_unique<platform::ScopedBackend>(*backend_);
    platform::SetDisplayMachine(nullptr);
    DisplayDevice::ResetProcessState();
  }
  void TearDown() override {
    scope_.reset();
    backend_.reset();
    if (leakChecksOff_) ORRIVEL_LEAK_CHECKS_ON();
    platform::SetDisplayMachine(nullptr);
    DisplayDevice::ResetProcessState();
    int status = 0;
    if (manager_ != 0) {
      kill(manager_, SIGTERM);
      WaitBounded(manager_, "the window manager", std::chrono::seconds(10), &status);
    }
    if (server_ != 0) {
      kill(server_, SIGTERM);
      WaitBounded(server_, "Xvfb", std::chrono::seconds(10), &status);
    }
  }

  void Pump() {
    for (int i = 0; i < 20; ++i) {
      platform::Message message;
      while (backend_->PeekMessage(message, true)) backend_->DispatchMessage(message);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  // A shown window of the test's title with a client area of width x height.
  platform::WindowId ShowWindow(platform::DefaultWindowClient& client, int32_t width, int32_t height) {
    backend_->RegisterClass(platform::WindowClass{"xvfb"});
    platform::WindowCreateParams params;
    params.className = "xvfb";
    params.text = kTitle;
    params.width = width;
    params.height = height;
    params.client = &client;
    const platform::WindowId window = backend_->CreateWindow(params);
    if (window != 0) backend_->ShowWindow(window, platform::SW_SHOW);
    Pump();
    return window;
  }

  // The window's client area (width x height) as 0x00RRGGBB words.
  std::vector<uint32_t> Screenshot(int32_t width, int32_t height) {
    const std::string path = ::testing::TempDir() + "xvfb-shot-" + std::to_string(getpid()) + ".png";
    const std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+0+0";
    EXPECT_EQ(RunToEnd({"import", "-display", display_, "-window", kTitle, "-crop", crop, "+repage", "PNG24:" + path}),
              0);
    tools::PngPicture picture;
    std::string error;
    std::vector<uint32_t> pixels;
    if (!tools::ReadPng(path, &picture, &error)) {
      ADD_FAILURE() << error;
      return pixels;
    }
    if (std::getenv("ORRIVEL_KEEP_SHOT") == nullptr) std::remove(path.c_str());
    EXPECT_EQ(picture.width, uint32_t(width));
    EXPECT_EQ(picture.height, uint32_t(height));
    for (size_t i = 0; i + 3 < picture.pixels.size(); i += 4) {
      pixels.push_back(uint32_t(picture.pixels[i + 2]) << 16 | uint32_t(picture.pixels[i + 1]) << 8 |
                       picture.pixels[i]);
    }
    return pixels;
  }

  std::string display_;
  pid_t server_ = 0;
  pid_t manager_ = 0;
  bool leakChecksOff_ = false;
  std::unique_ptr<platform::SdlBackend> backend_;
  std::unique_ptr<platform::ScopedBackend> scope_;
};

size_t CountDifferent(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int tolerance) {
  if (a.size() != b.size()) return a.size() + b.size();
  size_t count = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      const int d = int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF);
      if (d > tolerance || d < -tolerance) {
        ++count;
        break;
      }
    }
  }
  return count;
}

TEST_F(XvfbScreen, TheWindowShowsWhatTheHeadlessPresenterKeeps) {
  platform::DefaultWindowClient client(*backend_);
  const platform::WindowId window = ShowWindow(client, 800, 600);
  ASSERT_NE(window, 0u);

  CanvasDrawObject picture;
  ASSERT_EQ(picture.Load(800, 600, 32, 0), 0);
  for (int32_t y = 0; y < 600; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(picture.GetSurface()->GetScanLine(y));
    for (int32_t x = 0; x < 800; ++x) row[x] = Pattern(x, y);
  }
  platform::SoftSurface expectedFrame;
  ASSERT_EQ(expectedFrame.Create(800, 600, platform::SurfaceFormat::X8R8G8B8), platform::kSurfaceOk);
  {
    platform::SurfaceLock lock;
    ASSERT_EQ(expectedFrame.Lock(nullptr, &lock), platform::kSurfaceOk);
    for (int32_t y = 0; y < 600; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(lock.bits + size_t(y) * lock.pitch);
      for (int32_t x = 0; x < 800; ++x) row[x] = Pattern(x, y);
    }
    expectedFrame.Unlock();
  }

  DisplayScreenDevice device;
  device.AttachScreenImage(&picture);
  device.SetDrawingMethod(2);
  device.SetDirectDrawWhenNotEnlarged(true);
  device.SetSmoothFiltering(false);

  struct Step {
    const char* what;
    bool windowed;
    bool linear;
    int32_t width, height;
    int tolerance;
  };
  // Windowed at the content's size, then full screen over the whole
  // display (the frame scaled with side borders), by nearest pixel, then linearly.
  const Step steps[] = {
      {"window", true, false, 800, 600, 0},
      {"full screen, nearest pixel", false, false, 1280, 800, 0},
      {"full screen, linear", false, true, 1280, 800, 8},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    if (!step.windowed && manager_ == 0) {
      std::fprintf(stderr, "no window manager: the full-screen steps are left out\n");
      break;
    }
    device.SetSmoothFiltering(step.linear);
    ASSERT_EQ(device.SetScreenMode(window, step.windowed, false, false), 0);
    Pump();
    picture.AddDirty(nullptr);
    ASSERT_EQ(device.PresentFrame(), 0);
    ASSERT_GT(device.FramesShown(), 0u);
    Pump();
    picture.AddDirty(nullptr);
    ASSERT_EQ(device.PresentFrame(), 0);
    Pump();
    // The headless presenter given the same frame for a window of this size.
    platform::HeadlessPresenter headless;
    headless.SetOutputSize(window, step.width, step.height);
    platform::PresentOptions options;
    options.linear = step.linear;
    ASSERT_EQ(headless.Present(window, expectedFrame, Rect{0, 0, 800, 600}, nullptr, options), platform::kPresentOk);
    const std::vector<uint32_t> shot = Screenshot(step.width, step.height);
    const size_t different = CountDifferent(shot, headless.LastFrame(window)->pixels, step.tolerance);
    if (step.width == 800) {
      // Unscaled: every pixel as the frame has it.
      EXPECT_EQ(different, 0u);
    } else if (step.tolerance == 0) {
      // Scaled by nearest pixel: a sample that falls exactly between two
      // source pixels may be rounded either way by the renderer's floats;
      // at 4:3 that is at most one column of the output.
      EXPECT_LE(different, size_t(step.height));
    } else {
      // Linear filters round differently at a few edges.
      EXPECT_LT(different, shot.size() / 100);
    }
  }
}

// A renderer reset throws the window's texture away: the next present
// must put up the whole frame, although it names only a small changed part.
TEST_F(XvfbScreen, AfterARendererResetTheWholeFrameGoesUp) {
  platform::DefaultWindowClient client(*backend_);
  const platform::WindowId window = ShowWindow(client, 160, 120);
  ASSERT_NE(window, 0u);
  platform::SoftSurface frame;
  ASSERT_EQ(frame.Create(160, 120, platform::SurfaceFormat::X8R8G8B8), platform::kSurfaceOk);
  const Rect area{0, 0, 160, 120};
  auto& presenter = static_cast<platform::SdlPresenter&>(backend_->ScreenPresenter());
  ASSERT_EQ(frame.ColorFill(nullptr, 0x204080), platform::kSurfaceOk);
  ASSERT_EQ(presenter.Present(window, frame, area, nullptr, {}), platform::kPresentOk);
  Pump();
  ASSERT_EQ(frame.ColorFill(nullptr, 0xC0A060), platform::kSurfaceOk);
  presenter.NoteDeviceReset();
  const Rect corner{0, 0, 8, 8};
  ASSERT_EQ(presenter.Present(window, frame, area, &corner, {}), platform::kPresentOk);
  Pump();
  const std::vector<uint32_t> shot = Screenshot(160, 120);
  ASSERT_EQ(shot.size(), size_t(160 * 120));
  EXPECT_EQ(shot[0], 0xC0A060u);
  EXPECT_EQ(shot[size_t(119) * 160 + 159], 0xC0A060u);
  EXPECT_EQ(std::count(shot.begin(), shot.end(), 0xC0A060u), std::ptrdiff_t(shot.size()));
  EXPECT_TRUE(presenter.TakeDeviceReset());
}

// --- real display modes --------------------------------------------------------------------

constexpr const char* kCrashChildVariable = "ORRIVEL_MODE_CRASH_CHILD";
// How the child ends: "stop" for two stop signals, else a crash.
constexpr const char* kChildEndVariable = "ORRIVEL_MODE_CHILD_END";

// A picture of the pattern, width x height.
void FillPattern(CanvasDrawObject& picture, int32_t width, int32_t height) {
  ASSERT_EQ(picture.Load(width, height, 32, 0), 0);
  for (int32_t y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(picture.GetSurface()->GetScanLine(y));
    for (int32_t x = 0; x < width; ++x) row[x] = Pattern(x, y);
  }
  picture.AddDirty(nullptr);
}

// Full screen with a mode change for the picture, as the game's settings
// ask for it: the monitor as the machine shows it, the mode of the
// picture's size, through the DirectDraw route.
int EnterFullScreenWithModeChange(DisplayScreenDevice& device, CanvasDrawObject& picture, platform::WindowId window) {
  const int32_t width = picture.GetSurface()->GetWidth(), height = picture.GetSurface()->GetHeight();
  device.SetContentSize(width, height);
  device.AttachScreenImage(&picture);
  device.SetDrawingMethod(2);
  device.SetSmoothFiltering(false);
  MonitorList monitors;
  if (device.EnumMonitors(&monitors, width, height, true) != 0) return -1;
  if (device.SelectMonitor(true, 0, 0, 32, &monitors) != 0) return -2;
  return device.SetScreenMode(window, false, false, false);
}

TEST_F(XvfbScreen, FullScreenSwitchesTheDisplaysModeAndGivesTheDesktopItsOwnBack) {
  test::XvfbDisplayModes modes(display_);
  if (!modes.Available()) GTEST_SKIP() << "the X server's resize-and-rotate extension is not reachable";
  // Modes no larger than the server's screen.
  ASSERT_TRUE(modes.Add(1024, 768));
  ASSERT_TRUE(modes.Add(800, 600));
  ASSERT_TRUE(modes.Add(1000, 700));  // a size of this display's own, in no common list
  const std::pair<int, int> desktop{1280, 800};
  ASSERT_EQ(modes.Shown(), desktop);
  platform::DefaultWindowClient client(*backend_);
  const platform::WindowId window = ShowWindow(client, 640, 480);
  ASSERT_NE(window, 0u);
  struct Step {
    const char* what;
    int32_t width, height;
    std::pair<int, int> mode;
    Rect picture;
  };
  const Step steps[] = {
      {"the game's own size", 1024, 768, {1024, 768}, {0, 0, 1024, 768}},
      {"the game's own size, offered by this display only", 1000, 700, {1000, 700}, {0, 0, 1000, 700}},
      {"no mode of the game's size: the nearest larger, picture centred", 640, 480, {800, 600},
       {80, 60, 720, 540}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    CanvasDrawObject picture;
    FillPattern(picture, step.width, step.height);
    auto device = std::make_unique<DisplayScreenDevice>();
    ASSERT_EQ(EnterFullScreenWithModeChange(*device, picture, window), 0);
    Pump();
    EXPECT_EQ(modes.Shown(), step.mode);
    for (int i = 0; i < 2; ++i) {
      picture.AddDirty(nullptr);
      ASSERT_EQ(device->PresentFrame(), 0);
      Pump();
    }
    // The picture 1:1 where it belongs, black around it.
    const std::vector<uint32_t> shot = Screenshot(step.mode.first, step.mode.second);
    ASSERT_EQ(shot.size(), size_t(step.mode.first) * size_t(step.mode.second));
    const Rect& p = step.picture;
    auto at = [&](int32_t x, int32_t y) { return shot[size_t(y) * size_t(step.mode.first) + size_t(x)]; };
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{step.width - 1, 0}, std::pair{17, 29},
                               std::pair{step.width - 1, step.height - 1}}) {
      EXPECT_EQ(at(p.left + x, p.top + y), Pattern(x, y)) << x << "," << y;
    }
    if (p.left > 0) {
      EXPECT_EQ(at(p.left - 1, p.top + 5), 0u);
      EXPECT_EQ(at(p.right, p.bottom - 5), 0u);
      EXPECT_EQ(at(p.left + 5, p.top - 1), 0u);
    }
    // A window gives the desktop its mode back; full screen takes the
    // game's again; the device's end gives it back once more.
    ASSERT_EQ(device->SetScreenMode(window, true, false, false), 0);
    Pump();
    EXPECT_EQ(modes.Shown(), desktop);
    ASSERT_EQ(device->SetScreenMode(window, false, false, false), 0);
    Pump();
    EXPECT_EQ(modes.Shown(), step.mode);
    device.reset();
    Pump();
    EXPECT_EQ(modes.Shown(), desktop);
  }
}

// Started by the test below in a process of its own on the same X server:
// full screen in a mode of the game's own, then a crash, or two stop
// signals (the second ends the program without the exit-time road).
TEST(XvfbModeChild, SwitchesThenDies) {
  if (std::getenv(kCrashChildVariable) == nullptr) GTEST_SKIP() << "run by XvfbScreen.DyingGivesTheDesktopItsModeBack";
  ORRIVEL_LEAK_CHECKS_OFF();
  std::string error;
  auto backend = platform::SdlBackend::Create(&error);
  ASSERT_NE(backend, nullptr) << error;
  platform::ScopedBackend scope(*backend);
  platform::DefaultWindowClient client(*backend);
  backend->RegisterClass(platform::WindowClass{"crash"});
  platform::WindowCreateParams params;
  params.className = "crash";
  params.text = "orrivel-mode-crash";
  params.width = 800;
  params.height = 600;
  params.client = &client;
  const platform::WindowId window = backend->CreateWindow(params);
  ASSERT_NE(window, 0u);
  backend->ShowWindow(window, platform::SW_SHOW);
  CanvasDrawObject picture;
  FillPattern(picture, 800, 600);
  DisplayScreenDevice device;
  ASSERT_EQ(EnterFullScreenWithModeChange(device, picture, window), 0);
  test::XvfbDisplayModes modes(std::getenv("DISPLAY"));
  for (int i = 0; i < 50 && modes.Shown() != std::pair{800, 600}; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  // Only a run that really switched says so, then dies.
  ASSERT_EQ(modes.Shown(), (std::pair{800, 600}));
  std::FILE* mark = std::fopen(std::getenv(kCrashChildVariable), "w");
  ASSERT_NE(mark, nullptr);
  std::fclose(mark);
  const char* end = std::getenv(kChildEndVariable);
  if (end != nullptr && std::string(end) == "stop") {
    platform::InstallStopSignalHandlers();
    ::raise(SIGTERM);  // noted: the orderly road, which this run never takes
    ::raise(SIGINT);   // ends it at once
  }
  ::raise(SIGSEGV);
}

TEST_F(XvfbScreen, DyingGivesTheDesktopItsModeBack) {
  test::XvfbDisplayModes modes(display_);
  if (!modes.Available()) GTEST_SKIP() << "the X server's resize-and-rotate extension is not reachable";
  ASSERT_TRUE(modes.Add(800, 600));
  std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string switched = ::testing::TempDir() + "orrivel-mode-crash-" + std::to_string(getpid());
  struct WayOut {
    const char* end;
    int signal;  // the child's end, 0 where the sanitizer's report may end it otherwise
  };
  for (const WayOut& way : {WayOut{"crash", 0}, WayOut{"stop", SIGINT}}) {
    SCOPED_TRACE(way.end);
    std::remove(switched.c_str());
    setenv(kCrashChildVariable, switched.c_str(), 1);
    setenv(kChildEndVariable, way.end, 1);
    // The child's crash report is not this test's output.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string filter = "--gtest_filter=XvfbModeChild.SwitchesThenDies";
    char* argv[] = {self.data(), filter.data(), nullptr};
    pid_t child = 0;
    const int spawned = posix_spawn(&child, self.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    unsetenv(kCrashChildVariable);
    unsetenv(kChildEndVariable);
    ASSERT_EQ(spawned, 0);
    int status = 0;
    ASSERT_TRUE(WaitBounded(child, "the dying child", std::chrono::seconds(30), &status));
    const bool reachedItsEnd = std::filesystem::exists(switched);
    std::remove(switched.c_str());
    ASSERT_TRUE(reachedItsEnd) << "the child did not switch the mode (status " << status << ")";
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    if (way.signal != 0) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == way.signal) << status;
    }
    EXPECT_EQ(modes.Shown(), (std::pair{1280, 800}));
  }
}

}  // namespace
}  // namespace orrivel
