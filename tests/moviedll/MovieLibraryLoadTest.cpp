// The movie library as the program meets it: a shared library next to the
// program, bound by name, checked for its version, and playing a movie
// into the program's image pair on the machine's own clock.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "MovieFixtures.h"
#include "base/ScopedLock.h"
#include "moviedll/MovieControl.h"
#include "platform/Clock.h"
#include "platform/PathResolver.h"
#include "sound/MovieBinding.h"
#include "sound/MovieDll.h"
#include "TestBuildDirs.h"

namespace orrivel {
namespace {

TEST(MovieLibraryLoadTest, TheProgramBindsTheLibraryByNameAndPlaysIntoItsImages) {
  MovieDll dll(MovieDll::PathBesideProgram(kWendleDll.fileName), kWendleDll.factoryName, kWendleDll.requiredVersion);
  ASSERT_TRUE(dll.IsLoaded());
  EXPECT_EQ(dll.Failure(), 0);
  EXPECT_EQ(dll.VersionEntry()(), 0x10000);
  auto factory = reinterpret_cast<GetDShowGdiSpriteCtrlFunc>(dll.FactoryEntry());

  PixelBuffer images[2];
  testing::FlagDrawable notify;
  MovieControl* control = nullptr;
  Stream* stream = testing::NewMemoryStream(testing::MovieBytes("PLAIN.MPG"));
  EXPECT_EQ(factory(&control, images, &notify, stream, 6, nullptr, 0, 0, 1), 1);
  ASSERT_EQ(factory(&control, images, &notify, stream, 0, nullptr, 0, 0, 1), 0);
  EXPECT_EQ(control->GetWidth(), 64);
  ASSERT_EQ(control->Play(), 0);
  // Real time here: wait for a few pictures, as the program would.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!control->IsEndOfStream() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(control->IsEndOfStream());
  EXPECT_TRUE(notify.IsVisible());
  {
    PixelBuffer& front = images[control->GetFrontIndex()];
    ScopedLock lock(front.Lock());
    ASSERT_NE(front.GetBits(), nullptr);
    EXPECT_EQ(front.GetWidth(), 64);
    // Upright and one of the movie's pictures (late ones may be dropped).
    const int32_t number =
        media::ReadPictureNumber(front.GetBits(), front.GetWidth(), front.GetHeight(), front.GetPitch());
    EXPECT_GE(number, 0);
    EXPECT_LE(number, 14);
  }
  control->Release();  // and with it the stream
  dll.FreeMovieDll();
  EXPECT_FALSE(dll.IsLoaded());
}

int32_t FrontNumber(PixelBuffer* images, MovieControl* control) {
  PixelBuffer& front = images[control->GetFrontIndex()];
  ScopedLock lock(front.Lock());
  if (front.GetBits() == nullptr) return -2;
  return media::ReadPictureNumber(front.GetBits(), front.GetWidth(), front.GetHeight(), front.GetPitch());
}

// What a run whose clock only moves when stepped (a headless run's virtual
// clock) shows of a silent movie at each of 150 frames of 20 ms, the
// library bound as the program binds it (which hands it the clock).
std::vector<int32_t> PicturesOnASteppedClock(const std::string& name, int32_t kind) {
  platform::ManualClock clock;
  platform::ScopedClock useClock(clock);
  MovieLibraries libraries;
  EXPECT_EQ(libraries.Bind(true, nullptr), 1);
  const MovieBinding* binding = CurrentMovieBinding(MovieLibraryId::kSprite);
  if (binding == nullptr) return {};
  auto factory = reinterpret_cast<GetDShowGdiSpriteCtrlFunc>(binding->dll->FactoryEntry());
  PixelBuffer images[2];
  testing::FlagDrawable notify;
  MovieControl* control = nullptr;
  Stream* stream = kind < 0 ? nullptr : testing::NewMemoryStream(testing::MovieBytes(name));
  const std::string path = kind < 0 ? testing::MoviePath(name) : std::string();
  EXPECT_EQ(factory(&control, images, &notify, stream, kind, kind < 0 ? path.c_str() : nullptr, 0, 0, 1), 0);
  if (control == nullptr) return {};
  std::vector<int32_t> shown;
  EXPECT_EQ(control->Play(), 0);
  for (int32_t frame = 0; frame < 150; ++frame) {
    if (frame > 0) clock.Advance(20);
    SettleMovies();
    shown.push_back(FrontNumber(images, control));
  }
  EXPECT_EQ(control->IsEndOfStream(), 1);
  int64_t position = 0;
  EXPECT_EQ(control->GetPosition(&position), 0);
  EXPECT_EQ(position, 29800000) << "149 steps of 20 ms";
  control->Release();
  return shown;
}

// A silent movie moves by the program's clock alone: every picture arrives
// in order at its time, none skipped, and two runs show the same pictures.
TEST(MovieLibraryLoadTest, ASilentMovieRunsOnTheClockTheProgramHandsOver) {
  std::vector<int32_t> due;
  for (int32_t frame = 0; frame < 150; ++frame) due.push_back(std::min(frame * 20 / 40, 74));
  const std::pair<const char*, int32_t> movies[] = {{"LONG.MPG", 0}, {"LONG.AVI", -1}, {"LONG.MP4", 4}};
  for (const auto& [name, kind] : movies) {
    SCOPED_TRACE(name);
    const std::vector<int32_t> first = PicturesOnASteppedClock(name, kind);
    EXPECT_EQ(first, due);
    EXPECT_EQ(PicturesOnASteppedClock(name, kind), first);
  }
}

TEST(MovieLibraryLoadTest, ALibraryOfAnotherVersionOrNoneIsRefused) {
  const auto other = platform::ToInternalPath(ORRIVEL_TEST_WENDLE_OTHER_DIR "WENDLE.DLL");
  ASSERT_TRUE(other);
  MovieDll wrong(*other, kWendleDll.factoryName, kWendleDll.requiredVersion);
  EXPECT_FALSE(wrong.IsLoaded());
  EXPECT_EQ(wrong.Failure(), MovieDll::kWrongVersion);
  MovieDll noFactory(MovieDll::PathBesideProgram(kWendleDll.fileName), "GetDShowPrimCtrl", 0x10000);
  EXPECT_FALSE(noFactory.IsLoaded());
  EXPECT_EQ(noFactory.Failure(), MovieDll::kMissingEntry);
  MovieDll missing(MovieDll::PathBesideProgram("NOSUCH.DLL"), kWendleDll.factoryName, 0x10000);
  EXPECT_FALSE(missing.IsLoaded());
}

}  // namespace
}  // namespace orrivel
