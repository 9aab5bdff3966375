#include "display/StateSets.h"

#include "display/D3DDevice.h"

namespace orrivel {

namespace {

using ByteSetter = int (D3DDevice::*)(uint8_t);

void SetIfGiven(D3DDevice* device, ByteSetter setter, uint8_t value) {
  if (value != kStateUnchanged) (device->*setter)(value);
}

}  // namespace

int RenderStateSet::Draw(int32_t, int32_t, D3DDevice* device) {
  if (!IsVisible()) return 0;
  if (device == nullptr) return 1;
  SetIfGiven(device, &D3DDevice::SetCullMode, cullMode);
  SetIfGiven(device, &D3DDevice::SetShadeMode, shadeMode);
  SetIfGiven(device, &D3DDevice::SetColorKeyEnable, colorKeyEnable);
  SetIfGiven(device, &D3DDevice::SetAlphaBlendEnable, alphaBlendEnable);
  SetIfGiven(device, &D3DDevice::SetSrcBlend, srcBlend);
  SetIfGiven(device, &D3DDevice::SetDestBlend, destBlend);
  SetIfGiven(device, &D3DDevice::SetAlphaTestEnable, alphaTestEnable);
  SetIfGiven(device, &D3DDevice::SetAlphaRef, alphaRef);
  SetIfGiven(device, &D3DDevice::SetAlphaFunc, alphaFunc);
  return 0;
}

int StageStateSet::Draw(int32_t, int32_t, D3DDevice* device) {
  if (!IsVisible()) return 0;
  if (device == nullptr) return 1;
  SetIfGiven(device, &D3DDevice::SetAlphaBlendEnable, alphaBlendEnable);
  SetIfGiven(device, &D3DDevice::SetSrcBlend, srcBlend);
  SetIfGiven(device, &D3DDevice::SetDestBlend, destBlend);
  SetIfGiven(device, &D3DDevice::SetColorOp, colorOp);
  SetIfGiven(device, &D3DDevice::SetColorArg1, colorArg1);
  SetIfGiven(device, &D3DDevice::SetColorArg2, colorArg2);
  SetIfGiven(device, &D3DDevice::SetAlphaOp, alphaOp);
  SetIfGiven(device, &D3DDevice::SetAlphaArg1, alphaArg1);
  SetIfGiven(device, &D3DDevice::SetAlphaArg2, alphaArg2);
  if (textureFactor != kTextureFactorUnchanged) device->SetTextureFactor(textureFactor);
  return 0;
}

}  // namespace orrivel
