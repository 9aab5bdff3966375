#include "sound/MovieControlPlayer.h"

#include <algorithm>
#include <cmath>

#include "moviedll/MovieControl.h"

namespace orrivel {

int32_t MovieAttenuationForLevel(int32_t level) {
  if (level <= 0) return -10000;
  const double base = 17.2 - double(level) * 0.0671875;
  return -int32_t(std::trunc(base * base * base));
}

int32_t MovieControlPlayer::Play() { return control_ ? control_->Play() : kNoMovie; }
int32_t MovieControlPlayer::Pause() { return control_ ? control_->Pause() : kNoMovie; }
int32_t MovieControlPlayer::Resume() { return control_ ? control_->Resume() : kNoMovie; }
int32_t MovieControlPlayer::Stop() { return control_ ? control_->Stop() : kNoMovie; }
int32_t MovieControlPlayer::GetDuration(int64_t* duration) { return control_ ? control_->GetDuration(duration) : 0; }
int32_t MovieControlPlayer::Seek(int64_t position) { return control_ ? control_->Seek(position) : kNoMovie; }
int32_t MovieControlPlayer::GetPosition(int64_t* position) { return control_ ? control_->GetPosition(position) : 0; }
int32_t MovieControlPlayer::GetState(int32_t* state) { return control_ ? control_->GetState(state) : kNoMovie; }
int32_t MovieControlPlayer::AdjustRate(double delta) { return control_ ? control_->AdjustRate(delta) : kNoMovie; }
int32_t MovieControlPlayer::SetRate(double rate) { return control_ ? control_->SetRate(rate) : kNoMovie; }

int32_t MovieControlPlayer::SetVolume(int32_t level) {
  if (!control_) return kNoMovie;
  volume_ = std::clamp(level, 0, 256);
  return control_->SetVolume(MovieAttenuationForLevel(volume_));
}

void MovieControlPlayer::PollEnd() {
  if (!control_) return;
  if (control_->IsEndOfStream() == 0) {
    endHandled_ = 0;
    return;
  }
  if (endHandled_ != 0) return;
  endHandled_ = 1;
  if (loop_ != 0) Play();
  else Stop();
}

void MovieControlPlayer::ReleaseControl() {
  // The library's threads stop with the control.
  if (control_) control_->Release();
  control_ = nullptr;
  loop_ = endHandled_ = 0;
  volume_ = 256;
}

}  // namespace orrivel
