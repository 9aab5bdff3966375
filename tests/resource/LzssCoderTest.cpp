#include "resource/LzssCoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace orrivel {
namespace {

std::vector<uint8_t> Decode(const std::vector<uint8_t>& packed, uint32_t size, int* code) {
  std::vector<uint8_t> out;
  *code = LzssDecode(packed.data(), packed.size(), out, size);
  return out;
}

TEST(LzssCoderTest, DecodesHandMadeStreams) {
  int code = 0;
  // Literals only.
  EXPECT_EQ(Decode({0xFF, 'H', 'e', 'l', 'l', 'o', ',', ' ', 'W', 0xFF, 'o', 'r', 'l', 'd'}, 12, &code),
            std::vector<uint8_t>({'H', 'e', 'l', 'l', 'o', ',', ' ', 'W', 'o', 'r', 'l', 'd'}));
  EXPECT_EQ(code, kLzssOk);
  // A reference to 4078 right at the start copies cleared ring bytes.
  EXPECT_EQ(Decode({0x00, 0xEE, 0xF2}, 5, &code), std::vector<uint8_t>(5, 0));
  EXPECT_EQ(code, kLzssOk);
  // One literal, then 18 bytes from one position behind the write position.
  EXPECT_EQ(Decode({0x01, 'Z', 0xEE, 0xFF}, 19, &code), std::vector<uint8_t>(19, 'Z'));
  // Stopping inside a reference.
  EXPECT_EQ(Decode({0x01, 'Z', 0xEE, 0xFF}, 7, &code), std::vector<uint8_t>(7, 'Z'));
  EXPECT_EQ(code, kLzssOk);
}

// The decoder works on its output instead of a ring; this plain ring
// decoder is its twin on arbitrary streams, where references land on every
// ring position (the write position itself, never-written bytes, overlaps).
std::vector<uint8_t> RingDecode(const std::vector<uint8_t>& input, uint32_t size) {
  std::vector<uint8_t> ring(kLzssRingSize, 0), out;
  uint32_t write = kLzssStart;
  size_t in = 0;
  auto put = [&](uint8_t byte) {
    out.push_back(byte);
    ring[write] = byte;
    write = (write + 1) & (kLzssRingSize - 1);
  };
  while (out.size() < size) {
    const uint8_t flags = input.at(in++);
    for (int bit = 0; bit < 8 && out.size() < size; ++bit) {
      if (flags >> bit & 1) {
        put(input.at(in++));
        continue;
      }
      const uint32_t position = input.at(in) | (input.at(in + 1) & 0xF0) << 4;
      const uint32_t length = (input.at(in + 1) & 0x0F) + kLzssMinMatch;
      in += 2;
      for (uint32_t k = 0; k < length && out.size() < size; ++k) put(ring[(position + k) & (kLzssRingSize - 1)]);
    }
  }
  return out;
}

TEST(LzssCoderTest, MatchesAPlainRingDecoderOnRandomStreams) {
  std::mt19937 random(11);
  for (int round = 0; round < 40; ++round) {
    // Mostly references, so that the ring wraps many times.
    std::vector<uint8_t> packed(20000);
    for (auto& b : packed) b = uint8_t(random());
    for (size_t i = 0; i < packed.size(); i += 17) packed[i] &= uint8_t(random());
    const uint32_t size = 5000 + uint32_t(random() % 20000);
    int code = -1;
    const auto expected = RingDecode(packed, size);
    EXPECT_EQ(Decode(packed, size, &code), expected) << round;
    EXPECT_EQ(code, kLzssOk);
  }
}

TEST(LzssCoderTest, RefusesShortInputAndEmptyOutput) {
  const std::vector<std::vector<uint8_t>> truncated = {
      {}, {0xFF}, {0xFF, 'A'}, {0x00, 0xEE}, {0x01, 'Z', 0xEE}};
  for (const auto& input : truncated) {
    int code = 0;
    Decode(input, 5, &code);
    EXPECT_EQ(code, kLzssInputEnded) << input.size();
  }
  uint8_t out[4];
  EXPECT_EQ(LzssDecode(nullptr, 0, out, 0), kLzssNoOutput);
  EXPECT_EQ(LzssDecode(out, 4, static_cast<uint8_t*>(nullptr), 4), kLzssNoMemory);
}

TEST(LzssCoderTest, ClaimedSizesBeyondTheDensestStreamAreRefusedUnallocated) {
  // The densest packing: flag bytes of eight 18-byte references.
  std::vector<uint8_t> dense;
  for (int group = 0; group < 100; ++group) {
    dense.push_back(0x00);
    for (int item = 0; item < 8; ++item) dense.insert(dense.end(), {0xEE, 0xFF});
  }
  const uint32_t densest = 100 * 8 * kLzssMaxMatch;
  ASSERT_LE(densest, LzssMaxUnpackedSize(dense.size()));
  int code = -1;
  EXPECT_EQ(Decode(dense, densest, &code).size(), densest);
  EXPECT_EQ(code, kLzssOk);
  // A header claiming gigabytes for a few packed bytes: refused before any
  // memory is reserved.
  std::vector<uint8_t> out;
  EXPECT_EQ(LzssDecode(dense.data(), dense.size(), out, 0xD59C5030u), kLzssInputEnded);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(out.capacity(), 0u);
}

TEST(LzssCoderTest, EncodeRoundTripsAndMeasures) {
  std::mt19937 random(7);
  std::vector<std::vector<uint8_t>> inputs;
  inputs.push_back(std::vector<uint8_t>(100, 0));
  std::string text;
  for (int i = 0; i < 3000; ++i) text += "line " + std::to_string(i % 97) + " of the script\r\n";
  inputs.emplace_back(text.begin(), text.end());
  std::vector<uint8_t> mixed(70000);
  for (size_t i = 0; i < mixed.size(); ++i) mixed[i] = (i / 300) % 2 ? uint8_t(random() % 4) : uint8_t(i * 7);
  inputs.push_back(mixed);
  // Zeros from the start match the decoder's initial ring; a block that
  // repeats at the window's far edge; a few-symbol source whose matches
  // overlap the bytes they produce.
  inputs.push_back(std::vector<uint8_t>(1 << 20, 0));
  std::vector<uint8_t> far(4095 * 6);
  for (size_t i = 0; i < 4095; ++i) far[i] = uint8_t(random());
  for (size_t i = 4095; i < far.size(); ++i) far[i] = far[i - 4095];
  inputs.push_back(far);
  std::vector<uint8_t> few(50000);
  for (auto& b : few) b = uint8_t("ab"[random() % 2]);
  inputs.push_back(few);
  for (const auto& input : inputs) {
    std::vector<uint8_t> packed;
    uint32_t packedSize = 0, measured = 0;
    ASSERT_EQ(LzssEncode(input.data(), uint32_t(input.size()), &packed, &packedSize, true), kLzssOk);
    EXPECT_EQ(packed.size(), packedSize);
    EXPECT_LT(packedSize, input.size() - 8);
    EXPECT_EQ(LzssEncode(input.data(), uint32_t(input.size()), nullptr, &measured, false), kLzssOk);
    EXPECT_EQ(measured, packedSize);
    int code = 0;
    EXPECT_EQ(Decode(packed, uint32_t(input.size()), &code), input);
    EXPECT_EQ(code, kLzssOk);
    // Every truncation of the packed data fails cleanly.
    for (size_t cut = 0; cut < packed.size(); cut += 1 + packed.size() / 50) {
      std::vector<uint8_t> shorter(packed.begin(), packed.begin() + std::ptrdiff_t(cut));
      Decode(shorter, uint32_t(input.size()), &code);
      EXPECT_EQ(code, kLzssInputEnded);
    }
  }
}

// Packs input and checks the stream decodes back exactly; an input the
// encoder refuses must be one that did not shrink.
void ExpectRoundTrip(const std::vector<uint8_t>& input, const std::string& what) {
  std::vector<uint8_t> packed;
  uint32_t packedSize = 0;
  const int code = LzssEncode(input.data(), uint32_t(input.size()), &packed, &packedSize, true);
  if (code == kLzssNoOutput) {
    EXPECT_TRUE(packed.empty()) << what;
    return;
  }
  ASSERT_EQ(code, kLzssOk) << what;
  EXPECT_LT(packedSize, input.size() - 8) << what;
  int decoded = -1;
  EXPECT_EQ(Decode(packed, uint32_t(input.size()), &decoded), input) << what;
  EXPECT_EQ(decoded, kLzssOk) << what;
}

TEST(LzssCoderTest, EncodeRoundTripsRunsFarRepeatsAndTinyInputs) {
  std::mt19937 random(3);
  auto noise = [&random](size_t n) {
    std::vector<uint8_t> bytes(n);
    for (auto& b : bytes) b = uint8_t(random());
    return bytes;
  };
  // Runs of every length around whole 18-byte references, after varied
  // bytes and from the very start (where the ring's zeros already match),
  // ending the input or followed by more.
  for (uint8_t value : {uint8_t(0), uint8_t(0x5A)}) {
    for (size_t run : {3u, 17u, 18u, 19u, 35u, 36u, 37u, 4095u, 4096u, 4097u, 20000u}) {
      for (size_t lead : {0u, 1u, 40u}) {
        auto input = noise(lead);
        input.insert(input.end(), run, value);
        ExpectRoundTrip(input, "run " + std::to_string(run) + " after " + std::to_string(lead));
        input.push_back(1);
        input.insert(input.end(), run, value);
        ExpectRoundTrip(input, "two runs of " + std::to_string(run));
      }
    }
  }
  // A block repeated at the window's edge and just beyond it, several
  // times over so the ring wraps.
  for (size_t distance : {4094u, 4095u, 4096u, 4097u}) {
    auto input = noise(distance);
    for (size_t i = 0; i < 4 * distance; ++i) input.push_back(input[i]);
    ExpectRoundTrip(input, "repeat at " + std::to_string(distance));
  }
  // Tiny inputs: the shortest the encoder takes, matches reaching the last
  // byte, and inputs too short to shrink.
  for (size_t n = 9; n <= 40; ++n) {
    std::vector<uint8_t> periodic(n);
    for (size_t i = 0; i < n; ++i) periodic[i] = uint8_t("abc"[i % 3]);
    ExpectRoundTrip(periodic, "periodic " + std::to_string(n));
    ExpectRoundTrip(std::vector<uint8_t>(n, 0), "zeros " + std::to_string(n));
    ExpectRoundTrip(noise(n), "noise " + std::to_string(n));
  }
}

// Random inputs built the way packed data repeats itself: copies from any
// earlier distance (inside and outside the window, overlapping their own
// output), runs, and noise.
TEST(LzssCoderTest, EncodeRoundTripsRandomlyBuiltInputs) {
  std::mt19937 random(17);
  for (int round = 0; round < 150; ++round) {
    std::vector<uint8_t> input;
    const size_t size = 9 + random() % 12000;
    while (input.size() < size) {
      const uint32_t kind = random() % 4;
      const size_t length = 1 + random() % (kind == 2 ? 300 : 40);
      if (kind == 0 || input.empty()) {
        for (size_t i = 0; i < length; ++i) input.push_back(uint8_t(random() % (round % 2 ? 256 : 4)));
      } else if (kind == 2) {
        input.insert(input.end(), length, uint8_t(random()));
      } else {
        const size_t distance = 1 + random() % std::min<size_t>(input.size(), kind == 1 ? 5000 : 20);
        for (size_t i = 0; i < length; ++i) input.push_back(input[input.size() - distance]);
      }
    }
    input.resize(size);
    ExpectRoundTrip(input, "round " + std::to_string(round));
  }
}

// Longer inputs, many parse blocks each: lines that differ in a few digits
// (where matches found at one position are followed back over the ones
// before), runs across block edges, copies from the window's far edge, and
// zeros just after the start, whose matches reach back into the decoder's
// initial ring.
TEST(LzssCoderTest, EncodeRoundTripsLongMixedInputs) {
  std::mt19937 random(29);
  for (int round = 0; round < 12; ++round) {
    std::vector<uint8_t> input;
    for (size_t i = 0; i < size_t(round % 5); ++i) input.push_back(uint8_t(1 + random() % 255));
    input.insert(input.end(), 1 + random() % 40, 0);
    const size_t size = 20000 + random() % 60000;
    while (input.size() < size) {
      switch (random() % 5) {
        case 0: {
          const std::string line = "\x81\x75scene " + std::to_string(random() % 500) + " line " +
                                   std::to_string(random() % 97) + "\x81\x76\r\n";
          input.insert(input.end(), line.begin(), line.end());
          break;
        }
        case 1:
          input.insert(input.end(), 1 + random() % 300, uint8_t(random() % 3));
          break;
        case 2: {
          const size_t distance = std::min<size_t>(input.size(), 4090 + random() % 12);
          const size_t length = 1 + random() % 40;
          for (size_t i = 0; i < length; ++i) input.push_back(input[input.size() - distance]);
          break;
        }
        case 3:
          for (size_t i = 0, n = 1 + random() % 30; i < n; ++i) input.push_back(uint8_t(random()));
          break;
        default: {
          const size_t distance = 1 + random() % std::min<size_t>(input.size(), 64);
          const size_t length = 3 + random() % 30;
          for (size_t i = 0; i < length; ++i) input.push_back(input[input.size() - distance]);
        }
      }
    }
    ExpectRoundTrip(input, "round " + std::to_string(round));
    uint32_t written = 0, measured = 0;
    std::vector<uint8_t> packed;
    ASSERT_EQ(LzssEncode(input.data(), uint32_t(input.size()), &packed, &written, true), kLzssOk);
    ASSERT_EQ(LzssEncode(input.data(), uint32_t(input.size()), nullptr, &measured, false), kLzssOk);
    EXPECT_EQ(measured, written);
    // A decoder that keeps the ring itself reads the same bytes back.
    EXPECT_EQ(RingDecode(packed, uint32_t(input.size())), input) << round;
  }
}

TEST(LzssCoderTest, EncodeRefusesWhatDoesNotShrink) {
  const uint8_t varied[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  std::vector<uint8_t> packed;
  uint32_t size = 0;
  EXPECT_EQ(LzssEncode(varied, 9, &packed, &size, true), kLzssNoOutput);
  EXPECT_EQ(LzssEncode(varied, 8, &packed, &size, true), kLzssNoOutput);
  std::mt19937 random(1);
  std::vector<uint8_t> noise(5000);
  for (auto& b : noise) b = uint8_t(random());
  EXPECT_EQ(LzssEncode(noise.data(), uint32_t(noise.size()), &packed, &size, true), kLzssNoOutput);
  EXPECT_EQ(LzssEncode(noise.data(), uint32_t(noise.size()), nullptr, &size, false), kLzssNoOutput);
}

}  // namespace
}  // namespace orrivel
