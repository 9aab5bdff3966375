#include "MovieFixtures.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "base/ScopedLock.h"
#include "resource/MemoryBlock.h"

namespace orrivel::testing {
namespace {

using media::TestMovieContainer;

media::TestMovieRecipe Recipe(TestMovieContainer container, int32_t width, int32_t frames, bool video, bool sound,
                              int32_t framesPerSecond = 10, int32_t packBytes = 0) {
  media::TestMovieRecipe recipe;
  recipe.packBytes = packBytes;
  recipe.framesPerSecond = framesPerSecond;
  recipe.container = container;
  recipe.width = width;
  recipe.frames = frames;
  recipe.withVideo = video;
  recipe.withSound = sound;
  return recipe;
}

media::TestMovieRecipe WithoutBFrames(media::TestMovieRecipe recipe) {
  recipe.bFrames = 0;
  return recipe;
}

// The folder lives as long as the test program.
struct FixtureFolder {
  FixtureFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orrivel-movies-XXXXXX").string();
    path = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~FixtureFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string path;
  std::mutex mutex;
};

FixtureFolder& Folder() {
  static FixtureFolder folder;
  return folder;
}

}  // namespace

const std::vector<FixtureMovie>& FixtureMovies() {
  static const std::vector<FixtureMovie> movies = {
      {"PLAIN.MPG", Recipe(TestMovieContainer::kMpegSystem, 64, 15, true, false)},
      {"PLAIN.MPV", Recipe(TestMovieContainer::kMpegVideo, 64, 15, true, false)},
      {"PLAIN.AVI", Recipe(TestMovieContainer::kAvi, 64, 15, true, false)},
      {"PLAIN.MP4", Recipe(TestMovieContainer::kMp4, 64, 15, true, false)},
      {"ODD.MPG", Recipe(TestMovieContainer::kMpegSystem, 161, 12, true, false)},
      {"SOUND.MPG", Recipe(TestMovieContainer::kMpegSystem, 64, 15, true, true)},
      {"SHORT.MPG", Recipe(TestMovieContainer::kMpegSystem, 64, 3, true, false)},
      {"SOUNDONLY.MPG", Recipe(TestMovieContainer::kMpegSystem, 64, 10, false, true)},
      // Three seconds at 25 pictures a second, a key frame every 12.
      {"LONG.MPG", Recipe(TestMovieContainer::kMpegSystem, 64, 75, true, false, 25)},
      {"LONG.MP4", Recipe(TestMovieContainer::kMp4, 64, 75, true, false, 25)},
      {"LONG.AVI", Recipe(TestMovieContainer::kAvi, 64, 75, true, false, 25)},
      {"LONG.MPV", Recipe(TestMovieContainer::kMpegVideo, 64, 75, true, false, 25)},
      {"LONGSOUND.MPG", Recipe(TestMovieContainer::kMpegSystem, 64, 75, true, true, 25)},
      {"LONGSOUND.MP4", Recipe(TestMovieContainer::kMp4, 64, 75, true, true, 25)},
      {"LONGSOUND.AVI", Recipe(TestMovieContainer::kAvi, 64, 75, true, true, 25)},
      // Ten seconds in which most pictures carry no timestamp: packs so
      // small that the stream's packets split pictures (a time may land on
      // the picture next to its own), or so large for these tiny pictures
      // that two seconds pass between times; one without B-frames, where
      // every key picture carries the time of the picture after it; and a
      // VideoCD track.
      {"SPARSE128.MPG", Recipe(TestMovieContainer::kMpegSystem, 64, 250, true, false, 25, 128)},
      {"SPARSE256.MPG", Recipe(TestMovieContainer::kMpegSystem, 64, 250, true, true, 25, 256)},
      {"SPARSEIP.MPG", WithoutBFrames(Recipe(TestMovieContainer::kMpegSystem, 64, 250, true, true, 25, 256))},
      {"SPARSE2048.MPG", Recipe(TestMovieContainer::kMpegSystem, 64, 250, true, true, 25, 2048)},
      {"SPARSE.DAT", Recipe(TestMovieContainer::kVideoCd, 64, 250, true, true, 25)},
  };
  return movies;
}

std::string MoviePath(const std::string& name) {
  FixtureFolder& folder = Folder();
  std::lock_guard<std::mutex> lock(folder.mutex);
  const std::string path = folder.path + "/" + name;
  if (std::filesystem::exists(path)) return path;
  for (const FixtureMovie& movie : FixtureMovies()) {
    if (name != movie.name) continue;
    std::string error;
    EXPECT_TRUE(media::WriteTestMovie(path, movie.recipe, &error)) << name << ": " << error;
    return path;
  }
  ADD_FAILURE() << "no fixture movie " << name;
  return path;
}

std::vector<uint8_t> MovieBytes(const std::string& name) {
  std::ifstream in(MoviePath(name), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

MemoryStream* NewMemoryStream(const std::vector<uint8_t>& bytes) {
  void* block = AllocGlobalMemory(bytes.size() ? bytes.size() : 1);
  if (!bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
  auto* stream = new MemoryStream();
  stream->Attach(block, uint32_t(bytes.size()));
  return stream;
}

void RecordingRenderer::Hold(bool hold) {
  std::lock_guard<std::mutex> lock(mutex_);
  held_ = hold;
  stored_.notify_all();
}

media::MediaResult RecordingRenderer::DoRenderSample(media::MediaSample& sample) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    stored_.wait(lock, [&] { return !held_; });
  }
  const media::MediaResult r = renderer_.DoRenderSample(sample);
  if (r != media::kMediaOk) return r;
  const uint8_t front = renderer_.GetFrontIndex();
  PixelBuffer& image = images_[front];
  int32_t number;
  {
    ScopedLock lock(image.Lock());
    number = media::ReadPictureNumber(image.GetBits(), image.GetWidth(), image.GetHeight(), image.GetPitch());
  }
  std::lock_guard<std::mutex> lock(mutex_);
  numbers_.push_back(number);
  fronts_.push_back(front);
  stored_.notify_all();
  return r;
}

bool RecordingRenderer::WaitForCount(size_t count) {
  std::unique_lock<std::mutex> lock(mutex_);
  // A generous bound only so that a broken pipeline fails instead of hanging.
  return stored_.wait_for(lock, std::chrono::seconds(20), [&] { return numbers_.size() >= count; });
}

std::vector<int32_t> RecordingRenderer::Numbers() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return numbers_;
}

std::vector<uint8_t> RecordingRenderer::Fronts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return fronts_;
}

size_t RecordingRenderer::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return numbers_.size();
}

bool RecordingAudioSink::Open(const media::AudioFormat& format) {
  std::lock_guard<std::mutex> lock(mutex_);
  format_ = format;
  return true;
}

void RecordingAudioSink::Write(const int16_t* samples, uint32_t frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  chunks_.push_back({frames, volume_});
  for (size_t i = 0; i < size_t(frames) * format_.channels; ++i) {
    peak_ = std::max<int16_t>(peak_, int16_t(std::min(32767, std::abs(int(samples[i])))));
  }
}

void RecordingAudioSink::SetRunning(bool running) {
  std::lock_guard<std::mutex> lock(mutex_);
  running_ = running;
}

void RecordingAudioSink::Flush() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++flushes_;
}

void RecordingAudioSink::SetVolume(int32_t hundredthsDb) {
  std::lock_guard<std::mutex> lock(mutex_);
  volume_ = hundredthsDb;
}

media::AudioFormat RecordingAudioSink::Format() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return format_;
}

std::vector<RecordingAudioSink::Chunk> RecordingAudioSink::Chunks() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return chunks_;
}

int32_t RecordingAudioSink::Volume() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return volume_;
}

uint32_t RecordingAudioSink::Flushes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return flushes_;
}

int16_t RecordingAudioSink::Peak() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return peak_;
}

}  // namespace orrivel::testing
