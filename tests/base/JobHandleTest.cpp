#include "base/JobHandle.h"

#include <gtest/gtest.h>

namespace orrivel {
namespace {

struct Counter {
  void Bump() { ++calls; }
  int calls = 0;
};

// A bound call that reports its destruction.
class TrackedCall : public JobCall {
 public:
  explicit TrackedCall(int* destroyed) : destroyed_(destroyed) {}
  ~TrackedCall() override { ++*destroyed_; }
  void Invoke() override {}

 private:
  int* destroyed_;
};

TEST(JobHandle, LastHandleReleasesTheRecordAndAnOwnedCall) {
  for (bool ownsCall : {true, false}) {
    SCOPED_TRACE(ownsCall);
    int callsDestroyed = 0;
    TrackedCall* call = new TrackedCall(&callsDestroyed);
    JobHandle first = JobHandle::Make(call, ownsCall);
    JobRecord* record = first.Record();
    EXPECT_EQ(record->count.load(), 1u);
    EXPECT_EQ(record->tagA, 4u);
    EXPECT_EQ(record->tagB, 1u);
    {
      JobHandle second(first);
      JobHandle third;
      third = second;
      third = first;  // same record: no extra count
      EXPECT_EQ(record->count.load(), 3u);
      JobHandle moved(std::move(third));
      EXPECT_EQ(third.Record(), nullptr);
      EXPECT_EQ(record->count.load(), 3u);
    }
    EXPECT_EQ(record->count.load(), 1u);
    EXPECT_EQ(first.Object(), call);
    first.Reset();
    EXPECT_EQ(first.Object(), nullptr);
    EXPECT_EQ(first.Record(), nullptr);
    EXPECT_EQ(callsDestroyed, ownsCall ? 1 : 0);
    first.Reset();  // releasing an empty handle does nothing
    if (!ownsCall) delete call;
  }
}

TEST(JobHandle, MemberCallInvokesTheMember) {
  Counter counter;
  JobHandle job = JobHandle::Make(new MemberJobCall<Counter>(&counter, &Counter::Bump), true);
  job.Object()->Invoke();
  job.Object()->Invoke();
  EXPECT_EQ(counter.calls, 2);
}

}  // namespace
}  // namespace orrivel
