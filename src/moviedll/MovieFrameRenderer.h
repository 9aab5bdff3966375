#pragma once
// The video end of every movie: takes only 32-bit RGB pictures, copies each
// one into whichever image of the program's pair is not the front one
// (turning the pipeline's bottom-up rows into top-down rows), makes that
// image the front one, and tells the program's drawable.
//
// CheckMediaType and SetMediaType run on the thread that opens the movie,
// DoRenderSample on the presentation thread; so do the drawable's
// SetChanged and SetVisible, which a drawable that plays movies must make
// safe to call from there. A picture is written only
// under the lock of the image it goes to, and resizing takes both locks,
// so the program, which holds the front image's lock while drawing it,
// never sees an image change under it.
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/media/MediaTypes.h"
#include "raster/Drawable.h"
#include "raster/PixelBuffer.h"

namespace orrivel {

class MovieFrameRenderer final : public media::VideoRendererSink {
 public:
  static constexpr const char* kClassId = "{5B0E7C21-3A9D-4F68-B2C4-19E6D07A8F35}";

  // images: the program's pair (images[0] and images[1]), borrowed; may be
  // null, and then every type is refused at SetMediaType. notify may be null.
  MovieFrameRenderer(PixelBuffer* images, Drawable* notify) : images_(images), notify_(notify) {}

  // kMediaInvalidArg for another format type, kMediaFail for another major
  // type or subtype.
  media::MediaResult CheckMediaType(const media::MediaType& type) override;
  // Re-creates both images at the frame size (image 0 black). Sides above
  // the pipeline's limit, a missing pair or a failed creation refuse the type.
  media::MediaResult SetMediaType(const media::MediaType& type) override;
  // Drops (kMediaFail) a sample without a buffer or shorter than a frame,
  // and an image without pixels; front then stays.
  media::MediaResult DoRenderSample(media::MediaSample& sample) override;

  int32_t GetWidth() const { return width_; }
  int32_t GetHeight() const { return height_; }
  int32_t GetStride() const { return stride_; }
  uint8_t GetFrontIndex() const { return front_.load(std::memory_order_acquire); }
  bool IsAccepted() const { return accepted_; }

 private:
  PixelBuffer* images_;
  Drawable* notify_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t stride_ = 0;
  std::atomic<uint8_t> front_{0};
  bool accepted_ = false;
};

// Copies `rows` rows of `stride` bytes from a bottom-up picture into
// top-down rows: the source's last row becomes the destination's first.
void CopyRowsReversed(uint8_t* destination, const uint8_t* source, int32_t rows, size_t stride);

}  // namespace orrivel
