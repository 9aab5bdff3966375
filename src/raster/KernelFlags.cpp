#include "raster/KernelFlags.h"

#include <atomic>

namespace orrivel {

namespace {
std::atomic<bool> gMmxFlag{false};

int WidestVectorBytes() {
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
  static const int widest = __builtin_cpu_supports("avx2") ? 32 : 16;
  return widest;
#else
  return 16;
#endif
}

std::atomic<int> gVectorBytes{0};  // 0 until first use: the widest available
}  // namespace

void SetMmxFlag(bool enabled) { gMmxFlag.store(enabled, std::memory_order_relaxed); }

bool MmxFlag() { return gMmxFlag.load(std::memory_order_relaxed); }

int PackedVectorBytes() {
  const int bytes = gVectorBytes.load(std::memory_order_relaxed);
  return bytes != 0 ? bytes : WidestVectorBytes();
}

int SetPackedVectorBytes(int bytes) {
  const int chosen = bytes >= 32 && WidestVectorBytes() >= 32 ? 32 : 16;
  gVectorBytes.store(chosen, std::memory_order_relaxed);
  return chosen;
}

}  // namespace orrivel
