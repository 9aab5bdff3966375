#include "script/ScriptMachine.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace orrivel {
namespace {

// Operand and memory values in the table: plain numbers, or addresses that
// the fixture resolves (a data word, a code word, a stack byte).
constexpr uint64_t kTagData = 1ull << 32, kTagCode = 2ull << 32, kTagStack = 3ull << 32;
constexpr uint64_t I(int64_t v) { return uint32_t(v); }
constexpr uint64_t D(uint32_t k) { return kTagData | k; }
constexpr uint64_t C(uint32_t k) { return kTagCode | k; }
constexpr uint64_t S(uint32_t bytes) { return kTagStack | bytes; }

constexpr uint32_t kStackWords = 64;
constexpr uint32_t kResultBefore = 0x77;

struct OpCase {
  const char* name;
  uint32_t op;
  std::vector<uint64_t> operands;
  std::vector<uint64_t> dataBefore;
  std::vector<uint64_t> stackBefore;
  int outcome;
  std::vector<uint64_t> dataAfter;   // compared word by word; others must stay 0
  std::vector<uint64_t> stackAfter;  // the whole stack, bottom first
  uint32_t pcWordAfter;              // program counter after the run, in code words
  uint32_t resultAfter = kResultBefore;
  ScriptFault fault = ScriptFault::kNone;
};

class MachineFixture {
 public:
  MachineFixture() : machine(space, &natives) {
    machine.AllocateStack(kStackWords);
    code = space.Allocate(4 * 64);  // all zero: every word is a yield
    data = space.Allocate(4 * 16);
  }
  uint32_t Resolve(uint64_t v) const {
    uint32_t low = uint32_t(v);
    switch (v >> 32) {
      case 1: return data + 4 * low;
      case 2: return code + 4 * low;
      case 3: return machine.StackBase() + low;
      default: return low;
    }
  }
  uint32_t Data(uint32_t k) {
    uint32_t v = 0;
    space.Read32(data + 4 * k, v);
    return v;
  }
  std::vector<uint32_t> Stack() {
    std::vector<uint32_t> words;
    for (uint32_t a = machine.StackBase(); a < machine.StackPointer(); a += 4) {
      uint32_t v = 0;
      space.Read32(a, v);
      words.push_back(v);
    }
    return words;
  }
  void Code(const std::vector<uint32_t>& words, uint32_t at = 0) {
    for (size_t i = 0; i < words.size(); ++i) space.Write32(code + 4 * uint32_t(at + i), words[i]);
  }

  ScriptAddressSpace space;
  NativeTable natives;
  ScriptMachine machine;
  uint32_t code = 0;
  uint32_t data = 0;
};

const std::vector<OpCase>& Cases() {
  using F = ScriptFault;
  const int Y = ScriptMachine::kYielded, E = ScriptMachine::kEnded, X = ScriptMachine::kFaulted;
  static const std::vector<OpCase> cases = {
      {"yield", 0, {}, {}, {}, Y, {}, {}, 1},
      {"return to caller", 1, {}, {}, {C(20)}, Y, {}, {}, 21},
      {"return pops sentinel", 1, {}, {}, {0}, E, {}, {}, 1},
      {"return on empty stack", 1, {}, {}, {}, X, {}, {}, 0, kResultBefore, F::kStackUnderflow},
      {"return value to caller", 2, {9}, {}, {C(20)}, Y, {}, {}, 21, 9},
      {"return value at sentinel keeps result", 2, {9}, {}, {0}, E, {}, {}, 2},
      {"store result", 3, {D(0)}, {}, {}, Y, {kResultBefore}, {}, 3},
      {"call", 4, {C(20)}, {}, {}, Y, {}, {C(2)}, 21},
      {"native", 5, {I(ScriptMachine::NativeAddress(0)), D(4), D(0)}, {0, 0, 0, 0, 3, 4}, {}, Y,
       {43, 0, 0, 0, 3, 4}, {}, 5},
      {"native not registered", 5, {I(ScriptMachine::NativeAddress(7)), D(4), D(0)}, {}, {}, X, {}, {}, 0,
       kResultBefore, F::kBadNative},
      {"native that fails", 5, {I(ScriptMachine::NativeAddress(1)), D(4), D(0)}, {}, {}, X, {}, {}, 0,
       kResultBefore, F::kNativeFailed},
      {"jump", 6, {C(20)}, {}, {}, Y, {}, {}, 21},
      {"switch index 0", 7, {0, C(20), C(24), I(-1)}, {}, {}, Y, {}, {}, 21},
      {"switch index 1", 7, {1, C(20), C(24), I(-1)}, {}, {}, Y, {}, {}, 25},
      {"switch past its list", 7, {2, C(20), C(24), I(-1)}, {}, {}, X, {}, {}, 0, kResultBefore, F::kBadSwitch},
      {"switch huge index", 7, {I(-2), C(20), I(-1)}, {}, {}, X, {}, {}, 0, kResultBefore, F::kBadSwitch},
      {"push", 8, {5}, {}, {}, Y, {}, {5}, 3},
      {"push from memory", 9, {D(1)}, {0, 7}, {}, Y, {0, 7}, {7}, 3},
      {"pop", 10, {D(2)}, {}, {9}, Y, {0, 0, 9}, {}, 3},
      {"pop empty", 10, {D(2)}, {}, {}, X, {}, {}, 0, kResultBefore, F::kStackUnderflow},
      {"stack up", 11, {8}, {}, {1}, Y, {}, {1, 0, 0}, 3},
      {"stack up past top", 11, {4 * kStackWords}, {}, {1}, X, {}, {1}, 0, kResultBefore, F::kStackOverflow},
      {"stack down", 12, {4}, {}, {1, 2}, Y, {}, {1}, 3},
      {"stack down past bottom", 12, {8}, {}, {1}, X, {}, {1}, 0, kResultBefore, F::kStackUnderflow},
      {"add wraps", 13, {I(-1), 2, D(0)}, {}, {}, Y, {1}, {}, 5},
      {"sub", 14, {2, 3, D(0)}, {}, {}, Y, {I(-1)}, {}, 5},
      {"mul signed", 15, {I(-3), 4, D(0)}, {}, {}, Y, {I(-12)}, {}, 5},
      {"mul low bits", 15, {0x10000, 0x10001, D(0)}, {}, {}, Y, {0x10000}, {}, 5},
      {"div truncates", 16, {I(-7), 2, D(0)}, {}, {}, Y, {I(-3)}, {}, 5},
      {"div by zero", 16, {7, 0, D(0)}, {}, {}, X, {}, {}, 0, kResultBefore, F::kDivideByZero},
      {"div overflow", 16, {I(INT_MIN), I(-1), D(0)}, {}, {}, X, {}, {}, 0, kResultBefore, F::kDivideOverflow},
      {"rem sign of dividend", 17, {I(-7), 3, D(0)}, {}, {}, Y, {I(-1)}, {}, 5},
      {"rem negative divisor", 17, {7, I(-3), D(0)}, {}, {}, Y, {1}, {}, 5},
      {"rem by zero", 17, {7, 0, D(0)}, {}, {}, X, {}, {}, 0, kResultBefore, F::kDivideByZero},
      {"rem of INT_MIN by -1", 17, {I(INT_MIN), I(-1), D(0)}, {5}, {}, Y, {0}, {}, 5},
      {"mod adds divisor", 18, {I(-7), 3, D(0)}, {}, {}, Y, {2}, {}, 5},
      {"mod positive", 18, {7, 3, D(0)}, {}, {}, Y, {1}, {}, 5},
      {"mod negative divisor", 18, {I(-7), I(-3), D(0)}, {}, {}, Y, {I(-4)}, {}, 5},
      {"mod by zero", 18, {7, 0, D(0)}, {}, {}, X, {}, {}, 0, kResultBefore, F::kDivideByZero},
      {"and", 19, {0xF0F0, 0xFF00, D(0)}, {}, {}, Y, {0xF000}, {}, 5},
      {"or", 20, {0xF0F0, 0xFF00, D(0)}, {}, {}, Y, {0xFFF0}, {}, 5},
      {"xor", 21, {0xF0F0, 0xFF00, D(0)}, {}, {}, Y, {0x0FF0}, {}, 5},
      {"not", 22, {0, D(0)}, {}, {}, Y, {0xFFFFFFFF}, {}, 4},
      {"logical not of 0", 23, {0, D(0)}, {}, {}, Y, {1}, {}, 4},
      {"logical not of 5", 23, {5, D(0)}, {9}, {}, Y, {0}, {}, 4},
      {"sar keeps sign", 24, {I(-16), 2, D(0)}, {}, {}, Y, {I(-4)}, {}, 5},
      {"sar count modulo 32", 24, {I(-8), 33, D(0)}, {}, {}, Y, {I(-4)}, {}, 5},
      {"shl", 25, {1, 31, D(0)}, {}, {}, Y, {0x80000000}, {}, 5},
      {"shl count modulo 32", 25, {1, 33, D(0)}, {}, {}, Y, {2}, {}, 5},
      {"inc", 26, {D(1)}, {0, 7}, {}, Y, {0, 8}, {}, 3},
      {"dec", 27, {D(1)}, {0, 7}, {}, Y, {0, 6}, {}, 3},
      {"stack inc", 28, {4}, {}, {1, 2}, Y, {}, {1, 3}, 3},
      {"stack dec", 29, {8}, {}, {1, 2}, Y, {}, {0, 2}, 3},
      {"stack offset outside", 29, {400}, {}, {1, 2}, X, {}, {1, 2}, 0, kResultBefore, F::kBadStackOffset},
      {"branch taken on 0", 30, {0, C(20)}, {}, {}, Y, {}, {}, 21},
      {"branch not taken", 30, {1, C(20)}, {}, {}, Y, {}, {}, 4},
      {"set", 31, {9, D(0)}, {}, {}, Y, {9}, {}, 4},
      {"set below the guard", 31, {9, 16}, {}, {}, X, {}, {}, 0, kResultBefore, F::kBadAddress},
      {"set past the arena", 31, {9, 0xEFFFFFF0}, {}, {}, X, {}, {}, 0, kResultBefore, F::kBadAddress},
      {"move", 32, {D(1), D(0)}, {0, 7}, {}, Y, {7, 7}, {}, 4},
      {"store through pointer", 33, {9, D(3)}, {0, 0, 0, D(5)}, {}, Y, {0, 0, 0, D(5), 0, 9}, {}, 4},
      {"store through bad pointer", 33, {9, D(3)}, {0, 0, 0, 8}, {}, X, {0, 0, 0, 8}, {}, 0, kResultBefore,
       F::kBadAddress},
      {"stack set", 34, {9, 8}, {}, {1, 2}, Y, {}, {9, 2}, 4},
      {"stack get", 35, {4, D(0)}, {}, {1, 2}, Y, {2}, {1, 2}, 4},
      {"stack put from memory", 36, {D(1), 4}, {0, 7}, {1, 2}, Y, {0, 7}, {1, 7}, 4},
      {"stack move", 37, {4, 8}, {}, {1, 2}, Y, {}, {2, 2}, 4},
      {"load through stack pointer", 38, {4, D(0)}, {0, 7}, {D(1)}, Y, {7, 7}, {D(1)}, 4},
      {"load through pointer", 39, {D(3), D(0)}, {0, 7, 0, D(1)}, {}, Y, {7, 7, 0, D(1)}, {}, 4},
      {"stack address", 40, {4, D(0)}, {}, {1, 2}, Y, {S(4)}, {1, 2}, 4},
      {"lt signed", 41, {I(-1), 0, D(0)}, {}, {}, Y, {1}, {}, 5},
      {"lt false", 41, {1, 0, D(0)}, {9}, {}, Y, {0}, {}, 5},
      {"le equal", 42, {2, 2, D(0)}, {}, {}, Y, {1}, {}, 5},
      {"le signed", 42, {I(-1), I(-2), D(0)}, {9}, {}, Y, {0}, {}, 5},
      {"gt signed", 43, {0, I(-1), D(0)}, {}, {}, Y, {1}, {}, 5},
      {"ge equal", 44, {I(-1), I(-1), D(0)}, {}, {}, Y, {1}, {}, 5},
      {"ge signed", 44, {I(-2), I(-1), D(0)}, {9}, {}, Y, {0}, {}, 5},
      {"eq", 45, {3, 3, D(0)}, {}, {}, Y, {1}, {}, 5},
      {"ne", 46, {3, 3, D(0)}, {9}, {}, Y, {0}, {}, 5},
      {"operation 47", 47, {}, {}, {}, X, {}, {}, 0, kResultBefore, F::kBadOperation},
  };
  return cases;
}

TEST(ScriptMachineTest, EveryOperationFromTable) {
  std::vector<bool> covered(ScriptMachine::kOperationCount, false);
  for (const OpCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    MachineFixture f;
    f.natives.push_back([](NativeArgs& args) { return args.Cell(0) + 10 * args.Cell(1); });
    f.natives.push_back([](NativeArgs& args) {
      args.Load(8);
      return 0u;
    });
    std::vector<uint32_t> words = {c.op};
    for (uint64_t v : c.operands) words.push_back(f.Resolve(v));
    f.Code(words);
    for (size_t k = 0; k < c.dataBefore.size(); ++k) f.space.Write32(f.data + 4 * uint32_t(k), f.Resolve(c.dataBefore[k]));
    for (uint64_t v : c.stackBefore) ASSERT_TRUE(f.machine.Push(f.Resolve(v)));
    f.machine.SetResult(kResultBefore);
    f.machine.SetProgramCounter(f.code);

    EXPECT_EQ(f.machine.Execute(), c.outcome);
    EXPECT_EQ(f.machine.Fault(), c.fault);
    EXPECT_EQ(f.machine.ProgramCounter(), f.code + 4 * c.pcWordAfter);
    EXPECT_EQ(f.machine.Result(), c.resultAfter);
    for (uint32_t k = 0; k < 16; ++k) {
      uint32_t expected = k < c.dataAfter.size() ? f.Resolve(c.dataAfter[k]) : 0;
      EXPECT_EQ(f.Data(k), expected) << "data word " << k;
    }
    std::vector<uint32_t> stack;
    for (uint64_t v : c.stackAfter) stack.push_back(f.Resolve(v));
    EXPECT_EQ(f.Stack(), stack);
    if (c.op < ScriptMachine::kOperationCount && c.outcome != ScriptMachine::kFaulted) covered[c.op] = true;
  }
  for (uint32_t op = 0; op < ScriptMachine::kOperationCount; ++op) EXPECT_TRUE(covered[op]) << "operation " << op;
}

TEST(ScriptMachineTest, YieldResumesAfterItselfAndResultsFeedLaterOperands) {
  MachineFixture f;
  // add writes its sum into the immediate of the set that follows; the set
  // then stores it. A yield pauses between the two halves.
  f.Code({13, 2, 3, f.code + 4 * 5,  // add 2 3 -> word 5
          31, 0, f.data,             // set <patched> D0
          0,                         // yield
          31, 9, f.data + 4,         // set 9 D1
          1});                       // return
  EXPECT_EQ(f.machine.RunAt(f.code), ScriptMachine::kYielded);
  EXPECT_EQ(f.Data(0), 5u);
  EXPECT_EQ(f.Data(1), 0u);
  EXPECT_EQ(f.machine.ProgramCounter(), f.code + 4 * 8);
  EXPECT_EQ(f.machine.Execute(), ScriptMachine::kEnded);
  EXPECT_EQ(f.Data(1), 9u);
  EXPECT_EQ(f.machine.StackPointer(), f.machine.StackBase());
}

TEST(ScriptMachineTest, FaultsStickUntilTheProgramCounterIsSet) {
  MachineFixture f;
  f.Code({6, 0});  // jump to address 0
  f.machine.SetProgramCounter(f.code);
  EXPECT_EQ(f.machine.Execute(), ScriptMachine::kFaulted);
  EXPECT_EQ(f.machine.Fault(), ScriptFault::kBadCodeAddress);
  EXPECT_EQ(f.machine.Execute(), ScriptMachine::kFaulted);
  f.machine.SetProgramCounter(f.code + 8);  // a yield
  EXPECT_EQ(f.machine.Execute(), ScriptMachine::kYielded);
  EXPECT_EQ(f.machine.Fault(), ScriptFault::kNone);
}

TEST(ScriptMachineTest, PushesPastTheStackAndCodePastTheArenaFault) {
  MachineFixture f;
  f.Code({8, 1, 6, f.code});  // push 1; jump back
  f.machine.SetProgramCounter(f.code);
  EXPECT_EQ(f.machine.Execute(), ScriptMachine::kFaulted);
  EXPECT_EQ(f.machine.Fault(), ScriptFault::kStackOverflow);
  EXPECT_EQ(f.machine.StackPointer(), f.machine.StackEnd());

  // An instruction whose operands run past the end of the arena.
  uint32_t tail = f.space.Allocate(16);
  f.space.Write32(uint32_t(tail + 12), 13);  // add needs three more words
  ASSERT_EQ(f.space.Size(), uint64_t(tail) + 16);
  f.machine.SetProgramCounter(tail + 12);
  EXPECT_EQ(f.machine.Execute(), ScriptMachine::kFaulted);
  EXPECT_EQ(f.machine.Fault(), ScriptFault::kBadCodeAddress);

  // Instructions in the arena's last words run when they fit whole.
  struct TailCase {
    const char* name;
    std::vector<uint32_t> words;  // placed so that the last one ends the arena
    int outcome;
    uint32_t data0;
    uint32_t pcFromEnd;  // program counter afterwards, in bytes before the end
  };
  const TailCase tails[] = {
      {"set then yield in the last word", {31, 9, f.data, 0}, ScriptMachine::kYielded, 9, 0},
      {"yield alone in the last word", {0}, ScriptMachine::kYielded, 0, 0},
      {"add ending the arena, then nothing", {13, 2, 3, f.data}, ScriptMachine::kFaulted, 5, 0},
      {"set cut by the end", {31, 9}, ScriptMachine::kFaulted, 0, 8},
      {"jump ending the arena", {6, tail + 12, 0, 6}, ScriptMachine::kFaulted, 0, 4},
  };
  for (const TailCase& c : tails) {
    SCOPED_TRACE(c.name);
    f.space.Write32(f.data, 0);
    const uint32_t at = uint32_t(f.space.Size() - 4 * c.words.size());
    for (size_t k = 0; k < c.words.size(); ++k) f.space.Write32(at + 4 * uint32_t(k), c.words[k]);
    f.machine.SetProgramCounter(at);
    EXPECT_EQ(f.machine.Execute(), c.outcome);
    EXPECT_EQ(f.Data(0), c.data0);
    EXPECT_EQ(f.machine.ProgramCounter(), f.space.Size() - c.pcFromEnd);
    if (c.outcome == ScriptMachine::kFaulted) {
      EXPECT_EQ(f.machine.Fault(), ScriptFault::kBadCodeAddress);
    }
  }
}

// Stores to the first and last words of the arena and of the stack pass; one
// byte further out they fault.
TEST(ScriptMachineTest, AccessesAtTheEdgesOfTheArenaAndTheStack) {
  MachineFixture f;
  const uint32_t guard = ScriptAddressSpace::kGuardBytes;
  const uint32_t end = uint32_t(f.space.Size());
  const uint32_t lo = f.machine.StackBase(), hi = f.machine.StackEnd();
  struct Case {
    const char* name;
    uint32_t op, operand, at;  // op 31 stores at an address, op 34 at a stack offset
    bool passes;
  };
  // The stack pointer stays at the stack's base, so offset s names lo - s.
  const Case cases[] = {
      {"first arena word", 31, guard, guard, true},
      {"word across the guard", 31, guard - 1, guard - 1, false},
      {"last arena word", 31, end - 4, end - 4, true},
      {"word across the end", 31, end - 3, end - 3, false},
      {"last address", 31, 0xFFFFFFFF, 0xFFFFFFFF, false},
      {"bottom stack word", 34, 0, lo, true},
      {"below the stack", 34, 1, lo - 1, false},
      {"top stack word", 34, lo - (hi - 4), hi - 4, true},
      {"across the stack's top", 34, lo - (hi - 3), hi - 3, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    f.Code({c.op, 0x5A5A5A5A, c.operand});
    f.machine.SetProgramCounter(f.code);
    EXPECT_EQ(f.machine.Execute(), c.passes ? ScriptMachine::kYielded : ScriptMachine::kFaulted);
    if (c.passes) {
      uint32_t stored = 0;
      EXPECT_TRUE(f.space.Read32(c.at, stored));
      EXPECT_EQ(stored, 0x5A5A5A5Au);
      f.space.Write32(c.at, 0);
    } else {
      EXPECT_EQ(f.machine.Fault(), c.op == 31 ? ScriptFault::kBadAddress : ScriptFault::kBadStackOffset);
      EXPECT_EQ(f.machine.FaultAddress(), c.at);
    }
  }
}

TEST(ScriptMachineTest, BudgetPausesALoopAndNativesMayGrowTheArena) {
  MachineFixture f;
  f.natives.push_back([&f](NativeArgs&) { return f.space.Allocate(1 << 20); });
  // native 0 -> D0, then loop forever on a jump to itself.
  f.Code({5, ScriptMachine::NativeAddress(0), f.data, f.data, 6, f.code + 16});
  f.machine.SetInstructionBudget(100);
  f.machine.SetProgramCounter(f.code);
  EXPECT_EQ(f.machine.Execute(), ScriptMachine::kOutOfBudget);
  EXPECT_NE(f.Data(0), 0u);
  EXPECT_EQ(f.machine.ProgramCounter(), f.code + 16);
  EXPECT_EQ(f.machine.Execute(), ScriptMachine::kOutOfBudget);
  EXPECT_EQ(f.machine.InstructionCount(), 200u);
}

TEST(ScriptMachineTest, NativeModeIsRefusedAsFailedTranslation) {
  MachineFixture f;
  EXPECT_EQ(f.machine.SetNativeMode(true), 2);
  EXPECT_FALSE(f.machine.NativeMode());
  EXPECT_EQ(f.machine.SetNativeMode(false), 0);
}

}  // namespace
}  // namespace orrivel
