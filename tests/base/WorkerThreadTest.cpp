#include "base/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/ThreadId.h"

namespace orrivel {
namespace {

// Loops until asked to stop, as a body written for the base does.
class LoopingThread : public WorkerThread {
 public:
  ~LoopingThread() override { Join(); }
  void Run() override {
    ++runs;
    while (Wait(1) == 0) {
    }
    ++ends;
  }
  std::atomic<int> runs{0};
  std::atomic<int> ends{0};
};

TEST(WorkerThread, StartRunsTheBodyAndJoinEndsIt) {
  LoopingThread thread;
  EXPECT_EQ(thread.Join(), 0);  // nothing to join yet
  EXPECT_EQ(thread.GetThreadId(), WorkerThread::kNoThread);
  ASSERT_EQ(thread.Start(), 0);
  EXPECT_TRUE(thread.IsRunning());  // the handshake waited for it
  EXPECT_TRUE(thread.HasThread());
  EXPECT_EQ(thread.CanContinue(), 1);
  const uint32_t first = thread.GetThreadId();
  EXPECT_NE(first, WorkerThread::kNoThread);
  EXPECT_NE(first, platform::CurrentThreadId());

  // Starting again stops and joins the old thread before the new one runs.
  ASSERT_EQ(thread.Start(), 0);
  EXPECT_EQ(thread.ends.load(), 1);
  EXPECT_NE(thread.GetThreadId(), first);

  EXPECT_EQ(thread.Join(), 0);
  EXPECT_EQ(thread.runs.load(), 2);
  EXPECT_EQ(thread.ends.load(), 2);
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_FALSE(thread.HasThread());
  EXPECT_EQ(thread.CanContinue(), 0);
  EXPECT_EQ(thread.GetThreadId(), WorkerThread::kNoThread);
  EXPECT_EQ(thread.Wait(0), 1);  // the stop stays signalled after the end
}

// Tries to join and to restart itself from its own body.
class SelfJoiningThread : public WorkerThread {
 public:
  ~SelfJoiningThread() override { Join(); }
  void Run() override {
    joinResult = Join();
    canContinue = CanContinue();
    restartResult = Start();
  }
  std::atomic<int32_t> joinResult{-1};
  std::atomic<int32_t> canContinue{-1};
  std::atomic<int32_t> restartResult{-1};
};

TEST(WorkerThread, BodyCannotJoinOrRestartItself) {
  SelfJoiningThread thread;
  ASSERT_EQ(thread.Start(), 0);
  EXPECT_EQ(thread.Join(), 0);
  EXPECT_EQ(thread.joinResult.load(), 2);
  EXPECT_EQ(thread.canContinue.load(), 0);  // the refused join still asked for a stop
  EXPECT_EQ(thread.restartResult.load(), 1);
}

// Destroys its own thread object from its body, once the starter has let go.
class SelfDeletingThread : public WorkerThread {
 public:
  void Run() override {
    while (!go) std::this_thread::yield();
    delete this;
    // Set when this thread has ended, after everything that ran past the body.
    thread_local ThreadEndMarker marker;
    (void)marker;
  }
  static inline std::atomic<bool> go{false};
  static inline std::atomic<bool> ended{false};

 private:
  struct ThreadEndMarker {
    ~ThreadEndMarker() { ended = true; }
  };
};

TEST(WorkerThread, BodyThatDestroysItsOwnObjectEndsWithoutTouchingIt) {
  auto* thread = new SelfDeletingThread;
  ASSERT_EQ(thread->Start(), 0);
  SelfDeletingThread::go = true;
  while (!SelfDeletingThread::ended) std::this_thread::yield();
}

struct Job {
  void Work() {
    ranOn = platform::CurrentThreadId();
    ++calls;
  }
  std::atomic<uint32_t> ranOn{0};
  std::atomic<int> calls{0};
};

class CountingRecord : public JobRecord {
 public:
  CountingRecord(JobCall* call, bool ownsCall, int* destroyed) : JobRecord(call, ownsCall), destroyed_(destroyed) {}
  ~CountingRecord() override { ++*destroyed_; }

 private:
  int* destroyed_;
};

TEST(WorkerThread, AttachedJobRunsInPlaceOfTheBodyAndIsReleased) {
  for (bool ownsCall : {true, false}) {
    SCOPED_TRACE(ownsCall);
    Job work;
    auto* call = new MemberJobCall<Job>(&work, &Job::Work);
    int recordsDestroyed = 0;
    auto* record = new CountingRecord(call, ownsCall, &recordsDestroyed);
    {
      LoopingThread thread;
      {
        JobHandle job(call, 0, record);
        ASSERT_EQ(thread.SetJob(job), 0);
        const uint32_t workerId = thread.GetThreadId();
        EXPECT_EQ(thread.Join(), 0);
        EXPECT_EQ(work.calls.load(), 1);
        EXPECT_EQ(work.ranOn.load(), workerId);
        EXPECT_EQ(thread.runs.load(), 0);  // the job ran instead of Run
        EXPECT_EQ(record->count.load(), 2u);  // ours and the thread's; the run's copy is gone
        thread.AssignJob(job);  // its own job again: no extra count
        EXPECT_EQ(record->count.load(), 2u);
      }
      EXPECT_EQ(record->count.load(), 1u);
      EXPECT_EQ(recordsDestroyed, 0);
    }
    EXPECT_EQ(recordsDestroyed, 1);  // the thread's destruction dropped the last count
    if (!ownsCall) delete call;
  }
}

}  // namespace
}  // namespace orrivel
