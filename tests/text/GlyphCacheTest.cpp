// The glyph cache: buckets, the least-recently-used order and ownership.
#include "text/GlyphCache.h"

#include <gtest/gtest.h>

#include "text/GlyphKey.h"

namespace orrivel {
namespace {

Glyph* NewGlyph(int32_t tag) {
  auto* g = new Glyph;
  g->advanceX = tag;
  return g;
}

uint8_t BucketOf(uint32_t key) { return GlyphBucket(uint16_t(key), (key >> 16) & 0x1FFF, false, false, false); }

TEST(GlyphCacheTest, KeysAndBucketsFollowTheirLayout) {
  EXPECT_EQ(MakeGlyphKey(0x82A0, 16, false, false, false), 0x001082A0u);
  EXPECT_EQ(MakeGlyphKey(0x41, 24, true, true, true), 0xE0180041u);
  EXPECT_NE(MakeGlyphKey('A', 16, false, false, false), MakeGlyphKey('A', 16 + 1024, false, false, false))
      << "heights past 1023 keep keys of their own";
  EXPECT_EQ(GlyphBucket(0x82A0, 16, false, false, false), uint8_t(0x82 ^ 0xA0 ^ 16));
  EXPECT_EQ(GlyphBucket(0x41, 0x118, true, true, true), uint8_t(((8 ^ 1) * 16) ^ 1 ^ 0x41 ^ 0x01 ^ 0x18));
}

TEST(GlyphCacheTest, TheEntryPastCapacityEvictsTheLeastRecentlyUsed) {
  GlyphCache cache(512);
  for (uint32_t i = 0; i < 512; ++i) cache.Insert(0x100000 | i, BucketOf(0x100000 | i), NewGlyph(int32_t(i)));
  EXPECT_EQ(cache.Count(), 512u);
  EXPECT_EQ(cache.Tail()->key, 0x100000u);
  // A hit on the oldest moves it to the head; the next oldest goes instead.
  Glyph* hit = cache.Find(0x100000, BucketOf(0x100000));
  ASSERT_NE(hit, nullptr);
  EXPECT_EQ(hit->advanceX, 0);
  EXPECT_EQ(cache.Head()->key, 0x100000u);
  cache.Insert(0x100000 | 600, BucketOf(0x100000 | 600), NewGlyph(600));
  EXPECT_EQ(cache.Count(), 512u);
  EXPECT_EQ(cache.Find(0x100001, BucketOf(0x100001)), nullptr);
  EXPECT_NE(cache.Find(0x100000, BucketOf(0x100000)), nullptr);
  EXPECT_NE(cache.Find(0x100000 | 600, BucketOf(0x100000 | 600)), nullptr);
}

TEST(GlyphCacheTest, ChainsHoldManyKeysOfOneBucket) {
  GlyphCache cache(8);
  for (uint32_t i = 0; i < 6; ++i) cache.Insert(i, 7, NewGlyph(int32_t(i)));
  for (uint32_t i = 0; i < 6; ++i) {
    Glyph* g = cache.Find(i, 7);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->advanceX, int32_t(i));
  }
  EXPECT_EQ(cache.Find(3, 8), nullptr) << "the bucket is part of the match";
  cache.Trim(2);
  EXPECT_EQ(cache.Count(), 4u);
  EXPECT_EQ(cache.Find(0, 7), nullptr);
  EXPECT_EQ(cache.Find(1, 7), nullptr);
  cache.Clear();
  EXPECT_EQ(cache.Count(), 0u);
  EXPECT_EQ(cache.Head(), nullptr);
  EXPECT_EQ(cache.Find(4, 7), nullptr);
  cache.Insert(9, 7, NewGlyph(9));
  EXPECT_EQ(cache.Find(9, 7)->advanceX, 9);
}

// A key already held keeps its glyph; the one just made is let go, not
// leaked (the leak checker watches this test).
TEST(GlyphCacheTest, InsertingAHeldKeyReleasesTheNewGlyph) {
  GlyphCache cache(4);
  Glyph* first = NewGlyph(1);
  EXPECT_EQ(cache.Insert(5, 5, first), first);
  cache.Insert(6, 6, NewGlyph(2));
  EXPECT_EQ(cache.Insert(5, 5, NewGlyph(3)), first);
  EXPECT_EQ(cache.Count(), 2u);
  EXPECT_EQ(cache.Head()->key, 5u);
}

TEST(GlyphCacheTest, CapacityZeroKeepsNothing) {
  GlyphCache cache(0);
  Glyph* g = NewGlyph(1);
  EXPECT_EQ(cache.Insert(1, 1, g), nullptr);
  EXPECT_EQ(cache.Count(), 0u);
  ReleaseGlyph(g);  // the caller still owns it
}

TEST(GlyphCacheTest, SharedGlyphsCountDownBeforeTheyAreFreed) {
  Glyph* g = NewGlyph(1);
  g->shareCount = 1;
  {
    GlyphCache cache(2);
    cache.Insert(1, 1, g);
  }
  EXPECT_EQ(g->shareCount, 0);
  ReleaseGlyph(g);
}

TEST(GlyphCacheTest, LoweringTheCapacityTrimsAtOnce) {
  GlyphCache cache(10);
  for (uint32_t i = 0; i < 10; ++i) cache.Insert(i, uint8_t(i), NewGlyph(int32_t(i)));
  cache.SetCapacity(3);
  EXPECT_EQ(cache.Count(), 3u);
  EXPECT_NE(cache.Find(9, 9), nullptr);
  EXPECT_EQ(cache.Find(6, 6), nullptr);
}

}  // namespace
}  // namespace orrivel
