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
