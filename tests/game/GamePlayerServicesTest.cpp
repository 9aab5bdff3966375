// What the text-adventure frame's player actions reach of the running
// game: quick saves into their group, a quick load chosen only when its
// file reads whole, the automatic save and the snapshot of a choice, the
// main window's modal state and its return-to-title switch.
#include <gtest/gtest.h>

#include <filesystem>

#include "RunningGame.h"
#include "frame/TgsFrameNatives.h"
#include "frame/TgsPlayerServices.h"
#include "game/ConfirmBox.h"
#include "game/GamePlayerServices.h"
#include "natives/ProcessObjects.h"
#include "natives/SaveService.h"
#include "natives/SystemNativePort.h"
#include "platform/PathResolver.h"

namespace orrivel {
namespace {

using testing::RunningGameTest;

class GamePlayerServicesTest : public RunningGameTest {
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
    EXPECT_FALSE(player.selectQuickLoad(-1));
    EXPECT_FALSE(player.selectQuickLoad(0));
    EXPECT_EQ(ChosenFile(), "");

    // F1 with the modifier writes quick slot 0; the plain quick save the ring.
    ASSERT_TRUE(player.quickSave(0));
    EXPECT_TRUE(std::filesystem::exists(folder / "DATA1100.SAV"));
    ASSERT_TRUE(player.quickSave(-1));
    EXPECT_TRUE(std::filesystem::exists(folder / "DATA1105.SAV"));

    ASSERT_TRUE(player.selectQuickLoad(0));
    EXPECT_NE(ChosenFile().find("DATA1100.SAV"), std::string::npos) << ChosenFile();
    ASSERT_TRUE(player.selectQuickLoad(-1));
    EXPECT_NE(ChosenFile().find("DATA1105.SAV"), std::string::npos) << ChosenFile();
    // The chosen file is the one the scripts' load with a negative group reads.
    EXPECT_EQ(SystemSaves().LoadSave(-1, 0), 0);

    // A quick save cut short is not chosen: the previous choice stays.
    const std::filesystem::path slot0 = folder / "DATA1100.SAV";
    std::filesystem::resize_file(slot0, std::filesystem::file_size(slot0) - 1);
    EXPECT_FALSE(player.selectQuickLoad(0));
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

}  // namespace
}  // namespace orrivel
