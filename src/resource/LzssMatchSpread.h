#pragma once
// The LZSS encoder finds a match at one position and learns from it about
// the positions just before: where the candidate also equals the bytes
// before, each of them starts a match that runs into this one. These
// kernels raise the longest-match table of those positions accordingly.
#include <cstdint>

#include "resource/LzssCoder.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orrivel {

// lengths and distances hold the entries of the kLzssSpreadReach positions
// just before the one where a match of forward bytes at distance was found
// (lengths[15] is the position right before it). Of those, the back
// nearest ones equal the bytes before the match's source, so the one k
// before gets a match of forward + k bytes (at most 18) at the same
// distance, where that is longer than the entry it has and at least 3
// (shorter ones are no references). back <= 16, forward <= 18. The packed form does the same with 16-byte vectors where
// the processor has them.
inline void LzssSpreadMatchPlain(uint8_t* lengths, uint16_t* distances, int forward, int back, int distance) {
  for (int j = 0; j < kLzssSpreadReach; ++j) {
    const int k = kLzssSpreadReach - j;
    if (k > back) continue;
    const int length = forward + k < int(kLzssMaxMatch) ? forward + k : int(kLzssMaxMatch);
    if (length >= int(kLzssMinMatch) && length > lengths[j]) {
      lengths[j] = uint8_t(length);
      distances[j] = uint16_t(distance);
    }
  }
}

#if defined(__SSE2__)
// One lane per position; lane j is k = 16 - j positions back. Lengths stay
// below 128, so signed byte compares order them.
inline void LzssSpreadMatchPacked(uint8_t* lengths, uint16_t* distances, int forward, int back, int distance) {
  static_assert(kLzssSpreadReach == 16);
  const __m128i steps = _mm_setr_epi8(16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1);
  __m128i offered = _mm_min_epu8(_mm_adds_epu8(_mm_set1_epi8(char(forward)), steps),
                                 _mm_set1_epi8(char(kLzssMaxMatch)));
  const __m128i outOfReach = _mm_cmpgt_epi8(steps, _mm_set1_epi8(char(back)));
  const __m128i tooShort = _mm_cmpgt_epi8(_mm_set1_epi8(char(kLzssMinMatch)), offered);
  offered = _mm_andnot_si128(_mm_or_si128(outOfReach, tooShort), offered);
  const __m128i held = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lengths));
  const __m128i better = _mm_cmpgt_epi8(offered, held);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(lengths), _mm_max_epu8(held, offered));
  const __m128i newDistance = _mm_set1_epi16(short(distance));
  __m128i* words = reinterpret_cast<__m128i*>(distances);
  const __m128i low = _mm_unpacklo_epi8(better, better);
  const __m128i high = _mm_unpackhi_epi8(better, better);
  const __m128i heldLow = _mm_loadu_si128(words);
  const __m128i heldHigh = _mm_loadu_si128(words + 1);
  _mm_storeu_si128(words, _mm_or_si128(_mm_and_si128(low, newDistance), _mm_andnot_si128(low, heldLow)));
  _mm_storeu_si128(words + 1, _mm_or_si128(_mm_and_si128(high, newDistance), _mm_andnot_si128(high, heldHigh)));
}
#else
inline void LzssSpreadMatchPacked(uint8_t* lengths, uint16_t* distances, int forward, int back, int distance) {
  LzssSpreadMatchPlain(lengths, distances, forward, back, distance);
}
#endif

}  // namespace orrivel
