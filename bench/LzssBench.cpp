// LZSS decode throughput against zlib's inflate of the same data and against
// a plain copy of the output (the bound no decoder beats); LZSS encode
// throughput against zlib's deflate at levels 1 and 6 on the same data.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "PeerReport.h"
#include "resource/LzssCoder.h"

namespace {

// Script-like text with some binary runs: what archives mostly hold.
const std::vector<uint8_t>& Sample() {
  static const std::vector<uint8_t> data = [] {
    std::mt19937 random(5);
    std::string text;
    while (text.size() < (1u << 20)) {
      text += "\x81\x75scene " + std::to_string(random() % 500) + " line " + std::to_string(random() % 97) +
              "\x81\x76\r\n";
      if (random() % 16 == 0) text.append(64 + random() % 64, char(random()));
    }
    return std::vector<uint8_t>(text.begin(), text.end());
  }();
  return data;
}

void BM_LzssDecode(benchmark::State& state) {
  const auto& input = Sample();
  std::vector<uint8_t> packed;
  uint32_t packedSize = 0;
  orrivel::LzssEncode(input.data(), uint32_t(input.size()), &packed, &packedSize, true);
  std::vector<uint8_t> out(input.size());
  for (auto _ : state) {
    orrivel::LzssDecode(packed.data(), packed.size(), out.data(), uint32_t(out.size()));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.size()));
  state.counters["ratio"] = double(packedSize) / double(input.size());
}
BENCHMARK(BM_LzssDecode);

void BM_ZlibInflate(benchmark::State& state) {
  const auto& input = Sample();
  uLongf packedSize = compressBound(uLong(input.size()));
  std::vector<uint8_t> packed(packedSize);
  compress2(packed.data(), &packedSize, input.data(), uLong(input.size()), 6);
  std::vector<uint8_t> out(input.size());
  for (auto _ : state) {
    uLongf outSize = uLongf(out.size());
    uncompress(out.data(), &outSize, packed.data(), packedSize);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.size()));
  state.counters["ratio"] = double(packedSize) / double(input.size());
}
BENCHMARK(BM_ZlibInflate);

void BM_CopyOutput(benchmark::State& state) {
  const auto& input = Sample();
  std::vector<uint8_t> out(input.size());
  for (auto _ : state) {
    std::memcpy(out.data(), input.data(), input.size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.size()));
}
BENCHMARK(BM_CopyOutput);

void BM_LzssEncode(benchmark::State& state) {
  const auto& input = Sample();
  std::vector<uint8_t> packed;
  uint32_t size = 0;
  for (auto _ : state) {
    orrivel::LzssEncode(input.data(), uint32_t(input.size()), &packed, &size, true);
    benchmark::DoNotOptimize(packed.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.size()));
  state.counters["ratio"] = double(size) / double(input.size());
}
BENCHMARK(BM_LzssEncode);

// Both sides write their packed output.
void BM_ZlibDeflate(benchmark::State& state) {
  const auto& input = Sample();
  std::vector<uint8_t> packed(compressBound(uLong(input.size())));
  uLongf packedSize = 0;
  for (auto _ : state) {
    packedSize = uLongf(packed.size());
    compress2(packed.data(), &packedSize, input.data(), uLong(input.size()), int(state.range(0)));
    benchmark::DoNotOptimize(packed.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.size()));
  state.counters["ratio"] = double(packedSize) / double(input.size());
}
BENCHMARK(BM_ZlibDeflate)->Arg(1)->Arg(6);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_LzssDecode", "BM_ZlibInflate"}, {"BM_LzssDecode", "BM_CopyOutput"},
                              {"BM_LzssEncode", "BM_ZlibDeflate/1"}, {"BM_LzssEncode", "BM_ZlibDeflate/6"})
