#pragma once
// An image whose pixels live in a display surface the program creates
// itself: a blank off-screen surface or texture of a given size, or a
// surface holding a picture file (or a picture in memory) decoded through
// the image loaders. It fills itself with a colour, takes a source colour
// key from a colour or from one of its pixels, and re-creates its contents
// after the display surfaces were lost. The pixels are reached only by
// locking the surface, so GetBits and GetScanLine answer null.
//
// It also owns the copy of a memory image into any display surface with
// pixel conversion (CopyToImage, CopyToImageAlt).
//
// Results are small codes, 0 success. Main thread only.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/SoftDirectDraw.h"
#include "platform/SoftSurface.h"
#include "raster/ClippedImage.h"
#include "resource/DecodedPicture.h"
#include "resource/ElgDecoder.h"
#include "resource/FileObject.h"

namespace orrivel {

class DisplayScreenDevice;

class SurfaceImage : public ClippedImage {
 public:
  // A non-null device becomes the process-wide one that every surface
  // image reads its drawing object and display depth from.
  explicit SurfaceImage(DisplayScreenDevice* device = nullptr);
  ~SurfaceImage() override;

  static DisplayScreenDevice* ScreenDevice();
  // Sets (or, with null, forgets) the process-wide device; for start-up and tests.
  static void SetScreenDevice(DisplayScreenDevice* device);

  // --- Image -------------------------------------------------------------------------
  uint8_t GetKind() const override { return kImageKindSurfaceImage; }
  uint8_t* GetBits() override { return nullptr; }
  uint8_t* GetScanLine(int32_t) override { return nullptr; }
  // 1 no surface; 2 the format cannot be read; 3 the key was refused.
  int SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) override;
  // 1 no pixel there (nothing changed); 2 the key was refused.
  int SetColorKeyAt(int32_t x, int32_t y) override;
  // The key as a pixel value of the surface's format; -1 none.
  uint32_t GetColorKey() const override { return surfaceKey_; }
  int ClearColorKey() override;
  // 0 done or nothing to do; 1 the reload failed; 2 no memory; 3 the blank
  // surface cannot be made; 4 the fill failed; 5 and 6 the key cannot be
  // set again (from the colour, from the key position).
  int Restore(uint8_t checkLost) override;
  platform::SoftSurface* GetDisplaySurface() override { return surface_.get(); }

  // --- surface -----------------------------------------------------------------------
  // Drops the surface and the file name; size, pitch, clip and user values stay.
  virtual void Release();
  // 1 no device, a size below 1 or a texture without a format; 2 the device
  // has no drawing object; 3 the surface was refused; 4 its description
  // cannot be read.
  int CreateBlank(int32_t width, int32_t height, uint8_t systemMemory, uint8_t texture,
                  const platform::SurfacePixelFormat* format);
  // A picture from a file (name) or from memory (data, size). 1 nothing to
  // read, an unresolvable name or an unreadable file; 2 no loader manager
  // or an undecodable picture; 3 the surface cannot be made; 4 it cannot be
  // locked or its device context taken; 5 the picture cannot be put into it;
  // 6 any other failure. Failures from the surface's creation on release
  // the image; earlier ones leave it as it was.
  int LoadFile(const char* name, const uint8_t* data, uint64_t size, uint8_t systemMemory);
  // Writes the picture into the top-left corner. 1 lock failed; 2 no
  // converter for the format or the conversion failed.
  int UploadImage(const DecodedPicture& picture);
  // Clears the bits outside the colour masks of every pixel. 1 no surface;
  // 2 lock failed; 3 a depth other than 16 or 32 with unmasked bits.
  int ClearUnusedBits();
  // 1 no surface; 2 the fill failed. Success forgets the file name.
  int Fill(uint8_t red, uint8_t green, uint8_t blue);
  // The colour bits of the pixel (8 bits: the index); -1 outside, without
  // a surface, when the lock fails or for an unsupported depth.
  int32_t ReadPixel(int32_t x, int32_t y);

  // Copies a memory image (8 or 32 bits) into this surface at (x, y),
  // converting and clipping to this image's clip rectangle. 1 no surface,
  // no source or no source pixels; 2 lock failed or no palette could be
  // given to an 8-bit source; 3 a source depth or surface format that
  // cannot be converted (nothing copied); 0 also when nothing is left.
  int CopyToImage(Image* source, int32_t x, int32_t y, const Rect* sourceRect,
                  const platform::SurfaceLock* locked);
  // The same copy into any display surface of the given format code and clip.
  static int CopyToImageAlt(platform::SoftSurface* destination, uint32_t formatCode,
                            const Rect* clip, Image* source, int32_t x, int32_t y,
                            const Rect* sourceRect, const platform::SurfaceLock* locked);

  // --- state ---------------------------------------------------------------------------
  const std::optional<std::string>& FileName() const { return fileName_; }
  uint32_t FormatCode() const { return formatCode_; }
  uint32_t FillColor() const { return fillColor_; }
  // The colour key as 0x00RRGGBB (-1 none): the colour SetColorKeyRgb took.
  uint32_t RgbColorKey() const { return colorKey_; }
  int32_t KeyX() const { return keyX_; }
  int32_t KeyY() const { return keyY_; }
  uint8_t SystemMemory() const { return systemMemory_; }
  uint8_t VideoMemory() const { return videoMemory_; }

 protected:
  // Where a picture's bytes come from: a cached decoded picture, a file
  // read whole (path is then the name the cache knows it by) or the
  // caller's memory block.
  struct PictureSource {
    std::string path;
    bool named = false;
    PictureHolder cached;
    FileObject file;
    const uint8_t* data = nullptr;
    uint64_t size = 0;
  };
  // 0, or 1 when there is nothing to read, the name cannot be resolved or
  // the file cannot be read.
  static int OpenPictureSource(const char* name, const uint8_t* data, uint64_t size,
                               PictureSource* out);
  static bool IsElg(const uint8_t* data, uint64_t size);
  // False when the header is malformed or claims more than the bytes hold.
  static bool ReadElgHeader(const uint8_t* data, uint64_t size, ElgDecoder::Header* header);
  // Decodes an ELG picture straight into the locked surface at 32 bits:
  // 4 lock failed, 2 the decode failed.
  int DecodeElgDirect(const uint8_t* data, uint64_t size);

  // Releases the surface and the three key fields.
  void DropSurface();
  // Sets a saved key again: the colour when there was one (failure 5),
  // else the pixel at the key position (failure 6).
  int RestoreKey(uint32_t rgbKey, int32_t keyX, int32_t keyY);
  // Sets the source key on the surface; false when refused.
  bool ApplySurfaceKey(uint32_t value);
  // Creates a display surface of the request; 0, else a kDd result.
  static int MakeSurface(const platform::SurfaceRequest& request,
                         std::unique_ptr<platform::SoftSurface>* out);
  // An odd width grows by a column on a 24-bit display (off-screen surfaces).
  static int32_t AllocatedWidth(int32_t width);

  std::unique_ptr<platform::SoftSurface> surface_;
  uint32_t formatCode_ = 0;
  int32_t keyX_ = -1;
  int32_t keyY_ = -1;
  uint32_t surfaceKey_ = kNoColorKey;

 private:
  int LoadBytes(const std::string* name, const uint8_t* data, uint64_t size, uint8_t systemMemory,
                DecodedPicture* cached);
  int PutPicture(const DecodedPicture& picture);
  int PutPictureThroughDc(const DecodedPicture& picture);

  std::optional<std::string> fileName_;
  uint32_t fillColor_ = kNoColorKey;
  uint8_t systemMemory_ = 0;
  uint8_t videoMemory_ = 0;
};

}  // namespace orrivel
