// The software rasteriser behind SoftRenderDevice: pre-transformed triangles
// with Gouraud diffuse colour, one texture stage, colour key, alpha test and
// the blend factors, written into a surface of any format.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/PixelLayout.h"
#include "platform/RenderDevice.h"

namespace orrivel::platform {

RasterState::RasterState() {
  std::fill(std::begin(render), std::end(render), 0u);
  std::fill(std::begin(stage), std::end(stage), 0u);
  render[kRsShadeMode] = kShadeGouraud;
  render[kRsSrcBlend] = kBlendOne;
  render[kRsDestBlend] = kBlendZero;
  render[kRsCullMode] = kCullCcw;
  render[kRsAlphaFunc] = kCmpAlways;
  render[kRsTextureFactor] = 0xFFFFFFFFu;
  render[kRsLighting] = 1;
  stage[kTssColorOp] = kTopModulate;
  stage[kTssColorArg1] = kTaTexture;
  stage[kTssColorArg2] = kTaCurrent;
  stage[kTssAlphaOp] = kTopSelectArg1;
  stage[kTssAlphaArg1] = kTaTexture;
  stage[kTssAlphaArg2] = kTaCurrent;
  stage[kTssAddress] = stage[kTssAddressU] = stage[kTssAddressV] = kAddressWrap;
  stage[kTssMagFilter] = stage[kTssMinFilter] = kFilterPoint;
  stage[kTssMipFilter] = 1;
}

namespace {

struct Color {
  int r = 255, g = 255, b = 255, a = 255;
};

Color FromArgb(uint32_t v) {
  return {int(v >> 16 & 0xFF), int(v >> 8 & 0xFF), int(v & 0xFF), int(v >> 24)};
}
uint32_t ToArgb(const Color& c) {
  return uint32_t(c.a) << 24 | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | uint32_t(c.b);
}
int Mul255(int a, int b) { return (a * b + 127) / 255; }
int Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

struct Vertex {
  float x, y, rhw;
  float r, g, b, a;
  float u, v;
};

// Texels of stage 0, with its addressing, filter and colour key.
class Sampler {
 public:
  Sampler(const SurfaceLock& lock, const PixelLayout& layout, const RasterState& s, bool keyed,
          ColorKey key)
      : lock_(lock), layout_(layout), keyed_(keyed), key_(key) {
    addrU_ = s.stage[kTssAddressU];
    addrV_ = s.stage[kTssAddressV];
    linear_ = s.stage[kTssMagFilter] == kFilterLinear || s.stage[kTssMinFilter] == kFilterLinear;
    fast32_ = lock.format.bitCount == 32 && lock.format.redMask == 0xFF0000 &&
              lock.format.greenMask == 0xFF00 && lock.format.blueMask == 0xFF;
    opaque_ = lock.format.alphaMask == 0;
  }

  // The filtered texel at (u, v); keyed is set when the colour key removed
  // the texel (point) or the texels holding most of the weight (linear).
  uint32_t Sample(float u, float v, bool* keyed) const {
    const int w = lock_.width, h = lock_.height;
    // Far-away coordinates address like nearby ones but keep the texel
    // index inside int.
    u = std::isnan(u) ? 0.0f : std::clamp(u, -4096.0f, 4096.0f);
    v = std::isnan(v) ? 0.0f : std::clamp(v, -4096.0f, 4096.0f);
    if (!linear_) {
      const int x = Address(int(std::floor(u * float(w))), w, addrU_);
      const int y = Address(int(std::floor(v * float(h))), h, addrV_);
      return Fetch(x, y, keyed);
    }
    const float tx = u * float(w) - 0.5f, ty = v * float(h) - 0.5f;
    const float fx0 = std::floor(tx), fy0 = std::floor(ty);
    const int fx = int((tx - fx0) * 256.0f), fy = int((ty - fy0) * 256.0f);
    const int x0 = Address(int(fx0), w, addrU_), x1 = Address(int(fx0) + 1, w, addrU_);
    const int y0 = Address(int(fy0), h, addrV_), y1 = Address(int(fy0) + 1, h, addrV_);
    bool k[4];
    const uint32_t t[4] = {Fetch(x0, y0, &k[0]), Fetch(x1, y0, &k[1]), Fetch(x0, y1, &k[2]),
                           Fetch(x1, y1, &k[3])};
    int wt[4] = {(256 - fx) * (256 - fy), fx * (256 - fy), (256 - fx) * fy, fx * fy};
    // Keyed texels drop out of the filter: the pixel goes when they hold
    // most of the weight, else the others share it, so that a keyed edge
    // neither darkens nor grows.
    int keyedWeight = 0;
    for (int i = 0; i < 4; ++i) keyedWeight += k[i] ? wt[i] : 0;
    *keyed = keyedWeight * 2 >= 65536;
    if (*keyed) return 0;
    uint32_t out = 0;
    if (keyedWeight == 0) {
      for (int shift = 0; shift < 32; shift += 8) {
        uint32_t sum = 0;
        for (int i = 0; i < 4; ++i) sum += (t[i] >> shift & 0xFF) * uint32_t(wt[i]);
        out |= ((sum + 32768) >> 16) << shift;
      }
      return out;
    }
    const int total = 65536 - keyedWeight;
    for (int shift = 0; shift < 32; shift += 8) {
      uint64_t sum = 0;
      for (int i = 0; i < 4; ++i) sum += k[i] ? 0 : uint64_t(t[i] >> shift & 0xFF) * uint32_t(wt[i]);
      out |= uint32_t((sum + uint64_t(total / 2)) / uint64_t(total)) << shift;
    }
    return out;
  }

 private:
  static int Address(int i, int size, uint32_t mode) {
    if (mode == kAddressClamp) return i < 0 ? 0 : i >= size ? size - 1 : i;
    if (mode == kAddressMirror) {
      const int period = 2 * size;
      int m = ((i % period) + period) % period;
      return m < size ? m : period - 1 - m;
    }
    return ((i % size) + size) % size;
  }
  uint32_t Fetch(int x, int y, bool* keyed) const {
    const uint8_t* p = lock_.bits + size_t(y) * lock_.pitch + size_t(x) * layout_.BytesPerPixel();
    uint32_t raw;
    if (fast32_) std::memcpy(&raw, p, 4);
    else raw = layout_.Load(p);
    *keyed = keyed_ && raw >= key_.low && raw <= key_.high;
    if (*keyed) return 0;  // a keyed texel is transparent black
    if (fast32_) return opaque_ ? raw | 0xFF000000u : raw;
    return layout_.Unpack(raw);
  }

  const SurfaceLock& lock_;
  const PixelLayout& layout_;
  bool keyed_;
  ColorKey key_;
  uint32_t addrU_, addrV_;
  bool linear_ = false;
  bool fast32_ = false;
  bool opaque_ = false;
};

[[gnu::always_inline]] inline Color Argument(uint32_t arg, const Color& diffuse, const Color& texel, const Color& factor) {
  Color c;
  switch (arg & 0x0F) {
    case kTaDiffuse:
    case kTaCurrent:
      c = diffuse;
      break;
    case kTaTexture:
      c = texel;
      break;
    case kTaTFactor:
      c = factor;
      break;
    default:
      c = diffuse;
      break;
  }
  if (arg & kTaComplement) c = {255 - c.r, 255 - c.g, 255 - c.b, 255 - c.a};
  if (arg & kTaAlphaReplicate) c.r = c.g = c.b = c.a;
  return c;
}

[[gnu::always_inline]] inline int Operate(uint32_t op, int a1, int a2, int current, int diffuseAlpha, int textureAlpha) {
  switch (op) {
    case kTopSelectArg1:
      return a1;
    case kTopSelectArg2:
      return a2;
    case kTopModulate:
      return Mul255(a1, a2);
    case kTopModulate2x:
      return Clamp255(Mul255(a1, a2) * 2);
    case kTopModulate4x:
      return Clamp255(Mul255(a1, a2) * 4);
    case kTopAdd:
      return Clamp255(a1 + a2);
    case kTopAddSigned:
      return Clamp255(a1 + a2 - 128);
    case kTopSubtract:
      return Clamp255(a1 - a2);
    case kTopBlendDiffuseAlpha:
      return Mul255(a1, diffuseAlpha) + Mul255(a2, 255 - diffuseAlpha);
    case kTopBlendTextureAlpha:
      return Mul255(a1, textureAlpha) + Mul255(a2, 255 - textureAlpha);
    default:  // disabled: the stage passes its input on
      return current;
  }
}

int BlendFactor(uint32_t f, int srcC, int srcA, int dstC, int dstA) {
  switch (f) {
    case kBlendZero:
      return 0;
    case kBlendOne:
      return 255;
    case kBlendSrcColor:
      return srcC;
    case kBlendInvSrcColor:
      return 255 - srcC;
    case kBlendSrcAlpha:
      return srcA;
    case kBlendInvSrcAlpha:
      return 255 - srcA;
    case kBlendDestAlpha:
      return dstA;
    case kBlendInvDestAlpha:
      return 255 - dstA;
    case kBlendDestColor:
      return dstC;
    case kBlendInvDestColor:
      return 255 - dstC;
    default:
      return 255;
  }
}

bool AlphaPasses(uint32_t func, int alpha, int ref) {
  switch (func) {
    case kCmpNever:
      return false;
    case kCmpLess:
      return alpha < ref;
    case kCmpEqual:
      return alpha == ref;
    case kCmpLessEqual:
      return alpha <= ref;
    case kCmpGreater:
      return alpha > ref;
    case kCmpNotEqual:
      return alpha != ref;
    case kCmpGreaterEqual:
      return alpha >= ref;
    default:
      return true;
  }
}

// Everything one triangle needs that does not change between triangles.
struct Pipeline {
  const RasterState* state;
  SurfaceLock target;
  PixelLayout targetLayout;
  const Sampler* sampler;  // null without a texture
  bool hasTexCoords;
  Rect clip;

  void Shade(int x, int y, Color diffuse, float u, float v) const {
    const RasterState& s = *state;
    bool keyed = false;
    Color texel;
    if (sampler != nullptr && hasTexCoords) texel = FromArgb(sampler->Sample(u, v, &keyed));
    if (keyed) return;
    const Color factor = FromArgb(s.render[kRsTextureFactor]);
    Color out = diffuse;
    const uint32_t colorOp = s.stage[kTssColorOp];
    if (colorOp != kTopDisable) {
      const Color c1 = Argument(s.stage[kTssColorArg1], diffuse, texel, factor);
      const Color c2 = Argument(s.stage[kTssColorArg2], diffuse, texel, factor);
      out.r = Operate(colorOp, c1.r, c2.r, diffuse.r, diffuse.a, texel.a);
      out.g = Operate(colorOp, c1.g, c2.g, diffuse.g, diffuse.a, texel.a);
      out.b = Operate(colorOp, c1.b, c2.b, diffuse.b, diffuse.a, texel.a);
      const Color a1 = Argument(s.stage[kTssAlphaArg1], diffuse, texel, factor);
      const Color a2 = Argument(s.stage[kTssAlphaArg2], diffuse, texel, factor);
      out.a = Operate(s.stage[kTssAlphaOp], a1.a, a2.a, diffuse.a, diffuse.a, texel.a);
    }
    if (s.render[kRsAlphaTestEnable] != 0 &&
        !AlphaPasses(s.render[kRsAlphaFunc], out.a, int(s.render[kRsAlphaRef] & 0xFF))) {
      return;
    }
    uint8_t* p = target.bits + size_t(y) * target.pitch + size_t(x) * targetLayout.BytesPerPixel();
    if (s.render[kRsAlphaBlendEnable] != 0) {
      const Color dst = FromArgb(targetLayout.ReadArgb(p));
      const uint32_t fs = s.render[kRsSrcBlend], fd = s.render[kRsDestBlend];
      auto mix = [&](int sc, int dc) {
        return Clamp255(Mul255(sc, BlendFactor(fs, sc, out.a, dc, dst.a)) +
                        Mul255(dc, BlendFactor(fd, sc, out.a, dc, dst.a)));
      };
      out = {mix(out.r, dst.r), mix(out.g, dst.g), mix(out.b, dst.b), mix(out.a, dst.a)};
    }
    targetLayout.WriteArgb(p, ToArgb(out));
  }

  void Triangle(Vertex v0, Vertex v1, Vertex v2) const {
    constexpr int64_t kOne = 256;  // sub-pixel steps per pixel
    auto fixed = [](float f) { return int64_t(std::llround(double(f) * 256.0)); };
    int64_t x0 = fixed(v0.x), y0 = fixed(v0.y), x1 = fixed(v1.x), y1 = fixed(v1.y);
    int64_t x2 = fixed(v2.x), y2 = fixed(v2.y);
    int64_t area = (x1 - x0) * (y2 - y0) - (y1 - y0) * (x2 - x0);
    if (area == 0) return;
    // area > 0: clockwise as seen on the screen.
    const uint32_t cull = state->render[kRsCullMode];
    if ((cull == kCullCcw && area < 0) || (cull == kCullCw && area > 0)) return;
    if (area < 0) {
      std::swap(v1, v2);
      std::swap(x1, x2);
      std::swap(y1, y2);
      area = -area;
    }
    const Color flat{int(v0.r), int(v0.g), int(v0.b), int(v0.a)};
    const bool gouraud = state->render[kRsShadeMode] != kShadeFlat;

    // Bounding box of pixel centres, cut to the clip rectangle.
    auto ceilDiv = [](int64_t a) { return int32_t(a >= 0 ? (a + kOne - 1) / kOne : -((-a) / kOne)); };
    auto floorDiv = [](int64_t a) { return int32_t(a >= 0 ? a / kOne : -((-a + kOne - 1) / kOne)); };
    const int32_t minX = std::max(clip.left, ceilDiv(std::min({x0, x1, x2})));
    const int32_t maxX = std::min(clip.right - 1, floorDiv(std::max({x0, x1, x2})));
    const int32_t minY = std::max(clip.top, ceilDiv(std::min({y0, y1, y2})));
    const int32_t maxY = std::min(clip.bottom - 1, floorDiv(std::max({y0, y1, y2})));
    if (minX > maxX || minY > maxY) return;

    // Edge a->b at p: (bx - ax)(py - ay) - (by - ay)(px - ax); a top edge
    // runs right along a row, a left edge runs up.
    struct Edge {
      int64_t ax, ay, dx, dy, bias;
      int64_t At(int64_t px, int64_t py) const { return dx * (py - ay) - dy * (px - ax); }
    };
    auto edge = [](int64_t ax, int64_t ay, int64_t bx, int64_t by) {
      const int64_t dx = bx - ax, dy = by - ay;
      const bool topLeft = (dy == 0 && dx > 0) || dy < 0;
      return Edge{ax, ay, dx, dy, topLeft ? 0 : -1};
    };
    const Edge e12 = edge(x1, y1, x2, y2), e20 = edge(x2, y2, x0, y0), e01 = edge(x0, y0, x1, y1);
    const float inv = 1.0f / float(area);
    const float q0 = v0.rhw, q1 = v1.rhw, q2 = v2.rhw;
    // Equal rhw (every flat picture) needs no division per pixel: the
    // weights already add up to one.
    const bool affine = q0 == q1 && q1 == q2;
    // One colour at every corner needs no interpolation either.
    const bool oneColor = v0.r == v1.r && v1.r == v2.r && v0.g == v1.g && v1.g == v2.g &&
                          v0.b == v1.b && v1.b == v2.b && v0.a == v1.a && v1.a == v2.a;
    const bool interpolateColor = gouraud && !oneColor;
    for (int32_t py = minY; py <= maxY; ++py) {
      const int64_t fy = int64_t(py) * kOne;
      int64_t w0 = e12.At(int64_t(minX) * kOne, fy), w1 = e20.At(int64_t(minX) * kOne, fy);
      int64_t w2 = e01.At(int64_t(minX) * kOne, fy);
      const int64_t s0 = -e12.dy * kOne, s1 = -e20.dy * kOne, s2 = -e01.dy * kOne;
      for (int32_t px = minX; px <= maxX; ++px, w0 += s0, w1 += s1, w2 += s2) {
        if (w0 + e12.bias < 0 || w1 + e20.bias < 0 || w2 + e01.bias < 0) continue;
        float b0, b1, b2, norm;
        if (affine) {
          b0 = float(w0) * inv;
          b1 = float(w1) * inv;
          b2 = float(w2) * inv;
          norm = 1.0f;
        } else {
          b0 = float(w0) * inv * q0;
          b1 = float(w1) * inv * q1;
          b2 = float(w2) * inv * q2;
          norm = 1.0f / (b0 + b1 + b2);
        }
        auto lerp = [&](float a, float b, float c) { return (a * b0 + b * b1 + c * b2) * norm; };
        Color diffuse = flat;
        if (interpolateColor) {
          diffuse = {Clamp255(int(lerp(v0.r, v1.r, v2.r) + 0.5f)), Clamp255(int(lerp(v0.g, v1.g, v2.g) + 0.5f)),
                     Clamp255(int(lerp(v0.b, v1.b, v2.b) + 0.5f)), Clamp255(int(lerp(v0.a, v1.a, v2.a) + 0.5f))};
        }
        Shade(px, py, diffuse, lerp(v0.u, v1.u, v2.u), lerp(v0.v, v1.v, v2.v));
      }
    }
  }
};

Vertex ReadVertex(const uint8_t* p, uint32_t fvf) {
  Vertex v{};
  float pos[4];
  std::memcpy(pos, p, 16);
  v.x = pos[0];
  v.y = pos[1];
  v.rhw = pos[3] > 0.0f && std::isfinite(pos[3]) ? pos[3] : 1.0f;
  p += 16;
  uint32_t diffuse = 0xFFFFFFFFu;
  if (fvf & kFvfDiffuse) {
    std::memcpy(&diffuse, p, 4);
    p += 4;
  }
  v.a = float(diffuse >> 24);
  v.r = float(diffuse >> 16 & 0xFF);
  v.g = float(diffuse >> 8 & 0xFF);
  v.b = float(diffuse & 0xFF);
  if (fvf & kFvfTex1) {
    float uv[2];
    std::memcpy(uv, p, 8);
    v.u = uv[0];
    v.v = uv[1];
  }
  return v;
}

bool Finite(const Vertex& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.u) && std::isfinite(v.v) &&
         std::fabs(v.x) < 1e6f && std::fabs(v.y) < 1e6f;
}

}  // namespace

int RasterizePrimitive(SoftSurface* target, const RasterState& state, uint32_t type, uint32_t fvf,
                       const void* vertices, uint32_t count) {
  if (target == nullptr || vertices == nullptr || (fvf & kFvfXyzRhw) == 0) return kRenderInvalid;
  if (type != kPrimTriangleList && type != kPrimTriangleStrip && type != kPrimTriangleFan) {
    return kRenderInvalid;
  }
  if (count < 3) return kRenderOk;
  const size_t stride = 16 + ((fvf & kFvfDiffuse) ? 4 : 0) + ((fvf & kFvfTex1) ? 8 : 0);

  SurfaceLock targetLock;
  const int locked = target->Lock(nullptr, &targetLock);
  if (locked == kSurfaceLost) return kRenderLost;
  if (locked != kSurfaceOk) return kRenderFailed;
  SurfaceLock textureLock;
  SoftSurface* texture = state.texture;
  if (texture != nullptr) {
    if (texture == target || texture->Lock(nullptr, &textureLock) != kSurfaceOk) {
      target->Unlock();
      return texture != nullptr && texture->IsLost() ? kRenderLost : kRenderFailed;
    }
  }
  ColorKey key;
  // The texture's key only counts while colour keying is on.
  const bool keyed = texture != nullptr && state.render[kRsColorKeyEnable] != 0 &&
                     texture->GetColorKey(&key) == kSurfaceOk;
  const PixelLayout textureLayout(textureLock.format, texture ? texture->Palette() : nullptr);
  const Sampler sampler(textureLock, textureLayout, state, keyed, key);

  Pipeline pipe{&state, targetLock, PixelLayout(targetLock.format, target->Palette()),
                texture ? &sampler : nullptr, (fvf & kFvfTex1) != 0, Rect{}};
  pipe.clip = Rect{std::max(0, state.clip.left), std::max(0, state.clip.top),
                   std::min(targetLock.width, state.clip.right), std::min(targetLock.height, state.clip.bottom)};

  const uint8_t* base = static_cast<const uint8_t*>(vertices);
  auto vertex = [&](uint32_t i) { return ReadVertex(base + i * stride, fvf); };
  auto draw = [&](const Vertex& a, const Vertex& b, const Vertex& c) {
    if (Finite(a) && Finite(b) && Finite(c) && !pipe.clip.IsEmpty()) pipe.Triangle(a, b, c);
  };
  if (type == kPrimTriangleList) {
    for (uint32_t i = 0; i + 2 < count; i += 3) draw(vertex(i), vertex(i + 1), vertex(i + 2));
  } else if (type == kPrimTriangleStrip) {
    // Every other triangle of a strip is turned round so that all face one way.
    for (uint32_t i = 0; i + 2 < count; ++i) {
      if (i & 1) draw(vertex(i + 1), vertex(i), vertex(i + 2));
      else draw(vertex(i), vertex(i + 1), vertex(i + 2));
    }
  } else {
    const Vertex centre = vertex(0);
    for (uint32_t i = 1; i + 1 < count; ++i) draw(centre, vertex(i), vertex(i + 1));
  }
  if (texture != nullptr) texture->Unlock();
  target->Unlock();
  return kRenderOk;
}

}  // namespace orrivel::platform
