// The program's own cursors are small pictures of our drawing: each has an
// outline and a filling, and its hot spot lies on the picture.
#include "platform/ProgramCursors.h"

#include <gtest/gtest.h>

namespace orrivel::platform {
namespace {

TEST(ProgramCursors, FourPicturesWithTheirHotSpots) {
  for (uint32_t id = ProgramCursor::kFirstResource; id <= ProgramCursor::kLastResource; ++id) {
    SCOPED_TRACE(id);
    std::optional<ProgramCursor> cursor = MakeProgramCursor(id);
    ASSERT_TRUE(cursor.has_value());
    ASSERT_EQ(cursor->pixels.size(), size_t(cursor->width) * size_t(cursor->height));
    int outline = 0;
    int fill = 0;
    for (uint32_t pixel : cursor->pixels) {
      if (pixel == 0xFF000000u) ++outline;
      else if (pixel == 0xFFFFFFFFu) ++fill;
      else EXPECT_EQ(pixel, 0u);
    }
    EXPECT_GT(outline, 10);
    EXPECT_GT(fill, 5);
    EXPECT_GE(cursor->hotX, 0);
    EXPECT_LT(cursor->hotX, cursor->width);
    EXPECT_GE(cursor->hotY, 0);
    EXPECT_LT(cursor->hotY, cursor->height);
    // The spot itself is drawn, so the click lands on the shape.
    EXPECT_NE(cursor->pixels[size_t(cursor->hotY) * size_t(cursor->width) + size_t(cursor->hotX)], 0u);
  }
  EXPECT_FALSE(MakeProgramCursor(119).has_value());
  EXPECT_FALSE(MakeProgramCursor(124).has_value());
}

}  // namespace
}  // namespace orrivel::platform
