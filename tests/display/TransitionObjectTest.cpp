// The transition object over a recording transition library: what create
// checks, what each step passes and keeps, the refill of a surface-image
// destination, the failures, and its bounds as a scene object.
#include "display/TransitionObject.h"

#include <gtest/gtest.h>

#include <vector>

#include "display/SurfaceImageRig.h"
#include "display/TransitionRunner.h"
#include "raster/Surface.h"

namespace orrivel {
namespace {

// Records every step (with the destination's first pixel as the library
// finds it) and answers a chosen code.
class RecordingRunner final : public TransitionRunner {
 public:
  struct Call {
    uint32_t mode;
    Image* destination;
    Image* source;
    int32_t progress;
    int32_t option1;
    int32_t option2;
    int32_t firstPixel;
  };
  int Run(uint32_t mode, Image* destination, Image* source, int32_t progress, int32_t option1,
          int32_t option2, int32_t, int32_t) override {
    int32_t pixel = -1;
    if (auto* surfaceImage = dynamic_cast<SurfaceImage*>(destination)) pixel = surfaceImage->ReadPixel(0, 0);
    calls.push_back({mode, destination, source, progress, option1, option2, pixel});
    return answer;
  }
  std::vector<Call> calls;
  int answer = 0;
};

std::unique_ptr<Surface> Picture(int32_t width, int32_t height) {
  auto surface = std::make_unique<Surface>();
  EXPECT_EQ(surface->Create(width, height, 32, 0), 0);
  return surface;
}

TEST(TransitionObjectTest, CreateChecksItsImagesAndDrawsOnce) {
  RecordingRunner runner;
  auto source = Picture(20, 10);
  auto destination = Picture(40, 30);
  Surface empty;  // no pixels
  struct Case {
    Image* destination;
    Image* source;
    int code;
  };
  const Case cases[] = {
      {destination.get(), nullptr, 1},
      {destination.get(), &empty, 1},
      {&empty, source.get(), 2},
      {destination.get(), source.get(), 0},
      {nullptr, source.get(), 0},
  };
  for (const Case& c : cases) {
    runner.calls.clear();
    TransitionObject object(&runner);
    EXPECT_EQ(object.Create(c.destination, c.source, 7, 3, 4, 128, 5, 6), c.code);
    if (c.code != 0) {
      // Nothing half-bound stays referenced.
      EXPECT_EQ(object.Source(), nullptr);
      EXPECT_EQ(object.Destination(), nullptr);
      int32_t x = -1;
      object.GetPosition(&x, nullptr);
      EXPECT_EQ(x, 0);
      continue;
    }
    EXPECT_EQ(object.GetKind(), 2);
    EXPECT_EQ(object.Progress(), 128);
    if (c.destination == nullptr) {
      // Without a destination only the progress is stored.
      EXPECT_TRUE(runner.calls.empty());
      EXPECT_EQ(object.Option1(), 0);
      EXPECT_EQ(object.DrawStep(200), 0);
      EXPECT_EQ(object.Progress(), 200);
      EXPECT_TRUE(runner.calls.empty());
    } else {
      ASSERT_EQ(runner.calls.size(), 1u);
      const auto& call = runner.calls[0];
      EXPECT_EQ(call.mode, 7u);
      EXPECT_EQ(call.destination, destination.get());
      EXPECT_EQ(call.source, source.get());
      EXPECT_EQ(call.progress, 128);
      EXPECT_EQ(call.option1, 5);
      EXPECT_EQ(call.option2, 6);
      EXPECT_EQ(object.DrawRect(), (Rect{0, 0, 40, 30}));
    }
  }
}

TEST(TransitionObjectTest, AFailedStepIsNeverSuccess) {
  RecordingRunner runner;
  auto source = Picture(20, 10);
  auto destination = Picture(40, 30);
  TransitionObject object(&runner);
  ASSERT_EQ(object.Create(destination.get(), source.get(), 1, 0, 0, 10, 0, 0), 0);
  struct Case {
    int answer;
    int result;
  };
  // A failure keeps the last good progress.
  for (const Case& c : {Case{1, 2}, Case{4, 5}, Case{-1, TransitionObject::kStepRefused}}) {
    runner.answer = c.answer;
    EXPECT_EQ(object.DrawStep(99), c.result);
    EXPECT_NE(object.DrawStep(99), 0);
    EXPECT_EQ(object.Progress(), 10);
  }
  runner.answer = 0;
  EXPECT_EQ(object.DrawStep(64), 0);
  EXPECT_EQ(object.Progress(), 64);
  // The first draw failing makes create fail with 3 and drop both images.
  runner.answer = -1;
  TransitionObject failing(&runner);
  EXPECT_EQ(failing.Create(destination.get(), source.get(), 99, 1, 1, 10, 0, 0), 3);
  EXPECT_EQ(failing.Source(), nullptr);
  EXPECT_EQ(failing.Destination(), nullptr);
  // Restore draws the stored progress again.
  runner.answer = 0;
  runner.calls.clear();
  EXPECT_EQ(object.Restore(), 0);
  ASSERT_EQ(runner.calls.size(), 1u);
  EXPECT_EQ(runner.calls[0].progress, 64);
}

TEST(TransitionObjectTest, ImagesChangeOnlyToUsableOnes) {
  RecordingRunner runner;
  auto source = Picture(20, 10);
  auto other = Picture(8, 8);
  auto destination = Picture(40, 30);
  Surface empty;
  TransitionObject object(&runner);
  EXPECT_EQ(object.SetSource(other.get()), 1);  // no source yet
  EXPECT_EQ(object.SetDestination(destination.get()), 1);
  EXPECT_EQ(object.DrawStep(5), 1);
  ASSERT_EQ(object.Create(nullptr, source.get(), 0, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(object.SetSource(nullptr), 1);
  EXPECT_EQ(object.SetSource(&empty), 1);
  EXPECT_EQ(object.SetSource(other.get()), 0);
  EXPECT_EQ(object.Source(), other.get());
  EXPECT_FALSE(object.SetPosition(1, 2, nullptr));  // needs a destination
  EXPECT_EQ(object.SetDestination(&empty), 1);
  EXPECT_EQ(object.SetDestination(destination.get()), 0);
  const Rect wide{-5, 10, 100, 20};
  destination->SetClipRect(nullptr);
  ASSERT_TRUE(object.SetPosition(3, 4, &wide));
  EXPECT_EQ(object.DrawRect(), (Rect{0, 10, 40, 20}));
  EXPECT_EQ(object.OriginX(), 3);
  EXPECT_EQ(object.OriginY(), 4);
  EXPECT_EQ(object.SetDestination(nullptr), 0);
  EXPECT_EQ(object.Destination(), nullptr);
}

TEST(TransitionObjectTest, BoundsHitsAndOverlaps) {
  auto source = Picture(20, 10);
  auto destination = Picture(40, 30);
  RecordingRunner runner;
  TransitionObject a(&runner);
  TransitionObject b(&runner);
  Rect bounds;
  EXPECT_FALSE(a.GetBounds(&bounds));
  EXPECT_FALSE(a.HitTest(0, 0, 0));
  ASSERT_EQ(a.Create(nullptr, source.get(), 0, 100, 50, 0, 0, 0), 0);
  ASSERT_TRUE(a.GetBounds(&bounds));
  EXPECT_EQ(bounds, (Rect{100, 50, 120, 60}));
  EXPECT_TRUE(a.HitTest(100, 50, 0));
  EXPECT_FALSE(a.HitTest(120, 50, 0));
  // Precise, on a source that is no surface image: every point inside hits,
  // whatever its pixel.
  reinterpret_cast<uint32_t*>(source->GetScanLine(1))[1] = 0x00FFFFFFu;
  EXPECT_TRUE(a.HitTest(101, 51, 1));
  ASSERT_EQ(b.Create(destination.get(), source.get(), 0, 0, 0, 0, 0, 0), 0);
  EXPECT_FALSE(a.Overlaps(&b));
  EXPECT_FALSE(a.Overlaps(nullptr));
  b.SetSizeAndPosition(101, 51, 0, 0);
  EXPECT_TRUE(a.Overlaps(&b));
  b.MoveBy(-1, 0);  // edges that only touch do not overlap
  EXPECT_FALSE(a.Overlaps(&b));
}

// The scene and the natives reach the object only as a scene object.
TEST(TransitionObjectTest, PointAndOverlapTestsAnswerThroughTheSceneObject) {
  auto source = Picture(20, 10);
  RecordingRunner runner;
  TransitionObject a(&runner);
  TransitionObject b(&runner);
  ASSERT_EQ(a.Create(nullptr, source.get(), 0, 100, 50, 0, 0, 0), 0);
  ASSERT_EQ(b.Create(nullptr, source.get(), 0, 110, 55, 0, 0, 0), 0);
  SceneObject& scene = a;
  EXPECT_TRUE(scene.HitTest(105, 55, 0));
  EXPECT_TRUE(scene.HitTest(105, 55, 1));
  EXPECT_FALSE(scene.HitTest(120, 55, 0));
  EXPECT_TRUE(scene.Overlaps(&b));
  b.SetPosition(120, 55);
  EXPECT_FALSE(scene.Overlaps(&b));
}

class TransitionObjectRefillTest : public testing::SurfaceImageRig {};

TEST_F(TransitionObjectRefillTest, OnlyADestinationWithAFillColourIsRefilled) {
  Boot(32);
  RecordingRunner runner;
  auto source = Picture(8, 8);
  SurfaceImage filled;
  SurfaceImage plain;
  ASSERT_EQ(filled.CreateBlank(16, 16, 1, 0, nullptr), 0);
  ASSERT_EQ(plain.CreateBlank(16, 16, 1, 0, nullptr), 0);
  ASSERT_EQ(filled.Fill(0x10, 0x20, 0x30), 0);
  ASSERT_EQ(plain.FillColor(), kNoColorKey);
  for (SurfaceImage* image : {&filled, &plain}) {
    TransitionObject object(&runner);
    ASSERT_EQ(object.Create(image, source.get(), 0, 0, 0, 0, 0, 0), 0);
    // What the last step left behind.
    image->GetDisplaySurface()->ColorFill(nullptr, 0x00ABCDEFu);
    runner.calls.clear();
    ASSERT_EQ(object.DrawStep(100), 0);
    ASSERT_EQ(runner.calls.size(), 1u);
    EXPECT_EQ(uint32_t(runner.calls[0].firstPixel) & 0xFFFFFFu,
              image == &filled ? 0x102030u : 0xABCDEFu);
  }
}


// The precise point test is the image object's: on a colour-keyed surface
// image the key's pixels miss and the others hit, through the display size
// where one stretches the source; an unkeyed one hits everywhere inside.
TEST_F(TransitionObjectRefillTest, ThePreciseTestMissesTheKeyOfASurfaceImage) {
  Boot(32);
  RecordingRunner runner;
  SurfaceImage source;
  ASSERT_EQ(source.CreateBlank(8, 4, 1, 0, nullptr), 0);
  ASSERT_EQ(source.Fill(0x10, 0x20, 0x30), 0);
  // The right half shows the key.
  ASSERT_EQ(source.GetDisplaySurface()->ColorFill(nullptr, 0x00FF00FFu), platform::kSurfaceOk);
  const Rect left{0, 0, 4, 4};
  ASSERT_EQ(source.GetDisplaySurface()->ColorFill(&left, 0x00102030u), platform::kSurfaceOk);
  auto destination = Picture(40, 20);
  TransitionObject alone(&runner);
  TransitionObject placed(&runner);
  ASSERT_EQ(alone.Create(nullptr, &source, 0, 100, 50, 0, 0, 0), 0);
  ASSERT_EQ(placed.Create(destination.get(), &source, 0, 0, 0, 0, 0, 0), 0);
  placed.SetSizeAndPosition(16, 8, 200, 50);  // twice the source each way
  ASSERT_EQ(source.GetColorKey(), kNoColorKey);
  EXPECT_TRUE(alone.HitTest(106, 51, 1));
  ASSERT_EQ(source.SetColorKeyRgb(0xFF, 0x00, 0xFF), 0);
  const struct {
    TransitionObject* object;
    int32_t x, y;
    uint8_t precise;
    bool hit;
  } cases[] = {
      {&alone, 101, 51, 1, true},    // left half
      {&alone, 106, 51, 1, false},   // the key
      {&alone, 106, 51, 0, true},    // not precise
      {&alone, 108, 51, 1, false},   // outside the bounds
      {&placed, 207, 57, 1, true},   // source (3, 3)
      {&placed, 208, 50, 1, false},  // source (4, 0): the key
      {&placed, 215, 57, 1, false},  // source (7, 3)
      {&placed, 216, 57, 1, false},  // outside
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << " precise " << int(c.precise));
    EXPECT_EQ(c.object->HitTest(c.x, c.y, c.precise), c.hit);
  }
}

}  // namespace
}  // namespace orrivel
