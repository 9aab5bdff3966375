#pragma once
// A message box in a window of its own, drawn by the engine
// (platform/MessageBoxPainter.h) and answered in the calling thread: a
// click on a button, Enter for the default button, Esc or the close box
// for the box's escape answer, Tab and the arrows to move the focus and
// Space to press it. A stop signal (platform/StopSignals.h) ends the box
// at once with the escape answer and stays noted, so the run ends too.
#include "platform/MessageBox.h"

namespace orrivel::platform {

// The answer, or -1 when the box could not be shown (no SDL, no face, no window).
// `owner` is the SDL window of the box's owner, or null.
int ShowSdlMessageBox(const MessageBoxRequest& request, void* owner);

}  // namespace orrivel::platform
