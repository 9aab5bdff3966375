// The game steps both timer lists every frame; with thousands of live tasks a
// pass should cost little more than the virtual calls themselves. The peer is
// a plain vector of the same tasks stepped by virtual call.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "base/TimerList.h"

namespace {

constexpr int kTasks = 10000;

class CountingTask final : public orrivel::TimedTask {
 public:
  int32_t Step(uint32_t now) override {
    sum_ += now;
    return 0;
  }
  void Stop() override {}

 private:
  uint64_t sum_ = 0;
};

void BM_TimerListStep(benchmark::State& state) {
  orrivel::TimerList list;
  for (int i = 0; i < kTasks; ++i) list.Add(new CountingTask, 0, 0, 0);
  uint32_t now = 0x10000000;
  for (auto _ : state) list.Step(++now);
  state.SetItemsProcessed(state.iterations() * kTasks);
}
BENCHMARK(BM_TimerListStep);

void BM_VectorOfVirtualSteps(benchmark::State& state) {
  std::vector<std::unique_ptr<orrivel::TimedTask>> tasks;
  for (int i = 0; i < kTasks; ++i) tasks.push_back(std::make_unique<CountingTask>());
  uint32_t now = 0x10000000;
  for (auto _ : state) {
    ++now;
    for (auto& task : tasks) benchmark::DoNotOptimize(task->Step(now));
  }
  state.SetItemsProcessed(state.iterations() * kTasks);
}
BENCHMARK(BM_VectorOfVirtualSteps);

}  // namespace
