// The object movie player over a fake object library: what it hands the
// library, the calls it makes in order, its event pump, and that every
// call is made under the movie lock.
#include "sound/ObjectMovie.h"

#include <gtest/gtest.h>

#include "base/CriticalSection.h"
#include "platform/ThreadId.h"
#include "sound/movies/MoviePlayerRig.h"

namespace orrivel {
namespace {

using testing::FakeArchives;
using testing::FakeLibraryFolder;
using testing::FakeLibraryHandle;
using testing::FakeMovieEvent;
using Calls = std::vector<std::string>;

CriticalSection* gMovieLock = nullptr;
bool MovieLockHeld() { return gMovieLock->OwnerThreadId() == platform::CurrentThreadId(); }

struct FakePresentation : ObjectMoviePresentation {
  bool PresentsOnPrimaryDisplay() override { return primaryDisplay; }
  void* DirectDraw() override { return &directDraw; }
  void* PrimarySurface() override { return screenSurface; }
  void* CreatePrimarySurface() override {
    ++created;
    return canCreate ? &madeSurface : nullptr;
  }
  void ReleaseSurface(void* surface) override {
    EXPECT_EQ(surface, &madeSurface);
    ++released;
  }
  bool primaryDisplay = true;
  bool canCreate = true;
  void* screenSurface = nullptr;
  int directDraw = 0, madeSurface = 0, created = 0, released = 0;
};

class ObjectMovieTest : public ::testing::Test {
 protected:
  void SetUp() override {
    archives.AddMember("OPENING.MPG");
    libraries.Bind(false, &archives, FakeLibraryFolder("good"));
    ASSERT_NE(CurrentMovieBinding(MovieLibraryId::kObject), nullptr);
    gMovieLock = &lock;
    fake.State().lockHeld = &MovieLockHeld;
  }
  void TearDown() override {
    EXPECT_EQ(fake.State().unlockedCalls, 0);
    fake.State().lockHeld = nullptr;
    libraries.Free();
  }

  FakeLibraryHandle fake{"good", "QUORRA"};
  FakeArchives archives;
  MovieLibraries libraries;
  CriticalSection lock;
};

TEST_F(ObjectMovieTest, OpenHandsOverTheWindowAndThePresentation) {
  struct Case {
    const char* what;
    bool primaryDisplay;
    bool hasSurface;
    bool canCreate;
    bool passesDirectDraw;
    uint8_t useDirectDraw;
    uint8_t movieOption = kDefaultMovieOption;
  };
  const Case cases[] = {
      {"no presentation", false, false, false, false, 1},
      {"screen surface", true, true, true, true, 1},
      {"surface made", true, false, true, true, 1},
      {"surface not made", true, false, false, false, 0},
      // The process-wide movie option off: nothing of the screen's is handed over.
      {"movie option off", true, true, true, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetMovieOption(c.movieOption);
    fake.State().calls.clear();
    FakePresentation presentation;
    int screenSurface = 0;
    presentation.primaryDisplay = c.primaryDisplay;
    presentation.canCreate = c.canCreate;
    presentation.screenSurface = c.hasSurface ? &screenSurface : nullptr;
    ObjectMovie movie(lock);
    ASSERT_EQ(movie.Open(7, "OPENING.MPG", nullptr, &presentation), 0);
    EXPECT_EQ(fake.State().window, 7u);
    EXPECT_EQ(fake.State().kind, 0);
    EXPECT_EQ(fake.State().useDirectDraw, c.useDirectDraw);
    EXPECT_EQ(fake.State().directDraw, c.passesDirectDraw ? &presentation.directDraw : nullptr);
    EXPECT_EQ(fake.State().calls, (Calls{"Attach", "AttachAgain", "SetRect", "VideoQuery"}));
    EXPECT_EQ(movie.DisplayRect(), (Rect{0, 0, 64, 48}));
    movie.Close();
    EXPECT_EQ(presentation.released, c.hasSurface || !c.canCreate || !c.primaryDisplay ? 0 : 1);
    EXPECT_EQ(fake.State().live, 0);
    EXPECT_EQ(fake.State().primary != nullptr, c.passesDirectDraw);
  }
  SetMovieOption(kDefaultMovieOption);
}

TEST_F(ObjectMovieTest, AFailedOpenReleasesTheStreamAndCloseTheSurfaceItMade) {
  ObjectMovie movie(lock);
  EXPECT_EQ(movie.Open(platform::kNoWindow, "OPENING.MPG", nullptr, nullptr), 2);
  EXPECT_EQ(movie.Open(7, "MISSING.MPG", nullptr, nullptr), 4);
  FakePresentation presentation;
  fake.State().factoryResult = 1;
  EXPECT_EQ(movie.Open(7, "OPENING.MPG", nullptr, &presentation), 6);
  EXPECT_EQ(archives.deletions, 1);
  EXPECT_NE(movie.CreatedSurface(), nullptr);
  movie.Close();
  EXPECT_EQ(presentation.released, 1);
  EXPECT_EQ(movie.CreatedSurface(), nullptr);
  int64_t value = 5;
  EXPECT_EQ(movie.GetDuration(&value), 0);
  EXPECT_EQ(value, 5);
  EXPECT_EQ(movie.Play(), -1);
  libraries.Free();
  EXPECT_EQ(movie.Open(7, "OPENING.MPG", nullptr, nullptr), 1);
}

TEST_F(ObjectMovieTest, PlayStopAndResumeShowAndHideTheVideo) {
  ObjectMovie movie(lock);
  ASSERT_EQ(movie.Open(7, "OPENING.MPG", nullptr, nullptr), 0);
  fake.State().calls.clear();
  EXPECT_EQ(movie.Play(), 0);
  EXPECT_EQ(movie.Stop(), 0);
  EXPECT_EQ(movie.Resume(), 0);
  fake.State().paintQuery = 1;
  EXPECT_EQ(movie.Play(), 0);
  EXPECT_EQ(fake.State().calls, (Calls{"Show1", "Run", "PaintQuery", "Show0", "Stop", "Resume", "Show1", "Show1",
                                      "Run", "PaintQuery", "Paint"}));
  EXPECT_EQ(movie.SetVolume(128), 0);
  EXPECT_EQ(fake.State().attenuation, -636);
  EXPECT_EQ(movie.SetDisplayRect(Rect{1, 2, 3, 4}), 0);
  EXPECT_EQ(movie.DisplayRect(), (Rect{1, 2, 3, 4}));
}

TEST_F(ObjectMovieTest, TheEventPumpRestartsOrStopsARunningMovie) {
  struct Case {
    const char* what;
    bool loop;
    bool running;
    int32_t event;
    int32_t seekResult;
    int32_t stopResult;
    Calls expected;
  };
  const Case cases[] = {
      {"loop: seek and run", true, true, 1, 0, 0, {"GetState", "Seek", "Run"}},
      {"loop: seek fails", true, true, 1, 1, 0, {"GetState", "Seek", "Stop", "Run"}},
      {"loop: stop fails too", true, true, 1, 1, 1, {"GetState", "Seek", "Stop"}},
      {"no loop: stop", false, true, 1, 0, 0, {"GetState", "Stop"}},
      {"no longer running", true, false, 1, 0, 0, {"GetState"}},
      {"aborted", true, true, 2, 0, 0, {"Stop"}},
      {"other event", true, true, 9, 0, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ObjectMovie movie(lock);
    ASSERT_EQ(movie.Open(7, "OPENING.MPG", nullptr, nullptr), 0);
    movie.SetLoop(c.loop);
    fake.State().playState = c.running ? 1 : 0;
    fake.State().seekResult = c.seekResult;
    fake.State().stopResult = c.stopResult;
    fake.State().events = {FakeMovieEvent{c.event, 0, 0}};
    fake.State().calls.clear();
    movie.Update();
    Calls expected{"GetEvent"};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    expected.push_back("GetEvent");
    EXPECT_EQ(fake.State().calls, expected);
  }
}

}  // namespace
}  // namespace orrivel
