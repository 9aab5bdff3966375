#pragma once
// The one mixer of the engine's sounds: adds every live source into 16-bit
// output, clipping, then wakes the targets whose notifications were
// crossed. It holds its sources weakly: a source that nothing else holds
// drops out of the mix.
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio/MixSource.h"
#include "platform/audio/WaveFormat.h"

namespace orrivel::platform {

class AudioMixer {
 public:
  void Add(const std::shared_ptr<MixSource>& source);
  // Mixes `frames` frames of `output` (16-bit, its channel count) into out.
  // The woken targets are appended to woken when given.
  void Mix(int16_t* out, uint32_t frames, const WaveFormat& output, std::vector<AudioWakeTarget*>* woken);
  size_t SourceCount();

 private:
  std::vector<std::shared_ptr<MixSource>> LiveSources();

  std::mutex listLock_;
  std::vector<std::weak_ptr<MixSource>> sources_;
  std::mutex mixLock_;  // one mix at a time; guards the accumulator
  std::vector<int32_t> accumulator_;
};

}  // namespace orrivel::platform
