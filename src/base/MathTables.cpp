#include "base/MathTables.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>
#include <numbers>

namespace orrivel {
namespace {

std::atomic<MathTables*> g_mathTables{nullptr};

constexpr double kStep = std::numbers::pi / 256.0;

// False for NaN too.
bool FitsInt32(double value) { return value >= -2147483648.0 && value <= 2147483647.0; }

}  // namespace

MathTables::MathTables() {
  cos_[0] = 65536;
  cos_[128] = 0;
  cos_[256] = -65536;
  cos_[384] = 0;
  for (int k = 1; k < 128; ++k) {
    const int32_t c = int32_t(std::cos(k * kStep) * 65536.0);
    cos_[k] = c;
    cos_[512 - k] = c;
    cos_[256 - k] = -c;
    cos_[256 + k] = -c;
  }
  for (int i = 0; i < 256; ++i) {
    atan_[i] = uint16_t(int32_t(std::atan(i * (1.0 / 256.0)) * 32768.0 / std::numbers::pi));
  }
}

bool MathTables::GetSinCosTable() {
  if (doubleCos_) return true;
  std::unique_ptr<double[]> table(new (std::nothrow) double[512]);
  if (!table) return false;
  table[0] = 1.0;
  table[128] = 0.0;
  table[256] = -1.0;
  table[384] = 0.0;
  for (int k = 1; k < 128; ++k) {
    const double c = std::cos(k * kStep);
    table[k] = c;
    table[512 - k] = c;
    table[256 - k] = -c;
    table[256 + k] = -c;
  }
  doubleCos_ = std::move(table);
  return true;
}

MathTables* GetMathTables() { return g_mathTables.load(std::memory_order_acquire); }

MathTables* SetMathTables(MathTables* tables) { return g_mathTables.exchange(tables, std::memory_order_acq_rel); }

bool BuildRotationTransform(double* quad, int32_t baseX, int32_t baseY, int32_t angle, double scale, int32_t width,
                            int32_t height, int32_t pivotX, int32_t pivotY, int32_t* outWidth, int32_t* outHeight,
                            int32_t* outX, int32_t* outY) {
  MathTables* tables = GetMathTables();
  if (!quad || !tables || scale == 0.0 || std::isnan(scale)) return false;
  const uint32_t turn = uint32_t(angle) & 511;
  if (turn == 0 && baseX == 0 && baseY == 0 && scale == 1.0) return false;
  if (!tables->GetSinCosTable()) return false;
  const double* table = tables->DoubleCosTable();

  const double w = width * scale;
  const double h = height * scale;
  const double px = pivotX * scale;
  const double py = pivotY * scale;
  // Unsigned negation: -angle must not overflow, and & 511 never goes negative.
  const double c = table[(0u - uint32_t(angle)) & 511];
  const double s = table[(0u - uint32_t(angle) - 128u) & 511];
  const double cornerX[4] = {0.0, w, 0.0, w};
  const double cornerY[4] = {0.0, 0.0, h, h};
  double x[4], y[4];
  for (int i = 0; i < 4; ++i) {
    const double dx = cornerX[i] - px;
    const double dy = cornerY[i] - py;
    x[i] = c * dx - s * dy + px;
    y[i] = s * dx + c * dy + py;
  }
  const double minX = *std::min_element(x, x + 4);
  const double maxX = *std::max_element(x, x + 4);
  const double minY = *std::min_element(y, y + 4);
  const double maxY = *std::max_element(y, y + 4);
  const double boxWidth = maxX - minX;
  const double boxHeight = maxY - minY;
  // Summed in double: the base plus the offset may not fit 32 bits.
  const double placedX = std::trunc(pivotX - px + minX + 0.5) + baseX;
  const double placedY = std::trunc(pivotY - py + minY + 0.5) + baseY;
  // An infinite or huge scale or size gives a box that no 32-bit coordinate
  // holds; refuse it rather than convert out of range.
  if (!FitsInt32(boxWidth) || !FitsInt32(boxHeight) || !FitsInt32(placedX) || !FitsInt32(placedY)) return false;
  if (outWidth) *outWidth = int32_t(boxWidth);
  if (outHeight) *outHeight = int32_t(boxHeight);
  const int32_t positionX = int32_t(placedX);
  const int32_t positionY = int32_t(placedY);
  if (outX) *outX = positionX;
  if (outY) *outY = positionY;
  for (int i = 0; i < 4; ++i) {
    quad[2 * i] = x[i] - (minX + 0.5) + (outX ? 0 : positionX);
    quad[2 * i + 1] = y[i] - (minY + 0.5) + (outY ? 0 : positionY);
  }
  return true;
}

}  // namespace orrivel
