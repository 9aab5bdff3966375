#include "resource/LgmSpriteLayout.h"

#include <cstdint>
#include <new>

#include "resource/WholeFile.h"

namespace orrivel {
namespace {

enum class Maker { kNone, kButton, kCheckButton };

struct KindRule {
  Maker maker;
  int32_t variant;
  uint8_t trueState;  // the state byte that gives the control's flag
  int refusedCode;
  bool grouped;
};

KindRule RuleFor(uint8_t kind) {
  switch (kind) {
    case 1:
    case 2:
      return {Maker::kButton, 1, 4, kLgmButtonRefused, false};
    case 3:
      return {Maker::kButton, 0, 3, kLgmPlainButtonRefused, false};
    case 4:
      return {Maker::kCheckButton, 0, 8, kLgmCheckRefused, false};
    case 5:
      return {Maker::kCheckButton, 1, 8, kLgmCheckVariantRefused, false};
    case 6:
    case 8:
      return {Maker::kCheckButton, 2, 6, kLgmRadioRefused, true};
    case 7:
    case 9:
      return {Maker::kCheckButton, 3, 5, kLgmRadioVariantRefused, true};
    default:
      return {Maker::kNone, 0, 0, kLgmBadKind, false};
  }
}

}  // namespace

void LgmSpriteLayout::Clear() {
  baseSurface_ = nullptr;
  baseCanvas_ = nullptr;
  partControls_.clear();
  partSizes_.clear();
}

int LgmSpriteLayout::Load(ControlFactoryPort* factory, ControlHostPort* host, std::string_view fileName,
                          int32_t firstTag, int32_t group, bool indexed, ScreenDevicePort* device) {
  if (!factory || !host || fileName.empty()) return kLgmMissingArgument;
  Clear();
  std::vector<uint8_t> bytes;
  try {
    if (!LoadWholeFile(fileName, &bytes)) return kLgmCannotOpen;
  } catch (const std::bad_alloc&) {
    return kLgmOtherFailure;
  }
  return LoadFromMemory(factory, host, bytes.data(), bytes.size(), fileName, firstTag, group, indexed, device);
}

int LgmSpriteLayout::LoadFromMemory(ControlFactoryPort* factory, ControlHostPort* host, const uint8_t* data,
                                    uint64_t size, std::string_view fileName, int32_t firstTag,
                                    int32_t group, bool indexed, ScreenDevicePort* device) {
  if (!factory || !host || fileName.empty()) return kLgmMissingArgument;
  Clear();
  int code = kLgmOk;
  try {
    LgmFile file;
    if (ParseLgm(data, size, LgmRecordForm::kControl, &file) != kLgmParseOk) return kLgmBadFile;
    code = MakeBase(factory, device, file, fileName, indexed);
    if (code == kLgmOk) code = MakeControls(factory, host, file, fileName, firstTag, group, indexed);
  } catch (const std::bad_alloc&) {
    code = kLgmOtherFailure;
  }
  if (code != kLgmOk) Undo(factory, device);
  return code;
}

int LgmSpriteLayout::MakeBase(ControlFactoryPort* factory, ScreenDevicePort* device, const LgmFile& file,
                              std::string_view fileName, bool indexed) {
  if (file.baseName.empty()) return kLgmOk;
  if (!device) return kLgmNoDeviceForBase;
  // Without a bound canvas the picture would have nowhere to go.
  SpriteCanvasPort* canvas = factory->GetCanvas();
  if (!canvas) return kLgmBaseFailed;
  const std::string baseName = ResolveLgmName(fileName, file.baseName);
  const int made = indexed ? device->CreateSurfaceFromFileIndexed(&baseSurface_, baseName, 0, 0, 0)
                           : device->CreateSurfaceFromFile(&baseSurface_, baseName, 0, 0, 0);
  if (made != 0 || !baseSurface_) {
    baseSurface_ = nullptr;
    return kLgmBaseFailed;
  }
  baseCanvas_ = canvas;
  canvas->SetBackgroundImage(baseSurface_, 0, 0, true);
  return kLgmOk;
}

int LgmSpriteLayout::MakeControls(ControlFactoryPort* factory, ControlHostPort* host, const LgmFile& file,
                                  std::string_view fileName, int32_t firstTag, int32_t group, bool indexed) {
  // The two values the factory takes for palette pictures and for others.
  const int32_t value = indexed ? 0 : 2;
  const int32_t keyValue = indexed ? 0xFF00 : -1;
  constexpr int32_t kNext = -1;
  partControls_.reserve(file.parts.size());
  partSizes_.reserve(file.parts.size());
  ControlPort* leader = nullptr;
  int previousKind = -1;
  for (const LgmPart& part : file.parts) {
    const KindRule rule = RuleFor(part.kind);
    if (rule.maker == Maker::kNone) return kLgmBadKind;
    const std::string path = ResolveLgmName(fileName, part.name);
    const bool stateFlag = part.flag == rule.trueState;
    if (!rule.grouped || part.kind != previousKind) leader = nullptr;
    ControlPort* control = nullptr;
    int made = 0;
    if (rule.maker == Maker::kButton) {
      made = factory->CreateImageButton(&control, part.x, part.y, path, stateFlag, rule.variant, value, part.alpha,
                                        keyValue, kNext, group);
    } else {
      made = factory->CreateImageCheckButton(&control, part.x, part.y, path, rule.variant, stateFlag, leader, value,
                                             part.alpha, keyValue, kNext, group);
    }
    if (made != 0 || !control) return rule.refusedCode;
    partControls_.push_back(control);
    if (rule.grouped && !leader) leader = control;
    previousKind = part.kind;
    partSizes_.push_back({part.width, part.height, part.flag});
    control->SetVisible(part.visible != 0);
    host->AddControl(control, -1);
    if (firstTag >= 0) {
      control->SetTag(firstTag);
      if (firstTag < INT32_MAX) ++firstTag;  // never past the largest tag
    }
  }
  return kLgmOk;
}

void LgmSpriteLayout::Undo(ControlFactoryPort* factory, ScreenDevicePort* device) {
  if (baseSurface_) {
    if (baseCanvas_) baseCanvas_->SetBackgroundImage(nullptr, 0, 0, true);
    if (device) device->DeleteImage(&baseSurface_);
  }
  for (ControlPort* control : partControls_) factory->Delete(control);
  Clear();
}

}  // namespace orrivel
