#pragma once
// What the movie sprite and the primary-surface player share: one movie
// control of a movie library, the operations passed straight to it, the
// volume level and the handling of the movie's end.
#include <cstdint>

namespace orrivel {

class MovieControl;

class MovieControlPlayer {
 public:
  // Operations without a movie.
  static constexpr int32_t kNoMovie = -1;

  MovieControlPlayer() = default;
  MovieControlPlayer(const MovieControlPlayer&) = delete;
  MovieControlPlayer& operator=(const MovieControlPlayer&) = delete;

  int32_t Play();
  int32_t Pause();
  int32_t Resume();
  int32_t Stop();
  // 100-ns units. Without a movie: 0, the output untouched.
  int32_t GetDuration(int64_t* duration);
  int32_t Seek(int64_t position);
  int32_t GetPosition(int64_t* position);
  // 0 stopped, 1 running, 2 paused.
  int32_t GetState(int32_t* state);
  // Level 0 to 256 (above is 256, 0 or below silent), sent as attenuation.
  int32_t SetVolume(int32_t level);
  int32_t AdjustRate(double delta);
  int32_t SetRate(double rate);
  // At the end of a play not yet acted on: restarts with loop, else stops.
  // Each end is acted on once.
  void PollEnd();

  // The movie restarts from the beginning when it ends.
  void SetLoop(bool loop) { loop_ = loop ? 1 : 0; }
  bool Loop() const { return loop_ != 0; }
  int32_t VolumeLevel() const { return volume_; }
  MovieControl* Control() const { return control_; }

 protected:
  ~MovieControlPlayer() = default;
  // Releases the control and forgets the loop, the end and the volume.
  void ReleaseControl();

  MovieControl* control_ = nullptr;

 private:
  uint8_t loop_ = 0;
  uint8_t endHandled_ = 0;
  int32_t volume_ = 256;
};

// The attenuation in hundredths of a decibel for a level 0 to 256 (already
// capped), as every movie player sends it.
int32_t MovieAttenuationForLevel(int32_t level);

}  // namespace orrivel
