#pragma once
// The rasteriser's own passes over glyph maps: the bold smear, the
// reduction of oversampled one-bit maps, coverage scaling and the outline
// (edge) dilation, with the approximate distance and the edge weight they
// share. Each pass makes a new map; Glyph fields are updated in place.
#include <cstdint>

#include "text/Glyph.h"

namespace orrivel {

// Approximate length of (dx, dy), in whole pixels, the way the outline
// weights measure it.
int32_t EdgeDistance(int32_t dx, int32_t dy);
// 65536 divided by the sum of (r - d + 1) over every offset within radius r.
int32_t EdgeWeight(int32_t radius);

// Width of the bold smear for a pixel height (oversampled heights count in
// oversampled pixels): height / 50 + 1, at most 8.
int32_t BoldSmearWidth(int32_t pixelHeight);

// The one-bit map grows by n pixels to the right, each row ORed with itself
// shifted right by 1..n pixels; the origin moves left by n / 2.
void SmearBitMap(Glyph* glyph, int32_t n);
// The coverage map grows by n columns, each pixel the maximum of the n
// source pixels to its left and its own; the origin moves left by n / 2.
void SmearCoverageMap(Glyph* glyph, int32_t n);

// One-bit map (most significant bit first) to coverage 0 or 255.
void ExpandBitMap(Glyph* glyph);
// Oversampled one-bit map to counts of set bits in factor x factor blocks
// (remainders dropped); a glyph left with no pixels becomes blank.
void ReduceOversampled(Glyph* glyph, int32_t factor);
// Every byte times multiplier, at most 255.
void ScaleCoverage(Glyph* glyph, int32_t multiplier);

// Two-level outline for maps of 0 and 255: grows by 2r each way; every pixel
// within radius r of a set pixel is set. The origin moves by -r.
void DilateTwoLevel(Glyph* glyph, int32_t radius);
// Weighted outline: with r 0, a strength below 255 scales the coverage by
// strength / 255 (negative as 0) and 255 and over leave it; else the map
// grows by 2r each way and accumulates, for every offset within radius r,
// the source times ((r - d + 1) x strength x weight) >> 8, as
// min(255, dst + (src x f) >> 16). The origin moves by -r.
void WeightedOutline(Glyph* glyph, int32_t strength, int32_t radius, int32_t weight);

}  // namespace orrivel
