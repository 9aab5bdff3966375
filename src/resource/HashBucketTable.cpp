#include "resource/HashBucketTable.h"

#include "resource/DecodedPicture.h"

namespace orrivel {

HashBucketTable::HashBucketTable() = default;

HashBucketTable::~HashBucketTable() {
  Clear();
  // Chained nodes are freed as they are removed; the bucket nodes are
  // members.
}

std::uint32_t HashBucketTable::Hash(std::string_view key) {
  std::uint32_t h = 0;
  for (char c : key) {
    h += std::uint32_t(std::int32_t(static_cast<signed char>(c)));
    h += h << 10;
    h ^= h >> 6;
  }
  h += h << 3;
  h ^= h >> 11;
  h += h << 15;
  return h == 0 ? 0xFFFFFFFFu : h;
}

std::uint32_t HashBucketTable::Hash(const char* key) {
  return key ? Hash(std::string_view(key)) : 0;
}

HashBucketTable::Node* HashBucketTable::Find(std::string_view name, std::uint32_t hash) {
  for (Node* n = &buckets_[hash % kBucketCount]; n; n = n->chainNext) {
    if ((n->flags & kInUse) && n->hash == hash && n->name == name) return n;
  }
  return nullptr;
}

int HashBucketTable::Insert(std::string_view name, std::uint32_t hash, DecodedPicture* value,
                            Node** out) {
  if (Node* found = Find(name, hash)) {
    MakeNewest(found);
    if (out) *out = found;
    return -1;
  }
  Node* bucket = &buckets_[hash % kBucketCount];
  Node* node = bucket;
  if (bucket->flags & kInUse) {
    node = new Node();
    node->flags = 0;
    node->chainPrev = bucket;
    node->chainNext = bucket->chainNext;
    if (bucket->chainNext) bucket->chainNext->chainPrev = node;
    bucket->chainNext = node;
  }
  node->hash = hash;
  InitNode(node, name, value);
  LinkNewest(node);
  ++count_;
  if (out) *out = node;
  return 0;
}

void HashBucketTable::MakeNewest(Node* node) {
  if (newest_ == node) return;
  Unlink(node);
  LinkNewest(node);
}

void HashBucketTable::Remove(Node* node) {
  Unlink(node);
  --count_;
  ReleaseNode(node);
  if (!(node->flags & kBucketNode)) {
    if (node->chainPrev) node->chainPrev->chainNext = node->chainNext;
    if (node->chainNext) node->chainNext->chainPrev = node->chainPrev;
    delete node;
  } else {
    node->hash = 0;
  }
}

void HashBucketTable::Clear() {
  while (oldest_) Remove(oldest_);
}

void HashBucketTable::InitNode(Node* node, std::string_view name, DecodedPicture* value) {
  node->name.assign(name);
  node->value = value;
  node->flags |= kInUse;
}

void HashBucketTable::ReleaseNode(Node* node) {
  node->name.clear();
  node->name.shrink_to_fit();
  DecodedPicture::Release(node->value);
  node->value = nullptr;
  node->flags &= ~kInUse;
}

void HashBucketTable::LinkNewest(Node* node) {
  node->newer = nullptr;
  node->older = newest_;
  if (newest_) newest_->newer = node;
  newest_ = node;
  if (!oldest_) oldest_ = node;
}

void HashBucketTable::Unlink(Node* node) {
  if (node->newer) {
    node->newer->older = node->older;
  } else {
    newest_ = node->older;
  }
  if (node->older) {
    node->older->newer = node->newer;
  } else {
    oldest_ = node->newer;
  }
  node->newer = node->older = nullptr;
}

}  // namespace orrivel
