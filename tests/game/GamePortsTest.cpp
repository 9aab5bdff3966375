// Every port and hook the running game fills for its natives, its text
// frame and its controls: none is left empty, so no service silently does
// nothing in the program.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "GameNativeCalls.h"
#include "RunningGame.h"
#include "frame/TgsFrame.h"
#include "frame/TgsFrameNatives.h"
#include "game/GameSystemMenuPort.h"
#include "natives/AppNativePort.h"
#include "natives/GameControlHost.h"
#include "natives/ShellNativePort.h"
#include "natives/SystemNativePort.h"
#include "scene/ControlFactory.h"

namespace orrivel {
namespace {

using testing::CallNative;
using testing::ProgramObjects;
using testing::RunningGameTest;

using Slots = std::vector<std::pair<const char*, bool>>;

// The names of the slots that are empty.
std::vector<std::string> Empty(const Slots& slots) {
  std::vector<std::string> empty;
  for (const auto& [name, filled] : slots) {
    if (!filled) empty.push_back(name);
  }
  return empty;
}

Slots AppSlots(const AppNativePort& p) {
  return {{"requestScreenMode", bool(p.requestScreenMode)},
          {"prepareFullScreen", bool(p.prepareFullScreen)},
          {"requestWindowSize", bool(p.requestWindowSize)},
          {"reapplyWindowMode", bool(p.reapplyWindowMode)},
          {"centreWindowOnWorkArea", bool(p.centreWindowOnWorkArea)},
          {"windowOptionsChanged", bool(p.windowOptionsChanged)},
          {"applyMenuState", bool(p.applyMenuState)},
          {"setKeyboardHook", bool(p.setKeyboardHook)},
          {"beginForcedVSync", bool(p.beginForcedVSync)},
          {"endForcedVSync", bool(p.endForcedVSync)},
          {"beginMillisecondPacing", bool(p.beginMillisecondPacing)},
          {"endMillisecondPacing", bool(p.endMillisecondPacing)},
          {"enterLowPriority", bool(p.enterLowPriority)},
          {"leaveLowPriority", bool(p.leaveLowPriority)},
          {"applyFramePacing", bool(p.applyFramePacing)},
          {"runMenuCommand", bool(p.runMenuCommand)},
          {"sendWindowCommand", bool(p.sendWindowCommand)},
          {"forwardMenuState", bool(p.forwardMenuState)},
          {"setClipboard", bool(p.setClipboard)},
          {"askText", bool(p.askText)},
          {"showError", bool(p.showError)},
          {"applyMessageColours", bool(p.applyMessageColours)},
          {"saveFrameReadFlags", bool(p.saveFrameReadFlags)},
          {"dropTarget", p.dropTarget != nullptr},
          {"enableFileDrop", bool(p.enableFileDrop)}};
}

Slots SystemSlots(const SystemNativePort& p) {
  return {{"saves", p.saves != nullptr},
          {"soundSystem", p.soundSystem != nullptr},
          {"confirmBox", p.confirmBox != nullptr},
          {"confirmFont", p.confirmFont != nullptr},
          {"openNotice", bool(p.openNotice)},
          {"moveCursorTo", bool(p.moveCursorTo)},
          {"runBox", bool(p.runBox)},
          {"resolveSprite", bool(p.resolveSprite)},
          {"restoreFrameMenu", bool(p.restoreFrameMenu)}};
}

Slots ShellSlots(const ShellNativePort& p) {
  return {{"messageBox", bool(p.messageBox)}, {"dialogRequest", bool(p.dialogRequest)}};
}

Slots PlayerSlots(const TgsPlayerServices& p) {
  return {{"takeFiredTag", bool(p.takeFiredTag)},
          {"modalState", bool(p.modalState)},
          {"windowState", bool(p.windowState)},
          {"confirm", bool(p.confirm)},
          {"notice", bool(p.notice)},
          {"quickSave", bool(p.quickSave)},
          {"selectQuickLoad", bool(p.selectQuickLoad)},
          {"checkChosenLoad", bool(p.checkChosenLoad)},
          {"autoSave", bool(p.autoSave)},
          {"snapshotState", bool(p.snapshotState)},
          {"hasSnapshot", bool(p.hasSnapshot)},
          {"holdNotice", bool(p.holdNotice)},
          {"settingsScreen", bool(p.settingsScreen)},
          {"titleAllowed", bool(p.titleAllowed)},
          {"settingsAllowed", bool(p.settingsAllowed)},
          {"modalScreenMenu", bool(p.modalScreenMenu)}};
}

// The system menu's services; the canvas, the save files and the clock
// stand empty on purpose: the screen's current canvas, the game's saves as
// they are when asked, and the tick count.
Slots SystemMenuSlots(const GameSystemMenuPort::Services& s) {
  return {{"host", s.host != nullptr},
          {"factory", s.factory != nullptr},
          {"layoutControls", s.layoutControls != nullptr},
          {"layout", s.layout != nullptr},
          {"currentCanvas", bool(s.currentCanvas)},
          {"timers", s.timers != nullptr},
          {"box", s.box != nullptr},
          {"pump", bool(s.pump)},
          {"takeActivated", bool(s.takeActivated)},
          {"pointerEdge", bool(s.pointerEdge)},
          {"playSound", bool(s.playSound)},
          {"restoreMenuState", bool(s.restoreMenuState)},
          {"setCurrentSaveFile", bool(s.setCurrentSaveFile)},
          {"quitFade", bool(s.quitFade)},
          {"requestQuit", bool(s.requestQuit)},
          {"restartAutoTimer", bool(s.restartAutoTimer)},
          {"log", bool(s.log)}};
}

class GamePortsTest : public RunningGameTest {};

TEST_F(GamePortsTest, TheRunningGameLeavesNoSlotOfItsPortsEmpty) {
  ProgramObjects program;
  GameApplication app;
  RunWith(app, [&] {
    ASSERT_NE(app.scripts, nullptr);
    EXPECT_EQ(Empty(AppSlots(AppPort())), std::vector<std::string>{});
    EXPECT_EQ(Empty(SystemSlots(SystemPort())), std::vector<std::string>{});
    EXPECT_EQ(Empty(ShellSlots(ShellPort())), std::vector<std::string>{});

    // The controls the scripts make type, blink and compose through the
    // game, and the host reaches the application, its keys and its sounds.
    ControlFactory& factory = program.objects.Controls();
    EXPECT_NE(factory.textEntryTimers, nullptr);
    EXPECT_NE(factory.imeContext, nullptr);
    GameControlHost& host = program.objects.ControlHost();
    EXPECT_EQ(host.App(), &app);
    EXPECT_EQ(host.TextInput(), &app.textInput);
    EXPECT_NE(host.GetActionMap(), nullptr);

    // A text frame a script makes gets the player's services and the
    // system menu of the game.
    ASSERT_EQ(CallNative(*app.scripts, 788, {0, 0, 0}), 0u);
    TgsFrame* frame = app.scripts->TextFrameSlot().frame.get();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(Empty(PlayerSlots(frame->Environment().player)), std::vector<std::string>{});
    auto* menu = dynamic_cast<GameSystemMenuPort*>(frame->Environment().systemMenu);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Empty(SystemMenuSlots(menu->GetServices())), std::vector<std::string>{});
  });
}

}  // namespace
}  // namespace orrivel
