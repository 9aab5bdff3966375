#include "base/CriticalSection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/ThreadId.h"

namespace orrivel {
namespace {

TEST(CriticalSection, RecursesAndRecordsItsOwner) {
  CriticalSection lock;
  EXPECT_EQ(lock.OwnerThreadId(), 0xFFFFFFFFu);
  EXPECT_FALSE(lock.GetOwnerThread());
  EXPECT_EQ(lock.Lock(), 1);
  EXPECT_EQ(lock.Lock(), 2);
  lock.Unlock();
  EXPECT_TRUE(lock.GetOwnerThread());
  EXPECT_EQ(lock.OwnerThreadId(), platform::CurrentThreadId());
  EXPECT_EQ(lock.LockCount(), 1);

  // Another thread sees the owner, cannot get in and cannot unlock it.
  std::atomic<bool> gotIn{false};
  std::thread other([&] {
    EXPECT_FALSE(lock.GetOwnerThread());
    lock.Unlock();  // not the holder: no effect
    lock.Lock();
    gotIn = true;
    lock.Unlock();
  });
  for (int i = 0; i < 20; ++i) std::this_thread::yield();
  EXPECT_FALSE(gotIn.load());
  EXPECT_TRUE(lock.GetOwnerThread());
  lock.Unlock();
  other.join();
  EXPECT_TRUE(gotIn.load());
  EXPECT_EQ(lock.OwnerThreadId(), 0xFFFFFFFFu);
  EXPECT_EQ(lock.LockCount(), 0);
}

}  // namespace
}  // namespace orrivel
