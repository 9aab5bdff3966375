#pragma once
// The Direct3D-style device the display layer draws through: render and
// texture-stage states, one texture stage, a viewport, scenes and
// pre-transformed primitives. SoftRenderDevice rasterises into a
// SoftSurface; it also keeps a log of the state calls that reach it, so that
// tests can see what a state cache let through.
#include <cstdint>
#include <vector>

#include "platform/DisplayMachine.h"
#include "platform/SoftSurface.h"

namespace orrivel::platform {

// Render state numbers.
inline constexpr uint32_t kRsAntialias = 2;
inline constexpr uint32_t kRsZEnable = 7;
inline constexpr uint32_t kRsShadeMode = 9;
inline constexpr uint32_t kRsAlphaTestEnable = 15;
inline constexpr uint32_t kRsSrcBlend = 19;
inline constexpr uint32_t kRsDestBlend = 20;
inline constexpr uint32_t kRsCullMode = 22;
inline constexpr uint32_t kRsAlphaRef = 24;
inline constexpr uint32_t kRsAlphaFunc = 25;
inline constexpr uint32_t kRsAlphaBlendEnable = 27;
inline constexpr uint32_t kRsColorKeyEnable = 41;
inline constexpr uint32_t kRsTextureFactor = 60;
inline constexpr uint32_t kRsLighting = 137;
inline constexpr uint32_t kRenderStateCount = 256;

// Texture stage state numbers.
inline constexpr uint32_t kTssColorOp = 1;
inline constexpr uint32_t kTssColorArg1 = 2;
inline constexpr uint32_t kTssColorArg2 = 3;
inline constexpr uint32_t kTssAlphaOp = 4;
inline constexpr uint32_t kTssAlphaArg1 = 5;
inline constexpr uint32_t kTssAlphaArg2 = 6;
inline constexpr uint32_t kTssAddress = 12;
inline constexpr uint32_t kTssAddressU = 13;
inline constexpr uint32_t kTssAddressV = 14;
inline constexpr uint32_t kTssMagFilter = 16;
inline constexpr uint32_t kTssMinFilter = 17;
inline constexpr uint32_t kTssMipFilter = 18;
inline constexpr uint32_t kStageStateCount = 32;

// Values.
inline constexpr uint32_t kCullNone = 1, kCullCw = 2, kCullCcw = 3;
inline constexpr uint32_t kShadeFlat = 1, kShadeGouraud = 2;
inline constexpr uint32_t kBlendZero = 1, kBlendOne = 2, kBlendSrcColor = 3, kBlendInvSrcColor = 4,
                          kBlendSrcAlpha = 5, kBlendInvSrcAlpha = 6, kBlendDestAlpha = 7,
                          kBlendInvDestAlpha = 8, kBlendDestColor = 9, kBlendInvDestColor = 10;
inline constexpr uint32_t kCmpNever = 1, kCmpLess = 2, kCmpEqual = 3, kCmpLessEqual = 4,
                          kCmpGreater = 5, kCmpNotEqual = 6, kCmpGreaterEqual = 7, kCmpAlways = 8;
inline constexpr uint32_t kTopDisable = 1, kTopSelectArg1 = 2, kTopSelectArg2 = 3, kTopModulate = 4,
                          kTopModulate2x = 5, kTopModulate4x = 6, kTopAdd = 7, kTopAddSigned = 8,
                          kTopSubtract = 10, kTopBlendDiffuseAlpha = 12, kTopBlendTextureAlpha = 13;
inline constexpr uint32_t kTaDiffuse = 0, kTaCurrent = 1, kTaTexture = 2, kTaTFactor = 3,
                          kTaComplement = 0x10, kTaAlphaReplicate = 0x20;
inline constexpr uint32_t kFilterPoint = 1, kFilterLinear = 2;
inline constexpr uint32_t kAddressWrap = 1, kAddressMirror = 2, kAddressClamp = 3;

// Vertex formats: pre-transformed position (x, y, z, rhw floats), then a
// diffuse colour (0xAARRGGBB word) and one texture coordinate pair (floats)
// when flagged.
inline constexpr uint32_t kFvfXyzRhw = 0x004;
inline constexpr uint32_t kFvfDiffuse = 0x040;
inline constexpr uint32_t kFvfTex1 = 0x100;

inline constexpr uint32_t kPrimTriangleList = 4;
inline constexpr uint32_t kPrimTriangleStrip = 5;
inline constexpr uint32_t kPrimTriangleFan = 6;

// Results.
enum RenderResult : int32_t {
  kRenderOk = 0,
  kRenderInvalid = 1,
  kRenderFailed = 2,
  kRenderNotInScene = 3,
  kRenderLost = 4,
};

struct Viewport {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  float minZ = 0.0f;
  float maxZ = 1.0f;
};

// Everything the rasteriser reads: the states, the texture of stage 0 and
// the clip area.
struct RasterState {
  RasterState();
  uint32_t render[kRenderStateCount];
  uint32_t stage[kStageStateCount];
  SoftSurface* texture = nullptr;
  Rect clip;  // where pixels may be written; cut to the target
};

// Rasterises count vertices as triangles of the given type into target.
// Pixel centres lie at whole coordinates; a pixel on an edge belongs to the
// triangle whose edge is a top or a left edge, so triangles that share an
// edge cover each pixel once.
int RasterizePrimitive(SoftSurface* target, const RasterState& state, uint32_t type, uint32_t fvf,
                       const void* vertices, uint32_t count);

// One state call that reached a device.
struct StateCall {
  bool stage = false;  // a texture stage state (stage 0) rather than a render state
  uint32_t type = 0;
  uint32_t value = 0;
  friend bool operator==(const StateCall&, const StateCall&) = default;
};

class RenderDevice {
 public:
  virtual ~RenderDevice() = default;
  virtual int GetCaps(DeviceCaps* out) = 0;
  virtual int EnumTextureFormats(std::vector<SurfacePixelFormat>* out) = 0;
  virtual int SetRenderState(uint32_t state, uint32_t value) = 0;
  virtual int GetRenderState(uint32_t state, uint32_t* value) = 0;
  virtual int SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) = 0;
  virtual int SetTexture(uint32_t stage, SoftSurface* texture) = 0;
  virtual int SetViewport(const Viewport& viewport) = 0;
  virtual int BeginScene() = 0;
  virtual int EndScene() = 0;
  virtual int DrawPrimitive(uint32_t type, uint32_t fvf, const void* vertices, uint32_t count,
                            uint32_t flags) = 0;
};

class SoftRenderDevice : public RenderDevice {
 public:
  SoftRenderDevice(const MachineDevice& device, SoftSurface* target);

  int GetCaps(DeviceCaps* out) override;
  int EnumTextureFormats(std::vector<SurfacePixelFormat>* out) override;
  int SetRenderState(uint32_t state, uint32_t value) override;
  int GetRenderState(uint32_t state, uint32_t* value) override;
  int SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) override;
  int SetTexture(uint32_t stage, SoftSurface* texture) override;
  int SetViewport(const Viewport& viewport) override;
  int BeginScene() override;
  int EndScene() override;
  int DrawPrimitive(uint32_t type, uint32_t fvf, const void* vertices, uint32_t count,
                    uint32_t flags) override;

  SoftSurface* Target() const { return target_; }
  SoftSurface* Texture() const { return state_.texture; }
  bool InScene() const { return inScene_; }
  uint32_t SceneCount() const { return sceneCount_; }
  const std::vector<StateCall>& CallLog() const { return log_; }
  void ClearCallLog() { log_.clear(); }
  // Test hooks: state calls fail; BeginScene fails.
  void SetFailStateCalls(bool fail) { failStates_ = fail; }
  void SetFailBeginScene(bool fail) { failBeginScene_ = fail; }

 private:
  MachineDevice device_;
  SoftSurface* target_;
  RasterState state_;
  bool inScene_ = false;
  uint32_t sceneCount_ = 0;
  std::vector<StateCall> log_;
  bool failStates_ = false;
  bool failBeginScene_ = false;
};

}  // namespace orrivel::platform
