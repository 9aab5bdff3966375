#include "raster/Rect.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace orrivel {
namespace {

TEST(IntersectRectInPlaceTest, CutsAndLeavesVerticalSidesWhenEmptyAcross) {
  const Rect clip{0, 0, 100, 50};
  Rect r{-10, -5, 30, 80};
  EXPECT_TRUE(IntersectRectInPlace(&r, &clip));
  EXPECT_EQ(r, (Rect{0, 0, 30, 50}));

  Rect across{200, -5, 300, 80};
  EXPECT_FALSE(IntersectRectInPlace(&across, &clip));
  EXPECT_EQ(across.top, -5);  // untouched once nothing is left across
  EXPECT_EQ(across.bottom, 80);

  Rect below{10, 60, 20, 70};
  EXPECT_FALSE(IntersectRectInPlace(&below, &clip));

  Rect any{1, 2, 3, 4};
  EXPECT_FALSE(IntersectRectInPlace(&any, nullptr));
  EXPECT_EQ(any, (Rect{1, 2, 3, 4}));
}

TEST(IntersectRectsTest, WritesOnlyWhenNotEmpty) {
  Rect out{7, 7, 7, 7};
  EXPECT_TRUE(IntersectRects(&out, Rect{0, 0, 10, 10}, Rect{5, 5, 20, 20}));
  EXPECT_EQ(out, (Rect{5, 5, 10, 10}));
  out = Rect{7, 7, 7, 7};
  EXPECT_FALSE(IntersectRects(&out, Rect{0, 0, 10, 10}, Rect{10, 0, 20, 10}));  // touching only
  EXPECT_EQ(out, (Rect{7, 7, 7, 7}));
  EXPECT_TRUE(IntersectRects(nullptr, Rect{0, 0, 2, 2}, Rect{1, 1, 3, 3}));
}

struct MapCase {
  const char* name;
  int32_t x, y;
  Rect source;
  bool scaled;
  Size size;
  Rect clip;
  int result;
  Rect wantSource;
  Rect wantDest;
};

TEST(MapClipRectScaledTest, Table) {
  const MapCase cases[] = {
      {"unscaled left overhang", -10, 0, {0, 0, 100, 50}, false, {}, {0, 0, 640, 480}, 0,
       {10, 0, 100, 50}, {0, 0, 90, 50}},
      {"unscaled all four sides", -3, -4, {0, 0, 20, 20}, false, {}, {0, 0, 10, 12}, 0,
       {3, 4, 13, 16}, {0, 0, 10, 12}},
      {"unscaled inside", 5, 6, {2, 2, 12, 12}, false, {}, {0, 0, 640, 480}, 0,
       {2, 2, 12, 12}, {5, 6, 15, 16}},
      {"unscaled wholly right of clip", 700, 0, {0, 0, 50, 50}, false, {}, {0, 0, 640, 480}, -1,
       {0, 0, -60, 50}, {700, 0, 640, 50}},
      {"scaled 2:1 left overhang", -10, 0, {0, 0, 100, 100}, true, {200, 200}, {0, 0, 640, 480}, 0,
       {5, 0, 100, 100}, {0, 0, 190, 200}},
      {"scaled 1:2 right and bottom", 600, 460, {0, 0, 100, 100}, true, {50, 50},
       {0, 0, 640, 480}, 0, {0, 0, 80, 40}, {600, 460, 640, 480}},
      {"scaled truncates toward zero", -3, 0, {0, 0, 10, 10}, true, {4, 10}, {0, 0, 640, 480}, 0,
       {7, 0, 10, 10}, {0, 0, 1, 10}},
      {"scaled zero width", 0, 0, {0, 0, 10, 10}, true, {0, 10}, {0, 0, 640, 480}, -1,
       {0, 0, 10, 10}, {0, 0, 0, 10}},
  };
  for (const MapCase& c : cases) {
    SCOPED_TRACE(c.name);
    Rect source = c.source;
    Rect dest;
    EXPECT_EQ(MapClipRectScaled(c.x, c.y, &source, &dest, &c.clip, c.scaled ? &c.size : nullptr),
              c.result);
    EXPECT_EQ(source, c.wantSource);
    EXPECT_EQ(dest, c.wantDest);
  }
  Rect source{0, 0, 10, 10};
  Rect dest{1, 1, 1, 1};
  EXPECT_EQ(MapClipRectScaled(0, 0, &source, &dest, nullptr, nullptr), 1);
}

TEST(MapClipRectScaledTest, PlacementsAtTheEndsOfTheRangeLeaveNothing) {
  constexpr int32_t kMin = INT32_MIN;
  constexpr int32_t kMax = INT32_MAX;
  const Rect clip{0, 0, 640, 480};
  struct Hostile {
    const char* name;
    int32_t x, y;
    Rect source;
    bool scaled;
    Size size;
  };
  const Hostile cases[] = {
      {"unscaled far left of a source with an inset", kMin + 5, 0, {10, 0, 110, 50}, false, {}},
      {"unscaled far right", kMax - 5, 0, {0, 0, 100, 50}, false, {}},
      {"unscaled far below", 0, kMax - 1, {0, 0, 100, 50}, false, {}},
      {"scaled far right", kMax - 5, 0, {0, 0, 100, 100}, true, {100, 100}},
      {"scaled far left, huge source over one pixel", kMin, 0, {kMin, 0, kMax, 10}, true, {1, 10}},
      {"scaled far up, huge source over one row", 0, kMin, {0, kMin, 10, kMax}, true, {10, 1}},
  };
  for (const Hostile& c : cases) {
    SCOPED_TRACE(c.name);
    Rect source = c.source;
    Rect dest;
    EXPECT_EQ(MapClipRectScaled(c.x, c.y, &source, &dest, &clip, c.scaled ? &c.size : nullptr), -1);
  }
}

}  // namespace
}  // namespace orrivel
