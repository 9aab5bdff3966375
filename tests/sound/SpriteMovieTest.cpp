// The movie sprite over a fake sprite-movie library: how it finds its
// movie and hands it to the library, its geometry, how it draws the front
// picture, and what it does at the end of a play.
#include "sound/SpriteMovie.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/ScopedLock.h"
#include "moviedll/MovieControl.h"
#include "platform/TextCodec.h"
#include "raster/PixelBuffer.h"
#include "raster/SpriteList.h"
#include "raster/Surface.h"
#include "sound/movies/MoviePlayerRig.h"

namespace orrivel {
namespace {

using testing::BoundPixelOps;
using testing::FakeArchives;
using testing::FakeLibraryFolder;
using testing::FakeLibraryHandle;

class SpriteMovieTest : public ::testing::Test {
 protected:
  void SetUp() override {
    archives.AddMember("OPENING.MPG");
    archives.AddMember("TRAILER.ogm");
    archives.AddMember("CLIP.wmv");
    libraries.Bind(true, &archives, FakeLibraryFolder("good"));
    ASSERT_NE(CurrentMovieBinding(MovieLibraryId::kSprite), nullptr);
  }
  void TearDown() override { libraries.Free(); }

  // Both images of the pair filled, each with its own colour.
  void FillImages(SpriteMovie& movie, int32_t width, int32_t height) {
    const uint32_t colours[2] = {0xFF102030u, 0xFF405060u};
    for (int i = 0; i < 2; ++i) {
      PixelBuffer& image = movie.Images()[i];
      ASSERT_EQ(PixelBufferCreate(image, width, height, 32), 0);
      for (int32_t y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.GetBits() + y * image.GetPitch());
        std::fill(row, row + width, colours[i]);
      }
    }
  }

  FakeLibraryHandle fake{"good", "WENDLE"};
  FakeArchives archives;
  MovieLibraries libraries;
  BoundPixelOps pixelOps;
};

TEST_F(SpriteMovieTest, OpenFindsTheMovieAndHandsItToTheLibrary) {
  const std::string loosePath = archives.AddLooseFile("LOOSE.avi");
  struct Case {
    const char* name;
    int32_t factoryResult;
    bool throws;
    int32_t expected;
    int32_t kind;       // passed to the library; -99 when it was not reached
    bool streamed;
  };
  const Case cases[] = {
      {"OPENING.MPG", 0, false, 0, 0, true},
      {"TRAILER.ogm", 0, false, 3, -99, false},
      {"CLIP.wmv", 1, false, 6, 6, true},
      {"OPENING.MPG", 0, true, 7, 0, true},
      {"MISSING.MPG", 0, false, 4, -99, false},
      {"LOOSE.avi", 0, false, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake.State().Reset();
    fake.State().factoryResult = c.factoryResult;
    fake.State().throwInFactory = c.throws;
    archives.deletions = archives.opened = 0;
    SpriteMovie movie;
    EXPECT_EQ(movie.Open(c.name, 5, 6, nullptr), c.expected);
    EXPECT_EQ(fake.State().kind, c.kind);
    EXPECT_EQ(archives.opened, c.streamed ? 1 : 0);
    if (c.expected != 0) {
      // Every stream of a failed open was released once, by the sprite.
      EXPECT_EQ(archives.deletions, archives.opened);
      EXPECT_EQ(movie.Control(), nullptr);
      EXPECT_EQ(fake.State().live, 0);
      continue;
    }
    EXPECT_EQ(fake.State().images, movie.Images());
    EXPECT_EQ(fake.State().notify, &movie);
    EXPECT_EQ(std::vector<int32_t>(fake.State().reserved, fake.State().reserved + 3),
              (std::vector<int32_t>{0, 0, 1}));
    if (c.streamed) {
      EXPECT_NE(fake.State().stream, nullptr);
      EXPECT_FALSE(fake.State().hadPath);
    } else {
      // A loose file goes by its host name, with kind 0 and no stream.
      EXPECT_EQ(fake.State().stream, nullptr);
      EXPECT_EQ(platform::Cp932ToUtf8(fake.State().path).value_or(""), loosePath);
    }
    EXPECT_EQ(movie.GetWidth(), 64);
    EXPECT_EQ(movie.GetHeight(), 48);
    Rect bounds;
    EXPECT_EQ(*movie.GetBounds(&bounds), (Rect{5, 6, 69, 54}));
    EXPECT_TRUE(movie.IsChanged());
    movie.Reset();
    EXPECT_EQ(fake.State().live, 0);
    EXPECT_EQ(movie.GetWidth(), 0);
    EXPECT_EQ(*movie.GetBounds(&bounds), (Rect{0, 0, 0, 0}));
    EXPECT_EQ(archives.deletions, archives.opened);  // the library released it
  }
}

TEST_F(SpriteMovieTest, OpenRefusesBeforeLookingForTheFile) {
  SpriteMovie movie;
  EXPECT_EQ(movie.Open(nullptr, 0, 0, nullptr), SpriteMovie::kBadArgument);
  archives.failStreams = true;
  EXPECT_EQ(movie.Open("OPENING.MPG", 0, 0, nullptr), SpriteMovie::kNotFound);
  archives.failStreams = false;
  SetCurrentPixelOpLibrary(nullptr);
  EXPECT_EQ(movie.Open("MISSING.MPG", 0, 0, nullptr), SpriteMovie::kBadArgument);
  libraries.Free();
  EXPECT_EQ(movie.Open("OPENING.MPG", 0, 0, nullptr), SpriteMovie::kNotBound);
  EXPECT_EQ(fake.State().factoryCalls, 0);
}

TEST_F(SpriteMovieTest, WithoutAMovieTheOperationsAnswerMinusOne) {
  SpriteMovie movie;
  int64_t value = 1234;
  EXPECT_EQ(movie.GetDuration(&value), 0);
  EXPECT_EQ(movie.GetPosition(&value), 0);
  EXPECT_EQ(value, 1234);
  int32_t state = 9;
  for (int32_t result : {movie.Play(), movie.Pause(), movie.Resume(), movie.Stop(), movie.Seek(0),
                         movie.GetState(&state), movie.SetVolume(100), movie.AdjustRate(1), movie.SetRate(1)})
    EXPECT_EQ(result, -1);
  EXPECT_FALSE(movie.SetDisplaySize(10, 10));
  EXPECT_FALSE(movie.HitTest(0, 0, 0));
  EXPECT_EQ(movie.DrawTo(nullptr, nullptr), 1);
}

TEST_F(SpriteMovieTest, VolumeLevelsBecomeAttenuations) {
  SpriteMovie movie;
  ASSERT_EQ(movie.Open("OPENING.MPG", 0, 0, nullptr), 0);
  const std::pair<int32_t, std::pair<int32_t, int32_t>> cases[] = {
      {300, {256, 0}}, {256, {256, 0}}, {128, {128, -636}}, {64, {64, -2146}},
      {1, {1, -5029}},  {0, {0, -10000}}, {-5, {0, -10000}},
  };
  for (const auto& [level, expected] : cases) {
    SCOPED_TRACE(level);
    EXPECT_EQ(movie.SetVolume(level), 0);
    EXPECT_EQ(movie.VolumeLevel(), expected.first);
    EXPECT_EQ(fake.State().attenuation, expected.second);
  }
}

TEST_F(SpriteMovieTest, SizeAndPositionMoveTheDestination) {
  SpriteMovie movie;
  ASSERT_EQ(movie.Open("OPENING.MPG", 10, 20, nullptr), 0);
  Rect r;
  EXPECT_TRUE(movie.SetDisplaySize(128, 96));
  EXPECT_EQ(*movie.GetBounds(&r), (Rect{10, 20, 138, 116}));
  EXPECT_FALSE(movie.SetDisplaySize(128, 96));
  // A side that is not positive keeps the movie's own.
  EXPECT_TRUE(movie.SetDisplaySize(-1, 200));
  EXPECT_EQ(*movie.GetBounds(&r), (Rect{10, 20, 74, 220}));
  EXPECT_TRUE(movie.SetDisplaySize(0, 0));
  EXPECT_EQ(*movie.GetBounds(&r), (Rect{10, 20, 74, 68}));
  EXPECT_EQ(movie.DrawnWidth(), 0);
  EXPECT_FALSE(movie.SetPosition(10, 20));
  EXPECT_TRUE(movie.MoveBy(-30, -40));
  EXPECT_EQ(*movie.GetBounds(&r), (Rect{-20, -20, 44, 28}));
  EXPECT_TRUE(movie.MoveAndResize(-20, -20, 64, 48));
  // Hit on the visible part of a sprite that starts left of and above the origin.
  EXPECT_TRUE(movie.HitTest(0, 0, 0));
  EXPECT_TRUE(movie.HitTest(-20, -20, 0));
  EXPECT_FALSE(movie.HitTest(44, 0, 0));
  EXPECT_FALSE(movie.HitTest(-21, 0, 0));
  SpriteMovie other;
  ASSERT_EQ(other.Open("OPENING.MPG", 43, 27, nullptr), 0);
  EXPECT_TRUE(movie.Overlaps(&other));
  other.SetPosition(44, 27);
  EXPECT_FALSE(movie.Overlaps(&other));
  EXPECT_FALSE(movie.Overlaps(nullptr));
}

TEST_F(SpriteMovieTest, InvalidatingPartOfTheMovieDirtiesItsListOwner) {
  struct Owner : SpriteListOwner {
    int AddDirty(const Rect* rect) override {
      rects.push_back(*rect);
      return 1;
    }
    std::vector<Rect> rects;
  } owner;
  SpriteList list;
  list.SetOwner(&owner);
  SpriteMovie movie;
  ASSERT_EQ(movie.Open("OPENING.MPG", 100, 50, nullptr), 0);
  Rect r{-5, 10, 500, 20};
  EXPECT_FALSE(movie.InvalidateSourceRect(&r));  // not in a list
  ASSERT_EQ(list.Add(&movie, 1, 0), 0);
  owner.rects.clear();
  EXPECT_TRUE(movie.InvalidateSourceRect(&r));
  EXPECT_EQ(r, (Rect{100, 60, 164, 70}));
  Rect outside{70, 0, 90, 10};
  EXPECT_FALSE(movie.InvalidateSourceRect(&outside));
  EXPECT_EQ(owner.rects, (std::vector<Rect>{{100, 60, 164, 70}}));
  list.Remove(&movie);
}

TEST_F(SpriteMovieTest, DrawsTheFrontPictureWholeOrClipped) {
  Surface target;
  ASSERT_EQ(target.Create(100, 80, 32, Surface::kWithRegion), 0);
  std::memset(target.GetBits(), 0, size_t(target.GetPitch()) * 80);
  auto pixel = [&](int x, int y) { return reinterpret_cast<uint32_t*>(target.GetBits() + y * target.GetPitch())[x]; };
  SpriteMovie movie;
  ASSERT_EQ(movie.Open("OPENING.MPG", 10, 10, nullptr), 0);
  FillImages(movie, 64, 48);
  fake.State().front = 1;
  Rect out;
  ASSERT_EQ(movie.DrawTo(&target, &out), 0);
  EXPECT_EQ(out, (Rect{10, 10, 74, 58}));
  EXPECT_EQ(pixel(10, 10), 0xFF405060u);
  EXPECT_EQ(pixel(73, 57), 0xFF405060u);
  EXPECT_EQ(pixel(74, 57), 0u);
  EXPECT_EQ(target.Region()->Rects(), (std::vector<Rect>{{10, 10, 74, 58}}));

  // At its own size, the part inside the clip is drawn.
  fake.State().front = 0;
  target.Region()->Clear();
  movie.Draw(&target, Rect{0, 0, 30, 20});
  EXPECT_EQ(pixel(29, 19), 0xFF102030u);
  EXPECT_EQ(pixel(30, 19), 0xFF405060u);
  EXPECT_EQ(pixel(29, 20), 0xFF405060u);
  EXPECT_EQ(target.Region()->Rects(), (std::vector<Rect>{{10, 10, 30, 20}}));

  // Stretched, a clip that covers part of the movie gets that part, as a
  // whole draw puts it there: drawn in bands, the picture is the same.
  fake.State().front = 1;
  for (int32_t y = 0; y < 48; ++y)
    for (int32_t x = 0; x < 64; ++x)
      reinterpret_cast<uint32_t*>(movie.Images()[1].GetBits() + y * movie.Images()[1].GetPitch())[x] =
          0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 5) << 8 | uint32_t((x * y) & 0xFF);
  ASSERT_TRUE(movie.SetDisplaySize(83, 61));
  Surface whole, banded;
  ASSERT_EQ(whole.Create(100, 80, 32, 0), 0);
  ASSERT_EQ(banded.Create(100, 80, 32, Surface::kWithRegion), 0);
  std::memset(whole.GetBits(), 0, size_t(whole.GetPitch()) * 80);
  std::memset(banded.GetBits(), 0, size_t(banded.GetPitch()) * 80);
  ASSERT_EQ(movie.DrawTo(&whole, nullptr), 0);
  for (int32_t top = 0; top < 80; top += 7) movie.Draw(&banded, Rect{0, top, 100, top + 7});
  EXPECT_EQ(std::memcmp(whole.GetBits(), banded.GetBits(), size_t(whole.GetPitch()) * 80), 0);
  EXPECT_EQ(banded.Region()->Bounds(), (Rect{10, 10, 93, 71}));
  // Nothing outside the clip.
  Surface part;
  ASSERT_EQ(part.Create(100, 80, 32, 0), 0);
  std::memset(part.GetBits(), 0, size_t(part.GetPitch()) * 80);
  movie.Draw(&part, Rect{50, 40, 60, 45});
  for (int32_t y = 0; y < 80; ++y)
    for (int32_t x = 0; x < 100; ++x) {
      const bool inside = x >= 50 && x < 60 && y >= 40 && y < 45;
      const uint32_t got = reinterpret_cast<uint32_t*>(part.GetBits() + y * part.GetPitch())[x];
      const uint32_t want = reinterpret_cast<uint32_t*>(whole.GetBits() + y * whole.GetPitch())[x];
      ASSERT_EQ(got, inside ? want : 0u) << x << "," << y;
    }

  // Hidden or transparent: nothing drawn, no failure.
  movie.SetVisible(0);
  EXPECT_EQ(movie.DrawTo(&target, nullptr), 0);
  EXPECT_EQ(movie.DrawTo(nullptr, nullptr), 0);
}

TEST_F(SpriteMovieTest, EachEndRestartsALoopingMovieOnceOrStopsItOnce) {
  SpriteMovie movie;
  ASSERT_EQ(movie.Open("OPENING.MPG", 0, 0, nullptr), 0);
  movie.SetLoop(true);
  ASSERT_EQ(movie.Play(), 0);
  for (int end = 1; end <= 2; ++end) {
    fake.State().endOfStream = 1;
    movie.PollEnd();
    movie.PollEnd();
    EXPECT_EQ(fake.State().Count("Play"), 1 + end);
  }
  movie.PollEnd();
  EXPECT_EQ(fake.State().Count("Stop"), 0);

  movie.SetLoop(false);
  fake.State().endOfStream = 1;
  movie.PollEnd();
  movie.PollEnd();
  EXPECT_EQ(fake.State().Count("Stop"), 1);
  int32_t state = 7;
  EXPECT_EQ(movie.GetState(&state), 0);
  EXPECT_EQ(state, 0);
}

}  // namespace
}  // namespace orrivel
