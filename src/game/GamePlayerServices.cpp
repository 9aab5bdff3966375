#include "game/GamePlayerServices.h"

#include "base/TimerList.h"
#include "frame/TgsFrame.h"
#include "frame/TgsFrameNatives.h"
#include "frame/TgsPlayerServices.h"
#include "game/ConfirmBox.h"
#include "game/GameApplication.h"
#include "game/GameSaveService.h"
#include "natives/ProcessObjects.h"
#include "natives/SaveService.h"
#include "natives/SystemNativePort.h"
#include "platform/TextCodec.h"
#include "scene/CanvasDrawObject.h"
#include "scene/ControlHost.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

namespace {

// The box's question with its OK and CANCEL buttons, centred, the pointer
// brought to OK.
constexpr int32_t kOkCancel = 1;
constexpr int32_t kCentred = -1;
constexpr int32_t kFirstButton = 0;
constexpr int32_t kBoxYes = 1;
// Settings byte: "skip read text only".
constexpr size_t kSettingSkipReadOnly = 5;

int32_t Confirm(GameApplication& app, const std::string& utf8) {
  ConfirmBox* box = GetConfirmBox();
  SpriteList* list = app.FrameWindowList();
  if (box == nullptr || list == nullptr) return -1;
  const std::string text = platform::Utf8ToCp932Lossy(utf8);
  const int32_t answer = box->Run(kOkCancel, text.c_str(), kCentred, kCentred, kFirstButton, list);
  // The box's button answered the box: the waiting page must not take its
  // tag for a bar button of its own.
  if (ControlHost* host = box->GetPorts().host) host->SetSelected(-1);
  if (answer < 0) return -1;
  return answer == kBoxYes ? 1 : 0;
}

void Notice(GameApplication& app, const std::string& utf8, uint32_t ms) {
  ConfirmBox* box = GetConfirmBox();
  if (box == nullptr) return;
  // A notice that shows nowhere yet goes onto the frame's layer.
  if (box->NoticeSprite().OwningList() == nullptr) {
    if (SpriteList* list = app.FrameWindowList()) list->Add(&box->NoticeSprite(), ConfirmBox::kNoticeOrder, 0);
  }
  box->Open(platform::Utf8ToCp932Lossy(utf8).c_str(), ms);
}

// The settings sheet: 1 when it changed the settings (the page is laid
// out again with them), 0 when it closed without a change.
int32_t ShowSettings(GameApplication& app, bool& skipReadChanged) {
  AppSettings::AppConfigBlock& block = app.settings.blocks.appConfig;
  const AppSettings::AppConfigBlock before = block;
  app.ShowSettingsSheet();
  skipReadChanged = block[kSettingSkipReadOnly] != before[kSettingSkipReadOnly];
  if (block == before) return 0;
  if (TgsFrame* frame = app.scripts ? app.scripts->TextFrameSlot().frame.get() : nullptr)
    frame->ApplySettings(true, true, true, true);
  return 1;
}

// Pauses or resumes the box's running notice on the list it runs on; a
// resume without a matching pause changes nothing.
void HoldNotice(bool hold) {
  ConfirmBox* box = GetConfirmBox();
  TimedTask* notice = box ? box->GetResult() : nullptr;
  TimerList* timers = box ? box->GetPorts().timers : nullptr;
  if (notice == nullptr || timers == nullptr) return;
  if (hold)
    timers->PauseTask(notice->Handle());
  else
    timers->ResumeTask(notice->Handle());
}

}  // namespace

namespace {

// The whole file is read and checked against the running game while the
// story can still go on: once it is left, a save that cannot be restored
// would leave nothing to go back to.
int32_t CheckLoadChoice(const std::string& path) {
  const int32_t code = CheckSaveBeforeLoad(SystemSaves(), path);
  if (code == kSaveFileNotOpened) return TgsPlayerServices::kQuickLoadMissing;
  return code == kSaveFileOk ? TgsPlayerServices::kQuickLoadChosen : TgsPlayerServices::kQuickLoadDamaged;
}

}  // namespace

int32_t SelectQuickLoad(int32_t slot) {
  std::string path;
  if (SystemSaves().MakeSaveFileName(GameSaveService::kQuickGroup, slot, &path) != 0)
    return TgsPlayerServices::kQuickLoadMissing;
  if (const int32_t choice = CheckLoadChoice(path); choice != TgsPlayerServices::kQuickLoadChosen) return choice;
  ProcessObjects* objects = GetProcessObjects();
  if (objects == nullptr) return TgsPlayerServices::kQuickLoadMissing;
  objects->StoreFileNameString(path.c_str());
  return TgsPlayerServices::kQuickLoadChosen;
}

int32_t CheckChosenLoad() {
  ProcessObjects* objects = GetProcessObjects();
  const std::string path = objects ? objects->SaveFileName() : std::string();
  return path.empty() ? TgsPlayerServices::kQuickLoadMissing : CheckLoadChoice(path);
}

void FillGamePlayerServices(GameApplication& app, TgsPlayerServices& player) {
  player.modalState = [&app] { return app.windowCommands.ModalCommand(); };
  // Where the pointer left the game, as the frame pump's window update
  // found it (0 over the game; 2 off its bottom edge, which may hide the
  // message window).
  player.windowState = [&app] { return app.cursorZone; };
  player.titleAllowed = [&app] {
    return app.windowCommands.SwitchState(GameWindowCommands::kSwitchReturnToTitle) != 0;
  };
  player.settingsAllowed = [&app] {
    return app.windowCommands.SwitchState(GameWindowCommands::kSwitchSettings) != 0;
  };
  player.modalScreenMenu = [&app](bool open) { app.windowCommands.SetFrameScreenOpen(open); };
  player.confirm = [&app](const std::string& utf8) { return Confirm(app, utf8); };
  player.notice = [&app](const std::string& utf8, uint32_t ms) { Notice(app, utf8, ms); };
  player.quickSave = [](int32_t slot) { return SystemSaves().WriteSave(GameSaveService::kQuickGroup, slot) == 0; };
  player.selectQuickLoad = SelectQuickLoad;
  player.checkChosenLoad = CheckChosenLoad;
  player.autoSave = [] { return SystemSaves().WriteSave(GameSaveService::kAutoGroup, -1) == 0; };
  player.snapshotState = [] { return SystemSaves().TakeStateSnapshot() == 0; };
  player.hasSnapshot = [] { return SystemSaves().HasStateSnapshot(); };
  player.holdNotice = HoldNotice;
  player.settingsScreen = [&app](bool& skipReadChanged) { return ShowSettings(app, skipReadChanged); };
}

}  // namespace orrivel
