#pragma once
// Tests that need a real X display run themselves again under a virtual X
// server (xvfb-run) and drive it with xdotool; they are skipped where
// either is not installed or the display does not open. The test body
// checks IsXvfbChild(): in the child it runs the real test, otherwise it
// calls RerunUnderXvfb with its own name.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "platform/Backend.h"

namespace orrivel::test {

inline constexpr const char* kXvfbChildVariable = "ORRIVEL_XVFB_CHILD";
// What the child prints when SDL cannot open the display.
inline constexpr const char* kNoDisplayMark = "NO-DISPLAY";

inline bool IsXvfbChild() { return std::getenv(kXvfbChildVariable) != nullptr; }

inline bool OnPath(const char* program) {
  std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// Focuses the window with this exact title, then runs the xdotool words.
inline bool RunXdotool(const char* title, const std::string& arguments) {
  std::string command = std::string("timeout 10 xdotool search --sync --name '^") + title +
                        "$' windowfocus --sync " + arguments + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// Pumps the windows' messages as the game's loop does (translated, then
// dispatched) and runs a frame, until the condition holds (at most two
// seconds of real time: the display answers in its own time).
inline bool FramesUntil(platform::Backend& backend, const std::function<void()>& frame,
                        const std::function<bool()>& condition) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < deadline) {
    platform::Message message;
    while (backend.PeekMessage(message, true)) {
      backend.TranslateMessage(message);
      backend.DispatchMessage(message);
    }
    frame();
    if (condition()) return true;
    backend.WaitMessage(10);
  }
  return false;
}

// Runs the one test (Suite.Name) of this program again under the virtual
// display and checks that it passed.
inline void RerunUnderXvfb(const std::string& testName) {
  if (!OnPath("xvfb-run") || !OnPath("xdotool") || !OnPath("timeout")) {
    GTEST_SKIP() << "xvfb-run or xdotool is not installed";
  }
  auto log = std::filesystem::temp_directory_path() / ("orrivel-xvfb-" + std::to_string(getpid()) + ".log");
  std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  // The X and SDL libraries keep what they allocate until the process ends.
  std::string command = "timeout 60 xvfb-run -a -s '-screen 0 640x480x24' env " + std::string(kXvfbChildVariable) +
                        "=1 ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" '" + self + "' --gtest_filter=" + testName + " > '" +
                        log.string() + "' 2>&1";
  int status = std::system(command.c_str());
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  std::filesystem::remove(log);
  if (text.str().find(kNoDisplayMark) != std::string::npos) GTEST_SKIP() << "the virtual display did not open";
  EXPECT_EQ(status, 0) << text.str();
  EXPECT_NE(text.str().find("[  PASSED  ] 1 test"), std::string::npos) << text.str();
}

}  // namespace orrivel::test
