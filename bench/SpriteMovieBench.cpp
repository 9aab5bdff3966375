// The movie sprite's draws of an 800 x 600 movie picture against pixman on
// the same pixels:
//   at the movie's size (pixel-operation entry 9) vs pixman_image_composite32(OVER);
//   stretched to 1024 x 768 (entry 10) vs pixman's scaled composite (nearest, SRC).
// The picture comes from a movie played by the movie library beside the
// program and paused on its first picture.
#include <pixman.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "PeerReport.h"
#include "base/ScopedLock.h"
#include "moviedll/MovieControl.h"
#include "platform/PathResolver.h"
#include "platform/media/TestMovieWriter.h"
#include "raster/PixelOpLibrary.h"
#include "raster/Surface.h"
#include "resource/ArchiveManager.h"
#include "sound/MovieBinding.h"
#include "sound/SpriteMovie.h"

namespace {

using namespace orrivel;

constexpr int32_t kWidth = 800, kHeight = 600;
constexpr int32_t kStretchedWidth = 1024, kStretchedHeight = 768;

class MovieRig {
 public:
  MovieRig() {
    folder_ = std::filesystem::temp_directory_path() / ("orrivel-movie-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    media::TestMovieRecipe recipe;
    recipe.width = kWidth;
    recipe.height = kHeight;
    recipe.framesPerSecond = 30;
    recipe.frames = 30;
    std::string error;
    if (!media::WriteTestMovie((folder_ / "FRAME.MPG").string(), recipe, &error)) {
      why = "the movie could not be written: " + error;
      return;
    }
    ops_ = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    SetCurrentPixelOpLibrary(ops_.get());
    libraries_.Bind(true, &archives_);
    const std::string name = platform::ToInternalPath((folder_ / "FRAME.MPG").string()).value_or("");
    if (const int32_t code = movie.Open(name.c_str(), 0, 0, nullptr); code != 0) {
      why = "the movie did not open (" + std::to_string(code) + ")";
      return;
    }
    movie.SetVisible(0);
    movie.Play();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!movie.IsVisible() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    movie.Pause();
    ready = movie.IsVisible();
    if (!ready) {
      why = "the movie showed no picture";
      return;
    }
    PixelBuffer& front = movie.Images()[movie.Control()->GetFrontIndex() & 1];
    ScopedLock lock(front.Lock());
    frame.resize(size_t(kWidth) * kHeight);
    for (int32_t y = 0; y < kHeight; ++y)
      std::memcpy(&frame[size_t(y) * kWidth], front.GetBits() + y * front.GetPitch(), size_t(kWidth) * 4);
  }
  ~MovieRig() {
    movie.Reset();
    libraries_.Free();
    SetCurrentPixelOpLibrary(nullptr);
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }

  SpriteMovie movie;
  std::vector<uint32_t> frame;
  bool ready = false;
  std::string why;

 private:
  std::filesystem::path folder_;
  ArchiveManager archives_;
  MovieLibraries libraries_;
  std::unique_ptr<PixelOpLibrary> ops_;
};

MovieRig& Rig() {
  static MovieRig rig;
  return rig;
}

void DrawMovie(benchmark::State& state, int32_t width, int32_t height) {
  MovieRig& rig = Rig();
  if (!rig.ready) {
    state.SkipWithError(rig.why.c_str());
    return;
  }
  rig.movie.SetDisplaySize(width == kWidth ? 0 : width, width == kWidth ? 0 : height);
  Surface target;
  target.Create(width, height, 32, 0);
  for (auto _ : state) benchmark::DoNotOptimize(rig.movie.DrawTo(&target, nullptr));
  state.SetItemsProcessed(int64_t(state.iterations()) * width * height);
  rig.movie.SetDisplaySize(0, 0);
}

void BM_SpriteMovieDraw(benchmark::State& state) { DrawMovie(state, kWidth, kHeight); }
void BM_SpriteMovieStretchedDraw(benchmark::State& state) { DrawMovie(state, kStretchedWidth, kStretchedHeight); }

void PixmanFrame(benchmark::State& state, int32_t width, int32_t height, bool scaled) {
  MovieRig& rig = Rig();
  if (!rig.ready) {
    state.SkipWithError(rig.why.c_str());
    return;
  }
  std::vector<uint32_t> out(size_t(width) * height);
  pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, rig.frame.data(), kWidth * 4);
  pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, out.data(), width * 4);
  if (scaled) {
    pixman_transform_t transform;
    pixman_transform_init_scale(&transform, pixman_double_to_fixed(double(kWidth) / width),
                                pixman_double_to_fixed(double(kHeight) / height));
    pixman_image_set_transform(src, &transform);
    pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
  }
  const pixman_op_t op = scaled ? PIXMAN_OP_SRC : PIXMAN_OP_OVER;
  for (auto _ : state) pixman_image_composite32(op, src, nullptr, dst, 0, 0, 0, 0, 0, 0, width, height);
  state.SetItemsProcessed(int64_t(state.iterations()) * width * height);
  pixman_image_unref(src);
  pixman_image_unref(dst);
}

void BM_PixmanOverFrame(benchmark::State& state) { PixmanFrame(state, kWidth, kHeight, false); }
void BM_PixmanScaledFrame(benchmark::State& state) { PixmanFrame(state, kStretchedWidth, kStretchedHeight, true); }

}  // namespace

BENCHMARK(BM_SpriteMovieDraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PixmanOverFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SpriteMovieStretchedDraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PixmanScaledFrame)->Unit(benchmark::kMicrosecond);

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_SpriteMovieDraw", "BM_PixmanOverFrame"},
                              {"BM_SpriteMovieStretchedDraw", "BM_PixmanScaledFrame"})
