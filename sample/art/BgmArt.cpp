// The sample game's music: short melodies synthesised here and encoded as
// Ogg Vorbis. The story's music has an intro played once ("BGM01A.OGG")
// and the part that loops after it ("BGM01B.OGG"); the title's is one
// piece that loops ("BGM02.OGG"). The one voiced line of the story gets a
// short hummed phrase, mono like a recorded voice, into the voice folder
// ("WT0001.OGG", the cue the story and the voice table name).
//
//   sample_bgm <music folder> <voice folder>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "OggFixture.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr int kChannels = 2;
constexpr double kPi = 3.14159265358979323846;

// Notes as semitones above A3 (220 Hz), each a beat long; a soft attack
// and decay keep the joins between notes quiet.
std::vector<int16_t> Melody(const std::vector<int>& notes, double beatSeconds) {
  const uint32_t beat = uint32_t(beatSeconds * kRate);
  std::vector<int16_t> samples;
  samples.reserve(notes.size() * beat * kChannels);
  for (int note : notes) {
    const double hz = 220.0 * std::pow(2.0, note / 12.0);
    for (uint32_t i = 0; i < beat; ++i) {
      const double t = double(i) / kRate;
      const double envelope = std::min(1.0, t * 50.0) * (1.0 - double(i) / beat);
      const double tone = std::sin(2 * kPi * hz * t) + 0.3 * std::sin(4 * kPi * hz * t);
      const auto value = int16_t(std::lround(7000.0 * envelope * tone));
      for (int c = 0; c < kChannels; ++c) samples.push_back(value);
    }
  }
  return samples;
}

// A voice-like phrase: one syllable per pitch, each gliding down a little
// and with the rough edge of a second harmonic, mono.
std::vector<int16_t> Phrase(const std::vector<int>& syllables, double syllableSeconds) {
  const uint32_t length = uint32_t(syllableSeconds * kRate);
  std::vector<int16_t> samples;
  samples.reserve(syllables.size() * length);
  for (int note : syllables) {
    const double hz = 220.0 * std::pow(2.0, note / 12.0);
    double phase = 0;
    for (uint32_t i = 0; i < length; ++i) {
      const double progress = double(i) / length;
      phase += 2 * kPi * hz * (1.0 - 0.08 * progress) / kRate;
      const double envelope = std::sin(kPi * progress);
      const double tone = std::sin(phase) + 0.4 * std::sin(2 * phase);
      samples.push_back(int16_t(std::lround(6000.0 * envelope * tone)));
    }
  }
  return samples;
}

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: sample_bgm <music folder> <voice folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  const std::string voices = argv[2];
  using orrivel::testing::EncodeOgg;
  const auto intro = Melody({0, 4, 7, 12}, 0.25);
  const auto loop = Melody({7, 5, 4, 2, 0, 2, 4, 0}, 0.25);
  const auto title = Melody({12, 7, 9, 4, 5, 0, 5, 7}, 0.375);
  const auto voice = Phrase({7, 9, 7, 4, 5, 2}, 0.12);
  if (!Write(folder + "/BGM01A.OGG", EncodeOgg(kRate, kChannels, intro)) ||
      !Write(folder + "/BGM01B.OGG", EncodeOgg(kRate, kChannels, loop)) ||
      !Write(folder + "/BGM02.OGG", EncodeOgg(kRate, kChannels, title)) ||
      !Write(voices + "/WT0001.OGG", EncodeOgg(kRate, 1, voice))) {
    std::fprintf(stderr, "sample_bgm: cannot write into %s or %s\n", folder.c_str(), voices.c_str());
    return 1;
  }
  return 0;
}
