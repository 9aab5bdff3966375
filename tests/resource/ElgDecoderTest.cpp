#include "resource/ElgDecoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "elg/ElgWriter.h"
#include "resource/BitmapInfoHeader.h"
#include "resource/ElgUnpack.h"
#include "resource/PictureTestSupport.h"

namespace orrivel {
namespace {

using testing::TestCanvas;
using Bytes = std::vector<std::uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Distinct-looking items for literals.
Bytes Ramp(std::size_t n, std::uint8_t step = 7) {
  Bytes out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = std::uint8_t(i * step + 1);
  return out;
}

// A long literal command header (33..8224 items).
Bytes LongLiteral(std::size_t n) {
  return {std::uint8_t(0x20 | (n - 33) >> 8), std::uint8_t((n - 33) & 0xFF)};
}

struct ByteCase {
  const char* name;
  Bytes stream;
  Bytes expected;
};

// Hand-assembled byte-form streams, one per command range, with the items
// each must give.
std::vector<ByteCase> ByteCases() {
  std::vector<ByteCase> cases;
  cases.push_back({"literal", {0x02, 1, 2, 3, 0xFF}, {1, 2, 3}});
  {
    Bytes items = Ramp(33);
    cases.push_back({"long literal", Cat({{0x20, 0x00}, items, {0xFF}}), items});
  }
  cases.push_back({"fill", {0x42, 7, 0xFF}, Bytes(5, 7)});
  cases.push_back({"long fill", {0x61, 0x00, 9, 0xFF}, Bytes(256 + 35, 9)});
  cases.push_back({"copy 2-17 near", {0x01, 1, 2, 0x81, 0x00, 0xFF}, {1, 2, 1, 2, 1}});
  cases.push_back({"copy 4-259", {0x02, 1, 2, 3, 0x90, 0x00, 0x01, 0xFF}, {1, 2, 3, 1, 2, 3, 1, 2}});
  cases.push_back({"copy 3", {0x03, 1, 2, 3, 4, 0xA0, 0x01, 0xFF}, {1, 2, 3, 4, 1, 2, 3}});
  cases.push_back({"copy 4", {0x02, 5, 6, 7, 0xB0, 0x00, 0xFF}, {5, 6, 7, 5, 6, 7, 5}});
  cases.push_back({"copy 1", {0x01, 8, 9, 0xC1, 0xFF}, {8, 9, 8}});
  cases.push_back({"copy 2", {0x02, 1, 2, 3, 0xE1, 0xFF}, {1, 2, 3, 1, 2}});
  cases.push_back({"copy 1 repeats", {0x00, 4, 0xC0, 0xC0, 0xFF}, {4, 4, 4}});
  {
    // The farthest distance (4098) with the high nibble of the command.
    Bytes items = Ramp(4098, 13);
    Bytes expected = items;
    expected.insert(expected.end(), items.begin(), items.begin() + 4);
    cases.push_back({"copy 4-259 farthest", Cat({LongLiteral(4098), items, {0x9F, 0xFF, 0x00, 0xFF}}),
                     expected});
  }
  return cases;
}

TEST(ElgUnpackTest, ByteFormCommandsGiveTheirItems) {
  for (const ByteCase& c : ByteCases()) {
    SCOPED_TRACE(c.name);
    Bytes out(c.expected.size());
    const std::uint8_t* end = c.stream.data() + c.stream.size();
    EXPECT_EQ(ElgUnpack8(c.stream.data(), end, out.data(), out.size()), end);
    EXPECT_EQ(out, c.expected);
  }
}

// The alpha stream writes only the fourth byte of each pixel, top-down with
// row padding and bottom-up, over one row and over two; a refused stream
// leaves the items it gave before the refusal, and nothing else.
TEST(ElgUnpackTest, AlphaStreamsGiveTheFourthByteOnly) {
  auto check = [](const Bytes& stream, std::uint32_t width, std::uint32_t height, bool bottomUp,
                  const Bytes& alpha, bool refused) {
    const std::uint64_t pitch = bottomUp ? width * 4ull : width * 4ull + 8;
    Bytes out(pitch * height);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = std::uint8_t(i * 5 + 3);
    const Bytes before = out;
    const std::uint8_t* end = stream.data() + stream.size();
    const std::uint8_t* result = bottomUp ? ElgUnpackAlphaBottomUp(stream.data(), end, out.data(), width, height)
                                          : ElgUnpackAlpha(stream.data(), end, out.data(), width, height, pitch);
    EXPECT_EQ(result, refused ? nullptr : end);
    for (std::uint64_t y = 0; y < height; ++y) {
      const std::uint64_t row = bottomUp ? height - 1 - y : y;
      for (std::uint64_t x = 0; x < pitch; ++x) {
        const std::size_t at = std::size_t(row * pitch + x);
        const std::size_t item = std::size_t(y * width + x / 4);
        const bool alphaByte = x % 4 == 3 && x / 4 < width && item < alpha.size();
        ASSERT_EQ(out[at], alphaByte ? alpha[item] : before[at]) << "row " << y << " byte " << x;
      }
    }
  };
  for (const ByteCase& c : ByteCases()) {
    SCOPED_TRACE(c.name);
    const std::uint32_t n = std::uint32_t(c.expected.size());
    for (bool bottomUp : {false, true}) {
      check(c.stream, n, 1, bottomUp, c.expected, false);
      if (n % 2 == 0) check(c.stream, n / 2, 2, bottomUp, c.expected, false);
    }
  }
  SCOPED_TRACE("copy before the start after a literal");
  for (bool bottomUp : {false, true}) check({0x02, 1, 2, 3, 0x80, 0x05, 0xFF}, 3, 2, bottomUp, {1, 2, 3}, true);
}

// Pixels as 0x00RRGGBB words for comparison.
using Words = std::vector<std::uint32_t>;
Bytes PixelBytes(const Words& px) {
  Bytes out;
  for (std::uint32_t v : px) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
    out.push_back(std::uint8_t(v >> 16));
  }
  return out;
}
Words PixelRamp(std::size_t n) {
  Words out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = std::uint32_t(i * 0x010203u + 0x112233u) & 0xFFFFFF;
  return out;
}

struct PixelCase {
  const char* name;
  Bytes stream;
  std::uint32_t width, height;
  Words expected;
};

std::vector<PixelCase> PixelCases() {
  std::vector<PixelCase> cases;
  const Words r = PixelRamp(4200);
  auto first = [&](std::size_t n) { return Words(r.begin(), r.begin() + std::ptrdiff_t(n)); };
  auto with = [](Words w, std::initializer_list<std::uint32_t> more) {
    w.insert(w.end(), more);
    return w;
  };
  cases.push_back({"literal", Cat({{0x01}, PixelBytes(first(2)), {0xFF}}), 2, 1, first(2)});
  cases.push_back({"long literal", Cat({{0x20, 0x00}, PixelBytes(first(33)), {0xFF}}), 33, 1, first(33)});
  cases.push_back({"fill", Cat({{0x41}, PixelBytes({r[0]}), {0xFF}}), 3, 1, Words(3, r[0])});
  cases.push_back({"long fill", Cat({{0x60, 0x00}, PixelBytes({r[1]}), {0xFF}}), 34, 1, Words(34, r[1])});
  cases.push_back({"copy 1-16 near", Cat({{0x01}, PixelBytes(first(2)), {0x82, 0x00, 0xFF}}), 5, 1,
                   with(first(2), {r[0], r[1], r[0]})});
  cases.push_back({"copy 1-256", Cat({{0x02}, PixelBytes(first(3)), {0x90, 0x01, 0x01, 0xFF}}), 5, 1,
                   with(first(3), {r[0], r[1]})});
  cases.push_back({"copy far", Cat({LongLiteral(4098), PixelBytes(first(4098)), {0xA0, 0x00, 0x00, 0x02, 0xFF}}),
                   4101, 1, with(first(4098), {r[0], r[1], r[2]})});
  cases.push_back({"copy 1 near", Cat({{0x01}, PixelBytes(first(2)), {0xB0, 0xFF}}), 3, 1,
                   with(first(2), {r[0]})});
  cases.push_back({"copy 1", Cat({{0x09}, PixelBytes(first(10)), {0xB8, 0x00, 0xFF}}), 11, 1,
                   with(first(10), {r[0]})});
  cases.push_back({"copy 1 far", Cat({LongLiteral(2058), PixelBytes(first(2058)), {0xCC, 0x00, 0xFF}}),
                   2059, 1, with(first(2058), {r[0]})});
  // 17 rows: the last row copies from 16 rows above.
  cases.push_back({"rows above far", Cat({{0x0F}, PixelBytes(first(16)), {0xC0, 0x00, 0xFF}}), 1, 17,
                   with(first(16), {r[0]})});
  cases.push_back({"rows above far left",
                   Cat({{0x20, 0x00}, PixelBytes(first(33)), {0xC4, 0x00, 0xFF}}), 2, 17,
                   with(first(33), {r[0]})});
  cases.push_back({"rows above far right",
                   Cat({{0x1F}, PixelBytes(first(32)), {0xC8, 0x00, 0x00}, PixelBytes({r[5]}), {0xFF}}),
                   2, 17, with(first(32), {r[1], r[5]})});
  cases.push_back({"rows above", Cat({{0x01}, PixelBytes(first(2)), {0xD0, 0xD0, 0xFF}}), 2, 2,
                   with(first(2), {r[0], r[1]})});
  cases.push_back({"rows above left", Cat({{0x02}, PixelBytes(first(3)), {0xE0, 0xFF}}), 2, 2,
                   with(first(3), {r[0]})});
  cases.push_back({"rows above right", Cat({{0x01}, PixelBytes(first(2)), {0xF0, 0x00}, PixelBytes({r[9]}), {0xFF}}),
                   2, 2, with(first(2), {r[1], r[9]})});
  return cases;
}

TEST(ElgUnpackTest, PixelFormCommandsGiveTheirPixels) {
  for (const PixelCase& c : PixelCases()) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(c.expected.size(), std::size_t(c.width) * c.height);
    Words out(c.expected.size(), 0xDEADBEEF);
    const std::uint8_t* end = c.stream.data() + c.stream.size();
    EXPECT_EQ(ElgUnpackRgb32(c.stream.data(), end, reinterpret_cast<std::uint8_t*>(out.data()),
                             c.width, c.height, c.width * 4ull),
              end);
    EXPECT_EQ(out, c.expected);
  }
}

// Streams that break the rules of a plane: each must be refused without a
// read or write outside the stream or the plane.
TEST(ElgUnpackTest, RefusesStreamsThatLeaveThePlane) {
  struct Bad {
    const char* name;
    Bytes stream;
    bool pixels;
    std::uint32_t width, height;
  };
  const Bad cases[] = {
      {"no end byte", {0x02, 1, 2, 3}, false, 3, 1},
      {"literal past the data", {0x05, 1, 2}, false, 6, 1},
      {"long literal past the data", {0x20, 0x10, 1}, false, 64, 1},
      {"fill operand missing", {0x40}, false, 3, 1},
      {"ends early", {0x00, 1, 0xFF}, false, 2, 1},
      {"runs over", {0x42, 1, 0xFF}, false, 4, 1},
      {"copy before the start", {0x00, 1, 0x80, 0x05, 0xFF}, false, 3, 1},
      {"copy 1 before the start", {0xC1, 0xFF}, false, 1, 1},
      {"pixel literal past the data", {0x01, 1, 2, 3, 4}, true, 2, 1},
      {"pixel fill runs over", {0x45, 1, 2, 3, 0xFF}, true, 4, 1},
      {"pixel copy far before the start", {0x00, 1, 2, 3, 0xA0, 0, 0, 0, 0xFF}, true, 2, 1},
      {"rows above on the first row", {0xD0, 0xFF}, true, 1, 1},
      {"rows above beyond the rows written", {0x00, 1, 2, 3, 0xD1, 0xFF}, true, 1, 3},
      {"rows above left from column 0", {0x00, 1, 2, 3, 0xE0, 0x00, 1, 2, 3, 0xFF}, true, 1, 2},
      {"rows above right from the last column", {0x01, 1, 2, 3, 4, 5, 6, 0x00, 1, 2, 3, 0xF0, 0xFF}, true, 2, 2},
      {"far rows above on the first rows", {0x00, 1, 2, 3, 0xC0, 0x00, 0xFF}, true, 1, 2},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.name);
    // Exact-size copies, so that a stray read or write shows under ASan.
    const Bytes stream = c.stream;
    std::vector<std::uint8_t> out(std::size_t(c.width) * c.height * (c.pixels ? 4 : 1));
    const std::uint8_t* end = stream.data() + stream.size();
    const std::uint8_t* result =
        c.pixels ? ElgUnpackRgb32(stream.data(), end, out.data(), c.width, c.height, c.width * 4ull)
                 : ElgUnpack8(stream.data(), end, out.data(), out.size());
    EXPECT_EQ(result, nullptr);
  }
}

Bytes Header24(std::uint16_t w, std::uint16_t h) {
  return {'E', 'L', 'G', 24, std::uint8_t(w), std::uint8_t(w >> 8), std::uint8_t(h), std::uint8_t(h >> 8)};
}

TEST(ElgDecoderTest, OnePixelOf24BitsHasAPaddedRow) {
  const Bytes file = Cat({Header24(1, 1), {0x00, 0x10, 0x20, 0x30, 0xFF}});
  ElgDecoder decoder;
  PictureBlock info, pixels;
  ASSERT_EQ(decoder.Decode(file.data(), file.size(), &info, &pixels, nullptr, nullptr), 0);
  const BitmapInfoHeader h = BitmapInfoHeader::Read(info.Data());
  EXPECT_EQ(info.Size(), 44u);
  EXPECT_EQ(h.width, 1);
  EXPECT_EQ(h.height, 1);
  EXPECT_EQ(h.bitCount, 24);
  EXPECT_EQ(h.imageSize, 4u);
  EXPECT_EQ(decoder.Pitch(), 4u);
  EXPECT_EQ(decoder.TotalBytes(), 48u);
  EXPECT_EQ(Bytes(pixels.Data(), pixels.Data() + 4), (Bytes{0x10, 0x20, 0x30, 0x00}));
  EXPECT_TRUE(decoder.Info().Empty());  // handed over
}

TEST(ElgDecoderTest, BackCopyAcrossARowSkipsThePadding) {
  // 8 bits, width 3 (pitch 4): the second row starts with a copy from 3 back,
  // which is the first pixel of the first row, not a padding byte.
  const Bytes palette = {0x63, 0xDD, 0, 0xFF};  // one long fill: 3 * 256 + 0xDD + 35 = 1024
  const Bytes file = Cat({{'E', 'L', 'G', 8, 3, 0, 2, 0}, palette, {0x02, 5, 6, 7, 0xA0, 0x00, 0xFF}});
  ElgDecoder decoder;
  PictureBlock info, pixels;
  ASSERT_EQ(decoder.Decode(file.data(), file.size(), &info, &pixels, nullptr, nullptr), 0);
  EXPECT_EQ(info.Size(), 1064u);
  EXPECT_EQ(decoder.Pitch(), 4u);
  // Bottom-up: picture row 1 is stored first.
  EXPECT_EQ(Bytes(pixels.Data(), pixels.Data() + 8), (Bytes{5, 6, 7, 0, 5, 6, 7, 0}));
}

TEST(ElgDecoderTest, HeaderVariantsGiveOffsetAndChunks) {
  const Bytes streams = {0x00, 1, 2, 3, 0xFF};
  {
    const Bytes file = Cat({{'E', 'L', 'G', 1, 24, 0xF6, 0xFF, 20, 0, 1, 0, 1, 0}, streams});
    ElgDecoder decoder;
    ASSERT_EQ(decoder.Decode(file.data(), file.size(), nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(decoder.GetOffsetX(), -10);
    EXPECT_EQ(decoder.GetOffsetY(), 20);
    EXPECT_FALSE(decoder.Pixels().Empty());  // kept without out blocks
  }
  {
    const Bytes file = Cat({{'E', 'L', 'G', 2, 24, 1, 0, 1, 0, 0, 0, 0, 0, 0}, streams});
    ElgDecoder decoder;
    ASSERT_EQ(decoder.Decode(file.data(), file.size(), nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(decoder.GetExtraSize(), 0u);
    EXPECT_TRUE(decoder.DetachExtraData(true).Empty());
  }
  {
    const Bytes chunks = {7, 6, 0, 0, 0, 0xAA, 0xBB, 9, 4, 0, 0, 0};
    const Bytes file = Cat({{'E', 'L', 'G', 2, 24, 1, 0, 1, 0, 3, 0, 4, 0}, chunks, {0}, streams});
    ElgDecoder decoder;
    ASSERT_EQ(decoder.Decode(file.data(), file.size(), nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(decoder.GetOffsetX(), 3);
    EXPECT_EQ(decoder.GetExtraSize(), chunks.size());
    const PictureBlock copy = decoder.DetachExtraData(false);
    EXPECT_EQ(Bytes(copy.Data(), copy.Data() + copy.Size()), chunks);
    const PictureBlock taken = decoder.DetachExtraData(true);
    EXPECT_EQ(Bytes(taken.Data(), taken.Data() + taken.Size()), chunks);
    EXPECT_EQ(decoder.GetExtraSize(), 0u);
  }
}

TEST(ElgDecoderTest, ArgumentsAndCallbacks) {
  const Bytes file = Cat({Header24(1, 1), {0x00, 1, 2, 3, 0xFF}});
  ElgDecoder decoder;
  PictureBlock info;
  EXPECT_EQ(decoder.Decode(nullptr, 0, nullptr, nullptr, nullptr, nullptr), kGllMissingData);
  EXPECT_EQ(decoder.Decode(file.data(), file.size(), &info, nullptr, nullptr, nullptr), kGllMissingCallback);
  EXPECT_EQ(decoder.DecodeInto(file.data(), file.size(), nullptr, nullptr, false, nullptr, nullptr),
            kGllMissingCallback);
  TestCanvas refusing;
  refusing.refuse = true;
  EXPECT_EQ(decoder.DecodeInto(file.data(), file.size(), &TestCanvas::Allocate, &refusing, false,
                               nullptr, nullptr),
            kGllOutOfMemory);
  TestCanvas narrow(-1);  // a pitch below the row
  EXPECT_EQ(decoder.DecodeInto(file.data(), file.size(), &TestCanvas::Allocate, &narrow, false,
                               nullptr, nullptr),
            kGllOutOfMemory);
  EXPECT_TRUE(decoder.IsSupported(file.data(), 4, nullptr));
  EXPECT_FALSE(decoder.IsSupported(file.data(), 3, nullptr));
  EXPECT_FALSE(decoder.IsSupported(nullptr, 8, nullptr));
  EXPECT_EQ(decoder.Save(0, file.data(), 1, 1, 24, 4, nullptr, nullptr, nullptr, nullptr, nullptr),
            kGllNotSupported);
}

TEST(ElgDecoderTest, ProgressIsReportedAroundTheWorkAndCanCancel) {
  const Bytes file = Cat({Header24(1, 1), {0x00, 1, 2, 3, 0xFF}});
  ElgDecoder decoder;
  testing::ProgressLog done;
  EXPECT_EQ(decoder.Decode(file.data(), file.size(), nullptr, nullptr, &testing::ProgressLog::Record, &done), 0);
  EXPECT_EQ(done.calls, (std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 1}, {1, 1}}));

  testing::ProgressLog cancel;
  cancel.cancelAt = 0;
  TestCanvas canvas;
  EXPECT_EQ(decoder.DecodeInto(file.data(), file.size(), &TestCanvas::Allocate, &canvas, false,
                               &testing::ProgressLog::Record, &cancel),
            kGllCancelled);
  EXPECT_EQ(canvas.allocations, 0);
  EXPECT_EQ(cancel.calls.size(), 2u);

  testing::ProgressLog early;  // failed before the first call: closes with (1, 1)
  const Bytes bad = {'E', 'L', 'G', 16, 1, 0, 1, 0};
  EXPECT_EQ(decoder.Decode(bad.data(), bad.size(), nullptr, nullptr, &testing::ProgressLog::Record, &early),
            kGllMissingData);
  EXPECT_EQ(early.calls, (std::vector<std::pair<std::int32_t, std::int32_t>>{{1, 1}}));
}

// Corrupt files: each is refused with its code by both operations, with the
// data in an exact-size buffer so that ASan sees any read past it.
TEST(ElgDecoderTest, RefusesCorruptFiles) {
  const Bytes ok24 = {0x00, 1, 2, 3, 0xFF};
  struct Bad {
    const char* name;
    Bytes file;
    std::int32_t code;
  };
  const Bad cases[] = {
      {"not ELG", {'E', 'L', 'F', 24, 1, 0, 1, 0, 0x00, 1, 2, 3, 0xFF}, kGllNotThisFormat},
      {"magic only", {'E', 'L', 'G'}, kGllMissingData},
      {"plain header cut", {'E', 'L', 'G', 24, 1, 0}, kGllMissingData},
      {"variant 1 header cut", {'E', 'L', 'G', 1, 24, 0, 0, 0, 0, 1, 0}, kGllMissingData},
      {"depth 16", Cat({{'E', 'L', 'G', 16, 1, 0, 1, 0}, ok24}), kGllMissingData},
      {"variant 1 depth 0", Cat({{'E', 'L', 'G', 1, 0, 0, 0, 0, 0, 1, 0, 1, 0}, ok24}), kGllMissingData},
      {"chunk list without end", {'E', 'L', 'G', 2, 24, 1, 0, 1, 0, 0, 0, 0, 0}, kGllMissingData},
      {"chunk size below 4", Cat({{'E', 'L', 'G', 2, 24, 1, 0, 1, 0, 0, 0, 0, 0, 5, 3, 0, 0, 0, 0}, ok24}),
       kGllMissingData},
      {"chunk size past the end", Cat({{'E', 'L', 'G', 2, 24, 1, 0, 1, 0, 0, 0, 0, 0, 5, 0xFF, 0, 0, 0, 0}, ok24}),
       kGllMissingData},
      {"chunk size field cut", {'E', 'L', 'G', 2, 24, 1, 0, 1, 0, 0, 0, 0, 0, 5, 4, 0}, kGllMissingData},
      {"stream cut", Cat({Header24(2, 1), {0x01, 1, 2, 3, 4}}), kGllMissingData},
      {"stream ends early", Cat({Header24(2, 1), ok24}), kGllMissingData},
      {"stream runs over", Cat({Header24(1, 1), {0x41, 1, 2, 3, 0xFF}}), kGllMissingData},
      {"copy before the start", Cat({Header24(3, 1), {0x00, 1, 2, 3, 0x81, 0x05, 0xFF}}), kGllMissingData},
      {"rows above on the first row", Cat({Header24(2, 2), {0x00, 1, 2, 3, 0xD0, 0xFF}}), kGllMissingData},
      {"alpha stream missing", Cat({{'E', 'L', 'G', 32, 1, 0, 1, 0}, ok24}), kGllMissingData},
      {"palette stream short", Cat({{'E', 'L', 'G', 8, 1, 0, 1, 0}, {0x42, 0, 0xFF, 0x00, 0, 0xFF}}),
       kGllMissingData},
      {"size the data cannot fill", Cat({{'E', 'L', 'G', 32, 0xFF, 0xFF, 0xFF, 0xFF}, {0x7F, 0xFF, 0, 0, 0, 0xFF}}),
       kGllMissingData},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = c.file;
    ElgDecoder decoder;
    PictureBlock info, pixels;
    EXPECT_EQ(decoder.Decode(file.data(), file.size(), &info, &pixels, nullptr, nullptr), c.code);
    EXPECT_TRUE(info.Empty());
    EXPECT_TRUE(decoder.Pixels().Empty());
    TestCanvas canvas;
    EXPECT_EQ(decoder.DecodeInto(file.data(), file.size(), &TestCanvas::Allocate, &canvas, false,
                                 nullptr, nullptr),
              c.code);
  }
}

// ---- round trips through the writer ----

struct Picture {
  tools::ElgImage image;
  Bytes bgr;    // top-down 3-byte pixels, for 24 and 32 bits
  Bytes bytes;  // indices (8 bits) or alpha (32 bits)
};

Picture MakePicture(std::uint32_t depth, std::uint16_t width, std::uint16_t height) {
  Picture p;
  const std::size_t count = std::size_t(width) * height;
  p.image.depth = depth;
  p.image.width = width;
  p.image.height = height;
  p.image.offsetX = -7;
  p.image.offsetY = 300;
  p.image.chunks = {{3, {1, 2, 3}}, {200, {}}};
  p.bgr = testing::PlantedPixels(width, height);
  p.bytes = testing::PlantedBytes(count + 16);
  p.bytes.resize(count);
  if (depth == 8) {
    p.image.pixels = p.bytes;
    p.image.palette = testing::PlantedBytes(1024 + 16);
    p.image.palette.resize(1024);
  } else if (depth == 24) {
    p.image.pixels = p.bgr;
  } else {
    p.image.pixels.resize(count * 4);
    for (std::size_t i = 0; i < count; ++i) {
      std::memcpy(&p.image.pixels[i * 4], &p.bgr[i * 3], 3);
      p.image.pixels[i * 4 + 3] = p.bytes[i];
    }
  }
  return p;
}

// The expected 32-bit top-down word of pixel i by DecodeInto.
std::uint32_t Expected32(const Picture& p, std::size_t i) {
  auto word = [](const std::uint8_t* s) { return std::uint32_t(s[0]) | s[1] << 8 | std::uint32_t(s[2]) << 16; };
  switch (p.image.depth) {
    case 8:
      return word(&p.image.palette[p.bytes[i] * 4]);
    case 24:
      return word(&p.bgr[i * 3]);
    default:
      return word(&p.bgr[i * 3]) | std::uint32_t(p.bytes[i]) << 24;
  }
}

std::uint8_t Expected8(const Picture& p, std::size_t i) {
  if (p.image.depth == 8) return p.bytes[i];
  return ElgLuma(p.bgr[i * 3], p.bgr[i * 3 + 1], p.bgr[i * 3 + 2]);
}

void CheckDecode(const Picture& p, const Bytes& file, bool chunked) {
  ElgDecoder decoder;
  PictureBlock info, pixels;
  ASSERT_EQ(decoder.Decode(file.data(), file.size(), &info, &pixels, nullptr, nullptr), 0);
  const std::uint32_t w = p.image.width, h = p.image.height, depth = p.image.depth;
  const BitmapInfoHeader bih = BitmapInfoHeader::Read(info.Data());
  EXPECT_EQ(bih.width, std::int32_t(w));
  EXPECT_EQ(bih.height, std::int32_t(h));
  EXPECT_EQ(bih.bitCount, depth);
  const std::size_t pitch = (w * (depth / 8) + 3) & ~3u;
  EXPECT_EQ(decoder.Pitch(), pitch);
  EXPECT_EQ(decoder.TotalBytes(), info.Size() + pitch * h);
  if (depth == 8) {
    EXPECT_EQ(Bytes(info.Data() + 40, info.Data() + 1064), p.image.palette);
  }
  const std::size_t rowBytes = std::size_t(w) * (depth / 8);
  bool same = true;
  for (std::uint32_t y = 0; y < h; ++y) {
    const std::uint8_t* row = pixels.Data() + std::size_t(h - 1 - y) * pitch;
    same = same && std::memcmp(row, &p.image.pixels[y * rowBytes], rowBytes) == 0;
    for (std::size_t x = rowBytes; x < pitch; ++x) same = same && row[x] == 0;
  }
  EXPECT_TRUE(same) << "bottom-up rows differ from the source";
  if (chunked) {
    EXPECT_EQ(decoder.GetExtraSize(), 5u + 3u + 5u);
  } else {
    EXPECT_EQ(decoder.GetExtraSize(), 0u);
  }
}

void CheckDecodeInto(const Picture& p, const Bytes& file, bool as8bit, std::int32_t padding) {
  ElgDecoder decoder;
  TestCanvas canvas(padding);
  ASSERT_EQ(decoder.DecodeInto(file.data(), file.size(), &TestCanvas::Allocate, &canvas, as8bit,
                               nullptr, nullptr),
            0);
  EXPECT_EQ(canvas.bitCount, as8bit ? 8 : 32);
  EXPECT_EQ(canvas.hasAlpha, p.image.depth == 32);
  EXPECT_EQ(canvas.paletteAsked, as8bit && p.image.depth == 8);
  if (canvas.paletteAsked) {
    EXPECT_EQ(canvas.palette, p.image.palette);
  }
  bool same = true;
  for (std::int32_t y = 0; y < canvas.height; ++y) {
    for (std::int32_t x = 0; x < canvas.width; ++x) {
      const std::size_t i = std::size_t(y) * canvas.width + x;
      if (as8bit) {
        same = same && canvas.Row(y)[x] == Expected8(p, i);
      } else {
        std::uint32_t v;
        std::memcpy(&v, canvas.Row(y) + x * 4, 4);
        same = same && v == Expected32(p, i);
      }
    }
  }
  EXPECT_TRUE(same) << "top-down buffer differs from the source";
  EXPECT_TRUE(canvas.PaddingUntouched());
}

TEST(ElgDecoderTest, WriterRoundTripsEveryDepthAndHeaderVariant) {
  const tools::ElgHeaderVariant variants[] = {tools::ElgHeaderVariant::kDepthOnly,
                                              tools::ElgHeaderVariant::kOffset,
                                              tools::ElgHeaderVariant::kChunked};
  for (std::uint32_t depth : {8u, 24u, 32u}) {
    // An odd width gives padded rows; the wide one reaches the far commands.
    for (auto size : {std::pair<std::uint16_t, std::uint16_t>{300, 64}, {37, 45}}) {
      const Picture p = MakePicture(depth, size.first, size.second);
      for (auto variant : variants) {
        SCOPED_TRACE(::testing::Message() << depth << " bits, " << size.first << "x" << size.second
                                        << ", variant " << int(variant));
        const Bytes file = tools::EncodeElg(p.image, variant);
        CheckDecode(p, file, variant == tools::ElgHeaderVariant::kChunked);
        ElgDecoder decoder;
        ASSERT_EQ(decoder.Decode(file.data(), file.size(), nullptr, nullptr, nullptr, nullptr), 0);
        EXPECT_EQ(decoder.GetOffsetX(), variant == tools::ElgHeaderVariant::kDepthOnly ? 0 : -7);
        EXPECT_EQ(decoder.GetOffsetY(), variant == tools::ElgHeaderVariant::kDepthOnly ? 0 : 300);
        for (bool as8bit : {false, true}) {
          CheckDecodeInto(p, file, as8bit, 0);
          CheckDecodeInto(p, file, as8bit, 5);
        }
      }
    }
  }
}

TEST(ElgDecoderTest, WriterUsesEveryCommandForm) {
  tools::ElgEncodeStats stats;
  for (std::uint32_t depth : {8u, 32u}) {
    tools::EncodeElg(MakePicture(depth, 300, 64).image, tools::ElgHeaderVariant::kDepthOnly, &stats);
  }
  for (std::size_t form = 0; form < stats.uses.size(); ++form) {
    EXPECT_GT(stats.uses[form], 0u) << "command form " << form << " never used";
  }
}

TEST(ElgDecoderTest, LumaIgnoresTheAlphaStream) {
  // 32 bits asked as 8 bits: the alpha stream is not read, so even a broken
  // one does not matter.
  const Bytes file = Cat({{'E', 'L', 'G', 32, 1, 0, 1, 0}, {0x00, 10, 20, 30, 0xFF}, {0x42}});
  ElgDecoder decoder;
  TestCanvas canvas;
  ASSERT_EQ(decoder.DecodeInto(file.data(), file.size(), &TestCanvas::Allocate, &canvas, true,
                               nullptr, nullptr),
            0);
  EXPECT_EQ(canvas.pixels[0], ElgLuma(10, 20, 30));
}

TEST(ElgDecoderTest, EveryTruncationIsRefused) {
  const Picture p = MakePicture(32, 40, 20);
  const Bytes file = tools::EncodeElg(p.image, tools::ElgHeaderVariant::kChunked);
  for (std::size_t size = 0; size < file.size(); ++size) {
    const Bytes cut(file.begin(), file.begin() + std::ptrdiff_t(size));
    ElgDecoder decoder;
    TestCanvas canvas;
    EXPECT_NE(decoder.Decode(cut.data(), cut.size(), nullptr, nullptr, nullptr, nullptr), 0) << size;
    EXPECT_NE(decoder.DecodeInto(cut.data(), cut.size(), &TestCanvas::Allocate, &canvas, false,
                                 nullptr, nullptr),
              0)
        << size;
  }
}

}  // namespace
}  // namespace orrivel
