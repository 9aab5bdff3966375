// LZSS decode throughput against zlib's inflate of the same data and against
// a plain copy of the output (the bound no decoder beats); LZSS encode
// throughput against zlib's deflate at levels 1 and 6 on the same data, on
// script-like text (argument 0) and on save-like state (argument 1). The
// encoder's packed size is shown beside the size the first encoder (full
// longest-match search, kept in LzssTreeReference.h) gives the same data.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "LzssTreeReference.h"
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

// Save-like state: zeroed stretches, tables of small script cells, file
// names padded with zeros, and slowly varying counters.
const std::vector<uint8_t>& SaveSample() {
  static const std::vector<uint8_t> data = [] {
    std::mt19937 random(9);
    std::vector<uint8_t> state;
    auto putCell = [&state](uint32_t cell) {
      for (int k = 0; k < 4; ++k) state.push_back(uint8_t(cell >> (8 * k)));
    };
    while (state.size() < (1u << 20)) {
      switch (random() % 4) {
        case 0:
          state.insert(state.end(), 256 + random() % 4096, 0);
          break;
        case 1:
          for (int i = 0; i < 512; ++i) putCell(random() % 8 == 0 ? random() % 1000 : 0);
          break;
        case 2: {
          std::string name = "bg/room" + std::to_string(random() % 20) + ".elg";
          name += '\0';
          name += "chara/aya_" + std::to_string(random() % 9) + ".elg";
          name.append(32 - name.size() % 32, '\0');
          state.insert(state.end(), name.begin(), name.end());
          break;
        }
        default: {
          const uint32_t base = uint32_t(random());
          for (int i = 0; i < 300; ++i) putCell(base + (random() % 3 == 0 ? random() % 16 : 0));
        }
      }
    }
    state.resize(1u << 20);
    return state;
  }();
  return data;
}

const std::vector<uint8_t>& DataSet(int64_t which) { return which == 0 ? Sample() : SaveSample(); }

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
  const auto& input = DataSet(state.range(0));
  std::vector<uint8_t> packed;
  uint32_t size = 0;
  for (auto _ : state) {
    orrivel::LzssEncode(input.data(), uint32_t(input.size()), &packed, &size, true);
    benchmark::DoNotOptimize(packed.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.size()));
  state.counters["ratio"] = double(size) / double(input.size());
  state.counters["packed"] = double(size);
  const uint64_t first =
      std::make_unique<orrivel::bench::LzssTreeReference>()->PackedSize(input.data(), uint32_t(input.size()));
  state.counters["first_encoder"] = double(first);
  state.counters["vs_first"] = double(size) / double(first);
}
BENCHMARK(BM_LzssEncode)->Arg(0)->Arg(1);

// Both sides write their packed output.
void BM_ZlibDeflate(benchmark::State& state) {
  const auto& input = DataSet(state.range(1));
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
BENCHMARK(BM_ZlibDeflate)->Args({1, 0})->Args({6, 0})->Args({1, 1})->Args({6, 1});

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_LzssDecode", "BM_ZlibInflate"}, {"BM_LzssDecode", "BM_CopyOutput"},
                              {"BM_LzssEncode/0", "BM_ZlibDeflate/1/0"}, {"BM_LzssEncode/0", "BM_ZlibDeflate/6/0"},
                              {"BM_LzssEncode/1", "BM_ZlibDeflate/1/1"}, {"BM_LzssEncode/1", "BM_ZlibDeflate/6/1"})
