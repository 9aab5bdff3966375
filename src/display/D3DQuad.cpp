#include "display/D3DQuad.h"

#include <algorithm>
#include <cmath>

#include "display/D3DDevice.h"
#include "display/SceneObjectRegistry.h"
#include "display/TextureSource.h"
#include "raster/Image.h"
#include "raster/PixelFormat.h"

namespace orrivel {

namespace {

bool Usable(TextureSource* texture) { return texture != nullptr && texture->GetSurface() != nullptr; }

// The colour operations the quad starts with: the texture modulated by the
// corner colours, and the texture's own alpha.
constexpr StateTriple kModulateColor{platform::kTopModulate, platform::kTaTexture, platform::kTaCurrent};
constexpr StateTriple kTextureAlpha{platform::kTopSelectArg1, platform::kTaTexture, platform::kTaCurrent};
constexpr StateTriple kModulateAlpha{platform::kTopModulate, platform::kTaTexture, platform::kTaDiffuse};

}  // namespace

void D3DQuad::Reset() {
  texture_ = nullptr;
  blend_ = colorOp_ = alphaOp_ = StateTriple{};
  source_ = Rect{};
  offsetX_ = offsetY_ = 0;
  x_ = y_ = width_ = height_ = 0;
  for (TexturedVertex& v : vertices_) v = TexturedVertex{};
}

int D3DQuad::Create(TextureSource* texture, const Rect* source, int32_t x, int32_t y) {
  if (!Usable(texture)) return 1;
  Reset();
  texture_ = texture;
  blend_ = texture->GetPixelFormatCode() < kPixelFormatA1R5G5B5 ? kOpaqueBlend : kAlphaBlend;
  colorOp_ = kModulateColor;
  alphaOp_ = kTextureAlpha;
  source_ = ContentRect();
  if (source != nullptr) {
    Rect cut = *source;
    source_ = IntersectRectInPlace(&cut, &source_) ? cut : Rect{};
  }
  MapTexture();
  SetPosition(x, y);
  return 0;
}

int D3DQuad::SetTexture(TextureSource* texture) {
  if (!Usable(texture)) return 1;
  texture_ = texture;
  return 0;
}

Rect D3DQuad::ContentRect() const {
  return Rect{0, 0, texture_->GetContentWidth(), texture_->GetContentHeight()};
}

void D3DQuad::MapTexture() {
  const float left = float(texture_->TexelToU(source_.left + offsetX_));
  const float right = float(texture_->TexelToU(source_.right + offsetX_));
  const float top = float(texture_->TexelToV(source_.top + offsetY_));
  const float bottom = float(texture_->TexelToV(source_.bottom + offsetY_));
  vertices_[0].u = vertices_[2].u = left;
  vertices_[1].u = vertices_[3].u = right;
  vertices_[0].v = vertices_[1].v = top;
  vertices_[2].v = vertices_[3].v = bottom;
}

void D3DQuad::PlaceCorners() { PlaceBoxCorners(vertices_, x_, y_, DisplayWidth(), DisplayHeight()); }

void D3DQuad::SetPosition(int32_t x, int32_t y) {
  x_ = x;
  y_ = y;
  PlaceCorners();
}

void D3DQuad::SetSize(int32_t width, int32_t height) {
  width_ = width;
  height_ = height;
  SetPosition(x_, y_);
}

void D3DQuad::SetSizeAndPosition(int32_t width, int32_t height, int32_t x, int32_t y) {
  width_ = width;
  height_ = height;
  SetPosition(x, y);
}

void D3DQuad::ForgetImage(const Image* image) {
  if (texture_ == nullptr || dynamic_cast<const TextureSource*>(image) != texture_) return;
  texture_ = nullptr;
  SetVisible(false);
}

bool D3DQuad::GetBounds(Rect* out) const {
  if (texture_ == nullptr || out == nullptr) return false;
  *out = Rect{x_, y_, ClampedEdge(x_, DisplayWidth()), ClampedEdge(y_, DisplayHeight())};
  return true;
}

bool D3DQuad::HitTest(int32_t x, int32_t y, uint8_t precise) {
  Rect bounds;
  if (!Usable(texture_) || !GetBounds(&bounds)) return false;
  if (x < bounds.left || y < bounds.top || x >= bounds.right || y >= bounds.bottom) return false;
  if (!precise || texture_->GetKind() != kImageKindMediaImage) return true;
  return !PreciseMiss(x - bounds.left, y - bounds.top);
}

bool D3DQuad::PreciseMiss(int32_t x, int32_t y) {
  const uint32_t key = texture_->GetColorKey();
  if (key == kNoColorKey) return false;
  int64_t px = x;
  int64_t py = y;
  if (width_ != 0) px = px * source_.Width() / width_;
  if (height_ != 0) py = py * source_.Height() / height_;
  px += source_.left;
  py += source_.top;
  // A picture larger than its texture was shrunk into it.
  const int32_t contentWidth = texture_->GetContentWidth();
  const int32_t contentHeight = texture_->GetContentHeight();
  if (contentWidth > texture_->GetWidth()) px = px * texture_->GetWidth() / contentWidth;
  if (contentHeight > texture_->GetHeight()) py = py * texture_->GetHeight() / contentHeight;
  uint32_t pixel = 0;
  if (px < 0 || py < 0 || px > INT32_MAX || py > INT32_MAX) return false;
  if (!ReadRawPixel(texture_->GetSurface(), int32_t(px), int32_t(py), &pixel)) return false;
  return pixel == key;
}

bool D3DQuad::SetTexRect(int32_t offsetX, int32_t offsetY, const Rect* rect) {
  if (!Usable(texture_)) return false;
  if (rect != nullptr) {
    Rect cut = *rect;
    const Rect content = ContentRect();
    source_ = IntersectRectInPlace(&cut, &content) ? cut : Rect{};
    SetSize(width_, height_);
  }
  offsetX_ = offsetX;
  offsetY_ = offsetY;
  MapTexture();
  return true;
}

void D3DQuad::SetCorners(const float corners[8]) {
  for (int i = 0; i < 4; ++i) {
    vertices_[i].x = corners[i * 2];
    vertices_[i].y = corners[i * 2 + 1];
  }
}

void D3DQuad::SetColor(uint32_t rgb) {
  for (TexturedVertex& v : vertices_) v.diffuse = WithRgb(v.diffuse, rgb);
}

void D3DQuad::SetVertexColors(const uint32_t rgb[4]) {
  for (int i = 0; i < 4; ++i) vertices_[i].diffuse = WithRgb(vertices_[i].diffuse, rgb[i]);
}

bool D3DQuad::SetVertexColor(int32_t index, uint32_t rgb) {
  if (index < 0 || index > 3) return false;
  vertices_[index].diffuse = WithRgb(vertices_[index].diffuse, rgb);
  return true;
}

void D3DQuad::SetAlpha(int32_t alpha) {
  for (TexturedVertex& v : vertices_) v.diffuse = WithAlpha(v.diffuse, alpha);
}

bool D3DQuad::GetAlpha(uint8_t* alpha) const {
  if (alpha != nullptr) *alpha = uint8_t(vertices_[0].diffuse >> 24);
  return true;
}

void D3DQuad::SetVertexAlphas(const int32_t alpha[4]) {
  for (int i = 0; i < 4; ++i) vertices_[i].diffuse = WithAlpha(vertices_[i].diffuse, alpha[i]);
}

bool D3DQuad::SetVertexAlpha(int32_t index, int32_t alpha) {
  if (index < 0 || index > 3) return false;
  vertices_[index].diffuse = WithAlpha(vertices_[index].diffuse, alpha);
  return true;
}

void D3DQuad::SetAddSub(uint8_t subtract, int32_t alpha, int32_t strength) {
  blend_ = subtract ? kAdditiveBlend : kAlphaBlend;
  alphaOp_ = kModulateAlpha;
  const uint32_t a = uint32_t(alpha) & 0xFF;
  // A grey diffuse colour taken from the texture (below 255) or added to
  // it (from 255 up): 255 is grey 0 added, the picture as it is.
  uint32_t grey;
  if (strength < 255) {
    colorOp_ = StateTriple{platform::kTopSubtract, platform::kTaTexture, platform::kTaCurrent};
    grey = uint32_t(std::min<int64_t>(255, int64_t(255) - strength));
  } else {
    colorOp_ = StateTriple{platform::kTopAdd, platform::kTaTexture, platform::kTaCurrent};
    grey = uint32_t(std::min<int64_t>(255, int64_t(strength) - 255));
  }
  for (TexturedVertex& v : vertices_) v.diffuse = a << 24 | grey * 0x010101u;
}

void D3DQuad::SetAnchor(int32_t angle, uint32_t mode) {
  PlaceTurnedBox(vertices_, x_, y_, DisplayWidth(), DisplayHeight(), angle, mode);
}

int D3DQuad::Draw(int32_t, int32_t, D3DDevice* device) {
  if (!IsVisible()) return 0;
  if (device == nullptr || !Usable(texture_)) return kDrawNoTexture;
  if (!device->HasDevice()) return kDrawNoDevice;
  return DrawTextured(device);
}

int D3DQuad::DrawTextured(D3DDevice* device) {
  if (device->SetTexture(texture_->GetSurface()) != 0) return kDrawTextureRefused;
  if (Registry() != nullptr && Registry()->Enabled()) {
    ApplyBlend(*device, blend_);
    ApplyStage(*device, colorOp_, alphaOp_);
  }
  return device->DrawPrimitive(platform::kPrimTriangleStrip, kTexturedVertexFormat, vertices_, 4) != 0
             ? kDrawFailed
             : 0;
}

}  // namespace orrivel
