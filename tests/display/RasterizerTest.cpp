// The software rasteriser behind the Direct3D device: golden pictures of the
// blend set-ups, colour key and filters, and coverage properties.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "display/DisplayTestSupport.h"
#include "platform/PixelLayout.h"
#include "platform/RenderDevice.h"

namespace orrivel {
namespace {

using namespace platform;
using testing::DeviceRig;
using testing::MatchesGolden;
using testing::ReadArgb;

struct TexVertex {
  float x, y, z, rhw;
  uint32_t diffuse;
  float u, v;
};
constexpr uint32_t kQuadFvf = kFvfXyzRhw | kFvfDiffuse | kFvfTex1;

// A quad covering pixels [x0, x1) x [y0, y1) as a strip, with the whole texture.
void DrawQuad(D3DDevice& device, float x0, float y0, float x1, float y1, uint32_t diffuse) {
  const TexVertex v[4] = {{x0 - 0.5f, y0 - 0.5f, 0, 1, diffuse, 0, 0},
                          {x1 - 0.5f, y0 - 0.5f, 0, 1, diffuse, 1, 0},
                          {x0 - 0.5f, y1 - 0.5f, 0, 1, diffuse, 0, 1},
                          {x1 - 0.5f, y1 - 0.5f, 0, 1, diffuse, 1, 1}};
  ASSERT_EQ(device.DrawPrimitive(kPrimTriangleStrip, kQuadFvf, v, 4), 0);
}

// A 64 x 64 back surface with a background of bands, so that blending shows.
void PaintBackground(SoftSurface& back) {
  SurfaceLock lock;
  ASSERT_EQ(back.Lock(nullptr, &lock), kSurfaceOk);
  const PixelLayout layout(lock.format);
  for (int y = 0; y < lock.height; ++y) {
    for (int x = 0; x < lock.width; ++x) {
      const uint32_t c = ((x / 8 + y / 8) % 2) ? 0xFF3060A0u : 0xFFA08040u;
      layout.WriteArgb(lock.bits + size_t(y) * lock.pitch + size_t(x) * layout.BytesPerPixel(), c);
    }
  }
  back.Unlock();
}

// A 16 x 16 texture: four coloured quadrants whose alpha falls from left to
// right; a keyed variant has a magenta cross in R5G6B5.
void MakeTexture(SoftSurface& texture, bool keyed) {
  ASSERT_EQ(texture.Create(16, 16, keyed ? SurfaceFormat::R5G6B5 : SurfaceFormat::A8R8G8B8), kSurfaceOk);
  SurfaceLock lock;
  ASSERT_EQ(texture.Lock(nullptr, &lock), kSurfaceOk);
  const PixelLayout layout(lock.format);
  static const uint32_t kQuadrants[4] = {0xFF2040, 0x40E020, 0x2040F0, 0xF0F0F0};
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      uint32_t c = kQuadrants[(y / 8) * 2 + x / 8] | uint32_t(255 - x * 16) << 24;
      if (keyed && (x == 7 || x == 8 || y == 7 || y == 8)) c = 0xFFFF00FFu;
      layout.WriteArgb(lock.bits + size_t(y) * lock.pitch + size_t(x) * layout.BytesPerPixel(), c);
    }
  }
  texture.Unlock();
  if (keyed) {
    const ColorKey key{0xF81F, 0xF81F};
    ASSERT_EQ(texture.SetColorKey(&key), kSurfaceOk);
  }
}

struct BlendSetup {
  const char* name;
  uint8_t enable, src, dest;
  uint8_t colorOp, colorArg1, colorArg2;
  uint32_t diffuse;
  bool keyed;
  bool linear;
};

TEST(RasterizerTest, TexturedQuadsMatchTheirGoldenPictures) {
  const BlendSetup setups[] = {
      {"quad_opaque_point", 0, kBlendOne, kBlendZero, kTopModulate, kTaTexture, kTaCurrent, 0xFFFFFFFF, false, false},
      {"quad_opaque_linear", 0, kBlendOne, kBlendZero, kTopModulate, kTaTexture, kTaCurrent, 0xFFFFFFFF, false, true},
      {"quad_alpha_point", 1, kBlendSrcAlpha, kBlendInvSrcAlpha, kTopModulate, kTaTexture, kTaCurrent, 0xFFFFFFFF, false, false},
      {"quad_add_linear", 1, kBlendSrcAlpha, kBlendOne, kTopModulate, kTaTexture, kTaCurrent, 0xFFFFFFFF, false, true},
      {"quad_subtract_point", 1, kBlendSrcAlpha, kBlendInvSrcAlpha, kTopSubtract, kTaTexture, kTaCurrent, 0xFF606060, false, false},
      {"quad_keyed_point", 0, kBlendOne, kBlendZero, kTopModulate, kTaTexture, kTaCurrent, 0xFFFFFFFF, true, false},
      {"quad_keyed_linear", 0, kBlendOne, kBlendZero, kTopModulate, kTaTexture, kTaCurrent, 0xFFFFFFFF, true, true},
  };
  for (const BlendSetup& s : setups) {
    SCOPED_TRACE(s.name);
    DeviceRig rig(FakeSingleDisplayMachine(true));
    ASSERT_EQ(rig.Init(64, 64, SurfaceFormat::X8R8G8B8), 0);
    PaintBackground(*rig.back);
    SoftSurface texture;
    MakeTexture(texture, s.keyed);
    D3DDevice& d = rig.device;
    ASSERT_EQ(d.SetCullMode(kCullNone), 0);
    d.SetAlphaBlendEnable(s.enable);
    d.SetSrcBlend(s.src);
    d.SetDestBlend(s.dest);
    d.SetColorKeyEnable(s.keyed ? 1 : 0);
    d.SetColorOp(s.colorOp);
    d.SetColorArg1(s.colorArg1);
    d.SetColorArg2(s.colorArg2);
    d.SetAlphaOp(kTopSelectArg1);
    d.SetAlphaArg1(kTaTexture);
    const uint32_t filter = s.linear ? kFilterLinear : kFilterPoint;
    d.RenderDevice()->SetTextureStageState(0, kTssMagFilter, filter);
    d.RenderDevice()->SetTextureStageState(0, kTssMinFilter, filter);
    ASSERT_EQ(d.SetTexture(&texture), 0);
    ASSERT_EQ(d.BeginScene(), 0);
    DrawQuad(d, 4, 4, 52, 52, s.diffuse);  // 16 -> 48: three pixels per texel
    DrawQuad(d, 50, 50, 58, 58, s.diffuse);  // shrunk, over the edge of the first
    ASSERT_EQ(d.EndScene(), 0);
    EXPECT_TRUE(MatchesGolden(s.name, *rig.back));
    d.SetTexture(nullptr);
  }
}

TEST(RasterizerTest, KeyedTexelsLeaveTheTargetAndPointSamplesAreExact) {
  DeviceRig rig(FakeSingleDisplayMachine(true));
  ASSERT_EQ(rig.Init(64, 64, SurfaceFormat::X8R8G8B8), 0);
  PaintBackground(*rig.back);
  SoftSurface texture;
  MakeTexture(texture, true);
  D3DDevice& d = rig.device;
  d.SetCullMode(kCullNone);
  d.SetColorKeyEnable(1);
  d.SetColorOp(kTopSelectArg1);
  d.SetColorArg1(kTaTexture);
  d.SetTexture(&texture);
  d.BeginScene();
  DrawQuad(d, 0, 0, 48, 48, 0xFFFFFFFF);
  d.EndScene();
  // Texel (7, y) is keyed: pixels 21..23 keep the background.
  for (int x = 21; x < 24; ++x) EXPECT_EQ(ReadArgb(*rig.back, x, 2), (x / 8 + 0) % 2 ? 0xFF3060A0u : 0xFFA08040u);
  // Texel (0, 0) covers pixels 0..2 exactly (565 widened).
  EXPECT_EQ(ReadArgb(*rig.back, 0, 0), ReadArgb(*rig.back, 2, 2));
  EXPECT_EQ(ReadArgb(*rig.back, 2, 2) & 0xFFFFFF, 0xFF2042u);
}

// Adds 1 to every channel of each pixel a triangle covers.
void CountCoverage(D3DDevice& d, const std::vector<TexVertex>& v, uint32_t type) {
  d.SetCullMode(kCullNone);
  d.SetAlphaBlendEnable(1);
  d.SetSrcBlend(kBlendOne);
  d.SetDestBlend(kBlendOne);
  d.SetColorOp(kTopSelectArg1);
  d.SetColorArg1(kTaDiffuse);
  d.SetAlphaOp(kTopSelectArg1);
  d.SetAlphaArg1(kTaDiffuse);
  d.BeginScene();
  ASSERT_EQ(d.DrawPrimitive(type, kQuadFvf, v.data(), uint32_t(v.size())), 0);
  d.EndScene();
}

std::vector<uint32_t> Snapshot(SoftSurface& s) {
  std::vector<uint32_t> out;
  for (int y = 0; y < s.Height(); ++y) {
    for (int x = 0; x < s.Width(); ++x) out.push_back(ReadArgb(s, x, y) & 0xFF);
  }
  return out;
}

TEST(RasterizerTest, TrianglesSharingAnEdgeCoverEachPixelOnce) {
  std::mt19937 rng(2718);
  std::uniform_real_distribution<float> coord(-4.0f, 36.0f);
  for (int round = 0; round < 40; ++round) {
    // A convex quadrilateral: as a strip of two triangles and as a fan of
    // four around its centre. Both cover the same pixels, none twice.
    float cx = 16, cy = 16;
    float r[4];
    for (float& x : r) x = 4.0f + std::abs(coord(rng)) / 3.0f;
    const float angle0 = coord(rng);
    TexVertex corners[4];
    for (int i = 0; i < 4; ++i) {
      const float a = angle0 + float(i) * 1.5707963f + (round % 2 ? 0.0f : 0.3f * float(i % 2));
      corners[i] = {cx + r[i] * std::cos(a), cy + r[i] * std::sin(a), 0, 1, 0x01010101, 0, 0};
    }
    if (round % 5 == 0) {  // edges exactly on pixel centres and half pixels
      corners[0] = {2, 2, 0, 1, 0x01010101, 0, 0};
      corners[1] = {30, 2.5f, 0, 1, 0x01010101, 0, 0};
      corners[2] = {30, 29, 0, 1, 0x01010101, 0, 0};
      corners[3] = {2.5f, 30, 0, 1, 0x01010101, 0, 0};
    }
    const std::vector<TexVertex> strip = {corners[0], corners[1], corners[3], corners[2]};
    TexVertex centre{0, 0, 0, 1, 0x01010101, 0, 0};
    for (const TexVertex& c : corners) {
      centre.x += c.x / 4;
      centre.y += c.y / 4;
    }
    const std::vector<TexVertex> fan = {centre, corners[0], corners[1], corners[2], corners[3], corners[0]};
    std::vector<TexVertex> list;
    for (int i = 0; i < 4; ++i) list.insert(list.end(), {centre, corners[i], corners[(i + 1) % 4]});

    std::vector<uint32_t> results[3];
    const std::pair<const std::vector<TexVertex>*, uint32_t> meshes[3] = {
        {&strip, kPrimTriangleStrip}, {&fan, kPrimTriangleFan}, {&list, kPrimTriangleList}};
    for (int m = 0; m < 3; ++m) {
      DeviceRig rig(FakeSingleDisplayMachine(true));
      ASSERT_EQ(rig.Init(32, 32, SurfaceFormat::X8R8G8B8), 0);
      rig.back->ColorFill(nullptr, 0);
      CountCoverage(rig.device, *meshes[m].first, meshes[m].second);
      results[m] = Snapshot(*rig.back);
      for (uint32_t v : results[m]) ASSERT_LE(v, 1u) << "round " << round << " mesh " << m;
    }
    EXPECT_EQ(results[0], results[1]) << "round " << round;
    EXPECT_EQ(results[1], results[2]) << "round " << round;
  }
}

TEST(RasterizerTest, AlphaTestCullingAndClipping) {
  DeviceRig rig(FakeSingleDisplayMachine(true));
  ASSERT_EQ(rig.Init(16, 16, SurfaceFormat::R5G6B5), 0);
  D3DDevice& d = rig.device;
  rig.back->ColorFill(nullptr, 0);
  d.SetColorOp(kTopSelectArg1);
  d.SetColorArg1(kTaDiffuse);
  d.SetAlphaOp(kTopSelectArg1);
  d.SetAlphaArg1(kTaDiffuse);
  // Clockwise on screen survives the default counter-clockwise culling;
  // the same triangle turned round does not.
  const TexVertex cw[3] = {{0, 0, 0, 1, 0xFFFFFFFF, 0, 0}, {8, 0, 0, 1, 0xFFFFFFFF, 0, 0}, {0, 8, 0, 1, 0xFFFFFFFF, 0, 0}};
  const TexVertex ccw[3] = {cw[0], cw[2], cw[1]};
  d.SetCullMode(kCullCcw);
  d.BeginScene();
  d.DrawPrimitive(kPrimTriangleList, kQuadFvf, ccw, 3);
  EXPECT_EQ(ReadArgb(*rig.back, 1, 1), 0xFF000000u);
  d.DrawPrimitive(kPrimTriangleList, kQuadFvf, cw, 3);
  EXPECT_EQ(ReadArgb(*rig.back, 1, 1), 0xFFFFFFFFu);
  // Alpha below the reference fails a greater-or-equal test.
  rig.back->ColorFill(nullptr, 0);
  d.SetCullMode(kCullNone);
  d.SetAlphaTestEnable(1);
  d.SetAlphaFunc(kCmpGreaterEqual);
  d.SetAlphaRef(0x80);
  TexVertex faint[3];
  std::memcpy(faint, cw, sizeof faint);
  for (TexVertex& v : faint) v.diffuse = 0x7FFFFFFF;
  d.DrawPrimitive(kPrimTriangleList, kQuadFvf, faint, 3);
  EXPECT_EQ(ReadArgb(*rig.back, 1, 1), 0xFF000000u);
  d.SetAlphaRef(0x7F);
  d.DrawPrimitive(kPrimTriangleList, kQuadFvf, faint, 3);
  EXPECT_EQ(ReadArgb(*rig.back, 1, 1), 0xFFFFFFFFu);
  // Far outside, huge or not-a-number vertices draw nothing and do not fail.
  const TexVertex wild[3] = {{-1e9f, 0, 0, 1, 0xFFFF0000, 0, 0}, {1e9f, 5, 0, 1, 0xFFFF0000, 0, 0}, {NAN, 9, 0, 1, 0xFFFF0000, 0, 0}};
  EXPECT_EQ(d.DrawPrimitive(kPrimTriangleList, kQuadFvf, wild, 3), 0);
  // Texture coordinates far outside the texture address it without overflow.
  SoftSurface texture;
  ASSERT_EQ(texture.Create(4, 4, SurfaceFormat::A8R8G8B8), kSurfaceOk);
  d.SetTexture(&texture);
  d.SetAlphaTestEnable(0);
  TexVertex far[3];
  std::memcpy(far, cw, sizeof far);
  far[1].u = 3e38f;
  far[2].v = -3e38f;
  EXPECT_EQ(d.DrawPrimitive(kPrimTriangleList, kQuadFvf, far, 3), 0);
  d.SetTexture(nullptr);
  EXPECT_EQ(d.DrawPrimitive(kPrimTriangleStrip, kFvfDiffuse, wild, 3), kRenderInvalid);
  EXPECT_EQ(d.DrawPrimitive(9, kQuadFvf, wild, 3), kRenderInvalid);
  d.EndScene();
  EXPECT_EQ(d.DrawPrimitive(kPrimTriangleList, kQuadFvf, cw, 3), kRenderNotInScene);
}

}  // namespace
}  // namespace orrivel
