// Frame pacing of the game in a real window: the sample game runs on an X
// display (a virtual one of its own, Xvfb, unless DISPLAY names one) and
// waits on its first page while every frame's time is taken; after
// ORRIVEL_PACING_SECONDS (60 by default) the run ends and the intervals
// between frames are printed: count, mean, median, standard deviation, 99th
// percentile and how many exceed 20 ms, beside the period asked for (the
// peer: 1000/60 ms). (bench/IdleCpuOnXvfb.sh measures the processor time
// of the program itself waiting on the same page.)
//
// A frame is timed by a task on the object timer list, which the frame
// pump steps once in each frame it runs.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/TimedTask.h"
#include "game/ConfirmBox.h"
#include "game/DrawnDialogs.h"
#include "game/GameApplication.h"
#include "natives/ProcessObjects.h"
#include "platform/Backend.h"
#include "platform/DialogService.h"
#include "platform/Messages.h"

namespace orrivel {
namespace {

using Clock = std::chrono::steady_clock;

// Notes the time of every frame; ends the run once the time is up.
class FrameStamp final : public TimedTask {
 public:
  FrameStamp(std::vector<Clock::time_point>& stamps, Clock::time_point end, GameApplication& app)
      : stamps_(stamps), end_(end), app_(app) {}
  int32_t Step(uint32_t) override {
    const Clock::time_point now = Clock::now();
    stamps_.push_back(now);
    if (now >= end_) app_.endRequested = true;
    return 0;  // stays for every frame
  }
  void Stop() override {}

 private:
  std::vector<Clock::time_point>& stamps_;
  Clock::time_point end_;
  GameApplication& app_;
};

// An X server of the bench's own, when none is named.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    if (std::getenv("DISPLAY") != nullptr) return;
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    char number[16] = {};
    const ssize_t got = read(fds[0], number, sizeof number - 1);
    close(fds[0]);
    if (got <= 0) return;
    std::string display = ":" + std::string(number, size_t(got));
    display.erase(display.find_last_not_of("\n") + 1);
    setenv("DISPLAY", display.c_str(), 1);
  }
  ~VirtualDisplay() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    unsetenv("DISPLAY");
  }

 private:
  pid_t pid_ = -1;
};

void BM_FrameIntervalsInAWindow(benchmark::State& state) {
  const char* asked = std::getenv("ORRIVEL_PACING_SECONDS");
  const int seconds = asked != nullptr && std::atoi(asked) > 0 ? std::atoi(asked) : 60;
  std::string folder = "/tmp/orrivel-pacing-XXXXXX";
  if (mkdtemp(folder.data()) == nullptr) {
    state.SkipWithError("no temporary folder");
    return;
  }
  setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  VirtualDisplay display;
  for (auto _ : state) {
    std::string why;
    auto backend = platform::CreateBackend(false, &why);
    if (!backend || backend->IsHeadless()) {
      state.SkipWithError(("no X display: " + why).c_str());
      break;
    }
    platform::ScopedBackend useBackend(*backend);
    DrawnDialogs drawnDialogs(true);
    platform::ScopedDialogs useDrawnDialogs(drawnDialogs);
    ProcessObjects processObjects;
    SetProcessObjects(&processObjects);
    ConfirmBox confirmBox;
    SetConfirmBox(&confirmBox);
    std::vector<Clock::time_point> stamps;
    stamps.reserve(size_t(seconds) * 70);
    {
      GameApplication app;
      // The first two seconds are start-up; the measured span follows.
      const Clock::time_point start = Clock::now();
      auto* stamp = new FrameStamp(stamps, start + std::chrono::seconds(2 + seconds), app);
      app.timerLists[1].Add(stamp, 0, 1, 0);
      app.Run(nullptr, nullptr, "/L" ORRIVEL_SAMPLE_GAME, platform::SW_SHOWNORMAL);
    }
    SetConfirmBox(nullptr);
    SetProcessObjects(nullptr);
    // Only the frames after the first two seconds.
    const Clock::time_point from = stamps.empty() ? Clock::now() : stamps.front() + std::chrono::seconds(2);
    std::vector<double> gaps;
    for (size_t i = 1; i < stamps.size(); ++i) {
      if (stamps[i - 1] < from) continue;
      gaps.push_back(std::chrono::duration<double, std::milli>(stamps[i] - stamps[i - 1]).count());
    }
    if (gaps.size() < 10) {
      state.SkipWithError("too few frames were timed");
      break;
    }
    std::vector<double> sorted = gaps;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0, squares = 0;
    for (double g : gaps) sum += g;
    const double mean = sum / double(gaps.size());
    for (double g : gaps) squares += (g - mean) * (g - mean);
    const double sd = std::sqrt(squares / double(gaps.size()));
    const double median = sorted[sorted.size() / 2];
    const double p99 = sorted[std::min(sorted.size() - 1, size_t(std::ceil(0.99 * double(sorted.size()))) - 1)];
    const auto over20 = std::count_if(gaps.begin(), gaps.end(), [](double g) { return g > 20.0; });
    std::printf("frame intervals over %d s: %zu intervals, mean %.3f ms (asked 16.667), median %.2f ms, "
                "sd %.2f ms, p99 %.2f ms, %ld over 20 ms\n",
                seconds, gaps.size(), mean, median, sd, p99, long(over20));
    state.counters["intervals"] = double(gaps.size());
    state.counters["mean_ms"] = mean;
    state.counters["peer_period_ms"] = 1000.0 / 60.0;
    state.counters["median_ms"] = median;
    state.counters["sd_ms"] = sd;
    state.counters["p99_ms"] = p99;
    state.counters["over_20ms"] = double(over20);
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_FrameIntervalsInAWindow)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orrivel
