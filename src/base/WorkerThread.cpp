#include "base/WorkerThread.h"

#include <system_error>

#include "base/ScopedLock.h"
#include "platform/ThreadId.h"

namespace orrivel {
namespace {
// The worker whose body runs on this thread. Join and Start compare against
// it rather than against the stored thread id, which a Join on another thread
// may already have cleared while the body still runs.
thread_local const WorkerThread* t_runningWorker = nullptr;
}  // namespace

WorkerThread::~WorkerThread() {
  // A body that destroys its own thread object cannot wait for itself: the
  // thread is let go, and told that this object is gone so that it touches
  // nothing of it once the body returns.
  if (Join() == 2) {
    thread_.detach();
    t_runningWorker = nullptr;
  }
  ScopedLock guard(lock_);
  job_.Reset();
}

bool WorkerThread::HasThread() const {
  ScopedLock guard(lock_);
  return thread_.joinable();
}

int32_t WorkerThread::SetJob(const JobHandle& job) {
  ScopedLock guard(lock_);
  AssignJob(job);
  return Start();
}

void WorkerThread::AssignJob(const JobHandle& job) {
  ScopedLock guard(lock_);
  job_ = job;  // a no-op for the thread's own job; otherwise releases and counts
}

int32_t WorkerThread::Start() {
  ScopedLock guard(lock_);
  // A body cannot restart its own thread: it would have to join itself first.
  if (Join() != 0) return 1;
  stopEvent_.Reset();
  runningEvent_.Reset();
  Event handshake;
  handshake_ = &handshake;
  int32_t result = 0;
  try {
    thread_ = std::thread(&WorkerThread::ThreadProc, this);
    handshake.Wait(Event::kInfinite);
  } catch (const std::system_error&) {
    result = 1;
  }
  handshake_ = nullptr;
  return result;
}

void WorkerThread::ThreadProc(WorkerThread* self) {
  t_runningWorker = self;
  self->threadId_.store(platform::CurrentThreadId(), std::memory_order_release);
  // Start holds the lock until the handshake, so reading the job here is safe.
  JobHandle job(self->job_);
  self->runningEvent_.Set();
  self->handshake_->Set();
  if (job.Object()) {
    job.Object()->Invoke();
    job.Reset();
  } else {
    self->Run();
  }
  if (t_runningWorker != self) return;  // the body destroyed its own object
  self->RequestStop();
  self->runningEvent_.Reset();
}

int32_t WorkerThread::Join() {
  ScopedLock guard(lock_);
  RequestStop();
  if (t_runningWorker == this) return 2;
  if (!thread_.joinable()) return 0;
  std::thread ending = std::move(thread_);
  threadId_.store(kNoThread, std::memory_order_release);
  // The ending thread never takes the lock, but others may want it meanwhile.
  guard.Unlock();
  int32_t result = 0;
  try {
    ending.join();
  } catch (const std::system_error&) {
    ending.detach();
    result = 1;
  }
  guard.Lock();
  return result;
}

int32_t WorkerThread::Wait(uint32_t timeoutMs) { return stopEvent_.Wait(timeoutMs) == 1 ? 0 : 1; }

}  // namespace orrivel
