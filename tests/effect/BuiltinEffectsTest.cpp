#include "effect/BuiltinEffects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/SubtractiveRandom.h"
#include "effect/LayerAction.h"
#include "resource/DcpManager.h"
#include "resource/TcpManager.h"

namespace orrivel {
namespace {

template <typename Rows>
std::vector<std::string> Names(const Rows& rows) {
  std::vector<std::string> names;
  for (const auto& row : rows) names.emplace_back(row.name);
  return names;
}

TEST(BuiltinEffects, ListsHoldEveryNameOnceInRegistrationOrder) {
  EXPECT_EQ(Names(StartupLayerActions()),
            (std::vector<std::string>{"bg_zoom", "bg_rot", "bg_blur", "bg_rast", "bg_haze", "bg_loop", "bg_cross",
                                      "bg_panime", "sp_panime", "bg_anime"}));
  EXPECT_EQ(Names(ScriptHostLayerActions()),
            (std::vector<std::string>{"quake", "noise", "sp_cfade", "sp_change", "sp_parts", "sp_fade", "sp_gfade",
                                      "sp_loop", "sp_movie", "staff", "paper", "light", "snow", "rain"}));
  EXPECT_EQ(Names(ScriptHostScreenObjects()),
            (std::vector<std::string>{"quake", "zoomflip", "rotcenter", "addsub", "hblur", "ripple"}));
  // Category and type id go together.
  for (auto rows : {StartupLayerActions(), ScriptHostLayerActions()}) {
    for (const BuiltinLayerAction& row : rows) {
      SCOPED_TRACE(row.name);
      const std::string name = row.name;
      if (name == "bg_anime") {
        EXPECT_EQ(row.typeId, LayerAction::kBackgroundAnimationType);
        EXPECT_EQ(row.category, LayerAction::kBackgroundCategory);
      } else if (name.starts_with("bg_")) {
        EXPECT_EQ(row.typeId, LayerAction::kBackgroundActionType);
        EXPECT_EQ(row.category, LayerAction::kBackgroundCategory);
      } else if (name.starts_with("sp_")) {
        EXPECT_EQ(row.typeId, LayerAction::kSpriteActionType);
        EXPECT_EQ(row.category, LayerAction::kSpriteCategory);
      } else if (name == "staff") {
        EXPECT_EQ(row.typeId, LayerAction::kStaffRollType);
        EXPECT_EQ(row.category, LayerAction::kStaffRollCategory);
      } else {
        EXPECT_EQ(row.typeId, LayerAction::kOverlayEffectType);
        EXPECT_EQ(row.category, LayerAction::kOverlayCategory);
      }
    }
  }
}

TEST(BuiltinEffects, ScriptHostStepSeedsTheSharedGeneratorRegistersAndBinds) {
  ResetSharedRandom();
  BindOverlayEffectRandom(nullptr);
  TcpManager screenObjects;
  DcpManager actions;
  RegisterStartupEffects(actions);
  const size_t startup = actions.Records().size();
  RegisterScriptHostEffects(screenObjects, actions, 20240601);
  EXPECT_EQ(OverlayEffectRandom(), &SharedRandom());
  // Every registered row keeps the list's order, after the start-up group.
  std::vector<std::string> expected;
  for (auto rows : {StartupLayerActions(), ScriptHostLayerActions()})
    for (const BuiltinLayerAction& row : rows)
      if (row.create) expected.emplace_back(row.name);
  EXPECT_EQ(Names(actions.Records()), expected);
  EXPECT_GE(actions.Records().size(), startup + 1);
  // sp_fade is built in and made by its exact name.
  DcpObject* fade = actions.GetObject("sp_fade");
  ASSERT_NE(fade, nullptr);
  EXPECT_STREQ(dynamic_cast<LayerAction*>(fade)->GetName(), "sp_fade");
  fade->Release();
  // The draws are those of a generator seeded the same way.
  SubtractiveRandom reference;
  reference.Seed(20240601);
  for (int i = 0; i < 60; ++i) ASSERT_EQ(RandomDraw(), reference.Next());
  ResetSharedRandom();
  BindOverlayEffectRandom(nullptr);
}

}  // namespace
}  // namespace orrivel
