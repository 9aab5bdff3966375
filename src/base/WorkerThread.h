#pragma once
// The base of every background thread. Start returns only once the new thread
// has marked itself running; Join asks the body to stop and waits for it, and
// refuses to join the calling thread itself. A thread runs either its
// attached job or its own Run.
//
// A derived class whose Run uses the derived object must Join in its own
// destructor: this base joins too, but by then the derived part is gone.
#include <atomic>
#include <cstdint>
#include <thread>

#include "base/CriticalSection.h"
#include "base/Event.h"
#include "base/JobHandle.h"

namespace orrivel {

class WorkerThread {
 public:
  static constexpr uint32_t kNoThread = 0xFFFFFFFFu;

  WorkerThread() = default;
  virtual ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // The body when no job is attached. Loop while Wait(period) returns 0 or
  // while CanContinue is 1, and return when asked to stop.
  virtual void Run() {}
  virtual bool IsRunning() const { return runningEvent_.IsSet(); }
  // 1 until a stop is asked for, then 0.
  virtual int32_t CanContinue() const { return stopEvent_.IsSet() ? 0 : 1; }
  // Attaches the job, then Start.
  virtual int32_t SetJob(const JobHandle& job);
  // 0 started, 1 the thread could not be created (or the old one could not
  // be joined, as when a body restarts its own thread). A running thread is
  // stopped and joined first.
  virtual int32_t Start();
  // Attaches the job without starting; an empty handle detaches the job.
  virtual void AssignJob(const JobHandle& job);
  // 0 joined (or nothing to join), 1 the wait failed, 2 called from the
  // thread itself (which is left running).
  virtual int32_t Join();
  virtual void RequestStop() { stopEvent_.Set(); }
  // 0 when the time-out passed, 1 when a stop was asked for.
  virtual int32_t Wait(uint32_t timeoutMs);
  virtual uint32_t GetThreadId() const { return threadId_.load(std::memory_order_acquire); }
  bool HasThread() const;

  const JobHandle& Job() const { return job_; }

 private:
  static void ThreadProc(WorkerThread* self);

  std::thread thread_;
  std::atomic<uint32_t> threadId_{kNoThread};
  Event stopEvent_;
  Event runningEvent_;
  mutable CriticalSection lock_;
  JobHandle job_;
  // Exists only while Start waits for the new thread.
  Event* handshake_ = nullptr;
};

}  // namespace orrivel
