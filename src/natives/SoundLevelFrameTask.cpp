#include "natives/SoundLevelFrameTask.h"

#include "base/TimerList.h"
#include "resource/AnimationPlayer.h"
#include "scene/RasterSurfacePort.h"
#include "sound/BufferSound.h"

namespace orrivel {

SoundLevelFrameTask::~SoundLevelFrameTask() { Finish(); }

int32_t SoundLevelFrameTask::Setup(TimerList* list, Player* player, BufferSound* sound) {
  if (!list || !player || !sound || sound->KeptSampleWidth() == 0) return 1;
  if (list->Add(this, 0, 0, 0) != 0) return 2;
  player_ = player;
  sound_ = sound;
  AnimationPlayerPool::Hold(player_);
  return 0;
}

int32_t SoundLevelFrameTask::Step(uint32_t) {
  if (!player_ || !sound_) return 1;
  uint32_t playCursor = 0;
  if (!sound_->IsPlaying(&playCursor, nullptr)) {
    // The voice is over: the picture rests on the first cell, the one
    // silence shows, whatever level the last step drew.
    if (level_ != kRestingCell) DrawPlayerCell(*player_, kRestingCell);
    level_ = kRestingCell;
    Finish();
    return 1;
  }
  const int32_t level = int32_t(sound_->GetAmplitudeAt(playCursor, uint32_t(player_->CellCount())));
  if (level != level_ && DrawPlayerCell(*player_, level)) level_ = level;
  return 0;
}

bool DrawPlayerCell(const AnimationPlayer& player, int32_t cell) {
  auto* strip = dynamic_cast<RasterSurfacePort*>(player.Strip());
  auto* target = dynamic_cast<RasterSurfacePort*>(player.Target());
  const platform::Rect source = player.CellRect(cell);
  if (!strip || !target || source.Width() <= 0) return false;
  return target->Raster()->Copy(strip->Raster(), player.OriginX(), player.OriginY(), &source, false) == 0;
}

void SoundLevelFrameTask::Finish() {
  if (player_) AnimationPlayerPool::Drop(player_);
  player_ = nullptr;
  sound_ = nullptr;
}

}  // namespace orrivel
