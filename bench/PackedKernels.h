#pragma once
// The packed (SIMD) kernels switched on as the game switches them at start:
// the processor is identified and the packed twins are chosen when it has
// them. Every benchmark program's main calls this first (support/BenchMain.cpp
// and PeerReport.h), so they time what a player runs.
#include "base/ProcessorInfo.h"
#include "raster/KernelFlags.h"

namespace orrivel::bench {

inline void SwitchPackedKernelsOnAsTheGameDoes() {
  IdentifyProcessor();
  SetMmxFlag(Processor().mmx);
}

}  // namespace orrivel::bench
