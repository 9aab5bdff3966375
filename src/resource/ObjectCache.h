#pragma once
// The image cache: a HashBucketTable that counts the bytes of the pictures
// it holds against a limit and drops the least recently used ones. Sizes are
// 64-bit. A limit of 0 means the cache is off.
#include <cstdint>
#include <string_view>

#include "resource/HashBucketTable.h"

namespace orrivel {

class ObjectCache : public HashBucketTable {
 public:
  ObjectCache() = default;
  ~ObjectCache() override;

  std::uint64_t LimitBytes() const { return limitBytes_; }
  void SetLimitBytes(std::uint64_t limit) { limitBytes_ = limit; }
  std::uint64_t TotalBytes() const { return totalBytes_; }
  bool Enabled() const { return limitBytes_ != 0; }

  // Stores the picture under `key` (already in key form). 0 stored: the cache
  // takes a holder, counts its bytes and evicts down to max(its size, the
  // limit); -1 already cached under that key (it only becomes the newest).
  int Add(std::string_view key, DecodedPicture* picture);
  // The picture under `key` made the newest, or nullptr; takes no holder.
  DecodedPicture* Lookup(std::string_view key);
  // Drops the oldest entries while the byte total exceeds the threshold.
  void Evict(std::uint64_t threshold);

 protected:
  // Also takes the picture's bytes off the running total.
  void ReleaseNode(Node* node) override;

 private:
  std::uint64_t limitBytes_ = 0;
  std::uint64_t totalBytes_ = 0;
};

}  // namespace orrivel
