#pragma once
// The frame-pacing switches: the vertical-sync wait, the performance
// counter and the nestings that other parts of the game (waits, effects,
// natives) open and close in pairs. Only the outermost pair changes
// anything.
#include <cstdint>
#include <functional>

#include "base/FrameRateLimiter.h"

namespace orrivel {

// The boot-block bytes that choose the pacing, as the player's settings
// hold them.
struct PacingBytes {
  uint8_t vsyncMode = 0;       // 0 sync on a 60 Hz display, 2 always, others never
  uint8_t useCounter = 0;      // pace on the performance counter
  uint8_t vsyncInterval = 0;   // frames per sync - 1
  uint8_t forcedVSyncOn = 0;   // the forced sync nesting may change the mode
  uint8_t lowPriorityOff = 0;  // the low-priority switches do nothing
};

class FramePacing {
 public:
  explicit FramePacing(FrameRateLimiter& limiter) : limiter_(limiter) {}

  // The bytes as loaded; the forced and millisecond nestings return to them.
  void SetBytes(const PacingBytes& bytes) { bytes_ = saved_ = bytes; }
  const PacingBytes& Bytes() const { return bytes_; }
  // The display: whether it can wait for the vertical sync, and its rate.
  void SetDisplay(bool supportsVSync, bool runsAt60Hz) {
    displaySyncs_ = supportsVSync;
    display60Hz_ = runsAt60Hz;
  }
  // User-block byte 5: the player's own vertical-sync wait choice.
  void SetPlayerVSync(bool on) { playerVSync_ = on; }

  // Rate < 0 keeps the limiter's rate. The sync interval comes from the
  // bytes and the display; the limiter paces on the counter only without a
  // sync wait and with the counter byte set. 1 when anything changed.
  int ApplyFramePacing(int32_t rate);
  int BeginForcedVSync();
  int EndForcedVSync();
  int BeginMillisecondPacing();
  int EndMillisecondPacing();
  // Ends every forced sync and millisecond nesting still open.
  void CloseNestings();

  // Told whenever the vertical-sync wait comes or goes: the presentation
  // waits for the vertical blank while it is set.
  std::function<void(bool wait)> onWaitChanged;

  uint32_t VSyncInterval() const { return vsyncInterval_; }
  // The limiter's own flag: a non-zero interval, or the wait switched on
  // by a forced sync.
  bool VSyncWaitSet() const { return limiter_.VSyncWait(); }
  int ForcedVSyncCount() const { return forcedCount_; }
  int MillisecondPacingCount() const { return millisecondCount_; }

 private:
  void ReportWait();

  FrameRateLimiter& limiter_;
  PacingBytes bytes_;
  PacingBytes saved_;
  bool displaySyncs_ = false;
  bool display60Hz_ = true;
  bool playerVSync_ = false;
  uint32_t vsyncInterval_ = 0;
  bool forcedWait_ = false;
  int forcedCount_ = 0;
  int millisecondCount_ = 0;
};

}  // namespace orrivel
