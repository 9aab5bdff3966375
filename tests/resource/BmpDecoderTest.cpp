#include "resource/BmpDecoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "elg/BmpWriter.h"
#include "resource/BitmapInfoHeader.h"
#include "resource/PictureTestSupport.h"

namespace orrivel {
namespace {

using testing::TestCanvas;
using Bytes = std::vector<std::uint8_t>;

bool Append(const std::uint8_t* data, std::uint64_t size, void* user) {
  auto* out = static_cast<Bytes*>(user);
  out->insert(out->end(), data, data + size);
  return true;
}
bool FailWrite(const std::uint8_t*, std::uint64_t, void*) { return false; }

Bytes Noise(std::size_t n, std::uint32_t seed) {
  testing::Lcg rng(seed);
  Bytes out(n);
  for (auto& b : out) b = rng.Next();
  return out;
}

struct Decoded {
  std::int32_t code = -99;
  BitmapInfoHeader header;
  PictureBlock info, pixels;
};

Decoded DecodeBmp(const Bytes& file) {
  Decoded d;
  BmpDecoder decoder;
  d.code = decoder.Decode(file.data(), file.size(), &d.info, &d.pixels, nullptr, nullptr);
  if (d.code == 0) d.header = BitmapInfoHeader::Read(d.info.Data());
  return d;
}

// Save, then read back: every mode, both row orders, a caller pitch with
// spare bytes at the end of each row.
TEST(BmpDecoderTest, SaveThenDecodeRoundTripsEveryMode) {
  struct Case {
    std::int32_t mode, bitCount, fileBits;
  };
  const Case cases[] = {{0, 8, 8}, {0, 24, 24}, {0, 32, 24}, {1, 32, 32}, {2, 32, 8}};
  const std::int32_t width = 7, rows = 5;
  for (const Case& c : cases) {
    for (bool topDown : {true, false}) {
      SCOPED_TRACE(::testing::Message() << "mode " << c.mode << ", " << c.bitCount << " bits"
                                        << (topDown ? ", top-down" : ", bottom-up"));
      const std::int32_t pitch = width * (c.bitCount / 8) + 9;
      const Bytes source = Noise(std::size_t(pitch) * rows, 5 + c.mode);
      const Bytes palette = Noise(1024, 99);
      Bytes file;
      BmpDecoder saver;
      ASSERT_EQ(saver.Save(c.mode, source.data(), width, topDown ? rows : -rows, c.bitCount, pitch,
                           &Append, &file, c.bitCount == 8 ? palette.data() : nullptr, nullptr,
                           nullptr),
                0);
      const std::size_t fileRow = (std::size_t(width) * (c.fileBits / 8) + 3) & ~std::size_t(3);
      const std::size_t entries = c.fileBits == 8 ? 256 : 0;
      ASSERT_EQ(file.size(), 54 + entries * 4 + fileRow * rows);

      const Decoded d = DecodeBmp(file);
      ASSERT_EQ(d.code, 0);
      EXPECT_EQ(d.header.width, width);
      EXPECT_EQ(d.header.height, rows);
      EXPECT_EQ(d.header.bitCount, c.fileBits);
      if (c.mode == 2) {  // grey ramp
        for (int i = 0; i < 256; ++i) {
          std::uint32_t e;
          std::memcpy(&e, d.info.Data() + 40 + i * 4, 4);
          ASSERT_EQ(e, std::uint32_t(i) * 0x010101u);
        }
      } else if (c.bitCount == 8) {
        EXPECT_EQ(Bytes(d.info.Data() + 40, d.info.Data() + 1064), palette);
      }
      bool same = true;
      for (std::int32_t y = 0; y < rows; ++y) {  // y: picture row, top-down
        const std::uint8_t* src = source.data() + std::size_t(topDown ? y : rows - 1 - y) * pitch;
        const std::uint8_t* got = d.pixels.Data() + std::size_t(rows - 1 - y) * fileRow;
        for (std::int32_t x = 0; x < width; ++x) {
          if (c.mode == 2) {
            same = same && got[x] == src[x * 4 + 3];
          } else {
            const std::size_t out = std::size_t(c.fileBits / 8), in = std::size_t(c.bitCount / 8);
            same = same && std::memcmp(got + x * out, src + x * in, out) == 0;
          }
        }
        for (std::size_t x = std::size_t(width) * (c.fileBits / 8); x < fileRow; ++x) same = same && got[x] == 0;
      }
      EXPECT_TRUE(same);
    }
  }
}

TEST(BmpDecoderTest, SaveRefusals) {
  const Bytes px(64, 1);
  Bytes file;
  BmpDecoder d;
  EXPECT_EQ(d.Save(0, px.data(), 2, 2, 16, 8, &Append, &file, nullptr, nullptr, nullptr), kGllMissingData);
  EXPECT_EQ(d.Save(0, nullptr, 2, 2, 24, 8, &Append, &file, nullptr, nullptr, nullptr), kGllMissingData);
  EXPECT_EQ(d.Save(0, px.data(), 2, 2, 24, 8, nullptr, nullptr, nullptr, nullptr, nullptr), kGllMissingCallback);
  EXPECT_EQ(d.Save(1, px.data(), 2, 2, 24, 8, &Append, &file, nullptr, nullptr, nullptr), kGllBadArgument);
  EXPECT_EQ(d.Save(3, px.data(), 2, 2, 32, 8, &Append, &file, nullptr, nullptr, nullptr), kGllBadArgument);
  // A pitch below the row would make the file read past the caller's rows.
  EXPECT_EQ(d.Save(0, px.data(), 4, 2, 24, 8, &Append, &file, nullptr, nullptr, nullptr), kGllMissingData);
  EXPECT_TRUE(file.empty());
  EXPECT_EQ(d.Save(0, px.data(), 2, 2, 24, 8, &FailWrite, nullptr, nullptr, nullptr, nullptr), kGllBadArgument);
  testing::ProgressLog log;
  log.cancelAt = 1;  // after the first row
  EXPECT_EQ(d.Save(0, px.data(), 2, 2, 24, 8, &Append, &file, nullptr, &testing::ProgressLog::Record, &log),
            kGllCancelled);
  EXPECT_TRUE(d.CanSave());
}

TEST(BmpDecoderTest, TopDownFileKeepsItsRowsAndSign) {
  tools::BmpFile f;
  f.width = 2;
  f.height = -2;
  f.bitCount = 24;
  f.data = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
  const Decoded d = DecodeBmp(tools::WriteBmpFile(f));
  ASSERT_EQ(d.code, 0);
  EXPECT_EQ(d.header.height, -2);
  EXPECT_EQ(Bytes(d.pixels.Data(), d.pixels.Data() + 16), f.data);
  // Into a buffer the first stored row stays on top.
  TestCanvas canvas;
  BmpDecoder decoder;
  const Bytes file = tools::WriteBmpFile(f);
  ASSERT_EQ(decoder.DecodeInto(file.data(), file.size(), &TestCanvas::Allocate, &canvas, false, nullptr, nullptr), 0);
  std::uint32_t first;
  std::memcpy(&first, canvas.Row(0), 4);
  EXPECT_EQ(first, 0x00030201u);
}

// Run-length files, with a gap before the data so that only the header's
// data offset finds it.
TEST(BmpDecoderTest, RunLengthFilesDecodeFromTheDataOffset) {
  const std::uint32_t width = 13, rows = 6;
  Bytes indices(width * rows);
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = std::uint8_t((i / 5) % 3 == 0 ? 9 : i * 7);
  for (int bits : {8, 4}) {
    SCOPED_TRACE(bits);
    Bytes values = indices;
    if (bits == 4) {
      for (auto& v : values) v &= 0x0F;
    }
    tools::BmpFile f;
    f.width = width;
    f.height = rows;
    f.bitCount = std::uint16_t(bits);
    f.compression = bits == 8 ? 1 : 2;
    f.colors = Noise(4u << bits, 3);
    f.gap = 6;
    f.data = bits == 8 ? tools::EncodeRle8(values.data(), width, rows) : tools::EncodeRle4(values.data(), width, rows);
    const Bytes file = tools::WriteBmpFile(f);
    const Decoded d = DecodeBmp(file);
    ASSERT_EQ(d.code, 0);
    EXPECT_EQ(d.header.compression, 0u);
    EXPECT_EQ(d.header.bitCount, bits);
    const std::size_t pitch = ((width * bits + 7) / 8 + 3) & ~3u;
    bool same = true;
    for (std::uint32_t y = 0; y < rows; ++y) {
      const std::uint8_t* row = d.pixels.Data() + y * pitch;
      for (std::uint32_t x = 0; x < width; ++x) {
        const std::uint8_t v = bits == 8 ? row[x] : (x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4);
        same = same && v == values[y * width + x];
      }
    }
    EXPECT_TRUE(same);
    // As 8 bits into a buffer: stored rows are bottom-up, so stored row 0 is
    // the last picture row.
    TestCanvas canvas(3);
    BmpDecoder decoder;
    ASSERT_EQ(decoder.DecodeInto(file.data(), file.size(), &TestCanvas::Allocate, &canvas, true, nullptr, nullptr), 0);
    EXPECT_TRUE(canvas.paletteAsked);
    EXPECT_EQ(Bytes(canvas.palette.begin(), canvas.palette.begin() + f.colors.size()), f.colors);
    EXPECT_EQ(Bytes(canvas.Row(rows - 1), canvas.Row(rows - 1) + width),
              Bytes(values.begin(), values.begin() + width));
    EXPECT_TRUE(canvas.PaddingUntouched());
  }
}

TEST(BmpDecoderTest, BitFieldsGiveTwentyFourBits) {
  tools::BmpFile f;
  f.width = 2;
  f.height = 1;
  f.bitCount = 16;
  f.compression = 3;
  f.writeMasks = true;
  f.masks = {0xF800, 0x07E0, 0x001F};
  // Red 31, green 0, blue 1; then red 1, green 63, blue 31.
  f.data = {0x01, 0xF8, 0xFF, 0x0F};
  const Bytes file = tools::WriteBmpFile(f);
  const Decoded d = DecodeBmp(file);
  ASSERT_EQ(d.code, 0);
  EXPECT_EQ(d.header.bitCount, 24);
  EXPECT_EQ(d.header.compression, 0u);
  EXPECT_EQ(Bytes(d.pixels.Data(), d.pixels.Data() + 8), (Bytes{8, 0, 248, 248, 252, 8, 0, 0}));
  TestCanvas canvas;
  BmpDecoder decoder;
  ASSERT_EQ(decoder.DecodeInto(file.data(), file.size(), &TestCanvas::Allocate, &canvas, false, nullptr, nullptr), 0);
  EXPECT_FALSE(canvas.hasAlpha);
  EXPECT_EQ(Bytes(canvas.pixels.begin(), canvas.pixels.begin() + 8), (Bytes{8, 0, 248, 0, 248, 252, 8, 0}));
  TestCanvas grey;
  ASSERT_EQ(decoder.DecodeInto(file.data(), file.size(), &TestCanvas::Allocate, &grey, true, nullptr, nullptr), 0);
  EXPECT_EQ(grey.pixels[0], std::uint8_t((29 * 8 + 150 * 0 + 77 * 248) >> 8));

  // Two stored rows, blue 1 then blue 2: into a buffer the first stored row
  // is the bottom row of a bottom-up file and the top row of a top-down one.
  for (std::int32_t height : {2, -2}) {
    SCOPED_TRACE(height);
    tools::BmpFile rows = f;
    rows.width = 1;
    rows.height = height;
    rows.data = {0x01, 0x00, 0, 0, 0x02, 0x00, 0, 0};
    const Bytes two = tools::WriteBmpFile(rows);
    TestCanvas tall;
    ASSERT_EQ(decoder.DecodeInto(two.data(), two.size(), &TestCanvas::Allocate, &tall, false, nullptr, nullptr), 0);
    EXPECT_EQ(tall.Row(0)[0], height > 0 ? 16 : 8);
    EXPECT_EQ(tall.Row(1)[0], height > 0 ? 8 : 16);
  }
}

TEST(BmpDecoderTest, IndexedAndSixteenBitFilesIntoBuffers) {
  struct Case {
    std::uint16_t bits;
    Bytes row;  // one stored row, padded
    std::vector<std::uint32_t> words;
    Bytes bytes;
  };
  const Bytes colors = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};  // 3 entries
  const Case cases[] = {
      {1, {0xA0, 0, 0, 0}, {0x08070605, 0x04030201, 0x08070605}, {1, 0, 1}},
      {4, {0x21, 0x70, 0, 0}, {0x0C0B0A09, 0x08070605, 0}, {2, 1, 7}},  // index 7 lies past the table
      {16, {0xFF, 0x7F, 0x00, 0x00, 0x1F, 0x00, 0, 0}, {0x00F8F8F8, 0, 0x000000F8}, {248, 0, 28}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    tools::BmpFile f;
    f.width = 3;
    f.height = 1;
    f.bitCount = c.bits;
    if (c.bits < 16) {  // a table shorter than the depth allows
      f.colorsUsed = c.bits == 1 ? 2 : 3;
      f.colors = Bytes(colors.begin(), colors.begin() + 4 * f.colorsUsed);
    }
    f.data = c.row;
    const Bytes file = tools::WriteBmpFile(f);
    BmpDecoder decoder;
    TestCanvas wide, narrow;
    ASSERT_EQ(decoder.DecodeInto(file.data(), file.size(), &TestCanvas::Allocate, &wide, false, nullptr, nullptr), 0);
    std::vector<std::uint32_t> words(3);
    std::memcpy(words.data(), wide.pixels.data(), 12);
    EXPECT_EQ(words, c.words);
    ASSERT_EQ(decoder.DecodeInto(file.data(), file.size(), &TestCanvas::Allocate, &narrow, true, nullptr, nullptr), 0);
    EXPECT_EQ(Bytes(narrow.pixels.begin(), narrow.pixels.begin() + 3), c.bytes);
  }
}

// Corrupt files: refused with a code, with the data in an exact-size buffer
// so that any read past it shows under ASan.
TEST(BmpDecoderTest, RefusesCorruptFiles) {
  auto base = [] {
    tools::BmpFile f;
    f.width = 4;
    f.height = 2;
    f.bitCount = 8;
    f.colors = Bytes(16, 0x40);
    f.colorsUsed = 4;
    f.data = Bytes(8, 1);
    return f;
  };
  auto rle = [&](Bytes data) {
    tools::BmpFile f = base();
    f.compression = 1;
    f.data = std::move(data);
    return tools::WriteBmpFile(f);
  };
  auto with = [&](auto change) {
    tools::BmpFile f = base();
    change(f);
    return tools::WriteBmpFile(f);
  };
  auto masks = [&](std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return with([&](tools::BmpFile& f) {
      f.bitCount = 16;
      f.compression = 3;
      f.colors.clear();
      f.colorsUsed = 0;
      f.writeMasks = true;
      f.masks = {r, g, b};
      f.data = Bytes(16, 0);
    });
  };
  Bytes infoSize = tools::WriteBmpFile(base());
  infoSize[14] = 12;
  Bytes headersCut = tools::WriteBmpFile(base());
  headersCut.resize(40);
  Bytes tableCut = tools::WriteBmpFile(base());
  tableCut.resize(60);
  Bytes pixelsCut = tools::WriteBmpFile(base());
  pixelsCut.pop_back();
  Bytes offsetPast = tools::WriteBmpFile(base());
  offsetPast[10] = 0xFF;
  offsetPast[11] = 0xFF;
  struct Bad {
    const char* name;
    Bytes file;
    std::int32_t code;
  };
  const Bad cases[] = {
      {"not a bitmap", {'B', 'N', 0, 0}, kGllNotThisFormat},
      {"magic only", {'B', 'M'}, kGllNotThisFormat},
      {"information header of 12 bytes", infoSize, kGllNotThisFormat},
      {"headers cut", headersCut, kGllMissingData},
      {"colour table past the file", tableCut, kGllMissingData},
      {"pixel data cut", pixelsCut, kGllMissingData},
      {"data offset past the file", offsetPast, kGllMissingData},
      {"more colours than the depth holds", with([](tools::BmpFile& f) { f.colorsUsed = 300; }), kGllMissingData},
      {"width 0", with([](tools::BmpFile& f) { f.width = 0; }), kGllMissingData},
      {"negative width", with([](tools::BmpFile& f) { f.width = -4; }), kGllMissingData},
      {"bit count 2", with([](tools::BmpFile& f) { f.bitCount = 2; }), kGllMissingData},
      {"compression 4", with([](tools::BmpFile& f) { f.compression = 4; }), kGllMissingData},
      {"run-length 8 on 4 bits", with([](tools::BmpFile& f) { f.compression = 1; f.bitCount = 4; }), kGllMissingData},
      {"size no block holds", with([](tools::BmpFile& f) { f.width = 0x7FFFFFFF; f.height = 0x7FFFFFFF; }),
       kGllOutOfMemory},
      {"empty mask", masks(0xF800, 0, 0x1F), kGllMissingData},
      {"mask wider than 8 bits", masks(0xFFC00, 0x3E0, 0x1F), kGllMissingData},
      {"run past the row", rle({5, 1, 0, 1}), kGllBadArgument},
      {"run past the last row", rle({4, 1, 0, 0, 4, 1, 0, 0, 1, 1, 0, 1}), kGllBadArgument},
      {"literal past the row", rle({0, 5, 1, 2, 3, 4, 5, 0, 0, 1}), kGllBadArgument},
      {"literal past the data", rle({0, 4, 1, 2}), kGllBadArgument},
      {"no end mark", rle({4, 1}), kGllBadArgument},
      {"position jump", rle({0, 2, 1, 1, 0, 1}), kGllBadArgument},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes file = c.file;
    BmpDecoder decoder;
    PictureBlock info, pixels;
    EXPECT_EQ(decoder.Decode(file.data(), file.size(), &info, &pixels, nullptr, nullptr), c.code);
    EXPECT_TRUE(decoder.Pixels().Empty());
    TestCanvas canvas;
    EXPECT_EQ(decoder.DecodeInto(file.data(), file.size(), &TestCanvas::Allocate, &canvas, false, nullptr, nullptr),
              c.code);
  }
}

TEST(BmpDecoderTest, ExpandersStayInsideTheRows) {
  // A run that fills the last row exactly, then the end mark: accepted.
  Bytes out(8, 0);
  const Bytes ok = {4, 7, 0, 0, 4, 8, 0, 1};
  EXPECT_TRUE(ExpandRle8(out.data(), 4, 2, 4, ok.data(), ok.size()));
  EXPECT_EQ(out, (Bytes{7, 7, 7, 7, 8, 8, 8, 8}));
  Bytes nibbles(4, 0);
  const Bytes rle4 = {3, 0x12, 0, 3, 0x34, 0x50, 0, 1};
  EXPECT_TRUE(ExpandRle4(nibbles.data(), 6, 1, 4, rle4.data(), rle4.size()));
  EXPECT_EQ(nibbles, (Bytes{0x12, 0x13, 0x45, 0}));
}

}  // namespace
}  // namespace orrivel
