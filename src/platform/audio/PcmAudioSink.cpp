#include "platform/audio/PcmAudioSink.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace orrivel::platform {

bool PcmAudioSink::Open(const media::AudioFormat& format) {
  Close();
  if (DeviceGone()) return false;
  const WaveFormat wave = WaveFormat::Pcm(format.sampleRate, format.channels, 16);
  if (!wave.IsPlayablePcm()) return false;
  int32_t result = 0;
  const uint32_t capacity = uint32_t(uint64_t(wave.avgBytesPerSec) * queueMs_ / 1000);
  auto stream = PcmOutputStream::Create(wave, capacity, &result);
  if (!stream) return false;
  std::lock_guard<std::mutex> lock(lock_);
  stream->SetPaused(!running_);
  stream->SetVolume(volume_);
  stream_ = stream;
  sampleRate_ = format.sampleRate;
  playedBase_ = 0;
  held_.clear();
  mixer_.Add(stream_);
  return true;
}

void PcmAudioSink::Close() {
  std::lock_guard<std::mutex> lock(lock_);
  ++generation_;
  // The mixer holds the stream weakly: it drops out of the mix here.
  stream_.reset();
  held_.clear();
}

bool PcmAudioSink::FeedLocked() {
  if (!held_.empty() && stream_) {
    const uint32_t taken = stream_->Write(held_.data(), uint32_t(held_.size()));
    held_.erase(held_.begin(), held_.begin() + taken);
  }
  return held_.empty();
}

void PcmAudioSink::Write(const int16_t* samples, uint32_t frames) {
  std::unique_lock<std::mutex> lock(lock_);
  if (!stream_ || frames == 0) return;
  const size_t bytes = size_t(frames) * stream_->Format().blockAlign;
  const auto* data = reinterpret_cast<const uint8_t*>(samples);
  held_.insert(held_.end(), data, data + bytes);
  const uint64_t generation = generation_;
  auto lastProgress = std::chrono::steady_clock::now();
  size_t left = held_.size();
  while (!FeedLocked() && running_ && generation == generation_) {
    if (DeviceGone()) {
      held_.clear();
      return;
    }
    if (held_.size() < left) {
      left = held_.size();
      lastProgress = std::chrono::steady_clock::now();
    } else if (std::chrono::steady_clock::now() - lastProgress > std::chrono::milliseconds(kStallMs)) {
      held_.clear();
      return;
    }
    // The mixer frees room on its own thread; look again shortly.
    lock.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    lock.lock();
  }
}

void PcmAudioSink::SetRunning(bool running) {
  std::lock_guard<std::mutex> lock(lock_);
  running_ = running;
  if (!running) ++generation_;
  if (!stream_) return;
  stream_->SetPaused(!running);
  if (running) FeedLocked();
}

void PcmAudioSink::Flush() {
  std::lock_guard<std::mutex> lock(lock_);
  ++generation_;
  held_.clear();
  if (!stream_) return;
  stream_->Clear();
  playedBase_ = stream_->PlayedFrames();
}

void PcmAudioSink::SetVolume(int32_t hundredthsDb) {
  std::lock_guard<std::mutex> lock(lock_);
  volume_ = hundredthsDb;
  if (stream_) stream_->SetVolume(hundredthsDb);
}

int64_t PcmAudioSink::PlayedMicroseconds() {
  std::lock_guard<std::mutex> lock(lock_);
  if (!stream_ || sampleRate_ == 0 || DeviceGone()) return -1;
  // The presentation thread asks often while sound plays: a good moment to
  // pass on what a paused write kept back.
  if (running_) FeedLocked();
  return int64_t((stream_->PlayedFrames() - playedBase_) * 1000000 / sampleRate_);
}

size_t PcmAudioSink::HeldBytes() const {
  std::lock_guard<std::mutex> lock(lock_);
  return held_.size();
}

}  // namespace orrivel::platform
