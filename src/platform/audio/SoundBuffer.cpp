#include "platform/audio/SoundBuffer.h"

#include <algorithm>
#include <new>

namespace orrivel::platform {

std::shared_ptr<SoundBuffer> SoundBuffer::Create(const WaveFormat& format, uint32_t flags, uint32_t bytes,
                                                 uint32_t mixAheadBytes, int32_t* result) {
  auto answer = [result](int32_t code) {
    if (result) *result = code;
    return std::shared_ptr<SoundBuffer>();
  };
  if (!format.IsPlayablePcm()) return answer(kAudioBadFormat);
  if ((flags & kBufferPrimary) || bytes < kMinBufferBytes || bytes > kMaxBufferBytes ||
      bytes % format.blockAlign != 0) {
    return answer(kAudioInvalidParam);
  }
  try {
    auto store = std::make_shared<Store>();
    store->bytes.assign(bytes, format.bitsPerSample == 8 ? 0x80 : 0);
    std::shared_ptr<SoundBuffer> buffer(new SoundBuffer(format, flags, mixAheadBytes, std::move(store)));
    if (result) *result = kAudioOk;
    return buffer;
  } catch (const std::bad_alloc&) {
    return answer(kAudioOutOfMemory);
  }
}

SoundBuffer::SoundBuffer(const WaveFormat& format, uint32_t flags, uint32_t mixAhead, std::shared_ptr<Store> store)
    : format_(format),
      flags_(flags),
      size_(uint32_t(store->bytes.size())),
      // The write cursor stays a whole number of blocks ahead and inside the ring.
      mixAhead_(std::min(mixAhead - mixAhead % format.blockAlign, size_ - format.blockAlign)),
      store_(std::move(store)),
      frequency_(format.samplesPerSec) {}

std::shared_ptr<SoundBuffer> SoundBuffer::Duplicate() const {
  std::shared_ptr<SoundBuffer> copy(new SoundBuffer(format_, flags_, mixAhead_, store_));
  std::lock_guard guard(lock_);
  copy->volume_ = volume_;
  copy->pan_ = pan_;
  copy->frequency_ = frequency_;
  copy->UpdateGainsLocked();
  return copy;
}

uint32_t SoundBuffer::WriteCursorLocked() const {
  const uint32_t play = positionFrame_ * format_.blockAlign;
  return playing_ ? (play + mixAhead_) % size_ : play;
}

int32_t SoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* bytes1, void** region2,
                          uint32_t* bytes2, uint32_t flags) {
  if (!region1 || !bytes1) return kAudioInvalidParam;
  {
    std::lock_guard guard(lock_);
    if (lost_) return kAudioBufferLost;
    if (flags & kLockEntireBuffer) {
      offset = 0;
      bytes = size_;
    } else if (flags & kLockFromWriteCursor) {
      offset = WriteCursorLocked();
    }
    if (offset >= size_ || bytes == 0 || bytes > size_) return kAudioInvalidParam;
    if (locked_) return kAudioInvalidParam;
    locked_ = true;
  }
  store_->lock.lock();
  uint8_t* data = store_->bytes.data();
  const uint32_t first = std::min(bytes, size_ - offset);
  *region1 = data + offset;
  *bytes1 = first;
  if (region2) *region2 = bytes > first ? data : nullptr;
  if (bytes2) *bytes2 = bytes - first;
  return kAudioOk;
}

int32_t SoundBuffer::Unlock(void*, uint32_t, void*, uint32_t) {
  {
    std::lock_guard guard(lock_);
    if (!locked_) return kAudioInvalidParam;
    locked_ = false;
  }
  store_->lock.unlock();
  return kAudioOk;
}

int32_t SoundBuffer::Play(uint32_t flags) {
  std::lock_guard guard(lock_);
  if (lost_) return kAudioBufferLost;
  playing_ = true;
  looping_ = (flags & kPlayLooping) != 0;
  return kAudioOk;
}

int32_t SoundBuffer::Stop() {
  std::vector<AudioWakeTarget*> woken;
  {
    std::lock_guard guard(lock_);
    if (!playing_) return kAudioOk;
    playing_ = false;
    ++generation_;
    CollectLocked(0, 0, true, woken);
  }
  for (AudioWakeTarget* target : woken) target->Wake();
  return kAudioOk;
}

int32_t SoundBuffer::SetCurrentPosition(uint32_t offset) {
  std::lock_guard guard(lock_);
  if (offset >= size_) return kAudioInvalidParam;
  positionFrame_ = offset / format_.blockAlign;
  fraction_ = 0;
  ++generation_;
  return kAudioOk;
}

int32_t SoundBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) const {
  std::lock_guard guard(lock_);
  if (play) *play = positionFrame_ * format_.blockAlign;
  if (write) *write = WriteCursorLocked();
  return kAudioOk;
}

uint32_t SoundBuffer::GetStatus() const {
  std::lock_guard guard(lock_);
  uint32_t status = 0;
  if (playing_) status |= kStatusPlaying | (looping_ ? kStatusLooping : 0);
  if (lost_) status |= kStatusLost;
  return status;
}

void SoundBuffer::UpdateGainsLocked() {
  const int32_t gain = AttenuationToGain(volume_);
  // Panning only takes away from the far side.
  const int32_t left = AttenuationToGain(std::min(0, -pan_));
  const int32_t right = AttenuationToGain(std::min(0, pan_));
  gainLeft_ = int32_t((int64_t(gain) * left + 32768) >> 16);
  gainRight_ = int32_t((int64_t(gain) * right + 32768) >> 16);
}

int32_t SoundBuffer::SetVolume(int32_t hundredthsDb) {
  if (!(flags_ & kBufferCtrlVolume)) return kAudioNoControl;
  if (hundredthsDb < kVolumeSilent || hundredthsDb > kVolumeFull) return kAudioInvalidParam;
  std::lock_guard guard(lock_);
  volume_ = hundredthsDb;
  UpdateGainsLocked();
  return kAudioOk;
}

int32_t SoundBuffer::GetVolume(int32_t* hundredthsDb) const {
  if (!(flags_ & kBufferCtrlVolume)) return kAudioNoControl;
  if (!hundredthsDb) return kAudioInvalidParam;
  std::lock_guard guard(lock_);
  *hundredthsDb = volume_;
  return kAudioOk;
}

int32_t SoundBuffer::SetPan(int32_t pan) {
  if (!(flags_ & kBufferCtrlPan)) return kAudioNoControl;
  if (pan < kPanLeft || pan > kPanRight) return kAudioInvalidParam;
  std::lock_guard guard(lock_);
  pan_ = pan;
  UpdateGainsLocked();
  return kAudioOk;
}

int32_t SoundBuffer::GetPan(int32_t* pan) const {
  if (!(flags_ & kBufferCtrlPan)) return kAudioNoControl;
  if (!pan) return kAudioInvalidParam;
  std::lock_guard guard(lock_);
  *pan = pan_;
  return kAudioOk;
}

int32_t SoundBuffer::SetFrequency(uint32_t hz) {
  if (!(flags_ & kBufferCtrlFrequency)) return kAudioNoControl;
  if (hz == kFrequencyOriginal) hz = format_.samplesPerSec;
  if (hz < kFrequencyMin || hz > kFrequencyMax) return kAudioInvalidParam;
  std::lock_guard guard(lock_);
  frequency_ = hz;
  return kAudioOk;
}

int32_t SoundBuffer::GetFrequency(uint32_t* hz) const {
  if (!(flags_ & kBufferCtrlFrequency)) return kAudioNoControl;
  if (!hz) return kAudioInvalidParam;
  std::lock_guard guard(lock_);
  *hz = frequency_;
  return kAudioOk;
}

int32_t SoundBuffer::SetNotificationPositions(const std::vector<PositionNotify>& positions) {
  if (!(flags_ & kBufferCtrlPositionNotify)) return kAudioNoControl;
  for (const PositionNotify& n : positions) {
    if (!n.target || (n.offset != kNotifyAtStop && n.offset >= size_)) return kAudioInvalidParam;
  }
  std::lock_guard guard(lock_);
  if (playing_) return kAudioFailed;
  notifications_ = positions;
  return kAudioOk;
}

void SoundBuffer::RaiseLost() {
  std::lock_guard guard(lock_);
  lost_ = true;
  playing_ = false;
  ++generation_;
}

int32_t SoundBuffer::Restore() {
  std::lock_guard guard(lock_);
  lost_ = false;
  return kAudioOk;
}

void SoundBuffer::CollectLocked(uint32_t startByte, uint64_t advancedBytes, bool stopped,
                                std::vector<AudioWakeTarget*>& woken) const {
  for (const PositionNotify& n : notifications_) {
    if (n.offset == kNotifyAtStop) {
      if (stopped) woken.push_back(n.target);
      continue;
    }
    // Crossed when the played span [start, start + advanced) of the ring
    // covers the offset; a span of a whole ring or more covers every offset
    // once.
    const uint64_t distance = (uint64_t(n.offset) + size_ - startByte) % size_;
    if (distance < advancedBytes) woken.push_back(n.target);
  }
}

void SoundBuffer::MixInto(int32_t* acc, uint32_t frames, const WaveFormat& output,
                          std::vector<AudioWakeTarget*>& woken) {
  uint32_t position, fraction, frequency;
  uint64_t generation;
  bool looping;
  int32_t gainLeft, gainRight;
  {
    std::lock_guard guard(lock_);
    if (!playing_ || lost_) return;
    position = positionFrame_;
    fraction = fraction_;
    generation = generation_;
    looping = looping_;
    frequency = frequency_;
    gainLeft = gainLeft_;
    gainRight = gainRight_;
  }
  const uint32_t block = format_.blockAlign;
  const uint32_t totalFrames = size_ / block;
  const uint64_t step = ResampleStep(frequency, output.samplesPerSec);
  const uint32_t start = position;
  uint64_t advanced = 0;
  bool ended = false;
  {
    std::lock_guard guard(store_->lock);
    const uint8_t* data = store_->bytes.data();
    for (uint32_t i = 0; i < frames; ++i) {
      if (position >= totalFrames) {
        if (!looping) {
          ended = true;
          break;
        }
        position %= totalFrames;
      }
      int32_t left, right;
      ReadPcmFrame(data + size_t(position) * block, format_, left, right);
      AccumulateFrame(acc + size_t(i) * output.channels, output.channels, left, right, gainLeft, gainRight);
      const uint64_t next = fraction + step;
      fraction = uint32_t(next);
      position += uint32_t(next >> 32);
      advanced += next >> 32;
    }
    if (position >= totalFrames) {
      if (looping) {
        position %= totalFrames;
      } else {
        ended = true;
      }
    }
  }
  std::lock_guard guard(lock_);
  // A caller moved or stopped the cursor while the bytes were mixed: their
  // word wins.
  if (generation_ != generation) return;
  if (ended) {
    playing_ = false;
    ++generation_;
    position = 0;
    fraction = 0;
  }
  positionFrame_ = position;
  fraction_ = fraction;
  CollectLocked(start * block, advanced * block, ended, woken);
}

}  // namespace orrivel::platform
