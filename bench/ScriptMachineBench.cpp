// Script machine throughput on a tight arithmetic and branch loop
// (s += i; i++ while i < N), against the same loop in Lua 5.4 (run as a
// subprocess, timed inside Lua so start-up is not counted) and in plain C++.
// Compare items_per_second (loop iterations); the machine also reports its
// instructions per second (8 per iteration). Variants run the same loop with
// an instruction budget and with the portable switch dispatch, and a loop
// that calls a function with an argument on the stack (12 per iteration).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "LuaPeer.h"
#include "PeerReport.h"
#include "ScriptLoop.h"
#include "script/ScriptMachine.h"

namespace {

using orrivel::ScriptMachine;

constexpr int64_t kIterations = 1'000'000;

// Compiled the way scripts are: values reach operands by stores into the
// operand words of later instructions.
struct LoopProgram : orrivel::bench::ScriptLoop {
  explicit LoopProgram(uint32_t n, bool withCall = false) : ScriptLoop(64) {
    const uint32_t i = I(), s = S();
    auto at = [this](uint32_t word) { return At(word); };
    const std::vector<uint32_t> loop = {
        32, i, at(7),        // 0: mov i -> A.1
        32, s, at(8),        // 3: mov s -> A.2
        13, 0, 0, s,         // 6: A: add
        26, i,               // 10: inc i
        32, i, at(16),       // 12: mov i -> B.1
        41, 0, n, at(20),    // 15: B: lt i n -> C.1
        30, 0, at(24),       // 19: C: bz -> end
        6, at(0),            // 22: jmp loop
        1,                   // 24: end: ret
    };
    // The same sum through a function: add(i) does s += its argument.
    const std::vector<uint32_t> calls = {
        32, i, at(4),        // 0: mov i -> P.1
        8, 0,                // 3: P: push i
        4, at(25),           // 5: call add
        12, 4,               // 7: drop the argument
        26, i,               // 9: inc i
        32, i, at(15),       // 11: mov i -> B.1
        41, 0, n, at(19),    // 14: B: lt i n -> C.1
        30, 0, at(23),       // 18: C: bz -> end
        6, at(0),            // 21: jmp loop
        1,                   // 23: end: ret
        0,                   // 24: (unused)
        35, 8, at(32),       // 25: add: S(8) (the argument) -> A.1
        32, s, at(33),       // 28: mov s -> A.2
        13, 0, 0, s,         // 31: A: add
        1,                   // 35: ret
    };
    Load(withCall ? calls : loop);
  }
};

void RunLoop(benchmark::State& state, LoopProgram& program) {
  const uint64_t expected = uint64_t(kIterations) * (kIterations - 1) / 2;
  uint64_t before = program.machine.InstructionCount();
  for (auto _ : state) {
    const uint32_t sum = program.Run();
    if (sum != uint32_t(expected)) {
      state.SkipWithError("wrong sum");
      break;
    }
    benchmark::DoNotOptimize(sum);
  }
  const uint64_t ops = program.machine.InstructionCount() - before;
  state.SetItemsProcessed(int64_t(state.iterations()) * kIterations);
  state.counters["ops_per_second"] = benchmark::Counter(double(ops), benchmark::Counter::kIsRate);
}

void BM_ScriptMachineLoop(benchmark::State& state) {
  LoopProgram program{uint32_t(kIterations)};
  RunLoop(state, program);
}
BENCHMARK(BM_ScriptMachineLoop)->Unit(benchmark::kMillisecond);

// A budget far above the run: the counted loop that hosts use to stay responsive.
void BM_ScriptMachineLoopWithBudget(benchmark::State& state) {
  LoopProgram program{uint32_t(kIterations)};
  program.machine.SetInstructionBudget(uint64_t(1) << 40);
  RunLoop(state, program);
}
BENCHMARK(BM_ScriptMachineLoopWithBudget)->Unit(benchmark::kMillisecond);

void BM_ScriptMachineLoopPortableDispatch(benchmark::State& state) {
  LoopProgram program{uint32_t(kIterations)};
  program.machine.SetPortableDispatch(true);
  RunLoop(state, program);
}
BENCHMARK(BM_ScriptMachineLoopPortableDispatch)->Unit(benchmark::kMillisecond);

void BM_ScriptMachineCallLoop(benchmark::State& state) {
  LoopProgram program{uint32_t(kIterations), true};
  RunLoop(state, program);
}
BENCHMARK(BM_ScriptMachineCallLoop)->Unit(benchmark::kMillisecond);

void BM_PlainCppLoop(benchmark::State& state) {
  for (auto _ : state) {
    uint32_t s = 0;
    for (int32_t i = 0; i < kIterations; ++i) {
      s += uint32_t(i);
      benchmark::DoNotOptimize(s);
    }
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kIterations);
}
BENCHMARK(BM_PlainCppLoop)->Unit(benchmark::kMillisecond);

void BM_Lua54Loop(benchmark::State& state) {
  orrivel::bench::RunLuaPeer(state, "local s,i=0,0",
                             "while i<" + std::to_string(kIterations) + " do s=s+i i=i+1 end", kIterations);
}
// Lua's runs spread widely (each is a new process), so it takes many.
BENCHMARK(BM_Lua54Loop)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_ScriptMachineLoop", "BM_Lua54Loop/iterations:40/manual_time"},
                              {"BM_ScriptMachineLoopWithBudget", "BM_Lua54Loop/iterations:40/manual_time"},
                              {"BM_ScriptMachineLoopPortableDispatch", "BM_Lua54Loop/iterations:40/manual_time"},
                              {"BM_ScriptMachineLoop", "BM_PlainCppLoop"})
