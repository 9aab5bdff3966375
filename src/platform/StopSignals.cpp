#include "platform/StopSignals.h"

#include <atomic>
#include <csignal>

namespace orrivel::platform {
namespace {

// Lock-free, so the handler may set it; atomic, because any thread that
// reads messages may take it.
std::atomic<int> g_stopRequested{0};
static_assert(std::atomic<int>::is_always_lock_free);

void NoteStopSignal(int) { g_stopRequested.store(1); }

}  // namespace

void InstallStopSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = NoteStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool TakeStopRequest() { return g_stopRequested.load() != 0 && g_stopRequested.exchange(0) != 0; }

bool StopRequestPending() { return g_stopRequested.load() != 0; }

}  // namespace orrivel::platform
