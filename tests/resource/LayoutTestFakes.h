#pragma once
// Recording stand-ins for what layouts and animations use of the screen
// device, the sprite canvas, the control factory and surfaces. Surfaces
// decode real ELG and bitmap files with the engine's decoders, so a damaged
// picture fails the way it will with the real surface. Every call is logged
// in order, and the device and factory know which objects are still alive,
// so tests can check that a failed load leaves nothing behind.
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "resource/BmpDecoder.h"
#include "resource/ControlFactoryPort.h"
#include "resource/ElgDecoder.h"
#include "resource/WholeFile.h"

namespace orrivel::testing {

class FakeSurface : public SurfacePort {
 public:
  FakeSurface() = default;
  FakeSurface(int32_t width, int32_t height, int32_t bitCount) : width_(width), height_(height), bits_(bitCount) {}

  int32_t GetWidth() const override { return width_; }
  int32_t GetHeight() const override { return height_; }
  int32_t GetBitCount() const override { return bits_; }
  int32_t LoadImageFromMemory(const uint8_t* data, uint64_t size, bool indexed) override {
    FreeImage();
    ElgDecoder elg;
    BmpDecoder bmp;
    PictureDecoder* decoder = nullptr;
    if (elg.IsSupported(data, size, nullptr)) decoder = &elg;
    else if (bmp.IsSupported(data, size, nullptr)) decoder = &bmp;
    if (!decoder) return 2;
    const int32_t code = decoder->DecodeInto(data, size, &FakeSurface::Allocate, this, false, nullptr, nullptr);
    if (code != 0) {
      FreeImage();
      return code;
    }
    bits_ = indexed ? 8 : 32;
    ++loads;
    return 0;
  }
  int32_t LoadImage(std::string_view fileName, bool indexed) override {
    std::vector<uint8_t> bytes;
    if (!LoadWholeFile(fileName, &bytes)) return 3;
    loadedName.assign(fileName);
    return LoadImageFromMemory(bytes.data(), bytes.size(), indexed);
  }
  void FreeImage() override {
    width_ = height_ = 0;
    pixels_.clear();
    colorKey_ = kNoColorKey;
  }
  void SetAlphaFlag(bool hasAlpha) override { alphaFlag = hasAlpha ? 1 : 0; }
  int SetColorKeyAt(int32_t x, int32_t y) override {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 1;
    colorKey_ = pixels_[size_t(y) * size_t(width_) + size_t(x)] & 0xFFFFFF;
    return 0;
  }
  int SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) override {
    colorKey_ = (uint32_t(red) << 16) | (uint32_t(green) << 8) | blue;
    return 0;
  }
  uint32_t GetColorKey() const override { return colorKey_; }
  int32_t GetUserValue1() const override { return userValue1; }
  int32_t GetUserValue2() const override { return userValue2; }

  int alphaFlag = -1;  // -1 never set
  int32_t userValue1 = 0;
  int32_t userValue2 = 0;
  int loads = 0;
  std::string loadedName;

 private:
  static uint8_t* Allocate(int32_t width, int32_t height, int32_t, bool, int32_t* pitch, uint8_t**, void* user) {
    auto* self = static_cast<FakeSurface*>(user);
    self->width_ = width;
    self->height_ = height;
    self->pixels_.assign(size_t(width) * size_t(height) + 1, 0);
    *pitch = width * 4;
    return reinterpret_cast<uint8_t*>(self->pixels_.data());
  }

  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t bits_ = 32;
  std::vector<uint32_t> pixels_;
  uint32_t colorKey_ = kNoColorKey;
};

class FakeSurfaceFactory : public SurfaceFactoryPort {
 public:
  std::unique_ptr<SurfacePort> CreateSurface() override { return std::make_unique<FakeSurface>(); }
  std::unique_ptr<SurfacePort> CreateSurface(int32_t width, int32_t height, int32_t bitCount) override {
    sized.push_back({width, height, bitCount});
    if (refuseSized || width <= 0 || height <= 0) return nullptr;
    return std::make_unique<FakeSurface>(width, height, bitCount);
  }
  struct Request {
    int32_t width, height, bitCount;
  };
  std::vector<Request> sized;
  bool refuseSized = false;
};

class FakeSprite : public ImageSpritePort {
 public:
  void SetVisible(bool value) override { visible = value; }
  void SetOpacity(uint8_t value) override { opacity = value; }
  SurfacePort* GetSurface() const override { return surface; }

  SurfacePort* surface = nullptr;
  platform::Rect source;
  int32_t x = 0, y = 0;
  int visible = -1;
  int opacity = -1;
  std::string list;  // the list it joined
  uint32_t order = 0;
};

// The device keeps every surface and sprite it made until deleted.
class FakeDevice : public ScreenDevicePort {
 public:
  int CreateSurfaceFromFile(SurfacePort** out, std::string_view fileName, int32_t, int32_t, int32_t) override {
    return Make(out, fileName, false);
  }
  int CreateSurfaceFromFileIndexed(SurfacePort** out, std::string_view fileName, int32_t, int32_t,
                                   int32_t) override {
    return Make(out, fileName, true);
  }
  int CreateImageSprite(ImageSpritePort** out, SurfacePort* surface, const platform::Rect& source, int32_t x,
                        int32_t y) override {
    log.push_back("sprite");
    *out = nullptr;
    if (refuseSprites) return 3;
    auto sprite = std::make_unique<FakeSprite>();
    sprite->surface = surface;
    sprite->source = source;
    sprite->x = x;
    sprite->y = y;
    *out = sprite.get();
    sprites.push_back(std::move(sprite));
    return 0;
  }
  void DeleteImage(SurfacePort** image) override {
    if (!*image) return;
    log.push_back("delete image " + names[*image]);
    std::erase_if(surfaces, [&](const auto& s) { return s.get() == *image; });
    *image = nullptr;
  }
  void DeleteSprite(ImageSpritePort** sprite) override {
    if (!*sprite) return;
    log.push_back("delete sprite");
    std::erase_if(sprites, [&](const auto& s) { return s.get() == *sprite; });
    *sprite = nullptr;
  }

  std::vector<std::string> log;
  std::vector<std::unique_ptr<FakeSurface>> surfaces;
  std::vector<std::unique_ptr<FakeSprite>> sprites;
  std::map<const SurfacePort*, std::string> names;
  bool refuseSprites = false;

 private:
  int Make(SurfacePort** out, std::string_view fileName, bool indexed) {
    log.push_back(std::string(indexed ? "surface8 " : "surface ") + std::string(fileName));
    *out = nullptr;
    auto surface = std::make_unique<FakeSurface>();
    const int code = surface->LoadImage(fileName, indexed);
    if (code != 0) return code;
    names[surface.get()] = std::string(fileName);
    *out = surface.get();
    surfaces.push_back(std::move(surface));
    return 0;
  }
};

class FakeSpriteList : public SpriteListPort {
 public:
  explicit FakeSpriteList(std::string name) : name_(std::move(name)) {}
  int AddAfterEqual(ImageSpritePort* sprite, uint32_t order, uint32_t) override {
    auto* fake = static_cast<FakeSprite*>(sprite);
    fake->list = name_;
    fake->order = order;
    members.push_back(fake);
    return 0;
  }
  std::vector<FakeSprite*> members;

 private:
  std::string name_;
};

class FakeCanvas : public SpriteCanvasPort {
 public:
  SpriteListPort* MainList() override { return &main; }
  SpriteListPort* OverlayList() override { return hasOverlay ? &overlay : nullptr; }
  int SetBackgroundImage(SurfacePort* surface, int32_t x, int32_t y, bool redraw) override {
    background = surface;
    backgroundCalls.push_back({x, y, redraw});
    return 0;
  }

  FakeSpriteList main{"main"};
  FakeSpriteList overlay{"overlay"};
  bool hasOverlay = false;
  SurfacePort* background = nullptr;
  struct Call {
    int32_t x, y;
    bool redraw;
  };
  std::vector<Call> backgroundCalls;
};

class FakeControl : public ControlPort {
 public:
  void SetVisible(bool value) override { visible = value; }
  void SetTag(int32_t value) override { tag = value; }

  // What the factory was asked.
  bool checkButton = false;
  int32_t x = 0, y = 0;
  std::string fileName;
  bool stateFlag = false;
  int32_t variant = 0;
  ControlPort* leader = nullptr;
  int32_t value = 0;
  uint8_t option = 0;
  int32_t keyValue = 0;
  int32_t next = 0;
  int32_t group = 0;
  int visible = -1;
  int32_t tag = -1;
};

class FakeHost : public ControlHostPort {
 public:
  int AddControl(ControlPort* control, int32_t index) override {
    indexes.push_back(index);
    controls.push_back(control);
    return 0;
  }
  std::vector<ControlPort*> controls;
  std::vector<int32_t> indexes;
};

class FakeFactory : public ControlFactoryPort {
 public:
  int CreateImageButton(ControlPort** out, int32_t x, int32_t y, std::string_view fileName, bool stateFlag,
                        int32_t variant, int32_t value, uint8_t option, int32_t keyValue, int32_t next,
                        int32_t group) override {
    auto control = std::make_unique<FakeControl>();
    control->checkButton = false;
    control->stateFlag = stateFlag;
    control->variant = variant;
    return Make(out, std::move(control), x, y, fileName, value, option, keyValue, next, group);
  }
  int CreateImageCheckButton(ControlPort** out, int32_t x, int32_t y, std::string_view fileName, int32_t variant,
                             bool stateFlag, ControlPort* leader, int32_t value, uint8_t option, int32_t keyValue,
                             int32_t next, int32_t group) override {
    auto control = std::make_unique<FakeControl>();
    control->checkButton = true;
    control->stateFlag = stateFlag;
    control->variant = variant;
    control->leader = leader;
    return Make(out, std::move(control), x, y, fileName, value, option, keyValue, next, group);
  }
  int Delete(ControlPort* control) override {
    const auto before = controls.size();
    std::erase_if(controls, [&](const auto& c) { return c.get() == control; });
    return before == controls.size() ? 2 : 0;
  }
  SpriteCanvasPort* GetCanvas() override { return canvas; }

  SpriteCanvasPort* canvas = nullptr;
  std::vector<std::unique_ptr<FakeControl>> controls;
  std::set<std::string> refusedNames;  // file names whose control is refused

 private:
  int Make(ControlPort** out, std::unique_ptr<FakeControl> control, int32_t x, int32_t y,
           std::string_view fileName, int32_t value, uint8_t option, int32_t keyValue, int32_t next,
           int32_t group) {
    *out = nullptr;
    if (refusedNames.count(std::string(fileName))) return 7;
    control->x = x;
    control->y = y;
    control->fileName.assign(fileName);
    control->value = value;
    control->option = option;
    control->keyValue = keyValue;
    control->next = next;
    control->group = group;
    *out = control.get();
    controls.push_back(std::move(control));
    return 0;
  }
};

}  // namespace orrivel::testing
