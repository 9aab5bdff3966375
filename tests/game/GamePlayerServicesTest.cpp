// What the text-adventure frame's player actions reach of the running
// game: quick saves into their group, a quick load chosen only when its
// file reads whole, the automatic save and the snapshot of a choice, the
// main window's modal state and its switches, which enable the system
// menu's items as they grey the main window's menu bar.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>

#include "../frame/FramePictures.h"
#include "GameNativeCalls.h"
#include "StoryGame.h"
#include "TobCompiler.h"
#include "frame/TgsFrame.h"
#include "frame/TgsFrameNatives.h"
#include "frame/TgsPlayerServices.h"
#include "frame/TgsSystemMenu.h"
#include "game/ConfirmBox.h"
#include "game/GameMenu.h"
#include "game/GamePlayerServices.h"
#include "natives/NativeCatalog.h"
#include "natives/ProcessObjects.h"
#include "natives/SaveService.h"
#include "natives/SystemNativePort.h"
#include "platform/PathResolver.h"
#include "scene/ButtonControl.h"
#include "script/NativeArgs.h"

namespace orrivel {
namespace {

using testing::StoryGameTest;

class GamePlayerServicesTest : public StoryGameTest {
 protected:
  // The run's process-wide objects and box, as the program builds them.
  GamePlayerServicesTest() {
    previousObjects_ = SetProcessObjects(&objects_);
    previousBox_ = SetConfirmBox(&box_);
  }
  ~GamePlayerServicesTest() override {
    SetConfirmBox(previousBox_);
    SetProcessObjects(previousObjects_);
  }

  static std::filesystem::path SaveFolder(GameApplication& app) {
    return *platform::ResolveHostPath(app.GetSaveFolder(), platform::ResolveMode::Existing);
  }
  static std::string ChosenFile() { return GetProcessObjects()->SaveFileName(); }

 private:
  ProcessObjects objects_;
  ConfirmBox box_;
  ProcessObjects* previousObjects_ = nullptr;
  ConfirmBox* previousBox_ = nullptr;
};

TEST_F(GamePlayerServicesTest, QuickSavesGoToTheirSlotsAndALoadIsChosenOnlyWhenItsFileReadsWhole) {
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    TgsPlayerServices& player = app.scripts->TextFrame().environment.player;
    ASSERT_TRUE(player.quickSave && player.selectQuickLoad && player.autoSave && player.snapshotState);
    const std::filesystem::path folder = SaveFolder(app);
    GetProcessObjects()->StoreFileNameString(nullptr);

    // Nothing saved yet: no quick save to load, and nothing chosen.
    EXPECT_EQ(player.selectQuickLoad(-1), TgsPlayerServices::kQuickLoadMissing);
    EXPECT_EQ(player.selectQuickLoad(0), TgsPlayerServices::kQuickLoadMissing);
    EXPECT_EQ(ChosenFile(), "");

    // F1 with the modifier writes quick slot 0; the plain quick save the ring.
    ASSERT_TRUE(player.quickSave(0));
    EXPECT_TRUE(std::filesystem::exists(folder / "DATA1100.SAV"));
    ASSERT_TRUE(player.quickSave(-1));
    EXPECT_TRUE(std::filesystem::exists(folder / "DATA1105.SAV"));

    ASSERT_EQ(player.selectQuickLoad(0), TgsPlayerServices::kQuickLoadChosen);
    EXPECT_NE(ChosenFile().find("DATA1100.SAV"), std::string::npos) << ChosenFile();
    ASSERT_EQ(player.selectQuickLoad(-1), TgsPlayerServices::kQuickLoadChosen);
    EXPECT_NE(ChosenFile().find("DATA1105.SAV"), std::string::npos) << ChosenFile();
    // The chosen file is the one the scripts' load with a negative group reads.
    EXPECT_EQ(SystemSaves().LoadSave(-1, 0), 0);

    // A quick save cut short is not chosen: the previous choice stays.
    const std::filesystem::path slot0 = folder / "DATA1100.SAV";
    std::filesystem::resize_file(slot0, std::filesystem::file_size(slot0) - 1);
    EXPECT_EQ(player.selectQuickLoad(0), TgsPlayerServices::kQuickLoadDamaged);
    EXPECT_NE(ChosenFile().find("DATA1105.SAV"), std::string::npos) << ChosenFile();

    // A choice point's automatic save goes to the automatic ring, its
    // snapshot into memory.
    ASSERT_TRUE(player.autoSave());
    EXPECT_TRUE(std::filesystem::exists(folder / "DATA1000.SAV"));
    SystemSaves().DiscardStateSnapshot();
    ASSERT_TRUE(player.snapshotState());
    EXPECT_TRUE(SystemSaves().HasStateSnapshot());
  });
}

TEST_F(GamePlayerServicesTest, TheWindowsModalStateAndTitleSwitchReachTheFrame) {
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    TgsPlayerServices& player = app.scripts->TextFrame().environment.player;
    ASSERT_TRUE(player.modalState && player.titleAllowed && player.confirm && player.notice);
    EXPECT_EQ(player.modalState(), app.windowCommands.ModalCommand());
    // Back to the title is off until the scripts switch it on.
    EXPECT_EQ(player.titleAllowed(),
              app.windowCommands.SwitchState(GameWindowCommands::kSwitchReturnToTitle) != 0);
    // Without an open frame there is no layer to ask on: the question
    // cannot be shown, and a notice shows nowhere without failing.
    EXPECT_EQ(player.confirm("よろしいですか？"), -1);
    player.notice("クイックセーブを実行しました", 100);
  });
}

// A system menu that keeps which items it was told to enable and is
// dismissed on its first frame.
class EnabledItemsPort final : public TgsSystemMenuPort {
 public:
  std::map<int32_t, bool> enabled;

  int Pump() override { return 1; }
  void OpenControls() override {}
  void CloseControls() override {}
  int32_t LoadItems() override { return TgsSystemMenu::kItems; }
  void PlaceItems(int32_t, int32_t) override {}
  bool PlaceBase(int32_t, int32_t) override { return true; }
  void FreeBase() override {}
  void SetItemEnabled(int32_t item, bool on) override { enabled[item] = on; }
  void SetItemState(int32_t, bool) override {}
  void SetItemName(int32_t, const char*) override {}
  void ItemPosition(int32_t, int32_t& left, int32_t& top) override { left = top = 0; }
  void PointerPosition(int32_t& x, int32_t& y) override { x = 500, y = 300; }
  int32_t PointerEdge() override { return 0; }
  void PlaySound(int32_t) override {}
  bool MakeFade() override { return false; }
  void FadeParts(bool) override {}
  bool FadeFinished() override { return true; }
  void DeleteFade() override {}
  void FocusItem(int32_t) override {}
  int32_t GlidePointer(int32_t, int32_t, uint32_t) override { return 0; }
  int32_t UpdateControls() override { return -1; }
  void ResetActivation() override {}
  bool DismissPressed() override { return true; }
  bool LeftPressedOutside() override { return false; }
  int32_t Confirm(const std::string&, bool) override { return 0; }
  void Notice(const std::string&, int32_t) override {}
  bool QuickSave() override { return false; }
  std::optional<std::string> QuickSaveCaption() override { return std::nullopt; }
  std::optional<std::string> QuickSaveFileName() override { return std::nullopt; }
  bool QuickSaveDamaged() override { return false; }
  void SetCurrentSaveFile(const std::string&) override {}
  void QuitFade() override {}
  void RequestQuit() override {}
  void RestartAutoTimer() override {}
  void Log(const std::string&) override {}
};

TEST_F(GamePlayerServicesTest, TheScriptsSwitchesEnableTheSystemMenusItemsAndTheMenuBar) {
  constexpr uint32_t kSetAppOption = 1;
  constexpr uint32_t kFirstMenuOption = 7;  // settings, save, load, title
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    // Save, load and back to the title start switched off; settings on.
    EXPECT_FALSE(Enabled(app, kCommandSave));
    EXPECT_FALSE(Enabled(app, kCommandLoad));
    EXPECT_FALSE(Enabled(app, kCommandReturnToTitle));
    EXPECT_TRUE(Enabled(app, kCommandSettings));

    TgsNativeContext& context = app.scripts->TextFrame();
    EnabledItemsPort port;
    TgsFrameEnvironment environment = context.environment;
    environment.systemMenu = &port;
    TgsFrame frame(*context.space, environment);

    struct Case {
      std::array<bool, 4> switches;  // settings, save, load, title
      std::map<int32_t, bool> items;  // system menu items 5 to 10
    };
    const Case cases[] = {
        {{true, false, false, false}, {{5, false}, {6, false}, {7, false}, {8, false}, {9, true}, {10, false}}},
        {{true, true, false, false}, {{5, true}, {6, false}, {7, true}, {8, false}, {9, true}, {10, false}}},
        {{true, false, true, false}, {{5, false}, {6, true}, {7, false}, {8, true}, {9, true}, {10, false}}},
        {{false, true, true, true}, {{5, true}, {6, true}, {7, true}, {8, true}, {9, false}, {10, true}}},
        {{false, false, false, true}, {{5, false}, {6, false}, {7, false}, {8, false}, {9, false}, {10, true}}},
    };
    for (const Case& c : cases) {
      for (uint32_t i = 0; i < 4; ++i)
        testing::CallNative(*app.scripts, kSetAppOption, {kFirstMenuOption + i, c.switches[i] ? 1u : 0u});
      port.enabled.clear();
      EXPECT_EQ(frame.ShowSystemMenu(), TgsSystemMenu::kDismissed);
      std::map<int32_t, bool> items;
      for (int32_t item = 5; item <= 10; ++item) items[item] = port.enabled[item];
      EXPECT_EQ(items, c.items) << c.switches[0] << c.switches[1] << c.switches[2] << c.switches[3];
      // The main window's menu bar follows the same switches.
      EXPECT_EQ(Enabled(app, kCommandSettings), c.switches[0]);
      EXPECT_EQ(Enabled(app, kCommandSettingsFromMenu), c.switches[0]);
      EXPECT_EQ(Enabled(app, kCommandSave), c.switches[1]);
      EXPECT_EQ(Enabled(app, kCommandLoad), c.switches[2]);
      EXPECT_EQ(Enabled(app, kCommandReturnToTitle), c.switches[3]);
    }
  });
}

// The scripts' switches reach the bar buttons of a running frame at its
// next frame step: saving, loading and the settings switched off by the
// script native grey their buttons (and the keys of their actions), and
// switched on enable them again; the other buttons stay as they were.
TEST_F(GamePlayerServicesTest, TheScriptsSwitchesReachTheBarButtonsOfARunningFrame) {
  constexpr uint32_t kSetAppOption = 1;
  constexpr uint32_t kFirstMenuOption = 7;  // settings, save, load
  // The module the frame plays and the pictures and layout of its bar.
  WriteStory("module T\n[message 0]Hello\n");
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_TRUE(app.scripts);
    GameScriptHost& host = *app.scripts;
    // The frame as a script makes it, on its own canvases, playing "T".
    TgsFrame* frame = OpenFrame(host);
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->LoadScriptByName("T"), 0);
    ASSERT_EQ(frame->BeginRun(false), 0);
    const auto set = [&](std::array<bool, 3> switches) {
      for (uint32_t i = 0; i < 3; ++i)
        testing::CallNative(host, kSetAppOption, {kFirstMenuOption + i, switches[i] ? 1u : 0u});
    };
    // The buttons each switch gates, and ones it does not.
    const uint32_t gated[3][2] = {{TgsFrame::kSettings, TgsFrame::kSettings},
                                  {TgsFrame::kQuickSave, TgsFrame::kSave},
                                  {TgsFrame::kQuickLoad, TgsFrame::kLoad}};
    const uint32_t ungated[] = {TgsFrame::kSkipToChoice, TgsFrame::kAutoPlay, TgsFrame::kHideWindow};
    // The run began with save and load off, settings on; each row is a
    // change made while it plays.
    const std::array<bool, 3> rows[] = {
        {true, true, false}, {true, true, true}, {false, true, true}, {false, false, false}, {true, false, true}};
    for (const auto& row : rows) {
      SCOPED_TRACE(std::to_string(row[0]) + std::to_string(row[1]) + std::to_string(row[2]));
      set(row);
      frame->PumpOneFrame();
      for (uint32_t i = 0; i < 3; ++i)
        for (uint32_t b : gated[i]) {
          EXPECT_EQ(frame->ButtonState(b), row[i] ? 1 : 0) << b;
          ASSERT_NE(frame->BarButtonControl(b), nullptr) << b;
          EXPECT_EQ(frame->BarButtonControl(b)->IsEnabled(), row[i]) << b;
        }
      for (uint32_t b : ungated) {
        EXPECT_EQ(frame->ButtonState(b), 1) << b;
        EXPECT_TRUE(frame->BarButtonControl(b)->IsEnabled()) << b;
      }
    }
    // A greyed button's action does nothing, from its key as from a click.
    EXPECT_EQ(frame->RunPlayerAction(int32_t(TgsFrame::kQuickSave)), 0);
    EXPECT_EQ(frame->EndRun(), 0);
  });
}

}  // namespace
}  // namespace orrivel
