#include "game/GameApplication.h"

#include <cstring>

#include "base/DefaultActionBindings.h"
#include "base/StartupHooks.h"
#include "platform/Backend.h"
#include "raster/BlendTables.h"
#include "raster/KernelFlags.h"
#include "resource/BaseFolder.h"
#if __has_include("base/ProcessorInfo.h")
#include "base/ProcessorInfo.h"
#define ORRIVEL_HAS_PROCESSOR_INFO 1
#endif

namespace orrivel {

using namespace platform;

GameApplication::GameApplication() {
  InitBaseFolder();
  baseFolder = BaseFolder();
  // The start-up steps that live in the libraries above the framework.
  StartupHooks& hooks = GetStartupHooks();
  hooks.buildBlendTables = [] { BuildBlendTables(); };
#ifdef ORRIVEL_HAS_PROCESSOR_INFO
  hooks.identifyProcessor = [] { IdentifyProcessor(); };
  hooks.maskProcessorFeatures = [](bool cmov, bool mmx, bool sse, bool sse2) {
    ProcessorInfo& cpu = Processor();
    if (!cmov) cpu.cmov = false;
    if (!mmx) cpu.mmx = cpu.mmxPlus = false;
    if (!sse) cpu.sse = cpu.integerSse = false;
    if (!sse2) cpu.sse2 = false;
    SetMmxFlag(cpu.mmx);
  };
#else
  // Until the processor record exists, the packed kernels stay off.
  hooks.maskProcessorFeatures = [](bool, bool, bool, bool) { SetMmxFlag(false); };
#endif
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

int GameApplication::CreateDevices() {
  InputManager& input = Input();
  if (input.CreateActionMap(20, &actions) == 0) InstallDefaultBindings(*actions);
  input.SetJoysticksEnabled(useJoystick != 0);
  if (MouseDevice* mouse = input.Mouse()) {
    mouse->SetCursorShape(0, 0, 0);
    if (!keepSystemCursor) mouse->SetCursorState(0, kNoWindow, 0);
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
    Input().Update();
    if (frameLimit != 0 && framesRun == frameLimit) {
      closedByLimit = true;
      mainWindow.PostWindowMessage(WM_CLOSE, 0, 0);
    }
    backend.WaitMessage(kFrameMs);
  }
}

}  // namespace orrivel
