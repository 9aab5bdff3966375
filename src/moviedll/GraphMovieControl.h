#pragma once
// The library's MovieControl: one movie played by the media pipeline into
// the program's image pair through a MovieFrameRenderer, from a file name
// or from an engine stream served through a MovieStreamAdapter.
//
// All operations run on the one program thread that calls them; the object
// has no lock of its own. Pictures arrive on the pipeline's presentation
// thread, which touches only the image pair and the notify drawable.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "moviedll/MovieControl.h"
#include "moviedll/MovieFrameRenderer.h"
#include "moviedll/MovieStreamAdapter.h"
#include "moviedll/ProgramMovieClock.h"
#include "platform/media/AudioSink.h"
#include "platform/media/MoviePipeline.h"

namespace orrivel {

class GraphMovieControl final : public MovieControl {
 public:
  GraphMovieControl(PixelBuffer* images, Drawable* notify) : images_(images), notify_(notify) {}
  GraphMovieControl(const GraphMovieControl&) = delete;
  GraphMovieControl& operator=(const GraphMovieControl&) = delete;

  MovieControl* AddRef() override;
  int32_t Release() override;
  int32_t Open(Stream* stream, int32_t kind, const char* fileName, int32_t reservedA, int32_t reservedB,
               int32_t reservedC) override;
  int32_t Play() override;
  int32_t Pause() override;
  int32_t Resume() override;
  int32_t Stop() override;
  int32_t GetDuration(int64_t* duration) override;
  int32_t Seek(int64_t position) override;
  int32_t GetPosition(int64_t* position) override;
  int32_t GetState(int32_t* state) override;
  int32_t SetVolume(int32_t attenuation) override;
  int32_t AdjustRate(double delta) override;
  int32_t SetRate(double rate) override;
  int32_t GetWidth() override;
  int32_t GetHeight() override;
  int32_t GetVolume() override;
  uint8_t GetFrontIndex() override;
  int32_t IsEndOfStream() override;
  ~GraphMovieControl() override;

  // For tests: the pipeline behind the movie (null when closed), and the
  // tearing-down state in which every play operation answers 1.
  media::MoviePipeline* Pipeline() { return pipeline_.get(); }
  void SetClosingForTest(bool closing) { closing_ = closing; }
  int32_t PlayState() const { return playState_; }
  int32_t PauseDepth() const { return pauseDepth_; }

  // Returns once the movie has acted on its clock as it reads now (or
  // after a generous bound, so that a stuck decoder cannot hang the
  // program).
  void Settle();

 private:
  // The movie runs on a program clock that moves only when stepped: its
  // answers wait until it has caught up with the clock.
  bool OnSteppedClock() const { return programClock_ && programClock_->IsStepped(); }
  // 1 while tearing down, 2 without a movie (after a failed Open), else 0.
  int32_t Unavailable() const { return closing_ ? 1 : pipeline_ ? 0 : 2; }
  int32_t OpenSteps(Stream* stream, int32_t kind, const char* fileName);
  // Stops the movie before anything is released.
  void TearDown();
  // Releases everything, in the order that keeps the presentation thread
  // off freed objects, and forgets the play state.
  void Close();

  std::atomic<uint32_t> extraOwners_{0};
  PixelBuffer* images_;
  Drawable* notify_;
  // The adapter is deleted after the pipeline that reads through it.
  std::unique_ptr<MovieStreamAdapter> streamSource_;
  std::unique_ptr<MovieFrameRenderer> renderer_;
  std::unique_ptr<media::AudioSink> audio_;
  // Outlives the pipeline that reads it.
  std::unique_ptr<ProgramMovieClock> programClock_;
  std::unique_ptr<media::MoviePipeline> pipeline_;
  bool hasVolume_ = false;
  bool closing_ = false;
  int32_t playState_ = 0;
  int32_t volume_ = 0;
  int32_t pauseDepth_ = 0;
};

// The file name the pipeline opens for a CP932 name: UTF-8, or empty when
// the name has no UTF-8 form or needs 1024 or more UTF-16 units with its
// terminator (the most the platform took).
std::string MovieFileNameToHost(const char* fileName);

// Settles every open movie (see GraphMovieControl::Settle); the entry
// "SettleMovies". Called on the thread that drives the movies.
void SettleOpenMovies();

}  // namespace orrivel
