#include "base/CpuClock.h"

#include <cstdint>

#include "base/ProcessorInfo.h"
#include "base/TickSource.h"
#include "platform/Clock.h"
#include "platform/Cpuid.h"

namespace orrivel {

namespace {

bool g_measured = false;
float g_mhz = 0.0f;

}  // namespace

void ResetCpuClockForTest() {
  g_measured = false;
  g_mhz = 0.0f;
}

float MeasureCpuClock() {
  if (g_measured) return g_mhz;
  g_measured = true;
  IdentifyProcessor();  // no-op once identified
  if (!Processor().tsc) return g_mhz = 0.0f;

  platform::ClockSource& clock = platform::Clock();
  platform::CpuidSource& cpu = platform::Cpuid();
  const uint64_t frequency = clock.CounterFrequency();
  // A counter that cannot measure half a second is no counter.
  const bool useCounter = frequency >= 2;
  const uint64_t tscStart = cpu.ReadTimeStampCounter();
  uint64_t counterSpan = 0;
  if (useCounter) {
    const uint64_t c0 = clock.Counter();
    clock.Sleep(500);
    counterSpan = clock.Counter() - c0;
  } else {
    const uint32_t start = CurrentTickMs();
    while (TickDiff(CurrentTickMs(), start) < 500) clock.Sleep(1);
  }
  // The whole counter difference: a fast processor overruns 32 bits in
  // half a second.
  const double cycles = double(cpu.ReadTimeStampCounter() - tscStart);

  double mhz = 0.0;
  if (!useCounter) {
    mhz = cycles * 2e-6;
  } else {
    const int64_t half = int64_t(frequency / 2);
    const int64_t excess = int64_t(counterSpan) - half;
    const double elapsedUs = double(excess) * 500000.0 / double(half) + 500000.0;
    mhz = elapsedUs > 0.0 ? cycles / elapsedUs : 0.0;
  }
  g_mhz = float(mhz);
  return g_mhz;
}

}  // namespace orrivel
