#pragma once
// The headless sound output: nothing plays until a caller advances the
// virtual clock, and the mix of every advance can be captured and written
// out as a WAVE file. An advance mixes in quanta of 10 ms and, after each
// quantum whose notifications woke targets, waits until each woken thread
// has finished its pass, so a capture never depends on thread timing.
#include <cstdint>
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

  void Advance(uint32_t frames);
  void AdvanceMs(uint32_t ms);
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

  uint32_t failures_ = 0;
  uint64_t framesMixed_ = 0;
  bool capturing_ = false;
  std::vector<int16_t> capture_;
};

}  // namespace orrivel::platform
