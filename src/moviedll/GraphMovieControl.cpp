#include "moviedll/GraphMovieControl.h"

#include <algorithm>
#include <mutex>
#include <new>
#include <vector>

#include "base/ComThread.h"
#include "moviedll/MovieKind.h"
#include "moviedll/MovieLibraryHooks.h"
#include "moviedll/MovieOpenCode.h"
#include "moviedll/MovieSoundOutput.h"
#include "platform/TextCodec.h"

namespace orrivel {
namespace {

using media::PipelineOpenResult;
using media::PipelineState;

// The most UTF-16 units a file name may take, terminator included.
constexpr size_t kFileNameUnits = 1024;
// How long GetState waits for a change to settle before answering 3.
constexpr uint32_t kStateWaitMs = 50;
// How long a movie on a stepped clock may take to act on a step; only a
// stuck decoder takes this long.
constexpr uint32_t kSettleWaitMs = 10000;

// The movies open in this library, for SettleOpenMovies.
std::mutex gOpenMoviesLock;
std::vector<GraphMovieControl*> gOpenMovies;

void ListOpenMovie(GraphMovieControl* movie) {
  std::lock_guard<std::mutex> lock(gOpenMoviesLock);
  gOpenMovies.push_back(movie);
}

void UnlistOpenMovie(GraphMovieControl* movie) {
  std::lock_guard<std::mutex> lock(gOpenMoviesLock);
  gOpenMovies.erase(std::remove(gOpenMovies.begin(), gOpenMovies.end(), movie), gOpenMovies.end());
}

size_t Utf16Units(const std::string& utf8) {
  size_t units = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) == 0x80) continue;  // continuation byte
    units += c >= 0xF0 ? 2 : 1;        // four-byte sequences need a surrogate pair
  }
  return units;
}

// Throws the step's code when a test has asked that step to fail.
void InjectedFault(EDShowMovieErrorCode step) {
  if (MovieLibraryTestHooks().failStep == step) throw step;
}

// Pairs the per-thread component initialisation with exactly one
// uninitialisation, whatever way Open leaves.
class ComThreadScope {
 public:
  ComThreadScope() : done_(ComInitThread() == 0) {}
  ~ComThreadScope() {
    if (done_) ComUninitThread();
  }

 private:
  bool done_;
};

}  // namespace

MovieLibraryHooks& MovieLibraryTestHooks() {
  static MovieLibraryHooks hooks;
  return hooks;
}

namespace {
// Set by the program's thread before any movie opens, read by the thread
// that opens one: atomic so that neither order needs a lock.
std::atomic<MovieSoundOutputMaker> gSoundOutputMaker{nullptr};
}  // namespace

MovieSoundOutputMaker CurrentMovieSoundOutputMaker() { return gSoundOutputMaker.load(); }
void SetMovieSoundOutputMaker(MovieSoundOutputMaker maker) { gSoundOutputMaker.store(maker); }

std::string MovieFileNameToHost(const char* fileName) {
  const auto utf8 = platform::Cp932ToUtf8(fileName);
  if (!utf8 || utf8->empty() || Utf16Units(*utf8) + 1 > kFileNameUnits) return {};
  return *utf8;
}

MovieControl* GraphMovieControl::AddRef() {
  extraOwners_.fetch_add(1, std::memory_order_relaxed);
  return this;
}

int32_t GraphMovieControl::Release() {
  uint32_t count = extraOwners_.load(std::memory_order_acquire);
  while (count != 0) {
    if (extraOwners_.compare_exchange_weak(count, count - 1, std::memory_order_acq_rel)) return int32_t(count - 1);
  }
  delete this;
  return 0;
}

GraphMovieControl::~GraphMovieControl() {
  TearDown();
  Close();
}

void GraphMovieControl::TearDown() {
  closing_ = true;
  if (pipeline_) pipeline_->Stop();
}

void GraphMovieControl::Close() {
  UnlistOpenMovie(this);
  // The pipeline goes first: its threads read through the stream source and
  // write through the renderer and the sound output, and read the clock.
  pipeline_.reset();
  programClock_.reset();
  renderer_.reset();
  audio_.reset();
  streamSource_.reset();
  hasVolume_ = false;
  closing_ = false;
  playState_ = 0;
  pauseDepth_ = 0;
}

int32_t GraphMovieControl::Open(Stream* stream, int32_t kind, const char* fileName, int32_t reservedA,
                                int32_t reservedB, int32_t) {
  if (stream == nullptr && fileName == nullptr) return kMovieOpenBadKind;
  if (reservedA != 0 && reservedB == 0) return kMovieOpenBadArgument;
  TearDown();
  Close();
  ComThreadScope com;
  int32_t code;
  try {
    code = OpenSteps(stream, kind, fileName);
  } catch (EDShowMovieErrorCode step) {
    code = step;
  } catch (...) {
    code = kMovieOpenOther;
  }
  if (code != kMovieOpenOk) Close();
  else ListOpenMovie(this);
  return code;
}

int32_t GraphMovieControl::OpenSteps(Stream* stream, int32_t kind, const char* fileName) {
  MovieLibraryHooks& hooks = MovieLibraryTestHooks();
  InjectedFault(kMovieOpenOther);
  InjectedFault(kMovieOpenGraph);
  renderer_.reset(new (std::nothrow) MovieFrameRenderer(images_, notify_));
  if (!renderer_) throw kMovieOpenRenderer;
  InjectedFault(kMovieOpenRenderer);
  if (hooks.makeAudioSink) {
    audio_ = hooks.makeAudioSink();
  } else if (const MovieSoundOutputMaker maker = CurrentMovieSoundOutputMaker()) {
    audio_.reset(maker());
  }
  // A clock a test puts in place, else the program's when it handed it
  // over, else the machine's.
  if (!hooks.clock) {
    if (const MovieClockReader reader = CurrentMovieClockReader()) {
      programClock_.reset(new (std::nothrow) ProgramMovieClock(reader));
    }
  }
  media::MediaClock& clock = hooks.clock      ? *hooks.clock
                             : programClock_ ? static_cast<media::MediaClock&>(*programClock_)
                                             : media::DefaultMediaClock();
  pipeline_.reset(new (std::nothrow) media::MoviePipeline(*renderer_, audio_.get(), clock));
  if (!pipeline_) throw kMovieOpenGraph;
  InjectedFault(kMovieOpenAddFilter);
  InjectedFault(kMovieOpenGraphBuilder);
  PipelineOpenResult result;
  if (stream != nullptr) {
    media::ContainerHint hint;
    if (!MovieKindToHint(kind, &hint)) throw kMovieOpenBadKind;
    streamSource_.reset(new (std::nothrow) MovieStreamAdapter(stream));
    if (!streamSource_) throw kMovieOpenStreamSource;
    InjectedFault(kMovieOpenStreamSource);
    result = pipeline_->OpenStream(*streamSource_, hint);
  } else {
    const std::string path = MovieFileNameToHost(fileName);
    if (path.empty()) throw kMovieOpenRender;
    result = pipeline_->OpenFile(path);
  }
  // Whatever did not reach the renderer as video, an audio-only file
  // included, cannot be shown.
  if (result != PipelineOpenResult::kOk || !renderer_->IsAccepted()) throw kMovieOpenRender;
  InjectedFault(kMovieOpenMediaControl);
  InjectedFault(kMovieOpenSeeking);
  InjectedFault(kMovieOpenPosition);
  InjectedFault(kMovieOpenBasicAudio);
  // A movie whose sound cannot report a volume counts as silent.
  hasVolume_ = pipeline_->GetVolume(&volume_);
  if (!hasVolume_) volume_ = -10000;
  // Only now is the stream the library's, released with the stream source.
  if (streamSource_) streamSource_->TakeOwnership();
  return kMovieOpenOk;
}

int32_t GraphMovieControl::Play() {
  if (const int32_t r = Unavailable()) return r;
  if (playState_ != 0) Stop();
  pipeline_->SetPosition(0);
  pipeline_->Run();
  playState_ = 1;
  pauseDepth_ = 0;
  return 0;
}

int32_t GraphMovieControl::Pause() {
  if (const int32_t r = Unavailable()) return r;
  ++pauseDepth_;
  if (playState_ == 0) return 0;
  pipeline_->Pause();
  playState_ = 2;
  return 0;
}

int32_t GraphMovieControl::Resume() {
  if (const int32_t r = Unavailable()) return r;
  if (pauseDepth_ > 0) --pauseDepth_;
  if (pauseDepth_ > 0) return 0;
  // Also runs a stopped movie: a Pause while stopped only counted.
  pipeline_->Run();
  playState_ = 1;
  return 0;
}

int32_t GraphMovieControl::Stop() {
  if (const int32_t r = Unavailable()) return r;
  pipeline_->Stop();
  playState_ = 0;
  pauseDepth_ = 0;
  return 0;
}

int32_t GraphMovieControl::GetDuration(int64_t* duration) {
  if (const int32_t r = Unavailable()) return r;
  if (duration == nullptr) return 1;
  *duration = pipeline_->GetDuration();
  return 0;
}

int32_t GraphMovieControl::Seek(int64_t position) {
  if (const int32_t r = Unavailable()) return r;
  pipeline_->SetPosition(position);
  // Stopped or paused, the movie stands on the picture at the new
  // position; the play state stays what it was.
  pipeline_->Pause();
  if (playState_ == 1) pipeline_->Run();
  pauseDepth_ = 0;
  return 0;
}

int32_t GraphMovieControl::GetPosition(int64_t* position) {
  if (const int32_t r = Unavailable()) return r;
  if (position == nullptr) return 1;
  *position = pipeline_->GetCurrentPosition();
  return 0;
}

int32_t GraphMovieControl::GetState(int32_t* state) {
  if (const int32_t r = Unavailable()) return r;
  if (state == nullptr) return 1;
  PipelineState now;
  // On a stepped clock a change has all the time it needs: how long the
  // decoder takes must not show in what the scripts see.
  if (!pipeline_->GetState(OnSteppedClock() ? kSettleWaitMs : kStateWaitMs, &now)) {
    *state = 3;
    return 0;
  }
  *state = int32_t(now);
  return 0;
}

int32_t GraphMovieControl::SetVolume(int32_t attenuation) {
  if (const int32_t r = Unavailable()) return r;
  if (!hasVolume_) return 0;
  if (!pipeline_->SetVolume(attenuation)) return 2;
  volume_ = attenuation;
  return 0;
}

int32_t GraphMovieControl::AdjustRate(double delta) {
  if (const int32_t r = Unavailable()) return r;
  if (delta == 0.0) return 0;
  return pipeline_->SetRate(pipeline_->GetRate() + delta) ? 0 : 3;
}

int32_t GraphMovieControl::SetRate(double rate) {
  if (const int32_t r = Unavailable()) return r;
  return pipeline_->SetRate(rate) ? 0 : 2;
}

int32_t GraphMovieControl::GetWidth() { return renderer_ ? renderer_->GetWidth() : 0; }
int32_t GraphMovieControl::GetHeight() { return renderer_ ? renderer_->GetHeight() : 0; }
int32_t GraphMovieControl::GetVolume() { return volume_; }
uint8_t GraphMovieControl::GetFrontIndex() { return renderer_ ? renderer_->GetFrontIndex() : 0; }
int32_t GraphMovieControl::IsEndOfStream() {
  if (!pipeline_) return 0;
  if (OnSteppedClock()) Settle();
  return pipeline_->IsEndOfStream() ? 1 : 0;
}

void GraphMovieControl::Settle() {
  if (!pipeline_) return;
  pipeline_->ClockChanged();
  pipeline_->WaitForIdle(kSettleWaitMs);
}

void SettleOpenMovies() {
  std::lock_guard<std::mutex> lock(gOpenMoviesLock);
  for (GraphMovieControl* movie : gOpenMovies) movie->Settle();
}

}  // namespace orrivel
