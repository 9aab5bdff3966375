#pragma once
// The interpreter of linked script code. Code is a sequence of 32-bit words
// in the script address space: an operation number (0 to 46) followed by a
// fixed number of operand words, each an immediate or an absolute script
// address. Some operations write into the operand words of later
// instructions; that is how compiled code feeds computed values to them.
//
// Every fetch, load, store, stack access and jump target is checked against
// the address space and the stack block; bad code stops the run with
// kFaulted and a ScriptFault, never a crash.
#include <cstdint>

#include "script/NativeArgs.h"
#include "script/ScriptAddressSpace.h"
#include "script/ScriptFault.h"

// GCC and Clang can jump through a table of label addresses; elsewhere the
// interpreter dispatches through a switch.
#if defined(__GNUC__) && !defined(ORRIVEL_SCRIPT_LABEL_DISPATCH)
#define ORRIVEL_SCRIPT_LABEL_DISPATCH 1
#elif !defined(ORRIVEL_SCRIPT_LABEL_DISPATCH)
#define ORRIVEL_SCRIPT_LABEL_DISPATCH 0
#endif

namespace orrivel {

class ScriptMachine {
 public:
  // Results of Execute and RunAt.
  static constexpr int kEnded = 0;        // a return popped the sentinel
  static constexpr int kYielded = 1;      // operation 0; Execute continues after it
  static constexpr int kFaulted = 2;      // invalid code; see Fault()
  static constexpr int kOutOfBudget = 3;  // the instruction budget ran out; Execute continues

  static constexpr uint32_t kOperationCount = 47;
  static constexpr uint32_t kSwitchEnd = 0xFFFFFFFFu;
  // Natives are named in code by pseudo-addresses above every arena address,
  // so a jump to one or a load from one faults.
  static constexpr uint32_t kNativeAddressBase = 0xF8000000u;
  static constexpr uint32_t kMaxNatives = 0x07FFFFFFu;
  static constexpr uint32_t NativeAddress(uint32_t index) { return kNativeAddressBase + index; }

  // Operand words after the operation word (the switch adds its target list).
  static uint32_t OperandWords(uint32_t operation);

  ScriptMachine(ScriptAddressSpace& space, const NativeTable* natives);
  virtual ~ScriptMachine();
  ScriptMachine(const ScriptMachine&) = delete;
  ScriptMachine& operator=(const ScriptMachine&) = delete;

  // Frees the old stack and allocates `words` 32-bit words in the address
  // space; the stack pointer goes to its start. 1 when out of memory, else 0.
  int AllocateStack(uint32_t words);
  void SetProgramCounter(uint32_t address);
  uint32_t ProgramCounter() const { return pc_; }
  // Pushes 0, the return address that ends a run. False on overflow.
  bool PushReturnSentinel() { return Push(0); }
  bool PushProgramCounter() { return Push(pc_); }
  bool PopProgramCounter();
  bool Push(uint32_t value);
  bool Pop(uint32_t& value);
  // True when n more words fit on the stack.
  bool HasRoom(uint32_t words) const { return uint64_t(sp_) + uint64_t(words) * 4 <= stackEnd_; }

  // Sets the program counter, pushes the sentinel and executes.
  int RunAt(uint32_t address);
  // Runs until a yield, the end of the run or a fault. With a non-zero
  // instruction budget (SetInstructionBudget) it also pauses when the budget
  // runs out, so a looping script cannot hang a caller that must go on.
  int Execute();
  void SetInstructionBudget(uint64_t instructions) { budget_ = instructions; }

  // Translation to processor code is not offered: turning it on answers
  // "translation failed" (2) and the machine keeps interpreting. Off gives 0.
  int SetNativeMode(bool on);
  bool NativeMode() const { return false; }

  uint32_t StackPointer() const { return sp_; }
  void SetStackPointer(uint32_t sp) { sp_ = sp; }
  uint32_t StackBase() const { return stackBase_; }
  uint32_t StackEnd() const { return stackEnd_; }
  uint32_t Result() const { return result_; }
  void SetResult(uint32_t value) { result_ = value; }

  // Why the last run faulted, the address of the faulting instruction and
  // the bad address it used (0 when none). Cleared by SetProgramCounter.
  ScriptFault Fault() const { return fault_; }
  uint32_t FaultPc() const { return faultPc_; }
  uint32_t FaultAddress() const { return faultAddress_; }

  ScriptAddressSpace& Space() { return space_; }
  void SetNatives(const NativeTable* natives) { natives_ = natives; }

  // Instructions executed since construction (for benchmarks and tools).
  uint64_t InstructionCount() const { return executed_; }

  // Dispatch through the portable switch even where jumping through a table
  // of labels is available. Both behave alike; tests compare them.
  void SetPortableDispatch(bool on) { portableDispatch_ = on; }
  bool PortableDispatch() const { return portableDispatch_ || !ORRIVEL_SCRIPT_LABEL_DISPATCH; }

 private:
  template <bool kBounded, bool kLabels>
  int Run();

  ScriptAddressSpace& space_;
  const NativeTable* natives_;
  uint32_t pc_ = 0;
  uint32_t sp_ = 0;
  uint32_t stackBase_ = 0;
  uint32_t stackEnd_ = 0;
  uint32_t result_ = 0;
  uint64_t budget_ = 0;
  uint64_t executed_ = 0;
  ScriptFault fault_ = ScriptFault::kNone;
  uint32_t faultPc_ = 0;
  uint32_t faultAddress_ = 0;
  bool portableDispatch_ = false;
};

}  // namespace orrivel
