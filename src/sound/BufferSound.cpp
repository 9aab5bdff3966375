#include "sound/BufferSound.h"

#include <algorithm>
#include <cstring>

#include "base/ScopedLock.h"
#include "resource/ArchiveManager.h"
#include "sound/SllManager.h"
#include "sound/SoundDecoder.h"
#include "sound/SoundDevice.h"

namespace orrivel {
namespace {

int32_t Sample16(const uint8_t* at) { return int16_t(uint16_t(at[0] | (at[1] << 8))); }

// Reads until the decoder stops or the room is full; an over-delivering
// decoder is held to the room.
uint32_t DecodeInto(SoundDecoder& decoder, uint8_t* out, uint32_t room) {
  uint32_t got = 0;
  while (got < room) {
    const uint32_t n = decoder.Read(out + got, room - got);
    if (n == 0) break;
    got += std::min(n, room - got);
  }
  return got;
}

}  // namespace

BufferSound::BufferSound(SoundDevice* device) {
  if (device) SetSoundDevice(device);
}

BufferSound::~BufferSound() { Close(); }

int32_t BufferSound::LockBuffer(platform::SoundBuffer& buffer, void** region, uint32_t* bytes) {
  return buffer.Lock(0, buffer.Size(), region, bytes, nullptr, nullptr, platform::kLockEntireBuffer);
}

int32_t BufferSound::UnlockBuffer(platform::SoundBuffer& buffer, void* region, uint32_t bytes) {
  return buffer.Unlock(region, bytes, nullptr, 0);
}

void BufferSound::AllocateKept(uint32_t bytes) { kept_.assign(bytes, 0); }

uint16_t BufferSound::BuildEnvelope(uint8_t* samples, uint32_t bytes, uint16_t bitsPerSample) {
  const uint32_t width = bitsPerSample == 8 ? 1 : 2;
  const uint32_t blockBytes = kEnvelopeBlock * width;
  uint32_t largest = 0;
  for (uint32_t at = 0; at + blockBytes <= bytes; at += blockBytes) {
    uint8_t* block = samples + at;
    uint32_t sum = 0;
    for (uint32_t i = 0; i < kEnvelopeBlock; ++i) {
      sum += width == 2 ? uint32_t(std::abs(Sample16(block + 2 * i))) : uint32_t(std::abs(block[i] - 128));
    }
    const uint32_t mean = sum >> 5;
    largest = std::max(largest, mean);
    // 8-bit samples sit around 128, and so does their envelope: a silent
    // block must read back as silence.
    const uint8_t byte = uint8_t(128 + std::min<uint32_t>(mean, 127));
    for (uint32_t i = 0; i < kEnvelopeBlock; ++i) {
      if (width == 2) {
        block[2 * i] = uint8_t(mean);
        block[2 * i + 1] = uint8_t(mean >> 8);
      } else {
        block[i] = byte;
      }
    }
  }
  return uint16_t(largest >> 2);
}

int32_t BufferSound::Open(const char* fileName, int32_t mode) {
  int32_t result = kBufferOpenFailed;
  try {
    result = OpenFile(fileName, mode);
  } catch (...) {
    result = kBufferOpenFailed;
  }
  // A failed open never leaves a sound half made, nor the one it replaced.
  if (result > 0) Close();
  return result;
}

int32_t BufferSound::OpenFile(const char* fileName, int32_t mode) {
  SoundDevice* device = GetSoundDevice();
  if (!device || !fileName || !device->Device()) return kBufferOpenNoDevice;
  ArchiveManager* archives = GetArchiveManager();
  std::string fullPath;
  if (!archives) return kBufferOpenNoFile;
  const int found = archives->FindFileOrMember(&fullPath, fileName, nullptr);
  if (found != 0 && found != -1) return kBufferOpenNoFile;
  if (!fileName_.empty() && fileName_ == fullPath) return kBufferOpenOk;
  Close();
  SllManager* codecs = GetSllManager();
  SoundDecoderPtr decoder(codecs ? codecs->CreateDecoder(fullPath.c_str(), nullptr, false, nullptr) : nullptr);
  if (!decoder) return kBufferOpenNoFile;
  const int32_t result = OpenDecoded(*decoder, mode);
  if (result <= 0) fileName_ = fullPath;
  return result;
}

int32_t BufferSound::OpenDecoded(SoundDecoder& decoder, int32_t mode) {
  const platform::WaveFormat* given = decoder.GetFormat();
  if (!given) return kBufferOpenNoBuffer;
  const platform::WaveFormat format = *given;
  const uint32_t total = decoder.GetTotalBytes();
  const uint32_t extra = GetSoundDevice()->ExtraBufferFlags();
  int32_t result = kBufferOpenOk;
  buffer_ = CreateBuffer(format, kFullControl | extra, total);
  if (!buffer_) {
    buffer_ = CreateBuffer(format, platform::kBufferCtrlVolume | extra, total);
    result = kBufferOpenVolumeOnly;
  }
  if (!buffer_) return kBufferOpenNoBuffer;
  void* region = nullptr;
  uint32_t regionBytes = 0;
  int32_t locked = LockBuffer(*buffer_, &region, &regionBytes);
  if (locked == platform::kAudioBufferLost) {
    buffer_->Restore();
    locked = LockBuffer(*buffer_, &region, &regionBytes);
  }
  if (locked != platform::kAudioOk) return kBufferOpenLockFailed;
  auto* out = static_cast<uint8_t*>(region);
  const uint32_t room = std::min(regionBytes, total);
  const uint8_t silence = SilenceByte(format.bitsPerSample);
  uint32_t delivered = 0;
  try {
    if (mode == kKeepNoSamples || format.bitsPerSample > 16) {
      delivered = DecodeInto(decoder, out, room);
      std::memset(out + delivered, silence, regionBytes - delivered);
    } else {
      AllocateKept(total);
      delivered = DecodeInto(decoder, kept_.data(), uint32_t(kept_.size()));
      std::fill(kept_.begin() + delivered, kept_.end(), silence);
      std::memcpy(out, kept_.data(), room);
      std::memset(out + room, silence, regionBytes - room);
      peak_ = mode == kKeepEnvelope ? BuildEnvelope(kept_.data(), delivered, format.bitsPerSample) : 0;
      keptWidth_ = format.bitsPerSample == 16 ? 2 : 1;
    }
  } catch (...) {
    UnlockBuffer(*buffer_, region, regionBytes);
    throw;
  }
  if (delivered == 0) {
    UnlockBuffer(*buffer_, region, regionBytes);
    return kBufferOpenNoSamples;
  }
  if (UnlockBuffer(*buffer_, region, regionBytes) != platform::kAudioOk) return kBufferOpenUnlockFailed;
  totalBytes_ = total;
  ApplyStoredLevel();
  return result;
}

int32_t BufferSound::OpenDuplicate(const BufferSound* other) {
  SoundDevice* device = GetSoundDevice();
  if (!device || !other || !other->buffer_ || !device->Device()) return 1;
  Close();
  int32_t result = platform::kAudioOk;
  buffer_ = device->Device()->DuplicateBuffer(*other->buffer_, &result);
  if (!buffer_) return 2;
  totalBytes_ = other->totalBytes_;
  return 0;
}

int32_t BufferSound::Close() {
  Stop();
  buffer_.reset();
  fileName_.clear();
  kept_.clear();
  kept_.shrink_to_fit();
  playMode_ = kNotStarted;
  startPending_ = false;
  pauseCount_ = 0;
  totalBytes_ = 0;
  keptWidth_ = 0;
  peak_ = 0;
  return 0;
}

int32_t BufferSound::RestoreBuffer() {
  if (!buffer_) return 1;
  if (!(buffer_->GetStatus() & platform::kStatusLost)) return 0;
  if (fileName_.empty()) {
    buffer_->Restore();
    return 0;
  }
  // Closing first, so that the open decodes the file again instead of
  // finding its own name and keeping the lost buffer.
  const std::string path = fileName_;
  Close();
  return Open(path.c_str(), kKeepNoSamples);
}

void BufferSound::PlayGuardSilence() {
  if (SoundDevice* device = GetSoundDevice()) device->PlayGuardSilence(buffer_.get());
}

int32_t BufferSound::StartBuffer() {
  const uint32_t flags = playMode_ == kPlayingLooping ? platform::kPlayLooping : 0;
  int32_t started = buffer_->Play(flags);
  if (started == platform::kAudioBufferLost) {
    const uint8_t playMode = playMode_;
    if (RestoreBuffer() != 0 || !buffer_) return started;
    playMode_ = playMode;
    started = buffer_->Play(flags);
  }
  return started;
}

int32_t BufferSound::Start(uint8_t playMode) {
  if (!buffer_) return 1;
  if (startPending_) {
    startPending_ = false;
  } else if (playMode_ != kNotStarted) {
    buffer_->Stop();
    buffer_->SetCurrentPosition(0);
  }
  playMode_ = playMode;
  pauseCount_ = 0;
  return StartBuffer() == platform::kAudioOk ? 0 : 2;
}

int32_t BufferSound::Pause() {
  if (!buffer_) return 1;
  if (playMode_ == kNotStarted) return 2;
  if (pauseCount_ == 0) {
    if (!buffer_->IsPlaying()) return 3;
    PlayGuardSilence();
    if (buffer_->Stop() != platform::kAudioOk) return 2;
  }
  ++pauseCount_;
  return 0;
}

int32_t BufferSound::Resume() {
  if (!buffer_) return 1;
  if (pauseCount_ <= 0) return 2;
  if (--pauseCount_ > 0) return 0;
  return StartBuffer() == platform::kAudioOk ? 0 : 3;
}

int32_t BufferSound::Stop() {
  if (!buffer_) return 1;
  PlayGuardSilence();
  const int32_t first = buffer_->Stop();
  buffer_->Stop();
  buffer_->SetCurrentPosition(0);
  startPending_ = false;
  playMode_ = kNotStarted;
  pauseCount_ = 0;
  {
    ScopedLock guard(lock_);
    StopFadeTask();
  }
  return first == platform::kAudioOk ? 0 : 2;
}

uint32_t BufferSound::GetLengthMs() {
  if (!buffer_ || buffer_->Format().avgBytesPerSec == 0) return 0;
  return uint32_t(uint64_t(totalBytes_) * 1000 / buffer_->Format().avgBytesPerSec);
}

uint32_t BufferSound::GetPositionMs() {
  if (!buffer_ || buffer_->Format().avgBytesPerSec == 0) return 0;
  uint32_t play = 0;
  buffer_->GetCurrentPosition(&play, nullptr);
  return uint32_t(uint64_t(play) * 1000 / buffer_->Format().avgBytesPerSec);
}

int32_t BufferSound::SeekMs(uint32_t ms) {
  if (!buffer_) return 1;
  const uint32_t rate = buffer_->Format().avgBytesPerSec;
  if (rate == 0) return 2;
  if (HasFadeTask() || !buffer_->IsPlaying()) {
    Stop();
    startPending_ = true;
  }
  const uint64_t position = uint64_t(rate) * ms / 1000;
  if (position >= totalBytes_) return 3;
  return buffer_->SetCurrentPosition(uint32_t(position)) == platform::kAudioOk ? 0 : 3;
}

bool BufferSound::IsPlaying(uint32_t* outPlayCursor, uint32_t* outWriteCursor) {
  if (!buffer_) return false;
  if (outPlayCursor || outWriteCursor) {
    uint32_t play = 0, write = 0;
    buffer_->GetCurrentPosition(&play, &write);
    if (outPlayCursor) *outPlayCursor = play;
    if (outWriteCursor) *outWriteCursor = write;
  }
  return buffer_->IsPlaying();
}

int32_t BufferSound::GetSampleAt(uint32_t byteOffset) const {
  if (keptWidth_ == 0 || byteOffset >= totalBytes_ || byteOffset + keptWidth_ > kept_.size()) return 0;
  return keptWidth_ == 2 ? Sample16(&kept_[byteOffset]) : int32_t(kept_[byteOffset]);
}

uint32_t BufferSound::GetAmplitudeAt(uint32_t byteOffset, uint32_t scale) const {
  if (keptWidth_ == 0 || byteOffset >= totalBytes_ || byteOffset + keptWidth_ > kept_.size()) return 0;
  uint32_t a;
  if (keptWidth_ == 2) {
    a = uint32_t(std::abs(Sample16(&kept_[byteOffset])));
    if (scale == 0) a >>= 7;
  } else {
    a = uint32_t(std::abs(int32_t(kept_[byteOffset]) - 128));
    if (scale == 0) a *= 2;
  }
  if (scale == 0) return std::min<uint32_t>(a, 255);
  if (peak_ == 0) return 0;
  const uint64_t scaled = uint64_t(a) * scale / peak_;
  return scaled >= scale ? scale - 1 : uint32_t(scaled);
}

}  // namespace orrivel
