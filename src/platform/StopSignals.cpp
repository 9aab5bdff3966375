#include "platform/StopSignals.h"

#include <csignal>

namespace orrivel::platform {
namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

void NoteStopSignal(int) { g_stopRequested = 1; }

}  // namespace

void InstallStopSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = NoteStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool TakeStopRequest() {
  if (!g_stopRequested) return false;
  g_stopRequested = 0;
  return true;
}

bool StopRequestPending() { return g_stopRequested != 0; }

}  // namespace orrivel::platform
