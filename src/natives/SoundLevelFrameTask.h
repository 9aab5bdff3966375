#pragma once
// Moves an animation player's picture with the loudness of a playing sound:
// each step reads where the sound plays, takes its amplitude there scaled to
// the player's cells and, when the level changed, draws that cell of the
// strip into the player's target at the player's origin. The task ends when
// the sound stops playing, leaving the strip's first cell (silence) drawn.
//
// Main thread only.
#include <cstdint>

#include "base/TimedTask.h"
#include "natives/ObjectPool.h"

namespace orrivel {

class AnimationPlayer;
class BufferSound;
class TimerList;

// Draws cell n of the player's strip into its target at its origin; false
// when the player has no strip or target of raster pixels or the cell lies
// outside the strip.
bool DrawPlayerCell(const AnimationPlayer& player, int32_t cell);

class SoundLevelFrameTask final : public TimedTask {
 public:
  static constexpr int32_t kTypeId = 13002;
  // The cell drawn when the sound has ended.
  static constexpr int32_t kRestingCell = 0;
  using Player = AnimationPlayerPool::Object;

  SoundLevelFrameTask() = default;
  ~SoundLevelFrameTask() override;

  // 0 added; 1 no list, player or sound, or a sound without its samples in
  // memory; 2 the list refused the task. The task holds the player.
  int32_t Setup(TimerList* list, Player* player, BufferSound* sound);

  int32_t GetTypeId() const override { return kTypeId; }
  int32_t Step(uint32_t now) override;
  void Stop() override { Finish(); }
  void Finish();

  const Player* GetPlayer() const { return player_; }
  int32_t Level() const { return level_; }

 private:
  Player* player_ = nullptr;
  BufferSound* sound_ = nullptr;
  int32_t level_ = -1;
};

}  // namespace orrivel
