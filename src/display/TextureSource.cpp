#include "display/TextureSource.h"

#include <algorithm>

#include "display/D3DDevice.h"
#include "platform/DisplayMachine.h"

namespace orrivel {

namespace {

constexpr uint32_t kCapsPow2 = platform::kTextureCapsPow2;
constexpr uint32_t kCapsSquareOnly = platform::kTextureCapsSquareOnly;
constexpr uint32_t kCapsNonPow2Conditional = platform::kTextureCapsNonPow2Conditional;

int32_t NextPowerOfTwo(int32_t size) {
  int64_t p = 1;
  while (p < size) p *= 2;
  return int32_t(std::min<int64_t>(p, INT32_MAX));
}

int32_t Limit(int32_t size, uint32_t minimum, uint32_t maximum, bool* shrunk) {
  if (maximum != 0 && uint32_t(size) > maximum) {
    *shrunk = true;
    return int32_t(std::min<uint32_t>(maximum, INT32_MAX));
  }
  if (uint32_t(size) < minimum) return int32_t(std::min<uint32_t>(minimum, INT32_MAX));
  return size;
}

}  // namespace

double TextureSource::TexelToCoordinate(int32_t texel, int32_t textureSize, int32_t contentSize) {
  if (textureSize <= 0) return 0.0;
  const double t = double(textureSize);
  if (contentSize > textureSize) {
    return (double(int64_t(texel) * textureSize) / double(contentSize) + 0.5) / t;
  }
  return (double(texel) + 0.5) / t;
}

TextureSize TextureSizeFor(const D3DDevice& device, int32_t contentWidth, int32_t contentHeight) {
  TextureSize size{std::max(contentWidth, 0), std::max(contentHeight, 0), false};
  const uint32_t caps = device.TextureCaps();
  if ((caps & kCapsPow2) != 0 && (caps & kCapsNonPow2Conditional) == 0) {
    size.width = NextPowerOfTwo(size.width);
    size.height = NextPowerOfTwo(size.height);
  }
  if ((caps & kCapsSquareOnly) != 0) size.width = size.height = std::max(size.width, size.height);
  size.width = Limit(size.width, device.MinTextureWidth(), device.MaxTextureWidth(), &size.shrunk);
  size.height = Limit(size.height, device.MinTextureHeight(), device.MaxTextureHeight(), &size.shrunk);
  return size;
}

}  // namespace orrivel
