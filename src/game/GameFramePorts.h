#pragma once
// The frame pump's view of the game application: its window, input, clocks
// and display.
#include "game/FramePump.h"

namespace orrivel {

class GameApplication;

class GameFramePorts final : public FramePumpPorts {
 public:
  explicit GameFramePorts(GameApplication& app) : app_(app) {}

  bool PumpWindowMessages() override;
  bool EndRequested() override;
  void RequestEnd() override;
  bool InterruptPending() override;
  bool WindowIdle() override;
  void WaitForMessage() override;
  void Sleep(uint32_t ms) override;
  uint32_t Tick() override;
  void UpdateWindowAndInput() override;
  // The display device composes the screen image with the scene objects
  // and shows the frame, on both routes (the scene pump presents, the
  // other pump draws); without a display device there is nothing to show.
  void FillBackground() override;
  void DrawSceneObjects() override;
  void PresentFrame() override;
  bool VSyncWaitSet() override;
  int LowPriorityCount() override;
  bool StopRequested() override;
  uint8_t PauseByte() override;
  void SetPauseByte(uint8_t value) override;
  uint8_t ObjectListPauseByte() override;
  void SetObjectListPauseByte(uint8_t value) override;
  void LockTimers() override;
  void UnlockTimers() override;
  void LockDrawing() override;
  void UnlockDrawing() override;

 private:
  GameApplication& app_;
};

}  // namespace orrivel
