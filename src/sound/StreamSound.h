#pragma once
// A sound streamed through a ring of four seconds of audio that its own
// refill thread keeps topped up from one or two decoders: the first file
// plays once and the second follows it; when looping, the second repeats
// without a gap. Music and long sounds play this way.
//
// Threads: the main thread makes every call; the refill thread counts the
// played bytes and refills the ring, taking only this sound's lock, in short
// sections, never while it waits. It never reaches the timer list: at the
// natural end it stops the buffer, and a fade task sees "not playing" at its
// next step on the main thread.
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/WorkerThread.h"
#include "sound/SoundBase.h"
#include "sound/SoundDecoder.h"
#include "sound/SoundNotifyEvent.h"

namespace orrivel {

class SoundDevice;

enum StreamOpenCode : int32_t {
  kStreamOpenOk = 0,
  kStreamOpenVolumeOnly = -1,        // only the volume can be controlled
  kStreamOpenNoNotify = -2,          // no notifications: the thread sleeps
  kStreamOpenVolumeOnlyNoNotify = -3,
  kStreamOpenNotifyRefused = -4,     // notifications refused: the thread sleeps
  kStreamOpenVolumeOnlyRefused = -5,
  kStreamOpenNoDevice = 1,
  kStreamOpenNoFirst = 2,
  kStreamOpenNoSecond = 3,
  kStreamOpenRateMismatch = 4,
  kStreamOpenNoBuffer = 5,
  kStreamOpenFailed = 6,
};

enum StreamStartCode : int32_t {
  kStreamStartOk = 0,
  kStreamStartNoBuffer = 1,
  kStreamStartLockFailed = 2,
  kStreamStartOverDelivered = 3,
  kStreamStartUnlockFailed = 4,
  kStreamStartBufferFailed = 5,
  kStreamStartThreadFailed = 6,
};

class StreamSound : public SoundBase {
 public:
  static constexpr uint32_t kRingSeconds = 4;
  static constexpr uint32_t kNotifyCount = 5;
  // Real milliseconds Start waits for the refill thread's first pass.
  static constexpr uint32_t kFirstPassWaitMs = 2000;

  // A non-null device becomes the process-wide sound device.
  explicit StreamSound(SoundDevice* device);
  ~StreamSound() override;

  // Whether streams opened from now on ask for position notifications
  // (process-wide; the game's device start-up sets it from its settings).
  static void SetUseNotifications(bool use);
  static bool UsesNotifications();

  // secondFile may be null. A StreamOpenCode: negative codes leave a
  // playable sound, positive ones a closed one.
  int32_t Open(const char* firstFile, const char* secondFile);

  bool IsStream() const override { return true; }
  int32_t Close() override;
  int32_t Play() override;
  int32_t PlayLooping() override;
  // 1 without a buffer; 3 not playing; 2 the buffer did not stop.
  int32_t Pause() override;
  // 1 without a buffer; 2 not paused; 3 the buffer did not restart.
  int32_t Resume() override;
  int32_t Stop() override;
  uint32_t GetTotalBytes() override;
  uint32_t GetLengthMs() override;
  // 1 without a file; 3 the seek failed; 4 the restart failed.
  int32_t SeekMs(uint32_t ms) override;
  // 0xFFFFFFFF without a file.
  uint32_t GetPositionMs() override;
  // The outputs receive the play cursors last seen by the position count
  // and by the refill.
  bool IsPlaying(uint32_t* outPlayCursor, uint32_t* outWriteCursor) override;
  int32_t SetVolume(int32_t level) override;

  uint32_t RingBytes() const { return ringBytes_; }
  // Seven eighths of the ring, in whole blocks.
  uint32_t PrefillBytes() const { return prefillBytes_; }
  bool NotificationsInForce() const { return notify_; }
  const std::vector<platform::PositionNotify>& NotifyPositions() const { return positions_; }
  // Passes the refill thread has run since the sound was made.
  uint64_t RefillPasses() const { return passes_.load(std::memory_order_relaxed); }

 protected:
  // Steps of Open that a test can make fail (CreateBuffer too): whether the
  // buffer offers notifications, and setting them.
  virtual bool HasNotifyControl(const platform::SoundBuffer& buffer);
  virtual int32_t SetNotifyPositions(platform::SoundBuffer& buffer,
                                     const std::vector<platform::PositionNotify>& positions);

 private:
  class RefillThread final : public WorkerThread {
   public:
    explicit RefillThread(StreamSound& sound) : sound_(sound) {}
    ~RefillThread() override { Join(); }
    void Run() override { sound_.ThreadRun(); }

   private:
    StreamSound& sound_;
  };

  class LockRelease;
  enum FillMode : int32_t { kFillNormal = 0, kFillKeepGoing = 1, kFillForce = 2 };

  int32_t OpenFiles(const char* firstFile, const char* secondFile);
  int32_t CreateRing(const platform::WaveFormat& format);
  int32_t BindNotifications();
  int32_t Start(bool loop);
  int32_t Prefill();
  // Reads until the room is full or the decoder stops; false when the
  // decoder claimed more than it was asked for.
  static bool ReadInto(SoundDecoder& decoder, uint8_t* out, uint32_t room, uint32_t* got);
  // decoder null fills silence. -1 nothing played, 0 done, 1 the decoder
  // is at its end, 2 the buffer could not be locked, 4 nor unlocked.
  int32_t Fill(SoundDecoder* decoder, FillMode mode);
  // Fill for the part that repeats: 1 only when not looping.
  int32_t FillLooping(SoundDecoder* decoder);
  // One pass over the last part: refilled from it, or with silence once it
  // has ended. False when the thread is done: the sound has played out (its
  // buffer is stopped) or a refill failed.
  bool FillPart(SoundDecoder* part, uint64_t total, bool& ended);
  int32_t StopBuffer(bool fromThread);
  // Joins the refill thread with this thread's hold on the lock let go, so
  // that a thread waiting for the lock can finish its pass.
  void JoinThread();
  void CancelTimedWakes();

  void ThreadRun();
  void RunSingle();
  void RunIntroLoop();
  // One pass's position count; returns the played bytes.
  uint64_t CountPlayed();
  // Waits for the next pass; false when asked to stop.
  bool WaitForPass();
  uint32_t SleepMs();
  bool LoopFlag();

  SoundDecoderPtr first_;
  SoundDecoderPtr second_;
  uint32_t avgBytesPerSec_ = 0;
  uint32_t ringBytes_ = 0;
  uint32_t prefillBytes_ = 0;
  uint16_t blockAlign_ = 1;
  uint8_t silence_ = 0;
  uint64_t playedBytes_ = 0;
  bool loop_ = false;
  bool notify_ = false;
  SoundNotifyEvent event_;
  std::vector<platform::PositionNotify> positions_;
  RefillThread thread_{*this};
  uint8_t threadPriority_ = 2;  // normal: left as it is
  uint32_t fillSnapshot_ = 0;
  uint32_t writePosition_ = 0;
  uint32_t owedBytes_ = 0;
  uint32_t lastDelivered_ = 0;
  uint32_t countSnapshot_ = 0;
  std::atomic<uint64_t> passes_{0};
};

}  // namespace orrivel
