#include "raster/LibraryImageOps.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "raster/PixelOpLibrary.h"
#include "raster/Surface.h"

namespace orrivel {
namespace {

template <typename T>
T& At(Surface& s, int x, int y) {
  return reinterpret_cast<T*>(s.GetScanLine(y))[x];
}

void FillRandom(Surface& s, std::mt19937& rng) {
  const int bytes = s.GetBitsPerPixel() / 8;
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int i = 0; i < s.GetWidth() * bytes; ++i) s.GetScanLine(y)[i] = uint8_t(rng());
}

std::vector<uint32_t> Pixels32(Surface& s) {
  std::vector<uint32_t> out;
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int x = 0; x < s.GetWidth(); ++x) out.push_back(At<uint32_t>(s, x, y));
  return out;
}

class LibraryImageOpsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPixelOpEntries();
    ASSERT_EQ(target.Create(12, 10, 32, Surface::kWithRegion), 0);
    ASSERT_EQ(source.Create(8, 8, 32, 0), 0);
    ASSERT_EQ(indexed.Create(9, 5, 8, Surface::kWithRegion), 0);
    FillRandom(target, rng);
    FillRandom(source, rng);
    FillRandom(indexed, rng);
  }
  void TearDown() override {
    SetCurrentPixelOpLibrary(nullptr);
    library.reset();
    ResetPixelOpEntries();
  }
  void Bind() {
    library = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    ASSERT_TRUE(library->HasModule()) << library->Error();
    SetCurrentPixelOpLibrary(library.get());
  }

  std::mt19937 rng{11};
  Surface target, source, indexed, empty;
  std::unique_ptr<PixelOpLibrary> library;
};

// Every operation once, with the target and source given.
struct Call {
  const char* name;
  std::function<int(Surface*, Image*)> run;  // true/false results as 1/0
  bool boolean;
};

std::vector<Call> AllCalls() {
  return {
      {"5", [](Surface* t, Image*) { return ApplyPixelOp5(t, 1, 200, 3, 4); }, false},
      {"7", [](Surface* t, Image*) { return ApplyPixelOp7(t, 0x1FF, 2); }, false},
      {"9", [](Surface* t, Image* s) { return DrawImageOp(t, s, 0, 0, 4, 4, 0, 0); }, false},
      {"10", [](Surface* t, Image* s) { return StretchDrawImageOp(t, s, 0, 0, 8, 8, 0, 0, 4, 4); },
       false},
      {"11", [](Surface* t, Image* s) { return TransformDrawImageOp(t, s, 0, 0, 8, 0, 0, 8, 0, 0, 255); },
       false},
      {"12", [](Surface* t, Image* s) { return ApplyPixelOp12(t, s, 1, 2, 3, 4, 5, 6, 7, 8, 9); },
       false},
      {"13", [](Surface* t, Image*) { return ApplyPixelOp13(t, 0, 0, 4, 4); }, false},
      {"21", [](Surface* t, Image*) { return int(ApplyPixelOp21(t, 1)); }, true},
      {"23", [](Surface* t, Image*) { return int(ApplyPixelOp23(t, 5)); }, true},
      {"24", [](Surface* t, Image*) { return int(ApplyPixelOp24(t, 5)); }, true},
      {"25", [](Surface* t, Image* s) { return ApplyPixelOp25(t, s, s, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12); },
       false},
      {"26",
       [](Surface* t, Image* s) {
         return ApplyPixelOp26(t, s, s, s, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
       },
       false},
  };
}

TEST_F(LibraryImageOpsTest, WithoutALibraryEveryOperationIsRefused) {
  const auto before = Pixels32(target);
  for (const auto& call : AllCalls()) {
    EXPECT_EQ(call.run(&target, &source), call.boolean ? 0 : 2) << call.name;
  }
  EXPECT_EQ(MirrorImageA(&target, 0), 1);
  EXPECT_EQ(MirrorImageB(&indexed, 0), 1);
  EXPECT_EQ(ApplyPixelOp5(&target, 1, 0, 3, 4), 0);  // level 0: nothing, before the library check
  EXPECT_EQ(Pixels32(target), before);
  EXPECT_FALSE(target.Changed());
  EXPECT_EQ(target.Region()->Count(), 0);
}

TEST_F(LibraryImageOpsTest, RefusalsComeInTheirOrder) {
  Bind();
  for (const auto& call : AllCalls()) {
    const int refused = call.boolean ? 0 : 1;
    EXPECT_EQ(call.run(&empty, &source), refused) << call.name << ": target without pixels";
  }
  // A source without pixels is refused whatever the bit counts.
  EXPECT_EQ(DrawImageOp(&indexed, &empty, 0, 0, 0, 0, 0, 0), 1);
  EXPECT_EQ(StretchDrawImageOp(&target, nullptr, 0, 0, 1, 1, 0, 0, 1, 1), 1);
  EXPECT_EQ(ApplyPixelOp25(&target, &source, &empty, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 1);
  EXPECT_EQ(StretchDrawImageOp(&target, &indexed, 0, 0, 1, 1, 0, 0, 1, 1), 2);
  EXPECT_EQ(StretchDrawImageOp(&indexed, &source, 0, 0, 1, 1, 0, 0, 1, 1), 2);
  EXPECT_EQ(ApplyPixelOp5(&indexed, 1, 9, 3, 4), 1);
  EXPECT_EQ(ApplyPixelOp7(&indexed, 1, 2), 1);
  EXPECT_EQ(ApplyPixelOp13(&indexed, 0, 0, 1, 1), 2);
  EXPECT_FALSE(ApplyPixelOp23(&indexed, 0));
  EXPECT_EQ(MirrorImageA(&empty, 0), 1);
  // Our library leaves these entries out: they answer as without a library.
  for (const char* absent : {"5", "7", "12", "21", "23", "24"}) {
    for (const auto& call : AllCalls()) {
      if (std::string(call.name) == absent) {
        EXPECT_EQ(call.run(&target, &source), call.boolean ? 0 : 2) << absent;
      }
    }
  }
  // A library failure: a source rectangle outside the source, an unknown mode.
  EXPECT_EQ(StretchDrawImageOp(&target, &source, 4, 4, 8, 8, 0, 0, 4, 4), 3);
  EXPECT_EQ(TransformDrawImageOp(&target, &source, 0, 0, 8, 0, 0, 8, 1, 0, 255), 3);
  EXPECT_FALSE(target.Changed());
}

TEST_F(LibraryImageOpsTest, MirrorsMatchAPlainReflection) {
  Bind();
  for (Surface* s : {&target, &indexed}) {
    const int w = s->GetWidth(), h = s->GetHeight();
    const bool wide = s->GetBitsPerPixel() == 32;
    auto read = [&](int x, int y) {
      return wide ? At<uint32_t>(*s, x, y) : uint32_t(At<uint8_t>(*s, x, y));
    };
    std::vector<uint32_t> before;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) before.push_back(read(x, y));
    ASSERT_EQ(MirrorImageA(s, 0), 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) ASSERT_EQ(read(x, y), before[size_t(y * w + (w - 1 - x))]);
    ASSERT_EQ(MirrorImageA(s, 0), 0);
    ASSERT_EQ(MirrorImageB(s, 0), 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) ASSERT_EQ(read(x, y), before[size_t((h - 1 - y) * w + x)]);
    EXPECT_TRUE(s->Changed());
    EXPECT_EQ(s->Region()->Rects(), (std::vector<Rect>{{0, 0, w, h}}));
  }
  // A target without a region is still marked changed.
  EXPECT_EQ(MirrorImageB(&source, 0), 0);
  EXPECT_TRUE(source.Changed());
}

TEST_F(LibraryImageOpsTest, DrawAtALevelPlacesTheSourceRectangle) {
  Bind();
  const auto before = Pixels32(target);
  // Mode 0 at full level copies the part (1, 1)-(5, 4) of the source to (9, 8):
  // only its first three columns and two rows fall inside.
  const Rect part{1, 1, 5, 4};
  ASSERT_EQ(DrawImageOp(&target, &source, 0, 255, 0, 9, 8, &part), 0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 9 && y >= 8;
      const uint32_t expected = inside ? At<uint32_t>(source, x - 8, y - 7) : before[size_t(y * 12 + x)];
      ASSERT_EQ(At<uint32_t>(target, x, y), expected) << x << "," << y;
    }
  EXPECT_EQ(target.Region()->Rects(), (std::vector<Rect>{{9, 8, 12, 10}}));
  // Level 0 draws nothing; an unknown mode is a library failure.
  EXPECT_EQ(DrawImageOp(&target, &source, 0, 0, 0, 0, 0, nullptr), 0);
  EXPECT_EQ(DrawImageOp(&target, &source, 9, 255, 0, 0, 0, nullptr), 3);
}

TEST_F(LibraryImageOpsTest, StretchedDrawAveragesLikeABoxFilter) {
  Bind();
  const auto before = Pixels32(target);
  // The 8 x 8 source halved into (6, 7): only its top 3 rows fall inside.
  ASSERT_EQ(StretchDrawImageOp(&target, &source, 0, 0, 8, 8, 6, 7, 4, 4), 0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      uint32_t expected = before[size_t(y * 12 + x)];
      if (x >= 6 && x < 10 && y >= 7) {
        const int sx = (x - 6) * 2, sy = (y - 7) * 2;
        expected = 0;
        for (int c = 0; c < 32; c += 8) {
          uint32_t sum = 0;
          for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i) sum += At<uint32_t>(source, sx + i, sy + j) >> c & 0xFF;
          expected |= ((sum + 2) / 4) << c;
        }
      }
      ASSERT_EQ(At<uint32_t>(target, x, y), expected) << x << "," << y;
    }
  EXPECT_EQ(target.Region()->Rects(), (std::vector<Rect>{{6, 7, 10, 10}}));
  // Growing repeats pixels.
  ASSERT_EQ(StretchDrawImageOp(&target, &source, 1, 2, 2, 1, 0, 0, 6, 3), 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(At<uint32_t>(target, x, y), At<uint32_t>(source, 1 + x / 3, 2));
}

TEST_F(LibraryImageOpsTest, TransformedDrawAndClear) {
  Bind();
  // The identity parallelogram at (2, 1) is a plain copy.
  ASSERT_EQ(TransformDrawImageOp(&target, &source, 2, 1, 10, 1, 2, 9, 0, 0, 255), 0);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      ASSERT_EQ(At<uint32_t>(target, x + 2, y + 1), At<uint32_t>(source, x, y));
  EXPECT_EQ(target.Region()->Rects(), (std::vector<Rect>{{2, 1, 10, 9}}));
  // Entry 13 clears a rectangle to transparent black, cut to the image.
  const auto before = Pixels32(target);
  ASSERT_EQ(ApplyPixelOp13(&target, -3, 8, 2, 20), 0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x)
      EXPECT_EQ(At<uint32_t>(target, x, y), (x < 2 && y >= 8) ? 0u : before[size_t(y * 12 + x)]);
}

}  // namespace
}  // namespace orrivel
