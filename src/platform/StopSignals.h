#pragma once
// Interrupt, termination and hang-up signals, with a window or without.
// The handlers only note the signal; the back end in use turns the note
// into WM_QUIT on its next pass, so the program ends the same orderly way
// (the exit-time writes happen) instead of being killed.
namespace orrivel::platform {

// Routes SIGINT, SIGTERM and SIGHUP to the note. Only the first is noted:
// any later one of them ends the program at once, as the signal's default
// does, so a stuck run can still be stopped. SIGXFSZ is ignored, so that a
// write past the file-size limit fails instead of killing the program.
// Installing again forgets the signals seen so far.
void InstallStopSignalHandlers();
// What runs in the signal handler just before a second stop signal ends the
// program (null for nothing): it must be as safe there as it can be made.
void SetStopSignalLastAction(void (*action)());
// True when a stop signal came since the last call; clears the note.
bool TakeStopRequest();
// True when a stop signal came and was not taken yet.
bool StopRequestPending();

}  // namespace orrivel::platform
