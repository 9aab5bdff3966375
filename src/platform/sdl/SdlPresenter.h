#pragma once
// Shows the screen device's frames in SDL windows: one renderer and one
// streaming texture per window. Only the changed part of a frame is
// uploaded, and a frame in which nothing changed is not presented again;
// the texture is drawn scaled into the window's drawable area with black
// borders, by nearest pixel or linearly, with or without the renderer's
// vertical-blank wait. A renderer that loses its device
// (targets or device reset) is reported once through TakeDeviceReset.
#include <cstdint>
#include <map>

#include "platform/Presenter.h"

namespace orrivel::platform {

class SdlBackend;

class SdlPresenter : public Presenter {
 public:
  explicit SdlPresenter(SdlBackend& backend) : backend_(backend) {}
  ~SdlPresenter() override;

  int Present(WindowId window, SoftSurface& frame, const Rect& area, const Rect* dirty,
              const PresentOptions& options) override;
  bool TakeDeviceReset() override;
  // The renderer can present on the vertical blank.
  bool SupportsVSync() const override { return true; }
  void Forget(WindowId window) override;
  // Draws the window's texture once more and reads the renderer's output.
  bool WriteSnapshot(WindowId window, const std::string& path) override;
  // Lets go of every renderer (before the video system shuts down).
  void ForgetAll();
  // True when the window has a renderer (its surface is then not drawn directly).
  bool Owns(WindowId window) const { return views_.count(window) != 0; }
  // Called by the back end for the renderer reset events. The textures are
  // made again, so the next present of each window uploads its whole area.
  void NoteDeviceReset();
  // Fills a client rectangle of a presented window (borders, GDI fills).
  bool Fill(WindowId window, const Rect& area, uint32_t rgb);

 private:
  struct View {
    void* renderer = nullptr;
    void* texture = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    bool vsync = false;
    bool linear = false;
    // The window shows something else than the texture (a fill went over
    // it): the next present draws it again even when nothing changed.
    bool stale = true;
  };
  View* Prepare(WindowId window, int32_t width, int32_t height, const PresentOptions& options);
  static void Destroy(View& view);
  // Draws the view's texture fitted into the output, borders black, and
  // gives the output's size; false without a texture or output.
  static bool Redraw(View& view, Size* output = nullptr);

  SdlBackend& backend_;
  std::map<WindowId, View> views_;
  bool reset_ = false;
};

}  // namespace orrivel::platform
