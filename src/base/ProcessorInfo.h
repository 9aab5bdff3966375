#pragma once
// The processor record: filled once per process by IdentifyProcessor, read
// by the reports and by start-up, which may clear features the game's
// settings forbid before the pixel kernels consult it.
#include <cstdint>
#include <string>

namespace orrivel {

struct ProcessorInfo {
  std::string vendor;  // the 12 characters of leaf 0
  std::string brand;   // leading blanks removed
  bool hasBrand = false;
  std::string name;  // the table name; "Unknown" when nothing matched

  uint8_t type = 0;
  uint8_t family = 0;
  uint8_t model = 0;
  uint8_t stepping = 0;

  // Cache sizes: trace cache in K micro-operations, the others in KB.
  uint32_t traceCache = 0;
  uint32_t l1Code = 0;
  uint32_t l1Data = 0;
  uint32_t l2 = 0;
  uint32_t l3 = 0;

  bool fpu = false;
  bool tsc = false;
  bool cmov = false;
  bool mmx = false;
  bool sse = false;
  bool sse2 = false;
  bool htt = false;  // only with more than one logical processor
  bool edxBit30 = false;
  bool sse3 = false;
  bool mmxPlus = false;
  bool amd3dNowPlus = false;
  bool amd3dNow = false;
  bool longMode = false;
  bool multiprocessor = false;
  bool integerSse = false;  // MMX+ or SSE
  bool mobile = false;

  bool identified = false;  // once-only flag
};

// The process-wide record.
ProcessorInfo& Processor();

// Reads the processor through the platform's identification source.
// 1 when the processor has the instruction, 0 when not (the record stays
// empty), 2 when it ran before (nothing changes).
int IdentifyProcessor();

// True when the packed pixel kernels may run: the processor has MMX and
// start-up has not switched it off.
bool PackedKernelsAllowed();

// Empties the record so a test can identify again.
void ResetProcessorInfoForTest();

}  // namespace orrivel
