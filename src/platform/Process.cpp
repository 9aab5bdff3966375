#include "platform/Process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/PathResolver.h"
#include "platform/TextCodec.h"

extern char** environ;

namespace orrivel::platform {
namespace {

// Spawns argv with the child's standard output on outFd (or inherited when
// -1). The child's pid, or -1.
pid_t Spawn(std::vector<std::string> args, int outFd, bool searchPath) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (outFd >= 0) posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
  pid_t pid = -1;
  const int rc = searchPath ? posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ)
                            : posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

// A started child waited for as asked: 0, or 1 when it did not start. One
// not waited for is reaped in the background, so it leaves no zombie.
int Started(pid_t pid, ProcessWait wait) {
  if (pid < 0) return 1;
  if (wait == ProcessWait::Exit) WaitFor(pid);
  else std::thread([pid] { WaitFor(pid); }).detach();
  return 0;
}

// Runs args with its standard output going to a pipe, copies everything
// it writes into output and waits for it. 0, 1 it did not start, 3 no pipe.
int SpawnToFile(std::vector<std::string> args, bool searchPath, File& output) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return 3;
  const pid_t pid = Spawn(std::move(args), pipeFds[1], searchPath);
  ::close(pipeFds[1]);
  if (pid < 0) {
    ::close(pipeFds[0]);
    return 1;
  }
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    output.Write(buffer, size_t(got));
  }
  ::close(pipeFds[0]);
  WaitFor(pid);
  return 0;
}

// The program and arguments of a command line, the program found on disk
// when it is named by a path.
std::optional<std::vector<std::string>> ProgramArguments(std::string_view commandLine, bool* searchPath) {
  auto args = SplitCommandLine(commandLine);
  if (!args || args->empty()) return std::nullopt;
  std::string& program = args->front();
  *searchPath = program.find_first_of("/\\:") == std::string::npos;
  if (!*searchPath && program.front() != '/') {
    const auto internal = Utf8ToCp932(program);
    const auto host = internal ? ResolveHostPath(*internal, ResolveMode::Existing) : std::nullopt;
    if (!host) return std::nullopt;
    program = *host;
  }
  return args;
}

}  // namespace

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view commandLine) {
  const auto text = Cp932ToUtf8(commandLine);
  if (!text) return std::nullopt;
  std::vector<std::string> args;
  std::string current;
  bool inArgument = false, quoted = false;
  for (size_t i = 0; i < text->size(); ++i) {
    const char c = (*text)[i];
    if (c == '\\') {
      size_t run = 0;
      while (i + run < text->size() && (*text)[i + run] == '\\') ++run;
      if (i + run < text->size() && (*text)[i + run] == '"') {
        current.append(run / 2, '\\');
        if (run % 2 == 1) current += '"';
        i += run - (run % 2 == 1 ? 0 : 1);
      } else {
        current.append(run, '\\');
        i += run - 1;
      }
      inArgument = true;
    } else if (c == '"') {
      quoted = !quoted;
      inArgument = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inArgument) args.push_back(std::move(current));
      current.clear();
      inArgument = false;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) args.push_back(std::move(current));
  return args;
}

int StartProgram(std::string_view commandLine, ProcessWait wait) {
  bool searchPath = false;
  auto args = ProgramArguments(commandLine, &searchPath);
  if (!args) return 1;
  return Started(Spawn(std::move(*args), -1, searchPath), wait);
}

namespace {

// Starts a program found on the search path with its standard output thrown
// away (what it prints is not the player's business). Its pid, or -1.
pid_t SpawnQuietly(const std::vector<std::string>& args) {
  if (args.empty() || args.front().empty()) return -1;
  const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t pid = Spawn(args, devNull, true);
  if (devNull >= 0) ::close(devNull);
  return pid;
}

}  // namespace

int StartProgramArguments(const std::vector<std::string>& args) {
  return Started(SpawnQuietly(args), ProcessWait::None);
}

int RunProgramArgumentsFor(const std::vector<std::string>& args, std::chrono::milliseconds limit) {
  const pid_t pid = SpawnQuietly(args);
  if (pid < 0) return -1;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  for (;;) {
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == pid) break;
    if (ended < 0 && errno != EINTR) return -1;
    if (std::chrono::steady_clock::now() >= deadline) {
      // A program that hangs must not hold the game: it is stopped and
      // counts as failed.
      ::kill(pid, SIGKILL);
      WaitFor(pid);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ProgramOnSearchPath(std::string_view name) {
  if (name.empty() || name.find('/') != std::string_view::npos) return false;
  const char* path = std::getenv("PATH");
  const std::string folders = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    const size_t end = std::min(folders.find(':', start), folders.size());
    const std::string folder = folders.substr(start, end - start);
    if (!folder.empty() && ::access((folder + "/" + std::string(name)).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

int RunProgramToFile(std::string_view commandLine, File& output) {
  bool searchPath = false;
  auto args = ProgramArguments(commandLine, &searchPath);
  if (!args) return 1;
  return SpawnToFile(std::move(*args), searchPath, output);
}

int StartProcess(std::string_view commandLine, ProcessWait wait) {
  const auto command = Cp932ToUtf8(commandLine);
  if (!command) return 1;
  return Started(Spawn({"/bin/sh", "-c", *command}, -1, false), wait);
}

int RunProcessToFile(std::string_view commandLine, File& output) {
  const auto command = Cp932ToUtf8(commandLine);
  if (!command) return 1;
  return SpawnToFile({"/bin/sh", "-c", *command}, false, output);
}

int OpenInFileManager(std::string_view internalFolder) {
  const auto host = ResolveHostPath(internalFolder, ResolveMode::Existing);
  if (!host) return 2;
  const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t pid = Spawn({"xdg-open", *host}, devNull, true);
  if (devNull >= 0) ::close(devNull);
  if (pid < 0) return 2;
  std::thread([pid] { WaitFor(pid); }).detach();
  return 0;
}

}  // namespace orrivel::platform
