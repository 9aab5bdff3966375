// The game shell's binding of the movie libraries: which libraries the
// settings choose, and which records survive.
#include "sound/MovieBinding.h"

#include <gtest/gtest.h>

#include "sound/movies/MoviePlayerRig.h"

namespace orrivel {
namespace {

using testing::FakeLibraryFolder;
using testing::FakeLibraryHandle;

TEST(MovieBindingTest, TheSettingsChooseTheLibrariesAndSurvivorsAreBound) {
  FakeLibraryHandle wendle("good", "WENDLE"), bellock("good", "BELLOCK"), quorra("good", "QUORRA");
  ArchiveManager archives;
  MovieLibraries libraries;
  const MovieLibraryId all[] = {MovieLibraryId::kSprite, MovieLibraryId::kPrimary, MovieLibraryId::kObject};
  auto bound = [&] {
    std::vector<bool> out;
    for (MovieLibraryId id : all) out.push_back(CurrentMovieBinding(id) != nullptr);
    return out;
  };
  EXPECT_EQ(libraries.Bind(true, &archives, FakeLibraryFolder("good")), 2);
  EXPECT_EQ(bound(), (std::vector<bool>{true, false, true}));
  EXPECT_EQ(CurrentMovieBinding(MovieLibraryId::kSprite)->archives, &archives);
  EXPECT_EQ(CurrentMovieBinding(MovieLibraryId::kObject)->dll, libraries.Record(MovieLibraryId::kObject));
  libraries.Free();
  EXPECT_EQ(bound(), (std::vector<bool>{false, false, false}));

  EXPECT_EQ(libraries.Bind(false, &archives, FakeLibraryFolder("good")), 2);
  EXPECT_EQ(bound(), (std::vector<bool>{false, true, true}));
  libraries.Free();

  // Another version, or 0, and the record is freed and dropped.
  for (int32_t version : {0x30000, 0}) {
    SCOPED_TRACE(version);
    wendle.State().version = version;
    quorra.State().version = version;
    EXPECT_EQ(libraries.Bind(true, &archives, FakeLibraryFolder("good")), 0);
    EXPECT_EQ(libraries.Record(MovieLibraryId::kSprite), nullptr);
    EXPECT_EQ(bound(), (std::vector<bool>{false, false, false}));
  }
  // A missing factory entry, or no file at all.
  EXPECT_EQ(libraries.Bind(true, &archives, FakeLibraryFolder("noexport")), 0);
  EXPECT_EQ(libraries.Bind(false, &archives, FakeLibraryFolder("nosuchfolder")), 0);
  EXPECT_EQ(bound(), (std::vector<bool>{false, false, false}));
}

// Release goes last loaded first (the object library, then the sprite or
// primary one), and each library's players are closed while it is still
// loaded and bound. A library that did not load has nothing to release.
TEST(MovieBindingTest, ReleaseGoesLastLoadedFirstEachAfterItsPlayers) {
  FakeLibraryHandle wendle("good", "WENDLE"), bellock("good", "BELLOCK"), quorra("good", "QUORRA");
  ArchiveManager archives;
  MovieLibraries libraries;
  using Order = std::vector<MovieLibraryId>;
  for (const bool sprites : {true, false}) {
    SCOPED_TRACE(sprites);
    const MovieLibraryId first = sprites ? MovieLibraryId::kSprite : MovieLibraryId::kPrimary;
    ASSERT_EQ(libraries.Bind(sprites, &archives, FakeLibraryFolder("good")), 2);
    EXPECT_EQ(libraries.LoadOrder(), (Order{first, MovieLibraryId::kObject}));
    Order closed;
    libraries.Release([&](MovieLibraryId library) {
      closed.push_back(library);
      EXPECT_NE(libraries.Record(library), nullptr);
      EXPECT_NE(CurrentMovieBinding(library), nullptr);
      // The later library is gone by the time the earlier one's players close.
      if (library == first) {
        EXPECT_EQ(CurrentMovieBinding(MovieLibraryId::kObject), nullptr);
      }
    });
    EXPECT_EQ(closed, (Order{MovieLibraryId::kObject, first}));
    EXPECT_TRUE(libraries.LoadOrder().empty());
    EXPECT_EQ(CurrentMovieBinding(first), nullptr);
    EXPECT_EQ(libraries.Record(first), nullptr);
  }
  quorra.State().version = 0;
  ASSERT_EQ(libraries.Bind(true, &archives, FakeLibraryFolder("good")), 1);
  Order closed;
  libraries.Release([&](MovieLibraryId library) { closed.push_back(library); });
  EXPECT_EQ(closed, (Order{MovieLibraryId::kSprite}));
}

// A binding put off until first use loads nothing until a binding is
// looked at (settling the movies does not count), then binds exactly as at
// start, refusals included; freed first, it never loads.
TEST(MovieBindingTest, ABindingPutOffLoadsAtTheFirstLookAndAnswersAsAtStart) {
  FakeLibraryHandle wendle("good", "WENDLE"), quorra("good", "QUORRA");
  ArchiveManager archives;
  MovieLibraries libraries;
  libraries.BindOnFirstUse(true, &archives, FakeLibraryFolder("good"));
  EXPECT_TRUE(libraries.BindPutOff());
  SettleMovies();
  EXPECT_EQ(MadeMovieBinding(MovieLibraryId::kSprite), nullptr);
  EXPECT_EQ(libraries.Record(MovieLibraryId::kSprite), nullptr);
  const MovieBinding* sprite = CurrentMovieBinding(MovieLibraryId::kSprite);
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(sprite->archives, &archives);
  EXPECT_EQ(sprite->dll, libraries.Record(MovieLibraryId::kSprite));
  EXPECT_NE(CurrentMovieBinding(MovieLibraryId::kObject), nullptr);
  EXPECT_FALSE(libraries.BindPutOff());
  EXPECT_EQ(libraries.BindNow(), 0);  // nothing left to bind
  libraries.Free();

  // A library that answers version 0 is refused at the first look.
  wendle.State().version = 0;
  libraries.BindOnFirstUse(true, &archives, FakeLibraryFolder("good"));
  EXPECT_EQ(libraries.BindNow(), 1);
  EXPECT_EQ(CurrentMovieBinding(MovieLibraryId::kSprite), nullptr);
  EXPECT_NE(CurrentMovieBinding(MovieLibraryId::kObject), nullptr);

  // Freed while put off: nothing loads, and nothing is bound later.
  libraries.BindOnFirstUse(false, &archives, FakeLibraryFolder("good"));
  libraries.Free();
  EXPECT_FALSE(libraries.BindPutOff());
  EXPECT_EQ(CurrentMovieBinding(MovieLibraryId::kObject), nullptr);
  EXPECT_TRUE(libraries.LoadOrder().empty());
}

TEST(MovieBindingTest, ThePlatformHasOnlyTheSpriteMovieLibrary) {
  ArchiveManager archives;
  MovieLibraries libraries;
  EXPECT_EQ(libraries.Bind(true, &archives), 1);
  EXPECT_NE(CurrentMovieBinding(MovieLibraryId::kSprite), nullptr);
  EXPECT_EQ(libraries.Bind(false, &archives), 0);
  EXPECT_EQ(CurrentMovieBinding(MovieLibraryId::kPrimary), nullptr);
  EXPECT_EQ(CurrentMovieBinding(MovieLibraryId::kObject), nullptr);
}

}  // namespace
}  // namespace orrivel
