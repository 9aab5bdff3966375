#pragma once
// An opened archive: members found by name or index, loaded whole into a
// block from the caller's allocator or opened as a stream. Archives are
// immutable once open and read with positional reads, so several threads
// may load members of one archive at once.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "resource/MemoryBlock.h"
#include "resource/SharedHolder.h"
#include "resource/Stream.h"

namespace orrivel {

// The record a listing keeps for each member.
struct ArchiveEntryRecord {
  uint32_t index = 0;
  uint32_t storedSize = 0;
  uint32_t fullSize = 0;
  uint32_t reserved1 = 0;
  uint32_t reserved2 = 0;
  uint64_t fileOffset = 0;  // in bytes
  uint32_t reserved3 = 0;
  uint8_t kind = 8;
  uint8_t memberFlags = 0;
  uint16_t hasSecondSize = 0;  // 1 when the entry carried a non-zero second size
};

struct ArchiveListEntry {
  std::string name;
  ArchiveEntryRecord record;
};

class Archive : public SharedHolder {
 public:
  virtual uint32_t GetCount() const = 0;
  // The listing, or null when the archive was not opened in listing mode.
  virtual const std::vector<ArchiveListEntry>* GetEntryList() const = 0;
  virtual bool HasMember(std::string_view name) const = 0;
  // Listing mode only; exact compare of the lower-cased name.
  virtual const ArchiveEntryRecord* FindListEntry(std::string_view name) const = 0;
  virtual const ArchiveEntryRecord* GetListEntry(uint32_t index, std::string_view* name) const = 0;
  // Load results: 0, or a code (see the implementation). On failure a block
  // already made by alloc is left to the caller to free.
  virtual int LoadMember(std::string_view name, BlockAlloc alloc, MemoryBlock* block, ProgressFunc progress,
                         void* user) const = 0;
  virtual int LoadMemberByIndex(uint32_t index, BlockAlloc alloc, MemoryBlock* block, ProgressFunc progress,
                                void* user) const = 0;
  virtual int Reserved9() const { return -2; }
  virtual int Reserved10() const { return -2; }
  // A stream with code 0, or null with a code in *code (-3: the member
  // cannot be streamed and must be loaded whole).
  virtual Stream* OpenMemberStream(std::string_view name, int* code) const = 0;
  virtual Stream* OpenMemberStreamByIndex(uint32_t index, int* code) const = 0;
  virtual int Reserved13() const { return -2; }
  virtual int Reserved14() const { return -2; }
};

using ArchivePtr = HeldPtr<Archive>;

// Opens archives of one kind. The file is open for reading; on success the
// archive may take it over (it is then left closed), on failure it stays
// with the caller. A closed file asks the decoder to open the path itself.
class ArchiveDecoder {
 public:
  virtual ~ArchiveDecoder() = default;
  virtual Archive* Open(std::string_view path, platform::File& file, int* error) = 0;
};

}  // namespace orrivel
