// The primary-surface movie player over a fake library and a fake screen:
// what it hands the library, how it blits the front frame source, and how
// it acts on the end of the movie.
#include "sound/PrimaryMovie.h"

#include <gtest/gtest.h>

#include <map>

#include "moviedll/MovieControl.h"
#include "raster/PixelBuffer.h"
#include "sound/movies/MoviePlayerRig.h"

namespace orrivel {
namespace {

using testing::FakeArchives;
using testing::FakeLibraryFolder;
using testing::FakeLibraryHandle;

uint32_t PixelAt(platform::SoftSurface& surface, int32_t x, int32_t y) {
  platform::SurfaceLock lock;
  EXPECT_EQ(surface.Lock(nullptr, &lock), 0);
  const uint32_t value = reinterpret_cast<const uint32_t*>(lock.bits + y * lock.pitch)[x];
  surface.Unlock();
  return value & 0xFFFFFF;
}

// Frame sources of 64 x 48, the first all 0x112233, the second 0x445566.
class FakeScreen : public PrimaryMovieScreen {
 public:
  int CreateLockedFrameSource(Image** out) override {
    if (made_ == failAt) return 1;
    auto source = std::make_unique<Source>();
    PixelBufferCreate(source->image, 64, 48, 32);
    source->surface.Create(64, 48, platform::SurfaceFormat::X8R8G8B8);
    source->surface.ColorFill(nullptr, made_ % 2 == 0 ? 0x112233u : 0x445566u);
    *out = &source->image;
    sources_[*out] = std::move(source);
    ++made_;
    return 0;
  }
  void DeleteImage(Image** slot) override {
    sources_.erase(*slot);
    *slot = nullptr;
  }
  platform::SoftSurface* FrameSurface(Image* frameSource) override {
    auto it = sources_.find(frameSource);
    return it != sources_.end() ? &it->second->surface : nullptr;
  }
  size_t Held() const { return sources_.size(); }
  int failAt = -1;

 private:
  struct Source {
    PixelBuffer image;
    platform::SoftSurface surface;
  };
  std::map<Image*, std::unique_ptr<Source>> sources_;
  int made_ = 0;
};

class PrimaryMovieTest : public ::testing::Test {
 protected:
  void SetUp() override {
    archives.AddMember("OPENING.MPG");
    libraries.Bind(false, &archives, FakeLibraryFolder("good"));
    ASSERT_NE(CurrentMovieBinding(MovieLibraryId::kPrimary), nullptr);
  }
  void TearDown() override { libraries.Free(); }

  FakeLibraryHandle fake{"good", "BELLOCK"};
  FakeArchives archives;
  MovieLibraries libraries;
  FakeScreen screen;
};

TEST_F(PrimaryMovieTest, OpenHandsTheFrameSourcesToTheLibrary) {
  const std::string loosePath = archives.AddLooseFile("LOOSE.MPG");
  PrimaryMovie movie;
  ASSERT_EQ(movie.Open(&screen, "OPENING.MPG", 3, 4, nullptr), 0);
  EXPECT_EQ(fake.State().images, static_cast<const void*>(movie.FrameSources()));
  EXPECT_EQ(fake.State().kind, 0);
  EXPECT_NE(fake.State().stream, nullptr);
  EXPECT_EQ(std::vector<int32_t>(fake.State().reserved, fake.State().reserved + 3), (std::vector<int32_t>{0, 0, 1}));
  EXPECT_EQ(movie.SourceRect(), (Rect{0, 0, 64, 48}));
  Rect r;
  ASSERT_TRUE(movie.GetRect(&r));
  EXPECT_EQ(r, (Rect{3, 4, 67, 52}));
  EXPECT_EQ(screen.Held(), 2u);

  // A loose file goes by name with kind 0, never an undefined kind.
  fake.State().kind = -99;
  ASSERT_EQ(movie.Open(&screen, "LOOSE.MPG", 0, 0, nullptr), 0);
  EXPECT_EQ(fake.State().kind, 0);
  EXPECT_TRUE(fake.State().hadPath);
  EXPECT_EQ(fake.State().stream, nullptr);
  EXPECT_EQ(screen.Held(), 2u);  // the first movie's sources went back
  movie.Reset();
  EXPECT_EQ(screen.Held(), 0u);
  EXPECT_FALSE(movie.GetRect(&r));
  EXPECT_FALSE(movie.HitTest(3, 4, 0));
  EXPECT_EQ(archives.deletions, archives.opened);
}

TEST_F(PrimaryMovieTest, EveryFailedOpenReleasesWhatItMade) {
  struct Case {
    const char* what;
    int failAt;
    int32_t factoryResult;
    bool throws;
    int32_t expected;
  };
  const Case cases[] = {
      {"first frame source", 0, 0, false, 5},
      {"second frame source", 1, 0, false, 5},
      {"library refuses", -1, 1, false, 6},
      {"library throws", -1, 0, true, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeScreen local;
    local.failAt = c.failAt;
    fake.State().factoryResult = c.factoryResult;
    fake.State().throwInFactory = c.throws;
    archives.deletions = archives.opened = 0;
    PrimaryMovie movie;
    EXPECT_EQ(movie.Open(&local, "OPENING.MPG", 0, 0, nullptr), c.expected);
    EXPECT_EQ(archives.opened, 1);
    EXPECT_EQ(archives.deletions, 1);
    EXPECT_EQ(local.Held(), 0u);
    EXPECT_EQ(movie.Control(), nullptr);
  }
  PrimaryMovie movie;
  EXPECT_EQ(movie.Open(nullptr, "OPENING.MPG", 0, 0, nullptr), 2);
  EXPECT_EQ(movie.Open(&screen, "MISSING.MPG", 0, 0, nullptr), 4);
  libraries.Free();
  EXPECT_EQ(movie.Open(&screen, "OPENING.MPG", 0, 0, nullptr), 1);
}

TEST_F(PrimaryMovieTest, DrawBlitsTheFrontFrameSourceAndPollsTheEnd) {
  platform::SoftSurface target;
  ASSERT_EQ(target.Create(200, 150, platform::SurfaceFormat::X8R8G8B8), 0);
  PrimaryMovie movie;
  ASSERT_EQ(movie.Open(&screen, "OPENING.MPG", 10, 5, nullptr), 0);
  const Rect partClip{0, 0, 40, 30};
  const Rect whole{0, 0, 200, 150};
  fake.State().front = 1;
  ASSERT_EQ(movie.Draw(&target, &partClip), 0);
  EXPECT_EQ(PixelAt(target, 10, 5), 0x445566u);
  EXPECT_EQ(PixelAt(target, 39, 29), 0x445566u);
  EXPECT_EQ(PixelAt(target, 40, 29), 0u);
  EXPECT_EQ(PixelAt(target, 9, 5), 0u);
  // Stretched to twice the size.
  fake.State().front = 0;
  movie.SetSize(128, 96);
  ASSERT_EQ(movie.Draw(&target, &whole), 0);
  EXPECT_EQ(PixelAt(target, 137, 100), 0x112233u);
  EXPECT_EQ(PixelAt(target, 138, 100), 0u);
  EXPECT_EQ(movie.Draw(&target, nullptr), 1);

  movie.SetLoop(true);
  fake.State().endOfStream = 1;
  movie.Draw(&target, &whole);
  movie.Draw(&target, &whole);
  EXPECT_EQ(fake.State().Count("Play"), 1);
  // Hidden, the end is still acted on.
  movie.SetLoop(false);
  movie.SetVisible(false);
  fake.State().endOfStream = 1;
  EXPECT_EQ(movie.Draw(&target, &whole), 0);
  movie.Draw(&target, &whole);
  EXPECT_EQ(fake.State().Count("Stop"), 1);
  EXPECT_EQ(movie.SetVolume(0), 0);
  EXPECT_EQ(fake.State().attenuation, -10000);
}

}  // namespace
}  // namespace orrivel
