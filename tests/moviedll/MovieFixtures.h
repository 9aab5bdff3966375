#pragma once
// Test movies written once per test program by the encoder libraries into a
// temporary folder, and the recording ends a pipeline plays into: a renderer
// over a real image pair that reads each stored picture's number back, and
// an audio sink that keeps what it is given.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "moviedll/MovieFrameRenderer.h"
#include "platform/media/AudioSink.h"
#include "platform/media/MoviePipeline.h"
#include "platform/media/TestMovieWriter.h"
#include "raster/Drawable.h"
#include "raster/PixelBuffer.h"
#include "resource/MemoryStream.h"

namespace orrivel::testing {

struct FixtureMovie {
  const char* name;
  media::TestMovieRecipe recipe;
};

// Every movie the tests use; pictures at 10 per second (LONG*, SPARSE*: 25).
const std::vector<FixtureMovie>& FixtureMovies();
// Host path of a fixture movie, written on first use.
std::string MoviePath(const std::string& name);
std::vector<uint8_t> MovieBytes(const std::string& name);
// A memory stream over a copy of the bytes; the caller releases it.
MemoryStream* NewMemoryStream(const std::vector<uint8_t>& bytes);

// A drawable that only carries the two flags the renderer sets, kept as
// atomics because the movie's thread sets them while the test reads them
// (the way a movie sprite has to keep them), and can hold the movie's
// thread in SetChanged.
class FlagDrawable final : public Drawable {
 public:
  bool IsVisible() const override { return visible_.load(); }
  void SetVisible(uint8_t visible) override { visible_ = visible; }
  bool IsChanged() const override { return changed_.load(); }
  // While held, a picture's notice waits here, so the movie is caught in
  // the middle of handing over that picture.
  void SetChanged(uint8_t flag) override {
    {
      std::unique_lock<std::mutex> lock(holdMutex_);
      released_.wait(lock, [&] { return !held_; });
    }
    changed_ = flag;
  }
  void Hold(bool hold) {
    std::lock_guard<std::mutex> lock(holdMutex_);
    held_ = hold;
    released_.notify_all();
  }

  int32_t GetWidth() const override { return 0; }
  int32_t GetHeight() const override { return 0; }
  bool SetPosition(int32_t, int32_t) override { return false; }
  bool MoveBy(int32_t, int32_t) override { return false; }
  bool SetDisplaySize(int32_t, int32_t) override { return false; }
  bool InvalidateSourceRect(Rect*) override { return false; }
  bool HitTest(int32_t, int32_t, uint8_t) override { return false; }
  bool Overlaps(const Drawable*) const override { return false; }
  const Rect* GetBoundsPtr() const override { return &bounds_; }
  Rect* GetBounds(Rect* out) const override {
    *out = bounds_;
    return out;
  }
  int DrawTo(Surface*, Rect*) override { return 0; }
  int Draw(Surface*, const Rect&) override { return 0; }

 private:
  std::atomic<uint8_t> visible_{0};
  std::atomic<uint8_t> changed_{0};
  std::mutex holdMutex_;
  std::condition_variable released_;
  bool held_ = false;
  Rect bounds_;
};

// Wraps a MovieFrameRenderer over its own image pair and records, after
// every stored picture, the number read from the front image (-1 when it is
// upside down) and the front index.
class RecordingRenderer final : public media::VideoRendererSink {
 public:
  explicit RecordingRenderer(Drawable* notify = nullptr) : renderer_(images_, notify) {}

  media::MediaResult CheckMediaType(const media::MediaType& type) override { return renderer_.CheckMediaType(type); }
  media::MediaResult SetMediaType(const media::MediaType& type) override { return renderer_.SetMediaType(type); }
  media::MediaResult DoRenderSample(media::MediaSample& sample) override;

  // While held, DoRenderSample waits before storing, so a test can look at
  // the pipeline in the middle of handing over a picture.
  void Hold(bool hold);
  // Waits (on the pictures, not on time) until `count` pictures are stored.
  bool WaitForCount(size_t count);
  std::vector<int32_t> Numbers() const;
  std::vector<uint8_t> Fronts() const;
  size_t Count() const;

  MovieFrameRenderer& Renderer() { return renderer_; }
  PixelBuffer* Images() { return images_; }

 private:
  PixelBuffer images_[2];
  MovieFrameRenderer renderer_;
  mutable std::mutex mutex_;
  std::condition_variable stored_;
  bool held_ = false;
  std::vector<int32_t> numbers_;
  std::vector<uint8_t> fronts_;
};

class RecordingAudioSink final : public media::AudioSink {
 public:
  // One Write call: its sample frames and the volume set at the time.
  struct Chunk {
    uint32_t frames;
    int32_t volume;
  };
  bool Open(const media::AudioFormat& format) override;
  void Close() override {}
  void Write(const int16_t* samples, uint32_t frames) override;
  void SetRunning(bool running) override;
  void Flush() override;
  void SetVolume(int32_t hundredthsDb) override;
  // -1 (no clock) until a test sets the played position.
  int64_t PlayedMicroseconds() override { return played_.load(); }
  void SetPlayedMicroseconds(int64_t played) { played_ = played; }

  media::AudioFormat Format() const;
  std::vector<Chunk> Chunks() const;
  int32_t Volume() const;
  uint32_t Flushes() const;
  // Largest absolute sample written.
  int16_t Peak() const;

 private:
  mutable std::mutex mutex_;
  media::AudioFormat format_;
  std::vector<Chunk> chunks_;
  int32_t volume_ = 0;
  uint32_t flushes_ = 0;
  int16_t peak_ = 0;
  bool running_ = false;
  std::atomic<int64_t> played_{-1};
};

}  // namespace orrivel::testing
