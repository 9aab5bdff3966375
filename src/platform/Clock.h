#pragma once
// The machine's clocks, behind one replaceable source so that tests can drive
// time by hand. Engine code reads time through base/TickSource.h.
#include <atomic>
#include <cstdint>

namespace orrivel::platform {

class ClockSource {
 public:
  virtual ~ClockSource() = default;
  // Monotonic milliseconds, wrapping at 2^32. Never 0: callers use 0 as
  // "not started".
  virtual uint32_t TickMs() = 0;
  // High-resolution counter and its counts per second (0 when there is none).
  virtual uint64_t Counter() = 0;
  virtual uint64_t CounterFrequency() = 0;
  // Finest timer period the machine offers, in ms (0 when it cannot tell).
  virtual uint32_t MinTimerPeriodMs() = 0;
  virtual void Sleep(uint32_t ms) = 0;
};

// The monotonic clock of the machine.
class SystemClock final : public ClockSource {
 public:
  uint32_t TickMs() override;
  uint64_t Counter() override;
  uint64_t CounterFrequency() override;
  uint32_t MinTimerPeriodMs() override;
  void Sleep(uint32_t ms) override;
};

// A clock that moves only when told to; Sleep advances it. The counter runs
// at 1 MHz alongside the millisecond tick unless set apart.
class ManualClock final : public ClockSource {
 public:
  explicit ManualClock(uint32_t startMs = 1000) : tick_(startMs), counter_(uint64_t(startMs) * 1000) {}
  uint32_t TickMs() override;
  uint64_t Counter() override { return counter_.load(); }
  uint64_t CounterFrequency() override { return frequency_.load(); }
  uint32_t MinTimerPeriodMs() override { return minPeriod_.load(); }
  void Sleep(uint32_t ms) override { Advance(ms); }

  void Advance(uint32_t ms);
  void SetTick(uint32_t ms) { tick_ = ms; }
  void SetCounter(uint64_t counts) { counter_ = counts; }
  void AdvanceCounter(uint64_t counts) { counter_ += counts; }
  void SetCounterFrequency(uint64_t perSecond) { frequency_ = perSecond; }
  void SetMinTimerPeriodMs(uint32_t ms) { minPeriod_ = ms; }

 private:
  std::atomic<uint32_t> tick_;
  std::atomic<uint64_t> counter_;
  std::atomic<uint64_t> frequency_{1000000};
  std::atomic<uint32_t> minPeriod_{1};
};

// The process-wide source (the system clock unless replaced).
ClockSource& Clock();
// Replaces the source; nullptr restores the system clock. Returns the old one.
ClockSource* SetClock(ClockSource* source);

// Keeps a replacement clock in place for a scope.
class ScopedClock {
 public:
  explicit ScopedClock(ClockSource& source) : previous_(SetClock(&source)) {}
  ~ScopedClock() { SetClock(previous_); }
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  ClockSource* previous_;
};

}  // namespace orrivel::platform
