#include "resource/ObjectCache.h"

#include <gtest/gtest.h>

#include "resource/DecodedPicture.h"

namespace orrivel {
namespace {

// A picture that tells when it is destroyed.
class WatchedPicture : public DecodedPicture {
 public:
  WatchedPicture(std::uint64_t bytes, bool* destroyed)
      : DecodedPicture(PictureBlock(), PictureBlock(), bytes, 0), destroyed_(destroyed) {}
  ~WatchedPicture() override { *destroyed_ = true; }

 private:
  bool* destroyed_;
};

TEST(ObjectCacheReleaseTest, ThePictureGoesWithTheCacheOnlyWhenNoOneElseHoldsIt) {
  ObjectCache cache;
  cache.SetLimitBytes(100);
  bool oldGone = false, heldGone = false, lastGone = false;
  auto* old = new WatchedPicture(40, &oldGone);
  auto* held = new WatchedPicture(40, &heldGone);
  auto* last = new WatchedPicture(40, &lastGone);
  ASSERT_EQ(cache.Add("old", old), 0);
  DecodedPicture::Release(old);  // only the cache holds it now
  ASSERT_EQ(cache.Add("held", held), 0);
  EXPECT_EQ(cache.TotalBytes(), 80u);

  // 120 bytes over a limit of 100: the oldest node is released, and with it
  // the picture nobody else holds.
  ASSERT_EQ(cache.Add("last", last), 0);
  EXPECT_TRUE(oldGone);
  EXPECT_EQ(cache.Lookup("old"), nullptr);
  EXPECT_EQ(cache.TotalBytes(), 80u);
  EXPECT_EQ(cache.Count(), 2u);

  // Emptying the cache releases every node: the caller's pictures stay, and
  // the byte total returns to zero.
  cache.Clear();
  EXPECT_EQ(cache.TotalBytes(), 0u);
  EXPECT_EQ(cache.Count(), 0u);
  EXPECT_FALSE(heldGone);
  EXPECT_FALSE(lastGone);
  EXPECT_EQ(held->ExtraHolders(), 0u);
  DecodedPicture::Release(held);
  DecodedPicture::Release(last);
  EXPECT_TRUE(heldGone);
  EXPECT_TRUE(lastGone);
}

}  // namespace
}  // namespace orrivel
