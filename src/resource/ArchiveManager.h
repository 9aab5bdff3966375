#pragma once
// The virtual file system: a name becomes bytes by looking for a loose file
// under the base folder, then under the extra search folders, then in the
// archives mounted over folders. Mount prefixes that share leading
// characters stand together as groups so that a search skips whole groups
// with one comparison.
//
// The lists change only at start-up and through the mount natives; loads
// from several threads at once only read them.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "resource/Archive.h"
#include "resource/MemoryBlock.h"
#include "resource/Stream.h"

namespace orrivel {

// Assist routines of a decoder: a command followed by its arguments.
using AdlAssistFunc = int (*)(int32_t command, ...);
// The same with the arguments as cells: arguments[0] is the command.
using AdlAssistFunc2 = int (*)(const int32_t* arguments, uint32_t count);
using AdlConfigDlg = int (*)(void* window);

// Results of loading a decoder plug-in.
enum EAdlErrorCode : int {
  kAdlOk = 0,
  kAdlBadPath = 1,
  kAdlLoadFailed = 2,
  kAdlMissingEntry = 3,
  kAdlNoDecoder = 4,
  kAdlOtherFailure = 5,
};

// Look-up codes.
enum ArchiveManagerCode : int {
  kFileOk = 0,
  kFileNotFound = 3,
  kFileBadPath = 5,
  kFileReadFailed = 7,
  kFileNoMemory = 8,
  kFileSizeFailed = 10,
  kFileInternalFailure = 14,
};

constexpr int32_t kNoMountId = -2;

struct MountRecord {
  ArchivePtr archive;
  std::string prefix;  // absolute, lower-cased, ending with a backslash
  int32_t id = kNoMountId;
  // >0: first of a group, the count of leading bytes every prefix of the
  // group shares; 0: alone or inside a group; -1: last of a group.
  int32_t groupLength = 0;
};

struct ArchiveDecoderRecord {
  int32_t type = 0;
  std::string typeString;
  std::vector<std::string> extensions;  // upper case
  std::unique_ptr<ArchiveDecoder> decoder;
  void* module = nullptr;  // plug-in library, none for built-in decoders
  AdlAssistFunc assist = nullptr;
  AdlAssistFunc2 assist2 = nullptr;
  AdlConfigDlg configDialog = nullptr;
};

class ArchiveManager {
 public:
  ArchiveManager() = default;
  ArchiveManager(const ArchiveManager&) = delete;
  ArchiveManager& operator=(const ArchiveManager&) = delete;
  virtual ~ArchiveManager();

  // Codes 0, 3, 5, 8, 10 (a loose file of 4 GiB or more), 14 through
  // error. With loadWhole, a member that cannot be streamed is loaded whole
  // into a memory stream.
  virtual Stream* OpenStream(std::string_view name, std::string* resolvedName, int* error, bool loadWhole);
  // 0 with the data in block (made with alloc), or 3, 5, 7, 8, 10, 14.
  virtual int LoadFile(std::string_view name, BlockAlloc alloc, BlockFree free, MemoryBlock* block,
                       std::string* resolvedName);

  virtual size_t GetSearchFolderCount() const { return searchFolders_.size(); }
  virtual void ClearSearchFolders() { searchFolders_.clear(); }
  // 0, 1 bad path, 2 out of memory.
  virtual int AddSearchFolder(std::string_view path, bool atEnd);
  // By path (when given) or by position (negative: the last). 0 removed,
  // -1 nothing removed.
  virtual int RemoveSearchFolder(std::optional<std::string_view> path, int32_t position);
  virtual const std::string* GetSearchFolder(int32_t position) const;

  // Loose files only. 0 found, 1 bad path, 2 an absolute name that does not
  // exist, 3 not found in any search folder. fullPath gets the path tried
  // last.
  virtual int FindFile(std::string* fullPath, std::string_view name, platform::FileInfo* findData) const;
  // 0 opened, 1 bad path or a missing absolute name, 2 not found.
  virtual int OpenLooseFile(platform::File* file, std::string_view name, bool shareRead,
                            std::string* fullPath) const;

  virtual size_t GetMountCount() const { return mounts_.size(); }
  virtual void UnmountAll() { mounts_.clear(); }
  // 0 mounted, 1 no decoder could open it, 3 cannot be opened, 5 not
  // found, 8 out of memory.
  virtual int Mount(std::string_view path, int32_t id, bool asFolder, bool atEnd, Archive** archive);
  // By prefix (every match), else by position when id is kNoMountId, else
  // the first mount with that id. 0 when one left, -1 otherwise.
  virtual int Unmount(std::optional<std::string_view> path, int32_t id, int32_t position);
  virtual const std::string* GetMountPrefix(int32_t id, int32_t position) const;
  virtual int OpenMember(int32_t id, int32_t position, std::string_view memberName, BlockAlloc alloc,
                         BlockFree free, MemoryBlock* block, std::string* resolvedName);
  virtual Archive* GetMountArchive(int32_t id, int32_t position) const;
  // 0 loose file, -1 a mounted archive holds it, 2 not found, 1 bad path.
  virtual int FindFileOrMember(std::string* fullPath, std::string_view name, platform::FileInfo* findData) const;

  virtual void RemoveDecoders(int32_t type);
  virtual void ClearDecoders() { decoders_.clear(); }
  // 1 when decoder is null, else 0.
  virtual int RegisterDecoder(std::unique_ptr<ArchiveDecoder> decoder, std::vector<std::string> extensions,
                              std::string typeString, int32_t type, AdlAssistFunc assist,
                              AdlAssistFunc2 assist2, AdlConfigDlg configDialog);
  virtual int LoadPlugin(std::string_view path);
  // Failures among the "*.ADL" files of the folder, or -1 for a bad path.
  virtual int LoadPlugins(std::string_view folder);
  virtual ArchiveDecoder* FindDecoderByExtension(std::string_view path) const;

  AdlAssistFunc2 FindAssistFunc2(int32_t type) const;
  // The scripts' decoder settings: an assist command (arguments[0]) and its
  // arguments go to the second assist routine of the first decoder of that
  // type. -2 when there is no such routine, else the routine's answer.
  int PassDecoderSettings(int32_t type, const int32_t* arguments, uint32_t count) const;
  bool HasMember(std::string_view path) const;
  // Registers the built-in LPK decoder.
  void RegisterLpkDecoder();

  const std::vector<MountRecord>& Mounts() const { return mounts_; }
  const std::vector<ArchiveDecoderRecord>& Decoders() const { return decoders_; }

 private:
  template <typename TryMount>
  bool SearchMounts(const std::string& lowerPath, TryMount&& tryMount) const;
  // Absolute, backslash-ended, lower-cased form of a folder; nullopt when
  // it cannot be made absolute.
  static std::optional<std::string> NormalizeFolder(std::string_view path);
  void InsertMount(MountRecord record, bool atEnd);
  void RemoveMountAt(size_t index);
  int MountIndex(int32_t id, int32_t position, bool byPositionWhenMinusOne) const;

  std::vector<std::string> searchFolders_;
  std::vector<ArchiveDecoderRecord> decoders_;
  std::vector<MountRecord> mounts_;
};

// The process-wide manager (none until the application makes one).
ArchiveManager* GetArchiveManager();
// Replaces it (tests, start-up); returns the old one. Not owning.
ArchiveManager* SetArchiveManager(ArchiveManager* manager);

}  // namespace orrivel
