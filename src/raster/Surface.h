#pragma once
// The universal drawing target: an 8- or 32-bit DibImage that records every
// change. Each operation that changes pixels or the palette adds the changed
// rectangle to the surface's dirty region (when it has one) and sets the
// changed flag; the retained scene repaints from the region and clears both.
//
// Pictures reach a surface through the image loaders: either the surface is
// created to fit the picture (LoadImage, LoadImageIndexed) or the picture is
// drawn into an existing surface (LoadByName).
//
// Blits copy or combine a rectangle of a source surface into this one. Their
// results: 0 done (also when nothing was visible or the arguments make it a
// no-op), 1 no destination or no source pixels, 2 unsupported depths or a
// missing palette that cannot be made. Nothing is marked dirty unless 0.
//
// Main thread only.
#include <cstdint>
#include <memory>

#include "raster/DibImage.h"
#include "raster/DirtyRegion.h"
#include "raster/StretchStep.h"

namespace orrivel {

class DecodedPicture;
class ImageLoaderManager;
class Surface;
struct BlitRows;

// What the picture loaders get back in their callbacks.
struct SurfaceLoaderContext {
  Surface* surface = nullptr;
  uint8_t flags = 0;
  // 1024 bytes (blue, green, red, reserved), made by AllocForLoader on request.
  std::unique_ptr<uint8_t[]> palette;
};

class Surface : public DibImage {
 public:
  // Creation flags.
  static constexpr uint8_t kWithDeviceContext = 1;
  static constexpr uint8_t kWithRegion = 2;
  // CreateLike: copy the source's device context and region choice.
  static constexpr uint8_t kLikeSource = 2;

  Surface() = default;
  ~Surface() override;

  int SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) override;
  int SetColorKeyAt(int32_t x, int32_t y) override;

  // --- creation and release ---------------------------------------------------
  void FreeBuffers();
  // 0; 1 a bit count other than 8 and 32; 2 no pixels could be made; 3 no
  // region could be made. Nothing is marked dirty.
  int Create(int32_t width, int32_t height, uint8_t bitCount, uint8_t flags);
  // Duplicates a surface. 0; 1 no source pixels; 2 creation failed; 3 the
  // palette could not be copied.
  int CreateLike(Surface* source, uint8_t flags);
  // 0; 1 no pixels; 2 no memory.
  int BuildRowTable();

  // --- pictures (loaders live in SurfaceLoading.cpp) ----------------------------
  // Fills the surface with a 32-bit picture (name, or null for the memory
  // block), creating it to the picture's size. The image loader manager's
  // code, or 1 no manager, 4 the name cannot be resolved, 6 creation
  // failed, 9 conversion failed, 10 any other failure on the cache path.
  int LoadImage(const char* name, const uint8_t* data, uint64_t size, uint8_t flags);
  // The same for an 8-bit picture with its palette.
  int LoadImageIndexed(const char* name, const uint8_t* data, uint64_t size, uint8_t flags);
  // Draws a picture into the existing surface at (x, y). 0; 1 no pixels; 2
  // neither name nor data, or the file cannot be read; 3 no manager, no
  // picture or an unsupported depth; 4 a conversion or palette failure;
  // 5 any other failure; -1 nothing visible.
  int LoadByName(const char* name, const uint8_t* data, uint64_t size, int32_t x, int32_t y,
                 bool keepPalette);
  // Writes the surface's pixels (rows top-down, with the palette of an
  // 8-bit surface) to the picture file name through the image loader
  // manager's picture writer: mode is the writer's save mode, option the
  // writer's type (0: chosen by the name's extension). -4 no pixels; 1 no
  // manager or no name; otherwise the manager's code (0 written).
  int DecodeWithLoader(const char* name, int32_t mode, int32_t option);
  static uint8_t* AllocForLoader(int32_t width, int32_t height, int32_t bitCount, bool hasAlpha,
                                 int32_t* pitch, uint8_t** palette, void* context);
  static void FreeForLoader(void* context);
  // The image loader manager the loaders go through (none until start-up
  // or a test sets one; not owned). Returns the previous one.
  static ImageLoaderManager* SetLoaderManager(ImageLoaderManager* manager);
  static ImageLoaderManager* LoaderManager();

  // --- fills and palette -----------------------------------------------------------
  bool FillRgb(uint8_t red, uint8_t green, uint8_t blue, const Rect* rect);
  bool FillRgbBox(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t red, uint8_t green,
                  uint8_t blue);
  bool FillRect(uint32_t value, const Rect* rect);
  bool FillBox(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t value);
  // 32 bits only: replaces the colour and keeps alpha.
  bool FillColorKeepAlpha(uint8_t red, uint8_t green, uint8_t blue, const Rect* rect);
  // Level 0-510: 255 unchanged, lower darker, higher toward white. 8-bit
  // surfaces change their palette (whole surface only) from the palette as
  // it was before the first call.
  bool SetBrightness(int32_t level, const Rect* rect);
  int SetPalette(const uint32_t* table, size_t tableEntries, int32_t count, int32_t first);
  bool SetPaletteEntry(int32_t index, uint32_t color, bool apply);
  bool FillPalette(uint32_t color, bool apply);
  // False unless both are at most 8 bits; true without change when the
  // source has no palette.
  bool CopyPalette(Surface* source);

  // --- pixels and depth ------------------------------------------------------------------
  // 1 written, 0 not.
  int SetPixel(int32_t x, int32_t y, uint32_t value);
  // Converts between 8 and 32 bits in place, keeping the region. 0; 1 no
  // pixels; 2 same or unsupported bit count; 3 no memory.
  int ConvertDepth(uint8_t bitCount);

  // --- clip set-up (SurfaceClip.cpp) ---------------------------------------------------------
  // Fill BlitSource() and BlitDest(). 0 something to draw; -1 nothing
  // visible; 1 neither source nor source rectangle; 2 a size without a
  // StretchStep. flip reads the source from its bottom row upwards, so cuts
  // at the destination's top come off the source's bottom.
  int ClipBlit(Surface* source, int32_t x, int32_t y, const Rect* sourceRect, const Size* size,
               StretchStep* step, const Rect* destClip, bool flip = false);
  int ClipBlitMirrored(Surface* source, int32_t x, int32_t y, const Rect* sourceRect,
                       const Size* size, StretchStep* step, const Rect* destClip,
                       bool flip = false);
  // Clips a filtered scaling of source rectangle a (right and bottom
  // inclusive) onto destination rectangle b and makes its 32.32 steps.
  static bool SetupStretch(Rect* dest, Rect* source, const Rect& sourceClip, const Rect& destClip,
                           ScaleStep* step);

  // --- blits (SurfaceBlitters.cpp, SurfaceBlendBlitters.cpp) -------------------------------------
  // Mirror modes: 0 left-right, 1 upside down only, 2 both.
  int Copy(Surface* source, int32_t x, int32_t y, const Rect* sourceRect, bool flip);
  int StretchCopy(Surface* source, const Size* size, int32_t x, int32_t y, const Rect* sourceRect,
                  bool flip);
  int CopyMirrored(int mode, Surface* source, int32_t x, int32_t y, const Rect* sourceRect);
  int StretchCopyMirrored(int mode, Surface* source, const Size* size, int32_t x, int32_t y,
                          const Rect* sourceRect);
  int AlphaBlend(Surface* source, int32_t x, int32_t y, const Rect* sourceRect, bool flip);
  int StretchAlphaBlend(Surface* source, const Size* size, int32_t x, int32_t y,
                        const Rect* sourceRect, bool flip);
  int AlphaBlendMirrored(int mode, Surface* source, int32_t x, int32_t y, const Rect* sourceRect);
  int StretchAlphaBlendMirrored(int mode, Surface* source, const Size* size, int32_t x, int32_t y,
                                const Rect* sourceRect);
  int CopyAlphaPlane(Surface* source, int32_t x, int32_t y, const Rect* sourceRect, bool flip);
  int StretchCopyAlphaPlane(Surface* source, const Size* size, int32_t x, int32_t y,
                            const Rect* sourceRect, bool flip);
  int CopyAlphaPlaneMirrored(int mode, Surface* source, int32_t x, int32_t y,
                             const Rect* sourceRect);
  int StretchCopyAlphaPlaneMirrored(int mode, Surface* source, const Size* size, int32_t x,
                                    int32_t y, const Rect* sourceRect);
  int CopyColorKeepAlpha(Surface* source, int32_t x, int32_t y, const Rect* sourceRect);
  int StretchCopyColorKeepAlpha(Surface* source, const Size* size, int32_t x, int32_t y,
                                const Rect* sourceRect);
  int CopyAlphaKeepColor(Surface* source, int32_t x, int32_t y, const Rect* sourceRect);
  int StretchCopyAlphaKeepColor(Surface* source, const Size* size, int32_t x, int32_t y,
                                const Rect* sourceRect);
  int BlendOpacity(Surface* source, uint8_t opacity, int32_t x, int32_t y, const Rect* sourceRect);
  int StretchBlendOpacity(Surface* source, uint8_t opacity, const Size* size, int32_t x, int32_t y,
                          const Rect* sourceRect);
  int BlendModulated(Surface* source, uint32_t destFactors, uint32_t sourceFactors, int32_t x,
                     int32_t y, const Rect* sourceRect);
  int StretchBlendModulated(Surface* source, uint32_t destFactors, uint32_t sourceFactors,
                            const Size* size, int32_t x, int32_t y, const Rect* sourceRect);
  // Mode 0 average, 1 saturating add, 2 saturating subtract; another mode
  // draws nothing but still marks the rectangle.
  int BlendByMode(uint8_t mode, Surface* source, int32_t x, int32_t y, const Rect* sourceRect);
  int StretchBlendByMode(uint8_t mode, Surface* source, const Size* size, int32_t x, int32_t y,
                         const Rect* sourceRect);
  int BlendAlphaLevel(Surface* source, uint8_t level, int32_t x, int32_t y,
                      const Rect* sourceRect);
  // Filtered when the destination is more than half the source both ways.
  int ScaleCopy(Surface* source, const Size* size, int32_t x, int32_t y, const Rect* sourceRect);

  // --- quadrilateral mapping (QuadMapper.cpp) ------------------------------------------------------
  // Draws the source onto the convex area of four destination points (Z
  // order: top-left, top-right, bottom-left, bottom-right); see QuadMapper.h
  // for the codes and the damage. MapQuad maps the source rectangle (null:
  // the source's clip rectangle) from its corners; MapQuadFlagged does the
  // same with the span flag set. MapQuadTextureAlt blends by texel alpha at
  // an opacity.
  int MapQuad(Surface* source, const platform::Point destPoints[4], const Rect* sourceRect,
              const Rect* destClip);
  int MapQuadFlagged(Surface* source, const platform::Point destPoints[4], const Rect* sourceRect,
                     const Rect* destClip);
  int MapQuadTexture(Surface* source, const platform::Point destPoints[4],
                     const platform::Point sourcePoints[4], const Rect* destClip,
                     uint8_t spanFlag);
  int MapQuadTextureAlt(Surface* source, const platform::Point destPoints[4],
                        const platform::Point sourcePoints[4], uint8_t opacity,
                        const Rect* destClip, uint8_t spanFlag);

  // --- rotated drawing (RotatedDrawing.cpp; see RotatedDrawing.h) ----------------------------------
  int DrawRotated(Surface* source, uint8_t anchor, int32_t x, int32_t y, int32_t angle,
                  int32_t scale, const Rect* sourceRect, const Rect* destClip);
  int DrawRotatedAlt(Surface* source, uint8_t anchor, int32_t x, int32_t y, int32_t angle,
                     int32_t scale, uint8_t opacity, const Rect* sourceRect,
                     const Rect* destClip);

  // --- state --------------------------------------------------------------------------------
  const uint32_t* SavedPalette() const { return savedPalette_.get(); }
  // Forgets the palette kept for brightness changes, so the next
  // SetBrightness starts from the palette as it is now. Palette operations
  // that replace the colours call this.
  void ReleaseSavedPalette() { savedPalette_.reset(); }
  bool HasAlpha() const { return hasAlpha_ != 0; }
  void SetHasAlpha(bool value) { hasAlpha_ = value ? 1 : 0; }
  bool Changed() const { return changed_ != 0; }
  void ClearChanged() { changed_ = 0; }
  DirtyRegion* Region() const { return region_; }
  // Replaces the region that receives changes (null: no tracking). A region
  // set here is never deleted by the surface.
  void SetRegion(DirtyRegion* region) { region_ = region; }
  DirtyRegion* OwnedRegion() const { return ownedRegion_.get(); }
  // The row addresses, or null when none were built for the pixels the
  // surface holds now (a resize or re-creation moves the rows).
  uint8_t* const* RowTable();
  const uint8_t* AttachedData() const { return attachedData_.get(); }
  uint64_t AttachedSize() const { return attachedSize_; }
  const Rect& BlitSource() const { return blitSource_; }
  const Rect& BlitDest() const { return blitDest_; }

  // Records a changed rectangle and sets the changed flag.
  void MarkDirty(const Rect& rect);
  void MarkAllDirty();

 private:
  int ClipBlitImpl(Surface* source, int32_t x, int32_t y, const Rect* sourceRect, const Size* size,
                   StretchStep* step, const Rect* destClip, bool mirror, bool flip);
  // Clips and works out the addresses of a blit. 0 ready; otherwise the
  // clip's answer (the blit then ends with 0 and nothing dirty).
  int PlanBlit(Surface* source, int32_t x, int32_t y, const Rect* sourceRect, const Size* size,
               bool mirror, bool flip, BlitRows* rows);
  int CopyFamily(Surface* source, const Size* size, int32_t x, int32_t y, const Rect* sourceRect,
                 bool mirror, bool flip);
  int AlphaBlendFamily(Surface* source, const Size* size, int32_t x, int32_t y,
                       const Rect* sourceRect, bool mirror, bool flip);
  int AlphaPlaneFamily(Surface* source, const Size* size, int32_t x, int32_t y,
                       const Rect* sourceRect, bool mirror, bool flip);
  int ColorOnlyFamily(Surface* source, const Size* size, int32_t x, int32_t y,
                      const Rect* sourceRect);
  int AlphaOnlyFamily(Surface* source, const Size* size, int32_t x, int32_t y,
                      const Rect* sourceRect);
  // Checks pixels and depths, clips, runs draw over the rows and marks the
  // destination rectangle.
  template <typename Draw>
  int Blend32(Surface* source, const Size* size, int32_t x, int32_t y, const Rect* sourceRect,
              Draw draw);
  // Checks pixels (1) and that both are 32-bit (2); 0 when they are.
  int Check32(Surface* source);
  // Makes sure an 8-bit source has a palette (the grey ramp); false when it
  // cannot be made.
  static bool EnsureSourcePalette(Surface* source);
  int LoadImageAs(const char* name, const uint8_t* data, uint64_t size, uint8_t flags,
                  bool indexed);
  int FillFromCached(const DecodedPicture& picture, uint8_t flags, bool indexed);
  int DrawElgDirect(const uint8_t* data, uint64_t size, bool keepPalette, bool* handled);
  int DrawPicture(const DecodedPicture& picture, int32_t x, int32_t y, bool keepPalette);
  bool SetAttachedData(const uint8_t* data, uint64_t size);

  std::unique_ptr<uint32_t[]> savedPalette_;
  uint8_t hasAlpha_ = 0;
  uint8_t changed_ = 0;
  std::unique_ptr<DirtyRegion> ownedRegion_;
  DirtyRegion* region_ = nullptr;
  std::unique_ptr<uint8_t*[]> rowTable_;
  // The pixels the row table was built for.
  const uint8_t* rowTableBits_ = nullptr;
  int32_t rowTablePitch_ = 0;
  int32_t rowTableHeight_ = 0;
  std::unique_ptr<uint8_t[]> attachedData_;
  uint64_t attachedSize_ = 0;
  Rect blitSource_;
  Rect blitDest_;
};

}  // namespace orrivel
