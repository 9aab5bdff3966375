// Movie playback costs, each beside its peer:
// - an 800x600 MPEG-1 movie (written at start with the encoder libraries)
//   decoded, converted and handed over by the movie pipeline into the
//   renderer's image pair, against a plain libavcodec decode + sws_scale
//   loop over the same file (the floor the pipeline adds to);
// - the per-picture row-reversing copy into the back image, against one
//   memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "moviedll/MovieFrameRenderer.h"
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
    orrivel::media::TestMovieSpec spec;
    spec.container = orrivel::media::TestMovieContainer::kMpegSystem;
    spec.width = kWidth;
    spec.height = kHeight;
    spec.framesPerSecond = 30;
    spec.frames = kPictures;
    std::string error;
    if (!orrivel::media::WriteTestMovie(p, spec, &error)) std::fprintf(stderr, "movie: %s\n", error.c_str());
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
