// Objects lent to the draw-object lists: named by handles while lent,
// never deleted by the lists, and let go of by every borrower when their
// lender takes them back.
#include <gtest/gtest.h>

#include <memory>

#include "display/DrawObjectManager.h"
#include "display/DrawObjectWatcher.h"
#include "raster/Surface.h"
#include "raster/ColorBox.h"

namespace orrivel {
namespace {

// A sprite that shows a picture until told to forget it.
class ShowingSprite : public ColorBox {
 public:
  void ForgetImage(const Image* image) override {
    if (image == source) source = nullptr;
  }
  const Image* GetSource() const { return source; }
  const Image* source = nullptr;
};

// What a control holds: a picture and the sprite that shows it.
struct Lender {
  Lender() {
    EXPECT_EQ(surface.Create(8, 4, 32, 0), 0);
    sprite.source = &surface;
  }
  Surface surface;
  ShowingSprite sprite;
};

class Counting : public DrawObjectWatcher {
 public:
  void ImageDeleting(const Image&) override { ++images; }
  void SpriteDeleting(const Drawable&) override { ++sprites; }
  int images = 0, sprites = 0;
};

// A sprite of the scripts' own that shows the lent picture.
ShowingSprite* ShowInOwnSprite(DrawObjectManager& manager, Surface* picture) {
  auto sprite = std::make_unique<ShowingSprite>();
  sprite->source = picture;
  ShowingSprite* raw = sprite.get();
  EXPECT_NE(manager.AddSprite(std::move(sprite)), 0u);
  return raw;
}

TEST(DrawObjectLoansTest, LentObjectsAreNamedWhileLentAndNeverDeleted) {
  DrawObjectManager manager;
  auto lender = std::make_unique<Lender>();
  const uint32_t image = manager.LendImage(&lender->surface, lender.get());
  const uint32_t sprite = manager.LendSprite(&lender->sprite, lender.get());
  ASSERT_NE(image, 0u);
  ASSERT_NE(sprite, 0u);
  EXPECT_EQ(manager.GetImage(image), &lender->surface);
  EXPECT_EQ(manager.GetSprite(sprite), &lender->sprite);
  EXPECT_TRUE(manager.IsLent(image));
  EXPECT_TRUE(manager.IsLent(sprite));
  // Asked again: the same handle. An object the lists own keeps its own.
  EXPECT_EQ(manager.LendImage(&lender->surface, lender.get()), image);
  const uint32_t owned = manager.AddImage(std::make_unique<Surface>());
  EXPECT_EQ(manager.LendImage(manager.GetImage(owned), lender.get()), owned);
  EXPECT_FALSE(manager.IsLent(owned));
  EXPECT_EQ(manager.LendImage(nullptr, lender.get()), 0u);
  EXPECT_EQ(manager.LendSprite(nullptr, lender.get()), 0u);

  // The scripts dropping the handle: the picture stays its lender's and
  // its own sprite keeps showing it; the scripts' sprite lets go.
  ShowingSprite* shown = ShowInOwnSprite(manager, &lender->surface);
  EXPECT_EQ(manager.RemoveImage(image), 0);
  EXPECT_EQ(manager.GetImage(image), nullptr);
  EXPECT_EQ(lender->sprite.GetSource(), &lender->surface);
  EXPECT_EQ(shown->GetSource(), nullptr);
  uint32_t held = sprite;
  EXPECT_EQ(manager.DeleteSprite(&held), 0);
  EXPECT_EQ(manager.GetSprite(sprite), nullptr);

  // Group and whole deletions only drop the handles too (a deletion of a
  // member object would be a bad free).
  ASSERT_NE(manager.LendImage(&lender->surface, lender.get()), 0u);
  ASSERT_NE(manager.LendSprite(&lender->sprite, lender.get()), 0u);
  manager.DeleteByGroup(0, 1);
  manager.DeleteAll();
  EXPECT_EQ(manager.ImageCount(), 0u);
  EXPECT_EQ(lender->sprite.GetSource(), &lender->surface);
}

TEST(DrawObjectLoansTest, TakingLoansBackMakesTheirHandlesStaleBeforeTheObjectsGo) {
  Lender second;  // outlives the lists it lends to
  DrawObjectManager manager;
  Counting watcher;
  watcher.Watch(&manager);
  auto first = std::make_unique<Lender>();
  const uint32_t image = manager.LendImage(&first->surface, first.get());
  const uint32_t sprite = manager.LendSprite(&first->sprite, first.get());
  const uint32_t other = manager.LendImage(&second.surface, &second);
  ShowingSprite* shown = ShowInOwnSprite(manager, &first->surface);

  // One object back alone, then everything of the lender.
  manager.EndLoan(first.get(), &first->sprite);
  EXPECT_EQ(manager.GetSprite(sprite), nullptr);
  EXPECT_NE(manager.GetImage(image), nullptr);
  manager.EndLoans(first.get());
  EXPECT_EQ((std::pair{watcher.images, watcher.sprites}), (std::pair{1, 1}));
  EXPECT_EQ(manager.GetImage(image), nullptr);
  EXPECT_EQ(shown->GetSource(), nullptr);
  EXPECT_EQ(manager.GetImage(other), &second.surface) << "another lender's loan stays";
  first.reset();
  // The stale handles reach nothing; new objects never take them.
  EXPECT_EQ(manager.RemoveImage(image), 2);
  const uint32_t next = manager.AddImage(std::make_unique<Surface>());
  EXPECT_NE(next, image);
  EXPECT_EQ(manager.GetImage(image), nullptr);
  manager.EndLoans(nullptr);
  EXPECT_EQ(manager.GetImage(other), &second.surface);
}

}  // namespace
}  // namespace orrivel
