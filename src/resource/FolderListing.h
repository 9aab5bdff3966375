#pragma once
// Lists the files (and, if asked, the folders) of a folder tree with their
// sizes, attributes and local last-write times, in the order the system
// reports them; when recursing, each folder's sub-folders come before its
// own files.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "resource/FolderEntry.h"

namespace orrivel {

enum FolderListingMode : int32_t {
  kListFiles = 0,
  kListFoldersAndFiles = 1,
  kListFolders = 2,
};

class FolderListing {
 public:
  static constexpr std::string_view kDefaultPattern = "*.*";

  FolderListing() = default;
  FolderListing(const FolderListing&) = delete;
  FolderListing& operator=(const FolderListing&) = delete;
  ~FolderListing() { Clear(); }

  // Lists the tree under folder (made absolute against the base folder;
  // the base folder itself without one). Files match the pattern ("*.*"
  // without one); folders are always walked whole. The number of entries,
  // 0 when the folder cannot be made absolute.
  uint32_t Scan(std::optional<std::string_view> folder, std::optional<std::string_view> pattern, int32_t mode,
                bool recurse);
  void Clear() { entries_.clear(); }

  uint32_t Count() const { return uint32_t(entries_.size()); }
  const std::vector<FolderEntry>& Entries() const { return entries_; }
  const FolderEntry* Entry(uint32_t index) const { return index < entries_.size() ? &entries_[index] : nullptr; }

 private:
  void ScanFolder(const std::string& root, const std::string& relative, std::string_view pattern, int32_t mode,
                  bool recurse);

  std::vector<FolderEntry> entries_;
};

}  // namespace orrivel
