// The Direct3D device layer: creation with its fallbacks and the z-buffer,
// the texture-format table, and the render-state cache with its state sets.
#include <gtest/gtest.h>

#include <vector>

#include "display/DisplayTestSupport.h"
#include "display/SceneObjectRegistry.h"
#include "display/StateSets.h"
#include "raster/PixelFormat.h"

namespace orrivel {
namespace {

using namespace platform;
using testing::DeviceRig;

TEST(D3DDeviceTest, CreationReadsCapsAndTextureFormats) {
  DisplayMachine m = FakeSingleDisplayMachine(true);
  for (MachineDevice& d : m.drivers[0].devices) {
    d.caps.alphaCmpCaps = kCmpCapsAlways;
    d.caps.textureCaps = kTextureCapsPow2 | kTextureCapsSquareOnly;
    d.caps.maxTextureWidth = 1024;
  }
  DeviceRig rig(m);
  ASSERT_EQ(rig.Init(32, 32, SurfaceFormat::X8R8G8B8), 0);
  D3DDevice& d = rig.device;
  EXPECT_TRUE(d.HasDevice());
  EXPECT_TRUE(d.CanDrawTlVertex());
  EXPECT_FALSE(d.AlphaTestUsable());
  EXPECT_EQ(d.TextureCaps(), kTextureCapsPow2 | kTextureCapsSquareOnly);
  EXPECT_EQ(d.MaxTextureWidth(), 1024u);
  EXPECT_EQ(d.DeviceClass(), 2);
  const uint32_t offered = kPixelFormatX1R5G5B5 | kPixelFormatR5G6B5 | kPixelFormatX8R8G8B8 |
                           kPixelFormatA1R5G5B5 | kPixelFormatA4R4G4B4 | kPixelFormatA8R8G8B8;
  EXPECT_EQ(d.OfferedTextureCodes(), offered);
  for (uint32_t code : {4u, 8u, 16u, 32u, 64u, 128u, 256u}) {
    const SurfacePixelFormat* f = d.GetTextureFormat(code);
    if (offered & code) {
      ASSERT_NE(f, nullptr) << code;
      EXPECT_EQ(ClassifyPixelFormat(*f), code);
    } else {
      EXPECT_EQ(f, nullptr) << code;
    }
  }
  EXPECT_EQ(d.GetTextureFormat(2), nullptr);
  EXPECT_EQ(d.GetTextureFormat(512), nullptr);
  // Stage 0 addresses by clamping; antialiasing is off.
  uint32_t v = 0;
  d.RenderDevice()->GetRenderState(kRsAntialias, &v);
  EXPECT_EQ(v, 0u);
  const auto& log = d.RenderDevice()->CallLog();
  EXPECT_NE(std::find(log.begin(), log.end(), StateCall{true, kTssAddress, kAddressClamp}), log.end());
  d.ReleaseDevice();
  EXPECT_FALSE(d.HasDevice());
  EXPECT_EQ(d.GetTextureFormat(8), nullptr);
}

TEST(D3DDeviceTest, AMissingZBufferLeavesTheDeviceUsable) {
  struct Case {
    std::vector<uint32_t> depths;
    SurfaceFormat format;
    int result;
    uint32_t depth;
  };
  const Case cases[] = {
      {{16, 24, 32}, SurfaceFormat::X8R8G8B8, 0, 32},
      {{16, 24}, SurfaceFormat::X8R8G8B8, 0, 24},  // 24 stands in for 32
      {{16, 32}, SurfaceFormat::R8G8B8, kD3DDeviceNoZBuffer, 0},
      {{}, SurfaceFormat::R5G6B5, kD3DDeviceNoZBuffer, 0},
  };
  for (const Case& c : cases) {
    DisplayMachine m = FakeSingleDisplayMachine(true);
    for (MachineDevice& d : m.drivers[0].devices) d.caps.zBufferDepths = c.depths;
    DeviceRig rig(m);
    const int r = rig.Init(16, 16, c.format, 1);
    EXPECT_EQ(r, c.result);
    EXPECT_FALSE(D3DDeviceCreationFailed(r));
    EXPECT_TRUE(rig.device.HasDevice());
    EXPECT_EQ(rig.device.ZBufferDepth(), c.depth);
    // Usable: a scene draws.
    EXPECT_EQ(rig.device.BeginScene(), 0);
    EXPECT_EQ(rig.device.EndScene(), 0);
  }
  // Disabled z-buffers are not an error.
  DisplayMachine m = FakeSingleDisplayMachine(true);
  for (MachineDevice& d : m.drivers[0].devices) d.caps.zBufferDepths.clear();
  DeviceRig rig(m);
  rig.device.SetZBufferDisabled(true);
  EXPECT_EQ(rig.Init(16, 16, SurfaceFormat::X8R8G8B8, 1), 0);
  EXPECT_EQ(rig.device.ZBuffer(), nullptr);
}

TEST(D3DDeviceTest, CreationFailuresAndTheSecondChoice) {
  {
    D3DDevice bare;
    SoftSurface s;
    EXPECT_EQ(bare.CreateDevice(&s, nullptr, 0), 1);
  }
  {
    // The chosen device refuses every surface: 3, and no device is left.
    DisplayMachine m = FakeSingleDisplayMachine(true);
    for (MachineDevice& d : m.drivers[0].devices) d.failCreate = true;
    DeviceRig rig(m);
    EXPECT_EQ(rig.Init(16, 16, SurfaceFormat::X8R8G8B8), 3);
    EXPECT_FALSE(rig.device.HasDevice());
    EXPECT_TRUE(D3DDeviceCreationFailed(3));
  }
  {
    // A remembered device the driver no longer has: chosen again.
    DeviceRig rig(FakeNoHardwareMachine());
    const Guid defaultDriver{};
    ASSERT_EQ(rig.device.Create(0, 1, &defaultDriver, &kDeviceTnlHal, kDepthFlag32, 1, 0, 0, 0, 1, 0), 0);
    EXPECT_EQ(rig.device.DeviceClass(), 2);
    SoftSurface back;
    ASSERT_EQ(back.Create(8, 8, SurfaceFormat::X8R8G8B8), kSurfaceOk);
    EXPECT_EQ(rig.device.CreateDevice(&back, nullptr, 0), 0);
    EXPECT_EQ(*rig.device.DeviceId(), kDeviceSoftware);
    EXPECT_EQ(rig.device.DeviceClass(), 0);
    EXPECT_EQ(rig.device.CreateDevice(nullptr, nullptr, 0), 1);
  }
  {
    DisplayMachine m = FakeSingleDisplayMachine(true);
    for (MachineDevice& d : m.drivers[0].devices) d.failViewport = true;
    DeviceRig rig(m);
    EXPECT_EQ(rig.Init(16, 16, SurfaceFormat::X8R8G8B8, 1), 5);
    EXPECT_FALSE(rig.device.HasDevice());
    // Without the option no viewport is set.
    EXPECT_EQ(rig.Init(16, 16, SurfaceFormat::X8R8G8B8, 0), 0);
  }
}

// The render-state calls in a device's log.
size_t CountCalls(D3DDevice& d, bool stage, uint32_t type) {
  const auto& log = d.RenderDevice()->CallLog();
  return size_t(std::count_if(log.begin(), log.end(),
                              [&](const StateCall& c) { return c.stage == stage && c.type == type; }));
}

TEST(D3DDeviceTest, TheCacheSendsEachChangeOnce) {
  DeviceRig rig(FakeSingleDisplayMachine(true));
  ASSERT_EQ(rig.Init(8, 8, SurfaceFormat::X8R8G8B8), 0);
  D3DDevice& d = rig.device;
  d.RenderDevice()->ClearCallLog();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(d.SetAlphaBlendEnable(1), 0);
    EXPECT_EQ(d.SetSrcBlend(kBlendSrcAlpha), 0);
    EXPECT_EQ(d.SetColorOp(kTopModulate), 0);
    EXPECT_EQ(d.SetTextureFactor(0x80FFFFFF), 0);
  }
  EXPECT_EQ(CountCalls(d, false, kRsAlphaBlendEnable), 1u);
  EXPECT_EQ(CountCalls(d, false, kRsSrcBlend), 1u);
  EXPECT_EQ(CountCalls(d, true, kTssColorOp), 1u);
  EXPECT_EQ(CountCalls(d, false, kRsTextureFactor), 1u);
  // A refused change keeps the old value, so the next try is sent again.
  d.RenderDevice()->SetFailStateCalls(true);
  EXPECT_EQ(d.SetSrcBlend(kBlendOne), 2);
  d.RenderDevice()->SetFailStateCalls(false);
  EXPECT_EQ(d.SetSrcBlend(kBlendSrcAlpha), 0);
  EXPECT_EQ(CountCalls(d, false, kRsSrcBlend), 1u);
  EXPECT_EQ(d.SetSrcBlend(kBlendOne), 0);
  EXPECT_EQ(CountCalls(d, false, kRsSrcBlend), 2u);
  // Without a device every setter answers 1.
  d.ReleaseDevice();
  EXPECT_EQ(d.SetCullMode(kCullNone), 1);
  EXPECT_EQ(d.SetTextureFactor(0), 1);
  EXPECT_EQ(d.ReapplyStates(), 1);
}

TEST(D3DDeviceTest, ReapplyStatesAfterRecreationSendsEveryHeldState) {
  DeviceRig rig(FakeSingleDisplayMachine(true));
  ASSERT_EQ(rig.Init(8, 8, SurfaceFormat::X8R8G8B8), 0);
  D3DDevice& d = rig.device;
  d.SetCullMode(kCullNone);
  d.SetDestBlend(kBlendInvSrcAlpha);
  d.SetAlphaArg2(kTaDiffuse);
  d.SetAlphaRef(0x40);
  d.SetTextureFactor(0x12345678);
  SoftSurface texture;
  ASSERT_EQ(texture.Create(4, 4, SurfaceFormat::A8R8G8B8), kSurfaceOk);
  d.SetTexture(&texture);
  // A lost device: released (dropping the texture) and made again.
  const Rect rect{0, 0, 8, 8};
  ASSERT_EQ(d.CreateDevice(rig.back.get(), &rect, 0), 0);
  EXPECT_EQ(d.RenderDevice()->Texture(), nullptr);
  d.RenderDevice()->ClearCallLog();
  EXPECT_EQ(d.ReapplyStates(), 0);
  const std::vector<StateCall> expected = {{false, kRsCullMode, kCullNone},
                                           {false, kRsDestBlend, kBlendInvSrcAlpha},
                                           {true, kTssAlphaArg2, kTaDiffuse},
                                           {false, kRsAlphaRef, 0x40},
                                           {false, kRsTextureFactor, 0x12345678}};
  EXPECT_EQ(d.RenderDevice()->CallLog(), expected);
  uint32_t v = 0;
  d.RenderDevice()->GetRenderState(kRsDestBlend, &v);
  EXPECT_EQ(v, kBlendInvSrcAlpha);
  // After that the cache holds them again: no further calls.
  d.RenderDevice()->ClearCallLog();
  d.SetCullMode(kCullNone);
  EXPECT_TRUE(d.RenderDevice()->CallLog().empty());
  // A failing device: the last failure is answered.
  d.RenderDevice()->SetFailStateCalls(true);
  EXPECT_EQ(d.ReapplyStates(), 2);
}

TEST(D3DDeviceTest, StateSetsSetWhatTheyHoldThroughTheCache) {
  DeviceRig rig(FakeSingleDisplayMachine(true));
  ASSERT_EQ(rig.Init(8, 8, SurfaceFormat::X8R8G8B8), 0);
  D3DDevice& d = rig.device;
  RenderStateSet untouched;
  RenderStateSet blend;
  blend.alphaBlendEnable = 1;
  blend.srcBlend = kBlendSrcAlpha;
  blend.destBlend = kBlendOne;
  blend.alphaFunc = kCmpGreater;
  StageStateSet stage;
  stage.colorOp = kTopSubtract;
  stage.colorArg1 = kTaTexture;
  stage.textureFactor = 0xFF808080;
  EXPECT_EQ(untouched.GetKind(), kSceneObjectRenderStateSet);
  EXPECT_EQ(stage.GetKind(), kSceneObjectStageStateSet);
  SceneObjectRegistry r;
  r.Add(&untouched, 3, 0);
  r.Add(&blend, 2, 0);
  r.Add(&stage, 1, 0);
  d.RenderDevice()->ClearCallLog();
  ASSERT_EQ(r.DrawAll(0, 0, &d), 0);
  ASSERT_EQ(r.DrawAll(0, 0, &d), 0);  // the second pass changes nothing
  const std::vector<StateCall> expected = {{false, kRsAlphaBlendEnable, 1},
                                           {false, kRsSrcBlend, kBlendSrcAlpha},
                                           {false, kRsDestBlend, kBlendOne},
                                           {false, kRsAlphaFunc, kCmpGreater},
                                           {true, kTssColorOp, kTopSubtract},
                                           {true, kTssColorArg1, kTaTexture},
                                           {false, kRsTextureFactor, 0xFF808080}};
  EXPECT_EQ(d.RenderDevice()->CallLog(), expected);
  // Hidden sets do nothing; without a device they answer 1 when visible.
  blend.srcBlend = kBlendOne;
  blend.SetVisible(false);
  d.RenderDevice()->ClearCallLog();
  EXPECT_EQ(blend.Draw(0, 0, &d), 0);
  EXPECT_TRUE(d.RenderDevice()->CallLog().empty());
  EXPECT_EQ(blend.Draw(0, 0, nullptr), 0);
  EXPECT_EQ(stage.Draw(0, 0, nullptr), 1);
  // Refusals do not fail the pass.
  d.RenderDevice()->SetFailStateCalls(true);
  stage.colorOp = kTopAdd;
  EXPECT_EQ(stage.Draw(0, 0, &d), 0);
}

}  // namespace
}  // namespace orrivel
