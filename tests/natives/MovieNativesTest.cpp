// Natives 629 to 648 as compiled scripts call them: their answers with no
// movie, the two players whose libraries this platform lacks, and a movie
// written at test time that plays through the sprite player onto the
// screen canvas. The movie library keeps its own clock, so the playing test
// waits in real time, as the library's own tests do.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "../scene/GoldenSupport.h"
#include "DisplayNativeRig.h"
#include "NativeHarness.h"
#include "natives/AppNativePort.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/ScriptMovies.h"
#include "platform/media/TestMovieWriter.h"
#include "raster/PixelFormat.h"
#include "scene/CanvasDrawImage.h"
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
  uint32_t screen = 0;
  ASSERT_EQ(CreateCanvasDrawObjectForSource(Display(), &screen, 96, 64, 32, 1), 0);
  Display().SetScreenImage(screen, 0);
  AppPort().user[kSpriteMovieByte] = 1;

  ASSERT_EQ(Result("PlayMovie", {Arg::Text("PLAY.AVI"), Arg::Int(0), Arg::Int(5)}), 0);
  const uint32_t sprite = uint32_t(Result("GetSpriteMovie"));
  ASSERT_NE(sprite, 0u);
  auto* movie = dynamic_cast<SpriteMovie*>(Display().GetSprite(sprite));
  ASSERT_NE(movie, nullptr);
  EXPECT_FALSE(movie->IsVisible());
  EXPECT_EQ(Result("GetMovieWidth"), 64);
  EXPECT_EQ(Result("GetMovieHeight"), 48);
  EXPECT_NEAR(Result("GetMovieDuration"), 3000, 150);
  // The sprite player answers before the object player.
  movies_.object = std::make_unique<ObjectMovie>(*movies_.lock);
  EXPECT_EQ(Result("GetMovieWidth"), 64);
  movies_.object.reset();
  // Milliseconds cross as units of 100 ns.
  EXPECT_EQ(Result("SeekMovie", {Arg::Int(1500)}), 0);
  EXPECT_NEAR(Result("GetMoviePosition"), 1500, 150);
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

}  // namespace
}  // namespace orrivel::testing
