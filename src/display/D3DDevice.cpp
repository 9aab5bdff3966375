#include "display/D3DDevice.h"

#include <algorithm>
#include <bit>

#include "raster/PixelFormat.h"

namespace orrivel {

using platform::SoftRenderDevice;
using platform::SoftSurface;

D3DDevice::D3DDevice() { ClearStateCache(); }

D3DDevice::~D3DDevice() { ReleaseDevice(); }

void D3DDevice::ClearStateCache() {
  std::fill(std::begin(cache_), std::end(cache_), kNoByteValue);
  textureFactor_ = kNoFactorValue;
}

int D3DDevice::TryCreateDevice(SoftSurface* surface) {
  if (!hasDeviceId_) return 1;
  return ddraw_->CreateDevice(deviceId_, surface, &device_) == platform::kDdOk ? 0 : 1;
}

void D3DDevice::ReadCaps(const platform::DeviceCaps& caps) {
  drawPrimTlVertex_ = (caps.devCaps & platform::kDevCapsDrawPrimTlVertex) ? 1 : 0;
  alphaGouraudBlend_ = (caps.shadeCaps & platform::kShadeCapsAlphaGouraudBlend) ? 1 : 0;
  alphaTestUsable_ =
      caps.alphaCmpCaps != platform::kCmpCapsAlways && caps.alphaCmpCaps != platform::kCmpCapsNever ? 1 : 0;
  zBufferLessHsr_ = (caps.rasterCaps & platform::kRasterCapsZBufferLessHsr) ? 1 : 0;
  maxTextureBlendStages_ = caps.maxTextureBlendStages;
  textureCaps_ = caps.textureCaps;
  textureOpCaps_ = caps.textureOpCaps;
  srcBlendCaps_ = caps.srcBlendCaps;
  destBlendCaps_ = caps.destBlendCaps;
  minTextureWidth_ = caps.minTextureWidth;
  minTextureHeight_ = caps.minTextureHeight;
  maxTextureWidth_ = caps.maxTextureWidth;
  maxTextureHeight_ = caps.maxTextureHeight;
}

int D3DDevice::CreateDevice(SoftSurface* surface, const Rect* rect, int option) {
  ReleaseDevice();
  if (!ddraw_ || surface == nullptr) return 1;
  if (!platform::CurrentDisplayMachine().libraryPresent) return 2;
  hasD3D_ = true;

  if (TryCreateDevice(surface) != 0) {
    // The remembered device is gone or refuses this surface: choose again,
    // and try once more when the choice stays on the current driver.
    const bool listedHere = Drivers().empty();
    if (listedHere) EnumerateDrivers(0, 0);
    DriverChoice choice;
    if (ChooseDriverAndDevice(false, &choice)) {
      const platform::Guid current = hasDriverId_ ? driverId_ : platform::Guid{};
      if (choice.driver == current) {
        deviceId_ = choice.device;
        hasDeviceId_ = true;
        deviceClass_ = choice.deviceClass;
        TryCreateDevice(surface);
      }
    }
    if (listedHere) FreeDrivers();
    if (!device_) {
      ReleaseDevice();
      return 3;
    }
  }

  platform::DeviceCaps caps;
  if (device_->GetCaps(&caps) != platform::kRenderOk) {
    ReleaseDevice();
    return 4;
  }
  ReadCaps(caps);
  std::vector<platform::SurfacePixelFormat> formats;
  device_->EnumTextureFormats(&formats);
  for (const platform::SurfacePixelFormat& f : formats) {
    const uint32_t code = ClassifyPixelFormat(f);
    if (code < kPixelFormatX1R5G5B5) continue;
    auto& entry = textureFormats_[std::countr_zero(code) - 2];
    if (!entry) entry = f;
    offeredTextureCodes_ |= code;
  }

  device_->SetTextureStageState(0, platform::kTssAddress, platform::kAddressClamp);
  device_->SetTextureStageState(0, platform::kTssAddressU, platform::kAddressClamp);
  device_->SetTextureStageState(0, platform::kTssAddressV, platform::kAddressClamp);

  int result = 0;
  if (rect != nullptr && option != 0) {
    const platform::Viewport viewport{rect->left, rect->top, rect->Width(), rect->Height(), 0.0f, 1.0f};
    if (device_->SetViewport(viewport) != platform::kRenderOk) {
      ReleaseDevice();
      return 5;
    }
    if (CreateZBuffer(surface, 0) != 0) result = kD3DDeviceNoZBuffer;
  }
  device_->SetRenderState(platform::kRsAntialias, 0);
  return result;
}

void D3DDevice::ReleaseDevice() {
  if (device_ && texture_ != nullptr) {
    device_->SetTexture(0, nullptr);
    texture_ = nullptr;
  }
  zBuffer_.reset();
  zBufferDepth_ = 0;
  device_.reset();
  hasD3D_ = false;
  for (auto& f : textureFormats_) f.reset();
  offeredTextureCodes_ = 0;
}

const platform::SurfacePixelFormat* D3DDevice::GetTextureFormat(uint32_t code) const {
  if (code < kPixelFormatX1R5G5B5 || code > kPixelFormatA8R8G8B8) return nullptr;
  const int index = std::bit_width(code) - 3;  // position of the highest bit, 4 first
  return textureFormats_[index] ? &*textureFormats_[index] : nullptr;
}

int D3DDevice::CreateZBuffer(SoftSurface* surface, uint32_t depth) {
  if (zBufferDisabled_) return 0;
  if (!hasD3D_ || surface == nullptr || !ddraw_) return 1;
  platform::SurfacePixelFormat own;
  if (surface->GetPixelFormat(&own) != platform::kSurfaceOk) return 1;
  if (depth == 0) depth = own.bitCount;
  std::vector<platform::SurfacePixelFormat> offered;
  ddraw_->EnumZBufferFormats(deviceId_, &offered);
  auto find = [&](uint32_t bits) -> const platform::SurfacePixelFormat* {
    for (const auto& f : offered) {
      if (f.flags == platform::kPixelFlagZBuffer && f.bitCount == bits) return &f;
    }
    return nullptr;
  };
  const platform::SurfacePixelFormat* format = find(depth);
  if (format == nullptr && depth == 32) format = find(24);
  if (format == nullptr) return 2;
  platform::SurfaceRequest request;
  request.caps = platform::kSurfaceZBuffer | (deviceClass_ == 0 ? platform::kSurfaceSystemMemory : 0);
  request.width = surface->Width();
  request.height = surface->Height();
  request.hasFormat = true;
  request.format = *format;
  std::unique_ptr<SoftSurface> z;
  if (ddraw_->CreateSurface(request, &z) != platform::kDdOk) return 4;
  zBuffer_ = std::move(z);
  zBufferDepth_ = format->bitCount;
  return 0;
}

int D3DDevice::BeginScene() { return device_ ? device_->BeginScene() : 1; }
int D3DDevice::EndScene() { return device_ ? device_->EndScene() : 1; }

int D3DDevice::DrawPrimitive(uint32_t type, uint32_t fvf, const void* vertices, uint32_t count) {
  return device_ ? device_->DrawPrimitive(type, fvf, vertices, count, 0) : 1;
}

namespace {

struct CacheTarget {
  bool stage;
  uint32_t type;
};

// The device state behind each cache entry, in cache order.
constexpr CacheTarget kCacheTargets[] = {
    {false, platform::kRsCullMode},       {false, platform::kRsShadeMode},
    {false, platform::kRsColorKeyEnable}, {false, platform::kRsAlphaBlendEnable},
    {false, platform::kRsSrcBlend},       {false, platform::kRsDestBlend},
    {false, platform::kRsAlphaTestEnable}, {true, platform::kTssColorOp},
    {true, platform::kTssColorArg1},      {true, platform::kTssColorArg2},
    {true, platform::kTssAlphaOp},        {true, platform::kTssAlphaArg1},
    {true, platform::kTssAlphaArg2},      {false, platform::kRsAlphaRef},
    {false, platform::kRsAlphaFunc},
};

}  // namespace

int D3DDevice::SetCachedByte(CacheEntry entry, uint8_t value) {
  if (!device_) return 1;
  if (cache_[entry] == value) return 0;
  const CacheTarget& t = kCacheTargets[entry];
  const int r = t.stage ? device_->SetTextureStageState(0, t.type, value)
                        : device_->SetRenderState(t.type, value);
  if (r != platform::kRenderOk) return 2;
  cache_[entry] = value;
  return 0;
}

int D3DDevice::SetCullMode(uint8_t v) { return SetCachedByte(kCacheCullMode, v); }
int D3DDevice::SetShadeMode(uint8_t v) { return SetCachedByte(kCacheShadeMode, v); }
int D3DDevice::SetColorKeyEnable(uint8_t v) { return SetCachedByte(kCacheColorKeyEnable, v); }
int D3DDevice::SetAlphaBlendEnable(uint8_t v) { return SetCachedByte(kCacheAlphaBlendEnable, v); }
int D3DDevice::SetSrcBlend(uint8_t v) { return SetCachedByte(kCacheSrcBlend, v); }
int D3DDevice::SetDestBlend(uint8_t v) { return SetCachedByte(kCacheDestBlend, v); }
int D3DDevice::SetAlphaTestEnable(uint8_t v) { return SetCachedByte(kCacheAlphaTestEnable, v); }
int D3DDevice::SetColorOp(uint8_t v) { return SetCachedByte(kCacheColorOp, v); }
int D3DDevice::SetColorArg1(uint8_t v) { return SetCachedByte(kCacheColorArg1, v); }
int D3DDevice::SetColorArg2(uint8_t v) { return SetCachedByte(kCacheColorArg2, v); }
int D3DDevice::SetAlphaOp(uint8_t v) { return SetCachedByte(kCacheAlphaOp, v); }
int D3DDevice::SetAlphaArg1(uint8_t v) { return SetCachedByte(kCacheAlphaArg1, v); }
int D3DDevice::SetAlphaArg2(uint8_t v) { return SetCachedByte(kCacheAlphaArg2, v); }
int D3DDevice::SetAlphaRef(uint8_t v) { return SetCachedByte(kCacheAlphaRef, v); }
int D3DDevice::SetAlphaFunc(uint8_t v) { return SetCachedByte(kCacheAlphaFunc, v); }

int D3DDevice::SetTextureFactor(uint32_t value) {
  if (!device_) return 1;
  if (textureFactor_ == value) return 0;
  if (device_->SetRenderState(platform::kRsTextureFactor, value) != platform::kRenderOk) return 2;
  textureFactor_ = value;
  return 0;
}

int D3DDevice::SetTexture(SoftSurface* texture) {
  if (!device_) return 1;
  if (texture_ == texture) return 0;
  if (device_->SetTexture(0, texture) != platform::kRenderOk) return 2;
  texture_ = texture;
  return 0;
}

int D3DDevice::ReapplyStates() {
  int last = 0;
  for (int i = 0; i < kCacheByteCount; ++i) {
    const uint8_t value = cache_[i];
    if (value == kNoByteValue) continue;
    cache_[i] = kNoByteValue;
    if (const int r = SetCachedByte(CacheEntry(i), value); r != 0) last = r;
  }
  if (textureFactor_ != kNoFactorValue) {
    const uint32_t value = textureFactor_;
    textureFactor_ = kNoFactorValue;
    if (const int r = SetTextureFactor(value); r != 0) last = r;
  }
  return last;
}

}  // namespace orrivel
