#pragma once
// A software sound buffer: a ring of PCM bytes that the mixer plays once or
// looping, with its own cursors and controls. Duplicates share the bytes
// but keep their own cursors, controls and notifications.
//
// Locks: the cursors and controls sit under the buffer's own lock; the
// shared bytes under the store's lock, which Lock takes and Unlock gives back
// (so a writer and the mixer never touch the bytes at once). The mixer takes
// the two one after the other, never together, and never calls anything but
// AudioWakeTarget::Wake, outside both.
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/MixSource.h"
#include "platform/audio/WaveFormat.h"

namespace orrivel::platform {

// Creation flags.
constexpr uint32_t kBufferPrimary = 0x1;
constexpr uint32_t kBufferSoftware = 0x8;
constexpr uint32_t kBufferCtrlFrequency = 0x20;
constexpr uint32_t kBufferCtrlPan = 0x40;
constexpr uint32_t kBufferCtrlVolume = 0x80;
constexpr uint32_t kBufferCtrlPositionNotify = 0x100;
constexpr uint32_t kBufferGetCurrentPosition2 = 0x8000;
// Lock flags.
constexpr uint32_t kLockFromWriteCursor = 0x1;
constexpr uint32_t kLockEntireBuffer = 0x2;
// Play flags.
constexpr uint32_t kPlayLooping = 0x1;
// Status bits.
constexpr uint32_t kStatusPlaying = 0x1;
constexpr uint32_t kStatusLost = 0x2;
constexpr uint32_t kStatusLooping = 0x4;
// The notification offset that fires when the buffer stops.
constexpr uint32_t kNotifyAtStop = 0xFFFFFFFFu;
// Control ranges.
constexpr int32_t kVolumeSilent = -10000;
constexpr int32_t kVolumeFull = 0;
constexpr int32_t kPanLeft = -10000;
constexpr int32_t kPanRight = 10000;
constexpr uint32_t kFrequencyOriginal = 0;
constexpr uint32_t kFrequencyMin = 100;
constexpr uint32_t kFrequencyMax = 100000;
// Buffer sizes the layer accepts.
constexpr uint32_t kMinBufferBytes = 4;
constexpr uint32_t kMaxBufferBytes = 0x0FFFFFFF;

enum AudioResult : int32_t {
  kAudioOk = 0,
  kAudioInvalidParam = 1,
  kAudioBufferLost = 2,
  kAudioNoControl = 3,
  kAudioOutOfMemory = 4,
  kAudioBadFormat = 5,
  kAudioFailed = 6,
};

struct PositionNotify {
  uint32_t offset = 0;  // a byte offset inside the buffer, or kNotifyAtStop
  AudioWakeTarget* target = nullptr;
};

class SoundBuffer final : public MixSource, public std::enable_shared_from_this<SoundBuffer> {
 public:
  // A silent (zeroed; 0x80 for 8-bit) buffer of `bytes` bytes, a whole
  // number of blocks. mixAheadBytes: how far the write cursor runs ahead of
  // the play cursor while playing.
  static std::shared_ptr<SoundBuffer> Create(const WaveFormat& format, uint32_t flags, uint32_t bytes,
                                             uint32_t mixAheadBytes, int32_t* result);
  // Shares the bytes; copies format, flags and controls; stopped at 0 and
  // without notifications.
  std::shared_ptr<SoundBuffer> Duplicate() const;

  // One or two regions: [offset, end of ring) and, when the span wraps,
  // [0, rest). The bytes stay locked against the mixer until Unlock, which
  // the same thread calls; a second Lock before Unlock is refused.
  int32_t Lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* bytes1, void** region2,
               uint32_t* bytes2, uint32_t flags);
  int32_t Unlock(void* region1, uint32_t bytes1, void* region2, uint32_t bytes2);

  int32_t Play(uint32_t flags);
  // Fires the stop notifications when it stops a playing buffer.
  int32_t Stop();
  int32_t SetCurrentPosition(uint32_t offset);
  int32_t GetCurrentPosition(uint32_t* play, uint32_t* write) const;
  uint32_t GetStatus() const;
  bool IsPlaying() const { return (GetStatus() & kStatusPlaying) != 0; }

  int32_t SetVolume(int32_t hundredthsDb);
  int32_t GetVolume(int32_t* hundredthsDb) const;
  int32_t SetPan(int32_t pan);
  int32_t GetPan(int32_t* pan) const;
  // kFrequencyOriginal returns to the format's rate.
  int32_t SetFrequency(uint32_t hz);
  int32_t GetFrequency(uint32_t* hz) const;

  // Replaces the notifications; refused while playing and without the
  // notification flag.
  int32_t SetNotificationPositions(const std::vector<PositionNotify>& positions);

  // The lost bit: raised by the system (here: by tests), cleared by Restore;
  // while it is up, Lock and Play answer kAudioBufferLost.
  void RaiseLost();
  int32_t Restore();

  const WaveFormat& Format() const { return format_; }
  uint32_t Flags() const { return flags_; }
  uint32_t Size() const { return size_; }

  void MixInto(int32_t* acc, uint32_t frames, const WaveFormat& output,
               std::vector<AudioWakeTarget*>& woken) override;

 private:
  struct Store {
    std::mutex lock;
    std::vector<uint8_t> bytes;
  };
  SoundBuffer(const WaveFormat& format, uint32_t flags, uint32_t mixAhead, std::shared_ptr<Store> store);

  uint32_t WriteCursorLocked() const;
  void UpdateGainsLocked();
  void CollectLocked(uint32_t startByte, uint64_t advancedBytes, bool stopped,
                     std::vector<AudioWakeTarget*>& woken) const;

  const WaveFormat format_;
  const uint32_t flags_;
  const uint32_t size_;
  const uint32_t mixAhead_;
  std::shared_ptr<Store> store_;

  mutable std::mutex lock_;
  bool playing_ = false;
  bool looping_ = false;
  bool lost_ = false;
  bool locked_ = false;
  uint32_t positionFrame_ = 0;
  uint32_t fraction_ = 0;  // below one source frame, in 2^-32 frames
  uint64_t generation_ = 0;  // moves on whenever a caller moves or stops the cursor
  int32_t volume_ = kVolumeFull;
  int32_t pan_ = 0;
  uint32_t frequency_ = 0;
  int32_t gainLeft_ = 65536;
  int32_t gainRight_ = 65536;
  std::vector<PositionNotify> notifications_;
};

}  // namespace orrivel::platform
