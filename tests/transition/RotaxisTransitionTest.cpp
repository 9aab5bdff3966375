// Rotaxis: the full picture at the ends, edge-on at half way, black where
// nothing is drawn, the refusal of a destination of another kind, and bands.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "base/MathTables.h"
#include "raster/PixelBuffer.h"
#include "raster/PixelOpLibrary.h"
#include "raster/Surface.h"
#include "resource/TcpManager.h"
#include "transition/BuiltinTransitions.h"
#include "transition/RotaxisTransition.h"

namespace orrivel {
namespace {

constexpr int kW = 48, kH = 32;

class SizedTarget : public TransitionTarget {
 public:
  int32_t GetDepth() const override { return 32; }
  bool GetPictureSize(int32_t* w, int32_t* h) const override {
    *w = kW;
    *h = kH;
    return true;
  }
};

uint32_t& At(Surface& s, int x, int y) { return reinterpret_cast<uint32_t*>(s.GetScanLine(y))[x]; }

class RotaxisTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPixelOpEntries();
    library = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    ASSERT_TRUE(library->HasModule()) << library->Error();
    SetCurrentPixelOpLibrary(library.get());
    previous = SetMathTables(&tables);
    ASSERT_EQ(RegisterStartupTransitions(registry), 0);
    std::mt19937 rng(6);
    for (Surface* s : {&destination, &from, &to}) {
      ASSERT_EQ(s->Create(kW, kH, 32, 0), 0);
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) At(*s, x, y) = uint32_t(rng()) | 0xFF000000u;
    }
  }
  void TearDown() override {
    SetMathTables(previous);
    SetCurrentPixelOpLibrary(nullptr);
    library.reset();
    ResetPixelOpEntries();
  }
  HeldPtr<RotaxisTransition> Make(std::vector<std::intptr_t> args) {
    ObjectArguments list{args.data(), args.size()};
    return HeldPtr<RotaxisTransition>(dynamic_cast<RotaxisTransition*>(
        registry.CreateObjectV(reinterpret_cast<std::intptr_t>(&target), "rotaxis", list)));
  }
  std::vector<int32_t> Draw(NamedTransition& t, int bandHeight, Image* on = nullptr) {
    std::vector<int32_t> results;
    for (int y = 0; y < kH; y += bandHeight) {
      const int h = std::min(bandHeight, kH - y);
      results.push_back(t.Apply({0, y, kW, h, on ? on : &destination, 0, y, &from, 0, y, &to, 0, y}));
    }
    return results;
  }
  std::vector<uint32_t> Picture() {
    std::vector<uint32_t> out;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) out.push_back(At(destination, x, y));
    return out;
  }
  std::vector<uint32_t> PictureOf(Surface& s) {
    std::vector<uint32_t> out;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) out.push_back(At(s, x, y));
    return out;
  }

  std::unique_ptr<PixelOpLibrary> library;
  MathTables tables;
  MathTables* previous = nullptr;
  TcpManager registry;
  SizedTarget target;
  Surface destination, from, to;
};

TEST_F(RotaxisTest, FullPictureAtTheEndsAndEdgeOnHalfWay) {
  for (int axis : {0, 1, 2, 3}) {
    auto t = Make({1024, axis});
    ASSERT_NE(t, nullptr);
    t->Update(0);
    Draw(*t, kH);
    EXPECT_EQ(Picture(), PictureOf(from)) << axis;
    t->Update(512);
    EXPECT_EQ(t->Progress(), 128u);
    Draw(*t, kH);
    int black = 0;
    for (uint32_t p : Picture()) black += (p & 0xFFFFFF) == 0;
    EXPECT_GT(black, kW * kH * 9 / 10) << axis;
    t->Update(1024);
    EXPECT_EQ(t->IsFinished(), -1);
    Draw(*t, kH);
    EXPECT_EQ(Picture(), PictureOf(to)) << axis;
  }
}

TEST_F(RotaxisTest, BandsDrawTheSamePictureAndOtherDestinationsAreRefused) {
  for (uint32_t at : {200u, 700u}) {
    std::vector<std::vector<uint32_t>> pictures;
    for (int bandHeight : {kH, 1, 5}) {
      auto t = Make({1024, 1});
      t->Update(0);
      t->Update(at);
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) At(destination, x, y) = 0xFFFFFFFFu;
      for (int32_t result : Draw(*t, bandHeight)) EXPECT_EQ(result, 0);
      pictures.push_back(Picture());
    }
    EXPECT_EQ(pictures[1], pictures[0]) << at;
    EXPECT_EQ(pictures[2], pictures[0]) << at;
    // Turned part way: black strips and parts of the picture both show.
    int black = 0;
    for (uint32_t p : pictures[0]) black += (p & 0xFFFFFF) == 0;
    EXPECT_GT(black, 0);
    EXPECT_LT(black, kW * kH / 2);
  }
  auto t = Make({1024, 0});
  t->Update(0);
  t->Update(300);
  PixelBuffer other;
  EXPECT_EQ(Draw(*t, 8, &other), std::vector<int32_t>(4, 1));
  // Without the math tables the set-up is refused with 5.
  SetMathTables(nullptr);
  const std::intptr_t args[] = {1000, 0};
  EXPECT_EQ(RotaxisTransition().SetupV(reinterpret_cast<std::intptr_t>(&target), {args, 2}), 5);
}

}  // namespace
}  // namespace orrivel
