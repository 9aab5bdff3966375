// One bg_anime frame shown from preloaded data (the 800 × 600 art-like
// picture decoded into the frame picture, the canvas marked changed)
// beside the ELG decoder decoding the same file on its own, in one run.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "ArtLikePicture.h"
#include "BenchGameFolder.h"
#include "PeerReport.h"
#include "base/TimerList.h"
#include "effect/BgAnimeAction.h"
#include "effect/LayerHost.h"
#include "layout/LayoutWriter.h"
#include "platform/Clock.h"
#include "raster/Surface.h"
#include "resource/ElgDecoder.h"
#include "resource/LadAnimation.h"
#include "scene/SpriteCanvas.h"

namespace {

using orrivel::Surface;
using orrivel::bench::ArtLikeElg;
using orrivel::bench::kArtHeight;
using orrivel::bench::kArtWidth;

constexpr int64_t kFrameBytes = int64_t{kArtWidth} * kArtHeight * 4;

class BenchLayer : public orrivel::BackgroundLayer {
 public:
  BenchLayer() {
    screen_.Create(kArtWidth, kArtHeight, 32, 0);
    canvas_.SetTarget(&screen_, 0);
  }
  orrivel::SpriteCanvas* GetLayerCanvas() override { return &canvas_; }

 private:
  Surface screen_;
  orrivel::SpriteCanvas canvas_;
};

// A game folder holding the picture twice, so every frame is another
// picture, and the file system and image loader pointed at it.
class AnimeGame {
 public:
  AnimeGame() {
    for (const char* name : {"anim/a.elg", "anim/b.elg"}) folder_.Write(name, ArtLikeElg());
  }
  // Two frames of 1 ms each in one looping sequence.
  bool LoadAnimation() {
    orrivel::tools::LadDocument doc;
    doc.header[0] = uint8_t(kArtWidth);
    doc.header[1] = uint8_t(kArtWidth >> 8);
    doc.header[2] = uint8_t(kArtHeight);
    doc.header[3] = uint8_t(kArtHeight >> 8);
    doc.SetSequenceCount(1);
    doc.frames = {{0, 1, 0, 0, 0}, {1, 1, 0, 0, 0}, {-1, 0, 0, 0, 0}};
    doc.names = {{"a.elg", 0, 0}, {"b.elg", 0, 0}};
    const std::vector<uint8_t> bytes = orrivel::tools::WriteLad(doc);
    return lad_.LoadFromMemory(bytes.data(), bytes.size()) == orrivel::kLadOk;
  }
  orrivel::LadAnimation& Animation() { return lad_; }

 private:
  orrivel::bench::BenchGameFolder folder_{"orrivel-anime-bench"};
  orrivel::LadAnimation lad_;
};

void BM_AnimeFrameFromPreloadedData(benchmark::State& state) {
  orrivel::platform::ManualClock clock(1000);
  orrivel::platform::ScopedClock scoped(clock);
  AnimeGame game;
  if (!game.LoadAnimation()) {
    state.SkipWithError("animation not written");
    return;
  }
  BenchLayer layer;
  orrivel::TimerList list;
  auto* anime = new orrivel::BgAnimeAction();
  const orrivel::ObjectArgument cells[] = {&game.Animation(), "anim", 0, 0, 1, 1};
  if (anime->SetupV(&list, &layer, orrivel::ObjectArguments{cells, 6}) != 0) {
    delete anime;
    state.SkipWithError("set-up failed");
    return;
  }
  uint32_t now = 1000;
  list.Step(now);  // the first update only starts the step clock
  int64_t shown = 0;
  for (auto _ : state) {
    const int32_t before = anime->CurrentStep();
    clock.SetTick(++now);
    list.Step(now);
    shown += anime->CurrentStep() != before ? 1 : 0;
  }
  if (shown != int64_t(state.iterations())) state.SkipWithError("a step showed no new frame");
  state.SetBytesProcessed(state.iterations() * kFrameBytes);
  list.Clear();
}
BENCHMARK(BM_AnimeFrameFromPreloadedData)->Unit(benchmark::kMillisecond);

void BM_ElgDecodeSamePicture(benchmark::State& state) { orrivel::bench::DecodeArtLikeElg(state); }
BENCHMARK(BM_ElgDecodeSamePicture)->Unit(benchmark::kMillisecond);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_AnimeFrameFromPreloadedData", "BM_ElgDecodeSamePicture"})
