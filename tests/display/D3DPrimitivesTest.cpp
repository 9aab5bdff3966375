// The Direct3D draw objects on the software device: the quad's states,
// colours, anchors, texture mapping and hit tests; the blitted image; the
// untextured shapes with the polygon's script arrays; golden pictures of
// each family and the property that drawing stays inside the bounds.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "SurfaceImageRig.h"
#include "base/MathTables.h"
#include "display/BoxFont.h"
#include "display/D3DColorBox.h"
#include "display/D3DImage.h"
#include "display/D3DPolygon.h"
#include "display/D3DQuad.h"
#include "display/D3DTriangle.h"
#include "display/DdSurface.h"
#include "display/DisplayTestSupport.h"
#include "display/MediaImage.h"
#include "display/StateSets.h"
#include "platform/PixelLayout.h"
#include "raster/PixelFormat.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel::testing {
namespace {

class D3DPrimitivesTest : public SurfaceImageRig {
 protected:
  void SetUp() override {
    SurfaceImageRig::SetUp();
    previousTables_ = SetMathTables(&tables_);
    direct3d_ = true;
    Boot(32);
    ASSERT_TRUE(device_->HasDevice());
  }
  void TearDown() override {
    device_->Registry().Clear();
    SetMathTables(previousTables_);
    SurfaceImageRig::TearDown();
  }

  // A 16 x 12 picture of the fixture colours in a texture of the format.
  std::unique_ptr<MediaImage> Picture(uint32_t format = kPixelFormatX8R8G8B8) {
    auto image = std::make_unique<MediaImage>();
    const auto bytes = FixtureElg(32, 16, 12, false);
    EXPECT_EQ(image->Load(format, nullptr, bytes.data(), bytes.size(), 0), 0);
    return image;
  }

  // Bands of two greys on the back surface, so that blending shows.
  void PaintBack() {
    platform::SurfaceLock lock;
    ASSERT_EQ(back_->Lock(nullptr, &lock), platform::kSurfaceOk);
    const platform::PixelLayout layout(lock.format);
    for (int y = 0; y < lock.height; ++y) {
      for (int x = 0; x < lock.width; ++x) {
        layout.WriteArgb(lock.bits + size_t(y) * lock.pitch + size_t(x) * 4,
                         ((x / 8 + y / 8) % 2) ? 0xFF404040u : 0xFF909090u);
      }
    }
    back_->Unlock();
  }

  // Draws the objects through the registry in the given order.
  int DrawScene(std::initializer_list<SceneObject*> objects) {
    device_->Registry().Clear();
    uint32_t priority = 1000;
    for (SceneObject* o : objects) device_->Registry().Add(o, priority--, 0);
    const int r = device_->Registry().DrawAll(0, 0, device_.get());
    device_->Registry().Clear();
    return r;
  }

  std::vector<uint32_t> BackPixels() {
    std::vector<uint32_t> out;
    for (int y = 0; y < back_->Height(); ++y) {
      for (int x = 0; x < back_->Width(); ++x) out.push_back(ReadArgb(*back_, x, y));
    }
    return out;
  }

  // Every pixel the object changes lies inside its bounds.
  void ExpectDrawnInsideBounds(SceneObject& object) {
    PaintBack();
    const auto before = BackPixels();
    ASSERT_EQ(DrawScene({&object}), 0);
    const auto after = BackPixels();
    Rect bounds;
    ASSERT_TRUE(object.GetBounds(&bounds));
    int changed = 0;
    for (int y = 0; y < back_->Height(); ++y) {
      for (int x = 0; x < back_->Width(); ++x) {
        const size_t i = size_t(y * back_->Width() + x);
        if (before[i] == after[i]) continue;
        ++changed;
        EXPECT_TRUE(x >= bounds.left && x < bounds.right && y >= bounds.top && y < bounds.bottom)
            << "kind " << object.GetKind() << " drew at " << x << "," << y;
      }
    }
    EXPECT_GT(changed, 0) << "kind " << object.GetKind();
  }

  MathTables tables_;
  MathTables* previousTables_ = nullptr;
};

TEST_F(D3DPrimitivesTest, AQuadWithoutATextureDrawsNothingAndHasNoBounds) {
  D3DQuad quad;
  EXPECT_EQ(quad.Create(nullptr, nullptr, 0, 0), 1);
  MediaImage empty;  // never loaded: no surface
  EXPECT_EQ(quad.Create(&empty, nullptr, 0, 0), 1);
  EXPECT_EQ(quad.SetTexture(&empty), 1);
  EXPECT_EQ(quad.Draw(0, 0, device_.get()), D3DQuad::kDrawNoTexture);
  Rect bounds;
  EXPECT_FALSE(quad.GetBounds(&bounds));
  EXPECT_FALSE(quad.HitTest(0, 0, 0));
  EXPECT_FALSE(quad.SetTexRect(0, 0, nullptr));
  D3DColorBox box;
  box.Create(10, 10, 0xFF000000u, 0, 0);
  EXPECT_FALSE(quad.Overlaps(&box));
  // Hidden objects draw nothing and report success.
  quad.SetVisible(false);
  EXPECT_EQ(quad.Draw(0, 0, device_.get()), 0);
}

TEST_F(D3DPrimitivesTest, CreateTakesTheTexturesStatesRectangleAndMapping) {
  auto opaque = Picture(kPixelFormatX8R8G8B8);
  auto alpha = Picture(kPixelFormatA8R8G8B8);
  D3DQuad quad;
  ASSERT_EQ(quad.Create(opaque.get(), nullptr, 5, 6), 0);
  EXPECT_EQ(quad.Blend(), kOpaqueBlend);
  EXPECT_EQ(quad.ColorOp(), (StateTriple{4, 2, 1}));
  EXPECT_EQ(quad.AlphaOp(), (StateTriple{2, 2, 1}));
  EXPECT_EQ(quad.SourceRect(), (Rect{0, 0, 16, 12}));
  Rect bounds;
  ASSERT_TRUE(quad.GetBounds(&bounds));
  EXPECT_EQ(bounds, (Rect{5, 6, 21, 18}));
  const TexturedVertex* v = quad.Vertices();
  EXPECT_FLOAT_EQ(v[0].u, float(opaque->TexelToU(0)));
  EXPECT_FLOAT_EQ(v[3].u, float(opaque->TexelToU(16)));
  EXPECT_FLOAT_EQ(v[3].v, float(opaque->TexelToV(12)));
  EXPECT_EQ(v[0].diffuse, 0xFFFFFFFFu);

  // A rectangle is cut to the picture; alpha formats blend.
  const Rect wide{4, -3, 40, 5};
  ASSERT_EQ(quad.Create(alpha.get(), &wide, 0, 0), 0);
  EXPECT_EQ(quad.Blend(), kAlphaBlend);
  EXPECT_EQ(quad.SourceRect(), (Rect{4, 0, 16, 5}));

  // SetTexRect with offsets moves the coordinates, not the rectangle.
  const Rect part{2, 2, 6, 6};
  ASSERT_TRUE(quad.SetTexRect(1, 3, &part));
  EXPECT_EQ(quad.SourceRect(), part);
  EXPECT_FLOAT_EQ(quad.Vertices()[0].u, float(alpha->TexelToU(3)));
  EXPECT_FLOAT_EQ(quad.Vertices()[2].v, float(alpha->TexelToV(9)));
  EXPECT_EQ(quad.DisplayWidth(), 4);
}

TEST_F(D3DPrimitivesTest, ColourAndAlphaSettersKeepTheOtherHalfAndClamp) {
  auto picture = Picture();
  D3DQuad quad;
  ASSERT_EQ(quad.Create(picture.get(), nullptr, 0, 0), 0);
  D3DColorBox box;
  box.Create(4, 4, 0x80102030u, 0, 0);
  D3DTriangle triangle;
  triangle.Create(0, 0, 4, 0, 0, 4, 0xFF102030u, 0, 0);
  struct Case {
    int32_t alpha;
    uint32_t expected;
  };
  for (const Case c : {Case{300, 255}, Case{-5, 0}, Case{77, 77}}) {
    SCOPED_TRACE(c.alpha);
    quad.SetColor(0x123456);
    quad.SetAlpha(c.alpha);
    box.SetAlpha(c.alpha);
    triangle.SetAlpha(c.alpha);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(quad.Vertices()[i].diffuse, c.expected << 24 | 0x123456u);
    EXPECT_EQ(box.Vertices()[3].diffuse, c.expected << 24 | 0x102030u);
    EXPECT_EQ(triangle.Vertices()[2].diffuse, c.expected << 24 | 0x102030u);
  }
  // Through the scene-object interface, as sprite actions fade them.
  for (SceneObject* object : {static_cast<SceneObject*>(&quad), static_cast<SceneObject*>(&box)}) {
    object->SetAlpha(uint8_t(40));
    uint8_t alpha = 0;
    ASSERT_TRUE(object->GetAlpha(&alpha));
    EXPECT_EQ(alpha, 40);
    int32_t x = -1, y = -1;
    EXPECT_TRUE(object->GetPosition(&x, &y));
    EXPECT_EQ(x, 0);
  }
  EXPECT_TRUE(quad.SetVertexAlpha(2, 1000));
  EXPECT_EQ(quad.Vertices()[2].diffuse >> 24, 255u);
  EXPECT_TRUE(quad.SetVertexColor(1, 0xABCDEF));
  EXPECT_EQ(quad.Vertices()[1].diffuse & 0xFFFFFF, 0xABCDEFu);
  EXPECT_FALSE(quad.SetVertexColor(4, 0));
  EXPECT_FALSE(quad.SetVertexAlpha(-1, 0));
  EXPECT_FALSE(triangle.SetVertexColor(3, 0));
  EXPECT_TRUE(box.SetVertexColor(3, 0x0000FF));
  // A colour with alpha 0xFF draws opaque, any other alpha blends.
  EXPECT_EQ(triangle.Blend(), kOpaqueBlend);
  EXPECT_EQ(box.Blend(), kAlphaBlend);
}

TEST_F(D3DPrimitivesTest, AddSubAtFullStrengthLeavesThePictureAsItIs) {
  auto picture = Picture();
  D3DQuad quad;
  ASSERT_EQ(quad.Create(picture.get(), nullptr, 3, 2), 0);
  quad.SetAddSub(0, 255, 255);
  EXPECT_EQ(quad.Blend(), kAlphaBlend);
  EXPECT_EQ(quad.ColorOp(), (StateTriple{7, 2, 1}));
  EXPECT_EQ(quad.AlphaOp(), (StateTriple{4, 2, 0}));
  EXPECT_EQ(quad.Vertices()[0].diffuse, 0xFF000000u);
  PaintBack();
  ASSERT_EQ(DrawScene({&quad}), 0);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 16; ++x) {
      ASSERT_EQ(ReadArgb(*back_, x + 3, y + 2) & 0xFFFFFF, FixtureColor(x, y) & 0xFFFFFF) << x << "," << y;
    }
  }
  // Below 255 the grey is taken away; the subtract flag adds onto the scene.
  quad.SetAddSub(1, 128, 200);
  EXPECT_EQ(quad.Blend(), kAdditiveBlend);
  EXPECT_EQ(quad.ColorOp(), (StateTriple{10, 2, 1}));
  EXPECT_EQ(quad.Vertices()[1].diffuse, 0x80373737u);
  quad.SetAddSub(0, 0x1FF, 400);
  EXPECT_EQ(quad.Vertices()[3].diffuse, 0xFF919191u);
}

TEST_F(D3DPrimitivesTest, AnchorModesTurnAboutTheirPoint) {
  auto picture = Picture();
  D3DQuad quad;
  ASSERT_EQ(quad.Create(picture.get(), nullptr, 10, 10), 0);
  quad.SetSize(20, 10);
  // A quarter turn anticlockwise about the top-left corner.
  quad.SetAnchor(128, 0);
  const TexturedVertex* v = quad.Vertices();
  EXPECT_EQ(v[0].x, 10.0f);
  EXPECT_EQ(v[0].y, 10.0f);
  EXPECT_EQ(v[1].x, 10.0f);
  EXPECT_EQ(v[1].y, -10.0f);
  EXPECT_EQ(v[2].x, 20.0f);
  EXPECT_EQ(v[2].y, 10.0f);
  // About the centre (20, 15): the top-left corner goes to the bottom-left.
  quad.SetAnchor(128, 4);
  EXPECT_EQ(v[0].x, 15.0f);
  EXPECT_EQ(v[0].y, 25.0f);
  EXPECT_EQ(v[3].x, 25.0f);
  EXPECT_EQ(v[3].y, 5.0f);
  // Angle 0 gives the plain corners back; any mode above 4 uses its value.
  quad.SetAnchor(0, 4);
  EXPECT_EQ(v[3].x, 30.0f);
  EXPECT_EQ(v[3].y, 20.0f);
  EXPECT_EQ(AnchorOffset(7, 20, 10), (Point{7, 7}));
  EXPECT_EQ(AnchorOffset(0x104, 21, 11), (Point{10, 5}));

  D3DColorBox box;
  box.Create(8, 4, 0xFF00FF00u, 0, 0);
  box.SetAnchor(256, 3);  // half a turn about the bottom-right corner
  EXPECT_EQ(box.Vertices()[0].x, 16.0f);
  EXPECT_EQ(box.Vertices()[0].y, 8.0f);

  // Point shapes turn about the anchor of the box around their points.
  D3DTriangle triangle;
  triangle.Create(0, 0, 8, 0, 0, 4, 0xFF102030u, 10, 20);
  triangle.SetAnchor(256, 4);  // half a turn about (14, 22)
  const auto& t = triangle.Vertices();
  EXPECT_EQ(t[0].x, 18.0f);
  EXPECT_EQ(t[0].y, 24.0f);
  EXPECT_EQ(t[1].x, 10.0f);
  EXPECT_EQ(t[1].y, 24.0f);
  EXPECT_EQ(t[2].x, 18.0f);
  EXPECT_EQ(t[2].y, 20.0f);
  triangle.SetAnchor(0, 1);  // angle 0 places the points plainly again
  EXPECT_EQ(t[1].x, 18.0f);
  EXPECT_EQ(t[1].y, 20.0f);

  // Boxes spanning the whole 32-bit range turn about an anchor held to it.
  D3DTriangle wide;
  wide.Create(-16777216, 0, 0x7FFFFFFF, 0, 0, 0x7FFFFFFF, 0xFF102030u, 0, 0);
  for (uint32_t mode : {0u, 1u, 2u, 3u, 4u}) {
    SCOPED_TRACE(mode);
    wide.SetAnchor(0, mode);
    EXPECT_EQ(wide.Vertices()[1].x, float(0x7FFFFFFF));
  }
  EXPECT_EQ(AnchorPoint(3, 0x7FFFFFF0, INT32_MIN, 0x100, -0x100), (Point{0x7FFFFFFF, INT32_MIN}));
  D3DColorBox edge;
  edge.Create(8, 4, 0xFF00FF00u, 0x7FFFFFFC, 0);
  edge.SetAnchor(256, 3);
  EXPECT_EQ(edge.Vertices()[3].x, float(0x7FFFFFFF));
}

TEST_F(D3DPrimitivesTest, StatesGoThroughTheCacheOnlyWhenTheRegistryAsks) {
  auto picture = Picture(kPixelFormatA8R8G8B8);
  D3DQuad quad;
  ASSERT_EQ(quad.Create(picture.get(), nullptr, 0, 0), 0);
  platform::SoftRenderDevice* render = device_->RenderDevice();
  device_->Registry().SetEnabled(false);
  render->ClearCallLog();
  ASSERT_EQ(DrawScene({&quad}), 0);
  EXPECT_TRUE(render->CallLog().empty());
  device_->Registry().SetEnabled(true);
  ASSERT_EQ(DrawScene({&quad}), 0);
  EXPECT_FALSE(render->CallLog().empty());
  // A device without Direct3D refuses.
  D3DDevice bare;
  EXPECT_EQ(quad.Draw(0, 0, &bare), D3DQuad::kDrawNoDevice);
  EXPECT_EQ(quad.Draw(0, 0, nullptr), D3DQuad::kDrawNoTexture);
}

TEST_F(D3DPrimitivesTest, PreciseHitsMissTheKeyedPixels) {
  auto picture = Picture(kPixelFormatX8R8G8B8);
  ASSERT_EQ(picture->SetColorKeyAt(5, 5), 0);
  D3DQuad quad;
  ASSERT_EQ(quad.Create(picture.get(), nullptr, 100, 200), 0);
  EXPECT_TRUE(quad.HitTest(105, 205, 0));
  EXPECT_FALSE(quad.HitTest(105, 205, 1));
  EXPECT_TRUE(quad.HitTest(106, 205, 1));
  EXPECT_FALSE(quad.HitTest(116, 205, 0));  // right edge exclusive
  // Doubled in size, display pixel (10, 10) shows picture pixel (5, 5).
  quad.SetSize(32, 24);
  EXPECT_FALSE(quad.HitTest(110, 210, 1));
  EXPECT_TRUE(quad.HitTest(112, 210, 1));
  D3DQuad other;
  ASSERT_EQ(other.Create(picture.get(), nullptr, 131, 223), 0);
  EXPECT_TRUE(quad.Overlaps(&other));
  other.SetPosition(132, 200);  // touching edges do not overlap
  EXPECT_FALSE(quad.Overlaps(&other));
}

TEST_F(D3DPrimitivesTest, PolygonArraysComeCheckedFromTheScriptArena) {
  ScriptAddressSpace arena(1 << 16);
  const uint32_t xs = arena.Allocate(16);
  const uint32_t ys = arena.Allocate(16);
  const int32_t x[4] = {2, 20, 20, 2};
  const int32_t y[4] = {3, 3, 15, 15};
  ASSERT_TRUE(arena.WriteBytes(xs, x, sizeof x));
  ASSERT_TRUE(arena.WriteBytes(ys, y, sizeof y));
  const uint32_t end = uint32_t(arena.Size());
  const uint32_t stale = arena.Allocate(16);
  arena.Free(stale);
  struct Case {
    const char* what;
    uint32_t count, xArray, yArray;
  };
  const Case refused[] = {
      {"null x", 4, 0, ys},          {"null y", 4, xs, 0},
      {"no points", 0, xs, ys},      {"too many", kMaxPolygonPoints + 1, xs, ys},
      {"past the end", 4, end - 8, ys}, {"beyond", 4, xs, 0xFFFFFFF0u},
      {"count overflow", 0x40000001u, xs, ys}, {"past its block", 5, xs, ys},
      {"freed", 4, xs, stale},
  };
  for (const Case& c : refused) {
    D3DPolygon polygon;
    EXPECT_EQ(polygon.Create(&arena, c.count, c.xArray, c.yArray, 0xFFFFFFFFu, 0, 0), 1) << c.what;
    EXPECT_TRUE(polygon.Vertices().empty()) << c.what;
  }
  D3DPolygon polygon;
  EXPECT_EQ(polygon.Create(nullptr, 4, xs, ys, 0xFFFFFFFFu, 0, 0), 1);
  ASSERT_EQ(polygon.Create(&arena, 4, xs, ys, 0xC0FF0000u, 0, 0), 0);
  ASSERT_EQ(polygon.Vertices().size(), 4u);
  EXPECT_EQ(polygon.Vertices()[2].x, 20.0f);
  EXPECT_EQ(polygon.Vertices()[2].y, 15.0f);
  EXPECT_EQ(polygon.Blend(), kAlphaBlend);
  EXPECT_FALSE(polygon.SetPoints(&arena, 4, xs, end));
  EXPECT_EQ(polygon.Vertices().size(), 4u);

  // Arrays handed over are freed, whether the polygon takes them or not.
  ASSERT_EQ(polygon.Create(&arena, 4, xs, ys, 0xFFFFFFFFu, 0, 1), 0);
  EXPECT_EQ(arena.BlockSize(xs), 0u);
  EXPECT_EQ(arena.BlockSize(ys), 0u);
  const uint32_t more = arena.Allocate(8);
  EXPECT_EQ(polygon.Create(&arena, arena.BlockSize(more) / 4 + 1, more, more, 0xFFFFFFFFu, 0, 1), 1);
  EXPECT_EQ(arena.BlockSize(more), 0u);

  // Without the cosine table nothing is made.
  SetMathTables(nullptr);
  const uint32_t again = arena.Allocate(16);
  ASSERT_TRUE(arena.WriteBytes(again, x, sizeof x));
  EXPECT_EQ(polygon.Create(&arena, 4, again, again, 0xFFFFFFFFu, 0, 0), 1);
  SetMathTables(&tables_);
}

TEST_F(D3DPrimitivesTest, PointShapesPlaceThemselvesUnderTheirScale) {
  D3DTriangle triangle;
  ASSERT_EQ(triangle.Create(4, 2, 12, 2, 4, 10, 0xFF00FF00u, 30, 20), 0);
  EXPECT_EQ(triangle.Vertices()[1].x, 42.0f);
  EXPECT_EQ(triangle.Vertices()[2].y, 30.0f);
  // At any other scale the points start from their smallest corner.
  triangle.SetScale(65536 * 2);
  EXPECT_EQ(triangle.Vertices()[0].x, 30.0f);
  EXPECT_EQ(triangle.Vertices()[1].x, 46.0f);
  EXPECT_EQ(triangle.Vertices()[2].y, 36.0f);
  triangle.MoveBy(-30, -20);
  EXPECT_EQ(triangle.Vertices()[0].x, 0.0f);
  EXPECT_FALSE(triangle.SetPoint(3, 0, 0));
  ASSERT_TRUE(triangle.SetPoint(0, 0, 0));
  Rect bounds;
  ASSERT_TRUE(triangle.GetBounds(&bounds));
  EXPECT_EQ(bounds, (Rect{0, 0, 24, 20}));
  EXPECT_TRUE(triangle.HitTest(23, 19, 0));
  EXPECT_FALSE(triangle.HitTest(24, 19, 0));
}

TEST_F(D3DPrimitivesTest, DrawingStaysInsideTheBounds) {
  auto picture = Picture(kPixelFormatA8R8G8B8);
  D3DQuad quad;
  ASSERT_EQ(quad.Create(picture.get(), nullptr, 7, 5), 0);
  quad.SetSize(23, 17);
  ExpectDrawnInsideBounds(quad);
  D3DColorBox box;
  box.Create(13, 9, 0x80FF8000u, 40, 30);
  ExpectDrawnInsideBounds(box);
  D3DTriangle triangle;
  triangle.Create(0, 0, 17, 3, 5, 14, 0xFF2060C0u, 33, 2);
  ExpectDrawnInsideBounds(triangle);
  D3DPolygon polygon;
  ASSERT_TRUE(polygon.SetPoints({Point{3, 30}, Point{20, 28}, Point{25, 44}, Point{8, 46}}));
  polygon.SetColor(0xFFFF00);
  ExpectDrawnInsideBounds(polygon);
}

TEST_F(D3DPrimitivesTest, TheManagerMakesEachKindOrReportsItsAllocationCode) {
  ScriptAddressSpace arena(1 << 16);
  const int32_t coords[3] = {0, 10, 5};
  uint32_t picture = 0;
  const auto bytes = FixtureElg(32, 8, 8, false);
  ASSERT_EQ(device_->CreateMediaImage(&picture, kPixelFormatX8R8G8B8, nullptr, bytes.data(), bytes.size(), 0), 0);
  uint32_t surface = 0;
  ASSERT_EQ(device_->CreateSurfaceImageFromFile(&surface, nullptr, bytes.data(), bytes.size(), 1), 0);
  const auto arrays = [&] {
    const uint32_t a = arena.Allocate(12);
    arena.WriteBytes(a, coords, sizeof coords);
    return a;
  };
  struct Case {
    const char* what;
    int kind;  // -1: an image
    int allocationFailure;
    std::function<int(uint32_t*)> create;
  };
  const Case cases[] = {
      {"quad", kSceneObjectD3DQuad, 2, [&](uint32_t* o) { return device_->CreateD3DQuad(o, picture, nullptr, 1, 2); }},
      {"image", kSceneObjectD3DImage, 2, [&](uint32_t* o) { return device_->CreateD3DImage(o, surface, nullptr, 1, 2); }},
      {"triangle", kSceneObjectD3DTriangle, 2,
       [&](uint32_t* o) { return device_->CreateD3DTriangle(o, 0, 0, 4, 0, 0, 4, 0xFFFFFFFFu, 0, 0); }},
      {"colour box", kSceneObjectD3DColorBox, 1,
       [&](uint32_t* o) { return device_->CreateD3DColorBox(o, 4, 4, 0xFFFFFFFFu, 0, 0); }},
      {"polygon", kSceneObjectD3DPolygon, 2, [&](uint32_t* o) {
         const uint32_t a = arrays();
         return device_->CreateD3DPolygon(o, &arena, 3, a, a, 0xFFFFFFFFu, 0, 1);
       }},
      {"text", -1, 2, [&](uint32_t* o) { return device_->CreateTextImage(o, "t", 0, kPixelFormatX8R8G8B8); }},
      {"frame", -1, 1, [&](uint32_t* o) { return device_->CreateLockedFrameSource(o); }},
  };
  BoxFont font(kFontKindOutline, 6, 6);
  DdSurface::SetDefaultFont(&font);
  for (const Case& c : cases) {
    uint32_t handle = 0;
    ASSERT_EQ(c.create(&handle), 0) << c.what;
    if (c.kind >= 0) {
      EXPECT_EQ(device_->GetSceneObject(handle)->GetKind(), c.kind) << c.what;
    } else {
      EXPECT_NE(device_->GetImage(handle), nullptr) << c.what;
    }
    handle = 7;
    device_->FailNextAllocation();
    EXPECT_EQ(c.create(&handle), c.allocationFailure) << c.what;
    EXPECT_EQ(handle, 0u) << c.what;
  }
  DdSurface::SetDefaultFont(nullptr);
  // Arrays handed to a polygon that could not be allocated are freed.
  const uint32_t handed = arrays();
  uint32_t none = 0;
  device_->FailNextAllocation();
  EXPECT_EQ(device_->CreateD3DPolygon(&none, &arena, 3, handed, handed, 0xFFFFFFFFu, 0, 1), 2);
  EXPECT_EQ(arena.BlockSize(handed), 0u);
  // A handle of the wrong kind is a missing texture or image.
  EXPECT_EQ(device_->CreateD3DQuad(&none, surface, nullptr, 0, 0), 1);
  EXPECT_EQ(device_->CreateD3DImage(&none, 0, nullptr, 0, 0), 1);
  device_->DeleteAll();
}

TEST_F(D3DPrimitivesTest, GoldenQuads) {
  auto opaque = Picture(kPixelFormatX8R8G8B8);
  auto alpha = Picture(kPixelFormatA8R8G8B8);
  PaintBack();
  D3DQuad plain, faded, added, darkened, turned;
  ASSERT_EQ(plain.Create(opaque.get(), nullptr, 1, 1), 0);
  ASSERT_EQ(faded.Create(alpha.get(), nullptr, 20, 1), 0);
  // The corner alpha counts once the alpha operation modulates by it.
  faded.SetStage2(4, 2, 0);
  faded.SetAlpha(128);
  ASSERT_EQ(added.Create(alpha.get(), nullptr, 40, 1), 0);
  added.SetAddSub(1, 255, 340);
  ASSERT_EQ(darkened.Create(alpha.get(), nullptr, 1, 18), 0);
  darkened.SetAddSub(0, 255, 120);
  const uint32_t corners[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  darkened.SetVertexColors(corners);
  ASSERT_EQ(turned.Create(opaque.get(), nullptr, 30, 20), 0);
  turned.SetSize(24, 18);
  turned.SetAnchor(48, 4);
  ASSERT_EQ(DrawScene({&plain, &faded, &added, &darkened, &turned}), 0);
  EXPECT_TRUE(MatchesGolden("d3d_quads", *back_));
}

TEST_F(D3DPrimitivesTest, GoldenImages) {
  PaintBack();
  const auto bytes = FixtureElg(32, 16, 12, false);
  SurfaceImage plain;
  ASSERT_EQ(plain.LoadFile(nullptr, bytes.data(), bytes.size(), 1), 0);
  SurfaceImage keyed;
  ASSERT_EQ(keyed.LoadFile(nullptr, bytes.data(), bytes.size(), 1), 0);
  // Keys compare whole pixels: the unused byte is cleared first.
  ASSERT_EQ(keyed.ClearUnusedBits(), 0);
  ASSERT_EQ(keyed.SetColorKeyAt(0, 0), 0);
  D3DImage copy, shifted, stretched, clipped;
  ASSERT_EQ(copy.Create(&plain, nullptr, 2, 2), 0);
  const Rect part{4, 2, 12, 10};
  ASSERT_EQ(shifted.Create(&plain, &part, 22, 2), 0);
  shifted.SetOffset(3, 1);
  ASSERT_EQ(stretched.Create(&keyed, nullptr, 2, 20), 0);
  stretched.SetSize(40, 24);
  ASSERT_EQ(clipped.Create(&plain, nullptr, 56, 40), 0);
  ASSERT_EQ(DrawScene({&copy, &shifted, &stretched, &clipped}), 0);
  EXPECT_TRUE(MatchesGolden("d3d_images", *back_));
  // No display surface: nothing to blit.
  D3DImage none;
  EXPECT_EQ(none.Create(nullptr, nullptr, 0, 0), 1);
  EXPECT_EQ(none.Draw(0, 0, device_.get()), D3DImage::kDrawNoTarget);
}

TEST_F(D3DPrimitivesTest, GoldenShapes) {
  PaintBack();
  // Without a texture the stage reads opaque white: the scene first takes
  // its alpha from the corners, as a game does before untextured shapes.
  StageStateSet cornerAlpha;
  cornerAlpha.alphaOp = platform::kTopSelectArg2;
  cornerAlpha.alphaArg2 = platform::kTaDiffuse;
  D3DTriangle solid, blended;
  ASSERT_EQ(solid.Create(0, 0, 20, 4, 6, 18, 0xFFE04020u, 2, 2), 0);
  ASSERT_EQ(blended.Create(10, 0, 20, 20, 0, 20, 0x9020A0F0u, 16, 6), 0);
  blended.SetVertexColor(0, 0xFFFF00);
  D3DPolygon fan, line;
  ASSERT_TRUE(fan.SetPoints({Point{44, 2}, Point{58, 6}, Point{60, 18}, Point{48, 22}, Point{40, 12}}));
  fan.SetColor(0x30C060);
  ASSERT_TRUE(line.SetPoints({Point{0, 0}}));
  line.SetLine(2, 44, 60, 30);
  line.SetColor(0xFFFFFF);
  D3DColorBox box, glass, spun;
  box.Create(14, 10, 0xFF102080u, 4, 26);
  glass.Create(24, 12, 0x80FFFFFFu, 12, 30);
  glass.SetBlend(1, 96);
  spun.Create(12, 12, 0xFFF0D000u, 44, 28);
  spun.SetAnchor(64, 4);
  ASSERT_EQ(DrawScene({&cornerAlpha, &solid, &blended, &fan, &line, &box, &glass, &spun}), 0);
  EXPECT_TRUE(MatchesGolden("d3d_shapes", *back_));
}

}  // namespace
}  // namespace orrivel::testing
