#include "resource/SpiArchive.h"

#include <cstring>
#include <new>

#include "base/Cp932.h"
#include "platform/PathResolver.h"
#include "resource/Paths.h"

namespace orrivel {
namespace {

struct ProgressContext {
  ProgressFunc progress;
  void* user;
};

std::int32_t ForwardProgress(std::int32_t number, std::int32_t denominator, std::intptr_t context) {
  const auto* target = reinterpret_cast<const ProgressContext*>(context);
  if (target && target->progress) target->progress(uint32_t(number), uint32_t(denominator), target->user);
  return 0;
}

// The length of a fixed field up to its NUL, or npos when it has none.
size_t FieldLength(const char* field, size_t size) {
  const void* end = std::memchr(field, 0, size);
  return end ? size_t(static_cast<const char*>(end) - field) : std::string::npos;
}

}  // namespace

bool JoinSusieMemberName(const SusieFileInfo& record, std::string* name) {
  const size_t folderLength = FieldLength(record.path, sizeof record.path);
  const size_t fileLength = FieldLength(record.fileName, sizeof record.fileName);
  if (folderLength == std::string::npos || fileLength == std::string::npos) return false;
  if (folderLength + fileLength >= kMaxPath) return false;
  std::string joined;
  joined.reserve(folderLength + fileLength);
  for (size_t i = 0; i < folderLength;) {
    const size_t length = cp932::CharLength(std::string_view(record.path, folderLength), i);
    if (length == 1 && record.path[i] == '/') {
      joined.push_back('\\');
    } else {
      joined.append(record.path + i, length);
    }
    i += length;
  }
  joined.append(record.fileName, fileLength);
  *name = std::move(joined);
  return true;
}

SpiArchive::SpiArchive(PluginLibraryPtr library, SusieGetFileFunc getFile, std::string hostPath, bool listing)
    : library_(std::move(library)), getFile_(getFile), hostPath_(std::move(hostPath)), listing_(listing) {}

SpiArchive* SpiArchive::Create(PluginLibraryPtr library, SusieGetFileFunc getFile, std::string hostPath,
                               SusieHandle info, bool listing, int* error) {
  // Only whole records inside the block count, so a list that lacks its
  // closing record ends with the block instead of running past it.
  const uint64_t available = SusieBlockSize(info) / sizeof(SusieFileInfo);
  const uint8_t* bytes = SusieBlockData(info);
  uint64_t count = 0;
  while (count < available && bytes[count * sizeof(SusieFileInfo)] != 0) ++count;
  if (count == 0) {
    *error = 2;
    return nullptr;
  }
  try {
    std::unique_ptr<SpiArchive> archive(new SpiArchive(std::move(library), getFile, std::move(hostPath), listing));
    for (uint64_t i = 0; i < count; ++i) {
      SusieFileInfo record;
      std::memcpy(&record, bytes + i * sizeof(SusieFileInfo), sizeof record);
      std::string name;
      if (!JoinSusieMemberName(record, &name)) {
        *error = 2;
        return nullptr;
      }
      ArchiveEntryRecord entry;
      entry.index = uint32_t(i);
      entry.storedSize = record.packedSize;
      entry.fullSize = record.fullSize;
      entry.reserved1 = record.timeStamp;
      entry.reserved2 = record.checksum;
      entry.fileOffset = record.position;
      entry.reserved3 = 0;
      entry.kind = 8;
      entry.memberFlags = 0;
      entry.hasSecondSize = record.packedSize != record.fullSize ? 1 : 0;
      // A second member of an equal name stays unreachable by name, as in
      // any table keyed by name; by index it is still there.
      archive->table_.Insert(name, entry);
      if (listing) archive->list_.push_back(ArchiveListEntry{std::move(name), entry});
    }
    *error = 0;
    return archive.release();
  } catch (const std::bad_alloc&) {
    *error = 10;
    return nullptr;
  }
}

const ArchiveEntryRecord* SpiArchive::FindListEntry(std::string_view name) const {
  const NameHashTable::Entry* entry = table_.Find(name);
  return entry ? &entry->value : nullptr;
}

const NameHashTable::Entry* SpiArchive::EntryByIndex(uint32_t index) const {
  for (const NameHashTable::Entry& entry : table_.Entries()) {
    if (entry.value.index == index) return &entry;
  }
  return nullptr;
}

const ArchiveEntryRecord* SpiArchive::GetListEntry(uint32_t index, std::string_view* name) const {
  if (listing_) {
    if (index >= list_.size()) return nullptr;
    if (name) *name = list_[index].name;
    return &list_[index].record;
  }
  const NameHashTable::Entry* entry = EntryByIndex(index);
  if (!entry) return nullptr;
  if (name) *name = entry->name;
  return &entry->value;
}

int SpiArchive::Load(const ArchiveEntryRecord& entry, BlockAlloc alloc, MemoryBlock* block, ProgressFunc progress,
                     void* user) const {
  if (!alloc || !block) return 5;
  if (entry.fullSize == 0) return 2;
  ProgressContext context{progress, user};
  SusieHandle data = nullptr;
  if (getFile_(hostPath_.c_str(), int64_t(entry.fileOffset), &data, kSusieToMemory, ForwardProgress,
               reinterpret_cast<std::intptr_t>(&context)) != 0) {
    SusieFreeBlock(data);
    return 1;
  }
  const uint64_t size = SusieBlockSize(data);
  if (!data || size == 0) {
    SusieFreeBlock(data);
    return 1;
  }
  // The plug-in's block carries its size in front of the data, so it cannot
  // become the caller's block itself: the data are copied over.
  void* target = size <= UINT32_MAX ? alloc(uint32_t(size), block, nullptr) : nullptr;
  if (!target) {
    SusieFreeBlock(data);
    return 8;
  }
  std::memcpy(target, SusieBlockData(data), size_t(size));
  SusieFreeBlock(data);
  return 0;
}

int SpiArchive::LoadMember(std::string_view name, BlockAlloc alloc, MemoryBlock* block, ProgressFunc progress,
                           void* user) const {
  const NameHashTable::Entry* entry = table_.Find(name);
  return entry ? Load(entry->value, alloc, block, progress, user) : 3;
}

int SpiArchive::LoadMemberByIndex(uint32_t index, BlockAlloc alloc, MemoryBlock* block, ProgressFunc progress,
                                  void* user) const {
  const ArchiveEntryRecord* entry = GetListEntry(index, nullptr);
  return entry ? Load(*entry, alloc, block, progress, user) : 3;
}

Stream* SpiArchive::OpenMemberStream(std::string_view name, int* code) const {
  if (code) *code = table_.Find(name) ? -3 : 3;
  return nullptr;
}

Stream* SpiArchive::OpenMemberStreamByIndex(uint32_t index, int* code) const {
  if (code) *code = GetListEntry(index, nullptr) ? -3 : 3;
  return nullptr;
}

int SpiArchive::Extract(const ArchiveEntryRecord& entry, const char* path) const {
  if (!path) return 5;
  std::string folder(path);
  CutFileName(folder, nullptr);
  const auto host = platform::ResolveHostPath(folder, platform::ResolveMode::Existing);
  if (!host) return 1;
  const std::string hostFolder = *host;
  return getFile_(hostPath_.c_str(), int64_t(entry.fileOffset), const_cast<char*>(hostFolder.c_str()), 0,
                  ForwardProgress, 0) == 0
             ? 0
             : 1;
}

int SpiArchive::ExtractMember(std::string_view name, const char* path) const {
  if (!path) return 5;
  const NameHashTable::Entry* entry = table_.Find(name);
  return entry ? Extract(entry->value, path) : 3;
}

int SpiArchive::ExtractMemberByIndex(uint32_t index, const char* path) const {
  if (!path) return 5;
  const ArchiveEntryRecord* entry = GetListEntry(index, nullptr);
  return entry ? Extract(*entry, path) : 3;
}

}  // namespace orrivel
