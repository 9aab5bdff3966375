// The worker-thread mode of the game application: the main thread runs the
// plain message loop, and the scripts boot, step and end here, on the
// application's worker, which tells the main window when they are done.
#include "game/GameApplication.h"

namespace orrivel {

int GameApplication::JobBegin() {
  bootResult = BootScripts();
  if (bootResult != 0) scripts.reset();
  else PublishScriptRoots();
  return bootResult;
}

void GameApplication::PublishScriptRoots() {
  scriptRootsBeside_.Publish(scripts ? scripts->LooseFiles()->Snapshot() : nullptr);
}

int GameApplication::JobStep() {
  // The worker is the scripts' thread: what it does for them between their
  // natives reads files by their names only inside their roots, as on the
  // main thread's loop.
  const ScopedLooseFileGuard guarded(scripts->LooseFiles());
  // The roots as the last step's natives left them (the destinations the
  // player chose in their file dialogs, the save folder).
  PublishScriptRoots();
  const int steps = PumpFrame();
  if (steps == 0) {
    if (pendingInterrupt == 0 || endRequested || !worker.CanContinue()) return 1;
  }
  for (int i = 0; i < steps; ++i) {
    scriptResult = scripts->Step();
    ++scriptSteps;
    if (!ReportScriptStep(scriptResult)) return scriptResult == ScriptHost::kStepEnded ? -1 : scriptResult + 1;
    // An interrupt set during the step starts before the next one.
    if (pendingInterrupt != 0) break;
  }
  if (pendingInterrupt == 0) return 0;
  // Only the return to title (0) and the restart (1) run here; others drop.
  if (pendingInterrupt - 1 > 1) {
    pendingInterrupt = 0;
    return 0;
  }
  return StartPendingInterrupt() ? 0 : 6;
}

void GameApplication::JobEnd() {
  sound.DeleteAllSounds();
  scriptRootsBeside_.Publish(nullptr);
}

}  // namespace orrivel
