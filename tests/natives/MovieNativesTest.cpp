// Natives 629 to 648 as compiled scripts call them: their answers with no
// movie, the two players whose libraries this platform lacks, and a movie
// written at test time that plays through the sprite player onto the
// screen canvas. The library runs silent movies on the clock the program
// hands it: on the machine's clock some tests wait in real time, on a clock
// the test steps one checks every picture as it comes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <numeric>
#include <thread>

#include "../scene/GoldenSupport.h"
#include "DisplayNativeRig.h"
#include "NativeHarness.h"
#include "natives/AppNativePort.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/ScriptMovies.h"
#include "platform/Clock.h"
#include "platform/media/TestMovieWriter.h"
#include "raster/PixelFormat.h"
#include "scene/CanvasDrawImage.h"
#include "display/LockedFrameSource.h"
#include "scene/DisplayPrimaryMovieScreen.h"
#include "sound/MovieBinding.h"
#include "sound/SoundDevice.h"
#include "platform/audio/VirtualAudioDevice.h"
#include "sound/movies/FakeMovieLibrary.h"
#include "sound/ObjectMovie.h"
#include "sound/SpriteMovie.h"
#include "sound/movies/MoviePlayerRig.h"

namespace orrivel::testing {
namespace {

constexpr size_t kSpriteMovieByte = 5;

class MovieNativesTest : public DisplayNativeRig {
 protected:
  void SetUp() override {
    DisplayNativeRig::SetUp();
    previous_ = SetScriptMovies(&movies_);
    AppPort().user[kSpriteMovieByte] = 0;
  }
  void TearDown() override {
    movies_.Close();
    SetScriptMovies(previous_);
    AppPort().user[kSpriteMovieByte] = 0;
    DisplayNativeRig::TearDown();
  }

  int32_t Result(std::string_view native, const std::vector<Arg>& args = {}) {
    const NativeCall call = harness_.Call(native, args);
    EXPECT_TRUE(call.Ran()) << native;
    return call.Result();
  }
  // A 96 x 64 screen canvas, with mode-0 movies sent to the sprite player
  // shown on it; its handle.
  uint32_t ShowSpriteMoviesOnAScreenCanvas() {
    uint32_t screen = 0;
    EXPECT_EQ(CreateCanvasDrawObjectForSource(Display(), &screen, 96, 64, 32, 1), 0);
    Display().SetScreenImage(screen, 0);
    AppPort().user[kSpriteMovieByte] = 1;
    return screen;
  }
  size_t Objects() { return Display().ImageCount() + Display().SpriteCount() + Display().SceneObjectCount(); }

  ScriptMovies movies_;
  ScriptMovies* previous_ = nullptr;
  NativeHarness harness_;
};

TEST_F(MovieNativesTest, WithNoMovieEachNativeAnswersItsValueAndMakesNothing) {
  struct Row {
    const char* native;
    std::vector<Arg> args;
    int32_t none;
  };
  const Row rows[] = {
      {"CloseMovie", {}, 0},
      {"SetMovieOption", {Arg::Int(1)}, 0},
      {"StartMovie", {}, -1},
      {"StopMovie", {}, -1},
      {"PauseMovie", {}, -1},
      {"ResumeMovie", {}, -1},
      {"SetMovieRect", {Arg::Int(0), Arg::Int(0), Arg::Int(8), Arg::Int(8)}, -1},
      {"GetMovieDuration", {}, 0},
      {"GetMovieWidth", {}, 0},
      {"GetMovieHeight", {}, 0},
      {"SeekMovie", {Arg::Int(1500)}, -1},
      {"GetMoviePosition", {}, 0},
      {"GetMovieState", {}, 0},
      {"SetMovieVolume", {Arg::Int(128)}, -1},
      {"ObjectMovieQuery", {}, 2},
      {"ObjectMovieSetValue", {Arg::Int(3)}, 2},
      {"AdjustMovieRate", {Arg::Int(0x18000)}, -1},
      {"SetMovieRate", {Arg::Int(0x10000)}, -1},
      {"GetSpriteMovie", {}, 0},
  };
  const size_t before = Objects();
  for (const Row& row : rows) EXPECT_EQ(Result(row.native, row.args), row.none) << row.native;
  EXPECT_EQ(Objects(), before);
  EXPECT_FALSE(movies_.object);
}

// The primary-surface and object libraries have no build here: their
// players answer "not bound" and stay open until the close, as a failed
// open leaves them.
TEST_F(MovieNativesTest, PlayersWithoutTheirLibraryAnswerTheirOpenFailure) {
  const size_t before = Display().SceneObjectCount();
  EXPECT_EQ(Result("PlayMovie", {Arg::Text("OP.MPG"), Arg::Int(0), Arg::Int(0)}), 1);
  EXPECT_EQ(Display().SceneObjectCount(), before + 1);
  ASSERT_NE(movies_.Primary(), nullptr);
  EXPECT_EQ(Result("StartMovie"), -1);
  EXPECT_EQ(Result("GetMovieWidth"), 0);
  // Opening again closes the first player.
  EXPECT_EQ(Result("PlayMovie", {Arg::Text("OP.MPG"), Arg::Int(1), Arg::Int(0)}), 1);
  EXPECT_EQ(Display().SceneObjectCount(), before);
  EXPECT_EQ(movies_.Primary(), nullptr);
  ASSERT_TRUE(movies_.object);
  EXPECT_EQ(Result("ObjectMovieQuery"), -1);
  EXPECT_EQ(Result("StartMovie"), -1);
  EXPECT_EQ(movies_.movieState->load(), 0);
  EXPECT_EQ(Result("CloseMovie"), 0);
  EXPECT_FALSE(movies_.object);
  EXPECT_EQ(Result("ObjectMovieQuery"), 2);
}

TEST_F(MovieNativesTest, AMovieWrittenAtTestTimePlaysOntoTheScreenCanvas) {
  FakeArchives archives;
  media::TestMovieRecipe recipe;
  recipe.container = media::TestMovieContainer::kAvi;  // a container that knows its length
  recipe.frames = 30;                                   // three seconds at ten frames a second
  std::string error;
  ASSERT_TRUE(media::WriteTestMovie(archives.AddLooseFile("PLAY.AVI"), recipe, &error)) << error;
  MovieLibraries libraries;
  ASSERT_EQ(libraries.Bind(true, &archives), 1);
  BoundPixelOps pixelOps;
  const uint32_t screen = ShowSpriteMoviesOnAScreenCanvas();
  ASSERT_NE(screen, 0u);

  ASSERT_EQ(Result("PlayMovie", {Arg::Text("PLAY.AVI"), Arg::Int(0), Arg::Int(5)}), 0);
  const uint32_t sprite = uint32_t(Result("GetSpriteMovie"));
  ASSERT_NE(sprite, 0u);
  auto* movie = dynamic_cast<SpriteMovie*>(Display().GetSprite(sprite));
  ASSERT_NE(movie, nullptr);
  EXPECT_FALSE(movie->IsVisible());
  EXPECT_EQ(Result("GetMovieWidth"), 64);
  EXPECT_EQ(Result("GetMovieHeight"), 48);
  EXPECT_EQ(Result("GetMovieDuration"), 3000);
  // The sprite player answers before the object player.
  movies_.object = std::make_unique<ObjectMovie>(*movies_.lock);
  EXPECT_EQ(Result("GetMovieWidth"), 64);
  movies_.object.reset();
  // Milliseconds cross as units of 100 ns.
  EXPECT_EQ(Result("SeekMovie", {Arg::Int(1500)}), 0);
  EXPECT_EQ(Result("GetMoviePosition"), 1500);
  EXPECT_EQ(Result("SetMovieRect", {Arg::Int(10), Arg::Int(8), Arg::Int(74), Arg::Int(56)}), 0);

  // The screen canvas shows the picture the movie stands on (number 15 at
  // 1.5 seconds) at its place, whenever the library has delivered it.
  CanvasDrawObject* canvas = GetCanvasPart(screen);
  ASSERT_NE(canvas, nullptr);
  Surface* picture = canvas->GetSurface();
  const auto shownNumber = [&](int32_t wanted) {
    int32_t number = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      canvas->Present(nullptr, nullptr, back_.get(), kPixelFormatX8R8G8B8, 1);
      number = media::ReadPictureNumber(picture->GetBits() + 8 * picture->GetPitch() + 10 * 4, 64, 48,
                                        picture->GetPitch());
      if (wanted < 0 ? number >= 0 : number == wanted) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return number;
  };
  movie->SetVisible(1);
  ASSERT_EQ(shownNumber(15), 15);
  test::ExpectGolden(*picture, "movie_frame_on_screen_canvas", "natives");

  EXPECT_EQ(Result("SeekMovie", {Arg::Int(0)}), 0);
  EXPECT_EQ(Result("StartMovie"), 0);
  EXPECT_TRUE(movie->IsVisible());
  const int32_t number = shownNumber(-1);
  EXPECT_GE(number, 0);
  EXPECT_LT(number, recipe.frames);
  // Nothing of the movie outside its place: the canvas stays black there.
  EXPECT_EQ(PixelAt(picture, 9, 8), 0u);
  EXPECT_EQ(PixelAt(picture, 74, 55), 0u);
  EXPECT_EQ(Result("GetMovieState"), 1);
  EXPECT_EQ(Result("StopMovie"), 0);
  EXPECT_FALSE(movie->IsVisible());

  // A second open closes the first movie: its sprite leaves the lists.
  ASSERT_EQ(Result("PlayMovie", {Arg::Text("PLAY.AVI"), Arg::Int(0), Arg::Int(5)}), 0);
  EXPECT_EQ(Display().GetSprite(sprite), nullptr);
  EXPECT_EQ(Display().SpriteCount(), 1u);
  EXPECT_EQ(Result("CloseMovie"), 0);
  EXPECT_EQ(Display().SpriteCount(), 0u);
  EXPECT_EQ(Result("GetSpriteMovie"), 0);
  Display().SetScreenImage(0, 0);
}


// The primary-surface library writes into the display's frame sources; the
// scene pass blits the front one into the back surface, at the movie's
// place, at its size or stretched, and acts on the end of the movie.
void SizeAndNumberFrameSources(Image** sources, int32_t width, int32_t height) {
  for (int32_t i = 0; i < 2; ++i) {
    auto* source = dynamic_cast<LockedFrameSource*>(sources[i]);
    ASSERT_NE(source, nullptr);
    ASSERT_EQ(source->Create(width, height), 0);
    LockedFrameSource::FrameWrite frame(*source);
    ASSERT_NE(frame.bits, nullptr);
    media::PaintNumberedPicture(frame.bits, width, height, frame.pitch, i + 1);
  }
}

uint32_t BackPixel(platform::SoftSurface& back, int32_t x, int32_t y) {
  platform::SurfaceLock lock;
  if (back.Lock(nullptr, &lock) != 0) return 0xDEAD;
  const uint32_t value = reinterpret_cast<const uint32_t*>(lock.bits + y * lock.pitch)[x] & 0xFFFFFF;
  back.Unlock();
  return value;
}

int32_t NumberInBack(platform::SoftSurface& back, int32_t x, int32_t y, int32_t width, int32_t height) {
  platform::SurfaceLock lock;
  if (back.Lock(nullptr, &lock) != 0) return -2;
  const int32_t number = media::ReadPictureNumber(lock.bits + y * lock.pitch + x * 4, width, height, lock.pitch);
  back.Unlock();
  return number;
}

TEST_F(MovieNativesTest, APrimaryMovieDrawsItsFrontFrameSourceIntoTheBackSurface) {
  FakeLibraryHandle fake{"good", "BELLOCK"};
  fake.State().onFrameSources = &SizeAndNumberFrameSources;
  FakeArchives archives;
  archives.AddMember("OP.MPG");
  MovieLibraries libraries;
  libraries.Bind(false, &archives, FakeLibraryFolder("good"));
  ASSERT_NE(CurrentMovieBinding(MovieLibraryId::kPrimary), nullptr);
  ASSERT_EQ(Result("PlayMovie", {Arg::Text("OP.MPG"), Arg::Int(0), Arg::Int(0)}), 0);
  ASSERT_NE(movies_.Primary(), nullptr);
  EXPECT_EQ(Result("GetMovieWidth"), 64);
  const auto drawScene = [&] {
    back_->ColorFill(nullptr, 0);
    Display().Registry().DrawAll(0, 0, &Display());
  };
  drawScene();
  EXPECT_EQ(NumberInBack(*back_, 0, 0, 64, 48), -1) << "hidden until started";

  // The rig's back surface is 64 x 48, the movie's own size.
  EXPECT_EQ(Result("StartMovie"), 0);
  drawScene();
  EXPECT_EQ(NumberInBack(*back_, 0, 0, 64, 48), 1);
  fake.State().front = 1;
  drawScene();
  EXPECT_EQ(NumberInBack(*back_, 0, 0, 64, 48), 2);
  EXPECT_EQ(Result("SetMovieRect", {Arg::Int(16), Arg::Int(12), Arg::Int(48), Arg::Int(36)}), 0);
  drawScene();
  EXPECT_EQ(NumberInBack(*back_, 16, 12, 32, 24), 2) << "stretched to half the size at its place";
  EXPECT_EQ(BackPixel(*back_, 15, 11), 0u);
  EXPECT_EQ(BackPixel(*back_, 48, 36), 0u);

  // The end of a movie that does not loop stops it, once.
  const int32_t stops = fake.State().Count("Stop");
  fake.State().endOfStream = 1;
  drawScene();
  drawScene();
  EXPECT_EQ(fake.State().Count("Stop"), stops + 1);
  EXPECT_EQ(Result("CloseMovie"), 0);
  EXPECT_EQ(fake.State().live, 0);
}

// The game shell pumps the object movie's events when it signals them: the end of
// a movie that does not loop stops it.
TEST_F(MovieNativesTest, TheObjectMoviesEventsArePumpedUnderTheLock) {
  FakeLibraryHandle fake{"good", "QUORRA"};
  FakeArchives archives;
  archives.AddMember("OP.MPG");
  MovieLibraries libraries;
  libraries.Bind(true, &archives, FakeLibraryFolder("good"));
  ASSERT_NE(CurrentMovieBinding(MovieLibraryId::kObject), nullptr);
  movies_.window = 7;
  ASSERT_EQ(Result("PlayMovie", {Arg::Text("OP.MPG"), Arg::Int(1), Arg::Int(0)}), 0);
  ASSERT_TRUE(movies_.object);
  ASSERT_TRUE(movies_.objectPresentation) << "the display is offered to the movie object";
  EXPECT_EQ(fake.State().useDirectDraw, 1);
  EXPECT_EQ(Result("StartMovie"), 0);
  fake.State().events.push_back({1, 0, 0});
  movies_.PumpObjectMovieEvents();
  EXPECT_EQ(fake.State().Count("Stop"), 1);
  EXPECT_TRUE(fake.State().events.empty());
  EXPECT_EQ(Result("CloseMovie"), 0);
  EXPECT_FALSE(movies_.objectPresentation);
  EXPECT_EQ(fake.State().live, 0);
}

// A movie shorter than the wait for its first picture (three pictures at
// ten a second) still shows each of them on the screen canvas.
TEST_F(MovieNativesTest, AShortMpegShowsEachOfItsPictures) {
  FakeArchives archives;
  media::TestMovieRecipe recipe;
  recipe.container = media::TestMovieContainer::kMpegSystem;
  recipe.frames = 3;
  std::string error;
  ASSERT_TRUE(media::WriteTestMovie(archives.AddLooseFile("SHORT.MPG"), recipe, &error)) << error;
  MovieLibraries libraries;
  ASSERT_EQ(libraries.Bind(true, &archives), 1);
  BoundPixelOps pixelOps;
  const uint32_t screen = ShowSpriteMoviesOnAScreenCanvas();
  ASSERT_NE(screen, 0u);
  ASSERT_EQ(Result("PlayMovie", {Arg::Text("SHORT.MPG"), Arg::Int(0), Arg::Int(5)}), 0);
  CanvasDrawObject* canvas = GetCanvasPart(screen);
  ASSERT_NE(canvas, nullptr);
  Surface* picture = canvas->GetSurface();
  EXPECT_EQ(Result("StartMovie"), 0);
  std::vector<int32_t> seen;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline && (seen.empty() || seen.back() != 2)) {
    canvas->Present(nullptr, nullptr, back_.get(), kPixelFormatX8R8G8B8, 1);
    const int32_t number = media::ReadPictureNumber(picture->GetBits(), 64, 48, picture->GetPitch());
    if (number >= 0 && (seen.empty() || seen.back() != number)) seen.push_back(number);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), 2);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(Result("CloseMovie"), 0);
  Display().SetScreenImage(0, 0);
}

// Natives 637, 640 and 641 in milliseconds, with movies encoded as people
// encode them (a key frame every 12 pictures, B-frames, 25 a second), on a
// clock that only the test moves: the length is the true one, a seek shows
// the picture due at its target and the position answers the target, and a
// started movie shows every picture in order, none skipped.
TEST_F(MovieNativesTest, MovieTimesCrossInMillisecondsAndSeeksShowThePictureDue) {
  platform::ManualClock clock;
  platform::ScopedClock useClock(clock);
  FakeArchives archives;
  for (const auto& [name, container] : {std::pair{"SEEK.MPG", media::TestMovieContainer::kMpegSystem},
                                        std::pair{"SEEK.MP4", media::TestMovieContainer::kMp4},
                                        std::pair{"SEEK.AVI", media::TestMovieContainer::kAvi}}) {
    media::TestMovieRecipe recipe;
    recipe.container = container;
    recipe.framesPerSecond = 25;
    recipe.frames = 75;
    std::string error;
    ASSERT_TRUE(media::WriteTestMovie(archives.AddLooseFile(name), recipe, &error)) << error;
  }
  MovieLibraries libraries;
  ASSERT_EQ(libraries.Bind(true, &archives), 1);
  BoundPixelOps pixelOps;
  const uint32_t screen = ShowSpriteMoviesOnAScreenCanvas();
  ASSERT_NE(screen, 0u);
  CanvasDrawObject* canvas = GetCanvasPart(screen);
  ASSERT_NE(canvas, nullptr);
  Surface* picture = canvas->GetSurface();
  const auto shown = [&] {
    SettleMovies();
    canvas->Present(nullptr, nullptr, back_.get(), kPixelFormatX8R8G8B8, 1);
    return media::ReadPictureNumber(picture->GetBits(), 64, 48, picture->GetPitch());
  };
  struct Target {
    int32_t ms;
    int32_t picture;
    int32_t position;
  };
  const Target targets[] = {{0, 0, 0},          {700, 17, 700},     {1440, 36, 1440},
                            {1030, 25, 1030},   {2960, 74, 2960},   {6000, 74, 3000}};
  for (const char* name : {"SEEK.MPG", "SEEK.MP4", "SEEK.AVI"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(Result("PlayMovie", {Arg::Text(name), Arg::Int(0), Arg::Int(5)}), 0);
    auto* movie = dynamic_cast<SpriteMovie*>(Display().GetSprite(uint32_t(Result("GetSpriteMovie"))));
    ASSERT_NE(movie, nullptr);
    movie->SetVisible(1);
    EXPECT_EQ(Result("GetMovieDuration"), 3000);
    for (const Target& t : targets) {
      SCOPED_TRACE(t.ms);
      EXPECT_EQ(Result("SeekMovie", {Arg::Int(t.ms)}), 0);
      EXPECT_EQ(shown(), t.picture);
      EXPECT_EQ(Result("GetMoviePosition"), t.position);
    }
    EXPECT_EQ(Result("StartMovie"), 0);
    std::vector<int32_t> seen{shown()};
    for (int32_t step = 1; step < 75; ++step) {
      clock.Advance(40);
      seen.push_back(shown());
    }
    std::vector<int32_t> every(75);
    std::iota(every.begin(), every.end(), 0);
    EXPECT_EQ(seen, every);
    EXPECT_EQ(Result("GetMoviePosition"), 2960);
    EXPECT_EQ(Result("CloseMovie"), 0);
  }
  Display().SetScreenImage(0, 0);
}

// The movie library plays a movie's sound through the program's sound
// device, at the movie's volume.
TEST_F(MovieNativesTest, AMoviesSoundPlaysThroughTheProgramsSoundDevice) {
  SoundDevice::SetDeviceFactory([] { return std::make_unique<platform::VirtualAudioDevice>(); });
  SoundDevice sound;
  ASSERT_EQ(sound.Create(nullptr, false, false, nullptr), kSoundDeviceOk);
  SoundDevice* previousSound = SetSoundDevice(&sound);
  auto& output = static_cast<platform::VirtualAudioDevice&>(*sound.Device());
  FakeArchives archives;
  media::TestMovieRecipe recipe;
  recipe.container = media::TestMovieContainer::kMpegSystem;
  recipe.withSound = true;
  std::string error;
  ASSERT_TRUE(media::WriteTestMovie(archives.AddLooseFile("TONE.MPG"), recipe, &error)) << error;
  MovieLibraries libraries;
  ASSERT_EQ(libraries.Bind(true, &archives), 1);
  BoundPixelOps pixelOps;
  AppPort().user[kSpriteMovieByte] = 1;
  const size_t sources = output.Mixer().SourceCount();
  ASSERT_EQ(Result("PlayMovie", {Arg::Text("TONE.MPG"), Arg::Int(0), Arg::Int(5)}), 0);
  EXPECT_EQ(output.Mixer().SourceCount(), sources + 1) << "the movie's sound joined the mix";
  EXPECT_EQ(Result("StartMovie"), 0);
  // The loudest sample over up to ms of output; with untilHeard, stops at
  // the first loud one.
  const auto loudest = [&output](uint32_t ms, bool untilHeard) {
    int32_t peak = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (uint32_t played = 0; played < ms && std::chrono::steady_clock::now() < deadline; played += 10) {
      output.StartCapture();
      output.AdvanceMs(10);
      for (int16_t sample : output.Capture()) peak = std::max(peak, std::abs(int32_t(sample)));
      if (untilHeard && peak > 1000) break;
      // The movie's thread decodes on the real clock: give it the time.
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return peak;
  };
  EXPECT_GT(loudest(1500, true), 1000) << "the tone is heard";
  EXPECT_EQ(Result("SetMovieVolume", {Arg::Int(0)}), 0);
  EXPECT_EQ(loudest(100, false), 0) << "volume 0 is silent";
  EXPECT_EQ(Result("CloseMovie"), 0);
  EXPECT_EQ(output.Mixer().SourceCount(), sources);
  SetSoundDevice(previousSound);
  SoundDevice::SetDeviceFactory(nullptr);
}

}  // namespace
}  // namespace orrivel::testing
