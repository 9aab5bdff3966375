#include "moviedll/MovieFrameRenderer.h"

#include <cstdlib>
#include <cstring>

#include "base/ScopedLock.h"

namespace orrivel {

using media::kMediaFail;
using media::kMediaInvalidArg;
using media::kMediaOk;
using media::MediaResult;

void CopyRowsReversed(uint8_t* destination, const uint8_t* source, int32_t rows, size_t stride) {
  const uint8_t* row = source + size_t(rows - 1) * stride;
  for (int32_t y = 0; y < rows; ++y) {
    std::memcpy(destination, row, stride);
    destination += stride;
    row -= stride;
  }
}

MediaResult MovieFrameRenderer::CheckMediaType(const media::MediaType& type) {
  if (type.formatType != media::MediaFormatType::kVideoInfo) return kMediaInvalidArg;
  if (type.majorType != media::MediaMajorType::kVideo) return kMediaFail;
  if (type.subtype != media::MediaSubtype::kRgb32) return kMediaFail;
  return kMediaOk;
}

MediaResult MovieFrameRenderer::SetMediaType(const media::MediaType& type) {
  // The header's height is negative for top-down rows; only its size counts.
  const int64_t height = std::llabs(int64_t(type.height));
  const int64_t width = type.width;
  if (images_ == nullptr) return kMediaFail;
  if (width < 1 || height < 1 || width > media::kMaxFrameSide || height > media::kMaxFrameSide) {
    return kMediaFail;
  }
  // Both images change size: neither may be drawn or written meanwhile.
  ScopedLock lock0(images_[0].Lock());
  ScopedLock lock1(images_[1].Lock());
  // Until both exist at the new size, no picture may be stored.
  width_ = height_ = stride_ = 0;
  if (PixelBufferCreate(images_[0], int32_t(width), int32_t(height), 32) != 0) return kMediaFail;
  std::memset(images_[0].GetBits(), 0, size_t(width) * 4 * size_t(height));
  if (PixelBufferCreate(images_[1], int32_t(width), int32_t(height), 32) != 0) return kMediaFail;
  width_ = int32_t(width);
  height_ = int32_t(height);
  stride_ = int32_t(width * 4);
  accepted_ = true;
  return kMediaOk;
}

MediaResult MovieFrameRenderer::DoRenderSample(media::MediaSample& sample) {
  const uint8_t* buffer = sample.GetPointer();
  if (buffer == nullptr || width_ == 0) return kMediaFail;
  const size_t frameBytes = size_t(stride_) * size_t(height_);
  if (sample.GetActualDataLength() < frameBytes) return kMediaFail;
  const uint8_t back = GetFrontIndex() == 0 ? 1 : 0;
  {
    PixelBuffer& image = images_[back];
    ScopedLock lock(image.Lock());
    uint8_t* destination = image.GetBits();
    if (destination == nullptr || image.GetPitch() != stride_ || image.GetHeight() != height_) {
      return kMediaFail;
    }
    CopyRowsReversed(destination, buffer, height_, size_t(stride_));
    front_.store(back, std::memory_order_release);
  }
  if (notify_ != nullptr) {
    notify_->SetChanged(1);
    notify_->SetVisible(1);
  }
  return kMediaOk;
}

}  // namespace orrivel
