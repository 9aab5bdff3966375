#pragma once
// The LZSS encoder finds a match at one position and learns from it about
// the positions just before: where the candidate also equals the bytes
// before, each of them starts a match that runs into this one. These
// kernels raise the longest-match table of those positions accordingly.
#include <cstdint>

namespace orrivel {

// Positions a match is followed back over.
constexpr int kLzssSpreadReach = 16;

// lengths and distances hold the entries of the kLzssSpreadReach positions
// just before the one where a match of forward bytes at distance was found
// (lengths[15] is the position right before it). Of those, the back
// nearest ones equal the bytes before the match's source, so the one k
// before gets a match of forward + k bytes (at most 18) at the same
// distance, where that is longer than the entry it has. back <= 16,
// forward <= 18.
void LzssSpreadMatchPlain(uint8_t* lengths, uint16_t* distances, int forward, int back, int distance);
// The same with 16-byte vectors where the processor has them.
void LzssSpreadMatchPacked(uint8_t* lengths, uint16_t* distances, int forward, int back, int distance);

}  // namespace orrivel
