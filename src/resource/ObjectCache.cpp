#include "resource/ObjectCache.h"

#include <algorithm>

#include "resource/DecodedPicture.h"

namespace orrivel {

ObjectCache::~ObjectCache() {
  // Released here, while this class's accounting still runs.
  Clear();
}

int ObjectCache::Add(std::string_view key, DecodedPicture* picture) {
  if (Insert(key, Hash(key), picture) != 0) return -1;
  picture->AddHolder();
  totalBytes_ += picture->TotalBytes();
  Evict(std::max(picture->TotalBytes(), limitBytes_));
  return 0;
}

DecodedPicture* ObjectCache::Lookup(std::string_view key) {
  Node* node = Find(key, Hash(key));
  if (!node) return nullptr;
  MakeNewest(node);
  return node->value;
}

void ObjectCache::Evict(std::uint64_t threshold) {
  while (totalBytes_ > threshold && Oldest()) Remove(Oldest());
}

void ObjectCache::ReleaseNode(Node* node) {
  if (node->value) {
    const std::uint64_t bytes = node->value->TotalBytes();
    totalBytes_ = bytes < totalBytes_ ? totalBytes_ - bytes : 0;
  }
  HashBucketTable::ReleaseNode(node);
}

}  // namespace orrivel
