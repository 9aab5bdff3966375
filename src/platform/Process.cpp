#include "platform/Process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

}  // namespace

int StartProcess(std::string_view commandLine, ProcessWait wait) {
  const auto command = Cp932ToUtf8(commandLine);
  if (!command) return 1;
  const pid_t pid = Spawn({"/bin/sh", "-c", *command}, -1, false);
  if (pid < 0) return 1;
  if (wait == ProcessWait::Exit) {
    WaitFor(pid);
  } else {
    // Not waited for: reap it in the background so it leaves no zombie.
    std::thread([pid] { WaitFor(pid); }).detach();
  }
  return 0;
}

int RunProcessToFile(std::string_view commandLine, File& output) {
  const auto command = Cp932ToUtf8(commandLine);
  if (!command) return 1;
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return 3;
  const pid_t pid = Spawn({"/bin/sh", "-c", *command}, pipeFds[1], false);
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
