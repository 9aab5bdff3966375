#include "platform/media/MoviePipeline.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <numeric>
#include <thread>

#include "MovieFixtures.h"
#include "lpk/LpkWriter.h"
#include "moviedll/MovieKind.h"
#include "moviedll/MovieStreamAdapter.h"
#include "platform/FileSystem.h"
#include "resource/LpkArchive.h"
#include "resource/LpkSettings.h"

namespace orrivel {
namespace {

using media::PipelineOpenResult;
using media::PipelineState;
using testing::MovieBytes;
using testing::MoviePath;
using testing::NewMemoryStream;

constexpr int64_t kSecond = 10000000;  // 100-ns units

std::vector<int32_t> Sequence(int32_t from, int32_t to) {
  std::vector<int32_t> v;
  for (int32_t n = from; n <= to; ++n) v.push_back(n);
  return v;
}

// A pipeline over a recording renderer and sink on a clock the test steps.
class Playback {
 public:
  explicit Playback(bool withSound = false)
      : renderer(&notify), pipeline(renderer, withSound ? &sound : nullptr, clock) {}
  ~Playback() {
    pipeline.Close();
    if (stream) stream->Release();
  }

  PipelineOpenResult OpenFile(const std::string& name) { return pipeline.OpenFile(MoviePath(name)); }

  // Plays the bytes through a stream adapter, as the library does for
  // archive members; the stream is handed over only when the movie opens.
  PipelineOpenResult OpenBytes(const std::vector<uint8_t>& bytes, int32_t kind) {
    stream = NewMemoryStream(bytes);
    return OpenEngineStream(kind);
  }
  PipelineOpenResult OpenEngineStream(int32_t kind) {
    media::ContainerHint hint;
    if (!MovieKindToHint(kind, &hint)) return PipelineOpenResult::kUnreadable;
    adapter = std::make_unique<MovieStreamAdapter>(stream);
    const PipelineOpenResult r = pipeline.OpenStream(*adapter, hint);
    if (r == PipelineOpenResult::kOk) {
      adapter->TakeOwnership();
      stream = nullptr;
    }
    return r;
  }

  // Runs the movie and steps the clock one picture time at a time, letting
  // the pipeline act on each step, until the end of the stream.
  void PlayToEnd() {
    pipeline.Run();
    ASSERT_TRUE(pipeline.WaitForIdle(20000));
    Step(10);
    for (int step = 0; step < 1000 && !pipeline.IsEndOfStream(); ++step) {
      ASSERT_TRUE(pipeline.WaitForIdle(20000));
      // As a canvas does after repainting: taken back while pictures arrive.
      notify.SetChanged(0);
      if (pipeline.IsEndOfStream()) break;
      Step(100);
    }
    EXPECT_TRUE(pipeline.IsEndOfStream());
  }

  // Advances one picture time and waits for the next picture's number.
  int32_t NextPicture() {
    const size_t n = renderer.Count() + 1;
    Step(100);
    if (!renderer.WaitForCount(n)) return -2;
    return renderer.Numbers()[n - 1];
  }

  void Step(int64_t ms) {
    clock.AdvanceMs(ms);
    pipeline.ClockChanged();
  }

  int32_t LastNumber() const {
    auto numbers = renderer.Numbers();
    return numbers.empty() ? -2 : numbers.back();
  }

  testing::FlagDrawable notify;
  testing::RecordingRenderer renderer;
  testing::RecordingAudioSink sound;
  media::ManualMediaClock clock;
  media::MoviePipeline pipeline;
  Stream* stream = nullptr;
  // Deleted after the pipeline has closed (declared after it).
  std::unique_ptr<MovieStreamAdapter> adapter;
};

struct PlayCase {
  const char* movie;
  int32_t kind;  // -1: opened by file name
  int32_t width;
  int32_t pictures;
};

TEST(MoviePipelineTest, EveryMovieLandsUprightInOrderAlternatingTheFront) {
  const PlayCase cases[] = {
      {"PLAIN.MPG", -1, 64, 15},
      {"PLAIN.MPG", kMovieKindMpegSystem, 64, 15},
      {"PLAIN.MPG", kMovieKindVideoCd, 64, 15},
      {"PLAIN.MPV", kMovieKindMpegVideo, 64, 15},
      {"PLAIN.MPV", -1, 64, 15},
      {"PLAIN.AVI", kMovieKindAvi, 64, 15},
      {"PLAIN.AVI", kMovieKindMpegSystem, 64, 15},  // wrong hint: probing takes over
      {"PLAIN.MP4", kMovieKindQuickTime, 64, 15},
      {"PLAIN.MP4", -1, 64, 15},
      {"ODD.MPG", kMovieKindMpegSystem, 161, 12},
      {"SOUND.MPG", kMovieKindMpegSystem, 64, 15},
      {"SHORT.MPG", -1, 64, 3},
      {"SHORT.MPG", kMovieKindMpegSystem, 64, 3},
  };
  for (const PlayCase& c : cases) {
    SCOPED_TRACE(std::string(c.movie) + " kind " + std::to_string(c.kind));
    Playback play;
    const PipelineOpenResult r = c.kind < 0 ? play.OpenFile(c.movie) : play.OpenBytes(MovieBytes(c.movie), c.kind);
    ASSERT_EQ(r, PipelineOpenResult::kOk);
    EXPECT_EQ(play.pipeline.GetWidth(), c.width);
    EXPECT_EQ(play.pipeline.GetHeight(), 48);
    EXPECT_EQ(play.renderer.Renderer().GetStride(), c.width * 4);
    play.PlayToEnd();
    EXPECT_EQ(play.renderer.Numbers(), Sequence(0, c.pictures - 1));
    const auto fronts = play.renderer.Fronts();
    for (size_t i = 0; i < fronts.size(); ++i) EXPECT_EQ(fronts[i], i % 2 == 0 ? 1 : 0) << i;
    EXPECT_EQ(play.pipeline.DroppedCount(), 0u);
    EXPECT_TRUE(play.notify.IsVisible());
    // Only the indexed containers know their length exactly.
    if (c.kind == kMovieKindAvi || c.kind == kMovieKindQuickTime) {
      EXPECT_NEAR(double(play.pipeline.GetDuration()), double(c.pictures) * kSecond / 10, kSecond / 10);
    }
  }
}

TEST(MoviePipelineTest, RefusesWhatCannotReachTheRenderer) {
  {
    Playback play;
    EXPECT_EQ(play.OpenFile("SOUNDONLY.MPG"), PipelineOpenResult::kNoVideo);
    EXPECT_FALSE(play.pipeline.IsOpen());
  }
  {
    Playback play;
    EXPECT_EQ(play.OpenBytes(MovieBytes("SOUNDONLY.MPG"), kMovieKindMpegSystem), PipelineOpenResult::kNoVideo);
    ASSERT_NE(play.stream, nullptr) << "a failed open leaves the stream with the caller";
    EXPECT_EQ(play.stream->ExtraHolders(), 0u);
  }
  const std::vector<uint8_t> junk(5000, 0x5A);
  const std::vector<uint8_t> bad[] = {{}, junk, {'R', 'I', 'F', 'F', 1, 0, 0, 0, 'A', 'V', 'I', ' '}};
  for (const auto& bytes : bad) {
    for (int32_t kind = 0; kind <= 5; ++kind) {
      Playback play;
      EXPECT_NE(play.OpenBytes(bytes, kind), PipelineOpenResult::kOk) << bytes.size() << " bytes, kind " << kind;
    }
  }
  {
    Playback play;
    EXPECT_EQ(play.pipeline.OpenFile("/nonexistent/movie.mpg"), PipelineOpenResult::kUnreadable);
  }
  // A sink that refuses the picture type.
  class Refusing final : public media::VideoRendererSink {
   public:
    media::MediaResult CheckMediaType(const media::MediaType&) override { return media::kMediaFail; }
    media::MediaResult SetMediaType(const media::MediaType&) override { return media::kMediaOk; }
    media::MediaResult DoRenderSample(media::MediaSample&) override { return media::kMediaOk; }
  } refusing;
  media::MoviePipeline pipeline(refusing, nullptr);
  EXPECT_EQ(pipeline.OpenFile(MoviePath("PLAIN.MPG")), PipelineOpenResult::kTypeRefused);
}

TEST(MoviePipelineTest, TruncatedMoviesPlayWhatTheyHoldOrAreRefused) {
  const std::pair<const char*, int32_t> movies[] = {{"PLAIN.MPG", kMovieKindMpegSystem},
                                                    {"PLAIN.AVI", kMovieKindAvi},
                                                    {"PLAIN.MP4", kMovieKindQuickTime},
                                                    {"PLAIN.MPV", kMovieKindMpegVideo}};
  for (const auto& [name, kind] : movies) {
    std::vector<uint8_t> bytes = MovieBytes(name);
    for (size_t keep : {size_t(64), bytes.size() / 3, bytes.size() - 7}) {
      for (int32_t hint : {kind, int32_t(kMovieKindMpegSystem)}) {
        SCOPED_TRACE(std::string(name) + " cut to " + std::to_string(keep) + " kind " + std::to_string(hint));
        Playback play;
        std::vector<uint8_t> part(bytes.begin(), bytes.begin() + std::ptrdiff_t(keep));
        if (play.OpenBytes(part, hint) != PipelineOpenResult::kOk) continue;
        // Whatever opens plays to an end; the pictures it shows come in order
        // (the cut picture at the end may read as anything, and so may the
        // two B-frames shown before it, which are made from it).
        play.PlayToEnd();
        std::vector<int32_t> numbers = play.renderer.Numbers();
        numbers.resize(numbers.size() - std::min<size_t>(numbers.size(), 3));
        if (hint != kind) continue;
        for (size_t i = 1; i < numbers.size(); ++i) EXPECT_LT(numbers[i - 1], numbers[i]);
      }
    }
  }
}

TEST(MoviePipelineTest, PauseShowsThePrerollPictureAndHoldsTheClock) {
  Playback play;
  ASSERT_EQ(play.OpenFile("PLAIN.MPG"), PipelineOpenResult::kOk);
  PipelineState state;
  EXPECT_TRUE(play.pipeline.GetState(0, &state));
  EXPECT_EQ(state, PipelineState::kStopped);

  // While the first picture is being handed over the state is still changing.
  play.renderer.Hold(true);
  play.pipeline.Pause();
  EXPECT_FALSE(play.pipeline.GetState(50, &state));
  EXPECT_EQ(state, PipelineState::kPaused);
  play.renderer.Hold(false);
  EXPECT_TRUE(play.pipeline.GetState(20000, &state));
  EXPECT_EQ(state, PipelineState::kPaused);
  EXPECT_EQ(play.renderer.Numbers(), Sequence(0, 0));
  EXPECT_EQ(play.renderer.Fronts(), std::vector<uint8_t>{1});

  // Paused time does not count: after a long pause the next picture is 1.
  play.Step(5000);
  play.pipeline.Run();
  EXPECT_TRUE(play.pipeline.GetState(20000, &state));
  EXPECT_EQ(state, PipelineState::kRunning);
  play.Step(10);
  EXPECT_EQ(play.NextPicture(), 1);
  EXPECT_EQ(play.pipeline.DroppedCount(), 0u);

  // Pausing a running movie holds its position.
  play.pipeline.Pause();
  const int64_t held = play.pipeline.GetCurrentPosition();
  play.Step(3000);
  EXPECT_EQ(play.pipeline.GetCurrentPosition(), held);
  play.pipeline.Run();
  EXPECT_EQ(play.NextPicture(), 2);
}

TEST(MoviePipelineTest, EndOfStreamMarkIsSetAtTheEndAndClearedByStopAndSeek) {
  Playback play;
  ASSERT_EQ(play.OpenFile("PLAIN.MP4"), PipelineOpenResult::kOk);
  EXPECT_FALSE(play.pipeline.IsEndOfStream());
  play.PlayToEnd();
  EXPECT_TRUE(play.pipeline.IsEndOfStream());
  EXPECT_EQ(play.LastNumber(), 14);

  play.pipeline.Stop();
  EXPECT_FALSE(play.pipeline.IsEndOfStream());

  play.pipeline.Run();
  ASSERT_TRUE(play.pipeline.WaitForIdle(20000));
  EXPECT_TRUE(play.pipeline.IsEndOfStream()) << "still at the end";
  const size_t before = play.renderer.Count();
  play.pipeline.SetPosition(0);
  EXPECT_FALSE(play.pipeline.IsEndOfStream());
  // Running on from the start plays the whole movie again.
  ASSERT_TRUE(play.renderer.WaitForCount(before + 1));
  EXPECT_EQ(play.LastNumber(), 0);
  play.Step(10);
  for (int step = 0; step < 100 && !play.pipeline.IsEndOfStream(); ++step) {
    play.Step(100);
    ASSERT_TRUE(play.pipeline.WaitForIdle(20000));
  }
  EXPECT_EQ(play.renderer.Count(), before + 15);
  EXPECT_EQ(play.LastNumber(), 14);
}

TEST(MoviePipelineTest, SeeksWhileRunningPausedAndStopped) {
  for (const char* name : {"PLAIN.MPG", "PLAIN.MPV", "PLAIN.AVI", "PLAIN.MP4"}) {
    SCOPED_TRACE(name);
    Playback play;
    ASSERT_EQ(play.OpenFile(name), PipelineOpenResult::kOk);
    play.pipeline.Run();
    ASSERT_TRUE(play.renderer.WaitForCount(1));
    play.Step(10);
    EXPECT_EQ(play.NextPicture(), 1);
    EXPECT_EQ(play.NextPicture(), 2);

    // Running: the picture at the new position comes at once, then it runs on.
    play.pipeline.SetPosition(kSecond);
    ASSERT_TRUE(play.renderer.WaitForCount(4));
    EXPECT_EQ(play.LastNumber(), 10);
    PipelineState state;
    EXPECT_TRUE(play.pipeline.GetState(20000, &state));
    EXPECT_EQ(state, PipelineState::kRunning);
    play.Step(10);
    EXPECT_EQ(play.NextPicture(), 11);

    // Paused: the new position's picture is shown and held.
    play.pipeline.Pause();
    play.pipeline.SetPosition(kSecond / 2);
    ASSERT_TRUE(play.renderer.WaitForCount(6));
    EXPECT_EQ(play.LastNumber(), 5);
    EXPECT_TRUE(play.pipeline.GetState(20000, &state));
    EXPECT_EQ(state, PipelineState::kPaused);
    // Positions are clamped to the length, which MPEG files only estimate.
    if (play.pipeline.GetDuration() >= kSecond) {
      EXPECT_EQ(play.pipeline.GetCurrentPosition(), kSecond / 2);
    }

    // Stopped: nothing is shown until the movie is paused or run again.
    play.pipeline.Stop();
    play.pipeline.SetPosition(kSecond / 5);
    EXPECT_EQ(play.renderer.Count(), 6u);
    play.pipeline.Pause();
    ASSERT_TRUE(play.renderer.WaitForCount(7));
    EXPECT_EQ(play.LastNumber(), 2);
    play.pipeline.Run();
    play.Step(10);
    EXPECT_EQ(play.NextPicture(), 3);
  }
}

// Movies encoded as people encode them (a key frame every 12 pictures, two
// B-frames, 25 pictures a second): a seek shows exactly the picture due at
// the target, stopped or running, by name and from memory, and the movie
// runs on from it.
struct SeekCase {
  int64_t targetMs;
  int32_t picture;     // the picture on screen at the target
  int64_t positionMs;  // what the position answers afterwards
};
const SeekCase kSeekCases[] = {
    {0, 0, 0},         {400, 10, 400},   {700, 17, 700},   {1030, 25, 1030}, {1440, 36, 1440},
    {1000, 25, 1000},  {2200, 55, 2200}, {2960, 74, 2960}, {2999, 74, 2999}, {5000, 74, 3000},
};
constexpr int64_t kMs = 10000;

struct LongMovie {
  const char* name;
  int32_t kind;
  bool sound;
};
const LongMovie kLongMovies[] = {
    {"LONG.MPG", kMovieKindMpegSystem, false},     {"LONG.MP4", kMovieKindQuickTime, false},
    {"LONG.AVI", kMovieKindAvi, false},            {"LONG.MPV", kMovieKindMpegVideo, false},
    {"LONGSOUND.MPG", kMovieKindMpegSystem, true}, {"LONGSOUND.MP4", kMovieKindQuickTime, true},
    {"LONGSOUND.AVI", kMovieKindAvi, true},
};

TEST(MoviePipelineTest, SeeksShowThePictureDueAtTheTargetAndRunOnFromIt) {
  for (const LongMovie& movie : kLongMovies) {
    for (const bool fromMemory : {false, true}) {
      SCOPED_TRACE(std::string(movie.name) + (fromMemory ? " from memory" : " by name"));
      Playback play(movie.sound);
      ASSERT_EQ(fromMemory ? play.OpenBytes(MovieBytes(movie.name), movie.kind) : play.OpenFile(movie.name),
                PipelineOpenResult::kOk);
      EXPECT_EQ(play.pipeline.GetDuration(), 3 * kSecond) << "75 pictures of 40 ms";
      // Stopped: the seek, then a pause shows the picture at the target.
      for (const SeekCase& c : kSeekCases) {
        SCOPED_TRACE("stopped, seek to " + std::to_string(c.targetMs) + " ms");
        const size_t before = play.renderer.Count();
        play.pipeline.SetPosition(c.targetMs * kMs);
        play.pipeline.Pause();
        ASSERT_TRUE(play.renderer.WaitForCount(before + 1));
        EXPECT_EQ(play.LastNumber(), c.picture);
        EXPECT_EQ(play.pipeline.GetCurrentPosition(), c.positionMs * kMs);
        play.pipeline.Stop();
      }
      // Running: the picture at the target at once, then the next one when
      // its time comes.
      play.pipeline.Run();
      for (const SeekCase& c : kSeekCases) {
        if (c.picture == 74) continue;
        SCOPED_TRACE("running, seek to " + std::to_string(c.targetMs) + " ms");
        const size_t before = play.renderer.Count();
        play.pipeline.SetPosition(c.targetMs * kMs);
        ASSERT_TRUE(play.renderer.WaitForCount(before + 1));
        EXPECT_EQ(play.LastNumber(), c.picture);
        EXPECT_EQ(play.pipeline.GetCurrentPosition(), c.positionMs * kMs);
        // The next picture starts at (picture + 1) * 40 ms.
        play.Step((c.picture + 1) * 40 - c.targetMs);
        ASSERT_TRUE(play.renderer.WaitForCount(before + 2));
        EXPECT_EQ(play.LastNumber(), c.picture + 1);
      }
      EXPECT_EQ(play.pipeline.DroppedCount(), 0u);
    }
  }
}

// MPEG program streams (and a VideoCD's track) in which most pictures start
// in a packet without a timestamp: after a seek the pictures are placed by
// counting from a time the stream stored, not by the demuxer's guesses. 250
// targets, one inside each picture's 40 ms at a different offset, visited
// out of order: each shows exactly that picture, stopped or running, and
// running the next picture follows when its time comes.
TEST(MoviePipelineTest, SeeksInMoviesWithFewTimestampsShowThePictureDueAtTheTarget) {
  constexpr int32_t kPictures = 250;
  for (const char* name : {"SPARSE.DAT", "SPARSE128.MPG", "SPARSE256.MPG", "SPARSEIP.MPG", "SPARSE2048.MPG"}) {
    SCOPED_TRACE(name);
    const std::string movie = name;
    Playback play(movie != "SPARSE128.MPG");
    // The VideoCD track as the library opens it, from memory by its kind.
    ASSERT_EQ(movie == "SPARSE.DAT" ? play.OpenBytes(MovieBytes(movie), kMovieKindVideoCd) : play.OpenFile(movie),
              PipelineOpenResult::kOk);
    EXPECT_EQ(play.pipeline.GetDuration(), 10 * kSecond);
    std::vector<std::string> misses;
    for (int32_t i = 0; i < kPictures; ++i) {
      const int32_t picture = i * 97 % kPictures;
      const int64_t targetMs = picture * 40 + i * 7 % 40;
      const size_t before = play.renderer.Count();
      play.pipeline.SetPosition(targetMs * kMs);
      play.pipeline.Pause();
      ASSERT_TRUE(play.renderer.WaitForCount(before + 1)) << targetMs;
      if (play.LastNumber() != picture) {
        misses.push_back(std::to_string(targetMs) + " ms: " + std::to_string(play.LastNumber()));
      }
      play.pipeline.Stop();
    }
    EXPECT_EQ(misses, std::vector<std::string>{}) << "stopped";
    misses.clear();
    play.pipeline.Run();
    // Running on from the last target shows its picture first.
    ASSERT_TRUE(play.pipeline.WaitForIdle(20000));
    for (int32_t i = 0; i < kPictures; i += 5) {
      const int32_t picture = i * 97 % kPictures;
      if (picture == kPictures - 1) continue;
      const int64_t targetMs = picture * 40 + i * 7 % 40;
      const size_t before = play.renderer.Count();
      play.pipeline.SetPosition(targetMs * kMs);
      ASSERT_TRUE(play.renderer.WaitForCount(before + 1)) << targetMs;
      const int32_t shown = play.LastNumber();
      play.Step((picture + 1) * 40 - targetMs);
      ASSERT_TRUE(play.renderer.WaitForCount(before + 2)) << targetMs;
      if (shown != picture || play.LastNumber() != picture + 1) {
        misses.push_back(std::to_string(targetMs) + " ms: " + std::to_string(shown) + ", then " +
                         std::to_string(play.LastNumber()));
      }
    }
    EXPECT_EQ(misses, std::vector<std::string>{}) << "running";
    EXPECT_EQ(play.pipeline.DroppedCount(), 0u);
  }
}

// The length is the last picture's time plus its duration, also where the
// container only estimates it; the position runs up to it and stops there.
TEST(MoviePipelineTest, LengthIsTheEndOfTheLastPictureAndThePositionReachesIt) {
  const std::pair<const char*, int64_t> movies[] = {
      {"LONG.MPG", 3 * kSecond},   {"LONG.MP4", 3 * kSecond},      {"LONG.AVI", 3 * kSecond},
      {"LONG.MPV", 3 * kSecond},   {"SHORT.MPG", 3 * kSecond / 10}, {"PLAIN.MPG", 15 * kSecond / 10},
      {"SOUND.MPG", 15 * kSecond / 10},
  };
  for (const auto& [name, length] : movies) {
    SCOPED_TRACE(name);
    Playback play;
    ASSERT_EQ(play.OpenFile(name), PipelineOpenResult::kOk);
    EXPECT_EQ(play.pipeline.GetDuration(), length);
    // Every picture arrives in order, none dropped, and while the last is
    // on screen the position is inside it, not clamped short of it.
    play.pipeline.Run();
    ASSERT_TRUE(play.renderer.WaitForCount(1));
    const int32_t pictures = int32_t(length / (name[0] == 'L' ? kSecond / 25 : kSecond / 10));
    const int64_t stepMs = name[0] == 'L' ? 40 : 100;
    for (int32_t n = 1; n < pictures; ++n) {
      play.Step(stepMs);
      ASSERT_TRUE(play.renderer.WaitForCount(size_t(n) + 1)) << n;
    }
    EXPECT_EQ(play.renderer.Numbers(), Sequence(0, pictures - 1));
    EXPECT_EQ(play.pipeline.DroppedCount(), 0u);
    play.Step(stepMs / 2);
    EXPECT_EQ(play.pipeline.GetCurrentPosition(), length - stepMs / 2 * kMs);
    play.Step(stepMs);
    EXPECT_EQ(play.pipeline.GetCurrentPosition(), length);
  }
}

TEST(MoviePipelineTest, LatePicturesAreDroppedAndOrderKept) {
  Playback play;
  ASSERT_EQ(play.OpenFile("PLAIN.MPG"), PipelineOpenResult::kOk);
  play.pipeline.Run();
  ASSERT_TRUE(play.renderer.WaitForCount(1));
  // 810 ms late: pictures more than 400 ms behind (1 to 4) are dropped.
  play.Step(810);
  ASSERT_TRUE(play.renderer.WaitForCount(5));
  EXPECT_EQ(play.renderer.Numbers(), (std::vector<int32_t>{0, 5, 6, 7, 8}));
  EXPECT_EQ(play.pipeline.DroppedCount(), 4u);
  EXPECT_EQ(play.NextPicture(), 9);
}

// A clock stepped by another thread at the worst moment: between two
// readings the presentation thread makes in one pass. Armed, it moves on
// by the step at the second reading made by any thread but the one that
// armed it.
class ClockSteppedMidPass final : public media::MediaClock {
 public:
  int64_t NowMicroseconds() override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (armed_ && std::this_thread::get_id() != armer_ && ++reads_ == 2) {
      now_ += step_;
      armed_ = false;
      stepped_.notify_all();
    }
    return now_;
  }
  void ArmStepMs(int64_t ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    armer_ = std::this_thread::get_id();
    step_ = ms * 1000;
    reads_ = 0;
    armed_ = true;
  }
  bool WaitUntilStepped() {
    std::unique_lock<std::mutex> lock(mutex_);
    return stepped_.wait_for(lock, std::chrono::seconds(20), [&] { return !armed_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable stepped_;
  std::thread::id armer_;
  int64_t now_ = 1000000;
  int64_t step_ = 0;
  int reads_ = 0;
  bool armed_ = false;
};

// However the step falls against the presentation thread's pass, the
// pipeline is only idle once it has acted on the clock as it reads now: a
// picture that came due is on screen by then.
TEST(MoviePipelineTest, IdleMeansTheClockAsItReadsNowWasActedOn) {
  testing::FlagDrawable notify;
  testing::RecordingRenderer renderer(&notify);
  ClockSteppedMidPass clock;
  media::MoviePipeline pipeline(renderer, nullptr, clock);
  ASSERT_EQ(pipeline.OpenFile(MoviePath("PLAIN.MPG")), PipelineOpenResult::kOk);
  pipeline.Run();
  ASSERT_TRUE(renderer.WaitForCount(1));
  ASSERT_TRUE(pipeline.WaitForIdle(20000));
  ASSERT_EQ(renderer.Count(), 1u);
  // Picture 1 is due 100 ms on; the clock jumps there mid-pass, and nobody
  // says so.
  clock.ArmStepMs(150);
  ASSERT_TRUE(clock.WaitUntilStepped());
  ASSERT_TRUE(pipeline.WaitForIdle(20000));
  EXPECT_EQ(renderer.Numbers(), Sequence(0, 1));
  pipeline.Close();
}

TEST(MoviePipelineTest, RateScalesTheClock) {
  Playback play;
  ASSERT_EQ(play.OpenFile("PLAIN.AVI"), PipelineOpenResult::kOk);
  EXPECT_FALSE(play.pipeline.SetRate(0.0));
  EXPECT_FALSE(play.pipeline.SetRate(-1.0));
  EXPECT_EQ(play.pipeline.GetRate(), 1.0);
  play.pipeline.Run();
  ASSERT_TRUE(play.renderer.WaitForCount(1));
  ASSERT_TRUE(play.pipeline.SetRate(2.0));
  play.Step(55);
  ASSERT_TRUE(play.renderer.WaitForCount(2));
  EXPECT_EQ(play.LastNumber(), 1);
  play.Step(50);
  ASSERT_TRUE(play.renderer.WaitForCount(3));
  EXPECT_EQ(play.LastNumber(), 2);
}

TEST(MoviePipelineTest, SoundReachesTheSinkAtItsVolume) {
  Playback play(true);
  ASSERT_EQ(play.OpenFile("SOUND.MPG"), PipelineOpenResult::kOk);
  ASSERT_TRUE(play.pipeline.HasAudio());
  EXPECT_EQ(play.sound.Format().sampleRate, 44100u);
  EXPECT_EQ(play.sound.Format().channels, 2);
  int32_t volume = 1;
  ASSERT_TRUE(play.pipeline.GetVolume(&volume));
  EXPECT_EQ(volume, 0);
  const std::pair<int32_t, int32_t> volumes[] = {{100, 0}, {-20000, -10000}, {-2500, -2500}};
  for (const auto& [asked, kept] : volumes) {
    ASSERT_TRUE(play.pipeline.SetVolume(asked));
    EXPECT_EQ(play.sound.Volume(), kept);
    ASSERT_TRUE(play.pipeline.GetVolume(&volume));
    EXPECT_EQ(volume, kept);
  }
  play.PlayToEnd();
  EXPECT_EQ(play.renderer.Numbers(), Sequence(0, 14));
  const auto chunks = play.sound.Chunks();
  ASSERT_FALSE(chunks.empty());
  uint64_t frames = 0;
  for (const auto& chunk : chunks) {
    frames += chunk.frames;
    EXPECT_EQ(chunk.volume, -2500);
  }
  // 1.5 s of sound, give or take the encoder's frame of 1152 samples.
  EXPECT_NEAR(double(frames), 1.5 * 44100, 2 * 1152);
  EXPECT_GT(play.sound.Peak(), 8000);

  // At twice the rate the same sound takes half the samples.
  Playback fast(true);
  ASSERT_EQ(fast.OpenFile("SOUND.MPG"), PipelineOpenResult::kOk);
  ASSERT_TRUE(fast.pipeline.SetRate(2.0));
  fast.PlayToEnd();
  uint64_t fastFrames = 0;
  for (const auto& chunk : fast.sound.Chunks()) fastFrames += chunk.frames;
  EXPECT_NEAR(double(fastFrames), 0.75 * 44100, 2 * 1152);

  const uint32_t flushes = play.sound.Flushes();
  play.pipeline.SetPosition(0);
  EXPECT_EQ(play.sound.Flushes(), flushes + 1);

  // Without a sound track, or without a sink, the movie is silent.
  Playback silent(true);
  ASSERT_EQ(silent.OpenFile("PLAIN.MPG"), PipelineOpenResult::kOk);
  EXPECT_FALSE(silent.pipeline.HasAudio());
  EXPECT_FALSE(silent.pipeline.SetVolume(-100));
  Playback noSink(false);
  ASSERT_EQ(noSink.OpenFile("SOUND.MPG"), PipelineOpenResult::kOk);
  EXPECT_FALSE(noSink.pipeline.HasAudio());
  EXPECT_FALSE(noSink.pipeline.GetVolume(&volume));
}

TEST(MoviePipelineTest, PicturesFollowTheSoundClockWhileThereIsSound) {
  Playback play(true);
  ASSERT_EQ(play.OpenFile("SOUND.MPG"), PipelineOpenResult::kOk);
  play.sound.SetPlayedMicroseconds(0);
  play.pipeline.Run();
  ASSERT_TRUE(play.renderer.WaitForCount(1));
  // The machine clock moving on does not move the pictures.
  play.Step(1000);
  ASSERT_TRUE(play.pipeline.WaitForIdle(20000));
  EXPECT_EQ(play.renderer.Count(), 1u);
  // The sound having played 0.35 s does.
  play.sound.SetPlayedMicroseconds(350000);
  play.pipeline.ClockChanged();
  ASSERT_TRUE(play.pipeline.WaitForIdle(20000));
  EXPECT_EQ(play.renderer.Numbers(), Sequence(0, 3));
  EXPECT_EQ(play.pipeline.DroppedCount(), 0u);
}

// A waiting picture must not wait on a sound clock that cannot move: the
// file is read on for sound (whose packets may lie behind the pictures'),
// keeping some queued ahead of what has played.
TEST(MoviePipelineTest, SoundIsReadAheadWhileAPictureWaitsForIt) {
  Playback play(true);
  ASSERT_EQ(play.OpenFile("SOUND.MPG"), PipelineOpenResult::kOk);
  play.sound.SetPlayedMicroseconds(0);
  play.pipeline.Run();
  ASSERT_TRUE(play.renderer.WaitForCount(1));
  ASSERT_TRUE(play.pipeline.WaitForIdle(20000));
  const auto writtenFrames = [&play] {
    uint64_t frames = 0;
    for (const auto& chunk : play.sound.Chunks()) frames += chunk.frames;
    return frames;
  };
  EXPECT_GE(writtenFrames(), 44100u / 5) << "a fifth of a second queued";
  EXPECT_LT(writtenFrames(), 44100u / 2) << "but not the whole movie";
  // As the sound plays, more is read, and the pictures follow it.
  play.sound.SetPlayedMicroseconds(1000000);
  play.pipeline.ClockChanged();
  ASSERT_TRUE(play.pipeline.WaitForIdle(20000));
  EXPECT_GE(writtenFrames(), 44100u * 6 / 5);
  EXPECT_GE(play.LastNumber(), 9) << "the picture of the sound's time is shown";
}

TEST(MoviePipelineTest, ArchiveMemberPlaysThroughTheStreamAdapter) {
  ResetLpkSettings();
  const std::string folder = std::filesystem::path(MoviePath("PLAIN.MPG")).parent_path().string();
  const std::string archivePath = folder + "/MOVIES.LPK";
  tools::LpkWriterOptions options;
  std::string error;
  ASSERT_TRUE(tools::WriteLpkFile(archivePath, options,
                                  {{"OTHER.TXT", {'h', 'i'}, false, false},
                                   {"MOVIE\\X.MPG", MovieBytes("PLAIN.MPG"), false, true}},
                                  &error))
      << error;
  platform::File closed;
  int code = 0;
  std::unique_ptr<LpkArchive> archive(LpkArchive::Open(archivePath, closed, &code));
  ASSERT_NE(archive, nullptr) << code;

  Playback play;
  play.stream = archive->OpenMemberStream("MOVIE\\X.MPG", &code);
  ASSERT_NE(play.stream, nullptr) << code;
  Stream* member = play.stream;
  member->AddHolder();  // someone else holds the member stream too
  ASSERT_EQ(play.OpenEngineStream(kMovieKindMpegSystem), PipelineOpenResult::kOk);
  play.PlayToEnd();
  EXPECT_EQ(play.renderer.Numbers(), Sequence(0, 14));

  // Closing the movie gives up the library's hold and leaves the stream alive.
  play.pipeline.Close();
  play.adapter.reset();
  EXPECT_EQ(member->ExtraHolders(), 0u);
  uint8_t byte = 0;
  member->SeekSet(0);
  EXPECT_EQ(member->Read(&byte, 1), 1u);
  member->Release();
}

TEST(MoviePipelineTest, WindowsMediaKindsAreRefusedForStreams) {
  media::ContainerHint hint;
  for (int32_t kind : {6, 7, 100, -1, INT32_MIN}) EXPECT_FALSE(MovieKindToHint(kind, &hint)) << kind;
  for (int32_t kind = 0; kind <= 5; ++kind) EXPECT_TRUE(MovieKindToHint(kind, &hint)) << kind;
  ASSERT_TRUE(MovieKindToHint(kMovieKindOther, &hint));
  EXPECT_EQ(hint, media::ContainerHint::kQuickTime);
}

}  // namespace
}  // namespace orrivel
