#include "resource/ElgUnpack.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orrivel {
namespace {

// Where the items of a plane lie: item (row, col) is at
// base + row * rowStep + col * stride.
struct Plane {
  std::uint8_t* base;
  std::int64_t rowStep;
  std::uint64_t width;
  std::uint64_t height;
};

inline std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline void Store32(std::uint8_t* p, std::uint32_t v) { std::memcpy(p, &v, 4); }

constexpr unsigned kEndOfStreamByte = 0xFF;

// Four pixel words at a time: runs of items are the bulk of a picture, and
// the compiler does not widen loops of unknown length by itself.
typedef std::uint32_t Words4 __attribute__((vector_size(16)));
inline Words4 Load128(const std::uint8_t* p) {
  Words4 v;
  std::memcpy(&v, p, 16);
  return v;
}
inline void Store128(std::uint8_t* p, Words4 v) { std::memcpy(p, &v, 16); }

// Forward copy of bytes where the source may overlap what is being written:
// each byte is read after the bytes before it were written, so a short
// distance repeats a pattern.
// Eight bytes back or more, whole steps of the distance are copied at once,
// each from bytes already final.
inline void CopyForward(std::uint8_t* d, const std::uint8_t* s, std::uint64_t bytes) {
  const std::uint64_t distance = std::uint64_t(d - s);
  if (distance == 1) {
    std::memset(d, s[0], bytes);
    return;
  }
  if (distance >= 8) {
    for (std::uint64_t done = 0; done < bytes; done += distance) {
      std::memcpy(d + done, s + done, std::min(distance, bytes - done));
    }
    return;
  }
  for (std::uint64_t i = 0; i < bytes; ++i) d[i] = s[i];
}

// Item writers: how the items of a stream land in memory. kSource is the
// bytes one item takes in the stream, kStride the bytes between items in
// memory.
struct ByteItems {
  static constexpr std::uint64_t kSource = 1;
  static constexpr std::uint64_t kStride = 1;
  void Literal(std::uint8_t* d, const std::uint8_t* s, std::uint64_t n) const {
    std::memcpy(d, s, n);
  }
  void Fill(std::uint8_t* d, const std::uint8_t* v, std::uint64_t n) const {
    std::memset(d, *v, n);
  }
  void Copy(std::uint8_t* d, const std::uint8_t* s, std::uint64_t n, bool overlap) const {
    if (overlap) {
      CopyForward(d, s, n);
    } else {
      std::memcpy(d, s, n);
    }
  }
};

// One byte into the fourth byte of 4-byte pixels (the plane's base points at
// that byte). Runs work on whole pixel words, keeping the low three bytes,
// so that the compiler can do several pixels per instruction instead of a
// byte store every fourth byte.
struct AlphaItems {
  static constexpr std::uint64_t kSource = 1;
  static constexpr std::uint64_t kStride = 4;
  static constexpr std::uint32_t kColour = 0x00FFFFFFu;
  void Literal(std::uint8_t* d, const std::uint8_t* s, std::uint64_t n) const {
    for (std::uint64_t i = 0; i < n; ++i) d[i * 4] = s[i];
  }
  void Fill(std::uint8_t* d, const std::uint8_t* v, std::uint64_t n) const {
    std::uint8_t* pixels = d - 3;
    const std::uint32_t alpha = std::uint32_t(*v) << 24;
    std::uint64_t i = 0;
    for (; i + 4 <= n; i += 4) {
      Store128(pixels + i * 4, (Load128(pixels + i * 4) & kColour) | alpha);
    }
    for (; i < n; ++i) Store32(pixels + i * 4, (Load32(pixels + i * 4) & kColour) | alpha);
  }
  // In order, so an overlapping copy repeats what it wrote: four pixels at a
  // time read only pixels written before them when the source lies at least
  // four pixels back.
  void Copy(std::uint8_t* d, const std::uint8_t* s, std::uint64_t n, bool overlap) const {
    std::uint8_t* pixels = d - 3;
    const std::uint8_t* from = s - 3;
    std::uint64_t i = 0;
    if (!overlap || d - s >= 16) {
      for (; i + 4 <= n; i += 4) {
        Store128(pixels + i * 4, (Load128(pixels + i * 4) & kColour) | (Load128(from + i * 4) & ~kColour));
      }
    }
    for (; i < n; ++i) {
      Store32(pixels + i * 4, (Load32(pixels + i * 4) & kColour) | (Load32(from + i * 4) & ~kColour));
    }
  }
};

// Words copied forward, overlapping or not: four at a time when the source
// is not among the next four written, so each step reads only final words.
// Copies are mostly short, where a call of memcpy costs more than the copy.
inline void CopyWords(std::uint8_t* d, const std::uint8_t* s, std::uint64_t n, bool overlap) {
  std::uint64_t i = 0;
  if (!overlap || d - s >= 16) {
    for (; i + 4 <= n; i += 4) Store128(d + i * 4, Load128(s + i * 4));
  }
  for (; i < n; ++i) Store32(d + i * 4, Load32(s + i * 4));
}

// Palette indices into 4-byte pixels.
struct Indexed32Items {
  static constexpr std::uint64_t kSource = 1;
  static constexpr std::uint64_t kStride = 4;
  std::uint32_t words[256];
  Indexed32Items(const std::uint8_t* palette, std::uint8_t alpha) {
    for (int i = 0; i < 256; ++i) {
      words[i] = (Load32(palette + i * 4) & 0x00FFFFFFu) | std::uint32_t(alpha) << 24;
    }
  }
  void Literal(std::uint8_t* d, const std::uint8_t* s, std::uint64_t n) const {
    for (std::uint64_t i = 0; i < n; ++i) Store32(d + i * 4, words[s[i]]);
  }
  void Fill(std::uint8_t* d, const std::uint8_t* v, std::uint64_t n) const {
    const std::uint32_t w = words[*v];
    for (std::uint64_t i = 0; i < n; ++i) Store32(d + i * 4, w);
  }
  void Copy(std::uint8_t* d, const std::uint8_t* s, std::uint64_t n, bool overlap) const {
    CopyWords(d, s, n, overlap);
  }
};

inline std::uint32_t PixelWord(const std::uint8_t* s) {
  return std::uint32_t(s[0]) | std::uint32_t(s[1]) << 8 | std::uint32_t(s[2]) << 16;
}

// 3-byte pixels packed as they come.
struct Bgr24Items {
  static constexpr std::uint64_t kSource = 3;
  static constexpr std::uint64_t kStride = 3;
  void Literal(std::uint8_t* d, const std::uint8_t* s, std::uint64_t n) const {
    std::memcpy(d, s, n * 3);
  }
  void Fill(std::uint8_t* d, const std::uint8_t* v, std::uint64_t n) const {
    for (std::uint64_t i = 0; i < n; ++i, d += 3) {
      d[0] = v[0];
      d[1] = v[1];
      d[2] = v[2];
    }
  }
  void Copy(std::uint8_t* d, const std::uint8_t* s, std::uint64_t n, bool overlap) const {
    if (overlap) {
      CopyForward(d, s, n * 3);
    } else {
      std::memcpy(d, s, n * 3);
    }
  }
};

// 3-byte pixels widened to 4-byte words with a zero top byte.
struct Bgr32Items {
  static constexpr std::uint64_t kSource = 3;
  static constexpr std::uint64_t kStride = 4;
  // Every pixel but the last is read as a word whose fourth byte, the next
  // pixel's first, is dropped; the last is read byte by byte so the read
  // stays inside the literal.
  void Literal(std::uint8_t* d, const std::uint8_t* s, std::uint64_t n) const {
    std::uint64_t i = 0;
#if defined(__SSE2__)
    // Four pixels from one 16-byte read, as long as it stays in the literal.
    const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
    for (; i + 6 <= n; i += 4) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i * 3));
      const __m128i first = _mm_unpacklo_epi32(v, _mm_srli_si128(v, 3));
      const __m128i second = _mm_unpacklo_epi32(_mm_srli_si128(v, 6), _mm_srli_si128(v, 9));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i * 4),
                       _mm_and_si128(_mm_unpacklo_epi64(first, second), colour));
    }
#endif
    for (; i + 1 < n; ++i) Store32(d + i * 4, Load32(s + i * 3) & 0x00FFFFFFu);
    if (n) Store32(d + (n - 1) * 4, PixelWord(s + (n - 1) * 3));
  }
  void Fill(std::uint8_t* d, const std::uint8_t* v, std::uint64_t n) const {
    const std::uint32_t w = PixelWord(v);
    const Words4 four = {w, w, w, w};
    std::uint64_t i = 0;
    for (; i + 4 <= n; i += 4) Store128(d + i * 4, four);
    for (; i < n; ++i) Store32(d + i * 4, w);
  }
  void Copy(std::uint8_t* d, const std::uint8_t* s, std::uint64_t n, bool overlap) const {
    CopyWords(d, s, n, overlap);
  }
};

// 3-byte pixels reduced to luma bytes.
struct GrayItems {
  static constexpr std::uint64_t kSource = 3;
  static constexpr std::uint64_t kStride = 1;
  void Literal(std::uint8_t* d, const std::uint8_t* s, std::uint64_t n) const {
    for (std::uint64_t i = 0; i < n; ++i, s += 3) d[i] = ElgLuma(s[0], s[1], s[2]);
  }
  void Fill(std::uint8_t* d, const std::uint8_t* v, std::uint64_t n) const {
    std::memset(d, ElgLuma(v[0], v[1], v[2]), n);
  }
  void Copy(std::uint8_t* d, const std::uint8_t* s, std::uint64_t n, bool overlap) const {
    ByteItems().Copy(d, s, n, overlap);
  }
};

// Walks a plane item by item in picture order, splitting every command at
// row ends, and refuses anything that would leave the plane or read an item
// not yet written. Most commands stay inside the current row and take one
// call of the item writer; only those that reach a row end are split.
template <class Items>
class PlaneCursor {
 public:
  PlaneCursor(const Plane& plane, const Items& items)
      : plane_(plane), items_(items), total_(plane.width * plane.height), rowBase_(plane.base) {}

  [[gnu::always_inline]] bool Literal(const std::uint8_t* source, std::uint64_t n) {
    if (InRow(n)) {
      items_.Literal(Here(), source, n);
      Step(n);
      return true;
    }
    if (n > total_ - pos_) return false;
    while (n) {
      const std::uint64_t chunk = std::min(n, plane_.width - col_);
      items_.Literal(Here(), source, chunk);
      source += chunk * Items::kSource;
      Advance(chunk);
      n -= chunk;
    }
    return true;
  }

  [[gnu::always_inline]] bool Fill(const std::uint8_t* value, std::uint64_t n) {
    if (InRow(n)) {
      items_.Fill(Here(), value, n);
      Step(n);
      return true;
    }
    if (n > total_ - pos_) return false;
    while (n) {
      const std::uint64_t chunk = std::min(n, plane_.width - col_);
      items_.Fill(Here(), value, chunk);
      Advance(chunk);
      n -= chunk;
    }
    return true;
  }

  [[gnu::always_inline]] bool BackCopy(std::uint64_t distance, std::uint64_t n) {
    if (distance == 0 || distance > pos_) return false;
    // Within the current row, or from the row above into the current one
    // without reaching either row's end: one copy.
    if (InRow(n)) {
      if (distance <= col_) {
        std::uint8_t* d = Here();
        items_.Copy(d, d - distance * Items::kStride, n, distance < n);
        Step(n);
        return true;
      }
      const std::uint64_t back = distance - col_;
      if (back <= plane_.width && n <= back) {
        items_.Copy(Here(), rowBase_ - plane_.rowStep + std::int64_t((plane_.width - back) * Items::kStride), n,
                    false);
        Step(n);
        return true;
      }
    }
    return SplitBackCopy(distance, n);
  }

  // Copies the pixel `rows` rows above, `dx` columns aside (-1, 0 or 1).
  [[gnu::always_inline]] bool RowAbove(std::uint64_t rows, int dx) {
    if (pos_ >= total_ || rows > row_) return false;
    if (dx < 0 && col_ == 0) return false;
    if (dx > 0 && col_ + 1 >= plane_.width) return false;
    std::uint8_t* d = Here();
    items_.Copy(d, d - std::int64_t(rows) * plane_.rowStep + dx * std::int64_t(Items::kStride), 1, false);
    Advance(1);
    return true;
  }

  bool Complete() const { return pos_ == total_; }

 private:
  // A back copy that may cross row ends, in the source or the destination.
  bool SplitBackCopy(std::uint64_t distance, std::uint64_t n) {
    if (n > total_ - pos_) return false;
    std::uint64_t sourceRow = row_;
    std::uint64_t sourceCol = col_ - distance;
    if (distance > col_) {
      // Most copies reach into the row above: no division for those.
      const std::uint64_t back = distance - col_;
      if (back <= plane_.width) {
        sourceRow = row_ - 1;
        sourceCol = plane_.width - back;
      } else {
        const std::uint64_t sourcePos = pos_ - distance;
        sourceRow = sourcePos / plane_.width;
        sourceCol = sourcePos % plane_.width;
      }
    }
    while (n) {
      const std::uint64_t chunk =
          std::min({n, plane_.width - col_, plane_.width - sourceCol});
      const bool overlap = sourceRow == row_ && distance < chunk;
      items_.Copy(Here(), At(sourceRow, sourceCol), chunk, overlap);
      Advance(chunk);
      n -= chunk;
      sourceCol += chunk;
      if (sourceCol == plane_.width) {
        sourceCol = 0;
        ++sourceRow;
      }
    }
    return true;
  }

  std::uint8_t* At(std::uint64_t row, std::uint64_t col) const {
    return plane_.base + std::int64_t(row) * plane_.rowStep + std::int64_t(col * Items::kStride);
  }
  std::uint8_t* Here() const { return rowBase_ + col_ * Items::kStride; }
  // True when `n` items fit in the current row without ending it (and the
  // plane is not yet full, so that the row is one of the plane's).
  bool InRow(std::uint64_t n) const { return n < plane_.width - col_ && pos_ < total_; }
  // Moves on inside the row: the caller knows the row does not end.
  void Step(std::uint64_t n) {
    pos_ += n;
    col_ += n;
  }
  void Advance(std::uint64_t n) {
    pos_ += n;
    col_ += n;
    if (col_ == plane_.width) {
      col_ = 0;
      ++row_;
      rowBase_ += plane_.rowStep;
    }
  }

  Plane plane_;
  Items items_;
  std::uint64_t total_;
  std::uint64_t pos_ = 0;
  std::uint64_t row_ = 0;
  std::uint64_t col_ = 0;
  std::uint8_t* rowBase_;  // item (row_, 0)
};

// Sixteen bytes moved at once, unaligned.
inline void Copy16(std::uint8_t* d, const std::uint8_t* s) {
  std::uint8_t v[16];
  std::memcpy(v, s, 16);
  std::memcpy(d, v, 16);
}
inline void Store16(std::uint8_t* d, Words4 v) { std::memcpy(d, &v, 16); }
inline Words4 Splat16(std::uint8_t byte) {
  const std::uint32_t w = byte * 0x01010101u;
  return Words4{w, w, w, w};
}

// Writable bytes after a scratch plane's last item: the runs below store
// whole 16-byte vectors and may run this far past the items they give.
constexpr std::uint64_t kScratchSlack = 64;

// Sixteen-byte stores from `d` until `n` bytes are covered; the last store
// may run up to 15 bytes past them.
inline void FillRuns(std::uint8_t* d, std::uint8_t byte, std::uint64_t n) {
  const Words4 v = Splat16(byte);
  for (std::uint64_t i = 0; i < n; i += 16) Store16(d + i, v);
}

// A copy from `distance` bytes back, in order, so that a near source
// repeats its pattern. What it writes repeats every `distance` bytes, so
// also every `period` bytes, the least whole number of patterns of at least
// sixteen bytes: after the first `period - distance` bytes, which go one by
// one (none when the distance is sixteen or more), every 16-byte step copies
// from one period back, bytes already final. One byte back is a fill. May
// run up to 15 bytes past the `n` it gives.
inline void CopyRuns(std::uint8_t* d, std::uint64_t distance, std::uint64_t n) {
  if (distance == 1) {
    FillRuns(d, d[-1], n);
    return;
  }
  std::uint64_t period = distance;
  while (period < 16) period += distance;
  std::uint64_t i = 0;
  for (; i < n && i < period - distance; ++i) d[i] = d[i - distance];
  for (; i < n; i += 16) Copy16(d + i, d + i - period);
}

// Byte form into a scratch plane of `total` bytes followed by kScratchSlack
// bytes that may be overwritten: one run of memory, items in picture order,
// so no command is split and short runs are whole vector stores. The same
// checks as the other decoders: a stream that runs past `end`, gives more or
// fewer than `total` items or copies from before the first item is refused
// (nullptr). `*done` is set to the items given, refused or not.
const std::uint8_t* UnpackBytesIntoScratch(const std::uint8_t* s, const std::uint8_t* end,
                                           std::uint8_t* base, std::uint64_t total,
                                           std::uint64_t* done) {
  std::uint64_t pos = 0;
  const std::uint8_t* after = nullptr;
  while (s < end) {
    const unsigned c = *s++;
    const std::uint64_t left = std::uint64_t(end - s);
    std::uint8_t* d = base + pos;
    std::uint64_t n;
    switch (c >> 4) {
      case 0x0:
      case 0x1:
        n = (c & 0x1F) + 1;
        if (left < n || n > total - pos) goto refused;
        if (left >= 32) {
          Copy16(d, s);
          Copy16(d + 16, s + 16);
        } else {
          std::memcpy(d, s, n);
        }
        s += n;
        break;
      case 0x2:
      case 0x3:
        if (left < 1) goto refused;
        n = (c & 0x1F) * 256u + s[0] + 33;
        if (left - 1 < n || n > total - pos) goto refused;
        std::memcpy(d, s + 1, n);
        s += 1 + n;
        break;
      case 0x4:
      case 0x5:
        if (left < 1) goto refused;
        n = (c & 0x1F) + 3;
        if (n > total - pos) goto refused;
        {
          const Words4 v = Splat16(s[0]);
          Store16(d, v);
          Store16(d + 16, v);
          Store16(d + 32, v);
        }
        s += 1;
        break;
      case 0x6:
      case 0x7:
        if (left < 2) goto refused;
        n = (c & 0x1F) * 256u + s[0] + 35;
        if (n > total - pos) goto refused;
        FillRuns(d, s[1], n);
        s += 2;
        break;
      default: {
        std::uint64_t distance;
        if (c < 0x90) {
          if (left < 1) goto refused;
          distance = s[0] + 2u;
          n = (c & 0x0F) + 2u;
          s += 1;
        } else if (c < 0xA0) {
          if (left < 2) goto refused;
          distance = (c & 0x0F) * 256u + s[0] + 3;
          n = s[1] + 4u;
          s += 2;
        } else if (c < 0xC0) {
          if (left < 1) goto refused;
          distance = (c & 0x0F) * 256u + s[0] + 3;
          n = c < 0xB0 ? 3 : 4;
          s += 1;
        } else if (c < 0xE0) {
          distance = (c & 0x1F) + 1u;
          n = 1;
        } else if (c < kEndOfStreamByte) {
          distance = (c & 0x1F) + 2u;
          n = 2;
        } else {
          if (pos == total) after = s;
          goto refused;
        }
        if (distance > pos || n > total - pos) goto refused;
        CopyRuns(d, distance, n);
        break;
      }
    }
    pos += n;
  }
refused:
  *done = pos;
  return after;
}

using MergeAlphaFn = std::uint64_t (*)(std::uint8_t*, const std::uint8_t*, std::uint64_t);

// Puts `n` alpha bytes into the fourth byte of consecutive 4-byte pixels,
// many at a time: each alpha byte widened to the top of its own 32-bit lane.
// Each returns the pixels it did; the rest are fewer than one step.
#if defined(__SSE2__)
std::uint64_t MergeAlphaVectors(std::uint8_t* pixels, const std::uint8_t* alpha, std::uint64_t n) {
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  const __m128i zero = _mm_setzero_si128();
  std::uint64_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(alpha + i));
    const __m128i low = _mm_unpacklo_epi8(zero, a);
    const __m128i high = _mm_unpackhi_epi8(zero, a);
    __m128i* p = reinterpret_cast<__m128i*>(pixels + i * 4);
    _mm_storeu_si128(p, _mm_or_si128(_mm_and_si128(_mm_loadu_si128(p), colour), _mm_unpacklo_epi16(zero, low)));
    _mm_storeu_si128(p + 1,
                     _mm_or_si128(_mm_and_si128(_mm_loadu_si128(p + 1), colour), _mm_unpackhi_epi16(zero, low)));
    _mm_storeu_si128(p + 2,
                     _mm_or_si128(_mm_and_si128(_mm_loadu_si128(p + 2), colour), _mm_unpacklo_epi16(zero, high)));
    _mm_storeu_si128(p + 3,
                     _mm_or_si128(_mm_and_si128(_mm_loadu_si128(p + 3), colour), _mm_unpackhi_epi16(zero, high)));
  }
  return i;
}
#else
std::uint64_t MergeAlphaVectors(std::uint8_t*, const std::uint8_t*, std::uint64_t) { return 0; }
#endif

#if defined(__GNUC__) && defined(__x86_64__)
// Wider vectors where the processor has them: the merge is a few operations
// a pixel over every pixel of the picture, so their count is what it costs.
__attribute__((target("avx2"))) std::uint64_t MergeAlphaWideVectors(std::uint8_t* pixels,
                                                                    const std::uint8_t* alpha,
                                                                    std::uint64_t n) {
  const __m256i colour = _mm256_set1_epi32(0x00FFFFFF);
  std::uint64_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i a = _mm256_slli_epi32(
        _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(alpha + i))), 24);
    __m256i* p = reinterpret_cast<__m256i*>(pixels + i * 4);
    _mm256_storeu_si256(p, _mm256_or_si256(_mm256_and_si256(_mm256_loadu_si256(p), colour), a));
  }
  return i;
}
__attribute__((target("avx512f"))) std::uint64_t MergeAlphaWidestVectors(std::uint8_t* pixels,
                                                                         const std::uint8_t* alpha,
                                                                         std::uint64_t n) {
  const __m512i colour = _mm512_set1_epi32(0x00FFFFFF);
  std::uint64_t i = 0;
  for (; i + 16 <= n; i += 16) {
    // The zero-masked forms: the plain ones start from an undefined vector,
    // which the compiler warns about.
    const __m512i a = _mm512_maskz_slli_epi32(
        0xFFFF, _mm512_maskz_cvtepu8_epi32(0xFFFF, _mm_loadu_si128(reinterpret_cast<const __m128i*>(alpha + i))), 24);
    std::uint8_t* p = pixels + i * 4;
    _mm512_storeu_si512(p, _mm512_or_si512(_mm512_and_si512(_mm512_loadu_si512(p), colour), a));
  }
  return i;
}

MergeAlphaFn WidestMergeAlpha() {
  static const MergeAlphaFn widest = __builtin_cpu_supports("avx512f") ? &MergeAlphaWidestVectors
                                     : __builtin_cpu_supports("avx2")  ? &MergeAlphaWideVectors
                                                                       : &MergeAlphaVectors;
  return widest;
}
#else
MergeAlphaFn WidestMergeAlpha() { return &MergeAlphaVectors; }
#endif

// Puts `n` alpha bytes, in picture order, into the fourth byte of a row of
// 4-byte pixels.
void MergeAlphaRow(std::uint8_t* pixels, const std::uint8_t* alpha, std::uint64_t n) {
  std::uint64_t i = WidestMergeAlpha()(pixels, alpha, n);
  for (; i < n; ++i) pixels[i * 4 + 3] = alpha[i];
}

// Puts the first `count` alpha bytes, in picture order, into the plane's
// pixels (the plane's base points at the fourth byte of the first pixel).
// Last row first: the colour stream has just written the rows in picture
// order, so the last ones are the ones still in the cache.
void MergeAlpha(const Plane& plane, const std::uint8_t* alpha, std::uint64_t count) {
  if (plane.width == 0) return;
  for (std::uint64_t row = (count + plane.width - 1) / plane.width; row-- > 0;) {
    const std::uint64_t first = row * plane.width;
    MergeAlphaRow(plane.base + std::int64_t(row) * plane.rowStep - 3, alpha + first,
                  std::min(count - first, plane.width));
  }
}

// Byte-form commands (palettes, indices, alpha).
template <class Cursor>
const std::uint8_t* RunByteForm(const std::uint8_t* s, const std::uint8_t* end, Cursor& cursor) {
  if (!s) return nullptr;
  while (s < end) {
    const unsigned c = *s++;
    const std::uint64_t left = std::uint64_t(end - s);
    bool ok;
    if (c < 0x20) {
      const std::uint64_t n = (c & 0x1F) + 1;
      if (left < n) return nullptr;
      ok = cursor.Literal(s, n);
      s += n;
    } else if (c < 0x40) {
      if (left < 1) return nullptr;
      const std::uint64_t n = (c & 0x1F) * 256u + s[0] + 33;
      if (left - 1 < n) return nullptr;
      ok = cursor.Literal(s + 1, n);
      s += 1 + n;
    } else if (c < 0x60) {
      if (left < 1) return nullptr;
      ok = cursor.Fill(s, (c & 0x1F) + 3);
      s += 1;
    } else if (c < 0x80) {
      if (left < 2) return nullptr;
      ok = cursor.Fill(s + 1, (c & 0x1F) * 256u + s[0] + 35);
      s += 2;
    } else if (c < 0x90) {
      if (left < 1) return nullptr;
      ok = cursor.BackCopy(s[0] + 2u, (c & 0x0F) + 2u);
      s += 1;
    } else if (c < 0xA0) {
      if (left < 2) return nullptr;
      ok = cursor.BackCopy((c & 0x0F) * 256u + s[0] + 3, s[1] + 4u);
      s += 2;
    } else if (c < 0xC0) {
      if (left < 1) return nullptr;
      ok = cursor.BackCopy((c & 0x0F) * 256u + s[0] + 3, c < 0xB0 ? 3 : 4);
      s += 1;
    } else if (c < 0xE0) {
      ok = cursor.BackCopy((c & 0x1F) + 1u, 1);
    } else if (c < kEndOfStreamByte) {
      ok = cursor.BackCopy((c & 0x1F) + 2u, 2);
    } else {
      return cursor.Complete() ? s : nullptr;
    }
    if (!ok) return nullptr;
  }
  return nullptr;
}

// Pixel-form commands (colour planes).
template <class Cursor>
const std::uint8_t* RunPixelForm(const std::uint8_t* s, const std::uint8_t* end,
                                 Cursor& cursor) {
  if (!s) return nullptr;
  // One jump on the command's high nibble: command kinds follow each other
  // with no pattern a chain of comparisons could be predicted on.
  while (s < end) {
    const unsigned c = *s++;
    const std::uint64_t left = std::uint64_t(end - s);
    bool ok;
    switch (c >> 4) {
      case 0x0:
      case 0x1: {
        const std::uint64_t n = (c & 0x1F) + 1;
        if (left < n * 3) return nullptr;
        ok = cursor.Literal(s, n);
        s += n * 3;
        break;
      }
      case 0x2:
      case 0x3: {
        if (left < 1) return nullptr;
        const std::uint64_t n = (c & 0x1F) * 256u + s[0] + 33;
        if (left - 1 < n * 3) return nullptr;
        ok = cursor.Literal(s + 1, n);
        s += 1 + n * 3;
        break;
      }
      case 0x4:
      case 0x5:
        if (left < 3) return nullptr;
        ok = cursor.Fill(s, (c & 0x1F) + 2);
        s += 3;
        break;
      case 0x6:
      case 0x7:
        if (left < 4) return nullptr;
        ok = cursor.Fill(s + 1, (c & 0x1F) * 256u + s[0] + 34);
        s += 4;
        break;
      case 0x8:
        if (left < 1) return nullptr;
        ok = cursor.BackCopy(s[0] + 2u, (c & 0x0F) + 1u);
        s += 1;
        break;
      case 0x9:
        if (left < 2) return nullptr;
        ok = cursor.BackCopy((c & 0x0F) * 256u + s[0] + 2, s[1] + 1u);
        s += 2;
        break;
      case 0xA:
        if (left < 3) return nullptr;
        ok = cursor.BackCopy(((c & 0x0F) * 256u + s[0]) * 256u + s[1] + 4098, s[2] + 1u);
        s += 3;
        break;
      case 0xB:
        if (c < 0xB8) {
          ok = cursor.BackCopy((c & 0x07) + 2u, 1);
        } else {
          if (left < 1) return nullptr;
          ok = cursor.BackCopy((c & 0x07) * 256u + s[0] + 10, 1);
          s += 1;
        }
        break;
      case 0xC:
        if (left < 1) return nullptr;
        if (c < 0xCC) {
          const int dx = c < 0xC4 ? 0 : (c < 0xC8 ? -1 : 1);
          ok = cursor.RowAbove((c & 0x03) * 256u + s[0] + 16, dx);
        } else {
          ok = cursor.BackCopy((c & 0x03) * 256u + s[0] + 2058, 1);
        }
        s += 1;
        break;
      case 0xD:
        ok = cursor.RowAbove((c & 0x0F) + 1u, 0);
        break;
      case 0xE:
        ok = cursor.RowAbove((c & 0x0F) + 1u, -1);
        break;
      default:
        if (c == kEndOfStreamByte) return cursor.Complete() ? s : nullptr;
        ok = cursor.RowAbove((c & 0x0F) + 1u, 1);
        break;
    }
    if (!ok) return nullptr;
  }
  return nullptr;
}

Plane TopDown(std::uint8_t* destination, std::uint64_t width, std::uint64_t height,
              std::uint64_t pitch) {
  return Plane{destination, std::int64_t(pitch), width, height};
}

Plane BottomUp(std::uint8_t* destination, std::uint64_t width, std::uint64_t height,
               std::uint64_t pitch) {
  std::uint8_t* row0 = height ? destination + (height - 1) * pitch : destination;
  return Plane{row0, -std::int64_t(pitch), width, height};
}

template <class Items>
const std::uint8_t* ByteForm(const std::uint8_t* stream, const std::uint8_t* end,
                             const Plane& plane, const Items& items) {
  PlaneCursor<Items> cursor(plane, items);
  return RunByteForm(stream, end, cursor);
}

template <class Items>
const std::uint8_t* PixelForm(const std::uint8_t* stream, const std::uint8_t* end,
                              const Plane& plane, const Items& items) {
  PlaneCursor<Items> cursor(plane, items);
  return RunPixelForm(stream, end, cursor);
}

// The alpha stream is decoded into a byte plane of its own, where runs are
// plain memset and memcpy, then put into the pixels in one pass. What a
// refused stream had written before it stopped lands in the pixels as it
// would have directly.
const std::uint8_t* AlphaForm(const std::uint8_t* stream, const std::uint8_t* end, const Plane& plane) {
  const std::uint64_t total = plane.width * plane.height;
  std::unique_ptr<std::uint8_t[]> alpha(new (std::nothrow) std::uint8_t[total + kScratchSlack]);
  if (!alpha) return ByteForm(stream, end, plane, AlphaItems());  // item by item, in place
  std::uint64_t done = 0;
  const std::uint8_t* after =
      stream ? UnpackBytesIntoScratch(stream, end, alpha.get(), total, &done) : nullptr;
  MergeAlpha(plane, alpha.get(), done);
  return after;
}

}  // namespace

const std::uint8_t* ElgUnpack8(const std::uint8_t* stream, const std::uint8_t* end,
                               std::uint8_t* destination, std::uint64_t count) {
  return ByteForm(stream, end, TopDown(destination, count, 1, count), ByteItems());
}

const std::uint8_t* ElgUnpack8Rows(const std::uint8_t* stream, const std::uint8_t* end,
                                   std::uint8_t* destination, std::uint32_t width,
                                   std::uint32_t height, std::uint64_t pitch) {
  return ByteForm(stream, end, BottomUp(destination, width, height, pitch), ByteItems());
}

const std::uint8_t* ElgUnpack8Strided(const std::uint8_t* stream, const std::uint8_t* end,
                                      std::uint8_t* destination, std::uint32_t width,
                                      std::uint32_t height, std::uint64_t pitch) {
  return ByteForm(stream, end, TopDown(destination, width, height, pitch), ByteItems());
}

const std::uint8_t* ElgUnpack24Rows(const std::uint8_t* stream, const std::uint8_t* end,
                                    std::uint8_t* destination, std::uint32_t width,
                                    std::uint32_t height, std::uint64_t pitch) {
  return PixelForm(stream, end, BottomUp(destination, width, height, pitch), Bgr24Items());
}

const std::uint8_t* ElgUnpack32Rows(const std::uint8_t* stream, const std::uint8_t* end,
                                    std::uint8_t* destination, std::uint32_t width,
                                    std::uint32_t height) {
  return PixelForm(stream, end, BottomUp(destination, width, height, std::uint64_t(width) * 4),
                   Bgr32Items());
}

const std::uint8_t* ElgUnpackAlphaBottomUp(const std::uint8_t* stream, const std::uint8_t* end,
                                           std::uint8_t* destination, std::uint32_t width,
                                           std::uint32_t height) {
  Plane plane = BottomUp(destination, width, height, std::uint64_t(width) * 4);
  plane.base += 3;
  return AlphaForm(stream, end, plane);
}

const std::uint8_t* ElgUnpackRgb32(const std::uint8_t* stream, const std::uint8_t* end,
                                   std::uint8_t* destination, std::uint32_t width,
                                   std::uint32_t height, std::uint64_t pitch) {
  return PixelForm(stream, end, TopDown(destination, width, height, pitch), Bgr32Items());
}

const std::uint8_t* ElgUnpackAlpha(const std::uint8_t* stream, const std::uint8_t* end,
                                   std::uint8_t* destination, std::uint32_t width,
                                   std::uint32_t height, std::uint64_t pitch) {
  Plane plane = TopDown(destination, width, height, pitch);
  plane.base += 3;
  return AlphaForm(stream, end, plane);
}

const std::uint8_t* ElgUnpackIndexed32(const std::uint8_t* stream, const std::uint8_t* end,
                                       std::uint8_t* destination, std::uint32_t width,
                                       std::uint32_t height, std::uint64_t pitch,
                                       const std::uint8_t* palette, std::uint8_t alpha) {
  return ByteForm(stream, end, TopDown(destination, width, height, pitch),
                  Indexed32Items(palette, alpha));
}

const std::uint8_t* ElgUnpackGray(const std::uint8_t* stream, const std::uint8_t* end,
                                  std::uint8_t* destination, std::uint32_t width,
                                  std::uint32_t height) {
  return PixelForm(stream, end, TopDown(destination, width, height, width), GrayItems());
}

const std::uint8_t* ElgUnpackStrided(const std::uint8_t* stream, const std::uint8_t* end,
                                     std::uint8_t* destination, std::uint32_t width,
                                     std::uint32_t height, std::uint64_t pitch) {
  return PixelForm(stream, end, TopDown(destination, width, height, pitch), GrayItems());
}

}  // namespace orrivel
