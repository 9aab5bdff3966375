// Two figure and credit costs, each beside a peer in the same run:
// - one step of a figure of 20 moving 64 x 64 parts composed through its
//   own canvas into two 1280 x 720 displays (the target and its paired
//   one: each display repaints its background and draws the parts once
//   where they changed) vs pixman OVER
//   of the same 20 part pictures at the same places into two pictures of
//   that size;
// - setting up a 200-line staff roll (reading the layout, drawing every
//   line's surface and placing its sprite) vs the memory floor of the same
//   surfaces (one write of every pixel).
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "BenchGameFolder.h"
#include "PeerReport.h"
#include "PixelOpsReady.h"
#include "PixmanPeer.h"
#include "base/TimerList.h"
#include "effect/SpritePartsAction.h"
#include "effect/StaffRoll.h"
#include "elg/ElgWriter.h"
#include "platform/Clock.h"
#include "raster/KernelFlags.h"
#include "raster/Surface.h"
#include "scene/CanvasDrawObject.h"
#include "scene/SpriteCanvas.h"

namespace {

using orrivel::Surface;

constexpr int kScreenW = 1280;
constexpr int kScreenH = 720;
constexpr int kParts = 20;
constexpr int kPartSide = 64;
constexpr int kRollLines = 200;
// One step of the figure: 16 ms.
constexpr uint32_t kStepMs = 16;

std::vector<uint8_t> PartPicture(uint32_t salt) {
  orrivel::tools::ElgImage image;
  image.depth = 32;
  image.width = image.height = kPartSide;
  for (int y = 0; y < kPartSide; ++y)
    for (int x = 0; x < kPartSide; ++x) {
      const uint32_t c = 0xFF000000u | ((uint32_t(x * 5 + y * 3) ^ salt) & 0xFFFFFFu);
      image.pixels.insert(image.pixels.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), uint8_t(c >> 24)});
    }
  return orrivel::tools::EncodeElg(image, orrivel::tools::ElgHeaderVariant::kDepthOnly);
}

// Part k starts at (60 k, 30 k mod 600) and moves between there and 40
// right, 20 down, one key every 16 ms step, for kMovingSteps steps.
constexpr int kMovingSteps = 400;
int32_t PartX(int k) { return 60 * k; }
int32_t PartY(int k) { return (30 * k) % 600; }

std::string PartsTable() {
  std::string table;
  for (int k = 0; k < kParts; ++k) {
    table += "*p" + std::to_string(k) + ".elg\r\n";
    table += std::to_string(PartX(k)) + "," + std::to_string(PartY(k)) + "\r\nt" + std::to_string(kStepMs) + "\r\n";
    for (int key = 1; key <= kMovingSteps; ++key) {
      const int shift = key % 2;
      table += std::to_string(PartX(k) + 40 * shift) + "," + std::to_string(PartY(k) + 20 * shift) + "\r\n";
    }
  }
  return table;
}

uint32_t DoubleWord(double value, int shift) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return uint32_t(bits >> shift);
}

void BM_PartsComposedIntoTwoDisplays(benchmark::State& state) {
  if (!orrivel::bench::PixelOpsReady(state)) return;
  // The packed kernels, as the game chooses them on a processor that has them.
  orrivel::SetMmxFlag(true);
  orrivel::platform::ManualClock clock(1000);
  orrivel::platform::ScopedClock scoped(clock);
  orrivel::bench::BenchGameFolder game("orrivel-parts-bench");
  for (int k = 0; k < kParts; ++k) game.Write("parts/p" + std::to_string(k) + ".elg", PartPicture(uint32_t(k) * 0x010203u));
  game.Write("parts/FIGURE.TXT", PartsTable());
  orrivel::CanvasDrawObject displays[2];
  for (auto& display : displays)
    if (display.Prepare(kScreenW, kScreenH, 32, 1) != 0) return state.SkipWithError("no display");
  displays[0].SetPairedImage(&displays[1]);
  orrivel::TimerList list;
  auto* figure = new orrivel::SpritePartsAction();
  // Composed ([8]) into both displays ([9]), shown on both.
  const orrivel::ObjectArgument cells[] = {"parts/FIGURE.TXT", 0, 0, 100, 0, DoubleWord(1.0, 0), DoubleWord(1.0, 32),
                                          0, 1, 1, 1, 1};
  if (figure->SetupV(&list, &displays[0], orrivel::ObjectArguments{cells, std::size(cells)}) != 0) {
    delete figure;
    return state.SkipWithError("figure not set up");
  }
  uint32_t now = 1000;
  list.Step(now);
  int64_t moved = 0;
  for (auto _ : state) {
    const int32_t before = figure->GetPart(0)->mainSprite.GetX();
    now += kStepMs;
    clock.SetTick(now);
    list.Step(now);
    // Each display repaints where the figure's picture changed, as its
    // present does every frame.
    for (auto& display : displays) display.GetCanvas()->Render(nullptr, nullptr, 0, 0);
    moved += figure->GetPart(0)->mainSprite.GetX() != before ? 1 : 0;
    benchmark::ClobberMemory();
  }
  // Every measured step moves every part (the keys last that long).
  if (moved != int64_t(state.iterations())) state.SkipWithError("a step moved no part");
  state.SetItemsProcessed(state.iterations() * kParts * 2);
  list.Clear();
  displays[0].SetPairedImage(nullptr);
}
BENCHMARK(BM_PartsComposedIntoTwoDisplays)->Iterations(kMovingSteps - 10);

void BM_PixmanOverSameParts(benchmark::State& state) {
  std::vector<std::unique_ptr<Surface>> parts;
  std::vector<pixman_image_t*> sources;
  for (int k = 0; k < kParts; ++k) {
    parts.push_back(std::make_unique<Surface>());
    parts.back()->Create(kPartSide, kPartSide, 32, 0);
    for (int y = 0; y < kPartSide; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(parts.back()->GetScanLine(y));
      for (int x = 0; x < kPartSide; ++x) row[x] = 0xFF000000u | ((uint32_t(x * 5 + y * 3) ^ uint32_t(k)) & 0xFFFFFFu);
    }
    sources.push_back(orrivel::bench::WrapSurface(*parts.back()));
  }
  Surface pictures[2];
  pixman_image_t* destinations[2];
  for (int i = 0; i < 2; ++i) {
    pictures[i].Create(kScreenW, kScreenH, 32, 0);
    destinations[i] = orrivel::bench::WrapSurface(pictures[i]);
  }
  int step = 0;
  for (auto _ : state) {
    step ^= 1;
    for (pixman_image_t* d : destinations)
      for (int k = 0; k < kParts; ++k)
        pixman_image_composite32(PIXMAN_OP_OVER, sources[size_t(k)], nullptr, d, 0, 0, 0, 0, PartX(k) + 40 * step,
                                 PartY(k) + 20 * step, kPartSide, kPartSide);
    benchmark::ClobberMemory();
  }
  for (pixman_image_t* s : sources) pixman_image_unref(s);
  for (pixman_image_t* d : destinations) pixman_image_unref(d);
  state.SetItemsProcessed(state.iterations() * kParts * 2);
}
BENCHMARK(BM_PixmanOverSameParts);

std::string RollLayout() {
  std::string layout = "font , 24\r\n";
  for (int i = 0; i < kRollLines; ++i)
    layout += "text 0, 32, \"Credit line " + std::to_string(i) + "  Staff Member Name " + std::to_string(i * 7) + "\"\r\n";
  return layout;
}

// The bytes of the line surfaces a set-up makes, found once.
int64_t gRollBytes = 0;

void BM_StaffRollSetup200Lines(benchmark::State& state) {
  orrivel::platform::ManualClock clock(1000);
  orrivel::platform::ScopedClock scoped(clock);
  orrivel::bench::BenchGameFolder game("orrivel-roll-bench");
  game.Write("staff.txt", RollLayout());
  orrivel::CanvasDrawObject display;
  if (display.Prepare(kScreenW, kScreenH, 32, 1) != 0) return state.SkipWithError("no display");
  int64_t bytes = 0;
  for (auto _ : state) {
    orrivel::StaffRoll roll;
    if (roll.Load("staff.txt", display.GetCanvas(), kScreenW) != orrivel::kLayoutOk)
      return state.SkipWithError("layout not loaded");
    if (bytes == 0)
      for (const auto& line : roll.Lines()) bytes += int64_t(line->surface.GetPitch()) * line->surface.GetHeight();
    benchmark::ClobberMemory();
  }
  gRollBytes = bytes;
  state.SetItemsProcessed(state.iterations() * kRollLines);
}
BENCHMARK(BM_StaffRollSetup200Lines)->Unit(benchmark::kMillisecond);

void BM_RollSurfacesMemoryFloor(benchmark::State& state) {
  if (gRollBytes == 0) return state.SkipWithError("the roll set-up did not run first");
  const size_t lineBytes = size_t(gRollBytes / kRollLines);
  std::vector<std::vector<uint8_t>> lines(kRollLines);
  for (auto _ : state) {
    for (auto& line : lines) {
      line.assign(lineBytes, 0);
      benchmark::DoNotOptimize(line.data());
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kRollLines);
}
BENCHMARK(BM_RollSurfacesMemoryFloor)->Unit(benchmark::kMillisecond);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_PartsComposedIntoTwoDisplays/iterations:390", "BM_PixmanOverSameParts"},
                              {"BM_StaffRollSetup200Lines", "BM_RollSurfacesMemoryFloor"})
