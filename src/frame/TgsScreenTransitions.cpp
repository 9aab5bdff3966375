#include "frame/TgsScreenTransitions.h"

#include <cstdio>
#include <vector>

#include "frame/TgsLayerSets.h"
#include "raster/Image.h"
#include "raster/LibraryImageOps.h"
#include "raster/Surface.h"
#include "resource/TcpManager.h"
#include "scene/CanvasDrawObject.h"
#include "scene/CanvasTransitionTask.h"

namespace orrivel {

namespace {

constexpr const char* kFilterNames[TgsScreenTransitions::kFilterCount] = {
    "zoomflip", "wave", "mosaic", "rotaxis", "rotcenter", "addsub", "hblur"};
constexpr uint8_t kPresentSwapsScenes = 1;
constexpr uint8_t kPresentSwapsBackgrounds = 2;
constexpr uint8_t kApplyAtEnd = 1;

uint32_t OrDefault(uint32_t duration) { return duration ? duration : TgsScreenTransitions::kDefaultDuration; }

}  // namespace

TgsScreenTransitions::TgsScreenTransitions(TgsLayerSets& layers, TgsTransitionEnvironment environment)
    : layers_(layers), environment_(std::move(environment)) {
  if (CanvasDrawObject* front = FrontDisplay()) front->SetPairedImage(BackDisplay());
  layers_.Environment().stopTransition = [this] { StopRunningTransition(); };
}

TgsScreenTransitions::~TgsScreenTransitions() {
  layers_.Environment().stopTransition = nullptr;
  if (CanvasDrawObject* front = FrontDisplay()) {
    // A transition still drawing ends where it is: the displays outlive it.
    front->EndTimedPresent(0);
    front->SetPairedImage(nullptr);
  }
}

CanvasDrawObject* TgsScreenTransitions::FrontDisplay() const {
  return layers_.Display(TgsLayerSets::kFront).Display();
}

CanvasDrawObject* TgsScreenTransitions::BackDisplay() const {
  return layers_.Display(TgsLayerSets::kBack).Display();
}

bool TgsScreenTransitions::Skipping(uint32_t mask) const {
  const auto& skipping = layers_.Environment().skipping;
  return skipping && skipping(mask);
}

int TgsScreenTransitions::Pump() const {
  const auto& pump = layers_.Environment().pumpFrame;
  return pump ? pump() : 0;
}

bool TgsScreenTransitions::LowPriority() const {
  const auto& off = layers_.Environment().lowPriorityOff;
  return !(off && off());
}

// --- common steps ------------------------------------------------------------------------

int32_t TgsScreenTransitions::PrepareTransition(CanvasDrawObject* display, std::string_view name, uint8_t mode,
                                                uint8_t flag, const ObjectArguments& arguments) {
  if (display == nullptr) return 1;
  if (environment_.registry == nullptr) return 2;
  const int started =
      StartCanvasTransition(*environment_.registry, *display, name, arguments, mode, flag, LowPriority() ? 1 : 0);
  if (started == kTransitionNotMade) return 2;
  return started != 0 ? 3 : 0;
}

void TgsScreenTransitions::BeginTransition() {
  running_ = true;
  layers_.SwapLayerSetPointers();
  if (exchangeMode_ == kExchangeAll) layers_.SwapLayerArrays();
}

void TgsScreenTransitions::FlipLayers() {
  CanvasDrawObject* front = FrontDisplay();
  CanvasDrawObject* back = BackDisplay();
  // The displays change places the way a finished transition leaves them,
  // so the canvases follow the records exchanged below.
  if (front != nullptr && back != nullptr) {
    if (exchangeMode_ == kExchangeBackground)
      front->ExchangeBackgrounds(back);
    else
      front->ExchangeCanvases(back);
    front->AddDirty(nullptr);
  }
  layers_.SwapLayerSetPointers();
  if (exchangeMode_ == kExchangeAll) layers_.SwapLayerArrays();
}

int32_t TgsScreenTransitions::RunTransition(bool skippable) {
  if (quake_.kind != 0) {
    // The endless quake filter never ends by itself: waiting ends it.
    StopRunningTransition();
    return 0;
  }
  CanvasDrawObject* front = FrontDisplay();
  int32_t result = 0;
  while (front != nullptr && front->TimedPresentRunning()) {
    if (Pump() == 0) {
      result = -1;
      break;
    }
    if (!front->TimedPresentRunning()) break;
    if (skippable && Skipping(kSkipInput | kSkipMode)) {
      front->EndTimedPresent(front->TimedPresentEndOption());
      result = Pump() == 0 ? -1 : 1;
      break;
    }
  }
  running_ = false;
  return result;
}

void TgsScreenTransitions::StopRunningTransition() {
  CanvasDrawObject* front = FrontDisplay();
  if (running_ && front != nullptr && front->TimedPresentRunning())
    front->EndTimedPresent(front->TimedPresentEndOption());
  running_ = false;
  quake_.kind = 0;
}

int32_t TgsScreenTransitions::LoadRuleImage(int32_t number) {
  if (number == ruleNumber_ && rule_) return 0;
  char path[32];
  std::snprintf(path, sizeof path, "SYS\\RULE%03d.ELG", int(number));
  auto picture = std::make_unique<Surface>();
  const int loaded = environment_.loadPicture ? environment_.loadPicture(path, *picture)
                                              : picture->LoadImageIndexed(path, nullptr, 0, 0);
  if (loaded != 0) return 1;
  if (ruleMirror_) MirrorImageA(picture.get(), 0);
  if (ruleFlip_) MirrorImageB(picture.get(), 0);
  rule_ = std::move(picture);
  ruleNumber_ = number;
  return 0;
}

void TgsScreenTransitions::SetRuleMirror(bool on) {
  ruleMirror_ = on;
  ruleNumber_ = -1;
}

void TgsScreenTransitions::SetRuleFlip(bool on) {
  ruleFlip_ = on;
  ruleNumber_ = -1;
}

// --- transition commands ---------------------------------------------------------------------

bool TgsScreenTransitions::BeginCommand() {
  StopRunningTransition();
  exchangeMode_ = kExchangeAll;
  if (!Skipping(kSkipMode)) return false;
  FlipLayers();
  return true;
}

int32_t TgsScreenTransitions::StartNamed(std::string_view name, uint32_t duration,
                                         std::initializer_list<ObjectArgument> words) {
  std::vector<ObjectArgument> list{OrDefault(duration)};
  list.insert(list.end(), words.begin(), words.end());
  const int32_t code = PrepareTransition(FrontDisplay(), name, kPresentSwapsScenes, kApplyAtEnd,
                                         ObjectArguments{list.data(), list.size()});
  if (code != 0) {
    FlipLayers();
    return code;
  }
  BeginTransition();
  return 0;
}

void TgsScreenTransitions::KeepCurrentPicture() {
  // The display's own picture, whole, is what is shown next.
  if (CanvasDrawObject* front = FrontDisplay()) front->AddDirty(nullptr);
}

int32_t TgsScreenTransitions::StartCross(uint32_t duration) {
  if (BeginCommand()) return 0;
  return StartNamed("cross", duration, {});
}

int32_t TgsScreenTransitions::StartRule(int32_t rule, uint32_t duration, int32_t edge) {
  if (BeginCommand()) return 0;
  if (LoadRuleImage(rule) != 0) {
    FlipLayers();
    return -1;
  }
  // Picture arguments travel as the Image the transition reads.
  const Image* picture = rule_.get();
  return StartNamed("rule", duration, {picture, edge < 1 ? kDefaultRuleEdge : edge});
}

int32_t TgsScreenTransitions::StartTrans(uint32_t duration, bool keep) {
  if (BeginCommand()) return 0;
  if (keep) KeepCurrentPicture();
  // The records change places as the transition starts, so its end must
  // hand the entered scene to the display with the keep flag too: an end
  // that left the display as it was would show the old picture under
  // records that describe the new one.
  const int32_t code = StartNamed("trans", duration, {});
  if (code != 0 && keep) KeepCurrentPicture();
  return code;
}

int32_t TgsScreenTransitions::StartFilterTransition(int32_t index, uint32_t duration, const ObjectArgument& w1,
                                                    const ObjectArgument& w2, const ObjectArgument& w3) {
  if (BeginCommand()) return 0;
  if (index < 0 || index >= kFilterCount) return -1;
  return StartNamed(kFilterNames[index], duration, {w1, w2, w3, 0, 0});
}

int32_t TgsScreenTransitions::StartScroll(uint32_t duration, uint8_t b1, uint8_t b2, const char* easing) {
  if (BeginCommand()) return 0;
  return StartNamed("scroll", duration, {b1, b2, easing});
}

int32_t TgsScreenTransitions::StartRipple(uint32_t duration, const char* speed, int32_t x, int32_t y,
                                          int32_t wavelength, int32_t rings, const char* scale) {
  if (BeginCommand()) return 0;
  return StartNamed("ripple", duration, {x, y, wavelength, scale, speed, rings});
}

int32_t TgsScreenTransitions::StartQuakeFilter(int32_t amplitude, int32_t x, int32_t y, uint32_t duration,
                                               const char* endScale, uint8_t fill, uint8_t wholeMode,
                                               bool lowPriority) {
  layers_.StopQuake(TgsLayerSets::kFront);
  layers_.StopQuake(TgsLayerSets::kBack);
  if (duration != 0 && Skipping(kSkipMode)) return 0;
  CanvasDrawObject* front = FrontDisplay();
  if (front == nullptr || environment_.registry == nullptr) return 2;
  const ObjectArgument words[] = {amplitude, x, y, duration, endScale, fill};
  CanvasTransitionTask* task =
      MakeCanvasTransitionTask(*environment_.registry, *front, "quake", ObjectArguments{words, std::size(words)});
  if (task == nullptr) return 2;
  const uint8_t mode = wholeMode ? kPresentSwapsScenes : kPresentSwapsBackgrounds;
  const bool low = duration != 0 && lowPriority && LowPriority();
  if (front->StartTimedPresent(task, mode, 0, low ? 1 : 0) != 0) {
    PresentTask::Release(task);
    return 3;
  }
  running_ = true;
  if (duration == 0) quake_ = QuakeRecord{1, amplitude, x, y, fill, wholeMode};
  return 0;
}

int32_t TgsScreenTransitions::RestartQuakeFilter() {
  if (quake_.kind != 1) return 0;
  const QuakeRecord record = quake_;
  return StartQuakeFilter(record.amplitude, record.x, record.y, 0, nullptr, uint8_t(record.fill),
                          uint8_t(record.wholeMode), false);
}

}  // namespace orrivel
