#pragma once
// The voice-synchronised frame task: moves a mouth (or any strip of frames)
// with a playing voice. Each step reads where the sound plays, takes its
// amplitude there scaled to the frame count and, when that picks another
// frame, draws it through the animation state: the state's saved
// background goes back first when it keeps one and draws blended, and its
// listeners are told the drawn rectangle. Once the sound has stopped the
// resting picture is drawn and the task ends.
//
// The state is a frame stepper's own (shared, so the stepper may go first),
// or one made over an animation player: the player's strip drawn at its
// origin into its target, its cell count the amplitude's scale, resting on
// the first cell. The task keeps the player it works for (holding it when
// made over it), so that the player's release can stop the task first.
//
// A voice the script deletes ends the task as a stopped one does.
//
// Main thread only.
#include <cstdint>
#include <memory>

#include "base/TimedTask.h"
#include "base/WeakLink.h"
#include "natives/ObjectPool.h"

namespace orrivel {

class BufferSound;
struct FrameStripState;
class TimerList;

class IntervalTask final : public TimedTask {
 public:
  static constexpr int32_t kTypeId = 13002;
  static constexpr int32_t kStartOk = 0;
  // No list, state (or player) or sound, or a sound without its samples or
  // envelope in memory.
  static constexpr int32_t kStartMissing = 1;
  // The sound's play position cannot be read: it is not playing.
  static constexpr int32_t kStartNotPlaying = 2;
  static constexpr int32_t kStartListRefused = 3;
  using Player = AnimationPlayerPool::Object;

  IntervalTask() = default;
  ~IntervalTask() override;

  // Over a frame stepper's animation state. The frame height is read from
  // the frames image, and the area under the animation saved now when the
  // state keeps a background. `player` (may be null) only names the player
  // the state draws for.
  int32_t Start(TimerList* list, std::shared_ptr<FrameStripState> state, BufferSound* sound,
                Player* player = nullptr);
  // Over an animation player whose strip and target are raster pictures.
  int32_t Start(TimerList* list, Player* player, BufferSound* sound);

  int32_t GetTypeId() const override { return kTypeId; }
  int32_t Step(uint32_t now) override;
  // Stopped by the list: lets go without drawing.
  void Stop() override { Release(); }
  // Draws the resting picture and lets go.
  void Finish();

  const Player* GetPlayer() const { return player_; }
  int32_t CurrentFrame() const { return currentFrame_; }

 private:
  void Release();

  std::shared_ptr<FrameStripState> state_;
  // The script may delete the voice while the mouth moves: the task then
  // ends as when the voice stops.
  WeakLink<BufferSound> sound_;
  Player* player_ = nullptr;
  bool holdsPlayer_ = false;
  int32_t currentFrame_ = -1;
};

}  // namespace orrivel
