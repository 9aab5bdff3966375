// The animations of a background layer: a LAD animation played by
// "bg_anime" or a movie played by "bg_movie", held in the layer's
// animation holder, with the requests and waits the scripts send them.
#include "base/TimerList.h"
#include "effect/LayerAction.h"
#include "frame/TgsLayerSets.h"

namespace orrivel {

namespace {

constexpr char kAnimationLabel[] = "ANIME";
constexpr int32_t kMovieSequence = -1;
// Requests the frame sends and the queries it reads back.
constexpr int32_t kRequestSelect = 0;
constexpr int32_t kRequestStop = 4;
constexpr int32_t kLastRequest = 6;
constexpr int32_t kQueryState = 0;
constexpr int32_t kQueryLooping = 1;
constexpr int32_t kQueryNextMark = 4;
constexpr int32_t kQueryLaterMark = 5;
constexpr int32_t kPlaying = 1;

bool HasName(const char* name) { return name != nullptr && name[0] != '\0'; }

}  // namespace

int32_t TgsLayerSets::SetLayerAnimation(const char* name, int32_t sequence, int32_t word, int32_t set) {
  ClearLayerActions(set, false);
  Layer& layer = GetLayer(set);
  LayerRecord& r = layer.record;
  CopyNameField(r.animationName, sizeof r.animationName, name ? name : "");
  r.animationState = 0;
  ReleaseActionSlot(layer.animation);
  layer.lad.reset();
  if (!HasName(name)) return 0;
  if (sequence < 0) sequence = 0;
  auto lad = std::make_unique<LadAnimation>();
  if (lad->Load(name) != 0) return 1;
  layer.lad = std::move(lad);
  BackgroundLayer* target = &Display(set);
  const ObjectArgument words[] = {static_cast<const LadAnimation*>(layer.lad.get()), kAnimationLabel, sequence, word};
  if (CreateLayerAction(layer.animation, "bg_anime", target, ObjectArguments{words, std::size(words)}) != 0) {
    layer.lad.reset();
    return 2;
  }
  r.animationSequence = sequence;
  r.animationFrame = word;
  return 0;
}

int32_t TgsLayerSets::SetLayerMovie(const char* name, int32_t set) {
  ClearLayerActions(set, false);
  Layer& layer = GetLayer(set);
  LayerRecord& r = layer.record;
  CopyNameField(r.animationName, sizeof r.animationName, name ? name : "");
  r.animationSequence = kMovieSequence;
  r.animationState = 0;
  ReleaseActionSlot(layer.animation);
  layer.lad.reset();
  if (!HasName(name)) return 0;
  BackgroundLayer* target = &Display(set);
  const ObjectArgument words[] = {name};
  return CreateLayerAction(layer.animation, "bg_movie", target, ObjectArguments{words, std::size(words)}) != 0 ? 2
                                                                                                              : 0;
}

int32_t TgsLayerSets::ControlLayerAnimation(int32_t set, int32_t request, int32_t a, int32_t b) {
  if (request < 0 || request > kLastRequest) return 1;
  StopTransition();
  Layer& layer = GetLayer(set);
  LayerAction* action = ActionOf(layer.animation);
  if (!action) return 2;
  const bool lad = layer.lad != nullptr;
  switch (request) {
    case 1:
      ClearLayer(0, set);
      layer.record.animationState = 1;
      break;
    case 3:
      layer.record.animationState = 1;
      break;
    case 0:
    case 2:
    case 4:
      layer.record.animationState = 0;
      if (lad && a < 0) a = 0;
      break;
    default:
      break;
  }
  const int32_t answer = action->Control({request, a, b});
  if (request == kRequestSelect && lad && answer != 0) {
    layer.record.animationSequence = a;
    layer.record.animationFrame = b;
  }
  return 0;
}

int32_t TgsLayerSets::WaitLayerAnimationFrame(int32_t set) {
  StopTransition();
  Layer& layer = GetLayer(set);
  LayerAction* action = ActionOf(layer.animation);
  if (!action || !layer.lad || action->Query({kQueryLooping}) != 0) return 0;
  int32_t frame = action->Query({kQueryNextMark});
  if (frame < 0) {
    const int32_t sequence = action->Query({kQueryLaterMark});
    if (sequence < 0) return 0;
    layer.record.animationSequence = sequence;
    frame = 0;
  }
  layer.record.animationFrame = frame;
  for (;;) {
    action = ActionOf(layer.animation);
    if (!action || action->Query({kQueryState}) != kPlaying || action->Query({kQueryLooping}) != 0) return 0;
    if (!environment_.pumpFrame || environment_.pumpFrame() == 0) return -1;
  }
}

int32_t TgsLayerSets::WaitLayerAnimation(int32_t set, bool skippable) {
  StopTransition();
  Layer& layer = GetLayer(set);
  layer.record.animationState = 0;
  for (;;) {
    LayerAction* action = ActionOf(layer.animation);
    if (!action || action->Query({kQueryState}) != kPlaying) return 0;
    if (skippable && Skipping(3)) {
      action->Control({kRequestStop, 1});
      return 1;
    }
    if (!environment_.pumpFrame || environment_.pumpFrame() == 0) return -1;
  }
}

}  // namespace orrivel
