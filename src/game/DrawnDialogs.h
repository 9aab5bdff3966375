#pragma once
// The game's dialogs answered on the engine's own drawing: the dialog
// layer draws the dialog over its owner's game screen, and the player's
// pointer and keys on the owner answer it. A click on a button (or the
// link) answers with it; a click on the check box flips it and draws the
// dialog again; Enter answers the default button (or the focused one) and
// Esc the one that closes the box; Tab moves the focus, Space presses or
// flips what has it. Answers an input file queued come first. A machine
// without a display has nobody to click: there the default button answers
// with the check box as it is.
//
// Main thread only.
#include <cstdint>

#include "game/DialogLayer.h"
#include "platform/DialogService.h"

namespace orrivel {

class DrawnDialogs final : public platform::DialogService {
 public:
  // interactive: the player answers (by default only on a real display).
  DrawnDialogs();
  explicit DrawnDialogs(bool interactive) : interactive_(interactive) {}

  platform::DialogAnswer Show(const platform::DialogRequest& request) override;

 private:
  platform::DialogAnswer AskPlayer(platform::DialogRequest shown);

  bool interactive_;
};

}  // namespace orrivel
