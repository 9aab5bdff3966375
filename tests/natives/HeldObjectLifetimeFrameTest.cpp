// Objects a script deletes while something else holds them, through the
// natives: the screen showing a script's canvas, a primary movie decoding
// into its two frame sources, an action fading a sprite. Each object goes
// by its handle, by its group or with everything at once; then the holder
// is used (its timer list stepped, the scene drawn, the screen presented,
// the movie asked for its size and started) and let go: nothing reaches
// the deleted object and the holder answers as one that holds none.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "LayerActionNativeRig.h"
#include "base/TickSource.h"
#include "base/TimerList.h"
#include "display/LockedFrameSource.h"
#include "effect/BuiltinEffects.h"
#include "natives/AppNativePort.h"
#include "natives/ScriptMovies.h"
#include "resource/DcpManager.h"
#include "sound/MovieBinding.h"
#include "sound/PrimaryMovie.h"
#include "sound/movies/FakeMovieLibrary.h"
#include "sound/movies/MoviePlayerRig.h"

namespace orrivel::testing {
namespace {

constexpr int64_t kGroup = 7;
constexpr int64_t kWithImages = 1;
constexpr size_t kSpriteMovieByte = 5;

enum class Holder { kScreen, kPrimaryMovie, kSpriteFade };
enum class Route { kHandle, kGroup, kAll };

struct Row {
  const char* name;
  Holder holder;
  Route route;
};

std::string Name(const ::testing::TestParamInfo<Row>& info) { return info.param.name; }

void SizeFrameSources(Image** sources, int32_t width, int32_t height) {
  for (int32_t i = 0; i < 2; ++i) {
    auto* source = dynamic_cast<LockedFrameSource*>(sources[i]);
    ASSERT_NE(source, nullptr);
    ASSERT_EQ(source->Create(width, height), 0);
  }
}

class HeldObjectLifetimeFrameTest : public LayerActionNativeRig, public ::testing::WithParamInterface<Row> {
 protected:
  void SetUp() override {
    LayerActionNativeRig::SetUp();
    previousMovies_ = SetScriptMovies(&movies_);
    AppPort().user[kSpriteMovieByte] = 0;
  }
  void TearDown() override {
    // The holders go last of all, after what they held.
    movies_.Close();
    SetScriptMovies(previousMovies_);
    Display().SetScreenImage(0, 0);
    LayerActionNativeRig::TearDown();
  }

  // Everything made from here on goes into the group.
  void InGroup() {
    Result("NativeSetGroupId", {Arg::Int(kGroup)});
    Result("NativeSetSpriteGroupId", {Arg::Int(kGroup)});
  }
  void DeleteImage(Route route, uint32_t image) {
    switch (route) {
      case Route::kHandle:
        EXPECT_EQ(Result("NativeDeleteImage", {Arg::OutInt(image)}), 0);
        break;
      case Route::kGroup:
        Result("NativeDeleteGroup", {Arg::Int(kGroup), Arg::Int(kWithImages)});
        break;
      case Route::kAll:
        Result("NativeDeleteAllDisplayObjects");
        break;
    }
    EXPECT_EQ(Display().GetImage(image), nullptr);
  }
  void DeleteSprite(Route route, uint32_t sprite) {
    switch (route) {
      case Route::kHandle:
        EXPECT_EQ(Result("NativeDeleteSprite", {Arg::OutInt(sprite)}), 0);
        break;
      case Route::kGroup:
        Result("NativeDeleteSpriteGroup", {Arg::Int(kGroup), Arg::Int(0)});
        break;
      case Route::kAll:
        Result("NativeDeleteAllSprites");
        break;
    }
    EXPECT_EQ(Display().GetSprite(sprite), nullptr);
  }
  void StepTimers() {
    const uint32_t base = CurrentTickMs() + 1;
    for (uint32_t now = 0; now <= 1200; now += 20) timers_.Step(base + now);
  }
  void DrawAndPresent() {
    back_->ColorFill(nullptr, 0);
    Display().Registry().DrawAll(0, 0, &Display());
    EXPECT_EQ(Display().PresentFrame(), 0);
  }

  void ScreenRow(Route route) {
    InGroup();
    const auto canvas = uint32_t(Result("NativeLoadCanvasImage", {Arg::Int(64), Arg::Int(48), Arg::Int(32),
                                                                   Arg::Int(2)}));
    ASSERT_NE(canvas, 0u);
    ASSERT_EQ(Result("NativeSetScreenImage", {Arg::Int(canvas)}), 0);
    ASSERT_NE(Display().GetScreenImage(), nullptr);
    DeleteImage(route, canvas);
    EXPECT_EQ(Display().GetScreenImage(), nullptr);
    EXPECT_EQ(Result("NativeGetScreenImage"), 0);
    DrawAndPresent();
  }

  void PrimaryMovieRow(Route route) {
    FakeLibraryHandle fake{"good", "BELLOCK"};
    fake.State().onFrameSources = &SizeFrameSources;
    FakeArchives archives;
    archives.AddMember("OP.MPG");
    MovieLibraries libraries;
    libraries.Bind(false, &archives, FakeLibraryFolder("good"));
    InGroup();
    ASSERT_EQ(Result("PlayMovie", {Arg::Text("OP.MPG"), Arg::Int(0), Arg::Int(0)}), 0);
    PrimaryMovie* movie = movies_.Primary();
    ASSERT_NE(movie, nullptr);
    ASSERT_EQ(Result("StartMovie"), 0);
    EXPECT_EQ(Result("GetMovieWidth"), 64);
    const uint32_t source = Display().HandleOfImage(movie->FrameSources()[1]);
    ASSERT_NE(source, 0u);
    DeleteImage(route, source);
    // The movie ends with its frame source: the library let go of both.
    EXPECT_EQ(Result("GetMovieWidth"), 0);
    EXPECT_EQ(fake.State().live, 0);
    DrawAndPresent();
    Result("StartMovie");
    DrawAndPresent();
    EXPECT_EQ(Result("CloseMovie"), 0);
    EXPECT_EQ(Display().ImageCount(), 0u) << "the other frame source went with the movie";
  }

  void SpriteFadeRow(Route route) {
    InGroup();
    const auto canvas = uint32_t(Result("NativeCreateCanvasImage", {Arg::Int(16), Arg::Int(8), Arg::Int(32),
                                                                     Arg::Int(1)}));
    const auto picture = uint32_t(Result("NativeCreateSurface", {Arg::Int(16), Arg::Int(8), Arg::Int(32), Arg::Int(0)}));
    const auto sprite = uint32_t(Result("NativeCreateImageSprite", {Arg::Int(picture), Arg::Absent(), Arg::Int(0),
                                                                     Arg::Int(0), Arg::Int(0), Arg::Int(0),
                                                                     Arg::Int(0)}));
    ASSERT_NE(sprite, 0u);
    const auto fade = uint32_t(
        Result("NativeStartLayerAction", {Arg::Int(canvas), Arg::Text("sp_fade"), Arg::Int(1), Arg::Int(0)}));
    ASSERT_NE(fade, 0u);
    ASSERT_EQ(Result("NativeControlLayerAction",
                     {Arg::Int(fade), Arg::Int(1), Arg::Int(0), Arg::Int(sprite), Arg::Int(1000)}),
              0);
    timers_.Step(CurrentTickMs() + 1);
    DeleteSprite(route, sprite);
    // The fade steps on without the sprite and is stopped with the list.
    StepTimers();
    DrawAndPresent();
  }

  ScriptMovies movies_;
  ScriptMovies* previousMovies_ = nullptr;
};

TEST_P(HeldObjectLifetimeFrameTest, TheHolderLetsGoOfTheDeletedObject) {
  const Row& row = GetParam();
  switch (row.holder) {
    case Holder::kScreen:
      ScreenRow(row.route);
      break;
    case Holder::kPrimaryMovie:
      PrimaryMovieRow(row.route);
      break;
    case Holder::kSpriteFade:
      SpriteFadeRow(row.route);
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Holders, HeldObjectLifetimeFrameTest,
    ::testing::Values(Row{"ScreenByHandle", Holder::kScreen, Route::kHandle},
                      Row{"ScreenByGroup", Holder::kScreen, Route::kGroup},
                      Row{"ScreenAll", Holder::kScreen, Route::kAll},
                      Row{"PrimaryMovieByHandle", Holder::kPrimaryMovie, Route::kHandle},
                      Row{"PrimaryMovieByGroup", Holder::kPrimaryMovie, Route::kGroup},
                      Row{"PrimaryMovieAll", Holder::kPrimaryMovie, Route::kAll},
                      Row{"SpriteFadeByHandle", Holder::kSpriteFade, Route::kHandle},
                      Row{"SpriteFadeByGroup", Holder::kSpriteFade, Route::kGroup},
                      Row{"SpriteFadeAll", Holder::kSpriteFade, Route::kAll}),
    Name);

}  // namespace
}  // namespace orrivel::testing
