#include "game/GameFramePorts.h"

#include "base/LowPriority.h"
#include "base/TickSource.h"
#include "game/GameApplication.h"
#include "platform/Backend.h"
#include "sound/MovieBinding.h"

namespace orrivel {

namespace {

// An idle window still wakes now and then, so that a run that cannot see
// its window's messages (headless) goes on.
constexpr uint32_t kIdleWaitMs = 50;

}  // namespace

bool GameFramePorts::PumpWindowMessages() {
  if (app_.PumpMessages(false) == 1 || app_.quitSeen || app_.errorCode != 0) return false;
  return app_.mainWindow.IsValid();
}

bool GameFramePorts::EndRequested() { return app_.endRequested; }

void GameFramePorts::RequestEnd() { app_.endRequested = true; }

bool GameFramePorts::InterruptPending() { return app_.pendingInterrupt != 0; }

bool GameFramePorts::WindowIdle() { return !app_.isActive && app_.pauseWhenInactive; }

void GameFramePorts::WaitForMessage() { Sleep(kIdleWaitMs); }

void GameFramePorts::Sleep(uint32_t ms) {
  // A virtual clock moves on by the wait instead of waiting.
  if (app_.scriptedRun != nullptr && app_.scriptedRun->Sleep(ms)) return;
  // The worker must not take the main thread's messages; it waits on its
  // own stop event, which the main thread sets to wake it.
  if (app_.threadMode) app_.worker.Wait(ms);
  else platform::CurrentBackend().WaitMessage(ms);
}

uint32_t GameFramePorts::Tick() { return CurrentTickMs(); }

void GameFramePorts::UpdateWindowAndInput() {
  ++app_.framesRun;
  if (app_.scriptedRun != nullptr) {
    app_.scriptedRun->BeginFrame(app_.mainWindow.GetHandle(), app_.framesRun, app_.limiter.PeriodMs());
    // Movies move by the same step of a virtual clock before the frame
    // looks at them.
    if (app_.scriptedRun->HasVirtualClock()) SettleMovies();
  }
  // Where the pointer is in game coordinates: the mouse reports nothing
  // while that position is unknown.
  app_.UpdateWindowState();
  app_.Input().Update();
  if (app_.frameLimit != 0 && app_.framesRun == app_.frameLimit) {
    // Nobody is there to answer the question of a close: end at once.
    app_.closedByLimit = true;
    platform::CurrentBackend().DestroyWindow(app_.mainWindow.GetHandle());
  }
}

// Only when the scripts asked for it: otherwise the scene objects draw over
// what the last frame left.
void GameFramePorts::FillBackground() {
  DisplayScreenDevice* display = app_.Display();
  if (display != nullptr && display->ClearEachFrame()) display->FillBackground();
}

// The scene objects draw into the back surface, which the display then
// shows (composed under the screen image when the game has set one).
void GameFramePorts::DrawSceneObjects() {
  DisplayScreenDevice* display = app_.Display();
  if (display == nullptr) return;
  display->Registry().DrawAll(0, 0, display);
  display->PresentFrame();
}

// The scene's presentation: its registered objects between the scene's
// begin and end, then the frame; the presentation itself waits for the
// blank when the pacing asks for it.
void GameFramePorts::PresentFrame() { DrawSceneObjects(); }

bool GameFramePorts::VSyncWaitSet() { return app_.limiter.VSyncWait(); }

int GameFramePorts::LowPriorityCount() { return app_.lowPriority ? int(app_.lowPriority->Depth()) : 0; }

bool GameFramePorts::StopRequested() { return app_.threadMode && app_.worker.CanContinue() == 0; }

uint8_t GameFramePorts::PauseByte() { return app_.scriptPause; }

void GameFramePorts::SetPauseByte(uint8_t value) { app_.scriptPause = value; }

uint8_t GameFramePorts::ObjectListPauseByte() { return app_.objectListPause; }

void GameFramePorts::SetObjectListPauseByte(uint8_t value) { app_.objectListPause = value; }

void GameFramePorts::LockTimers() { app_.timerLock.Lock(); }

void GameFramePorts::UnlockTimers() { app_.timerLock.Unlock(); }

void GameFramePorts::LockDrawing() { app_.displayLock.Lock(); }

void GameFramePorts::UnlockDrawing() { app_.displayLock.Unlock(); }

}  // namespace orrivel
