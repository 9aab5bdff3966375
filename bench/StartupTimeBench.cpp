// Start-up of the program to its first presented frame: the real program,
// headless, on the sample game, from the moment it is started until the
// frame it shows first is on its (memory) screen. The run is told by an
// input file to write a snapshot at the start of frame 2, which is taken
// right after frame 1 was presented; the time is when the snapshot's file
// appears in the run's folder (inotify), before its picture is compressed.
// Every run starts warm: one run before the timed ones fills the caches.
// ORRIVEL_STARTUP_PROGRAM names another build of the program to time.
//
// The peer is the start of a program that does nothing (/bin/true): the
// part of the figure that is the system's, not ours.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A folder of its own for the runs (snapshots, settings, lock files).
class RunFolder {
 public:
  RunFolder() {
    std::string name = "/tmp/orrivel-startup-XXXXXX";
    path_ = mkdtemp(name.data()) != nullptr ? name : "";
  }
  ~RunFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The processor time all threads of a process have had so far (their
// scheduler figures, in ns): on a busy machine the wall time to the first
// frame mostly measures the other processes, this only ours.
double ProcessCpuSeconds(pid_t pid) {
  uint64_t total = 0;
  std::error_code error;
  for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
    std::ifstream in(task.path() / "schedstat");
    uint64_t ns = 0;
    if (in >> ns) total += ns;
  }
  return double(total) * 1e-9;
}

// Starts the program with the arguments in `folder`/run and returns the
// seconds until a file appears there (or, with watch off, until the
// program ends); a negative figure when it failed. Its settings and lock
// files go to folders beside it.
double TimeRun(const std::vector<std::string>& args, const std::string& folder, bool watch,
               double* cpuSeconds = nullptr) {
  const std::string run = folder + "/run";
  std::error_code ignored;
  std::filesystem::remove_all(run, ignored);
  std::filesystem::create_directories(run);
  std::filesystem::create_directories(folder + "/data");
  const int notify = inotify_init1(IN_CLOEXEC);
  if (notify < 0) return -1;
  if (watch && inotify_add_watch(notify, run.c_str(), IN_CREATE) < 0) {
    close(notify);
    return -1;
  }
  std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + folder, "XDG_DATA_HOME=" + folder + "/data",
                                  "SDL_AUDIODRIVER=dummy"};
  if (const char* home = std::getenv("HOME")) env.push_back(std::string("HOME=") + home);
  if (const char* path = std::getenv("PATH")) env.push_back(std::string("PATH=") + path);
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, (folder + "/run.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, run.c_str());
  const Clock::time_point start = Clock::now();
  pid_t child = 0;
  const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    close(notify);
    return -1;
  }
  double seconds = -1;
  if (watch) {
    pollfd fd{notify, POLLIN, 0};
    if (poll(&fd, 1, 20000) == 1) {
      seconds = std::chrono::duration<double>(Clock::now() - start).count();
      if (cpuSeconds != nullptr) *cpuSeconds = ProcessCpuSeconds(child);
    }
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (!watch) seconds = std::chrono::duration<double>(Clock::now() - start).count();
  close(notify);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return seconds;
}

void BM_StartupToFirstPresentedFrame(benchmark::State& state) {
  RunFolder folder;
  {
    std::ofstream input(folder.Path() + "/first-frame.input");
    input << "2 snapshot first\n2 quit\n";
  }
  // Another build of the program can be timed in its place.
  const char* other = std::getenv("ORRIVEL_STARTUP_PROGRAM");
  const std::vector<std::string> args = {other != nullptr ? other : ORRIVEL_PROGRAM, "--headless", "--input",
                                         folder.Path() + "/first-frame.input", "/L" ORRIVEL_SAMPLE_GAME};
  if (TimeRun(args, folder.Path(), true) < 0) {  // warms the caches
    state.SkipWithError("the program did not show its first frame (see run.log)");
    return;
  }
  double cpu = 0;
  for (auto _ : state) {
    double cpuSeconds = 0;
    const double seconds = TimeRun(args, folder.Path(), true, &cpuSeconds);
    if (seconds < 0) {
      state.SkipWithError("the program did not show its first frame");
      return;
    }
    state.SetIterationTime(seconds);
    cpu += cpuSeconds;
  }
  // The program's own processor time to its first frame, all threads.
  state.counters["cpu_ms"] = benchmark::Counter(cpu * 1000 / double(state.iterations()));
}
BENCHMARK(BM_StartupToFirstPresentedFrame)
    ->UseManualTime()->Iterations(1)->Repetitions(15)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

void BM_PeerStartOfAProgramThatDoesNothing(benchmark::State& state) {
  RunFolder folder;
  const std::vector<std::string> args = {"/bin/true"};
  for (auto _ : state) {
    const double seconds = TimeRun(args, folder.Path(), false);
    if (seconds < 0) {
      state.SkipWithError("/bin/true did not run");
      return;
    }
    state.SetIterationTime(seconds);
  }
}
BENCHMARK(BM_PeerStartOfAProgramThatDoesNothing)
    ->UseManualTime()->Iterations(1)->Repetitions(15)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

}  // namespace
