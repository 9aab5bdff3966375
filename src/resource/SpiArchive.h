#pragma once
// An archive opened through a Susie-style archive plug-in. The member table
// is built once from the plug-in's file-information records; members are
// then loaded whole through the plug-in's GetFile, which reads the archive
// by its path. Such members are never streamed: asking for a stream answers
// -3 for an existing member, so the archive manager loads it whole instead.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "resource/Archive.h"
#include "resource/NameHashTable.h"
#include "resource/PluginLibrary.h"
#include "resource/plugin/SusieApi.h"

namespace orrivel {

class SpiArchive final : public Archive {
 public:
  // Builds the table from GetArchiveInfo's block (taken as the plug-in gave
  // it; the caller frees it). Codes: 2 no records, a field without its end,
  // or a name too long for a path; 10 out of memory. hostPath is what the
  // plug-in is given.
  static SpiArchive* Create(PluginLibraryPtr library, SusieGetFileFunc getFile, std::string hostPath,
                            SusieHandle info, bool listing, int* error);

  uint32_t GetCount() const override { return uint32_t(table_.Count()); }
  const std::vector<ArchiveListEntry>* GetEntryList() const override { return listing_ ? &list_ : nullptr; }
  bool HasMember(std::string_view name) const override { return table_.Find(name) != nullptr; }
  // Through the name table, in either mode.
  const ArchiveEntryRecord* FindListEntry(std::string_view name) const override;
  const ArchiveEntryRecord* GetListEntry(uint32_t index, std::string_view* name) const override;
  // 0; 1 the plug-in failed; 2 the member is empty; 3 no such member; 5 no
  // allocator; 8 the allocator gave nothing.
  int LoadMember(std::string_view name, BlockAlloc alloc, MemoryBlock* block, ProgressFunc progress,
                 void* user) const override;
  int LoadMemberByIndex(uint32_t index, BlockAlloc alloc, MemoryBlock* block, ProgressFunc progress,
                        void* user) const override;
  Stream* OpenMemberStream(std::string_view name, int* code) const override;
  Stream* OpenMemberStreamByIndex(uint32_t index, int* code) const override;

  // Has the plug-in write the member into the folder of path (an internal
  // path). 0; 1 the plug-in failed or the folder is missing; 3 no such
  // member; 5 no path.
  int ExtractMember(std::string_view name, const char* path) const;
  int ExtractMemberByIndex(uint32_t index, const char* path) const;

 private:
  SpiArchive(PluginLibraryPtr library, SusieGetFileFunc getFile, std::string hostPath, bool listing);
  const NameHashTable::Entry* EntryByIndex(uint32_t index) const;
  int Load(const ArchiveEntryRecord& entry, BlockAlloc alloc, MemoryBlock* block, ProgressFunc progress,
           void* user) const;
  int Extract(const ArchiveEntryRecord& entry, const char* path) const;

  PluginLibraryPtr library_;
  SusieGetFileFunc getFile_;
  std::string hostPath_;
  bool listing_;
  NameHashTable table_;
  std::vector<ArchiveListEntry> list_;
};

// Joins a record's folder and file name into a member name: slashes of the
// folder become backslashes (two-byte characters kept whole). False when a
// field has no NUL within its 200 bytes or the name would not fit a path.
bool JoinSusieMemberName(const SusieFileInfo& record, std::string* name);

}  // namespace orrivel
