#include "platform/sdl/SdlPresenter.h"

#include "platform/sdl/SdlApi.h"

#include <vector>

#include "platform/PixelLayout.h"
#include "platform/PngWriter.h"
#include "platform/headless/HeadlessPresenter.h"
#include "platform/sdl/SdlBackend.h"

namespace orrivel::platform {
namespace {

SDL_Renderer* AsRenderer(void* p) { return static_cast<SDL_Renderer*>(p); }
SDL_Texture* AsTexture(void* p) { return static_cast<SDL_Texture*>(p); }

}  // namespace

SdlPresenter::~SdlPresenter() { ForgetAll(); }

void SdlPresenter::ForgetAll() {
  for (auto& [window, view] : views_) Destroy(view);
  views_.clear();
}

void SdlPresenter::Destroy(View& view) {
  if (view.texture) sdl::Api().DestroyTexture(AsTexture(view.texture));
  if (view.renderer) sdl::Api().DestroyRenderer(AsRenderer(view.renderer));
  view = View{};
}

void SdlPresenter::Forget(WindowId window) {
  auto it = views_.find(window);
  if (it == views_.end()) return;
  Destroy(it->second);
  views_.erase(it);
}

SdlPresenter::View* SdlPresenter::Prepare(WindowId window, int32_t width, int32_t height,
                                          const PresentOptions& options) {
  SDL_Window* sdl = static_cast<SDL_Window*>(backend_.NativeWindow(window));
  if (sdl == nullptr) return nullptr;
  View& view = views_[window];
  if (view.renderer == nullptr) {
    // The software renderer as a last resort keeps a frame on any display.
    SDL_Renderer* renderer = sdl::Api().CreateRenderer(sdl, -1, options.vsync ? SDL_RENDERER_PRESENTVSYNC : 0);
    if (renderer == nullptr) renderer = sdl::Api().CreateRenderer(sdl, -1, SDL_RENDERER_SOFTWARE);
    if (renderer == nullptr) {
      views_.erase(window);
      return nullptr;
    }
    view.renderer = renderer;
    view.vsync = options.vsync;
  }
  if (view.vsync != options.vsync) {
    sdl::Api().RenderSetVSync(AsRenderer(view.renderer), options.vsync ? 1 : 0);
    view.vsync = options.vsync;
  }
  if (view.texture == nullptr || view.width != width || view.height != height) {
    if (view.texture) sdl::Api().DestroyTexture(AsTexture(view.texture));
    view.texture = sdl::Api().CreateTexture(AsRenderer(view.renderer), SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, width, height);
    if (view.texture == nullptr) return nullptr;
    view.width = width;
    view.height = height;
    view.linear = !options.linear;  // forces the scale mode below
  }
  if (view.linear != options.linear) {
    sdl::Api().SetTextureScaleMode(AsTexture(view.texture),
                                   options.linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    view.linear = options.linear;
  }
  return &view;
}

int SdlPresenter::Present(WindowId window, SoftSurface& frame, const Rect& area, const Rect* dirty,
                          const PresentOptions& options) {
  if (area.IsEmpty() || area.left < 0 || area.top < 0 || area.right > frame.Width() ||
      area.bottom > frame.Height()) {
    return kPresentInvalid;
  }
  const bool fresh = views_.count(window) == 0 || views_[window].width != area.Width() ||
                     views_[window].height != area.Height();
  View* view = Prepare(window, area.Width(), area.Height(), options);
  if (view == nullptr) return kPresentFailed;
  // A new texture holds nothing yet: the whole area goes up.
  Rect upload = area;
  if (dirty != nullptr && !fresh) {
    upload = Rect{std::max(area.left, dirty->left), std::max(area.top, dirty->top),
                  std::min(area.right, dirty->right), std::min(area.bottom, dirty->bottom)};
  }
  // Nothing changed and the window still shows the texture: the frame on
  // screen is already this one, and drawing it again would only cost.
  if (upload.IsEmpty() && !view->stale) return kPresentOk;
  if (!upload.IsEmpty()) {
    SurfaceLock lock;
    if (frame.Lock(nullptr, &lock) != kSurfaceOk) return kPresentFailed;
    const SDL_Rect part{upload.left - area.left, upload.top - area.top, upload.Width(), upload.Height()};
    void* pixels = nullptr;
    int pitch = 0;
    if (sdl::Api().LockTexture(AsTexture(view->texture), &part, &pixels, &pitch) != 0) {
      frame.Unlock();
      return kPresentFailed;
    }
    const PixelLayout layout(lock.format, frame.Palette());
    for (int32_t y = 0; y < upload.Height(); ++y) {
      const uint8_t* src =
          lock.bits + size_t(upload.top + y) * lock.pitch + size_t(upload.left) * layout.BytesPerPixel();
      uint32_t* dst = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + size_t(y) * pitch);
      layout.UnpackRow(dst, src, upload.Width());
      for (int32_t x = 0; x < upload.Width(); ++x) dst[x] |= 0xFF000000u;
    }
    sdl::Api().UnlockTexture(AsTexture(view->texture));
    frame.Unlock();
  }
  if (!Redraw(*view)) return kPresentFailed;
  sdl::Api().RenderPresent(AsRenderer(view->renderer));
  view->stale = false;
  return kPresentOk;
}

bool SdlPresenter::Redraw(View& view, Size* output) {
  // The back buffer is undefined after every present: each one draws the
  // whole output again, borders included.
  SDL_Renderer* renderer = AsRenderer(view.renderer);
  int outW = 0, outH = 0;
  if (view.texture == nullptr || sdl::Api().GetRendererOutputSize(renderer, &outW, &outH) != 0 || outW <= 0 ||
      outH <= 0) {
    return false;
  }
  if (output) *output = Size{outW, outH};
  const Rect fit = FitRect(view.width, view.height, outW, outH);
  sdl::Api().SetRenderDrawColor(renderer, 0, 0, 0, 255);
  sdl::Api().RenderClear(renderer);
  const SDL_Rect to{fit.left, fit.top, fit.Width(), fit.Height()};
  return sdl::Api().RenderCopy(renderer, AsTexture(view.texture), nullptr, &to) == 0;
}

bool SdlPresenter::WriteSnapshot(WindowId window, const std::string& path) {
  auto it = views_.find(window);
  if (it == views_.end()) return false;
  SDL_Renderer* renderer = AsRenderer(it->second.renderer);
  // Drawn again exactly as Present does, and read before the next present.
  Size output;
  if (!Redraw(it->second, &output)) return false;
  const int outW = output.width, outH = output.height;
  std::vector<uint32_t> pixels(size_t(outW) * size_t(outH));
  if (sdl::Api().RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), outW * 4) != 0)
    return false;
  for (uint32_t& pixel : pixels) pixel &= 0x00FFFFFFu;
  return WritePngRgb(path, pixels.data(), uint32_t(outW), uint32_t(outH));
}

bool SdlPresenter::Fill(WindowId window, const Rect& area, uint32_t rgb) {
  auto it = views_.find(window);
  if (it == views_.end()) return false;
  SDL_Renderer* renderer = AsRenderer(it->second.renderer);
  // The fill goes over the last frame, not over whatever the back buffer holds.
  Redraw(it->second);
  sdl::Api().SetRenderDrawColor(renderer, uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255);
  const SDL_Rect rect{area.left, area.top, area.Width(), area.Height()};
  sdl::Api().RenderFillRect(renderer, &rect);
  sdl::Api().RenderPresent(renderer);
  // The fill covers part of the frame until the next present draws it.
  it->second.stale = true;
  return true;
}

void SdlPresenter::NoteDeviceReset() {
  // What the textures held is undefined after a reset: a later present that
  // names only its changed part would leave stale pixels around it.
  for (auto& [window, view] : views_) {
    if (view.texture) sdl::Api().DestroyTexture(AsTexture(view.texture));
    view.texture = nullptr;
    view.width = view.height = 0;
  }
  reset_ = true;
}

bool SdlPresenter::TakeDeviceReset() {
  const bool reset = reset_;
  reset_ = false;
  return reset;
}

}  // namespace orrivel::platform
