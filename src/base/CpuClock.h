#pragma once
// The processor clock for the reports, measured once per process from the
// time-stamp counter over half a second.
namespace orrivel {

// MHz; 0 when the processor has no time-stamp counter. The first call
// measures (it waits half a second on the process clock); later calls
// return the cached value at once.
float MeasureCpuClock();

// Forgets the measurement so a test can measure again.
void ResetCpuClockForTest();

}  // namespace orrivel
