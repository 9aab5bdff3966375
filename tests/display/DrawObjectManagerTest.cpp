// The draw-object lists: handles, group ids, deletion one by one, by group
// and all at once, the creation shape, and the restore of every object.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <vector>

#include "display/BoxFont.h"
#include "display/DrawObjectManager.h"
#include "display/DrawObjectWatcher.h"
#include "display/SurfaceImageRig.h"
#include "raster/ColorBox.h"
#include "raster/DibImage.h"

namespace orrivel {
namespace {

using testing::BoxFont;

// Records its deletion and answers a chosen restore code.
class RecordingImage : public DibImage {
 public:
  RecordingImage(std::set<int>* alive, int id, int restoreCode = 0)
      : alive_(alive), id_(id), restoreCode_(restoreCode) {
    alive_->insert(id);
  }
  ~RecordingImage() override { alive_->erase(id_); }
  int Restore(uint8_t checkLost) override {
    restoredWith = checkLost;
    ++restores;
    return restoreCode_;
  }
  int restores = 0;
  int restoredWith = -1;
  int Id() const { return id_; }

 private:
  std::set<int>* alive_;
  int id_;
  int restoreCode_;
};

class RecordingObject : public SceneObject {
 public:
  RecordingObject(std::set<int>* alive, int id, int restoreCode = 0)
      : alive_(alive), id_(id), restoreCode_(restoreCode) {
    alive_->insert(id);
  }
  ~RecordingObject() override { alive_->erase(id_); }
  int GetKind() const override { return 4; }
  int Draw(int32_t, int32_t, D3DDevice*) override { return 0; }
  int Restore() override {
    ++restores;
    return restoreCode_;
  }
  int restores = 0;
  int Id() const { return id_; }

 private:
  std::set<int>* alive_;
  int id_;
  int restoreCode_;
};

TEST(DrawObjectManagerTest, HandlesReachOnlyLiveObjects) {
  std::set<int> alive;
  DrawObjectManager manager;
  const uint32_t a = manager.AddImage(std::make_unique<RecordingImage>(&alive, 1));
  const uint32_t b = manager.AddImage(std::make_unique<RecordingImage>(&alive, 2));
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_LT(int32_t(a), 0x7FFFFFFF);
  EXPECT_NE(manager.GetImage(a), nullptr);
  EXPECT_EQ(manager.AddImage(nullptr), 0u);
  // Removal: 1 for none, 2 for a handle no listed object has, else deleted.
  EXPECT_EQ(manager.RemoveImage(0), 1);
  EXPECT_EQ(manager.RemoveImage(a ^ (1u << 20)), 2);
  EXPECT_EQ(manager.RemoveImage(0x7FFFFFFFu), 2);
  EXPECT_EQ(manager.RemoveImage(0x80000001u), 2);
  EXPECT_EQ(manager.ImageCount(), 2u);
  uint32_t held = a;
  ASSERT_EQ(manager.DeleteImage(&held), 0);
  EXPECT_EQ(held, 0u);
  EXPECT_EQ(alive, std::set<int>{2});
  // The slot is reused with a new generation: the old handle stays dead.
  const uint32_t c = manager.AddImage(std::make_unique<RecordingImage>(&alive, 3));
  EXPECT_NE(c, a);
  EXPECT_EQ(manager.GetImage(a), nullptr);
  EXPECT_EQ(manager.RemoveImage(a), 2);
  EXPECT_EQ(alive, (std::set<int>{2, 3}));
  uint32_t none = 0;
  EXPECT_EQ(manager.DeleteImage(&none), 1);
  EXPECT_EQ(manager.DeleteImage(nullptr), 1);
  // Fonts and sprites the same way.
  int fontsGone = 0;
  uint32_t font = manager.AddFont(std::make_unique<BoxFont>(1, 4, 4, &fontsGone));
  ASSERT_NE(manager.GetFont(font), nullptr);
  uint32_t staleFont = font;
  ASSERT_EQ(manager.RemoveFont(&font), 0);
  EXPECT_EQ(font, 0u);
  EXPECT_EQ(fontsGone, 1);
  EXPECT_EQ(manager.RemoveFont(&staleFont), 2);
  uint32_t sprite = manager.AddSprite(std::make_unique<ColorBox>());
  ASSERT_NE(manager.GetSprite(sprite), nullptr);
  EXPECT_EQ(manager.RemoveSprite(sprite + 1), 2);
  ASSERT_EQ(manager.DeleteSprite(&sprite), 0);
  EXPECT_EQ(manager.SpriteCount(), 0u);
}

// Counts what it is told and checks that each object is still alive then.
class CountingWatcher : public DrawObjectWatcher {
 public:
  explicit CountingWatcher(const std::set<int>* alive) : alive_(alive) {}
  void ImageDeleting(const Image& image) override {
    const auto* recorded = dynamic_cast<const RecordingImage*>(&image);
    ASSERT_NE(recorded, nullptr);
    EXPECT_EQ(alive_->count(recorded->Id()), 1u);
    ++images;
  }
  void SceneObjectDeleting(const SceneObject& object) override {
    const auto* recorded = dynamic_cast<const RecordingObject*>(&object);
    ASSERT_NE(recorded, nullptr);
    EXPECT_EQ(alive_->count(recorded->Id()), 1u);
    ++objects;
  }
  void SpriteDeleting(const Drawable&) override { ++sprites; }
  int images = 0, objects = 0, sprites = 0;

 private:
  const std::set<int>* alive_;
};

TEST(DrawObjectManagerTest, WatchersHearOfEveryDeletionBeforeIt) {
  std::set<int> alive;
  DrawObjectManager manager;
  CountingWatcher watcher(&alive);
  watcher.Watch(&manager);
  watcher.Watch(&manager);
  EXPECT_EQ(manager.WatcherCount(), 1u);
  const uint32_t image = manager.AddImage(std::make_unique<RecordingImage>(&alive, 1));
  const uint32_t object = manager.AddSceneObject(std::make_unique<RecordingObject>(&alive, 2));
  manager.AddImage(std::make_unique<RecordingImage>(&alive, 3));
  manager.AddSceneObject(std::make_unique<RecordingObject>(&alive, 4));
  uint32_t sprite = manager.AddSprite(std::make_unique<ColorBox>());
  manager.AddSprite(std::make_unique<ColorBox>());
  manager.SetSpriteGroupId(3);
  manager.AddSprite(std::make_unique<ColorBox>());
  manager.AddSprite(std::make_unique<ColorBox>());

  EXPECT_EQ(manager.RemoveImage(image), 0);
  EXPECT_EQ(manager.RemoveSceneObject(object), 0);
  EXPECT_EQ(manager.RemoveImage(image), 2) << "a dead handle tells nobody";
  EXPECT_EQ(manager.DeleteSprite(&sprite), 0);
  manager.DeleteSpritesByGroup(3, 0);
  EXPECT_EQ((std::vector<int>{watcher.images, watcher.objects, watcher.sprites}), (std::vector<int>{1, 1, 3}));
  manager.DeleteAll();
  EXPECT_EQ((std::vector<int>{watcher.images, watcher.objects, watcher.sprites}), (std::vector<int>{2, 2, 4}));

  // Either side may go first.
  {
    DrawObjectManager shortLived;
    watcher.Watch(&shortLived);
    EXPECT_EQ(manager.WatcherCount(), 0u);
  }
  EXPECT_EQ(watcher.Watched(), nullptr);
  {
    CountingWatcher gone(&alive);
    gone.Watch(&manager);
  }
  EXPECT_EQ(manager.WatcherCount(), 0u);
}

TEST(DrawObjectManagerTest, DeletionByGroup) {
  struct Case {
    uint32_t group;
    uint32_t flags;
    std::set<int> images;   // left alive
    std::set<int> objects;  // left alive
  };
  // Images 1 (group 0), 2 and 3 (group 5); scene objects 11 (group 0), 12 (group 5).
  const Case cases[] = {
      {5, 0, {1, 2, 3}, {11}},
      {5, 1, {1}, {11}},
      {5, 2, {1, 2, 3}, {12}},
      {5, 3, {2, 3}, {12}},
      {7, 1, {1, 2, 3}, {11, 12}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "(" << c.group << ", " << c.flags << ")");
    std::set<int> images;
    std::set<int> objects;
    DrawObjectManager manager;
    manager.AddImage(std::make_unique<RecordingImage>(&images, 1));
    manager.AddSceneObject(std::make_unique<RecordingObject>(&objects, 11));
    EXPECT_EQ(manager.SetImageGroupId(5), 0u);
    EXPECT_EQ(manager.SetSpriteGroupId(5), 0u);
    const uint32_t two = manager.AddImage(std::make_unique<RecordingImage>(&images, 2));
    manager.AddImage(std::make_unique<RecordingImage>(&images, 3));
    manager.AddSceneObject(std::make_unique<RecordingObject>(&objects, 12));
    const uint32_t sprite = manager.AddSprite(std::make_unique<ColorBox>());
    EXPECT_EQ(manager.GetImage(two)->GetGroupId(), 5);
    EXPECT_EQ(manager.GetSpriteGroupId(sprite), 5u);
    manager.DeleteByGroup(c.group, c.flags);
    EXPECT_EQ(images, c.images);
    EXPECT_EQ(objects, c.objects);
    // Sprites are never touched by it.
    EXPECT_NE(manager.GetSprite(sprite), nullptr);
  }
}

TEST(DrawObjectManagerTest, SpritesGoByTheirOwnGroupAndFontsOutliveDeleteAll) {
  int fontsGone = 0;
  std::set<int> images;
  std::set<int> objects;
  {
    DrawObjectManager manager;
    const uint32_t plain = manager.AddSprite(std::make_unique<ColorBox>());
    manager.SetSpriteGroupId(5);
    const uint32_t five = manager.AddSprite(std::make_unique<ColorBox>());
    manager.DeleteByGroup(5, 1);
    EXPECT_NE(manager.GetSprite(five), nullptr);
    manager.DeleteSpritesByGroup(5, 1);
    EXPECT_EQ(manager.GetSprite(plain), nullptr);
    EXPECT_NE(manager.GetSprite(five), nullptr);
    manager.DeleteSpritesByGroup(5, 0);
    EXPECT_EQ(manager.GetSprite(five), nullptr);

    const uint32_t font = manager.AddFont(std::make_unique<BoxFont>(1, 4, 4, &fontsGone));
    manager.AddImage(std::make_unique<RecordingImage>(&images, 1));
    auto object = std::make_unique<RecordingObject>(&objects, 11);
    ASSERT_EQ(manager.Registry().Add(object.get(), 3, 0), 0);
    manager.AddSceneObject(std::move(object));
    manager.AddSprite(std::make_unique<ColorBox>());
    manager.DeleteAll();
    EXPECT_TRUE(images.empty());
    EXPECT_TRUE(objects.empty());
    EXPECT_EQ(manager.SpriteCount(), 0u);
    EXPECT_EQ(manager.Registry().GetCount(), 0u);
    EXPECT_NE(manager.GetFont(font), nullptr);
    EXPECT_EQ(fontsGone, 0);
  }
  // The manager's own end takes the fonts with it.
  EXPECT_EQ(fontsGone, 1);
}

TEST(DrawObjectManagerTest, RestoreTriesEveryObjectAndReportsTheFirstFailure) {
  std::set<int> alive;
  DrawObjectManager manager;
  auto first = std::make_unique<RecordingImage>(&alive, 1, 4);
  auto second = std::make_unique<RecordingImage>(&alive, 2, 0);
  auto third = std::make_unique<RecordingImage>(&alive, 3, 6);
  RecordingImage* images[] = {first.get(), second.get(), third.get()};
  manager.AddImage(std::move(first));
  manager.AddImage(std::move(second));
  manager.AddImage(std::move(third));
  auto failing = std::make_unique<RecordingObject>(&alive, 11, 9);
  auto fine = std::make_unique<RecordingObject>(&alive, 12, 0);
  RecordingObject* objects[] = {failing.get(), fine.get()};
  ASSERT_EQ(manager.Registry().Add(failing.get(), 10, 0), 0);
  ASSERT_EQ(manager.Registry().Add(fine.get(), 5, 0), 0);
  manager.AddSceneObject(std::move(failing));
  manager.AddSceneObject(std::move(fine));
  EXPECT_EQ(manager.RestoreAllObjects(1), 4);
  for (RecordingImage* image : images) {
    EXPECT_EQ(image->restores, 1);
    EXPECT_EQ(image->restoredWith, 1);
  }
  for (RecordingObject* object : objects) EXPECT_EQ(object->restores, 1);
}

class DrawObjectRestoreTest : public testing::SurfaceImageRig {};

TEST_F(DrawObjectRestoreTest, EveryFilePictureComesBackAfterLoss) {
  folder_.Write("CG/A.ELG", testing::FixtureElg(32, 5, 4, false));
  folder_.Write("CG/B.BMP", testing::FixtureBmp(6, 3));
  Boot(32);
  DrawObjectManager manager;
  uint32_t out = 99;
  // Creation failures leave the out handle empty and list nothing.
  EXPECT_EQ(manager.CreateSurfaceImageFromFile(&out, "CG\\MISSING.ELG", nullptr, 0, 0), 1);
  EXPECT_EQ(out, 0u);
  EXPECT_EQ(manager.CreateBlankSurfaceImage(&out, 0, 4, 0, 0, nullptr), 1);
  EXPECT_EQ(manager.CreateDdSurface(&out, "text", 0), 5);
  EXPECT_EQ(manager.ImageCount(), 0u);
  manager.SetImageGroupId(2);
  uint32_t a = 0, b = 0, blank = 0, text = 0;
  ASSERT_EQ(manager.CreateSurfaceImageFromFile(&a, "CG\\A.ELG", nullptr, 0, 0), 0);
  ASSERT_EQ(manager.CreateSurfaceImageFromFile(&b, "CG\\B.BMP", nullptr, 0, 0), 0);
  ASSERT_EQ(manager.CreateBlankSurfaceImage(&blank, 3, 3, 0, 0, nullptr), 0);
  const uint32_t font = manager.AddFont(std::make_unique<BoxFont>(kFontKindOutline, 8, 8));
  ASSERT_EQ(manager.CreateDdSurface(&text, "text", font), 0);
  EXPECT_EQ(manager.GetImage(a)->GetGroupId(), 2);
  auto* blankImage = static_cast<SurfaceImage*>(manager.GetImage(blank));
  ASSERT_EQ(blankImage->Fill(0, 0, 255), 0);
  for (uint32_t h : {a, b, blank, text}) manager.GetImage(h)->GetDisplaySurface()->SetLost(true);
  ASSERT_EQ(manager.RestoreAllObjects(1), 0);
  for (uint32_t h : {a, b, blank, text}) {
    ASSERT_FALSE(manager.GetImage(h)->GetDisplaySurface()->IsLost()) << h;
  }
  EXPECT_EQ(testing::SurfaceRgb(manager.GetImage(a)->GetDisplaySurface(), 4, 3), testing::FixtureColor(4, 3));
  EXPECT_EQ(testing::SurfaceRgb(manager.GetImage(b)->GetDisplaySurface(), 5, 2), testing::FixtureColor(5, 2));
  EXPECT_EQ(testing::SurfaceRgb(blankImage->GetDisplaySurface(), 2, 2), 0x0000FFu);
}

}  // namespace
}  // namespace orrivel
