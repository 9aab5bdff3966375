#include "platform/audio/AudioMixer.h"

#include <algorithm>

namespace orrivel::platform {

void AudioMixer::Add(const std::shared_ptr<MixSource>& source) {
  std::lock_guard guard(listLock_);
  sources_.push_back(source);
}

std::vector<std::shared_ptr<MixSource>> AudioMixer::LiveSources() {
  std::lock_guard guard(listLock_);
  std::erase_if(sources_, [](const std::weak_ptr<MixSource>& s) { return s.expired(); });
  std::vector<std::shared_ptr<MixSource>> live;
  live.reserve(sources_.size());
  for (const auto& s : sources_) {
    if (auto held = s.lock()) live.push_back(std::move(held));
  }
  return live;
}

size_t AudioMixer::SourceCount() { return LiveSources().size(); }

void AudioMixer::Mix(int16_t* out, uint32_t frames, const WaveFormat& output,
                     std::vector<AudioWakeTarget*>* woken) {
  const std::vector<std::shared_ptr<MixSource>> live = LiveSources();
  std::vector<AudioWakeTarget*> crossed;
  {
    std::lock_guard guard(mixLock_);
    const size_t samples = size_t(frames) * output.channels;
    accumulator_.assign(samples, 0);
    for (const auto& source : live) source->MixInto(accumulator_.data(), frames, output, crossed);
    for (size_t i = 0; i < samples; ++i) out[i] = int16_t(std::clamp(accumulator_[i], -32768, 32767));
  }
  // Every source lock is free again: waking cannot deadlock with a woken
  // thread that goes straight to its buffer.
  for (AudioWakeTarget* target : crossed) target->Wake();
  if (woken) woken->insert(woken->end(), crossed.begin(), crossed.end());
}

}  // namespace orrivel::platform
