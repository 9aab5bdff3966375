#include "script/ScriptMachine.h"

#include <array>
#include <climits>
#include <cstring>

namespace orrivel {

namespace {

// Operand words of each operation; the switch's target list comes on top.
constexpr uint8_t kOperandWords[ScriptMachine::kOperationCount] = {
    0, 0, 1, 1, 1, 3, 1, 1, 1, 1,  // 0-9
    1, 1, 1, 3, 3, 3, 3, 3, 3, 3,  // 10-19
    3, 3, 2, 2, 3, 3, 1, 1, 1, 1,  // 20-29
    2, 2, 2, 2, 2, 2, 2, 2, 2, 2,  // 30-39
    2, 3, 3, 3, 3, 3, 3,           // 40-46
};

// Bytes of each instruction: the operation word and its operand words.
constexpr auto kInstructionBytes = [] {
  std::array<uint8_t, ScriptMachine::kOperationCount> bytes{};
  for (uint32_t op = 0; op < ScriptMachine::kOperationCount; ++op) bytes[op] = uint8_t(4 + 4 * kOperandWords[op]);
  return bytes;
}();
constexpr uint64_t kLongestInstruction = 16;

inline uint32_t Word(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

inline void PutWord(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

}  // namespace

uint32_t ScriptMachine::OperandWords(uint32_t operation) {
  return operation < kOperationCount ? kOperandWords[operation] : 0;
}

ScriptMachine::ScriptMachine(ScriptAddressSpace& space, const NativeTable* natives)
    : space_(space), natives_(natives) {}

ScriptMachine::~ScriptMachine() {
  if (stackBase_) space_.Free(stackBase_);
}

int ScriptMachine::AllocateStack(uint32_t words) {
  if (stackBase_) space_.Free(stackBase_);
  stackBase_ = stackEnd_ = sp_ = 0;
  uint32_t base = space_.Allocate(uint64_t(words) * 4);
  if (!base) return 1;
  stackBase_ = sp_ = base;
  stackEnd_ = base + words * 4;
  return 0;
}

void ScriptMachine::SetProgramCounter(uint32_t address) {
  pc_ = address;
  fault_ = ScriptFault::kNone;
  faultPc_ = faultAddress_ = 0;
}

bool ScriptMachine::Push(uint32_t value) {
  if (sp_ < stackBase_ || uint64_t(sp_) + 4 > stackEnd_) return false;
  space_.Write32(sp_, value);
  sp_ += 4;
  return true;
}

bool ScriptMachine::Pop(uint32_t& value) {
  if (sp_ > stackEnd_ || uint64_t(sp_) < uint64_t(stackBase_) + 4) return false;
  sp_ -= 4;
  return space_.Read32(sp_, value);
}

bool ScriptMachine::PopProgramCounter() {
  uint32_t value;
  if (!Pop(value)) return false;
  pc_ = value;
  return true;
}

int ScriptMachine::RunAt(uint32_t address) {
  SetProgramCounter(address);
  if (!PushReturnSentinel()) {
    fault_ = ScriptFault::kStackOverflow;
    faultPc_ = address;
    return kFaulted;
  }
  return Execute();
}

int ScriptMachine::Execute() { return budget_ ? Run<true>() : Run<false>(); }

int ScriptMachine::SetNativeMode(bool on) { return on ? 2 : 0; }

// The inner loop keeps the program counter, stack pointer and a view of the
// arena in locals. The view is refreshed after each native call, the only
// place where the arena can grow during a run.
template <bool kBounded>
int ScriptMachine::Run() {
  if (fault_ != ScriptFault::kNone) return kFaulted;
  uint8_t* mem = space_.Data();
  uint64_t size = space_.Size();
  uint32_t pc = pc_;
  uint32_t sp = sp_;
  const uint32_t stackLo = stackBase_;
  const uint32_t stackHi = stackEnd_;
  uint64_t budget = budget_;
  uint64_t executed = 0;
  uint32_t start = pc;
  ScriptFault fault = ScriptFault::kNone;
  uint32_t badAddress = 0;
  int outcome = kFaulted;

  // One comparison per check: an address below the guard wraps to a value
  // far above any limit. The limits are negative while the arena holds no
  // word past the guard, so then nothing passes.
  constexpr uint32_t kGuard = ScriptAddressSpace::kGuardBytes;
  int64_t wordLimit = 0, fetchLimit = 0;
  auto setLimits = [&] {
    wordLimit = int64_t(size) - kGuard - 4;
    fetchLimit = int64_t(size) - kGuard - int64_t(kLongestInstruction);
  };
  setLimits();
  auto inArena = [&](uint32_t a) { return int64_t(uint32_t(a - kGuard)) <= wordLimit; };
  const int64_t stackWordLimit = int64_t(stackHi) - int64_t(stackLo) - 4;
  auto inStack = [&](uint32_t a) { return int64_t(uint32_t(a - stackLo)) <= stackWordLimit; };

#define ORV_FAIL(kind, address) \
  do {                          \
    fault = (kind);             \
    badAddress = (address);     \
    goto stop;                  \
  } while (0)
#define ORV_LOAD(a, out)                                                \
  do {                                                                  \
    uint32_t a_ = (a);                                                  \
    if (!inArena(a_)) ORV_FAIL(ScriptFault::kBadAddress, a_);           \
    (out) = Word(mem + a_);                                             \
  } while (0)
#define ORV_STORE(a, v)                                                 \
  do {                                                                  \
    uint32_t a_ = (a);                                                  \
    if (!inArena(a_)) ORV_FAIL(ScriptFault::kBadAddress, a_);           \
    PutWord(mem + a_, (v));                                             \
  } while (0)
#define ORV_STACK(s, at)                                                \
  do {                                                                  \
    (at) = sp - (s);                                                    \
    if (!inStack(at)) ORV_FAIL(ScriptFault::kBadStackOffset, (at));     \
  } while (0)

  for (;;) {
    if constexpr (kBounded) {
      if (budget == 0) {
        outcome = kOutOfBudget;
        break;
      }
      --budget;
    }
    start = pc;
    uint32_t op, o0, o1, o2;
    if (int64_t(uint32_t(pc - kGuard)) <= fetchLimit) [[likely]] {
      // The longest instruction fits before the arena's end, so one check
      // covers the operation word and every operand word. Words past this
      // instruction's own operands are read too but never used.
      const uint8_t* w = mem + pc;
      op = Word(w);
      o0 = Word(w + 4);
      o1 = Word(w + 8);
      o2 = Word(w + 12);
      if (op >= kOperationCount) ORV_FAIL(ScriptFault::kBadOperation, 0);
    } else {
      // Near the end of the arena each word is checked on its own.
      if (!inArena(pc)) ORV_FAIL(ScriptFault::kBadCodeAddress, pc);
      op = Word(mem + pc);
      if (op >= kOperationCount) ORV_FAIL(ScriptFault::kBadOperation, 0);
      const uint32_t words = kOperandWords[op];
      if (uint64_t(pc) + 4 + uint64_t(words) * 4 > size) ORV_FAIL(ScriptFault::kBadCodeAddress, pc);
      const uint8_t* w = mem + pc + 4;
      o0 = words > 0 ? Word(w) : 0;
      o1 = words > 1 ? Word(w + 4) : 0;
      o2 = words > 2 ? Word(w + 8) : 0;
    }
    pc += kInstructionBytes[op];
    ++executed;

    switch (op) {
      case 0:  // yield
        outcome = kYielded;
        goto done;
      case 1:    // return
      case 2: {  // return with value
        if (sp > stackHi || uint64_t(sp) < uint64_t(stackLo) + 4) ORV_FAIL(ScriptFault::kStackUnderflow, sp);
        sp -= 4;
        uint32_t address = Word(mem + sp);
        if (address == 0) {
          outcome = kEnded;
          goto done;
        }
        if (op == 2) result_ = o0;
        pc = address;
        break;
      }
      case 3:
        ORV_STORE(o0, result_);
        break;
      case 4:  // call
        if (sp < stackLo || uint64_t(sp) + 4 > stackHi) ORV_FAIL(ScriptFault::kStackOverflow, sp);
        PutWord(mem + sp, pc);
        sp += 4;
        pc = o0;
        break;
      case 5: {  // native call: [a] <- fn(arg), a read after the call
        uint32_t index = o0 - kNativeAddressBase;
        if (o0 < kNativeAddressBase || !natives_ || index >= natives_->size() || !(*natives_)[index])
          ORV_FAIL(ScriptFault::kBadNative, o0);
        pc_ = start + 12;
        sp_ = sp;
        executed_ += executed;
        executed = 0;
        NativeArgs args(space_, this, o1);
        uint32_t value = (*natives_)[index](args);
        mem = space_.Data();
        size = space_.Size();
        setLimits();
        pc = pc_;
        sp = sp_;
        if (args.Failed()) ORV_FAIL(ScriptFault::kNativeFailed, o1);
        uint32_t target;
        ORV_LOAD(pc, target);
        ORV_STORE(target, value);
        pc += 4;
        break;
      }
      case 6:
        pc = o0;
        break;
      case 7: {  // switch: targets follow the index, ended by 0xFFFFFFFF
        const uint32_t index = o0;
        const uint64_t list = uint64_t(start) + 8;
        if (list + uint64_t(index) * 4 + 4 > size) ORV_FAIL(ScriptFault::kBadSwitch, index);
        uint32_t target = kSwitchEnd;
        for (uint64_t k = 0; k <= index; ++k) {
          target = Word(mem + list + k * 4);
          if (target == kSwitchEnd) ORV_FAIL(ScriptFault::kBadSwitch, index);
        }
        pc = target;
        break;
      }
      case 8:
      case 9: {  // push i / push [a]
        uint32_t value = o0;
        if (op == 9) ORV_LOAD(o0, value);
        if (sp < stackLo || uint64_t(sp) + 4 > stackHi) ORV_FAIL(ScriptFault::kStackOverflow, sp);
        PutWord(mem + sp, value);
        sp += 4;
        break;
      }
      case 10: {  // pop into [a]
        if (sp > stackHi || uint64_t(sp) < uint64_t(stackLo) + 4) ORV_FAIL(ScriptFault::kStackUnderflow, sp);
        uint32_t value = Word(mem + sp - 4);
        ORV_STORE(o0, value);
        sp -= 4;
        break;
      }
      case 11:
      case 12: {  // stack pointer +/- i bytes
        uint32_t next = op == 11 ? sp + o0 : sp - o0;
        bool up = op == 11 ? int32_t(o0) >= 0 : int32_t(o0) < 0;
        if (next < stackLo || next > stackHi)
          ORV_FAIL(up ? ScriptFault::kStackOverflow : ScriptFault::kStackUnderflow, next);
        sp = next;
        break;
      }
      case 13: ORV_STORE(o2, o0 + o1); break;
      case 14: ORV_STORE(o2, o0 - o1); break;
      case 15: ORV_STORE(o2, o0 * o1); break;  // low 32 bits, same for signed
      case 16:
      case 17:
      case 18: {
        const int32_t a = int32_t(o0), b = int32_t(o1);
        if (b == 0) ORV_FAIL(ScriptFault::kDivideByZero, 0);
        uint32_t value;
        if (a == INT_MIN && b == -1) {
          // The quotient does not fit; the remainder is exactly 0.
          if (op == 16) ORV_FAIL(ScriptFault::kDivideOverflow, 0);
          value = 0;
        } else if (op == 16) {
          value = uint32_t(a / b);
        } else {
          int32_t r = a % b;
          value = uint32_t(r);
          if (op == 18 && r < 0) value += uint32_t(b);
        }
        ORV_STORE(o2, value);
        break;
      }
      case 19: ORV_STORE(o2, o0 & o1); break;
      case 20: ORV_STORE(o2, o0 | o1); break;
      case 21: ORV_STORE(o2, o0 ^ o1); break;
      case 22: ORV_STORE(o1, ~o0); break;
      case 23: ORV_STORE(o1, o0 == 0 ? 1u : 0u); break;
      case 24: ORV_STORE(o2, uint32_t(int32_t(o0) >> (o1 & 31))); break;
      case 25: ORV_STORE(o2, o0 << (o1 & 31)); break;
      case 26:
      case 27: {
        uint32_t value;
        ORV_LOAD(o0, value);
        ORV_STORE(o0, op == 26 ? value + 1 : value - 1);
        break;
      }
      case 28:
      case 29: {
        uint32_t at;
        ORV_STACK(o0, at);
        PutWord(mem + at, Word(mem + at) + (op == 28 ? 1u : ~0u));
        break;
      }
      case 30:
        if (o0 == 0) pc = o1;
        break;
      case 31: ORV_STORE(o1, o0); break;
      case 32: {
        uint32_t value;
        ORV_LOAD(o0, value);
        ORV_STORE(o1, value);
        break;
      }
      case 33: {
        uint32_t pointer;
        ORV_LOAD(o1, pointer);
        ORV_STORE(pointer, o0);
        break;
      }
      case 34: {
        uint32_t at;
        ORV_STACK(o1, at);
        PutWord(mem + at, o0);
        break;
      }
      case 35: {
        uint32_t at;
        ORV_STACK(o0, at);
        ORV_STORE(o1, Word(mem + at));
        break;
      }
      case 36: {
        uint32_t at, value;
        ORV_LOAD(o0, value);
        ORV_STACK(o1, at);
        PutWord(mem + at, value);
        break;
      }
      case 37: {
        uint32_t from, to;
        ORV_STACK(o0, from);
        ORV_STACK(o1, to);
        PutWord(mem + to, Word(mem + from));
        break;
      }
      case 38: {
        uint32_t at, value;
        ORV_STACK(o0, at);
        ORV_LOAD(Word(mem + at), value);
        ORV_STORE(o1, value);
        break;
      }
      case 39: {
        uint32_t pointer, value;
        ORV_LOAD(o0, pointer);
        ORV_LOAD(pointer, value);
        ORV_STORE(o1, value);
        break;
      }
      case 40: ORV_STORE(o1, sp - o0); break;
      case 41: ORV_STORE(o2, int32_t(o0) < int32_t(o1) ? 1u : 0u); break;
      case 42: ORV_STORE(o2, int32_t(o0) <= int32_t(o1) ? 1u : 0u); break;
      case 43: ORV_STORE(o2, int32_t(o0) > int32_t(o1) ? 1u : 0u); break;
      case 44: ORV_STORE(o2, int32_t(o0) >= int32_t(o1) ? 1u : 0u); break;
      case 45: ORV_STORE(o2, o0 == o1 ? 1u : 0u); break;
      case 46: ORV_STORE(o2, o0 != o1 ? 1u : 0u); break;
      default: __builtin_unreachable();  // op < kOperationCount was checked above
    }
  }
#undef ORV_FAIL
#undef ORV_LOAD
#undef ORV_STORE
#undef ORV_STACK

done:
  pc_ = pc;
  sp_ = sp;
  executed_ += executed;
  return outcome;

stop:
  pc_ = start;
  sp_ = sp;
  executed_ += executed;
  fault_ = fault;
  faultPc_ = start;
  faultAddress_ = badAddress;
  return kFaulted;
}

template int ScriptMachine::Run<true>();
template int ScriptMachine::Run<false>();

}  // namespace orrivel
