#include "base/WeakLink.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace orrivel {
namespace {

struct Held : LinkTarget {
  virtual ~Held() = default;
  int value = 7;
};
// A second base first, so the target sits at another address than the object.
struct Other {
  virtual ~Other() = default;
  int pad = 0;
};
struct Offset : Other, Held {};

TEST(WeakLinkTest, EveryLinkTurnsNullWhenItsObjectGoes) {
  auto object = std::make_unique<Offset>();
  Held* held = object.get();
  WeakLink<Held> first(held);
  WeakLink<Held> second(held);
  WeakLink<Held> copy(first);
  EXPECT_EQ(object->LinkCount(), 3u);
  EXPECT_EQ(copy->value, 7);
  object.reset();
  EXPECT_FALSE(first);
  EXPECT_FALSE(second);
  EXPECT_EQ(copy.Get(), nullptr);
}

TEST(WeakLinkTest, ALinkThatGoesOrIsReaimedFirstLeavesTheObjectUntouched) {
  Held a;
  Held b;
  {
    WeakLink<Held> gone(&a);
    WeakLink<Held> moved(&a);
    moved = &b;
    EXPECT_EQ(a.LinkCount(), 1u);
    EXPECT_EQ(b.LinkCount(), 1u);
  }
  EXPECT_EQ(a.LinkCount(), 0u);
  EXPECT_EQ(b.LinkCount(), 0u);
}

TEST(WeakLinkTest, TheHolderIsToldAndMayDeleteItselfOrItsOtherLinks) {
  struct Holder {
    WeakLink<Held> link;
    WeakLink<Held> sibling;
  };
  auto object = std::make_unique<Held>();
  auto holder = std::make_unique<Holder>();
  int told = 0;
  holder->sibling.Reset(object.get());
  holder->link.Reset(object.get());
  holder->link.SetOnBroken([&] {
    ++told;
    holder.reset();  // the holder goes with both its links
  });
  object.reset();
  EXPECT_EQ(told, 1);
  EXPECT_EQ(holder, nullptr);
}

TEST(WeakLinkTest, BreakLinksBeforeTheDestructorTellsEachHolderOnce) {
  Held object;
  std::vector<int> told;
  WeakLink<Held> one(&object, [&] { told.push_back(1); });
  WeakLink<Held> two(&object, [&] { told.push_back(2); });
  object.BreakLinks();
  EXPECT_EQ(told.size(), 2u);
  object.BreakLinks();
  EXPECT_EQ(told.size(), 2u);
  EXPECT_FALSE(one);
  EXPECT_FALSE(two);
}

}  // namespace
}  // namespace orrivel
