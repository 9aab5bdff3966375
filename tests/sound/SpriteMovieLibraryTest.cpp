// The movie sprite over the real sprite-movie library beside the program:
// a movie plays on the library's thread while the main thread draws the
// sprite whenever it says it changed, until the sprite's own end handling
// stops it. Real time here, as the library keeps its own clock.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/media/TestMovieWriter.h"
#include "raster/Surface.h"
#include "sound/SpriteMovie.h"
#include "sound/movies/MoviePlayerRig.h"

namespace orrivel {
namespace {

TEST(SpriteMovieLibraryTest, AMovieDrawnWhileItPlaysStopsItselfAtItsEnd) {
  testing::FakeArchives archives;
  const std::string path = archives.AddLooseFile("PLAY.MPG");
  media::TestMovieRecipe recipe;
  recipe.frames = 8;
  std::string error;
  ASSERT_TRUE(media::WriteTestMovie(path, recipe, &error)) << error;
  MovieLibraries libraries;
  ASSERT_EQ(libraries.Bind(true, &archives), 1);
  testing::BoundPixelOps pixelOps;
  Surface target;
  ASSERT_EQ(target.Create(100, 80, 32, Surface::kWithRegion), 0);

  SpriteMovie movie;
  ASSERT_EQ(movie.Open("PLAY.MPG", 20, 10, nullptr), 0);
  EXPECT_EQ(movie.GetWidth(), 64);
  movie.SetVisible(0);
  movie.SetChanged(0);
  ASSERT_EQ(movie.Play(), 0);
  int draws = 0;
  int32_t state = 1;
  const Rect everything{0, 0, 100, 80};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (state != 0 && std::chrono::steady_clock::now() < deadline) {
    if (movie.IsChanged() && movie.IsVisible()) {
      movie.SetChanged(0);
      movie.Draw(&target, everything);
      ++draws;
    } else {
      // The end is acted on even when no new picture came.
      movie.PollEnd();
    }
    ASSERT_EQ(movie.GetState(&state), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(state, 0);
  EXPECT_GE(draws, 1);
  // The last picture drawn is one of the movie's, upright, at the sprite's place.
  const uint8_t* at = target.GetBits() + 10 * target.GetPitch() + 20 * 4;
  const int32_t number = media::ReadPictureNumber(at, 64, 48, target.GetPitch());
  EXPECT_GE(number, 0);
  EXPECT_LT(number, 8);
  movie.Reset();
}

}  // namespace
}  // namespace orrivel
