// The frame's side of the system menu: what the menu reads of the frame,
// the auto-play timer after it closes, and the fade to black when the
// player quits from it.
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "frame/TgsLayerSets.h"
#include "frame/TgsScreenTransitions.h"
#include "frame/TgsSystemMenu.h"

namespace orrivel {

namespace {

constexpr uint16_t kAutoTimer = 1;
constexpr uint32_t kQuitFadeMs = 1000;
constexpr uint32_t kEffectSlots = 3;
constexpr uint32_t kBlack = 0x000000;
constexpr int32_t kAllGroups = -1;

}  // namespace

int32_t TgsFrame::ShowSystemMenu(TgsSystemMenuState& state) {
  if (environment_.systemMenu == nullptr) return TgsSystemMenu::kDismissed;
  state.settings = environment_.settings;
  state.autoPlay = autoMode_;
  state.saveAllowed = !environment_.saveAllowed || environment_.saveAllowed();
  state.loadAllowed = !environment_.loadAllowed || environment_.loadAllowed();
  TgsSystemMenu menu(*environment_.systemMenu, state);
  const int32_t result = menu.Show();
  // Auto play goes on from the menu's end, not from when it opened.
  if (result != TgsSystemMenu::kQuitting && autoMode_) timers_.Start(kAutoTimer);
  return result;
}

int32_t TgsFrame::FadeToBlackForQuit() {
  if (!layers_ || !transitions_) return 0;
  // Nothing may move while the picture goes: the effects and the layers'
  // actions end first.
  for (uint32_t slot = 0; slot < kEffectSlots; ++slot) layers_->EndEffectSlot(slot, true);
  layers_->ClearLayerActions(TgsLayerSets::kFront, true);
  layers_->ClearLayerActions(TgsLayerSets::kBack, true);
  // The screen's scene becomes black; the fade leaves the sets where they
  // are and blends what is shown into that scene.
  layers_->ClearLayer(kBlack, TgsLayerSets::kFront);
  layers_->ClearSpriteGroup(TgsLayerSets::kFront, kAllGroups);
  // The window and its bar stand over a fade; the whole picture goes here.
  windowState_->ShowMessageWindow(false, true);
  return transitions_->CrossFadeScreen(kQuitFadeMs, 0, 0) == -1 ? -1 : 0;
}

}  // namespace orrivel
