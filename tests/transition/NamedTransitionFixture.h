#pragma once
// What the tests of the moving transitions and the screen filters share: a
// target with a picture size, three random opaque pictures, our pixel-
// operation library and math tables published, every built-in row
// registered, and a driver that draws a frame in bands of a given height.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "base/MathTables.h"
#include "raster/PixelOpLibrary.h"
#include "raster/Surface.h"
#include "resource/TcpManager.h"
#include "transition/BuiltinTransitions.h"
#include "transition/NamedTransition.h"

namespace orrivel::named_test {

class SizedTarget : public TransitionTarget {
 public:
  SizedTarget(int32_t width, int32_t height, int32_t depth = 32)
      : width_(width), height_(height), depth_(depth) {}
  int32_t GetDepth() const override { return depth_; }
  bool GetPictureSize(int32_t* width, int32_t* height) const override {
    *width = width_;
    *height = height_;
    return true;
  }

 private:
  int32_t width_, height_, depth_;
};

inline uint32_t& At(Surface& s, int x, int y) {
  return reinterpret_cast<uint32_t*>(s.GetScanLine(y))[x];
}

inline std::vector<uint32_t> PictureOf(Surface& s) {
  std::vector<uint32_t> out;
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int x = 0; x < s.GetWidth(); ++x) out.push_back(At(s, x, y));
  return out;
}

class NamedTransitionFixture : public ::testing::Test {
 protected:
  NamedTransitionFixture(int width, int height, uint32_t seed)
      : width_(width), height_(height), seed_(seed), target(width, height) {}

  void SetUp() override {
    ResetPixelOpEntries();
    library = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    ASSERT_TRUE(library->HasModule()) << library->Error();
    SetCurrentPixelOpLibrary(library.get());
    previousTables = SetMathTables(&tables);
    ASSERT_EQ(RegisterStartupTransitions(registry), 0);
    ASSERT_EQ(RegisterScriptHostTransitions(registry), 0);
    std::mt19937 rng(seed_);
    for (Surface* s : {&destination, &from, &to}) {
      ASSERT_EQ(s->Create(width_, height_, 32, Surface::kWithRegion), 0);
      for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) At(*s, x, y) = uint32_t(rng()) | 0xFF000000u;
    }
  }
  void TearDown() override {
    registry.ClearAll();
    SetMathTables(previousTables);
    SetCurrentPixelOpLibrary(nullptr);
    library.reset();
    ResetPixelOpEntries();
  }

  template <typename T = NamedTransition>
  HeldPtr<T> Make(const char* name, std::vector<ObjectArgument> args, TransitionTarget* on = nullptr) {
    ObjectArguments list{args.data(), args.size()};
    return HeldPtr<T>(dynamic_cast<T*>(registry.CreateObjectV(
        static_cast<TransitionTarget*>(on ? on : &target), name, list)));
  }
  // One frame's Apply calls over bands of bandHeight rows; their results.
  // Drawn on the fixture's destination, every band must succeed.
  std::vector<int32_t> Draw(NamedTransition& t, int bandHeight, Image* on = nullptr) {
    std::vector<int32_t> results;
    for (int y = 0; y < height_; y += bandHeight) {
      const int h = std::min(bandHeight, height_ - y);
      results.push_back(
          t.Apply({0, y, width_, h, on ? on : &destination, 0, y, &from, 0, y, &to, 0, y}));
      if (on == nullptr) {
        EXPECT_EQ(results.back(), 0) << t.GetName() << " band at " << y;
      }
    }
    return results;
  }
  std::vector<uint32_t> Picture() { return PictureOf(destination); }

  int width_, height_;
  uint32_t seed_;
  std::unique_ptr<PixelOpLibrary> library;
  MathTables tables;
  MathTables* previousTables = nullptr;
  TcpManager registry;
  SizedTarget target;
  Surface destination, from, to;
};

}  // namespace orrivel::named_test
