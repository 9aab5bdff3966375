#include "resource/LpkArchive.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <span>

#include "base/Cp932.h"
#include "base/TrieLookup.h"
#include "resource/LpkCipher.h"
#include "resource/LpkConstants.h"
#include "resource/LpkMemberStream.h"
#include "resource/LpkSettings.h"
#include "resource/LzssCoder.h"
#include "resource/Paths.h"

namespace orrivel {
namespace {

std::string LowerName(std::string_view name) { return cp932::ToLower(name); }

void SetCode(int* code, int value) {
  if (code) *code = value;
}

}  // namespace

LpkArchive* LpkArchive::Open(std::string_view path, platform::File& file, int* error) {
  platform::File own;
  platform::File* source = &file;
  if (!file.IsOpen()) {
    if (path.empty()) {
      SetCode(error, kLpkNoPath);
      return nullptr;
    }
    own = platform::File::Open(path, platform::File::Access::Read, platform::File::Disposition::OpenExisting);
    if (!own.IsOpen()) {
      SetCode(error, kLpkNotFound);
      return nullptr;
    }
    source = &own;
  }

  std::unique_ptr<LpkArchive> archive(new (std::nothrow) LpkArchive());
  if (!archive) {
    SetCode(error, kLpkNoMemory);
    return nullptr;
  }
  const int64_t size = source->Size();
  uint8_t header[lpk::kHeaderSize];
  if (size < int64_t(lpk::kHeaderSize) || source->ReadAt(0, header, sizeof header) != int64_t(sizeof header)) {
    SetCode(error, kLpkReadFailed);
    return nullptr;
  }
  if (std::memcmp(header, lpk::kMagic, 4) != 0) {
    SetCode(error, kLpkBadMagic);
    return nullptr;
  }
  lpk::NameKey nameKey;
  if (!lpk::MakeNameKey(path, &nameKey)) {
    SetCode(error, kLpkNoPath);
    return nullptr;
  }
  const LpkSettingsValues settings = GetLpkSettings();
  archive->memberKey_ = lpk::MemberKey(nameKey, settings.keyWord1);
  archive->listing_ = settings.listing;
  archive->fileSize_ = uint64_t(size);
  archive->path_.assign(path);
  archive->file_ = std::move(*source);
  const uint32_t headerKey = lpk::HeaderKey(nameKey, settings.keyWord2);
  int code = archive->ReadDirectory(lpk::ReadLe32(header + 4) ^ headerKey, headerKey);
  if (code == kLpkOk) code = archive->ParseDirectory();
  if (code == kLpkOk && archive->listing_) code = archive->BuildListing();
  if (code != kLpkOk) {
    // A file the caller passed goes back to the caller.
    if (source == &file) file = std::move(archive->file_);
    SetCode(error, code);
    return nullptr;
  }
  SetCode(error, kLpkOk);
  return archive.release();
}

int LpkArchive::ReadDirectory(uint32_t headerWord, uint32_t headerKey) {
  flags_ = headerWord >> 24;
  uint32_t directorySize = headerWord & lpk::kDirectorySizeMask;
  if (Has(lpk::kFlagUnitOffsets)) {
    // The format's own 32-bit product; a word of 0 wraps and is refused by
    // the checks below.
    if (directorySize == 0) return kLpkReadFailed;
    directorySize = uint32_t(directorySize * lpk::kUnit - lpk::kHeaderSize);
  }
  if (directorySize < 4 || uint64_t(directorySize) > fileSize_ - lpk::kHeaderSize) return kLpkReadFailed;
  try {
    directory_.resize(directorySize);
  } catch (const std::bad_alloc&) {
    return kLpkNoMemory;
  }
  if (file_.ReadAt(lpk::kHeaderSize, directory_.data(), directorySize) != int64_t(directorySize)) {
    return kLpkReadFailed;
  }
  lpk::ScrambleDirectory(directory_.data(), directory_.size(), headerKey);
  return kLpkOk;
}

int LpkArchive::ParseDirectory() {
  const size_t size = directory_.size();
  const uint8_t* d = directory_.data();
  size_t pos = 0;
  count_ = lpk::ReadLe32(d);
  pos = 4;
  if (pos + 1 > size) return kLpkReadFailed;
  headLength_ = d[pos++];
  if (headLength_ > size - pos) return kLpkReadFailed;
  headOffset_ = pos;
  pos += headLength_;
  if (Has(lpk::kFlagNameTree)) {
    if (size - pos < 5) return kLpkReadFailed;
    treeWide_ = d[pos] != 0;
    const uint32_t treeSize = lpk::ReadLe32(d + pos + 1);
    pos += 5;
    if (treeSize > size - pos) return kLpkReadFailed;
    treeOffset_ = pos;
    treeSize_ = treeSize;
    pos += treeSize;
  }
  entrySize_ = Has(lpk::kFlagSecondSize) ? lpk::kEntrySizeWithSecond : lpk::kEntrySize;
  if (uint64_t(count_) * entrySize_ > size - pos) return kLpkReadFailed;
  entriesOffset_ = pos;
  return kLpkOk;
}

bool LpkArchive::CollectNames(size_t node, std::string& prefix, std::vector<std::string>& names,
                              size_t& budget) const {
  const uint8_t* tree = directory_.data() + treeOffset_;
  const size_t valueSize = treeWide_ ? 4 : 2;
  if (node >= treeSize_) return false;
  const size_t children = tree[node];
  size_t pos = node + 1;
  if (children * (1 + valueSize) > treeSize_ - pos) return false;
  for (size_t c = 0; c < children; ++c) {
    // Each child entry is visited once in a real tree; a budget of one
    // visit per tree byte stops links that share nodes from multiplying.
    if (budget == 0) return false;
    --budget;
    const uint8_t key = tree[pos];
    const uint32_t value = treeWide_ ? lpk::ReadLe32(tree + pos + 1) : lpk::ReadLe16(tree + pos + 1);
    pos += 1 + valueSize;
    if (key == 0) {
      if (value >= count_ || !names[value].empty()) return false;
      if (prefix.empty()) return false;
      names[value] = prefix;
      continue;
    }
    if (prefix.size() + 1 >= kMaxPath) return false;
    prefix.push_back(char(key));
    const bool ok = CollectNames(pos + value, prefix, names, budget);
    prefix.pop_back();
    if (!ok) return false;
  }
  return true;
}

int LpkArchive::BuildListing() {
  std::vector<std::string> names;
  try {
    names.resize(count_);
    if (Has(lpk::kFlagNameTree)) {
      std::string prefix;
      size_t budget = treeSize_;
      if (treeSize_ > 0 && !CollectNames(0, prefix, names, budget)) return kLpkReadFailed;
    } else {
      for (uint32_t i = 0; i < count_; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "%06u.DAT", unsigned(i));
        names[i] = text;
      }
    }
    list_.resize(count_);
  } catch (const std::bad_alloc&) {
    return kLpkNoMemory;
  }
  for (uint32_t i = 0; i < count_; ++i) {
    const Entry entry = ReadEntry(i);
    ArchiveListEntry& item = list_[i];
    item.name = std::move(names[i]);
    item.record.index = i;
    item.record.storedSize = entry.storedSize;
    item.record.fullSize = entry.fullSize;
    item.record.fileOffset = entry.offset;
    item.record.memberFlags = entry.memberFlags;
    item.record.hasSecondSize = entry.hasSecondSize ? 1 : 0;
  }
  return kLpkOk;
}

LpkArchive::Entry LpkArchive::ReadEntry(uint32_t index) const {
  const uint8_t* p = directory_.data() + entriesOffset_ + size_t(index) * entrySize_;
  Entry entry;
  entry.memberFlags = p[0];
  entry.offset = uint64_t(lpk::ReadLe32(p + 1)) * (Has(lpk::kFlagUnitOffsets) ? lpk::kUnit : 1);
  entry.storedSize = lpk::ReadLe32(p + 5);
  const uint32_t second = Has(lpk::kFlagSecondSize) ? lpk::ReadLe32(p + 9) : 0;
  entry.hasSecondSize = second != 0;
  entry.fullSize = second != 0 ? second : entry.storedSize;
  return entry;
}

int64_t LpkArchive::FindIndex(std::string_view name) const {
  if (!Has(lpk::kFlagNameTree) || treeSize_ == 0) return -1;
  const std::string lower = LowerName(name);
  if (lower.find('\0') != std::string::npos) return -1;
  const std::span<const uint8_t> tree(directory_.data() + treeOffset_, treeSize_);
  const int64_t index = TrieLookup(tree, treeWide_, lower.c_str(), 0);
  if (index < 0 || uint64_t(index) >= count_) return -1;
  return index;
}

const std::vector<ArchiveListEntry>* LpkArchive::GetEntryList() const { return listing_ ? &list_ : nullptr; }

bool LpkArchive::HasMember(std::string_view name) const { return FindIndex(name) >= 0; }

const ArchiveEntryRecord* LpkArchive::FindListEntry(std::string_view name) const {
  if (!listing_) return nullptr;
  const std::string lower = LowerName(name);
  for (const ArchiveListEntry& item : list_) {
    if (item.name == lower) return &item.record;
  }
  return nullptr;
}

const ArchiveEntryRecord* LpkArchive::GetListEntry(uint32_t index, std::string_view* name) const {
  if (!listing_ || index >= count_) return nullptr;
  if (name) *name = list_[index].name;
  return &list_[index].record;
}

int LpkArchive::LoadMember(std::string_view name, BlockAlloc alloc, MemoryBlock* block, ProgressFunc progress,
                           void* user) const {
  const int64_t index = FindIndex(name);
  if (index < 0) return kLpkNotFound;
  return LoadMemberByIndex(uint32_t(index), alloc, block, progress, user);
}

// Scrambled bytes are read straight into the member and unscrambled there,
// a slice at a time so that each is still near the processor when its turn
// comes: one read call per slice, and no copy from a buffer of our own.
bool LpkArchive::ReadMemberBytes(uint64_t offset, uint8_t* data, uint32_t size, bool scrambled) const {
  if (!scrambled) return file_.ReadAt(offset, data, size) == int64_t(size);
  for (uint32_t done = 0; done < size;) {
    const uint32_t n = std::min(kScrambledReadSlice, size - done);
    if (file_.ReadAt(offset + done, data + done, n) != int64_t(n)) return false;
    lpk::UnscrambleBytes(data + done, n);
    done += n;
  }
  return true;
}

int LpkArchive::LoadMemberByIndex(uint32_t index, BlockAlloc alloc, MemoryBlock* block, ProgressFunc progress,
                                  void* user) const {
  if (!alloc || !block) return kLpkNoPath;
  if (index >= count_) return kLpkNotFound;
  const Entry entry = ReadEntry(index);
  if (entry.offset > fileSize_) return kLpkSeekFailed;
  if (entry.storedSize == 0) return kLpkEmptyMember;
  if (entry.fullSize < headLength_) return kLpkReadFailed;
  const bool packed = entry.storedSize != entry.fullSize;
  const uint32_t dataSize = DataSize(entry);
  const uint64_t bytesInFile = packed ? entry.storedSize : dataSize;
  if (bytesInFile > fileSize_ - entry.offset) return kLpkReadFailed;
  // A size the packed bytes could never fill is damage, not a reason to
  // reserve gigabytes.
  if (packed && dataSize > LzssMaxUnpackedSize(entry.storedSize)) return kLpkBadPacked;

  uint8_t* out = static_cast<uint8_t*>(alloc(entry.fullSize, block, nullptr));
  if (!out) return kLpkNoMemory;
  if (progress) progress(0, 1, user);
  uint8_t* data = out + headLength_;
  if (packed) {
    std::vector<uint8_t> stored;
    try {
      stored.resize(entry.storedSize);
    } catch (const std::bad_alloc&) {
      return kLpkNoMemory;
    }
    if (file_.ReadAt(entry.offset, stored.data(), stored.size()) != int64_t(stored.size())) return kLpkReadFailed;
    if (dataSize > 0 && LzssDecode(stored.data(), stored.size(), data, dataSize) != kLzssOk) return kLpkBadPacked;
    if (entry.memberFlags != 0) lpk::UnscrambleBytes(data, dataSize);
  } else if (dataSize > 0) {
    if (!ReadMemberBytes(entry.offset, data, dataSize, entry.memberFlags != 0)) return kLpkReadFailed;
  }
  if (Has(lpk::kFlagScrambledHeads) && dataSize >= 4) {
    lpk::ScrambleHeadWords(data, std::min<uint32_t>(lpk::kMaxHeadWords, dataSize / 4), memberKey_);
  }
  if (headLength_) std::memcpy(out, directory_.data() + headOffset_, headLength_);
  if (progress) progress(1, 1, user);
  return kLpkOk;
}

Stream* LpkArchive::OpenMemberStream(std::string_view name, int* code) const {
  const int64_t index = FindIndex(name);
  if (index < 0) {
    SetCode(code, kLpkNotFound);
    return nullptr;
  }
  return OpenMemberStreamByIndex(uint32_t(index), code);
}

Stream* LpkArchive::OpenMemberStreamByIndex(uint32_t index, int* code) const {
  if (index >= count_) {
    SetCode(code, kLpkNotFound);
    return nullptr;
  }
  const Entry entry = ReadEntry(index);
  if (entry.offset > fileSize_) {
    SetCode(code, kLpkSeekFailed);
    return nullptr;
  }
  if (entry.storedSize == 0 || entry.storedSize != entry.fullSize) {
    SetCode(code, kLpkNotStreamable);
    return nullptr;
  }
  if (entry.fullSize < headLength_ || DataSize(entry) > fileSize_ - entry.offset) {
    SetCode(code, kLpkReadFailed);
    return nullptr;
  }
  platform::File file =
      platform::File::Open(path_, platform::File::Access::Read, platform::File::Disposition::OpenExisting);
  if (!file.IsOpen()) {
    SetCode(code, kLpkNotFound);
    return nullptr;
  }
  uint32_t headTotal = headLength_;
  if (Has(lpk::kFlagScrambledHeads)) headTotal = std::min(headLength_ + lpk::kStreamHeadExtra, entry.fullSize);
  const uint32_t fromFile = headTotal - headLength_;
  std::vector<uint8_t> head;
  try {
    head.resize(headTotal);
  } catch (const std::bad_alloc&) {
    SetCode(code, kLpkNoMemory);
    return nullptr;
  }
  if (headLength_) std::memcpy(head.data(), directory_.data() + headOffset_, headLength_);
  if (fromFile > 0) {
    uint8_t* tail = head.data() + headLength_;
    if (file.ReadAt(entry.offset, tail, fromFile) != int64_t(fromFile)) {
      SetCode(code, kLpkNoMemory);
      return nullptr;
    }
    if (entry.memberFlags != 0) lpk::UnscrambleBytes(tail, fromFile);
    lpk::ScrambleHeadWords(tail, std::min<uint32_t>(lpk::kMaxHeadWords, fromFile / 4), memberKey_);
  }
  Stream* stream = new (std::nothrow)
      LpkMemberStream(std::move(file), entry.offset + fromFile, entry.fullSize, std::move(head), entry.memberFlags != 0);
  SetCode(code, stream ? kLpkOk : kLpkNoMemory);
  return stream;
}

}  // namespace orrivel
