#pragma once
// A table of named pictures in 64 hash buckets with a recency list. Every
// bucket has a node of its own plus a chain of further nodes made on demand;
// a hit and a removal of the oldest entry are constant time.
#include <cstdint>
#include <string>
#include <string_view>

namespace orrivel {

class DecodedPicture;

class HashBucketTable {
 public:
  static constexpr std::uint32_t kBucketCount = 64;
  static constexpr std::uint32_t kInUse = 1;      // flags bit 0
  static constexpr std::uint32_t kBucketNode = 2;  // flags bit 1: never freed

  struct Node {
    std::uint32_t hash = 0;
    std::uint32_t flags = kBucketNode;
    std::string name;
    DecodedPicture* value = nullptr;
    Node* chainPrev = nullptr;
    Node* chainNext = nullptr;
    Node* newer = nullptr;
    Node* older = nullptr;
  };

  HashBucketTable();
  HashBucketTable(const HashBucketTable&) = delete;
  HashBucketTable& operator=(const HashBucketTable&) = delete;
  virtual ~HashBucketTable();

  // One-at-a-time hash over the key's bytes taken as signed values; a result
  // of 0 becomes 0xFFFFFFFF, and a missing key (nullptr) hashes to 0.
  static std::uint32_t Hash(std::string_view key);
  static std::uint32_t Hash(const char* key);

  // 0 stored as the newest entry, -1 already present under that name (it
  // only becomes the newest). `node` receives the entry either way.
  int Insert(std::string_view name, std::uint32_t hash, DecodedPicture* value,
             Node** node = nullptr);
  // The entry under the name, or nullptr; recency is left alone.
  Node* Find(std::string_view name, std::uint32_t hash);
  void MakeNewest(Node* node);
  // Takes the entry out of the recency list, releases it and, when it is a
  // chained node, frees it.
  void Remove(Node* node);
  // Removes every entry.
  void Clear();

  Node* Newest() const { return newest_; }
  Node* Oldest() const { return oldest_; }
  std::uint32_t Count() const { return count_; }

 protected:
  // Copies the name, stores the value, marks the node in use.
  virtual void InitNode(Node* node, std::string_view name, DecodedPicture* value);
  // Frees the name, releases the value by the holder rule, clears in use.
  virtual void ReleaseNode(Node* node);

 private:
  void LinkNewest(Node* node);
  void Unlink(Node* node);

  Node buckets_[kBucketCount];
  Node* newest_ = nullptr;
  Node* oldest_ = nullptr;
  std::uint32_t count_ = 0;
};

}  // namespace orrivel
