#include "platform/headless/HeadlessPresenter.h"

#include <algorithm>

#include "platform/LargePages.h"
#include "platform/PixelLayout.h"
#include "platform/PngWriter.h"

namespace orrivel::platform {
namespace {

uint32_t Mix(uint32_t a, uint32_t b, uint32_t weight /* 0..256, of b */) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    out |= ((ca * (256 - weight) + cb * weight + 128) >> 8) << shift;
  }
  return out;
}

// The part `part` (area coordinates) of an unscaled area, row by row.
void CopyRows(const SurfaceLock& lock, const PixelLayout& layout, const Rect& area, const Rect& part,
              uint32_t* out, int32_t outPitch) {
  for (int32_t y = part.top; y < part.bottom; ++y) {
    const uint8_t* src = lock.bits + size_t(area.top + y) * lock.pitch +
                         size_t(area.left + part.left) * layout.BytesPerPixel();
    uint32_t* dst = out + size_t(y) * outPitch + part.left;
    layout.UnpackRow(dst, src, part.Width());
    for (int32_t x = 0; x < part.Width(); ++x) dst[x] &= 0xFFFFFF;
  }
}

}  // namespace

Rect FitRect(int32_t areaWidth, int32_t areaHeight, int32_t width, int32_t height) {
  if (areaWidth < 1 || areaHeight < 1 || width < 1 || height < 1) return Rect{};
  // The wider of the two aspects decides which side fills the output.
  if (int64_t(width) * areaHeight <= int64_t(areaWidth) * height) {
    const int32_t h = int32_t(int64_t(areaHeight) * width / areaWidth);
    const int32_t y = (height - h) / 2;
    return Rect{0, y, width, y + h};
  }
  const int32_t w = int32_t(int64_t(areaWidth) * height / areaHeight);
  const int32_t x = (width - w) / 2;
  return Rect{x, 0, x + w, height};
}

bool ScaleFrameToRgb(SoftSurface& frame, const Rect& area, int32_t width, int32_t height,
                     bool linear, std::vector<uint32_t>* out) {
  if (out == nullptr || width < 1 || height < 1 || area.IsEmpty()) return false;
  if (area.left < 0 || area.top < 0 || area.right > frame.Width() || area.bottom > frame.Height()) {
    return false;
  }
  SurfaceLock lock;
  if (frame.Lock(nullptr, &lock) != kSurfaceOk) return false;
  const PixelLayout layout(lock.format, frame.Palette());
  const int32_t aw = area.Width(), ah = area.Height();
  auto at = [&](int32_t x, int32_t y) {
    return layout.ReadArgb(lock.bits + size_t(y) * lock.pitch + size_t(x) * layout.BytesPerPixel()) & 0xFFFFFF;
  };
  // Every word is written once: the borders black, the rest the picture.
  // A new buffer's pages are brought in together, not one fault at a time.
  if (out->capacity() < size_t(width) * height) {
    out->reserve(size_t(width) * height);
    PrepareForFirstTouch(out->data(), out->capacity() * sizeof(uint32_t));
  }
  out->resize(size_t(width) * height);
  const Rect fit = FitRect(aw, ah, width, height);
  const int32_t fw = fit.Width(), fh = fit.Height();
  uint32_t* words = out->data();
  std::fill(words, words + size_t(fit.top) * width, 0u);
  std::fill(words + size_t(fit.bottom) * width, words + size_t(height) * width, 0u);
  for (int32_t y = fit.top; y < fit.bottom; ++y) {
    std::fill(words + size_t(y) * width, words + size_t(y) * width + fit.left, 0u);
    std::fill(words + size_t(y) * width + fit.right, words + size_t(y + 1) * width, 0u);
  }
  if (fw == aw && fh == ah) {
    CopyRows(lock, layout, area, Rect{0, 0, aw, ah}, out->data() + size_t(fit.top) * width + fit.left, width);
    frame.Unlock();
    return true;
  }
  for (int32_t dy = 0; dy < fh; ++dy) {
    uint32_t* row = out->data() + size_t(fit.top + dy) * width + fit.left;
    if (!linear || (fw == aw && fh == ah)) {
      // Nearest pixel, sampled at the centre of each output pixel.
      const int32_t sy = area.top + int32_t((int64_t(2 * dy + 1) * ah) / (2 * int64_t(fh)));
      for (int32_t dx = 0; dx < fw; ++dx) {
        row[dx] = at(area.left + int32_t((int64_t(2 * dx + 1) * aw) / (2 * int64_t(fw))), sy);
      }
      continue;
    }
    // Linear: the centre of each output pixel mapped into the source, in 1/256ths.
    const int64_t fy = std::max<int64_t>(0, ((int64_t(2 * dy + 1) * ah * 256) / (2 * fh)) - 128);
    const int32_t y0 = std::min<int32_t>(ah - 1, int32_t(fy >> 8));
    const int32_t y1 = std::min(ah - 1, y0 + 1);
    const uint32_t wy = uint32_t(fy & 0xFF);
    for (int32_t dx = 0; dx < fw; ++dx) {
      const int64_t fx = std::max<int64_t>(0, ((int64_t(2 * dx + 1) * aw * 256) / (2 * fw)) - 128);
      const int32_t x0 = std::min<int32_t>(aw - 1, int32_t(fx >> 8));
      const int32_t x1 = std::min(aw - 1, x0 + 1);
      const uint32_t wx = uint32_t(fx & 0xFF);
      const uint32_t top = Mix(at(area.left + x0, area.top + y0), at(area.left + x1, area.top + y0), wx);
      const uint32_t bottom = Mix(at(area.left + x0, area.top + y1), at(area.left + x1, area.top + y1), wx);
      row[dx] = Mix(top, bottom, wy);
    }
  }
  frame.Unlock();
  return true;
}

int HeadlessPresenter::Present(WindowId window, SoftSurface& frame, const Rect& area,
                               const Rect* dirty, const PresentOptions& options) {
  if (window == kNoWindow) return kPresentInvalid;
  int32_t width = area.Width(), height = area.Height();
  if (auto it = outputSizes_.find(window); it != outputSizes_.end()) {
    width = it->second.first;
    height = it->second.second;
  }
  // Unscaled, with the same size as before: only the changed part is read.
  auto known = frames_.find(window);
  if (dirty != nullptr && known != frames_.end() && known->second.width == width &&
      known->second.height == height && width == area.Width() && height == area.Height() &&
      dirty->left >= area.left && dirty->top >= area.top && dirty->right <= area.right &&
      dirty->bottom <= area.bottom && area.right <= frame.Width() && area.bottom <= frame.Height() &&
      area.left >= 0 && area.top >= 0) {
    SurfaceLock lock;
    if (frame.Lock(nullptr, &lock) != kSurfaceOk) return kPresentInvalid;
    const PixelLayout layout(lock.format, frame.Palette());
    const Rect part{dirty->left - area.left, dirty->top - area.top, dirty->right - area.left,
                    dirty->bottom - area.top};
    CopyRows(lock, layout, area, part, known->second.pixels.data(), width);
    frame.Unlock();
    known->second.lastDirty = *dirty;
    known->second.options = options;
    ++known->second.count;
    return kPresentOk;
  }
  // A present that fails leaves the last good frame where it was: the new
  // one is made in the spare buffer, which then takes the old one's place
  // (and its memory is used again by the next whole present).
  if (!ScaleFrameToRgb(frame, area, width, height, options.linear, &spare_)) return kPresentInvalid;
  Frame& shown = frames_[window];
  shown.pixels.swap(spare_);
  shown.width = width;
  shown.height = height;
  shown.lastDirty = dirty != nullptr ? *dirty : area;
  shown.options = options;
  ++shown.count;
  return kPresentOk;
}

bool HeadlessPresenter::TakeDeviceReset() {
  const bool reset = reset_;
  reset_ = false;
  return reset;
}

void HeadlessPresenter::SetOutputSize(WindowId window, int32_t width, int32_t height) {
  outputSizes_[window] = {width, height};
}

const HeadlessPresenter::Frame* HeadlessPresenter::LastFrame(WindowId window) const {
  auto it = frames_.find(window);
  return it == frames_.end() ? nullptr : &it->second;
}

bool HeadlessPresenter::WritePng(WindowId window, const std::string& path) const {
  const Frame* frame = LastFrame(window);
  if (frame == nullptr) return false;
  return WritePngRgb(path, frame->pixels.data(), uint32_t(frame->width), uint32_t(frame->height));
}

}  // namespace orrivel::platform
