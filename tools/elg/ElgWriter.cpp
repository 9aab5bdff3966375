#include "elg/ElgWriter.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace orrivel::tools {
namespace {

constexpr std::uint8_t kEnd = 0xFF;
constexpr int kChainDepth = 32;
constexpr std::uint32_t kHashBits = 16;

std::uint32_t HashWord(std::uint32_t v) { return (v * 2654435761u) >> (32 - kHashBits); }

// The command chosen at one position: its form, items, distance (or rows
// above) and column step, and the bytes it saves over literals.
struct Choice {
  ElgCommand form = ElgCommand::kCount;
  std::uint64_t n = 0;
  std::uint64_t d = 0;
  int dx = 0;
  std::int64_t savings = std::numeric_limits<std::int64_t>::min();

  void Consider(ElgCommand f, std::uint64_t items, std::uint64_t distance, int step,
                std::int64_t saved) {
    if (saved > savings) *this = Choice{f, items, distance, step, saved};
  }
  bool Found() const { return form != ElgCommand::kCount; }
};

// Chains of earlier positions with the same key, newest first.
class Chains {
 public:
  explicit Chains(std::size_t count) : head_(std::size_t(1) << kHashBits, 0), prev_(count, 0) {}
  void Insert(std::size_t pos, std::uint32_t key) {
    const std::uint32_t h = HashWord(key);
    prev_[pos] = head_[h];
    head_[h] = std::uint32_t(pos + 1);
  }
  // Calls visit(j) for up to kChainDepth earlier positions; visit returns
  // false to stop.
  template <class Visit>
  void Walk(std::uint32_t key, Visit&& visit) const {
    std::uint32_t link = head_[HashWord(key)];
    for (int depth = 0; link && depth < kChainDepth; ++depth) {
      const std::size_t j = link - 1;
      if (!visit(j)) return;
      link = prev_[j];
    }
  }

 private:
  std::vector<std::uint32_t> head_;
  std::vector<std::uint32_t> prev_;
};

class Output {
 public:
  explicit Output(ElgEncodeStats* stats) : stats_(stats) {}
  void Count(ElgCommand c) {
    if (stats_) ++stats_->uses[std::size_t(c)];
  }
  void Byte(std::uint64_t v) { bytes_.push_back(std::uint8_t(v)); }
  void Bytes(const std::uint8_t* p, std::size_t n) { bytes_.insert(bytes_.end(), p, p + n); }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  ElgEncodeStats* stats_;
  std::vector<std::uint8_t> bytes_;
};

// ---- byte form ----

class ByteEncoder {
 public:
  ByteEncoder(const std::uint8_t* items, std::size_t count, ElgEncodeStats* stats)
      : b_(items), n_(count), chains_(count), out_(stats) {}

  std::vector<std::uint8_t> Run() {
    std::size_t i = 0;
    while (i < n_) {
      const Choice best = Choose(i);
      if (best.Found() && (best.savings > 0 || (best.savings == 0 && literal_ == 0))) {
        FlushLiteral(i);
        Emit(best, i);
        for (std::size_t k = 0; k < best.n; ++k) Index(i + k);
        i += best.n;
      } else {
        if (literal_ == 0) literalStart_ = i;
        ++literal_;
        Index(i);
        ++i;
        if (literal_ == kMaxLiteral) FlushLiteral(i);
      }
    }
    FlushLiteral(i);
    out_.Byte(kEnd);
    return out_.Take();
  }

 private:
  static constexpr std::size_t kMaxLiteral = 31 * 256 + 255 + 33;  // 8224
  static constexpr std::size_t kMaxFill = 31 * 256 + 255 + 35;     // 8226
  static constexpr std::size_t kMaxDistance = 15 * 256 + 255 + 3;  // 4098

  std::uint32_t Key(std::size_t i) const {
    return std::uint32_t(b_[i]) | std::uint32_t(b_[i + 1]) << 8 | std::uint32_t(b_[i + 2]) << 16;
  }
  void Index(std::size_t i) {
    if (i + 2 < n_) chains_.Insert(i, Key(i));
  }
  std::size_t Match(std::size_t i, std::size_t j, std::size_t cap) const {
    std::size_t L = 0;
    while (L < cap && i + L < n_ && b_[j + L] == b_[i + L]) ++L;
    return L;
  }

  void ConsiderMatch(Choice& best, std::size_t d, std::size_t L) const {
    if (d >= 2 && d <= 257 && L >= 2) {
      const std::size_t n = std::min<std::size_t>(L, 17);
      best.Consider(ElgCommand::kByteCopyShort, n, d, 0, std::int64_t(n) - 2);
    }
    if (d >= 3 && d <= kMaxDistance) {
      if (L >= 3) best.Consider(ElgCommand::kByteCopy3, 3, d, 0, 1);
      if (L >= 4) best.Consider(ElgCommand::kByteCopy4, 4, d, 0, 2);
      if (L >= 4) {
        const std::size_t n = std::min<std::size_t>(L, 259);
        best.Consider(ElgCommand::kByteCopyLong, n, d, 0, std::int64_t(n) - 3);
      }
    }
  }

  Choice Choose(std::size_t i) const {
    Choice best;
    std::size_t run = 1;
    while (run < kMaxFill && i + run < n_ && b_[i + run] == b_[i]) ++run;
    if (run >= 3) {
      best.Consider(run <= 34 ? ElgCommand::kByteFill : ElgCommand::kByteLongFill, run, 0, 0,
                    std::int64_t(run) - (run <= 34 ? 2 : 3));
    }
    for (std::size_t d = 1; d <= 32 && d <= i; ++d) {
      const std::size_t L = Match(i, i - d, 259);
      if (L >= 1) best.Consider(ElgCommand::kByteCopy1, 1, d, 0, 0);
      if (L >= 2 && d >= 2) best.Consider(ElgCommand::kByteCopy2, 2, d, 0, 1);
      ConsiderMatch(best, d, L);
    }
    if (i + 2 < n_) {
      chains_.Walk(Key(i), [&](std::size_t j) {
        const std::size_t d = i - j;
        if (d > kMaxDistance) return false;
        if (d > 32) ConsiderMatch(best, d, Match(i, j, 259));
        return true;
      });
    }
    return best;
  }

  void FlushLiteral(std::size_t end) {
    (void)end;
    if (literal_ == 0) return;
    const std::size_t m = literal_;
    if (m <= 32) {
      out_.Count(ElgCommand::kByteLiteral);
      out_.Byte(m - 1);
    } else {
      out_.Count(ElgCommand::kByteLongLiteral);
      out_.Byte(0x20 | (m - 33) >> 8);
      out_.Byte((m - 33) & 0xFF);
    }
    out_.Bytes(b_ + literalStart_, m);
    literal_ = 0;
  }

  void Emit(const Choice& c, std::size_t i) {
    out_.Count(c.form);
    const std::uint64_t n = c.n, d = c.d;
    switch (c.form) {
      case ElgCommand::kByteFill:
        out_.Byte(0x40 | (n - 3));
        out_.Byte(b_[i]);
        break;
      case ElgCommand::kByteLongFill:
        out_.Byte(0x60 | (n - 35) >> 8);
        out_.Byte((n - 35) & 0xFF);
        out_.Byte(b_[i]);
        break;
      case ElgCommand::kByteCopyShort:
        out_.Byte(0x80 | (n - 2));
        out_.Byte(d - 2);
        break;
      case ElgCommand::kByteCopyLong:
        out_.Byte(0x90 | (d - 3) >> 8);
        out_.Byte((d - 3) & 0xFF);
        out_.Byte(n - 4);
        break;
      case ElgCommand::kByteCopy3:
      case ElgCommand::kByteCopy4:
        out_.Byte((c.form == ElgCommand::kByteCopy3 ? 0xA0 : 0xB0) | (d - 3) >> 8);
        out_.Byte((d - 3) & 0xFF);
        break;
      case ElgCommand::kByteCopy1:
        out_.Byte(0xC0 | (d - 1));
        break;
      case ElgCommand::kByteCopy2:
        out_.Byte(0xE0 | (d - 2));
        break;
      default:
        throw std::logic_error("not a byte-form command");
    }
  }

  const std::uint8_t* b_;
  std::size_t n_;
  Chains chains_;
  Output out_;
  std::size_t literal_ = 0;
  std::size_t literalStart_ = 0;
};

// ---- pixel form ----

class PixelEncoder {
 public:
  PixelEncoder(const std::uint8_t* pixels, std::uint32_t width, std::uint32_t height,
               std::uint32_t stride, ElgEncodeStats* stats)
      : w_(width), n_(std::size_t(width) * height), p_(n_), chains_(n_), out_(stats) {
    for (std::size_t i = 0; i < n_; ++i) {
      const std::uint8_t* s = pixels + i * stride;
      p_[i] = std::uint32_t(s[0]) | std::uint32_t(s[1]) << 8 | std::uint32_t(s[2]) << 16;
    }
  }

  std::vector<std::uint8_t> Run() {
    std::size_t i = 0;
    while (i < n_) {
      const Choice best = Choose(i);
      if (best.Found() && (best.savings > 0 || (best.savings == 0 && literal_ == 0))) {
        FlushLiteral();
        Emit(best, i);
        for (std::size_t k = 0; k < best.n; ++k) chains_.Insert(i + k, p_[i + k]);
        i += best.n;
      } else {
        if (literal_ == 0) literalStart_ = i;
        ++literal_;
        chains_.Insert(i, p_[i]);
        ++i;
        if (literal_ == kMaxLiteral) FlushLiteral();
      }
    }
    FlushLiteral();
    out_.Byte(kEnd);
    return out_.Take();
  }

 private:
  static constexpr std::size_t kMaxLiteral = 31 * 256 + 255 + 33;  // 8224
  static constexpr std::size_t kMaxFill = 31 * 256 + 255 + 34;     // 8225
  static constexpr std::size_t kMaxFar = 0xFFFFF + 4098;           // 1052673

  std::size_t Match(std::size_t i, std::size_t j, std::size_t cap) const {
    std::size_t L = 0;
    while (L < cap && i + L < n_ && p_[j + L] == p_[i + L]) ++L;
    return L;
  }

  static void ConsiderMatch(Choice& best, std::size_t d, std::size_t L) {
    if (L < 1 || d < 2) return;
    if (d <= 257) {
      const std::size_t n = std::min<std::size_t>(L, 16);
      best.Consider(ElgCommand::kPixelCopyShort, n, d, 0, 3 * std::int64_t(n) - 2);
    }
    if (d <= 4097) {
      const std::size_t n = std::min<std::size_t>(L, 256);
      best.Consider(ElgCommand::kPixelCopyLong, n, d, 0, 3 * std::int64_t(n) - 3);
    } else if (d <= kMaxFar) {
      const std::size_t n = std::min<std::size_t>(L, 256);
      best.Consider(ElgCommand::kPixelCopyFar, n, d, 0, 3 * std::int64_t(n) - 4);
    }
  }

  // A single equal pixel at j: rows-above forms first, so that they win ties.
  void ConsiderSingle(Choice& best, std::size_t i, std::size_t j) const {
    const std::size_t d = i - j;
    const std::size_t row = i / w_, col = i % w_;
    const std::size_t k = row - j / w_;
    const std::int64_t dx = std::int64_t(j % w_) - std::int64_t(col);
    if (k >= 16 && k <= 1039 && dx >= -1 && dx <= 1) {
      const ElgCommand f = dx == 0 ? ElgCommand::kPixelAboveFar
                                   : (dx < 0 ? ElgCommand::kPixelAboveFarLeft
                                             : ElgCommand::kPixelAboveFarRight);
      best.Consider(f, 1, k, int(dx), 1);
    }
    if (d >= 2 && d <= 9) best.Consider(ElgCommand::kPixelCopy1Near, 1, d, 0, 2);
    if (d >= 10 && d <= 2057) best.Consider(ElgCommand::kPixelCopy1, 1, d, 0, 1);
    if (d >= 2058 && d <= 3081) best.Consider(ElgCommand::kPixelCopy1Far, 1, d, 0, 1);
  }

  Choice Choose(std::size_t i) const {
    Choice best;
    const std::uint32_t v = p_[i];
    std::size_t run = 1;
    while (run < kMaxFill && i + run < n_ && p_[i + run] == v) ++run;
    if (run >= 2) {
      best.Consider(run <= 33 ? ElgCommand::kPixelFill : ElgCommand::kPixelLongFill, run, 0, 0,
                    3 * std::int64_t(run) - (run <= 33 ? 4 : 5));
    }
    const std::size_t row = i / w_, col = i % w_;
    for (std::size_t k = 1; k <= 16 && k <= row; ++k) {
      const std::size_t above = i - k * w_;
      if (p_[above] == v) best.Consider(ElgCommand::kPixelAbove, 1, k, 0, 2);
      if (col > 0 && p_[above - 1] == v) best.Consider(ElgCommand::kPixelAboveLeft, 1, k, -1, 2);
      if (k <= 15 && col + 1 < w_ && p_[above + 1] == v) {
        best.Consider(ElgCommand::kPixelAboveRight, 1, k, 1, 2);
      }
    }
    for (std::size_t d = 2; d <= 9 && d <= i; ++d) {
      if (p_[i - d] == v) {
        best.Consider(ElgCommand::kPixelCopy1Near, 1, d, 0, 2);
        ConsiderMatch(best, d, Match(i, i - d, 256));
      }
    }
    chains_.Walk(v, [&](std::size_t j) {
      const std::size_t d = i - j;
      if (d > kMaxFar) return false;
      if (p_[j] != v || d < 2) return true;
      ConsiderSingle(best, i, j);
      ConsiderMatch(best, d, Match(i, j, 256));
      return true;
    });
    return best;
  }

  void Pixel(std::size_t i) {
    const std::uint32_t v = p_[i];
    out_.Byte(v & 0xFF);
    out_.Byte((v >> 8) & 0xFF);
    out_.Byte((v >> 16) & 0xFF);
  }

  void FlushLiteral() {
    if (literal_ == 0) return;
    const std::size_t m = literal_;
    if (m <= 32) {
      out_.Count(ElgCommand::kPixelLiteral);
      out_.Byte(m - 1);
    } else {
      out_.Count(ElgCommand::kPixelLongLiteral);
      out_.Byte(0x20 | (m - 33) >> 8);
      out_.Byte((m - 33) & 0xFF);
    }
    for (std::size_t k = 0; k < m; ++k) Pixel(literalStart_ + k);
    literal_ = 0;
  }

  void Emit(const Choice& c, std::size_t i) {
    out_.Count(c.form);
    const std::uint64_t n = c.n, d = c.d;
    switch (c.form) {
      case ElgCommand::kPixelFill:
        out_.Byte(0x40 | (n - 2));
        Pixel(i);
        break;
      case ElgCommand::kPixelLongFill:
        out_.Byte(0x60 | (n - 34) >> 8);
        out_.Byte((n - 34) & 0xFF);
        Pixel(i);
        break;
      case ElgCommand::kPixelCopyShort:
        out_.Byte(0x80 | (n - 1));
        out_.Byte(d - 2);
        break;
      case ElgCommand::kPixelCopyLong:
        out_.Byte(0x90 | (d - 2) >> 8);
        out_.Byte((d - 2) & 0xFF);
        out_.Byte(n - 1);
        break;
      case ElgCommand::kPixelCopyFar: {
        const std::uint64_t e = d - 4098;
        out_.Byte(0xA0 | e >> 16);
        out_.Byte((e >> 8) & 0xFF);
        out_.Byte(e & 0xFF);
        out_.Byte(n - 1);
        break;
      }
      case ElgCommand::kPixelCopy1Near:
        out_.Byte(0xB0 | (d - 2));
        break;
      case ElgCommand::kPixelCopy1:
        out_.Byte(0xB8 | (d - 10) >> 8);
        out_.Byte((d - 10) & 0xFF);
        break;
      case ElgCommand::kPixelAboveFar:
      case ElgCommand::kPixelAboveFarLeft:
      case ElgCommand::kPixelAboveFarRight: {
        const std::uint64_t base = c.dx == 0 ? 0xC0 : (c.dx < 0 ? 0xC4 : 0xC8);
        out_.Byte(base | (d - 16) >> 8);
        out_.Byte((d - 16) & 0xFF);
        break;
      }
      case ElgCommand::kPixelCopy1Far:
        out_.Byte(0xCC | (d - 2058) >> 8);
        out_.Byte((d - 2058) & 0xFF);
        break;
      case ElgCommand::kPixelAbove:
        out_.Byte(0xD0 | (d - 1));
        break;
      case ElgCommand::kPixelAboveLeft:
        out_.Byte(0xE0 | (d - 1));
        break;
      case ElgCommand::kPixelAboveRight:
        out_.Byte(0xF0 | (d - 1));
        break;
      default:
        throw std::logic_error("not a pixel-form command");
    }
  }

  std::size_t w_;
  std::size_t n_;
  std::vector<std::uint32_t> p_;
  Chains chains_;
  Output out_;
  std::size_t literal_ = 0;
  std::size_t literalStart_ = 0;
};

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(std::uint8_t(v));
  out.push_back(std::uint8_t(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

std::vector<std::uint8_t> EncodeElgBytePlane(const std::uint8_t* items, std::size_t count,
                                             ElgEncodeStats* stats) {
  return ByteEncoder(items, count, stats).Run();
}

std::vector<std::uint8_t> EncodeElgPixelPlane(const std::uint8_t* pixels, std::uint32_t width,
                                              std::uint32_t height, std::uint32_t stride,
                                              ElgEncodeStats* stats) {
  return PixelEncoder(pixels, width, height, stride, stats).Run();
}

std::vector<std::uint8_t> EncodeElg(const ElgImage& image, ElgHeaderVariant variant,
                                    ElgEncodeStats* stats) {
  const std::uint32_t depth = image.depth;
  if (depth != 8 && depth != 24 && depth != 32) throw std::invalid_argument("ELG depth");
  const std::size_t items = std::size_t(image.width) * image.height;
  if (image.pixels.size() != items * (depth / 8)) throw std::invalid_argument("ELG pixel size");
  if (depth == 8 && image.palette.size() != 1024) throw std::invalid_argument("ELG palette");

  std::vector<std::uint8_t> out = {'E', 'L', 'G'};
  switch (variant) {
    case ElgHeaderVariant::kDepthOnly:
      out.push_back(std::uint8_t(depth));
      Put16(out, image.width);
      Put16(out, image.height);
      break;
    case ElgHeaderVariant::kOffset:
      out.push_back(1);
      out.push_back(std::uint8_t(depth));
      Put16(out, std::uint16_t(image.offsetX));
      Put16(out, std::uint16_t(image.offsetY));
      Put16(out, image.width);
      Put16(out, image.height);
      break;
    case ElgHeaderVariant::kChunked:
      out.push_back(2);
      out.push_back(std::uint8_t(depth));
      Put16(out, image.width);
      Put16(out, image.height);
      Put16(out, std::uint16_t(image.offsetX));
      Put16(out, std::uint16_t(image.offsetY));
      for (const ElgChunk& chunk : image.chunks) {
        if (chunk.type == 0) throw std::invalid_argument("ELG chunk type 0");
        out.push_back(chunk.type);
        Put32(out, std::uint32_t(chunk.data.size() + 4));
        out.insert(out.end(), chunk.data.begin(), chunk.data.end());
      }
      out.push_back(0);
      break;
  }
  auto append = [&out](const std::vector<std::uint8_t>& s) {
    out.insert(out.end(), s.begin(), s.end());
  };
  const std::uint8_t* px = image.pixels.data();
  switch (depth) {
    case 8:
      append(EncodeElgBytePlane(image.palette.data(), 1024, stats));
      append(EncodeElgBytePlane(px, items, stats));
      break;
    case 24:
      append(EncodeElgPixelPlane(px, image.width, image.height, 3, stats));
      break;
    default: {
      append(EncodeElgPixelPlane(px, image.width, image.height, 4, stats));
      std::vector<std::uint8_t> alpha(items);
      for (std::size_t i = 0; i < items; ++i) alpha[i] = px[i * 4 + 3];
      append(EncodeElgBytePlane(alpha.data(), items, stats));
      break;
    }
  }
  return out;
}

}  // namespace orrivel::tools
