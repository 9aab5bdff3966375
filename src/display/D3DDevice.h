#pragma once
// The Direct3D layer between the DirectDraw-style display device and the
// screen device: a device on the back surface with its capabilities, its
// texture formats by pixel-format code, an optional z-buffer, and the
// render-state cache through which every state change goes.
#include <cstdint>
#include <memory>
#include <optional>

#include "display/DisplayDevice.h"
#include "platform/RenderDevice.h"
#include "platform/SoftSurface.h"
#include "raster/Rect.h"

namespace orrivel {

// D3DDevice::CreateDevice answers this when only the z-buffer could not be
// attached: the device is made and usable. Callers treat it as success.
inline constexpr int kD3DDeviceNoZBuffer = -1;
// True for the codes of CreateDevice that mean no device was made.
inline bool D3DDeviceCreationFailed(int code) { return code > 0; }

class D3DDevice : public DisplayDevice {
 public:
  D3DDevice();
  ~D3DDevice() override;

  // Creates a device on the surface. 1 no DirectDraw-style object or no
  // surface; 2 the Direct3D interface cannot be had; 3 no device could be
  // made; 4 the capabilities cannot be read; 5 the viewport was refused;
  // kD3DDeviceNoZBuffer the z-buffer failed (the device stays usable); 0.
  // With a rectangle and the option set, the viewport is set to it and a
  // z-buffer attached.
  int CreateDevice(platform::SoftSurface* surface, const Rect* rect, int option);
  void ReleaseDevice();
  // The texture format of a pixel-format code 4 ... 256, or null.
  const platform::SurfacePixelFormat* GetTextureFormat(uint32_t code) const;
  // 0 when z-buffers are disabled or done; 1 no interface or surface; 2 no
  // z-buffer format of the depth; 4 the surface cannot be made.
  int CreateZBuffer(platform::SoftSurface* surface, uint32_t depth);

  bool HasDevice() const { return device_ != nullptr; }
  platform::SoftRenderDevice* RenderDevice() const { return device_.get(); }
  int BeginScene();
  int EndScene();
  int DrawPrimitive(uint32_t type, uint32_t fvf, const void* vertices, uint32_t count);

  // Capability facts.
  bool CanDrawTlVertex() const { return drawPrimTlVertex_ != 0; }
  bool CanAlphaGouraudBlend() const { return alphaGouraudBlend_ != 0; }
  bool AlphaTestUsable() const { return alphaTestUsable_ != 0; }
  bool ZBufferLessHsr() const { return zBufferLessHsr_ != 0; }
  uint16_t MaxTextureBlendStages() const { return maxTextureBlendStages_; }
  uint32_t TextureCaps() const { return textureCaps_; }
  uint32_t TextureOpCaps() const { return textureOpCaps_; }
  uint32_t SrcBlendCaps() const { return srcBlendCaps_; }
  uint32_t DestBlendCaps() const { return destBlendCaps_; }
  uint32_t MinTextureWidth() const { return minTextureWidth_; }
  uint32_t MinTextureHeight() const { return minTextureHeight_; }
  uint32_t MaxTextureWidth() const { return maxTextureWidth_; }
  uint32_t MaxTextureHeight() const { return maxTextureHeight_; }
  uint32_t OfferedTextureCodes() const { return offeredTextureCodes_; }
  uint32_t ZBufferDepth() const { return zBufferDepth_; }
  platform::SoftSurface* ZBuffer() const { return zBuffer_.get(); }
  void SetZBufferDisabled(bool disabled) { zBufferDisabled_ = disabled ? 1 : 0; }

  // Cached state setters: 1 without a device; 0 without a call when the
  // cached value is the new one; 2 when the device refused (the cache keeps
  // its old value); 0 done.
  int SetCullMode(uint8_t value);
  int SetShadeMode(uint8_t value);
  int SetColorKeyEnable(uint8_t value);
  int SetAlphaBlendEnable(uint8_t value);
  int SetSrcBlend(uint8_t value);
  int SetDestBlend(uint8_t value);
  int SetAlphaTestEnable(uint8_t value);
  int SetColorOp(uint8_t value);
  int SetColorArg1(uint8_t value);
  int SetColorArg2(uint8_t value);
  int SetAlphaOp(uint8_t value);
  int SetAlphaArg1(uint8_t value);
  int SetAlphaArg2(uint8_t value);
  int SetAlphaRef(uint8_t value);
  int SetAlphaFunc(uint8_t value);
  int SetTextureFactor(uint32_t value);
  // The texture of stage 0, cached like the states (null: none). The device
  // reads the surface at every draw: set null before the surface goes.
  int SetTexture(platform::SoftSurface* texture);
  // Sends every held state again (after the device was re-created); the
  // last non-zero setter result, else 0.
  int ReapplyStates();
  // Forgets every cached value.
  void ClearStateCache();

 private:
  // The cache entries in their fixed order.
  enum CacheEntry {
    kCacheCullMode,
    kCacheShadeMode,
    kCacheColorKeyEnable,
    kCacheAlphaBlendEnable,
    kCacheSrcBlend,
    kCacheDestBlend,
    kCacheAlphaTestEnable,
    kCacheColorOp,
    kCacheColorArg1,
    kCacheColorArg2,
    kCacheAlphaOp,
    kCacheAlphaArg1,
    kCacheAlphaArg2,
    kCacheAlphaRef,
    kCacheAlphaFunc,
    kCacheByteCount,
  };
  static constexpr uint8_t kNoByteValue = 255;
  static constexpr uint32_t kNoFactorValue = 0xFFFFFFFFu;
  int SetCachedByte(CacheEntry entry, uint8_t value);
  int TryCreateDevice(platform::SoftSurface* surface);
  void ReadCaps(const platform::DeviceCaps& caps);

  bool hasD3D_ = false;
  std::unique_ptr<platform::SoftRenderDevice> device_;
  std::unique_ptr<platform::SoftSurface> zBuffer_;
  std::optional<platform::SurfacePixelFormat> textureFormats_[7];
  uint8_t drawPrimTlVertex_ = 0;
  uint8_t alphaGouraudBlend_ = 0;
  uint8_t alphaTestUsable_ = 0;
  uint8_t zBufferLessHsr_ = 0;
  uint16_t maxTextureBlendStages_ = 0;
  uint32_t textureCaps_ = 0;
  uint32_t textureOpCaps_ = 0;
  uint32_t srcBlendCaps_ = 0;
  uint32_t destBlendCaps_ = 0;
  uint32_t minTextureWidth_ = 0;
  uint32_t minTextureHeight_ = 0;
  uint32_t maxTextureWidth_ = 0;
  uint32_t maxTextureHeight_ = 0;
  uint32_t offeredTextureCodes_ = 0;
  uint8_t zBufferDisabled_ = 0;
  uint32_t zBufferDepth_ = 0;
  uint8_t cache_[kCacheByteCount];
  uint32_t textureFactor_ = kNoFactorValue;
  platform::SoftSurface* texture_ = nullptr;
};

}  // namespace orrivel
