#include "platform/InstanceLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/TextCodec.h"

namespace orrivel::platform {

std::string InstanceLock::LockFilePath(const std::string& name, const std::string& folder) {
  std::string file = Cp932ToUtf8Lossy(name);
  for (char& c : file) {
    if (c == '/' || c == '\0' || (unsigned char)c < 0x20) c = '_';
  }
  if (file.empty() || file == "." || file == "..") file = "_" + file;
  std::string path = folder.empty() ? std::string("/tmp") : folder;
  if (path.back() != '/') path += '/';
  return path + file + ".lock";
}

InstanceLock::Result InstanceLock::Acquire(const std::string& name, const std::string& folder) {
  Release();
  // Without a folder of the user's own, a lock in a shared folder could be
  // held or blocked by anyone; the guard does not work then.
  if (folder.empty()) return Result::Failed;
  std::string path = LockFilePath(name, folder);
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return Result::Failed;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? Result::HeldElsewhere : Result::Failed;
  }
  fd_ = fd;
  return Result::Acquired;
}

void InstanceLock::Release() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace orrivel::platform
