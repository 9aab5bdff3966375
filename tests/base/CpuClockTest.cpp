#include "base/CpuClock.h"

#include <gtest/gtest.h>

#include "base/ProcessorInfo.h"
#include "platform/Clock.h"
#include "platform/Cpuid.h"

namespace orrivel {
namespace {

class CpuClockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProcessorInfoForTest();
    ResetCpuClockForTest();
  }
  void TearDown() override {
    ResetProcessorInfoForTest();
    ResetCpuClockForTest();
  }

  // A processor with a time-stamp counter that runs `mhz` cycles for each
  // microsecond of the manual clock's counter.
  platform::RecordedCpuid CpuAt(platform::ManualClock& clock, uint64_t cyclesPerCount, bool tsc = true) {
    platform::RecordedCpuid cpu;
    cpu.Set(0, {1, 0x756E6547, 0x6C65746E, 0x49656E69});
    cpu.Set(1, {0x0F29, 0, 0, tsc ? 0x10u : 0u});
    cpu.SetTimeStampCounter([&clock, cyclesPerCount] { return clock.Counter() * cyclesPerCount; });
    return cpu;
  }
};

TEST_F(CpuClockTest, MeasuresWithTheCounterAndCaches) {
  platform::ManualClock clock(5000);  // counter 1 MHz, Sleep advances it
  platform::ScopedClock scopedClock(clock);
  platform::RecordedCpuid cpu = CpuAt(clock, 2400);
  platform::ScopedCpuid scopedCpu(cpu);

  const uint32_t before = clock.TickMs();
  EXPECT_FLOAT_EQ(MeasureCpuClock(), 2400.0f);
  EXPECT_EQ(clock.TickMs() - before, 500u);
  // The second call does not wait again.
  EXPECT_FLOAT_EQ(MeasureCpuClock(), 2400.0f);
  EXPECT_EQ(clock.TickMs() - before, 500u);
}

TEST_F(CpuClockTest, CountsTheWholeCounterSpanAndAFastProcessor) {
  platform::ManualClock clock(5000);
  clock.SetCounterFrequency(1000000);
  platform::ScopedClock scopedClock(clock);
  // 9 GHz: more than 32 bits of cycles in half a second.
  platform::RecordedCpuid cpu = CpuAt(clock, 9000);
  platform::ScopedCpuid scopedCpu(cpu);
  EXPECT_FLOAT_EQ(MeasureCpuClock(), 9000.0f);
}

TEST_F(CpuClockTest, WithoutACounterSpinsOnTheTick) {
  platform::ManualClock clock(5000);
  clock.SetCounterFrequency(0);
  platform::ScopedClock scopedClock(clock);
  platform::RecordedCpuid cpu;
  cpu.Set(0, {1, 0, 0, 0});
  cpu.Set(1, {0x0F29, 0, 0, 0x10});
  cpu.SetTimeStampCounter([&clock] { return uint64_t(clock.TickMs()) * 1000000; });  // 1 GHz
  platform::ScopedCpuid scopedCpu(cpu);
  EXPECT_FLOAT_EQ(MeasureCpuClock(), 1000.0f);
}

TEST_F(CpuClockTest, NoTimeStampCounterGivesZeroWithoutWaiting) {
  platform::ManualClock clock(5000);
  platform::ScopedClock scopedClock(clock);
  platform::RecordedCpuid cpu = CpuAt(clock, 2400, false);
  platform::ScopedCpuid scopedCpu(cpu);
  EXPECT_EQ(MeasureCpuClock(), 0.0f);
  EXPECT_EQ(clock.TickMs(), 5000u);
  EXPECT_EQ(MeasureCpuClock(), 0.0f);
}

}  // namespace
}  // namespace orrivel
