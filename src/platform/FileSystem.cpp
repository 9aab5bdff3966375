#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <ctime>

#include "base/Cp932.h"
#include "platform/PathResolver.h"
#include "platform/TextCodec.h"

namespace orrivel::platform {
namespace {

int64_t TimeNs(const struct stat& info) {
  return int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

FileInfo InfoFrom(std::string name, const struct stat& info) {
  FileInfo result;
  result.name = std::move(name);
  result.size = uint64_t(info.st_size);
  result.writeTimeNs = TimeNs(info);
  result.isFolder = S_ISDIR(info.st_mode);
  result.readOnly = (info.st_mode & S_IWUSR) == 0;
  return result;
}

char FoldUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 32) : c; }

// Characters of a CP932 text; a pair is one character.
std::vector<std::string_view> Characters(std::string_view text) {
  std::vector<std::string_view> chars;
  for (size_t i = 0; i < text.size();) {
    const size_t length = cp932::CharLength(text, i);
    chars.push_back(text.substr(i, length));
    i += length;
  }
  return chars;
}

bool SameChar(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a.size() == 1) return FoldUpper(a[0]) == FoldUpper(b[0]);
  return a == b;
}

bool MatchFrom(const std::vector<std::string_view>& name, size_t n,
               const std::vector<std::string_view>& pattern, size_t p) {
  // Iterative wildcard match with one back-track point per '*'.
  size_t starP = std::string::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == "*") {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == "?" || SameChar(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == "*") ++p;
  return p == pattern.size();
}

std::string WithTrailingBackslash(std::string path) {
  bool endsWithSeparator = false;
  for (size_t i = 0; i < path.size();) {
    const size_t length = cp932::CharLength(path, i);
    endsWithSeparator = length == 1 && path[i] == '\\';
    i += length;
  }
  if (!endsWithSeparator) path.push_back('\\');
  return path;
}

std::optional<std::string> InternalFolderOf(const std::string& hostFolder) {
  auto internal = ToInternalPath(hostFolder);
  if (!internal) return std::nullopt;
  return WithTrailingBackslash(std::move(*internal));
}

std::atomic<uint32_t> tempCounter{0};

// prefix + four hex digits + ".TMP" in the host folder, a different one
// on every call.
std::string NextTempName(const std::string& hostFolder, const std::string& hostPrefix) {
  const uint32_t unique = (uint32_t(::getpid()) * 2654435761u + tempCounter.fetch_add(1) * 40503u +
                           uint32_t(std::time(nullptr))) & 0xFFFF;
  char tail[16];
  std::snprintf(tail, sizeof tail, "%04X.TMP", unsigned(unique));
  return hostFolder + (hostFolder.back() == '/' ? "" : "/") + hostPrefix + tail;
}

constexpr int kTempNameAttempts = 1000;

// Creates a temporary file under a new name in the host folder with the
// given mode (before the umask); the descriptor, with the path in out.
int OpenUniqueTempFile(const std::string& hostFolder, const std::string& hostPrefix, mode_t mode,
                       std::string& out) {
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    out = NextTempName(hostFolder, hostPrefix);
    const int fd = ::open(out.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
    if (fd >= 0) return fd;
    if (errno != EEXIST) return -1;
  }
  return -1;
}

// As OpenUniqueTempFile, with the file locked (flock) before it has a name:
// a sweep never meets a live writer's file unlocked, so every unlocked one
// is a dead writer's and can go at once. Where the file system has no
// unnamed files, the lock follows the creation at once.
int OpenLockedTempFile(const std::string& hostFolder, const std::string& hostPrefix, mode_t mode,
                       std::string& out) {
  const int fd = ::open(hostFolder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (fd >= 0) {
    ::flock(fd, LOCK_EX);
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
      out = NextTempName(hostFolder, hostPrefix);
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, out.c_str(), AT_SYMLINK_FOLLOW) == 0) return fd;
      if (errno != EEXIST) break;
    }
    ::close(fd);
  }
  const int named = OpenUniqueTempFile(hostFolder, hostPrefix, mode, out);
  if (named >= 0) ::flock(named, LOCK_EX);
  return named;
}

bool IsTempFileName(std::string_view name, std::string_view prefix) {
  if (name.size() != prefix.size() + 8 || name.substr(0, prefix.size()) != prefix) return false;
  for (size_t i = prefix.size(); i < prefix.size() + 4; ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
  }
  return name.substr(prefix.size() + 4) == ".TMP";
}

// Removes the temporary files a crashed write left: plain files named as
// OpenLockedTempFile names them that no writer holds locked.
void RemoveStaleHostTempFiles(const std::string& hostFolder, const std::string& hostPrefix) {
  DIR* dir = ::opendir(hostFolder.c_str());
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsTempFileName(entry->d_name, hostPrefix)) continue;
    const std::string path = hostFolder + (hostFolder.back() == '/' ? "" : "/") + entry->d_name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      ::unlink(path.c_str());
    }
    ::close(fd);
  }
  ::closedir(dir);
}

void SyncFolder(const std::string& hostFolder) {
  const int fd = ::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

File File::Open(std::string_view internalPath, Access access, Disposition disposition) {
  const bool creating = disposition != Disposition::OpenExisting;
  const auto host = ResolveHostPath(internalPath, creating ? ResolveMode::Create : ResolveMode::Existing);
  if (!host) return File();
  int flags = O_CLOEXEC;
  switch (access) {
    case Access::Read: flags |= O_RDONLY; break;
    case Access::Write: flags |= O_WRONLY; break;
    case Access::ReadWrite: flags |= O_RDWR; break;
  }
  if (disposition == Disposition::CreateAlways) flags |= O_CREAT | O_TRUNC;
  if (disposition == Disposition::CreateNew) flags |= O_CREAT | O_EXCL;
  // Opened without blocking, so that a pipe or a device under a game file's
  // name cannot hang the program waiting for a writer; only a regular file
  // is kept, and it is switched back to ordinary blocking reads.
  const int fd = ::open(host->c_str(), flags | O_NONBLOCK | O_NOCTTY, 0666);
  if (fd < 0) return File();
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    errno = EINVAL;
    return File();
  }
  return File(fd);
}

File File::Adopt(int fd) { return File(fd); }

void File::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int64_t File::Size() const {
  struct stat info;
  if (fd_ < 0 || ::fstat(fd_, &info) != 0) return -1;
  return int64_t(info.st_size);
}

int64_t File::Read(void* buffer, size_t count) {
  if (fd_ < 0) return -1;
  size_t done = 0;
  while (done < count) {
    const ssize_t got = ::read(fd_, static_cast<char*>(buffer) + done, count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += size_t(got);
  }
  return int64_t(done);
}

int64_t File::ReadAt(uint64_t offset, void* buffer, size_t count) const {
  if (fd_ < 0) return -1;
  size_t done = 0;
  while (done < count) {
    const ssize_t got = ::pread(fd_, static_cast<char*>(buffer) + done, count - done, off_t(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += size_t(got);
  }
  return int64_t(done);
}

int64_t File::Write(const void* buffer, size_t count) {
  if (fd_ < 0) return -1;
  size_t done = 0;
  while (done < count) {
    const ssize_t put = ::write(fd_, static_cast<const char*>(buffer) + done, count - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return done ? int64_t(done) : -1;
    done += size_t(put);
  }
  return int64_t(done);
}

int64_t File::Seek(int64_t offset, int whence) {
  if (fd_ < 0) return -1;
  const off_t result = ::lseek(fd_, off_t(offset), whence);
  return result < 0 ? -1 : int64_t(result);
}

int64_t File::Tell() const {
  if (fd_ < 0) return -1;
  const off_t result = ::lseek(fd_, 0, SEEK_CUR);
  return result < 0 ? -1 : int64_t(result);
}

bool File::Flush() { return fd_ >= 0 && ::fsync(fd_) == 0; }

std::optional<int64_t> File::WriteTime() const {
  struct stat info;
  if (fd_ < 0 || ::fstat(fd_, &info) != 0) return std::nullopt;
  return TimeNs(info);
}

std::optional<FileInfo> StatPath(std::string_view internalPath) {
  const auto host = ResolveHostPath(internalPath, ResolveMode::Existing);
  if (!host) return std::nullopt;
  struct stat info;
  if (::stat(host->c_str(), &info) != 0) return std::nullopt;
  const size_t slash = host->find_last_of('/');
  const std::string leaf = slash == std::string::npos ? *host : host->substr(slash + 1);
  return InfoFrom(Utf8ToCp932Lossy(leaf), info);
}

bool PathExists(std::string_view internalPath) { return StatPath(internalPath).has_value(); }

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  if (pattern == "*" || pattern == "*.*") return true;
  const auto nameChars = Characters(name);
  const auto patternChars = Characters(pattern);
  if (MatchFrom(nameChars, 0, patternChars, 0)) return true;
  // "STEM.*" also matches "STEM" with no extension at all.
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
      name.find('.') == std::string_view::npos) {
    return MatchFrom(nameChars, 0, Characters(pattern.substr(0, pattern.size() - 2)), 0);
  }
  return false;
}

std::optional<std::vector<FileInfo>> ScanFolder(std::string_view internalFolder, std::string_view pattern) {
  const auto host = ResolveHostPath(internalFolder, ResolveMode::Existing);
  if (!host) return std::nullopt;
  DIR* dir = ::opendir(host->c_str());
  if (!dir) return std::nullopt;
  std::vector<FileInfo> found;
  while (dirent* entry = ::readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    const auto cp932 = Utf8ToCp932(name);
    if (!cp932 || !MatchesPattern(*cp932, pattern)) continue;
    struct stat info;
    const std::string full = *host + (host->back() == '/' ? "" : "/") + std::string(name);
    if (::stat(full.c_str(), &info) != 0) continue;
    found.push_back(InfoFrom(*cp932, info));
  }
  ::closedir(dir);
  return found;
}

std::string HostTempFolder() {
  const char* env = std::getenv("TMPDIR");
  return (env && *env) ? env : "/tmp";
}

std::string TempFolder() {
  if (auto internal = InternalFolderOf(HostTempFolder())) return *internal;
  return std::string(1, kRootDrive) + ":\\tmp\\";
}

std::optional<std::string> CreateTempFile(std::string_view internalFolder, std::string_view prefix) {
  const auto hostFolder = ResolveHostPath(internalFolder, ResolveMode::Existing);
  if (!hostFolder) return std::nullopt;
  const auto hostPrefix = Cp932ToUtf8(prefix);
  if (!hostPrefix) return std::nullopt;
  std::string host;
  const int fd = OpenUniqueTempFile(*hostFolder, *hostPrefix, 0600, host);
  if (fd < 0) return std::nullopt;
  ::close(fd);
  return ToInternalPath(host);
}

void RemoveStaleTempFiles(std::string_view internalFolder, std::string_view prefix) {
  const auto hostFolder = ResolveHostPath(internalFolder, ResolveMode::Existing);
  const auto hostPrefix = Cp932ToUtf8(prefix);
  if (hostFolder && hostPrefix) RemoveStaleHostTempFiles(*hostFolder, *hostPrefix);
}

bool ReplaceFileContents(std::string_view internalPath, std::span<const uint8_t> data, std::string_view tempPrefix) {
  const auto destination = ResolveHostPath(internalPath, ResolveMode::Create);
  const auto hostPrefix = Cp932ToUtf8(tempPrefix);
  if (!destination || !hostPrefix) return false;
  const size_t slash = destination->rfind('/');
  const std::string hostFolder = slash == std::string::npos ? "." : destination->substr(0, slash + 1);
  RemoveStaleHostTempFiles(hostFolder, *hostPrefix);
  // An existing file keeps its permission bits; one its owner made
  // read-only (or that is not a plain file) is left alone.
  struct stat old;
  const bool replacing = ::lstat(destination->c_str(), &old) == 0;
  if (replacing && (!S_ISREG(old.st_mode) || (old.st_mode & S_IWUSR) == 0 ||
                    ::access(destination->c_str(), W_OK) != 0)) {
    errno = EACCES;
    return false;
  }
  std::string temp;
  // Locked while the file is written, so that a sweep by another writer
  // never takes a live temporary file for a crash's leftover.
  const int fd = OpenLockedTempFile(hostFolder, *hostPrefix, 0666, temp);
  if (fd < 0) return false;
  File file = File::Adopt(fd);
  bool ok = data.empty() || file.Write(data.data(), data.size()) == int64_t(data.size());
  if (ok && replacing) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  ok = ok && file.Flush();
  ok = ok && ::rename(temp.c_str(), destination->c_str()) == 0;
  file.Close();
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  // The new name is only durable once the folder itself is on disk.
  SyncFolder(hostFolder);
  return true;
}

bool RemoveFile(std::string_view internalPath) {
  const auto host = ResolveHostPath(internalPath, ResolveMode::Existing);
  return host && ::unlink(host->c_str()) == 0;
}

bool RenameFile(std::string_view fromInternal, std::string_view toInternal) {
  const auto from = ResolveHostPath(fromInternal, ResolveMode::Existing);
  const auto to = ResolveHostPath(toInternal, ResolveMode::Create);
  return from && to && ::rename(from->c_str(), to->c_str()) == 0;
}

bool CreateFolder(std::string_view internalPath) {
  const auto host = ResolveHostPath(internalPath, ResolveMode::Create);
  return host && (::mkdir(host->c_str(), 0777) == 0 || errno == EEXIST);
}

bool CopyFileData(std::string_view sourceInternal, std::string_view destinationInternal, bool overwrite) {
  File source = File::Open(sourceInternal, File::Access::Read, File::Disposition::OpenExisting);
  if (!source.IsOpen()) return false;
  if (!overwrite && PathExists(destinationInternal)) return false;
  const auto destination = ResolveHostPath(destinationInternal, ResolveMode::Create);
  if (!destination) return false;
  const std::string temp = *destination + ".copy~";
  const int fd = ::open(temp.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  File target = File::Adopt(fd);
  std::vector<char> buffer(1 << 16);
  bool ok = true;
  for (uint64_t offset = 0;;) {
    const int64_t got = source.ReadAt(offset, buffer.data(), buffer.size());
    if (got < 0) { ok = false; break; }
    if (got == 0) break;
    if (target.Write(buffer.data(), size_t(got)) != got) { ok = false; break; }
    offset += uint64_t(got);
  }
  ok = ok && target.Flush();
  target.Close();
  if (ok) ok = ::rename(temp.c_str(), destination->c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

bool MakeWritable(std::string_view internalPath) {
  const auto host = ResolveHostPath(internalPath, ResolveMode::Existing);
  struct stat info;
  if (!host || ::stat(host->c_str(), &info) != 0) return false;
  if (info.st_mode & S_IWUSR) return true;
  return ::chmod(host->c_str(), (info.st_mode & 07777) | S_IWUSR) == 0;
}

std::optional<LocalTime> ToLocalTime(int64_t timeNs) {
  const time_t seconds = time_t(timeNs / 1000000000);
  struct tm parts;
  if (!::localtime_r(&seconds, &parts)) return std::nullopt;
  LocalTime result;
  result.year = parts.tm_year + 1900;
  result.month = parts.tm_mon + 1;
  result.day = parts.tm_mday;
  result.hour = parts.tm_hour;
  result.minute = parts.tm_min;
  result.second = parts.tm_sec;
  result.dayOfWeek = parts.tm_wday;
  return result;
}

std::optional<std::string> ProgramPath() {
  std::string buffer(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) return std::nullopt;
  buffer.resize(size_t(length));
  return ToInternalPath(buffer);
}

std::optional<std::string> ProgramFolder() {
  auto path = ProgramPath();
  if (!path) return std::nullopt;
  // Scan by characters so that a trail byte 0x5C is not taken for a separator.
  size_t end = std::string::npos;
  for (size_t i = 0; i < path->size();) {
    const size_t length = cp932::CharLength(*path, i);
    if (length == 1 && (*path)[i] == '\\') end = i + 1;
    i += length;
  }
  if (end == std::string::npos) return std::nullopt;
  return path->substr(0, end);
}

std::optional<std::string> CurrentFolder() {
  char buffer[4096];
  if (!::getcwd(buffer, sizeof buffer)) return std::nullopt;
  return InternalFolderOf(buffer);
}

bool SetCurrentFolder(std::string_view internalPath) {
  const auto host = ResolveHostPath(internalPath, ResolveMode::Existing);
  return host && ::chdir(host->c_str()) == 0;
}

}  // namespace orrivel::platform
