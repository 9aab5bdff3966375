#include "raster/SpriteList.h"

#include <gtest/gtest.h>

#include <vector>

#include "raster/ColorBox.h"

namespace orrivel {
namespace {

struct RecordingOwner : SpriteListOwner {
  int AddDirty(const Rect* rect) override {
    rects.push_back(rect != nullptr ? *rect : Rect{0, 0, 1, 1});
    return 1;
  }
  std::vector<Rect> rects;
};

// Boxes tagged 0..n-1 so orders read as tag lists.
struct Boxes {
  explicit Boxes(int n) : items(n) {
    for (int i = 0; i < n; ++i) {
      items[i].Init(1, 1, 0xFF000000u, i, 0);
      items[i].SetTag(uint32_t(i));
    }
  }
  std::vector<ColorBox> items;
};

std::vector<uint32_t> Tags(const SpriteList& list) {
  std::vector<uint32_t> tags;
  for (Drawable* d : list.Items()) tags.push_back(d->GetTag());
  return tags;
}

TEST(SpriteListTest, KeysOrderUnsignedWithEqualKeysBeforeOrAfter) {
  Boxes b(6);
  SpriteList list;
  ASSERT_EQ(list.Add(&b.items[0], 5, 0), 0);
  ASSERT_EQ(list.Add(&b.items[1], 5, 0), 0);            // before the equal key: on top
  ASSERT_EQ(list.AddAfterEqual(&b.items[2], 5, 0), 0);  // after both
  ASSERT_EQ(list.Add(&b.items[3], 0xFFFFFFFFu, 0), 0);  // sorts last: painted first
  ASSERT_EQ(list.Add(&b.items[4], 0, 0), 0);
  EXPECT_EQ(Tags(list), (std::vector<uint32_t>{4, 1, 0, 2, 3}));
  EXPECT_EQ(list.Head()->drawable, &b.items[4]);
  EXPECT_EQ(list.Tail()->drawable, &b.items[3]);
  // The walk back from the tail meets every node.
  std::vector<uint32_t> back;
  for (auto* n = list.Tail(); n != nullptr; n = n->prev) back.push_back(n->drawable->GetTag());
  EXPECT_EQ(back, (std::vector<uint32_t>{3, 2, 0, 1, 4}));

  EXPECT_TRUE(list.SetOrder(&b.items[2], 5, 1));  // already 5: nothing moves
  EXPECT_EQ(Tags(list), (std::vector<uint32_t>{4, 1, 0, 2, 3}));
  b.items[2].SetChanged(0);
  EXPECT_TRUE(list.SetOrder(&b.items[2], 5, 0));  // re-placed before the equal keys
  EXPECT_TRUE(b.items[2].IsChanged());
  EXPECT_EQ(Tags(list), (std::vector<uint32_t>{4, 2, 1, 0, 3}));
  EXPECT_TRUE(list.SetOrderAfterEqual(&b.items[4], 5, 0));
  EXPECT_EQ(Tags(list), (std::vector<uint32_t>{2, 1, 0, 4, 3}));
  EXPECT_FALSE(list.SetOrder(&b.items[5], 1, 0));  // not in the list
  EXPECT_FALSE(list.SetOrder(nullptr, 1, 0));
}

TEST(SpriteListTest, RefusedInsertionsChangeNothing) {
  Boxes b(2);
  SpriteList list, other;
  ASSERT_EQ(list.Add(&b.items[0], 1, 0), 0);
  b.items[0].SetChanged(0);
  EXPECT_EQ(list.Add(nullptr, 1, 0), 1);
  EXPECT_EQ(list.AddAfterEqual(nullptr, 1, 0), 1);
  EXPECT_EQ(list.Add(&b.items[0], 2, 0), 2);
  EXPECT_EQ(other.AddAfterEqual(&b.items[0], 2, 0), 2);
  EXPECT_EQ(Tags(list), (std::vector<uint32_t>{0}));
  EXPECT_TRUE(other.Items().empty());
  EXPECT_EQ(list.Head()->order, 1u);
  EXPECT_FALSE(b.items[0].IsChanged());
  EXPECT_EQ(b.items[0].OwningList(), &list);
}

TEST(SpriteListTest, RemovalsDirtyWhatWasDrawnAndClearTheOwner) {
  Boxes b(5);
  RecordingOwner owner;
  SpriteList list;
  list.SetOwner(&owner);
  for (int i = 0; i < 5; ++i) ASSERT_EQ(list.AddAfterEqual(&b.items[i], uint32_t(i % 2), 0), 0);
  list.Find(&b.items[0])->lastDrawn = {1, 2, 3, 4};
  EXPECT_TRUE(list.Remove(&b.items[0]));
  EXPECT_EQ(owner.rects, (std::vector<Rect>{{1, 2, 3, 4}}));
  EXPECT_EQ(b.items[0].OwningList(), nullptr);
  EXPECT_FALSE(list.Remove(&b.items[0]));
  list.Remove(&b.items[1]);  // never drawn: nothing to erase
  EXPECT_EQ(owner.rects.size(), 1u);
  // Keys now 0 (2, 4) and 1 (3).
  list.RemoveByOrder(0, 1);  // invert: every other key goes
  EXPECT_EQ(Tags(list), (std::vector<uint32_t>{2, 4}));
  list.RemoveByOrder(7, 0);
  EXPECT_EQ(Tags(list), (std::vector<uint32_t>{2, 4}));
  list.RemoveByOrder(0, 0);
  EXPECT_TRUE(list.Items().empty());
  EXPECT_EQ(list.Head(), nullptr);
  EXPECT_EQ(list.Tail(), nullptr);
  {
    ColorBox shortLived;
    list.Add(&shortLived, 3, 0);
    list.Head()->lastDrawn = {5, 5, 6, 6};
  }  // its destructor leaves the list and erases its place
  EXPECT_EQ(owner.rects.back(), (Rect{5, 5, 6, 6}));
  EXPECT_TRUE(list.Items().empty());
}

TEST(SpriteListTest, FiltersMatchAnyEqualOrUnequal) {
  Boxes b(4);
  SpriteList list;
  for (int i = 0; i < 4; ++i) list.AddAfterEqual(&b.items[i], uint32_t(i), uint32_t(i % 2));
  list.SetVisibleMatching(0, SpriteList::kAny, 1, SpriteList::kAny, 0);  // flags 1: tags 1, 3
  EXPECT_EQ(std::vector<bool>({b.items[0].IsVisible(), b.items[1].IsVisible(),
                               b.items[2].IsVisible(), b.items[3].IsVisible()}),
            (std::vector<bool>{true, false, true, false}));
  list.SetVisibleMatching(0, 2, SpriteList::kAny, SpriteList::kAny, 1);  // every key but 2
  EXPECT_TRUE(b.items[2].IsVisible());
  EXPECT_FALSE(b.items[0].IsVisible());
  list.RemoveMatching(SpriteList::kAny, 2, 1);  // every tag but 2
  EXPECT_EQ(Tags(list), (std::vector<uint32_t>{2}));
  list.RemoveMatching(1, SpriteList::kAny, 0);  // flags of tag 2 are 0: stays
  EXPECT_EQ(Tags(list), (std::vector<uint32_t>{2}));
  list.Clear();
  EXPECT_TRUE(list.Items().empty());
  EXPECT_EQ(b.items[2].OwningList(), nullptr);
}

}  // namespace
}  // namespace orrivel
