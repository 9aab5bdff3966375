// The mixer's cost for one second of 16 looping 44.1 kHz stereo buffers with
// volume and pan, beside SDL's own mixing routine and a plain int16 loop over
// the same buffers (both without pan, so they do less work), and a memcpy
// of the output as the floor. Each reports ns per output frame; the last
// benchmark runs all four in one pass and reports the ratios.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/audio/SdlMixPeer.h"
#include "platform/audio/VirtualAudioDevice.h"

namespace {

using namespace orrivel::platform;

constexpr uint32_t kFrames = 44100;  // one second of output
constexpr int kBuffers = 16;
constexpr uint32_t kBufferFrames = 44100;

struct Scene {
  Scene() : output(kFrames * 2) {
    const WaveFormat format = WaveFormat::Pcm(44100, 2, 16);
    for (int b = 0; b < kBuffers; ++b) {
      std::vector<int16_t> pcm(kBufferFrames * 2);
      for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = int16_t((i * (b + 3) * 97) % 20000 - 10000);
      raw.push_back(pcm);
      int32_t result;
      auto buffer = device.CreateBuffer(format, kBufferCtrlVolume | kBufferCtrlPan, kBufferFrames * 4, &result);
      void *p1, *p2;
      uint32_t n1, n2;
      buffer->Lock(0, 0, &p1, &n1, &p2, &n2, kLockEntireBuffer);
      std::memcpy(p1, pcm.data(), n1);
      buffer->Unlock(p1, n1, p2, n2);
      buffer->SetVolume(-300 - 50 * b);
      buffer->SetPan(b % 2 ? -2000 : 2000);
      buffer->Play(kPlayLooping);
      buffers.push_back(buffer);
    }
  }
  void MixOurs() { device.Mixer().Mix(output.data(), kFrames, device.PrimaryFormat(), nullptr); }
  void MixSdl() {
    std::fill(output.begin(), output.end(), 0);
    for (const auto& pcm : raw) {
      SdlMixAudioS16(reinterpret_cast<uint8_t*>(output.data()), reinterpret_cast<const uint8_t*>(pcm.data()),
                     kFrames * 4, 90);
    }
  }
  void MixPlain() {
    std::vector<int32_t>& acc = accumulator;
    acc.assign(kFrames * 2, 0);
    for (int b = 0; b < kBuffers; ++b) {
      const int32_t gain = 40000 - 1000 * b;
      const int16_t* pcm = raw[b].data();
      for (uint32_t i = 0; i < kFrames * 2; ++i) acc[i] += (pcm[i] * gain) >> 16;
    }
    for (uint32_t i = 0; i < kFrames * 2; ++i) output[i] = int16_t(std::clamp(acc[i], -32768, 32767));
  }
  void Copy() { std::memcpy(copy.data(), output.data(), output.size() * 2); }

  VirtualAudioDevice device;
  std::vector<std::shared_ptr<SoundBuffer>> buffers;
  std::vector<std::vector<int16_t>> raw;
  std::vector<int16_t> output;
  std::vector<int16_t> copy = std::vector<int16_t>(kFrames * 2);
  std::vector<int32_t> accumulator;
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}


void BM_OurMixer16Buffers(benchmark::State& state) {
  Scene& scene = TheScene();
  for (auto _ : state) {
    scene.MixOurs();
    benchmark::DoNotOptimize(scene.output.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kFrames);
}
BENCHMARK(BM_OurMixer16Buffers)->Unit(benchmark::kMicrosecond);

void BM_PeerSdlMixAudioFormat(benchmark::State& state) {
  Scene& scene = TheScene();
  for (auto _ : state) {
    scene.MixSdl();
    benchmark::DoNotOptimize(scene.output.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kFrames);
}
BENCHMARK(BM_PeerSdlMixAudioFormat)->Unit(benchmark::kMicrosecond);

void BM_PeerPlainInt16Loop(benchmark::State& state) {
  Scene& scene = TheScene();
  for (auto _ : state) {
    scene.MixPlain();
    benchmark::DoNotOptimize(scene.output.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kFrames);
}
BENCHMARK(BM_PeerPlainInt16Loop)->Unit(benchmark::kMicrosecond);

void BM_FloorMemcpyOfOutput(benchmark::State& state) {
  Scene& scene = TheScene();
  for (auto _ : state) {
    scene.Copy();
    benchmark::DoNotOptimize(scene.copy.data());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kFrames);
}
BENCHMARK(BM_FloorMemcpyOfOutput)->Unit(benchmark::kMicrosecond);

// All four in one pass: ns per output frame of each, and our mixer's
// cost as a multiple of each peer's.
void BM_MixerBesidePeers(benchmark::State& state) {
  Scene& scene = TheScene();
  using Clock = std::chrono::steady_clock;
  double ours = 0, sdl = 0, plain = 0, floor = 0;
  auto time = [](auto&& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::nano>(Clock::now() - start).count();
  };
  for (auto _ : state) {
    ours += time([&] { scene.MixOurs(); });
    sdl += time([&] { scene.MixSdl(); });
    plain += time([&] { scene.MixPlain(); });
    floor += time([&] { scene.Copy(); });
  }
  const double frames = double(state.iterations()) * kFrames;
  state.counters["ours_ns_per_frame"] = ours / frames;
  state.counters["sdl_ns_per_frame"] = sdl / frames;
  state.counters["plain_ns_per_frame"] = plain / frames;
  state.counters["memcpy_ns_per_frame"] = floor / frames;
  state.counters["ours_over_sdl"] = ours / sdl;
  state.counters["ours_over_plain"] = ours / plain;
  state.counters["ours_over_memcpy"] = ours / floor;
  // One second of output is 1e9 ns: the share of a core the mix takes.
  state.counters["ours_core_share"] = ours / double(state.iterations()) / 1e9;
}
BENCHMARK(BM_MixerBesidePeers)->Unit(benchmark::kMillisecond);

}  // namespace
