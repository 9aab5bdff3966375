#include "natives/ObjectPool.h"

#include <gtest/gtest.h>

#include <vector>

#include "resource/FileObject.h"
#include "resource/LadAnimation.h"

namespace orrivel {
namespace {

// Records its own deletion, so the tests can tell who deleted it.
struct Loaded {
  explicit Loaded(int id, std::vector<int>* gone) : id(id), gone(gone) {}
  virtual ~Loaded() { gone->push_back(id); }
  int id;
  std::vector<int>* gone;
};

using Pool = ObjectPool<Loaded>;

Pool::Object* Make(Pool& pool, int id, std::vector<int>* gone) {
  Pool::Object* out = nullptr;
  EXPECT_EQ(pool.CreateWith(&out, [](Pool::Object&) { return 0; }, id, gone), 0);
  return out;
}

TEST(ObjectPool, ReleasingAHeldObjectHandsItToItsHoldersAndTheLastDropDeletesIt) {
  std::vector<int> gone;
  Pool pool;
  Pool::Object* shared = Make(pool, 1, &gone);
  Pool::Object* alone = Make(pool, 2, &gone);
  Pool::Hold(shared);
  Pool::Hold(shared);
  ASSERT_EQ(shared->holders, 2);

  EXPECT_EQ(pool.Release(shared), 0);
  EXPECT_TRUE(gone.empty());
  EXPECT_EQ(shared->holders, 1);
  EXPECT_EQ(pool.Count(), 1u);
  // Out of the pool: a second release through it does not find it.
  EXPECT_EQ(pool.Release(shared), 2);
  EXPECT_EQ(pool.Release(nullptr), 1);

  // The remaining holders drop it; the last drop deletes it (LeakSanitizer
  // would report it otherwise).
  EXPECT_FALSE(Pool::Drop(shared));
  EXPECT_TRUE(gone.empty());
  EXPECT_TRUE(Pool::Drop(shared));
  EXPECT_EQ(gone, std::vector<int>{1});

  // A holder's drop never deletes an object the pool still keeps.
  Pool::Hold(alone);
  EXPECT_FALSE(Pool::Drop(alone));
  EXPECT_FALSE(Pool::Drop(alone));
  EXPECT_TRUE(pool.Contains(alone));
  EXPECT_EQ(pool.Release(alone), 0);
  EXPECT_EQ(gone, (std::vector<int>{1, 2}));
}

TEST(ObjectPool, ReleaseAllGoesInCreationOrderAndLeavesThePoolUsable) {
  std::vector<int> gone;
  Pool pool;
  pool.ReleaseAll();  // empty: nothing happens
  EXPECT_EQ(pool.Count(), 0u);
  Make(pool, 1, &gone);
  Pool::Object* held = Make(pool, 2, &gone);
  Make(pool, 3, &gone);
  Pool::Hold(held);
  pool.ReleaseAll();
  EXPECT_EQ(gone, (std::vector<int>{1, 3}));
  EXPECT_EQ(pool.Count(), 0u);
  EXPECT_TRUE(Pool::Drop(held));
  EXPECT_NE(Make(pool, 4, &gone), nullptr);
  EXPECT_EQ(pool.Count(), 1u);
  // The pool's destructor releases what is left.
}

TEST(ObjectPool, AFailedLoadLeavesNoObjectAndTheCountUnchanged) {
  std::vector<int> gone;
  Pool pool;
  Make(pool, 1, &gone);
  Pool::Object* out = reinterpret_cast<Pool::Object*>(&gone);  // anything but null
  EXPECT_EQ(pool.CreateWith(&out, [](Pool::Object&) { return 3; }, 2, &gone), 3);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(pool.Count(), 1u);
  EXPECT_EQ(gone, std::vector<int>{2});
}

TEST(ObjectPool, ClearForgetsTheObjectsForGood) {
  std::vector<int> gone;
  Pool pool;
  Make(pool, 1, &gone);
  Pool::Object* held = Make(pool, 2, &gone);
  Pool::Hold(held);
  pool.Clear();
  // Nobody else held the first one, so it could not be left behind.
  EXPECT_EQ(gone, std::vector<int>{1});
  EXPECT_EQ(held->holders, 1);
  Pool::Object* out = nullptr;
  EXPECT_EQ(pool.CreateWith(&out, [](Pool::Object&) { return 0; }, 3, &gone), -1);
  EXPECT_EQ(out, nullptr);
  EXPECT_FALSE(Pool::Drop(held));
  EXPECT_TRUE(Pool::Drop(held));
}

TEST(ObjectPool, TheGamePoolsRunTheirLoadSteps) {
  FilePool files;
  FilePool::Object* file = nullptr;
  EXPECT_EQ(files.Create(&file), 0);
  EXPECT_NE(file, nullptr);
  EXPECT_EQ(files.Count(), 1u);

  LadAnimationPool animations;
  LadAnimationPool::Object* missing = nullptr;
  EXPECT_NE(animations.Create(&missing, "NO_SUCH_FILE.LAD"), 0);
  EXPECT_EQ(missing, nullptr);
  EXPECT_EQ(animations.Count(), 0u);
}

}  // namespace
}  // namespace orrivel
