#pragma once
// Runs of 16-bit samples as the sound tests write and hear them: ramps that
// never repeat within a file, the left channel of a stereo capture, slices,
// and where two runs first differ.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace orrivel::testing::samples {

constexpr uint32_t kRate = 44100;

// Samples that never repeat within a file, so a gap, a repeat or a shift
// shows as a mismatch.
inline std::vector<int16_t> Ramp(uint32_t frames, int32_t seed) {
  std::vector<int16_t> samples(frames);
  for (uint32_t i = 0; i < frames; ++i) samples[i] = int16_t((int64_t(i) * 7 + seed) % 30011 - 15005);
  return samples;
}

// The left channel of a stereo capture.
inline std::vector<int16_t> Left(const std::vector<int16_t>& heard) {
  std::vector<int16_t> left(heard.size() / 2);
  for (size_t i = 0; i < left.size(); ++i) left[i] = heard[2 * i];
  return left;
}

inline std::vector<int16_t> Concat(std::initializer_list<std::vector<int16_t>> parts) {
  std::vector<int16_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

inline std::vector<int16_t> Slice(const std::vector<int16_t>& samples, size_t from, size_t count) {
  return {samples.begin() + std::ptrdiff_t(from), samples.begin() + std::ptrdiff_t(from + count)};
}

// `head` followed by `loop` repeated, cut to `frames`.
inline std::vector<int16_t> IntroThenLoop(const std::vector<int16_t>& head, const std::vector<int16_t>& loop,
                                   size_t frames) {
  std::vector<int16_t> all(head.begin(), head.end());
  while (all.size() < frames) all.insert(all.end(), loop.begin(), loop.end());
  all.resize(frames);
  return all;
}

inline uint32_t Frames(uint32_t ms) { return kRate * ms / 1000; }

// Where two sample runs first differ ("same" when they do not), so that a
// failure names the frame of a gap or a repeat.
inline std::string FirstDifference(const std::vector<int16_t>& heard, const std::vector<int16_t>& expected) {
  if (heard == expected) return "same";
  const size_t n = std::min(heard.size(), expected.size());
  for (size_t i = 0; i < n; ++i) {
    if (heard[i] != expected[i]) {
      return "sample " + std::to_string(i) + " of " + std::to_string(expected.size()) + ": heard " +
             std::to_string(heard[i]) + ", expected " + std::to_string(expected[i]);
    }
  }
  return "sizes " + std::to_string(heard.size()) + " and " + std::to_string(expected.size());
}

}  // namespace orrivel::testing::samples
