#pragma once

namespace orrivel {

// The process-wide flag that selects the packed (SIMD) twin of a kernel at
// every call. Start-up sets it from the processor identification and clears
// it again when the settings switch packed kernels off.
void SetMmxFlag(bool enabled);
bool MmxFlag();

// Width in bytes of the vectors the packed twins work in: 32 where the
// processor has 256-bit integer vectors (AVX2), 16 otherwise. Every width
// gives the same bytes; the widest one the processor has is chosen on first
// use. Setting a width holds it to what the processor supports, so tests can
// run the narrower path on a wider processor; the width in force is returned.
int PackedVectorBytes();
int SetPackedVectorBytes(int bytes);

}  // namespace orrivel
