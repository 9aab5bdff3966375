// The built-in effects and screen filters the script host registers: the
// twenty rows in order with their categories, the filters and effects each
// in their own registry, and "quake" naming a different class in each.
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

TEST(EffectFactories, TwentyRowsInOrderEachInItsRegistry) {
  struct Row {
    const char* name;
    uint8_t category;
    bool filter;
  } expected[] = {
      {"quake", 2, true},     {"zoomflip", 1, true},  {"rotcenter", 1, true}, {"addsub", 0, true},
      {"hblur", 1, true},     {"ripple", 0, true},    {"quake", 3, false},    {"noise", 3, false},
      {"sp_cfade", 1, false}, {"sp_change", 1, false}, {"sp_parts", 1, false}, {"sp_fade", 1, false},
      {"sp_gfade", 1, false}, {"sp_loop", 1, false},  {"sp_movie", 1, false}, {"staff", 2, false},
      {"paper", 3, false},    {"light", 3, false},    {"snow", 3, false},     {"rain", 3, false},
  };
  const auto rows = EffectFactoryRows();
  ASSERT_EQ(rows.size(), std::size(expected));
  std::vector<std::string> filters, effects;
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_STREQ(rows[i].name, expected[i].name) << i;
    EXPECT_EQ(rows[i].category, expected[i].category) << i;
    EXPECT_EQ(rows[i].filter, expected[i].filter) << i;
    if (rows[i].built) (rows[i].filter ? filters : effects).push_back(rows[i].name);
  }
  EXPECT_EQ(effects.size(), 14u);

  ResetSharedRandom();
  BindOverlayEffectRandom(nullptr);
  TcpManager filterRegistry;
  DcpManager effectRegistry;
  EXPECT_EQ(RegisterEffectFactories(filterRegistry, effectRegistry, 77), int(filters.size() + effects.size()));
  ASSERT_EQ(filterRegistry.Records().size(), filters.size());
  for (size_t i = 0; i < filters.size(); ++i) EXPECT_EQ(filterRegistry.Records()[i].name, filters[i]);
  ASSERT_EQ(effectRegistry.Records().size(), effects.size());
  for (size_t i = 0; i < effects.size(); ++i) EXPECT_EQ(effectRegistry.Records()[i].name, effects[i]);
  EXPECT_EQ(OverlayEffectRandom(), &SharedRandom());

  // "quake": the layer effect from one registry, the screen filter from the other.
  DcpObject* effect = effectRegistry.GetObject("quake");
  ASSERT_NE(effect, nullptr);
  EXPECT_NE(dynamic_cast<QuakeEffect*>(effect), nullptr);
  effect->Release();
  int32_t index = -1;
  TcpGetObjectFunc create = filterRegistry.FindObject("quake", &index);
  ASSERT_NE(create, nullptr);
  TcpObject* filter = create(0);
  ASSERT_NE(filter, nullptr);
  EXPECT_NE(dynamic_cast<QuakeFilter*>(filter), nullptr);
  filter->Release();
}

TEST(EffectFactories, TheScriptHostRegistersThemAsItIsMade) {
  TcpManager filterRegistry;
  DcpManager effectRegistry;
  GameHostSetup setup;
  setup.screenObjects = &filterRegistry;
  setup.actions = &effectRegistry;
  setup.seed = 5;
  GameScriptHost host(setup);
  EXPECT_EQ(effectRegistry.Records().size(), 14u);
  int32_t index = -1;
  EXPECT_NE(filterRegistry.FindObject("ripple", &index), nullptr);
  BindOverlayEffectRandom(nullptr);
}

}  // namespace
}  // namespace orrivel
