#pragma once

namespace orrivel {

// The process-wide flag that selects the packed (SIMD) twin of a kernel at
// every call. Start-up sets it from the processor identification and clears
// it again when the settings switch packed kernels off.
void SetMmxFlag(bool enabled);
bool MmxFlag();

}  // namespace orrivel
