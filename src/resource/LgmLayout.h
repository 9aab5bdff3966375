#pragma once
// A screen of pictures from an LGM file: an optional base picture that
// becomes a sprite canvas's background, and one image sprite per part placed
// on the canvas. A failed load deletes everything it made again.
#include <cstdint>
#include <string_view>
#include <vector>

#include "resource/LgmFile.h"
#include "resource/SpriteCanvasPort.h"

namespace orrivel {

enum LgmLayoutCode : int {
  kLgmOk = 0,
  kLgmMissingArgument = 1,
  kLgmCannotOpen = 2,
  kLgmBadFile = 3,  // bad magic, or records the file does not hold
  kLgmBaseFailed = 4,
  kLgmPartFailed = 5,  // a part picture, or the sprite that shows it
  kLgmOtherFailure = -1,
};

struct LgmPartSize {
  int16_t width = 0;
  int16_t height = 0;
  uint8_t flag = 0;
};

class LgmLayout {
 public:
  LgmLayout() = default;
  LgmLayout(const LgmLayout&) = delete;
  LgmLayout& operator=(const LgmLayout&) = delete;
  virtual ~LgmLayout() { Clear(); }

  // Loads the file whole through the archive manager and places its parts.
  // Codes: LgmLayoutCode.
  int Load(ScreenDevicePort* device, SpriteCanvasPort* canvas, std::string_view fileName, uint32_t order,
           bool toOverlay, bool indexed);
  // The same from the file's bytes; picture names are resolved against the
  // folder of fileName.
  int LoadFromMemory(ScreenDevicePort* device, SpriteCanvasPort* canvas, const uint8_t* data, uint64_t size,
                     std::string_view fileName, uint32_t order, bool toOverlay, bool indexed);
  // Forgets the tables; the surfaces and sprites stay the device's.
  virtual void Clear();

  SurfacePort* BaseSurface() const { return baseSurface_; }
  uint32_t PartCount() const { return uint32_t(partSizes_.size()); }
  const std::vector<SurfacePort*>& PartSurfaces() const { return partSurfaces_; }
  const std::vector<ImageSpritePort*>& PartSprites() const { return partSprites_; }
  const std::vector<LgmPartSize>& PartSizes() const { return partSizes_; }

 private:
  int PlaceParts(ScreenDevicePort* device, SpriteCanvasPort* canvas, const LgmFile& file,
                 std::string_view fileName, uint32_t order, bool toOverlay);
  void Undo(ScreenDevicePort* device, SpriteCanvasPort* canvas);

  SurfacePort* baseSurface_ = nullptr;
  std::vector<SurfacePort*> partSurfaces_;
  std::vector<ImageSpritePort*> partSprites_;
  std::vector<LgmPartSize> partSizes_;
};

}  // namespace orrivel
