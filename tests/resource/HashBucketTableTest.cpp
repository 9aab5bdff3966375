#include "resource/HashBucketTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource/DecodedPicture.h"
#include "resource/ObjectCache.h"

namespace orrivel {
namespace {

DecodedPicture* MakePicture(std::uint64_t bytes) {
  return new DecodedPicture(PictureBlock(), PictureBlock(), bytes, 0);
}

TEST(HashBucketTableTest, HashTakesBytesAsSigned) {
  EXPECT_EQ(HashBucketTable::Hash(std::string_view("a")), 0xCA2E9442u);
  // A two-byte character: its lead byte counts as negative.
  EXPECT_EQ(HashBucketTable::Hash(std::string_view("\x83\x41")), 0x29938D83u);
  EXPECT_EQ(HashBucketTable::Hash(std::string_view("")), 0xFFFFFFFFu);  // 0 becomes all ones
  EXPECT_EQ(HashBucketTable::Hash(static_cast<const char*>(nullptr)), 0u);
}

// Names that share one bucket, so that chains are exercised.
std::vector<std::string> SameBucketNames(std::size_t count) {
  std::vector<std::string> names;
  const std::uint32_t bucket = HashBucketTable::Hash(std::string_view("n0")) % HashBucketTable::kBucketCount;
  for (int i = 0; names.size() < count; ++i) {
    std::string name = "n" + std::to_string(i);
    if (HashBucketTable::Hash(std::string_view(name)) % HashBucketTable::kBucketCount == bucket) {
      names.push_back(name);
    }
  }
  return names;
}

TEST(HashBucketTableTest, ChainsAndRecencySurviveRemovalInAnyOrder) {
  const std::vector<std::string> names = SameBucketNames(4);
  HashBucketTable table;
  std::vector<HashBucketTable::Node*> nodes;
  for (const std::string& n : names) {
    HashBucketTable::Node* node = nullptr;
    ASSERT_EQ(table.Insert(n, HashBucketTable::Hash(std::string_view(n)), MakePicture(1), &node), 0);
    nodes.push_back(node);
  }
  EXPECT_NE(nodes[0]->flags & HashBucketTable::kBucketNode, 0u);
  EXPECT_EQ(nodes[1]->flags & HashBucketTable::kBucketNode, 0u);
  EXPECT_EQ(table.Count(), 4u);
  EXPECT_EQ(table.Oldest(), nodes[0]);
  // Present again: only made the newest.
  DecodedPicture* spare = MakePicture(1);
  EXPECT_EQ(table.Insert(names[0], HashBucketTable::Hash(std::string_view(names[0])), spare), -1);
  DecodedPicture::Release(spare);
  EXPECT_EQ(table.Newest(), nodes[0]);
  EXPECT_EQ(table.Oldest(), nodes[1]);

  // The bucket's own node goes first; the chain behind it stays reachable
  // and the free bucket node is used again.
  table.Remove(nodes[0]);
  for (std::size_t i = 1; i < names.size(); ++i) {
    EXPECT_NE(table.Find(names[i], HashBucketTable::Hash(std::string_view(names[i]))), nullptr);
  }
  table.Remove(nodes[2]);  // from the middle of the chain
  EXPECT_EQ(table.Find(names[2], HashBucketTable::Hash(std::string_view(names[2]))), nullptr);
  HashBucketTable::Node* again = nullptr;
  ASSERT_EQ(table.Insert(names[0], HashBucketTable::Hash(std::string_view(names[0])), MakePicture(1), &again), 0);
  EXPECT_NE(again->flags & HashBucketTable::kBucketNode, 0u);
  EXPECT_EQ(table.Count(), 3u);
  // The destructor releases the rest (LeakSanitizer checks).
}

TEST(ObjectCacheTest, ReleasingANodeOnlyDropsTheCachesHolder) {
  ObjectCache cache;
  cache.SetLimitBytes(100);
  DecodedPicture* held = MakePicture(60);
  EXPECT_EQ(cache.Add("held", held), 0);
  EXPECT_EQ(held->ExtraHolders(), 1u);
  DecodedPicture* other = MakePicture(50);
  EXPECT_EQ(cache.Add("other", other), 0);  // 110 > 100: "held" goes
  DecodedPicture::Release(other);           // the cache keeps it
  EXPECT_EQ(cache.Lookup("held"), nullptr);
  EXPECT_EQ(held->ExtraHolders(), 0u);
  EXPECT_EQ(cache.TotalBytes(), 50u);
  DecodedPicture::Release(held);
}

}  // namespace
}  // namespace orrivel
