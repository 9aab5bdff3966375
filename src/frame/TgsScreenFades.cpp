// The blocking cross-fades of the frame: each runs its transition to the
// end inside the caller's frame, pumping the game's frames itself.
#include "frame/TgsLayerSets.h"
#include "frame/TgsScreenTransitions.h"
#include "resource/TcpManager.h"
#include "scene/CanvasDrawObject.h"
#include "scene/CanvasTransitionTask.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

namespace {

constexpr uint32_t kFadeSkipMask = 3;
constexpr int32_t kSwapAll = 1;
constexpr int32_t kAllGroups = -1;

// A fade that leaves the sets where they are draws nothing of its own: it
// blends what was last shown into the paired image's picture as that
// stands. The paired picture becomes the screen's scene as it is now (its
// overlay is drawn over the fade anyway), so the fade ends on what the
// screen shows next; the paired canvas repaints all of its own scene the
// next time it draws.
void EnterCurrentScene(CanvasDrawObject& screen) {
  CanvasDrawObject* paired = screen.PairedImage();
  SpriteCanvas* canvas = screen.GetCanvas();
  if (paired == nullptr || canvas == nullptr) return;
  if (canvas->RenderInto(paired->GetSurface(), 0, 0, 0) != 0) return;
  if (SpriteCanvas* pairedCanvas = paired->GetCanvas()) pairedCanvas->MarkAllChanged();
}

}  // namespace

int32_t TgsScreenTransitions::RunScreenTransition(CanvasTransitionTask* task, CanvasDrawObject* screen,
                                                  int32_t layerMode, uint32_t skipMask) {
  if (task == nullptr) return 2;
  if (screen == nullptr) screen = FrontDisplay();
  if (screen != nullptr && layerMode == 0) EnterCurrentScene(*screen);
  const bool low = !(environment_.noLowPriorityFade && environment_.noLowPriorityFade());
  if (screen == nullptr || screen->StartTimedPresent(task, uint8_t(layerMode), 1, low ? 1 : 0) != 0) {
    PresentTask::Release(task);
    return 3;
  }
  const bool pacing = environment_.catchUpPacing && environment_.catchUpPacing() && environment_.setCatchUp;
  if (pacing) environment_.setCatchUp(false);
  int32_t result = 0;
  for (;;) {
    if (Pump() == 0) {
      result = -1;
      break;
    }
    if (!screen->TimedPresentRunning()) break;
    if (skipMask != 0 && Skipping(skipMask)) {
      screen->EndTimedPresent(screen->TimedPresentEndOption());
      result = 1;
      break;
    }
  }
  if (pacing) environment_.setCatchUp(true);
  if (result == -1) return -1;
  if (layerMode != 0) {
    layers_.SwapLayerSetPointers();
    if (layerMode == kSwapAll) layers_.SwapLayerArrays();
  }
  return result;
}

int32_t TgsScreenTransitions::CrossFadeScreen(uint32_t duration, int32_t layerMode, uint32_t skipMask,
                                              CanvasDrawObject* screen) {
  if (screen == nullptr) screen = FrontDisplay();
  CanvasTransitionTask* task = nullptr;
  if (screen != nullptr && environment_.registry != nullptr) {
    const ObjectArgument words[] = {duration};
    task = MakeCanvasTransitionTask(*environment_.registry, *screen, "cross", ObjectArguments{words, 1});
  }
  return RunScreenTransition(task, screen, layerMode, skipMask);
}

int32_t TgsScreenTransitions::FadeThroughColour(uint32_t time, uint32_t colour) {
  layers_.ClearLayer(colour, TgsLayerSets::kBack);
  layers_.ClearSpriteGroup(TgsLayerSets::kBack, kAllGroups);
  if (Skipping(kSkipMode)) return 0;
  const uint32_t d = (time < 6 ? 600 : time) / 6;
  if (CrossFadeScreen(4 * d, kSwapAll, kFadeSkipMask) == -1) return -1;
  // The sets have changed places: the back now holds the picture that was
  // left, and the second fade brings it back.
  if (CrossFadeScreen(2 * d, kSwapAll, kFadeSkipMask) == -1) return -1;
  return 0;
}

int32_t TgsScreenTransitions::ChangeBackgroundWithFade(std::string_view name, uint32_t time, uint32_t colour) {
  if (Skipping(kSkipMode)) {
    layers_.ClearLayer(colour, TgsLayerSets::kFront);
    layers_.ClearSpriteGroup(TgsLayerSets::kFront, kAllGroups);
    layers_.ClearSpriteGroup(TgsLayerSets::kBack, kAllGroups);
    const int32_t result = layers_.LoadLayerImage(name, TgsLayerSets::kBack) != 0 ? 2 : 0;
    FlipLayers();
    return result;
  }
  const uint32_t d = (time < 8 ? 800 : time) / 8;
  layers_.ClearLayer(colour, TgsLayerSets::kBack);
  layers_.ClearSpriteGroup(TgsLayerSets::kBack, kAllGroups);
  if (CrossFadeScreen(5 * d, kSwapAll, kFadeSkipMask) == -1) return -1;
  const int32_t result = layers_.LoadLayerImage(name, TgsLayerSets::kBack) != 0 ? 2 : 0;
  layers_.ClearSpriteGroup(TgsLayerSets::kBack, kAllGroups);
  if (CrossFadeScreen(3 * d, kSwapAll, kFadeSkipMask) == -1) return -1;
  return result;
}

}  // namespace orrivel
