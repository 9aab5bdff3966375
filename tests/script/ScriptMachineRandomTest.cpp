// Random programs run on the machine and on a plain model of it that reads
// and writes one checked word at a time, with no shortcuts. After every
// pause both must agree on the outcome, the fault, every register, the
// instruction count and every byte of the arena. The programs patch their
// own operands, jump into data, run off the end of the arena, call natives
// that grow the arena, and use bad addresses, stack offsets and operations.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "script/ScriptMachine.h"

namespace orrivel {
namespace {

using F = ScriptFault;

constexpr uint32_t kStackWords = 24;
constexpr uint32_t kDataWords = 16;
constexpr uint32_t kCodeWords = 48;

// The model: the operation table and the fault rules, one step at a time.
class ModelMachine {
 public:
  ModelMachine(ScriptAddressSpace& space, const NativeTable& natives) : space_(space), natives_(natives) {}

  void SetStack(uint32_t base, uint32_t end) {
    stackLo = sp = base;
    stackHi = end;
  }
  bool Push(uint32_t value) {
    if (sp < stackLo || uint64_t(sp) + 4 > stackHi) return false;
    space_.Write32(sp, value);
    sp += 4;
    return true;
  }

  // As ScriptMachine::Execute with a budget (0: none).
  int Execute(uint64_t budget) {
    if (fault != F::kNone) return ScriptMachine::kFaulted;
    for (uint64_t left = budget;; --left) {
      if (budget && left == 0) return ScriptMachine::kOutOfBudget;
      const int outcome = Step();
      if (outcome >= 0) return outcome;
    }
  }

  uint32_t pc = 0, sp = 0, stackLo = 0, stackHi = 0, result = 0;
  uint64_t executed = 0;
  F fault = F::kNone;
  uint32_t faultPc = 0, faultAddress = 0;

 private:
  static constexpr int kGoOn = -1;

  bool InArena(uint32_t a, uint64_t bytes) const { return space_.Contains(a, bytes); }
  bool InStack(uint32_t a) const { return a >= stackLo && uint64_t(a) + 4 <= stackHi; }
  uint32_t Get(uint32_t a) const {
    uint32_t v = 0;
    EXPECT_TRUE(space_.Read32(a, v));
    return v;
  }
  int Fail(uint32_t start, F kind, uint32_t address) {
    pc = start;
    fault = kind;
    faultPc = start;
    faultAddress = address;
    return ScriptMachine::kFaulted;
  }

  int Step() {
    const uint32_t start = pc;
    if (!InArena(pc, 4)) return Fail(start, F::kBadCodeAddress, pc);
    const uint32_t op = Get(pc);
    if (op >= ScriptMachine::kOperationCount) return Fail(start, F::kBadOperation, 0);
    const uint32_t words = ScriptMachine::OperandWords(op);
    if (!InArena(pc, 4 + 4 * uint64_t(words))) return Fail(start, F::kBadCodeAddress, pc);
    uint32_t o[3] = {0, 0, 0};
    for (uint32_t k = 0; k < words; ++k) o[k] = Get(pc + 4 + 4 * k);
    pc += 4 + 4 * words;
    ++executed;

    // Checked memory and stack access; each returns false after recording the fault.
    auto load = [&](uint32_t a, uint32_t& v) {
      if (!InArena(a, 4)) return Fail(start, F::kBadAddress, a), false;
      v = Get(a);
      return true;
    };
    auto store = [&](uint32_t a, uint32_t v) {
      if (!InArena(a, 4)) return Fail(start, F::kBadAddress, a), false;
      space_.Write32(a, v);
      return true;
    };
    auto stackWord = [&](uint32_t s, uint32_t& at) {
      at = sp - s;
      if (!InStack(at)) return Fail(start, F::kBadStackOffset, at), false;
      return true;
    };
    auto canPush = [&] { return sp >= stackLo && uint64_t(sp) + 4 <= stackHi; };
    auto canPop = [&] { return sp <= stackHi && uint64_t(sp) >= uint64_t(stackLo) + 4; };
    auto stored = [&](bool ok) { return ok ? kGoOn : ScriptMachine::kFaulted; };
    const int32_t a = int32_t(o[0]), b = int32_t(o[1]);

    switch (op) {
      case 0: return ScriptMachine::kYielded;
      case 1:
      case 2: {
        if (!canPop()) return Fail(start, F::kStackUnderflow, sp);
        sp -= 4;
        const uint32_t back = Get(sp);
        if (back == 0) return ScriptMachine::kEnded;
        if (op == 2) result = o[0];
        pc = back;
        return kGoOn;
      }
      case 3: return stored(store(o[0], result));
      case 4:
        if (!canPush()) return Fail(start, F::kStackOverflow, sp);
        space_.Write32(sp, pc);
        sp += 4;
        pc = o[0];
        return kGoOn;
      case 5: {
        const uint32_t index = o[0] - ScriptMachine::kNativeAddressBase;
        if (o[0] < ScriptMachine::kNativeAddressBase || index >= natives_.size() || !natives_[index])
          return Fail(start, F::kBadNative, o[0]);
        pc = start + 12;  // the word that names where the result goes
        NativeArgs args(space_, nullptr, o[1]);
        const uint32_t value = natives_[index](args);
        if (args.Failed()) return Fail(start, F::kNativeFailed, o[1]);
        const uint32_t resume = pc;
        uint32_t target;
        if (!load(resume, target) || !store(target, value)) return ScriptMachine::kFaulted;
        pc = resume + 4;
        return kGoOn;
      }
      case 6: pc = o[0]; return kGoOn;
      case 7: {
        for (uint64_t k = 0;; ++k) {
          const uint64_t at = uint64_t(start) + 8 + 4 * k;
          if (at > 0xFFFFFFFFu || !InArena(uint32_t(at), 4)) return Fail(start, F::kBadSwitch, o[0]);
          const uint32_t target = Get(uint32_t(at));
          if (target == ScriptMachine::kSwitchEnd) return Fail(start, F::kBadSwitch, o[0]);
          if (k == o[0]) {
            pc = target;
            return kGoOn;
          }
        }
      }
      case 8:
      case 9: {
        uint32_t v = o[0];
        if (op == 9 && !load(o[0], v)) return ScriptMachine::kFaulted;
        if (!canPush()) return Fail(start, F::kStackOverflow, sp);
        space_.Write32(sp, v);
        sp += 4;
        return kGoOn;
      }
      case 10:
        if (!canPop()) return Fail(start, F::kStackUnderflow, sp);
        if (!store(o[0], Get(sp - 4))) return ScriptMachine::kFaulted;
        sp -= 4;
        return kGoOn;
      case 11:
      case 12: {
        const uint32_t next = op == 11 ? sp + o[0] : sp - o[0];
        const bool up = op == 11 ? a >= 0 : a < 0;
        if (next < stackLo || next > stackHi) return Fail(start, up ? F::kStackOverflow : F::kStackUnderflow, next);
        sp = next;
        return kGoOn;
      }
      case 13: return stored(store(o[2], o[0] + o[1]));
      case 14: return stored(store(o[2], o[0] - o[1]));
      case 15: return stored(store(o[2], uint32_t(int64_t(a) * int64_t(b))));
      case 16:
      case 17:
      case 18: {
        if (b == 0) return Fail(start, F::kDivideByZero, 0);
        if (a == INT_MIN && b == -1) {
          if (op == 16) return Fail(start, F::kDivideOverflow, 0);
          return stored(store(o[2], 0));
        }
        if (op == 16) return stored(store(o[2], uint32_t(a / b)));
        const int32_t r = a % b;
        return stored(store(o[2], uint32_t(op == 18 && r < 0 ? int64_t(r) + b : r)));
      }
      case 19: return stored(store(o[2], o[0] & o[1]));
      case 20: return stored(store(o[2], o[0] | o[1]));
      case 21: return stored(store(o[2], o[0] ^ o[1]));
      case 22: return stored(store(o[1], ~o[0]));
      case 23: return stored(store(o[1], o[0] == 0));
      case 24: return stored(store(o[2], uint32_t(a >> (o[1] % 32))));
      case 25: return stored(store(o[2], o[0] << (o[1] % 32)));
      case 26:
      case 27: {
        uint32_t v;
        if (!load(o[0], v)) return ScriptMachine::kFaulted;
        return stored(store(o[0], op == 26 ? v + 1 : v - 1));
      }
      case 28:
      case 29: {
        uint32_t at;
        if (!stackWord(o[0], at)) return ScriptMachine::kFaulted;
        space_.Write32(at, Get(at) + (op == 28 ? 1 : -1));
        return kGoOn;
      }
      case 30:
        if (o[0] == 0) pc = o[1];
        return kGoOn;
      case 31: return stored(store(o[1], o[0]));
      case 32: {
        uint32_t v;
        return stored(load(o[0], v) && store(o[1], v));
      }
      case 33: {
        uint32_t p;
        return stored(load(o[1], p) && store(p, o[0]));
      }
      case 34: {
        uint32_t at;
        if (!stackWord(o[1], at)) return ScriptMachine::kFaulted;
        space_.Write32(at, o[0]);
        return kGoOn;
      }
      case 35: {
        uint32_t at;
        return stored(stackWord(o[0], at) && store(o[1], Get(at)));
      }
      case 36: {
        uint32_t v, at;
        if (!load(o[0], v) || !stackWord(o[1], at)) return ScriptMachine::kFaulted;
        space_.Write32(at, v);
        return kGoOn;
      }
      case 37: {
        uint32_t from, to;
        if (!stackWord(o[0], from) || !stackWord(o[1], to)) return ScriptMachine::kFaulted;
        space_.Write32(to, Get(from));
        return kGoOn;
      }
      case 38: {
        uint32_t at, v;
        return stored(stackWord(o[0], at) && load(Get(at), v) && store(o[1], v));
      }
      case 39: {
        uint32_t p, v;
        return stored(load(o[0], p) && load(p, v) && store(o[1], v));
      }
      case 40: return stored(store(o[1], sp - o[0]));
      case 41: return stored(store(o[2], a < b));
      case 42: return stored(store(o[2], a <= b));
      case 43: return stored(store(o[2], a > b));
      case 44: return stored(store(o[2], a >= b));
      case 45: return stored(store(o[2], o[0] == o[1]));
      case 46: return stored(store(o[2], o[0] != o[1]));
    }
    ADD_FAILURE() << "operation " << op << " has no model";
    return ScriptMachine::kFaulted;
  }

  ScriptAddressSpace& space_;
  const NativeTable& natives_;
};

// One arena laid out the same way for the machine and the model: data, the
// stack, then code at the very end so that runs off the end are common.
struct World {
  ScriptAddressSpace space{1u << 20};
  // How natives reach the registers of whichever runs them: push a word,
  // and move the program counter (which names the result's address word).
  std::function<bool(uint32_t)> push;
  std::function<void()> skipWord;
  NativeTable natives = MakeNatives();
  uint32_t data = space.Allocate(4 * kDataWords);
  uint32_t stack = 0;
  uint32_t code = 0;

  // Natives that read their cells, fail, grow the arena (which moves it),
  // and change the stack and the program counter under the call.
  NativeTable MakeNatives() {
    NativeTable table;
    table.push_back([](NativeArgs& args) { return args.Cell(0) + 3 * args.Cell(1); });
    table.push_back([](NativeArgs& args) { return args.Store(args.Block(), 0x1234) ? 7u : 0u; });
    table.push_back([this](NativeArgs&) { return space.Allocate(64); });
    table.push_back(nullptr);  // a hole in the table
    table.push_back([this](NativeArgs& args) {
      if (!push(0x70)) args.Fail();
      return 1u;
    });
    table.push_back([this](NativeArgs&) {
      skipWord();
      return 2u;
    });
    return table;
  }
};

// Operand kinds per operation: i immediate, a address, s stack offset,
// d stack delta, j jump target, n native.
constexpr const char* kOperandKinds[ScriptMachine::kOperationCount] = {
    "",    "",    "i",   "a",   "j",   "naa", "j",   "i",   "i",   "a",    // 0-9
    "a",   "d",   "d",   "iia", "iia", "iia", "iia", "iia", "iia", "iia",  // 10-19
    "iia", "iia", "ia",  "ia",  "iia", "iia", "a",   "a",   "s",   "s",    // 20-29
    "ij",  "ia",  "aa",  "ia",  "is",  "sa",  "as",  "ss",  "sa",  "aa",   // 30-39
    "sa",  "iia", "iia", "iia", "iia", "iia", "iia",                       // 40-46
};

class ProgramGenerator {
 public:
  explicit ProgramGenerator(uint32_t seed) : rng_(seed) {}

  // Mostly well-formed code, so that runs go on for a while, with now and
  // then an operand from the hostile pool.
  std::vector<uint32_t> Words(const World& w, std::vector<uint32_t>& starts) {
    std::vector<uint32_t> words;
    std::vector<char> kinds;
    while (words.size() < kCodeWords) {
      starts.push_back(w.code + 4 * uint32_t(words.size()));
      uint32_t op = Pick(100) < 2 ? 47 + Pick(3) * 1000 : Pick(ScriptMachine::kOperationCount);
      if ((op == 0 || op == 1 || op == 2) && Pick(2)) op = 13 + Pick(34);  // longer runs
      words.push_back(op);
      kinds.push_back(0);
      std::string operandKinds = op < ScriptMachine::kOperationCount ? kOperandKinds[op] : "";
      if (op == 7) operandKinds += std::string(1 + Pick(3), 'j') + (Pick(8) ? "e" : "");
      for (char kind : operandKinds) {
        words.push_back(0);
        kinds.push_back(kind);
      }
    }
    if (Pick(2)) {
      // An instruction cut by the end of the arena, one to three words short.
      const uint32_t at = kCodeWords - 1 - Pick(3);
      words.resize(at);
      kinds.resize(at);
      while (!starts.empty() && starts.back() >= w.code + 4 * at) starts.pop_back();
      starts.push_back(w.code + 4 * at);
      words.push_back(13 + Pick(4));
      kinds.insert(kinds.end(), {0, 'i', 'i', 'a'});
    }
    words.resize(kCodeWords);
    kinds.resize(kCodeWords);
    // Operands are chosen once every instruction start is known.
    for (size_t k = 0; k < words.size(); ++k)
      if (kinds[k]) words[k] = Operand(w, starts, kinds[k]);
    return words;
  }
  uint32_t Operand(const World& w, const std::vector<uint32_t>& starts, char kind) {
    if (Pick(100) < 4) return Hostile(w, starts);
    switch (kind) {
      case 'a':
        switch (Pick(8)) {
          case 0: return w.code + 4 * Pick(kCodeWords);  // patches a later operand
          case 1: return w.stack + 4 * Pick(kStackWords);
          default: return w.data + 4 * Pick(kDataWords);
        }
      case 's': return 4 * (1 + Pick(8));
      case 'd': return uint32_t(4 * (int32_t(Pick(5)) - 2));
      case 'j': return starts[Pick(uint32_t(starts.size()))];
      case 'n': return ScriptMachine::NativeAddress(Pick(6));
      case 'e': return ScriptMachine::kSwitchEnd;
      default: return Value(w);
    }
  }
  // Immediates and data: small numbers, now and then an address.
  uint32_t Value(const World& w) {
    switch (Pick(8)) {
      case 0: return w.data + 4 * Pick(kDataWords);
      case 1: return Pick(2) ? uint32_t(INT_MIN) : 0xFFFFFFFFu;
      default: return uint32_t(int32_t(Pick(9)) - 3);
    }
  }
  uint32_t Hostile(const World& w, const std::vector<uint32_t>& starts) {
    const uint32_t end = uint32_t(w.space.Size());
    const uint32_t hostile[] = {0,
                                8,
                                ScriptAddressSpace::kGuardBytes - 2,
                                end - 2,
                                end,
                                0xFFFFFFFF,
                                0xFFFFFFFC,
                                4 * kStackWords + 4,
                                33,
                                ScriptMachine::NativeAddress(Pick(8)),
                                w.code + 4 * Pick(kCodeWords) + Pick(4),
                                starts[Pick(uint32_t(starts.size()))] + 4,
                                w.stack + 4 * kStackWords - Pick(4)};
    return hostile[Pick(sizeof(hostile) / sizeof(hostile[0]))];
  }
  uint32_t Pick(uint32_t n) { return uint32_t(rng_() % n); }

 private:
  std::mt19937 rng_;
};

void ExpectSame(const ScriptMachine& m, const ModelMachine& model, const World& a, const World& b) {
  EXPECT_EQ(m.ProgramCounter(), model.pc);
  EXPECT_EQ(m.StackPointer(), model.sp);
  EXPECT_EQ(m.Result(), model.result);
  EXPECT_EQ(m.Fault(), model.fault);
  EXPECT_EQ(m.FaultPc(), model.faultPc);
  EXPECT_EQ(m.FaultAddress(), model.faultAddress);
  EXPECT_EQ(m.InstructionCount(), model.executed);
  ASSERT_EQ(a.space.Size(), b.space.Size());
  EXPECT_EQ(std::memcmp(a.space.Data(), b.space.Data(), a.space.Size()), 0) << "arenas differ";
}

// Every program runs once with each dispatch of the machine.
void RunRandomPrograms(bool portableDispatch) {
  constexpr uint32_t kPrograms = 3000;
  constexpr uint64_t kLongRun = 3000;
  int outcomes[4] = {};
  for (uint32_t seed = 1; seed <= kPrograms; ++seed) {
    SCOPED_TRACE(seed);
    World mw, xw;
    ScriptMachine machine(mw.space, &mw.natives);
    machine.SetPortableDispatch(portableDispatch);
    ModelMachine model(xw.space, xw.natives);
    mw.push = [&machine](uint32_t v) { return machine.Push(v); };
    mw.skipWord = [&machine] { machine.SetProgramCounter(machine.ProgramCounter() + 4); };
    xw.push = [&model](uint32_t v) { return model.Push(v); };
    xw.skipWord = [&model] { model.pc += 4; };
    ASSERT_EQ(machine.AllocateStack(kStackWords), 0);
    mw.stack = machine.StackBase();
    xw.stack = xw.space.Allocate(4 * kStackWords);
    ASSERT_EQ(mw.stack, xw.stack);
    model.SetStack(xw.stack, xw.stack + 4 * kStackWords);
    mw.code = mw.space.Allocate(4 * kCodeWords);
    xw.code = xw.space.Allocate(4 * kCodeWords);
    ASSERT_EQ(mw.space.Size(), uint64_t(mw.code) + 4 * kCodeWords);

    ProgramGenerator gen(seed);
    std::vector<uint32_t> starts;
    const std::vector<uint32_t> words = gen.Words(mw, starts);
    for (uint32_t k = 0; k < kCodeWords; ++k) mw.space.Write32(mw.code + 4 * k, words[k]);
    for (uint32_t k = 0; k < kDataWords; ++k) mw.space.Write32(mw.data + 4 * k, gen.Value(mw));
    ASSERT_EQ(mw.space.Size(), xw.space.Size());
    std::memcpy(xw.space.Data(), mw.space.Data(), mw.space.Size());

    const uint32_t entry = starts[gen.Pick(uint32_t(starts.size()))];
    machine.SetProgramCounter(entry);
    model.pc = entry;
    if (gen.Pick(4)) {  // most runs can return to a sentinel
      ASSERT_TRUE(machine.PushReturnSentinel());
      xw.space.Write32(model.sp, 0);
      model.sp += 4;
    }
    for (int round = 0; round < 6; ++round) {
      // Short budgets pause runs anywhere; a run that the model sees stop by
      // itself within the long budget is repeated with no budget at all.
      const uint64_t budget = gen.Pick(3) ? kLongRun : 1 + gen.Pick(30);
      const int expected = model.Execute(budget);
      const bool unbounded = expected != ScriptMachine::kOutOfBudget && gen.Pick(2);
      machine.SetInstructionBudget(unbounded ? 0 : budget);
      ASSERT_EQ(machine.Execute(), expected) << "round " << round;
      ExpectSame(machine, model, mw, xw);
      if (::testing::Test::HasFailure()) return;
      ++outcomes[expected];
      if (expected == ScriptMachine::kFaulted || expected == ScriptMachine::kEnded) break;
    }
  }
  // The generator must reach every kind of stop, not only faults.
  for (int outcome = 0; outcome < 4; ++outcome) EXPECT_GT(outcomes[outcome], 50) << "outcome " << outcome;
}

TEST(ScriptMachineRandomTest, RandomProgramsMatchThePlainModel) {
  RunRandomPrograms(false);
  if (::testing::Test::HasFailure()) return;
  RunRandomPrograms(true);
}

}  // namespace
}  // namespace orrivel
