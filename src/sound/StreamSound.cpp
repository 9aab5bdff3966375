#include "sound/StreamSound.h"

#include <algorithm>
#include <cstring>

#include "base/ScopedLock.h"
#include "platform/ThreadPriority.h"
#include "sound/SllManager.h"
#include "sound/SoundDevice.h"

namespace orrivel {
namespace {

std::atomic<bool> g_useNotifications{true};

constexpr uint8_t kNormalPriority = 2;

platform::AudioDevice* CurrentAudioDevice() {
  SoundDevice* device = GetSoundDevice();
  return device ? device->Device() : nullptr;
}

}  // namespace

void StreamSound::SetUseNotifications(bool use) { g_useNotifications.store(use); }
bool StreamSound::UsesNotifications() { return g_useNotifications.load(); }

StreamSound::StreamSound(SoundDevice* device) {
  if (device) SetSoundDevice(device);
}

StreamSound::~StreamSound() { Close(); }

bool StreamSound::HasNotifyControl(const platform::SoundBuffer& buffer) {
  return (buffer.Flags() & platform::kBufferCtrlPositionNotify) != 0;
}

int32_t StreamSound::SetNotifyPositions(platform::SoundBuffer& buffer,
                                        const std::vector<platform::PositionNotify>& positions) {
  return buffer.SetNotificationPositions(positions);
}

int32_t StreamSound::Open(const char* firstFile, const char* secondFile) {
  int32_t result = kStreamOpenFailed;
  try {
    result = OpenFiles(firstFile, secondFile);
  } catch (...) {
    result = kStreamOpenFailed;
  }
  // A failed open never leaves a sound half made.
  if (result > 0) Close();
  return result;
}

int32_t StreamSound::OpenFiles(const char* firstFile, const char* secondFile) {
  SoundDevice* device = GetSoundDevice();
  if (!device || !firstFile || !device->Device()) return kStreamOpenNoDevice;
  Close();
  ScopedLock guard(lock_);
  SllManager* codecs = GetSllManager();
  if (!codecs) return kStreamOpenNoFirst;
  first_.reset(codecs->CreateDecoder(firstFile, nullptr, true, nullptr));
  if (!first_) return kStreamOpenNoFirst;
  const platform::WaveFormat* given = first_->GetFormat();
  // A file without samples has nothing to loop over: the position would
  // wrap modulo nothing.
  if (!given || given->avgBytesPerSec == 0 || given->blockAlign == 0 || first_->GetTotalBytes() == 0) {
    return kStreamOpenNoFirst;
  }
  platform::WaveFormat format = *given;
  format.extraSize = 0;
  const uint64_t ring = uint64_t(format.avgBytesPerSec) * kRingSeconds;
  if (ring > platform::kMaxBufferBytes) return kStreamOpenNoFirst;
  avgBytesPerSec_ = format.avgBytesPerSec;
  ringBytes_ = uint32_t(ring);
  blockAlign_ = format.blockAlign;
  prefillBytes_ = uint32_t(ring * 7 / 8);
  prefillBytes_ -= prefillBytes_ % blockAlign_;
  silence_ = SilenceByte(format.bitsPerSample);
  if (secondFile) {
    second_.reset(codecs->CreateDecoder(secondFile, nullptr, true, nullptr));
    if (!second_) return kStreamOpenNoSecond;
    const platform::WaveFormat* other = second_->GetFormat();
    // The second part goes on in the same ring, so it must have the same
    // sample layout, not merely the same data rate.
    if (!other || other->avgBytesPerSec != format.avgBytesPerSec || other->channels != format.channels ||
        other->bitsPerSample != format.bitsPerSample) {
      return kStreamOpenRateMismatch;
    }
  }
  return CreateRing(format);
}

int32_t StreamSound::CreateRing(const platform::WaveFormat& format) {
  const uint32_t extra = GetSoundDevice()->ExtraBufferFlags() |
                         (UsesNotifications() ? platform::kBufferCtrlPositionNotify : 0);
  int32_t result = kStreamOpenOk;
  buffer_ = CreateBuffer(format, kFullControl | extra, ringBytes_);
  if (!buffer_) {
    buffer_ = CreateBuffer(format, platform::kBufferCtrlVolume | extra, ringBytes_);
    result = kStreamOpenVolumeOnly;
  }
  if (!buffer_) return kStreamOpenNoBuffer;
  ApplyStoredLevel();
  if (UsesNotifications()) result += BindNotifications();
  return result;
}

int32_t StreamSound::BindNotifications() {
  if (!HasNotifyControl(*buffer_)) return -2;
  const uint64_t ring = ringBytes_;
  positions_ = {
      {uint32_t(ring * 1 / 4), &event_},
      {uint32_t(ring * 2 / 4), &event_},
      {uint32_t(ring * 3 / 4), &event_},
      {uint32_t(ring - 1), &event_},
      {platform::kNotifyAtStop, &event_},
  };
  if (SetNotifyPositions(*buffer_, positions_) != platform::kAudioOk) {
    positions_.clear();
    return -4;
  }
  notify_ = true;
  return 0;
}

int32_t StreamSound::Close() {
  Stop();
  ScopedLock guard(lock_);
  first_.reset();
  second_.reset();
  positions_.clear();
  notify_ = false;
  buffer_.reset();
  avgBytesPerSec_ = 0;
  ringBytes_ = 0;
  prefillBytes_ = 0;
  playedBytes_ = 0;
  pauseCount_ = 0;
  return 0;
}

int32_t StreamSound::Play() { return Start(false); }
int32_t StreamSound::PlayLooping() { return Start(true); }

// Lets go of every level of the lock that this thread holds, and takes them
// all again at the end of the scope.
class StreamSound::LockRelease {
 public:
  explicit LockRelease(CriticalSection& lock) : lock_(lock) {
    while (lock_.GetOwnerThread()) {
      lock_.Unlock();
      ++depth_;
    }
  }
  ~LockRelease() {
    while (depth_-- > 0) lock_.Lock();
  }
  LockRelease(const LockRelease&) = delete;
  LockRelease& operator=(const LockRelease&) = delete;

 private:
  CriticalSection& lock_;
  int32_t depth_ = 0;
};

void StreamSound::JoinThread() {
  LockRelease released(lock_);
  thread_.Join();
}

void StreamSound::CancelTimedWakes() {
  if (platform::AudioDevice* audio = CurrentAudioDevice()) audio->CancelWakes(&event_);
}

int32_t StreamSound::Start(bool loop) {
  ScopedLock guard(lock_);
  if (!buffer_) return kStreamStartNoBuffer;
  if (pauseCount_ > 0 || buffer_->IsPlaying()) {
    Stop();
  } else {
    JoinThread();  // a thread that ended the sound by itself
  }
  loop_ = loop;
  fillSnapshot_ = 0;
  countSnapshot_ = 0;
  writePosition_ = 0;
  owedBytes_ = 0;
  buffer_->SetCurrentPosition(0);
  if (const int32_t filled = Prefill(); filled != kStreamStartOk) return filled;
  event_.Reset();
  int32_t started = buffer_->Play(platform::kPlayLooping);
  if (started == platform::kAudioBufferLost) {
    buffer_->Restore();
    started = buffer_->Play(platform::kPlayLooping);
  }
  if (started != platform::kAudioOk) {
    Stop();
    return kStreamStartBufferFailed;
  }
  SoundDevice* device = GetSoundDevice();
  threadPriority_ = device ? device->ThreadPriority() : kNormalPriority;
  event_.AttachWaiter();
  if (thread_.Start() != 0) {
    event_.DetachWaiter();
    Stop();
    return kStreamStartThreadFailed;
  }
  // The first pass has run, and the thread waits for its next wake, before
  // the caller goes on: a sleeping thread's first timed wake is then counted
  // from the start of play, not from whenever the thread got going.
  LockRelease released(lock_);
  event_.WaitSettled(kFirstPassWaitMs);
  return kStreamStartOk;
}

bool StreamSound::ReadInto(SoundDecoder& decoder, uint8_t* out, uint32_t room, uint32_t* got) {
  *got = 0;
  while (*got < room) {
    const uint32_t n = decoder.Read(out + *got, room - *got);
    if (n == 0) break;
    if (n > room - *got) {
      *got = 0;
      return false;
    }
    *got += n;
  }
  return true;
}

int32_t StreamSound::Prefill() {
  SoundDecoder* decoder =
      second_ && playedBytes_ >= first_->GetTotalBytes() ? second_.get() : first_.get();
  void* region1 = nullptr;
  void* region2 = nullptr;
  uint32_t bytes1 = 0, bytes2 = 0;
  int32_t locked = buffer_->Lock(0, prefillBytes_, &region1, &bytes1, &region2, &bytes2, 0);
  if (locked == platform::kAudioBufferLost) {
    buffer_->Restore();
    locked = buffer_->Lock(0, prefillBytes_, &region1, &bytes1, &region2, &bytes2, 0);
  }
  if (locked != platform::kAudioOk) return kStreamStartLockFailed;
  auto* out = static_cast<uint8_t*>(region1);
  uint32_t got = 0;
  bool fair = ReadInto(*decoder, out, bytes1, &got);
  // A file shorter than the prefill goes on into the second file, or round
  // to its own start when looping, as often as it takes.
  while (fair && got < bytes1 && decoder->IsEnd()) {
    if (decoder == first_.get() && second_) {
      decoder = second_.get();
    } else if (!loop_ || decoder->SeekMs(0) != 0) {
      break;
    }
    uint32_t more = 0;
    fair = ReadInto(*decoder, out + got, bytes1 - got, &more);
    if (more == 0) break;
    got += more;
  }
  if (!fair) {
    buffer_->Unlock(region1, bytes1, region2, bytes2);
    return kStreamStartOverDelivered;
  }
  const bool lastPart = decoder == (second_ ? second_.get() : first_.get());
  if (got < bytes1 && !loop_ && lastPart) {
    std::memset(out + got, silence_, bytes1 - got);
    got = bytes1;
  }
  if (buffer_->Unlock(region1, bytes1, region2, bytes2) != platform::kAudioOk) return kStreamStartUnlockFailed;
  writePosition_ = got % ringBytes_;
  owedBytes_ = prefillBytes_ - got;
  return kStreamStartOk;
}

int32_t StreamSound::Fill(SoundDecoder* decoder, FillMode mode) {
  uint32_t play = 0;
  buffer_->GetCurrentPosition(&play, nullptr);
  if (play == fillSnapshot_ && mode != kFillForce) return -1;
  uint64_t need = (uint64_t(ringBytes_) - fillSnapshot_ + play) % ringBytes_ + owedBytes_;
  if (need < avgBytesPerSec_ / 2) return 0;
  // The region ends a block short of the play cursor: what lies between the
  // play cursor and the write position has not been heard yet.
  const uint32_t free = (play + ringBytes_ - writePosition_) % ringBytes_;
  need = std::min<uint64_t>(need, free >= blockAlign_ ? free - blockAlign_ : 0);
  need -= need % blockAlign_;
  fillSnapshot_ = play;
  lastDelivered_ = 0;
  if (need == 0) return decoder && decoder->IsEnd() ? 1 : 0;
  void* region1 = nullptr;
  void* region2 = nullptr;
  uint32_t bytes1 = 0, bytes2 = 0;
  int32_t locked = buffer_->Lock(writePosition_, uint32_t(need), &region1, &bytes1, &region2, &bytes2, 0);
  if (locked == platform::kAudioBufferLost) {
    buffer_->Restore();
    locked = buffer_->Lock(writePosition_, uint32_t(need), &region1, &bytes1, &region2, &bytes2, 0);
  }
  if (locked != platform::kAudioOk) return 2;
  auto* out1 = static_cast<uint8_t*>(region1);
  auto* out2 = static_cast<uint8_t*>(region2);
  uint32_t delivered = 0;
  if (decoder) {
    uint32_t got1 = 0, got2 = 0;
    bool fair = ReadInto(*decoder, out1, bytes1, &got1);
    if (fair && got1 == bytes1 && out2) fair = ReadInto(*decoder, out2, bytes2, &got2);
    delivered = fair ? got1 + got2 : 0;
  }
  const bool atEnd = decoder && decoder->IsEnd();
  if (!decoder || (atEnd && !loop_ && mode == kFillNormal)) {
    // Nothing more comes: silence, so that the ring never plays old audio
    // again before the thread stops it.
    if (delivered < bytes1) std::memset(out1 + delivered, silence_, bytes1 - delivered);
    if (out2) {
      const uint32_t into2 = delivered > bytes1 ? delivered - bytes1 : 0;
      std::memset(out2 + into2, silence_, bytes2 - into2);
    }
    delivered = uint32_t(need);
  }
  if (buffer_->Unlock(region1, bytes1, region2, bytes2) != platform::kAudioOk) return 4;
  writePosition_ = uint32_t((uint64_t(writePosition_) + delivered) % ringBytes_);
  owedBytes_ = uint32_t(need) - delivered;
  lastDelivered_ = delivered;
  return atEnd ? 1 : 0;
}

int32_t StreamSound::StopBuffer(bool fromThread) {
  ScopedLock guard(lock_);
  if (!buffer_) return 1;
  if (SoundDevice* device = GetSoundDevice()) device->PlayGuardSilence(buffer_.get());
  const int32_t stopped = buffer_->Stop();
  buffer_->SetCurrentPosition(0);
  if (first_) first_->SeekMs(0);
  if (second_) second_->SeekMs(0);
  playedBytes_ = 0;
  writePosition_ = 0;
  fillSnapshot_ = 0;
  countSnapshot_ = 0;
  owedBytes_ = 0;
  pauseCount_ = 0;
  // The timer list belongs to the main thread; at the natural end the fade
  // task finds the sound stopped at its own next step.
  if (!fromThread) StopFadeTask();
  return stopped == platform::kAudioOk ? 0 : 2;
}

int32_t StreamSound::Stop() {
  thread_.RequestStop();
  event_.Set();  // a waiting thread wakes and sees the stop
  JoinThread();
  CancelTimedWakes();
  return StopBuffer(false);
}

int32_t StreamSound::Pause() {
  ScopedLock guard(lock_);
  if (!buffer_) return 1;
  if (pauseCount_ == 0) {
    if (!buffer_->IsPlaying()) return 3;
    if (SoundDevice* device = GetSoundDevice()) device->PlayGuardSilence(buffer_.get());
    if (buffer_->Stop() != platform::kAudioOk) return 2;
  }
  ++pauseCount_;
  return 0;
}

int32_t StreamSound::Resume() {
  ScopedLock guard(lock_);
  if (!buffer_) return 1;
  if (pauseCount_ <= 0) return 2;
  if (--pauseCount_ > 0) return 0;
  if (!thread_.IsRunning()) return 0;
  int32_t started = buffer_->Play(platform::kPlayLooping);
  if (started == platform::kAudioBufferLost) {
    buffer_->Restore();
    started = buffer_->Play(platform::kPlayLooping);
  }
  return started == platform::kAudioOk ? 0 : 3;
}

uint32_t StreamSound::GetTotalBytes() {
  ScopedLock guard(lock_);
  return (first_ ? first_->GetTotalBytes() : 0) + (second_ ? second_->GetTotalBytes() : 0);
}

uint32_t StreamSound::GetLengthMs() {
  ScopedLock guard(lock_);
  return (first_ ? first_->GetLengthMs() : 0) + (second_ ? second_->GetLengthMs() : 0);
}

uint32_t StreamSound::GetPositionMs() {
  ScopedLock guard(lock_);
  if (!first_ || avgBytesPerSec_ == 0) return 0xFFFFFFFFu;
  return uint32_t(playedBytes_ * 1000 / avgBytesPerSec_);
}

int32_t StreamSound::SeekMs(uint32_t ms) {
  ScopedLock guard(lock_);
  if (!first_) return 1;
  const bool wasPlaying = buffer_ && buffer_->IsPlaying();
  Stop();
  const uint32_t firstLength = first_->GetLengthMs();
  uint64_t played;
  if (second_ && ms >= firstLength) {
    if (second_->SeekMs(ms - firstLength) != 0) return 3;
    // Counted from the first file's own byte total, so that the start picks
    // the second file even where its length in milliseconds was rounded.
    played = first_->GetTotalBytes() + uint64_t(avgBytesPerSec_) * (ms - firstLength) / 1000;
  } else {
    if (first_->SeekMs(ms) != 0) return 3;
    played = uint64_t(avgBytesPerSec_) * ms / 1000;
  }
  playedBytes_ = played - played % blockAlign_;
  if (wasPlaying && Start(loop_) != 0) return 4;
  return 0;
}

bool StreamSound::IsPlaying(uint32_t* outPlayCursor, uint32_t* outWriteCursor) {
  ScopedLock guard(lock_);
  if (!buffer_) return false;
  if (outPlayCursor) *outPlayCursor = countSnapshot_;
  if (outWriteCursor) *outWriteCursor = fillSnapshot_;
  return buffer_->IsPlaying();
}

int32_t StreamSound::SetVolume(int32_t level) {
  ScopedLock guard(lock_);
  return SoundBase::SetVolume(level);
}

// ---- the refill thread ----

void StreamSound::ThreadRun() {
  if (threadPriority_ != kNormalPriority) platform::SetCurrentThreadStep(threadPriority_);
  bool introLoop;
  {
    ScopedLock guard(lock_);
    introLoop = second_ != nullptr;
  }
  if (introLoop) {
    RunIntroLoop();
  } else {
    RunSingle();
  }
  CancelTimedWakes();
  event_.DetachWaiter();
}

uint64_t StreamSound::CountPlayed() {
  uint32_t play = 0;
  buffer_->GetCurrentPosition(&play, nullptr);
  playedBytes_ += (uint64_t(play) + ringBytes_ - countSnapshot_) % ringBytes_;
  countSnapshot_ = play;
  passes_.fetch_add(1, std::memory_order_relaxed);
  return playedBytes_;
}

uint32_t StreamSound::SleepMs() {
  ScopedLock guard(lock_);
  const uint32_t eighth = ringBytes_ / 8;
  if (eighth == 0) return 1;
  uint32_t play = 0;
  buffer_->GetCurrentPosition(&play, nullptr);
  // Formats below 1000 bytes a second have fewer than one byte a
  // millisecond: the divisor stays at least 1.
  const uint32_t bytesPerMs = std::max<uint32_t>(1, ringBytes_ / 4000);
  return std::max<uint32_t>(1, (eighth - play % eighth) / bytesPerMs);
}

bool StreamSound::WaitForPass() {
  if (!thread_.CanContinue()) return false;
  if (notify_) {
    event_.Wait(Event::kInfinite);
  } else {
    const uint32_t ms = SleepMs();
    platform::AudioDevice* audio = CurrentAudioDevice();
    if (audio && audio->WakeAfter(&event_, ms)) {
      event_.Wait(Event::kInfinite);
    } else {
      event_.Wait(ms);
    }
  }
  return thread_.CanContinue() != 0;
}

int32_t StreamSound::FillLooping(SoundDecoder* decoder) {
  int32_t result = Fill(decoder, kFillNormal);
  // Looping, the file starts over at once and what it still owes comes from
  // its start in the same pass: a file shorter than a refill is read as
  // often as the refill needs. Two rounds in a row without a byte mean a
  // decoder that cannot start over; the next pass tries again.
  int32_t emptyRounds = 0;
  while (result == 1 && loop_ && emptyRounds < 2) {
    if (decoder->SeekMs(0) != 0) break;
    emptyRounds = lastDelivered_ == 0 ? emptyRounds + 1 : 0;
    result = Fill(decoder, kFillForce);
  }
  return result == 1 && loop_ ? 0 : result;
}

bool StreamSound::FillPart(SoundDecoder* part, uint64_t total, bool& ended) {
  const bool endedBefore = ended;
  int32_t result = 0;
  if (!ended) {
    result = FillLooping(part);
    ended = result == 1;
  }
  if (ended && playedBytes_ >= total) {
    StopBuffer(true);
    return false;
  }
  if (endedBefore) result = Fill(nullptr, kFillNormal);
  if (result >= 2) {
    StopBuffer(true);
    return false;
  }
  return true;
}

void StreamSound::RunSingle() {
  bool ended;
  uint64_t total;
  {
    ScopedLock guard(lock_);
    ended = !loop_ && first_->IsEnd();
    total = first_->GetTotalBytes();
  }
  while (thread_.CanContinue()) {
    ScopedLock guard(lock_);
    CountPlayed();
    // While the file repeats, the position wraps with it.
    if (!ended) playedBytes_ %= total;
    if (!FillPart(first_.get(), total, ended)) return;
    guard.Unlock();
    if (!WaitForPass()) return;
  }
}

void StreamSound::RunIntroLoop() {
  uint64_t firstTotal, total;
  {
    ScopedLock guard(lock_);
    firstTotal = first_->GetTotalBytes();
    total = firstTotal + second_->GetTotalBytes();
  }
  bool inIntro = true;
  bool ended = false;
  while (thread_.CanContinue()) {
    ScopedLock guard(lock_);
    CountPlayed();
    if (inIntro && playedBytes_ < firstTotal) {
      int32_t result = Fill(first_.get(), kFillKeepGoing);
      if (result == 1) {
        // The second file goes on where the first stopped, without a gap.
        result = Fill(second_.get(), kFillForce);
        inIntro = false;
        ended = !loop_ && second_->IsEnd();
      }
      if (result >= 2) {
        StopBuffer(true);
        return;
      }
    } else {
      if (inIntro) {
        inIntro = false;
        ended = !loop_ && second_->IsEnd();
      }
      // Past the end of the loop, the position wraps into the second file.
      if (!ended && playedBytes_ >= total) playedBytes_ = playedBytes_ % total + firstTotal;
      if (!FillPart(second_.get(), total, ended)) return;
    }
    guard.Unlock();
    if (!WaitForPass()) return;
  }
}

}  // namespace orrivel
