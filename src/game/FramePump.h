#pragma once
// The game's heartbeat: one call of a frame pump handles the window and the
// timing of one frame and says how many script steps to run (1 to 4, -1 for
// one) or 0 to end the run. Waits and modal loops elsewhere in the game call
// the same pump to advance a frame at a time, so nothing ever blocks.
//
// The pump reaches the window, the input, the display and the clocks through
// FramePumpPorts, which the application fills (and tests fake).
#include <cstdint>

#include "base/FrameRateLimiter.h"
#include "base/TimerList.h"

namespace orrivel {

class FramePumpPorts {
 public:
  virtual ~FramePumpPorts() = default;
  // Takes the waiting window messages; false when the quit message came.
  virtual bool PumpWindowMessages() = 0;
  // The end byte: a command or a lost display asked the run to end.
  virtual bool EndRequested() = 0;
  virtual void RequestEnd() = 0;
  virtual bool InterruptPending() = 0;
  // Inactive and hidden, minimised or told to stop while in the background.
  virtual bool WindowIdle() = 0;
  virtual void WaitForMessage() = 0;
  virtual void Sleep(uint32_t ms) = 0;
  virtual uint32_t Tick() = 0;
  // The window state and the input, once per due frame.
  virtual void UpdateWindowAndInput() = 0;
  // A movie that draws the display itself holds it.
  virtual bool MovieOwnsDisplay() { return false; }
  // Picture without a scene: background fill (when its switch is on), then
  // the scene objects; with a scene, its presentation.
  virtual void FillBackground() {}
  virtual void DrawSceneObjects() {}
  virtual void PresentFrame() {}
  // Restores a lost display; false when it cannot be.
  virtual bool RestoreDisplay() { return true; }
  virtual bool VSyncWaitSet() { return false; }
  virtual bool ShortWait() { return false; }
  // Non-zero while a long job runs at low priority: frames keep drawing.
  virtual int LowPriorityCount() { return 0; }

  // The worker-thread pumps. The main thread asks the worker to stop, holds
  // it with the pause byte (1 asked, 2 held) and pauses the object timer list
  // with its own byte (1 pause asked, 2 paused, 3 resume asked).
  virtual bool StopRequested() { return false; }
  virtual uint8_t PauseByte() { return 0; }
  virtual void SetPauseByte(uint8_t) {}
  virtual uint8_t ObjectListPauseByte() { return 0; }
  virtual void SetObjectListPauseByte(uint8_t) {}
  // The timer lock (the system timer list) and the drawing lock (input,
  // drawing and presentation), shared with the main thread.
  virtual void LockTimers() {}
  virtual void UnlockTimers() {}
  virtual void LockDrawing() {}
  virtual void UnlockDrawing() {}
};

class FramePump {
 public:
  enum class Kind : uint8_t {
    Idle,   // main thread, drawing the scene objects
    Scene,  // main thread, presenting a scene
    Worker,       // worker thread, drawing the scene objects
    WorkerScene,  // worker thread, presenting a scene
  };

  FramePump(FramePumpPorts& ports, FrameRateLimiter& limiter, TimerList& systemTimers, TimerList& objectTimers)
      : ports_(ports), limiter_(limiter), systemTimers_(systemTimers), objectTimers_(objectTimers) {}

  // One call: loops until a frame is due (then the steps to run) or the run
  // must end (0).
  int Pump(Kind kind);

  // The steps for the limiter's count of missed periods: k of 1 to 4 runs k
  // steps, 0 or more than 4 runs one (-1).
  static int StepsForMissedPeriods(int32_t missed) { return missed >= 1 && missed <= 4 ? missed : -1; }

 private:
  int PumpMainThread(bool scene);
  int PumpWorker(bool scene);
  // The pause bytes of the worker pumps: true when the pass must wait.
  bool HonourPauseBytes();
  // The object timer list and the picture of one frame: presented with a
  // scene, else filled and drawn unless a movie holds the display.
  void Picture(bool scene);
  // Restores a lost display; false (with the end asked for) when it cannot
  // be. A movie holding the display is left alone.
  bool KeepDisplay();
  void YieldBetweenFrames();
  int FrameResult();

  FramePumpPorts& ports_;
  FrameRateLimiter& limiter_;
  TimerList& systemTimers_;
  TimerList& objectTimers_;
};

}  // namespace orrivel
