#include "raster/DirtyRegion.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace orrivel {
namespace {

using Rects = std::vector<Rect>;

Rects Build(DirtyRegion& region, const Rects& adds) {
  for (const Rect& r : adds) region.AddRect(r);
  return region.Rects();
}

struct EdgeCase {
  const char* name;
  Rects adds;
  Rects want;
};

TEST(DirtyRegionTest, EdgeTable) {
  const EdgeCase cases[] = {
      {"empty rectangles are ignored", {{5, 5, 5, 10}, {5, 5, 10, 5}, {9, 0, 3, 4}}, {}},
      {"a rectangle inside another changes nothing", {{0, 0, 10, 10}, {2, 2, 8, 8}}, {{0, 0, 10, 10}}},
      {"a rectangle covering several removes them",
       {{0, 0, 10, 10}, {20, 0, 30, 10}, {0, 20, 10, 30}, {-5, -5, 40, 40}},
       {{-5, -5, 40, 40}}},
      {"side by side merges at the end", {{0, 0, 10, 10}, {10, 0, 20, 10}}, {{0, 0, 20, 10}}},
      {"side by side merges at the front", {{10, 0, 20, 10}, {0, 0, 10, 10}}, {{0, 0, 20, 10}}},
      {"a gap filled joins both neighbours",
       {{0, 0, 10, 10}, {20, 0, 30, 10}, {10, 0, 20, 10}},
       {{0, 0, 30, 10}}},
      {"overlap at the lower right cuts with code 5",
       {{0, 0, 10, 10}, {5, 5, 15, 15}},
       {{0, 0, 10, 5}, {0, 5, 5, 10}, {5, 5, 15, 15}}},
      {"middle insertion touching only its left neighbour stays apart",
       {{0, 0, 10, 10}, {40, 0, 50, 10}, {10, 0, 20, 10}},
       {{0, 0, 10, 10}, {10, 0, 20, 10}, {40, 0, 50, 10}}},
      {"rectangles of different heights do not merge", {{0, 0, 10, 10}, {10, 0, 20, 5}},
       {{0, 0, 10, 10}, {10, 0, 20, 5}}},
      // The cut's last piece joins the node after the cut one with its right
      // neighbour: the walk must not go on from the node that merge gave back.
      {"a cut piece bridging the next two nodes",
       {{0, 0, 30, 10}, {-10, 7, 0, 10}, {30, 7, 40, 10}, {10, -5, 20, 7}},
       {{10, -5, 20, 7}, {0, 0, 10, 7}, {20, 0, 30, 7}, {-10, 7, 40, 10}}},
      {"row-ordered strips stay sorted",
       {{0, 0, 4, 1}, {0, 1, 4, 2}, {0, 2, 4, 3}},
       {{0, 0, 4, 1}, {0, 1, 4, 2}, {0, 2, 4, 3}}},
  };
  for (const EdgeCase& c : cases) {
    SCOPED_TRACE(c.name);
    RectNodePool pool;
    {
      DirtyRegion region(pool);
      EXPECT_EQ(Build(region, c.adds), c.want);
      EXPECT_EQ(region.Count(), int32_t(c.want.size()));
    }
    // Every node went back to the pool (all but the reserve are free).
    if (pool.Total() > 0) {
      EXPECT_EQ(pool.FreeCount(), size_t(pool.Total() - 1));
    }
  }
}

TEST(DirtyRegionTest, CoalesceJoinsStackedAndSideBySide) {
  RectNodePool pool;
  DirtyRegion stacked(pool);
  Build(stacked, {{0, 0, 10, 10}, {0, 10, 10, 20}});
  stacked.Coalesce();
  EXPECT_EQ(stacked.Rects(), (Rects{{0, 0, 10, 20}}));

  // Side by side over shared rows: the band joins, the rest stays apart.
  DirtyRegion offset;
  Build(offset, {{0, 0, 10, 10}, {10, 5, 20, 15}});
  offset.Coalesce();
  EXPECT_EQ(offset.Rects(), (Rects{{0, 0, 10, 5}, {0, 5, 20, 10}, {10, 10, 20, 15}}));

  DirtyRegion single;
  Build(single, {{0, 0, 3, 3}});
  single.Coalesce();
  EXPECT_EQ(single.Rects(), (Rects{{0, 0, 3, 3}}));
}

// Adds skip the nodes that end above the rectangle by the tallest node's
// height; stacked rectangles joined by Coalesce are taller than any added.
TEST(DirtyRegionTest, AddsAfterCoalesceStillCutTheJoinedRectangles) {
  DirtyRegion region;
  Build(region, {{0, 0, 10, 10}, {0, 10, 10, 20}});
  region.Coalesce();
  ASSERT_EQ(region.Rects(), (Rects{{0, 0, 10, 20}}));
  region.AddRect({5, 15, 15, 25});
  EXPECT_EQ(region.Rects(), (Rects{{0, 0, 10, 15}, {0, 15, 5, 20}, {5, 15, 15, 25}}));
}

TEST(DirtyRegionTest, BoundsFollowAddsAndReset) {
  DirtyRegion region;
  EXPECT_FALSE(region.BoundsValid());
  region.AddRect({0, 0, 10, 10});
  EXPECT_TRUE(region.BoundsValid());
  region.AddRect({50, 60, 70, 80});  // far away: inserted without a walk
  region.AddRect({5, 5, 20, 20});
  EXPECT_EQ(region.Bounds(), (Rect{0, 0, 70, 80}));
  region.Reset();
  EXPECT_EQ(region.Count(), 0);
  EXPECT_EQ(region.First(), nullptr);
  EXPECT_FALSE(region.BoundsValid());
  region.AddRect({3, 4, 5, 6});
  EXPECT_EQ(region.Bounds(), (Rect{3, 4, 5, 6}));
  // Clear forgets nodes without giving them back; hand them back first so the
  // shared pool is not left holding a node nobody owns.
  region.FreeRects();
  region.Clear();
  EXPECT_EQ(region.Bounds(), Rect{});
}

TEST(IntersectRectsTest, SharedWithRegions) {
  Rect out;
  EXPECT_TRUE(IntersectRects(&out, Rect{0, 0, 10, 10}, Rect{-5, 2, 3, 20}));
  EXPECT_EQ(out, (Rect{0, 2, 3, 10}));
}

TEST(RectNodePoolTest, RecyclesAndFreesOnlyWhenEverythingIsBack) {
  RectNodePool pool;
  {
    DirtyRegion region(pool);
    for (int i = 0; i < 300; ++i) region.AddRect({i * 2, 0, i * 2 + 1, 1});
    EXPECT_EQ(region.Count(), 300);
    EXPECT_EQ(pool.Total(), 512);  // grown twice, 256 at a time
    EXPECT_TRUE(pool.HasReserve());
    EXPECT_EQ(pool.FreeCount(), 512u - 300u - 1u);
    region.Reset();
    EXPECT_EQ(pool.FreeCount(), 511u);  // the reserve keeps the nodes alive
    region.AddRect({0, 0, 1, 1});
  }
  EXPECT_EQ(pool.Total(), 512);
  pool.ReleaseReserve();  // what the exit handler does
  EXPECT_EQ(pool.Total(), 0);
  EXPECT_EQ(pool.FreeCount(), 0u);
}

// A bitmap model of the region on a small grid, and a full check of the
// list's invariants against it.
constexpr int kGrid = 48;
constexpr int kOffset = 8;  // rectangles may reach a little outside the grid

struct Model {
  std::vector<uint8_t> cells = std::vector<uint8_t>(kGrid * kGrid, 0);
  void Add(const Rect& r) {
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) cells[size_t((y + kOffset) * kGrid + x + kOffset)] = 1;
  }
};

void ExpectMatchesModel(const DirtyRegion& region, const Model& model, const std::string& trace) {
  SCOPED_TRACE(trace);
  std::vector<uint8_t> covered(kGrid * kGrid, 0);
  const RectNode* first = region.First();
  ASSERT_EQ(first == nullptr, region.Count() == 0);
  if (first != nullptr) {
    int32_t walked = 0;
    const RectNode* n = first;
    do {
      ASSERT_LT(walked, region.Count() + 1) << "the list does not close";
      ASSERT_EQ(n->next->prev, n);
      ASSERT_LT(n->left, n->right);
      ASSERT_LT(n->top, n->bottom);
      if (n->next != first) {
        const RectNode* m = n->next;
        ASSERT_TRUE(n->top < m->top || (n->top == m->top && n->left < m->left))
            << "out of order at walk index " << walked;
      }
      if (region.BoundsValid()) {
        const Rect& b = region.Bounds();
        ASSERT_TRUE(b.left <= n->left && b.top <= n->top && n->right <= b.right && n->bottom <= b.bottom);
      }
      for (int y = n->top; y < n->bottom; ++y) {
        for (int x = n->left; x < n->right; ++x) {
          uint8_t& c = covered[size_t((y + kOffset) * kGrid + x + kOffset)];
          ASSERT_EQ(c, 0) << "overlap at " << x << "," << y;
          c = 1;
        }
      }
      ++walked;
      n = n->next;
    } while (n != first);
    ASSERT_EQ(walked, region.Count());
  }
  ASSERT_EQ(covered, model.cells) << "the union differs from the inputs";
}

TEST(DirtyRegionPropertyTest, RandomSequencesKeepEveryInvariant) {
  std::mt19937 rng(20240601);
  auto coord = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  RectNodePool pool;
  for (int round = 0; round < 400; ++round) {
    DirtyRegion region(pool);
    Model model;
    const int steps = coord(1, 40);
    const int maxSize = coord(1, 4) * 6;
    std::string log;
    for (int s = 0; s < steps; ++s) {
      if (coord(0, 9) == 0) {
        region.Coalesce();
        log += "C ";
      } else {
        const int x = coord(-kOffset, kGrid - kOffset - 1);
        const int y = coord(-kOffset, kGrid - kOffset - 1);
        Rect r{x, y, std::min(x + coord(-1, maxSize), kGrid - kOffset),
               std::min(y + coord(-1, maxSize), kGrid - kOffset)};
        region.AddRect(r);
        model.Add(r);
        log += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
               std::to_string(r.right) + "," + std::to_string(r.bottom) + ") ";
      }
      ExpectMatchesModel(region, model, "round " + std::to_string(round) + ": " + log);
      if (::testing::Test::HasFatalFailure()) return;
    }
    region.Coalesce();
    ExpectMatchesModel(region, model, "final coalesce, round " + std::to_string(round) + ": " + log);
    if (::testing::Test::HasFatalFailure()) return;
    region.Reset();
    ASSERT_EQ(pool.FreeCount(), size_t(pool.Total() - 1)) << "a node was lost, round " << round << ": " << log;
  }
}

}  // namespace
}  // namespace orrivel
