#include "platform/audio/VirtualAudioDevice.h"

#include <algorithm>
#include <cstdio>

#include "platform/Clock.h"

namespace orrivel::platform {
namespace {

uint32_t Bit(AudioFailPoint point) { return 1u << static_cast<int>(point); }

}  // namespace

void VirtualAudioDevice::InjectFailure(AudioFailPoint point, bool fail) {
  failures_ = fail ? failures_ | Bit(point) : failures_ & ~Bit(point);
}

bool VirtualAudioDevice::Fails(AudioFailPoint point) const { return (failures_ & Bit(point)) != 0; }

int32_t VirtualAudioDevice::Initialize(const char*) {
  return Fails(AudioFailPoint::Initialize) ? kAudioFailed : kAudioOk;
}

int32_t VirtualAudioDevice::SetCooperativeLevel(void* window, int32_t level) {
  if ((level == kCooperativePriority && Fails(AudioFailPoint::PriorityLevel)) ||
      (level == kCooperativeNormal && Fails(AudioFailPoint::NormalLevel))) {
    return kAudioFailed;
  }
  return AudioDevice::SetCooperativeLevel(window, level);
}

int32_t VirtualAudioDevice::CheckCreate() {
  return Fails(AudioFailPoint::CreateBuffer) ? kAudioOutOfMemory : kAudioOk;
}

bool VirtualAudioDevice::WakeAfter(AudioWakeTarget* target, uint32_t ms) {
  if (!target) return false;
  const uint64_t frames = uint64_t(PrimaryFormat().samplesPerSec) * ms / 1000;
  std::lock_guard guard(wakeLock_);
  wakes_.push_back({framesMixed_.load() + std::max<uint64_t>(frames, 1), target});
  return true;
}

void VirtualAudioDevice::CancelWakes(AudioWakeTarget* target) {
  std::lock_guard guard(wakeLock_);
  std::erase_if(wakes_, [target](const TimedWake& w) { return w.target == target; });
}

void VirtualAudioDevice::CollectDueWakes(uint64_t frame, std::vector<AudioWakeTarget*>& woken) {
  std::lock_guard guard(wakeLock_);
  for (auto it = wakes_.begin(); it != wakes_.end();) {
    if (it->frame <= frame) {
      woken.push_back(it->target);
      it = wakes_.erase(it);
    } else {
      ++it;
    }
  }
}

void VirtualAudioDevice::StartCapture() {
  capture_.clear();
  capturing_ = true;
}

void VirtualAudioDevice::Advance(uint32_t frames) {
  const WaveFormat output = PrimaryFormat();
  const uint32_t quantum = std::max<uint32_t>(1, output.samplesPerSec / 100);
  std::vector<int16_t> block;
  std::vector<AudioWakeTarget*> woken;
  while (frames > 0) {
    const uint32_t now = std::min(frames, quantum);
    block.resize(size_t(now) * output.channels);
    woken.clear();
    Mixer().Mix(block.data(), now, output, &woken);
    if (capturing_) capture_.insert(capture_.end(), block.begin(), block.end());
    framesMixed_ += now;
    const size_t crossed = woken.size();
    CollectDueWakes(framesMixed_, woken);
    for (size_t i = crossed; i < woken.size(); ++i) woken[i]->Wake();
    for (AudioWakeTarget* target : woken) target->WaitSettled(kSettleTimeoutMs);
    frames -= now;
  }
}

void VirtualAudioDevice::AdvanceMs(uint32_t ms) {
  Advance(uint32_t(uint64_t(PrimaryFormat().samplesPerSec) * ms / 1000));
}

void VirtualAudioDevice::KeepTimeWithClock() {
  std::lock_guard guard(keepLock_);
  const uint32_t now = Clock().TickMs();
  if (!keepingTime_) {
    keepingTime_ = true;
    lastKeptTick_ = now;
    return;
  }
  const uint32_t elapsed = std::min(now - lastKeptTick_, kMaxKeptSpanMs);
  lastKeptTick_ = now;
  const uint64_t owed = keptRemainder_ + uint64_t(PrimaryFormat().samplesPerSec) * elapsed;
  keptRemainder_ = owed % 1000;
  if (owed >= 1000) Advance(uint32_t(owed / 1000));
}

bool VirtualAudioDevice::WriteCaptureWave(const std::string& hostPath) const {
  const uint64_t dataBytes = uint64_t(capture_.size()) * 2;
  if (dataBytes > 0xFFFFFFFFull - kWaveHeaderBytes) return false;
  uint8_t head[kWaveHeaderBytes];
  BuildWaveHeader(PrimaryFormat(), uint32_t(dataBytes), head);
  const std::string temp = hostPath + ".tmp";
  std::FILE* file = std::fopen(temp.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(head, 1, sizeof head, file) == sizeof head;
  // Samples are written little-endian, as the machine holds them.
  ok = ok && std::fwrite(capture_.data(), 2, capture_.size(), file) == capture_.size();
  ok = std::fclose(file) == 0 && ok;
  if (ok && std::rename(temp.c_str(), hostPath.c_str()) == 0) return true;
  std::remove(temp.c_str());
  return false;
}

}  // namespace orrivel::platform
