// Natives 36 to 55: what the next save carries, the save slots over the
// game's save service, the state snapshot, the built-in objects, and the
// system commands with background music by number.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/TimerList.h"
#include "natives/NativeHarness.h"
#include "natives/SoundNativesRig.h"
#include "natives/SaveService.h"
#include "sound/BgmTrack.h"
#include "raster/PixelOpLibrary.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"
#include "text/OutlineFont.h"
#include "TobWriter.h"

namespace orrivel {
namespace {

using testing::Arg;
using testing::NativeHarness;
using namespace testing::samples;

// Answers each operation with a code of its own and records what it was
// asked.
class FakeSaveService final : public SaveService {
 public:
  std::vector<std::string> asked;
  std::string caption = "caption";
  std::string title = "title";
  std::string comment = "comment";
  std::string date = "2026/12/10";
  bool snapshot = false;

  int32_t MakeSaveFileName(int32_t group, int32_t slot, std::string* path) override {
    Note("name", group, slot);
    if (group > 90) return 3;
    *path = "SAVE\\DATA" + std::to_string(group) + std::to_string(slot) + ".SAV";
    return 0;
  }
  int32_t WriteSave(int32_t group, int32_t slot) override { return Note("write", group, slot, 6); }
  int32_t LoadSave(int32_t group, int32_t slot) override { return Note("load", group, slot, 5); }
  int32_t LoadSaveFile(const std::string& path) override {
    asked.push_back("load " + path);
    return 4;
  }
  int32_t MakeSaveCaption(int32_t group, int32_t slot, uint8_t kind, std::string* out) override {
    *out = caption;
    return Note("caption", group, slot + 100 * kind, 0);
  }
  int32_t ReadSaveInfo(int32_t group, int32_t, SaveInfoRequest& request) override {
    std::copy(title.begin(), title.end(), request.title.begin());
    std::copy(comment.begin(), comment.end(), request.comment.begin());
    request.date = date;
    asked.push_back("info " + std::to_string(request.thumbnailImage) + " " + std::to_string(request.wantTitle) +
                    std::to_string(request.wantComment) + std::to_string(request.wantDate) +
                    std::to_string(request.wrapComment) + " " + std::to_string(request.passedOn));
    return group == 99 ? 3 : 0;
  }
  int32_t WriteSaveComment(int32_t group, int32_t slot, const char* text) override {
    asked.push_back("comment " + std::string(text ? text : "(none)"));
    return Note("comment", group, slot, 2);
  }
  int32_t CopySaveFile(int32_t group, int32_t slot, int32_t toGroup, int32_t toSlot) override {
    return Note("copy", group * 100 + slot, toGroup * 100 + toSlot, 3);
  }
  int32_t DeleteSaveFile(int32_t group, int32_t slot) override { return Note("delete", group, slot, 2); }
  int32_t TakeStateSnapshot() override {
    snapshot = true;
    return 0;
  }
  int32_t RestoreStateSnapshot() override {
    snapshot = false;
    return 0;
  }
  bool HasStateSnapshot() const override { return snapshot; }
  void DiscardStateSnapshot() override { snapshot = false; }

 private:
  int32_t Note(const char* what, int32_t a, int32_t b, int32_t code = 0) {
    asked.push_back(std::string(what) + " " + std::to_string(a) + " " + std::to_string(b));
    return code;
  }
};

class SaveLoadNativesTest : public testing::SoundNativesRig {
 protected:
  void SetUp() override {
    SoundNativesRig::SetUp();
    port.saves = &saves;
    SetCurrentBgmNumber(0);
  }
  void TearDown() override {
    SetCurrentBgmNumber(0);
    SoundNativesRig::TearDown();
  }
  uint32_t Bgm(int32_t number, uint32_t fade, uint32_t loop = 1) {
    return Call(55, {0, uint32_t(number), fade, loop});
  }

  FakeSaveService saves;
};

TEST_F(SaveLoadNativesTest, EveryNativeAnswersThroughAScript) {
  ExpectScriptRows({
      {"NativeSetSaveInfo", {Arg::Int(0), Arg::Int(0), Arg::Int(0)}, 0},
      {"NativeSetSaveInfo", {Arg::Int(3), Arg::Text("cap"), Arg::Text("msg")}, 1},
      {"NativeQueueSaveVariable", {Arg::Int(0)}, 0},
      {"NativeQueueSaveVariable", {Arg::OutInt()}, 1},
      {"NativeSetSaveThumbnailSource", {Arg::Int(5), Arg::Text("PIC")}, 1},
      {"NativeSetSaveFileName", {Arg::Int(1), Arg::Int(2)}, 0},
      {"NativeSetSaveFileName", {Arg::Int(99), Arg::Int(2)}, 1},
      {"NativeWriteSave", {Arg::Int(1), Arg::Int(2)}, 6},
      {"NativeLoadSave", {Arg::Int(1), Arg::Int(2)}, 5},
      {"NativeMakeSaveCaption", {Arg::Buffer(32), Arg::Int(1), Arg::Int(2), Arg::Int(1)}, 0, {{0, "caption"}}},
      {"NativeMakeSaveCaption", {Arg::Int(0), Arg::Int(1), Arg::Int(2), Arg::Int(1)}, 1},
      {"NativeReadSaveInfo", {Arg::Int(1), Arg::Int(2), Arg::Int(0), Arg::Buffer(44), Arg::Buffer(144),
                              Arg::Buffer(32), Arg::Int(1), Arg::Int(7)}, 0,
       {{3, "title"}, {4, "comment"}, {5, "2026/12/10"}}},
      {"NativeReadSaveInfo", {Arg::Int(99), Arg::Int(2), Arg::Int(0), Arg::Buffer(44, "kept"), Arg::Int(0),
                              Arg::Int(0), Arg::Int(0), Arg::Int(0)}, 3, {{3, "kept"}}},
      {"NativeWriteSaveComment", {Arg::Int(1), Arg::Int(2), Arg::Text("note")}, 2},
      {"NativeCopySaveFile", {Arg::Int(1), Arg::Int(2), Arg::Int(3), Arg::Int(4)}, 3},
      {"NativeDeleteSaveFile", {Arg::Int(1), Arg::Int(2)}, 2},
      {"NativeKeepStateSnapshot", {}, 0},
      {"NativeHasStateSnapshot", {}, 1},
      {"NativeRestoreStateSnapshot", {}, 0},
      {"NativeHasStateSnapshot", {}, 0},
      {"NativeRestoreStateSnapshot", {}, -1},
      {"NativeDropStateSnapshot", {}, 0},
      {"NativeGetSystemObject", {Arg::Int(1), Arg::Int(0)}, 0},
      {"NativeSystemCommand", {Arg::Int(11)}, 1},
      {"NativeSystemCommand", {Arg::Int(1)}, 0},
      {"NativeSystemCommand", {Arg::Int(9), Arg::Int(0), Arg::Int(0)}, 0},
      {"NativeSystemCommand", {Arg::Int(5), Arg::Text("notice"), Arg::Int(100)}, -2},
      {"NativeSystemCommand", {Arg::Int(8)}, 0},
  });
  EXPECT_EQ(objects.SaveFileName(), "SAVE\\DATA12.SAV");
  const std::vector<std::string> expected = {
      "name 1 2", "name 99 2", "write 1 2", "load 1 2", "caption 1 102", "info 0 1111 7", "info 0 1000 0",
      "comment note", "comment 1 2", "copy 102 304", "delete 1 2"};
  EXPECT_EQ(saves.asked, expected);
}

TEST_F(SaveLoadNativesTest, SaveInfoWithoutAStartNumberChangesNothing) {
  const uint32_t variable = Host().LiveRecords().at(0).address;
  EXPECT_EQ(Call(37, {variable}), 1u);
  ASSERT_EQ(Host().PendingVariables().size(), 1u);
  EXPECT_EQ(Call(36, {0x10000, Text("cap"), Text("msg")}), 0u);
  EXPECT_EQ(Host().PendingVariables().size(), 1u);
  EXPECT_EQ(Host().SaveSetup().startNumber, 1);
  EXPECT_EQ(Host().SaveSetup().captionText, 0u);
  const uint32_t caption = Text("cap");
  EXPECT_EQ(Call(36, {0x10005, caption, 0}), 1u);
  EXPECT_TRUE(Host().PendingVariables().empty());
  EXPECT_EQ(Host().SaveSetup().startNumber, 5);
  EXPECT_EQ(Host().SaveSetup().captionText, caption);
  // MAIN restarts with the scripts' start number, negated for interrupt 0.
  ASSERT_EQ(Host().StartMainInterrupt(false), 0);
  EXPECT_EQ(calls->Load(Host().BootFlagAddress()), uint32_t(-5));
}

TEST_F(SaveLoadNativesTest, LoadingTheCurrentFileNeedsAName) {
  EXPECT_EQ(Call(41, {uint32_t(-1), uint32_t(-1)}), uint32_t(-1));
  EXPECT_TRUE(saves.asked.empty());
  EXPECT_EQ(Call(39, {11, 3}), 0u);
  EXPECT_EQ(Call(41, {uint32_t(-1), 0}), 4u);
  EXPECT_EQ(saves.asked.back(), "load SAVE\\DATA113.SAV");
}

TEST_F(SaveLoadNativesTest, SaveBuffersAreWrittenWithinTheirExtent) {
  saves.caption = std::string(40, 'c');
  // Blocks are whole alignment units.
  const uint32_t small = Host().Space().Allocate(ScriptAddressSpace::kAlignment);
  const uint32_t guard = Host().Space().Allocate(ScriptAddressSpace::kAlignment);
  Host().Space().WriteBytes(guard, "GUARDED", 8);
  EXPECT_EQ(Call(42, {small, 1, 2, 0}), 0u);
  EXPECT_EQ(calls->Read(small), std::string(ScriptAddressSpace::kAlignment - 1, 'c'));
  saves.title = std::string(43, 't');
  EXPECT_EQ(Call(43, {1, 2, 0, small, 0, 0, 0, 0}), 0u);
  EXPECT_EQ(calls->Read(guard), "GUARDED");
  Host().Space().Free(small);
  Host().Space().Free(guard);
}

TEST_F(SaveLoadNativesTest, WithoutTheGamesSavesEveryRequestFails) {
  port.saves = nullptr;
  EXPECT_EQ(Call(39, {1, 2}), 1u);
  EXPECT_EQ(Call(40, {1, 2}), uint32_t(-1));
  EXPECT_EQ(Call(41, {1, 2}), uint32_t(-1));
  EXPECT_EQ(Call(47, {}), 1u);
  EXPECT_EQ(Call(49, {}), 0u);
  EXPECT_EQ(Call(48, {}), uint32_t(-1));
}

TEST_F(SaveLoadNativesTest, SystemObjectsAreHandedOutAsHandles) {
  int box = 0;
  OutlineFont font;
  port.confirmBox = &box;
  port.confirmFont = &font;
  const uint32_t boxHandle = Call(54, {0, 0});
  const uint32_t fontHandle = Call(54, {0, 1});
  EXPECT_EQ(Host().Handles().Find(boxHandle, HandleFamily::SystemObject), &box);
  EXPECT_EQ(Host().Handles().Get<Font>(fontHandle, HandleFamily::Font), &font);
  EXPECT_EQ(Call(54, {0, 0}), boxHandle);
  EXPECT_EQ(Call(54, {1, 0}), 0u);
  EXPECT_EQ(Call(54, {0, 2}), 0u);
}

TEST_F(SaveLoadNativesTest, BoxCommandsGoToTheGamesBox) {
  std::vector<std::string> asked;
  port.openNotice = [&asked](const char* text, int32_t value) {
    asked.push_back(std::string("notice ") + (text ? text : "(none)") + " " + std::to_string(value));
    return 0;
  };
  port.moveCursorTo = [&asked](uint32_t control, int32_t, int32_t) {
    asked.push_back("glide " + std::to_string(control));
    return 1;
  };
  port.runBox = [&asked](int32_t mode, const char* text, int32_t x, int32_t y, int32_t button, uint32_t owner) {
    asked.push_back("run " + std::to_string(mode) + " " + text + " " + std::to_string(x) + " " + std::to_string(y) +
                    " " + std::to_string(button) + " " + std::to_string(owner));
    return 1;
  };
  EXPECT_EQ(Call(55, {5, Text("saved"), 100}), 0u);
  EXPECT_EQ(Call(55, {5, 0, 0}), 0u);
  EXPECT_EQ(Call(55, {6, 44, 0, 0}), 1u);
  EXPECT_EQ(Call(55, {7, 2, Text("quit?"), uint32_t(-1), uint32_t(-1), 0, 9}), 1u);
  const std::vector<std::string> expected = {"notice saved 100", "notice (none) 0", "glide 44",
                                             "run 2 quit? -1 -1 0 9"};
  EXPECT_EQ(asked, expected);
}

TEST_F(SaveLoadNativesTest, ReadFiguresComeFromTheOpenFrame) {
  EXPECT_EQ(Call(55, {9, 0, 0}), 0u);
  const auto table = tob::WriteScriptTable({{"MAIN", 3, 2}, {"SUB", 2, 0}});
  folder_.Write("SCRIPT/TGS_INIT.DAT", std::vector<uint8_t>(table.begin(), table.end()));
  ASSERT_EQ(Call(788, {0, 0, 0}), 0u);
  ASSERT_TRUE(Host().TextFrameSlot().frame);
  EXPECT_EQ(Call(55, {9, 0, 0}), 5u);
  EXPECT_EQ(Call(55, {9, 0, Text("sub")}), 2u);
  EXPECT_EQ(Call(55, {9, 1, 0}), 0u);
  EXPECT_EQ(Call(55, {9, 2, 0}), 0u);
  Host().TextFrameSlot().frame->SetSkipBySetting(true);
  EXPECT_EQ(Call(55, {9, 3, 0}), 1u);
  EXPECT_EQ(Call(55, {9, 4, 0}), 0u);
}

// A task that runs until told to stop, or ends at its first step.
class Task final : public TimedTask {
 public:
  explicit Task(bool endAtOnce) : endAtOnce_(endAtOnce) {}
  int32_t Step(uint32_t) override { return endAtOnce_ ? 1 : 0; }
  void Stop() override { ++stops; }
  int stops = 0;

 private:
  bool endAtOnce_;
};

TEST_F(SaveLoadNativesTest, TasksAreAskedForAndStoppedByHandle) {
  auto* running = new Task(false);
  auto* ending = new Task(true);
  ASSERT_EQ(list.Add(running, 0, 10, 0), 0);
  ASSERT_EQ(list.Add(ending, 0, 10, 0), 0);
  const uint32_t runningHandle = running->Handle(), endingHandle = ending->Handle();
  Run(50);
  EXPECT_EQ(Call(55, {2, runningHandle}), 1u);
  EXPECT_EQ(Call(55, {2, endingHandle}), 0u);
  const uint32_t ended = calls->Word(endingHandle);
  EXPECT_EQ(Call(55, {3, ended}), 0u);
  EXPECT_EQ(calls->Load(ended), 0u);
  const uint32_t live = calls->Word(runningHandle);
  EXPECT_EQ(Call(55, {3, live}), 1u);
  EXPECT_EQ(calls->Load(live), 0u);
  EXPECT_EQ(running->stops, 1);
  EXPECT_EQ(Call(55, {3, 0}), 0u);
}

// Sprites show their pictures through the pixel-operation library.
class PixelOpScope {
 public:
  PixelOpScope() { SetCurrentPixelOpLibrary(&library); }
  ~PixelOpScope() {
    SetCurrentPixelOpLibrary(nullptr);
    ResetPixelOpEntries();
  }
  PixelOpLibrary library{"tvpgl.dll", nullptr, false};
};

TEST_F(SaveLoadNativesTest, ZoomingASpriteSizesItToItsScale) {
  PixelOpScope pixelOps;
  ASSERT_TRUE(pixelOps.library.HasModule()) << pixelOps.library.Error();
  Surface picture;
  ASSERT_EQ(picture.Create(100, 60, 32, 0), 0);
  ImageSprite sprite;
  ASSERT_EQ(sprite.SetImage(&picture, nullptr, 10, 20), 0);
  constexpr uint32_t kSprite = 77;
  port.resolveSprite = [&sprite](uint32_t handle) { return handle == kSprite ? &sprite : nullptr; };
  // Modes above 1 and unknown sprites start nothing.
  EXPECT_EQ(Call(51, {kSprite, 2, 200, Text("0.5"), 0}), 0u);
  EXPECT_EQ(Call(51, {5, 0, 200, Text("0.5"), 0}), 0u);
  EXPECT_EQ(list.Size(), 0u);
  const uint32_t action = Call(51, {kSprite, 0, 200, Text("0.5"), 0});
  ASSERT_NE(action, 0u);
  EXPECT_EQ(Call(55, {2, action}), 1u);
  Run(200);
  EXPECT_EQ(sprite.GetDisplayWidth(), 50);
  EXPECT_EQ(sprite.GetDisplayHeight(), 30);
  // Shrunk from mode 0, it keeps its right and bottom edges.
  EXPECT_EQ(sprite.GetX(), 60);
  EXPECT_EQ(sprite.GetY(), 50);
  EXPECT_EQ(list.Size(), 0u);
}

class BgmTest : public SaveLoadNativesTest {
 protected:
  void SetUp() override {
    SaveLoadNativesTest::SetUp();
    WriteMono16("BGM/BGM07A.OGG", intro);
    WriteMono16("BGM/BGM07B.OGG", loop);
    WriteMono16("BGM/BGM03.OGG", single);
  }
  const std::vector<int16_t> intro = Ramp(Frames(300), 11);
  const std::vector<int16_t> loop = Ramp(Frames(400), 23);
  const std::vector<int16_t> single = Ramp(Frames(200), 37);
};

TEST_F(BgmTest, ANumberWithoutASingleFilePlaysItsIntroThenLoopsItsSecondPart) {
  EXPECT_EQ(Bgm(7, 0), 0u);
  EXPECT_EQ(Call(55, {1}), 7u);
  EXPECT_EQ(sound.ActiveMusic().intro, "BGM\\BGM07A.OGG");
  EXPECT_EQ(sound.ActiveMusic().file, "BGM\\BGM07B.OGG");
  const auto heard = Left(Hear(1500));
  EXPECT_EQ(FirstDifference(heard, IntroThenLoop(intro, loop, heard.size())), "same");
  // A number with its own file plays that alone.
  EXPECT_EQ(Bgm(3, 0), 0u);
  EXPECT_EQ(sound.ActiveMusic().file, "BGM\\BGM03.OGG");
  EXPECT_FALSE(sound.ActiveMusic().intro.has_value());
}

TEST_F(BgmTest, TheSameNumberTwiceDoesNothingButZeroStopsAgain) {
  ASSERT_EQ(Bgm(3, 0), 0u);
  Hear(100);
  const uint32_t before = sound.ActiveMusic().sound.GetPositionMs();
  EXPECT_EQ(Bgm(3, 500), 0u);
  EXPECT_EQ(list.Size(), 0u);
  EXPECT_GE(sound.ActiveMusic().sound.GetPositionMs(), before);
  EXPECT_EQ(Bgm(0, 0), 0u);
  EXPECT_FALSE(sound.IsMusicActive());
  // Music started behind the number's back stops on the second 0 as well.
  ASSERT_EQ(sound.PlayMusic("BGM\\BGM03.OGG", nullptr, true), 0);
  EXPECT_EQ(Bgm(0, 0), 0u);
  EXPECT_FALSE(sound.IsMusicActive());
}

TEST_F(BgmTest, FadesInFromSilenceAndCrossFadesFromMusic) {
  EXPECT_EQ(Bgm(3, 200), 0u);
  EXPECT_EQ(sound.musicFadeState, kMusicFadingIn);
  Run(300);
  EXPECT_EQ(sound.musicFadeState, kMusicNoFade);
  EXPECT_EQ(Bgm(7, 200), 0u);
  EXPECT_EQ(sound.musicFadeState, kMusicCrossFading);
  Run(300);
  EXPECT_EQ(sound.ActiveMusic().file, "BGM\\BGM07B.OGG");
  // 0 with a fade time fades the music out.
  EXPECT_EQ(Bgm(0, 200), 0u);
  EXPECT_EQ(sound.musicFadeState, kMusicFadingOut);
  Run(300);
  EXPECT_FALSE(sound.IsMusicActive());
}

TEST_F(BgmTest, AFailedStartKeepsTheNumberSoItCanBeTriedAgain) {
  ASSERT_EQ(Bgm(3, 0), 0u);
  EXPECT_EQ(Bgm(9, 0), 1u);
  EXPECT_EQ(Call(55, {1}), 3u);
  EXPECT_EQ(Bgm(9, 100), 0u);
  EXPECT_EQ(Call(55, {1}), 3u);
  WriteMono16("BGM/BGM09.OGG", single);
  EXPECT_EQ(Bgm(9, 0), 0u);
  EXPECT_EQ(Call(55, {1}), 9u);
}

}  // namespace
}  // namespace orrivel
