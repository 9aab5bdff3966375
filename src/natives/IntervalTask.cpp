#include "natives/IntervalTask.h"

#include <utility>

#include "base/TimerList.h"
#include "resource/AnimationPlayer.h"
#include "scene/FrameStepper.h"
#include "scene/RasterSurfacePort.h"
#include "sound/BufferSound.h"

namespace orrivel {

namespace {

// The player's strip drawn plainly at its origin into its target, one
// frame a cell, resting on the first; null when either picture is not a
// raster one or the strip has no cell.
std::shared_ptr<FrameStripState> StateOverPlayer(const AnimationPlayer& player) {
  auto* strip = dynamic_cast<RasterSurfacePort*>(player.Strip());
  auto* target = dynamic_cast<RasterSurfacePort*>(player.Target());
  if (!strip || !target || !strip->Raster() || !target->Raster()) return nullptr;
  if (player.CellCount() <= 0 || player.CellWidth() <= 0) return nullptr;
  auto state = std::make_shared<FrameStripState>();
  state->target = target->Raster();
  state->frames = strip->Raster();
  state->x = player.OriginX();
  state->y = player.OriginY();
  state->frameWidth = player.CellWidth();
  state->frameCount = player.CellCount();
  state->restingValue = 0;
  return state;
}

}  // namespace

IntervalTask::~IntervalTask() { Release(); }

int32_t IntervalTask::Start(TimerList* list, std::shared_ptr<FrameStripState> state, BufferSound* sound,
                            Player* player) {
  if (!list || !state || !sound || sound->KeptSampleWidth() == 0) return kStartMissing;
  state->frameHeight = state->Frames()->GetHeight();
  // Frames drawn over the saved background show what lies there now, not
  // what lay there when the state was made.
  if (state->savedBackground) state->SaveBackgroundFrom(state->target);
  uint32_t playCursor = 0;
  if (!sound->IsPlaying(&playCursor, nullptr)) return kStartNotPlaying;
  // Adding does not step the task; a task some list holds already keeps
  // what it draws.
  if (list->Add(this, 0, 0, 0) != 0) return kStartListRefused;
  state_ = std::move(state);
  sound_ = sound;
  player_ = player;
  currentFrame_ = -1;
  return kStartOk;
}

int32_t IntervalTask::Start(TimerList* list, Player* player, BufferSound* sound) {
  if (!player) return kStartMissing;
  const int32_t code = Start(list, StateOverPlayer(*player), sound, player);
  if (code == kStartOk) {
    AnimationPlayerPool::Hold(player);
    holdsPlayer_ = true;
  }
  return code;
}

int32_t IntervalTask::Step(uint32_t) {
  if (!state_) return 1;
  uint32_t playCursor = 0;
  if (!sound_ || !sound_->IsPlaying(&playCursor, nullptr)) {
    Finish();
    return 1;
  }
  const int32_t frame = int32_t(sound_->GetAmplitudeAt(playCursor, uint32_t(state_->frameCount)));
  if (frame != currentFrame_ && state_->DrawFrame(frame, nullptr, nullptr)) currentFrame_ = frame;
  return 0;
}

void IntervalTask::Finish() {
  if (state_) {
    state_->DrawResting(nullptr, nullptr);
    if (state_->restingValue <= 0 && -state_->restingValue < state_->frameCount) currentFrame_ = -state_->restingValue;
  }
  Release();
}

void IntervalTask::Release() {
  if (holdsPlayer_) AnimationPlayerPool::Drop(player_);
  holdsPlayer_ = false;
  player_ = nullptr;
  sound_.Reset();
  state_.reset();
}

}  // namespace orrivel
