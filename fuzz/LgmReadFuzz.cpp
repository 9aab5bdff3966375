// Reads the input as an LGM layout in both record forms and places it with
// a device, canvas and control factory that accept everything and refuse
// every third request, so loads and their undo both run.
#include <cstdint>
#include <memory>
#include <vector>

#include "FuzzPictures.h"
#include "resource/LgmLayout.h"
#include "resource/LgmSpriteLayout.h"

namespace {

using namespace orrivel;

int g_calls = 0;
bool Refuse() { return ++g_calls % 3 == 0; }

class NullSurface : public fuzz::PlaceholderSurface {
 public:
  NullSurface() : PlaceholderSurface(7, 5) {}
};

class NullSprite : public ImageSpritePort {
 public:
  void SetVisible(bool) override {}
  void SetOpacity(uint8_t) override {}
  SurfacePort* GetSurface() const override { return nullptr; }
};

class NullDevice : public ScreenDevicePort {
 public:
  int CreateSurfaceFromFile(SurfacePort** out, std::string_view, int32_t, int32_t, int32_t) override {
    *out = nullptr;
    if (Refuse()) return 6;
    surfaces.push_back(std::make_unique<NullSurface>());
    *out = surfaces.back().get();
    return 0;
  }
  int CreateSurfaceFromFileIndexed(SurfacePort** out, std::string_view name, int32_t a, int32_t b,
                                   int32_t c) override {
    return CreateSurfaceFromFile(out, name, a, b, c);
  }
  int CreateImageSprite(ImageSpritePort** out, SurfacePort*, const platform::Rect&, int32_t, int32_t) override {
    *out = nullptr;
    if (Refuse()) return 3;
    sprites.push_back(std::make_unique<NullSprite>());
    *out = sprites.back().get();
    return 0;
  }
  void DeleteImage(SurfacePort** image) override { *image = nullptr; }
  void DeleteSprite(ImageSpritePort** sprite) override { *sprite = nullptr; }
  std::vector<std::unique_ptr<NullSurface>> surfaces;
  std::vector<std::unique_ptr<NullSprite>> sprites;
};

class NullList : public SpriteListPort {
 public:
  int AddAfterEqual(ImageSpritePort*, uint32_t, uint32_t) override { return 0; }
};

class NullCanvas : public SpriteCanvasPort {
 public:
  SpriteListPort* MainList() override { return &list; }
  SpriteListPort* OverlayList() override { return nullptr; }
  int SetBackgroundImage(SurfacePort*, int32_t, int32_t, bool) override { return 0; }
  NullList list;
};

class NullControl : public ControlPort {
 public:
  void SetVisible(bool) override {}
  void SetTag(int32_t) override {}
};

class NullFactory : public ControlFactoryPort {
 public:
  int CreateImageButton(ControlPort** out, int32_t, int32_t, std::string_view, bool, int32_t, int32_t, uint8_t,
                        int32_t, int32_t, int32_t) override {
    return Make(out);
  }
  int CreateImageCheckButton(ControlPort** out, int32_t, int32_t, std::string_view, int32_t, bool, ControlPort*,
                             int32_t, uint8_t, int32_t, int32_t, int32_t) override {
    return Make(out);
  }
  int Delete(ControlPort*) override { return 0; }
  SpriteCanvasPort* GetCanvas() override { return &canvas; }
  NullCanvas canvas;
  std::vector<std::unique_ptr<NullControl>> controls;

 private:
  int Make(ControlPort** out) {
    *out = nullptr;
    if (Refuse()) return 1;
    controls.push_back(std::make_unique<NullControl>());
    *out = controls.back().get();
    return 0;
  }
};

class NullHost : public ControlHostPort {
 public:
  int AddControl(ControlPort*, int32_t) override { return 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  NullDevice device;
  NullCanvas canvas;
  LgmLayout layout;
  layout.LoadFromMemory(&device, &canvas, data, size, "fuzz\\x.lgm", 1, size % 2 == 0, false);
  NullFactory factory;
  NullHost host;
  LgmSpriteLayout controls;
  controls.LoadFromMemory(&factory, &host, data, size, "fuzz\\x.lgm", 0, 3, size % 2 == 1, &device);
  return 0;
}
