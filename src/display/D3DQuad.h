#pragma once
// A picture held in a texture, drawn straight through the Direct3D device
// as a textured quad: four corners (top-left, top-right, bottom-left,
// bottom-right) with a colour each, a source rectangle inside the picture,
// a position and a display size (0: the source rectangle's). Its nine state
// bytes (blending, colour operation, alpha operation) go through the
// device's state cache when its registry asks for states. The texture is
// borrowed from the image list that owns it.
#include <cstdint>

#include "display/PrimitiveVertex.h"
#include "display/PlacedSceneObject.h"

namespace orrivel {

class TextureSource;

inline constexpr int kSceneObjectD3DQuad = 4;

class D3DQuad : public PlacedSceneObject {
 public:
  D3DQuad() { D3DQuad::Reset(); }

  // Draw's results.
  enum : int { kDrawNoTexture = 1, kDrawNoDevice = 2, kDrawTextureRefused = 3, kDrawFailed = 4 };

  // The create step: 1 without a texture (or one without a surface);
  // otherwise the states follow the texture's format (blended when it has
  // alpha), the source rectangle is the given one cut to the picture (null:
  // the whole picture), the corners take its texture coordinates, and the
  // quad goes to (x, y). 0.
  virtual int Create(TextureSource* texture, const Rect* source, int32_t x, int32_t y);
  // 1 when null or without a surface (nothing changes); 0.
  virtual int SetTexture(TextureSource* texture);
  TextureSource* Texture() const { return texture_; }

  // --- SceneObject ------------------------------------------------------------------------
  int GetKind() const override { return kSceneObjectD3DQuad; }
  // 0 hidden or drawn; 1 no device or texture; 2 no Direct3D device; 3 the
  // texture was refused; 4 the drawing failed.
  int Draw(int32_t a, int32_t b, D3DDevice* device) override;
  void SetPosition(int32_t x, int32_t y) override;
  void SetSize(int32_t width, int32_t height) override;
  void SetSizeAndPosition(int32_t width, int32_t height, int32_t x, int32_t y) override;
  bool HitTest(int32_t x, int32_t y, uint8_t precise) override;
  bool GetBounds(Rect* out) const override;
  // Back to the state after construction.
  void Reset();

  // --- states and corners --------------------------------------------------------------------
  void SetStage0(uint8_t enable, uint8_t source, uint8_t destination) { blend_ = {enable, source, destination}; }
  void SetStage1(uint8_t op, uint8_t arg1, uint8_t arg2) { colorOp_ = {op, arg1, arg2}; }
  void SetStage2(uint8_t op, uint8_t arg1, uint8_t arg2) { alphaOp_ = {op, arg1, arg2}; }
  // False unless a texture is set. The rectangle (null: kept) is cut to the
  // picture and the display size applied again; the corners take the
  // texture coordinates of its edges moved by the offsets.
  bool SetTexRect(int32_t offsetX, int32_t offsetY, const Rect* rect);
  // The four corners as x, y pairs in drawing order.
  void SetCorners(const float corners[8]);
  void SetColor(uint32_t rgb);
  void SetVertexColors(const uint32_t rgb[4]);
  // False for an index outside 0..3.
  bool SetVertexColor(int32_t index, uint32_t rgb);
  void SetAlpha(int32_t alpha);
  // The alpha of the first corner; the same alpha on every corner.
  bool GetAlpha(uint8_t* alpha) const override;
  void SetAlpha(uint8_t alpha) override { SetAlpha(int32_t(alpha)); }
  void SetVertexAlphas(const int32_t alpha[4]);
  bool SetVertexAlpha(int32_t index, int32_t alpha);
  // Additive (or with subtract set, against inverse alpha) drawing at an
  // alpha, with the picture brightened (strength above 255) or darkened
  // (below) by a grey diffuse colour; 255 leaves its colours as they are.
  void SetAddSub(uint8_t subtract, int32_t alpha, int32_t strength);
  // Rebuilds the corners from the position and size, then turns them by
  // angle (512ths of a turn) about the anchor of the mode (AnchorOffset).
  void SetAnchor(int32_t angle, uint32_t mode);

  // --- state -----------------------------------------------------------------------------------
  const TexturedVertex* Vertices() const { return vertices_; }
  const Rect& SourceRect() const { return source_; }
  StateTriple Blend() const { return blend_; }
  StateTriple ColorOp() const { return colorOp_; }
  StateTriple AlphaOp() const { return alphaOp_; }
  int32_t DisplayWidth() const { return width_ != 0 ? width_ : source_.Width(); }
  int32_t DisplayHeight() const { return height_ != 0 ? height_ : source_.Height(); }

  void ForgetImage(const Image* image) override;

 protected:
  // Draws with the texture already checked; the subclasses bring their
  // picture up to date first.
  int DrawTextured(D3DDevice* device);

 private:
  void PlaceCorners();
  void MapTexture();
  // The texture's picture as a rectangle at the origin.
  Rect ContentRect() const;
  bool PreciseMiss(int32_t x, int32_t y);

  TextureSource* texture_ = nullptr;
  StateTriple blend_;
  StateTriple colorOp_;
  StateTriple alphaOp_;
  TexturedVertex vertices_[4];
  Rect source_;
  int32_t offsetX_ = 0;
  int32_t offsetY_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace orrivel
