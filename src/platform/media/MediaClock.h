#pragma once
// The time base of movie presentation. Tests inject a clock they step by
// hand; playback uses the machine's monotonic clock.
#include <atomic>
#include <cstdint>

namespace orrivel::media {

class MediaClock {
 public:
  virtual ~MediaClock() = default;
  virtual int64_t NowMicroseconds() = 0;
};

class SteadyMediaClock final : public MediaClock {
 public:
  int64_t NowMicroseconds() override;
};

class ManualMediaClock final : public MediaClock {
 public:
  int64_t NowMicroseconds() override { return now_.load(); }
  void AdvanceMs(int64_t ms) { now_ += ms * 1000; }

 private:
  std::atomic<int64_t> now_{1000000};
};

// The process's steady clock, shared by every pipeline that is given none.
MediaClock& DefaultMediaClock();

}  // namespace orrivel::media
