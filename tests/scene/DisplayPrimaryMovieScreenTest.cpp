// The primary movie's frame sources as objects of the draw-object manager,
// and the player as a scene object.
#include "scene/DisplayPrimaryMovieScreen.h"

#include <gtest/gtest.h>

#include <memory>

#include "display/DrawObjectManager.h"
#include "display/LockedFrameSource.h"
#include "raster/Surface.h"

namespace orrivel {
namespace {

TEST(DisplayPrimaryMovieScreenTest, FrameSourcesAreListedAndGoBack) {
  DrawObjectManager manager;
  {
    DisplayPrimaryMovieScreen screen(manager);
    Image* first = nullptr;
    Image* second = nullptr;
    ASSERT_EQ(screen.CreateLockedFrameSource(&first), 0);
    ASSERT_EQ(screen.CreateLockedFrameSource(&second), 0);
    EXPECT_NE(dynamic_cast<LockedFrameSource*>(first), nullptr);
    EXPECT_EQ(manager.ImageCount(), 2u);
    // No surface until the movie library sizes it; none for a stranger.
    EXPECT_EQ(screen.FrameSurface(first), nullptr);
    Surface stranger;
    EXPECT_EQ(screen.FrameSurface(&stranger), nullptr);

    screen.DeleteImage(&first);
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(manager.ImageCount(), 1u);
    Image* stale = &stranger;
    screen.DeleteImage(&stale);  // not made here: only the slot is cleared
    EXPECT_EQ(stale, nullptr);
    EXPECT_EQ(manager.ImageCount(), 1u);

    manager.FailNextAllocation();
    Image* failed = &stranger;
    EXPECT_EQ(screen.CreateLockedFrameSource(&failed), 1);
    EXPECT_EQ(failed, nullptr);
    EXPECT_EQ(screen.Held(), 1u);
  }
  EXPECT_EQ(manager.ImageCount(), 0u);
}

TEST(DisplayPrimaryMovieScreenTest, SceneObjectNeedsTheDisplaysBackSurface) {
  PrimaryMovieSceneObject object(std::make_unique<PrimaryMovie>());
  EXPECT_EQ(object.GetKind(), PrimaryMovie::kSceneKind);
  EXPECT_EQ(object.Draw(0, 0, nullptr), 1);
  object.SetVisible(false);
  EXPECT_FALSE(object.Movie().IsVisible());
  object.SetSizeAndPosition(0, 0, 7, 9);
  int32_t x = 0, y = 0;
  ASSERT_TRUE(object.GetPosition(&x, &y));
  EXPECT_EQ(x, 7);
  EXPECT_EQ(y, 9);
  Rect bounds;
  EXPECT_FALSE(object.GetBounds(&bounds));  // no movie open
}

}  // namespace
}  // namespace orrivel
