// The canvas draw object: whole and changed-area presents to device
// contexts and display surfaces, the canvas path, and the timed present.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/PixelLayout.h"
#include "platform/ResidentPagesSupport.h"
#include "raster/ColorBox.h"
#include "raster/PixelFormat.h"
#include "scene/CanvasDrawObject.h"
#include "scene/PresentTask.h"
#include "scene/SceneTestSupport.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

using platform::SoftSurface;
using platform::SurfaceFormat;

constexpr uint32_t kPattern = 0x5A5A5Au;

// A display surface of the format, every pixel the pattern.
std::unique_ptr<SoftSurface> MakeTarget(int32_t w, int32_t h, SurfaceFormat format) {
  auto s = std::make_unique<SoftSurface>();
  if (s->Create(w, h, format) != platform::kSurfaceOk) return nullptr;
  platform::SurfaceLock lock;
  s->Lock(nullptr, &lock);
  const platform::PixelLayout layout(lock.format, s->Palette());
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      layout.WriteArgb(lock.bits + y * lock.pitch + x * layout.BytesPerPixel(), kPattern);
  s->Unlock();
  return s;
}

uint32_t ReadRgb(SoftSurface& s, int32_t x, int32_t y) {
  platform::SurfaceLock lock;
  if (s.Lock(nullptr, &lock) != platform::kSurfaceOk) return 0xDEAD;
  const platform::PixelLayout layout(lock.format, s.Palette());
  const uint32_t v = layout.ReadArgb(lock.bits + y * lock.pitch + x * layout.BytesPerPixel());
  s.Unlock();
  return v & 0x00FFFFFFu;
}

// The pattern as the target's format stores it.
uint32_t StoredPattern(SoftSurface& s) {
  platform::SurfacePixelFormat format;
  s.GetPixelFormat(&format);
  const platform::PixelLayout layout(format, s.Palette());
  return layout.Unpack(layout.Pack(kPattern)) & 0x00FFFFFFu;
}

// Every pixel of the target that is not the pattern.
std::vector<platform::Point> Changed(SoftSurface& s) {
  const uint32_t pattern = StoredPattern(s);
  std::vector<platform::Point> out;
  for (int32_t y = 0; y < s.Height(); ++y)
    for (int32_t x = 0; x < s.Width(); ++x)
      if (ReadRgb(s, x, y) != pattern) out.push_back({x, y});
  return out;
}

// A device context over a display surface, handed out by a window.
class FakeWindow : public WindowDcSource {
 public:
  explicit FakeWindow(SoftSurface* surface) : surface_(surface) {}
  bool GetDC(platform::SurfaceDc* out) override {
    if (refuse) return false;
    ++taken;
    return surface_->GetDC(out) == platform::kSurfaceOk;
  }
  void ReleaseDC(const platform::SurfaceDc& dc) override {
    ++released;
    surface_->ReleaseDC(dc);
  }
  bool refuse = false;
  int taken = 0;
  int released = 0;

 private:
  SoftSurface* surface_;
};

class CanvasDrawObjectTest : public test::SceneTest {};

TEST_F(CanvasDrawObjectTest, APlainPictureSendsOnlyItsChangedArea) {
  CanvasDrawObject object;
  ASSERT_EQ(object.Load(16, 12, 32, 0), 0);
  Surface* picture = object.GetSurface();
  ASSERT_NE(picture->Region(), nullptr);
  picture->Region()->Reset();
  picture->ClearChanged();
  auto target = MakeTarget(16, 12, SurfaceFormat::R5G6B5);
  // Nothing changed: nothing drawn.
  EXPECT_EQ(object.Present(nullptr, nullptr, target.get(), kPixelFormatR5G6B5, 1), -1);
  EXPECT_TRUE(Changed(*target).empty());
  const Rect box{2, 3, 5, 5};
  picture->FillRgb(255, 255, 255, &box);
  ASSERT_TRUE(picture->Changed());
  // No context and a refused lock draw nothing and keep the change.
  FakeWindow window(target.get());
  window.refuse = true;
  EXPECT_EQ(object.Present(&window, nullptr, nullptr, 0, 1), 1);
  EXPECT_EQ(object.Present(nullptr, nullptr, nullptr, 0, 0), 1);
  target->SetBusy(1);
  EXPECT_EQ(object.Present(nullptr, nullptr, target.get(), kPixelFormatR5G6B5, 1), 2);
  EXPECT_TRUE(picture->Changed());
  EXPECT_TRUE(Changed(*target).empty());
  // The changed rectangle alone goes into the surface.
  ASSERT_EQ(object.Present(nullptr, nullptr, target.get(), kPixelFormatR5G6B5, 1), 0);
  const auto changed = Changed(*target);
  EXPECT_EQ(changed.size(), 6u);
  for (const auto& p : changed) {
    EXPECT_TRUE(p.x >= 2 && p.x < 5 && p.y >= 3 && p.y < 5) << p.x << "," << p.y;
    EXPECT_EQ(ReadRgb(*target, p.x, p.y), 0xFFFFFFu);
  }
  EXPECT_EQ(picture->Region()->Count(), 0);
  EXPECT_FALSE(picture->Changed());
  EXPECT_EQ(object.Present(nullptr, nullptr, target.get(), kPixelFormatR5G6B5, 1), -1);
  // The whole picture through a window's context, which is given back.
  window.refuse = false;
  auto screen = MakeTarget(16, 12, SurfaceFormat::X8R8G8B8);
  FakeWindow screenWindow(screen.get());
  ASSERT_EQ(object.Present(&screenWindow, nullptr, nullptr, 0, 0), 0);
  EXPECT_EQ(screenWindow.taken, 1);
  EXPECT_EQ(screenWindow.released, 1);
  EXPECT_EQ(Changed(*screen).size(), size_t(16 * 12));
  EXPECT_EQ(ReadRgb(*screen, 0, 0), 0u);
  EXPECT_EQ(ReadRgb(*screen, 3, 4), 0xFFFFFFu);
  // A given context is used as it is.
  auto other = MakeTarget(16, 12, SurfaceFormat::X8R8G8B8);
  platform::SurfaceDc dc;
  ASSERT_EQ(other->GetDC(&dc), platform::kSurfaceOk);
  const Rect second{10, 10, 12, 12};
  picture->FillRgb(0, 0, 255, &second);
  ASSERT_EQ(object.Present(nullptr, &dc, nullptr, 0, 1), 0);
  other->ReleaseDC(dc);
  EXPECT_EQ(Changed(*other).size(), 4u);
  EXPECT_EQ(ReadRgb(*other, 11, 11), 0x0000FFu);
  // Prepared without a canvas, the surface records nothing: never dirty.
  CanvasDrawObject bare;
  ASSERT_EQ(bare.Prepare(4, 4, 32, 0), 0);
  bare.GetSurface()->FillRgb(1, 2, 3, nullptr);
  EXPECT_EQ(bare.Present(nullptr, &dc, nullptr, 0, 1), -1);
}

TEST_F(CanvasDrawObjectTest, ACanvasRepaintsChangedSpritesAndAllOnAWholePresent) {
  CanvasDrawObject object;
  ASSERT_EQ(object.Load(20, 10, 32, 2), 0);
  ASSERT_NE(object.GetCanvas(), nullptr);
  ASSERT_NE(object.GetOverlayList(), nullptr);
  EXPECT_EQ(object.GetCanvas()->OverlayList(), object.GetOverlayList());
  EXPECT_EQ(object.GetSurface()->Region(), nullptr);
  ColorBox left, right;
  ASSERT_EQ(left.Init(4, 4, 0xFFFF0000u, 1, 1), 0);
  ASSERT_EQ(right.Init(4, 4, 0xFF00FF00u, 12, 2), 0);
  object.GetCanvas()->MainList().Add(&left, 1, 0);
  object.GetCanvas()->MainList().Add(&right, 2, 0);
  auto target = MakeTarget(20, 10, SurfaceFormat::X8R8G8B8);
  ASSERT_EQ(object.Present(nullptr, nullptr, target.get(), kPixelFormatX8R8G8B8, 1), 0);
  EXPECT_EQ(ReadRgb(*target, 2, 2), 0xFF0000u);
  EXPECT_EQ(ReadRgb(*target, 13, 3), 0x00FF00u);
  // Nothing changed since: nothing to send.
  EXPECT_EQ(object.Present(nullptr, nullptr, target.get(), kPixelFormatX8R8G8B8, 1), -1);
  // Scribbles over the target stay until a whole present repaints every sprite.
  auto scribbled = MakeTarget(20, 10, SurfaceFormat::X8R8G8B8);
  left.SetColor(0x0000FF);
  ASSERT_EQ(object.Present(nullptr, nullptr, scribbled.get(), kPixelFormatX8R8G8B8, 1), 0);
  EXPECT_EQ(ReadRgb(*scribbled, 2, 2), 0x0000FFu);
  EXPECT_EQ(ReadRgb(*scribbled, 13, 3), kPattern);
  ASSERT_EQ(object.Present(nullptr, nullptr, scribbled.get(), kPixelFormatX8R8G8B8, 0), 0);
  EXPECT_EQ(ReadRgb(*scribbled, 13, 3), 0x00FF00u);
  EXPECT_TRUE(Changed(*scribbled).size() == size_t(20 * 10));
  // No context for the canvas either.
  EXPECT_EQ(object.Present(nullptr, nullptr, nullptr, 0, 0), 1);
  object.GetCanvas()->MainList().Clear();
}

// An object made without an overlay list can be given one later; it then
// behaves as one made with it: the list stays with the object when the
// canvases change hands, and is drawn over whichever canvas it holds.
TEST_F(CanvasDrawObjectTest, AnOverlayListGivenLaterStaysWithTheObject) {
  CanvasDrawObject bare;
  ASSERT_EQ(bare.Load(20, 10, 32, 0), 0);
  EXPECT_EQ(bare.AddOverlayList(), 1);
  EXPECT_EQ(bare.GetOverlayList(), nullptr);
  CanvasDrawObject shown, behind;
  ASSERT_EQ(shown.Load(20, 10, 32, 1), 0);
  ASSERT_EQ(behind.Load(20, 10, 32, 1), 0);
  ASSERT_EQ(shown.GetOverlayList(), nullptr);
  ASSERT_EQ(shown.AddOverlayList(), 0);
  SpriteList* overlay = shown.GetOverlayList();
  ASSERT_NE(overlay, nullptr);
  EXPECT_EQ(shown.GetCanvas()->OverlayList(), overlay);
  EXPECT_EQ(shown.AddOverlayList(), 0);  // the one it has
  EXPECT_EQ(shown.GetOverlayList(), overlay);
  ColorBox picture, window;
  ASSERT_EQ(picture.Init(20, 10, 0xFFFF0000u, 0, 0), 0);
  ASSERT_EQ(window.Init(20, 4, 0xFF0000FFu, 0, 6), 0);
  behind.GetCanvas()->MainList().Add(&picture, 1, 0);
  overlay->Add(&window, 1, 0);
  SpriteCanvas* before = shown.GetCanvas();
  shown.ExchangeCanvases(&behind);
  EXPECT_EQ(shown.GetOverlayList(), overlay);
  EXPECT_EQ(shown.GetCanvas()->OverlayList(), overlay);
  EXPECT_EQ(behind.GetCanvas(), before);
  EXPECT_EQ(before->OverlayList(), nullptr);
  auto target = MakeTarget(20, 10, SurfaceFormat::X8R8G8B8);
  ASSERT_EQ(shown.Present(nullptr, nullptr, target.get(), kPixelFormatX8R8G8B8, 0), 0);
  EXPECT_EQ(ReadRgb(*target, 2, 2), 0xFF0000u);  // the picture that came in
  EXPECT_EQ(ReadRgb(*target, 2, 8), 0x0000FFu);  // the window over it
  overlay->Clear();
  shown.GetCanvas()->MainList().Clear();
}

TEST_F(CanvasDrawObjectTest, PreparationFailuresLeaveNothing) {
  CanvasDrawObject object;
  EXPECT_EQ(object.Prepare(0, 4, 32, 1), 1);
  EXPECT_EQ(object.GetCanvas(), nullptr);
  EXPECT_EQ(object.GetSurface()->GetBits(), nullptr);
  EXPECT_EQ(object.Load(4, 4, 16, 2), 1);
  EXPECT_EQ(object.GetOverlayList(), nullptr);
  ASSERT_EQ(object.Prepare(4, 4, 32, 1), 0);
  EXPECT_EQ(object.IsPrepared(), 1);
  EXPECT_EQ(object.GetSurface()->GetPixel(3, 3) & 0xFFFFFF, 0u);
  // Set prepared: the surface records nothing of its own; cleared: it does again.
  CanvasDrawObject loaded;
  ASSERT_EQ(loaded.Load(4, 4, 32, 0), 0);
  EXPECT_EQ(loaded.SetPrepared(1), 0);
  EXPECT_EQ(loaded.GetSurface()->Region(), nullptr);
  EXPECT_EQ(loaded.SetPrepared(0), 1);
  EXPECT_NE(loaded.GetSurface()->Region(), nullptr);
}

using test::ResidentPages;

// A screen-sized canvas starts black without a pass over its pixels (the
// back canvas of a game may wait long for its first drawing), also when it
// is set up again after being drawn on.
TEST_F(CanvasDrawObjectTest, ANewCanvasIsBlackWithoutBeingCleared) {
  constexpr int32_t kWidth = 1280, kHeight = 720;
  CanvasDrawObject object;
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(object.Load(kWidth, kHeight, 32, 2), 0);
    Surface* surface = object.GetSurface();
    const size_t bytes = size_t(surface->GetPitch()) * kHeight;
    // The rows past the first 2 MiB: nothing has brought them in.
    const size_t far = size_t(2) << 20;
    EXPECT_EQ(ResidentPages(surface->GetBits() + far, bytes - far), 0u);
    const uint8_t* bits = surface->GetBits();
    EXPECT_TRUE(std::all_of(bits, bits + bytes, [](uint8_t b) { return b == 0; }));
    std::memset(surface->GetBits(), 0x77, bytes);
  }
}

// A task that counts its bands and fills them with a colour; it ends when
// told to, from the step or from the query.
class BandTask : public PresentTask {
 public:
  BandTask(int type, uint32_t kind, int* deleted) : type_(type), kind_(kind), deleted_(deleted) {}
  ~BandTask() override { ++*deleted_; }
  int Type() const override { return type_; }
  uint32_t Kind() const override { return kind_; }
  int Step(uint32_t) override { return stepResult; }
  void DrawBand(const Rect& band, Surface* work) override {
    bands.push_back(band);
    work->FillRgb(9, 9, 9, &band);
  }
  int Query() override { return queryResult; }
  int stepResult = 0;
  int queryResult = 0;
  std::vector<Rect> bands;

 private:
  int type_;
  uint32_t kind_;
  int* deleted_;
};

TEST_F(CanvasDrawObjectTest, TimedPresentStartCodes) {
  struct Case {
    const char* what;
    bool canvas;
    bool paired;
    bool pairedCanvas;
    bool background;
    uint8_t mode;
    int type;
    int code;
  };
  const Case cases[] = {
      {"no canvas", false, true, true, true, 0, 2, 1},
      {"no paired image", true, false, true, true, 0, 2, 2},
      {"paired scene without a canvas", true, true, false, true, 1, 0, 3},
      {"paired canvas unneeded", true, true, false, true, 1, 2, 0},
      {"mode 2 without a background", true, true, true, false, 2, 1, 4},
      {"mode 2 with a background", true, true, true, true, 2, 1, 0},
      {"mode 0", true, true, true, false, 0, 0, 0},
  };
  Surface backdrop;
  ASSERT_EQ(backdrop.Create(8, 8, 32, 0), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    int deleted = 0;
    CanvasDrawObject object, paired;
    ASSERT_EQ(object.Load(8, 8, 32, c.canvas ? 1 : 0), 0);
    ASSERT_EQ(paired.Load(8, 8, 32, c.pairedCanvas ? 1 : 0), 0);
    if (c.paired) {
      ASSERT_EQ(object.SetPairedImage(&paired), 0);
    }
    if (c.background) {
      SpriteCanvas* concerned = (c.type <= 1 ? paired : object).GetCanvas();
      if (concerned != nullptr) {
        concerned->SetBackgroundImage(&backdrop, 0, 0, 0);
      }
    }
    auto* task = new BandTask(c.type, 0, &deleted);
    EXPECT_EQ(object.StartTimedPresent(task, c.mode, 0, 0), c.code);
    EXPECT_EQ(object.TimedPresentRunning(), c.code == 0);
    if (c.code != 0) {
      delete task;
    } else {
      EXPECT_NE(object.WorkSurface(), nullptr);
      // A null task ends the running one.
      EXPECT_EQ(object.StartTimedPresent(nullptr, 0, 0, 0), 0);
      EXPECT_FALSE(object.TimedPresentRunning());
    }
    EXPECT_EQ(deleted, 1);
  }
  CanvasDrawObject object;
  CanvasDrawObject small;
  ASSERT_EQ(object.Load(8, 8, 32, 1), 0);
  ASSERT_EQ(small.Load(4, 8, 32, 1), 0);
  EXPECT_EQ(object.SetPairedImage(&small), 1);
  EXPECT_EQ(object.PairedImage(), nullptr);
}

int g_hookDepth = 0;
void CountHook(bool enter) { g_hookDepth += enter ? 1 : -1; }

TEST_F(CanvasDrawObjectTest, TimedPresentDrawsBandsAndEnds) {
  CanvasDrawObject::SetLowPriorityHook(&CountHook);
  CanvasDrawObject object, paired;
  ASSERT_EQ(object.Load(100, 40, 32, 1), 0);
  ASSERT_EQ(paired.Load(100, 40, 32, 1), 0);
  ASSERT_EQ(object.SetPairedImage(&paired), 0);
  SpriteCanvas* ownCanvas = object.GetCanvas();
  SpriteCanvas* pairedCanvas = paired.GetCanvas();
  int deleted = 0;
  auto* task = new BandTask(0, 0, &deleted);
  ASSERT_EQ(object.StartTimedPresent(task, 1, 1, 1), 0);
  EXPECT_EQ(g_hookDepth, 1);
  auto target = MakeTarget(100, 40, SurfaceFormat::R5G6B5);
  // 100 pixels wide: bands of 32 rows.
  ASSERT_EQ(object.Present(nullptr, nullptr, target.get(), kPixelFormatR5G6B5, 1), 0);
  ASSERT_EQ(task->bands.size(), 2u);
  EXPECT_EQ(task->bands[0], (Rect{0, 0, 100, 32}));
  EXPECT_EQ(task->bands[1], (Rect{0, 32, 100, 40}));
  EXPECT_EQ(ReadRgb(*target, 99, 39), 0x080808u);
  // A refused lock draws nothing: 1.
  target->SetBusy(1);
  EXPECT_EQ(object.Present(nullptr, nullptr, target.get(), kPixelFormatR5G6B5, 1), 1);
  // The query ends it: the end option applies mode 1, the scenes change places.
  task->queryResult = 7;
  EXPECT_EQ(object.Present(nullptr, nullptr, target.get(), kPixelFormatR5G6B5, 1), 7);
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(g_hookDepth, 0);
  EXPECT_FALSE(object.TimedPresentRunning());
  EXPECT_EQ(object.GetCanvas(), pairedCanvas);
  EXPECT_EQ(paired.GetCanvas(), ownCanvas);
  EXPECT_EQ(object.GetCanvas()->GetTarget(), object.GetSurface());
  // A task of kind bit 1 draws in one pass; the step can end it at once.
  auto* whole = new BandTask(2, 1, &deleted);
  ASSERT_EQ(object.StartTimedPresent(whole, 0, 0, 0), 0);
  ASSERT_EQ(object.Present(nullptr, nullptr, target.get(), kPixelFormatR5G6B5, 0), 0);
  EXPECT_EQ(whole->bands.size(), 1u);
  whole->stepResult = 3;
  EXPECT_EQ(object.Present(nullptr, nullptr, target.get(), kPixelFormatR5G6B5, 0), 3);
  EXPECT_EQ(deleted, 2);
  CanvasDrawObject::SetLowPriorityHook(nullptr);
}

}  // namespace
}  // namespace orrivel
