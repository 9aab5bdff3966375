#pragma once
// The control form of an LGM layout: an optional base picture that becomes
// the background of the control factory's canvas, and one image button or
// image check button per part, added to a control host. Parts of kinds 6 to
// 9 that follow each other with the same kind form one radio group, led by
// the first of the run. A failed load deletes everything it made again.
#include <cstdint>
#include <string_view>
#include <vector>

#include "resource/ControlFactoryPort.h"
#include "resource/LgmLayout.h"

namespace orrivel {

enum LgmSpriteLayoutCode : int {
  kLgmNoDeviceForBase = 5,
  kLgmButtonRefused = 6,        // kinds 1 and 2
  kLgmPlainButtonRefused = 7,   // kind 3
  kLgmCheckRefused = 8,         // kind 4
  kLgmCheckVariantRefused = 9,  // kind 5
  kLgmRadioRefused = 10,        // kinds 6 and 8
  kLgmRadioVariantRefused = 11, // kinds 7 and 9
  kLgmBadKind = 12,
};

class LgmSpriteLayout {
 public:
  LgmSpriteLayout() = default;
  LgmSpriteLayout(const LgmSpriteLayout&) = delete;
  LgmSpriteLayout& operator=(const LgmSpriteLayout&) = delete;
  virtual ~LgmSpriteLayout() { Clear(); }

  // Codes: 0, 1 to 4 as LgmLayoutCode, then LgmSpriteLayoutCode, -1 for any
  // other failure. A negative firstTag leaves the controls' tags alone.
  int Load(ControlFactoryPort* factory, ControlHostPort* host, std::string_view fileName, int32_t firstTag,
           int32_t group, bool indexed, ScreenDevicePort* device);
  int LoadFromMemory(ControlFactoryPort* factory, ControlHostPort* host, const uint8_t* data, uint64_t size,
                     std::string_view fileName, int32_t firstTag, int32_t group, bool indexed,
                     ScreenDevicePort* device);
  // Forgets the tables; the controls stay the factory's.
  virtual void Clear();

  SurfacePort* BaseSurface() const { return baseSurface_; }
  uint32_t PartCount() const { return uint32_t(partSizes_.size()); }
  const std::vector<ControlPort*>& PartControls() const { return partControls_; }
  const std::vector<LgmPartSize>& PartSizes() const { return partSizes_; }

 private:
  int MakeBase(ControlFactoryPort* factory, ScreenDevicePort* device, const LgmFile& file,
               std::string_view fileName, bool indexed);
  int MakeControls(ControlFactoryPort* factory, ControlHostPort* host, const LgmFile& file,
                   std::string_view fileName, int32_t firstTag, int32_t group, bool indexed);
  void Undo(ControlFactoryPort* factory, ScreenDevicePort* device);

  SurfacePort* baseSurface_ = nullptr;
  SpriteCanvasPort* baseCanvas_ = nullptr;
  std::vector<ControlPort*> partControls_;
  std::vector<LgmPartSize> partSizes_;
};

}  // namespace orrivel
