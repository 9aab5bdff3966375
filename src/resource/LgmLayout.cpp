#include "resource/LgmLayout.h"

#include <new>

#include "resource/WholeFile.h"

namespace orrivel {

void LgmLayout::Clear() {
  baseSurface_ = nullptr;
  partSurfaces_.clear();
  partSprites_.clear();
  partSizes_.clear();
}

int LgmLayout::Load(ScreenDevicePort* device, SpriteCanvasPort* canvas, std::string_view fileName,
                    uint32_t order, bool toOverlay, bool indexed) {
  if (!device || !canvas || fileName.empty()) return kLgmMissingArgument;
  Clear();
  std::vector<uint8_t> bytes;
  try {
    if (!LoadWholeFile(fileName, &bytes)) return kLgmCannotOpen;
  } catch (const std::bad_alloc&) {
    return kLgmOtherFailure;
  }
  return LoadFromMemory(device, canvas, bytes.data(), bytes.size(), fileName, order, toOverlay, indexed);
}

int LgmLayout::LoadFromMemory(ScreenDevicePort* device, SpriteCanvasPort* canvas, const uint8_t* data,
                              uint64_t size, std::string_view fileName, uint32_t order, bool toOverlay,
                              bool indexed) {
  if (!device || !canvas || fileName.empty()) return kLgmMissingArgument;
  Clear();
  int code = kLgmOk;
  try {
    LgmFile file;
    // The whole file is checked before anything is made, so a damaged one
    // creates nothing.
    if (ParseLgm(data, size, LgmRecordForm::kSprite, &file) != kLgmParseOk) return kLgmBadFile;
    if (!file.baseName.empty()) {
      const std::string baseName = ResolveLgmName(fileName, file.baseName);
      const int made = indexed ? device->CreateSurfaceFromFileIndexed(&baseSurface_, baseName, 0, 0, 0)
                               : device->CreateSurfaceFromFile(&baseSurface_, baseName, 0, 0, 0);
      if (made != 0 || !baseSurface_) {
        baseSurface_ = nullptr;
        code = kLgmBaseFailed;
      } else {
        canvas->SetBackgroundImage(baseSurface_, 0, 0, true);
      }
    }
    if (code == kLgmOk) code = PlaceParts(device, canvas, file, fileName, order, toOverlay);
  } catch (const std::bad_alloc&) {
    code = kLgmOtherFailure;
  }
  if (code != kLgmOk) Undo(device, canvas);
  return code;
}

int LgmLayout::PlaceParts(ScreenDevicePort* device, SpriteCanvasPort* canvas, const LgmFile& file,
                          std::string_view fileName, uint32_t order, bool toOverlay) {
  partSurfaces_.reserve(file.parts.size());
  partSprites_.reserve(file.parts.size());
  partSizes_.reserve(file.parts.size());
  for (const LgmPart& part : file.parts) {
    SurfacePort* surface = nullptr;
    const int made = device->CreateSurfaceFromFile(&surface, ResolveLgmName(fileName, part.name), 0, 0, 0);
    if (made != 0 || !surface) return kLgmPartFailed;
    partSurfaces_.push_back(surface);
    LgmPartSize partSize;
    if (part.hasSize) {
      partSize = {part.width, part.height, part.flag};
    } else {
      partSize = {int16_t(surface->GetWidth()), int16_t(surface->GetHeight()), 1};
    }
    partSizes_.push_back(partSize);
    // A stored size crops the picture to that much of it.
    const platform::Rect source{0, 0, partSize.width, partSize.height};
    ImageSpritePort* sprite = nullptr;
    // A sprite the device refuses is never touched: the part fails.
    if (device->CreateImageSprite(&sprite, surface, source, part.x, part.y) != 0 || !sprite) {
      return kLgmPartFailed;
    }
    partSprites_.push_back(sprite);
    sprite->SetOpacity(part.alpha);
    sprite->SetVisible(part.visible != 0);
    SpriteListPort* list = toOverlay ? canvas->OverlayList() : canvas->MainList();
    if (list) list->AddAfterEqual(sprite, order, 0);
  }
  return kLgmOk;
}

void LgmLayout::Undo(ScreenDevicePort* device, SpriteCanvasPort* canvas) {
  if (baseSurface_) {
    canvas->SetBackgroundImage(nullptr, 0, 0, true);
    device->DeleteImage(&baseSurface_);
  }
  for (ImageSpritePort*& sprite : partSprites_) device->DeleteSprite(&sprite);
  for (SurfacePort*& surface : partSurfaces_) device->DeleteImage(&surface);
  Clear();
}

}  // namespace orrivel
