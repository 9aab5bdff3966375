#include "platform/ThreadPriority.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

namespace orrivel::platform {
namespace {

TEST(ThreadPriority, NiceLimitDecidesWhetherTheWayBackIsOpen) {
  struct {
    int nice;
    uint64_t limit;
    bool privileged;
    bool allowed;
  } const cases[] = {
      {0, 0, false, false},   // the usual default: no raise at all
      {0, 20, false, true},   // 20 - 20 = 0 reachable
      {0, 19, false, false},
      {5, 15, false, true},
      {10, 0, true, true},
      {-5, uint64_t(RLIM_INFINITY), false, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NiceLimitAllows(c.nice, c.limit, c.privileged), c.allowed) << c.nice << " " << c.limit;
}

// Runs on a thread of its own, so the test process keeps its level whatever
// happens.
TEST(ThreadPriority, SystemServiceLowersOnlyWhenItCanRestore) {
  std::thread([] {
    const auto thread = static_cast<id_t>(syscall(SYS_gettid));
    const int before = getpriority(PRIO_PROCESS, thread);
    SystemThreadPriority priority;
    const bool lowered = priority.LowerCurrentThread();
    if (lowered) {
      EXPECT_EQ(getpriority(PRIO_PROCESS, thread), 19);
      EXPECT_FALSE(priority.LowerCurrentThread()) << "already lowered";
      EXPECT_TRUE(priority.RestoreLoweredThread());
    } else if (before < 19) {
      EXPECT_EQ(priority.RefusedRequests(), 1u) << "refused, recorded";
    }
    EXPECT_EQ(getpriority(PRIO_PROCESS, thread), before);
    EXPECT_FALSE(priority.RestoreLoweredThread());
  }).join();
}

TEST(ThreadPriority, HeadlessServiceRecordsTheCalls) {
  auto priority = CreateThreadPriority(true);
  auto* recording = dynamic_cast<RecordingThreadPriority*>(priority.get());
  ASSERT_NE(recording, nullptr);
  EXPECT_TRUE(priority->LowerCurrentThread());
  EXPECT_TRUE(priority->RestoreLoweredThread());
  EXPECT_EQ(recording->Calls().size(), 2u);
}

}  // namespace
}  // namespace orrivel::platform
