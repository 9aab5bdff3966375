#include "base/LowPriority.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/ThreadPriority.h"

namespace orrivel {
namespace {

using Call = platform::RecordingThreadPriority::Call;

TEST(LowPriority, FirstEnterLowersAndTheLeaveBackToZeroRestores) {
  platform::RecordingThreadPriority priority;
  LowPriorityNesting nesting(priority);
  nesting.Install();
  EnterLowPriority();
  EnterLowPriority();
  LeaveLowPriority();
  EXPECT_TRUE(priority.Lowered());
  LeaveLowPriority();
  LeaveLowPriority();  // unmatched: nothing
  EXPECT_EQ(priority.Calls(), (std::vector<Call>{Call::Lower, Call::Restore}));
  ResetLowPriorityHooks();
  EXPECT_FALSE(HasEnterLowPriorityHook());
  EnterLowPriority();  // no hook: skipped
  EXPECT_EQ(priority.Calls().size(), 2u);
}

TEST(LowPriority, SwitchedOffDoesNothingAndSwitchingOffWhileLoweredRestores) {
  platform::RecordingThreadPriority priority;
  LowPriorityNesting nesting(priority);
  nesting.SetEnabled(false);
  nesting.Enter();
  nesting.Leave();
  EXPECT_TRUE(priority.Calls().empty());
  nesting.SetEnabled(true);
  nesting.Enter();
  nesting.Enter();
  nesting.SetEnabled(false);
  EXPECT_FALSE(priority.Lowered());
  nesting.Leave();
  nesting.SetEnabled(true);
  nesting.Leave();  // the count was dropped with the switch
  EXPECT_EQ(priority.Calls(), (std::vector<Call>{Call::Lower, Call::Restore}));
  EXPECT_EQ(nesting.Depth(), 0u);
}

}  // namespace
}  // namespace orrivel
