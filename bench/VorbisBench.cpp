// Decoding one minute of 44.1 kHz stereo Ogg Vorbis through the engine's
// codec (the library bound by name, reading the engine's file object through
// its callbacks) against libvorbisfile's ov_read straight from memory; four
// streams of that minute decoded at once, a chunk of each in turn, against
// four ov_read streams read the same way; and the mouth-animation envelope
// pass over the decoded PCM against a memcpy of the same bytes. Each reports
// MB/s of PCM; BM_VorbisBesidePeers runs one decode of each side, the
// envelope and the copy in one pass and reports the ratios; the table after
// the run sets each of ours beside its peer.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
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
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"
#include "resource/FileObject.h"
#include "sound/BufferSound.h"
#include "sound/VorbisCodec.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kFrames = kRate * 60;
constexpr uint32_t kChunk = 32768;

struct Fixture {
  Fixture() {
    // A tone with a slow swell, so the envelope has something to follow.
    std::vector<int16_t> pcm(size_t(kFrames) * 2);
    for (uint32_t i = 0; i < kFrames; ++i) {
      const double swell = 0.5 + 0.5 * std::sin(2 * M_PI * i / kRate);
      const auto v = int16_t(12000 * swell * std::sin(2 * M_PI * 440.0 * i / kRate));
      pcm[2 * i] = v;
      pcm[2 * i + 1] = int16_t(-v);
    }
    ogg = orrivel::testing::EncodeOgg(kRate, 2, pcm);
    folder = (std::filesystem::temp_directory_path() / ("orrivel-vorbisbench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(folder);
    FILE* out = std::fopen((folder + "/minute.ogg").c_str(), "wb");
    std::fwrite(ogg.data(), 1, ogg.size(), out);
    std::fclose(out);
    orrivel::SetBaseFolderForTest(*orrivel::platform::ToInternalPath(folder) + "\\");
    orrivel::SetArchiveManager(&archives);
    decoded = DecodeOurs();
    work = decoded;
    copy.resize(decoded.size());
  }
  ~Fixture() {
    orrivel::SetArchiveManager(nullptr);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }

  std::vector<uint8_t> DecodeOurs() {
    auto file = std::make_shared<orrivel::FileObject>();
    file->Open("minute.ogg");
    orrivel::SoundDecoderPtr decoder(codec.CreateDecoder(file, nullptr));
    std::vector<uint8_t> pcm(decoder ? decoder->GetTotalBytes() : 0);
    uint32_t got = 0;
    while (decoder && got < pcm.size()) {
      const uint32_t n = decoder->Read(pcm.data() + got, std::min<uint32_t>(kChunk, uint32_t(pcm.size()) - got));
      if (n == 0) break;
      got += n;
    }
    pcm.resize(got);
    return pcm;
  }
  size_t DecodePeer() { return orrivel::bench::DecodeOggWithOvRead(ogg, peer); }
  void Envelope() { orrivel::BufferSound::BuildEnvelope(work.data(), uint32_t(work.size()), 16); }
  void Copy() { std::memcpy(copy.data(), decoded.data(), decoded.size()); }

  std::string folder;
  orrivel::ArchiveManager archives;
  orrivel::VorbisCodec codec{orrivel::VorbisCodec::DefaultLibraryPath()};
  std::vector<uint8_t> ogg, decoded, work, copy;
  std::vector<uint8_t> peer = std::vector<uint8_t>(kChunk);
};

Fixture& Files() {
  static Fixture fixture;
  return fixture;
}

void BM_OurCodecDecodesOneMinute(benchmark::State& state) {
  Fixture& f = Files();
  for (auto _ : state) benchmark::DoNotOptimize(f.DecodeOurs().size());
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.decoded.size()));
}
BENCHMARK(BM_OurCodecDecodesOneMinute)->Unit(benchmark::kMillisecond);

void BM_PeerOvReadFromMemory(benchmark::State& state) {
  Fixture& f = Files();
  for (auto _ : state) benchmark::DoNotOptimize(f.DecodePeer());
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.decoded.size()));
}
BENCHMARK(BM_PeerOvReadFromMemory)->Unit(benchmark::kMillisecond);

void BM_EnvelopePass(benchmark::State& state) {
  Fixture& f = Files();
  for (auto _ : state) {
    f.Envelope();
    benchmark::DoNotOptimize(f.work.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.decoded.size()));
}
BENCHMARK(BM_EnvelopePass)->Unit(benchmark::kMicrosecond);

void BM_PeerMemcpyOfThePcm(benchmark::State& state) {
  Fixture& f = Files();
  for (auto _ : state) {
    f.Copy();
    benchmark::DoNotOptimize(f.copy.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.decoded.size()));
}
BENCHMARK(BM_PeerMemcpyOfThePcm)->Unit(benchmark::kMicrosecond);

// Four streams decoded at once, as voice, music and two effects play
// together: each opened on its own, then read a chunk at a time in turn
// into a scratch block of its own until all have ended.
constexpr int kStreams = 4;

size_t DecodeFourOfOurs(Fixture& f) {
  orrivel::SoundDecoderPtr decoders[kStreams];
  for (auto& decoder : decoders) {
    auto file = std::make_shared<orrivel::FileObject>();
    file->Open("minute.ogg");
    decoder.reset(f.codec.CreateDecoder(file, nullptr));
    if (!decoder) return 0;
  }
  std::vector<uint8_t> scratch[kStreams];
  for (auto& block : scratch) block.resize(kChunk);
  size_t got = 0;
  for (int live = kStreams; live > 0;) {
    live = 0;
    for (int i = 0; i < kStreams; ++i) {
      if (!decoders[i]) continue;
      const uint32_t n = decoders[i]->Read(scratch[i].data(), kChunk);
      if (n == 0) {
        decoders[i].reset();
        continue;
      }
      got += n;
      ++live;
    }
  }
  return got;
}

size_t DecodeFourWithOvRead(Fixture& f) {
  using orrivel::bench::OggMemory;
  OggMemory memory[kStreams];
  OggVorbis_File files[kStreams];
  bool open[kStreams] = {};
  const ov_callbacks callbacks{&OggMemory::Read, &OggMemory::Seek, nullptr, &OggMemory::Tell};
  for (int i = 0; i < kStreams; ++i) {
    memory[i].bytes = &f.ogg;
    open[i] = ov_open_callbacks(&memory[i], &files[i], nullptr, 0, callbacks) == 0;
  }
  std::vector<uint8_t> scratch[kStreams];
  for (auto& block : scratch) block.resize(kChunk);
  size_t got = 0;
  for (int live = kStreams; live > 0;) {
    live = 0;
    for (int i = 0; i < kStreams; ++i) {
      if (!open[i]) continue;
      int section = 0;
      const long n = ov_read(&files[i], reinterpret_cast<char*>(scratch[i].data()), int(kChunk), 0, 2, 1, &section);
      if (n <= 0) {
        ov_clear(&files[i]);
        open[i] = false;
        continue;
      }
      got += size_t(n);
      ++live;
    }
  }
  return got;
}

void BM_OurCodecDecodesFourStreamsAtOnce(benchmark::State& state) {
  Fixture& f = Files();
  for (auto _ : state) {
    if (DecodeFourOfOurs(f) != kStreams * f.decoded.size()) {
      state.SkipWithError("a stream did not decode whole");
      break;
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kStreams * int64_t(f.decoded.size()));
}
BENCHMARK(BM_OurCodecDecodesFourStreamsAtOnce)->Unit(benchmark::kMillisecond);

void BM_PeerOvReadFourStreamsAtOnce(benchmark::State& state) {
  Fixture& f = Files();
  for (auto _ : state) benchmark::DoNotOptimize(DecodeFourWithOvRead(f));
  state.SetBytesProcessed(int64_t(state.iterations()) * kStreams * int64_t(f.decoded.size()));
}
BENCHMARK(BM_PeerOvReadFourStreamsAtOnce)->Unit(benchmark::kMillisecond);

// All four in one pass: MB/s of PCM of each and ours as a multiple of the
// peer's time.
void BM_VorbisBesidePeers(benchmark::State& state) {
  Fixture& f = Files();
  using Clock = std::chrono::steady_clock;
  auto time = [](auto&& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
  };
  double ours = 0, peer = 0, envelope = 0, copy = 0;
  for (auto _ : state) {
    ours += time([&] { benchmark::DoNotOptimize(f.DecodeOurs().size()); });
    peer += time([&] { benchmark::DoNotOptimize(f.DecodePeer()); });
    envelope += time([&] { f.Envelope(); });
    copy += time([&] { f.Copy(); });
  }
  const double megabytes = double(f.decoded.size()) * double(state.iterations()) / 1e6;
  state.counters["decode_ours_MBps"] = megabytes / ours;
  state.counters["decode_peer_MBps"] = megabytes / peer;
  state.counters["decode_ours_over_peer"] = ours / peer;
  state.counters["envelope_MBps"] = megabytes / envelope;
  state.counters["memcpy_MBps"] = megabytes / copy;
  state.counters["envelope_over_memcpy"] = envelope / copy;
}
BENCHMARK(BM_VorbisBesidePeers)->Unit(benchmark::kMillisecond);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_OurCodecDecodesOneMinute", "BM_PeerOvReadFromMemory"},
                              {"BM_OurCodecDecodesFourStreamsAtOnce", "BM_PeerOvReadFourStreamsAtOnce"},
                              {"BM_EnvelopePass", "BM_PeerMemcpyOfThePcm"})
