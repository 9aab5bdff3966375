#pragma once
// What the drawing benchmarks need bound before they draw through sprites:
// the math tables, the blend tables and our pixel-operation library.
#include <benchmark/benchmark.h>

#include "base/MathTables.h"
#include "raster/BlendTables.h"
#include "raster/PixelOpLibrary.h"

namespace orrivel::bench {

// Binds them once per process; false (and the benchmark skipped) when the
// library is missing.
inline bool PixelOpsReady(benchmark::State& state) {
  static MathTables tables;
  static PixelOpLibrary library("tvpgl.dll", nullptr, false);
  SetMathTables(&tables);
  SetCurrentPixelOpLibrary(&library);
  BuildBlendTables();
  if (!library.HasModule()) state.SkipWithError("pixel-operation library missing");
  return library.HasModule();
}

}  // namespace orrivel::bench
