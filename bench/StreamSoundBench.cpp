// Streaming one minute of 44.1 kHz stereo Ogg Vorbis through a stream
// sound's ring on the virtual output at full speed (decoding, refilling and
// mixing), against libvorbisfile's ov_read decoding the same file into
// memory. The combined run reports both rates, the ratio, and how often the
// refill thread woke per second of audio.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "OggFixture.h"
#include "OggMemoryPeer.h"
#include "PeerReport.h"
#include "platform/PathResolver.h"
#include "platform/audio/VirtualAudioDevice.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"
#include "sound/SllManager.h"
#include "sound/SoundDevice.h"
#include "sound/StreamSound.h"
#include "sound/VorbisCodec.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kSeconds = 60;
constexpr uint32_t kFrames = kRate * kSeconds;
constexpr uint32_t kChunk = 32768;
constexpr uint64_t kPcmBytes = uint64_t(kFrames) * 4;

struct Fixture {
  Fixture() {
    ogg = orrivel::testing::EncodeOgg(kRate, 2, orrivel::testing::Sine(kRate, 2, kFrames, 440, 12000));
    folder = (std::filesystem::temp_directory_path() / ("orrivel-streambench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(folder);
    FILE* out = std::fopen((folder + "/minute.ogg").c_str(), "wb");
    std::fwrite(ogg.data(), 1, ogg.size(), out);
    std::fclose(out);
    orrivel::SetBaseFolderForTest(*orrivel::platform::ToInternalPath(folder) + "\\");
    orrivel::SetArchiveManager(&archives);
    orrivel::VorbisCodec::Register(codecs, orrivel::VorbisCodec::DefaultLibraryPath());
    orrivel::SetSllManager(&codecs);
    orrivel::SoundDevice::SetDeviceFactory([] { return std::make_unique<orrivel::platform::VirtualAudioDevice>(); });
    device.Create(nullptr, false, false, nullptr);
    orrivel::SetSoundDevice(&device);
    peer.resize(kChunk);
  }
  ~Fixture() {
    orrivel::SetSoundDevice(nullptr);
    orrivel::SetSllManager(nullptr);
    orrivel::SetArchiveManager(nullptr);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }

  // Plays the minute through the ring; the refill passes it took.
  uint64_t Stream() {
    orrivel::StreamSound sound(nullptr);
    if (sound.Open("minute.ogg", nullptr) != 0 || sound.Play() != 0) return 0;
    static_cast<orrivel::platform::VirtualAudioDevice*>(device.Device())->Advance(kFrames);
    const uint64_t passes = sound.RefillPasses();
    sound.Close();
    return passes;
  }
  size_t DecodePeer() { return orrivel::bench::DecodeOggWithOvRead(ogg, peer); }

  std::string folder;
  orrivel::ArchiveManager archives;
  orrivel::SllManager codecs;
  orrivel::SoundDevice device;
  std::vector<uint8_t> ogg;
  std::vector<uint8_t> peer;
};

Fixture& Files() {
  static Fixture fixture;
  return fixture;
}

void BM_StreamSoundPlaysOneMinute(benchmark::State& state) {
  Fixture& f = Files();
  for (auto _ : state) benchmark::DoNotOptimize(f.Stream());
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPcmBytes));
}
// Wall time: the decoding runs on the refill thread, not on this one.
BENCHMARK(BM_StreamSoundPlaysOneMinute)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PeerOvReadIntoMemory(benchmark::State& state) {
  Fixture& f = Files();
  for (auto _ : state) benchmark::DoNotOptimize(f.DecodePeer());
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPcmBytes));
}
BENCHMARK(BM_PeerOvReadIntoMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both in one run: seconds of audio per second of each, the stream's time
// as a multiple of the peer's, and the refill thread's wakes per second of
// audio.
void BM_StreamBesidePeer(benchmark::State& state) {
  Fixture& f = Files();
  using Clock = std::chrono::steady_clock;
  double ours = 0, peer = 0;
  uint64_t passes = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    passes += f.Stream();
    ours += std::chrono::duration<double>(Clock::now() - start).count();
    start = Clock::now();
    benchmark::DoNotOptimize(f.DecodePeer());
    peer += std::chrono::duration<double>(Clock::now() - start).count();
  }
  const double audioSeconds = double(kSeconds) * double(state.iterations());
  state.counters["stream_audio_s_per_s"] = audioSeconds / ours;
  state.counters["ov_read_audio_s_per_s"] = audioSeconds / peer;
  state.counters["stream_over_ov_read"] = ours / peer;
  state.counters["wakes_per_audio_s"] = double(passes) / audioSeconds;
}
BENCHMARK(BM_StreamBesidePeer)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_StreamSoundPlaysOneMinute/real_time", "BM_PeerOvReadIntoMemory/real_time"})
