#include "raster/DirtyRegion.h"

#include <algorithm>

namespace orrivel {

namespace {

Rect RectOf(const RectNode* n) { return Rect{n->left, n->top, n->right, n->bottom}; }

void Widen(Rect& bounds, const Rect& r) {
  bounds.left = std::min(bounds.left, r.left);
  bounds.top = std::min(bounds.top, r.top);
  bounds.right = std::max(bounds.right, r.right);
  bounds.bottom = std::max(bounds.bottom, r.bottom);
}

// Same rows, and the node's right side meets the rectangle's left side.
bool JoinsOnLeft(const RectNode* n, const Rect& r) {
  return n->top == r.top && n->bottom == r.bottom && n->right == r.left;
}

// Same rows, and the node's left side meets the rectangle's right side.
bool JoinsOnRight(const RectNode* n, const Rect& r) {
  return n->top == r.top && n->bottom == r.bottom && n->left == r.right;
}

}  // namespace

DirtyRegion::DirtyRegion() : DirtyRegion(RectNodePool::Shared()) {}

DirtyRegion::DirtyRegion(RectNodePool& pool) : pool_(&pool) { Clear(); }

DirtyRegion::~DirtyRegion() { FreeRects(); }

void DirtyRegion::Reset() {
  FreeRects();
  Clear();
}

void DirtyRegion::FreeRects() {
  if (first_ == nullptr) return;
  RectNode* node = first_;
  for (int32_t i = 0; i < count_; ++i) {
    RectNode* next = node->next;
    pool_->Give(node);
    node = next;
  }
}

int DirtyRegion::Clear() {
  first_ = nullptr;
  cursor_ = nullptr;
  count_ = 0;
  bounds_ = Rect{};
  boundsValid_ = 0;
  maxHeight_ = 0;
  return 0;
}

std::vector<Rect> DirtyRegion::Rects() const {
  std::vector<Rect> out;
  out.reserve(size_t(count_));
  const RectNode* node = first_;
  for (int32_t i = 0; i < count_; ++i, node = node->next) out.push_back(RectOf(node));
  return out;
}

RectNode* DirtyRegion::NewNode(const Rect& r) {
  RectNode* node = pool_->Take();
  node->left = r.left;
  node->top = r.top;
  node->right = r.right;
  node->bottom = r.bottom;
  maxHeight_ = std::max(maxHeight_, int64_t(r.bottom) - r.top);
  return node;
}

void DirtyRegion::LinkAfter(RectNode* at, RectNode* node) {
  node->prev = at;
  node->next = at->next;
  at->next->prev = node;
  at->next = node;
  ++count_;
}

void DirtyRegion::LinkBefore(RectNode* at, RectNode* node) { LinkAfter(at->prev, node); }

RectNode* DirtyRegion::NodeAt(int32_t index) const {
  RectNode* node = first_;
  for (int32_t i = 0; i < index; ++i) node = node->next;
  return node;
}

bool DirtyRegion::InsertSorted(const Rect& r) {
  if (r.IsEmpty()) return false;
  if (count_ == 0) {
    RectNode* node = NewNode(r);
    node->prev = node->next = node;
    first_ = cursor_ = node;
    count_ = 1;
    return true;
  }
  RectNode* m = cursor_;
  if (m->top < r.top || (m->top == r.top && m->left <= r.left)) {
    for (;;) {
      RectNode* n = m->next;
      if (n == first_) {  // m is the last node
        if (JoinsOnLeft(m, r)) {
          m->right = r.right;
        } else {
          LinkAfter(m, NewNode(r));
        }
        return true;
      }
      if (r.top < n->top || (r.top == n->top && r.left < n->left)) {
        if (JoinsOnRight(n, r)) {
          n->left = r.left;
          if (JoinsOnLeft(m, r)) {
            n->left = m->left;
            Unlink(m);
          }
        } else {
          LinkAfter(m, NewNode(r));
        }
        return true;
      }
      cursor_ = n;
      m = n;
    }
  }
  for (;;) {
    if (m == first_) {
      if (JoinsOnRight(m, r)) {
        m->left = r.left;
      } else {
        RectNode* node = NewNode(r);
        LinkBefore(m, node);
        first_ = node;
      }
      return true;
    }
    RectNode* p = m->prev;
    if (p->top < r.top || (p->top == r.top && p->left < r.left)) {
      if (JoinsOnRight(m, r)) {
        m->left = r.left;
      } else {
        LinkBefore(m, NewNode(r));
      }
      return true;
    }
    cursor_ = p;
    m = p;
  }
}

void DirtyRegion::Unlink(RectNode* node) {
  const bool wasLastNode = node->next == first_;
  if (node == walkNext_) walkNext_ = wasLastNode ? nullptr : node->next;
  if (node == first_) first_ = node->next;
  --count_;
  if (count_ == 0) {
    first_ = cursor_ = nullptr;
  } else if (node == cursor_) {
    cursor_ = node->prev;
  }
  node->prev->next = node->next;
  node->next->prev = node->prev;
  pool_->Give(node);
}

void DirtyRegion::RecomputeBounds() {
  if (count_ == 0 || first_ == nullptr) {
    bounds_ = Rect{};
    return;
  }
  bounds_ = RectOf(first_);
  for (RectNode* n = first_->next; n != first_; n = n->next) {
    const Rect r = RectOf(n);
    if (!r.IsEmpty()) Widen(bounds_, r);
  }
}

void DirtyRegion::CutOverlap(RectNode* node, const Rect& r) {
  const int32_t nl = node->left, nt = node->top, nr = node->right, nb = node->bottom;
  const int32_t rl = r.left, rt = r.top, rr = r.right, rb = r.bottom;
  const int code = (nl >= rl && nl <= rr ? 8 : 0) | (nr >= rl && nr <= rr ? 4 : 0) |
                   (nt >= rt && nt <= rb ? 2 : 0) | (nb >= rt && nb <= rb ? 1 : 0);
  // Pieces of the node outside r, and what the node keeps: the piece that
  // starts at its own top-left corner, or nothing.
  Rect pieces[3];
  int count = 0;
  enum Keep { kBottomToRt, kRightToRl, kRightRlBottomRb, kRemove } keep = kRemove;
  switch (code) {
    case 0:
      pieces[count++] = {nl, rt, rl, rb};
      pieces[count++] = {rr, rt, nr, rb};
      pieces[count++] = {nl, rb, nr, nb};
      keep = kBottomToRt;
      break;
    case 1:
      pieces[count++] = {nl, rt, rl, nb};
      pieces[count++] = {rr, rt, nr, nb};
      keep = kBottomToRt;
      break;
    case 2:
      pieces[count++] = {rr, nt, nr, rb};
      pieces[count++] = {nl, rb, nr, nb};
      keep = kRightRlBottomRb;
      break;
    case 3:
      pieces[count++] = {rr, nt, nr, nb};
      keep = kRightToRl;
      break;
    case 4:
      pieces[count++] = {nl, rt, rl, rb};
      pieces[count++] = {nl, rb, nr, nb};
      keep = kBottomToRt;
      break;
    case 5:
      pieces[count++] = {nl, rt, rl, nb};
      keep = kBottomToRt;
      break;
    case 6:
      pieces[count++] = {nl, rb, nr, nb};
      keep = kRightRlBottomRb;
      break;
    case 7:
      keep = kRightToRl;
      break;
    case 8:
      pieces[count++] = {rr, rt, nr, rb};
      pieces[count++] = {nl, rb, nr, nb};
      keep = kBottomToRt;
      break;
    case 9:
      pieces[count++] = {rr, rt, nr, nb};
      keep = kBottomToRt;
      break;
    case 10:
      pieces[count++] = {rr, nt, nr, rb};
      pieces[count++] = {nl, rb, nr, nb};
      break;
    case 11:
      pieces[count++] = {rr, nt, nr, nb};
      break;
    case 12:
      pieces[count++] = {nl, rb, nr, nb};
      keep = kBottomToRt;
      break;
    case 13:
      keep = kBottomToRt;
      break;
    case 14:
      pieces[count++] = {nl, rb, nr, nb};
      break;
    default:  // 15: wholly inside r
      break;
  }
  for (int i = 0; i < count; ++i) InsertSorted(pieces[i]);
  switch (keep) {
    case kBottomToRt:
      node->bottom = rt;
      break;
    case kRightToRl:
      node->right = rl;
      break;
    case kRightRlBottomRb:
      node->right = rl;
      node->bottom = rb;
      break;
    case kRemove:
      Unlink(node);
      break;
  }
}

// No node is taller than maxHeight_, so a node whose top lies maxHeight_ or
// more above the rectangle ends above it: it can neither cover nor overlap it,
// and the walk may start past all of them. The search begins at the cursor,
// where the last insert left off, which for rectangles added in row order is
// the node the new one joins.
RectNode* DirtyRegion::FirstReaching(const Rect& r) const {
  const int64_t reach = int64_t(r.top) - maxHeight_;  // tops at or above this end too high
  auto reaches = [reach](const RectNode* n) { return int64_t(n->top) > reach; };
  RectNode* node = cursor_ != nullptr ? cursor_ : first_;
  if (reaches(node)) {
    while (node != first_ && reaches(node->prev)) node = node->prev;
    return node;
  }
  for (node = node->next; node != first_; node = node->next) {
    if (reaches(node)) return node;
  }
  return nullptr;  // every node ends above the rectangle
}

void DirtyRegion::AddRect(const Rect& r) {
  if (r.IsEmpty()) return;
  if (count_ == 0) {
    if (InsertSorted(r)) {
      bounds_ = r;
      boundsValid_ = 1;
    }
    return;
  }
  if (!boundsValid_) RecomputeBounds();
  const bool nearBounds = bounds_.left < r.right && bounds_.top < r.bottom && r.left < bounds_.right &&
                          r.top < bounds_.bottom;
  if (!nearBounds) {
    if (InsertSorted(r)) Widen(bounds_, r);
    return;
  }
  Widen(bounds_, r);
  RectNode* node = FirstReaching(r);
  while (node != nullptr && node->top < r.bottom) {
    if (node->left <= r.left && node->top <= r.top && r.right <= node->right && r.bottom <= node->bottom) {
      return;  // already covered
    }
    const bool wasLast = node->next == first_;
    RectNode* following = node->next;
    if (node->left < r.right && r.left < node->right && r.top < node->bottom) {
      walkNext_ = following;
      cursor_ = node;
      CutOverlap(node, r);
      following = walkNext_;
      walkNext_ = nullptr;
    }
    if (count_ == 0 || wasLast || following == nullptr) break;
    node = following;
  }
  InsertSorted(r);
}

void DirtyRegion::SplitAtSharedBand(RectNode* a, RectNode* b) {
  Rect below;
  if (b->bottom < a->bottom) {
    below = {a->left, b->bottom, a->right, a->bottom};
  } else {
    below = {b->left, a->bottom, b->right, b->bottom};
  }
  const Rect band{std::min(a->left, b->left), b->top, std::max(a->right, b->right),
                  std::min(a->bottom, b->bottom)};
  a->bottom = b->top;
  Unlink(b);
  cursor_ = a;
  InsertSorted(band);
  cursor_ = a;  // the band sorts after a and never absorbs it
  InsertSorted(below);
}

void DirtyRegion::Coalesce() {
  if (count_ < 2) return;

  // Side by side: two rectangles that share rows become one over the shared
  // band, with the parts above and below as rectangles of their own.
  for (int32_t i = 0; i < count_ - 1;) {
    RectNode* a = NodeAt(i);
    bool restart = false;
    for (RectNode* b = a->next; b != first_ && b->top < a->bottom;) {
      RectNode* nextB = b->next;
      if (b->right == a->left) {
        if (b->bottom == a->bottom) {
          a->bottom = b->top;
          b->right = a->right;
          b = nextB;
          continue;
        }
        SplitAtSharedBand(a, b);
        restart = true;
        break;
      }
      if (a->right == b->left) {
        if (a->top == b->top && a->bottom == b->bottom) {
          a->right = b->right;
          Unlink(b);
          restart = true;
          break;
        }
        if (a->top == b->top) {
          const int32_t oldBottom = b->bottom;
          const int32_t oldLeft = b->left;
          a->right = b->right;
          Rect rest;
          if (a->bottom > oldBottom) {
            rest = {a->left, oldBottom, oldLeft, a->bottom};
            a->bottom = oldBottom;
          } else {
            rest = {b->left, a->bottom, b->right, b->bottom};
          }
          Unlink(b);
          cursor_ = a;
          InsertSorted(rest);
          restart = true;
          break;
        }
        if (a->bottom != b->bottom) {
          SplitAtSharedBand(a, b);
          restart = true;
          break;
        }
        a->bottom = b->top;
        b->left = a->left;
      }
      b = nextB;
    }
    if (!restart) ++i;
  }

  // Stacked: a rectangle directly below another with the same left and
  // right edges joins it.
  if (count_ < 2) return;
  cursor_ = first_;
  for (RectNode* a = first_; a->next != first_; a = a->next) {
    for (RectNode* b = a->next; b != first_ && b->top <= a->bottom;) {
      RectNode* nextB = b->next;
      if (b->top == a->bottom && b->left == a->left && b->right == a->right) {
        a->bottom = b->bottom;
        maxHeight_ = std::max(maxHeight_, int64_t(a->bottom) - a->top);
        Unlink(b);
      }
      b = nextB;
    }
    if (a->next == first_) break;
  }
}

}  // namespace orrivel
