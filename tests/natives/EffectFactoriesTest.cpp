// The built-in effects and screen filters the script host registers: each
// list in its own registry, in order, with its categories, and "quake"
// naming a different class in each registry.
#include "natives/EffectFactories.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/SubtractiveRandom.h"
#include "effect/BuiltinEffects.h"
#include "effect/QuakeEffect.h"
#include "natives/GameScriptHost.h"
#include "resource/DcpManager.h"
#include "resource/TcpManager.h"
#include "transition/QuakeFilter.h"

namespace orrivel {
namespace {

struct Row {
  const char* name;
  uint8_t category;
};

constexpr Row kFilters[] = {{"quake", 2},  {"zoomflip", 1}, {"rotcenter", 1},
                            {"addsub", 0}, {"hblur", 1},    {"ripple", 0}};
constexpr Row kEffects[] = {{"quake", 3},    {"noise", 3},   {"sp_cfade", 1}, {"sp_change", 1}, {"sp_parts", 1},
                            {"sp_fade", 1},  {"sp_gfade", 1}, {"sp_loop", 1}, {"sp_movie", 1},  {"staff", 2},
                            {"paper", 3},    {"light", 3},   {"snow", 3},     {"rain", 3}};

TEST(EffectFactories, EachListInItsRegistryInOrder) {
  ResetSharedRandom();
  BindOverlayEffectRandom(nullptr);
  TcpManager filters;
  DcpManager effects;
  const int registered = RegisterEffectFactories(filters, effects, 77);
  EXPECT_EQ(size_t(registered), filters.Records().size() + effects.Records().size());
  ASSERT_EQ(effects.Records().size(), std::size(kEffects));
  for (size_t i = 0; i < std::size(kEffects); ++i) {
    EXPECT_EQ(effects.Records()[i].name, kEffects[i].name);
    EXPECT_EQ(effects.Records()[i].type, kEffects[i].category) << kEffects[i].name;
  }
  // Every filter registered stands in the table's order with its category;
  // the four below are always built in.
  size_t at = 0;
  for (const auto& record : filters.Records()) {
    while (at < std::size(kFilters) && record.name != kFilters[at].name) ++at;
    ASSERT_LT(at, std::size(kFilters)) << record.name << " out of order";
    EXPECT_EQ(record.type, kFilters[at].category) << record.name;
    ++at;
  }
  int32_t index = -1;
  for (const char* name : {"quake", "addsub", "hblur", "ripple"})
    EXPECT_NE(filters.FindObject(name, &index), nullptr) << name;
  EXPECT_EQ(OverlayEffectRandom(), &SharedRandom());

  // "quake": the layer effect from one registry, the screen filter from the other.
  DcpObject* effect = effects.GetObject("quake");
  ASSERT_NE(effect, nullptr);
  EXPECT_NE(dynamic_cast<QuakeEffect*>(effect), nullptr);
  effect->Release();
  TcpGetObjectFunc create = filters.FindObject("quake", &index);
  ASSERT_NE(create, nullptr);
  TcpObject* filter = create(0);
  ASSERT_NE(filter, nullptr);
  EXPECT_NE(dynamic_cast<QuakeFilter*>(filter), nullptr);
  filter->Release();
  BindOverlayEffectRandom(nullptr);
}

TEST(EffectFactories, TheScriptHostRegistersThemAsItIsMade) {
  TcpManager filters;
  DcpManager effects;
  GameHostSetup setup;
  setup.screenObjects = &filters;
  setup.actions = &effects;
  setup.seed = 5;
  {
    GameScriptHost host(setup);
    EXPECT_EQ(effects.Records().size(), std::size(kEffects));
    int32_t index = -1;
    EXPECT_NE(filters.FindObject("ripple", &index), nullptr);
  }
  BindOverlayEffectRandom(nullptr);
}

}  // namespace
}  // namespace orrivel
