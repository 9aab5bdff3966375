// What an archive plug-in hands back, taken as hostile: the input is the
// file-information block (its length in the first two bytes) and then the
// member bytes its GetFile gives for every member. The member table is
// built from the records in both modes, every member is looked up by index
// and by name, and loaded.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "resource/MemoryBlock.h"
#include "resource/SpiArchive.h"

namespace {

using namespace orrivel;

const uint8_t* g_member = nullptr;
size_t g_memberSize = 0;

int32_t GetFile(const char*, int64_t position, void* destination, uint32_t flag, SusieProgressFunc progress,
                intptr_t context) {
  if (flag != kSusieToMemory) return 1;
  if (progress) progress(0, 1, context);
  // Odd positions fail, so both outcomes of the plug-in are seen.
  if (position & 1) return 1;
  SusieHandle block = SusieAllocBlock(g_memberSize);
  if (block && g_memberSize) std::memcpy(SusieBlockData(block), g_member, g_memberSize);
  *static_cast<SusieHandle*>(destination) = block;
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > 65536) return 0;
  const size_t infoSize = std::min<size_t>(size - 2, data[0] | (size_t(data[1]) << 8));
  g_member = data + 2 + infoSize;
  g_memberSize = size - 2 - infoSize;
  SusieHandle info = SusieAllocBlock(infoSize);
  if (!info) return 0;
  if (infoSize) std::memcpy(SusieBlockData(info), data + 2, infoSize);
  for (const bool listing : {true, false}) {
    int error = 0;
    std::unique_ptr<SpiArchive> archive(SpiArchive::Create(nullptr, &GetFile, "/nowhere.arc", info, listing, &error));
    if (!archive) continue;
    for (uint32_t i = 0; i <= archive->GetCount(); ++i) {
      std::string_view name;
      if (const ArchiveEntryRecord* entry = archive->GetListEntry(i, &name)) {
        const std::string copy(name);
        if (!archive->HasMember(copy) || !archive->FindListEntry(copy)) std::abort();
        MemoryBlock block;
        if (archive->LoadMember(copy, &ArchiveManagerAlloc, &block, nullptr, nullptr) == 0) ArchiveManagerFree(&block);
        (void)entry;
      }
      MemoryBlock block;
      if (archive->LoadMemberByIndex(i, &ArchiveManagerAlloc, &block, nullptr, nullptr) == 0)
        ArchiveManagerFree(&block);
      int code = 0;
      archive->OpenMemberStreamByIndex(i, &code);
    }
  }
  SusieFreeBlock(info);
  return 0;
}
