// Movie playback costs, each beside its peer:
// - an 800x600 MPEG-1 movie (written at start with the encoder libraries)
//   decoded, converted and handed over by the movie pipeline into the
//   renderer's image pair, against a plain libavcodec decode + sws_scale
//   loop over the same file (the floor the pipeline adds to);
// - the same movie played through the movie library's MovieControl at full
//   speed on a stepped clock, in CPU time of the whole process per
//   picture, beside the plain loop's CPU time per picture and their ratio;
// - the per-picture row-reversing copy into the back image, against one
//   memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "MovieFixtures.h"
#include "moviedll/GraphMovieControl.h"
#include "moviedll/MovieFrameRenderer.h"
#include "moviedll/MovieLibraryHooks.h"
#include "platform/media/MoviePipeline.h"
#include "platform/media/PlainMovieDecode.h"
#include "platform/media/TestMovieWriter.h"
#include "raster/PixelBuffer.h"

namespace {

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;
constexpr int32_t kPictures = 60;

const std::string& MoviePath() {
  static const std::string path = [] {
    const std::string p = (std::filesystem::temp_directory_path() / "orrivel-bench-800x600.mpg").string();
    orrivel::media::TestMovieRecipe recipe;
    recipe.container = orrivel::media::TestMovieContainer::kMpegSystem;
    recipe.width = kWidth;
    recipe.height = kHeight;
    recipe.framesPerSecond = 30;
    recipe.frames = kPictures;
    std::string error;
    if (!orrivel::media::WriteTestMovie(p, recipe, &error)) std::fprintf(stderr, "movie: %s\n", error.c_str());
    return p;
  }();
  return path;
}

void BM_PipelineDecodeConvertStore(benchmark::State& state) {
  using namespace orrivel;
  int64_t pictures = 0;
  for (auto _ : state) {
    PixelBuffer images[2];
    MovieFrameRenderer renderer(images, nullptr);
    media::ManualMediaClock clock;
    media::MoviePipeline pipeline(renderer, nullptr, clock);
    if (pipeline.OpenFile(MoviePath()) != media::PipelineOpenResult::kOk) {
      state.SkipWithError("pipeline cannot open the movie");
      return;
    }
    pipeline.Run();
    // One picture time per step: every picture is shown, none dropped.
    while (pipeline.WaitForIdle(60000) && !pipeline.IsEndOfStream()) {
      clock.AdvanceMs(34);
      pipeline.ClockChanged();
    }
    pictures += int64_t(pipeline.DeliveredCount());
  }
  state.counters["pictures/s"] = benchmark::Counter(double(pictures), benchmark::Counter::kIsRate);
  state.counters["x real time"] = benchmark::Counter(double(pictures) / 30.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PipelineDecodeConvertStore)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainDecodeConvert_Peer(benchmark::State& state) {
  int64_t pictures = 0;
  for (auto _ : state) {
    const int64_t n = orrivel::media::DecodeMoviePlain(MoviePath());
    if (n < 0) {
      state.SkipWithError("cannot decode the movie");
      return;
    }
    pictures += n;
  }
  state.counters["pictures/s"] = benchmark::Counter(double(pictures), benchmark::Counter::kIsRate);
  state.counters["x real time"] = benchmark::Counter(double(pictures) / 30.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlainDecodeConvert_Peer)->Unit(benchmark::kMillisecond)->UseRealTime();

extern "C" int32_t GetDShowGdiSpriteCtrl(orrivel::MovieControl**, orrivel::PixelBuffer*, orrivel::Drawable*,
                                         orrivel::Stream*, int32_t, const char*, int32_t, int32_t, int32_t);

// CPU time of every thread of the process: the pipeline decodes and
// presents on threads of its own.
double ProcessCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Pictures played through the library's control, or -1.
int64_t PlayThroughMovieControl(orrivel::media::ManualMediaClock& clock) {
  using namespace orrivel;
  PixelBuffer images[2];
  testing::FlagDrawable notify;
  MovieControl* out = nullptr;
  if (GetDShowGdiSpriteCtrl(&out, images, &notify, nullptr, 0, MoviePath().c_str(), 0, 0, 1) != 0) return -1;
  auto* control = static_cast<GraphMovieControl*>(out);
  media::MoviePipeline& pipeline = *control->Pipeline();
  control->Play();
  while (pipeline.WaitForIdle(60000) && !control->IsEndOfStream()) {
    clock.AdvanceMs(34);
    pipeline.ClockChanged();
  }
  const int64_t pictures = int64_t(pipeline.DeliveredCount());
  control->Release();
  return pictures;
}

void BM_MovieControlPlay(benchmark::State& state) {
  using namespace orrivel;
  media::ManualMediaClock clock;
  MovieLibraryTestHooks().clock = &clock;
  // The peer, once in the same run: the plain loop's CPU time per picture.
  double started = ProcessCpuMs();
  const int64_t peerPictures = media::DecodeMoviePlain(MoviePath());
  const double peerMs = (ProcessCpuMs() - started) / double(peerPictures);
  int64_t pictures = 0;
  double cpuMs = 0;
  for (auto _ : state) {
    started = ProcessCpuMs();
    const int64_t n = PlayThroughMovieControl(clock);
    cpuMs += ProcessCpuMs() - started;
    if (n <= 0 || peerPictures <= 0) {
      state.SkipWithError("cannot play the movie");
      break;
    }
    pictures += n;
  }
  MovieLibraryTestHooks().clock = nullptr;
  const double ourMs = pictures > 0 ? cpuMs / double(pictures) : 0;
  state.counters["cpu ms/picture"] = ourMs;
  state.counters["peer cpu ms/picture"] = peerMs;
  state.counters["ratio"] = peerMs > 0 ? ourMs / peerMs : 0;
}
BENCHMARK(BM_MovieControlPlay)->Unit(benchmark::kMillisecond)->UseRealTime();

std::vector<uint8_t>& Picture() {
  static std::vector<uint8_t> bytes(size_t(kWidth) * 4 * kHeight, 0x5A);
  return bytes;
}

void BM_RowReversingCopy(benchmark::State& state) {
  std::vector<uint8_t> image(Picture().size());
  for (auto _ : state) {
    orrivel::CopyRowsReversed(image.data(), Picture().data(), kHeight, size_t(kWidth) * 4);
    benchmark::DoNotOptimize(image.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.size()));
}
BENCHMARK(BM_RowReversingCopy)->Unit(benchmark::kMicrosecond);

void BM_Memcpy_Peer(benchmark::State& state) {
  std::vector<uint8_t> image(Picture().size());
  for (auto _ : state) {
    std::memcpy(image.data(), Picture().data(), image.size());
    benchmark::DoNotOptimize(image.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.size()));
}
BENCHMARK(BM_Memcpy_Peer)->Unit(benchmark::kMicrosecond);

}  // namespace
