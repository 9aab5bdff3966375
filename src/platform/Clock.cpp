#include "platform/Clock.h"

#include <time.h>

namespace orrivel::platform {
namespace {

uint64_t MonotonicNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint64_t(ts.tv_sec) * 1000000000ull + uint64_t(ts.tv_nsec);
}

SystemClock& TheSystemClock() {
  static SystemClock clock;
  return clock;
}

std::atomic<ClockSource*> g_source{nullptr};

}  // namespace

uint32_t SystemClock::TickMs() {
  const uint32_t ms = uint32_t(MonotonicNs() / 1000000ull);
  return ms == 0 ? 1 : ms;
}

uint64_t SystemClock::Counter() { return MonotonicNs(); }
uint64_t SystemClock::CounterFrequency() { return 1000000000ull; }
uint32_t SystemClock::MinTimerPeriodMs() { return 1; }

void SystemClock::Sleep(uint32_t ms) {
  timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

uint32_t ManualClock::TickMs() {
  const uint32_t ms = tick_.load();
  return ms == 0 ? 1 : ms;
}

void ManualClock::Advance(uint32_t ms) {
  tick_ += ms;
  counter_ += uint64_t(ms) * frequency_.load() / 1000;
}

ClockSource& Clock() {
  ClockSource* source = g_source.load(std::memory_order_acquire);
  return source ? *source : TheSystemClock();
}

ClockSource* SetClock(ClockSource* source) {
  ClockSource* previous = g_source.exchange(source, std::memory_order_acq_rel);
  return previous ? previous : &TheSystemClock();
}

}  // namespace orrivel::platform
