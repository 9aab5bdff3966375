// Placing pictures on layers: the result codes, the key modes, the lists a
// sprite joins by priority and overlay flag, and the screen's current
// canvas when none is given.
#include "natives/LayerPlacement.h"

#include <gtest/gtest.h>

#include <string>

#include "../scene/PictureFolder.h"
#include "../scene/SceneTestSupport.h"
#include "natives/ProcessObjects.h"
#include "raster/SpriteList.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

class LayerPlacementTest : public test::SceneTest {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    ASSERT_EQ(screen_.Create(64, 48, 32, 0), 0);
    ASSERT_EQ(canvas_.SetTarget(&screen_, 0), 0);
    canvas_.SetOverlayList(&overlay_);
    auto picture = test::MakeSurface32(8, 6, [](int x, int y) { return 0xFF000000u | uint32_t(x * 16 + y); });
    folder_.WritePicture(*picture, "PART.BMP");
    previous_ = SetProcessObjects(&objects_);
  }
  void TearDown() override {
    canvas_.MainList().Clear();
    overlay_.Clear();
    SetProcessObjects(previous_);
    test::SceneTest::TearDown();
  }
  static bool Lists(SpriteList& list, ImageSprite& sprite) {
    for (Drawable* d : list.Items())
      if (d == &sprite) return true;
    return false;
  }

  test::PictureFolder folder_;
  Surface screen_;
  SpriteList overlay_;  // outlives the canvas that refers to it
  SpriteCanvas canvas_;
  ProcessObjects objects_;
  ProcessObjects* previous_ = nullptr;
  ImageSprite sprite_;
  Surface surface_;
};

TEST_F(LayerPlacementTest, LoadingCodesAndKeyModes) {
  LayerPlace place;
  place.x = 5;
  place.y = 7;
  EXPECT_EQ(LoadAndPlaceLayerObject(nullptr, &surface_, "PART.BMP", -1, 0, place), 1);
  EXPECT_EQ(LoadAndPlaceLayerObject(&sprite_, nullptr, "PART.BMP", -1, 0, place), 1);
  EXPECT_EQ(LoadAndPlaceLayerObject(&sprite_, &surface_, "NONE.BMP", -1, 0, place), 2);
  EXPECT_EQ(LoadAndPlaceLayerObject(&sprite_, &surface_, nullptr, -1, 0, place), 2);

  // Key mode 0 or more: the colour key is the picture's pixel there.
  ASSERT_EQ(LoadAndPlaceLayerObject(&sprite_, &surface_, "PART.BMP", 3, 2, place), 0);
  EXPECT_EQ(sprite_.GetX(), 5);
  EXPECT_EQ(sprite_.GetY(), 7);
  EXPECT_EQ(surface_.GetColorKey() & 0xFFFFFFu, uint32_t(3 * 16 + 2));
  // Below -1: the sprite blends at the key value.
  ImageSprite blended;
  Surface other;
  ASSERT_EQ(LoadAndPlaceLayerObject(&blended, &other, "PART.BMP", -2, 128, place), 0);
  EXPECT_EQ(blended.GetBlendMode(), 2);
  EXPECT_EQ(blended.GetOpacity(), 128);
  EXPECT_EQ(other.GetColorKey(), kNoColorKey);
  // -1: neither.
  ImageSprite plain;
  Surface third;
  ASSERT_EQ(LoadAndPlaceLayerObject(&plain, &third, "PART.BMP", -1, 128, place), 0);
  EXPECT_EQ(plain.GetOpacity(), 255);
  EXPECT_EQ(third.GetColorKey(), kNoColorKey);
  // A part of the picture.
  LayerPlace part = place;
  part.left = 2;
  part.top = 1;
  part.right = 6;
  part.bottom = 4;
  ASSERT_EQ(PlaceLayerObject(&plain, &third, 0, 0, part), 0);
  EXPECT_EQ(plain.GetSourceRect(), (Rect{2, 1, 6, 4}));
  // A surface without a picture is refused by the sprite.
  Surface empty;
  EXPECT_EQ(PlaceLayerObject(&plain, &empty, 0, 0, place), 3);
}

TEST_F(LayerPlacementTest, PriorityAndOverlayChooseTheList) {
  ASSERT_EQ(surface_.LoadImage("PART.BMP", nullptr, 0, 0), 0);
  struct Case {
    const char* what;
    int32_t priority;
    bool overlay;
    bool own;  // the canvas given, else the current one
    bool inMain, inOverlay;
  };
  const Case cases[] = {
      {"no list below priority 0", -1, false, true, false, false},
      {"the main list", 10, false, true, true, false},
      {"the overlay list", 10, true, true, false, true},
      {"the screen's current canvas", 900, true, false, false, true},
  };
  objects_.SetCurrentSpriteCanvas(&canvas_, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ImageSprite sprite;
    LayerPlace place;
    place.priority = c.priority;
    place.overlay = c.overlay;
    place.visible = false;
    place.canvas = c.own ? &canvas_ : nullptr;
    ASSERT_EQ(PlaceLayerObject(&sprite, &surface_, 2, 200, place), 0);
    EXPECT_EQ(sprite.GetOpacity(), 200);
    EXPECT_FALSE(sprite.IsVisible());
    EXPECT_EQ(Lists(canvas_.MainList(), sprite), c.inMain);
    EXPECT_EQ(Lists(overlay_, sprite), c.inOverlay);
    canvas_.MainList().Remove(&sprite);
    overlay_.Remove(&sprite);
  }
  // Without a current canvas the sprite is placed but joins no list.
  objects_.Reset();
  ImageSprite alone;
  LayerPlace place;
  place.priority = 5;
  EXPECT_EQ(PlaceLayerObject(&alone, &surface_, 0, 0, place), 0);
  EXPECT_EQ(alone.OwningList(), nullptr);
}

}  // namespace
}  // namespace orrivel
