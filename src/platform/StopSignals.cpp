#include "platform/StopSignals.h"

#include <atomic>
#include <csignal>

namespace orrivel::platform {
namespace {

// Lock-free, so the handler may set it; atomic, because any thread that
// reads messages may take it.
std::atomic<int> g_stopRequested{0};
// Stop signals seen so far; kept apart from the note, which the run takes.
std::atomic<int> g_stopSignals{0};
static_assert(std::atomic<int>::is_always_lock_free);

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

std::atomic<void (*)()> g_lastAction{nullptr};
static_assert(std::atomic<void (*)()>::is_always_lock_free);

void NoteStopSignal(int signal) {
  // The orderly road was asked for already and did not end the run (its
  // scripts may never come back to the main loop): end it now, as the
  // signal's own default does, once what must not outlive the program
  // (the display's mode) was put right.
  if (g_stopSignals.fetch_add(1) > 0) {
    if (void (*action)() = g_lastAction.load()) action();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return;
  }
  g_stopRequested.store(1);
}

}  // namespace

void InstallStopSignalHandlers() {
  // A new installation starts with no signal seen.
  g_stopSignals.store(0);
  g_stopRequested.store(0);
  struct sigaction action {};
  action.sa_handler = NoteStopSignal;
  sigemptyset(&action.sa_mask);
  // While one handler runs the others wait, so two signals at once still
  // count as a first and a second.
  for (const int signal : kStopSignals) sigaddset(&action.sa_mask, signal);
  action.sa_flags = SA_RESTART;
  for (const int signal : kStopSignals) sigaction(signal, &action, nullptr);
  // A file-size limit reached while writing (a save, a log) fails that
  // write with EFBIG, which the writer reports; the signal's default would
  // kill the program in the middle of it.
  std::signal(SIGXFSZ, SIG_IGN);
}

void SetStopSignalLastAction(void (*action)()) { g_lastAction.store(action); }

bool TakeStopRequest() { return g_stopRequested.load() != 0 && g_stopRequested.exchange(0) != 0; }

bool StopRequestPending() { return g_stopRequested.load() != 0; }

}  // namespace orrivel::platform
