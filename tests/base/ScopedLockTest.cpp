#include "base/ScopedLock.h"

#include <gtest/gtest.h>

namespace orrivel {
namespace {

// Counts the calls that reach the lock.
class CountingLock : public CriticalSection {
 public:
  int32_t Lock() override {
    ++locks;
    return CriticalSection::Lock();
  }
  void Unlock() override {
    ++unlocks;
    CriticalSection::Unlock();
  }
  int locks = 0;
  int unlocks = 0;
};

TEST(ScopedLock, ReleasesExactlyWhatItStillHolds) {
  struct Case {
    int extraLocks;   // Lock calls after construction
    int handUnlocks;  // Unlock calls before the end, some beyond what it holds
  };
  for (const Case& c : {Case{0, 0}, Case{1, 0}, Case{0, 1}, Case{0, 3}, Case{2, 1}}) {
    SCOPED_TRACE(testing::Message() << c.extraLocks << " " << c.handUnlocks);
    CountingLock lock;
    {
      ScopedLock guard(lock);
      for (int i = 0; i < c.extraLocks; ++i) guard.Lock();
      for (int i = 0; i < c.handUnlocks; ++i) guard.Unlock();
      const int held = std::max(0, 1 + c.extraLocks - c.handUnlocks);
      EXPECT_EQ(guard.Count(), held);
      EXPECT_EQ(lock.LockCount(), held);
    }
    EXPECT_EQ(lock.locks, 1 + c.extraLocks);
    EXPECT_EQ(lock.unlocks, 1 + c.extraLocks);  // never more unlocks than locks
    EXPECT_EQ(lock.OwnerThreadId(), CriticalSection::kNoOwner);
  }
}

}  // namespace
}  // namespace orrivel
