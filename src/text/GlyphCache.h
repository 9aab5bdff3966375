#pragma once
// Rendered glyphs by key: 256 buckets, each with an entry of its own and a
// chain of further entries made on demand, one least-recently-used list
// across all of them and a fixed capacity. The cache owns the glyphs it
// holds.
#include <cstdint>

#include "text/Glyph.h"

namespace orrivel {

class GlyphCache {
 public:
  static constexpr int kBuckets = 256;
  static constexpr uint32_t kInUse = 1;
  static constexpr uint32_t kInline = 2;  // a bucket's own entry, never freed

  struct Entry {
    uint32_t bucket = 0;
    uint32_t flags = kInline;
    uint32_t key = 0;
    Glyph* glyph = nullptr;
    Entry* chainPrev = nullptr;
    Entry* chainNext = nullptr;
    Entry* lruPrev = nullptr;
    Entry* lruNext = nullptr;
  };

  explicit GlyphCache(uint32_t capacity = 0);
  virtual ~GlyphCache();
  GlyphCache(const GlyphCache&) = delete;
  GlyphCache& operator=(const GlyphCache&) = delete;

  // Stores key and glyph in an entry and marks it in use.
  virtual void Fill(Entry* entry, uint32_t key, Glyph* glyph);
  // Releases the entry's glyph and marks it free.
  virtual void Release(Entry* entry);

  // The glyph of key, moved to the head of the list; null on a miss.
  Glyph* Find(uint32_t key, uint8_t bucket);
  // Adds a glyph just rendered and evicts down to the capacity. When the key
  // is already held the held glyph stays, moves to the head and the new one
  // is released. Returns the glyph the cache now holds for the key (null
  // when the capacity is 0: the caller keeps its glyph).
  Glyph* Insert(uint32_t key, uint8_t bucket, Glyph* glyph);
  // Evicts n entries from the tail.
  void Trim(uint32_t n);
  // Releases every glyph and entry.
  void Clear();

  uint32_t Count() const { return count_; }
  uint32_t Capacity() const { return capacity_; }
  // A new capacity trims the cache to it at once.
  void SetCapacity(uint32_t capacity);
  const Entry* Head() const { return lruHead_; }
  const Entry* Tail() const { return lruTail_; }

 private:
  Entry* Lookup(uint32_t key, uint8_t bucket);
  void LinkHead(Entry* entry);
  void Unlink(Entry* entry);
  void EvictTail();

  Entry buckets_[kBuckets];
  Entry* lruHead_ = nullptr;
  Entry* lruTail_ = nullptr;
  uint32_t count_ = 0;
  uint32_t capacity_ = 0;
};

}  // namespace orrivel
