#include "moviedll/GraphMovieControl.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "MovieFixtures.h"
#include "base/ComThread.h"
#include "moviedll/MovieKind.h"
#include "moviedll/MovieLibraryHooks.h"
#include "moviedll/MovieOpenCode.h"

extern "C" int32_t GetDllVersion();
extern "C" int32_t GetDShowGdiSpriteCtrl(orrivel::MovieControl** out, orrivel::PixelBuffer* images,
                                         orrivel::Drawable* notify, orrivel::Stream* stream, int32_t kind,
                                         const char* fileName, int32_t reservedA, int32_t reservedB,
                                         int32_t reservedC);

namespace orrivel {
namespace {

using testing::MovieBytes;
using testing::MoviePath;
using testing::NewMemoryStream;

constexpr int64_t kSecond = 10000000;  // 100-ns units

// A movie made through the library's factory on a clock the test steps,
// with its sound (when asked for) going to a recording sink.
class Movie {
 public:
  explicit Movie(bool withSoundOutput = false) {
    MovieLibraryHooks& hooks = MovieLibraryTestHooks();
    hooks = MovieLibraryHooks();
    hooks.clock = &clock;
    if (withSoundOutput) {
      hooks.makeAudioSink = [] { return std::make_unique<testing::RecordingAudioSink>(); };
    }
  }
  ~Movie() {
    if (control) control->Release();
    MovieLibraryTestHooks() = MovieLibraryHooks();
  }

  int32_t OpenFile(const std::string& name) { return Make(nullptr, 0, MoviePath(name).c_str()); }
  int32_t Make(Stream* stream, int32_t kind, const char* fileName, int32_t reservedA = 0, int32_t reservedB = 0) {
    MovieControl* out = nullptr;
    const int32_t code = GetDShowGdiSpriteCtrl(&out, images, &notify, stream, kind, fileName, reservedA, reservedB, 1);
    control = static_cast<GraphMovieControl*>(out);
    return code;
  }

  // Lets the presentation thread act on everything so far.
  void Settle() { ASSERT_TRUE(control->Pipeline()->WaitForIdle(20000)); }
  void Step(int64_t ms) {
    clock.AdvanceMs(ms);
    control->Pipeline()->ClockChanged();
    Settle();
  }
  void PlayToEnd() {
    ASSERT_EQ(control->Play(), 0);
    Settle();
    for (int i = 0; i < 200 && !control->IsEndOfStream(); ++i) Step(100);
    ASSERT_TRUE(control->IsEndOfStream());
  }
  int32_t State() {
    int32_t state = -1;
    EXPECT_EQ(control->GetState(&state), 0);
    return state;
  }

  media::ManualMediaClock clock;
  testing::FlagDrawable notify;
  PixelBuffer images[2];
  GraphMovieControl* control = nullptr;
};

TEST(MovieLibraryTest, FactoryAnswersEveryRefusalWithItsCode) {
  EXPECT_EQ(GetDllVersion(), 0x10000);
  PixelBuffer images[2];
  testing::FlagDrawable notify;
  const std::string plain = MoviePath("PLAIN.MPG");
  MovieControl* const untouched = reinterpret_cast<MovieControl*>(uintptr_t(0x1234));
  MovieControl* out = untouched;
  EXPECT_EQ(GetDShowGdiSpriteCtrl(nullptr, images, &notify, nullptr, 0, plain.c_str(), 0, 0, 1), 24);
  EXPECT_EQ(GetDShowGdiSpriteCtrl(&out, nullptr, &notify, nullptr, 0, plain.c_str(), 0, 0, 1), 24);
  EXPECT_EQ(GetDShowGdiSpriteCtrl(&out, images, nullptr, nullptr, 0, plain.c_str(), 0, 0, 1), 24);
  EXPECT_EQ(GetDShowGdiSpriteCtrl(&out, images, &notify, nullptr, 0, nullptr, 0, 0, 1), 1);
  EXPECT_EQ(GetDShowGdiSpriteCtrl(&out, images, &notify, nullptr, 0, plain.c_str(), 1, 0, 1), 24);
  EXPECT_EQ(out, untouched);
  EXPECT_EQ(images[0].GetBits(), nullptr) << "nothing was made";

  struct Case {
    const char* what;
    const char* movie;
    bool byName;
    int32_t kind;
    int32_t failStep;
    int32_t code;
  };
  const Case cases[] = {
      {"kind 6 stream", "PLAIN.MPG", false, kMovieKindWindowsMedia, 0, 1},
      {"negative kind stream", "PLAIN.MPG", false, -1, 0, 1},
      {"kind 6 by file name plays", "PLAIN.MPG", true, kMovieKindWindowsMedia, 0, 0},
      {"sound only by name", "SOUNDONLY.MPG", true, 0, 0, 7},
      {"sound only by stream", "SOUNDONLY.MPG", false, 0, 0, 7},
      {"reservedA with reservedB", "PLAIN.MPG", false, 0, 0, 0},
      {"out of memory", "PLAIN.MPG", false, 0, kMovieOpenOutOfMemory, 17},
      {"stream source", "PLAIN.MPG", false, 0, kMovieOpenStreamSource, 2},
      {"renderer", "PLAIN.MPG", false, 0, kMovieOpenRenderer, 3},
      {"pipeline", "PLAIN.MPG", false, 0, kMovieOpenGraph, 4},
      {"adding a filter", "PLAIN.MPG", true, 0, kMovieOpenAddFilter, 5},
      {"graph builder", "PLAIN.MPG", false, 0, kMovieOpenGraphBuilder, 6},
      {"media control", "PLAIN.MPG", false, 0, kMovieOpenMediaControl, 8},
      {"seeking", "PLAIN.MPG", true, 0, kMovieOpenSeeking, 10},
      {"position", "PLAIN.MPG", false, 0, kMovieOpenPosition, 11},
      {"basic audio", "PLAIN.MPG", false, 0, kMovieOpenBasicAudio, 14},
      {"anything else", "PLAIN.MPG", false, 0, kMovieOpenOther, -1},
  };
  const int32_t comCount = ComThreadCount();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Movie movie;
    MovieLibraryTestHooks().failStep = c.failStep;
    const int32_t reservedA = std::string(c.what) == "reservedA with reservedB" ? 1 : 0;
    if (c.byName) {
      EXPECT_EQ(movie.Make(nullptr, c.kind, MoviePath(c.movie).c_str(), reservedA, reservedA), c.code);
      EXPECT_EQ(movie.control != nullptr, c.code == 0);
    } else {
      // Someone else holds the stream too; a failed open must leave both holds.
      Stream* stream = NewMemoryStream(MovieBytes(c.movie));
      stream->AddHolder();
      EXPECT_EQ(movie.Make(stream, c.kind, nullptr, reservedA, reservedA), c.code);
      EXPECT_EQ(movie.control != nullptr, c.code == 0);
      EXPECT_EQ(stream->ExtraHolders(), 1u);
      if (c.code == 0) {
        movie.control->Release();
        movie.control = nullptr;
        EXPECT_EQ(stream->ExtraHolders(), 0u) << "released once with the movie";
      } else {
        stream->Release();
      }
      // The last hold is ours: a release too many by the library shows here.
      stream->Release();
    }
    EXPECT_EQ(ComThreadCount(), comCount) << "every initialisation was undone";
  }
}

TEST(MovieLibraryTest, FileNamesAreConvertedAndBoundedBeforeAnythingOpens) {
  EXPECT_EQ(MovieFileNameToHost("/tmp/\x83\x80\x81[\x83r\x81[.mpg"), "/tmp/ムービー.mpg");
  EXPECT_EQ(MovieFileNameToHost("/tmp/\x81"), "") << "a lone lead byte has no UTF-8 form";
  EXPECT_EQ(MovieFileNameToHost(std::string(1023, 'a').c_str()), std::string(1023, 'a'));
  EXPECT_EQ(MovieFileNameToHost(std::string(1024, 'a').c_str()), "") << "no room left for the terminator";
  // Two bytes each in CP932 but one unit each: the bound counts units.
  std::string wide;
  for (int i = 0; i < 600; ++i) wide += "\x83\x80";
  EXPECT_EQ(MovieFileNameToHost(wide.c_str()).size(), 1800u);
  for (int i = 600; i < 1023; ++i) wide += "\x83\x80";
  EXPECT_EQ(MovieFileNameToHost(wide.c_str()).size(), 1023u * 3);
  wide += "\x83\x80";
  EXPECT_EQ(MovieFileNameToHost(wide.c_str()), "");

  Movie movie;
  EXPECT_EQ(movie.Make(nullptr, 0, ("/" + std::string(1100, 'a')).c_str()), 7);
  EXPECT_EQ(movie.Make(nullptr, 0, "/nonexistent/\x83\x80.mpg"), 7);
  // The same movie under a Japanese name plays.
  const std::string japanese = MoviePath("PLAIN.MPG") + "\xe3\x83\xa0.mpg";
  std::filesystem::copy_file(MoviePath("PLAIN.MPG"), japanese, std::filesystem::copy_options::overwrite_existing);
  EXPECT_EQ(movie.Make(nullptr, 0, (MoviePath("PLAIN.MPG") + "\x83\x80.mpg").c_str()), 0);
  std::filesystem::remove(japanese);
}

TEST(MovieLibraryTest, PlayStateFollowsTheOperations) {
  Movie movie;
  ASSERT_EQ(movie.OpenFile("PLAIN.MPG"), 0);
  MovieControl& c = *movie.control;
  EXPECT_EQ(c.GetWidth(), 64);
  EXPECT_EQ(c.GetHeight(), 48);
  EXPECT_EQ(movie.State(), 0);

  // Pause while stopped only counts; the matching Resume runs the movie.
  EXPECT_EQ(c.Pause(), 0);
  EXPECT_EQ(movie.control->PauseDepth(), 1);
  EXPECT_EQ(movie.State(), 0);
  EXPECT_EQ(c.Resume(), 0);
  EXPECT_EQ(movie.State(), 1);
  EXPECT_EQ(c.Stop(), 0);

  // Play starts from the beginning, wherever the movie stood.
  ASSERT_EQ(c.Seek(kSecond), 0);
  // The picture at the new position may take longer than the state query
  // waits: the movie decodes on to it from an earlier key frame.
  movie.Settle();
  EXPECT_EQ(movie.State(), 2) << "a seek while stopped leaves the movie paused";
  EXPECT_EQ(movie.control->PlayState(), 0);
  ASSERT_EQ(c.Play(), 0);
  movie.Settle();
  int64_t position = -1;
  EXPECT_EQ(c.GetPosition(&position), 0);
  EXPECT_LT(position, kSecond / 10);
  EXPECT_EQ(movie.State(), 1);
  EXPECT_TRUE(movie.notify.IsVisible());
  const int64_t started = position;
  movie.Step(300);
  EXPECT_EQ(c.GetPosition(&position), 0);
  EXPECT_GT(position, started);

  // Pause, Pause, Resume leaves one level; the second Resume runs.
  EXPECT_EQ(c.Pause(), 0);
  EXPECT_EQ(c.Pause(), 0);
  EXPECT_EQ(c.Resume(), 0);
  EXPECT_EQ(movie.control->PauseDepth(), 1);
  EXPECT_EQ(movie.State(), 2);
  // A seek while paused stays paused and forgets the depth.
  EXPECT_EQ(c.Seek(kSecond / 2), 0);
  movie.Settle();
  EXPECT_EQ(movie.State(), 2);
  EXPECT_EQ(movie.control->PauseDepth(), 0);
  EXPECT_EQ(c.Resume(), 0);
  EXPECT_EQ(movie.State(), 1);
  // A seek while running keeps running.
  EXPECT_EQ(c.Seek(kSecond / 5), 0);
  movie.Settle();
  EXPECT_EQ(movie.State(), 1);
  EXPECT_EQ(movie.control->PlayState(), 1);

  // Rates: 0.0 touches nothing; a rate that is not positive is refused.
  EXPECT_EQ(c.AdjustRate(0.0), 0);
  EXPECT_EQ(movie.control->Pipeline()->GetRate(), 1.0);
  EXPECT_EQ(c.AdjustRate(0.5), 0);
  EXPECT_EQ(movie.control->Pipeline()->GetRate(), 1.5);
  EXPECT_EQ(c.AdjustRate(-2.0), 3);
  EXPECT_EQ(c.SetRate(-1.0), 2);
  EXPECT_EQ(c.SetRate(1.0), 0);
  int64_t duration = -1;
  EXPECT_EQ(c.GetDuration(&duration), 0);
  EXPECT_EQ(c.GetDuration(nullptr), 1);
}

TEST(MovieLibraryTest, StateAnswersChangingWhileAPictureIsHandedOver) {
  Movie movie;
  ASSERT_EQ(movie.OpenFile("PLAIN.MPG"), 0);
  movie.notify.Hold(true);
  ASSERT_EQ(movie.control->Play(), 0);
  EXPECT_EQ(movie.State(), 3);
  movie.notify.Hold(false);
  movie.Settle();
  EXPECT_EQ(movie.State(), 1);
}

TEST(MovieLibraryTest, EndOfStreamIsSetAtTheEndAndClearedByStopAndSeek) {
  Movie movie;
  ASSERT_EQ(movie.OpenFile("PLAIN.MPG"), 0);
  movie.PlayToEnd();
  EXPECT_EQ(movie.control->Stop(), 0);
  EXPECT_EQ(movie.control->IsEndOfStream(), 0);
  movie.PlayToEnd();
  EXPECT_EQ(movie.control->Seek(0), 0);
  EXPECT_EQ(movie.control->IsEndOfStream(), 0);
  movie.Settle();
  EXPECT_EQ(movie.State(), 1);
}

TEST(MovieLibraryTest, VolumeIsTheSoundsOrSilentWithoutOne) {
  struct Case {
    const char* movie;
    bool soundOutput;
    int32_t openVolume;
    int32_t afterSet;
  };
  const Case cases[] = {
      {"SOUND.MPG", true, 0, -500},
      {"SOUND.MPG", false, -10000, -10000},  // no output to report a volume
      {"PLAIN.MPG", true, -10000, -10000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.movie) + (c.soundOutput ? " with output" : " without output"));
    Movie movie(c.soundOutput);
    ASSERT_EQ(movie.OpenFile(c.movie), 0);
    EXPECT_EQ(movie.control->GetVolume(), c.openVolume);
    EXPECT_EQ(movie.control->SetVolume(-500), 0);
    EXPECT_EQ(movie.control->GetVolume(), c.afterSet);
  }
}

TEST(MovieLibraryTest, EveryPlayOperationAnswersOneWhileClosing) {
  Movie movie;
  ASSERT_EQ(movie.OpenFile("PLAIN.MPG"), 0);
  MovieControl& c = *movie.control;
  movie.control->SetClosingForTest(true);
  int64_t value = 0;
  int32_t state = 0;
  const int32_t results[] = {c.Play(),         c.Pause(),       c.Resume(),          c.Stop(),
                             c.GetDuration(&value), c.Seek(0), c.GetPosition(&value), c.GetState(&state),
                             c.SetVolume(0),   c.AdjustRate(1), c.SetRate(1)};
  for (int32_t r : results) EXPECT_EQ(r, 1);
  EXPECT_EQ(movie.control->PlayState(), 0);
  movie.control->SetClosingForTest(false);
  EXPECT_EQ(c.Play(), 0);
}

TEST(MovieLibraryTest, TheStreamIsReleasedOnceWithTheLastReference) {
  Movie movie;
  Stream* stream = NewMemoryStream(MovieBytes("PLAIN.MPG"));
  stream->AddHolder();
  ASSERT_EQ(movie.Make(stream, kMovieKindMpegSystem, nullptr), 0);
  MovieControl* control = movie.control;
  movie.control = nullptr;
  EXPECT_EQ(control->AddRef(), control);
  ASSERT_EQ(control->Play(), 0);
  EXPECT_EQ(control->Release(), 0) << "one owner left";
  EXPECT_EQ(stream->ExtraHolders(), 1u);
  control->Release();
  EXPECT_EQ(stream->ExtraHolders(), 0u);
  // The last hold is ours; a second release by the library would show here.
  stream->Release();
}

TEST(MovieLibraryTest, ReopeningReleasesTheFirstMovie) {
  Movie movie;
  Stream* stream = NewMemoryStream(MovieBytes("PLAIN.MPG"));
  ASSERT_EQ(movie.Make(stream, kMovieKindMpegSystem, nullptr), 0);
  ASSERT_EQ(movie.control->Play(), 0);
  movie.Settle();
  // The first movie's stream goes with it (LeakSanitizer would see it stay).
  EXPECT_EQ(movie.control->Open(nullptr, 0, MoviePath("ODD.MPG").c_str(), 0, 0, 1), 0);
  EXPECT_EQ(movie.control->GetWidth(), 161);
  EXPECT_EQ(movie.control->PlayState(), 0);
  // A failed reopen leaves a movie that refuses to play.
  EXPECT_EQ(movie.control->Open(nullptr, 0, MoviePath("SOUNDONLY.MPG").c_str(), 0, 0, 1), 7);
  EXPECT_EQ(movie.control->Play(), 2);
  EXPECT_EQ(movie.control->GetWidth(), 0);
}

}  // namespace
}  // namespace orrivel
