#pragma once
// Plays one movie through FFmpeg into a video sink (and its sound into an
// audio sink): what the platform's filter graph, base video renderer and
// asynchronous reader do for the movie library elsewhere.
//
// Open demuxes a file by name, or an AsyncStream with a container hint (the
// hint is tried first and probing takes over when it fails), decodes the
// video and converts every picture to X8R8G8B8 in bottom-up rows. A
// presentation thread of its own hands the pictures to the sink at their
// times against the clock (the sound's clock when there is sound), drops
// pictures that are already late, and keeps the end-of-stream mark: set when
// the stream ends while the movie is not stopped, cleared by Stop and by a
// new position. Pause from stopped shows the first picture at the position
// (pre-roll) and holds it.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/media/AsyncStream.h"
#include "platform/media/AudioSink.h"
#include "platform/media/MediaClock.h"
#include "platform/media/MediaTypes.h"

namespace orrivel::media {

// Which demuxer to try first for a stream.
enum class ContainerHint : uint8_t { kMpegSystem, kMpegVideo, kVideoCd, kAvi, kQuickTime };

enum class PipelineState : uint8_t { kStopped = 0, kRunning = 1, kPaused = 2 };

enum class PipelineOpenResult : uint8_t {
  kOk,
  kUnreadable,    // no demuxer took the data
  kNoVideo,       // no video stream reached the sink
  kTypeRefused,   // the sink refused the picture type, or the size is absurd
};

// Keeps the codec libraries from printing warnings; called by every pipeline.
void QuietMediaLog();

class MoviePipeline {
 public:
  // The sinks and the clock are borrowed and must outlive the pipeline.
  // audio may be null: the movie then has no sound output.
  MoviePipeline(VideoRendererSink& video, AudioSink* audio, MediaClock& clock = DefaultMediaClock());
  ~MoviePipeline();
  MoviePipeline(const MoviePipeline&) = delete;
  MoviePipeline& operator=(const MoviePipeline&) = delete;

  PipelineOpenResult OpenFile(const std::string& path);
  // The stream is borrowed until Close.
  PipelineOpenResult OpenStream(AsyncStream& stream, ContainerHint hint);
  // Stops the presentation thread and frees everything; safe when closed.
  void Close();
  bool IsOpen() const;

  void Run();
  void Pause();
  // Returns once no picture is being handed over any more.
  void Stop();
  // Moves to an absolute position (100-ns units), flushing what was decoded.
  // The picture shown there is the one due at that time (the last that has
  // started by then; past the end, the last picture), decoded on from an
  // earlier key frame. Returns once the move is done; a running movie runs
  // on from there.
  void SetPosition(int64_t position);
  // True with the state once it is reached; false while it is still
  // changing after timeoutMs (state then holds the state asked for).
  bool GetState(uint32_t timeoutMs, PipelineState* state);

  // Tells the presentation thread that the clock was stepped, so that it
  // looks at it now rather than at its next check a few ms later.
  void ClockChanged();
  // True once the presentation thread has nothing left to do until the
  // clock moves on or a command comes; false after timeoutMs. Lets a caller
  // that steps the clock by hand know that a step has been fully acted on.
  bool WaitForIdle(uint32_t timeoutMs);

  // The last picture's time plus its duration (100-ns units; 0 when
  // unknown): the container's figure where it states one for the pictures,
  // else measured from the pictures at the end of the file at open.
  int64_t GetDuration() const;
  int64_t GetCurrentPosition() const;  // 100-ns units
  bool IsEndOfStream() const;
  double GetRate() const;
  // Only positive rates are taken.
  bool SetRate(double rate);

  // True when the movie has a sound track that reached the audio sink.
  bool HasAudio() const;
  // Hundredths of a decibel, clamped to -10000..0. False without sound.
  bool SetVolume(int32_t hundredthsDb);
  bool GetVolume(int32_t* hundredthsDb) const;

  int32_t GetWidth() const;
  int32_t GetHeight() const;
  // Pictures handed to the sink and pictures dropped as late since Open.
  uint64_t DeliveredCount() const;
  uint64_t DroppedCount() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace orrivel::media
