#include "text/GlyphCache.h"

namespace orrivel {

void ReleaseGlyph(Glyph* glyph) {
  if (!glyph) return;
  if (glyph->shareCount > 0) {
    --glyph->shareCount;
  } else {
    delete glyph;
  }
}

GlyphCache::GlyphCache(uint32_t capacity) : capacity_(capacity) {
  for (int i = 0; i < kBuckets; ++i) buckets_[i].bucket = uint32_t(i);
}

GlyphCache::~GlyphCache() { Clear(); }

void GlyphCache::Fill(Entry* entry, uint32_t key, Glyph* glyph) {
  entry->key = key;
  entry->glyph = glyph;
  entry->flags |= kInUse;
}

void GlyphCache::Release(Entry* entry) {
  ReleaseGlyph(entry->glyph);
  entry->glyph = nullptr;
  entry->flags &= ~kInUse;
}

GlyphCache::Entry* GlyphCache::Lookup(uint32_t key, uint8_t bucket) {
  for (Entry* e = &buckets_[bucket]; e; e = e->chainNext) {
    if ((e->flags & kInUse) && e->bucket == bucket && e->key == key) return e;
  }
  return nullptr;
}

void GlyphCache::LinkHead(Entry* entry) {
  entry->lruPrev = nullptr;
  entry->lruNext = lruHead_;
  if (lruHead_) lruHead_->lruPrev = entry;
  lruHead_ = entry;
  if (!lruTail_) lruTail_ = entry;
}

void GlyphCache::Unlink(Entry* entry) {
  if (entry->lruPrev) entry->lruPrev->lruNext = entry->lruNext;
  else lruHead_ = entry->lruNext;
  if (entry->lruNext) entry->lruNext->lruPrev = entry->lruPrev;
  else lruTail_ = entry->lruPrev;
  entry->lruPrev = entry->lruNext = nullptr;
}

Glyph* GlyphCache::Find(uint32_t key, uint8_t bucket) {
  Entry* e = Lookup(key, bucket);
  if (!e) return nullptr;
  if (e != lruHead_) {
    Unlink(e);
    LinkHead(e);
  }
  return e->glyph;
}

Glyph* GlyphCache::Insert(uint32_t key, uint8_t bucket, Glyph* glyph) {
  if (capacity_ == 0) return nullptr;
  if (Entry* held = Lookup(key, bucket)) {
    // The key is already held: keep that glyph and let go of the new one,
    // which no one else owns.
    if (held->glyph != glyph) ReleaseGlyph(glyph);
    Unlink(held);
    LinkHead(held);
    return held->glyph;
  }
  Entry* own = &buckets_[bucket];
  Entry* entry = own;
  if (own->flags & kInUse) {
    entry = new Entry;
    entry->flags = 0;
    entry->bucket = bucket;
    entry->chainPrev = own;
    entry->chainNext = own->chainNext;
    if (own->chainNext) own->chainNext->chainPrev = entry;
    own->chainNext = entry;
  }
  Fill(entry, key, glyph);
  LinkHead(entry);
  ++count_;
  while (count_ > capacity_ && lruTail_) EvictTail();
  return glyph;
}

void GlyphCache::EvictTail() {
  Entry* tail = lruTail_;
  Unlink(tail);
  Release(tail);
  --count_;
  if (tail->flags & kInline) return;
  if (tail->chainPrev) tail->chainPrev->chainNext = tail->chainNext;
  if (tail->chainNext) tail->chainNext->chainPrev = tail->chainPrev;
  delete tail;
}

void GlyphCache::Trim(uint32_t n) {
  while (n-- > 0 && lruTail_) EvictTail();
}

void GlyphCache::SetCapacity(uint32_t capacity) {
  capacity_ = capacity;
  while (count_ > capacity_ && lruTail_) EvictTail();
}

void GlyphCache::Clear() {
  for (Entry& own : buckets_) {
    Entry* e = own.chainNext;
    while (e) {
      Entry* next = e->chainNext;
      if (e->flags & kInUse) Release(e);
      delete e;
      e = next;
    }
    if (own.flags & kInUse) Release(&own);
    own.flags = kInline;
    own.chainNext = own.chainPrev = nullptr;
    own.lruNext = own.lruPrev = nullptr;
  }
  lruHead_ = lruTail_ = nullptr;
  count_ = 0;
}

}  // namespace orrivel
