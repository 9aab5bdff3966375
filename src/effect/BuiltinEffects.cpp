#include "effect/BuiltinEffects.h"

#include <iterator>

#include "base/SubtractiveRandom.h"
#include "effect/BgAnimeAction.h"
#include "effect/BgBlurAction.h"
#include "effect/BgCrossAction.h"
#include "effect/BgHazeAction.h"
#include "effect/BgLoopAction.h"
#include "effect/BgPanimeAction.h"
#include "effect/BgRastAction.h"
#include "effect/BgRotAction.h"
#include "effect/BgZoomAction.h"
#include "effect/LayerAction.h"
#include "effect/NoiseEffect.h"
#include "effect/QuakeEffect.h"
#include "effect/SpriteChangeAction.h"
#include "effect/SpriteCrossFadeAction.h"
#include "effect/SpriteFadeAction.h"
#include "effect/SpriteGroupFadeAction.h"
#include "effect/SpriteLoopAction.h"
#include "effect/SpriteMovieAction.h"
#include "effect/SpritePartsAction.h"
#include "effect/SpritePanimeAction.h"
#include "effect/StaffRoll.h"
#include "effect/WeatherEffect.h"
#include "resource/DcpManager.h"
#include "resource/TcpManager.h"

namespace orrivel {
namespace {

using A = LayerAction;

constexpr BuiltinLayerAction kStartupLayerActions[] = {
    {"bg_zoom", A::kBackgroundCategory, A::kBackgroundActionType, &CreateBuiltinAction<BgZoomAction>,
     &ParseBgZoomArgsVariadic, &ParseBgZoomArgs},
    {"bg_rot", A::kBackgroundCategory, A::kBackgroundActionType, &CreateBuiltinAction<BgRotAction>, nullptr,
     nullptr},
    {"bg_blur", A::kBackgroundCategory, A::kBackgroundActionType, &CreateBuiltinAction<BgBlurAction>,
     &ParseBgBlurArgsVariadic, &ParseBgBlurArgs},
    {"bg_rast", A::kBackgroundCategory, A::kBackgroundActionType, &CreateBuiltinAction<BgRastAction>, nullptr,
     nullptr},
    {"bg_haze", A::kBackgroundCategory, A::kBackgroundActionType, &CreateBuiltinAction<BgHazeAction>, nullptr,
     nullptr},
    {"bg_loop", A::kBackgroundCategory, A::kBackgroundActionType, &CreateBuiltinAction<BgLoopAction>, nullptr,
     nullptr},
    {"bg_cross", A::kBackgroundCategory, A::kBackgroundActionType, &CreateBuiltinAction<BgCrossAction>, nullptr,
     nullptr},
    {"bg_panime", A::kBackgroundCategory, A::kBackgroundActionType, &CreateBuiltinAction<BgPanimeAction>,
     &ParseBgPanimeArgsVariadic, &ParseBgPanimeArgs},
    {"sp_panime", A::kSpriteCategory, A::kSpriteActionType, &CreateBuiltinAction<SpritePanimeAction>,
     &ParseSpPanimeArgsVariadic, &ParseSpPanimeArgs},
    {"bg_anime", A::kBackgroundCategory, A::kBackgroundAnimationType, &CreateBuiltinAction<BgAnimeAction>,
     &SetBgAnimeFlagVariadic, &SetBgAnimeFlag},
};

constexpr BuiltinLayerAction kScriptHostLayerActions[] = {
    {"quake", A::kOverlayCategory, A::kOverlayEffectType, &CreateBuiltinAction<QuakeEffect>, nullptr, nullptr},
    {"noise", A::kOverlayCategory, A::kOverlayEffectType, &CreateBuiltinAction<NoiseEffect>, nullptr, nullptr},
    {"sp_cfade", A::kSpriteCategory, A::kSpriteActionType, &CreateBuiltinAction<SpriteCrossFadeAction>, nullptr,
     nullptr},
    {"sp_change", A::kSpriteCategory, A::kSpriteActionType, &CreateBuiltinAction<SpriteChangeAction>, nullptr,
     nullptr},
    {"sp_parts", A::kSpriteCategory, A::kSpriteActionType, &CreateBuiltinAction<SpritePartsAction>, nullptr,
     nullptr},
    {"sp_fade", A::kSpriteCategory, A::kSpriteActionType, &CreateBuiltinAction<SpriteFadeAction>, nullptr,
     nullptr},
    {"sp_gfade", A::kSpriteCategory, A::kSpriteActionType, &CreateBuiltinAction<SpriteGroupFadeAction>, nullptr,
     nullptr},
    {"sp_loop", A::kSpriteCategory, A::kSpriteActionType, &CreateBuiltinAction<SpriteLoopAction>, nullptr,
     nullptr},
    {"sp_movie", A::kSpriteCategory, A::kSpriteActionType, &CreateBuiltinAction<SpriteMovieAction>, nullptr,
     nullptr},
    {"staff", A::kStaffRollCategory, A::kStaffRollType, &CreateBuiltinAction<StaffRoll>, nullptr, nullptr},
    {"paper", A::kOverlayCategory, A::kOverlayEffectType, &CreateBuiltinAction<PaperEffect>, nullptr, nullptr},
    {"light", A::kOverlayCategory, A::kOverlayEffectType, &CreateBuiltinAction<LightEffect>, nullptr, nullptr},
    {"snow", A::kOverlayCategory, A::kOverlayEffectType, &CreateBuiltinAction<SnowEffect>, nullptr, nullptr},
    {"rain", A::kOverlayCategory, A::kOverlayEffectType, &CreateBuiltinAction<RainEffect>, nullptr, nullptr},
};

constexpr BuiltinScreenObject kScriptHostScreenObjects[] = {
    {"quake", 2, nullptr},  {"zoomflip", 1, nullptr}, {"rotcenter", 1, nullptr},
    {"addsub", 0, nullptr}, {"hblur", 1, nullptr},    {"ripple", 0, nullptr},
};

SubtractiveRandom* gOverlayRandom = nullptr;

}  // namespace

std::span<const BuiltinLayerAction> StartupLayerActions() { return kStartupLayerActions; }
std::span<const BuiltinLayerAction> ScriptHostLayerActions() { return kScriptHostLayerActions; }
std::span<const BuiltinScreenObject> ScriptHostScreenObjects() { return kScriptHostScreenObjects; }

int RegisterLayerActions(DcpManager& registry, std::span<const BuiltinLayerAction> rows) {
  int registered = 0;
  for (const BuiltinLayerAction& row : rows) {
    if (!row.create) continue;
    if (registry.RegisterObject(row.create, row.name, row.category, row.assist, row.assist2, 0) == 0) ++registered;
  }
  return registered;
}

int RegisterScreenObjects(TcpManager& registry, std::span<const BuiltinScreenObject> rows) {
  int registered = 0;
  for (const BuiltinScreenObject& row : rows) {
    if (!row.create) continue;
    if (registry.RegisterObject(row.create, row.name, row.category, 0, nullptr, nullptr) == 0) ++registered;
  }
  return registered;
}

void RegisterStartupEffects(DcpManager& actions) { RegisterLayerActions(actions, StartupLayerActions()); }

void RegisterScriptHostEffects(TcpManager& screenObjects, DcpManager& actions, uint32_t seed) {
  SharedRandom().Seed(seed);
  // The quake filter draws from the shared generator from its first start.
  BindOverlayEffectRandom(&SharedRandom());
  RegisterScreenObjects(screenObjects, ScriptHostScreenObjects());
  RegisterLayerActions(actions, ScriptHostLayerActions());
}

SubtractiveRandom* OverlayEffectRandom() { return gOverlayRandom; }

void BindOverlayEffectRandom(SubtractiveRandom* random) { gOverlayRandom = random; }

}  // namespace orrivel
