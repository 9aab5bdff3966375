#pragma once
// Interrupt and termination signals for a run without a display. With a
// window, the window system turns them into a quit request; without one,
// the handlers here only note the signal, and the headless back end turns
// the note into WM_QUIT on its next pass, so the program ends the same
// orderly way (the exit-time writes happen) instead of being killed.
namespace orrivel::platform {

// Routes SIGINT and SIGTERM to the note. Each handler is used once: a
// second signal of the same kind ends the program at once, so a stuck run
// can still be stopped.
void InstallStopSignalHandlers();
// True when a stop signal came since the last call; clears the note.
bool TakeStopRequest();
// True when a stop signal came and was not taken yet.
bool StopRequestPending();

}  // namespace orrivel::platform
