#include "base/TickSource.h"

namespace orrivel {

bool UseMultimediaTimer = false;

namespace {
bool g_resolutionChosen = false;
uint32_t g_minPeriod = 1;

// Runs the choice before main, so the process has one source from the start.
struct TimerResolutionGuard {
  TimerResolutionGuard() { InitTimerResolution(); }
} g_timerResolutionGuard;
}  // namespace

uint32_t InitTimerResolution() {
  if (g_resolutionChosen) return g_minPeriod;
  g_resolutionChosen = true;
  const uint32_t period = platform::Clock().MinTimerPeriodMs();
  if (period == 0 || period >= 10) {
    UseMultimediaTimer = false;
    g_minPeriod = 1;
  } else {
    UseMultimediaTimer = true;
    g_minPeriod = period;
  }
  return g_minPeriod;
}

void ResetTimerResolutionForTest() {
  g_resolutionChosen = false;
  UseMultimediaTimer = false;
  g_minPeriod = 1;
}

}  // namespace orrivel
