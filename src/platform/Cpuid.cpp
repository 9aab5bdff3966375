#include "platform/Cpuid.h"

#include <sys/utsname.h>

#include <atomic>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <x86intrin.h>
#define ORRIVEL_HAS_X86 1
#else
#define ORRIVEL_HAS_X86 0
#endif

namespace orrivel::platform {

bool MachineCpuid::HasCpuid() { return ORRIVEL_HAS_X86 != 0; }

CpuidRegisters MachineCpuid::Query(uint32_t leaf) {
  CpuidRegisters r;
#if ORRIVEL_HAS_X86
  // Leaves above the highest one the processor reports are answered as zeros
  // rather than with whatever the processor repeats for them.
  const uint32_t range = leaf & 0xFFFF0000u;
  unsigned int a = 0, b = 0, c = 0, d = 0;
  __cpuid(range, a, b, c, d);
  if (leaf > a && (range == 0 || range == 0x80000000u)) return r;
  __cpuid_count(leaf, 0, a, b, c, d);
  r = {a, b, c, d};
#else
  (void)leaf;
#endif
  return r;
}

uint64_t MachineCpuid::ReadTimeStampCounter() {
#if ORRIVEL_HAS_X86
  return __rdtsc();
#else
  return 0;
#endif
}

uint32_t MachineCpuid::ProcessorType() {
  utsname u{};
  if (uname(&u) != 0) return 0;
  const char* m = u.machine;
  if (std::strcmp(m, "x86_64") == 0) return kProcessorTypeX8664;
  if (std::strcmp(m, "i386") == 0) return 386;
  if (std::strcmp(m, "i486") == 0) return 486;
  if (std::strcmp(m, "i586") == 0 || std::strcmp(m, "i686") == 0) return 586;
  return 0;
}

CpuidRegisters RecordedCpuid::Query(uint32_t leaf) {
  auto it = leaves_.find(leaf);
  return it == leaves_.end() ? CpuidRegisters{} : it->second;
}

namespace {

std::atomic<CpuidSource*> g_source{nullptr};

CpuidSource& MachineSource() {
  static MachineCpuid machine;
  return machine;
}

}  // namespace

CpuidSource& Cpuid() {
  CpuidSource* s = g_source.load(std::memory_order_acquire);
  return s ? *s : MachineSource();
}

CpuidSource* SetCpuid(CpuidSource* source) {
  return g_source.exchange(source, std::memory_order_acq_rel);
}

}  // namespace orrivel::platform
