#pragma once
// Lua 5.4 as a peer: a chunk run by the lua5.4 program as a subprocess, timed
// inside Lua (os.clock around the chunk) so that start-up is not counted.
// Include once, in a benchmark program's only file.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace orrivel::bench {

// Runs `setup` then times `chunk` each iteration; items = the chunk's work.
inline void RunLuaPeer(benchmark::State& state, const std::string& setup, const std::string& chunk,
                       int64_t items) {
  const std::string command =
      "lua5.4 -e \"" + setup + " local t=os.clock() " + chunk + " io.write(os.clock()-t)\" 2>/dev/null";
  for (auto _ : state) {
    FILE* pipe = popen(command.c_str(), "r");
    double seconds = -1;
    if (!pipe || std::fscanf(pipe, "%lf", &seconds) != 1) seconds = -1;
    if (pipe) pclose(pipe);
    if (seconds < 0) {
      state.SkipWithError("lua5.4 is not available");
      break;
    }
    state.SetIterationTime(seconds);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * items);
}

}  // namespace orrivel::bench
