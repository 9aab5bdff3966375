#pragma once
// Shared set-up of the scene tests: the blend tables, the math tables and
// our pixel-operation library bound as the current ones, and small surfaces
// filled by formula.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "base/MathTables.h"
#include "raster/BlendTables.h"
#include "raster/PixelOpLibrary.h"
#include "raster/Surface.h"

namespace orrivel::test {

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildBlendTables();
    previousTables_ = SetMathTables(&tables_);
    library_ = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    ASSERT_TRUE(library_->HasModule()) << library_->Error();
    SetCurrentPixelOpLibrary(library_.get());
  }
  void TearDown() override {
    library_.reset();
    ResetPixelOpEntries();
    SetMathTables(previousTables_);
  }
  void UnbindLibrary() {
    library_.reset();
    SetCurrentPixelOpLibrary(nullptr);
  }

 private:
  std::unique_ptr<PixelOpLibrary> library_;
  MathTables tables_;
  MathTables* previousTables_ = nullptr;
};

inline uint32_t& Pixel32(Surface& s, int x, int y) {
  return reinterpret_cast<uint32_t*>(s.GetScanLine(y))[x];
}

// A surface whose pixel (x, y) is f(x, y).
template <typename F>
std::unique_ptr<Surface> MakeSurface32(int w, int h, F f, uint8_t flags = 0) {
  auto s = std::make_unique<Surface>();
  if (s->Create(w, h, 32, flags) != 0) return nullptr;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) Pixel32(*s, x, y) = f(x, y);
  return s;
}

inline std::unique_ptr<Surface> MakeSolid32(int w, int h, uint32_t value, uint8_t flags = 0) {
  return MakeSurface32(w, h, [value](int, int) { return value; }, flags);
}

// An 8-bit surface with a ramp palette: index i is (i, 255 - i, i / 2).
template <typename F>
std::unique_ptr<Surface> MakeSurface8(int w, int h, F f) {
  auto s = std::make_unique<Surface>();
  if (s->Create(w, h, 8, 0) != 0) return nullptr;
  uint32_t palette[256];
  for (uint32_t i = 0; i < 256; ++i) palette[i] = i << 16 | (255 - i) << 8 | i / 2;
  s->SetPalette(palette, 256, 256, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s->GetScanLine(y)[x] = uint8_t(f(x, y));
  return s;
}

// Every byte of the pixel rows (padding excluded).
inline std::vector<uint8_t> Bytes(Surface& s) {
  std::vector<uint8_t> out;
  const int rowBytes = s.GetWidth() * (s.GetBitsPerPixel() / 8);
  for (int y = 0; y < s.GetHeight(); ++y) {
    const uint8_t* row = s.GetScanLine(y);
    out.insert(out.end(), row, row + rowBytes);
  }
  return out;
}

}  // namespace orrivel::test
