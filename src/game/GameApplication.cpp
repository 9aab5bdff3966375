#include "game/GameApplication.h"

#include <cstring>

#include "platform/Backend.h"
#include "resource/BaseFolder.h"

namespace orrivel {

using namespace platform;

GameApplication::GameApplication() {
  InitBaseFolder();
  baseFolder = BaseFolder();
}

int GameApplication::Configure() {
  if (int result = Application::Configure(); result != 0) return result;
  appInfo[0] = "ORRIVEL";
  // "/Lfolder" names the game folder.
  if (commandLine && commandLine[0] == '/' && (commandLine[1] == 'L' || commandLine[1] == 'l')) {
    SetBaseFolder(commandLine + 2);
    baseFolder = BaseFolder();
  }
  return 0;
}

void GameApplication::MainLoop() {
  Backend& backend = CurrentBackend();
  constexpr uint32_t kFrameMs = 16;
  for (;;) {
    if (PumpMessages(false) == 1 || quitSeen || errorCode != 0) break;
    if (!mainWindow.IsValid()) break;
    ++framesRun;
    if (frameLimit != 0 && framesRun == frameLimit) {
      closedByLimit = true;
      mainWindow.PostWindowMessage(WM_CLOSE, 0, 0);
    }
    backend.WaitMessage(kFrameMs);
  }
}

}  // namespace orrivel
