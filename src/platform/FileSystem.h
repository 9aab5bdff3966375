#pragma once
// Files and folders of the machine, reached by internal (Windows-form, CP932)
// paths that PathResolver maps onto the disk. Reading uses positional reads
// where several threads may share one open file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orrivel::platform {

class File {
 public:
  enum class Access { Read, Write, ReadWrite };
  enum class Disposition {
    OpenExisting,  // fails when the file is missing
    CreateAlways,  // creates or truncates
    CreateNew,     // fails when the file exists
  };

  File() = default;
  ~File() { Close(); }
  File(File&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens the internal path. A created file's last name is taken as given
  // unless a file of that name in another letter case is already there.
  static File Open(std::string_view internalPath, Access access, Disposition disposition);
  // Adopts a descriptor this object now owns.
  static File Adopt(int fd);

  bool IsOpen() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }
  void Close();

  // Size in bytes, or -1.
  int64_t Size() const;
  // Reads/writes at the file pointer; bytes moved, or -1 on failure.
  int64_t Read(void* buffer, size_t count);
  int64_t Write(const void* buffer, size_t count);
  // Reads up to count bytes at offset without touching the file pointer;
  // short only at the end of the file. Safe from several threads at once.
  int64_t ReadAt(uint64_t offset, void* buffer, size_t count) const;
  // Moves the file pointer (whence as lseek: 0 start, 1 current, 2 end);
  // the new position, or -1.
  int64_t Seek(int64_t offset, int whence);
  int64_t Tell() const;
  bool Flush();
  // Last-write time in nanoseconds since 1970, or nullopt.
  std::optional<int64_t> WriteTime() const;

 private:
  explicit File(int fd) : fd_(fd) {}
  int fd_ = -1;
};

struct FileInfo {
  std::string name;  // CP932, as on disk
  uint64_t size = 0;
  int64_t writeTimeNs = 0;
  bool isFolder = false;
  bool readOnly = false;
};

// Facts about an existing path, or nullopt.
std::optional<FileInfo> StatPath(std::string_view internalPath);
bool PathExists(std::string_view internalPath);

// Windows-style name pattern: '*' any run, '?' one character, letters
// compared without case; "*.*" also matches names without a dot, and a
// pattern ending in ".*" matches the bare stem.
bool MatchesPattern(std::string_view name, std::string_view pattern);

// Entries of a folder whose names match the pattern ("." and ".." left
// out), in the folder's order. Nullopt when the folder cannot be read.
std::optional<std::vector<FileInfo>> ScanFolder(std::string_view internalFolder, std::string_view pattern);

// The system's folder for temporary files (internal form, ending with '\\').
std::string TempFolder();
// The same folder in host form ($TMPDIR, else /tmp).
std::string HostTempFolder();
// Makes a new empty file named prefix + a unique part + ".TMP" in the
// folder and returns its internal path.
std::optional<std::string> CreateTempFile(std::string_view internalFolder, std::string_view prefix);

// Removes what crashed writes left in the folder: files named as
// ReplaceFileContents names its temporary files with this prefix that no
// writer holds locked (a writer locks its file before it has a name, so an
// unlocked one is a dead writer's, however new).
void RemoveStaleTempFiles(std::string_view internalFolder, std::string_view prefix);
// Writes a whole file so that the name always holds either the old or the
// new contents: a temporary file (prefix + unique part + ".TMP") in the same
// folder, synced, renamed over the name, then the folder synced. The new
// file keeps an existing file's permission bits; an existing file that is
// read-only or not a plain file is not replaced (false, errno EACCES).
// Leftovers of earlier crashed writes in that folder are removed first.
bool ReplaceFileContents(std::string_view internalPath, std::span<const uint8_t> data, std::string_view tempPrefix);

bool RemoveFile(std::string_view internalPath);
bool RenameFile(std::string_view fromInternal, std::string_view toInternal);
bool CreateFolder(std::string_view internalPath);
// Copies a file's bytes; with overwrite false an existing destination
// fails. The copy goes to a temporary name first, then is renamed.
bool CopyFileData(std::string_view sourceInternal, std::string_view destinationInternal, bool overwrite);
// Gives the owner write permission (the counterpart of clearing a
// read-only attribute). True when the file is writable afterwards.
bool MakeWritable(std::string_view internalPath);

struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int dayOfWeek = 0;  // 0 = Sunday
};
std::optional<LocalTime> ToLocalTime(int64_t timeNs);

// The folder of the running program (internal form, ending with '\\').
std::optional<std::string> ProgramFolder();
// Full internal path of the running program.
std::optional<std::string> ProgramPath();
// Current folder (internal form, ending with '\\').
std::optional<std::string> CurrentFolder();
// Makes an existing folder the current one; false when it cannot.
bool SetCurrentFolder(std::string_view internalPath);

}  // namespace orrivel::platform
