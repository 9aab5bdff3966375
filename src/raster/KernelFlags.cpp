#include "raster/KernelFlags.h"

#include <atomic>

namespace orrivel {

namespace {
std::atomic<bool> gMmxFlag{false};
}

void SetMmxFlag(bool enabled) { gMmxFlag.store(enabled, std::memory_order_relaxed); }

bool MmxFlag() { return gMmxFlag.load(std::memory_order_relaxed); }

}  // namespace orrivel
