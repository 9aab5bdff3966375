// The frame's two layer sets: the front set draws on the frame's canvas,
// the back set on a second canvas of the same size (the frame's own second
// canvas when it made its canvases).
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "frame/TgsLayerSets.h"
#include "frame/TgsScreenTransitions.h"
#include "scene/CanvasDrawImage.h"
#include "script/ScriptHost.h"

namespace orrivel {

namespace {

constexpr size_t kSettingEffects = 9;
constexpr uint8_t kCanvasDepth = 32;
constexpr uint8_t kCanvasWithList = 1;

}  // namespace

void TgsFrame::SetupLayers() {
  CanvasDrawObject* back = ownsCanvases_ ? ownCanvases_[1].get() : nullptr;
  if (!back && canvas_.object) {
    backDisplay_ = std::make_unique<CanvasDrawImage>();
    if (backDisplay_->Load(int32_t(canvas_.width), int32_t(canvas_.height), kCanvasDepth, kCanvasWithList) != 0)
      backDisplay_.reset();
    back = backDisplay_.get();
  }
  TgsLayerEnvironment layers;
  layers.displays = {canvas_.object, back};
  layers.timers = environment_.objectTimers;
  layers.actions = environment_.layerActions;
  if (environment_.pumpFrame) layers.pumpFrame = [this] { return PumpOneFrame() ? 1 : 0; };
  // Either skip mode, or the skip test with the caller's mask.
  layers.skipping = [this](uint32_t mask) { return skipByKey_ || skipBySetting_ || windowState_->ShouldSkip(mask); };
  layers.effectsOn = [this] { return Setting(kSettingEffects) != 0; };
  layers.lowPriorityOff = environment_.lowPriorityOff;
  layers_ = std::make_unique<TgsLayerSets>(std::move(layers));
  TgsTransitionEnvironment transitions;
  transitions.registry = environment_.screenObjects;
  transitions.noLowPriorityFade = environment_.lowPriorityOff;
  transitions.catchUpPacing = environment_.catchUpPacing;
  transitions.setCatchUp = environment_.setCatchUp;
  transitions_ = std::make_unique<TgsScreenTransitions>(*layers_, std::move(transitions));
  layers_->tintTable = bgTable_;
  layers_->tintsOn = !bgTable_.empty();
  // A sprite's character is the speaker of the voice table with its code.
  if (environment_.host)
    for (const VoiceEntry& entry : environment_.host->Voices().Entries()) layers_->characters.push_back(entry.name);
}

}  // namespace orrivel
