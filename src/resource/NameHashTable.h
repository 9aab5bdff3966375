#pragma once
// The member table of an archive opened through a Susie-style plug-in:
// 64 buckets chosen by the low six bits of the member-name hash, each
// entry holding the full hash, its own copy of the name and the member's
// entry record; names are compared with the Susie foldings, so the
// spellings of one name find one member. Entries also stay in insertion
// order.
#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "resource/Archive.h"

namespace orrivel {

class NameHashTable {
 public:
  struct Entry {
    std::uint32_t hash = 0;
    std::string name;
    ArchiveEntryRecord value;
  };

  static constexpr std::size_t kBucketCount = 64;

  // False when an equal name is already there (the first one stays).
  bool Insert(std::string_view name, const ArchiveEntryRecord& value);
  const Entry* Find(std::string_view name) const;
  std::size_t Count() const { return entries_.size(); }
  // In insertion order; addresses stay valid while the table lives.
  const std::deque<Entry>& Entries() const { return entries_; }

 private:
  std::deque<Entry> entries_;
  std::array<std::vector<std::uint32_t>, kBucketCount> buckets_;
};

}  // namespace orrivel
