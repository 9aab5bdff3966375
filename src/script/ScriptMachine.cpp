#include "script/ScriptMachine.h"

#include <climits>
#include <cstring>

// GCC would merge the identical ends of the operation blocks (store, step,
// fetch, jump) into one shared jump, which every operation then has to go
// through; kept apart, each block's jump is predicted on its own.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC push_options
#pragma GCC optimize("no-crossjumping")
#endif

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

int ScriptMachine::Execute() {
#if ORRIVEL_SCRIPT_LABEL_DISPATCH
  if (!portableDispatch_) return budget_ ? Run<true, true>() : Run<false, true>();
#endif
  return budget_ ? Run<true, false>() : Run<false, false>();
}

int ScriptMachine::SetNativeMode(bool on) { return on ? 2 : 0; }

// The inner loop keeps the program counter, stack pointer and a view of the
// arena in locals. The view is refreshed after each native call, the only
// place where the arena can grow during a run.
//
// Each operation has its own block that reads its operands from the code,
// steps the program counter by its own constant length and, with label
// dispatch, fetches and jumps to the next operation itself. So the next
// fetch never waits for a length looked up from the operation word, and
// each block's jump is predicted on its own. The portable build sends every
// block back to one switch instead; the blocks are the same.
//
// While a block runs, pc is the address of its operation word: a fault
// reports it as it is. Nothing is decoded ahead: the code patches its own
// operand words, so every operand is read from the arena when it is used.
template <bool kBounded, bool kLabels>
int ScriptMachine::Run() {
  if (fault_ != ScriptFault::kNone) return kFaulted;
  uint8_t* mem = space_.Data();
  uint64_t size = space_.Size();
  // The program counter is held in 64 bits so that it indexes the arena
  // without widening. It always fits in 32: only instructions that lie in
  // the arena run, so stepping past one stays below the arena's limit, and
  // jumps take 32-bit targets.
  uint64_t pc = pc_;
  uint64_t sp = sp_;  // widened like pc; between checks it stays inside the stack
  const uint32_t stackLo = stackBase_;
  const uint32_t stackHi = stackEnd_;
  uint64_t budget = budget_;
  uint64_t executed = 0;
  uint64_t op = 0;  // the operation number, widened once for the table
  ScriptFault fault = ScriptFault::kNone;
  uint32_t badAddress = 0;
  int outcome = kFaulted;

  // One comparison per check: an address below the guard wraps to a value
  // far above any limit. The limits are negative while the arena holds no
  // word past the guard, so then nothing passes.
  constexpr uint32_t kGuard = ScriptAddressSpace::kGuardBytes;
  int64_t wordLimit = 0;
  // Program counters in [kGuard, fetchEnd) have room for the longest
  // instruction before the arena's end; fetchSpan counts them.
  uint64_t fetchSpan = 0, fetchEnd = 0;
  auto setLimits = [&] {
    wordLimit = int64_t(size) - kGuard - 4;
    const int64_t fetchLimit = int64_t(size) - kGuard - int64_t(kLongestInstruction);
    fetchSpan = fetchLimit >= 0 ? uint64_t(fetchLimit) + 1 : 0;
    fetchEnd = kGuard + fetchSpan;
  };
  setLimits();
  auto inArena = [&](uint32_t a) { return int64_t(uint32_t(a - kGuard)) <= wordLimit; };
  const int64_t stackWordLimit = int64_t(stackHi) - int64_t(stackLo) - 4;
  auto inStack = [&](uint32_t a) { return int64_t(uint32_t(a - stackLo)) <= stackWordLimit; };
  // A push needs the word at sp, a pop the word below it. The stack lies
  // below every native pseudo-address, so sp - 4 wrapping below 0 fails too.
  auto canPush = [&] { return inStack(uint32_t(sp)); };
  auto canPop = [&] { return inStack(uint32_t(sp - 4)); };
  // Operand word k of the current instruction (1 is the first operand). The
  // fetch made sure the whole instruction lies in the arena.
  auto operand = [&](uint32_t k) { return Word(mem + pc + 4 * k); };

#if ORRIVEL_SCRIPT_LABEL_DISPATCH
  static const void* const kTargets[kOperationCount] = {
      &&op0,  &&op1,  &&op2,  &&op3,  &&op4,  &&op5,  &&op6,  &&op7,  &&op8,  &&op9,  &&op10, &&op11,
      &&op12, &&op13, &&op14, &&op15, &&op16, &&op17, &&op18, &&op19, &&op20, &&op21, &&op22, &&op23,
      &&op24, &&op25, &&op26, &&op27, &&op28, &&op29, &&op30, &&op31, &&op32, &&op33, &&op34, &&op35,
      &&op36, &&op37, &&op38, &&op39, &&op40, &&op41, &&op42, &&op43, &&op44, &&op45, &&op46,
  };
#define ORV_JUMP_TO_OPERATION()                                   \
  do {                                                            \
    if constexpr (kLabels) {                                      \
      if (op >= kOperationCount) [[unlikely]] goto badOperation;  \
      goto* kTargets[op];                                         \
    } else {                                                      \
      goto dispatch;                                              \
    }                                                             \
  } while (0)
#else
#define ORV_JUMP_TO_OPERATION() goto dispatch
#endif
  // Some builds of the loop never reach the switch or run out of budget.
#if defined(__GNUC__)
#define ORV_LABEL_MAY_GO_UNUSED __attribute__((unused))
#else
#define ORV_LABEL_MAY_GO_UNUSED
#endif

  // The budget, then the fetch: away from the arena's end one check covers
  // the longest instruction, so the block may read any of its operands.
  // Stepping on from an instruction that ran cannot fall below the guard,
  // so then only the end needs checking; a jump target needs both.
#define ORV_FETCH_AND_JUMP(outsideFastRange)                                   \
  do {                                                                         \
    if constexpr (kBounded) {                                                  \
      if (budget == 0) goto outOfBudget;                                       \
      --budget;                                                                \
    }                                                                          \
    if (outsideFastRange) [[unlikely]]                                         \
      goto fetchNearEnd;                                                       \
    op = Word(mem + pc);                                                       \
    ++executed;                                                                \
    ORV_JUMP_TO_OPERATION();                                                   \
  } while (0)
#define ORV_NEXT(bytes)                      \
  do {                                       \
    pc += (bytes);                           \
    ORV_FETCH_AND_JUMP(pc >= fetchEnd);      \
  } while (0)
#define ORV_JUMP(target)                           \
  do {                                             \
    pc = (target);                                 \
    ORV_FETCH_AND_JUMP(pc - kGuard >= fetchSpan);  \
  } while (0)
#define ORV_FAIL(kind, address) \
  do {                          \
    fault = (kind);             \
    badAddress = (address);     \
    goto stop;                  \
  } while (0)
#define ORV_LOAD(a, out)                                                \
  do {                                                                  \
    uint32_t a_ = (a);                                                  \
    if (!inArena(a_)) [[unlikely]]                                      \
      ORV_FAIL(ScriptFault::kBadAddress, a_);                           \
    (out) = Word(mem + a_);                                             \
  } while (0)
#define ORV_STORE(a, v)                                                 \
  do {                                                                  \
    uint32_t a_ = (a);                                                  \
    if (!inArena(a_)) [[unlikely]]                                      \
      ORV_FAIL(ScriptFault::kBadAddress, a_);                           \
    PutWord(mem + a_, (v));                                             \
  } while (0)
#define ORV_STACK(s, at)                                                \
  do {                                                                  \
    (at) = uint32_t(sp - (s));                                          \
    if (!inStack(at)) [[unlikely]]                                      \
      ORV_FAIL(ScriptFault::kBadStackOffset, (at));                     \
  } while (0)
  // [a] <- f(i1, i2) for the three-operand arithmetic and comparisons.
#define ORV_BINARY(n, expr)                      \
  op##n : {                                      \
    const uint32_t x = operand(1);               \
    const uint32_t y = operand(2);               \
    ORV_STORE(operand(3), (expr));               \
    ORV_NEXT(16);                                \
  }

  ORV_FETCH_AND_JUMP(pc - kGuard >= fetchSpan);

  // Near the end of the arena each word is checked on its own.
fetchNearEnd:
  if (!inArena(uint32_t(pc))) [[unlikely]] ORV_FAIL(ScriptFault::kBadCodeAddress, uint32_t(pc));
  op = Word(mem + pc);
  if (op >= kOperationCount) [[unlikely]] ORV_FAIL(ScriptFault::kBadOperation, 0);
  if (pc + 4 + uint64_t(kOperandWords[op]) * 4 > size) [[unlikely]]
    ORV_FAIL(ScriptFault::kBadCodeAddress, uint32_t(pc));
  ++executed;
  ORV_JUMP_TO_OPERATION();

dispatch:
  ORV_LABEL_MAY_GO_UNUSED;
  switch (op) {
    case 0: goto op0;
    case 1: goto op1;
    case 2: goto op2;
    case 3: goto op3;
    case 4: goto op4;
    case 5: goto op5;
    case 6: goto op6;
    case 7: goto op7;
    case 8: goto op8;
    case 9: goto op9;
    case 10: goto op10;
    case 11: goto op11;
    case 12: goto op12;
    case 13: goto op13;
    case 14: goto op14;
    case 15: goto op15;
    case 16: goto op16;
    case 17: goto op17;
    case 18: goto op18;
    case 19: goto op19;
    case 20: goto op20;
    case 21: goto op21;
    case 22: goto op22;
    case 23: goto op23;
    case 24: goto op24;
    case 25: goto op25;
    case 26: goto op26;
    case 27: goto op27;
    case 28: goto op28;
    case 29: goto op29;
    case 30: goto op30;
    case 31: goto op31;
    case 32: goto op32;
    case 33: goto op33;
    case 34: goto op34;
    case 35: goto op35;
    case 36: goto op36;
    case 37: goto op37;
    case 38: goto op38;
    case 39: goto op39;
    case 40: goto op40;
    case 41: goto op41;
    case 42: goto op42;
    case 43: goto op43;
    case 44: goto op44;
    case 45: goto op45;
    case 46: goto op46;
    default: goto badOperation;
  }

badOperation:  // counted by the fetch, but never executed
  --executed;
  ORV_FAIL(ScriptFault::kBadOperation, 0);

op0:  // yield
  pc += 4;
  outcome = kYielded;
  goto done;
op1: {  // return
  if (!canPop()) [[unlikely]] ORV_FAIL(ScriptFault::kStackUnderflow, uint32_t(sp));
  sp -= 4;
  const uint32_t address = Word(mem + sp);
  if (address == 0) {
    pc += 4;
    outcome = kEnded;
    goto done;
  }
  ORV_JUMP(address);
}
op2: {  // return with value; the sentinel leaves the result alone
  const uint32_t value = operand(1);
  if (!canPop()) [[unlikely]] ORV_FAIL(ScriptFault::kStackUnderflow, uint32_t(sp));
  sp -= 4;
  const uint32_t address = Word(mem + sp);
  if (address == 0) {
    pc += 8;
    outcome = kEnded;
    goto done;
  }
  result_ = value;
  ORV_JUMP(address);
}
op3:
  ORV_STORE(operand(1), result_);
  ORV_NEXT(8);
op4: {  // call
  const uint32_t target = operand(1);
  if (!canPush()) [[unlikely]] ORV_FAIL(ScriptFault::kStackOverflow, uint32_t(sp));
  PutWord(mem + sp, uint32_t(pc + 8));
  sp += 4;
  ORV_JUMP(target);
}
op5: {  // native call: [a] <- fn(arg), a read after the call
  const uint32_t fn = operand(1);
  const uint32_t arg = operand(2);
  const uint32_t index = fn - kNativeAddressBase;
  if (fn < kNativeAddressBase || !natives_ || index >= natives_->size() || !(*natives_)[index]) [[unlikely]]
    ORV_FAIL(ScriptFault::kBadNative, fn);
  const uint32_t start = uint32_t(pc);
  pc_ = start + 12;
  sp_ = uint32_t(sp);
  executed_ += executed;
  executed = 0;
  NativeArgs args(space_, this, arg);
  const uint32_t value = (*natives_)[index](args);
  mem = space_.Data();
  size = space_.Size();
  setLimits();
  // The native may have moved the program counter and the stack pointer;
  // a fault still names the call.
  const uint32_t resume = pc_;
  sp = sp_;
  if (args.Failed()) [[unlikely]] ORV_FAIL(ScriptFault::kNativeFailed, arg);
  uint32_t target;
  ORV_LOAD(resume, target);
  ORV_STORE(target, value);
  ORV_JUMP(resume + 4);
}
op6:
  ORV_JUMP(operand(1));
op7: {  // switch: targets follow the index, ended by 0xFFFFFFFF
  const uint32_t index = operand(1);
  const uint64_t list = pc + 8;
  if (list + uint64_t(index) * 4 + 4 > size) [[unlikely]] ORV_FAIL(ScriptFault::kBadSwitch, index);
  uint32_t target = kSwitchEnd;
  for (uint64_t k = 0; k <= index; ++k) {
    target = Word(mem + list + k * 4);
    if (target == kSwitchEnd) [[unlikely]] ORV_FAIL(ScriptFault::kBadSwitch, index);
  }
  ORV_JUMP(target);
}
op8: {  // push i
  const uint32_t value = operand(1);
  if (!canPush()) [[unlikely]] ORV_FAIL(ScriptFault::kStackOverflow, uint32_t(sp));
  PutWord(mem + sp, value);
  sp += 4;
  ORV_NEXT(8);
}
op9: {  // push [a]
  uint32_t value;
  ORV_LOAD(operand(1), value);
  if (!canPush()) [[unlikely]] ORV_FAIL(ScriptFault::kStackOverflow, uint32_t(sp));
  PutWord(mem + sp, value);
  sp += 4;
  ORV_NEXT(8);
}
op10: {  // pop into [a]
  if (!canPop()) [[unlikely]] ORV_FAIL(ScriptFault::kStackUnderflow, uint32_t(sp));
  ORV_STORE(operand(1), Word(mem + sp - 4));
  sp -= 4;
  ORV_NEXT(8);
}
op11: {  // stack pointer += i bytes
  const uint32_t bytes = operand(1);
  const uint32_t next = uint32_t(sp + bytes);
  if (next < stackLo || next > stackHi) [[unlikely]]
    ORV_FAIL(int32_t(bytes) >= 0 ? ScriptFault::kStackOverflow : ScriptFault::kStackUnderflow, next);
  sp = next;
  ORV_NEXT(8);
}
op12: {  // stack pointer -= i bytes
  const uint32_t bytes = operand(1);
  const uint32_t next = uint32_t(sp - bytes);
  if (next < stackLo || next > stackHi) [[unlikely]]
    ORV_FAIL(int32_t(bytes) < 0 ? ScriptFault::kStackOverflow : ScriptFault::kStackUnderflow, next);
  sp = next;
  ORV_NEXT(8);
}
  ORV_BINARY(13, x + y)
  ORV_BINARY(14, x - y)
  ORV_BINARY(15, x * y)  // low 32 bits, same for signed
  // Division: -2147483648 / -1 does not fit; its remainder is exactly 0.
op16: {
  const int32_t a = int32_t(operand(1)), b = int32_t(operand(2));
  const uint32_t to = operand(3);
  if (b == 0) [[unlikely]] ORV_FAIL(ScriptFault::kDivideByZero, 0);
  if (a == INT_MIN && b == -1) [[unlikely]] ORV_FAIL(ScriptFault::kDivideOverflow, 0);
  ORV_STORE(to, uint32_t(a / b));
  ORV_NEXT(16);
}
op17:
op18: {
  const int32_t a = int32_t(operand(1)), b = int32_t(operand(2));
  const uint32_t to = operand(3);
  if (b == 0) [[unlikely]] ORV_FAIL(ScriptFault::kDivideByZero, 0);
  const int32_t r = b == -1 ? 0 : a % b;
  uint32_t value = uint32_t(r);
  if (op == 18 && r < 0) value += uint32_t(b);
  ORV_STORE(to, value);
  ORV_NEXT(16);
}
  ORV_BINARY(19, x & y)
  ORV_BINARY(20, x | y)
  ORV_BINARY(21, x ^ y)
op22: {
  const uint32_t x = operand(1);
  ORV_STORE(operand(2), ~x);
  ORV_NEXT(12);
}
op23: {
  const uint32_t x = operand(1);
  ORV_STORE(operand(2), x == 0 ? 1u : 0u);
  ORV_NEXT(12);
}
  ORV_BINARY(24, uint32_t(int32_t(x) >> (y & 31)))
  ORV_BINARY(25, x << (y & 31))
  // [a] and S(s) step by one; after the load's check the store needs none.
#define ORV_STEP_WORD(n, delta)            \
  op##n : {                                \
    const uint32_t at = operand(1);        \
    uint32_t value;                        \
    ORV_LOAD(at, value);                   \
    PutWord(mem + at, value + (delta));    \
    ORV_NEXT(8);                           \
  }
#define ORV_STEP_STACK_WORD(n, delta)                 \
  op##n : {                                           \
    uint32_t at;                                      \
    ORV_STACK(operand(1), at);                        \
    PutWord(mem + at, Word(mem + at) + (delta));      \
    ORV_NEXT(8);                                      \
  }
  ORV_STEP_WORD(26, 1u)
  ORV_STEP_WORD(27, ~0u)
  ORV_STEP_STACK_WORD(28, 1u)
  ORV_STEP_STACK_WORD(29, ~0u)
#undef ORV_STEP_WORD
#undef ORV_STEP_STACK_WORD
op30:  // branch when zero
  if (operand(1) == 0) ORV_JUMP(operand(2));
  ORV_NEXT(12);
op31: {
  const uint32_t value = operand(1);
  ORV_STORE(operand(2), value);
  ORV_NEXT(12);
}
op32: {
  const uint32_t to = operand(2);
  uint32_t value;
  ORV_LOAD(operand(1), value);
  ORV_STORE(to, value);
  ORV_NEXT(12);
}
op33: {
  const uint32_t value = operand(1);
  uint32_t pointer;
  ORV_LOAD(operand(2), pointer);
  ORV_STORE(pointer, value);
  ORV_NEXT(12);
}
op34: {
  const uint32_t value = operand(1);
  uint32_t at;
  ORV_STACK(operand(2), at);
  PutWord(mem + at, value);
  ORV_NEXT(12);
}
op35: {
  const uint32_t to = operand(2);
  uint32_t at;
  ORV_STACK(operand(1), at);
  ORV_STORE(to, Word(mem + at));
  ORV_NEXT(12);
}
op36: {
  const uint32_t offset = operand(2);
  uint32_t at, value;
  ORV_LOAD(operand(1), value);
  ORV_STACK(offset, at);
  PutWord(mem + at, value);
  ORV_NEXT(12);
}
op37: {
  const uint32_t offset = operand(2);
  uint32_t from, to;
  ORV_STACK(operand(1), from);
  ORV_STACK(offset, to);
  PutWord(mem + to, Word(mem + from));
  ORV_NEXT(12);
}
op38: {
  const uint32_t to = operand(2);
  uint32_t at, value;
  ORV_STACK(operand(1), at);
  ORV_LOAD(Word(mem + at), value);
  ORV_STORE(to, value);
  ORV_NEXT(12);
}
op39: {
  const uint32_t to = operand(2);
  uint32_t pointer, value;
  ORV_LOAD(operand(1), pointer);
  ORV_LOAD(pointer, value);
  ORV_STORE(to, value);
  ORV_NEXT(12);
}
op40: {
  const uint32_t offset = operand(1);
  ORV_STORE(operand(2), uint32_t(sp - offset));
  ORV_NEXT(12);
}
  ORV_BINARY(41, int32_t(x) < int32_t(y) ? 1u : 0u)
  ORV_BINARY(42, int32_t(x) <= int32_t(y) ? 1u : 0u)
  ORV_BINARY(43, int32_t(x) > int32_t(y) ? 1u : 0u)
  ORV_BINARY(44, int32_t(x) >= int32_t(y) ? 1u : 0u)
  ORV_BINARY(45, x == y ? 1u : 0u)
  ORV_BINARY(46, x != y ? 1u : 0u)

#undef ORV_JUMP_TO_OPERATION
#undef ORV_FETCH_AND_JUMP
#undef ORV_NEXT
#undef ORV_JUMP
#undef ORV_FAIL
#undef ORV_LOAD
#undef ORV_STORE
#undef ORV_STACK
#undef ORV_BINARY

outOfBudget:
  ORV_LABEL_MAY_GO_UNUSED;
  outcome = kOutOfBudget;
done:
  pc_ = uint32_t(pc);
  sp_ = uint32_t(sp);
  executed_ += executed;
  return outcome;

stop:
  pc_ = uint32_t(pc);
  sp_ = uint32_t(sp);
  executed_ += executed;
  fault_ = fault;
  faultPc_ = uint32_t(pc);
  faultAddress_ = badAddress;
  return kFaulted;
#undef ORV_LABEL_MAY_GO_UNUSED
}

template int ScriptMachine::Run<true, false>();
template int ScriptMachine::Run<false, false>();
#if ORRIVEL_SCRIPT_LABEL_DISPATCH
template int ScriptMachine::Run<true, true>();
template int ScriptMachine::Run<false, true>();
#endif

}  // namespace orrivel

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC pop_options
#endif
