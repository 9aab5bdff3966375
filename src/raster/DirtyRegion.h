#pragma once
// The changed area of a surface: non-overlapping rectangles in a circular
// list sorted by top, then left, with a bounding rectangle that lets
// rectangles far from the rest skip the walk. Readers start at First() and
// follow next until they are back at First(), Count() nodes in all.
#include <cstdint>
#include <vector>

#include "raster/Rect.h"
#include "raster/RectNodePool.h"

namespace orrivel {

class DirtyRegion {
 public:
  DirtyRegion();
  explicit DirtyRegion(RectNodePool& pool);
  ~DirtyRegion();
  DirtyRegion(const DirtyRegion&) = delete;
  DirtyRegion& operator=(const DirtyRegion&) = delete;

  // Gives every node back and empties the region.
  void Reset();
  // Gives every node back; leaves the fields as they are (Clear follows).
  void FreeRects();
  // Forgets the nodes without giving them back; returns 0.
  int Clear();

  // Records a rectangle; empty ones are ignored. Parts of existing nodes
  // under it are cut away and the rectangle is inserted whole.
  void AddRect(const Rect& rect);
  // Inserts without overlap checks, merging with a neighbour of equal height
  // that it touches; false only for an empty rectangle.
  bool InsertSorted(const Rect& rect);
  // Removes a node and gives it back to the pool.
  void Unlink(RectNode* node);
  void RecomputeBounds();
  // Replaces the node by its parts outside rect.
  void CutOverlap(RectNode* node, const Rect& rect);
  // Joins rectangles that touch side by side over shared rows, then stacked
  // rectangles with identical left and right edges. The union is unchanged.
  void Coalesce();

  RectNode* First() const { return first_; }
  RectNode* Cursor() const { return cursor_; }
  int32_t Count() const { return count_; }
  const Rect& Bounds() const { return bounds_; }
  bool BoundsValid() const { return boundsValid_ != 0; }
  // The rectangles in list order.
  std::vector<Rect> Rects() const;

 private:
  RectNode* NewNode(const Rect& rect);
  void LinkAfter(RectNode* at, RectNode* node);
  void LinkBefore(RectNode* at, RectNode* node);
  RectNode* NodeAt(int32_t index) const;
  // The first node in list order that may reach down to r, or nullptr.
  RectNode* FirstReaching(const Rect& r) const;
  // a and b sit side by side, b starting lower and ending at another row: a
  // keeps the rows above b, the shared rows become one rectangle across both,
  // and the rows below the shorter one a rectangle of their own.
  void SplitAtSharedBand(RectNode* a, RectNode* b);

  RectNodePool* pool_;
  RectNode* first_ = nullptr;
  RectNode* cursor_ = nullptr;
  int32_t count_ = 0;
  Rect bounds_;
  uint8_t boundsValid_ = 0;
  // At least the height of every node: nodes only grow taller when made or
  // when stacked ones join, and both places raise it.
  int64_t maxHeight_ = 0;
  // The node AddRect's walk goes on with after a cut. A merge during the cut
  // may unlink it; Unlink then moves this to the node that absorbed it, so
  // the walk never continues from a node already back in the pool.
  RectNode* walkNext_ = nullptr;
};

}  // namespace orrivel
