#include "resource/ArchiveManager.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <new>

#include "base/Cp932.h"
#include "resource/FileStream.h"
#include "resource/LooseFileGuard.h"
#include "resource/LpkDecoder.h"
#include "resource/LpkSettings.h"
#include "resource/MemoryStream.h"
#include "resource/PluginArchiveDecoder.h"
#include "resource/Paths.h"

namespace orrivel {
namespace {

std::atomic<ArchiveManager*> processManager{nullptr};

platform::File OpenForRead(const std::string& path) {
  return platform::File::Open(path, platform::File::Access::Read, platform::File::Disposition::OpenExisting);
}

bool IsLooseFile(const std::string& path, platform::FileInfo* findData) {
  const auto info = platform::StatPath(path);
  if (!info || info->isFolder) return false;
  if (findData) *findData = *info;
  return true;
}

// The guard's word on one loose file the search would read: a refused one
// is passed over as if it were not there (it is never opened, so whether
// it exists tells nothing), and the search remembers that it refused one.
bool Allowed(const std::string& path, bool& refused) {
  if (!LooseFileGuard::Refuses(path)) return true;
  refused = true;
  return false;
}

size_t SharedLength(std::string_view a, std::string_view b) {
  size_t n = 0;
  while (n < a.size() && n < b.size() && a[n] == b[n]) ++n;
  return n;
}

}  // namespace

ArchiveManager* GetArchiveManager() { return processManager.load(); }

ArchiveManager* SetArchiveManager(ArchiveManager* manager) { return processManager.exchange(manager); }

ArchiveManager::~ArchiveManager() {
  ClearSearchFolders();
  UnmountAll();
  ClearDecoders();
}

std::optional<std::string> ArchiveManager::NormalizeFolder(std::string_view path) {
  std::string full;
  if (MakeFullPath(full, path) == 0 || !AppendSeparator(full)) return std::nullopt;
  cp932::ToLowerAscii(full.data(), full.size());
  return full;
}

// The mounts are taken in list order by groups. A group whose first prefix
// does not share the path's first character is skipped whole; the search
// ends with the first group that does.
template <typename TryMount>
bool ArchiveManager::SearchMounts(const std::string& lowerPath, TryMount&& tryMount) const {
  size_t i = 0;
  while (i < mounts_.size()) {
    size_t end = i + 1;
    if (mounts_[i].groupLength > 0) {
      while (end < mounts_.size() && mounts_[end].groupLength != -1) ++end;
      end = std::min(end + 1, mounts_.size());
    }
    const std::string& first = mounts_[i].prefix;
    if (lowerPath.empty() || first.empty() || first[0] != lowerPath[0]) {
      i = end;
      continue;
    }
    for (size_t k = i; k < end; ++k) {
      const MountRecord& mount = mounts_[k];
      if (!mount.archive || lowerPath.size() < mount.prefix.size()) continue;
      if (lowerPath.compare(0, mount.prefix.size(), mount.prefix) != 0) continue;
      if (tryMount(mount, std::string_view(lowerPath).substr(mount.prefix.size()))) return true;
    }
    return false;
  }
  return false;
}

int ArchiveManager::LoadFile(std::string_view name, BlockAlloc alloc, BlockFree free, MemoryBlock* block,
                             std::string* resolvedName) {
  if (!alloc || !free || !block) return kFileInternalFailure;
  try {
    std::string full;
    const int kind = MakeFullPath(full, name);
    if (kind == 0) return kFileBadPath;
    // -1: no loose file there; else the load's result.
    auto tryLoose = [&](const std::string& path) -> int {
      platform::File file = OpenForRead(path);
      if (!file.IsOpen()) return -1;
      const int64_t size = file.Size();
      if (size < 0 || size > int64_t(UINT32_MAX)) return kFileSizeFailed;
      if (!alloc(uint32_t(size), block, nullptr)) return kFileNoMemory;
      if (file.ReadAt(0, block->pointer, size_t(size)) != size) {
        free(block);
        return kFileReadFailed;
      }
      if (resolvedName) *resolvedName = path;
      return kFileOk;
    };
    bool refused = false;
    int result = Allowed(full, refused) ? tryLoose(full) : -1;
    if (result >= 0) return result;
    std::vector<std::string> joined;
    if (kind == 2) {
      for (const std::string& folder : searchFolders_) {
        std::string path;
        if (MakeFullPath(path, name, folder) == 0) continue;
        result = Allowed(path, refused) ? tryLoose(path) : -1;
        if (result >= 0) return result;
        joined.push_back(std::move(path));
      }
    }
    auto tryMount = [&](const MountRecord& mount, std::string_view member) {
      if (mount.archive->LoadMember(member, alloc, block, nullptr, nullptr) == 0) return true;
      free(block);
      return false;
    };
    joined.insert(joined.begin(), std::move(full));
    for (std::string& path : joined) {
      cp932::ToLowerAscii(path.data(), path.size());
      if (SearchMounts(path, tryMount)) {
        if (resolvedName) *resolvedName = path;
        return kFileOk;
      }
    }
    return refused ? kFileBadPath : kFileNotFound;
  } catch (...) {
    return kFileInternalFailure;
  }
}

Stream* ArchiveManager::OpenStream(std::string_view name, std::string* resolvedName, int* error, bool loadWhole) {
  int scratch = 0;
  if (!error) error = &scratch;
  try {
    std::string full;
    const int kind = MakeFullPath(full, name);
    if (kind == 0) {
      *error = kFileBadPath;
      return nullptr;
    }
    Stream* result = nullptr;
    auto tryLoose = [&](const std::string& path) -> bool {
      platform::File file = OpenForRead(path);
      if (!file.IsOpen()) return false;
      auto* stream = new (std::nothrow) FileStream();
      if (!stream) {
        *error = kFileNoMemory;
        return true;
      }
      // A file whose size cannot be read or held in 32 bits is refused, as
      // LoadFile refuses it, rather than handed out as an empty stream.
      if (stream->Attach(std::move(file)) != 0) {
        stream->Release();
        *error = kFileSizeFailed;
        return true;
      }
      result = stream;
      if (resolvedName) *resolvedName = path;
      *error = kFileOk;
      return true;
    };
    bool refused = false;
    if (Allowed(full, refused) && tryLoose(full)) return result;
    std::vector<std::string> joined;
    if (kind == 2) {
      for (const std::string& folder : searchFolders_) {
        std::string path;
        if (MakeFullPath(path, name, folder) == 0) continue;
        if (Allowed(path, refused) && tryLoose(path)) return result;
        joined.push_back(std::move(path));
      }
    }
    auto tryMount = [&](const MountRecord& mount, std::string_view member) {
      int code = 0;
      if (Stream* stream = mount.archive->OpenMemberStream(member, &code)) {
        result = stream;
        return true;
      }
      if (code != -3 || !loadWhole) return false;
      MemoryBlock block;
      if (mount.archive->LoadMember(member, ArchiveManagerAlloc, &block, nullptr, nullptr) != 0) {
        ArchiveManagerFree(&block);
        return false;
      }
      auto* stream = new (std::nothrow) MemoryStream();
      if (!stream) {
        ArchiveManagerFree(&block);
        return false;
      }
      stream->Attach(block.pointer, block.size);
      result = stream;
      return true;
    };
    joined.insert(joined.begin(), std::move(full));
    for (std::string& path : joined) {
      cp932::ToLowerAscii(path.data(), path.size());
      if (SearchMounts(path, tryMount)) {
        if (resolvedName) *resolvedName = path;
        *error = kFileOk;
        return result;
      }
    }
    *error = refused ? kFileBadPath : kFileNotFound;
    return nullptr;
  } catch (...) {
    *error = kFileInternalFailure;
    return nullptr;
  }
}

int ArchiveManager::AddSearchFolder(std::string_view path, bool atEnd) {
  auto folder = NormalizeFolder(path);
  if (!folder) return 1;
  try {
    if (atEnd) {
      searchFolders_.push_back(std::move(*folder));
    } else {
      searchFolders_.insert(searchFolders_.begin(), std::move(*folder));
    }
  } catch (const std::bad_alloc&) {
    return 2;
  }
  return 0;
}

int ArchiveManager::RemoveSearchFolder(std::optional<std::string_view> path, int32_t position) {
  if (path) {
    const auto folder = NormalizeFolder(*path);
    if (!folder) return 1;
    const auto it = std::find(searchFolders_.begin(), searchFolders_.end(), *folder);
    if (it == searchFolders_.end()) return -1;
    searchFolders_.erase(it);
    return 0;
  }
  if (searchFolders_.empty()) return -1;
  const size_t index = position < 0 ? searchFolders_.size() - 1 : size_t(position);
  if (index >= searchFolders_.size()) return -1;
  searchFolders_.erase(searchFolders_.begin() + std::ptrdiff_t(index));
  return 0;
}

const std::string* ArchiveManager::GetSearchFolder(int32_t position) const {
  if (searchFolders_.empty()) return nullptr;
  const size_t index = position < 0 ? searchFolders_.size() - 1 : size_t(position);
  return index < searchFolders_.size() ? &searchFolders_[index] : nullptr;
}

int ArchiveManager::FindFile(std::string* fullPath, std::string_view name, platform::FileInfo* findData) const {
  std::string full;
  const int kind = MakeFullPath(full, name);
  if (kind == 0) return 1;
  if (fullPath) *fullPath = full;
  bool refused = false;
  if (Allowed(full, refused) && IsLooseFile(full, findData)) return 0;
  if (kind == 1) return refused ? 1 : 2;
  for (const std::string& folder : searchFolders_) {
    std::string path;
    if (MakeFullPath(path, name, folder) == 0) continue;
    if (fullPath) *fullPath = path;
    if (Allowed(path, refused) && IsLooseFile(path, findData)) return 0;
  }
  return refused ? 1 : 3;
}

int ArchiveManager::OpenLooseFile(platform::File* file, std::string_view name, bool, std::string* fullPath) const {
  if (!file) return 1;
  std::string full;
  const int kind = MakeFullPath(full, name);
  if (kind == 0) return 1;
  if (fullPath) *fullPath = full;
  bool refused = false;
  if (Allowed(full, refused)) {
    *file = OpenForRead(full);
    if (file->IsOpen()) return 0;
  }
  if (kind == 1) return 1;
  for (const std::string& folder : searchFolders_) {
    std::string path;
    if (MakeFullPath(path, name, folder) == 0) continue;
    if (fullPath) *fullPath = path;
    if (!Allowed(path, refused)) continue;
    *file = OpenForRead(path);
    if (file->IsOpen()) return 0;
  }
  return refused ? 1 : 2;
}

int ArchiveManager::FindFileOrMember(std::string* fullPath, std::string_view name,
                                     platform::FileInfo* findData) const {
  const int found = FindFile(fullPath, name, findData);
  if (found == 0) return 0;
  std::string full;
  const int kind = MakeFullPath(full, name);
  if (kind == 0) return 1;
  // A loose file the guard refused leaves the archives to look in.
  if (HasMember(full)) return -1;
  if (kind == 2) {
    for (const std::string& folder : searchFolders_) {
      std::string path;
      if (MakeFullPath(path, name, folder) != 0 && HasMember(path)) return -1;
    }
  }
  return found == 1 ? 1 : 2;
}

bool ArchiveManager::HasMember(std::string_view path) const {
  std::string lower = cp932::ToLower(path);
  return SearchMounts(lower, [](const MountRecord& mount, std::string_view member) {
    return mount.archive->HasMember(member);
  });
}

int ArchiveManager::Mount(std::string_view path, int32_t id, bool asFolder, bool atEnd, Archive** archiveOut) {
  std::string full;
  if (FindFile(&full, path, nullptr) != 0) return 5;
  platform::File file = OpenForRead(full);
  if (!file.IsOpen()) return 3;
  Archive* archive = nullptr;
  int error = 0;
  ArchiveDecoder* byExtension = FindDecoderByExtension(full);
  if (byExtension) archive = byExtension->Open(full, file, &error);
  for (size_t i = 0; !archive && i < decoders_.size(); ++i) {
    if (decoders_[i].decoder.get() == byExtension) continue;
    archive = decoders_[i].decoder->Open(full, file, &error);
  }
  if (!archive) return 1;
  MountRecord record;
  record.archive.reset(archive);
  record.id = id;
  record.prefix = full;
  if (asFolder) {
    RemoveFileExtension(record.prefix, nullptr);
    if (!AppendSeparator(record.prefix)) return 5;
  } else {
    CutFileName(record.prefix, nullptr);
  }
  cp932::ToLowerAscii(record.prefix.data(), record.prefix.size());
  try {
    InsertMount(std::move(record), atEnd);
  } catch (const std::bad_alloc&) {
    return 8;
  }
  if (archiveOut) *archiveOut = archive;
  return 0;
}

void ArchiveManager::InsertMount(MountRecord record, bool atEnd) {
  for (size_t i = 0; i < mounts_.size();) {
    MountRecord& head = mounts_[i];
    size_t last = i;
    if (head.groupLength > 0) {
      while (last + 1 < mounts_.size() && mounts_[last].groupLength != -1) ++last;
    }
    const size_t shared = SharedLength(head.prefix, record.prefix);
    if (shared == 0) {
      i = last + 1;
      continue;
    }
    if (head.groupLength == 0) {
      if (!atEnd) {
        record.groupLength = int32_t(shared);
        head.groupLength = -1;
        mounts_.insert(mounts_.begin() + std::ptrdiff_t(i), std::move(record));
      } else {
        head.groupLength = int32_t(shared);
        record.groupLength = -1;
        mounts_.insert(mounts_.begin() + std::ptrdiff_t(i + 1), std::move(record));
      }
      return;
    }
    const int32_t length = std::min(head.groupLength, int32_t(shared));
    if (!atEnd) {
      record.groupLength = length;
      head.groupLength = 0;
      mounts_.insert(mounts_.begin() + std::ptrdiff_t(i), std::move(record));
    } else {
      head.groupLength = length;
      mounts_[last].groupLength = 0;
      record.groupLength = -1;
      mounts_.insert(mounts_.begin() + std::ptrdiff_t(last + 1), std::move(record));
    }
    return;
  }
  record.groupLength = 0;
  if (atEnd) {
    mounts_.push_back(std::move(record));
  } else {
    mounts_.insert(mounts_.begin(), std::move(record));
  }
}

void ArchiveManager::RemoveMountAt(size_t index) {
  const int32_t length = mounts_[index].groupLength;
  if (length > 0 && index + 1 < mounts_.size()) {
    MountRecord& next = mounts_[index + 1];
    next.groupLength = next.groupLength == -1 ? 0 : length;
  } else if (length == -1 && index > 0) {
    MountRecord& previous = mounts_[index - 1];
    previous.groupLength = previous.groupLength > 0 ? 0 : -1;
  }
  mounts_.erase(mounts_.begin() + std::ptrdiff_t(index));
}

int ArchiveManager::Unmount(std::optional<std::string_view> path, int32_t id, int32_t position) {
  if (path) {
    const auto prefix = NormalizeFolder(*path);
    if (!prefix) return -1;
    bool removed = false;
    for (size_t i = mounts_.size(); i-- > 0;) {
      if (mounts_[i].prefix == *prefix) {
        RemoveMountAt(i);
        removed = true;
      }
    }
    return removed ? 0 : -1;
  }
  if (mounts_.empty()) return -1;
  size_t index;
  if (id == kNoMountId) {
    index = position < 0 ? mounts_.size() - 1 : size_t(position);
  } else {
    index = mounts_.size();
    for (size_t i = 0; i < mounts_.size(); ++i) {
      if (mounts_[i].id == id) {
        index = i;
        break;
      }
    }
  }
  if (index >= mounts_.size()) return -1;
  RemoveMountAt(index);
  return 0;
}

int ArchiveManager::MountIndex(int32_t id, int32_t position, bool byPositionWhenMinusOne) const {
  if (mounts_.empty()) return -1;
  if (byPositionWhenMinusOne && id == -1) {
    const size_t index = position < 0 ? mounts_.size() - 1 : size_t(position);
    return index < mounts_.size() ? int(index) : -1;
  }
  for (size_t i = 0; i < mounts_.size(); ++i) {
    if (mounts_[i].id == id) return int(i);
  }
  return -1;
}

const std::string* ArchiveManager::GetMountPrefix(int32_t id, int32_t position) const {
  const int index = MountIndex(id, position, true);
  return index < 0 ? nullptr : &mounts_[size_t(index)].prefix;
}

Archive* ArchiveManager::GetMountArchive(int32_t id, int32_t position) const {
  const int index = MountIndex(id, position, true);
  return index < 0 ? nullptr : mounts_[size_t(index)].archive.get();
}

int ArchiveManager::OpenMember(int32_t id, int32_t position, std::string_view memberName, BlockAlloc alloc,
                               BlockFree free, MemoryBlock* block, std::string* resolvedName) {
  const int index = MountIndex(id, position, false);
  if (index < 0 || !mounts_[size_t(index)].archive) return 3;
  const MountRecord& mount = mounts_[size_t(index)];
  const int code = position == -1 ? mount.archive->LoadMember(memberName, alloc, block, nullptr, nullptr)
                                  : mount.archive->LoadMemberByIndex(uint32_t(position), alloc, block, nullptr, nullptr);
  if (code != 0) {
    if (free) free(block);
    return code;
  }
  if (resolvedName) {
    if (position == -1) {
      *resolvedName = mount.prefix + std::string(memberName);
    } else {
      char text[16];
      std::snprintf(text, sizeof text, "%06d.DAT", int(position));
      *resolvedName = mount.prefix + text;
    }
  }
  return 0;
}

void ArchiveManager::RemoveDecoders(int32_t type) {
  std::erase_if(decoders_, [type](const ArchiveDecoderRecord& record) { return record.type == type; });
}

int ArchiveManager::RegisterDecoder(std::unique_ptr<ArchiveDecoder> decoder, std::vector<std::string> extensions,
                                    std::string typeString, int32_t type, AdlAssistFunc assist,
                                    AdlAssistFunc2 assist2, AdlConfigDlg configDialog) {
  if (!decoder) return 1;
  ArchiveDecoderRecord record;
  record.type = type;
  record.typeString = std::move(typeString);
  for (std::string& extension : extensions) record.extensions.push_back(cp932::ToUpper(extension));
  record.decoder = std::move(decoder);
  record.assist = assist;
  record.assist2 = assist2;
  record.configDialog = configDialog;
  decoders_.push_back(std::move(record));
  return 0;
}

void ArchiveManager::RegisterLpkDecoder() {
  RegisterDecoder(std::make_unique<LpkDecoder>(), {kLpkExtension}, kLpkTypeString, kLpkDecoderType,
                  LpkAssist, LpkAssist2, nullptr);
}

int ArchiveManager::LoadPlugin(std::string_view path) {
  ArchiveDecoderRecord record;
  if (const int code = LoadAdlPlugin(path, &record); code != kAdlOk) return code;
  try {
    decoders_.push_back(std::move(record));
  } catch (const std::bad_alloc&) {
    return kAdlOtherFailure;
  }
  return kAdlOk;
}

int ArchiveManager::LoadPlugins(std::string_view folder) {
  const auto absolute = NormalizeFolder(folder);
  if (!absolute) return -1;
  std::string full;
  MakeFullPath(full, folder);
  AppendSeparator(full);
  const auto files = platform::ScanFolder(full, "*.ADL");
  if (!files) return 0;
  int failures = 0;
  for (const platform::FileInfo& info : *files) {
    if (info.isFolder) continue;
    if (LoadPlugin(full + info.name) != kAdlOk) ++failures;
  }
  return failures;
}

ArchiveDecoder* ArchiveManager::FindDecoderByExtension(std::string_view path) const {
  const std::string extension = cp932::ToUpper(GetFileExtension(path));
  for (const ArchiveDecoderRecord& record : decoders_) {
    for (const std::string& candidate : record.extensions) {
      if (candidate == extension) return record.decoder.get();
    }
  }
  return nullptr;
}

AdlAssistFunc2 ArchiveManager::FindAssistFunc2(int32_t type) const {
  for (const ArchiveDecoderRecord& record : decoders_) {
    if (record.type == type) return record.assist2;
  }
  return nullptr;
}

int ArchiveManager::PassDecoderSettings(int32_t type, const int32_t* arguments, uint32_t count) const {
  const AdlAssistFunc2 assist2 = FindAssistFunc2(type);
  if (!assist2) return -2;
  return assist2(arguments, count);
}

}  // namespace orrivel
