#pragma once
// Lowers the music level while a channel (normally the voice) plays, holds
// it a second after the channel ends, then brings it back: 500 ms down,
// 1000 ms held, 1000 ms up. A second request while one runs takes over its
// level to return to, so only one restore happens.
#include <cstdint>

#include "sound/SoundTask.h"

namespace orrivel {

class MusicDuckingTask final : public SoundTask {
 public:
  static constexpr uint32_t kLowerMs = 500;
  static constexpr uint32_t kHoldMs = 1000;
  static constexpr uint32_t kRestoreMs = 1000;

  enum Stage : uint8_t { kBegin = 0, kLowering = 1, kWaiting = 2, kHolding = 3, kRestoring = 4 };

  int32_t GetTypeId() const override { return kMusicDuckingType; }
  // 1 null list or manager, or a factor not below 1.0; -1 the channel does
  // not play; -2 no music plays; 2 the list refused the task.
  int32_t Start(TimerList* list, SoundManager* manager, int32_t channel, double factor);
  int32_t Step(uint32_t now) override;

  int32_t BaseLevel() const { return base_; }
  int32_t DuckedLevel() const { return ducked_; }
  uint8_t GetStage() const { return stage_; }

 private:
  // Puts the music level back to the base, unless another task took over.
  void OnFinish() override;
  void SetLevel(int32_t level);

  SoundManager* manager_ = nullptr;
  int32_t channel_ = 0;
  int32_t base_ = 0;
  int32_t ducked_ = 0;
  int32_t from_ = 0;
  uint8_t stage_ = kBegin;
  uint32_t stageStart_ = 0;
  bool done_ = false;
};

}  // namespace orrivel
