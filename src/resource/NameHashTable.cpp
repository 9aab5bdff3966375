#include "resource/NameHashTable.h"

#include "resource/SusieName.h"

namespace orrivel {

bool NameHashTable::Insert(std::string_view name, const ArchiveEntryRecord& value) {
  const std::uint32_t hash = SusieNameHash(name);
  std::vector<std::uint32_t>& bucket = buckets_[hash % kBucketCount];
  for (const std::uint32_t index : bucket) {
    const Entry& entry = entries_[index];
    if (entry.hash == hash && SusieNamesEqual(entry.name, name)) return false;
  }
  entries_.push_back(Entry{hash, std::string(name), value});
  bucket.push_back(std::uint32_t(entries_.size() - 1));
  return true;
}

const NameHashTable::Entry* NameHashTable::Find(std::string_view name) const {
  const std::uint32_t hash = SusieNameHash(name);
  for (const std::uint32_t index : buckets_[hash % kBucketCount]) {
    const Entry& entry = entries_[index];
    if (entry.hash == hash && SusieNamesEqual(entry.name, name)) return &entry;
  }
  return nullptr;
}

}  // namespace orrivel
