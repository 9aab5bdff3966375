// Wave: the amplitude swelling and subsiding, the end level and edge
// colour, the refusal without math tables, edge columns and bands.
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
#include "transition/WaveTransition.h"

namespace orrivel {
namespace {

constexpr int kW = 40, kH = 23;

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

class WaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPixelOpEntries();
    library = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    ASSERT_TRUE(library->HasModule()) << library->Error();
    SetCurrentPixelOpLibrary(library.get());
    previous = SetMathTables(&tables);
    ASSERT_EQ(RegisterStartupTransitions(registry), 0);
    std::mt19937 rng(8);
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
  HeldPtr<WaveTransition> Make(std::vector<std::intptr_t> args) {
    ObjectArguments list{args.data(), args.size()};
    return HeldPtr<WaveTransition>(dynamic_cast<WaveTransition*>(
        registry.CreateObjectV(reinterpret_cast<std::intptr_t>(&target), "wave", list)));
  }
  void Draw(NamedTransition& t, int bandHeight) {
    for (int y = 0; y < kH; y += bandHeight) {
      const int h = std::min(bandHeight, kH - y);
      ASSERT_EQ(t.Apply({0, y, kW, h, &destination, 0, y, &from, 0, y, &to, 0, y}), 0);
    }
  }
  std::vector<uint32_t> Picture() {
    std::vector<uint32_t> out;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) out.push_back(At(destination, x, y));
    return out;
  }

  std::unique_ptr<PixelOpLibrary> library;
  MathTables tables;
  MathTables* previous = nullptr;
  TcpManager registry;
  SizedTarget target;
  Surface destination, from, to;
};

TEST_F(WaveTest, AmplitudeSwellsToHalfTimeAndTheEndIsColourB) {
  for (int kind : {0, 1, 2, 3}) {
    auto t = Make({1000, kind, 12, 3000, std::intptr_t(0x80102030), std::intptr_t(0x00F0E0D0)});
    ASSERT_NE(t, nullptr);
    t->Update(100);
    EXPECT_EQ(t->Amplitude(), 0);
    EXPECT_EQ(t->Level(), 0u);
    EXPECT_EQ(t->EdgeColour(), 0x80102030u);
    t->Update(350);
    const int32_t quarter = t->Amplitude();
    t->Update(600);
    EXPECT_EQ(t->Amplitude(), 12) << kind;
    EXPECT_GT(12, quarter);
    EXPECT_GT(quarter, 0);
    EXPECT_EQ(t->IsFinished(), 0);
    t->Update(1100);
    EXPECT_EQ(t->Amplitude(), 0);
    EXPECT_EQ(t->Level(), 255u);
    EXPECT_EQ(t->IsFinished(), -1);
    EXPECT_EQ(t->EdgeColour(), 0x80F0E0D0u);  // colour B with colour A's alpha
  }
  // A duration below 2 is 2, not a refusal.
  EXPECT_NE(Make({0, 0, 5, 5, 0, 0}), nullptr);
}

TEST_F(WaveTest, WithoutMathTablesOrEntryTheSetupIsRefused) {
  SetMathTables(nullptr);
  EXPECT_EQ(Make({1000, 0, 5, 5, 0, 0}), nullptr);
  const std::intptr_t args[] = {1000, 0, 5, 5, 0, 0};
  EXPECT_EQ(WaveTransition().SetupV(reinterpret_cast<std::intptr_t>(&target), {args, 6}), 5);
  EXPECT_EQ(WaveTransition().SetupV(0, {args, 6}), 1);
  SetMathTables(&tables);
  SetCurrentPixelOpLibrary(nullptr);
  EXPECT_EQ(WaveTransition().SetupV(reinterpret_cast<std::intptr_t>(&target), {args, 6}), 2);
}

TEST_F(WaveTest, LinesShiftWithEdgeColourAndBandsMatchOneBand) {
  // Kind 3: a fixed phase step, so lines shift by different amounts.
  std::vector<std::vector<uint32_t>> pictures;
  for (int bandHeight : {kH, 1, 4}) {
    auto t = Make({1000, 3, 9, 1500, std::intptr_t(0xFF0000FF), std::intptr_t(0xFF00FF00)});
    t->Update(0);
    t->Update(500);
    Draw(*t, bandHeight);
    pictures.push_back(Picture());
  }
  EXPECT_EQ(pictures[1], pictures[0]);
  EXPECT_EQ(pictures[2], pictures[0]);
  // Each line is the blend shifted by some s: edge colour over |s| columns
  // at one side, the rest read s columns away.
  auto t = Make({1000, 3, 9, 1500, std::intptr_t(0xFF0000FF), std::intptr_t(0xFF00FF00)});
  t->Update(0);
  t->Update(500);
  const uint32_t edge = t->EdgeColour();
  int shifted = 0;
  for (int y = 0; y < kH; ++y) {
    int left = 0;
    while (left < kW && At(destination, left, y) == edge) ++left;
    int right = 0;
    while (right < kW && At(destination, kW - 1 - right, y) == edge) ++right;
    ASSERT_TRUE(left == 0 || right == 0) << y;
    ASSERT_LE(std::max(left, right), 9);
    if (left + right > 0) ++shifted;
  }
  EXPECT_GT(shifted, kH / 2);
}

}  // namespace
}  // namespace orrivel
