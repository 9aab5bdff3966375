// Natives 354-398 through compiled scripts: each native's answer and
// failure value, blends and filters on small known pictures, the timed
// transition effects and the operations of the pixel-operation library.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ImageNativesRig.h"
#include "raster/LibraryImageOps.h"
#include "raster/PixelOpLibrary.h"
#include "raster/Surface.h"
#include "raster/SurfaceDrawing.h"
#include "transition/TransitionEffect.h"

namespace orrivel::testing {
namespace {

class ImageDrawNativesTest : public ImageNativesRig {
 protected:
  void TearDown() override {
    SetCurrentPixelOpLibrary(nullptr);
    library_.reset();
    ResetPixelOpEntries();
    ImageNativesRig::TearDown();
  }
  void BindLibrary() {
    library_ = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    ASSERT_TRUE(library_->HasModule()) << library_->Error();
    SetCurrentPixelOpLibrary(library_.get());
  }
  static std::vector<Arg> Cells(std::vector<int64_t> cells) {
    std::vector<Arg> out;
    for (int64_t c : cells) out.push_back(Arg::Int(c));
    return out;
  }
  std::unique_ptr<PixelOpLibrary> library_;
};

constexpr int64_t W = 65535;

// Every native once with pictures that resolve (no library loaded), then
// with each image cell in turn replaced by a null handle and by a listed
// image without a drawing surface: the failure value, nothing drawn.
TEST_F(ImageDrawNativesTest, AnswersAndFailureValues) {
  struct Row {
    const char* native;
    std::vector<int64_t> cells;  // -1 and -2 stand for the first and second picture, -3 for an 8-bit mask
    std::vector<size_t> images;  // positions of the image cells
    int32_t answer, failure;
  };
  const Row rows[] = {
      {"NativeBlendOpacity", {-1, -2, 128, W}, {0, 1}, 0, -1},
      {"NativeStretchBlendOpacity", {-1, -2, 128, W}, {0, 1}, 0, -1},
      {"NativeBlendModulated", {-1, -2, 1, 2, 3, 4, 5, 6, W}, {0, 1}, 0, -1},
      {"NativeStretchBlendModulated", {-1, -2, 1, 2, 3, 4, 5, 6, W}, {0, 1}, 0, -1},
      {"NativeBlendByMode", {0, -1, -2, W}, {1, 2}, 0, -1},
      {"NativeStretchBlendByMode", {0, -1, -2, W}, {1, 2}, 0, -1},
      {"NativeDrawAdd", {-1, -2, 128, W}, {0, 1}, 0, -1},
      {"NativeDrawSubtract", {-1, -2, 128, W}, {0, 1}, 0, -1},
      {"NativeDrawAlphaBlend", {0, -1, -2, 255, W}, {1, 2}, 0, -1},
      {"NativeStretchDrawAlphaBlend", {0, -1, -2, 255, W}, {1, 2}, 0, -1},
      {"NativeDrawComposite", {-1, -2, 255, W}, {0, 1}, 0, -1},
      {"NativeStretchDrawComposite", {-1, -2, 255, W}, {0, 1}, 0, -1},
      {"NativeDrawMasked", {-1, -2, -3, 255, 256, 16, W}, {0, 1, 2}, 0, -1},
      {"NativeDrawMaskedProduct", {-1, -2, -3, 255, 256, 16, W}, {0, 1, 2}, 0, -1},
      {"NativeDrawBlurred", {-1, -2, 1, 255, W}, {0, 1}, 0, -1},
      {"NativeDrawBlurredAlpha", {-1, -2, 1, 255, W}, {0, 1}, 0, -1},
      {"NativeScaleCopy", {-1, -2, W}, {0, 1}, 0, -1},
      {"NativeMapQuad", {-1, -2, 0, 0, 4, 0, 0, 4, 4, 4, W, 0, 0, 0, W}, {0, 1}, 0, -1},
      {"NativeMapQuadFlagged", {-1, -2, 0, 0, 4, 0, 0, 4, 4, 4, W, 0, 0, 0, W}, {0, 1}, 0, -1},
      {"NativeGrayScale", {-1, W}, {0}, 0, -1},
      {"NativeTone", {-1, 128, 128, 128, 0, 0, 0, W}, {0}, 0, -1},
      {"NativeNegate", {-1, 0, W}, {0}, 0, -1},
      {"NativeBlur", {-1, 2, W}, {0}, 0, -1},
      {"NativeMosaic", {-1, 2, 1, W}, {0}, 0, -1},
      {"NativeScaleSmooth", {-1, 0, 0, 0, 0, 255, 255, 255, W}, {0}, 0, -2},
      {"NativeAdjustLevels", {-1, 128, 0, W}, {0}, 1, 0},
      {"NativeDrawImageOp", {-1, -2, 0, 255, 0, W}, {0, 1}, 2, -1},
      {"NativeStretchDrawImageOp", {-1, -2, 0, 0, 255, 0, W}, {0, 1}, 2, -1},
      {"NativeTransformDrawImageOp", {-1, -2, 0, 0, 4, 0, 0, 4, 0, 0, 255, 0, 0, 0, W}, {0, 1}, 2, -1},
      {"NativeTransformDrawImageOpFixed", {-1, -2, 65536, 0, 0, 65536, 0, 0, 0, 0, 255, 0, 0, 0, W}, {0, 1}, 2, -1},
      {"NativeApplyPixelOp13", {-1, 1, 1, 0, W}, {0}, 2, -1},
      {"NativeMirrorImageA", {-1, W}, {0}, 1, -1},
      {"NativeMirrorImageB", {-1, W}, {0}, 1, -1},
      {"NativeApplyPixelOp21", {-1, 1}, {0}, 0, 0},
      {"NativeApplyPixelOp23", {-1, 1}, {0}, 0, 0},
      {"NativeApplyPixelOp24", {-1, 1}, {0}, 0, 0},
      {"NativeApplyPixelOp25", {-1, -2, -2, 128, 0, W}, {0, 1, 2}, 2, -1},
      {"NativeApplyPixelOp26", {-1, -2, -2, -3, 128, 16, 0, W}, {0, 1, 2, 3}, 2, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.native);
    const uint32_t first = Picture(4, 4), second = Picture(4, 4, 32, 0x80402010), mask = Picture(4, 4, 8);
    auto args = [&](size_t bad, uint32_t badHandle) {
      std::vector<Arg> out;
      for (size_t i = 0; i < row.cells.size(); ++i) {
        int64_t c = row.cells[i];
        if (c == -1) c = first;
        if (c == -2) c = second;
        if (c == -3) c = mask;
        out.push_back(Arg::Int(i == bad ? badHandle : c));
      }
      // Cells the row leaves out read as zeros.
      while (out.size() < 22) out.push_back(Arg::Int(0));
      return out;
    };
    EXPECT_EQ(Result(row.native, args(size_t(-1), 0)), row.answer);
    for (size_t bad : row.images) {
      const auto before = Words(S(first));
      for (uint32_t badHandle : {0u, pixels_}) {
        if (row.cells[bad] == -3 && badHandle == 0 && std::string(row.native).starts_with("NativeDrawMasked"))
          continue;  // 0 names no mask
        EXPECT_EQ(Result(row.native, args(bad, badHandle)), row.failure) << "cell " << bad;
      }
      EXPECT_EQ(Words(S(first)), before);
    }
  }
}

TEST_F(ImageDrawNativesTest, BlendsAndDrawsOnKnownPictures) {
  // Saturating subtract of a white source clears the colour where it draws.
  const uint32_t destination = Picture(6, 4), white = Picture(2, 2);
  S(white).FillRect(0xFFFFFFFFu, nullptr);
  EXPECT_EQ(Result("NativeBlendByMode", Cells({2, destination, white, 3, 1, W})), 0);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 6; ++x) {
      const bool drawn = x >= 3 && x < 5 && y >= 1 && y < 3;
      const uint32_t original = 0x10203 + 0x010101u * uint32_t(y * 6 + x);
      EXPECT_EQ(Word(S(destination), x, y) & 0xFFFFFF, drawn ? 0u : original) << x << "," << y;
    }
  // The layout A draw passes its mode and level bytes in order: against a
  // direct call on a twin.
  const uint32_t source = Picture(3, 3, 32, 0x80102030);
  const uint32_t a = Picture(6, 6), twin = Picture(6, 6);
  EXPECT_EQ(Result("NativeDrawAlphaBlend", Cells({1, a, source, 200, 1, 2, 0, 0, 2, 2})), 0);
  const Rect part{0, 0, 2, 2};
  ASSERT_EQ(DrawAlphaBlend(&S(twin), 1, &S(source), 200, 1, 2, &part), 0);
  EXPECT_EQ(Words(S(a)), Words(S(twin)));
  // The masked draw without a mask (cell 2 = 0) uses the source's alpha.
  const uint32_t b = Picture(6, 6), twinB = Picture(6, 6);
  EXPECT_EQ(Result("NativeDrawMasked", Cells({b, source, 0, 255, 256, 8, 2, 2, W})), 0);
  ASSERT_EQ(DrawMasked(&S(twinB), &S(source), nullptr, 255, 256, 8, 2, 2, nullptr), 0);
  EXPECT_EQ(Words(S(b)), Words(S(twinB)));
}

TEST_F(ImageDrawNativesTest, FiltersOnSmallPictures) {
  // Grey: luma into the colour, alpha kept, key pixels left alone.
  const uint32_t grey = Picture(2, 1);
  Put(S(grey), 0, 0, 0x80FF8040);
  Put(S(grey), 1, 0, 0x00123456);
  S(grey).SetColorKeyAt(1, 0);
  EXPECT_EQ(Result("NativeGrayScale", Cells({grey, W})), 0);
  const uint32_t luma = (77 * 0xFF + 150 * 0x80 + 29 * 0x40) >> 8;
  EXPECT_EQ(Word(S(grey), 0, 0), 0x80000000u | luma << 16 | luma << 8 | luma);
  EXPECT_EQ(Word(S(grey), 1, 0), 0x00123456u);
  // Tone: scale 128 keeps, the offsets add and clamp.
  const uint32_t tone = Picture(1, 1);
  Put(S(tone), 0, 0, 0x40F01020);
  EXPECT_EQ(Result("NativeTone", Cells({tone, 128, 128, 256, 16, -32, 0, W})), 0);
  EXPECT_EQ(Word(S(tone), 0, 0), 0x40FF0040u);
  // Negate: mode 0 the colour, 1 colour and alpha, others the alpha.
  const struct {
    uint8_t mode;
    uint32_t expected;
  } negations[] = {{0, 0x40EDCBA9u}, {1, 0xBFEDCBA9u}, {7, 0xBF123456u}};
  for (const auto& n : negations) {
    const uint32_t image = Picture(1, 1);
    Put(S(image), 0, 0, 0x40123456);
    EXPECT_EQ(Result("NativeNegate", Cells({image, n.mode, W})), 0);
    EXPECT_EQ(Word(S(image), 0, 0), n.expected) << int(n.mode);
  }
  // Blur, mosaic at each anchor corner, gradient and level adjustments:
  // the natives draw what the operations draw for the cells' meaning.
  struct Twin {
    const char* native;
    std::vector<int64_t> cells;  // after the image
    std::function<void(Surface*)> direct;
  };
  const Rect box{1, 1, 7, 6};
  const Twin twins[] = {
      {"NativeBlur", {2, 1, 1, 7, 6}, [&](Surface* s) { Blur(s, 2, &box); }},
      {"NativeMosaic", {3, 1, W}, [](Surface* s) { Mosaic(s, 3, 1, nullptr); }},
      {"NativeMosaic", {3, 2, W}, [](Surface* s) { Mosaic(s, 3, 2, nullptr); }},
      {"NativeMosaic", {3, 3, W}, [](Surface* s) { Mosaic(s, 3, 3, nullptr); }},
      {"NativeMosaic", {3, 4, 1, 1, 7, 6}, [&](Surface* s) { Mosaic(s, 3, 4, &box); }},
      {"NativeScaleSmooth", {1, 0, 0, 0, 255, 128, 64, W},
       [](Surface* s) { ScaleSmooth(s, 1, 0, 0xFF8040, nullptr); }},
      {"NativeAdjustLevels", {64, 10, W}, [](Surface* s) { AdjustLevels(s, 64, 10, nullptr); }},
  };
  for (const Twin& t : twins) {
    SCOPED_TRACE(t.native);
    const uint32_t image = Picture(8, 7, 32, 0x20406080), twin = Picture(8, 7, 32, 0x20406080);
    std::vector<int64_t> cells{image};
    cells.insert(cells.end(), t.cells.begin(), t.cells.end());
    Result(t.native, Cells(cells));
    t.direct(&S(twin));
    EXPECT_EQ(Words(S(image)), Words(S(twin)));
  }
  // A level table of the script's memory maps the alpha bytes; one that
  // does not lie in the arena ends the step.
  const uint32_t levels = Picture(2, 1);
  Put(S(levels), 0, 0, 0xFF000000);
  Put(S(levels), 1, 0, 0x10000000);
  const NativeCall call = Call("NativeApplyLevelTable", {Arg::Int(levels), Arg::Buffer(256, std::string(255, 'A')),
                                                         Arg::Int(W), Arg::Int(0), Arg::Int(0), Arg::Int(0)});
  EXPECT_EQ(call.Result(), 1);
  EXPECT_EQ(Word(S(levels), 0, 0), 0x00000000u);  // table[255] is the terminating zero
  EXPECT_EQ(Word(S(levels), 1, 0), 0x41000000u);
  EXPECT_FALSE(Call("NativeApplyLevelTable", Cells({levels, 0x7FFFFFF0, W})).Ran());
}

TEST_F(ImageDrawNativesTest, TransitionEffectsStartRunAndEnd) {
  const uint32_t target = Picture(8, 8), source = Picture(8, 8, 32, 0x808080);
  // Kind 30 starts a fade of kind 0; duration 0 runs as 1 ms; 65535 in
  // cell 4 works on the target's clip rectangle.
  const uint32_t handle = uint32_t(Result("NativeStartTransitionEffect", Cells({30, 0, target, 0, W, 0, 0, W})));
  ASSERT_NE(handle, 0u);
  ASSERT_EQ(timers_.Tasks().size(), 1u);
  auto* effect = dynamic_cast<TransitionEffect*>(timers_.Tasks()[0]);
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->Kind(), 0);
  EXPECT_EQ(effect->Duration(), 1u);
  EXPECT_EQ(Result("NativeEffectAccepts", Cells({handle})), 1);
  EXPECT_EQ(Result("NativeCompleteEffectIfAccepted", Cells({handle})), 0);
  const uint32_t start = effect->Start();
  timers_.Step(start + 5);
  EXPECT_EQ(Result("NativeEffectAccepts", Cells({handle})), 0);
  // A copy kind runs until cancelled.
  const uint32_t copy = uint32_t(Result("NativeStartTransitionEffect", Cells({2, 1000, target, source, 0, 0, 0, W})));
  ASSERT_NE(copy, 0u);
  EXPECT_EQ(Result("NativeScheduleEffectValue", Cells({copy})), 0);
  timers_.Step(start + 10);
  EXPECT_EQ(Result("NativeEffectAccepts", Cells({copy})), 0);
  // Images that do not resolve start nothing.
  for (const auto& [t, s] : {std::pair{0u, 0u}, std::pair{pixels_, 0u}, std::pair{target, pixels_}}) {
    EXPECT_EQ(Result("NativeStartTransitionEffect", Cells({2, 100, t, s, 0, 0, 0, W})), 0);
  }
  EXPECT_EQ(timers_.Size(), 0u);
}

TEST_F(ImageDrawNativesTest, LibraryOperations) {
  BindLibrary();
  // The 16.16 matrix of the identity draws an unscaled, unrotated copy.
  const uint32_t source = Picture(4, 3, 32, 0xFF102030);
  const uint32_t canvas = Picture(8, 8);
  EXPECT_EQ(Result("NativeTransformDrawImageOpFixed",
                   Cells({canvas, source, 65536, 0, 0, 65536, 2 << 16, 1 << 16, 0, 0, 255, 0, 0, 0, W})),
            0);
  for (int32_t y = 0; y < 3; ++y)
    for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(Word(S(canvas), x + 2, y + 1), Word(S(source), x, y));
  EXPECT_EQ(Word(S(canvas), 0, 0), 0x10203u);
  // 389 hands its two flags and cell 13 on to the entry, and its second
  // rectangle still bounds the draw: only the columns left of x 4 change.
  const uint32_t clipped = Picture(8, 8), untouched = Picture(8, 8);
  EXPECT_EQ(Result("NativeTransformDrawImageOp",
                   Cells({clipped, source, 2, 1, 6, 1, 2, 4, 0, 0, 255, 1, 1, 9, 0, 0, 4, 3, 0, 0, 4, 8})),
            0);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x) {
      const bool drawn = x >= 2 && x < 4 && y >= 1 && y < 4;
      EXPECT_EQ(Word(S(clipped), x, y), drawn ? Word(S(source), x - 2, y - 1) : Word(S(untouched), x, y)) << x << "," << y;
    }
  // The blur of 391 with its rectangle, against the operation on a twin.
  const uint32_t blurred = Picture(8, 8), twin = Picture(8, 8);
  EXPECT_EQ(Result("NativeApplyPixelOp13", Cells({blurred, 2, 1, 0, 1, 1, 6, 7})), 0);
  const Rect box{1, 1, 6, 7};
  ASSERT_EQ(ApplyPixelOp13(&S(twin), 2, 1, 0, &box), 0);
  EXPECT_EQ(Words(S(blurred)), Words(S(twin)));
  EXPECT_EQ(Result("NativeMirrorImageA", Cells({blurred, W})), 0);
  EXPECT_EQ(Word(S(blurred), 0, 0), Word(S(twin), 7, 0));
  // Entries the library leaves out answer as without one.
  EXPECT_EQ(Result("NativeApplyPixelOp21", Cells({blurred, 1})), 0);
  EXPECT_EQ(Result("NativeApplyPixelOp5", Cells({blurred, 1, 9, 0, W})), 2);
  // The pair chain: the first pair starting with 65535 and all after it
  // pass as zeros.
  const uint32_t from = Picture(8, 8, 32, 0x000000), to = Picture(8, 8, 32, 0xF0F0F0);
  const uint32_t chained = Picture(8, 8), expected = Picture(8, 8);
  EXPECT_EQ(Result("NativeApplyPixelOp25", Cells({chained, from, to, 128, 0, 1, 1, 4, 4, W, 3, 5, 5})), 0);
  ASSERT_EQ(ApplyPixelOp25(&S(expected), &S(from), &S(to), 128, 0, 1, 1, 4, 4, 0, 0, 0, 0), 0);
  EXPECT_EQ(Words(S(chained)), Words(S(expected)));
  const uint32_t rule = Picture(8, 8, 8);
  const uint32_t ruled = Picture(8, 8), expectedRule = Picture(8, 8);
  EXPECT_EQ(Result("NativeApplyPixelOp26", Cells({ruled, from, to, rule, 100, 16, 0, 0, 0, 8, 8, 2, 2, W, 1, 1, 1})), 0);
  ASSERT_EQ(ApplyPixelOp26(&S(expectedRule), &S(from), &S(to), &S(rule), 100, 16, 0, 0, 0, 8, 8, 2, 2, 0, 0, 0, 0), 0);
  EXPECT_EQ(Words(S(ruled)), Words(S(expectedRule)));
}

// The cells a library native hands on: the mirror's rectangle, and the
// stretched draw's mode and opacity.
TEST_F(ImageDrawNativesTest, LibraryNativesPassEveryCellOn) {
  BindLibrary();
  const uint32_t mirrored = Picture(8, 8), flipped = Picture(8, 8), original = Picture(8, 8);
  EXPECT_EQ(Result("NativeMirrorImageA", Cells({mirrored, 2, 1, 6, 3})), 0);
  EXPECT_EQ(Result("NativeMirrorImageB", Cells({flipped, 2, 1, 6, 3})), 0);
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
      const bool inside = x >= 2 && x < 6 && y >= 1 && y < 3;
      EXPECT_EQ(Word(S(mirrored), x, y), Word(S(original), inside ? 7 - x : x, y));
      EXPECT_EQ(Word(S(flipped), x, y), Word(S(original), x, inside ? 3 - y : y));
    }
  }

  // Mode 2 blends by the source's alpha times the opacity byte; mode 0 copies.
  const uint32_t half = Picture(4, 4);
  struct Case {
    int64_t mode;
    int64_t opacity;
    int32_t result;
    uint32_t pixel;
  };
  for (const Case c : {Case{0, 0, 0, 0x80FFFFFFu}, Case{2, 0, 0, 0xFF000000u}, Case{2, 255, 0, 0xFF808080u},
                       Case{5, 255, 3, 0xFF000000u}}) {
    SCOPED_TRACE(c.mode * 1000 + c.opacity);
    const uint32_t target = Picture(4, 4);
    S(target).FillRect(0xFF000000u, nullptr);
    S(half).FillRect(0x80FFFFFFu, nullptr);
    EXPECT_EQ(Result("NativeStretchDrawImageOp", Cells({target, half, c.mode, 0, c.opacity, 0, 0, 0, 4, 4, W})),
              c.result);
    EXPECT_EQ(Word(S(target), 1, 1), c.pixel);
  }
}

}  // namespace
}  // namespace orrivel::testing
