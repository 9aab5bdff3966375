#pragma once
// The scheduling priority of the calling thread, lowered while the game wants
// the machine to stay responsive (long effects) and restored afterwards.
//
// An unprivileged process may always lower a thread's priority, but may raise
// it back only as far as its nice limit allows. The system service therefore
// lowers a thread only when it could restore the saved level later; otherwise
// it records the request and changes nothing. The headless service changes
// nothing and records the calls.
#include <cstdint>
#include <memory>
#include <vector>

namespace orrivel::platform {

class ThreadPriority {
 public:
  virtual ~ThreadPriority() = default;
  // Lowers the calling thread to the lowest level and saves the old one.
  // True when the level changed.
  virtual bool LowerCurrentThread() = 0;
  // Restores the level saved by the last LowerCurrentThread that changed it,
  // on the thread that was lowered. True when the level changed back.
  virtual bool RestoreLoweredThread() = 0;
};

// The nice value a thread may come back to: true when an unprivileged raise
// from the lowest level (19) to `nice` is within the limit `niceLimit`
// (RLIMIT_NICE's soft value, where 20 - limit is the highest reachable).
bool NiceLimitAllows(int nice, uint64_t niceLimit, bool privileged);

class SystemThreadPriority : public ThreadPriority {
 public:
  bool LowerCurrentThread() override;
  bool RestoreLoweredThread() override;
  // Requests that were recorded without a change (the way back was barred).
  uint32_t RefusedRequests() const { return refused_; }

 private:
  long loweredThread_ = 0;  // kernel thread id, 0 when none is lowered
  int savedNice_ = 0;
  uint32_t refused_ = 0;
};

class RecordingThreadPriority : public ThreadPriority {
 public:
  enum class Call : uint8_t { Lower, Restore };
  bool LowerCurrentThread() override;
  bool RestoreLoweredThread() override;
  const std::vector<Call>& Calls() const { return calls_; }
  bool Lowered() const { return lowered_; }

 private:
  std::vector<Call> calls_;
  bool lowered_ = false;
};

// Sets the calling thread to one of the five steps the engine names: 0
// lowest, 1 below normal, 2 normal, 3 above normal, 4 highest. Best effort:
// raising a thread above normal needs privileges here, and without them the
// thread stays where it is. True when applied.
bool SetCurrentThreadStep(uint8_t step);

// The system service, or the recording one for a headless run.
std::unique_ptr<ThreadPriority> CreateThreadPriority(bool headless);

}  // namespace orrivel::platform
