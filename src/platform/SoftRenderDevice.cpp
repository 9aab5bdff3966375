#include <algorithm>

#include "platform/RenderDevice.h"

namespace orrivel::platform {

SoftRenderDevice::SoftRenderDevice(const MachineDevice& device, SoftSurface* target)
    : device_(device), target_(target) {
  if (target != nullptr) state_.clip = Rect{0, 0, target->Width(), target->Height()};
}

int SoftRenderDevice::GetCaps(DeviceCaps* out) {
  if (out == nullptr) return kRenderInvalid;
  *out = device_.caps;
  return kRenderOk;
}

int SoftRenderDevice::EnumTextureFormats(std::vector<SurfacePixelFormat>* out) {
  if (out == nullptr) return kRenderInvalid;
  *out = device_.caps.textureFormats;
  return kRenderOk;
}

int SoftRenderDevice::SetRenderState(uint32_t state, uint32_t value) {
  if (state >= kRenderStateCount) return kRenderInvalid;
  if (failStates_) return kRenderFailed;
  log_.push_back({false, state, value});
  state_.render[state] = value;
  return kRenderOk;
}

int SoftRenderDevice::GetRenderState(uint32_t state, uint32_t* value) {
  if (state >= kRenderStateCount || value == nullptr) return kRenderInvalid;
  *value = state_.render[state];
  return kRenderOk;
}

int SoftRenderDevice::SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) {
  if (type >= kStageStateCount) return kRenderInvalid;
  if (failStates_) return kRenderFailed;
  // One stage is rasterised; the states of the others are accepted and kept
  // nowhere, as a device with one blend stage would.
  if (stage != 0) return kRenderOk;
  log_.push_back({true, type, value});
  state_.stage[type] = value;
  if (type == kTssAddress) state_.stage[kTssAddressU] = state_.stage[kTssAddressV] = value;
  return kRenderOk;
}

int SoftRenderDevice::SetTexture(uint32_t stage, SoftSurface* texture) {
  if (stage != 0) return texture == nullptr ? kRenderOk : kRenderInvalid;
  state_.texture = texture;
  return kRenderOk;
}

int SoftRenderDevice::SetViewport(const Viewport& v) {
  if (device_.failViewport) return kRenderFailed;
  if (v.width <= 0 || v.height <= 0 || target_ == nullptr) return kRenderInvalid;
  if (v.x < 0 || v.y < 0 || v.x + v.width > target_->Width() || v.y + v.height > target_->Height()) {
    return kRenderInvalid;
  }
  state_.clip = Rect{v.x, v.y, v.x + v.width, v.y + v.height};
  return kRenderOk;
}

int SoftRenderDevice::BeginScene() {
  if (failBeginScene_ || inScene_) return kRenderFailed;
  if (target_ == nullptr || target_->IsLost()) return kRenderLost;
  inScene_ = true;
  return kRenderOk;
}

int SoftRenderDevice::EndScene() {
  if (!inScene_) return kRenderNotInScene;
  inScene_ = false;
  ++sceneCount_;
  return kRenderOk;
}

int SoftRenderDevice::DrawPrimitive(uint32_t type, uint32_t fvf, const void* vertices,
                                    uint32_t count, uint32_t /*flags*/) {
  if (!inScene_) return kRenderNotInScene;
  return RasterizePrimitive(target_, state_, type, fvf, vertices, count);
}

}  // namespace orrivel::platform
