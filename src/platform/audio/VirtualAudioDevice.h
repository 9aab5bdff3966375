#pragma once
// The headless sound output: nothing plays until a caller advances the
// virtual clock (tests by hand; a running program once a frame, by the
// process clock), and the mix of every advance can be captured and written
// out as a WAVE file. An advance mixes in quanta of 10 ms and, after each
// quantum whose notifications woke targets, waits until each woken thread
// has finished its pass, so a capture never depends on thread timing.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/AudioDevice.h"

namespace orrivel::platform {

enum class AudioFailPoint { Initialize, PriorityLevel, NormalLevel, CreateBuffer };

class VirtualAudioDevice final : public AudioDevice {
 public:
  // Real milliseconds an advance waits for one woken thread before it gives
  // up on it (only a thread that never returns to its wait needs this).
  static constexpr uint32_t kSettleTimeoutMs = 10000;

  bool IsVirtual() const override { return true; }
  int32_t Initialize(const char* deviceName) override;
  int32_t SetCooperativeLevel(void* window, int32_t level) override;

  void InjectFailure(AudioFailPoint point, bool fail);

  // Timed wakes run on the virtual clock: a wake falls due in the quantum
  // that reaches its frame and is settled like a notification.
  bool WakeAfter(AudioWakeTarget* target, uint32_t ms) override;
  void CancelWakes(AudioWakeTarget* target) override;

  void Advance(uint32_t frames);
  void AdvanceMs(uint32_t ms);

  // The longest span one call of KeepTimeWithClock mixes. After a longer
  // stall (a machine woken from sleep, a process held in a debugger) the
  // sounds go on from where they were instead of mixing minutes at once.
  static constexpr uint32_t kMaxKeptSpanMs = 1000;
  // Mixes what the process clock says has played since the last call, in
  // whole frames; the fraction of a frame left over is carried to the next
  // call, so the output keeps pace with the clock over any number of calls.
  void KeepTimeWithClock() override;
  // Output frames mixed since the device was made.
  uint64_t FramesMixed() const { return framesMixed_; }

  // Starts a fresh capture of the mix; StopCapture keeps what was taken.
  void StartCapture();
  void StopCapture() { capturing_ = false; }
  const std::vector<int16_t>& Capture() const { return capture_; }
  // The capture as a 16-bit PCM WAVE file at the primary format (written to
  // a temporary file beside it, then renamed over it). False on failure.
  bool WriteCaptureWave(const std::string& hostPath) const;

 protected:
  int32_t CheckCreate() override;

 private:
  bool Fails(AudioFailPoint point) const;
  // Moves the wakes due by `frame` into woken.
  void CollectDueWakes(uint64_t frame, std::vector<AudioWakeTarget*>& woken);

  struct TimedWake {
    uint64_t frame;
    AudioWakeTarget* target;
  };
  std::mutex wakeLock_;
  std::vector<TimedWake> wakes_;

  std::mutex keepLock_;
  bool keepingTime_ = false;
  uint32_t lastKeptTick_ = 0;
  uint64_t keptRemainder_ = 0;  // rate x ms not yet a whole frame (in 1/1000 frames)

  uint32_t failures_ = 0;
  std::atomic<uint64_t> framesMixed_{0};
  bool capturing_ = false;
  std::vector<int16_t> capture_;
};

}  // namespace orrivel::platform
