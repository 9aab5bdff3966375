#include "raster/BlendTables.h"

#include <atomic>
#include <bit>
#include <cstring>
#include <mutex>

namespace orrivel {

uint8_t ProductTable[256][256];
uint8_t ClampTable[1792];
OpacityLanes OpacityMultiplierTable[256];
uint8_t CompositeWeightTable[256][256];
uint8_t CompositeAlphaTable[256][256];

namespace {

void BuildProductTable() {
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) ProductTable[a][b] = static_cast<uint8_t>((a * b + 127) / 255);
}

void BuildClampTable() {
  for (int i = -kClampTableOffset; i < 1024; ++i)
    ClampTable[i + kClampTableOffset] = static_cast<uint8_t>(i < 0 ? 0 : (i > 255 ? 255 : i));
}

void BuildOpacityMultiplierTable() {
  OpacityMultiplierTable[0] = {0, 0, 0, 0};
  for (int k = 1; k < 256; ++k) {
    const auto m = static_cast<uint16_t>(k + 1);
    OpacityMultiplierTable[k] = {m, m, m, 0};
  }
}

// The weights come from a single-precision 1/255 widened to double; the
// truncation below makes entries sensitive to that exact value, so it is
// spelled out by its bits rather than computed.
void BuildCompositeWeightTable() {
  const double f = static_cast<double>(std::bit_cast<float>(0x3B808081u));
  std::memset(CompositeWeightTable[0], 255, 256);
  for (int r = 1; r < 256; ++r) {
    const double a = r * f;
    for (int c = 0; c < 256; ++c) {
      const double b = c * f;
      const double value = 255.0 * (b / a) / (1.0 - b + b / a);
      int truncated = static_cast<int>(value);
      if (truncated > 255) truncated = 255;
      if (truncated < 0) truncated = 0;
      CompositeWeightTable[r][c] = static_cast<uint8_t>(truncated);
    }
  }
}

void BuildCompositeAlphaTable() {
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b)
      CompositeAlphaTable[a][b] = static_cast<uint8_t>(255 - ((255 - a) * (255 - b)) / 255);
}

}  // namespace

namespace {

std::atomic<bool> gBuilt{false};
std::mutex gBuilding;

}  // namespace

void BuildBlendTables() {
  BuildProductTable();
  BuildClampTable();
  BuildOpacityMultiplierTable();
  BuildCompositeWeightTable();
  BuildCompositeAlphaTable();
  gBuilt.store(true, std::memory_order_release);
}

void EnsureBlendTables() {
  if (gBuilt.load(std::memory_order_acquire)) return;
  const std::lock_guard<std::mutex> lock(gBuilding);
  if (!gBuilt.load(std::memory_order_relaxed)) BuildBlendTables();
}

void ResetBlendTables() {
  gBuilt.store(false, std::memory_order_release);
  std::memset(ProductTable, 0, sizeof ProductTable);
  std::memset(ClampTable, 0, sizeof ClampTable);
  std::memset(OpacityMultiplierTable, 0, sizeof OpacityMultiplierTable);
  std::memset(CompositeWeightTable, 0, sizeof CompositeWeightTable);
  std::memset(CompositeAlphaTable, 0, sizeof CompositeAlphaTable);
}

}  // namespace orrivel
