#pragma once
// The processor's identification instruction and time-stamp counter behind
// one replaceable source, so that tests can feed recorded leaf tables.
#include <cstdint>
#include <functional>
#include <map>

namespace orrivel::platform {

struct CpuidRegisters {
  uint32_t eax = 0;
  uint32_t ebx = 0;
  uint32_t ecx = 0;
  uint32_t edx = 0;
};

// Processor type codes of the system-information query (386, 486, 586,
// 8664 for x86-64 and the codes of other architectures).
inline constexpr uint32_t kProcessorTypeX8664 = 8664;

class CpuidSource {
 public:
  virtual ~CpuidSource() = default;
  // False on processors without the instruction.
  virtual bool HasCpuid() = 0;
  // The registers of a leaf (sub-leaf 0).
  virtual CpuidRegisters Query(uint32_t leaf) = 0;
  virtual uint64_t ReadTimeStampCounter() = 0;
  // The architecture as a processor type code.
  virtual uint32_t ProcessorType() = 0;
};

// The machine's own processor.
class MachineCpuid final : public CpuidSource {
 public:
  bool HasCpuid() override;
  CpuidRegisters Query(uint32_t leaf) override;
  uint64_t ReadTimeStampCounter() override;
  uint32_t ProcessorType() override;
};

// A table of recorded leaves; leaves not recorded read as zeros.
class RecordedCpuid final : public CpuidSource {
 public:
  void Set(uint32_t leaf, CpuidRegisters regs) { leaves_[leaf] = regs; }
  void SetHasCpuid(bool has) { hasCpuid_ = has; }
  void SetProcessorType(uint32_t type) { processorType_ = type; }
  // The counter read by ReadTimeStampCounter; a fixed 0 unless set.
  void SetTimeStampCounter(std::function<uint64_t()> read) { tsc_ = std::move(read); }

  bool HasCpuid() override { return hasCpuid_; }
  CpuidRegisters Query(uint32_t leaf) override;
  uint64_t ReadTimeStampCounter() override { return tsc_ ? tsc_() : 0; }
  uint32_t ProcessorType() override { return processorType_; }

 private:
  std::map<uint32_t, CpuidRegisters> leaves_;
  bool hasCpuid_ = true;
  uint32_t processorType_ = 586;
  std::function<uint64_t()> tsc_;
};

// The process-wide source (the machine unless replaced).
CpuidSource& Cpuid();
// Replaces the source; nullptr restores the machine. Returns the old one.
CpuidSource* SetCpuid(CpuidSource* source);

class ScopedCpuid {
 public:
  explicit ScopedCpuid(CpuidSource& source) : previous_(SetCpuid(&source)) {}
  ~ScopedCpuid() { SetCpuid(previous_); }
  ScopedCpuid(const ScopedCpuid&) = delete;
  ScopedCpuid& operator=(const ScopedCpuid&) = delete;

 private:
  CpuidSource* previous_;
};

}  // namespace orrivel::platform
