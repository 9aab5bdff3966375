#pragma once
// The game shell's application. For now it reads the game folder from the
// command line and runs a placeholder frame pump: it keeps the window alive,
// painting and answering messages, until the window is closed; a run without
// a display closes its window by itself after a fixed number of frames.
#include <cstdint>

#include "base/ActionMap.h"
#include "base/Application.h"

namespace orrivel {

class GameApplication : public Application {
 public:
  GameApplication();

  int Configure() override;
  int CreateDevices() override;
  void MainLoop() override;

  // The game's actions (20 of them), with the default bindings.
  ActionMap* actions = nullptr;
  // Until the game draws its own cursor, the system one stays shown.
  bool keepSystemCursor = true;

  // Frames after which the pump closes its own window (0: never).
  uint32_t frameLimit = 0;
  // What the run did, for the closing line.
  uint32_t framesRun = 0;
  bool closedByLimit = false;
};

}  // namespace orrivel
