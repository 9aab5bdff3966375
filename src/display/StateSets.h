#pragma once
// Two scene objects that put Direct3D states into the drawing pass: placed
// at a priority, they change the blending and texture-stage set-up for every
// object drawn after them. A value of 255 (texture factor: -1) leaves that
// state as it is. Both go through the device's state cache.
#include <cstdint>

#include "display/SceneObject.h"

namespace orrivel {

inline constexpr uint8_t kStateUnchanged = 255;
inline constexpr uint32_t kTextureFactorUnchanged = 0xFFFFFFFFu;

class RenderStateSet : public SceneObject {
 public:
  int GetKind() const override { return kSceneObjectRenderStateSet; }
  // 0 when hidden; 1 without a device; otherwise sets each value below 255
  // in field order and answers 0 whatever the setters report.
  int Draw(int32_t a, int32_t b, D3DDevice* device) override;

  uint8_t cullMode = kStateUnchanged;
  uint8_t shadeMode = kStateUnchanged;
  uint8_t colorKeyEnable = kStateUnchanged;
  uint8_t alphaBlendEnable = kStateUnchanged;
  uint8_t srcBlend = kStateUnchanged;
  uint8_t destBlend = kStateUnchanged;
  uint8_t alphaTestEnable = kStateUnchanged;
  uint8_t alphaRef = kStateUnchanged;
  uint8_t alphaFunc = kStateUnchanged;
};

class StageStateSet : public SceneObject {
 public:
  int GetKind() const override { return kSceneObjectStageStateSet; }
  int Draw(int32_t a, int32_t b, D3DDevice* device) override;

  uint8_t alphaBlendEnable = kStateUnchanged;
  uint8_t srcBlend = kStateUnchanged;
  uint8_t destBlend = kStateUnchanged;
  uint8_t colorOp = kStateUnchanged;
  uint8_t colorArg1 = kStateUnchanged;
  uint8_t colorArg2 = kStateUnchanged;
  uint8_t alphaOp = kStateUnchanged;
  uint8_t alphaArg1 = kStateUnchanged;
  uint8_t alphaArg2 = kStateUnchanged;
  uint32_t textureFactor = kTextureFactorUnchanged;
};

}  // namespace orrivel
