#pragma once
// Trigonometric tables for angles in 512ths of a turn, and the placement of a
// scaled, rotated rectangle built on them. Angles index the tables with
// & 511, so negative and oversized angles wrap instead of indexing outside.
#include <cstdint>
#include <memory>

namespace orrivel {

class MathTables {
 public:
  static constexpr int32_t kAngleSteps = 512;

  MathTables();
  virtual ~MathTables() = default;
  MathTables(const MathTables&) = delete;
  MathTables& operator=(const MathTables&) = delete;

  // cos(angle) in 16.16 fixed point; sin is the entry 128 steps earlier.
  int32_t Cos(int32_t angle) const { return cos_[uint32_t(angle) & 511]; }
  int32_t Sin(int32_t angle) const { return cos_[(uint32_t(angle) - 128) & 511]; }
  // atan(i / 256) with pi = 32768, for i = 0 to 255.
  uint16_t Atan(uint32_t i) const { return atan_[i & 255]; }
  const int32_t* CosTable() const { return cos_; }
  const uint16_t* AtanTable() const { return atan_; }

  // Builds the double cosine table on first request; false when memory runs out.
  bool GetSinCosTable();
  // The double table (null until GetSinCosTable has built it).
  const double* DoubleCosTable() const { return doubleCos_.get(); }

 private:
  int32_t cos_[512];
  uint16_t atan_[256];
  std::unique_ptr<double[]> doubleCos_;
};

// The process-wide instance the game publishes (null until set).
MathTables* GetMathTables();
// Publishes an instance (null withdraws it); returns the previous one.
MathTables* SetMathTables(MathTables* tables);

// Places a width × height rectangle scaled by scale and rotated by angle
// (512ths of a turn) about the pivot (in unscaled rectangle units). quad
// receives the four corners (0,0), (w,0), (0,h), (w,h) after the transform as
// eight doubles x0 y0 x1 y1 x2 y2 x3 y3, shifted by half a pixel. The
// position is the base plus where the bounding box lands; when outX (outY) is
// given the quad's x (y) values are relative to it, otherwise absolute. Every
// out argument may be null. False when quad is null, no tables are
// published, scale is 0 or not a number, nothing would change (angle a whole
// turn, base 0 and scale 1), the double table cannot be built, or the box or
// the position would not fit 32 bits (an infinite or huge scale or size).
bool BuildRotationTransform(double* quad, int32_t baseX, int32_t baseY, int32_t angle, double scale, int32_t width,
                            int32_t height, int32_t pivotX, int32_t pivotY, int32_t* outWidth, int32_t* outHeight,
                            int32_t* outX, int32_t* outY);

}  // namespace orrivel
