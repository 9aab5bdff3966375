#pragma once
// Rows of the sprite blend by source alpha: the plain form and its packed
// twins (four pixels a step with SSE2, eight with AVX2 where the processor
// has it), which write the same bytes. Only the colour channels change; the
// destination keeps its alpha.
#include <emmintrin.h>
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define PIXELOPS_HAVE_AVX2 1
#define PIXELOPS_AVX2 __attribute__((target("avx2")))
#else
#define PIXELOPS_HAVE_AVX2 0
#endif

#include <cstdint>

namespace pixelops {

// x / 255 rounded, exact for 0 <= x <= 255 * 255.
inline uint32_t Div255(uint32_t x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}

// Colour channels of d moved toward s by k / 255, rounded; alpha of d kept.
// Red and blue share one word: each 16-bit lane holds at most 255 * 255 +
// 128 + 254, so no lane carries into the next and every channel rounds
// exactly as Div255 does.
inline uint32_t Mix(uint32_t d, uint32_t s, uint32_t k) {
  const uint32_t inv = 255 - k;
  uint32_t rb = (s & 0xFF00FFu) * k + (d & 0xFF00FFu) * inv + 0x00800080u;
  rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
  uint32_t g = ((s >> 8) & 0xFF) * k + ((d >> 8) & 0xFF) * inv + 0x80u;
  g = ((g + (g >> 8)) >> 8) & 0xFF;
  return (d & 0xFF000000u) | rb | g << 8;
}

// Each pixel weighted by its alpha times opacity / 255.
inline void BlendAlphaRow(uint32_t* out, const uint32_t* in, int32_t width, uint32_t opacity) {
  for (int32_t i = 0; i < width; ++i) {
    const uint32_t a = opacity == 255 ? in[i] >> 24 : Div255((in[i] >> 24) * opacity);
    if (a == 255)
      out[i] = (out[i] & 0xFF000000u) | (in[i] & 0xFFFFFFu);
    else if (a != 0)
      out[i] = Mix(out[i], in[i], a);
  }
}

// Div255 in eight 16-bit lanes as one multiply-high: ((x + 128) * 257) >> 16
// equals ((x + 128) + ((x + 128) >> 8)) >> 8 for every x + 128 below 65536,
// and the same bounds as Mix keep every lane below that.
inline __m128i Div255Lanes(__m128i x) {
  return _mm_mulhi_epu16(_mm_add_epi16(x, _mm_set1_epi16(128)), _mm_set1_epi16(257));
}

// The weight of each of four pixels, its alpha (times the opacity unless it
// is full), in both 16-bit halves of the pixel: the halves are filled with
// alpha and red, then shifted down to the alpha.
inline __m128i PixelWeights(__m128i s, __m128i opacity, bool full) {
  const __m128i alphaRed = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xF5), 0xF5);
  const __m128i a = _mm_srli_epi16(alphaRed, 8);
  return full ? a : Div255Lanes(_mm_mullo_epi16(a, opacity));
}

// Four pixels mixed by the weights k without widening to 16-bit pixels:
// blue and red stay in the low bytes of the two halves of a pixel, green
// and the alpha shift down into them, and each lane takes s * k + d *
// (255 - k) (at most 255 * 255, so no lane carries). The alpha lane's sum
// lands in the alpha byte, which the caller replaces. A weight of 0 gives d
// and 255 gives s exactly, so no pixel needs a branch.
inline __m128i MixFourPixels(__m128i d, __m128i s, __m128i k) {
  const __m128i low = _mm_set1_epi16(0x00FF);
  const __m128i inverse = _mm_xor_si128(k, low);  // 255 - k, as k is at most 255
  const __m128i blueRed = Div255Lanes(_mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(s, low), k),
                                                    _mm_mullo_epi16(_mm_and_si128(d, low), inverse)));
  const __m128i green = Div255Lanes(_mm_add_epi16(_mm_mullo_epi16(_mm_srli_epi16(s, 8), k),
                                                  _mm_mullo_epi16(_mm_srli_epi16(d, 8), inverse)));
  return _mm_or_si128(blueRed, _mm_slli_epi16(green, 8));
}

// Bits 3, 7, 11 and 15 of the mask are the four alpha bytes.
constexpr int kAlphaBytes = 0x8888;

inline bool AllAlphaBytes(__m128i s, __m128i value) {
  return (_mm_movemask_epi8(_mm_cmpeq_epi8(s, value)) & kAlphaBytes) == kAlphaBytes;
}

// The packed row at full opacity (kFull) or below it. Runs of opaque groups
// at full opacity take the source colour without a test for clear groups
// between them; clear groups leave the destination alone.
template <bool kFull>
inline void BlendAlphaRowPackedAt(uint32_t* out, const uint32_t* in, int32_t width,
                                  uint32_t opacity) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i ones = _mm_set1_epi32(-1);
  const __m128i alpha = _mm_set1_epi32(int32_t(0xFF000000u));
  const __m128i level = _mm_set1_epi16(int16_t(opacity));
  auto keepAlpha = [alpha](__m128i colour, __m128i d) {
    return _mm_or_si128(_mm_andnot_si128(alpha, colour), _mm_and_si128(d, alpha));
  };
  int32_t i = 0;
  while (i + 4 <= width) {
    __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    if (AllAlphaBytes(s, zero)) {
      i += 4;
      continue;
    }
    if (kFull && AllAlphaBytes(s, ones)) {
      do {
        __m128i* at = reinterpret_cast<__m128i*>(out + i);
        _mm_storeu_si128(at, keepAlpha(s, _mm_loadu_si128(at)));
        i += 4;
        if (i + 4 > width) break;
        s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
      } while (AllAlphaBytes(s, ones));
      continue;
    }
    __m128i* at = reinterpret_cast<__m128i*>(out + i);
    const __m128i d = _mm_loadu_si128(at);
    _mm_storeu_si128(at, keepAlpha(MixFourPixels(d, s, PixelWeights(s, level, kFull)), d));
    i += 4;
  }
  BlendAlphaRow(out + i, in + i, width - i, opacity);
}

// The SSE2 row, on every processor of the build.
inline void BlendAlphaRowSse2(uint32_t* out, const uint32_t* in, int32_t width, uint32_t opacity) {
  if (opacity == 255)
    BlendAlphaRowPackedAt<true>(out, in, width, opacity);
  else
    BlendAlphaRowPackedAt<false>(out, in, width, opacity);
}

#if PIXELOPS_HAVE_AVX2
// The same steps as the SSE2 row, eight pixels at a time (the shuffles and
// shifts work within each 128-bit half, as the pixels do).
PIXELOPS_AVX2 inline __m256i Div255Lanes(__m256i x) {
  return _mm256_mulhi_epu16(_mm256_add_epi16(x, _mm256_set1_epi16(128)), _mm256_set1_epi16(257));
}

PIXELOPS_AVX2 inline __m256i MixEightPixels(__m256i d, __m256i s, __m256i k) {
  const __m256i low = _mm256_set1_epi16(0x00FF);
  const __m256i inverse = _mm256_xor_si256(k, low);
  const __m256i blueRed = Div255Lanes(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_and_si256(s, low), k),
                                                       _mm256_mullo_epi16(_mm256_and_si256(d, low), inverse)));
  const __m256i green = Div255Lanes(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(s, 8), k),
                                                     _mm256_mullo_epi16(_mm256_srli_epi16(d, 8), inverse)));
  return _mm256_or_si256(blueRed, _mm256_slli_epi16(green, 8));
}

PIXELOPS_AVX2 inline bool AllAlphaBytes(__m256i s, __m256i value) {
  const uint32_t bytes = 0x88888888u;
  return (uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(s, value))) & bytes) == bytes;
}

template <bool kFull>
PIXELOPS_AVX2 void BlendAlphaRowAvx2At(uint32_t* out, const uint32_t* in, int32_t width,
                                       uint32_t opacity) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i ones = _mm256_set1_epi32(-1);
  const __m256i alpha = _mm256_set1_epi32(int32_t(0xFF000000u));
  const __m256i level = _mm256_set1_epi16(int16_t(opacity));
  int32_t i = 0;
  while (i + 8 <= width) {
    __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
    if (AllAlphaBytes(s, zero)) {
      i += 8;
      continue;
    }
    __m256i* at = reinterpret_cast<__m256i*>(out + i);
    if (kFull && AllAlphaBytes(s, ones)) {
      do {
        at = reinterpret_cast<__m256i*>(out + i);
        _mm256_storeu_si256(at, _mm256_blendv_epi8(s, _mm256_loadu_si256(at), alpha));
        i += 8;
        if (i + 8 > width) break;
        s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
      } while (AllAlphaBytes(s, ones));
      continue;
    }
    const __m256i alphaRed = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xF5), 0xF5);
    __m256i k = _mm256_srli_epi16(alphaRed, 8);
    if (!kFull) k = Div255Lanes(_mm256_mullo_epi16(k, level));
    const __m256i d = _mm256_loadu_si256(at);
    _mm256_storeu_si256(at, _mm256_blendv_epi8(MixEightPixels(d, s, k), d, alpha));
    i += 8;
  }
  BlendAlphaRowPackedAt<kFull>(out + i, in + i, width - i, opacity);
}

// Callers check that the processor has AVX2.
PIXELOPS_AVX2 inline void BlendAlphaRowAvx2(uint32_t* out, const uint32_t* in, int32_t width,
                                            uint32_t opacity) {
  if (opacity == 255)
    BlendAlphaRowAvx2At<true>(out, in, width, opacity);
  else
    BlendAlphaRowAvx2At<false>(out, in, width, opacity);
}

inline bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

inline void BlendAlphaRowPacked(uint32_t* out, const uint32_t* in, int32_t width,
                                uint32_t opacity) {
#if PIXELOPS_HAVE_AVX2
  if (HasAvx2()) {
    BlendAlphaRowAvx2(out, in, width, opacity);
    return;
  }
#endif
  BlendAlphaRowSse2(out, in, width, opacity);
}

}  // namespace pixelops
