#pragma once
// An opened LPK archive. The header word and directory are unscrambled at
// open with keys built from the archive's file name and the key words of
// LpkSettings; member look-up goes through the directory's name tree.
// Everything is checked against the file's size before use, and nothing
// changes after open: members are read with positional reads.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "resource/Archive.h"

namespace orrivel {

// Result codes of LPK operations.
enum LpkCode : int {
  kLpkOk = 0,
  kLpkBadMagic = 1,
  kLpkEmptyMember = 2,   // the member's stored size is 0
  kLpkNotFound = 3,      // also: the file cannot be opened
  kLpkNoPath = 5,        // no path / no allocator / an empty archive name
  kLpkSeekFailed = 6,    // a member offset past the end of the file
  kLpkReadFailed = 7,    // a short read, or sizes and links that do not fit
  kLpkNoMemory = 8,
  kLpkBadPacked = 12,    // the LZSS data of a member are bad
  kLpkNotStreamable = -3,
};

class LpkArchive final : public Archive {
 public:
  // Opens an archive over an open file (taken over on success) or, when
  // the file is closed, over the path. Null with the code in *error.
  static LpkArchive* Open(std::string_view path, platform::File& file, int* error);

  uint32_t GetCount() const override { return count_; }
  const std::vector<ArchiveListEntry>* GetEntryList() const override;
  bool HasMember(std::string_view name) const override;
  const ArchiveEntryRecord* FindListEntry(std::string_view name) const override;
  const ArchiveEntryRecord* GetListEntry(uint32_t index, std::string_view* name) const override;
  int LoadMember(std::string_view name, BlockAlloc alloc, MemoryBlock* block, ProgressFunc progress,
                 void* user) const override;
  int LoadMemberByIndex(uint32_t index, BlockAlloc alloc, MemoryBlock* block, ProgressFunc progress,
                        void* user) const override;
  Stream* OpenMemberStream(std::string_view name, int* code) const override;
  Stream* OpenMemberStreamByIndex(uint32_t index, int* code) const override;

  uint32_t Flags() const { return flags_; }
  const std::string& Path() const { return path_; }
  // Member index of a name, or -1.
  int64_t FindIndex(std::string_view name) const;

  // Scrambled members are read this many bytes at a time, each slice
  // unscrambled before the next is read.
  static constexpr uint32_t kScrambledReadSlice = 1024 * 1024;

 private:
  struct Entry {
    uint8_t memberFlags;
    uint64_t offset;  // bytes
    uint32_t storedSize;
    uint32_t fullSize;
    bool hasSecondSize;
  };

  LpkArchive() = default;
  int ReadDirectory(uint32_t headerWord, uint32_t headerKey);
  int ParseDirectory();
  int BuildListing();
  bool CollectNames(size_t node, std::string& prefix, std::vector<std::string>& names, size_t& budget) const;
  Entry ReadEntry(uint32_t index) const;
  uint32_t DataSize(const Entry& entry) const { return entry.fullSize - headLength_; }
  bool ReadMemberBytes(uint64_t offset, uint8_t* data, uint32_t size, bool scrambled) const;
  bool Has(uint32_t flag) const { return (flags_ & flag) != 0; }

  platform::File file_;
  std::string path_;
  uint64_t fileSize_ = 0;
  uint32_t flags_ = 0;
  uint32_t memberKey_ = 0;
  uint32_t count_ = 0;
  std::vector<uint8_t> directory_;
  uint32_t headLength_ = 0;
  size_t headOffset_ = 0;
  bool treeWide_ = false;
  size_t treeOffset_ = 0;
  size_t treeSize_ = 0;
  size_t entriesOffset_ = 0;
  uint32_t entrySize_ = 0;
  bool listing_ = false;
  std::vector<ArchiveListEntry> list_;
};

}  // namespace orrivel
