// The interpolated stretch rows of our pixel-operation library: every packed
// twin (SSE2, and AVX2 where the processor has it) writes the same bytes as
// the plain rows, over random pictures with
// alpha, widths of every remainder, rows clipped at either side, scale
// factors up and down and partial opacity.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "platform/pixelops/StretchRows.h"

namespace pixelops {
namespace {

struct RowCase {
  AcrossWalk walk;
  int32_t columns = 0;  // mixed from walk.low on
  int32_t width = 0;
};

// A destination row of width pixels stretched from the columns left to
// right - 1 by the factor (source texels a destination pixel), its first
// pixel skip pixels into the placed row (the rest clipped away on the left).
RowCase MakeRow(int64_t left, int64_t right, double factor, int32_t skip, int32_t width) {
  RowCase row;
  row.walk.step = std::llround(factor * 65536.0);
  row.walk.first = std::llround((double(left) + (skip + 0.5) * factor) * 65536.0) - 0x8000;
  row.walk.left = left;
  row.walk.right = right;
  row.walk.low = std::clamp(row.walk.first >> 16, left, right - 1);
  const int64_t high = std::clamp((row.walk.Position(width - 1) >> 16) + 1, left, right - 1);
  row.columns = int32_t(high - row.walk.low + 1);
  row.width = width;
  return row;
}

std::vector<uint32_t> RandomPixels(std::mt19937& rng, size_t count) {
  std::vector<uint32_t> pixels(count);
  for (auto& p : pixels) {
    const uint32_t kind = rng() % 4;  // clear, opaque, or any alpha
    const uint32_t alpha = kind == 0 ? 0 : kind == 1 ? 255 : rng() % 256;
    p = alpha << 24 | (rng() & 0xFFFFFFu);
  }
  return pixels;
}

// Runs the same rows through the plain kernels and the given twins.
void ExpectSameRowsAs(const StretchRowKernels& twins, const char* name) {
  std::mt19937 rng(92);
  const double factors[] = {0.5, 0.25, 0.8, 1.0 / 3, 1.0, 1.25, 2.0, 3.7, 16.0, 0.07};
  const uint32_t opacities[] = {255, 254, 128, 1};
  StretchRowScratch plainScratch, twinScratch;
  for (int round = 0; round < 3000; ++round) {
    const int64_t areaWidth = 1 + rng() % 70;
    const int64_t left = rng() % 5;
    const double factor = factors[rng() % std::size(factors)];
    const int32_t skip = int32_t(rng() % 6);
    const int32_t width = 1 + int32_t(rng() % 90);
    const RowCase row = MakeRow(left, left + areaWidth, factor, skip, width);
    // Source rows hold exactly the area's columns, so a read past either
    // edge is one outside the buffer.
    const std::vector<uint32_t> top = RandomPixels(rng, size_t(areaWidth));
    const std::vector<uint32_t> bottom = RandomPixels(rng, size_t(areaWidth));
    const uint32_t wy = rng() % 3 == 0 ? 0 : rng() % 256;
    const uint32_t k = opacities[rng() % std::size(opacities)];
    const std::vector<uint32_t> under = RandomPixels(rng, size_t(width));
    std::vector<uint32_t> plain = under, twin = under;
    const uint32_t* topAt = top.data() + (row.walk.low - left);
    const uint32_t* bottomAt = bottom.data() + (row.walk.low - left);
    StretchSmoothRow(kPlainStretchRows, plain.data(), topAt, bottomAt, wy, row.walk, row.columns, width, k,
                     plainScratch);
    StretchSmoothRow(twins, twin.data(), topAt, bottomAt, wy, row.walk, row.columns, width, k, twinScratch);
    ASSERT_EQ(twin, plain) << name << ": area " << left << "+" << areaWidth << " factor " << factor
                           << " skip " << skip << " width " << width << " wy " << wy << " opacity " << k;
  }
}

TEST(PixelOpStretchRowsTest, PackedRowsMatchThePlainRows) { ExpectSameRowsAs(kPackedStretchRows, "packed"); }

TEST(PixelOpStretchRowsTest, WideRowsMatchThePlainRows) {
#if ORRIVEL_HAVE_AVX2_PATH
  if (!HasWideStretchRows()) GTEST_SKIP() << "the processor has no AVX2";
  ExpectSameRowsAs(kWideStretchRows, "wide");
#else
  GTEST_SKIP() << "built without the AVX2 path";
#endif
}

// The rows at their edges: the first and last pixels repeat the edge texels,
// the ramp between them only climbs, and a one-texel area gives that texel
// everywhere.
TEST(PixelOpStretchRowsTest, EdgesRepeatTheEdgeTexels) {
  const std::vector<uint32_t> source{0xFF000000u, 0xFF808080u, 0xFFFFFFFFu};
  std::vector<const StretchRowKernels*> all{&kPlainStretchRows, &kPackedStretchRows};
#if ORRIVEL_HAVE_AVX2_PATH
  if (HasWideStretchRows()) all.push_back(&kWideStretchRows);
#endif
  for (const StretchRowKernels* kernels : all) {
    StretchRowScratch scratch;
    const RowCase up = MakeRow(0, 3, 0.25, 0, 12);
    std::vector<uint32_t> out(12);
    StretchSmoothRow(*kernels, out.data(), source.data(), source.data(), 0, up.walk, up.columns, 12, 255,
                     scratch);
    EXPECT_EQ(out[0], 0xFF000000u);
    EXPECT_EQ(out[1], 0xFF000000u);
    EXPECT_EQ(out[10], 0xFFFFFFFFu);
    EXPECT_EQ(out[11], 0xFFFFFFFFu);
    for (size_t i = 1; i < out.size(); ++i) EXPECT_GE(out[i] & 0xFF, out[i - 1] & 0xFF) << i;  // a ramp
    const RowCase single = MakeRow(1, 2, 0.1, 0, 9);
    StretchSmoothRow(*kernels, out.data(), source.data() + 1, source.data() + 1, 0, single.walk,
                     single.columns, 9, 255, scratch);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(out[size_t(i)], 0xFF808080u) << i;
  }
}

}  // namespace
}  // namespace pixelops
