// The cost of a native call from a compiled script: a loop that calls a
// native adding its two integer cells (read through the checked argument
// access) into the sum, against Lua 5.4 calling a registered C function
// (math.max) with two integers the same number of times (run as a
// subprocess, timed inside Lua so start-up is not counted). Compare
// items_per_second (calls); ns per call is 1e9 / items_per_second.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "LuaPeer.h"
#include "PeerReport.h"
#include "ScriptLoop.h"
#include "script/NativeArgs.h"
#include "script/ScriptMachine.h"

namespace {

using orrivel::NativeArgs;
using orrivel::ScriptMachine;

constexpr int64_t kCalls = 1'000'000;

// s = add(i, s) while ++i < N, compiled the way scripts are: values reach
// operands and the argument block by stores.
struct NativeLoop : orrivel::bench::ScriptLoop {
  explicit NativeLoop(uint32_t n) : ScriptLoop(32) {
    natives.push_back([](NativeArgs& a) { return uint32_t(a.Int(0)) + uint32_t(a.Int(1)); });
    const uint32_t args = space.Allocate(8);
    const uint32_t i = I(), s = S();
    auto at = [this](uint32_t word) { return At(word); };
    const uint32_t add = ScriptMachine::kNativeAddressBase + 0;
    Load({
        32, i, args,        // 0: mov i -> cell 0
        32, s, args + 4,    // 3: mov s -> cell 1
        5, add, args, s,    // 6: native add(cells) -> s
        26, i,              // 10: inc i
        32, i, at(16),      // 12: mov i -> B.1
        41, 0, n, at(20),   // 15: B: lt i n -> C.1
        30, 0, at(24),      // 19: C: bz -> end
        6, at(0),           // 22: jmp loop
        1,                  // 24: end: ret
    });
  }
};

void BM_ScriptNativeCalls(benchmark::State& state) {
  NativeLoop program{uint32_t(kCalls)};
  const uint32_t expected = uint32_t(uint64_t(kCalls) * (kCalls - 1) / 2);
  for (auto _ : state) {
    const uint32_t sum = program.Run();
    if (sum != expected) {
      state.SkipWithError("wrong sum");
      break;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kCalls);
}
BENCHMARK(BM_ScriptNativeCalls)->Unit(benchmark::kMillisecond);

void BM_Lua54CFunctionCalls(benchmark::State& state) {
  orrivel::bench::RunLuaPeer(state, "local f=math.max local s=0",
                             "for i=0," + std::to_string(kCalls - 1) + " do s=f(i,s) end", kCalls);
}
// Each run is a new process, so it takes many.
BENCHMARK(BM_Lua54CFunctionCalls)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_ScriptNativeCalls", "BM_Lua54CFunctionCalls/iterations:40/manual_time"})
