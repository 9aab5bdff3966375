// The stream decoders against a plain model of the format that gives one
// item at a time in picture order, with the same rules: a command that would
// leave the plane, read past the data or copy from an item not yet written is
// refused whole, and a stream must end with its end byte exactly when the
// plane is full. Pictures come from the ELG writer, intact and damaged (cut
// short, bytes changed); every decoder must give what the model gives: the
// same end of stream or refusal, the same items before a refusal, and no
// byte touched outside them.
#include "resource/ElgUnpack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "elg/ElgWriter.h"
#include "resource/BitmapInfoHeader.h"
#include "resource/ElgDecoder.h"
#include "resource/PictureTestSupport.h"

namespace orrivel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::Lcg;
using testing::TestCanvas;

constexpr std::uint8_t kUntouched = 0xA5;

// ---- the plain model ----

struct PlainPlane {
  std::vector<std::uint32_t> items;  // 0x00RRGGBB pixels, or bytes
  std::uint64_t written = 0;
  const std::uint8_t* after = nullptr;  // nullptr when refused
};

PlainPlane PlainDecode(const std::uint8_t* s, const std::uint8_t* end, std::uint32_t width,
                       std::uint32_t height, bool pixelForm) {
  PlainPlane plane;
  const std::uint64_t total = std::uint64_t(width) * height;
  plane.items.assign(total, 0);
  if (!s) return plane;
  const std::uint64_t itemBytes = pixelForm ? 3 : 1;
  auto item = [&](const std::uint8_t* p) {
    return pixelForm ? std::uint32_t(p[0] | p[1] << 8 | p[2] << 16) : std::uint32_t(p[0]);
  };
  while (s < end) {
    const unsigned c = *s++;
    if (c == 0xFF) {
      if (plane.written == total) plane.after = s;
      return plane;
    }
    const std::uint64_t left = std::uint64_t(end - s);
    // What the command asks for: `n` items from one of three sources.
    enum { kLiteral, kFill, kBack, kAbove } kind;
    std::uint64_t n = 1, operands = 0, distance = 0, rows = 0;
    int dx = 0;
    if (c < 0x20) {
      kind = kLiteral, n = (c & 0x1F) + 1;
    } else if (c < 0x40) {
      if (left < 1) return plane;
      kind = kLiteral, n = (c & 0x1F) * 256u + s[0] + 33, operands = 1;
    } else if (c < 0x60) {
      kind = kFill, n = (c & 0x1F) + (pixelForm ? 2 : 3);
    } else if (c < 0x80) {
      if (left < 1) return plane;
      kind = kFill, n = (c & 0x1F) * 256u + s[0] + (pixelForm ? 34 : 35), operands = 1;
    } else if (!pixelForm) {
      kind = kBack;
      if (c < 0x90) {
        if (left < 1) return plane;
        n = (c & 0x0F) + 2u, distance = s[0] + 2u, operands = 1;
      } else if (c < 0xA0) {
        if (left < 2) return plane;
        n = s[1] + 4u, distance = (c & 0x0F) * 256u + s[0] + 3, operands = 2;
      } else if (c < 0xC0) {
        if (left < 1) return plane;
        n = c < 0xB0 ? 3 : 4, distance = (c & 0x0F) * 256u + s[0] + 3, operands = 1;
      } else if (c < 0xE0) {
        distance = (c & 0x1F) + 1u;
      } else {
        n = 2, distance = (c & 0x1F) + 2u;
      }
    } else {
      kind = kBack;
      if (c < 0x90) {
        if (left < 1) return plane;
        n = (c & 0x0F) + 1u, distance = s[0] + 2u, operands = 1;
      } else if (c < 0xA0) {
        if (left < 2) return plane;
        n = s[1] + 1u, distance = (c & 0x0F) * 256u + s[0] + 2, operands = 2;
      } else if (c < 0xB0) {
        if (left < 3) return plane;
        n = s[2] + 1u, distance = ((c & 0x0F) * 256u + s[0]) * 256u + s[1] + 4098, operands = 3;
      } else if (c < 0xB8) {
        distance = (c & 0x07) + 2u;
      } else if (c < 0xC0) {
        if (left < 1) return plane;
        distance = (c & 0x07) * 256u + s[0] + 10, operands = 1;
      } else if (c < 0xCC) {
        if (left < 1) return plane;
        kind = kAbove, rows = (c & 0x03) * 256u + s[0] + 16, operands = 1;
        dx = c < 0xC4 ? 0 : (c < 0xC8 ? -1 : 1);
      } else if (c < 0xD0) {
        if (left < 1) return plane;
        distance = (c & 0x03) * 256u + s[0] + 2058, operands = 1;
      } else {
        kind = kAbove, rows = (c & 0x0F) + 1u, dx = c < 0xE0 ? 0 : (c < 0xF0 ? -1 : 1);
      }
    }
    // The data the command carries must be there, and every item it gives
    // must land in the plane and come from an item already written.
    const std::uint64_t carried = kind == kLiteral ? n * itemBytes : kind == kFill ? itemBytes : 0;
    if (left < operands + carried) return plane;
    if (n > total - plane.written) return plane;
    const std::uint64_t row = width ? plane.written / width : 0;
    const std::uint64_t col = width ? plane.written % width : 0;
    if (kind == kBack && (distance > plane.written)) return plane;
    if (kind == kAbove && (rows > row || (dx < 0 && col == 0) || (dx > 0 && col + 1 >= width))) return plane;
    const std::uint8_t* data = s + operands;
    for (std::uint64_t k = 0; k < n; ++k) {
      std::uint32_t v = 0;
      switch (kind) {
        case kLiteral: v = item(data + k * itemBytes); break;
        case kFill: v = item(data); break;
        case kBack: v = plane.items[plane.written - distance]; break;
        case kAbove: v = plane.items[(row - rows) * width + std::uint64_t(std::int64_t(col) + dx)]; break;
      }
      plane.items[plane.written++] = v;
    }
    s += operands + carried;
  }
  return plane;
}

// ---- pictures ----

// Rows of noise, fills, ramps, short repeated patterns, rows repeated from
// above (whole, shifted, or from far away) and single changed pixels, so
// that the writer reaches every command form and row ends fall inside
// commands.
Bytes MixedPixels(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerItem, std::uint32_t seed) {
  Bytes p(std::size_t(width) * height * bytesPerItem);
  Lcg rng(seed);
  const std::size_t rowBytes = std::size_t(width) * bytesPerItem;
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* row = p.data() + y * rowBytes;
    const unsigned mode = rng.Next() % 7;
    if (y > 0 && mode == 0) {
      std::memcpy(row, row - rowBytes, rowBytes);
      row[(rng.Next() % width) * bytesPerItem] ^= 0x40;
    } else if (y > 0 && mode == 1) {
      const std::uint32_t from = rng.Next() % y;
      std::memcpy(row, p.data() + from * rowBytes, rowBytes);
    } else if (mode == 2) {
      for (std::size_t x = 0; x < rowBytes; ++x) row[x] = std::uint8_t(x % bytesPerItem * 40 + y);
    } else if (mode == 3) {
      for (std::size_t x = 0; x < rowBytes; ++x) row[x] = std::uint8_t(x / bytesPerItem * 3 + x % bytesPerItem);
    } else if (y > 0 && mode == 4) {
      // Shifted by a few items: copies whose source crosses a row end.
      const std::size_t shift = std::size_t(1 + rng.Next() % 5) * bytesPerItem;
      for (std::size_t x = 0; x < rowBytes; ++x) row[x] = x >= shift ? row[x - shift - rowBytes] : rng.Next();
    } else if (mode == 5) {
      // A short pattern repeated: copies that overlap what they write.
      const std::size_t period = 2 + rng.Next() % 19;
      for (std::size_t x = 0; x < rowBytes; ++x) row[x] = x < period ? rng.Next() : row[x - period];
    } else {
      for (std::size_t x = 0; x < rowBytes; ++x) row[x] = std::uint8_t(rng.Next() & (y % 2 ? 0x3F : 0x03));
    }
  }
  return p;
}

struct Size {
  std::uint16_t width, height;
};
// One column, one row, odd widths, rows longer than the far copies reach,
// and more rows than the far row-above copies reach.
const Size kSizes[] = {{1, 1}, {1, 40}, {3, 2}, {7, 9}, {17, 23}, {64, 33}, {300, 12}, {5000, 2}, {2, 1100}};

// A file's stream bytes changed: cut short at a few places, single bytes
// replaced, and runs of bytes replaced. The first variant is the intact data.
std::vector<Bytes> Damaged(const Bytes& data, std::size_t keep, std::uint32_t seed) {
  std::vector<Bytes> out{data};
  Lcg rng(seed);
  const std::size_t streams = data.size() - keep;
  auto at = [&](unsigned k) { return keep + (std::size_t(rng.Next()) << 8 | rng.Next()) * k % streams; };
  for (unsigned k = 1; k <= 6; ++k) out.emplace_back(data.begin(), data.begin() + std::ptrdiff_t(at(k)));
  for (unsigned k = 1; k <= 12; ++k) {
    Bytes changed = data;
    for (unsigned j = 0; j < 1 + k % 3; ++j) changed[at(k + j)] = rng.Next();
    out.push_back(changed);
  }
  for (unsigned k = 1; k <= 4; ++k) {
    Bytes changed = data;
    const std::size_t from = at(k);
    for (std::size_t j = from; j < changed.size() && j < from + 8; ++j) changed[j] = rng.Next();
    out.push_back(changed);
  }
  return out;
}

// ---- what each destination form must hold ----

// A destination of `rows` rows of `pitch` bytes, all kUntouched at first.
struct Destination {
  Destination(std::uint64_t pitch, std::uint64_t rows) : pitch(pitch), bytes(pitch * rows + 1, kUntouched) {}
  std::uint64_t pitch;
  Bytes bytes;
  Bytes expected() const { return Bytes(bytes.size(), kUntouched); }
};

// Item i of a plane of `width` items a row lands at row i / width (counted
// from the bottom when bottomUp), column i % width, `size` bytes an item.
std::uint8_t* ItemAt(Bytes& b, std::uint64_t i, std::uint32_t width, std::uint32_t height, std::uint64_t pitch,
                     std::uint64_t size, bool bottomUp) {
  const std::uint64_t row = i / width, col = i % width;
  return b.data() + (bottomUp ? height - 1 - row : row) * pitch + col * size;
}

void ExpectPixels(const PlainPlane& model, std::uint32_t width, std::uint32_t height, Bytes* expected,
                  std::uint64_t pitch, std::uint64_t size, bool bottomUp) {
  for (std::uint64_t i = 0; i < model.written; ++i) {
    std::uint8_t* at = ItemAt(*expected, i, width, height, pitch, size, bottomUp);
    const std::uint32_t v = model.items[i];
    if (size == 1) {
      at[0] = ElgLuma(std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16));
    } else {
      std::memcpy(at, &v, size);  // 4 bytes: the fourth is 0
    }
  }
}

void ExpectBytes(const PlainPlane& model, std::uint32_t width, std::uint32_t height, Bytes* expected,
                 std::uint64_t pitch, std::uint64_t size, std::uint64_t offset, bool bottomUp) {
  for (std::uint64_t i = 0; i < model.written; ++i) {
    ItemAt(*expected, i, width, height, pitch, size, bottomUp)[offset] = std::uint8_t(model.items[i]);
  }
}

::testing::AssertionResult SameBytes(const Bytes& got, const Bytes& expected) {
  for (std::size_t i = 0; i < got.size(); ++i) {
    if (got[i] != expected[i]) {
      return ::testing::AssertionFailure() << "byte " << i << " is " << int(got[i]) << ", expected "
                                           << int(expected[i]);
    }
  }
  return ::testing::AssertionSuccess();
}

// Every pixel-form decoder on one stream, against the model.
void CheckPixelStream(const Bytes& data, std::size_t start, std::uint32_t width, std::uint32_t height) {
  const std::uint8_t* s = data.data() + start;
  const std::uint8_t* end = data.data() + data.size();
  const PlainPlane model = PlainDecode(s, end, width, height, true);
  struct Form {
    const char* name;
    std::uint64_t pitch, size;
    bool bottomUp;
  };
  const std::uint64_t w = width;
  const Form forms[] = {{"24 bottom-up", (w * 3 + 3) & ~3ull, 3, true}, {"32 bottom-up", w * 4, 4, true},
                        {"32 top-down", w * 4 + 12, 4, false},         {"luma", w, 1, false},
                        {"luma strided", w + 5, 1, false}};
  for (const Form& f : forms) {
    SCOPED_TRACE(f.name);
    Destination d(f.pitch, height);
    std::uint8_t* out = d.bytes.data();
    const std::uint8_t* got = nullptr;
    if (f.size == 3) got = ElgUnpack24Rows(s, end, out, width, height, f.pitch);
    if (f.size == 4) {
      got = f.bottomUp ? ElgUnpack32Rows(s, end, out, width, height)
                       : ElgUnpackRgb32(s, end, out, width, height, f.pitch);
    }
    if (f.size == 1) {
      got = f.pitch == w ? ElgUnpackGray(s, end, out, width, height)
                         : ElgUnpackStrided(s, end, out, width, height, f.pitch);
    }
    EXPECT_EQ(got, model.after);
    Bytes expected = d.expected();
    ExpectPixels(model, width, height, &expected, f.pitch, f.size, f.bottomUp);
    EXPECT_TRUE(SameBytes(d.bytes, expected));
  }
}

// Every byte-form decoder on one stream, against the model.
void CheckByteStream(const Bytes& data, std::uint32_t width, std::uint32_t height) {
  const std::uint8_t* s = data.data();
  const std::uint8_t* end = data.data() + data.size();
  const PlainPlane model = PlainDecode(s, end, width, height, false);
  const std::uint64_t w = width;
  {
    SCOPED_TRACE("consecutive");
    Destination d(w * height, 1);
    EXPECT_EQ(ElgUnpack8(s, end, d.bytes.data(), w * height), model.after);
    Bytes expected = d.expected();
    ExpectBytes(model, width, height, &expected, w, 1, 0, false);
    EXPECT_TRUE(SameBytes(d.bytes, expected));
  }
  for (bool bottomUp : {false, true}) {
    SCOPED_TRACE(bottomUp ? "rows bottom-up" : "rows top-down");
    Destination d(w + 3, height);
    EXPECT_EQ(bottomUp ? ElgUnpack8Rows(s, end, d.bytes.data(), width, height, d.pitch)
                       : ElgUnpack8Strided(s, end, d.bytes.data(), width, height, d.pitch),
              model.after);
    Bytes expected = d.expected();
    ExpectBytes(model, width, height, &expected, d.pitch, 1, 0, bottomUp);
    EXPECT_TRUE(SameBytes(d.bytes, expected));
  }
  for (bool bottomUp : {false, true}) {
    SCOPED_TRACE(bottomUp ? "alpha bottom-up" : "alpha top-down");
    Destination d(bottomUp ? w * 4 : w * 4 + 8, height);
    EXPECT_EQ(bottomUp ? ElgUnpackAlphaBottomUp(s, end, d.bytes.data(), width, height)
                       : ElgUnpackAlpha(s, end, d.bytes.data(), width, height, d.pitch),
              model.after);
    Bytes expected = d.expected();
    ExpectBytes(model, width, height, &expected, d.pitch, 4, 3, bottomUp);
    EXPECT_TRUE(SameBytes(d.bytes, expected));
  }
  {
    SCOPED_TRACE("indexed");
    Bytes palette(1024);
    for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = std::uint8_t(i * 7 + 1);
    Destination d(w * 4 + 4, height);
    EXPECT_EQ(ElgUnpackIndexed32(s, end, d.bytes.data(), width, height, d.pitch, palette.data(), 0x80),
              model.after);
    Bytes expected = d.expected();
    for (std::uint64_t i = 0; i < model.written; ++i) {
      std::uint8_t* at = ItemAt(expected, i, width, height, d.pitch, 4, false);
      std::memcpy(at, &palette[model.items[i] * 4], 3);
      at[3] = 0x80;
    }
    EXPECT_TRUE(SameBytes(d.bytes, expected));
  }
}

TEST(ElgUnpackTest, PixelDecodersGiveWhatThePlainModelGives) {
  std::uint32_t seed = 1;
  for (const Size& size : kSizes) {
    SCOPED_TRACE(::testing::Message() << size.width << "x" << size.height);
    const Bytes pixels = MixedPixels(size.width, size.height, 3, ++seed);
    const Bytes stream = tools::EncodeElgPixelPlane(pixels.data(), size.width, size.height, 3);
    const std::vector<Bytes> variants = Damaged(stream, 0, seed);
    for (std::size_t v = 0; v < variants.size(); ++v) {
      SCOPED_TRACE(::testing::Message() << "variant " << v);
      CheckPixelStream(variants[v], 0, size.width, size.height);
    }
    // The intact stream is not refused: the model is not merely refusing
    // everything alike.
    EXPECT_NE(PlainDecode(stream.data(), stream.data() + stream.size(), size.width, size.height, true).after,
              nullptr);
  }
}

TEST(ElgUnpackTest, ByteDecodersGiveWhatThePlainModelGives) {
  std::uint32_t seed = 100;
  for (const Size& size : kSizes) {
    SCOPED_TRACE(::testing::Message() << size.width << "x" << size.height);
    const Bytes items = MixedPixels(size.width, size.height, 1, ++seed);
    const Bytes stream = tools::EncodeElgBytePlane(items.data(), items.size());
    const std::vector<Bytes> variants = Damaged(stream, 0, seed);
    for (std::size_t v = 0; v < variants.size(); ++v) {
      SCOPED_TRACE(::testing::Message() << "variant " << v);
      CheckByteStream(variants[v], size.width, size.height);
    }
    EXPECT_NE(PlainDecode(stream.data(), stream.data() + stream.size(), size.width, size.height, false).after,
              nullptr);
  }
}

// Whole 32-bit files through both decode operations: colour and alpha
// together, as the model gives them one after the other; a refused file
// leaves in the caller's buffer what the model wrote before the refusal.
TEST(ElgUnpackTest, ThirtyTwoBitFilesGiveWhatThePlainModelGives) {
  std::uint32_t seed = 200;
  for (const Size& size : kSizes) {
    SCOPED_TRACE(::testing::Message() << size.width << "x" << size.height);
    tools::ElgImage image;
    image.depth = 32;
    image.width = size.width;
    image.height = size.height;
    const Bytes colour = MixedPixels(size.width, size.height, 3, ++seed);
    const Bytes alpha = MixedPixels(size.width, size.height, 1, seed + 1000);
    image.pixels.resize(std::size_t(size.width) * size.height * 4);
    for (std::size_t i = 0; i < alpha.size(); ++i) {
      std::memcpy(&image.pixels[i * 4], &colour[i * 3], 3);
      image.pixels[i * 4 + 3] = alpha[i];
    }
    const Bytes file = tools::EncodeElg(image, tools::ElgHeaderVariant::kDepthOnly);
    const std::vector<Bytes> variants = Damaged(file, 8, seed);
    int decoded = 0;
    for (std::size_t v = 0; v < variants.size(); ++v) {
      SCOPED_TRACE(::testing::Message() << "variant " << v);
      const Bytes& data = variants[v];
      const std::uint8_t* end = data.data() + data.size();
      const PlainPlane colourModel = PlainDecode(data.data() + 8, end, size.width, size.height, true);
      const PlainPlane alphaModel = PlainDecode(colourModel.after, end, size.width, size.height, false);
      ElgDecoder::Header header;
      ASSERT_EQ(ElgDecoder::ParseHeader(data.data(), data.size(), &header), 0);
      const bool ok = alphaModel.after != nullptr;
      const bool allocated = ElgDecoder::StreamsCanHold(data.data(), data.size(), header);
      decoded += ok;

      ElgDecoder decoder;
      PictureBlock info, pixels;
      ASSERT_EQ(decoder.Decode(data.data(), data.size(), &info, &pixels, nullptr, nullptr),
                ok ? kGllOk : kGllMissingData);
      const std::uint64_t w = size.width, h = size.height;
      if (ok) {
        Bytes expected(w * 4 * h, kUntouched);
        ExpectPixels(colourModel, size.width, size.height, &expected, w * 4, 4, true);
        ExpectBytes(alphaModel, size.width, size.height, &expected, w * 4, 4, 3, true);
        EXPECT_TRUE(SameBytes(Bytes(pixels.Data(), pixels.Data() + pixels.Size()), expected));
      }

      TestCanvas canvas(6);
      ASSERT_EQ(decoder.DecodeInto(data.data(), data.size(), &TestCanvas::Allocate, &canvas, false, nullptr, nullptr),
                ok ? kGllOk : kGllMissingData);
      if (!allocated) continue;
      Bytes expected(canvas.pixels.size(), TestCanvas::kSentinel);
      ExpectPixels(colourModel, size.width, size.height, &expected, std::uint64_t(canvas.pitch), 4, false);
      ExpectBytes(alphaModel, size.width, size.height, &expected, std::uint64_t(canvas.pitch), 4, 3, false);
      EXPECT_TRUE(SameBytes(canvas.pixels, expected));
    }
    EXPECT_GT(decoded, 0);
  }
}

}  // namespace
}  // namespace orrivel
